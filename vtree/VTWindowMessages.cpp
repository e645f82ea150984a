// The tree window's messages: the header in the non-client area (size calculation, hit test,
// painting), painting and printing, the font metrics the text painting needs, the model's
// timers, the end of the window, and the drop target: the drag manager is registered while
// toAcceptOLEDrop is set.
#include "vtree/VTWindow.h"

#include "framework/ExceptionBoundary.h"

#include <ole2.h>

namespace {

TRect WindowFrameInsets(HWND Window) {
    const LONG style = GetWindowLongW(Window, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(Window, GWL_EXSTYLE);
    TRect inset;
    auto grow = [&](int X, int Y) {
        inset.left += X;
        inset.right += X;
        inset.top += Y;
        inset.bottom += Y;
    };
    if (style & WS_BORDER) grow(1, 1);
    if (style & WS_THICKFRAME)
        grow(GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME));
    if (exStyle & WS_EX_CLIENTEDGE) grow(GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
    return inset;
}

} // namespace

// ---- routing ---------------------------------------------------------------------------------

void TVirtualTreeWindow::WndProc(TMessage& Message) {
    if (FTree) {
        switch (Message.Msg) {
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
            if (!Focused() && CanFocus()) SetFocus();
            break;
        case WM_NCDESTROY: WMNCDestroy(Message); break;
        default: break;
        }
    }
    TCustomControl::WndProc(Message);
}

void TVirtualTreeWindow::Dispatch(TMessage& Message) {
    if (!FTree) return TCustomControl::Dispatch(Message);
    if (HandleHeaderMessage(Message) || DispatchInput(Message) || DispatchCompatibility(Message))
        return;
    switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_PAINT:
        if (Message.WParam || ControlState().Contains(csPaintCopy))
            FUpdateRect = ClientRect();
        else
            GetUpdateRect(Handle(), &FUpdateRect, FALSE);
        break;
    case WM_PRINTCLIENT: return WMPrintClient(Message);
    case WM_PRINT: return WMPrint(Message);
    case WM_NCCALCSIZE: return WMNCCalcSize(Message);
    case WM_NCPAINT: return WMNCPaint(Message);
    case WM_NCHITTEST: return WMNCHitTest(Message);
    case WM_HSCROLL:
        if (Message.LParam == 0) return WMHScroll(Message);
        break;
    case WM_VSCROLL:
        if (Message.LParam == 0) return WMVScroll(Message);
        break;
    case WM_TIMER: return WMTimer(Message);
    case 0x8020: return WMValidationState(Message);
    case 0x8021: return FTree->RequestCacheValidation();
    case CM_MOUSEWHEEL: return CMMouseWheel(Message);
    case CM_DENYSUBCLASSING: Message.Result = 1; return;
    case WM_COPY:
    case WM_CUT:
    case WM_PASTE: return HandleClipboardMessage(Message);
    case CM_HINTSHOW: return CMHintShow(Message);
    case CM_HINTSHOWPAUSE: return CMHintShowPause(Message);
    case CM_SYSCOLORCHANGE: vtree_resources::ReloadRemappedLists(); break;
    default: break;
    }
    TCustomControl::Dispatch(Message);
    switch (Message.Msg) {
    case WM_SIZE: WMSize(Message); break;
    case WM_SETFONT: WMSetFont(Message); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(); break;
    case WM_THEMECHANGED:
        UpdateThemeState();
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_VALIDATE | RDW_FRAME);
        break;
    case WM_ENABLE:
        RedrawWindow(Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_NOCHILDREN);
        break;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
        if (ComponentState().Contains(csLoading)) break;
        PrepareButtonsAndLines();
        if (HandleAllocated()) Invalidate();
        break;
    default: break;
    }
}

// ---- the header in the frame ---------------------------------------------------------------

