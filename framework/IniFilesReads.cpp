// Reads of the in-memory INI document. A lookup finds the last section, and within it the last
// line, of a name: a repeated section or key overrides what came before it.
#include "framework/IniFiles.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <typeinfo>

namespace {

constexpr std::size_t PieceSize = 64;

// `length` code units from `from` upper-cased into `to`. The system's mapping takes a-z to A-Z
// and leaves the rest of ASCII as it is, in every locale: pieces in ASCII, which names nearly
// always are, are mapped here without a call into the system.
void UpperPiece(const wchar_t* from, std::size_t length, wchar_t* to) {
    wchar_t any = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const wchar_t c = from[i];
        any |= c;
        to[i] = static_cast<wchar_t>(c - (static_cast<unsigned>(c - L'a') < 26u ? 32 : 0));
    }
    if (any >= 0x80) {
        std::copy_n(from, length, to);
        CharUpperBuffW(to, static_cast<DWORD>(length));
    }
}

// Hands `name` upper-cased to `each`, piece by piece, in a buffer of the caller's stack.
template <class Each> void ForEachUpperPiece(std::wstring_view name, Each each) {
    std::array<wchar_t, PieceSize> piece;
    for (std::size_t pos = 0; pos < name.size(); pos += piece.size()) {
        const std::size_t length = std::min(piece.size(), name.size() - pos);
        UpperPiece(name.data() + pos, length, piece.data());
        each(std::wstring_view(piece.data(), length));
    }
}

} // namespace

void TMemIniFile::TNameIndex::Clear() noexcept {
    FSlots.clear();
    FCount = 0;
}

// The upper-cased code units taken four at a time, each word mixed in by a multiplication; a
// last part word is padded with zeros. Every piece but the last is whole words, so the hash
// depends on the upper-cased units alone, whichever way they were upper-cased.
namespace {

constexpr std::uint64_t HashFactor = 0x9E3779B97F4A7C15u;
constexpr std::uint64_t EachUnit(std::uint64_t value) { return value * 0x0001000100010001u; }

std::uint64_t MixWord(std::uint64_t hash, std::uint64_t word) { return (hash ^ word) * HashFactor; }

// Four ASCII code units upper-cased at once: a unit from "a" to "z" loses 0x20.
std::uint64_t UpperAsciiWord(std::uint64_t word) {
    const std::uint64_t fromA = word + EachUnit(0x80 - L'a'),
                        pastZ = word + EachUnit(0x80 - L'z' - 1);
    return word - (((fromA & ~pastZ) & EachUnit(0x80)) >> 2);
}

std::uint64_t WordAt(const wchar_t* units, std::size_t count) {
    std::uint64_t word = 0;
    std::memcpy(&word, units, count * sizeof(wchar_t));
    return word;
}

} // namespace

std::uint32_t TMemIniFile::TNameIndex::HashOf(std::wstring_view name) {
    std::uint64_t hash = 0;
    // A short ASCII name, the usual one, is hashed where it lies.
    if (name.size() <= PieceSize) {
        std::uint64_t any = 0;
        std::size_t pos = 0;
        for (; pos + 4 <= name.size(); pos += 4) {
            const std::uint64_t word = WordAt(name.data() + pos, 4);
            any |= word;
            hash = MixWord(hash, UpperAsciiWord(word));
        }
        if (pos < name.size()) {
            const std::uint64_t word = WordAt(name.data() + pos, name.size() - pos);
            any |= word;
            hash = MixWord(hash, UpperAsciiWord(word));
        }
        if (!(any & EachUnit(0xFF80))) return static_cast<std::uint32_t>(hash ^ (hash >> 32));
        hash = 0;
    }
    ForEachUpperPiece(name, [&hash](std::wstring_view piece) {
        std::size_t pos = 0;
        for (; pos + 4 <= piece.size(); pos += 4)
            hash = MixWord(hash, WordAt(piece.data() + pos, 4));
        if (pos < piece.size())
            hash = MixWord(hash, WordAt(piece.data() + pos, piece.size() - pos));
    });
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// The mapping takes one code unit to one, so names of different lengths never match.
bool TMemIniFile::TNameIndex::SameName(std::wstring_view a, std::wstring_view b) {
    if (a == b) return true;
    if (a.size() != b.size()) return false;
    std::array<wchar_t, PieceSize> upper;
    bool same = true;
    std::size_t pos = 0;
    ForEachUpperPiece(a, [&](std::wstring_view piece) {
        if (!same) return;
        UpperPiece(b.data() + pos, piece.size(), upper.data());
        same = piece == std::wstring_view(upper.data(), piece.size());
        pos += piece.size();
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

TMemIniFile::TListWriter::TListWriter(TStrings* strings) : FStrings(strings) {
    auto* list =
        typeid(*strings) == typeid(TStringList) ? static_cast<TStringList*>(strings) : nullptr;
    if (list && !list->Sorted() && !list->OwnsObjects())
        FReused = list;
    else
        strings->Clear();
}

void TMemIniFile::TListWriter::Add(std::wstring_view item) {
    FItem.assign(item);
    if (FReused && FCount < FReused->Count()) {
        FReused->Put(FCount, FItem);
        if (FReused->Objects(FCount)) FReused->PutObject(FCount, nullptr);
    } else {
        FStrings->Add(FItem);
    }
    ++FCount;
}

void TMemIniFile::TListWriter::Finish() {
    if (FReused)
        while (FReused->Count() > FCount) FReused->Delete(FReused->Count() - 1);
}

void TMemIniFile::ReadSections(TStrings* strings) const {
    ReplaceContents(strings, [this](TListWriter& writer) {
        for (const TSection& section : FSections) writer.Add(section.Name);
    });
}

void TMemIniFile::ReadSection(const UnicodeString& section, TStrings* strings) const {
    ReplaceContents(strings, [this, found = FindSection(section)](TListWriter& writer) {
        if (!found) return;
        for (const TLine& line : found->Lines) {
            const std::wstring_view text = LineView(line);
            const std::size_t equals = text.find(L'=');
            writer.Add(text.substr(0, equals == text.npos ? 0 : equals));
        }
    });
}

void TMemIniFile::ReadSectionValues(const UnicodeString& section, TStrings* strings) const {
    ReplaceContents(strings, [this, found = FindSection(section)](TListWriter& writer) {
        if (found)
            for (const TLine& line : found->Lines) writer.Add(LineView(line));
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
