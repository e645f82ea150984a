// The skin link's answers to the skin commands and the message bookkeeping that every skinned
// control runs before its inherited window procedure.
#include "skin/engine/sCommonData.h"

#include "framework/Application.h"
#include "framework/Conversions.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>
#include <cstdint>

namespace {

bool OwnManager(const TMessage& Message, const TsCommonData* Data) {
    TsSkinManager* manager = Data->SkinManager();
    return manager && Message.LParam == reinterpret_cast<LPARAM>(manager);
}

const TsGeneralData* SectionOf(const TsCommonData* Data) {
    TsSkinManager* manager = Data->SkinManager();
    return manager && manager->IsValidSkinIndex(Data->SkinIndex) ? &manager->gd[Data->SkinIndex]
                                                                 : nullptr;
}

TWinControl* WindowedOwner(const TsCommonData* Data) {
    return dynamic_cast<TWinControl*>(Data->FOwnerControl);
}

bool Destroying(const TComponent* Component) {
    return Component->ComponentState().Contains(csDestroying);
}

void RedrawFrame(const TsCommonData* Data, UINT Extra) {
    TWinControl* owner = WindowedOwner(Data);
    if (owner && owner->HandleAllocated())
        RedrawWindow(owner->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | Extra);
}

void SkinRemoved(TsCommonData* Data) {
    Data->BorderIndex = Data->SkinIndex = Data->Texture = Data->HotTexture = -1;
    Data->SetUpdating(true);
    Data->EmptyCacheBmp();
    TControl* owner = Data->FOwnerControl;
    if (dynamic_cast<TCustomEdit*>(owner)) {
        if (!Data->CustomColor()) owner->SetColor(clWindow);
        if (!Data->CustomFont()) owner->Font()->SetColor(clWindowText);
        RedrawFrame(Data, 0);
    } else if (TWinControl* windowed = WindowedOwner(Data)) {
        for (int i = 0; i < windowed->ControlCount(); ++i)
            if (auto* label = dynamic_cast<TLabel*>(windowed->Controls(i)))
                label->Font()->SetColor(clWindowText);
    }
}

void Repainted(TsCommonData* Data) {
    Data->BGChanged = true;
    Data->SetUpdating(false);
    if (Data->Skinned() && dynamic_cast<TCustomEdit*>(Data->FOwnerControl)) {
        const TsGeneralData& section = *SectionOf(Data);
        TControl* owner = Data->FOwnerControl;
        if (!Data->CustomColor() && owner->Color() != section.Color) owner->SetColor(section.Color);
        if (!Data->CustomFont() && owner->Font()->Color() != section.FontColor[0])
            owner->Font()->SetColor(section.FontColor[0]);
        RedrawFrame(Data, 0);
    }
    UpdateCtrlSkinState(Data, false);
}

LRESULT OwnColour(const TsCommonData* Data) {
    return static_cast<LRESULT>(ColorToRGB(Data->FOwnerControl->Color()));
}

// Command 21: the colour the control shows, blended with its parent's by TRANSPARENCY.
LRESULT BackgroundColour(const TsCommonData* Data) {
    const TsGeneralData* section = SectionOf(Data);
    if (!section) return OwnColour(Data);
    TWinControl* parent = Data->FOwnerControl->Parent();
    const int t = section->Transparency;
    if (t == 0) return static_cast<LRESULT>(section->Color);
    const auto parentAnswer = [&]() -> std::uint32_t {
        if (!parent || !parent->HandleAllocated())
            return static_cast<std::uint32_t>(OwnColour(Data));
        return static_cast<std::uint32_t>(SendSkinCommand(parent->Handle(), SKCMD_GETBGCOLOR));
    };
    if (t >= 100) {
        if (!parent) return OwnColour(Data);
        const std::uint32_t answer = parentAnswer();
        return answer == 0xFF00FF ? static_cast<LRESULT>(ColorToRGB(parent->Color()))
                                  : static_cast<LRESULT>(answer);
    }
    const std::uint32_t p = parentAnswer();
    const auto s = static_cast<std::uint32_t>(section->Color);
    std::uint32_t result = p & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int pc = static_cast<int>((p >> shift) & 0xFF);
        const int sc = static_cast<int>((s >> shift) & 0xFF);
        result |= static_cast<std::uint32_t>(ClampToByte((t * (pc - sc) + sc * 256) >> 8)) << shift;
    }
    return static_cast<LRESULT>(result);
}

