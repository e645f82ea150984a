// Painting. One path: WM_PAINT (with the DC BeginPaint gives, or the DC in WParam),
// WM_PRINTCLIENT and PaintTo all go through PaintHandler. For a window of the library's own
// class PaintHandler draws everything into a memory bitmap of the client size (background in
// Color unless csOpaque, then PaintWindow, then the graphic children) and copies it out at once,
// so erasing does nothing and nothing flickers. A wrapped system control paints itself
// (PaintWindow sends the original procedure WM_PAINT with the DC) and the graphic children are
// drawn over it. A graphic child paints with its parent's DC, origin moved to the child and
// clipped to it, on WM_PAINT with the DC in WParam.
#include "framework/Controls.h"

#include <algorithm>

// ---- invalidation ------------------------------------------------------------------------------

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
    if (!IsVisible || !FParent || !FParent->HandleAllocated()) return;
    const TRect bounds = BoundsRect();
    InvalidateRect(FParent->FHandle, &bounds, !IsOpaque);
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

// ---- painting into a DC ------------------------------------------------------------------------

namespace {

// Saves the DC's state, moves its origin by (x, y) and clips to width x height; restores on
// destruction.
class TOffsetDC {
public:
    TOffsetDC(HDC dc, int x, int y, int width, int height) : FDC(dc), FSaved(SaveDC(dc)) {
        POINT origin;
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + x, origin.y + y, nullptr);
        IntersectClipRect(dc, 0, 0, width, height);
    }
    ~TOffsetDC() { RestoreDC(FDC, FSaved); }
    TOffsetDC(const TOffsetDC&) = delete;
    TOffsetDC& operator=(const TOffsetDC&) = delete;

private:
    HDC FDC;
    int FSaved;
};

} // namespace

