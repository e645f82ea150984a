// TPen and TBrush: descriptions whose handles are made when first asked for. A change fires
// OnChange while the old handle still exists, so a canvas holding it selected can deselect it
// before it is deleted.
#include "framework/Graphics.h"

namespace {

constexpr UINT PenStyleCodes[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                  PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
constexpr int HatchCodes[] = {
    0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};

} // namespace

// ---- TPen --------------------------------------------------------------------------------------

void TPen::HandleChanged() {
    TOwnedPen previous = std::move(FHandle);
    Changed();
}

HPEN TPen::Handle() {
    if (!FHandle) {
        LOGPEN pen{PenStyleCodes[FStyle], {FWidth, 0}, static_cast<COLORREF>(ColorToRGB(FColor))};
        FHandle.Reset(::CreatePenIndirect(&pen));
        if (!FHandle) RaiseLastOSError(L"CreatePenIndirect");
    }
    return FHandle.Get();
}

void TPen::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    HandleChanged();
}

void TPen::SetWidth(int width) {
    if (width < 0 || width == FWidth) return;
    FWidth = width;
    HandleChanged();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    HandleChanged();
}

void TPen::SetMode(TPenMode mode) {
    if (mode == FMode) return;
    FMode = mode;
    Changed();
}

void TPen::Assign(TPersistent* source) {
    auto* pen = dynamic_cast<TPen*>(source);
    if (!pen) return TGraphicsObject::Assign(source);
    if (pen == this) return;
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    FMode = pen->FMode;
    HandleChanged();
}

// ---- TBrush ------------------------------------------------------------------------------------

void TBrush::HandleChanged() {
    TOwnedBrush previous = std::move(FHandle);
    Changed();
}

HBRUSH TBrush::Handle() {
    if (FHandle) return FHandle.Get();
    if (FBitmap && !FBitmap->Empty()) {
        FHandle.Reset(::CreatePatternBrush(FBitmap->Handle()));
        if (!FHandle) RaiseLastOSError(L"CreatePatternBrush");
        return FHandle.Get();
    }
    LOGBRUSH brush{};
    brush.lbColor = static_cast<COLORREF>(ColorToRGB(FColor));
    brush.lbStyle = FStyle == bsSolid ? BS_SOLID : FStyle == bsClear ? BS_NULL : BS_HATCHED;
    brush.lbHatch = static_cast<ULONG_PTR>(HatchCodes[FStyle]);
    FHandle.Reset(::CreateBrushIndirect(&brush));
    if (!FHandle) RaiseLastOSError(L"CreateBrushIndirect");
    return FHandle.Get();
}

void TBrush::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    if (color == clNone)
        FStyle = bsClear;
    else if (FStyle == bsClear)
        FStyle = bsSolid;
    HandleChanged();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    HandleChanged();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
    if (bitmap == FBitmap) return;
    FBitmap = bitmap;
    HandleChanged();
}

void TBrush::Assign(TPersistent* source) {
    auto* brush = dynamic_cast<TBrush*>(source);
    if (!brush) return TGraphicsObject::Assign(source);
    if (brush == this) return;
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    FBitmap = brush->FBitmap;
    HandleChanged();
}
