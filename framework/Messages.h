// Window message records and the class library's own message numbers.
//
// `TMessage` is the undecoded form every hidden-window and control method receives: the handler
// reads the parameters and writes the answer into `Result`, which the window procedure returns
// to the system unchanged. Handlers decode WParam/LParam once with the helpers at the end.
//
// Notifications (CM_*): one table CM_BASE + n. Skin code sends some of them by number, so the
// numbers are fixed and gaps are kept (a gap is a number no one may reuse). 0xB007 is
// CM_FOCUSCHANGED (LParam = the control that received the focus) and 0xB029 is CM_UIACTIVATE
// (sent to a control whose window becomes the active part of its form). CM_DENYSUBCLASSING is
// answered with 1 by a control that paints itself completely and must not be subclassed by
// theming or skinning layers.
//
// Reflected messages (CN_*): CN_BASE + the Win32 message. A parent passes WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_COMPAREITEM, WM_CTLCOLOR*, WM_HSCROLL,
// WM_VSCROLL, WM_CHARTOITEM and WM_VKEYTOITEM to the child control they are about; the message
// loop gives the focused control CN_KEYDOWN, CN_CHAR, CN_SYSKEYDOWN and CN_SYSCHAR before the
// window sees WM_KEYDOWN and WM_CHAR, and a non-zero answer swallows the key.
//
// Numbers that belong to other parts of the system and must stay free here: 0xA100, 0xBC4D,
// 0xBCB3, 0xBCB4, 0xB7D5, 0x8020 and 9250.
#pragma once

#include <windows.h>

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// ---- the library's notifications ---------------------------------------------------------------

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0x00;
constexpr UINT CM_DEACTIVATE = CM_BASE + 0x01;
constexpr UINT CM_CANCELMODE = CM_BASE + 0x04;   // LParam: the control that keeps its mode
constexpr UINT CM_DIALOGKEY = CM_BASE + 0x05;    // WParam: virtual key; result 1: handled
constexpr UINT CM_DIALOGCHAR = CM_BASE + 0x06;   // WParam: character; result 1: handled
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 0x07; // LParam: the control that has the focus now
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 0x08;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 0x09;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 0x0B; // WParam: 0 hidden, 1 shown
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 0x0C;
constexpr UINT CM_COLORCHANGED = CM_BASE + 0x0D;
constexpr UINT CM_FONTCHANGED = CM_BASE + 0x0E;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 0x0F;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 0x10;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 0x11;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 0x12;
constexpr UINT CM_MOUSEENTER = CM_BASE + 0x13; // LParam: the control the mouse entered
constexpr UINT CM_MOUSELEAVE = CM_BASE + 0x14; // LParam: the control the mouse left
constexpr UINT CM_MENUCHANGED = CM_BASE + 0x15;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 0x18; // WParam: group index, LParam: the button
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 0x19;
constexpr UINT CM_ENTER = CM_BASE + 0x1A;
constexpr UINT CM_EXIT = CM_BASE + 0x1B;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 0x1E; // WParam: virtual key; result 1: wanted
constexpr UINT CM_RELEASE = CM_BASE + 0x21;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 0x22;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 0x23;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 0x24;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 0x28;
constexpr UINT CM_UIACTIVATE = CM_BASE + 0x29;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 0x2C; // WParam: control, LParam: inserting
constexpr UINT CM_DRAG = CM_BASE + 0x2F;              // WParam: TDragMessage, LParam: TDragRec
constexpr UINT CM_HINTSHOW = CM_BASE + 0x30;          // LParam: the hint-info record
constexpr UINT CM_RECREATEWND = CM_BASE + 0x33;
constexpr UINT CM_INVALIDATE = CM_BASE + 0x34;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 0x36; // WParam: control, LParam: inserting
constexpr UINT CM_CHANGED = CM_BASE + 0x37;       // LParam: the control that changed
constexpr UINT CM_FLOAT = CM_BASE + 0x3A;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 0x3B;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 0x3C;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 0x3D;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 0x3F;  // LParam: the action; result 1: updated
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 0x41; // WParam: was showing, LParam: &pause (ms)
// WParam: shift state (TShiftState bits) in the low word, wheel delta in the high word;
// LParam: the cursor's screen position; result 1: handled.
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 0x43;
constexpr UINT CM_CONTROLLISTCHANGING = CM_BASE + 0x4C; // WParam: control, LParam: inserting
constexpr UINT CM_DENYSUBCLASSING = CM_BASE + 0x4D;     // result 1: do not subclass

// ---- reflected messages ------------------------------------------------------------------------

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---- decoding ----------------------------------------------------------------------------------

// Mouse messages: the point in LParam as two signed 16-bit coordinates.
inline POINT PointFromLParam(LPARAM value) {
    return {static_cast<short>(LOWORD(value)), static_cast<short>(HIWORD(value))};
}
inline LPARAM PointToLParam(POINT point) {
    return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y));
}
