// Where a skin comes from: the skin directory, the folder, packed and internal sources, the
// skin INI text, and the look-up of a skin's files.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"
#include "framework/Files.h"
#include "skin/engine/sGeneralUtils.h"

void TsSkinIni::LoadFromStream(TStream* Stream) {
    TStringList lines;
    lines.LoadFromStream(Stream);
    SetStrings(&lines);
}

void TsSkinIni::LoadFromFile(const UnicodeString& FileName) {
    TStringList lines;
    lines.LoadFromFile(FileName);
    SetStrings(&lines);
}

Integer TsSkinIni::ReadInteger(const UnicodeString& Section, const UnicodeString& Key,
                               Integer Default) const {
    return StrToIntDef(ReadString(Section, Key, L""), Default);
}

// A ".." directory names the program folder's parent. At a drive root there is no parent: the
// root itself stands for it.
UnicodeString ResolveSkinDirectory(const UnicodeString& Directory, const UnicodeString& App) {
    const UnicodeString& dir = Directory;
    const UnicodeString& app = App;
    if (dir.size() >= 2 && dir.compare(0, 2, L"..") == 0) {
        UnicodeString parent = app;
        if (!parent.empty()) parent.pop_back();
        while (!parent.empty() && parent.back() != L'\\' && parent.back() != L'/')
            parent.pop_back();
        if (parent.empty()) parent = app;
        return parent + (dir.size() > 3 ? dir.substr(3) : UnicodeString());
    }
    if (dir.size() >= 2 && (dir.compare(0, 2, L".\\") == 0 || dir.compare(0, 2, L"./") == 0))
        return app + dir.substr(2);
    if (dir.find(L':') == UnicodeString::npos && dir.compare(0, 2, L"\\\\") != 0) return app + dir;
    return dir;
}

UnicodeString TsSkinManager::GetFullSkinDirectory() const {
    return ResolveSkinDirectory(FSkinDirectory, AppDirectory());
}

void TsSkinManager::ReloadSkin() {
    if (!FActive) return;
    SkinLoading = true;
    FreeAndNil(SkinIni);
    const UnicodeString folder = GetFullSkinDirectory() + L"\\" + FSkinName + L"\\";
    if (FileExists(folder + L"Options.dat")) {
        SkinIsPacked = false;
        SkinIni = new TsSkinIni();
        SkinIni->LoadFromFile(folder + L"Options.dat");
        SkinData.SkinPath = folder;
    } else {
        SkinData.SkinPath.clear();
        int index = FBuiltInSkins->IndexOf(FSkinName);
        if (index < 0) {
            if (FBuiltInSkins->Count() == 0) {
                FActive = false;
                return;
            }
            index = 0;
            FSkinName = FBuiltInSkins->Items(0)->Name();
        }
        TsStoredSkin* stored = FBuiltInSkins->Items(index);
        // Without bytes it is an old-style skin, which the table builders read without an INI.
        SkinIsPacked = stored->PackedData()->Size() > 0;
        if (SkinIsPacked) {
            FreeAndNil(SkinConvertor);
            SkinConvertor = new TacSkinConvertor();
            SkinConvertor->PackedData = stored->PackedData();
            SkinConvertor->PackedDataBorrowed = true;
            try {
                SkinConvertor->Unpack();
            } catch (...) {
                FreeAndNil(SkinConvertor);
                throw;
            }
            SkinConvertor->PackedData = nullptr;
            SkinConvertor->PackedDataBorrowed = false;
            if (!SkinConvertor->Options)
                throw EacSkinPackError(L"The packed skin holds no Options.dat");
            SkinIni = new TsSkinIni();
            SkinIni->LoadFromStream(SkinConvertor->Options);
        }
    }
    LoadSkinImages();
    LoadSkinPatterns();
    LoadAllGeneralData();
    InitConstantIndexes();
    FreeAndNil(SkinIni);
    FreeAndNil(SkinConvertor);
}

void TsSkinManager::ReloadPackedSkin() {
    if (!FActive) return;
    SkinLoading = true;
    FreeAndNil(SkinIni);
    const UnicodeString path = WithTrailingBackslash(FSkinDirectory) + FSkinName + L".asz";
    LoadPackedSkinFile(path, SkinConvertor, true);
    if (!SkinConvertor || !SkinConvertor->Options)
        throw EacSkinPackError(L"The packed skin holds no Options.dat");
    SkinIni = new TsSkinIni();
    SkinIni->LoadFromStream(SkinConvertor->Options);
    SkinData.SkinPath = GetFullSkinDirectory() + L"\\";
    LoadSkinImages();
    LoadSkinPatterns();
    LoadAllGeneralData();
    InitConstantIndexes();
    FreeAndNil(SkinIni);
    FreeAndNil(SkinConvertor);
}

// A packed skin's file is the entry whose upper-cased name equals Name as written; a folder
// skin's is relative to the skin folder unless Name holds a drive.
std::unique_ptr<TStream, TFreeSkinObject>
TsSkinManager::OpenSkinFile(const UnicodeString& Name) const {
    if (SkinConvertor) {
        TMemoryStream* entry = SkinConvertor->FindFile(Name);
        if (!entry) return nullptr;
        auto* copy = new TMemoryStream();
        entry->SetPosition(0);
        copy->LoadFromStream(entry);
        return std::unique_ptr<TStream, TFreeSkinObject>(copy);
    }
    const UnicodeString path =
        Name.find(L':') != UnicodeString::npos ? Name : SkinData.SkinPath + Name;
    if (!FileExists(path)) return nullptr;
    auto* file = new TMemoryStream();
    try {
        file->LoadFromFile(path);
    } catch (...) {
        file->Free();
        throw;
    }
    return std::unique_ptr<TStream, TFreeSkinObject>(file);
}
