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

#include <array>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

class TMemIniFile : public TObject {
    CLASS_INFO(TMemIniFile, TObject)
public:
    // Writes the document to wherever the descendant keeps it.
    virtual void UpdateFile() = 0;

    void Clear();
    // Replaces the whole document with what the lines define.
    void SetStrings(const TStrings* lines);
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
    // Looks up views as well as stored keys, so that a lookup allocates nothing.
    struct TKeyHash {
        using is_transparent = void;
        std::size_t operator()(std::wstring_view key) const noexcept {
            return std::hash<std::wstring_view>{}(key);
        }
    };
    using TKeyIndex = std::unordered_map<UnicodeString, std::size_t, TKeyHash, std::equal_to<>>;

    struct TSection {
        UnicodeString Name;
        std::vector<UnicodeString> Lines;
        // Upper-cased name part → the last line with that name; lines without "=" are absent.
        TKeyIndex LastLineOfName;
    };

    // A name upper-cased for a lookup, in a buffer of its own while it is short.
    class TLookupName {
    public:
        explicit TLookupName(std::wstring_view name);
        std::wstring_view View() const noexcept { return FView; }

    private:
        std::array<wchar_t, 64> FBuffer;
        UnicodeString FLong;
        std::wstring_view FView;
    };

    // The form names are looked up by: upper-cased with the system's locale-aware mapping.
    static UnicodeString LookupKey(std::wstring_view name);
    // Clears the list and adds the items as one change.
    static void ReplaceContents(TStrings* strings, const std::vector<UnicodeString>& items);
    TSection& AddSection(const UnicodeString& name);
    static void AddLine(TSection& section, std::wstring_view line);
    const TSection* FindSection(const UnicodeString& name) const;

    std::vector<TSection> FSections;
    // Upper-cased section name → the last section with that name.
    TKeyIndex FLastSectionOfName;
};
