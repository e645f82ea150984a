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
    FLastSectionOfName.Clear();
}

void TMemIniFile::SetStrings(const TStrings* lines) {
    Clear();
    TSection* current = nullptr;
    for (int i = 0; i < lines->Count(); ++i) AddText(lines->Strings(i), current);
}

// Lines end at CR, LF or CR LF; a last line without an end is a line, an end at the very end
// starts none.
void TMemIniFile::SetText(std::wstring_view text) {
    Clear();
    TSection* current = nullptr;
    const wchar_t* const end = text.data() + text.size();
    for (const wchar_t* start = text.data(); start < end;) {
        const wchar_t* stop = start;
        while (stop < end && *stop != L'\r' && *stop != L'\n') ++stop;
        AddText(std::wstring_view(start, static_cast<std::size_t>(stop - start)), current);
        if (stop == end) break;
        start = stop + 1;
        if (*stop == L'\r' && start < end && *start == L'\n') ++start;
    }
}

void TMemIniFile::AddText(std::wstring_view text, TSection*& current) {
    const std::wstring_view line = Trim(text);
    if (line.empty() || line.front() == L';') return;
    if (IsSectionHeader(line))
        current = &AddSection(UnicodeString(Trim(line.substr(1, line.size() - 2))));
    else if (current)
        AddLine(*current, line);
}

TMemIniFile::TSection& TMemIniFile::AddSection(const UnicodeString& name) {
    TSection& added = FSections.emplace_back(TSection{name, {}, {}});
    FLastSectionOfName.Set(name, FSections.size() - 1,
                           [this](std::size_t section) { return SectionText(section); });
    return added;
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
    section.Lines.push_back(std::move(stored));
    section.LastLineOfName.Set(name, section.Lines.size() - 1,
                               [&section](std::size_t line) { return section.LineText(line); });
}

void TMemIniFile::GetStrings(TStrings* lines) const {
    ReplaceContents(lines, [this, lines] {
        for (const TSection& section : FSections) {
            lines->Add(L'[' + section.Name + L']');
            for (const UnicodeString& line : section.Lines) lines->Add(line);
            lines->Add(UnicodeString());
        }
    });
}
