// TsPanel's skinned painting: from the cache bitmap with the children cut out, or, for a plain
// section, straight onto the screen (border ring, background colour, caption) without a cache.
#include "skin/controls/sPanel.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sControlBorders.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinText.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>

namespace {

// The bevels' and border's width inside the panel.
int BevelInset(const TsPanel* Panel) {
    const int bevels =
        (Panel->BevelInner() != bvNone ? 1 : 0) + (Panel->BevelOuter() != bvNone ? 1 : 0);
    return Panel->BevelWidth() * bevels + Panel->BorderWidth();
}

} // namespace

TRect TsPanel::CaptionRect() {
    const int inset = BevelInset(this);
    const TRect client = ClientRect();
    return TRect(client.left + inset, client.top + inset, client.right - inset,
                 client.bottom - inset);
}

void TsPanel::PrepareCache() {
    if (!BgNeedsCache(FCommonData.get()) && !FormAnimating) return;
    FCommonData->PrepareCacheBmp();
    TBitmap* cache = FCommonData->CacheBmp();
    PaintControlSkinOnParent(FCommonData.get(), Parent(), true, 0, TRect(0, 0, Width(), Height()),
                             TPoint(Left(), Top()), cache, true);
    WriteText(CaptionRect(), cache->Canvas(), nullptr);
    OnPaint(this, cache->Canvas());
    FCommonData->BGChanged = false;
}

void TsPanel::WriteText(const TRect& R, TCanvas* ACanvas, HDC ADC) {
    if (!ShowCaption() || (!ACanvas && !ADC)) return;
    std::unique_ptr<TCanvas, graphics_detail::TFreeObject> own;
    if (!ACanvas) {
        own.reset(new TCanvas);
        own->SetHandle(ADC);
        ACanvas = own.get();
    }
    ACanvas->SetFont(Font());
    ACanvas->Brush()->SetStyle(bsClear);
    const int height = ACanvas->TextHeight(L"W");
    const int top = (Height() - height) / 2;
    WriteControlText(ACanvas, Caption(), Enabled(), TRect(R.left, top, R.right, top + height),
                     TextAlignFlags(this, Alignment()), FCommonData.get(), false);
    if (own) own->SetHandle(nullptr);
}

void TsPanel::OurPaint(HDC DC, bool SendUpdated) {
    if (!Showing() || !FCommonData->Skinned()) return;
    const HDC dc = DC ? DC : Canvas()->Handle();
    if ((BgNeedsCache(FCommonData.get()) && !FCommonData->CustomColor()) || FormAnimating)
        PaintCached(dc);
    else if (OnPaint)
        OnPaint(this, Canvas());
    else
        PaintPlain(dc);
    if (SendUpdated) RefreshChildControls(this);
}

void TsPanel::PaintCached(HDC DC) {
    FCommonData->SetUpdating(FCommonData->Updating());
    if (FCommonData->Updating()) return;
    const bool rebuild = FCommonData->HalfVisible || FCommonData->BGChanged;
    if (FCommonData->RepaintIfMoved()) {
        TRect clip;
        GetClipBox(DC, &clip);
        FCommonData->HalfVisible = clip.Width() != Width() || clip.Height() != Height();
    } else {
        FCommonData->HalfVisible = false;
    }
    if (rebuild && !FCommonData->UrgentPainting) PrepareCache();
    const TRect all(0, 0, Width(), Height());
    BitBltBgExceptControls(this, FCommonData.get(), all, all, DC);
    PaintGraphicChildren(DC, this, TPoint(0, 0));
}

// A plain section: its border ring over the parent's background and its colour inside (the
// parent's own pixels through a fully transparent section), painted where it is shown.
void TsPanel::PaintPlain(HDC DC) {
    FCommonData->SetUpdating(false);
    const int w = MaxBorderWidth(FCommonData.get());
    const TRect all(0, 0, Width(), Height());
    const int saved = SaveDC(DC);
    ExcludeGraphicChildren(DC, this, 0, 0);
    TacBackgroundInfo info;
    if (FCommonData->CustomColor()) {
        info.Kind = 1;
        info.Color = ColorToRGB(Color());
    } else if (Parent()) {
        AskControlBackground(info, Parent(), false);
    }
    const TsGeneralData& section = FCommonData->SkinManager()->gd[FCommonData->SkinIndex];
    const bool throughParent = section.Transparency == 100 && info.Kind == 2 && info.Bmp;
    const TColor colour = section.Transparency == 100
                              ? info.Color
                              : ControlBgColor(FCommonData.get(), false, nullptr);
    TRect inner = all;
    if (w > 0) PaintControlBorder(DC, all, w, FCommonData.get(), 0, inner);
    if (throughParent)
        BitBlt(DC, inner.left, inner.top, inner.Width(), inner.Height(),
               info.Bmp->Canvas()->Handle(), info.Offset.x + Left() + inner.left,
               info.Offset.y + Top() + inner.top, SRCCOPY);
    else
        PaintSolidRect(DC, inner, colour);
    WriteText(CaptionRect(), DC ? nullptr : Canvas(), DC);
    if (OnPaint) OnPaint(this, Canvas());
    RestoreDC(DC, saved);
    PaintGraphicChildren(DC, this, TPoint(0, 0));
    FCommonData->FreeCacheBmp();
}

// The DC lent to the panel's canvas while it paints, so that OnPaint draws on it too.
void TsPanel::PaintOnCanvas(HDC DC, bool SendUpdated) {
    auto* canvas = dynamic_cast<TControlCanvas*>(Canvas());
    SetControlState(ControlState() + TControlState{csCustomPaint});
    struct TClear {
        TsPanel* Self;
        ~TClear() { Self->SetControlState(Self->ControlState() - TControlState{csCustomPaint}); }
    } clear{this};
    if (canvas)
        canvas->PaintWith(DC, [&] { OurPaint(DC, SendUpdated); });
    else
        OurPaint(DC, SendUpdated);
}
