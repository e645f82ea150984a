// Text measures and the caption layout of glyph buttons.
#include "skin/engine/sSkinText.h"

int DrawTextDC(HDC DC, const UnicodeString& Text, TRect& R, UINT Format) {
    return DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Format);
}

int TextWidthOf(TCanvas* Canvas, const UnicodeString& Text) { return Canvas->TextWidth(Text); }

void TextSizeOf(TCanvas* Canvas, const UnicodeString& Text, TSize& Size) {
    Size = Canvas->TextExtent(Text);
}

void CanvasTextRect(TCanvas* Canvas, const TRect& R, int X, int Y, const UnicodeString& Text) {
    Canvas->TextRect(R, X, Y, Text);
}

UnicodeString FitTextToWidth(TCanvas* Canvas, const UnicodeString& Text, int MaxWidth) {
    UnicodeString result = MaxWidth > 0 ? Text : UnicodeString();
    if (result.empty() || Canvas->TextWidth(result) <= MaxWidth) return result;
    while (!result.empty() && Canvas->TextWidth(result + L"...") > MaxWidth) result.pop_back();
    if (!result.empty()) result += L"...";
    return result;
}

void FontTextSize(HFONT Font, const UnicodeString& Text, TSize& Size) {
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, Font);
    if (!GetTextExtentPoint32W(dc, Text.c_str(), static_cast<int>(Text.size()), &Size))
        Size = TSize(0, 0);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
}

namespace {

// The coordinate of P along the layout's axis: X for a glyph beside the text, Y for one above or
// below it.
LONG& Along(TPoint& P, bool Horizontal) { return Horizontal ? P.x : P.y; }
LONG Along(const TPoint& P, bool Horizontal) { return Horizontal ? P.x : P.y; }

} // namespace

void CalcGlyphLayout(const TRect& Client, TPoint GlyphSize, TPoint TextSize, int Layout,
                     int Alignment, int Margin, int Spacing, TPoint& GlyphPos, TRect& TextBounds,
                     UINT BiDiFlags) {
    if (BiDiFlags & DT_RIGHT) {
        if (Layout == 0)
            Layout = 1;
        else if (Layout == 1)
            Layout = 0;
    }
    const TPoint client(Client.Width(), Client.Height());
    TextBounds = TRect(0, 0, TextSize.x, TextSize.y);
    TPoint text(0, 0);
    GlyphPos = TPoint(0, 0);
    const bool horizontal = Layout == 0 || Layout == 1;
    // Centred across the axis.
    Along(GlyphPos, !horizontal) =
        (Along(client, !horizontal) - Along(GlyphSize, !horizontal) + 1) / 2;
    Along(text, !horizontal) = (Along(client, !horizontal) - Along(TextSize, !horizontal) + 1) / 2;
    if (TextSize.x == 0 || GlyphSize.x == 0) Spacing = 0;
    const int room =
        Along(client, horizontal) - (Along(GlyphSize, horizontal) + Along(TextSize, horizontal));
    if (Margin == -1) {
        if (Spacing < 0) {
            Margin = room / 3;
            Spacing = Margin;
        } else {
            Margin = Alignment == 2 ? (room - Spacing + 1) / 2 : 2;
        }
    } else if (Spacing < 0) {
        Spacing = (room - Margin) / 2;
    }
    switch (Layout) {
    case 0:
    case 1: {
        if (Alignment == 2) {
            Margin = (client.x - TextSize.x - Spacing - GlyphSize.x) / 2;
            Alignment = 0;
        }
        // The first and second items from the left: glyph then text for layout 0.
        LONG* first = Layout == 0 ? &GlyphPos.x : &text.x;
        LONG* second = Layout == 0 ? &text.x : &GlyphPos.x;
        const int firstSize = Layout == 0 ? GlyphSize.x : TextSize.x;
        const int secondSize = Layout == 0 ? TextSize.x : GlyphSize.x;
        if (Alignment == 0) {
            *first = Margin;
            *second = Margin + firstSize + Spacing;
        } else {
            *second = client.x - Margin - secondSize;
            *first = *second - Spacing - firstSize;
        }
        break;
    }
    case 2:
        GlyphPos.y = (client.y - GlyphSize.y - Spacing - TextSize.y) / 2;
        text.y = GlyphPos.y + GlyphSize.y + Spacing;
        break;
    default:
        GlyphPos.y = client.y - GlyphSize.y - (client.y - GlyphSize.y - Spacing - TextSize.y) / 2;
        text.y = GlyphPos.y - Spacing - TextSize.y;
        break;
    }
    GlyphPos.x += Client.left;
    GlyphPos.y += Client.top;
    OffsetRect(&TextBounds, Client.left + text.x, Client.top + text.y);
}
