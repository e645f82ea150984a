// The in-process drag: one at a time, on the GUI thread. While it lasts a hidden window of its
// own holds the mouse capture, so the source's own mouse handling never sees the drag's moves
// and the release. Before the mouse has moved the threshold the drag is pending; once running,
// every move finds the control under the pointer (dmFindTarget), tells it through CM_DRAG that
// the drag entered, moves over it or left it, and shows the source's DragCursor or crNoDrop by
// its answer. A release drops on an accepting target and otherwise cancels, as do Escape and a
// lost capture; the target left behind hears the leave, and the source hears OnEndDrag last.
//
//   (none) --BeginDrag--> pending --threshold or Immediate--> running --release/Escape--> (none)
//   pending --release/Escape--> (none)
#include "framework/Controls.h"
#include "framework/HiddenWindows.h"

#include <cstdlib>

namespace controls_detail {

class TDragSession {
public:
    TDragSession(TControl* source, int threshold) : Source(source), Threshold(threshold) {
        GetCursorPos(&Start);
    }

    static std::unique_ptr<TDragSession>& Current() noexcept {
        static std::unique_ptr<TDragSession> session;
        return session;
    }
    // The drag whose end is being told: a drop handler may free its source meanwhile.
    static TDragSession*& Finishing() noexcept {
        static TDragSession* session = nullptr;
        return session;
    }

    // Takes the drag object from OnStartDrag (or makes one) and the mouse capture.
    void Begin(TDragObject* object) {
        if (!object) {
            Owned = std::make_unique<TDragObject>();
            object = Owned.get();
        }
        Object = object;
        Object->Control = Source;
        Object->DragPos = Start;
        Window = std::make_unique<THiddenWindow>(TWndMethod(this, &TDragSession::WindowProc));
        SetCapture(Window->Handle());
    }

    void Run() {
        Running = true;
        DragTo(Start);
    }

    // Ends the current drag: drops on the target when asked and it accepts, else cancels.
    static void Finish(bool drop) {
        // Out of Current() first: what the handlers below do cannot reach this drag again.
        std::unique_ptr<TDragSession> done = std::move(Current());
        if (!done) return;
        TDragSession* const outer = Finishing();
        Finishing() = done.get();
        struct TRestore {
            TDragSession* Outer;
            ~TRestore() { Finishing() = Outer; }
        } restore{outer};
        if (done->Window && GetCapture() == done->Window->Handle()) ReleaseCapture();
        SetCursor(CursorHandle(crArrow));
        TControl* target = done->Running ? done->Target : nullptr;
        const bool dropped = drop && target && done->Accepted;
        const TPoint pos = done->Object ? done->Object->DragPos : done->Start;
        TPoint at{};
        if (target) {
            at = target->ScreenToClient(pos);
            done->Send(target, dropped ? dmDragDrop : dmDragLeave, pos);
            target = done->Target; // null when the handler freed it
        }
        if (done->Object) done->Object->DragTarget = dropped ? target : nullptr;
        if (!done->Source) return;
        if (dropped)
            done->Source->DoEndDrag(target, at.x, at.y);
        else
            done->Source->DoEndDrag(nullptr, 0, 0);
    }

    TControl* Source; // null once freed while its drag's end is being told
    TDragObject* Object = nullptr;
    TControl* Target = nullptr;

private:
    bool Alive() const noexcept { return Current().get() == this; }

    bool Send(TControl* target, TDragMessage message, TPoint screenPos) {
        TDragRec rec{Object, target->ScreenToClient(screenPos)};
        return target->Perform(CM_DRAG, message, reinterpret_cast<LPARAM>(&rec)) != 0;
    }

