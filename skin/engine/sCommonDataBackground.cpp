// What lies behind a control: the link's answer to command 34, the questions a control asks its
// parent (with the fallbacks when nobody answers) and the section whose font colours a
// transparent control borrows.
#include "skin/engine/sCommonData.h"

#include "framework/Graphics.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sVclUtils.h"

namespace {

TColor GlobalColour() {
    return DefaultSkinManager ? DefaultSkinManager->GetGlobalColor() : clBtnFace;
}

void FillSolid(HDC DC, const RECT& R, TColor Colour) {
    TOwnedBrush brush(CreateSolidBrush(ColorToRGB(Colour)));
    FillRect(DC, &R, brush.Get());
}

// The part of Info.DC at Info.R (moved by Offset) painted by the window or control itself.
template <class Send> void PaintItself(TacBackgroundInfo& Info, Send send) {
    const int saved = SaveDC(Info.DC);
    SetViewportOrgEx(Info.DC, -Info.Offset.x, -Info.Offset.y, nullptr);
    OffsetRect(&Info.R, Info.Offset.x, Info.Offset.y);
    IntersectClipRect(Info.DC, Info.R.left, Info.R.top, Info.R.right, Info.R.bottom);
    send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Info.DC));
    send(WM_PAINT, reinterpret_cast<WPARAM>(Info.DC));
    RestoreDC(Info.DC, saved);
}

enum class TAnswer { Answered, Painted, None };

// Asks with DrawRequested := PleaseDraw; without an answer, when the caller had DrawRequested set
// on entry, the one asked paints itself into the DC (Send gives it the erase and paint
// messages).
template <class Ask, class Send>
TAnswer AskBackground(TacBackgroundInfo& Info, bool PleaseDraw, Ask ask, Send send) {
    const bool drawWanted = Info.DrawRequested != 0;
    Info.Kind = 0;
    Info.DrawRequested = PleaseDraw;
    ask();
    if (Info.Kind != 0) return TAnswer::Answered;
    if (!drawWanted) return TAnswer::None;
    PaintItself(Info, send);
    return TAnswer::Painted;
}

bool ThinBorders(const TsCommonData* Data) {
    TsSkinManager* manager = Data->SkinManager();
    if (!manager->IsValidImgIndex(Data->BorderIndex)) return true;
    const TsMaskData& mask = manager->ma[Data->BorderIndex];
    return mask.WL + mask.WR <= 24 && mask.WT + mask.WB <= 24;
}

TColor OwnerColour(const TsCommonData* Data) {
    return Data->FOwnerControl ? Data->FOwnerControl->Color() : clBtnFace;
}

} // namespace

bool AskWindowBackground(TacBackgroundInfo& Info, HWND Wnd, bool PleaseDraw) {
    const TAnswer answer = AskBackground(
        Info, PleaseDraw,
        [&] { SendSkinCommand(Wnd, SKCMD_GETBGINFO, reinterpret_cast<LPARAM>(&Info)); },
        [Wnd](UINT Msg, WPARAM DC) { SendMessageW(Wnd, Msg, DC, 0); });
    if (answer == TAnswer::None) {
        Info.Color = GlobalColour();
        Info.Kind = 1;
    }
    return answer == TAnswer::Answered;
}

bool AskControlBackground(TacBackgroundInfo& Info, TControl* Control, bool PleaseDraw) {
    const TAnswer answer = AskBackground(
        Info, PleaseDraw,
        [&] { PerformSkinCommand(Control, SKCMD_GETBGINFO, reinterpret_cast<LPARAM>(&Info)); },
        [Control](UINT Msg, WPARAM DC) { Control->Perform(Msg, DC, 0); });
    if (answer == TAnswer::None) {
        const LRESULT colour = PerformSkinCommand(Control, SKCMD_GETBGCOLOR);
        Info.Color = colour != 0 ? static_cast<TColor>(colour) : ColorToRGB(Control->Color());
        Info.Kind = 1;
        if (PleaseDraw && Info.Bmp) FillSolid(Info.DC, Info.R, Info.Color);
    }
    return answer == TAnswer::Answered;
}

void BackgroundToCacheInfo(const TacBackgroundInfo& Info, TCacheInfo& CI) {
    if (Info.Kind == 2) {
        CI = CacheInfoFor(Info.Bmp, Info.Offset.x, Info.Offset.y);
        return;
    }
    CI = TCacheInfo{nullptr, 0, 0, static_cast<COLORREF>(ColorToRGB(Info.Color)), false};
}

