// TStatusBar over the system's status bar window. The bar keeps no copy of what the window
// shows: every change of a panel, of SimplePanel or of SimpleText is sent to the window at
// once, and a new window receives all of it in CreateWnd. The window is told not to place
// itself (CCS_NOPARENTALIGN, CCS_NORESIZE): the alignment pass places it, and as the system
// then lays its parts out only when told, the parts are sent again on every WM_SIZE.
// A panel's alignment travels in its text the way the system reads it: one tab before the text
// centres it, two align it right.
#include "framework/ComCtrls.h"

// ---- panels ------------------------------------------------------------------------------------

template <class T> void TStatusPanel::Change(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed(false);
}

void TStatusPanel::SetText(const UnicodeString& value) { Change(FText, value); }

// Every part after this one moves.
void TStatusPanel::SetWidth(int value) {
    if (value == FWidth) return;
    FWidth = value;
    Changed(true);
}

void TStatusPanel::SetStyle(TStatusPanelStyle value) { Change(FStyle, value); }
void TStatusPanel::SetAlignment(TAlignment value) { Change(FAlignment, value); }
void TStatusPanel::SetBevel(TStatusPanelBevel value) { Change(FBevel, value); }

void TStatusPanel::Assign(TPersistent* Source) {
    auto* panel = dynamic_cast<TStatusPanel*>(Source);
    if (!panel) return TCollectionItem::Assign(Source);
    FText = panel->FText;
    FWidth = panel->FWidth;
    FStyle = panel->FStyle;
    FAlignment = panel->FAlignment;
    FBevel = panel->FBevel;
    Changed(true);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar)
    : TCollection(TStatusPanel::StaticClass(), StatusBar), FStatusBar(StatusBar) {}

// A width changes every part's place; other changes only the panel's own text.
void TStatusPanels::Update(TCollectionItem* Item) {
    if (Item)
        FStatusBar->UpdatePanel(Item->Index());
    else
        FStatusBar->UpdatePanels();
}

// ---- the bar -----------------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner), FPanels(new TStatusPanels(this)), FCanvas(new TCanvas) {
    SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

namespace {

// A grip is only shown where dragging it resizes something: on a window with a sizing border.
bool SizableRoot(HWND parent) {
    HWND root = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    return root && (GetWindowLongPtrW(root, GWL_STYLE) & WS_THICKFRAME);
}

} // namespace

void TStatusBar::CreateParams(TCreateParams& Params) {
    InitCommonControl(ICC_BAR_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, STATUSCLASSNAMEW);
    Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (FSizeGrip && SizableRoot(Params.WndParent)) Params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd() {
    TWinControl::CreateWnd();
    UpdatePanels();
    UpdateSimpleText();
    SendMessageW(Handle(), SB_SIMPLE, FSimplePanel, 0);
}

void TStatusBar::SetSimplePanel(bool value) {
    if (value == FSimplePanel) return;
    FSimplePanel = value;
    if (HandleAllocated()) SendMessageW(Handle(), SB_SIMPLE, value, 0);
}

void TStatusBar::SetSimpleText(const UnicodeString& value) {
    if (value == FSimpleText) return;
    FSimpleText = value;
    UpdateSimpleText();
}

void TStatusBar::SetSizeGrip(bool value) {
    if (value == FSizeGrip) return;
    FSizeGrip = value;
    RecreateWnd();
}

void TStatusBar::UpdateSimpleText() {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

void TStatusBar::UpdatePanels() {
    if (!HandleAllocated()) return;
    UpdateParts();
    for (int index = 0; index < FPanels->Count(); ++index) UpdatePanel(index);
}

// Right edges of the parts, the last one reaching the bar's right edge (-1). Some versions of
// the system lay the parts out again only when the edges sent differ from the ones it has, so
// the last edge goes first as the present width, then as -1.
void TStatusBar::UpdateParts() {
    std::vector<int> edges;
    int edge = 0;
    for (int index = 0; index < FPanels->Count(); ++index) {
        edge += FPanels->Items(index)->Width();
        edges.push_back(edge);
    }
    if (edges.empty()) edges.push_back(-1);
    const auto count = static_cast<WPARAM>(edges.size());
    edges.back() = ClientWidth();
    SendMessageW(Handle(), SB_SETPARTS, count, reinterpret_cast<LPARAM>(edges.data()));
    edges.back() = -1;
    SendMessageW(Handle(), SB_SETPARTS, count, reinterpret_cast<LPARAM>(edges.data()));
}

namespace {

UnicodeString AlignedText(const TStatusPanel* panel) {
    switch (panel->Alignment()) {
    case taCenter: return L"\t" + panel->Text();
    case taRightJustify: return L"\t\t" + panel->Text();
    default: return panel->Text();
    }
}

WPARAM PanelFlags(const TStatusPanel* panel) {
    WPARAM flags = 0;
    if (panel->Style() == psOwnerDraw) flags |= SBT_OWNERDRAW;
    if (panel->Bevel() == pbNone)
        flags |= SBT_NOBORDERS;
    else if (panel->Bevel() == pbRaised)
        flags |= SBT_POPOUT;
    return flags;
}

} // namespace

// An owner-drawn panel's data is the panel itself.
void TStatusBar::UpdatePanel(int index) {
    if (!HandleAllocated()) return;
    TStatusPanel* panel = FPanels->Items(index);
    WPARAM flags = PanelFlags(panel) | static_cast<WPARAM>(index);
    if (UseRightToLeftReading()) flags |= SBT_RTLREADING;
    const UnicodeString text = AlignedText(panel);
    const LPARAM data = panel->Style() == psOwnerDraw ? reinterpret_cast<LPARAM>(panel)
                                                      : reinterpret_cast<LPARAM>(text.c_str());
    SendMessageW(Handle(), SB_SETTEXTW, flags, data);
}

void TStatusBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case WM_SIZE:
        TWinControl::Dispatch(Message);
        UpdateParts();
        break;
    default: TWinControl::Dispatch(Message);
    }
}

// The system asks for an owner-drawn part (in simple mode the part is 255, not a panel).
void TStatusBar::CNDrawItem(TMessage& Message) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
    Message.Result = 1;
    if (item->itemID >= static_cast<UINT>(FPanels->Count())) return;
    comctrls_detail::TCanvasLoan loan(FCanvas.get(), item->hDC);
    FCanvas->SetFont(Font());
    FCanvas->Brush()->SetColor(clBtnFace);
    const RECT& rect = item->rcItem;
    DrawPanel(FPanels->Items(static_cast<int>(item->itemID)),
              TRect(rect.left, rect.top, rect.right, rect.bottom));
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect) {
    OnDrawPanel(this, Panel, Rect);
}
