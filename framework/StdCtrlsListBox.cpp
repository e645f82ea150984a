// TCustomListBox over the system's LISTBOX class, with the control's Items mirrored into it.
// A list box made again keeps its items and its ItemIndex; the selection of several items is
// the window's alone.
#include "framework/StdCtrls.h"

namespace {

constexpr TListMessages ListMessages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                     LB_SETITEMDATA};

} // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TWindowListStrings(this, ListMessages)),
      FCanvas(new TCanvas) {
    SetControlStyle({csSetCaption, csDoubleClicks, csOpaque});
    SetParentColor(false);
    SetTabStop(true);
    SetBorderStyle(bsSingle);
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"LISTBOX");
    static constexpr DWORD Styles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE};
    Params.Style |= WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                    Styles[FStyle] | (FMultiSelect ? LBS_EXTENDEDSEL : 0);
}

void TCustomListBox::CreateWnd() {
    TWinControl::CreateWnd();
    FItems->FillWindow(Handle());
    if (FItemIndex >= 0) SetItemIndex(FItemIndex);
}

void TCustomListBox::DestroyWnd() {
    FItemIndex = ItemIndex();
    TWinControl::DestroyWnd();
}

void TCustomListBox::CheckIndex(int index) const {
    if (index < 0 || index >= FItems->Count())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

// ---- selection ---------------------------------------------------------------------------------

int TCustomListBox::ItemIndex() {
    if (!HandleAllocated()) return FItemIndex;
    const UINT message = FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL;
    return static_cast<int>(SendMessageW(Handle(), message, 0, 0));
}

void TCustomListBox::SetItemIndex(int value) {
    FItemIndex = value;
    if (!HandleAllocated()) return;
    if (FMultiSelect)
        SendMessageW(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(value), FALSE);
    else
        SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

bool TCustomListBox::Selected(int index) {
    CheckIndex(index);
    return SendMessageW(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void TCustomListBox::SetSelected(int index, bool value) {
    CheckIndex(index);
    if (FMultiSelect)
        SendMessageW(Handle(), LB_SETSEL, value ? TRUE : FALSE, static_cast<LPARAM>(index));
    else if (value)
        SetItemIndex(index);
    else if (ItemIndex() == index)
        SetItemIndex(-1);
}

int TCustomListBox::SelCount() {
    if (!FMultiSelect) return ItemIndex() >= 0 ? 1 : 0;
    return static_cast<int>(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::SetMultiSelect(bool value) {
    if (value == FMultiSelect) return;
    FMultiSelect = value;
    RecreateWnd();
}

// ---- look --------------------------------------------------------------------------------------

void TCustomListBox::SetStyle(TListBoxStyle value) {
    if (value == FStyle) return;
    FStyle = value;
    RecreateWnd();
}

int TCustomListBox::ItemHeight() {
    if (FStyle != lbStandard || !HandleAllocated()) return FItemHeight;
    return static_cast<int>(SendMessageW(Handle(), LB_GETITEMHEIGHT, 0, 0));
}

void TCustomListBox::SetItemHeight(int value) {
    if (value <= 0 || value == FItemHeight) return;
    FItemHeight = value;
    if (FStyle != lbStandard) RecreateWnd();
}

int TCustomListBox::TopIndex() {
    return static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int value) {
    SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(value), 0);
}

// ---- messages ----------------------------------------------------------------------------------

void TCustomListBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case CN_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
        stdctrls_detail::DrawOwnerItem(this, FCanvas.get(), item,
                                       [&](TRect rect, TOwnerDrawState state) {
                                           DrawItem(static_cast<int>(item.itemID), rect, state);
                                       });
        Message.Result = TRUE;
        break;
    }
    case CN_MEASUREITEM: {
        auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        int height = FItemHeight;
        if (FStyle == lbOwnerDrawVariable) MeasureItem(static_cast<int>(item.itemID), height);
        item.itemHeight = static_cast<UINT>(height);
        Message.Result = TRUE;
        break;
    }
    default: TWinControl::Dispatch(Message);
    }
}

void TCustomListBox::CNCommand(TMessage& Message) {
    Message.Result = 0;
    switch (HIWORD(Message.WParam)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
    }
}

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
    if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
    FCanvas->FillRect(Rect);
    if (Index >= 0 && Index < FItems->Count())
        FCanvas->TextOut(Rect.left + 2, Rect.top, FItems->Strings(Index));
}

void TCustomListBox::MeasureItem(int Index, int& Height) { OnMeasureItem(this, Index, Height); }
