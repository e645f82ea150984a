// The toolkit's operations on the environment, file names, files and resources.
#include "support/MYString/MYString.h"

#include <gtest/gtest.h>

namespace {

TComPtr<Istrings2> Text(const UnicodeString& text) {
    return TComPtr<Istrings2>(new strings2(text));
}

// A scratch folder under the temporary folder, removed with what it holds.
class TScratch {
public:
    TScratch() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        FFolder =
            UnicodeString(temp) + L"mystring-tests-" + IntToStr(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(FFolder.c_str(), nullptr);
    }
    ~TScratch() {
        for (const UnicodeString& file : FFiles) DeleteFileW(file.c_str());
        RemoveDirectoryW(FFolder.c_str());
    }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;

    UnicodeString File(const UnicodeString& name) {
        FFiles.push_back(FFolder + name);
        return FFiles.back();
    }
    UnicodeString Create(const UnicodeString& name, const std::string& bytes) {
        const UnicodeString path = File(name);
        TFileStream stream(path, fmCreate);
        stream.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
        return path;
    }
    static std::string Read(const UnicodeString& path) {
        TFileStream stream(path, fmOpenRead);
        std::string bytes(static_cast<std::size_t>(stream.Size()), '\0');
        stream.ReadBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
        return bytes;
    }
    const UnicodeString& Folder() const { return FFolder; }

private:
    UnicodeString FFolder;
    std::vector<UnicodeString> FFiles;
};

TEST(MYStringSystem, FileNameParts) {
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* ext;
        const wchar_t* folder;
        const wchar_t* drive;
    };
    const Case cases[] = {
        {L"C:\\Dir\\File.Txt", L"File.Txt", L".Txt", L"C:\\Dir\\", L"c:"},
        {L"C:name.tar.gz", L"name.tar.gz", L".gz", L"C:", L"c:"},
        {L"dir.d\\name", L"name", L"", L"dir.d\\", L""},
        {L"plain", L"plain", L"", L"", L""},
        {L"\\\\Server\\Share\\a\\b.c", L"b.c", L".c", L"\\\\Server\\Share\\a\\",
         L"\\\\server\\share"},
        {L"\\\\Server\\Share", L"Share", L"", L"\\\\Server\\", L"\\\\server\\share"},
        {L"FILE://D:\\x.y", L"x.y", L".y", L"FILE://D:\\", L"d:"},
        {L"", L"", L"", L"", L""},
    };
    for (const Case& c : cases) {
        auto s = Text(c.path);
        EXPECT_EQ(s->file_name(), c.name) << c.path;
        EXPECT_EQ(s->file_ext(), c.ext) << c.path;
        EXPECT_EQ(s->file_path(), c.folder) << c.path;
        EXPECT_EQ(s->file_drive(), c.drive) << c.path;
        EXPECT_EQ(s->get_text(), c.path) << c.path;
    }
}

TEST(MYStringSystem, FileExistsAndShortPath) {
    TScratch scratch;
    const UnicodeString path = scratch.Create(L"present.txt", "x");
    EXPECT_TRUE(Text(L"")->file_exists(path));
    EXPECT_TRUE(Text(path)->file_exists(L"")); // an empty name tests T
    EXPECT_FALSE(Text(path)->file_exists(path + L"x"));
    EXPECT_FALSE(Text(scratch.Folder())->file_exists(L"")); // a folder is not a file
    EXPECT_FALSE(Text(L"")->file_exists(L""));
    EXPECT_FALSE(Text(path)->short_path().empty());
    EXPECT_EQ(Text(path + L"x")->short_path(), L"");
}

TEST(MYStringSystem, LoadFileOfAMissingFileKeepsTheText) {
    TScratch scratch;
    auto s = Text(L"kept");
    EXPECT_FALSE(s->load_file(scratch.File(L"missing.txt")));
    EXPECT_EQ(s->get_text(), L"kept");
}

TEST(MYStringSystem, SaveFileWritesLinesWithCrLfAndLoadFileTrims) {
    TScratch scratch;
    const UnicodeString path = scratch.File(L"saved.txt");
    Text(L"one\ntwo\r\nthree\rfour")->save_file(path);
    EXPECT_EQ(TScratch::Read(path), "one\r\ntwo\r\nthree\r\nfour\r\n");

    auto s = Text(L"");
    EXPECT_TRUE(s->load_file(path));
    EXPECT_EQ(s->get_text(), L"one\r\ntwo\r\nthree\r\nfour");
}

TEST(MYStringSystem, LoadFileHonoursAByteOrderMark) {
    TScratch scratch;
    const UnicodeString path = scratch.Create(L"utf8.txt", "\xEF\xBB\xBF  caf\xC3\xA9\r\n\r\n");
    auto s = Text(L"");
    EXPECT_TRUE(s->load_file(path));
    EXPECT_EQ(s->get_text(), L"caf\xE9");
}

TEST(MYStringSystem, SaveFileToAnImpossiblePathRaises) {
    EXPECT_THROW(Text(L"x")->save_file(L"Z:\\no\\such\\folder\\file.txt"), EFCreateError);
}

