// TsGroupBox: the caption strip's place, the skinned image and the skinned window procedure.
#include "skin/controls/sGroupBox.h"

#include "framework/Conversions.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinText.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>

TsGroupBox::TsGroupBox(TComponent* AOwner) : TsSkinned<TGroupBox>(AOwner, 74, true) {
    SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
}

void TsGroupBox::SetCaptionLayout(TsGroupCaptionLayout value) {
    if (value == FCaptionLayout) return;
    FCaptionLayout = value;
    if (!Caption().empty()) FCommonData->Invalidate();
}

void TsGroupBox::SetCaptionYOffset(int value) {
    if (value == FCaptionYOffset) return;
    FCaptionYOffset = value;
    FCommonData->Invalidate();
}

void TsGroupBox::SetCaptionSkin(const UnicodeString& value) {
    if (value == FCaptionSkin) return;
    FCaptionSkin = value;
    FCommonData->Invalidate();
}

void TsGroupBox::AdjustClientRect(TRect& Rect) {
    if (ComponentState().Contains(csDestroying)) return;
    TGroupBox::AdjustClientRect(Rect);
    Rect.top += FCaptionYOffset;
}

int TsGroupBox::CaptionHeight() {
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    return std::max(4, canvas->TextHeight(L"W")) + 2;
}

TRect TsGroupBox::CaptionRect() {
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    const int tw = canvas->TextWidth(Caption());
    TRect r(0, 0, 0, CaptionHeight());
    if (FCommonData->Skinned()) {
        r.bottom += FCaptionYOffset;
        if (FCaptionYOffset < 0) r.top += FCaptionYOffset;
    }
    const bool rtl = UseRightToLeftAlignment();
    if (FCaptionLayout == clTopCenter)
        r.left = (Width() - tw - 10) / 2;
    else if ((FCaptionLayout == clTopLeft && !rtl) || (FCaptionLayout == clTopRight && rtl))
        r.left = 6;
    else
        r.left = Width() - tw - 14;
    r.left = std::max<LONG>(r.left, 0);
    r.right = std::min<LONG>(r.left + tw + 8, Width());
    if (r.Width() < 2 * BevelWidth()) InflateRect(&r, BevelWidth(), 0);
    return r;
}

void TsGroupBox::PrepareCache() {
    FCommonData->PrepareCacheBmp();
    TBitmap* cache = FCommonData->CacheBmp();
    TCacheInfo ci;
    ParentCacheInfoOf(FCommonData.get(), ci);
    const TRect caption = CaptionRect();
    if (ci.Ready)
        BitBlt(cache->Canvas()->Handle(), 0, 0, Width(), caption.Height(),
               ci.Bmp->Canvas()->Handle(), Left() + ci.X, Top() + ci.Y, SRCCOPY);
    else if (Parent())
        PaintSolidRect(cache->Canvas()->Handle(), TRect(0, 0, Width(), caption.bottom),
                       static_cast<TColor>(ci.FillColor));
    const int y = FCaptionYOffset < 0 ? 0 : caption.Height() / 2;
    PaintControlSkin(FCommonData.get(), ci, true, 0, TRect(0, y, Width(), Height()),
                     TPoint(Left(), Top() + y), cache, true);
    if (!Caption().empty()) WriteText(caption, ci);
    FCommonData->BGChanged = false;
}

// The caption on its plate: the section CaptionSkin names over the box's own image, or the
// skin's "CHECKBOX" section over the parent's background.
void TsGroupBox::WriteText(const TRect& R, const TCacheInfo& CI) {
    TBitmap* cache = FCommonData->CacheBmp();
    TsSkinManager* manager = FCommonData->SkinManager();
    const int state = Focused() ? 1 : 0;
    if (!FCaptionSkin.empty()) {
        const UnicodeString section = UpperCase(FCaptionSkin);
        PaintSkinItem(manager->GetSkinIndex(section), section, CacheInfoFor(cache, 0, 0), true,
                      state, R, TPoint(0, 0), cache, manager);
    } else if (CI.Ready) {
        PaintSkinItem(manager->GetSkinIndex(L"CHECKBOX"), L"CHECKBOX", CI, true, state, R,
                      TPoint(Left() + R.left, Top() + R.top), cache, manager);
    } else {
        PaintSolidRect(cache->Canvas()->Handle(), R, static_cast<TColor>(CI.FillColor));
    }
    WriteControlText(cache->Canvas(), Caption(), Enabled(), R,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE, FCommonData.get(), false);
}

