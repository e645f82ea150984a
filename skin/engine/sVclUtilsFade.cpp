// The fade-in of a form being shown or reskinned. The form paints itself once into a bitmap
// (controls paint into AnimationDC meanwhile), and that image is then faded in over what the
// screen showed: through a borderless layered window handed rising constant alphas when the
// form has extended borders drawn by a layered window, else by blending the screen snapshot and
// the image step by step into the output window laid over the form. The fade blocks the thread
// and processes no messages; whatever happens, it ends with FormAnimating cleared and its
// windows and bitmaps freed, so no form is left unable to paint.
#include "skin/engine/sVclUtils.h"

#include "framework/Application.h"
#include "framework/SystemInfo.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sSkinManager.h"

#include <algorithm>
#include <memory>

TWinControl* FadeWindow = nullptr;
TBitmap* FadeScreenBmp = nullptr;
TBitmap* FadeFormBmp = nullptr;

TOutputWindow::TOutputWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    SetText(L"acOutputWindow");
    SetVisible(false);
    SetColor(static_cast<TColor>(0x800080));
}

void TOutputWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (Parent() || ParentWindow()) return;
    if (Application) Params.WndParent = Application->Handle();
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    if (owner && owner->HandleAllocated() &&
        (GetWindowLongW(owner->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST))
        Params.ExStyle |= WS_EX_TOPMOST;
}

void TOutputWindow::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; break;
    case WM_NCPAINT: Message.Result = 0; break;
    default: TCustomControl::WndProc(Message);
    }
}

TPoint FadeWindowShift(const TacExtBorderGeometry& Geometry, bool Maximized) {
    const TacExtBorderGeometry& g = Geometry;
    const int x = g.ExtBorderWidth + g.ShadowSize.left - g.WindowBorderWidth;
    if (g.SystemExtTitle) return {x, g.ShadowSize.top};
    if (Maximized && g.MaxExtTitleHeight != g.NormalExtTitleHeight)
        return {x, g.ShadowSize.top + g.ExtTitleHeight + g.NormalExtTitleHeight - g.CaptionHeight -
                       g.WindowBorderWidth - g.MaxExtTitleHeight};
    return {x, g.ShadowSize.top + g.ExtTitleHeight - g.CaptionHeight - g.WindowBorderWidth};
}

