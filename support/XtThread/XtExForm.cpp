// TXtExForm: the framework's notifications as virtual operations. Each notification first
// takes the framework's own path (Dispatch of the form), then the operation sees the outcome,
// so an override changes the answer rather than replacing the framework's handling. Keyboard
// cues follow the system: hidden until the keyboard is used, shown for the keys that move the
// focus (focus rectangles) and for Alt (focus rectangles and accelerator underlines).
#include "support/XtThread/XtThread.h"

namespace {

constexpr struct {
    TDlgCode Code;
    UINT Native;
} DlgCodeMap[] = {
    {dcWantAllKeys, DLGC_WANTALLKEYS}, {dcWantArrows, DLGC_WANTARROWS},
    {dcWantTab, DLGC_WANTTAB},         {dcWantChars, DLGC_WANTCHARS},
    {dcButton, DLGC_BUTTON},           {dcHasSetSel, DLGC_HASSETSEL},
};

constexpr UINT MappedDlgCodes = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS |
                                DLGC_BUTTON | DLGC_HASSETSEL;

bool IsFocusMoveKey(WPARAM key) {
    return key == VK_TAB || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

} // namespace

TDlgCodes DlgCodesFromNative(UINT Codes) {
    TDlgCodes set;
    for (const auto& entry : DlgCodeMap)
        if (Codes & entry.Native) set.Include(entry.Code);
    return set;
}

UINT DlgCodesToNative(TDlgCodes Codes) {
    UINT native = 0;
    for (const auto& entry : DlgCodeMap)
        if (Codes.Contains(entry.Code)) native |= entry.Native;
    return native;
}

void TXtExForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND: EraseBackground(Message); return;
    case WM_GETDLGCODE: DialogCode(Message); return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case WM_SYSKEYDOWN: KeyboardCues(Message.Msg, Message.WParam, Message.LParam); break;
    default: break;
    }
    TForm::Dispatch(Message);
    CallOperations(Message);
}

// The operations that follow the framework's handling.
void TXtExForm::CallOperations(TMessage& Message) {
    switch (Message.Msg) {
    case CM_MOUSEENTER: MouseEnter(reinterpret_cast<TControl*>(Message.LParam)); return;
    case CM_MOUSELEAVE: MouseLeave(reinterpret_cast<TControl*>(Message.LParam)); return;
    case WM_SETFOCUS: FocusSet(reinterpret_cast<HWND>(Message.WParam)); return;
    case WM_KILLFOCUS: FocusKilled(reinterpret_cast<HWND>(Message.WParam)); return;
    case CM_TEXTCHANGED: TextChanged(); return;
    case CM_FONTCHANGED: FontChanged(); return;
    case CM_COLORCHANGED: ColorChanged(); return;
    case CM_PARENTFONTCHANGED: ParentFontChanged(); return;
    case CM_PARENTCOLORCHANGED: ParentColorChanged(); return;
    case CM_PARENTSHOWHINTCHANGED: ParentShowHintChanged(); return;
    case CM_WANTSPECIALKEY:
        Message.Result = WantKey(static_cast<Word>(Message.WParam),
                                 KeyDataToShiftState(Message.LParam), Message.Result != 0);
        return;
    case WM_NCHITTEST:
        if (Message.Result == HTCLIENT) {
            const POINT screen = PointFromLParam(Message.LParam);
            const TPoint point = ScreenToClient({screen.x, screen.y});
            if (!HitTest(point.x, point.y)) Message.Result = HTNOWHERE;
        }
        return;
    case CM_HINTSHOW:
        if (Message.Result == 0) {
            auto& info = *reinterpret_cast<THintInfo*>(Message.LParam);
            ApplyHintColor(info);
            Message.Result = HintShow(info) ? 1 : 0;
        }
        return;
    case CM_SHOWINGCHANGED:
        if (HandleAllocated() && Showing())
            SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
        return;
    default: return;
    }
}

void TXtExForm::MouseEnter(TControl* AControl) {
    if (AControl != this) return;
    FMouseOver = true;
    DrawHighlightFrame();
    OnMouseEnter(this);
}

void TXtExForm::MouseLeave(TControl* AControl) {
    if (AControl != this) return;
    FMouseOver = false;
    DrawHighlightFrame();
    OnMouseLeave(this);
}

void TXtExForm::FocusSet(HWND) { DrawHighlightFrame(); }

void TXtExForm::FocusKilled(HWND) { DrawHighlightFrame(); }

bool TXtExForm::WantKey(Word, TShiftState, bool Wanted) { return Wanted; }

bool TXtExForm::HitTest(int, int) { return true; }

bool TXtExForm::HintShow(THintInfo&) { return false; }

bool TXtExForm::DoEraseBackground(TCanvas*, LPARAM) { return false; }

void TXtExForm::ApplyHintColor(THintInfo& HintInfo) {
    if (FHintColor == clNone) {
        if (Application) HintInfo.HintColor = Application->HintColor;
    } else if (FHintColor == clDefault) {
        if (!Parent()) return;
        THintInfo asked = HintInfo;
        Parent()->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&asked));
        HintInfo.HintColor = asked.HintColor;
    } else {
        HintInfo.HintColor = FHintColor;
    }
}

void TXtExForm::EraseBackground(TMessage& Message) {
    bool erased = false;
    {
        std::unique_ptr<TCanvas, graphics_detail::TFreeObject> canvas(Construct<TCanvas>());
        canvas->SetHandle(reinterpret_cast<HDC>(Message.WParam));
        try {
            erased = DoEraseBackground(canvas.get(), Message.LParam);
        } catch (...) {
            canvas->SetHandle(nullptr);
            throw;
        }
        canvas->SetHandle(nullptr);
    }
    if (erased)
        Message.Result = 1;
    else
        TForm::Dispatch(Message);
}

// Codes the set does not name pass through unchanged.
void TXtExForm::DialogCode(TMessage& Message) {
    TForm::Dispatch(Message);
    const auto native = static_cast<UINT>(Message.Result);
    TDlgCodes codes = DlgCodesFromNative(native);
    GetDlgCode(codes);
    Message.Result = (native & ~MappedDlgCodes) | DlgCodesToNative(codes);
}

void TXtExForm::KeyboardCues(UINT Msg, WPARAM Key, LPARAM KeyData) {
    if (!HandleAllocated()) return;
    WORD shown = 0;
    if (Msg == CM_DIALOGKEY && IsFocusMoveKey(Key)) shown = UISF_HIDEFOCUS;
    const bool alt = Key == VK_MENU || (Msg == CM_DIALOGCHAR && (KeyData & (LPARAM{1} << 29)));
    if (alt) shown = UISF_HIDEFOCUS | UISF_HIDEACCEL;
    if (shown) SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, shown), 0);
}

void TXtExForm::SetHighlighting(bool Value) {
    if (Value == FHighlighting) return;
    FHighlighting = Value;
    if (Value)
        DrawHighlightFrame();
    else if (HandleAllocated())
        Invalidate();
}

void TXtExForm::DrawHighlightFrame() {
    if (!FHighlighting || !HandleAllocated() || !IsWindowVisible(Handle())) return;
    std::unique_ptr<TControlCanvas, graphics_detail::TFreeObject> canvas(
        Construct<TControlCanvas>());
    canvas->SetControl(this);
    canvas->Brush()->SetColor(FMouseOver || Focused() ? HighlightFocusedColor
                                                      : HighlightUnfocusedColor);
    TRect frame = ClientRect();
    canvas->FrameRect(frame);
    InflateRect(&frame, -1, -1);
    canvas->FrameRect(frame);
}
