// The skinned check box's and radio button's look: the glyph's place and size, the image built
// in the cache bitmap over the parent's background, and the size AutoSize gives them.
#include "skin/controls/sCheckable.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sSkinText.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>

namespace {

// The image of glyph Name in section "GLOBALINFO", -1 when the skin has none.
int GlobalGlyph(TsSkinManager* Manager, const wchar_t* Name) {
    if (!Manager || !Name) return -1;
    const int index =
        Manager->GetMaskIndex(Manager->ConstData.IndexGLobalInfo, L"GLOBALINFO", Name);
    return Manager->IsValidImgIndex(index) ? index : -1;
}

} // namespace

template <class Base>
TsCheckable<Base>::TsCheckable(TComponent* AOwner, int ControlClassCode)
    : TsSkinned<Base>(AOwner, ControlClassCode, false), FGlyphChecked(new TBitmap),
      FGlyphUnChecked(new TBitmap) {
    this->SetWordWrap(false);
    this->SetAutoSize(true);
}

template <class Base> void TsCheckable<Base>::Loaded() {
    TsSkinned<Base>::Loaded();
    AdjustSize();
}

template <class Base> void TsCheckable<Base>::AdjustSize() {
    if (this->AutoSize()) this->SetBounds(this->Left(), this->Top(), this->Width(), this->Height());
}

template <class Base> void TsCheckable<Base>::SetGlyphChecked(TBitmap* value) {
    FGlyphChecked->Assign(value);
    AdjustSize();
    this->FCommonData->Invalidate();
}

template <class Base> void TsCheckable<Base>::SetGlyphUnChecked(TBitmap* value) {
    FGlyphUnChecked->Assign(value);
    AdjustSize();
    this->Invalidate();
}

template <class Base> TAlignment TsCheckable<Base>::ControlsAlignment() {
    const TAlignment alignment = this->Alignment();
    if (!this->UseRightToLeftAlignment() || alignment == taCenter) return alignment;
    return alignment == taLeftJustify ? taRightJustify : taLeftJustify;
}

// A user glyph (a picture list's, or GlyphChecked's three states over a mask row), else the
// skin's measured glyph; (0, 0) for none.
template <class Base> TSize TsCheckable<Base>::GlyphSize() {
    const TSize list = ListGlyphSize();
    if (list.cx > 0) return list;
    if (!FGlyphChecked->Empty())
        return TSize(FGlyphChecked->Width() / 3, FGlyphChecked->Height() / 2);
    TsSkinManager* manager = this->FCommonData->SkinManager();
    const int index = GlobalGlyph(manager, MeasuredGlyphName());
    if (index < 0) return TSize();
    return TSize(MaskStateWidth(manager->ma[index]), MaskStateHeight(manager->ma[index]));
}

template <class Base> TRect TsCheckable<Base>::CheckRect() {
    const TSize size = GlyphSize();
    if (size.cx == 0) return TRect(0, 0, 16, 16);
    const int left =
        ControlsAlignment() == taRightJustify ? FMargin : this->Width() - size.cx - FMargin;
    const int top = (this->Height() - size.cy) / 2;
    return TRect(left, top, left + size.cx, top + size.cy);
}

template <class Base> bool TsCheckable<Base>::HotLook() {
    return IsHotState(this->FCommonData.get()) && !ReadOnly();
}

template <class Base> bool TsCheckable<Base>::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (!SkinActive() || this->ComponentState().Contains(csLoading) || !this->AutoSize())
        return false; // the size stays
    const UnicodeString caption = this->Caption();
    TSize text;
    if (!caption.empty()) FontTextSize(this->Font()->Handle(), caption, text);
    const TRect r = CheckRect();
    NewWidth = r.Width() + 2 * FMargin + (caption.empty() ? 0 : text.cx + FTextIndent + 8);
    NewHeight = std::max<int>(r.Height(), (caption.empty() ? 0 : text.cy) + 2 * FMargin) + 2;
    return true;
}

// The parent paints its background into the cache first; the cache is then the background
// everything else is painted over (a copy is kept for the disabled look).
template <class Base> void TsCheckable<Base>::PrepareCache() {
    TsCommonData* data = this->FCommonData.get();
    data->PrepareCacheBmp();
    TBitmap* cache = data->CacheBmp();
    TCanvas* canvas = cache->Canvas();
    canvas->SetFont(this->Font());
    const TPoint position(this->Left(), this->Top());
    TacBackgroundInfo info;
    info.DC = canvas->Handle();
    info.DrawRequested = true;
    info.Offset = position;
    info.R = TRect(0, 0, this->Width(), this->Height());
    canvas->Lock();
    AskControlBackground(info, this->Parent(), true);
    canvas->Unlock();
    TSkinBitmapPtr background(CreateBmp24(cache->Width(), cache->Height()));
    BitBlt(background->Canvas()->Handle(), 0, 0, cache->Width(), cache->Height(), canvas->Handle(),
           0, 0, SRCCOPY);
    const TCacheInfo ci = CacheInfoFor(background.get(), -position.x, -position.y);
    PaintControlSkin(data, ci, true, HotLook() ? 1 : 0, TRect(0, 0, cache->Width(), this->Height()),
                     position, cache, true);
    PaintText();
    PaintGlyph();
    RepaintCorners(data, 0); // before the disabled look, which covers the corners too
    if (!this->Enabled()) PaintDisabledEffect(cache, FDisabledKind, this, ci, position);
    data->BGChanged = false;
}

