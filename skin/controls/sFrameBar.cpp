// The frame bar's life cycle, properties and the operations that open and close items. Every
// layout goes through ArrangeTitles (sFrameBarLayout.cpp).
#include "skin/controls/sFrameBar.h"

#include "skin/controls/RangeErrors.h"

#include <algorithm>

bool FrameBarNoAnimation = false;

TsFrameBar::TsFrameBar(TComponent* AOwner) : TsScrollBox(AOwner) {
    FCommonData->COC = 19;
    FItems = new TsTitles(this);
    SetCaption(L" ");
    SetAlign(alLeft);
    SetBevelOuter(bvLowered);
    VertScrollBar()->SetTracking(true);
    HorzScrollBar()->SetVisible(false);
    TWinControl::SetBorderWidth(2);
}

TsFrameBar::~TsFrameBar() { FreeAndNil(FItems); }

void TsFrameBar::BeforeDestruction() {
    Destroying();
    FPendingDeletes.clear();
    FreeAndNil(FItems);
    TsScrollBox::BeforeDestruction();
}

void TsFrameBar::Loaded() {
    TsScrollBox::Loaded();
    for (int i = 0; i < FItems->Count(); ++i) {
        TsTitleItem* item = FItems->Items(i);
        item->TitleButton->SkinData()->SetSkinManager(FCommonData->SkinManager());
        item->TitleButton->SetCursor(item->Cursor());
    }
    if (Visible()) Rearrange();
}

void TsFrameBar::Notification(TComponent* AComponent, TOperation Operation) {
    TsScrollBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TsFrameBar::SetTitleHeight(int value) {
    FTitleHeight = value;
    if (!ComponentState().Contains(csLoading)) Rearrange();
}

void TsFrameBar::SetSpacing(int value) {
    FSpacing = value;
    if (!ComponentState().Contains(csLoading)) Rearrange();
}

void TsFrameBar::SetBorderWidth(int value) {
    TWinControl::SetBorderWidth(value);
    if (HandleAllocated()) RecreateWnd();
    if (!ComponentState().Contains(csLoading)) Rearrange();
}

void TsFrameBar::SetAllowAllOpen(bool value) {
    if (value) FAutoFrameSize = false;
    FAllowAllOpen = value;
    if (!ComponentState().Contains(csLoading)) Rearrange();
}

void TsFrameBar::SetAutoFrameSize(bool value) {
    if (value) {
        FAllowAllOpen = false;
        SetAutoScroll(false);
    }
    FAutoFrameSize = value;
    if (!ComponentState().Contains(csLoading)) Rearrange();
}

void TsFrameBar::SetImages(TCustomImageList* value) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = value;
    if (value) value->FreeNotification(this);
    for (int i = 0; i < FItems->Count(); ++i)
        if (FItems->Items(i)->TitleButton->Visible())
            FItems->Items(i)->TitleButton->SetImages(value);
}

void TsFrameBar::ArrangeWithoutAnimation(bool NoAnimation) {
    const bool saved = FrameBarNoAnimation;
    FrameBarNoAnimation = NoAnimation;
    struct TRestore {
        bool Saved;
        ~TRestore() { FrameBarNoAnimation = Saved; }
    } restore{saved};
    ArrangeTitles();
}

void TsFrameBar::Rearrange() { ArrangeWithoutAnimation(true); }

void TsFrameBar::OpenItem(int Index, bool AllowAnimation) {
    TsTitleItem* item = FItems->Items(Index);
    item->State = AllowAnimation ? stOpening : stOpened;
    if (!FAllowAllOpen) {
        for (int i = 0; i < FItems->Count(); ++i)
            if (FItems->Items(i)->State == stOpened) FItems->Items(i)->State = stClosing;
        item->State = stOpened;
    }
    ArrangeWithoutAnimation(!AllowAnimation);
}

void TsFrameBar::CloseItem(int Index, bool AllowAnimation) {
    FItems->Items(Index)->State = AllowAnimation ? stClosing : stClosed;
    ArrangeWithoutAnimation(!AllowAnimation);
}

void TsFrameBar::ExpandAll(bool AllowAnimation) {
    for (int i = 0; i < FItems->Count(); ++i)
        FItems->Items(i)->State = AllowAnimation ? stOpening : stOpened;
    ArrangeTitles();
}

void TsFrameBar::CollapseAll(bool AllowAnimation) {
    for (int i = 0; i < FItems->Count(); ++i)
        FItems->Items(i)->State = AllowAnimation ? stClosing : stClosed;
    ArrangeTitles();
}

void TsFrameBar::ChangeSize(int Index, bool AllowAnimation, int Height) {
    TsTitleItem* item = FItems->Items(Index);
    item->FrameSize = Height;
    if (item->Frame) item->Frame->SetHeight(Height);
    item->State = AllowAnimation ? stOpening : stOpened;
    ArrangeWithoutAnimation(!AllowAnimation);
}

// ---- deferred deletion -------------------------------------------------------------------------

void TsFrameBar::DeferDelete(TsTitleItem* Item) {
    if (std::find(FPendingDeletes.begin(), FPendingDeletes.end(), Item) == FPendingDeletes.end())
        FPendingDeletes.push_back(Item);
}

// Frees the items whose deletion waited, still members of the collection, then lays out once.
void TsFrameBar::FlushDeletes() {
    if (DeferringDeletes() || FPendingDeletes.empty()) return;
    std::vector<TsTitleItem*> pending;
    pending.swap(FPendingDeletes);
    FFlushing = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } done{FFlushing};
    for (TsTitleItem* item : pending)
        for (int i = 0; i < FItems->Count(); ++i)
            if (FItems->Items(i) == item) {
                item->Free();
                break;
            }
    FFlushing = false;
    Rearrange();
}

// The bar's own message: deletions that waited for a click to end.
UINT FlushDeletesMessage() {
    static const UINT message = RegisterWindowMessageW(L"sFrameBarFlushDeletes");
    return message;
}

void TsFrameBar::PostFlushDeletes() {
    if (FPendingDeletes.empty()) return;
    if (HandleAllocated())
        PostMessageW(Handle(), FlushDeletesMessage(), 0, 0);
    else
        FlushDeletes();
}

void TsFrameBar::ItemRemoved() {
    if (!FFlushing) Rearrange();
}