void PrepareFadeWindow(TWinControl* Form) {
    RECT window;
    GetWindowRect(Form->Handle(), &window);
    if (!FadeScreenBmp) {
        FadeScreenBmp = CreateBmp24(Form->Width(), Form->Height());
        const HWND desktop = GetDesktopWindow();
        const HDC screen = GetWindowDC(desktop);
        BitBlt(FadeScreenBmp->Canvas()->Handle(), 0, 0, Form->Width(), Form->Height(), screen,
               window.left, window.top, SRCCOPY);
        ReleaseDC(desktop, screen);
    }
    if (FadeWindow) return;
    auto* output = new TOutputWindow(Form);
    FadeWindow = output;
    if (TWinControl* parent = Form->Parent()) {
        output->SetParent(parent);
        output->HandleNeeded(); // so that the window takes its place in the order too
        OrderAfterControl(output, Form);
        output->SetBounds(Form->Left(), Form->Top(), Form->Width(), Form->Height());
        ShowWindow(output->Handle(), SW_SHOWNA);
        return;
    }
    output->SetBounds(window.left, window.top, window.right - window.left,
                      window.bottom - window.top);
    SetWindowPos(output->Handle(), GetWindow(Form->Handle(), GW_HWNDPREV), 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

namespace {

constexpr DWORD FadeStepMs = 8;

// Frees what a fade leaves behind and lets controls paint again, also when it stops early.
struct TFadeEnd {
    ~TFadeEnd() {
        FreeAndNil(FadeFormBmp);
        FreeAndNil(FadeWindow);
        FreeAndNil(FadeScreenBmp);
        AnimationDC = nullptr;
        FormAnimating = false;
    }
};

void PaintFormImage(TWinControl* Form, TacFormProviderLink* Provider) {
    TCanvas* canvas = FadeFormBmp->Canvas();
    canvas->Lock();
    AnimationDC = canvas->Handle();
    PaintControlToBmp(FadeFormBmp, Form, 0, 0, Provider);
    AnimationDC = nullptr;
    canvas->Unlock();
}

void AddExStyle(HWND Wnd, DWORD Style) {
    SetWindowLongW(Wnd, GWL_EXSTYLE, GetWindowLongW(Wnd, GWL_EXSTYLE) | static_cast<LONG>(Style));
}

bool Topmost(HWND Wnd) { return (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void ShowLayered(HWND Wnd, Byte Alpha) {
    POINT source{0, 0};
    SIZE size{FadeFormBmp->Width(), FadeFormBmp->Height()};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, Alpha, AC_SRC_ALPHA};
    TScreenDC screen;
    UpdateLayeredWindowProc(Wnd, screen.Get(), nullptr, &size, FadeFormBmp->Canvas()->Handle(),
                            &source, 0, &blend, ULW_ALPHA);
}

// A borderless form of the library's own (never skinned) over the extended-border window.
HWND MakeLayeredFadeWindow(TCustomForm* Form, HWND Borders, TPoint Shift) {
    auto* fade = new TForm(nullptr);
    FadeWindow = fade;
    fade->Tag = -98;
    fade->SetBorderStyle(bsNone);
    RECT bounds;
    GetWindowRect(Borders, &bounds);
    fade->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left,
                    bounds.bottom - bounds.top);
    const bool topmost = Topmost(Form->Handle());
    if (topmost) fade->SetFormStyle(fsStayOnTop);
    const HWND wnd = fade->Handle();
    SetWindowPos(wnd, topmost ? HWND_TOPMOST : GetWindow(Form->Handle(), GW_HWNDPREV), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(wnd, nullptr, Form->Left() - Shift.x, Form->Top() - Shift.y, FadeFormBmp->Width(),
                 FadeFormBmp->Height(),
                 SWP_NOZORDER | SWP_NOCOPYBITS | SWP_NOACTIVATE | SWP_NOREDRAW);
    AddExStyle(wnd, WS_EX_LAYERED | WS_EX_NOACTIVATE);
    AddExStyle(Borders, WS_EX_LAYERED | WS_EX_NOACTIVATE);
    return wnd;
}

void LayeredFade(TCustomForm* Form, TacFormProviderLink* Provider, int Count) {
    const HWND borders = Provider->ExtendedBorderWindow();
    const bool blended = Form->AlphaBlend();
    const Byte formAlpha = Form->AlphaBlendValue();
    const Byte target = blended ? formAlpha : 255;
    if (blended) Form->SetAlphaBlendValue(1);
    const TSize size = Provider->PrepareNonClientCache();
    FadeFormBmp = CreateBmp32(size.cx, size.cy);
    PaintFormImage(Form, Provider);
    const TPoint shift =
        FadeWindowShift(Provider->ExtendedBorderGeometry(), Form->WindowState() == wsMaximized);
    const HWND wnd = MakeLayeredFadeWindow(Form, borders, shift);
    int alpha = Count > 0 ? 0 : target;
    ShowLayered(wnd, static_cast<Byte>(alpha));
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    if (Count > 0) {
        const int step = target / Count;
        for (int i = 0; i <= Count; ++i) {
            alpha = std::min(alpha + step, static_cast<int>(target));
            ShowLayered(wnd, static_cast<Byte>(alpha));
            Sleep(FadeStepMs);
        }
    }
    ShowWindow(borders, SW_HIDE);
    SetWindowPos(borders, nullptr, Form->Left() - shift.x, Form->Top() - shift.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowLayered(borders, target);
    FormAnimating = false;
    if (blended) Form->SetAlphaBlendValue(formAlpha);
    SendMessageW(Form->Handle(), WM_SETREDRAW, 1, 0);
    Provider->RefreshExtendedBorderRegion();
    RedrawWindow(Form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    FreeAndNil(FadeWindow);
    SetWindowPos(borders, Form->Handle(), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void OutputFade(TWinControl* Form, TacFormProviderLink* Provider, int Count) {
    if (!FadeWindow) PrepareFadeWindow(Form);
    if (!FadeWindow) return;
    const int width = Form->Width();
    const int height = Form->Height();
    FadeFormBmp = CreateBmp24(width, height);
    PaintFormImage(Form, nullptr);
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> work(CreateBmp32(width, height));
    const HWND wnd = FadeWindow->Handle();
    if (Provider && !Provider->ExtendedBorderWindow())
        if (const HRGN region = Provider->MakeFormRegion()) SetWindowRgn(wnd, region, FALSE);
    const HDC dc = GetWindowDC(wnd);
    if (Count > 0) {
        const int step = 255 / Count;
        int alpha = 255;
        for (int i = 0; i <= Count; ++i) {
            BlendBmpsTo32(work.get(), FadeScreenBmp, FadeFormBmp, nullptr, std::max(0, alpha));
            BitBlt(dc, 0, 0, width, height, work->Canvas()->Handle(), 0, 0, SRCCOPY);
            if (i < Count) Sleep(FadeStepMs);
            alpha -= step;
        }
    }
    BitBlt(dc, 0, 0, width, height, FadeFormBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    FormAnimating = false;
    SendMessageW(Form->Handle(), WM_SETREDRAW, 1, 0);
    if (Win32MajorVersion() > 5)
        RedrawWindow(Form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (!(GetWindowLongW(Form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED))
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOMOVE |
                         SWP_NOSIZE);
    ReleaseDC(wnd, dc);
}

} // namespace

void FadeInForm(TWinControl* Form, Word Time) {
    TFadeEnd end;
    FormAnimating = true;
    auto* form = dynamic_cast<TCustomForm*>(Form);
    TacFormProviderLink* provider = form ? FormProviderOf(form) : nullptr;
    const int count = Time < FadeStepMs ? 0 : Time / FadeStepMs;
    if (form && provider && provider->ExtendedBorderWindow() && UpdateLayeredWindowProc)
        LayeredFade(form, provider, count);
    else
        OutputFade(Form, provider, count);
}
