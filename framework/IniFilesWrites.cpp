// Writes into the in-memory INI document: the line a read would find is the one replaced.
#include "framework/IniFiles.h"

void TMemIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                              const UnicodeString& value) {
    const std::size_t found = SectionPosition(section);
    TSection& target = found == TNameIndex::Missing ? AddSection(section) : FSections[found];
    const std::size_t line = target.LastLineOfName.Find(ident, LineTextOf(target));
    if (line == TNameIndex::Missing) {
        AppendLine(target, ident + L'=' + value);
        return;
    }
    // The same name: its slot stays right. The old characters stay unused until they are half
    // of the text, so rewriting one key over and over does not grow the text without end.
    TLine& replaced = target.Lines[line];
    FUnused += replaced.Length;
    replaced.Start = FText.size();
    FText.append(ident).append(1, L'=').append(value);
    replaced.Length = FText.size() - replaced.Start;
    if (FUnused * 2 > FText.size()) Compact();
}
