// What the glyph buttons share: where glyph and caption go on the face, and drawing one image
// of a glyph (transparent where the glyph has its bottom-left colour, embossed when greyed) and
// the caption.
#include "framework/Buttons.h"

namespace {

bool Horizontal(TButtonLayout layout) { return layout == blGlyphLeft || layout == blGlyphRight; }

// Selects the font for the lifetime of the object.
class TSelectFont {
public:
    TSelectFont(HDC dc, TFont* font) : FDC(dc), FPrevious(SelectObject(dc, font->Handle())) {}
    ~TSelectFont() { SelectObject(FDC, FPrevious); }
    TSelectFont(const TSelectFont&) = delete;
    TSelectFont& operator=(const TSelectFont&) = delete;

private:
    HDC FDC;
    HGDIOBJ FPrevious;
};

// Margin and spacing made concrete: -1 values shared out of the room left.
void ResolveMarginSpacing(TSize client, TSize glyph, TSize text, TButtonLayout layout, int& margin,
                          int& spacing) {
    const bool horizontal = Horizontal(layout);
    const int room = horizontal ? client.cx : client.cy;
    const int glyphExtent = horizontal ? glyph.cx : glyph.cy;
    const int textExtent = horizontal ? text.cx : text.cy;
    if (margin == -1 && spacing == -1) {
        margin = (room - glyphExtent - textExtent) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (room - (glyphExtent + spacing + textExtent) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (room - (margin + glyphExtent) - textExtent) / 2;
    }
}

} // namespace

TButtonLayoutResult ButtonLayout(const TRect& client, TSize glyph, TSize text, TButtonLayout layout,
                                 int margin, int spacing, TPoint offset) {
    const TSize size{client.Width(), client.Height()};
    TPoint glyphPos;
    TPoint textPos;
    if (Horizontal(layout)) {
        glyphPos.y = (size.cy - glyph.cy + 1) / 2;
        textPos.y = (size.cy - text.cy + 1) / 2;
    } else {
        glyphPos.x = (size.cx - glyph.cx + 1) / 2;
        textPos.x = (size.cx - text.cx + 1) / 2;
    }
    if (text.cx == 0 || glyph.cx == 0) spacing = 0;
    ResolveMarginSpacing(size, glyph, text, layout, margin, spacing);
    switch (layout) {
    case blGlyphLeft:
        glyphPos.x = margin;
        textPos.x = glyphPos.x + glyph.cx + spacing;
        break;
    case blGlyphRight:
        glyphPos.x = size.cx - margin - glyph.cx;
        textPos.x = glyphPos.x - spacing - text.cx;
        break;
    case blGlyphTop:
        glyphPos.y = margin;
        textPos.y = glyphPos.y + glyph.cy + spacing;
        break;
    case blGlyphBottom:
        glyphPos.y = size.cy - margin - glyph.cy;
        textPos.y = glyphPos.y - spacing - text.cy;
        break;
    }
    const LONG dx = client.left + offset.x;
    const LONG dy = client.top + offset.y;
    return {{glyphPos.x + dx, glyphPos.y + dy},
            {textPos.x + dx, textPos.y + dy, textPos.x + dx + text.cx, textPos.y + dy + text.cy}};
}

namespace buttons_detail {

int GlyphIndex(TButtonState state, int count) {
    switch (state) {
    case bsUp: return 0;
    case bsDisabled: return count >= 2 ? 1 : -1;
    case bsDown: return count >= 3 ? 2 : 0;
    case bsExclusive: return count >= 4 ? 3 : count >= 3 ? 2 : 0;
    }
    return 0;
}

int ImagesIn(TBitmap* glyph) {
    if (glyph->Empty() || glyph->Height() == 0 || glyph->Width() % glyph->Height() != 0) return 1;
    const int count = glyph->Width() / glyph->Height();
    return count >= 1 && count <= 4 ? count : 1;
}

TSize GlyphSize(TBitmap* glyph, int count) {
    if (glyph->Empty()) return {};
    return {glyph->Width() / count, glyph->Height()};
}

namespace {

// The image's opaque pixels painted in `color` (the mask's 1 bits take the brush).
void PaintMask(HDC dc, HDC mask, int x, int y, TSize size, TColor color) {
    TOwnedBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
    HGDIOBJ previous = SelectObject(dc, brush.Get());
    constexpr DWORD BrushWhereSourceSet = 0x00E20746; // DSPDxax
    BitBlt(dc, x, y, size.cx, size.cy, mask, 0, 0, BrushWhereSourceSet);
    SelectObject(dc, previous);
}

void DrawGreyed(HDC dc, HDC source, int sourceX, int x, int y, TSize size, COLORREF key) {
    TOwnedDC mask(CreateCompatibleDC(dc));
    if (!mask) RaiseLastOSError(L"CreateCompatibleDC");
    TOwnedBitmap bits(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
    if (!bits) RaiseLastOSError(L"CreateBitmap");
    HGDIOBJ previous = SelectObject(mask.Get(), bits.Get());
    const COLORREF background = SetBkColor(source, key);
    BitBlt(mask.Get(), 0, 0, size.cx, size.cy, source, sourceX, 0, NOTSRCCOPY);
    SetBkColor(source, background);
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    PaintMask(dc, mask.Get(), x + 1, y + 1, size, clBtnHighlight);
    PaintMask(dc, mask.Get(), x, y, size, clBtnShadow);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    SelectObject(mask.Get(), previous);
}

} // namespace

void DrawGlyph(HDC dc, TBitmap* glyph, int count, int index, int x, int y, bool disabled) {
    if (glyph->Empty()) return;
    const TSize size = GlyphSize(glyph, count);
    const auto key = static_cast<COLORREF>(ColorToRGB(glyph->TransparentColor()));
    HDC source = glyph->Canvas()->Handle();
    const int sourceX = (index < 0 ? 0 : index) * size.cx;
    if (disabled) return DrawGreyed(dc, source, sourceX, x, y, size, key);
    GdiTransparentBlt(dc, x, y, size.cx, size.cy, source, sourceX, 0, size.cx, size.cy, key);
}

TSize CaptionSize(HDC dc, TFont* font, const UnicodeString& text) {
    if (text.empty()) return {};
    TSelectFont select(dc, font);
    RECT bounds{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT);
    return {bounds.right, bounds.bottom};
}

void DrawCaption(HDC dc, TFont* font, const UnicodeString& text, TRect bounds, bool enabled) {
    if (text.empty()) return;
    TSelectFont select(dc, font);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previous = GetTextColor(dc);
    const auto write = [&](TRect rect, TColor color) {
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CENTER | DT_VCENTER);
    };
    if (enabled) {
        write(bounds, font->Color());
    } else {
        write({bounds.left + 1, bounds.top + 1, bounds.right + 1, bounds.bottom + 1},
              clBtnHighlight);
        write(bounds, clBtnShadow);
    }
    SetTextColor(dc, previous);
    SetBkMode(dc, mode);
}

} // namespace buttons_detail