void QueryBgInfo(TsCommonData* Data, TacBackgroundInfo& Info, bool Hot, HWND Wnd) {
    if (!Data->Skinned() || Data->CustomColor()) {
        Info.Kind = 1;
        Info.Color = OwnerColour(Data);
        return;
    }
    const TsGeneralData& section = Data->SkinManager()->gd[Data->SkinIndex];
    const int t = Hot ? section.HotTransparency : section.Transparency;
    const int g = Hot ? section.HotGradientPercent : section.GradientPercent;
    const int i = Hot ? section.HotImagePercent : section.ImagePercent;
    TControl* owner = Data->FOwnerControl;
    TBitmap* cache = Data->CacheBmp();
    if (t == 0 && g <= 0 && i <= 0) {
        Info.Kind = 1;
        Info.Bmp = cache;
        Info.Color = ControlBgColor(Data, Hot, nullptr);
        if (Info.DrawRequested) FillSolid(Info.DC, Info.R, Info.Color);
        return;
    }
    if (t == 100 && ThinBorders(Data)) {
        if (owner && owner->Parent()) {
            if (AskControlBackground(Info, owner->Parent(), Info.DrawRequested != 0) &&
                Info.Kind == 2) {
                Info.Offset.x += owner->Left();
                Info.Offset.y += owner->Top();
            }
        } else if (Wnd) {
            if (AskWindowBackground(Info, GetParent(Wnd), false) && Info.Kind == 2) {
                POINT position{0, 0};
                MapWindowPoints(Wnd, GetParent(Wnd), &position, 1);
                Info.Offset.x += position.x;
                Info.Offset.y += position.y;
            }
        } else {
            Info.Kind = 1;
            Info.Color = GlobalColour();
        }
        return;
    }
    if (!cache) {
        Info.Kind = 1;
        if (t == 100)
            Info.Color =
                owner && owner->Parent() ? ControlBackColor(owner->Parent()) : GlobalColour();
        else
            Info.Color = static_cast<TColor>(0xFF00FF);
        return;
    }
    Info.Kind = 2;
    if (Info.DrawRequested) {
        BitBlt(Info.DC, Info.R.left, Info.R.top, Info.R.right - Info.R.left,
               Info.R.bottom - Info.R.top, cache->Canvas()->Handle(), Info.Offset.x, Info.Offset.y,
               SRCCOPY);
        return;
    }
    Info.Bmp = cache;
    Info.Offset = POINT{0, 0};
}

int ParentFontSkinIndex(TControl* Control, int Default, TsSkinManager* Manager) {
    if (!Control || !Manager) return Default;
    for (TControl* child = Control; child->Parent(); child = child->Parent()) {
        const int index =
            static_cast<int>(PerformSkinCommand(child->Parent(), SKCMD_GETSKININDEX)) - 1;
        if (!Manager->IsValidSkinIndex(index)) return Default;
        const TsGeneralData& section = Manager->gd[index];
        if (section.Transparency > 50) continue;
        return section.GiveOwnFont ? index : Default;
    }
    return Default;
}

void ParentCacheInfoOf(const TsCommonData* Data, TCacheInfo& CacheInfo) {
    TControl* owner = Data->FOwnerControl;
    if (Data->Skinned() && owner && owner->Parent()) {
        TacBackgroundInfo info;
        AskControlBackground(info, owner->Parent(), false);
        BackgroundToCacheInfo(info, CacheInfo);
        return;
    }
    CacheInfo.X = CacheInfo.Y = 0;
    CacheInfo.FillColor = static_cast<COLORREF>(ControlBgColor(Data, false, nullptr));
    CacheInfo.Ready = false;
}

void ParentCacheInfoOfWnd(HWND Wnd, TCacheInfo& CacheInfo) {
    CacheInfo.Ready = false;
    const HWND parent = GetParent(Wnd);
    if (!parent) {
        CacheInfo = EmptyCacheInfo;
        return;
    }
    TacBackgroundInfo info;
    AskWindowBackground(info, parent, false);
    BackgroundToCacheInfo(info, CacheInfo);
}

bool IsSkinnedSplitter(const TControl* Control) {
    for (TClass klass = Control ? Control->ClassType() : nullptr; klass; klass = klass->Parent)
        if (UnicodeString(klass->Name) == L"TsSplitter") return true;
    return false;
}

void ExcludeGraphicChildren(HDC DC, TWinControl* Parent, int OffsetX, int OffsetY) {
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* child = Parent->Controls(i);
        if (dynamic_cast<TWinControl*>(child) || IsSkinnedSplitter(child) || !child->Visible())
            continue;
        ExcludeClipRect(DC, child->Left() + OffsetX, child->Top() + OffsetY,
                        child->Left() + child->Width() + OffsetX,
                        child->Top() + child->Height() + OffsetY);
    }
}
