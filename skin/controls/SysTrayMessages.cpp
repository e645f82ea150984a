// The tray icon's hidden window: session end, the icon's callback (clicks and balloon notices)
// and the taskbar's re-creation. No default procedure runs: what is not handled answers 0.
#include "skin/controls/SysTray.h"

namespace {

constexpr LPARAM BalloonHidden = 1027;   // NIN_BALLOONHIDE
constexpr LPARAM BalloonTimedOut = 1028; // NIN_BALLOONTIMEOUT
constexpr LPARAM BalloonClicked = 1029;  // NIN_BALLOONUSERCLICK

} // namespace

void TSysTrayIcon::MsgWndProc(TMessage& Message) {
    Message.Result = 0;
    switch (Message.Msg) {
    case WM_QUERYENDSESSION: {
        bool allow = true;
        DoQueryEndSession(allow);
        Message.Result = allow ? 1 : 0;
        break;
    }
    case WM_ENDSESSION:
        DoEndSession();
        if (Message.WParam == 1) DeleteIcon();
        break;
    case SysTrayCallbackMessage: IconCallback(Message.LParam); break;
    default: break;
    }
    if (Message.Msg == TaskbarCreatedMessage() && FEnabled) TaskbarRecreated();
}

// The shell restarted: the icon is added again although Enabled did not change.
void TSysTrayIcon::TaskbarRecreated() {
    FTaskBarRecreated = true;
    try {
        SetEnabled(true);
    } catch (...) {
        // the icon stays away until the next re-creation; nothing to report from here
    }
    FTaskBarRecreated = false;
}

void TSysTrayIcon::IconCallback(LPARAM Mouse) {
    switch (Mouse) {
    case WM_LBUTTONDOWN: DoLButtonDown(); break;
    case WM_LBUTTONUP: DoLButtonUp(); break;
    case WM_LBUTTONDBLCLK: DoLButtonDblClick(); break;
    case WM_RBUTTONDOWN: DoRButtonDown(); break;
    case WM_RBUTTONUP: DoRButtonUp(); break;
    case WM_RBUTTONDBLCLK: DoRButtonDblClick(); break;
    case BalloonHidden: OnBalloonHintHide(this); break;
    case BalloonTimedOut: OnBalloonHintClose(this); break;
    case BalloonClicked: OnBalloonHintClick(this); break;
    default: break;
    }
}

void TSysTrayIcon::Clicked(TSysTrayIconClicks Click, const TNotifyEvent& Event) {
    if (RestoreOn == Click) RestoreApp();
    if (PopupMenuOn == Click) ShowMenu();
    Event(this);
}
