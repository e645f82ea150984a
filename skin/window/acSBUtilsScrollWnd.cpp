// The scroll handler's window procedure: the skin commands, the non-client size, hit test and
// paint of the bars, and the messages that only pass through it.
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Messages.h"
#include "skin/engine/sSkinManager.h"
#include "skin/window/acSBUtils.h"

namespace {

constexpr LONG BarStyles = WS_HSCROLL | WS_VSCROLL;

// The style bits of the bars hidden from the previous procedure for the length of one call, so
// that it neither makes room for nor paints the standard bars.
class THiddenBars {
public:
    explicit THiddenBars(TacScrollWnd& Handler)
        : FHandler(Handler), FStyle(GetWindowLongW(Handler.CtrlHandle, GWL_STYLE)) {
        if (!(FStyle & BarStyles)) return;
        FHandler.bPreventStyleChange = true;
        SetWindowLongW(FHandler.CtrlHandle, GWL_STYLE, FStyle & ~BarStyles);
    }
    ~THiddenBars() {
        if (!(FStyle & BarStyles)) return;
        SetWindowLongW(FHandler.CtrlHandle, GWL_STYLE, FStyle);
        FHandler.bPreventStyleChange = false;
    }
    THiddenBars(const THiddenBars&) = delete;
    THiddenBars& operator=(const THiddenBars&) = delete;
    LONG Style() const noexcept { return FStyle; }

private:
    TacScrollWnd& FHandler;
    LONG FStyle;
};

bool FrameAligning(const TsCommonData* Data) {
    const auto* frame = dynamic_cast<const TCustomFrame*>(Data->FOwnerControl);
    return frame && frame->ControlState().Contains(csAligning);
}

} // namespace

bool TacScrollWnd::Skinned() const { return SkinData && SkinData->Skinned(true); }

void TacScrollWnd::acWndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY:
        if (OldProc || OldWndProc) {
            TacMainWnd* self = this;
            DetachHandler(CtrlHandle, false, false, self);
            PassOn(Message);
        }
        return;
    case WM_UPDATEUISTATE: return;
    default: break;
    }
    if (Destroyed) return;
    if (!Skinned()) {
        if (Message.Msg == SM_ALPHACMD && SkinCommandOf(Message.WParam) == SKCMD_SKINLOADED &&
            reinterpret_cast<TsSkinManager*>(Message.LParam) == SkinData->SkinManager())
            SkinData->UpdateIndexes();
        PassOn(Message);
        return;
    }
    if (Message.Msg == SM_ALPHACMD ? HandleSkinCommand(Message) : HandleWindowMessage(Message))
        return;
    PassOn(Message);
    if (Destroyed) return;
    switch (Message.Msg) {
    case WM_MOUSEWHEEL:
    case CM_MOUSEWHEEL:
        if (!DontRepaint) RefreshScrollBars(this, true);
        break;
    case CM_FOCUSCHANGED: RefreshScrollBars(this, true); break;
    default: break;
    }
}