    void DragTo(TPoint screenPos) {
        Object->DragPos = screenPos;
        TControl* target = FindDragTarget(screenPos, false);
        if (target != Target) {
            TControl* left = Target;
            Target = nullptr;
            Accepted = false;
            if (left) Send(left, dmDragLeave, screenPos);
            if (!Alive()) return;
            Target = target;
            Object->DragTarget = target;
            if (target) Accepted = Send(target, dmDragEnter, screenPos);
        } else if (target) {
            Accepted = Send(target, dmDragMove, screenPos);
        }
        if (!Alive()) return;
        SetCursor(CursorHandle(Accepted ? Source->DragCursor() : crNoDrop));
    }

    TPoint ScreenPoint(LPARAM lParam) const {
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(Window->Handle(), &point);
        return {point.x, point.y};
    }

    void WindowProc(TMessage& Message) {
        if (!Alive()) return DefaultHandler(Message, Window->Handle());
        switch (Message.Msg) {
        case WM_MOUSEMOVE: {
            const TPoint pos = ScreenPoint(Message.LParam);
            if (Running)
                DragTo(pos);
            else if (std::abs(pos.x - Start.x) >= Threshold ||
                     std::abs(pos.y - Start.y) >= Threshold) {
                Running = true;
                DragTo(pos);
            }
            return;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (Running) Object->DragPos = ScreenPoint(Message.LParam);
            return Finish(true); // the session is gone: nothing of it may be touched after
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(Message.LParam) != Window->Handle()) Finish(false);
            return;
        case WM_CANCELMODE: return Finish(false);
        default: DefaultHandler(Message, Window->Handle());
        }
    }

    TPoint Start{};
    const int Threshold;
    bool Running = false;
    bool Accepted = false;
    std::unique_ptr<TDragObject> Owned; // the drag's own object when OnStartDrag gave none
    std::unique_ptr<THiddenWindow> Window;
};

bool CancelDrag() {
    if (!TDragSession::Current()) return false;
    TDragSession::Finish(false);
    return true;
}

void ForgetDragControl(TControl* control) noexcept {
    if (TDragSession* finishing = TDragSession::Finishing()) {
        if (finishing->Source == control) finishing->Source = nullptr;
        if (finishing->Target == control) finishing->Target = nullptr;
    }
    TDragSession* session = TDragSession::Current().get();
    if (!session) return;
    if (session->Source == control) {
        // Nobody is left to hear the end: the window goes, and with it the capture.
        TDragSession::Current().reset();
        SetCursor(CursorHandle(crArrow));
    } else if (session->Target == control) {
        session->Target = nullptr;
        if (session->Object) session->Object->DragTarget = nullptr;
    }
}

} // namespace controls_detail

using controls_detail::TDragSession;

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
    HWND wnd = WindowFromPoint(Pos);
    TWinControl* control = nullptr;
    while (wnd && !(control = TWinControl::FindControl(wnd))) wnd = GetParent(wnd);
    if (!control) return nullptr;
    TDragRec rec{nullptr, control->ScreenToClient(Pos), AllowDisabled};
    const LRESULT found = control->Perform(CM_DRAG, dmFindTarget, reinterpret_cast<LPARAM>(&rec));
    TControl* target = reinterpret_cast<TControl*>(found);
    if (target && !AllowDisabled && !target->Enabled()) return nullptr;
    return target;
}

void TControl::BeginDrag(bool Immediate, int Threshold) {
    if (TDragSession::Current()) return;
    TDragSession::Current() = std::make_unique<TDragSession>(
        this, Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold);
    TDragSession* session = TDragSession::Current().get();
    TDragObject* object = nullptr;
    try {
        // The drag's own window takes the mouse; the control sees the capture go while it is
        // already Dragging().
        SetMouseCapture(false);
        DoStartDrag(object);
        if (TDragSession::Current().get() != session) return; // the handler ended it
        session->Begin(object);
    } catch (...) {
        if (TDragSession::Current().get() == session) TDragSession::Current().reset();
        throw;
    }
    if (Immediate) session->Run();
}

bool TControl::Dragging() const {
    return TDragSession::Current() && TDragSession::Current()->Source == this;
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) TDragSession::Finish(Drop);
}
