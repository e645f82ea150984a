// TCustomComboBox over the system's COMBOBOX class. Items, ItemIndex and the text are kept
// while there is no window and handed to every new one. The combo box's children (the edit of
// the styles that have one, and the list) are subclassed with object instances: each child's
// messages go to ComboWndProc, which gives typed keys to the combo box's key events first. A
// child instance is freed in the WM_NCDESTROY it dispatches, or by the combo box when the
// child outlives it.
#include "framework/StdCtrls.h"

#include "framework/ObjectInstances.h"

// One subclassed child window of a combo box.
class TComboChild {
public:
    TComboChild(TCustomComboBox* combo, HWND wnd) : FCombo(combo), FWnd(wnd) {
        FInstance = MakeObjectInstance(TWndMethod(this, &TComboChild::WndProc));
        FDefProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FInstance)));
    }
    ~TComboChild() {
        if (!FInstance) return;
        SetWindowLongPtrW(FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefProc));
        FreeObjectInstance(FInstance);
    }
    TComboChild(const TComboChild&) = delete;
    TComboChild& operator=(const TComboChild&) = delete;

private:
    void WndProc(TMessage& Message) {
        FCombo->ComboWndProc(Message, FWnd, FDefProc);
        if (Message.Msg != WM_NCDESTROY) return;
        FreeObjectInstance(FInstance);
        FInstance = nullptr;
    }

    TCustomComboBox* FCombo;
    HWND FWnd;
    WNDPROC FDefProc = nullptr;
    WNDPROC FInstance = nullptr;
};

namespace {

constexpr TListMessages ComboMessages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                                      CB_SETITEMDATA};

constexpr bool HasEdit(TComboBoxStyle style) { return style == csDropDown || style == csSimple; }
constexpr bool IsOwnerDraw(TComboBoxStyle style) {
    return style == csOwnerDrawFixed || style == csOwnerDrawVariable;
}

} // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TWindowListStrings(this, ComboMessages)),
      FCanvas(new TCanvas) {
    SetControlStyle({csSetCaption, csDoubleClicks, csFixedHeight, csReflector});
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox() = default;

// ---- the window --------------------------------------------------------------------------------

void TCustomComboBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"COMBOBOX");
    static constexpr DWORD Styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                       CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                       CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
    Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | Styles[FStyle];
    if (FCharCase == ecUpperCase) Params.Style |= CBS_UPPERCASE;
    if (FCharCase == ecLowerCase) Params.Style |= CBS_LOWERCASE;
    // The height a drop-down style is made with is the height of its open list.
    if (FStyle != csSimple) Params.Height += FItemHeight * FDropDownCount + 2;
}

void TCustomComboBox::CreateWnd() {
    TWinControl::CreateWnd();
    HWND wnd = Handle();
    SendMessageW(wnd, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    FItems->FillWindow(wnd);
    if (FItemIndex >= 0)
        SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    else if (HasEdit(FStyle))
        SetWindowTextW(wnd, FText.c_str());
    SubclassChildren();
}

void TCustomComboBox::DestroyWnd() {
    FItemIndex = ItemIndex();
    TWinControl::DestroyWnd();
    FEdit.reset();
    FList.reset();
    FEditHandle = nullptr;
    FListHandle = nullptr;
}

void TCustomComboBox::SubclassChildren() {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(Handle(), &info)) RaiseLastOSError(L"GetComboBoxInfo");
    if (info.hwndItem && info.hwndItem != Handle()) {
        FEdit = std::make_unique<TComboChild>(this, info.hwndItem);
        FEditHandle = info.hwndItem;
    }
    if (info.hwndList) {
        FList = std::make_unique<TComboChild>(this, info.hwndList);
        FListHandle = info.hwndList;
    }
}

// ---- properties --------------------------------------------------------------------------------

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
    if (value == FStyle) return;
    FStyle = value;
    RecreateWnd();
}

