// Module file names, the fixed version record of a file, and `TUclFileVersionInfo`: the
// version resource of an executable file, parsed from its raw block.
//
// The block is a tree of entries: length (of the entry with its children), value length, in
// the 32-bit form a type (1 text, 0 binary), the key (UTF-16 in the 32-bit form, 8-bit text in
// the 16-bit form), the value and the children, each part aligned to 4 bytes. Every read is
// checked against the block's end and the enclosing entry's end: a block that lies about its
// lengths counts as one without version information.
#pragma once

#include "framework/Sets.h"
#include "framework/StringLists.h"
#include "support/Ucl/UclWin32.h"

#include <windows.h>

#include <memory>
#include <vector>

// The module's file name; empty when the handle names no loaded module.
UnicodeString ModuleFileName(HMODULE module);
// The file's fixed version record; false without a version block or when its root value is
// not a whole record.
bool ReadFixedFileInfo(const UnicodeString& fileName, VS_FIXEDFILEINFO& info);

class EUclFileVersionInfoError : public EUclError {
public:
    using EUclError::EUclError;
};

enum TFileFlag { ffDebug, ffInfoInferred, ffPatched, ffPreRelease, ffPrivateBuild, ffSpecialBuild };
using TFileFlags = TSet<TFileFlag>;

union TLangIdRec {
    struct {
        Word LangId;
        Word CodePage;
    };
    Cardinal Pair;
};

class TUclFileVersionInfo : public TObject {
public:
    explicit TUclFileVersionInfo(const UnicodeString& fileName);
    // The main module of the window's process.
    explicit TUclFileVersionInfo(HWND window);
    explicit TUclFileVersionInfo(HMODULE module);
    // A copy of `size` bytes of a version block in memory.
    TUclFileVersionInfo(const void* block, std::size_t size);

    // The standard keys 1 to 12, Comments to PrivateBuild; empty when absent.
    UnicodeString GetStandardKeyValue(int index) const;
    UnicodeString GetCustomFieldValue(const UnicodeString& name) const;

    UnicodeString Comments() const { return GetStandardKeyValue(1); }
    UnicodeString CompanyName() const { return GetStandardKeyValue(2); }
    UnicodeString FileDescription() const { return GetStandardKeyValue(3); }
    UnicodeString FileVersion() const { return GetStandardKeyValue(4); }
    UnicodeString InternalName() const { return GetStandardKeyValue(5); }
    UnicodeString LegalCopyright() const { return GetStandardKeyValue(6); }
    UnicodeString LegalTradeMarks() const { return GetStandardKeyValue(7); }
    UnicodeString OriginalFilename() const { return GetStandardKeyValue(8); }
    UnicodeString ProductName() const { return GetStandardKeyValue(9); }
    UnicodeString ProductVersion() const { return GetStandardKeyValue(10); }
    UnicodeString SpecialBuild() const { return GetStandardKeyValue(11); }
    UnicodeString PrivateBuild() const { return GetStandardKeyValue(12); }

    UnicodeString BinFileVersion() const;
    UnicodeString BinProductVersion() const;
    UnicodeString FileVersionMajor() const { return VersionPart(FileVersion(), 0); }
    UnicodeString FileVersionMinor() const { return VersionPart(FileVersion(), 1); }
    UnicodeString FileVersionRelease() const { return VersionPart(FileVersion(), 2); }
    UnicodeString FileVersionBuild() const { return VersionPart(FileVersion(), 3); }
    UnicodeString ProductVersionMajor() const { return VersionPart(ProductVersion(), 0); }
    UnicodeString ProductVersionMinor() const { return VersionPart(ProductVersion(), 1); }
    UnicodeString ProductVersionRelease() const { return VersionPart(ProductVersion(), 2); }
    UnicodeString ProductVersionBuild() const { return VersionPart(ProductVersion(), 3); }

    VS_FIXEDFILEINFO FixedInfo() const { return FFixedInfo; }
    TFileFlags FileFlags() const { return FFileFlags; }
    DWORD FileOS() const { return FFixedInfo.dwFileOS; }
    DWORD FileType() const { return FFixedInfo.dwFileType; }
    DWORD FileSubType() const { return FFixedInfo.dwFileSubtype; }

    // The current language's "key=value" lines; ItemLanguage gives each line's table.
    TStrings* Items() const { return FItems.get(); }
    TLangIdRec ItemLanguage(int index) const {
        return FItemLanguages.at(static_cast<std::size_t>(index));
    }
    int LanguageCount() const { return static_cast<int>(FLanguages.size()); }
    TLangIdRec Languages(int index) const { return FLanguages.at(static_cast<std::size_t>(index)); }
    int TranslationCount() const { return static_cast<int>(FTranslations.size()); }
    TLangIdRec Translations(int index) const {
        return FTranslations.at(static_cast<std::size_t>(index));
    }
    int LanguageIndex() const { return FLanguageIndex; }
    // EUclFileVersionInfoError "Illegal language index" outside 0 to LanguageCount() - 1.
    void SetLanguageIndex(int index);

    static UnicodeString VersionLanguageId(TLangIdRec language);
    static UnicodeString VersionLanguageName(Word languageId);
    bool TranslationMatchesLanguages(bool exact = true) const;

    // Major (0), minor (1), release (2) or build (3) of a version text; commas count as dots.
    static UnicodeString VersionPart(const UnicodeString& version, int part);

private:
    struct TItem {
        UnicodeString Line;
        int Table;
    };
    friend class TVersionBlockParser;

    void ExtractInfo();
    void BuildItems();

    std::vector<Byte> FBuffer;
    VS_FIXEDFILEINFO FFixedInfo{};
    TFileFlags FFileFlags;
    std::vector<TItem> FItemList;
    std::unique_ptr<TStringList> FItems;
    std::vector<TLangIdRec> FItemLanguages; // one per line of FItems
    std::vector<TLangIdRec> FLanguages;
    int FLanguageIndex = 0;
    std::vector<TLangIdRec> FTranslations;
};

TModuleEntry UclFileUtilsModule();