void TVirtualTreeWindow::UpdateHeaderRect() {
    FHeaderRect = {0, 0, Width(), Height()};
    if (HandleAllocated()) {
        const TRect inset = WindowFrameInsets(Handle());
        FHeaderRect = {inset.left, inset.top, Width() - inset.right, Height() - inset.bottom};
    }
    const int border = BorderWidth();
    FHeaderRect = {FHeaderRect.left + border, FHeaderRect.top + border, FHeaderRect.right - border,
                   FHeaderRect.bottom - border};
    if (BevelKind() != bkNone) {
        const int bevel = (BevelInner() != bvNone ? BevelWidth() : 0) +
                          (BevelOuter() != bvNone ? BevelWidth() : 0);
        if (BevelEdges().Contains(beLeft)) FHeaderRect.left += bevel;
        if (BevelEdges().Contains(beRight)) FHeaderRect.right -= bevel;
        if (BevelEdges().Contains(beTop)) FHeaderRect.top += bevel;
    }
    const bool visible = Header()->Options().Contains(hoVisible);
    FHeaderRect.bottom = FHeaderRect.top + (visible ? Header()->Height() : 0);
    if (FHeaderRect.right < FHeaderRect.left) FHeaderRect = {};
}

void TVirtualTreeWindow::RecalculateHeader() {
    if (!HandleAllocated()) return;
    UpdateHeaderRect();
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, 0x0637);
    SyncViewport();
}

void TVirtualTreeWindow::WMNCCalcSize(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (Header()->Options().Contains(hoVisible)) {
        auto* rect = reinterpret_cast<RECT*>(Message.LParam);
        rect->top = std::min(rect->top + Header()->Height(), rect->bottom);
    }
}

void TVirtualTreeWindow::WMNCHitTest(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (!Header()->Options().Contains(hoVisible)) return;
    RECT window;
    GetWindowRect(Handle(), &window);
    const POINT point = PointFromLParam(Message.LParam);
    if (FHeaderRect.Contains({point.x - window.left, point.y - window.top}))
        Message.Result = HTBORDER;
}

void TVirtualTreeWindow::WMNCPaint(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (!Header()->Options().Contains(hoVisible) || FHeaderRect.Height() <= 0) return;
    const TOwnedWindowDC dc(GetWindowDC(Handle()), TWindowDCTraits{Handle()});
    if (!dc) return;
    PaintHeader(dc.Get(), FHeaderRect, -EffectiveOffsetX());
}

// ---- painting and printing ---------------------------------------------------------------------

