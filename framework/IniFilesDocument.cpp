// Building the in-memory INI document from lines and writing it back as lines. The document is
// rebuilt as a whole; the workload is small (a server's list of a few hundred lines), so the
// lookups are rebuilt with it rather than maintained across edits.
#include "framework/IniFiles.h"

#include <string_view>

namespace {

bool IsBlankOrControl(wchar_t ch) { return ch <= L' '; }

// Views, not copies: a line is copied once, into the form it is stored in.
std::wstring_view Trim(std::wstring_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlankOrControl(text[first])) ++first;
    while (last > first && IsBlankOrControl(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool IsSectionHeader(std::wstring_view line) {
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
        const UnicodeString& text = lines->Strings(i);
        const std::wstring_view line = Trim(text);
        if (line.empty() || line.front() == L';') continue;
        if (IsSectionHeader(line))
            current = &AddSection(UnicodeString(Trim(line.substr(1, line.size() - 2))));
        else if (current)
            AddLine(*current, line);
    }
}

TMemIniFile::TSection& TMemIniFile::AddSection(const UnicodeString& name) {
    FLastSectionOfName[LookupKey(name)] = FSections.size();
    return FSections.emplace_back(TSection{name, {}, {}});
}

void TMemIniFile::AddLine(TSection& section, std::wstring_view line) {
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) {
        section.Lines.emplace_back(line);
        return;
    }
    const std::wstring_view name = Trim(line.substr(0, equals));
    const std::wstring_view value = Trim(line.substr(equals + 1));
    UnicodeString stored;
    stored.reserve(name.size() + 1 + value.size());
    stored.append(name).append(1, L'=').append(value);
    section.LastLineOfName[LookupKey(name)] = section.Lines.size();
    section.Lines.push_back(std::move(stored));
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
