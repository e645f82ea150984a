// TToolBar and TToolButton over the system's tool bar window. The bar's TToolButton children
// are its buttons, in child order; the system's buttons are rebuilt from them whenever one
// comes, goes or changes its kind or caption, and each TToolButton then takes the bounds of
// its system button (TB_GETITEMRECT). A system button's data (dwData) is its TToolButton and
// its command id the button's CommandId. States the system keeps (checked after a click) are
// read back when the command arrives. The window does not place itself (CCS_NOPARENTALIGN,
// CCS_NORESIZE): the alignment pass does.
#include "framework/ComCtrls.h"
#include "framework/Menus.h"

#include <algorithm>

// ---- TToolButton -------------------------------------------------------------------------------

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle({csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() = default;

int TToolButton::Index() const {
    if (!FToolBar) return -1;
    const auto& buttons = FToolBar->FButtons;
    return static_cast<int>(std::find(buttons.begin(), buttons.end(), this) - buttons.begin());
}

void TToolButton::Changed() {
    if (FToolBar) FToolBar->RebuildButtons();
}

void TToolButton::SetStyle(TToolButtonStyle value) {
    if (value == FStyle) return;
    FStyle = value;
    Changed();
}

bool TToolButton::Down() const { return FDown; }

void TToolButton::SetDown(bool value) {
    if (value == FDown) return;
    FDown = value;
    if (FToolBar) FToolBar->UpdateButtonState(this);
}

void TToolButton::SetMarked(bool value) {
    if (value == FMarked) return;
    FMarked = value;
    if (FToolBar) FToolBar->UpdateButtonState(this);
}

void TToolButton::SetIndeterminate(bool value) {
    if (value == FIndeterminate) return;
    FIndeterminate = value;
    if (FToolBar) FToolBar->UpdateButtonState(this);
}

void TToolButton::SetImageIndex(int value) {
    if (value == FImageIndex) return;
    FImageIndex = value;
    if (FToolBar && FToolBar->HandleAllocated())
        SendMessageW(FToolBar->Handle(), TB_CHANGEBITMAP, static_cast<WPARAM>(FCommandId),
                     MAKELPARAM(value < 0 ? I_IMAGENONE : value, 0));
}

// Mouse messages reach the system button under the mouse, in the bar's coordinates.
void TToolButton::DefaultHandler(TMessage& Message) {
    const bool mouse = Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST &&
                       Message.Msg != WM_MOUSEWHEEL && Message.Msg != WM_MOUSEHWHEEL;
    if (!mouse || !FToolBar || !FToolBar->HandleAllocated())
        return TGraphicControl::DefaultHandler(Message);
    const POINT point = PointFromLParam(Message.LParam);
    TMessage forwarded{Message.Msg, Message.WParam,
                       PointToLParam({point.x + Left(), point.y + Top()}), 0};
    FToolBar->DefaultHandler(forwarded);
    Message.Result = forwarded.Result;
}

void TToolButton::Dispatch(TMessage& Message) {
    TGraphicControl::Dispatch(Message);
    switch (Message.Msg) {
    case CM_TEXTCHANGED: Changed(); break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
        if (FToolBar) FToolBar->UpdateButtonState(this);
        break;
    default: break;
    }
}

// ---- TToolBar: buttons -------------------------------------------------------------------------

TToolBar::TToolBar(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(new TCanvas),
      FImages(this, TNotifyEvent(this, &TToolBar::ImagesChanged)),
      FHotImages(this, TNotifyEvent(this, &TToolBar::ImagesChanged)) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
    EdgesChanged();
}

TToolBar::~TToolBar() = default;

TToolButton* TToolBar::Buttons(int Index) const {
    if (Index < 0 || Index >= ButtonCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return FButtons[static_cast<std::size_t>(Index)];
}

void TToolBar::InsertButton(TToolButton* Button) {
    FButtons.push_back(Button);
    Button->FToolBar = this;
    Button->FCommandId = FNextCommandId++;
    RebuildButtons();
}

void TToolBar::RemoveButton(TToolButton* Button) {
    std::erase(FButtons, Button);
    Button->FToolBar = nullptr;
    if (!ComponentState().Contains(csDestroying)) RebuildButtons();
}

TToolButton* TToolBar::ButtonByCommand(int id) const {
    for (TToolButton* button : FButtons)
        if (button->FCommandId == id) return button;
    return nullptr;
}

void TToolBar::RebuildButtons() {
    if (!HandleAllocated()) return;
    while (SendMessageW(Handle(), TB_BUTTONCOUNT, 0, 0) > 0)
        SendMessageW(Handle(), TB_DELETEBUTTON, 0, 0);
    for (TToolButton* button : FButtons) AddSystemButton(button);
    UpdateButtonBounds();
}

namespace {

BYTE SystemStyle(TToolButtonStyle style) {
    switch (style) {
    case tbsCheck: return BTNS_CHECK;
    case tbsDropDown: return BTNS_DROPDOWN;
    case tbsSeparator:
    case tbsDivider: return BTNS_SEP;
    default: return BTNS_BUTTON;
    }
}

BYTE SystemState(const TToolButton* button) {
    BYTE state = 0;
    if (button->Enabled()) state |= TBSTATE_ENABLED;
    if (!button->Visible()) state |= TBSTATE_HIDDEN;
    if (button->Down()) state |= button->Style() == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED;
    if (button->Marked()) state |= TBSTATE_MARKED;
    if (button->Indeterminate()) state |= TBSTATE_INDETERMINATE;
    return state;
}

bool IsSeparator(const TToolButton* button) {
    return button->Style() == tbsSeparator || button->Style() == tbsDivider;
}

} // namespace

// A separator's image index is its width, as the system reads it.
void TToolBar::AddSystemButton(TToolButton* Button) {
    const UnicodeString caption = Button->Caption();
    TBBUTTON system{};
    if (IsSeparator(Button))
        system.iBitmap = Button->Width();
    else
        system.iBitmap = Button->ImageIndex() < 0 ? I_IMAGENONE : Button->ImageIndex();
    system.idCommand = Button->CommandId();
    system.fsState = SystemState(Button);
    system.fsStyle = SystemStyle(Button->Style());
    system.dwData = reinterpret_cast<DWORD_PTR>(Button);
    const bool text = FShowCaptions && !IsSeparator(Button);
    system.iString = text ? reinterpret_cast<INT_PTR>(caption.c_str()) : -1;
    const WPARAM at = static_cast<WPARAM>(SendMessageW(Handle(), TB_BUTTONCOUNT, 0, 0));
    if (!SendMessageW(Handle(), TB_INSERTBUTTONW, at, reinterpret_cast<LPARAM>(&system)))
        RaiseLastOSError(L"TB_INSERTBUTTON");
}

void TToolBar::UpdateButtonBounds() {
    for (int index = 0; index < ButtonCount(); ++index) {
        RECT rect{};
        if (!SendMessageW(Handle(), TB_GETITEMRECT, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(&rect)))
            continue;
        FButtons[static_cast<std::size_t>(index)]->SetBounds(
            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }
}

void TToolBar::UpdateButtonState(TToolButton* Button) {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), TB_SETSTATE, static_cast<WPARAM>(Button->CommandId()),
                 MAKELPARAM(SystemState(Button), 0));
    UpdateButtonBounds();
}

// ---- TToolBar: window and properties -----------------------------------------------------------

void TToolBar::CreateParams(TCreateParams& Params) {
    InitCommonControl(ICC_BAR_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, TOOLBARCLASSNAMEW);
    Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (FFlat) Params.Style |= TBSTYLE_FLAT | TBSTYLE_TRANSPARENT;
    if (FList) Params.Style |= TBSTYLE_LIST;
}

void TToolBar::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageW(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(Handle(), TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    ImagesChanged(this);
}

void TToolBar::ImagesChanged(TObject*) {
    if (!HandleAllocated()) return;
    HWND wnd = Handle();
    SendMessageW(wnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages.Handle()));
    SendMessageW(wnd, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(FHotImages.Handle()));
    if (TCustomImageList* images = FImages.Get())
        SendMessageW(wnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(images->Width(), images->Height()));
    SendMessageW(wnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
    RebuildButtons();
    Invalidate();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    FImages.Removed(AComponent);
    FHotImages.Removed(AComponent);
}

void TToolBar::Restyle() {
    RecreateWnd();
    Invalidate();
}

void TToolBar::SetFlat(bool value) {
    if (value == FFlat) return;
    FFlat = value;
    Restyle();
}

void TToolBar::SetList(bool value) {
    if (value == FList) return;
    FList = value;
    Restyle();
}

void TToolBar::SetShowCaptions(bool value) {
    if (value == FShowCaptions) return;
    FShowCaptions = value;
    RebuildButtons();
}

void TToolBar::SetButtonWidth(int value) {
    if (value == FButtonWidth) return;
    FButtonWidth = value;
    ImagesChanged(this);
}

void TToolBar::SetButtonHeight(int value) {
    if (value == FButtonHeight) return;
    FButtonHeight = value;
    ImagesChanged(this);
}

void TToolBar::SetEdgeBorders(TEdgeBorders value) {
    if (value == FEdgeBorders) return;
    FEdgeBorders = value;
    EdgesChanged();
}

void TToolBar::SetEdgeInner(TEdgeStyle value) {
    if (value == FEdgeInner) return;
    FEdgeInner = value;
    EdgesChanged();
}

void TToolBar::SetEdgeOuter(TEdgeStyle value) {
    if (value == FEdgeOuter) return;
    FEdgeOuter = value;
    EdgesChanged();
}

namespace {

TBevelCut BevelOf(TEdgeStyle style) {
    switch (style) {
    case esRaised: return bvRaised;
    case esLowered: return bvLowered;
    default: return bvNone;
    }
}

} // namespace

// The edges are the frame's bevels.
void TToolBar::EdgesChanged() {
    TBevelEdges edges;
    for (TEdgeBorder border : {ebLeft, ebTop, ebRight, ebBottom})
        if (FEdgeBorders.Contains(border)) edges.Include(static_cast<TBevelEdge>(border));
    SetBevelEdges(edges);
    SetBevelInner(BevelOf(FEdgeInner));
    SetBevelOuter(BevelOf(FEdgeOuter));
    SetBevelKind(edges.Empty() ? bkNone : bkTile);
}

// ---- TToolBar: messages ------------------------------------------------------------------------

void TToolBar::EraseWithColor(HDC dc) {
    const TRect client = ClientRect();
    ::FillRect(dc, &client, Brush()->Handle());
}

void TToolBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case CN_NOTIFY: CNNotify(Message); break;
    case CM_CONTROLLISTCHANGE: {
        TWinControl::Dispatch(Message);
        auto* button = dynamic_cast<TToolButton*>(reinterpret_cast<TControl*>(Message.WParam));
        if (!button) break;
        if (Message.LParam)
            InsertButton(button);
        else
            RemoveButton(button);
        break;
    }
    case WM_SIZE:
        TWinControl::Dispatch(Message);
        UpdateButtonBounds();
        break;
    case WM_ERASEBKGND:
        // The system class has no background brush of its own: a bar that is not transparent
        // shows its Color.
        if (FFlat) return TWinControl::Dispatch(Message);
        EraseWithColor(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 1;
        break;
    default: TWinControl::Dispatch(Message);
    }
}

// A check button's state is the system's after the click.
void TToolBar::CNCommand(TMessage& Message) {
    Message.Result = 0;
    TToolButton* button = ButtonByCommand(LOWORD(Message.WParam));
    if (!button) return;
    if (button->Style() == tbsCheck)
        button->FDown = SendMessageW(Handle(), TB_ISBUTTONCHECKED, button->CommandId(), 0) != 0;
    button->Click();
}

// A drop-down button shows its menu under itself; the system keeps the button pressed meanwhile.
void TToolBar::CNNotify(TMessage& Message) {
    auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
    switch (header->code) {
    case NM_CUSTOMDRAW:
        Message.Result = CustomDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(Message.LParam));
        break;
    case TBN_DROPDOWN:
        Message.Result = DropDown(*reinterpret_cast<NMTOOLBARW*>(Message.LParam));
        break;
    default: Message.Result = 0;
    }
}

LRESULT TToolBar::DropDown(const NMTOOLBARW& notice) {
    TToolButton* button = ButtonByCommand(notice.iItem);
    if (!button || !button->DropdownMenu()) return TBDDRET_NODEFAULT;
    TPopupMenu* menu = button->DropdownMenu();
    const TPoint corner = ClientToScreen({notice.rcButton.left, notice.rcButton.bottom});
    menu->SetPopupComponent(button);
    menu->Popup(corner.x, corner.y);
    return TBDDRET_DEFAULT;
}

namespace {

TCustomDrawState DrawStateOf(UINT state) {
    static constexpr std::pair<UINT, TCustomDrawStateItem> map[] = {
        {CDIS_SELECTED, cdsSelected},
        {CDIS_GRAYED, cdsGrayed},
        {CDIS_DISABLED, cdsDisabled},
        {CDIS_CHECKED, cdsChecked},
        {CDIS_FOCUS, cdsFocused},
        {CDIS_DEFAULT, cdsDefault},
        {CDIS_HOT, cdsHot},
        {CDIS_MARKED, cdsMarked},
        {CDIS_INDETERMINATE, cdsIndeterminate},
    };
    TCustomDrawState result;
    for (const auto& [bit, item] : map)
        if (state & bit) result.Include(item);
    return result;
}

LRESULT DrawFlagsResult(TTBCustomDrawFlags flags) {
    static constexpr std::pair<TTBCustomDrawFlag, LRESULT> map[] = {
        {tbNoEdges, TBCDRF_NOEDGES},
        {tbHiliteHotTrack, TBCDRF_HILITEHOTTRACK},
        {tbNoOffset, TBCDRF_NOOFFSET},
        {tbNoMark, TBCDRF_NOMARK},
        {tbNoEtchedEffect, TBCDRF_NOETCHEDEFFECT},
    };
    LRESULT result = CDRF_DODEFAULT;
    for (const auto& [flag, bits] : map)
        if (flags.Contains(flag)) result |= bits;
    return result;
}

} // namespace

// The bar's event runs before the system paints the bar, the button event before each button
// (asked for only when a button event is assigned).
LRESULT TToolBar::CustomDraw(NMTBCUSTOMDRAW& draw) {
    const NMCUSTOMDRAW& common = draw.nmcd;
    bool defaultDraw = true;
    if (common.dwDrawStage == CDDS_PREPAINT) {
        if (OnAdvancedCustomDraw) {
            comctrls_detail::TCanvasLoan loan(FCanvas.get(), common.hdc);
            OnAdvancedCustomDraw(
                this, TRect(common.rc.left, common.rc.top, common.rc.right, common.rc.bottom),
                cdPrePaint, defaultDraw);
        }
        if (!defaultDraw) return CDRF_SKIPDEFAULT;
        return OnAdvancedCustomDrawButton ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    }
    if (common.dwDrawStage != CDDS_ITEMPREPAINT || !OnAdvancedCustomDrawButton)
        return CDRF_DODEFAULT;
    TToolButton* button = ButtonByCommand(static_cast<int>(common.dwItemSpec));
    if (!button) return CDRF_DODEFAULT;
    TTBCustomDrawFlags flags;
    {
        comctrls_detail::TCanvasLoan loan(FCanvas.get(), common.hdc);
        OnAdvancedCustomDrawButton(this, button, DrawStateOf(common.uItemState), cdPrePaint, flags,
                                   defaultDraw);
    }
    return defaultDraw ? DrawFlagsResult(flags) : CDRF_SKIPDEFAULT;
}
