// Building the in-memory INI document from lines and writing it back as lines. The document is
// rebuilt as a whole; the workload is small (a server's list of a few hundred lines), so the
// lookups are rebuilt with it rather than maintained across edits.
#include "framework/IniFiles.h"

#include <string_view>

namespace {

bool IsBlankOrControl(wchar_t ch) { return ch <= L' '; }

// Views, not copies: a line is moved once, into the form it is stored in.
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
    FText = UnicodeString();
    FUnused = 0;
}

// Each item is appended to the text and stored over itself at once, so the text never holds
// more than one item beyond the stored lines.
void TMemIniFile::SetStrings(const TStrings* lines) {
    Clear();
    TSection* current = nullptr;
    std::size_t stored = 0;
    for (int i = 0; i < lines->Count(); ++i) {
        const std::size_t begin = FText.size();
        FText += lines->Strings(i);
        StoreText(begin, FText.size(), stored, current);
        FText.resize(stored);
    }
}

void TMemIniFile::SetText(std::wstring_view text) { SetText(UnicodeString(text)); }

// Lines end at CR, LF or CR LF; a last line without an end is a line, an end at the very end
// starts none.
void TMemIniFile::SetText(UnicodeString&& text) {
    Clear();
    FText = std::move(text);
    TSection* current = nullptr;
    std::size_t stored = 0;
    const std::size_t size = FText.size();
    for (std::size_t begin = 0; begin < size;) {
        std::size_t end = begin;
        while (end < size && FText[end] != L'\r' && FText[end] != L'\n') ++end;
        StoreText(begin, end, stored, current);
        if (end == size) break;
        begin = end + 1;
        if (FText[end] == L'\r' && begin < size && FText[begin] == L'\n') ++begin;
    }
    FText.resize(stored);
}

// A stored line is never longer than the text it comes from and lines are stored in order, so
// writing it at `stored` overwrites only text already read.
void TMemIniFile::StoreText(std::size_t begin, std::size_t end, std::size_t& stored,
                            TSection*& current) {
    const std::wstring_view line = Trim(std::wstring_view(FText).substr(begin, end - begin));
    if (line.empty() || line.front() == L';') return;
    if (IsSectionHeader(line)) {
        current = &AddSection(UnicodeString(Trim(line.substr(1, line.size() - 2))));
        return;
    }
    if (current) StoreLine(*current, line, stored);
}

void TMemIniFile::StoreLine(TSection& section, std::wstring_view line, std::size_t& stored) {
    wchar_t* const text = FText.data();
    const auto put = [text, &stored](std::wstring_view part) {
        std::char_traits<wchar_t>::move(text + stored, part.data(), part.size());
        stored += part.size();
    };
    const std::size_t start = stored;
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) {
        put(line);
        section.Lines.push_back(TLine{start, line.size()});
        return;
    }
    const std::wstring_view name = Trim(line.substr(0, equals));
    const std::size_t nameLength = name.size();
    put(name);
    put(L"=");
    put(Trim(line.substr(equals + 1)));
    section.Lines.push_back(TLine{start, stored - start});
    // The name as stored: where it was read from may be overwritten by now.
    section.LastLineOfName.Set(std::wstring_view(text + start, nameLength),
                               section.Lines.size() - 1, LineTextOf(section));
}

void TMemIniFile::AppendLine(TSection& section, std::wstring_view line) {
    std::size_t stored = FText.size();
    FText.append(line);
    StoreLine(section, std::wstring_view(FText).substr(stored), stored);
    FText.resize(stored);
}

TMemIniFile::TSection& TMemIniFile::AddSection(const UnicodeString& name) {
    TSection& added = FSections.emplace_back(TSection{name, {}, {}});
    FLastSectionOfName.Set(name, FSections.size() - 1,
                           [this](std::size_t section) { return SectionText(section); });
    return added;
}

void TMemIniFile::Compact() {
    UnicodeString text;
    text.reserve(FText.size() - FUnused);
    for (TSection& section : FSections)
        for (TLine& line : section.Lines) {
            const std::size_t start = text.size();
            text.append(LineView(line));
            line.Start = start;
        }
    FText = std::move(text);
    FUnused = 0;
}

void TMemIniFile::GetStrings(TStrings* lines) const {
    ReplaceContents(lines, [this](TListWriter& writer) {
        for (const TSection& section : FSections) {
            writer.Add(L'[' + section.Name + L']');
            for (const TLine& line : section.Lines) writer.Add(LineView(line));
            writer.Add(L"");
        }
    });
}