void TsGroupBox::Paint() {
    if (FCommonData->Skinned(true))
        PaintToDC(Canvas()->Handle());
    else
        TGroupBox::Paint();
}

void TsGroupBox::PaintToDC(HDC DC) {
    if (!FCommonData->Skinned(true) || ComponentState().Contains(csDestroying)) return;
    if (!Visible() && !ComponentState().Contains(csDesigning)) return;
    if (FormAnimating && DC != AnimationDC) return;
    FCommonData->SetUpdating(FCommonData->Updating());
    if (FCommonData->Updating()) return;
    FCommonData->HalfVisible = false;
    if (FCommonData->RepaintIfMoved() && Parent()) {
        const TRect client = Parent()->ClientRect();
        FCommonData->HalfVisible =
            !client.Contains(TPoint(Left() + 1, Top() + 1)) ||
            !client.Contains(TPoint(Left() + Width() - 1, Top() + Height() - 1));
    }
    if (!FCommonData->UrgentPainting) PrepareCache();
    const TRect all(0, 0, Width(), Height());
    BitBltBgExceptControls(this, FCommonData.get(), all, all, DC);
    PaintGraphicChildren(DC, this, TPoint(0, 0));
    RefreshChildControls(this);
}

// Commands 1, 2 and 3 reach the children whatever manager sends them; 34 with a caption section
// answers the box's own image.
bool TsGroupBox::SkinCommandDone(TMessage& Message) {
    const WORD command = SkinCommand(Message);
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (command) {
    case SKCMD_SKINLOADED:
        PassMessageToChildren(this, Message);
        if (own) HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_SKINREMOVED:
    case SKCMD_REPAINT:
        if (own) HandleSkinnedMessage(Message, FCommonData.get());
        PassMessageToChildren(this, Message);
        if (own && !ComponentState().Contains(csDestroying)) Repaint();
        return true;
    case SKCMD_GETBGINFO: {
        if (FCaptionSkin.empty()) return false;
        auto& info = *reinterpret_cast<TacBackgroundInfo*>(Message.LParam);
        info.Bmp = FCommonData->CacheBmp();
        info.Offset = POINT{0, 0};
        info.Kind = 2;
        return true;
    }
    default: return false;
    }
}

bool TsGroupBox::SkinnedCommand(TMessage& Message) {
    switch (SkinCommand(Message)) {
    case SKCMD_UPDATEDONE:
        if (!FCommonData->Updating()) return false;
        FCommonData->SetUpdating(false);
        FCommonData->SetUpdating(FCommonData->Updating());
        if (Showing() && !FCommonData->Updating())
            RedrawWindow(Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        return true;
    case SKCMD_SETURGENT:
        HandleSkinnedMessage(Message, FCommonData.get());
        if (FCommonData->UrgentPainting) PrepareCache();
        return true;
    case SKCMD_QUERYUPDATING:
        Message.Result = FCommonData->BGChanged || FCommonData->Updating();
        return true;
    default: HandleSkinCommand(Message, FCommonData.get()); return true;
    }
}

void TsGroupBox::SkinnedWndProc(TMessage& Message) {
    switch (Message.Msg) {
    case SM_ALPHACMD:
        if (SkinnedCommand(Message)) return;
        break;
    case WM_MOVE:
        FCommonData->BGChanged = FCommonData->BGChanged || FCommonData->RepaintIfMoved();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: TGroupBox::WndProc(Message); return;
    case WM_PAINT: {
        const TPaintCycle cycle(Handle(), true);
        TOwnedWindowDC own;
        if (!Message.WParam) own = OwnedDCOf(Handle());
        PaintToDC(Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : own.Get());
        return;
    }
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_WINDOWPOSCHANGED:
    case CM_VISIBLECHANGED: FCommonData->BGChanged = true; break;
    case WM_PRINT:
        FCommonData->SetUpdating(false);
        PaintToDC(reinterpret_cast<HDC>(Message.WParam));
        return;
    case CM_TEXTCHANGED: FCommonData->Invalidate(); return;
    case CM_FONTCHANGED:
        TGroupBox::WndProc(Message);
        if (!Caption().empty()) FCommonData->Invalidate();
        return;
    default: break;
    }
    HandleSkinnedMessage(Message, FCommonData.get());
    TGroupBox::WndProc(Message);
}
