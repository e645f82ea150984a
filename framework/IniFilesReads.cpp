// Reads of the in-memory INI document. A lookup finds the last section, and within it the last
// line, of a name: a repeated section or key overrides what came before it.
#include "framework/IniFiles.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace {

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
    ForEachUpperPiece(name, [&hash](std::wstring_view piece) {
        for (const wchar_t c : piece) hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    });
    return hash;
}

// The mapping takes one code unit to one, so names of different lengths never match.
bool TMemIniFile::TNameIndex::SameName(std::wstring_view a, std::wstring_view b) {
    if (a == b) return true;
    if (a.size() != b.size()) return false;
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
    const std::size_t line =
        found->LastLineOfName.Find(ident, [found](std::size_t at) { return found->LineText(at); });
    if (line == TNameIndex::Missing) return defaultValue;
    const UnicodeString& text = found->Lines[line];
    return text.substr(text.find(L'=') + 1);
}