// Command 19: the background has a gradient or an image, or moves with the control.
LRESULT Textured(const TsCommonData* Data) {
    const TsGeneralData* section = SectionOf(Data);
    if (section->Transparency == 100 && Data->FOwnerControl && Data->FOwnerControl->Parent())
        return Data->ParentTextured();
    return section->GradientPercent + section->ImagePercent > 0 || Data->RepaintIfMoved();
}

void CheckMoved(TsCommonData* Data, WORD Parameter) {
    const bool repaint = Data->RepaintIfMoved();
    Data->BGChanged = Data->BGChanged || repaint;
    TWinControl* owner = WindowedOwner(Data);
    if (!owner) return;
    if (Parameter == 1 && owner->HandleAllocated())
        RedrawWindow(owner->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_NOERASE | RDW_NOINTERNALPAINT);
    if (!repaint) return;
    for (int i = 0; i < owner->ControlCount(); ++i) {
        TControl* child = owner->Controls(i);
        if (!Destroying(child)) PerformSkinCommand(child, SKCMD_CHECKMOVED);
    }
}

} // namespace

bool HandleSkinCommand(TMessage& Message, TsCommonData* Data) {
    if (!Data || Message.Msg != SM_ALPHACMD) return false;
    const WORD parameter = SkinParameterOf(Message.WParam);
    switch (SkinCommandOf(Message.WParam)) {
    case SKCMD_SKINLOADED:
        if (OwnManager(Message, Data)) {
            Data->UpdateIndexes();
            UpdateCtrlSkinState(Data, false);
        }
        return false;
    case SKCMD_SKINREMOVED:
        if (OwnManager(Message, Data)) SkinRemoved(Data);
        return false;
    case SKCMD_REPAINT:
        if (OwnManager(Message, Data)) Repainted(Data);
        return false;
    case SKCMD_ISSKINNED: Message.Result = 1; return true;
    case SKCMD_SETUPDATING: Data->SetUpdating(parameter == 1); return false;
    case SKCMD_SETURGENT: Data->UrgentPainting = parameter == 1; return false;
    case SKCMD_QUERYUPDATING: Message.Result = Data->BGChanged || Data->Updating(); return true;
    case SKCMD_QUERYHALFVISIBLE: Message.Result = Data->HalfVisible; return true;
    case SKCMD_MARKIFTRANSPARENT:
        if (SectionHasTransparency(Data) && parameter == 1) Data->BGChanged = true;
        return false;
    case SKCMD_SECTIONCHANGED:
        if (UpperCase(Data->SkinSection()) == UpdatedSectionName) Data->Invalidate();
        return false;
    case SKCMD_MARKBGCHANGED: Data->BGChanged = true; return false;
    case SKCMD_QUERYTEXTURED:
        if (!SectionOf(Data)) return false;
        Message.Result = Textured(Data);
        return true;
    case SKCMD_CHECKMOVED: CheckMoved(Data, parameter); return false;
    case SKCMD_GETBGCOLOR:
        if (!Data->FOwnerControl) return false;
        Message.Result = BackgroundColour(Data);
        return true;
    case SKCMD_MARKHALFVISIBLE: Data->HalfVisible = true; return false;
    case SKCMD_GETSKININDEX: Message.Result = Data->SkinIndex + 1; return true;
    case SKCMD_GETBGINFO:
        if (Message.LParam)
            QueryBgInfo(Data, *reinterpret_cast<TacBackgroundInfo*>(Message.LParam), false,
                        nullptr);
        return false;
    case SKCMD_CTRLSTATE:
        if (Message.LParam == 1)
            UpdateCtrlSkinState(Data, true);
        else
            Message.Result = Data->CtrlSkinState;
        return true;
    case SKCMD_GETAPPLICATION:
        Message.Result = reinterpret_cast<LRESULT>(Application);
        return false;
    default: return false;
    }
}