// True when the command is answered here; the others go on to the previous procedure.
bool TacScrollWnd::HandleSkinCommand(TMessage& Message) {
    const bool own = reinterpret_cast<TsSkinManager*>(Message.LParam) == SkinData->SkinManager();
    switch (SkinCommandOf(Message.WParam)) {
    case SKCMD_SKINLOADED:
        if (own) {
            SkinData->UpdateIndexes();
            PassMessageOrBroadcast(dynamic_cast<TWinControl*>(SkinData->FOwnerControl), CtrlHandle,
                                   Message);
        }
        return false;
    case SKCMD_SKINREMOVED:
        if (own) RestoreStdParams();
        return false;
    case SKCMD_REPAINT:
        if (own) {
            SkinData->UpdateIndexes();
            SkinData->BGChanged = true;
        }
        return false;
    case SKCMD_UPDATEDONE:
        if (SkinData->Updating() && !FrameAligning(SkinData)) {
            SkinData->SetUpdating(false);
            SkinData->SetUpdating(SkinData->Updating());
            if (!SkinData->Updating())
                RedrawWindow(CtrlHandle, nullptr, nullptr,
                             RDW_FRAME | RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
        return false;
    case SKCMD_ISSKINNED: Message.Result = 1; return true;
    case SKCMD_SETUPDATING:
        SkinData->SetUpdating(SkinParameterOf(Message.WParam) == 1);
        return false;
    case SKCMD_GETBGCOLOR:
        PassOn(Message);
        if (Message.Result == 0)
            Message.Result = static_cast<LRESULT>(ControlBgColor(SkinData, false, CtrlHandle));
        return true;
    case SKCMD_GETBGINFO: {
        PassOn(Message);
        auto& info = *reinterpret_cast<TacBackgroundInfo*>(Message.LParam);
        if (info.Kind == 0) QueryBgInfo(SkinData, info, false, CtrlHandle);
        return true;
    }
    case SKCMD_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return true;
    default: return false;
    }
}

// True when the message is done with; the others go on to the previous procedure.
bool TacScrollWnd::HandleWindowMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_STYLECHANGED:
        if (bPreventStyleChange) {
            Message.Result = 0;
            return true;
        }
        if (static_cast<int>(Message.WParam) == GWL_EXSTYLE)
            fLeftScrollbar = (reinterpret_cast<STYLESTRUCT*>(Message.LParam)->styleNew &
                              WS_EX_LEFTSCROLLBAR) != 0;
        return false;
    case WM_NCCALCSIZE: ScrollNCCalcSize(Message); return true;
    case WM_NCHITTEST: NCHitTest(Message); return true;
    case WM_NCPAINT: NCPaint(Message); return true;
    case WM_NCMOUSEMOVE: NCMouseMove(Message); return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: return NCLButtonDown(Message);
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        if (Message.WParam != HTHSCROLL && Message.WParam != HTVSCROLL) return false;
        Message.Result = 0;
        return true;
    case WM_MOUSEMOVE: MouseMove(Message); return true;
    case WM_LBUTTONUP: LButtonUp(Message); return true;
    case WM_CAPTURECHANGED: CaptureChanged(Message); return false;
    case WM_TIMER: Timer(Message); return true;
    case WM_SYSCOMMAND: {
        // The system's own tracking of a bar would draw and move the standard bar.
        const WPARAM command = Message.WParam & 0xFFF0;
        return command == SC_VSCROLL || command == SC_HSCROLL;
    }
    case CM_UIACTIVATE:
        if (WndSize.cx <= 0 || WndSize.cy <= 0) return false;
        PassOn(Message);
        SetWindowPos(CtrlHandle, nullptr, 0, 0, WndSize.cx, WndSize.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                         SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
        return true;
    default: return false;
    }
}

void TacScrollWnd::ScrollNCCalcSize(TMessage& Message) {
    auto* client = reinterpret_cast<RECT*>(Message.LParam);
    const RECT proposed = *client;
    LONG style = 0;
    {
        const THiddenBars hidden(*this);
        style = hidden.Style();
        PassOn(Message);
    }
    cxLeftEdge = client->left - proposed.left;
    cxRightEdge = proposed.right - client->right;
    cyTopEdge = client->top - proposed.top;
    cyBottomEdge = proposed.bottom - client->bottom;
    sBarHorz.fScrollFlags = (style & WS_HSCROLL) ? sfStyleHasBar : 0;
    sBarVert.fScrollFlags = (style & WS_VSCROLL) ? sfStyleHasBar : 0;
    const int height = GetScrollMetric(sBarHorz, true, false);
    sBarHorz.fScrollVisible = sBarHorz.fScrollFlags && client->bottom - client->top >= height;
    if (sBarHorz.fScrollVisible) client->bottom -= height;
    const int width = GetScrollMetric(sBarVert, true, false);
    sBarVert.fScrollVisible = sBarVert.fScrollFlags && client->right - client->left >= width;
    if (sBarVert.fScrollVisible) {
        if (fLeftScrollbar)
            client->left += width;
        else
            client->right -= width;
    }
}

void TacScrollWnd::NCHitTest(TMessage& Message) {
    const POINT at = PointFromLParam(Message.LParam);
    const TPoint p(at.x, at.y);
    const TRect h = GetHScrollRect(*this), v = GetVScrollRect(*this);
    if (sBarHorz.fScrollVisible && h.Contains(p)) {
        Message.Result = IsScrollbarActive(sBarHorz) ? HTHSCROLL : HTNOWHERE;
        return;
    }
    if (sBarVert.fScrollVisible && v.Contains(p)) {
        Message.Result = IsScrollbarActive(sBarVert) ? HTVSCROLL : HTNOWHERE;
        return;
    }
    if (sBarHorz.fScrollVisible && sBarVert.fScrollVisible &&
        TRect(v.left, h.top, v.right, h.bottom).Contains(p) && HasSizeGrip(*this)) {
        Message.Result = HTBOTTOMRIGHT;
        return;
    }
    PassOn(Message);
}

void TacScrollWnd::NCPaint(TMessage& Message) {
    SkinData->SetUpdating(SkinData->Updating());
    if (!IsWindowVisible(CtrlHandle) || SkinData->Updating() || DontRepaint) {
        PassOn(Message);
        return;
    }
    // The frame first, without the standard bars, which would cover the skinned ones.
    {
        const THiddenBars hidden(*this);
        PassOn(Message);
    }
    PaintScrollBars(this, CtrlHandle);
}
