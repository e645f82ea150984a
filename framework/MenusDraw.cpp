// The library's own look of an owner-drawn menu entry, used when the item has no draw event:
// a glyph column (the menu's image, else the item's bitmap, else a check mark), the caption
// with its accelerator, the shortcut right-aligned, a separator as an etched line, and the
// system's menu colours and font. Entries of a menu bar have no glyph column unless they show
// an image, and their caption is centred.
#include "framework/Menus.h"

#include <algorithm>

namespace {

constexpr int GlyphMargin = 4;  // on each side of the glyph
constexpr int TextMargin = 8;   // after the caption and after the shortcut
constexpr int ShortCutGap = 16; // between caption and shortcut
constexpr int SeparatorHeight = 8;
constexpr int BarMargin = 6;

bool OnMenuBar(const TMenuItem* item) {
    const TMenu* menu = item->GetParentMenu();
    return menu && menu->InheritsFrom(TMainMenu::StaticClass()) && item->Parent() &&
           !item->Parent()->Parent();
}

TCustomImageList* ImagesOf(const TMenuItem* item) {
    const TMenu* menu = item->GetParentMenu();
    return menu && item->ImageIndex() >= 0 ? menu->Images() : nullptr;
}

TSize GlyphSize(TMenuItem* item) {
    if (TCustomImageList* images = ImagesOf(item)) return {images->Width(), images->Height()};
    if (item->HasBitmap()) return {item->Bitmap()->Width(), item->Bitmap()->Height()};
    return {16, 16};
}

bool HasGlyph(TMenuItem* item) { return ImagesOf(item) || item->HasBitmap(); }

void DrawGlyph(TMenuItem* item, TCanvas* canvas, TPoint at, bool enabled) {
    if (TCustomImageList* images = ImagesOf(item))
        images->Draw(canvas, at.x, at.y, item->ImageIndex(), enabled);
    else if (item->HasBitmap())
        canvas->Draw(at.x, at.y, item->Bitmap());
}

// A tick, or a dot for radio items, centred in `box`, in the pen's colour.
void DrawCheckMark(TMenuItem* item, TCanvas* canvas, const TRect& box) {
    const int cx = (box.left + box.right) / 2;
    const int cy = (box.top + box.bottom) / 2;
    if (item->RadioItem()) {
        canvas->Brush()->SetColor(canvas->Pen()->Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        return;
    }
    for (int dy = 0; dy < 2; ++dy)
        canvas->Polyline({{cx - 4, cy - 1 + dy}, {cx - 1, cy + 2 + dy}, {cx + 5, cy - 4 + dy}});
}

// A checked item with a glyph shows it framed instead of a check mark.
void FrameGlyph(TCanvas* canvas, TPoint at, TSize glyph) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clHighlight);
    canvas->FrameRect(TRect(at.x - 2, at.y - 2, at.x + glyph.cx + 2, at.y + glyph.cy + 2));
}

void DrawSeparator(TCanvas* canvas, const TRect& rect) {
    TRect line(rect.left + 2, (rect.top + rect.bottom) / 2 - 1, rect.right - 2, rect.bottom);
    DrawEdge(canvas->Handle(), &line, EDGE_ETCHED, BF_TOP);
}

TColor TextColor(TOwnerDrawState state) {
    if (state.Contains(odDisabled) || state.Contains(odGrayed)) return clGrayText;
    return state.Contains(odSelected) ? clHighlightText : clMenuText;
}

void DrawTexts(TMenuItem* item, TCanvas* canvas, TRect rect, TOwnerDrawState state, bool bar) {
    TTextFormat format{tfSingleLine, tfVerticalCenter};
    if (state.Contains(odNoAccel)) format.Include(tfHidePrefix);
    canvas->Brush()->SetStyle(bsClear);
    TRect captionRect = rect;
    canvas->TextRect(captionRect, item->Caption(), format + TTextFormat{bar ? tfCenter : tfLeft});
    const UnicodeString shortCut = ShortCutToText(item->ShortCut());
    if (shortCut.empty() || bar) return;
    TRect shortCutRect = rect;
    canvas->TextRect(shortCutRect, shortCut, format + TTextFormat{tfRight, tfNoPrefix});
}

} // namespace

namespace menus_detail {

void SelectMenuFont(TCanvas* ACanvas) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return;
    if (HFONT font = CreateFontIndirectW(&metrics.lfMenuFont)) ACanvas->Font()->SetHandle(font);
}

void MeasureDefault(TMenuItem* Item, TCanvas* ACanvas, int& Width, int& Height) {
    if (Item->IsLine()) {
        Width = 2 * GlyphMargin;
        Height = SeparatorHeight;
        return;
    }
    const bool bar = OnMenuBar(Item);
    const TSize glyph = GlyphSize(Item);
    const bool glyphColumn = !bar || HasGlyph(Item);
    const TSize text = ACanvas->TextExtent(StripHotkey(Item->Caption()));
    const UnicodeString shortCut = bar ? UnicodeString() : ShortCutToText(Item->ShortCut());
    Width = (glyphColumn ? glyph.cx + 2 * GlyphMargin : BarMargin) + text.cx +
            (bar ? BarMargin : TextMargin);
    if (!shortCut.empty()) Width += ShortCutGap + ACanvas->TextWidth(shortCut) + TextMargin;
    Height = std::max<int>(text.cy + 6, glyphColumn ? glyph.cy + 2 : 0);
}

void DrawDefault(TMenuItem* Item, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State) {
    const bool bar = OnMenuBar(Item);
    const bool selected = State.Contains(odSelected);
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(selected ? clHighlight : (bar ? clMenuBar : clMenu));
    ACanvas->FillRect(ARect);
    if (Item->IsLine()) return DrawSeparator(ACanvas, ARect);
    ACanvas->Font()->SetColor(TextColor(State));
    ACanvas->Pen()->SetColor(TextColor(State));
    if (State.Contains(odDefault)) ACanvas->Font()->SetStyle({fsBold});
    TRect textRect = ARect;
    if (!bar || HasGlyph(Item)) {
        const TSize glyph = GlyphSize(Item);
        const TRect box(ARect.left, ARect.top, ARect.left + glyph.cx + 2 * GlyphMargin,
                        ARect.bottom);
        const TPoint at(box.left + GlyphMargin, (box.top + box.bottom - glyph.cy) / 2);
        if (HasGlyph(Item)) DrawGlyph(Item, ACanvas, at, Item->Enabled());
        if (Item->Checked() && HasGlyph(Item))
            FrameGlyph(ACanvas, at, glyph);
        else if (Item->Checked())
            DrawCheckMark(Item, ACanvas, box);
        textRect.left = box.right;
    }
    textRect.right -= bar ? 0 : TextMargin;
    DrawTexts(Item, ACanvas, textRect, State, bar);
}

} // namespace menus_detail
