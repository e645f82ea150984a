// The form's messages: release, activation and focus, dialog keys (Tab and arrows move the
// focus, the rest go to the controls: default and cancel buttons answer Enter and Esc), the
// close box, window state, and the default procedures of MDI frames and children.
#include "framework/Forms.h"

#include "framework/Application.h"
#include "framework/Menus.h"

#include <algorithm>

// CM_RELEASE frees the form: nothing of it may be touched after that, so it is handled before
// anything else the chain does with the message.
void TCustomForm::WndProc(TMessage& Message) {
    if (Message.Msg == CM_RELEASE) {
        Free();
        return;
    }
    TScrollingWinControl::WndProc(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COMMAND:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MENUCHAR:
        // The menu bar's traffic goes to its items; the controls' is reflected as usual.
        if (DispatchMenuMessage(Message)) return;
        break;
    case CM_VISIBLECHANGED: CMVisibleChanged(); return;
    case CM_DIALOGKEY: CMDialogKey(Message); return;
    case CM_FOCUSCHANGED: SetFocusedControl(reinterpret_cast<TWinControl*>(Message.LParam)); break;
    case WM_ACTIVATE: WMActivate(Message); return;
    case WM_CLOSE:
        Close();
        Message.Result = 0;
        return;
    case WM_SIZE: WMSize(Message); break;
    case WM_QUERYENDSESSION: Message.Result = CloseQuery() ? 1 : 0; return;
    case WM_SYSCOMMAND:
        if (WMSysCommand(Message)) return;
        break;
    case WM_MDIACTIVATE: WMMDIActivate(Message); break;
    default: break;
    }
    TScrollingWinControl::Dispatch(Message);
}

void TCustomForm::DefaultHandler(TMessage& Message) {
    if (!HandleAllocated()) return TScrollingWinControl::DefaultHandler(Message);
    if (FFormStyle == fsMDIChild) {
        Message.Result = DefMDIChildProcW(Handle(), Message.Msg, Message.WParam, Message.LParam);
    } else if (FClientHandle) {
        Message.Result =
            DefFrameProcW(Handle(), FClientHandle, Message.Msg, Message.WParam, Message.LParam);
    } else {
        TScrollingWinControl::DefaultHandler(Message);
    }
}

// An active MDI child's menu joins the frame's menu bar (by GroupIndex) while it is active.
void TCustomForm::WMMDIActivate(TMessage& Message) {
    if (FFormStyle != fsMDIChild || !FMenu || !Application) return;
    TCustomForm* frame = Application->MainForm();
    if (!frame || !frame->Menu()) return;
    const auto activated = reinterpret_cast<HWND>(Message.LParam);
    if (HandleAllocated() && activated == Handle())
        frame->Menu()->Merge(FMenu);
    else
        frame->Menu()->Unmerge(FMenu);
}

// The main form's minimise and restore are the program's (OnMinimize, OnRestore).
bool TCustomForm::WMSysCommand(TMessage& Message) {
    if (!Application || Application->MainForm() != this) return false;
    switch (Message.WParam & 0xFFF0) {
    case SC_MINIMIZE: Application->Minimize(); break;
    case SC_RESTORE:
        if (!Application->Minimized()) return false;
        Application->Restore();
        break;
    default: return false;
    }
    Message.Result = 0;
    return true;
}

void TCustomForm::WMSize(TMessage& Message) {
    switch (Message.WParam) {
    case SIZE_MINIMIZED: FWindowState = wsMinimized; break;
    case SIZE_MAXIMIZED: FWindowState = wsMaximized; break;
    case SIZE_RESTORED: FWindowState = wsNormal; break;
    default: break;
    }
    if (FClientHandle) {
        RECT area;
        GetClientRect(Handle(), &area);
        MoveWindow(FClientHandle, 0, 0, area.right, area.bottom, TRUE);
    }
}

// ---- activation and focus
// ------------------------------------------------------------------------

void TCustomForm::WMActivate(TMessage& Message) {
    DefaultHandler(Message);
    const bool active = LOWORD(Message.WParam) != WA_INACTIVE;
    if (active == FActive) return;
    FActive = active;
    if (active) {
        FFormState.Include(fsActivated);
        if (Screen) Screen->FormActivated(this);
        TWinControl* target = FActiveControl;
        if (!target) {
            std::vector<TWinControl*> order;
            GetTabOrderList(order);
            const auto first = std::find_if(order.begin(), order.end(), [](TWinControl* c) {
                return c->TabStop() && c->CanFocus();
            });
            if (first != order.end()) target = *first;
        }
        if (target && target->CanFocus() && !HIWORD(Message.WParam)) target->SetFocus();
        Perform(CM_ACTIVATE, 0, 0);
        Activate();
    } else {
        Perform(CM_DEACTIVATE, 0, 0);
        Deactivate();
    }
}

void TCustomForm::SetFocusedControl(TWinControl* Control) {
    if (!Control || Control == this || GetParentForm(Control) != this) return;
    FActiveControl = Control;
    if (Screen) Screen->ControlFocused(this, Control);
}

// ---- dialog keys
// ----------------------------------------------------------------------------------

void TCustomForm::CMDialogKey(TMessage& Message) {
    const auto key = static_cast<Word>(Message.WParam);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrlOrAlt = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    if (!ctrlOrAlt) {
        switch (key) {
        case VK_TAB:
            SelectNext(FActiveControl, !shift, true);
            Message.Result = 1;
            return;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (FActiveControl) {
                SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN, false);
                Message.Result = 1;
                return;
            }
            break;
        default: break;
        }
    }
    TScrollingWinControl::Dispatch(Message); // the controls: default and cancel buttons
}

// Tab moves through every tab stop of the form; arrows move among the siblings of the control.
void TCustomForm::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    std::vector<TWinControl*> order;
    if (!CheckTabStop && CurControl && CurControl->Parent()) {
        for (int i = 0; i < CurControl->Parent()->ControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TWinControl*>(CurControl->Parent()->Controls(i)))
                order.push_back(sibling);
        std::stable_sort(order.begin(), order.end(), [](TWinControl* a, TWinControl* b) {
            return a->TabOrder() < b->TabOrder();
        });
    } else {
        GetTabOrderList(order);
    }
    if (order.empty()) return;
    auto start = std::find(order.begin(), order.end(), CurControl);
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    std::ptrdiff_t index = start == order.end() ? (GoForward ? -1 : count) : start - order.begin();
    for (std::ptrdiff_t step = 0; step < count; ++step) {
        index = ((GoForward ? index + 1 : index - 1) % count + count) % count;
        TWinControl* candidate = order[static_cast<std::size_t>(index)];
        if (candidate == CurControl) return;
        if ((!CheckTabStop || candidate->TabStop()) && candidate->CanFocus()) {
            candidate->SetFocus();
            return;
        }
    }
}
