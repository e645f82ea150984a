// The in-memory INI document: an ordered list of sections, each an ordered list of lines,
// normally name=value. Section and key names are compared without regard to case (both sides
// upper-cased by the system's locale-aware mapping) through hashed lookups; a name that occurs
// more than once finds its last occurrence, so a repeated section or key overrides the earlier
// one while both stay in the document.
//
// Text builds the document by this grammar, line by line, each line trimmed of blanks and
// control characters: empty lines and lines beginning with ";" are skipped; "[name]" starts a
// section (a new one even when the name exists); any other line belongs to the current section,
// split at its first "=" with both sides trimmed, or kept whole without "="; lines before the
// first section are dropped. Values may hold "=", commas and inner blanks.
//
// The document keeps no file of its own: a descendant that keeps one writes it in UpdateFile.
#pragma once

#include "framework/StringLists.h"

#include <cstdint>
#include <string_view>
#include <vector>

class TMemIniFile : public TObject {
    CLASS_INFO(TMemIniFile, TObject)
public:
    // Writes the document to wherever the descendant keeps it.
    virtual void UpdateFile() = 0;

    void Clear();
    // Replaces the whole document with what the lines define.
    void SetStrings(const TStrings* lines);
    // The same from text whose lines end in CR, LF or CR LF, without a list in between.
    void SetText(std::wstring_view text);
    // The same, taking the text over: the stored lines are written into it where they lie, so
    // loading copies and allocates nothing per line.
    void SetText(UnicodeString&& text);
    // The document as lines: "[name]", the section's lines as stored, an empty line, in order.
    void GetStrings(TStrings* lines) const;

    // Every section name in document order, repeated names included; the list is replaced.
    void ReadSections(TStrings* strings) const;
    // The list is cleared, then gets the name part of each line of the section (empty for a
    // line without "="); nothing for a missing section.
    void ReadSection(const UnicodeString& section, TStrings* strings) const;
    // The list is cleared, then gets the section's lines as stored.
    void ReadSectionValues(const UnicodeString& section, TStrings* strings) const;
    // The value of the key's last line in the section; `defaultValue` when the section or the
    // key is missing (an empty value is a value).
    UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                             const UnicodeString& defaultValue) const;
    // Sets the key's value: the key's last line in the section takes "ident=value", or the line
    // is appended; a missing section is appended first.
    void WriteString(const UnicodeString& section, const UnicodeString& ident,
                     const UnicodeString& value);

