// Where the parts of a header cell go: the caption, the glyph (an image of the header images or
// the column's check box) on the side its layout names, and the sort arrow after the caption
// (before it in right-to-left columns), aligned as the column's caption alignment says
// (mirrored for right-to-left columns). Whatever the alignment, the parts stay inside the
// column's margins: the sort arrow first, then the glyph, and the caption is cut at what is
// left. Also the word wrapping that wrapped captions use.
#include "vtree/VTWindow.h"

#include <algorithm>
#include <deque>

void MeasureTextRect(HDC DC, const UnicodeString& Text, TRect& Bounds, UINT DrawFormat) {
    Bounds.right = Bounds.left + 1;
    Bounds.bottom = Bounds.top + 1;
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &Bounds, DrawFormat | DT_CALCRECT);
}

namespace {

int MeasuredWidth(HDC DC, const UnicodeString& Text, UINT DrawFormat) {
    TRect bounds;
    MeasureTextRect(DC, Text, bounds, DrawFormat);
    return bounds.Width();
}

UnicodeString Trimmed(const UnicodeString& Text) {
    const std::size_t first = Text.find_first_not_of(L' ');
    if (first == UnicodeString::npos) return {};
    return Text.substr(first, Text.find_last_not_of(L' ') - first + 1);
}

std::deque<UnicodeString> Words(const UnicodeString& Text) {
    std::deque<UnicodeString> words;
    std::size_t start = 0;
    for (std::size_t blank; (blank = Text.find(L' ', start)) != UnicodeString::npos;
         start = blank + 1)
        words.push_back(Text.substr(start, blank - start));
    words.push_back(Text.substr(start));
    return words;
}

} // namespace

UnicodeString WrapText(HDC DC, const UnicodeString& Text, const TRect& Bounds, bool RightToLeft,
                       UINT DrawFormat) {
    const int maxWidth = Bounds.Width();
    std::deque<UnicodeString> words = Words(Trimmed(Text));
    if (words.size() == 1 && words.front().empty()) return {};
    auto joined = [&](const UnicodeString& Line, const UnicodeString& Word) {
        if (Line.empty()) return Word;
        return RightToLeft ? Word + L' ' + Line : Line + L' ' + Word;
    };
    auto next = [&]() -> UnicodeString& { return RightToLeft ? words.back() : words.front(); };
    auto drop = [&] { RightToLeft ? words.pop_back() : words.pop_front(); };
    UnicodeString result;
    while (!words.empty()) {
        UnicodeString line;
        bool started = false;
        while (!words.empty()) {
            const UnicodeString candidate = joined(line, next());
            if (MeasuredWidth(DC, candidate, DrawFormat) <= maxWidth) {
                line = candidate;
                started = true;
                drop();
                continue;
            }
            if (started) break;
            // A word wider than a whole line: as much of it as fits, at least one character.
            UnicodeString& word = next();
            std::size_t keep = std::min<std::size_t>(word.size(), 1);
            for (std::size_t n = word.size() > 2 ? word.size() - 1 : 0; n >= 2; --n) {
                const UnicodeString part =
                    RightToLeft ? word.substr(word.size() - n) : word.substr(0, n);
                if (MeasuredWidth(DC, part, DrawFormat) <= maxWidth) {
                    keep = n;
                    break;
                }
            }
            line = RightToLeft ? word.substr(word.size() - keep) : word.substr(0, keep);
            word = RightToLeft ? word.substr(0, word.size() - keep) : word.substr(keep);
            if (word.empty()) drop();
            break;
        }
        result += line + L'\n';
    }
    result.pop_back();
    return result;
}

namespace {

// One part of the cell: its size and where it starts (relative to the cell's inner rectangle).
struct TPart {
    int Width = 0, Height = 0;
    int X = 0, Y = 0;
    int Right() const { return X + Width; }
};

} // namespace

