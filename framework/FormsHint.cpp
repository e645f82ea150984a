// THintWindow: a topmost, never activated popup with a frame and the hint text in the hint font.
// Placement keeps the whole window on the desktop.
#include "framework/Forms.h"

#include <algorithm>

UnicodeString GetShortHint(const UnicodeString& Hint) {
    const auto bar = Hint.find(L'|');
    return bar == UnicodeString::npos ? Hint : Hint.substr(0, bar);
}

UnicodeString GetLongHint(const UnicodeString& Hint) {
    const auto bar = Hint.find(L'|');
    return bar == UnicodeString::npos ? Hint : Hint.substr(bar + 1);
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    SetColor(clInfoBk);
    if (Screen) Font()->Assign(Screen->HintFont());
    Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.WndParent = nullptr;
    Params.WindowClass.style |= CS_SAVEBITS | CS_DROPSHADOW;
}

namespace {

constexpr UINT HintTextFlags = DT_NOPREFIX | DT_WORDBREAK;
constexpr int HintMargin = 2;

} // namespace

TRect THintWindow::CalcHintRect(int MaxWidth, const UnicodeString& AHint, void*) {
    TRect rect{0, 0, MaxWidth, 0};
    Canvas()->Font()->Assign(Font());
    Canvas()->TextRect(rect, AHint, {tfCalcRect, tfNoPrefix, tfWordBreak});
    rect.right += 2 * HintMargin + 4;
    rect.bottom += 2 * HintMargin + 2;
    return rect;
}

void THintWindow::ActivateHint(TRect Rect, const UnicodeString& AHint) {
    ActivateHintData(Rect, AHint, nullptr);
}

void THintWindow::ActivateHintData(TRect Rect, const UnicodeString& AHint, void*) {
    SetCaption(AHint);
    const TRect desktop = Screen ? Screen->DesktopRect() : TRect{0, 0, 0, 0};
    const LONG width = Rect.Width();
    const LONG height = Rect.Height();
    Rect.left = std::max(desktop.left, std::min<LONG>(Rect.left, desktop.right - width));
    Rect.top = std::max(desktop.top, std::min<LONG>(Rect.top, desktop.bottom - height));
    SetBounds(Rect.left, Rect.top, width, height);
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, width, height,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    SetVisible(true);
    Invalidate();
}

bool THintWindow::IsHintMsg(const MSG& Msg) {
    if (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST) return true;
    switch (Msg.message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_MOUSEWHEEL: return true;
    default: return false;
    }
}

void THintWindow::ReleaseHandle() {
    if (!HandleAllocated()) return;
    SetVisible(false);
    DestroyHandle();
}

void THintWindow::Paint() {
    TRect rect = ClientRect();
    rect.left += HintMargin;
    rect.top += HintMargin;
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextRect(rect, Caption(), {tfNoPrefix, tfWordBreak});
}

// The hint never takes the mouse from the window beneath it.
void THintWindow::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_NCHITTEST) {
        Message.Result = HTTRANSPARENT;
        return;
    }
    TCustomControl::Dispatch(Message);
}
