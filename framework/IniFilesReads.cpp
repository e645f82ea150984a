// Reads of the in-memory INI document. A lookup finds the last section, and within it the last
// line, of a name: a repeated section or key overrides what came before it.
#include "framework/IniFiles.h"

#include <windows.h>

#include <algorithm>

UnicodeString TMemIniFile::LookupKey(std::wstring_view name) {
    UnicodeString key(name);
    if (!key.empty()) CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

TMemIniFile::TLookupName::TLookupName(std::wstring_view name) {
    wchar_t* chars = FBuffer.data();
    if (name.size() > FBuffer.size()) {
        FLong.assign(name);
        chars = FLong.data();
    } else {
        std::copy(name.begin(), name.end(), chars);
    }
    if (!name.empty()) CharUpperBuffW(chars, static_cast<DWORD>(name.size()));
    FView = std::wstring_view(chars, name.size());
}

const TMemIniFile::TSection* TMemIniFile::FindSection(const UnicodeString& name) const {
    const auto found = FLastSectionOfName.find(TLookupName(name).View());
    return found == FLastSectionOfName.end() ? nullptr : &FSections[found->second];
}

void TMemIniFile::ReplaceContents(TStrings* strings, const std::vector<UnicodeString>& items) {
    strings->BeginUpdate();
    try {
        strings->Clear();
        for (const UnicodeString& item : items) strings->Add(item);
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* strings) const {
    std::vector<UnicodeString> names;
    for (const TSection& section : FSections) names.push_back(section.Name);
    ReplaceContents(strings, names);
}

void TMemIniFile::ReadSection(const UnicodeString& section, TStrings* strings) const {
    std::vector<UnicodeString> names;
    if (const TSection* found = FindSection(section)) {
        for (const UnicodeString& line : found->Lines) {
            const std::size_t equals = line.find(L'=');
            names.push_back(equals == UnicodeString::npos ? UnicodeString()
                                                          : line.substr(0, equals));
        }
    }
    ReplaceContents(strings, names);
}

void TMemIniFile::ReadSectionValues(const UnicodeString& section, TStrings* strings) const {
    const TSection* found = FindSection(section);
    ReplaceContents(strings, found ? found->Lines : std::vector<UnicodeString>());
}

UnicodeString TMemIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                      const UnicodeString& defaultValue) const {
    const TSection* found = FindSection(section);
    if (!found) return defaultValue;
    const auto line = found->LastLineOfName.find(TLookupName(ident).View());
    if (line == found->LastLineOfName.end()) return defaultValue;
    const UnicodeString& text = found->Lines[line->second];
    return text.substr(text.find(L'=') + 1);
}
