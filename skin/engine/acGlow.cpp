// The glow windows and their list.
#include "skin/engine/acGlow.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sSkinManager.h"
#include "skin/engine/sVclUtils.h"
#include "framework/Application.h"

#include <algorithm>
#include <memory>

std::vector<TacGlowEffect*> GlowEffects;
BLENDFUNCTION GlowBlendFunction{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

namespace {

// The tag of windows the library makes for itself, which are never skinned.
constexpr NativeInt OwnWindowTag = -98;

// How much of a glow GW x GH (L and T its mask's left and top widths) is cut off on each side to
// show only around RealRect, the visible part of the control's rectangle R.
TRect GlowCrops(const TRect& R, const TRect& RealRect, int L, int T, int Rr, int B, int Margin,
                int GW, int GH) {
    TRect crop;
    if (RealRect.Width() == R.Width() && RealRect.Height() == R.Height()) return crop;
    crop.left = RealRect.left != 0 ? L + RealRect.left - Margin : 0;
    crop.top = RealRect.top != 0 ? T + RealRect.top - Margin : 0;
    if (R.Width() != RealRect.right)
        crop.right = crop.left != 0 ? GW - crop.left - RealRect.Width()
                                    : R.Width() + Rr - RealRect.Width() - Margin;
    if (R.Height() != RealRect.bottom)
        crop.bottom = crop.top != 0 ? GH - crop.top - RealRect.Height()
                                    : R.Height() + B - RealRect.Height() - Margin;
    return crop;
}

// The window a control's glow belongs to: the top form of the control (for an MDI child the
// main form).
HWND GlowOwnerWindow(TControl* Control) {
    auto* top = dynamic_cast<TWinControl*>(Control->TopParent());
    if (auto* form = dynamic_cast<TCustomForm*>(top);
        form && form->FormStyle() == fsMDIChild && Application->MainForm())
        top = Application->MainForm();
    return top && top->HandleAllocated() ? top->Handle() : nullptr;
}

// The clip box of a window's DC (window or client DC), in that DC's coordinates.
TRect ClipBoxOf(HWND Wnd, bool WholeWindow) {
    const HDC dc = WholeWindow ? GetWindowDC(Wnd) : GetDC(Wnd);
    TRect box;
    GetClipBox(dc, &box);
    ReleaseDC(Wnd, dc);
    return box;
}

// A control's rectangle on the screen and its visible part, in the rectangle's own coordinates.
bool ControlGlowRects(TControl* Control, TRect& R, TRect& Visible) {
    const int w = Control->Width(), h = Control->Height();
    TPoint origin(Control->Left(), Control->Top());
    TWinControl* parent = Control->Parent();
    if (parent) origin = parent->ClientToScreen(origin);
    R = TRect(origin.x, origin.y, origin.x + w, origin.y + h);
    if (auto* windowed = dynamic_cast<TWinControl*>(Control)) {
        if (!windowed->HandleAllocated()) return false;
        Visible = ClipBoxOf(windowed->Handle(), true);
        return true;
    }
    if (!parent || !parent->HandleAllocated()) return false;
    const TRect box = ClipBoxOf(parent->Handle(), false);
    const int left = Control->Left(), top = Control->Top();
    Visible = TRect(left < 0 ? -left : 0, top < 0 ? -top : 0,
                    box.right > left && box.right < left + w ? box.right - left : w,
                    box.bottom > top && box.bottom < top + h ? box.bottom - top : h);
    return true;
}

} // namespace

TacGlowEffect::~TacGlowEffect() {
    FreeAndNil(AlphaBmp);
    if (!Wnd) return;
    Wnd->SetWindowProc(OldWndProc);
    if (SkinManager && SkinManager->ComponentState().Contains(csDestroying))
        Wnd->Free();
    else
        Wnd->Release();
    Wnd = nullptr;
}

void TacGlowEffect::NewWndProc(TMessage& Message) {
    if (Message.Msg == WM_NCHITTEST) {
        Message.Result = HTTRANSPARENT;
        return;
    }
    OldWndProc(Message);
}

void TacGlowEffect::CreateAlphaBmp(int Width, int Height) {
    FreeAndNil(AlphaBmp);
    AlphaBmp = CreateBmp32(Width, Height); // black, alpha 0
    if (MaskIndex >= 0)
        PaintBorderMask(AlphaBmp, TRect(0, 0, Width, Height), false, EmptyCacheInfo,
                        SkinManager->ma[MaskIndex], 0, false);
}

void TacGlowEffect::Show(const TRect& R, const TRect& RealRect, HWND WndHandle) {
    if (Wnd) return;
    Wnd = Construct<TForm>(nullptr);
    Wnd->Tag = OwnWindowTag;
    OldWndProc = Wnd->WindowProc();
    Wnd->SetWindowProc(TWndMethod(this, &TacGlowEffect::NewWndProc));
    Wnd->SetControlStyle(Wnd->ControlStyle() - TControlStyle{csCaptureMouse});
    Wnd->SetBorderStyle(bsNone);
    Wnd->SetVisible(false);
    const int l = SkinManager->MaskWidthLeft(MaskIndex), t = SkinManager->MaskWidthTop(MaskIndex);
    const int rr = SkinManager->MaskWidthRight(MaskIndex);
    const int b = SkinManager->MaskWidthBottom(MaskIndex);
    int gw = R.Width() + l + rr - 2 * Margin, gh = R.Height() + t + b - 2 * Margin;
    GlowBlendFunction.SourceConstantAlpha = 255;
    CreateAlphaBmp(std::max(gw, 0), std::max(gh, 0));
    const TRect crop = GlowCrops(R, RealRect, l, t, rr, b, Margin, gw, gh);
    gw = std::max<int>(gw - crop.left - crop.right, 0);
    gh = std::max<int>(gh - crop.top - crop.bottom, 0);
    if (crop.left != 0 || crop.top != 0) {
        std::unique_ptr<TBitmap, graphics_detail::TFreeObject> cropped(CreateBmp32(gw, gh));
        BitBlt(cropped->Canvas()->Handle(), 0, 0, gw, gh, AlphaBmp->Canvas()->Handle(), crop.left,
               crop.top, SRCCOPY);
        FreeAndNil(AlphaBmp);
        AlphaBmp = cropped.release();
    }
    if (GetWindowLongW(WndHandle, GWL_EXSTYLE) & WS_EX_TOPMOST) Wnd->SetFormStyle(fsStayOnTop);
    const HWND handle = Wnd->Handle();
    SetWindowPos(handle, nullptr, R.left + Margin - l + crop.left, R.top + Margin - t + crop.top,
                 gw, gh, SWP_NOACTIVATE | SWP_NOZORDER);
    SetWindowLongW(handle, GWL_EXSTYLE,
                   GetWindowLongW(handle, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    if (gw > 0 && gh > 0) {
        const HDC screen = GetDC(nullptr);
        SIZE size{gw, gh};
        POINT source{0, 0};
        UpdateLayeredWindowProc(handle, screen, nullptr, &size, AlphaBmp->Canvas()->Handle(),
                                &source, 0, &GlowBlendFunction, ULW_ALPHA);
        ShowWindow(handle, SW_SHOWNA);
        ReleaseDC(nullptr, screen);
    }
    FreeAndNil(AlphaBmp);
}

int ShowGlowEffect(const TRect& R, const TRect& RealRect, const UnicodeString& SkinSection,
                   const UnicodeString& Name, int Margin, HWND WndHandle,
                   TsSkinManager* SkinManager) {
    if (!LayeredWindowsAvailable()) return -1;
    TsSkinManager* manager = SkinManager ? SkinManager : DefaultSkinManager;
    if (!manager) return -1;
    const int mask = manager->GetMaskIndex(SkinSection, Name + L"0");
    if (mask < 0) return -1;
    auto* glow = Construct<TacGlowEffect>(manager);
    GlowEffects.push_back(glow);
    glow->Margin = Margin;
    glow->MaskIndex = mask;
    glow->Show(R, RealRect, WndHandle);
    return static_cast<int>(GlowEffects.size()) - 1;
}

void HideGlowEffect(int Id) {
    if (Id < 0 || Id >= static_cast<int>(GlowEffects.size())) return;
    FreeAndNil(GlowEffects[Id]);
}

void ClearGlowEffects() {
    // The list is taken first: freeing a glow lets messages run that may ask for it again.
    std::vector<TacGlowEffect*> glows;
    glows.swap(GlowEffects);
    for (TacGlowEffect*& glow : glows) FreeAndNil(glow);
}

void RefreshControlGlow(TsCommonData* Data, bool Hide, HWND Wnd) {
    TsSkinManager* manager = Data->SkinManager();
    if (!manager || !manager->ReadAllowGlowing() || !manager->IsValidSkinIndex(Data->SkinIndex))
        return;
    const TsGeneralData& section = manager->gd[Data->SkinIndex];
    if (section.GlowCount < 1) return;
    TControl* owner = Data->FOwnerControl;
    TRect r, visible;
    HWND glowOwner = nullptr;
    if (owner) {
        const bool pressed = owner->ControlState().Contains(csLButtonDown);
        if (!Data->FMouseAbove || pressed || Hide) {
            HideGlowEffect(Data->GlowID);
            Data->GlowID = -1;
            return;
        }
        if (!ControlGlowRects(owner, r, visible)) return;
        glowOwner = GlowOwnerWindow(owner);
    } else {
        if (!Wnd) return;
        if (Hide) {
            HideGlowEffect(Data->GlowID);
            Data->GlowID = -1;
            return;
        }
        GetWindowRect(Wnd, &r);
        visible = ClipBoxOf(Wnd, true);
        glowOwner = TopLevelWindowOf(Wnd);
    }
    // A glow shown before is replaced, never left behind without an id.
    HideGlowEffect(Data->GlowID);
    Data->GlowID = ShowGlowEffect(r, visible, Data->SkinSection(), L"GLOW", section.GlowMargin,
                                  glowOwner, manager);
}
