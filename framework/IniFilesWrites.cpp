// Writes into the in-memory INI document: the line a read would find is the one replaced.
#include "framework/IniFiles.h"

void TMemIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                              const UnicodeString& value) {
    const std::size_t found = SectionPosition(section);
    TSection& target = found == TNameIndex::Missing ? AddSection(section) : FSections[found];
    const std::size_t line = target.LastLineOfName.Find(
        ident, [&target](std::size_t at) { return target.LineText(at); });
    if (line == TNameIndex::Missing)
        AddLine(target, ident + L'=' + value);
    else
        target.Lines[line] = ident + L'=' + value; // the same name: its slot stays right
}
