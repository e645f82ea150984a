// Reads of the in-memory INI document. A lookup finds the last section, and within it the last
// line, of a name: a repeated section or key overrides what came before it.
#include "framework/IniFiles.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace {

bool IsAscii(std::wstring_view name) {
    return std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; });
}

// The system's mapping takes a-z to A-Z and leaves the rest of ASCII as it is, in every locale:
// names in ASCII, which is nearly all of them, are upper-cased here without a call per name.
wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - (L'a' - L'A')) : c; }

// Hands `name` upper-cased to `each`, piece by piece, in a buffer of the caller's stack.
template <class Each> void ForEachUpperPiece(std::wstring_view name, Each each) {
    std::array<wchar_t, 64> piece;
    for (std::size_t pos = 0; pos < name.size(); pos += piece.size()) {
        const std::size_t length = std::min(piece.size(), name.size() - pos);
        std::copy_n(name.data() + pos, length, piece.data());
        CharUpperBuffW(piece.data(), static_cast<DWORD>(length));
        each(std::wstring_view(piece.data(), length));
    }
}

} // namespace

void TMemIniFile::TNameIndex::Clear() noexcept {
    FSlots.clear();
    FCount = 0;
}

// FNV-1a over the upper-cased code units.
std::uint32_t TMemIniFile::TNameIndex::HashOf(std::wstring_view name) {
    std::uint32_t hash = 2166136261u;
    const auto add = [&hash](wchar_t c) {
        hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    };
    if (IsAscii(name)) {
        for (const wchar_t c : name) add(UpperAscii(c));
        return hash;
    }
    ForEachUpperPiece(name, [&add](std::wstring_view piece) {
        for (const wchar_t c : piece) add(c);
    });
    return hash;
}

// The mapping takes one code unit to one, so names of different lengths never match.
bool TMemIniFile::TNameIndex::SameName(std::wstring_view a, std::wstring_view b) {
    if (a == b) return true;
    if (a.size() != b.size()) return false;
    if (IsAscii(a) && IsAscii(b))
        return std::equal(a.begin(), a.end(), b.begin(),
                          [](wchar_t x, wchar_t y) { return UpperAscii(x) == UpperAscii(y); });
    std::array<wchar_t, 64> upper;
    bool same = true;
    std::size_t pos = 0;
    ForEachUpperPiece(a, [&](std::wstring_view piece) {
        if (!same) return;
        const std::size_t length = piece.size();
        std::copy_n(b.data() + pos, length, upper.data());
        CharUpperBuffW(upper.data(), static_cast<DWORD>(length));
        same = piece == std::wstring_view(upper.data(), length);
        pos += length;
    });
    return same;
}

std::size_t TMemIniFile::TNameIndex::FreeSlot(std::uint32_t hash) const noexcept {
    const std::size_t mask = FSlots.size() - 1;
    std::size_t slot = hash & mask;
    while (FSlots[slot].Position != Free) slot = (slot + 1) & mask;
    return slot;
}

void TMemIniFile::TNameIndex::Grow() {
    std::vector<TSlot> old(std::max<std::size_t>(FSlots.size() * 2, 16));
    old.swap(FSlots);
    for (const TSlot& slot : old)
        if (slot.Position != Free) FSlots[FreeSlot(slot.Hash)] = slot;
}

std::size_t TMemIniFile::SectionPosition(std::wstring_view name) const {
    return FLastSectionOfName.Find(name,
                                   [this](std::size_t section) { return SectionText(section); });
}

const TMemIniFile::TSection* TMemIniFile::FindSection(std::wstring_view name) const {
    const std::size_t found = SectionPosition(name);
    return found == TNameIndex::Missing ? nullptr : &FSections[found];
}

void TMemIniFile::ReadSections(TStrings* strings) const {
    ReplaceContents(strings, [this, strings] {
        for (const TSection& section : FSections) strings->Add(section.Name);
    });
}

// The names and lines pass through one buffer, so that each costs only the list's own copy.
void TMemIniFile::ReadSection(const UnicodeString& section, TStrings* strings) const {
    ReplaceContents(strings, [this, found = FindSection(section), strings] {
        if (!found) return;
        UnicodeString name;
        for (const TLine& line : found->Lines) {
            const std::wstring_view text = LineView(line);
            const std::size_t equals = text.find(L'=');
            strings->Add(name.assign(text.substr(0, equals == text.npos ? 0 : equals)));
        }
    });
}

void TMemIniFile::ReadSectionValues(const UnicodeString& section, TStrings* strings) const {
    ReplaceContents(strings, [this, found = FindSection(section), strings] {
        if (!found) return;
        UnicodeString text;
        for (const TLine& line : found->Lines) strings->Add(text.assign(LineView(line)));
    });
}

UnicodeString TMemIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                      const UnicodeString& defaultValue) const {
    const TSection* found = FindSection(section);
    if (!found) return defaultValue;
    const std::size_t line = found->LastLineOfName.Find(ident, LineTextOf(*found));
    if (line == TNameIndex::Missing) return defaultValue;
    const std::wstring_view text = LineView(found->Lines[line]);
    return UnicodeString(text.substr(text.find(L'=') + 1));
}
