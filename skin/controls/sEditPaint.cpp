// TsEdit's painting: the image of the whole control in the cache bitmap, its border ring copied
// to the window's frame, the whole image for a disabled edit, and the colours the system writes
// an enabled edit's text with.
#include "skin/controls/sEdit.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinText.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

namespace {

// The number of bevels a control has.
int Bevels(const TWinControl* Control) {
    return (Control->BevelInner() != bvNone ? 1 : 0) + (Control->BevelOuter() != bvNone ? 1 : 0);
}

// The DC's state saved for a scope.
struct TSavedState {
    HDC DC;
    int Saved;
    explicit TSavedState(HDC Dc) : DC(Dc), Saved(SaveDC(Dc)) {}
    ~TSavedState() { RestoreDC(DC, Saved); }
    TSavedState(const TSavedState&) = delete;
    TSavedState& operator=(const TSavedState&) = delete;
};

} // namespace

void TsEdit::PrepareCache() {
    FCommonData->PrepareCacheBmp();
    const int state = IsHotState(FCommonData.get()) ? 1 : 0;
    TCacheInfo ci;
    ParentCacheInfoOf(FCommonData.get(), ci);
    TBitmap* cache = FCommonData->CacheBmp();
    PaintControlSkin(FCommonData.get(), ci, true, state, TRect(0, 0, Width(), Height()),
                     TPoint(Left(), Top()), cache, true);
    PaintText();
    // The corners are laid over the parent's background before the disabled look, which then
    // covers them too.
    RepaintCorners(FCommonData.get(), 0);
    if (!Enabled()) PaintDisabledEffect(cache, FDisabledKind, this, ci, TPoint(Left(), Top()));
    FCommonData->BGChanged = false;
}

// The corners again over the parent's background, which may have changed since the image was
// built; a disabled image keeps the corners its disabled look covered.
void TsEdit::LayCorners() {
    if (Enabled()) RepaintCorners(FCommonData.get(), 0);
}

void TsEdit::PaintText() {
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    const int b = EditBorderWidth() + (BevelKind() != bkNone ? Bevels(this) : 0);
    const TRect r(b + 1, b + 1, Width() - b, Height() - b);
    const UnicodeString text =
        PasswordChar() ? UnicodeString(Text().size(), PasswordChar()) : Text();
    const UINT flags =
        TextAlignFlags(this, Alignment()) | DT_WORDBREAK | DT_SINGLELINE | DT_NOPREFIX;
    WriteControlText(canvas, text, true, r, flags, FCommonData.get(),
                     IsHotState(FCommonData.get()));
}

// The section's colours (hot while focused or under the mouse) for the system's text.
void TsEdit::SyncColours() {
    const TsGeneralData& section = FCommonData->SkinManager()->gd[FCommonData->SkinIndex];
    const bool hot = IsHotState(FCommonData.get());
    const TColor colour = hot ? section.HotColor : section.Color;
    const TColor font = hot ? section.HotFontColor[0] : section.FontColor[0];
    if (!FCommonData->CustomColor() && Color() != colour) SetColor(colour);
    if (!FCommonData->CustomFont() && Font()->Color() != font) Font()->SetColor(font);
}

bool TsEdit::PaintMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: {
        FCommonData->SetUpdating(FCommonData->Updating());
        if (FormAnimating || FCommonData->Updating()) {
            const TPaintCycle validated(Handle(), true);
            return true;
        }
        SyncColours();
        if (Enabled()) return false; // the system writes the text
        OurPaint(reinterpret_cast<HDC>(Message.WParam));
        return true;
    }
    case WM_ERASEBKGND:
    case CN_DRAWITEM:
        if (FormAnimating) return true;
        FCommonData->SetUpdating(FCommonData->Updating());
        if (FCommonData->Updating() || !Enabled()) {
            Message.Result = 1;
            return true;
        }
        return false;
    case WM_NCPAINT:
        if (!FormAnimating) PaintBorder();
        return true;
    case WM_PRINT: PrintTo(reinterpret_cast<HDC>(Message.WParam)); return false;
    default: return false;
    }
}

void TsEdit::OurPaint(HDC DC, bool Printing) {
    const TPaintCycle cycle(Handle(), !FormAnimating && !Printing);
    TOwnedWindowDC own;
    if (!DC) own = TOwnedWindowDC(GetWindowDC(Handle()), TWindowDCTraits{Handle()});
    const HDC dc = DC ? DC : own.Get();
    TSavedState saved(dc);
    FCommonData->SetUpdating(FCommonData->Updating());
    if (FCommonData->Updating()) return;
    FCommonData->BGChanged = FCommonData->BGChanged || FCommonData->HalfVisible ||
                             (Parent() && AskControl(Parent(), SKCMD_QUERYHALFVISIBLE));
    FCommonData->HalfVisible = Parent() && !RectContainsRect(Parent()->ClientRect(), BoundsRect());
    if (FCommonData->BGChanged && !FCommonData->UrgentPainting) PrepareCache();
    LayCorners();
    BitBlt(dc, 0, 0, Width(), Height(), FCommonData->CacheBmp()->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// The border ring from the cache onto the window's frame; the client area is the system's.
void TsEdit::PaintBorder() {
    if (FormAnimating || FCommonData->Updating()) return;
    const TOwnedWindowDC dc(GetWindowDC(Handle()), TWindowDCTraits{Handle()});
    TSavedState saved(dc.Get());
    if (FCommonData->BGChanged) PrepareCache();
    int w = EditBorderWidth();
    if (w == 0) w = Bevels(this);
    LayCorners();
    CopyFrameStrips(dc.Get(), 0, 0, Width(), Height(), FCommonData->CacheBmp()->Canvas()->Handle(),
                    0, 0, w);
}

// Printed: the whole image with its border ring, then the system writes the client area inside
// the ring.
void TsEdit::PrintTo(HDC DC) {
    FCommonData->SetUpdating(false);
    PrepareCache();
    const int w = EditBorderWidth();
    HDC cache = FCommonData->CacheBmp()->Canvas()->Handle();
    CopyFrameStrips(DC, 0, 0, Width(), Height(), cache, 0, 0, w);
    OurPaint(DC, true);
    POINT origin;
    GetWindowOrgEx(DC, &origin);
    SetWindowOrgEx(DC, origin.x - w, origin.y - w, nullptr);
    IntersectClipRect(DC, 0, 0, Width() - 2 * w, Height() - 2 * w);
}
