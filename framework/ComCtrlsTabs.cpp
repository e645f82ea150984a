// Tab controls over the system's tab control window: TCustomTabControl (the window, its styles,
// selection and display area), TTabControl (tabs from a string list) and TPageControl with its
// TTabSheet pages (tabs from the pages; the page of the selected tab is the one shown).
// The tabs are not kept apart from the window: UpdateTabs writes them all whenever they
// change and when the window is made again. A page's tab carries the page as its data
// (TCIF_PARAM), so a selected tab names its page even when pages hide their tabs.
#include "framework/ComCtrls.h"

#include <algorithm>

// ---- TCustomTabControl -------------------------------------------------------------------------

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TWinControl(AOwner), FImages(this, TNotifyEvent(this, &TCustomTabControl::ImagesChanged)) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TCustomTabControl::~TCustomTabControl() = default;

void TCustomTabControl::CreateParams(TCreateParams& Params) {
    InitCommonControl(ICC_TAB_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_TABCONTROLW);
    switch (FTabPosition) {
    case tpBottom: Params.Style |= TCS_BOTTOM; break;
    case tpLeft: Params.Style |= TCS_VERTICAL | TCS_MULTILINE; break;
    case tpRight: Params.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
    default: break;
    }
    if (FStyle == tsButtons) Params.Style |= TCS_BUTTONS;
    if (FStyle == tsFlatButtons) Params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    if (FMultiLine) Params.Style |= TCS_MULTILINE;
}

void TCustomTabControl::CreateWnd() {
    TWinControl::CreateWnd();
    ImagesChanged(this);
    UpdateTabs();
}

void TCustomTabControl::InsertTab(int Index, const UnicodeString& Caption, int ImageIndex,
                                  LPARAM Data) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(Caption.c_str());
    item.iImage = ImageIndex;
    item.lParam = Data;
    if (SendMessageW(Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(Index),
                     reinterpret_cast<LPARAM>(&item)) < 0)
        RaiseLastOSError(L"TCM_INSERTITEM");
}

void TCustomTabControl::SetTabPosition(TTabPosition value) {
    if (value == FTabPosition) return;
    FTabPosition = value;
    RecreateWnd();
}

void TCustomTabControl::SetStyle(TTabStyle value) {
    if (value == FStyle) return;
    FStyle = value;
    RecreateWnd();
}

void TCustomTabControl::SetMultiLine(bool value) {
    if (value == FMultiLine) return;
    FMultiLine = value;
    RecreateWnd();
}

int TCustomTabControl::TabIndex() {
    if (!HandleAllocated()) return FTabIndex;
    return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
}

void TCustomTabControl::SetTabIndex(int value) {
    FTabIndex = value;
    if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
    TWinControl::AdjustClientRect(Rect);
    if (HandleAllocated())
        SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&Rect));
}

TRect TCustomTabControl::DisplayRect() {
    HandleNeeded();
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    return rect;
}

void TCustomTabControl::ImagesChanged(TObject*) {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages.Handle()));
    Realign();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove) FImages.Removed(AComponent);
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() { OnChange(this); }

void TCustomTabControl::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_NOTIFY) return CNNotify(Message);
    TWinControl::Dispatch(Message);
    if (Message.Msg == WM_SIZE) Realign(); // the display area follows the tab rows
}

// TCN_SELCHANGING is answered TRUE to keep the present tab.
void TCustomTabControl::CNNotify(TMessage& Message) {
    Message.Result = 0;
    switch (reinterpret_cast<NMHDR*>(Message.LParam)->code) {
    case TCN_SELCHANGING: Message.Result = CanChange() ? FALSE : TRUE; break;
    case TCN_SELCHANGE:
        FTabIndex = TabIndex();
        Change();
        break;
    default: break;
    }
}

// ---- TTabControl -------------------------------------------------------------------------------

TTabControl::TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner), FTabs(new TStringList) {
    FTabs->OnChange = TNotifyEvent(this, &TTabControl::TabsChanged);
}

TTabControl::~TTabControl() { FTabs->OnChange = {}; }

void TTabControl::TabsChanged(TObject*) {
    UpdateTabs();
    Realign();
}