bool HandleSkinnedMessage(TMessage& Message, TsCommonData* Data) {
    TControl* owner = Data->FOwnerControl;
    TWinControl* windowed = WindowedOwner(Data);
    const bool designing = owner && owner->ComponentState().Contains(csDesigning);
    switch (Message.Msg) {
    case SM_ALPHACMD: return HandleSkinCommand(Message, Data);
    case WM_MOVE:
        if (Data->RepaintIfMoved()) {
            Data->BGChanged = true;
            if (owner) owner->Perform(SM_ALPHACMD, SkinWParam(SKCMD_CHECKMOVED, 1), 0);
        }
        if (Data->GlowID >= 0) RefreshControlGlow(Data, true);
        return false;
    case WM_SIZE: {
        if (!Data->Skinned()) return false;
        Data->BGChanged = true;
        const TsGeneralData* section = SectionOf(Data);
        if (windowed && section->GradientPercent > 0) {
            for (int i = 0; i < windowed->ControlCount(); ++i) {
                TControl* child = windowed->Controls(i);
                if (Destroying(child) || child->Anchors().Contains(akRight) ||
                    child->Anchors().Contains(akBottom))
                    continue;
                child->Perform(SM_ALPHACMD, SkinWParam(SKCMD_CHECKMOVED, 1), 0);
            }
        }
        if (Data->GlowID >= 0) RefreshControlGlow(Data, true);
        return false;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (windowed && windowed->TabStop() && windowed->CanFocus()) {
            Data->BGChanged = true;
            Data->FFocused = Message.Msg == WM_SETFOCUS;
            if (IsFocusFrameClass(Data->COC) && (Data->FFocused || windowed->Visible()))
                RedrawFrame(Data, 0);
        }
        return false;
    case CM_ENABLEDCHANGED:
    case WM_FONTCHANGE:
        Data->FMouseAbove = Data->FFocused = false;
        if (owner && !owner->Enabled() && Data->GlowID >= 0) RefreshControlGlow(Data, true);
        return false;
    case WM_UPDATEUISTATE: return Data->Skinned();
    case WM_PARENTNOTIFY:
        if (windowed && LOWORD(Message.WParam) == WM_CREATE) NotifyParentForm(windowed);
        return false;
    case CM_VISIBLECHANGED:
        if (!Data->CacheBmp()) return false;
        if (Message.WParam == 0) {
            Data->EmptyCacheBmp();
        } else {
            Data->SetUpdating(false);
            Data->BGChanged = true;
        }
        return false;
    case CM_MOUSEENTER:
        if (designing) return false;
        if (!IsHoverlessClass(Data->COC)) Data->FMouseAbove = true;
        if (windowed && DefaultSkinManager) {
            if (windowed->HandleAllocated())
                DefaultSkinManager->WriteActiveControl(windowed->Handle());
            if (!IsGlowlessClass(Data->COC) && (Data->COC < 92 || Data->COC > 94))
                RefreshControlGlow(Data, false);
            if (IsFocusFrameClass(Data->COC)) {
                Data->BGChanged = true;
                RedrawFrame(Data, RDW_UPDATENOW);
            }
        }
        return false;
    case CM_MOUSELEAVE:
        if (designing) return false;
        if (!IsHoverlessClass(Data->COC)) Data->FMouseAbove = false;
        if (!IsGlowlessClass(Data->COC) && (Data->COC < 92 || Data->COC > 94)) ClearGlowEffects();
        if (owner && owner->Visible() && IsFocusFrameClass(Data->COC)) {
            Data->BGChanged = true;
            RedrawFrame(Data, RDW_UPDATENOW);
        }
        return false;
    default: return false;
    }
}

bool BgNeedsCache(const TsCommonData* Data) {
    if (FormAnimating) return true;
    return (Data->CtrlSkinState & 1) == 0 || IsHotState(Data);
}

bool IsHotState(const TsCommonData* Data) {
    TControl* owner = Data->FOwnerControl;
    if (!owner || !owner->Enabled()) return false;
    const TComponentState state = owner->ComponentState();
    if (state.Contains(csDesigning) || state.Contains(csDestroying)) return false;
    if (Data->FFocused) return true;
    auto* windowed = dynamic_cast<TWinControl*>(owner);
    if (windowed && windowed->HandleAllocated() && windowed->Focused()) return true;
    return Data->FMouseAbove && !IsHoverlessClass(Data->COC);
}

void UpdateBgType(TsCommonData* Data) {
    Data->BGType = 0;
    const TsGeneralData* section = SectionOf(Data);
    if (!section) return;
    if (section->ImagePercent > 0) Data->BGType |= 4;
    if (section->GradientPercent > 0 && !section->GradientArray.empty()) {
        static const Word kinds[] = {2, 1, 3};
        const int mode = section->GradientArray[0].Mode1;
        if (mode >= 0 && mode <= 2) Data->BGType |= kinds[mode];
    }
}

bool HasComplexBg(const TsCommonData* Data) {
    const TsGeneralData* section = SectionOf(Data);
    if (!section) return false;
    TsSkinManager* manager = Data->SkinManager();
    if (manager->IsValidImgIndex(Data->BorderIndex)) {
        const TsMaskData& mask = manager->ma[Data->BorderIndex];
        if (mask.WL + mask.WR > 30 || mask.WT + mask.WB > 30) return true;
    }
    if (section->Transparency == 100) {
        TControl* owner = Data->FOwnerControl;
        if (!owner || !owner->Parent()) return true;
        return (PerformSkinCommand(owner->Parent(), SKCMD_CTRLSTATE) & 1) == 0;
    }
    if (section->Transparency > 0) return true;
    return section->ImagePercent != 0 || section->GradientPercent != 0;
}

void UpdateCtrlSkinState(TsCommonData* Data, bool Recurse) {
    Data->CtrlSkinState &= static_cast<Word>(~1u);
    TControl* owner = Data->FOwnerControl;
    const bool container = owner ? dynamic_cast<TCustomFrame*>(owner) ||
                                       dynamic_cast<TCustomPanel*>(owner) ||
                                       dynamic_cast<TScrollingWinControl*>(owner)
                                 : Data->COC == 224;
    if (container && !HasComplexBg(Data)) Data->CtrlSkinState |= 1;
    TWinControl* windowed = WindowedOwner(Data);
    if (!Recurse || !windowed) return;
    for (int i = 0; i < windowed->ControlCount(); ++i)
        windowed->Controls(i)->Perform(SM_ALPHACMD, SkinWParam(SKCMD_CTRLSTATE), 1);
}

bool SectionHasTransparency(const TsCommonData* Data) {
    const TsGeneralData* section = SectionOf(Data);
    return section && section->Transparency > 0;
}

int MaxBorderWidth(const TsCommonData* Data) {
    TsSkinManager* manager = Data->SkinManager();
    if (!manager || !manager->IsValidImgIndex(Data->BorderIndex)) return 0;
    const TsMaskData& mask = manager->ma[Data->BorderIndex];
    if (mask.DrawMode & 4) return 0;
    return std::max({int(mask.WL), int(mask.WT), int(mask.WR), int(mask.WB)});
}

TColor ControlBgColor(const TsCommonData* Data, bool Hot, HWND Wnd) {
    TControl* owner = Data->FOwnerControl;
    if (Data->Skinned()) {
        const TsGeneralData& section = *SectionOf(Data);
        const int t = Hot ? section.HotTransparency : section.Transparency;
        const TColor c = Hot ? section.HotColor : section.Color;
        if (t >= 100) {
            if (owner) return ControlBackColor(owner->Parent());
            if (Wnd) return WindowBackColor(GetParent(Wnd));
            return clBtnFace;
        }
        if (t > 0) {
            if (!owner) return 0;
            return BlendColors(c, ControlBackColor(owner->Parent()), t / 100.0);
        }
        if (!Data->CustomColor()) return c;
    }
    if (owner) return owner->Color();
    return clBtnFace;
}
