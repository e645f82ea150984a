// The tree window's life and services: construction (the shared resources, the model made by
// CreateTree with this window as its view sink, measuring and timer service), the window's
// creation parameters and creation, the end of loading, the appearance setters and the colours.
// The model may call its services at any time, also before the window exists: every effect
// that needs the window is skipped until it does.
#include "vtree/VTPaintState.h"

#include "framework/ExceptionBoundary.h"
#include "framework/Themes.h"

#include <algorithm>

// Forwards the model's requests to the window.
class TVirtualTreeWindow::TServices : public IVTViewSink,
                                      public IVTMeasuringService,
                                      public IVTTimerService {
public:
    explicit TServices(TVirtualTreeWindow& Window) : FWindow(Window) {}

    void InvalidateNode(PVirtualNode Node) override { FWindow.InvalidateNode(Node); }
    void InvalidateToBottom(PVirtualNode Node) override { FWindow.InvalidateToBottom(Node); }
    void InvalidateControl() override {
        if (FWindow.HandleAllocated()) FWindow.Invalidate();
    }
    void InvalidateColumn(TColumnIndex Column) override { FWindow.InvalidateColumn(Column); }
    void InvalidateHeader(TColumnIndex) override {
        if (FWindow.HandleAllocated())
            RedrawWindow(FWindow.Handle(), nullptr, nullptr,
                         RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
    }
    void RecalculateHeader() override { FWindow.RecalculateHeader(); }
    void UpdateScrollBars(bool DoRepaint) override { FWindow.UpdateScrollBars(DoRepaint); }
    void UpdateHorizontalScrollBar(bool DoRepaint) override {
        FWindow.UpdateHorizontalScrollBar(DoRepaint);
    }
    bool ScrollIntoView(PVirtualNode Node, bool Center, bool Horizontally) override {
        return FWindow.ScrollIntoView(Node, Center, Horizontally);
    }
    void SetRedraw(bool Enable) override {
        if (FWindow.HandleAllocated()) SendMessageW(FWindow.Handle(), WM_SETREDRAW, Enable, 0);
    }
    void Beep() override { MessageBeep(0); }
    void CancelHint() override { FWindow.CancelHint(); }
    void CancelEditNode() override { FWindow.CancelEditNode(); }
    void MainColumnChanged() override { FWindow.NotifyAccessibleNameChange(); }
    bool EndEditNode() override { return FWindow.EndEditNode(); }
    void EmptyClipboard() override { FWindow.ReleaseClipboardData(); }
    void RequestValidation() override { FWindow.RequestValidation(); }
    void CancelValidation() override { FWindow.CancelValidation(); }
    void AnimateToggle(PVirtualNode Node, Integer Delta) override {
        FWindow.AnimateToggle(Node, Delta);
    }
    bool ScrollAfterExpansion(PVirtualNode Node) override {
        return FWindow.ScrollAfterExpansion(Node);
    }
    bool ScrollAfterToggleAbove(PVirtualNode Node, Integer Delta) override {
        return FWindow.ScrollAfterToggleAbove(Node, Delta);
    }
    void AcceptDropChanged(bool Accept) override {
        if (FWindow.HandleAllocated()) FWindow.RegisterDropTarget(Accept);
    }

    TCanvas* Canvas() override {
        if (!FMeasure) FMeasure.reset(new TBitmap(1, 1, pf32bit));
        UseFont(FMeasure->Canvas(), FWindow.Font());
        return FMeasure->Canvas();
    }
    int TextWidth(TCanvas* Canvas, const UnicodeString& Text) override {
        return Canvas ? Canvas->TextWidth(Text) : 0;
    }

    // Without a window the notification is delivered at once, as a windowless tree does.
    void StartTimer(TVTTimerId Id, Cardinal Milliseconds) override {
        if (!FWindow.HandleAllocated()) return FWindow.Tree()->HandleTimer(Id);
        if (!SetTimer(FWindow.Handle(), Id, Milliseconds, nullptr)) RaiseLastOSError(L"SetTimer");
    }
    void StopTimer(TVTTimerId Id) override {
        if (FWindow.HandleAllocated()) KillTimer(FWindow.Handle(), Id);
    }

private:
    TVirtualTreeWindow& FWindow;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FMeasure;
};

TVirtualTreeWindow::TVirtualTreeWindow(TComponent* AOwner)
    : TCustomControl(AOwner), FServices(new TServices(*this)), FColors(new TVTColors(this)),
      FScrollBarOptions(new TScrollBarOptions(this)), FHeaderFont(new TFont),
      FBackground(new TPicture), FPlusBM(new TBitmap), FMinusBM(new TBitmap),
      FHotPlusBM(new TBitmap), FHotMinusBM(new TBitmap) {
    vtree_resources::InitializeTreeUnit();
    SetControlStyle(ControlStyle() + TControlStyle{csOpaque, csCaptureMouse, csClickEvents,
                                                   csDoubleClicks, csDisplayDragImage});
    SetParentColor(false);
    SetColor(clWindow);
    SetBorderStyle(bsSingle);
    SetTabStop(true);
    SetBounds(Left(), Top(), 200, 100);
    FHeaderFont->OnChange = TNotifyEvent(this, &TVirtualTreeWindow::HeaderFontChanged);
}

void TVirtualTreeWindow::AfterConstruction() {
    TCustomControl::AfterConstruction();
    FTree = CreateTree();
    FTree->SetViewSink(FServices.get());
    FTree->SetMeasuringService(FServices.get());
    FTree->SetTimerService(FServices.get());
    FontMetricsChanged(Font()->Handle());
    SyncViewport();
}

TVirtualTreeWindow::~TVirtualTreeWindow() {
    GuardBoundary([&] { WithdrawFromClipboard(); });
    if (!FTree) return;
    // The window is gone: the edit's link is only dropped, without events.
    FTree->DoStateChange({}, {tsEditing, tsEditPending});
    FEditLink.Reset();
    CancelValidation();
    FTree->SetViewSink(nullptr);
    FTree->SetMeasuringService(nullptr);
    FTree->SetTimerService(nullptr);
    FTree->Free();
}

TBaseVirtualTree* TVirtualTreeWindow::CreateTree() {
    return Construct<TVirtualStringTree>(nullptr);
}

// ---- window set-up -------------------------------------------------------------------------

void TVirtualTreeWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (FScrollBarOptions->Horizontal()) Params.Style |= WS_HSCROLL;
    if (FScrollBarOptions->Vertical()) Params.Style |= WS_VSCROLL;
    if (HasMisc(toFullRepaintOnResize))
        Params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
    else
        Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TVirtualTreeWindow::CreateWnd() {
    FTree->DoStateChange({tsWindowCreating});
    try {
        TCustomControl::CreateWnd();
    } catch (...) {
        FTree->DoStateChange({}, {tsWindowCreating});
        throw;
    }
    FTree->DoStateChange({}, {tsWindowCreating});
    SyncViewport();
    UpdateThemeState();
    if (Header()->States().Contains(hsNeedScaling)) Header()->RescaleToConstraints();
    if (Header()->Options().Contains(hoAutoResize)) Header()->Columns()->FitAutoSizeColumn(false);
    PrepareButtonsAndLines();
    if (HasMisc(toAcceptOLEDrop)) RegisterDropTarget(true);
    UpdateScrollBars(true);
    UpdateHeaderRect();
}

void TVirtualTreeWindow::UpdateThemeState() {
    const bool themed = ThemeServices()->ThemesEnabled() && HasPaint(toThemeAware);
    if (themed) {
        FTree->DoStateChange({tsUseThemes});
        if (HasPaint(toUseExplorerTheme)) SetWindowTheme(Handle(), L"explorer", nullptr);
    } else {
        FTree->DoStateChange({}, {tsUseThemes});
    }
}

void TVirtualTreeWindow::Loaded() {
    TCustomControl::Loaded();
    Header()->ClampMainColumn();
    Header()->Columns()->ApplyStoredPositions();
    RecalculateHeader();
    if (Header()->Options().Contains(hoAutoResize)) Header()->Columns()->FitAutoSizeColumn(true);
}

// The model reads the window's size and offsets from its viewport.
void TVirtualTreeWindow::SyncViewport() {
    TVTViewport view = FTree->Viewport();
    view.HasWindow = HandleAllocated();
    const TRect client = HandleAllocated() ? ClientRect() : TRect{0, 0, Width(), Height()};
    view.ClientWidth = client.Width();
    view.ClientHeight = client.Height();
    view.RightToLeft = UseRightToLeftAlignment();
    FTree->SetViewport(view);
}

bool TVirtualTreeWindow::IsFocused() { return HandleAllocated() && Focused(); }

// ---- appearance ------------------------------------------------------------------------------

TCustomImageList* TVirtualTreeWindow::CheckImages() const {
    if (FCheckImageKind == ckCustom) return FCustomCheckImages;
    return vtree_resources::CheckImageListFor(FCheckImageKind);
}

void TVirtualTreeWindow::SetBackground(TPicture* Value) {
    FBackground->Assign(Value);
    if (HandleAllocated()) Invalidate();
}

void TVirtualTreeWindow::SetIndent(Integer Value) {
    if (FTree->Indent == Value) return;
    FTree->Indent = Value;
    if (ComponentState().Contains(csLoading) || FTree->UpdateCount() > 0 || !HandleAllocated())
        return;
    UpdateScrollBars(true);
    Invalidate();
}

void TVirtualTreeWindow::SetLineStyle(TVTLineStyle Value) {
    if (FLineStyle == Value) return;
    FLineStyle = Value;
    if (ComponentState().Contains(csLoading)) return;
    PrepareButtonsAndLines();
    if (HandleAllocated()) Invalidate();
}

void TVirtualTreeWindow::SetButtonStyle(TVTButtonStyle Value) {
    if (FButtonStyle == Value) return;
    FButtonStyle = Value;
    if (ComponentState().Contains(csLoading)) return;
    PrepareButtonsAndLines();
    if (HandleAllocated()) Invalidate();
}

void TVirtualTreeWindow::SetButtonFillMode(TVTButtonFillMode Value) {
    if (FButtonFillMode == Value) return;
    FButtonFillMode = Value;
    if (ComponentState().Contains(csLoading)) return;
    PrepareButtonsAndLines();
    if (HandleAllocated()) Invalidate();
}

void TVirtualTreeWindow::SetBottomSpace(Cardinal Value) {
    if (FTree->BottomSpace == Value) return;
    FTree->BottomSpace = Value;
    UpdateVerticalScrollBar(true);
}

void TVirtualTreeWindow::HeaderFontChanged(TObject*) { Header()->Invalidate(NoColumn); }

void TVirtualTreeWindow::ColorsChanged(int Index) {
    if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
    if (Index == TVTColors::TreeLineIndex) PrepareButtonsAndLines();
    if (Index == TVTColors::BorderIndex)
        RedrawWindow(Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_NOCHILDREN);
    else
        Invalidate();
}

// ---- colours and scroll-bar options ------------------------------------------------------------

COLORREF ColorToColorRef(TColor Color) {
    if (Color == clNone) return CLR_NONE;
    if (Color == clDefault) return CLR_DEFAULT;
    return static_cast<COLORREF>(ColorToRGB(Color));
}

TVTColors::TVTColors(TVirtualTreeWindow* AOwner)
    : FOwner(AOwner), FColors{clBtnShadow, clHighlight, clHighlight, clHighlight,  clBtnFace,
                              clBtnShadow, clBtnFace,   clBtnFace,   clWindowText, clHighlight,
                              clBtnFace,   clHighlight, clHighlight, clHighlight,  clBtnShadow} {}

void TVTColors::SetByIndex(TIndex Index, TColor Value) {
    if (FColors[Index] == Value) return;
    FColors[Index] = Value;
    if (FOwner) FOwner->ColorsChanged(Index);
}

void TVTColors::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TVTColors*>(Source);
    if (!other) return TPersistent::Assign(Source);
    std::copy(std::begin(other->FColors), std::end(other->FColors), std::begin(FColors));
    if (FOwner && FOwner->HandleAllocated() && FOwner->Tree()->UpdateCount() == 0)
        FOwner->Invalidate();
}

void TScrollBarOptions::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TScrollBarOptions*>(Source);
    if (!other) return TPersistent::Assign(Source);
    SetAlwaysVisible(other->FAlwaysVisible);
    SetScrollBars(other->FScrollBars);
    HorizontalIncrement = other->HorizontalIncrement;
    VerticalIncrement = other->VerticalIncrement;
}

void TScrollBarOptions::SetAlwaysVisible(bool Value) {
    if (FAlwaysVisible == Value) return;
    FAlwaysVisible = Value;
    if (FOwner) FOwner->ScrollBarsChanged();
}

void TScrollBarOptions::SetScrollBars(TVTScrollBars Value) {
    if (FScrollBars == Value) return;
    FScrollBars = Value;
    if (FOwner) FOwner->ScrollBarsChanged();
}

void TVirtualTreeWindow::ScrollBarsChanged() {
    if (!ComponentState().Contains(csLoading) && HandleAllocated()) RecreateWnd();
}