private:
    // Name → the position of its last occurrence, names compared as the system's locale-aware
    // mapping upper-cases them. The table keeps no names of its own: a slot holds the name's
    // hash, its length and the position of the text it starts, which the caller's `textOf`
    // turns into characters. So adding a name allocates nothing beyond the table's growth, and
    // a lookup nothing at all.
    class TNameIndex {
    public:
        static constexpr std::size_t Missing = ~std::size_t{0};
        // Positions past this are not indexed: four thousand million lines do not fit anyway.
        static constexpr std::size_t MaxPosition = 0xFFFFFFFEu;

        void Clear() noexcept;
        template <class TextOf> std::size_t Find(std::wstring_view name, TextOf textOf) const {
            const std::size_t slot = SlotOf(name, HashOf(name), textOf);
            return slot == Missing ? Missing : std::size_t{FSlots[slot].Position};
        }
        // Sets the name's position; the name is the text at that position, as `textOf` sees it.
        template <class TextOf>
        void Set(std::wstring_view name, std::size_t position, TextOf textOf) {
            if (position > MaxPosition) return;
            if ((FCount + 1) * 4 > FSlots.size() * 3) Grow();
            const std::uint32_t hash = HashOf(name);
            std::size_t slot = SlotOf(name, hash, textOf);
            if (slot == Missing) {
                slot = FreeSlot(hash);
                FSlots[slot].Hash = hash;
                FSlots[slot].Length = name.size();
                ++FCount;
            }
            FSlots[slot].Position = static_cast<std::uint32_t>(position);
        }

    private:
        static constexpr std::uint32_t Free = 0xFFFFFFFFu;
        struct TSlot {
            std::size_t Length = 0;
            std::uint32_t Position = Free;
            std::uint32_t Hash = 0;
        };

        static std::uint32_t HashOf(std::wstring_view name);
        static bool SameName(std::wstring_view a, std::wstring_view b);
        template <class TextOf>
        std::size_t SlotOf(std::wstring_view name, std::uint32_t hash, TextOf textOf) const {
            if (FSlots.empty()) return Missing;
            const std::size_t mask = FSlots.size() - 1;
            for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
                const TSlot& at = FSlots[slot];
                if (at.Position == Free) return Missing;
                if (at.Hash == hash && at.Length == name.size() &&
                    SameName(name, std::wstring_view(textOf(at.Position), at.Length)))
                    return slot;
            }
        }
        std::size_t FreeSlot(std::uint32_t hash) const noexcept;
        void Grow();

        std::vector<TSlot> FSlots; // a power of two of them, at most three quarters in use
        std::size_t FCount = 0;
    };

    // A stored line: where its characters lie in FText.
    struct TLine {
        std::size_t Start = 0;
        std::size_t Length = 0;
    };
    struct TSection {
        UnicodeString Name;
        std::vector<TLine> Lines;
        // The name part of each line with "=" → the last such line.
        TNameIndex LastLineOfName;
    };

    std::wstring_view LineView(const TLine& line) const noexcept {
        return std::wstring_view(FText.data() + line.Start, line.Length);
    }
    auto LineTextOf(const TSection& section) const {
        return
            [this, &section](std::size_t line) { return FText.data() + section.Lines[line].Start; };
    }
    // Gives a list the items of a read one by one. A plain unsorted string list that owns no
    // objects has its items overwritten where they are, which keeps their storage: reading
    // section after section into one list then allocates nearly nothing.
    class TListWriter {
    public:
        explicit TListWriter(TStrings* strings);
        void Add(std::wstring_view item);
        // Drops what the list held beyond the items given.
        void Finish();

    private:
        TStrings* FStrings;
        TStringList* FReused = nullptr;
        int FCount = 0;
        UnicodeString FItem;
    };
    // Replaces the list's items with those `fill` gives the writer, as one change.
    template <class Fill> static void ReplaceContents(TStrings* strings, Fill fill) {
        strings->BeginUpdate();
        try {
            TListWriter writer(strings);
            fill(writer);
            writer.Finish();
        } catch (...) {
            strings->EndUpdate();
            throw;
        }
        strings->EndUpdate();
    }
    // Stores what the text of FText from `begin` to `end` defines, writing the stored line at
    // the end of the lines stored so far (`stored`, never past `begin`); `current` is the
    // section lines go to.
    void StoreText(std::size_t begin, std::size_t end, std::size_t& stored, TSection*& current);
    // Stores one line of the section, `line` being text of FText that lies at `stored` or
    // after it: split at its first "=", both sides trimmed.
    void StoreLine(TSection& section, std::wstring_view line, std::size_t& stored);
    // Appends `line` to FText and stores it as a line of the section.
    void AppendLine(TSection& section, std::wstring_view line);
    TSection& AddSection(const UnicodeString& name);
    // Writes FText again with only the characters lines still use.
    void Compact();
    // The position of the last section of that name, or TNameIndex::Missing.
    std::size_t SectionPosition(std::wstring_view name) const;
    const TSection* FindSection(std::wstring_view name) const;
    const wchar_t* SectionText(std::size_t section) const noexcept {
        return FSections[section].Name.data();
    }

    std::vector<TSection> FSections;
    // The characters of every stored line, one after another: loaded text is stored over
    // itself, so a document costs one allocation for all its lines. A rewritten line goes to
    // the end and leaves its old characters unused until the text is compacted.
    UnicodeString FText;
    std::size_t FUnused = 0;
    // Section name → the last section with that name.
    TNameIndex FLastSectionOfName;
};
