// INI-style text read without the INI document: the CommonSections text of the skin manager.
#include "skin/engine/sGeneralUtils.h"

#include "framework/Conversions.h"

void ParseIniSections(const TStrings* Lines, TStrings* Sections) {
    Sections->Clear();
    TStrings* current = nullptr;
    for (int i = 0; i < Lines->Count(); ++i) {
        const UnicodeString line = Lines->Strings(i);
        if (line.empty() || line[0] == L';') continue;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            current = new TStringList();
            Sections->AddObject(line.substr(1, line.size() - 2), current);
        } else if (current) {
            current->Add(line);
        }
    }
}

UnicodeString ReadIniString(const TStrings* Sections, const UnicodeString& Section,
                            const UnicodeString& Key, const UnicodeString& Default) {
    const int index = Sections->IndexOf(Section);
    if (index < 0) return Default;
    const auto* lines = static_cast<const TStrings*>(Sections->Objects(index));
    if (!lines) return Default;
    const int line = lines->IndexOfName(Key);
    if (line < 0) return Default;
    return lines->Strings(line).substr(Key.size() + 1);
}

int ReadIniInteger(const TStrings* Sections, const UnicodeString& Section, const UnicodeString& Key,
                   int Default) {
    UnicodeString value = ReadIniString(Sections, Section, Key, L"");
    if (value.size() > 2 && value[0] == L'0' && (value[1] == L'x' || value[1] == L'X'))
        value = L"$" + value.substr(2);
    return StrToIntDef(value, Default);
}
