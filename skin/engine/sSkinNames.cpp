// Lists of the skins a manager can load, and the extraction of internal skins to files.
#include "skin/engine/sSkinManager.h"

#include "framework/Files.h"
#include "skin/engine/sGeneralUtils.h"

#include <random>

namespace {

// Skin names found in the folder: folders holding an Options.dat, archives named "*.asz"
// (the extension exactly so), each archive up to the first ".".
void AddExternalNames(const UnicodeString& Folder, TacSkinTypes SkinType, TStrings* Names) {
    if (!DirectoryExists(Folder)) return;
    const UnicodeString base = WithTrailingBackslash(Folder);
    TSearchRec f;
    for (Integer result = FindFirst(base + L"*.*", faAnyFile, f); result == 0;
         result = FindNext(f)) {
        if (f.Name.empty() || f.Name[0] == L'.') continue;
        if (f.Attr & faDirectory) {
            if (SkinType != stPacked && FileExists(base + f.Name + L"\\Options.dat"))
                Names->Add(f.Name);
        } else if (SkinType != stUnpacked && f.Name.size() > 4 &&
                   f.Name.compare(f.Name.size() - 4, 4, L".asz") == 0) {
            Names->Add(f.Name.substr(0, f.Name.find(L'.')));
        }
    }
    FindClose(f);
}

} // namespace

UnicodeString TsSkinManager::GetSkinNames(TStrings* List, TacSkinTypes SkinType) const {
    TStringList names;
    for (int i = 0; i < FBuiltInSkins->Count(); ++i) names.Add(FBuiltInSkins->Items(i)->Name());
    AddExternalNames(GetFullSkinDirectory(), SkinType, &names);
    const UnicodeString first = names.Count() > 0 ? names.Strings(0) : UnicodeString();
    names.Sort();
    List->Assign(&names);
    return first;
}

UnicodeString TsSkinManager::GetExternalSkinNames(TStrings* List, TacSkinTypes SkinType) const {
    TStringList names;
    AddExternalNames(GetFullSkinDirectory(), SkinType, &names);
    const UnicodeString first = names.Count() > 0 ? names.Strings(0) : UnicodeString();
    names.Sort();
    List->Assign(&names);
    return first;
}

UnicodeString TsSkinManager::GetRandomSkin() const {
    TStringList names;
    GetSkinNames(&names, stAllSkins);
    if (names.Count() == 0) return {};
    std::minstd_rand random(GetTickCount());
    return names.Strings(static_cast<int>(random() % static_cast<unsigned>(names.Count())));
}

void TsSkinManager::ExtractInternalSkin(const UnicodeString& NameOfSkin,
                                        const UnicodeString& DestDir) {
    bool found = false;
    for (int i = 0; i < FBuiltInSkins->Count(); ++i) {
        if (FBuiltInSkins->Items(i)->Name() != NameOfSkin) continue;
        found = true;
        if (DirectoryExists(DestDir))
            ExtractByIndex(i, DestDir);
        else
            ShowErrorMessage(L"Directory does not exists.");
    }
    if (!found) ShowErrorMessage(L"Skin does not exists.");
}

void TsSkinManager::ExtractByIndex(int Index, const UnicodeString& DestDir) {
    const UnicodeString folder = WithTrailingBackslash(DestDir);
    if (!DirectoryExists(folder) && !ForceDirectories(folder)) {
        ShowErrorMessage(L"Directory " + folder + L" creation error.");
        return;
    }
    TsStoredSkin* stored = FBuiltInSkins->Items(Index);
    TMemoryStream copy;
    stored->PackedData()->SetPosition(0);
    copy.LoadFromStream(stored->PackedData());
    try {
        TFileStream file(folder + stored->Name() + L" extracted.asz", fmCreate);
        copy.SetPosition(0);
        file.CopyFrom(&copy, copy.Size());
    } catch (const Exception& error) {
        ShowErrorMessage(error.Message());
    }
}
