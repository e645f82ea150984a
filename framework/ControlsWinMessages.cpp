// TWinControl's message dispatch: reflection of child notifications, keys (with the CN_ step the
// message loop runs first), focus, the property notifications that need the window, and the
// frame (BorderWidth and bevels in the non-client area).
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

#include <windowsx.h>

#include <algorithm>

void TWinControl::DefaultHandler(TMessage& Message) {
    if (!FHandle) return TControl::DefaultHandler(Message);
    Message.Result =
        CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

// Window messages here; the library's notifications in DispatchNotification; the rest (mouse,
// text) in TControl::Dispatch.
void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_PRINTCLIENT: PaintHandler(reinterpret_cast<HDC>(Message.WParam)); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
        if (!Reflect(Message)) DefaultHandler(Message);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKey(Message, true); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKey(Message, false); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS:
        DefaultHandler(Message);
        Perform(CM_EXIT, 0, 0);
        break;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case WM_MOUSELEAVE: WMMouseLeave(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); break;
    case WM_NCPAINT: WMNCPaint(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    default:
        if (!DispatchNotification(Message)) TControl::Dispatch(Message);
    }
}

bool TWinControl::DispatchNotification(TMessage& Message) {
    switch (Message.Msg) {
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: CNCtlColor(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(Message); break;
    case CN_KEYUP:
    case CN_SYSKEYDOWN: Message.Result = 0; break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case CM_FOCUSCHANGED:
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR: Broadcast(Message); break;
    case CM_VISIBLECHANGED: UpdateShowing(); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(); break;
    case CM_COLORCHANGED: CMColorChanged(); break;
    case CM_FONTCHANGED: CMFontChanged(); break;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_TABSTOPCHANGED: CMTabStopChanged(); break;
    case CM_RECREATEWND: CMRecreateWnd(); break;
    case CM_INVALIDATE: CMInvalidate(); break;
    default: return false;
    }
    return true;
}

void TWinControl::CMEnabledChanged() {
    if (FHandle) EnableWindow(FHandle, Enabled());
    Invalidate();
}

void TWinControl::CMColorChanged() {
    FBrush->SetColor(Color());
    Invalidate();
    NotifyControls(CM_PARENTCOLORCHANGED);
}

// The window takes the new font (WM_SETFONT), children that follow the parent's font take it.
void TWinControl::CMFontChanged() {
    if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    Invalidate();
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMBiDiModeChanged() {
    if (GetSystemMetrics(SM_MIDEASTENABLED)) RecreateWnd();
    Invalidate();
    NotifyControls(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::CMCtl3DChanged() {
    if (FBorderStyle == bsSingle) RecreateWnd();
    NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMTabStopChanged() {
    if (!FHandle) return;
    LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    style = FTabStop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP);
    SetWindowLongPtrW(FHandle, GWL_STYLE, style);
}

void TWinControl::CMRecreateWnd() {
    DestroyHandle();
    HandleNeeded();
}

void TWinControl::CMInvalidate() {
    if (FHandle) InvalidateRect(FHandle, nullptr, !ControlStyle().Contains(csOpaque));
}

// Shift state (TShiftState bits) in the low word and the delta in the high word; unhandled, the
// system passes the wheel on to the parent window.
void TWinControl::WMMouseWheel(TMessage& Message) {
    const auto shift = static_cast<WORD>(MouseKeysToShiftState(LOWORD(Message.WParam)).Bits());
    const WPARAM wheel = MAKEWPARAM(shift, HIWORD(Message.WParam));
    if (Perform(CM_MOUSEWHEEL, wheel, Message.LParam) != 0)
        Message.Result = 0;
    else
        DefaultHandler(Message);
}

// The mouse left the window: this control, or a graphic child of it, is no longer under it.
void TWinControl::WMMouseLeave(TMessage& Message) {
    TControl* over = controls_detail::MouseControl();
    if (over == this || (over && over->FParent == this && !dynamic_cast<TWinControl*>(over)))
        controls_detail::SetMouseControl(nullptr);
    DefaultHandler(Message);
}

// ---- reflection --------------------------------------------------------------------------------

namespace {

// The child window a notification is about; null when it names none (menus, accelerators).
HWND NotifyingChild(HWND parent, const TMessage& message) {
    switch (message.Msg) {
    case WM_NOTIFY: return reinterpret_cast<const NMHDR*>(message.LParam)->hwndFrom;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        return item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
    }
    case WM_MEASUREITEM: {
        const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
        return item->CtlType == ODT_MENU ? nullptr
                                         : GetDlgItem(parent, static_cast<int>(item->CtlID));
    }
    case WM_DELETEITEM: return reinterpret_cast<const DELETEITEMSTRUCT*>(message.LParam)->hwndItem;
    case WM_COMPAREITEM:
        return reinterpret_cast<const COMPAREITEMSTRUCT*>(message.LParam)->hwndItem;
    default: return reinterpret_cast<HWND>(message.LParam);
    }
}

} // namespace

// Gives a child's notification to the child as CN_BASE + message; the child's answer is ours.
bool TWinControl::Reflect(TMessage& Message) {
    if (Message.LParam == 0) return false;
    TWinControl* child = FindControl(NotifyingChild(FHandle, Message));
    if (!child || child == this) return false;
    Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return true;
}

// A system control asks its parent for the colours to draw with: the control's font colour and
// its own Color.
void TWinControl::CNCtlColor(TMessage& Message) {
    const auto dc = reinterpret_cast<HDC>(Message.WParam);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(Color())));
    Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

// ---- keys --------------------------------------------------------------------------------------

void TWinControl::KeyDown(Word& Key, TShiftState Shift) { OnKeyDown(this, Key, Shift); }
void TWinControl::KeyPress(wchar_t& Key) { OnKeyPress(this, Key); }
void TWinControl::KeyUp(Word& Key, TShiftState Shift) { OnKeyUp(this, Key, Shift); }

// The form that sees this control's keys first (KeyPreview); null when there is none.
TWinControl* TWinControl::KeyPreviewForm() {
    TCustomForm* form = GetParentForm(this);
    return form && form != this && form->KeyPreview() ? form : nullptr;
}

// A handler that sets the key to 0 swallows it.
void TWinControl::WMKey(TMessage& Message, bool Down) {
    Word key = static_cast<Word>(Message.WParam);
    const TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (TWinControl* form = KeyPreviewForm()) {
        if (Down)
            form->KeyDown(key, shift);
        else
            form->KeyUp(key, shift);
        if (key == 0) return;
    }
    if (Down)
        KeyDown(key, shift);
    else
        KeyUp(key, shift);
    if (key == 0) return;
    Message.WParam = key;
    DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    auto key = static_cast<wchar_t>(Message.WParam);
    if (TWinControl* form = KeyPreviewForm()) form->KeyPress(key);
    if (key != 0) KeyPress(key);
    if (key == 0) return;
    Message.WParam = key;
    DefaultHandler(Message);
}

namespace {

// The dialog-code bit that says a control wants a navigation key itself; 0 for other keys.
UINT WantedDialogCode(Word key) {
    switch (key) {
    case VK_TAB: return DLGC_WANTTAB;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: return DLGC_WANTARROWS;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: return DLGC_WANTALLKEYS;
    default: return 0;
    }
}

} // namespace

// Before the window sees a navigation key that it does not want, the top parent (the form) may
// take it as a dialog key; answering 1 swallows it.
void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 0;
    const auto key = static_cast<Word>(Message.WParam);
    const UINT wanted = WantedDialogCode(key);
    if (wanted == 0 || Perform(CM_WANTSPECIALKEY, key, Message.LParam) != 0) return;
    if (static_cast<UINT>(Perform(WM_GETDLGCODE, 0, 0)) & (wanted | DLGC_WANTMESSAGE)) return;
    TControl* top = TopParent();
    if (top != this && top->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) Message.Result = 1;
}

// Characters the control does not take (and every Alt+character) are offered to the top parent
// as dialog characters (accelerators).
void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 0;
    if (Message.Msg == CN_CHAR && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS)) return;
    TControl* top = TopParent();
    if (top != this && top->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
        Message.Result = 1;
}