void TVirtualTreeWindow::ComputeHeaderLayout(TVirtualTreeColumn* Column, HDC DC,
                                             const TRect& Client, UINT DrawFormat,
                                             TRect& TextBounds, TPoint& SortGlyphPos,
                                             TPoint& GlyphPos, bool UseSortGlyph,
                                             bool UseHeaderGlyph) {
    const int w = Client.Width(), h = Client.Height();
    const bool rtl = Column->UseRightToLeftReading();
    TAlignment alignment = Column->CaptionAlignment();
    if (rtl && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    const int margin = Column->Margin(), spacing = Column->Spacing();
    const TVTHeaderColumnLayout layout = Column->Layout();
    const bool stacked = layout == blGlyphTop || layout == blGlyphBottom;

    TPart glyph, sort, text;
    if (UseHeaderGlyph) {
        TCustomImageList* list = Column->CheckBox() ? CheckImages() : FHeaderImages;
        if (list) glyph = {list->Width(), list->Height()};
    }
    const bool hasGlyph = glyph.Width > 0;
    if (UseSortGlyph) {
        TCustomImageList* utilities = vtree_resources::UtilityList();
        sort = {utilities->Width(), utilities->Height()};
        sort.Y = (h - sort.Height) / 2;
    }
    const bool wrap = Column->Options().Contains(coWrapCaption);
    int textSpacing = 0;
    if (!Column->Text().empty()) {
        TRect bounds{0, 0, w, 0};
        if (wrap) {
            Column->FCaptionText = WrapText(DC, Column->Text(), Client, rtl, DrawFormat);
            MeasureTextRect(DC, Column->FCaptionText, bounds, DrawFormat);
            text = {w, bounds.Height()};
        } else {
            Column->FCaptionText = Column->Text();
            MeasureTextRect(DC, Column->FCaptionText, bounds, DrawFormat);
            text = {bounds.Width() + 2, bounds.Height()};
        }
        textSpacing = spacing;
    }
    const int glyphSpacing = hasGlyph ? spacing : 0;

    if (!hasGlyph && text.Width == 0 && UseSortGlyph) {
        sort.X = (w - sort.Width) / 2;
    } else {
        // vertical places
        if (!stacked || !hasGlyph) {
            glyph.Y = (h - glyph.Height) / 2;
            text.Y = text.Height >= h ? 0 : (h - text.Height) / 2;
        } else if (layout == blGlyphTop) {
            glyph.Y = (h - glyph.Height - text.Height - textSpacing) / 2;
            text.Y = glyph.Y + glyph.Height + textSpacing;
        } else {
            text.Y = (h - glyph.Height - text.Height - textSpacing) / 2;
            glyph.Y = text.Y + text.Height + textSpacing;
        }
        // horizontal places
        if (alignment == taLeftJustify) {
            int x = margin;
            if (rtl && UseSortGlyph) {
                sort.X = x;
                x += sort.Width + spacing;
            }
            if (stacked && hasGlyph) {
                text.X = x;
                glyph.X = std::max(x, x + (text.Width - glyph.Width) / 2);
                x = std::max(text.Right() + textSpacing, glyph.Right() + glyphSpacing);
            } else {
                if (layout == blGlyphLeft) {
                    glyph.X = x;
                    x += glyph.Width + glyphSpacing;
                }
                text.X = x;
                x += text.Width + textSpacing;
                if (layout == blGlyphRight) {
                    glyph.X = x;
                    x += glyph.Width + glyphSpacing;
                }
            }
            if (!rtl && UseSortGlyph) sort.X = x;
        } else if (alignment == taRightJustify) {
            int right = w - margin;
            if (!rtl && UseSortGlyph) {
                sort.X = right - sort.Width;
                right = sort.X - spacing;
            }
            if (stacked && hasGlyph) {
                text.X = right - text.Width;
                glyph.X = text.X + (text.Width - glyph.Width) / 2;
                if (glyph.Right() > right - spacing) glyph.X = right - spacing - glyph.Width;
                right = std::min(text.X - textSpacing, glyph.X - spacing);
            } else {
                if (layout == blGlyphRight) {
                    glyph.X = right - glyph.Width;
                    right = glyph.X - glyphSpacing;
                }
                text.X = right - text.Width;
                right = text.X - textSpacing;
                if (layout == blGlyphLeft) {
                    glyph.X = right - glyph.Width;
                    right = glyph.X - glyphSpacing;
                }
            }
            if (rtl && UseSortGlyph) sort.X = right - sort.Width;
        } else {
            int left = 0, right = 0;
            if (stacked && hasGlyph) {
                glyph.X = (w - glyph.Width) / 2;
                text.X = (w - text.Width) / 2 - (UseSortGlyph ? sort.Width / 2 : 0);
                left = std::min(glyph.X, text.X);
                right = std::max(glyph.Right(), text.Right());
            } else {
                const int group = glyph.Width + glyphSpacing + text.Width;
                left = (w - group) / 2;
                right = left + group;
                if (layout == blGlyphRight) {
                    text.X = left;
                    glyph.X = left + text.Width + glyphSpacing;
                } else {
                    glyph.X = left;
                    text.X = left + glyph.Width + glyphSpacing;
                }
            }
            if (UseSortGlyph) sort.X = rtl ? left - spacing - sort.Width : right + spacing;
        }
    }

    // Inside the margins, whatever the alignment asked for.
    int leftLimit = margin, rightLimit = w - margin;
    if (UseSortGlyph) {
        if (sort.Right() > rightLimit) sort.X = rightLimit - sort.Width;
        if (sort.X < leftLimit) sort.X = leftLimit;
        if (rtl)
            leftLimit = sort.Right() + spacing;
        else
            rightLimit = sort.X - spacing;
    }
    if (hasGlyph) {
        if (glyph.Right() > rightLimit) glyph.X = rightLimit - glyph.Width;
        if (glyph.X < leftLimit) glyph.X = leftLimit;
        if (layout == blGlyphRight)
            rightLimit = glyph.X - spacing;
        else if (layout == blGlyphLeft)
            leftLimit = glyph.Right() + spacing;
    }
    text.X = std::max(text.X, leftLimit);
    TextBounds = {Client.left + text.X, Client.top + text.Y,
                  Client.left + std::min(text.Right(), rightLimit),
                  Client.top + text.Y + text.Height};
    SortGlyphPos = {Client.left + sort.X, Client.top + sort.Y};
    GlyphPos = {Client.left + glyph.X, Client.top + glyph.Y};
    if (wrap && !Column->Text().empty()) {
        Column->FCaptionText = WrapText(DC, Column->Text(), TextBounds, rtl, DrawFormat);
        TRect measured{TextBounds.left, TextBounds.top, 0, 0};
        MeasureTextRect(DC, Column->FCaptionText, measured, DrawFormat);
        TextBounds.bottom = measured.bottom;
    }
}
