// TsCustomComboBox's skinned face: the section, the drop-down button with the skin's combo
// glyph and the selected text, built in the cache bitmap and copied to the window (for an edit
// style only its frame and button while the edit child shows the text being typed).
#include "skin/controls/sComboBox.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

namespace {

constexpr UINT EditItem = ODS_COMBOBOXEDIT;
constexpr UINT FocusedEditItem = ODS_SELECTED | ODS_FOCUS | ODS_COMBOBOXEDIT;

} // namespace

bool TsCustomComboBox::OwnerDrawn() const {
    return (Style() == csOwnerDrawFixed || Style() == csOwnerDrawVariable) && OnDrawItem;
}

bool TsCustomComboBox::BoxFocused() {
    if (!HandleAllocated()) return false;
    const HWND focus = GetFocus();
    return focus == Handle() || (focus && (focus == EditHandle() || focus == ListHandle())) ||
           FCommonData->FFocused;
}

int TsCustomComboBox::ButtonHeight() {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!FCommonData->Skinned() || !manager->IsValidImgIndex(manager->ConstData.ComboGlyph))
        return 16;
    return MaskStateHeight(manager->ma[manager->ConstData.ComboGlyph]);
}

// The section's colours for the text the box and its edit child write.
void TsCustomComboBox::SyncColours() {
    if (!FCommonData->Skinned()) return;
    const TsGeneralData& section = FCommonData->SkinManager()->gd[FCommonData->SkinIndex];
    if (!FCommonData->CustomColor() && Color() != section.Color) SetColor(section.Color);
    if (!FCommonData->CustomFont() && Font()->Color() != section.FontColor[0])
        Font()->SetColor(section.FontColor[0]);
}

void TsCustomComboBox::PrepareCache() {
    FCommonData->PrepareCacheBmp();
    TBitmap* cache = FCommonData->CacheBmp();
    const int state = IsHotState(FCommonData.get()) ? 1 : 0;
    TCacheInfo ci;
    ParentCacheInfoOf(FCommonData.get(), ci);
    const TPoint position(Left(), Top());
    if (Style() == csSimple) {
        const int height = ItemHeight() + 8;
        cache->SetSize(Width(), height);
        PaintControlSkin(FCommonData.get(), ci, true, state, TRect(0, 0, Width(), height), position,
                         cache, true);
    } else {
        PaintControlSkin(FCommonData.get(), ci, true, state, TRect(0, 0, Width(), Height()),
                         position, cache, true);
        if (FShowButton) PaintButton();
        if (!OwnerDrawn()) {
            const TRect button = ButtonRect();
            const TRect text = UseRightToLeftAlignment()
                                   ? TRect(button.Width() + 4, 3, Width() - 2, Height() - 3)
                                   : TRect(3, 3, button.left - 1, Height() - 3);
            const bool focused = BoxFocused() && Style() == csDropDownList && Enabled();
            PaintText(text, focused ? FocusedEditItem : EditItem);
        }
    }
    RepaintCorners(FCommonData.get(), 0); // before the disabled look, which covers them too
    if (!Enabled() && !OwnerDrawn()) PaintDisabledEffect(cache, FDisabledKind, this, ci, position);
    FCommonData->BGChanged = false;
}

// The button in its state (pressed while the list is down) with the glyph centred on it.
void TsCustomComboBox::PaintButton() {
    TsSkinManager* manager = FCommonData->SkinManager();
    TBitmap* cache = FCommonData->CacheBmp();
    const int state = FDropDown ? 2 : (IsHotState(FCommonData.get()) ? 1 : 0);
    const TRect r = ButtonRect();
    const TConstantSkinData& c = manager->ConstData;
    if (c.ComboBtnIndex >= 0)
        PaintSkinItem(c.ComboBtnIndex, L"COMBOBTN", CacheInfoFor(cache, 0, 0), true, state, r,
                      TPoint(0, 0), cache, manager, c.ComboBtnBG, c.ComboBtnBGHot);
    if (!manager->IsValidImgIndex(c.ComboGlyph)) return;
    const TsMaskData& glyph = manager->ma[c.ComboGlyph];
    const TPoint at(r.left + (r.Width() - MaskStateWidth(glyph)) / 2,
                    (Height() - ButtonHeight()) / 2);
    PaintMaskImage(cache, at, state, glyph, CacheInfoFor(cache, 0, 0), 1);
}

void TsCustomComboBox::PaintText(TRect R, UINT ItemState) {
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    if (ItemState & ODS_FOCUS) {
        canvas->Font()->SetColor(clHighlightText);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clHighlight);
        canvas->FillRect(R);
    } else {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsClear);
    }
    const UnicodeString text = Text();
    if (!text.empty()) {
        const bool edit = Style() == csDropDown;
        TRect r(R.left + (edit ? 0 : 1), R.top, R.right, R.bottom - (edit ? 1 : 0));
        CanvasDrawText(canvas, text, r,
                       TextAlignFlags(this, FAlignment) | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (ItemState & ODS_FOCUS) DrawFocusRect(canvas->Handle(), &R);
}

void TsCustomComboBox::OurPaint(HDC DC) {
    if (!Showing()) return;
    TOwnedWindowDC own;
    if (!DC) own = OwnedDCOf(Handle());
    const HDC dc = DC ? DC : own.Get();
    FCommonData->SetUpdating(FCommonData->Updating());
    if ((FormAnimating && dc != AnimationDC) || FCommonData->Updating()) return;
    FCommonData->BGChanged = FCommonData->BGChanged || FCommonData->HalfVisible ||
                             (Parent() && AskControl(Parent(), SKCMD_QUERYHALFVISIBLE)) ||
                             OwnerDrawn();
    FCommonData->HalfVisible = Parent() && !RectContainsRect(Parent()->ClientRect(), BoundsRect());
    if (FCommonData->BGChanged) PrepareCache();
    TBitmap* cache = FCommonData->CacheBmp();
    const HDC src = cache->Canvas()->Handle();
    if (OwnerDrawn()) DrawOwnerItem();
    const bool whole = !Enabled() || Style() == csDropDownList || OwnerDrawn() ||
                       (Style() == csDropDown && !BoxFocused());
    if (whole) {
        BitBlt(dc, 0, 0, Width(), cache->Height(), src, 0, 0, SRCCOPY);
        return;
    }
    CopyFrameStrips(dc, 0, 0, Width(), cache->Height(), src, 0, 0, 3);
    if (Style() == csSimple) return;
    const TRect button = ButtonRect();
    BitBlt(dc, button.left, button.top, button.Width(), button.Height(), src, button.left,
           button.top, SRCCOPY);
}

// An owner-drawn box's item, drawn by its DrawItem over the cache's face.
void TsCustomComboBox::DrawOwnerItem() {
    TBitmap* cache = FCommonData->CacheBmp();
    const TRect r(3, 3, ButtonRect().left, cache->Height() - 3);
    const UINT state = BoxFocused() ? FocusedEditItem : EditItem;
    cache->Canvas()->Lock();
    Canvas()->SetHandle(cache->Canvas()->Handle());
    DrawItem(ItemIndex(), r, TOwnerDrawState::FromBits(state));
    Canvas()->SetHandle(nullptr);
    cache->Canvas()->Unlock();
    if (!Enabled()) {
        TCacheInfo ci;
        ParentCacheInfoOf(FCommonData.get(), ci);
        PaintDisabledEffect(cache, FDisabledKind, this, ci, TPoint(Left(), Top()));
    }
}
