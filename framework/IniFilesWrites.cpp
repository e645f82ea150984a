// Writes into the in-memory INI document: the line a read would find is the one replaced.
#include "framework/IniFiles.h"

void TMemIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                              const UnicodeString& value) {
    const auto found = FLastSectionOfName.find(LookupKey(section));
    TSection& target =
        found == FLastSectionOfName.end() ? AddSection(section) : FSections[found->second];
    const auto line = target.LastLineOfName.find(LookupKey(ident));
    if (line == target.LastLineOfName.end())
        AddLine(target, ident + L'=' + value);
    else
        target.Lines[line->second] = ident + L'=' + value;
}