TEST(MYStringSystem, LoadResourceJoinsLinesWithCrLf) {
    auto s = Text(L"kept");
    EXPECT_EQ(s->load_resource(GetModuleHandleW(nullptr), L"MYSTRINGTEXT", nullptr),
              L"first\r\nsecond\r\n");
    EXPECT_EQ(s->get_text(), L"kept");
    EXPECT_THROW(s->load_resource(GetModuleHandleW(nullptr), L"NOSUCHTEXT", nullptr), EResNotFound);
}

// Sets an environment variable for one test and restores what it was.
class TEnvironmentVariable {
public:
    TEnvironmentVariable(const wchar_t* name, const wchar_t* value) : FName(name) {
        wchar_t previous[4096];
        const DWORD length = GetEnvironmentVariableW(name, previous, 4096);
        FExisted = length > 0 && length < 4096;
        if (FExisted) FPrevious.assign(previous, length);
        SetEnvironmentVariableW(name, value);
    }
    ~TEnvironmentVariable() {
        SetEnvironmentVariableW(FName, FExisted ? FPrevious.c_str() : nullptr);
    }
    TEnvironmentVariable(const TEnvironmentVariable&) = delete;
    TEnvironmentVariable& operator=(const TEnvironmentVariable&) = delete;

private:
    const wchar_t* FName;
    UnicodeString FPrevious;
    bool FExisted = false;
};

TEST(MYStringSystem, EnvironmentOperations) {
    TEnvironmentVariable variable(L"MYSTRING_TEST", L"expanded");
    auto s = Text(L"  %MYSTRING_TEST%\\tail  ");
    EXPECT_EQ(s->expand_env(false), L"expanded\\tail");
    EXPECT_EQ(s->get_text(), L"  %MYSTRING_TEST%\\tail  ");
    EXPECT_EQ(s->expand_env(true), L"expanded\\tail");
    EXPECT_EQ(s->get_text(), L"expanded\\tail");

    const UnicodeString longText = L"%MYSTRING_TEST%" + UnicodeString(2000, L'x');
    EXPECT_EQ(Text(longText)->expand_env(false), L"expanded" + UnicodeString(2000, L'x'));

    wchar_t windir[MAX_PATH] = {};
    GetEnvironmentVariableW(L"windir", windir, MAX_PATH);
    ASSERT_NE(windir[0], L'\0');
    EXPECT_EQ(Text(L"")->windows_dir(false), windir);
}

TEST(MYStringSystem, CommandFileKnowsTheRundllPrefix) {
    auto s = Text(L"  RunDll32.EXE Shell32.dll,Control_RunDLL  ");
    EXPECT_EQ(s->command_file(false), L"rundll32.exe ");
    EXPECT_EQ(s->get_text(), L"  RunDll32.EXE Shell32.dll,Control_RunDLL  ");
    EXPECT_EQ(s->command_file(true), L"rundll32.exe ");
    EXPECT_EQ(s->get_text(), L"rundll32.exe shell32.dll,control_rundll");
}

TEST(MYStringSystem, CommandFileFindsTheFileACommandLineStarts) {
    TScratch scratch;
    TEnvironmentVariable variable(L"MYSTRING_DIR", scratch.Folder().c_str());
    const UnicodeString program = scratch.Create(L"tool.exe", "MZ");
    const UnicodeString lowered = LowerCase(program);
    struct Case {
        UnicodeString commandLine;
        UnicodeString expected;
    };
    const Case cases[] = {
        {L" " + program + L" ", lowered},                            // the whole line
        {L"%MYSTRING_DIR%tool.exe", scratch.Folder() + L"tool.exe"}, // expanded (lower-cased first)
        {L"\"" + program + L"\" /quiet", lowered},                   // quoted first word
        {program + L" -x -y", lowered},                              // plain first word
        {L"Missing.Exe -flag", L"Missing.Exe"},                      // a guess at name.ext
        {L"nodot here", L"nodot here."},
    };
    for (const Case& c : cases) {
        auto s = Text(c.commandLine);
        EXPECT_EQ(LowerCase(s->command_file(false)), LowerCase(c.expected)) << c.commandLine;
        EXPECT_EQ(s->get_text(), c.commandLine);
    }
    auto applied = Text(program + L" -x");
    EXPECT_EQ(applied->command_file(true), lowered);
    EXPECT_EQ(applied->get_text(), lowered);
}

TEST(MYStringSystem, ModuleStartupReadsThePathOnceAndReleasesWithTheLastUser) {
    TEnvironmentVariable path(L"Path", L"C:\\one;;C:\\two;");
    const TModuleEntry module = MYStringModule();
    module.Initialize();
    module.Initialize();
    ASSERT_EQ(SearchPaths().size(), 3u);
    EXPECT_EQ(SearchPaths()[0], L"C:\\one");
    EXPECT_EQ(SearchPaths()[1], L"C:\\two");
    EXPECT_EQ(SearchPaths()[2], L"");
    module.Finalize();
    EXPECT_EQ(SearchPaths().size(), 3u);
    module.Finalize();
    EXPECT_TRUE(SearchPaths().empty());
}

} // namespace