template <class Base> void TsCheckable<Base>::PaintText() {
    const UnicodeString caption = this->Caption();
    if (caption.empty()) return;
    TCanvas* canvas = this->FCommonData->CacheBmp()->Canvas();
    const int width = this->Width(), height = this->Height();
    const int avail = width - CheckRect().Width() - FTextIndent - 2 * FMargin - 2;
    const bool wrap = this->WordWrap();
    TRect r(0, 0, avail, 0);
    canvas->SetFont(this->Font());
    CanvasDrawText(canvas, caption, r,
                   DT_CALCRECT | (wrap ? static_cast<UINT>(DT_WORDBREAK) : DT_SINGLELINE));
    const int tw = r.Width(), th = r.Height();
    r.top = std::max((height - th) / 2, FMargin);
    r.bottom = r.top + th;
    if (ControlsAlignment() == taRightJustify) {
        r.left = width - avail - FMargin + 2;
        r.right = CaptionRight(r.left, tw);
    } else {
        r.left = FMargin;
        r.right = avail + FMargin;
    }
    OffsetRect(&r, wrap ? -1 : 0, -1);
    WriteControlText(canvas, caption, true, r,
                     wrap ? static_cast<UINT>(DT_WORDBREAK | DT_CENTER) : DT_SINGLELINE,
                     this->FCommonData.get(), HotLook());
    canvas->Pen()->SetStyle(psClear);
    canvas->Brush()->SetStyle(bsSolid);
    if (!this->Focused() || !FShowFocus) return;
    if (!wrap) --r.bottom;
    ++r.top;
    InflateRect(&r, 1, 1);
    PaintDottedFrame(canvas, r);
}

template <class Base> void TsCheckable<Base>::PaintGlyph() {
    TBitmap* cache = this->FCommonData->CacheBmp();
    if (cache->Width() == 0) return;
    if (DrawListGlyph(CheckRect())) return;
    if (!FGlyphChecked->Empty()) {
        if (this->Checked())
            DrawUserGlyph(FGlyphChecked.get());
        else if (!FGlyphUnChecked->Empty())
            DrawUserGlyph(FGlyphUnChecked.get());
        return;
    }
    TsSkinManager* manager = this->FCommonData->SkinManager();
    const int index = GlobalGlyph(manager, SkinGlyphName());
    if (index < 0) return;
    const int state = FPressed ? 2 : (HotLook() ? 1 : 0);
    PaintMaskImage(cache, CheckRect().TopLeft(), state, manager->ma[index],
                   CacheInfoFor(cache, 0, 0), 1);
}

// One of the glyph's three states (normal, hot, pressed) through its mask row.
template <class Base> void TsCheckable<Base>::DrawUserGlyph(TBitmap* Glyph) {
    Glyph->SetPixelFormat(pf24bit);
    const int w = Glyph->Width() / 3, h = Glyph->Height() / 2;
    const int state = FPressed ? 2 : (HotLook() ? 1 : 0);
    CopyMaskedImage(CheckRect(), TRect(state * w, 0, (state + 1) * w, h),
                    this->FCommonData->CacheBmp(), Glyph, EmptyCacheInfo, false);
}

template <class Base> void TsCheckable<Base>::OurPaint(HDC DC) {
    TsCommonData* data = this->FCommonData.get();
    if (data->Updating() || (FadeTimer && FadeTimer->Enabled())) return;
    PrepareCache();
    BitBlt(DC, 0, 0, this->Width(), this->Height(), data->CacheBmp()->Canvas()->Handle(), 0, 0,
           SRCCOPY);
}

// The WM_PAINT handler: on the DC given, else on the paint cycle's; nothing while the control
// answers "updating" (the paint stays pending).
template <class Base> void TsCheckable<Base>::PaintNow(HDC DC) {
    const TPaintCycle cycle(this->Handle(), !DC);
    const HDC dc = DC ? DC : cycle.DC();
    TSavedDC saved(dc);
    TsCommonData* data = this->FCommonData.get();
    if (data->Updating())
        data->SetUpdating(true);
    else
        OurPaint(dc);
}

template class TsCheckable<TCustomCheckBox>;
template class TsCheckable<TRadioButton>;
