// TListView over the system's list view window: the view style (the window's LVS_TYPEMASK
// bits, changed in place), the report columns (all written again whenever one changes, and
// when the window is made again), the small image list and the colours. The columns' widths
// are the ones given; the user may change them in the window, where LVM_GETCOLUMNWIDTH reads
// them.
#include "framework/ComCtrls.h"

// ---- columns -----------------------------------------------------------------------------------

template <class T> void TListColumn::Change(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed(false);
}

void TListColumn::SetCaption(const UnicodeString& value) { Change(FCaption, value); }
void TListColumn::SetWidth(int value) { Change(FWidth, value); }
void TListColumn::SetAlignment(TAlignment value) { Change(FAlignment, value); }
void TListColumn::SetImageIndex(int value) { Change(FImageIndex, value); }

void TListColumn::Assign(TPersistent* Source) {
    auto* column = dynamic_cast<TListColumn*>(Source);
    if (!column) return TCollectionItem::Assign(Source);
    FCaption = column->FCaption;
    FWidth = column->FWidth;
    FAlignment = column->FAlignment;
    FImageIndex = column->FImageIndex;
    Changed(false);
}

TListColumns::TListColumns(TListView* ListView)
    : TCollection(TListColumn::StaticClass(), ListView), FListView(ListView) {}

void TListColumns::Update(TCollectionItem*) { FListView->UpdateColumns(); }

// ---- the view ----------------------------------------------------------------------------------

namespace {

DWORD ViewStyleBits(TViewStyle style) {
    switch (style) {
    case vsSmallIcon: return LVS_SMALLICON;
    case vsList: return LVS_LIST;
    case vsReport: return LVS_REPORT;
    default: return LVS_ICON;
    }
}

int ColumnFormat(const TListColumn* column) {
    int format = column->Alignment() == taRightJustify ? LVCFMT_RIGHT
                 : column->Alignment() == taCenter     ? LVCFMT_CENTER
                                                       : LVCFMT_LEFT;
    if (column->ImageIndex() >= 0) format |= LVCFMT_IMAGE;
    return format;
}

} // namespace

TListView::TListView(TComponent* AOwner)
    : TWinControl(AOwner), FColumns(new TListColumns(this)),
      FSmallImages(this, TNotifyEvent(this, &TListView::ImagesChanged)) {
    SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks});
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetBorderStyle(bsSingle);
}

TListView::~TListView() = default;

void TListView::CreateParams(TCreateParams& Params) {
    InitCommonControl(ICC_LISTVIEW_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_LISTVIEWW);
    Params.Style |= LVS_SHAREIMAGELISTS | ViewStyleBits(FViewStyle);
}

void TListView::CreateWnd() {
    TWinControl::CreateWnd();
    ImagesChanged(this);
    UpdateColumns();
    ApplyColors();
}

void TListView::SetViewStyle(TViewStyle value) {
    if (value == FViewStyle) return;
    FViewStyle = value;
    if (!HandleAllocated()) return;
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | ViewStyleBits(value);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
}

void TListView::UpdateColumns() {
    if (!HandleAllocated()) return;
    HWND wnd = Handle();
    while (SendMessageW(wnd, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int index = 0; index < FColumns->Count(); ++index) {
        const TListColumn* column = FColumns->Items(index);
        LVCOLUMNW system{};
        system.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_IMAGE;
        system.fmt = ColumnFormat(column);
        system.cx = column->Width();
        system.pszText = const_cast<wchar_t*>(column->Caption().c_str());
        system.iImage = column->ImageIndex();
        if (SendMessageW(wnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&system)) < 0)
            RaiseLastOSError(L"LVM_INSERTCOLUMN");
    }
}

void TListView::ApplyColors() {
    if (!HandleAllocated()) return;
    const auto background = static_cast<LPARAM>(ColorToRGB(Color()));
    SendMessageW(Handle(), LVM_SETBKCOLOR, 0, background);
    SendMessageW(Handle(), LVM_SETTEXTBKCOLOR, 0, background);
    SendMessageW(Handle(), LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
    Invalidate();
}

// The small images also give the column headers theirs.
void TListView::ImagesChanged(TObject*) {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(FSmallImages.Handle()));
}

void TListView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove) FSmallImages.Removed(AComponent);
}

void TListView::Dispatch(TMessage& Message) {
    TWinControl::Dispatch(Message);
    if (Message.Msg == CM_COLORCHANGED || Message.Msg == CM_FONTCHANGED) ApplyColors();
}
