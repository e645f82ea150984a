// The text rules of the toolkit: splitting, 1-based substrings with negative indexes counted
// from the end, prefix and suffix tests, and the small transformations. Positions follow the
// class library's clamping rules, so that callers cutting server replies never see a range
// error: a position outside the text gives "nothing", not a failure.
#include "support/MYString/MYString.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace mystring {

// One pass over the text: a server reply of a million characters splits in linear time (erasing
// each consumed piece from the front made it quadratic).
std::vector<UnicodeString> SplitPieces(const UnicodeString& text, const UnicodeString& separator) {
    std::vector<UnicodeString> pieces;
    std::size_t start = 0;
    if (!separator.empty()) {
        for (std::size_t found; (found = text.find(separator, start)) != UnicodeString::npos;
             start = found + separator.size())
            if (found > start) pieces.push_back(text.substr(start, found - start));
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

TStringList* SplitToList(const UnicodeString& text, const UnicodeString& separator) {
    auto* list = new TStringList();
    for (const UnicodeString& piece : SplitPieces(text, separator)) list->Add(piece);
    return list;
}

UnicodeString SubStr(const UnicodeString& text, Integer index, Integer count) {
    // 0 and negative indexes count from the end: -1 is the last character, 0 just past it.
    if (index <= 0) index += static_cast<Integer>(text.size()) + 1;
    return Copy(text, index, count);
}

Integer PosOf(const UnicodeString& text, const UnicodeString& needle, Integer start) {
    return Pos(needle, text, start > 0 ? start : 1);
}

bool StartsWith(const UnicodeString& text, const UnicodeString& prefix) {
    return text.starts_with(prefix);
}

bool EndsWith(const UnicodeString& text, const UnicodeString& suffix) {
    if (suffix.empty()) return false;
    const Integer length = static_cast<Integer>(suffix.size());
    return SubStr(text, static_cast<Integer>(text.size()) - length + 1, length) == suffix;
}

UnicodeString ChangeSuffix(const UnicodeString& text, const std::vector<UnicodeString>& endings,
                           const UnicodeString& newEnding) {
    for (const UnicodeString& ending : endings) {
        if (!EndsWith(text, ending)) continue;
        return text.substr(0, text.size() - ending.size()) + newEnding;
    }
    return text;
}

bool SameAs(const UnicodeString& text, const UnicodeString& other, Integer ignoreCase) {
    if (ignoreCase == 1) return LowerCase(text) == LowerCase(other);
    return text == other;
}

UnicodeString Reverse(const UnicodeString& text) {
    return UnicodeString(text.rbegin(), text.rend());
}

UnicodeString RepeatText(const UnicodeString& text, Integer count) {
    UnicodeString result;
    for (Integer i = 0; i < count; ++i) result += text;
    return result;
}

UnicodeString RandomText(Integer count) {
    static constexpr const wchar_t* Picks[] = {L"1", L"2", L"3", L"4", L"5",
                                               L"6", L"7", L"8", L"9", L"10"};
    // Reseeded from the clock on every call, as the operation promises nothing more.
    std::minstd_rand generator(static_cast<unsigned>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> pick(0, 9);
    UnicodeString result;
    for (Integer i = 0; i < count; ++i) result += Picks[pick(generator)];
    return result;
}

} // namespace mystring