void TVirtualTreeWindow::WMPrintClient(TMessage& Message) {
    if ((Message.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(Handle())) return;
    const TRect client = ClientRect();
    TRect window = client;
    OffsetRect(&window, EffectiveOffsetX(), -OffsetY());
    TCanvas canvas;
    canvas.SetHandle(reinterpret_cast<HDC>(Message.WParam));
    try {
        PaintTree(&canvas, window, client.TopLeft(),
                  {poBackground, poDrawFocusRect, poDrawSelection, poDrawDropMark, poGridLines});
    } catch (...) {
        canvas.SetHandle(nullptr);
        throw;
    }
    canvas.SetHandle(nullptr);
    Message.Result = 0;
}

// The frame comes from the default printing; the header and the client area are printed here,
// since the default printing does not know that the client area starts below the header.
void TVirtualTreeWindow::WMPrint(TMessage& Message) {
    if ((Message.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(Handle())) return;
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (Message.LParam & PRF_NONCLIENT) {
        TMessage frame{WM_PRINT, Message.WParam, Message.LParam & ~static_cast<LPARAM>(PRF_CLIENT),
                       0};
        TCustomControl::Dispatch(frame);
        if (Header()->Options().Contains(hoVisible) && FHeaderRect.Height() > 0)
            PaintHeader(dc, FHeaderRect, -EffectiveOffsetX());
    }
    if (!(Message.LParam & PRF_CLIENT)) return;
    RECT window;
    GetWindowRect(Handle(), &window);
    POINT client{0, 0};
    ::ClientToScreen(Handle(), &client);
    POINT origin;
    OffsetViewportOrgEx(dc, client.x - window.left, client.y - window.top, &origin);
    try {
        Perform(WM_PRINTCLIENT, Message.WParam, Message.LParam);
    } catch (...) {
        SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        throw;
    }
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

void TVirtualTreeWindow::Paint() {
    if (FUpdateRect.Width() <= 0 || FUpdateRect.Height() <= 0) return;
    const int shift =
        UseRightToLeftAlignment() && Header()->UseColumns() ? RightToLeftShift(false) : 0;
    const TRect client = ClientRect();
    TRect window = FUpdateRect;
    const int fixed = Header()->Columns()->GetVisibleFixedWidth();
    if (fixed > 0) {
        TRect fixedArea{client.left, client.top, fixed, client.bottom};
        const TPoint target = fixedArea.TopLeft();
        OffsetRect(&fixedArea, -shift, -OffsetY());
        PaintTree(Canvas(), fixedArea, target,
                  {poBackground, poColumnColor, poDrawFocusRect, poDrawSelection, poDrawDropMark,
                   poGridLines});
        if (client.right < fixed) return;
        window = {fixed, client.top, client.right, client.bottom};
    }
    const TPoint target = window.TopLeft();
    OffsetRect(&window, EffectiveOffsetX() - shift, -OffsetY());
    PaintTree(Canvas(), window, target,
              {poBackground, poColumnColor, poDrawFocusRect, poDrawSelection, poDrawDropMark,
               poGridLines});
}

// ---- fonts, timers, the end of the window --------------------------------------------------

void TVirtualTreeWindow::FontMetricsChanged(HFONT Font) {
    TOwnedDC dc(CreateCompatibleDC(nullptr));
    if (!dc) RaiseLastOSError(L"CreateCompatibleDC");
    HGDIOBJ original = SelectObject(dc.Get(), Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Get(), &metrics);
    SIZE ellipsis{};
    GetTextExtentPoint32W(dc.Get(), L"...", 3, &ellipsis);
    SelectObject(dc.Get(), original);
    FTextHeight = metrics.tmHeight;
    FEllipsisWidth = ellipsis.cx;
}

void TVirtualTreeWindow::WMSetFont(TMessage& Message) {
    FontMetricsChanged(reinterpret_cast<HFONT>(Message.WParam));
    if (auto* strings = dynamic_cast<TCustomVirtualStringTree*>(FTree)) strings->ForgetTextWidths();
}

void TVirtualTreeWindow::WMTimer(TMessage& Message) {
    const auto id = static_cast<TVTTimerId>(Message.WParam);
    if (id == ScrollTimer) return ScrollTimerExpired(); // repeats until stopped
    KillTimer(Handle(), id);
    if (id == EditTimer) return StartEditing();
    if (id == ExpandTimer) return ExpandDropTarget();
    FTree->HandleTimer(id);
}

void TVirtualTreeWindow::WMNCDestroy(TMessage&) {
    EndWheelPanning();
    FTree->CancelValidation();
    KillTimer(Handle(), ChangeTimer);
    KillTimer(Handle(), StructureChangeTimer);
    RegisterDropTarget(false);
    FLineBrushes.clear();
    FLinesPrepared = false;
    TVTViewport view = FTree->Viewport();
    view.HasWindow = false;
    FTree->SetViewport(view);
}

void TVirtualTreeWindow::RegisterDropTarget(bool Register) {
    if (Register == FDropTargetRegistered) return;
    if (Register) {
        if (!vtree_resources::OleInitialized()) return;
        TComPtr<IDropTarget> target;
        Supports(DragManager(), target);
        if (target && SUCCEEDED(RegisterDragDrop(Handle(), target.Get()))) {
            FDropTarget = target.Detach();
            FDropTargetRegistered = true;
        }
        return;
    }
    RevokeDragDrop(Handle());
    FDropTarget->Release();
    FDropTarget = nullptr;
    FDropTargetRegistered = false;
}

IDropTarget* TVirtualTreeWindow::DropTarget() const noexcept { return FDropTarget; }
