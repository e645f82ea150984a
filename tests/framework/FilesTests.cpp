#include "framework/Files.h"
#include "framework/SystemInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A fresh folder under the temporary folder, removed with everything in it when the test ends.
class TTempFolder {
public:
    TTempFolder() {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"fil", 0, name);
        DeleteFileW(name);
        FPath = name;
        CreateDirectoryW(FPath.c_str(), nullptr);
    }
    ~TTempFolder() { RemoveTree(FPath); }
    UnicodeString Path(const UnicodeString& relative = {}) const {
        return FPath + L"\\" + relative;
    }
    void MakeFile(const UnicodeString& relative, DWORD bytes = 0) const {
        HANDLE file = CreateFileW(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        std::vector<char> data(bytes, 'x');
        DWORD written = 0;
        if (bytes) WriteFile(file, data.data(), bytes, &written, nullptr);
        CloseHandle(file);
    }

private:
    static void RemoveTree(const UnicodeString& path) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const UnicodeString name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const UnicodeString full = path + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(full);
                else {
                    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(find, &data));
            ::FindClose(find);
        }
        RemoveDirectoryW(path.c_str());
    }
    UnicodeString FPath;
};

std::vector<UnicodeString> Search(const UnicodeString& pattern, Integer attr) {
    std::vector<UnicodeString> names;
    TSearchRec f;
    for (Integer result = FindFirst(pattern, attr, f); result == 0; result = FindNext(f))
        names.push_back(f.Name);
    FindClose(f);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FilesTests, SearchReportsFilesAndOnlyTheFoldersAndHiddenEntriesAskedFor) {
    TTempFolder folder;
    folder.MakeFile(L"a.txt", 5);
    folder.MakeFile(L"b.asz");
    folder.MakeFile(L"hidden.txt");
    SetFileAttributesW(folder.Path(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW(folder.Path(L"sub").c_str(), nullptr);

    using Names = std::vector<UnicodeString>;
    EXPECT_EQ(Search(folder.Path(L"*.*"), 0), (Names{L"a.txt", L"b.asz"}));
    EXPECT_EQ(Search(folder.Path(L"*.*"), faDirectory),
              (Names{L".", L"..", L"a.txt", L"b.asz", L"sub"}));
    EXPECT_EQ(Search(folder.Path(L"*.*"), faAnyFile),
              (Names{L".", L"..", L"a.txt", L"b.asz", L"hidden.txt", L"sub"}));
    EXPECT_EQ(Search(folder.Path(L"*.txt"), faAnyFile), (Names{L"a.txt", L"hidden.txt"}));

    TSearchRec f;
    ASSERT_EQ(FindFirst(folder.Path(L"a.*"), faAnyFile, f), 0);
    EXPECT_EQ(f.Size, 5);
    EXPECT_EQ(FindNext(f), ERROR_NO_MORE_FILES);
    FindClose(f);
    FindClose(f); // a second close does nothing
}

TEST(FilesTests, SearchWithoutMatchAnswersTheErrorAndLeavesNothingOpen) {
    TTempFolder folder;
    TSearchRec f;
    EXPECT_EQ(FindFirst(folder.Path(L"*.none"), faAnyFile, f), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(f.FindHandle, INVALID_HANDLE_VALUE);
    // Only a hidden entry matches, and hidden entries were not asked for.
    folder.MakeFile(L"only.tmp");
    SetFileAttributesW(folder.Path(L"only.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE(FindFirst(folder.Path(L"*.tmp"), 0, f), 0);
    EXPECT_EQ(f.FindHandle, INVALID_HANDLE_VALUE);
    EXPECT_NE(FindNext(f), 0);
}

TEST(FilesTests, ExistenceTellsFilesFromFolders) {
    TTempFolder folder;
    folder.MakeFile(L"f.dat");
    EXPECT_TRUE(FileExists(folder.Path(L"f.dat")));
    EXPECT_FALSE(FileExists(folder.Path()));
    EXPECT_FALSE(FileExists(folder.Path(L"missing")));
    EXPECT_FALSE(FileExists(L""));
    EXPECT_TRUE(DirectoryExists(folder.Path()));
    EXPECT_TRUE(DirectoryExists(L"C:\\"));
    EXPECT_FALSE(DirectoryExists(folder.Path(L"f.dat")));
    EXPECT_FALSE(DirectoryExists(L""));
}

TEST(FilesTests, ForceDirectoriesCreatesEveryMissingLevel) {
    TTempFolder folder;
    EXPECT_TRUE(ForceDirectories(folder.Path(L"a\\b/c\\")));
    EXPECT_TRUE(DirectoryExists(folder.Path(L"a\\b\\c")));
    EXPECT_TRUE(ForceDirectories(folder.Path(L"a\\b"))); // existing: nothing to do
    folder.MakeFile(L"file");
    EXPECT_FALSE(ForceDirectories(folder.Path(L"file\\sub"))); // a file stands in the way
    EXPECT_FALSE(ForceDirectories(L""));
}

TEST(FilesTests, PathSplitting) {
    struct TCase {
        const wchar_t* FileName;
        const wchar_t* Path;
        const wchar_t* Name;
    };
    const TCase cases[] = {
        {L"C:\\App\\Bin\\client.exe", L"C:\\App\\Bin\\", L"client.exe"},
        {L"C:/skins/Options.dat", L"C:/skins/", L"Options.dat"},
        {L"C:name", L"C:", L"name"},
        {L"\\\\server\\share\\x", L"\\\\server\\share\\", L"x"},
        {L"plain", L"", L"plain"},
        {L"dir\\", L"dir\\", L""},
        {L"", L"", L""},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.FileName), c.Path) << c.FileName;
        EXPECT_EQ(ExtractFileName(c.FileName), c.Name) << c.FileName;
    }
}

TEST(SystemInfoTests, ProgramNameAndVersion) {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    EXPECT_EQ(ParamStr(0), module);
    EXPECT_GE(ParamCount(), 0);
    EXPECT_EQ(ParamStr(ParamCount() + 1), L"");
    EXPECT_EQ(ParamStr(-1), L"");
    EXPECT_EQ(Win32Platform(), VER_PLATFORM_WIN32_NT);
    EXPECT_GE(Win32MajorVersion(), 5);
}

} // namespace
