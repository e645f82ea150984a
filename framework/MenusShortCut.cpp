// Shortcuts and accelerators: a shortcut is a virtual key with modifier flags, written as
// "Shift+Ctrl+Alt+Key". Key names are the library's own fixed English names rather than the
// keyboard driver's (GetKeyNameText), so that a shortcut reads the same on every system and
// text written by one program is read back by another; only punctuation keys, whose character
// depends on the layout, ask the system for their character.
#include "framework/Menus.h"

#include <cwchar>
#include <cwctype>

namespace {

struct TKeyName {
    Word Key;
    const wchar_t* Name;
};

constexpr TKeyName KeyNames[] = {
    {VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},        {VK_ESCAPE, L"Esc"},    {VK_RETURN, L"Enter"},
    {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"},     {VK_NEXT, L"PgDn"},     {VK_END, L"End"},
    {VK_HOME, L"Home"},   {VK_LEFT, L"Left"},      {VK_UP, L"Up"},         {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"},     {VK_DELETE, L"Del"},    {VK_MULTIPLY, L"Num *"},
    {VK_ADD, L"Num +"},   {VK_SUBTRACT, L"Num -"}, {VK_DECIMAL, L"Num ."}, {VK_DIVIDE, L"Num /"},
};

struct TModifier {
    TShortCut Flag;
    const wchar_t* Prefix;
};

constexpr TModifier Modifiers[] = {{scShift, L"Shift+"}, {scCtrl, L"Ctrl+"}, {scAlt, L"Alt+"}};

UnicodeString KeyName(Word key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return UnicodeString(1, static_cast<wchar_t>(key));
    if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return L"Num " + std::to_wstring(key - VK_NUMPAD0);
    for (const TKeyName& entry : KeyNames)
        if (entry.Key == key) return entry.Name;
    if (key >= VK_OEM_1 && key <= VK_OEM_8) {
        // The high bit marks a dead key; its character is still the key's name.
        const UINT ch = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0x7FFFFFFF;
        if (ch > L' ') return UnicodeString(1, static_cast<wchar_t>(ch));
    }
    return {};
}

bool SameText(const UnicodeString& a, const UnicodeString& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

bool StartsWithText(const UnicodeString& text, std::size_t at, const wchar_t* prefix) {
    const UnicodeString p(prefix);
    return text.size() - at >= p.size() && SameText(text.substr(at, p.size()), p);
}

// Strips the modifier prefixes at the start of `text`, collecting their flags.
TShortCut TakeModifiers(const UnicodeString& text, std::size_t& at) {
    TShortCut flags = 0;
    for (bool found = true; found;) {
        found = false;
        for (const TModifier& modifier : Modifiers) {
            if (StartsWithText(text, at, modifier.Prefix)) {
                flags |= modifier.Flag;
                at += std::wcslen(modifier.Prefix);
                found = true;
            }
        }
    }
    return flags;
}

} // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
    if (Key & 0xFF00) return scNone; // not a virtual key
    TShortCut result = Key;
    if (Shift.Contains(ssShift)) result |= scShift;
    if (Shift.Contains(ssCtrl)) result |= scCtrl;
    if (Shift.Contains(ssAlt)) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
    Key = ShortCut & 0xFF;
    Shift = {};
    if (ShortCut & scShift) Shift.Include(ssShift);
    if (ShortCut & scCtrl) Shift.Include(ssCtrl);
    if (ShortCut & scAlt) Shift.Include(ssAlt);
}

UnicodeString ShortCutToText(TShortCut ShortCut) {
    const UnicodeString name = KeyName(ShortCut & 0xFF);
    if (name.empty()) return {};
    UnicodeString text;
    for (const TModifier& modifier : Modifiers)
        if (ShortCut & modifier.Flag) text += modifier.Prefix;
    return text + name;
}

TShortCut TextToShortCut(const UnicodeString& Text) {
    std::size_t at = 0;
    const TShortCut flags = TakeModifiers(Text, at);
    const UnicodeString rest = Text.substr(at);
    if (rest.empty()) return scNone;
    for (Word key = 1; key <= 0xFF; ++key)
        if (SameText(KeyName(key), rest)) return static_cast<TShortCut>(key | flags);
    return scNone;
}

UnicodeString StripHotkey(const UnicodeString& Text) {
    UnicodeString result;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == L'&' && i + 1 < Text.size())
            ++i;
        else if (Text[i] == L'&')
            continue;
        result += Text[i];
    }
    return result;
}

wchar_t GetHotkey(const UnicodeString& Text) {
    for (std::size_t i = 0; i + 1 < Text.size(); ++i) {
        if (Text[i] != L'&') continue;
        if (Text[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(Text[i + 1]));
        ++i; // "&&" is a literal ampersand
    }
    return 0;
}
