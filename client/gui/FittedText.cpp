// The status panel's line layout, measured with the system's text extents.
#include "client/gui/FittedText.h"

#include <algorithm>

namespace {

constexpr wchar_t Ellipsis = L'\x2026';

// Chinese, Japanese and Korean characters and their full-width punctuation: a line may break
// before or after any of them.
bool IsWide(wchar_t c) { return c >= 0x2E80; }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

// How many characters of text[from, to) fit in `width`.
std::size_t FittingCount(HDC dc, const UnicodeString& text, std::size_t from, std::size_t to,
                         int width) {
    if (from >= to) return 0;
    int fit = 0;
    SIZE size{};
    GetTextExtentExPointW(dc, text.c_str() + from, static_cast<int>(to - from), width, &fit,
                          nullptr, &size);
    return static_cast<std::size_t>(std::max(fit, 0));
}

// The end of the line that starts at `from` and may hold `fit` characters before `limit`:
// after the last break opportunity that fits (the last blank, when blanks come first), or at
// `fit` when there is none.
std::size_t LineBreak(const UnicodeString& text, std::size_t from, std::size_t fit,
                      std::size_t limit, bool blanksFirst) {
    const std::size_t end = from + fit;
    if (end >= limit) return limit;
    if (blanksFirst)
        for (std::size_t i = end; i > from; --i)
            if (IsBlank(text[i - 1]) || IsBlank(text[i])) return i;
    for (std::size_t i = end; i > from; --i)
        if (IsBlank(text[i - 1]) || IsBlank(text[i]) || IsWide(text[i - 1]) || IsWide(text[i]))
            return i;
    return std::max(end, from + 1);
}

UnicodeString TrimBlanks(UnicodeString line) {
    while (!line.empty() && IsBlank(line.back())) line.pop_back();
    return line;
}

// The text from `from` to the end of its paragraph, cut to fit `width` with "…" after it.
UnicodeString Ellipsized(HDC dc, const UnicodeString& text, std::size_t from, std::size_t to,
                         int width) {
    const int room = std::max(width - TextWidth(dc, UnicodeString(1, Ellipsis)), 0);
    const std::size_t fit = FittingCount(dc, text, from, to, room);
    return TrimBlanks(text.substr(from, fit)) + Ellipsis;
}

} // namespace

int TextWidth(HDC dc, const UnicodeString& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

namespace {

// The layout with breaks at blanks first or at the last opportunity; `cut` tells whether the
// text had to be cut.
std::vector<UnicodeString> Layout(HDC dc, const UnicodeString& text, int width, int maxLines,
                                  bool blanksFirst, bool& cut) {
    cut = false;
    std::vector<UnicodeString> lines;
    std::size_t at = 0;
    const std::size_t length = text.size();
    while (at < length) {
        std::size_t paragraphEnd = at;
        while (paragraphEnd < length && !IsLineEnd(text[paragraphEnd])) ++paragraphEnd;
        const std::size_t fit = FittingCount(dc, text, at, paragraphEnd, width);
        const std::size_t end = LineBreak(text, at, fit, paragraphEnd, blanksFirst);
        std::size_t next = end;
        while (next < paragraphEnd && IsBlank(text[next])) ++next;
        if (next == paragraphEnd && paragraphEnd < length) {
            next += text[paragraphEnd] == L'\r' && paragraphEnd + 1 < length &&
                            text[paragraphEnd + 1] == L'\n'
                        ? 2
                        : 1;
        }
        const bool more = next < length;
        if (static_cast<int>(lines.size()) + 1 == maxLines && more) {
            // The last line the box has, and text left: it ends with the ellipsis.
            cut = true;
            const bool wholeParagraph = end == paragraphEnd;
            lines.push_back(wholeParagraph &&
                                    TextWidth(dc, text.substr(at, end - at) + Ellipsis) <= width
                                ? TrimBlanks(text.substr(at, end - at)) + Ellipsis
                                : Ellipsized(dc, text, at, paragraphEnd, width));
            return lines;
        }
        lines.push_back(TrimBlanks(text.substr(at, end - at)));
        at = next;
    }
    if (lines.empty()) lines.emplace_back();
    return lines;
}

} // namespace

// Words stay whole where that still fits the box ("在线时间" is not split when the blank before
// it can take the break); otherwise every opportunity is used before anything is cut.
std::vector<UnicodeString> FitTextLines(HDC dc, const UnicodeString& text, int width,
                                        int maxLines) {
    maxLines = std::max(maxLines, 1);
    bool cut = false;
    std::vector<UnicodeString> lines = Layout(dc, text, width, maxLines, true, cut);
    return cut ? Layout(dc, text, width, maxLines, false, cut) : lines;
}