int TCustomComboBox::ItemIndex() {
    if (!HandleAllocated()) return FItemIndex;
    return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int value) {
    FItemIndex = value;
    if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

bool TCustomComboBox::DroppedDown() {
    return HandleAllocated() && SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
    SendMessageW(Handle(), CB_SHOWDROPDOWN, value ? TRUE : FALSE, 0);
}

// Owner-drawn items are as high as the control says; the system measures the others.
int TCustomComboBox::ItemHeight() {
    if (IsOwnerDraw(FStyle) || !HandleAllocated()) return FItemHeight;
    return static_cast<int>(SendMessageW(Handle(), CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int value) {
    if (value <= 0) return;
    FItemHeight = value;
    if (HandleAllocated() && IsOwnerDraw(FStyle))
        SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, value);
}

void TCustomComboBox::SetMaxLength(int value) {
    FMaxLength = value;
    if (HandleAllocated()) SendMessageW(Handle(), CB_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomComboBox::SetCharCase(TEditCharCase value) {
    if (value == FCharCase) return;
    FCharCase = value;
    RecreateWnd();
}

void TCustomComboBox::SetDropDownCount(int value) {
    if (value == FDropDownCount || value < 1) return;
    FDropDownCount = value;
    RecreateWnd();
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

// ---- messages ----------------------------------------------------------------------------------

void TCustomComboBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case CN_MEASUREITEM: CNMeasureItem(Message); break;
    case WM_SETTEXT: WMSetText(Message); break;
    // The children ask the combo box for their colours: they are the control's.
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        Message.Result = Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        break;
    // The combo box hands its focus to its edit: that is no exit.
    case WM_KILLFOCUS:
        if (OwnWindow(reinterpret_cast<HWND>(Message.WParam)))
            DefaultHandler(Message);
        else
            TWinControl::Dispatch(Message);
        break;
    case WM_LBUTTONDBLCLK:
        TWinControl::Dispatch(Message);
        if (FStyle != csSimple) DblClick();
        break;
    default: TWinControl::Dispatch(Message);
    }
}

// A selection from the list shows its text before the events run, so that they read it.
void TCustomComboBox::CNCommand(TMessage& Message) {
    Message.Result = 0;
    switch (HIWORD(Message.WParam)) {
    case CBN_DBLCLK: DblClick(); break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_CLOSEUP: CloseUp(); break;
    case CBN_SELCHANGE: {
        const int index = ItemIndex();
        if (HasEdit(FStyle) && index >= 0) SetWindowTextW(Handle(), FItems->Strings(index).c_str());
        Click();
        Select();
        break;
    }
    default: break;
    }
}

// Styles without an edit show an item: their text is the item's that has that text.
void TCustomComboBox::WMSetText(TMessage& Message) {
    if (HasEdit(FStyle)) return TWinControl::Dispatch(Message);
    const auto* text = reinterpret_cast<const wchar_t*>(Message.LParam);
    FText = text ? text : L"";
    SetItemIndex(FItems->IndexOf(FText));
    Message.Result = TRUE;
}

void TCustomComboBox::CNDrawItem(TMessage& Message) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
    stdctrls_detail::DrawOwnerItem(this, FCanvas.get(), item,
                                   [&](TRect rect, TOwnerDrawState state) {
                                       DrawItem(static_cast<int>(item.itemID), rect, state);
                                   });
    Message.Result = TRUE;
}

void TCustomComboBox::CNMeasureItem(TMessage& Message) {
    auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    int height = FItemHeight;
    if (FStyle == csOwnerDrawVariable) MeasureItem(static_cast<int>(item.itemID), height);
    item.itemHeight = static_cast<UINT>(height);
    Message.Result = TRUE;
}

void TCustomComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
    if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
    FCanvas->FillRect(Rect);
    if (Index >= 0 && Index < FItems->Count())
        FCanvas->TextOut(Rect.left + 2, Rect.top, FItems->Strings(Index));
}

void TCustomComboBox::MeasureItem(int Index, int& Height) { OnMeasureItem(this, Index, Height); }

// ---- children ----------------------------------------------------------------------------------

void TCustomComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) {
    if (ComboWnd == FEditHandle && ChildKeySwallowed(Message)) {
        Message.Result = 0;
        return;
    }
    Message.Result =
        CallWindowProcW(ComboProc, ComboWnd, Message.Msg, Message.WParam, Message.LParam);
    if (Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS) ChildFocus(Message);
}

// The focus in a child is the combo box's: it enters when the focus comes from elsewhere, and
// exits when the focus goes to a window that is neither the combo box nor one of its children.
void TCustomComboBox::ChildFocus(TMessage& Message) {
    const auto other = reinterpret_cast<HWND>(Message.WParam);
    if (OwnWindow(other)) return;
    if (Message.Msg == WM_KILLFOCUS) return static_cast<void>(Perform(CM_EXIT, 0, 0));
    Perform(CM_ENTER, 0, 0);
    TopParent()->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
}

bool TCustomComboBox::OwnWindow(HWND wnd) {
    return wnd && (wnd == Handle() || wnd == FEditHandle || wnd == FListHandle);
}

// Keys typed into the edit child go through the combo box's key events; True when a handler
// set the key to 0.
bool TCustomComboBox::ChildKeySwallowed(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        auto key = static_cast<Word>(Message.WParam);
        KeyDown(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        return key == 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        auto key = static_cast<Word>(Message.WParam);
        KeyUp(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        return key == 0;
    }
    case WM_CHAR: {
        auto key = static_cast<wchar_t>(Message.WParam);
        KeyPress(key);
        Message.WParam = key;
        return key == 0;
    }
    default: return false;
    }
}