// A tab's image is the one at its own index.
void TTabControl::UpdateTabs() {
    if (!HandleAllocated()) return;
    const int selected = TabIndex() >= 0 ? TabIndex() : FTabs->Count() > 0 ? 0 : -1;
    SendMessageW(Handle(), TCM_DELETEALLITEMS, 0, 0);
    for (int index = 0; index < FTabs->Count(); ++index)
        InsertTab(index, FTabs->Strings(index), index, 0);
    SetTabIndex(std::min(selected, FTabs->Count() - 1));
}

// ---- TTabSheet ---------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
    SetVisible(false);
    SetAlign(alClient);
}

void TTabSheet::SetPageControl(TPageControl* value) { SetParent(value); }

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    const auto& pages = FPageControl->FPages;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::TabChanged() {
    if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::SetImageIndex(int value) {
    if (value == FImageIndex) return;
    FImageIndex = value;
    TabChanged();
}

void TTabSheet::SetTabVisible(bool value) {
    if (value == FTabVisible) return;
    FTabVisible = value;
    TabChanged();
}

void TTabSheet::Dispatch(TMessage& Message) {
    TWinControl::Dispatch(Message);
    if (Message.Msg == CM_TEXTCHANGED) TabChanged();
}

// ---- TPageControl ------------------------------------------------------------------------------

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return FPages[static_cast<std::size_t>(Index)];
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::Dispatch(TMessage& Message) {
    TCustomTabControl::Dispatch(Message);
    if (Message.Msg != CM_CONTROLLISTCHANGE) return;
    auto* page = dynamic_cast<TTabSheet*>(reinterpret_cast<TControl*>(Message.WParam));
    if (!page) return;
    if (Message.LParam)
        InsertPage(page);
    else
        RemovePage(page);
}

// The first page becomes the active one.
void TPageControl::InsertPage(TTabSheet* Page) {
    FPages.push_back(Page);
    Page->FPageControl = this;
    if (!FActivePage)
        SetActivePage(Page);
    else
        UpdateTabs();
}

// The page after the one removed (or else the one before) becomes active in its place.
void TPageControl::RemovePage(TTabSheet* Page) {
    const auto found = std::find(FPages.begin(), FPages.end(), Page);
    if (found == FPages.end()) return;
    const auto index = found - FPages.begin();
    FPages.erase(found);
    Page->FPageControl = nullptr;
    if (ComponentState().Contains(csDestroying)) {
        FActivePage = nullptr;
        return;
    }
    if (FActivePage != Page) return UpdateTabs();
    FActivePage = nullptr;
    const auto count = static_cast<std::ptrdiff_t>(FPages.size());
    SetActivePage(count == 0 ? nullptr
                             : FPages[static_cast<std::size_t>(std::min(index, count - 1))]);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->FPageControl != this)
        throw EInvalidOperation(L"Page '" + Page->Name() + L"' is not a page of this control");
    FActivePage = Page;
    ShowActivePage();
    UpdateTabs();
}

void TPageControl::ShowActivePage() {
    for (TTabSheet* page : FPages)
        if (page != FActivePage) page->SetVisible(false);
    if (!FActivePage) return;
    FActivePage->SetVisible(true);
    FActivePage->BringToFront();
}

// Tabs of the pages that show one, the active page's tab selected.
void TPageControl::UpdateTabs() {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), TCM_DELETEALLITEMS, 0, 0);
    int tabs = 0;
    int selected = -1;
    for (TTabSheet* page : FPages) {
        if (!page->TabVisible()) continue;
        if (page == FActivePage) selected = tabs;
        InsertTab(tabs++, page->Caption(), page->ImageIndex(), reinterpret_cast<LPARAM>(page));
    }
    SetTabIndex(selected);
}

// The selected tab's page becomes the active page.
void TPageControl::Change() {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    const int tab = TabIndex();
    if (tab >= 0 && SendMessageW(Handle(), TCM_GETITEMW, static_cast<WPARAM>(tab),
                                 reinterpret_cast<LPARAM>(&item))) {
        FActivePage = reinterpret_cast<TTabSheet*>(item.lParam);
        ShowActivePage();
    }
    TCustomTabControl::Change();
}
