// Building the in-memory INI document from lines and writing it back as lines. The document is
// rebuilt as a whole; the workload is small (a server's list of a few hundred lines), so the
// lookups are rebuilt with it rather than maintained across edits.
#include "framework/IniFiles.h"

namespace {

bool IsBlankOrControl(wchar_t ch) { return ch <= L' '; }

UnicodeString Trim(const UnicodeString& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlankOrControl(text[first])) ++first;
    while (last > first && IsBlankOrControl(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool IsSectionHeader(const UnicodeString& line) {
    return line.size() >= 2 && line.front() == L'[' && line.back() == L']';
}

} // namespace

void TMemIniFile::Clear() {
    FSections.clear();
    FLastSectionOfName.clear();
}

void TMemIniFile::SetStrings(const TStrings* lines) {
    Clear();
    TSection* current = nullptr;
    for (int i = 0; i < lines->Count(); ++i) {
        const UnicodeString line = Trim(lines->Strings(i));
        if (line.empty() || line.front() == L';') continue;
        if (IsSectionHeader(line))
            current = &AddSection(Trim(line.substr(1, line.size() - 2)));
        else if (current)
            AddLine(*current, line);
    }
}

TMemIniFile::TSection& TMemIniFile::AddSection(const UnicodeString& name) {
    FLastSectionOfName[LookupKey(name)] = FSections.size();
    return FSections.emplace_back(TSection{name, {}, {}});
}

void TMemIniFile::AddLine(TSection& section, const UnicodeString& line) {
    const std::size_t equals = line.find(L'=');
    if (equals == UnicodeString::npos) {
        section.Lines.push_back(line);
        return;
    }
    const UnicodeString name = Trim(line.substr(0, equals));
    section.LastLineOfName[LookupKey(name)] = section.Lines.size();
    section.Lines.push_back(name + L'=' + Trim(line.substr(equals + 1)));
}

void TMemIniFile::GetStrings(TStrings* lines) const {
    std::vector<UnicodeString> text;
    for (const TSection& section : FSections) {
        text.push_back(L'[' + section.Name + L']');
        text.insert(text.end(), section.Lines.begin(), section.Lines.end());
        text.emplace_back();
    }
    ReplaceContents(lines, text);
}
