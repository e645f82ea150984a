// TWinControl: its window and its children. The window is made lazily (Handle, HandleNeeded)
// with every windowed child's window, each placed so that the system's z-order follows the
// list; RecreateWnd destroys the windows (text saved first) and makes them again from the
// properties, children included.
//
// One window procedure (ControlWindowProc) serves every control window. It finds the control
// through the window property "FrameworkControl"; the first message of a window being created
// (which may come before WM_NCCREATE) attaches the control that is creating it, known through a
// thread-local variable set around CreateWindowEx. WM_NCDESTROY detaches the control once the
// control's own handling has run. Window classes are registered once per class name: the class
// name is the control's WinClassName (its class name by default), and the procedure that
// DefaultHandler calls is the one of the first registration of that name, so a class that
// changes its window class declares its own CLASS_INFO.
#include "framework/Controls.h"

#include "framework/ExceptionBoundary.h"

#include <algorithm>
#include <exception>
#include <map>
#include <mutex>

namespace {

constexpr const wchar_t* ControlProperty = L"FrameworkControl";

thread_local TWinControl* CreationControl = nullptr;

std::mutex ClassLock;
std::map<UnicodeString, WNDPROC> ClassDefaultProcs; // guarded by ClassLock

// Child window ids: unique enough among the children of one parent, which is all WM_MEASUREITEM
// (the one message that names its control by id) needs.
UINT_PTR NextChildId() {
    static UINT_PTR id = 0;
    id = id % 0x7FFF + 1;
    return id;
}

} // namespace

LRESULT CALLBACK ControlWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    TWinControl* control = TWinControl::FindControl(wnd);
    if (!control && CreationControl && !CreationControl->FHandle) {
        control = CreationControl;
        control->AttachHandle(wnd);
    }
    if (!control) return DefWindowProcW(wnd, msg, wParam, lParam);
    const LRESULT result =
        GuardBoundary([&] { return control->Perform(msg, wParam, lParam); }, LRESULT{0});
    if (msg == WM_NCDESTROY)
        if (TWinControl* still = TWinControl::FindControl(wnd)) still->WMNCDestroyed();
    return result;
}

namespace {

WNDPROC RegisterControlClass(const TCreateParams& params) {
    std::lock_guard<std::mutex> guard(ClassLock);
    auto found = ClassDefaultProcs.find(params.WinClassName);
    if (found != ClassDefaultProcs.end()) return found->second;
    WNDCLASSEXW wc = params.WindowClass;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ControlWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassExW(&wc)) RaiseLastOSError(L"RegisterClassEx");
    const WNDPROC defaultProc =
        params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : &DefWindowProcW;
    ClassDefaultProcs.emplace(params.WinClassName, defaultProc);
    return defaultProc;
}

} // namespace

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush) {
    FBrush->SetColor(Color());
}

TWinControl::~TWinControl() {
    if (!FWinTornDown) TWinControl::BeforeDestruction();
}

// Children first (each leaves this list as it goes), then the window, then the control part.
void TWinControl::BeforeDestruction() {
    if (FWinTornDown) return;
    FWinTornDown = true;
    Destroying();
    while (!FControls.empty()) FControls.back()->Free();
    try {
        DestroyHandle();
    } catch (...) {
        // A window left behind would call a freed object: stop here instead.
        std::terminate();
    }
    TControl::BeforeDestruction();
}

TWinControl* TWinControl::FindControl(HWND wnd) noexcept {
    if (!wnd) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    return static_cast<TWinControl*>(GetPropW(wnd, ControlProperty));
}

void TWinControl::AttachHandle(HWND wnd) noexcept {
    FHandle = wnd;
    SetPropW(wnd, ControlProperty, this);
}

void TWinControl::WMNCDestroyed() noexcept {
    TControlCanvas::FreeHandlesOf(FHandle);
    RemovePropW(FHandle, ControlProperty);
    FHandle = nullptr;
}

// ---- the window --------------------------------------------------------------------------------

HWND TWinControl::Handle() {
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded() {
    if (FHandle) return;
    if (FParent) FParent->HandleNeeded(); // makes this window too
    if (!FHandle) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params.Caption = FText;
    Params.Style = WS_CLIPCHILDREN;
    Params.Style |= (FParent || FParentWindow) ? WS_CHILD | WS_CLIPSIBLINGS : WS_POPUP;
    if (Visible()) Params.Style |= WS_VISIBLE;
    if (!Enabled()) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
    if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
    if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;
    if (ControlStyle().Contains(csAcceptsControls)) Params.ExStyle |= WS_EX_CONTROLPARENT;
    Params.X = Left();
    Params.Y = Top();
    Params.Width = Width();
    Params.Height = Height();
    Params.WndParent = FParent ? FParent->Handle() : FParentWindow;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    Params.WindowClass.lpfnWndProc = &DefWindowProcW;
    Params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const wchar_t* ControlClassName) {
    WNDCLASSEXW base{};
    base.cbSize = sizeof(base);
    if (!GetClassInfoExW(nullptr, ControlClassName, &base)) RaiseLastOSError(L"GetClassInfoEx");
    base.hInstance = nullptr;
    base.lpszClassName = nullptr;
    base.lpszMenuName = nullptr;
    Params.WindowClass = base;
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    FDefWndProc = RegisterControlClass(params);
    CreateWindowHandle(params);
    SyncZOrder();
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    const bool child = (Params.Style & WS_CHILD) != 0;
    HMENU id = child ? reinterpret_cast<HMENU>(NextChildId()) : nullptr;
    TWinControl* outer = CreationControl;
    CreationControl = this;
    HWND wnd = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                               Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                               Params.WndParent, id, GetModuleHandleW(nullptr), Params.Param);
    // Read before the thread-local is touched again, which may reset the last error.
    const DWORD error = wnd ? ERROR_SUCCESS : GetLastError();
    CreationControl = outer;
    if (!wnd) RaiseOSError(error, L"CreateWindowEx");
}

