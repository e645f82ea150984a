// TsButton's skinned painting: the image is built in the cache bitmap over the parent's
// background and copied to the window, whose region is cut by the border mask's transparent
// corner pixels.
#include "skin/controls/sButton.h"

#include "framework/ActnList.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sControlBorders.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinText.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

namespace {

bool DisabledAction(TControl* Control) {
    auto* action = dynamic_cast<TCustomAction*>(Control->Action());
    return action && !action->Enabled();
}

} // namespace

TSize TsButton::TextRectSize() {
    const UnicodeString caption = Caption();
    TRect r(0, 0, caption.empty() ? 0 : Width() - 2, 0);
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    const UINT flags = DT_CALCRECT | DT_EXPANDTABS | DT_CENTER |
                       (WordWrap() ? static_cast<UINT>(DT_WORDBREAK) : DT_SINGLELINE);
    CanvasDrawText(canvas, caption, r, flags);
    return TSize{r.Width(), r.Height()};
}

TRect TsButton::CaptionRect() {
    const TSize size = TextRectSize();
    const int dx = (Width() - size.cx) / 2, dy = (Height() - size.cy) / 2;
    TRect r(dx - 1, dy, Width() - dx + 2, Height() - dy);
    if (CurrentState() == 2) OffsetRect(&r, 1, 1);
    return r;
}

void TsButton::DrawCaption(TRect R, UINT Flags) {
    WriteControlText(FCommonData->CacheBmp()->Canvas(), Caption(), true, R,
                     DrawTextBiDiModeFlags(Flags), FCommonData.get(), CurrentState() != 0);
}

void TsButton::PaintContent() {
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    TRect r = CaptionRect();
    DrawCaption(r, DT_EXPANDTABS | DT_CENTER | (WordWrap() ? DT_WORDBREAK : 0));
    TsSkinManager* manager = FCommonData->SkinManager();
    const bool focused = Focused() || FCommonData->FFocused;
    if (!Enabled() || !focused || Caption().empty() || !FShowFocus ||
        !manager->gd[FCommonData->SkinIndex].ShowFocus)
        return;
    InflateRect(&r, FFocusMargin, FFocusMargin);
    PaintDottedFrame(canvas, r);
}

void TsButton::PrepareCache() {
    TacBackgroundInfo info;
    if (Parent()) AskControlBackground(info, Parent(), false);
    TCacheInfo ci;
    BackgroundToCacheInfo(info, ci);
    FCommonData->PrepareCacheBmp();
    TBitmap* cache = FCommonData->CacheBmp();
    const int state = CurrentState();
    const TPoint position(Left(), Top());
    PaintControlBackground(FCommonData.get(), ci, state, TRect(0, 0, Width(), Height()), position,
                           cache);
    if (RegionChanged) FRegion.Reset(CreateRectRgn(0, 0, Width(), Height()));
    TsSkinManager* manager = FCommonData->SkinManager();
    if (manager->IsValidImgIndex(FCommonData->BorderIndex)) {
        const TsMaskData& mask = manager->ma[FCommonData->BorderIndex];
        if (state != 0 || !(mask.DrawMode & 2)) PaintBmpBorder(cache, FRegion.Get(), state, mask);
    }
    PaintContent();
    // The corners are laid over the parent's background before the disabled look, which then
    // covers them too.
    RepaintCorners(FCommonData.get(), state);
    if (!Enabled() || DisabledAction(this)) {
        TCacheInfo parent;
        ParentCacheInfoOf(FCommonData.get(), parent);
        PaintDisabledEffect(cache, FDisabledKind, this, parent, position);
    }
    FCommonData->BGChanged = false;
}

void TsButton::OurPaint(HDC DC, bool Printing) {
    if (FormAnimating && DC != AnimationDC) return;
    const TPaintCycle cycle(Handle(), !FormAnimating && !Printing);
    TOwnedWindowDC own;
    if (!DC) own = OwnedDCOf(Handle());
    const HDC dc = DC ? DC : own.Get();
    FCommonData->SetUpdating(FCommonData->Updating());
    if (FCommonData->Updating() || (FadeTimer && FadeTimer->Enabled())) return;
    FCommonData->BGChanged = FCommonData->BGChanged || FCommonData->HalfVisible ||
                             (Parent() && AskControl(Parent(), SKCMD_QUERYHALFVISIBLE));
    FCommonData->HalfVisible = Parent() && !RectContainsRect(Parent()->ClientRect(), BoundsRect());
    if (RegionChanged) FCommonData->BGChanged = true;
    if (FCommonData->BGChanged) PrepareCache();
    if (RegionChanged) ApplyRegion(dc);
    TBitmap* cache = FCommonData->CacheBmp();
    const int saved = SaveDC(dc);
    BitBlt(dc, 0, 0, Width(), Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

// The window takes the prepared region when it differs from the one it has; the first region
// (and any while a skin loads) comes with a repaint of the window. A region the window does not
// take is deleted.
void TsButton::ApplyRegion(HDC DC) {
    const bool redraw = !FRegionApplied || SkinLoading;
    TOwnedRegion prepared(FRegion.Release());
    if (!prepared || DC == AnimationDC || ComponentState().Contains(csDesigning)) return;
    const TOwnedRegion current(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(Handle(), current.Get()) != ERROR && EqualRgn(current.Get(), prepared.Get()))
        return;
    if (SetWindowRgn(Handle(), prepared.Get(), redraw)) {
        prepared.Release(); // the window owns it now
        FRegionApplied = true;
    }
    InvalidateUncoveredCorners(BoundsRect());
    LastRect = BoundsRect();
}

// A button that became narrower or lower leaves the corners of its old place uncovered; without
// a ready background bitmap of the parent nobody repaints them but the parent itself.
void TsButton::InvalidateUncoveredCorners(const TRect& Bounds) {
    if (LastRect.Width() <= 0 || !Parent() || !Parent()->HandleAllocated()) return;
    if (Bounds.Width() >= LastRect.Width() && Bounds.Height() >= LastRect.Height()) return;
    TCacheInfo parent;
    ParentCacheInfoOf(FCommonData.get(), parent);
    TsSkinManager* manager = FCommonData->SkinManager();
    if (parent.Ready || !manager->IsValidImgIndex(FCommonData->BorderIndex)) return;
    const TsMaskData& mask = manager->ma[FCommonData->BorderIndex];
    const TRect& r = LastRect;
    const TRect corners[] = {{r.right - mask.WR, r.top, r.right, r.top + mask.WT},
                             {r.right - mask.WR, r.bottom - mask.WB, r.right, r.bottom},
                             {r.left, r.bottom - mask.WB, r.left + mask.WL, r.bottom}};
    for (const TRect& corner : corners) InvalidateRect(Parent()->Handle(), &corner, TRUE);
}