// ---- focus -------------------------------------------------------------------------------------

bool TWinControl::CanFocus() {
    for (TControl* control = this; control; control = control->Parent())
        if (!control->Visible() || !control->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
    if (!CanFocus()) throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
    ::SetFocus(Handle());
}

void TWinControl::WMSetFocus(TMessage& Message) {
    DefaultHandler(Message);
    Perform(CM_ENTER, 0, 0);
    TopParent()->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
}

// ---- showing, bounds ---------------------------------------------------------------------------

bool TWinControl::Showing() { return FHandle && IsWindowVisible(FHandle); }

void TWinControl::UpdateShowing() {
    if (!FHandle) return;
    const UINT show = Visible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | show);
    Perform(CM_SHOWINGCHANGED, 0, 0);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!FHandle) {
        const TSize before{Width(), Height()};
        TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
        if (before.cx != Width() || before.cy != Height()) Realign();
        return;
    }
    int width = AWidth;
    int height = AHeight;
    ApplySizeRules(width, height);
    SetWindowPos(FHandle, nullptr, ALeft, ATop, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
    DefaultHandler(Message);
    UpdateBoundsFromWindow();
}

// The window moved or changed size (by SetBounds or by the user): the fields follow it.
void TWinControl::UpdateBoundsFromWindow() {
    RECT rect;
    if (!GetWindowRect(FHandle, &rect)) return;
    if (HWND parent = GetParent(FHandle);
        parent && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (rect.left == FLeft && rect.top == FTop && width == FWidth && height == FHeight) return;
    const bool resized = width != FWidth || height != FHeight;
    FLeft = rect.left;
    FTop = rect.top;
    FWidth = width;
    FHeight = height;
    RequestAlign();
    if (!resized) return;
    Realign();
    Resize();
}

namespace {

void Inset(RECT& rect, TBevelEdges edges, int bevel, int border) {
    rect.left += border + (edges.Contains(beLeft) ? bevel : 0);
    rect.top += border + (edges.Contains(beTop) ? bevel : 0);
    rect.right -= border + (edges.Contains(beRight) ? bevel : 0);
    rect.bottom -= border + (edges.Contains(beBottom) ? bevel : 0);
}

UINT EdgeOf(TBevelCut cut, UINT lowered, UINT raised) {
    return cut == bvLowered ? lowered : cut == bvRaised ? raised : 0;
}

} // namespace

TRect TWinControl::ClientRect() {
    if (FHandle) {
        RECT rect;
        GetClientRect(FHandle, &rect);
        return {rect.left, rect.top, rect.right, rect.bottom};
    }
    // Before the window exists: what WM_NCCALCSIZE will take, with a 2-pixel system border.
    RECT rect{0, 0, Width(), Height()};
    const int border = FBorderStyle == bsSingle ? 2 : 0;
    Inset(rect, FBevelEdges, FrameSize() - FBorderWidth, FBorderWidth + border);
    return {0, 0, std::max(0L, rect.right - rect.left), std::max(0L, rect.bottom - rect.top)};
}

// ---- frame -------------------------------------------------------------------------------------

void TWinControl::CMParentCtl3DChanged(TMessage&) {
    if (!FParentCtl3D || !FParent) return;
    auto* parent = static_cast<TWinControl*>(FParent);
    SetCtl3D(parent->Ctl3D());
    FParentCtl3D = true;
}

void TWinControl::SetBorderWidth(int value) {
    if (value == FBorderWidth) return;
    FBorderWidth = value;
    FrameChanged();
}

void TWinControl::SetBorderStyle(TBorderStyle value) {
    if (value == FBorderStyle) return;
    FBorderStyle = value;
    Perform(CM_BORDERCHANGED, 0, 0);
    RecreateWnd();
}

void TWinControl::SetCtl3D(bool value) {
    FParentCtl3D = false;
    if (value == FCtl3D) return;
    FCtl3D = value;
    Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool value) {
    if (value == FParentCtl3D) return;
    FParentCtl3D = value;
    if (value && FParent) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::SetBevelEdges(TBevelEdges value) {
    if (value == FBevelEdges) return;
    FBevelEdges = value;
    FrameChanged();
}

void TWinControl::SetBevelInner(TBevelCut value) {
    if (value == FBevelInner) return;
    FBevelInner = value;
    FrameChanged();
}

void TWinControl::SetBevelOuter(TBevelCut value) {
    if (value == FBevelOuter) return;
    FBevelOuter = value;
    FrameChanged();
}

void TWinControl::SetBevelKind(TBevelKind value) {
    if (value == FBevelKind) return;
    FBevelKind = value;
    FrameChanged();
}

void TWinControl::SetBevelWidth(int value) {
    if (value == FBevelWidth || value < 1) return;
    FBevelWidth = value;
    FrameChanged();
}

void TWinControl::FrameChanged() {
    if (FHandle)
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Realign();
}

// Width of the bevel on one edge: each of inner and outer that is cut adds BevelWidth.
int TWinControl::FrameSize() const {
    if (FBevelKind == bkNone) return FBorderWidth;
    const int inner = FBevelInner != bvNone ? FBevelWidth : 0;
    const int outer = FBevelOuter != bvNone ? FBevelWidth : 0;
    return FBorderWidth + inner + outer;
}

// The system's frame first, then BorderWidth and the bevel inside it.
void TWinControl::WMNCCalcSize(TMessage& Message) {
    DefaultHandler(Message);
    auto* rect = reinterpret_cast<RECT*>(Message.LParam); // the first rectangle in both forms
    Inset(*rect, FBevelEdges, FrameSize() - FBorderWidth, FBorderWidth);
}

namespace {

// The client area in window coordinates.
RECT ClientAreaInWindow(HWND wnd) {
    RECT window;
    GetWindowRect(wnd, &window);
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    RECT client;
    GetClientRect(wnd, &client);
    OffsetRect(&client, origin.x - window.left, origin.y - window.top);
    return client;
}

UINT BevelSides(TBevelEdges edges, TBevelKind kind) {
    UINT sides = (edges.Contains(beLeft) ? BF_LEFT : 0) | (edges.Contains(beTop) ? BF_TOP : 0) |
                 (edges.Contains(beRight) ? BF_RIGHT : 0) |
                 (edges.Contains(beBottom) ? BF_BOTTOM : 0);
    if (kind == bkFlat)
        sides |= BF_FLAT;
    else if (kind == bkSoft)
        sides |= BF_SOFT;
    return sides;
}

} // namespace

// Around the client area: BorderWidth in Color, and the bevel outside it.
void TWinControl::WMNCPaint(TMessage& Message) {
    DefaultHandler(Message);
    if (FrameSize() == 0) return;
    const RECT client = ClientAreaInWindow(FHandle);
    RECT outer = client;
    Inset(outer, FBevelEdges, -(FrameSize() - FBorderWidth), -FBorderWidth);
    HBRUSH background = FBrush->Handle();
    const TOwnedWindowDC owner(GetWindowDC(FHandle), TWindowDCTraits{FHandle});
    if (!owner) return;
    HDC dc = owner.Get();
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    FillRect(dc, &outer, background);
    if (FBevelKind != bkNone) {
        const UINT edge = EdgeOf(FBevelInner, BDR_SUNKENINNER, BDR_RAISEDINNER) |
                          EdgeOf(FBevelOuter, BDR_SUNKENOUTER, BDR_RAISEDOUTER);
        DrawEdge(dc, &outer, edge, BevelSides(FBevelEdges, FBevelKind));
    }
}

// The popup menu of the control under the point (a graphic child included) shows there; from
// the keyboard (-1, -1) it shows at the control's corner. Without one, the system passes the
// message on to the parent window.
void TWinControl::WMContextMenu(TMessage& Message) {
    TPoint point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
    TControl* target = this;
    if (point.x == -1 && point.y == -1) {
        point = ClientToScreen({0, 0});
    } else if (TControl* child = ControlAtPos(ScreenToClient(point), false);
               child && !dynamic_cast<TWinControl*>(child)) {
        target = child;
    }
    TPopupMenu* menu = target->PopupMenu();
    if (!menu || !menu->AutoPopup) return DefaultHandler(Message);
    menu->SetPopupComponent(target);
    menu->Popup(point.x, point.y);
    Message.Result = 1;
}