void TControl::PaintTo(HDC dc, int X, int Y) {
    FControlState.Include(csPaintCopy);
    {
        TOffsetDC offset(dc, X, Y, FWidth, FHeight);
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    FControlState.Exclude(csPaintCopy);
}

void TWinControl::PaintTo(HDC dc, int X, int Y) {
    HandleNeeded();
    FControlState.Include(csPaintCopy);
    RECT window;
    GetWindowRect(FHandle, &window);
    POINT client{0, 0};
    ::ClientToScreen(FHandle, &client);
    const int clientX = X + client.x - window.left;
    const int clientY = Y + client.y - window.top;
    const TRect area = ClientRect();
    {
        TOffsetDC offset(dc, clientX, clientY, area.Width(), area.Height());
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    for (TControl* control : FControls) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (windowed && windowed->Visible())
            windowed->PaintTo(dc, clientX + windowed->Left(), clientY + windowed->Top());
    }
    FControlState.Exclude(csPaintCopy);
}

void TWinControl::WMPaint(TMessage& Message) {
    if (Message.WParam) {
        PaintHandler(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 0;
        return;
    }
    const bool graphicChildren = std::any_of(FControls.begin(), FControls.end(), [](TControl* c) {
        return !dynamic_cast<TWinControl*>(c);
    });
    if (!OwnsPainting() && !graphicChildren) return DefaultHandler(Message);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(FHandle, &paint);
    if (!dc) return;
    try {
        PaintHandler(dc);
    } catch (...) {
        EndPaint(FHandle, &paint);
        throw;
    }
    EndPaint(FHandle, &paint);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    if (OwnsPainting())
        Message.Result = 1;
    else
        DefaultHandler(Message);
}

void TWinControl::PaintHandler(HDC dc) {
    if (!OwnsPainting()) {
        PaintWindow(dc);
        PaintControls(dc);
        return;
    }
    const TRect client = ClientRect();
    if (client.Width() <= 0 || client.Height() <= 0) return;
    TOwnedDC memory(CreateCompatibleDC(dc));
    if (!memory) RaiseLastOSError(L"CreateCompatibleDC");
    TOwnedBitmap image(CreateCompatibleBitmap(dc, client.Width(), client.Height()));
    if (!image) RaiseLastOSError(L"CreateCompatibleBitmap");
    HGDIOBJ original = SelectObject(memory.Get(), image.Get());
    try {
        if (!ControlStyle().Contains(csOpaque)) ::FillRect(memory.Get(), &client, FBrush->Handle());
        PaintWindow(memory.Get());
        PaintControls(memory.Get());
    } catch (...) {
        SelectObject(memory.Get(), original);
        throw;
    }
    BitBlt(dc, 0, 0, client.Width(), client.Height(), memory.Get(), 0, 0, SRCCOPY);
    SelectObject(memory.Get(), original);
}

// The library's own windows draw nothing here (TCustomControl draws with Paint); a wrapped
// system control draws itself into the DC.
void TWinControl::PaintWindow(HDC dc) {
    if (OwnsPainting()) return;
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(message);
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* control : FControls) {
        if (dynamic_cast<TWinControl*>(control) || !control->Visible()) continue;
        const TRect bounds = control->BoundsRect();
        if (!RectVisible(dc, &bounds)) continue;
        if (ControlState().Contains(csPaintCopy))
            control->SetControlState(control->ControlState() + TControlState{csPaintCopy});
        TOffsetDC offset(dc, bounds.left, bounds.top, bounds.Width(), bounds.Height());
        control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        control->SetControlState(control->ControlState() - TControlState{csPaintCopy});
    }
}

// ---- canvases ----------------------------------------------------------------------------------

namespace {
std::vector<TControlCanvas*>& CanvasesHoldingDC() {
    static std::vector<TControlCanvas*> canvases;
    return canvases;
}
} // namespace

void TControlCanvas::FreeHandlesOf(HWND wnd) noexcept {
    const std::vector<TControlCanvas*> holding = CanvasesHoldingDC();
    for (TControlCanvas* canvas : holding)
        if (canvas->FWindow == wnd) canvas->FreeHandle();
}

void TControlCanvas::SetControl(TControl* control) {
    if (control == FControl) return;
    FreeHandle();
    FControl = control;
}

void TControlCanvas::FreeHandle() noexcept {
    if (!FDeviceContext) return;
    HDC dc = FDeviceContext;
    FDeviceContext = nullptr;
    SetHandle(nullptr);
    ReleaseDC(FWindow, dc);
    FWindow = nullptr;
    auto& holding = CanvasesHoldingDC();
    holding.erase(std::remove(holding.begin(), holding.end(), this), holding.end());
}

void TControlCanvas::CreateHandle() {
    if (!FControl) throw EInvalidOperation(L"Canvas has no control to draw on");
    auto* windowed = dynamic_cast<TWinControl*>(FControl);
    TWinControl* owner = windowed ? windowed : FControl->Parent();
    if (!owner)
        throw EInvalidOperation(L"Control '" + FControl->Name() + L"' has no parent window");
    FWindow = owner->Handle();
    FDeviceContext = GetDCEx(FWindow, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!FDeviceContext) RaiseLastOSError(L"GetDCEx");
    CanvasesHoldingDC().push_back(this);
    if (!windowed) {
        SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
        IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
    }
    SetHandle(FDeviceContext);
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() { FCanvas->FreeHandle(); }

void TCustomControl::PaintWindow(HDC dc) {
    SetControlState(ControlState() + TControlState{csCustomPaint});
    try {
        FCanvas->PaintWith(dc, [this] { Paint(); });
    } catch (...) {
        SetControlState(ControlState() - TControlState{csCustomPaint});
        throw;
    }
    SetControlState(ControlState() - TControlState{csCustomPaint});
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { FCanvas->FreeHandle(); }

void TGraphicControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT:
    case WM_PRINT:
    case WM_PRINTCLIENT:
        if (Message.WParam) PaintInto(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 0;
        break;
    default: TControl::Dispatch(Message);
    }
}

void TGraphicControl::PaintInto(HDC dc) {
    FCanvas->PaintWith(dc, [this] { Paint(); });
}