// The system puts a new child window at the bottom; it goes under the next windowed sibling
// above it in the child list, or on top when there is none.
void TWinControl::SyncZOrder() {
    if (!FParent || !FHandle) return;
    const auto& list = FParent->FControls;
    HWND after = HWND_TOP;
    for (auto above = std::find(list.begin(), list.end(), this) + 1; above < list.end(); ++above) {
        auto* sibling = dynamic_cast<TWinControl*>(*above);
        if (sibling && sibling->FHandle) {
            after = sibling->FHandle;
            break;
        }
    }
    SetWindowPos(FHandle, after, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    SetControlState(ControlState() + TControlState{csCreating});
    try {
        CreateWnd();
    } catch (...) {
        SetControlState(ControlState() - TControlState{csCreating});
        throw;
    }
    SetControlState(ControlState() - TControlState{csCreating});
    for (TControl* control : FControls)
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) windowed->CreateHandle();
    Realign();
}

void TWinControl::DestroyWnd() {
    FText = GetText();
    if (!DestroyWindow(FHandle)) RaiseLastOSError(L"DestroyWindow");
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    for (TControl* control : FControls)
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) windowed->DestroyHandle();
    SetControlState(ControlState() + TControlState{csDestroyingHandle});
    try {
        DestroyWnd();
    } catch (...) {
        SetControlState(ControlState() - TControlState{csDestroyingHandle});
        throw;
    }
    SetControlState(ControlState() - TControlState{csDestroyingHandle});
}

void TWinControl::RecreateWnd() {
    if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::SetParentWindow(HWND value) {
    if (value == FParentWindow) return;
    FParentWindow = value;
    if (!FParent) RecreateWnd();
}

UnicodeString TWinControl::GetText() {
    if (!FHandle) return FText;
    const int length = GetWindowTextLengthW(FHandle);
    UnicodeString text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(FHandle, text.data(), length + 1)));
    return text;
}

// ---- children ----------------------------------------------------------------------------------

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return FControls[static_cast<std::size_t>(index)];
}

bool TWinControl::ContainsControl(TControl* AControl) const {
    for (TControl* control = AControl; control; control = control->FParent)
        if (control == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* AControl) {
    const auto control = reinterpret_cast<WPARAM>(AControl);
    Perform(CM_CONTROLLISTCHANGING, control, 1);
    FControls.push_back(AControl);
    AControl->FParent = this;
    auto* windowed = dynamic_cast<TWinControl*>(AControl);
    if (windowed) FTabList.push_back(windowed);
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    if (windowed) windowed->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    if (windowed) {
        windowed->DestroyHandle(); // a window made without this parent is not its child
        if (FHandle) windowed->CreateHandle();
    } else {
        AControl->InvalidateControl(AControl->Visible(), false);
    }
    Perform(CM_CONTROLCHANGE, control, 1);
    Perform(CM_CONTROLLISTCHANGE, control, 1);
    AControl->RequestAlign();
}

void TWinControl::RemoveControl(TControl* AControl) {
    const auto control = reinterpret_cast<WPARAM>(AControl);
    Perform(CM_CONTROLLISTCHANGING, control, 0);
    if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
        windowed->DestroyHandle();
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), windowed), FTabList.end());
    } else {
        AControl->InvalidateControl(AControl->Visible(), false);
    }
    if (controls_detail::CaptureControl() == AControl) AControl->SetMouseCapture(false);
    FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
    AControl->FParent = nullptr;
    Perform(CM_CONTROLCHANGE, control, 0);
    Perform(CM_CONTROLLISTCHANGE, control, 0);
    Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
    const std::vector<TControl*> children = FControls; // a handler may change the list
    for (TControl* child : children) {
        child->CallWindowProcFrom(child->FWindowProcs.size() - 1, Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT Msg) {
    TMessage message{Msg, 0, 0, 0};
    Broadcast(message);
}

void TWinControl::SetZOrder(bool TopMost) {
    TControl::SetZOrder(TopMost);
    if (FHandle)
        SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- tab order ---------------------------------------------------------------------------------

void TWinControl::SetTabStop(bool value) {
    if (value == FTabStop) return;
    FTabStop = value;
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    const auto& list = FParent->FTabList;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int value) {
    if (!FParent) return;
    auto& list = FParent->FTabList;
    list.erase(std::find(list.begin(), list.end(), this));
    const int position = std::clamp(value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + position, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* control : FTabList) {
        List.push_back(control);
        control->GetTabOrderList(List);
    }
}

TPoint TWinControl::ClientOrigin() {
    if (!FHandle) return TControl::ClientOrigin();
    POINT origin{0, 0};
    ::ClientToScreen(FHandle, &origin);
    return {origin.x, origin.y};
}
