// 1-based substrings with the clamping callers rely on: positions outside the text are not
// errors but give "nothing found", the empty text or no change, so that parsing code can cut
// fields without checking lengths first.
#include "framework/Conversions.h"

int Pos(const UnicodeString& sub, const UnicodeString& text, int offset) {
    if (sub.empty() || offset < 1 || offset > static_cast<int>(text.size())) return 0;
    const size_t found = text.find(sub, static_cast<size_t>(offset - 1));
    return found == UnicodeString::npos ? 0 : static_cast<int>(found) + 1;
}

UnicodeString Copy(const UnicodeString& text, int index, int count) {
    if (index < 1) index = 1;
    if (count < 1 || index > static_cast<int>(text.size())) return {};
    return text.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Delete(UnicodeString& text, int index, int count) {
    if (count < 1 || index < 1 || index > static_cast<int>(text.size())) return;
    text.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

UnicodeString StringReplace(const UnicodeString& text, const UnicodeString& oldPattern,
                            const UnicodeString& newPattern, TReplaceFlags flags) {
    if (oldPattern.empty()) return text;
    const bool ignoreCase = flags.Contains(rfIgnoreCase);
    // Upper-casing keeps every character in its place, so positions found in the searched copy
    // are positions in the original text.
    const UnicodeString searched = ignoreCase ? AnsiUpperCase(text) : text;
    const UnicodeString pattern = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
    UnicodeString result;
    size_t from = 0;
    size_t found;
    while ((found = searched.find(pattern, from)) != UnicodeString::npos) {
        result.append(text, from, found - from).append(newPattern);
        from = found + pattern.size();
        if (!flags.Contains(rfReplaceAll)) break;
    }
    return result.append(text, from, UnicodeString::npos);
}
