// TUclFileVersionInfo: its constructors (file, window, module, block in memory), the current
// language's lines and the derived texts.
#include "support/Ucl/UclFileUtils.h"

#include "framework/Conversions.h"
#include "framework/SyncObjs.h"
#include "support/Ucl/UclSysInfo.h"

namespace {

std::vector<Byte> ReadVersionBlock(const UnicodeString& fileName) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0) throw EUclFileVersionInfoError(L"File contains no version information");
    std::vector<Byte> block(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, block.data()))
        RaiseLastOSError(L"GetFileVersionInfoW");
    return block;
}

UnicodeString ProcessImageName(HANDLE process) {
    const TOwnedLibrary psapi(LoadLibraryW(L"Psapi.dll"));
    if (!psapi) throw EUclError(L"Library not found: Psapi.dll");
    using TGetModuleFileNameExW = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    const auto getName = reinterpret_cast<TGetModuleFileNameExW>(
        reinterpret_cast<void*>(GetProcAddress(psapi.Get(), "GetModuleFileNameExW")));
    if (!getName) throw EUclError(L"Function not found: Psapi.dll.GetModuleFileNameEx");
    wchar_t name[301] = {};
    const DWORD length = getName(process, nullptr, name, 301);
    return UnicodeString(name, std::min<DWORD>(length, 300));
}

UnicodeString WindowModuleName(HWND window) {
    if (!window) throw EUclError(L"The window with handle 0 is not valid");
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    TKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        throw EUclError(L"The process with ID " + std::to_wstring(processId) + L" is not valid");
    // Only the releases known to come before Windows 2000 lack what follows; newer releases
    // than the rule knows (code 0) have it.
    const int release = DetectWindowsRelease();
    if (release != wrUnknown && release < wrWin2000)
        throw EUclWin32Error(L"This windows version is not supported");
    return ProcessImageName(process.Get());
}

UnicodeString ModuleName(HMODULE module) {
    if (!module) throw EUclError(L"The Module with handle 0 is not valid");
    return ModuleFileName(module);
}

} // namespace

TUclFileVersionInfo::TUclFileVersionInfo(const UnicodeString& fileName)
    : FBuffer(ReadVersionBlock(fileName)) {
    ExtractInfo();
}

TUclFileVersionInfo::TUclFileVersionInfo(HWND window)
    : TUclFileVersionInfo(WindowModuleName(window)) {}

TUclFileVersionInfo::TUclFileVersionInfo(HMODULE module)
    : TUclFileVersionInfo(ModuleName(module)) {}

TUclFileVersionInfo::TUclFileVersionInfo(const void* block, std::size_t size)
    : FBuffer(static_cast<const Byte*>(block), static_cast<const Byte*>(block) + size) {
    ExtractInfo();
}

void TUclFileVersionInfo::BuildItems() {
    FItems->Clear();
    FItemLanguages.clear();
    for (const TItem& item : FItemList) {
        if (item.Table != FLanguageIndex) continue;
        FItems->Add(item.Line);
        FItemLanguages.push_back(FLanguages[static_cast<std::size_t>(item.Table)]);
    }
}

void TUclFileVersionInfo::SetLanguageIndex(int index) {
    if (index < 0 || index >= LanguageCount())
        throw EUclFileVersionInfoError(L"Illegal language index");
    if (index == FLanguageIndex) return;
    FLanguageIndex = index;
    BuildItems();
}

UnicodeString TUclFileVersionInfo::GetStandardKeyValue(int index) const {
    static const wchar_t* const Keys[] = {
        L"Comments",     L"CompanyName",    L"FileDescription", L"FileVersion",
        L"InternalName", L"LegalCopyright", L"LegalTradeMarks", L"OriginalFilename",
        L"ProductName",  L"ProductVersion", L"SpecialBuild",    L"PrivateBuild"};
    if (index < 1 || index > 12) return {};
    return FItems->Values(Keys[index - 1]);
}

UnicodeString TUclFileVersionInfo::GetCustomFieldValue(const UnicodeString& name) const {
    if (name.empty()) throw EUclFileVersionInfoError(L"No value was supplied");
    if (FItems->IndexOfName(name) < 0)
        throw EUclFileVersionInfoError(L"The value " + name + L" was not found.");
    return FItems->Values(name);
}

namespace {

UnicodeString VersionText(DWORD ms, DWORD ls) {
    return std::to_wstring(HIWORD(ms)) + L"." + std::to_wstring(LOWORD(ms)) + L"." +
           std::to_wstring(HIWORD(ls)) + L"." + std::to_wstring(LOWORD(ls));
}

} // namespace

UnicodeString TUclFileVersionInfo::BinFileVersion() const {
    return VersionText(FFixedInfo.dwFileVersionMS, FFixedInfo.dwFileVersionLS);
}

UnicodeString TUclFileVersionInfo::BinProductVersion() const {
    return VersionText(FFixedInfo.dwProductVersionMS, FFixedInfo.dwProductVersionLS);
}

UnicodeString TUclFileVersionInfo::VersionPart(const UnicodeString& version, int part) {
    const UnicodeString text = StringReplace(version, L",", L".", {rfReplaceAll});
    std::vector<UnicodeString> parts{{}};
    for (wchar_t c : text) {
        if (c == L'.')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    const std::size_t n = parts.size();
    switch (part) {
    case 0: return Trim(parts.front());
    case 1: return n >= 3 ? Trim(parts[1]) : UnicodeString();
    case 2: return n >= 4 ? Trim(parts[2]) : UnicodeString();
    default: return Trim(parts.back());
    }
}

UnicodeString TUclFileVersionInfo::VersionLanguageId(TLangIdRec language) {
    return IntToHex(language.LangId, 4) + IntToHex(language.CodePage, 4);
}

UnicodeString TUclFileVersionInfo::VersionLanguageName(Word languageId) {
    wchar_t name[260] = {};
    const DWORD length = VerLanguageNameW(languageId, name, 260);
    return UnicodeString(name, std::min<DWORD>(length, 259));
}

bool TUclFileVersionInfo::TranslationMatchesLanguages(bool exact) const {
    const bool comparable =
        LanguageCount() == TranslationCount() || (!exact && TranslationCount() > 0);
    if (!comparable) return false;
    for (const TLangIdRec& translation : FTranslations) {
        bool found = false;
        for (const TLangIdRec& language : FLanguages)
            found = found || language.Pair == translation.Pair;
        if (!found) return false;
    }
    return true;
}
