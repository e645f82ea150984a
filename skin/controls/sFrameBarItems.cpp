// The frame bar's items and their collection. An item owns nothing itself: its title button
// and its frame belong to the bar (as components) and go with the item. Deletions the bar must
// not see now (it arranges, or an item's click is being handled) wait in the bar's list.
#include "skin/controls/sFrameBar.h"

#include "skin/controls/RangeErrors.h"

// ---- TsTitleButton -----------------------------------------------------------------------------

TsTitleButton::TsTitleButton(TComponent* AOwner) : TsSpeedButton(AOwner) {
    FCommonData->COC = 20;
    for (int number = 1;; ++number) {
        const UnicodeString name = L"sTitleButton" + std::to_wstring(number);
        if (AOwner && AOwner->FindComponent(name)) continue;
        SetName(name);
        break;
    }
    SetAlignment(taLeftJustify);
    SetSpacing(8);
    SetMargin(5);
}

int TsTitleButton::CurrentState() {
    const int state = TsSpeedButton::CurrentState();
    return state == 0 && Active ? 1 : state;
}

// ---- TsTitleItem -------------------------------------------------------------------------------

TsTitleItem::TsTitleItem(TCollection* Collection) : TCollectionItem(Collection) {
    TsFrameBar* bar = Bar();
    TitleButton = Construct<TsTitleButton>(bar);
    TitleButton->TitleItem = this;
    TitleButton->OnClick = TNotifyEvent(this, &TsTitleItem::TitleClick);
    TitleButton->SetParent(bar);
}

void TsTitleItem::AfterConstruction() {
    TCollectionItem::AfterConstruction();
    if (TsFrameBar* bar = Bar()) bar->Rearrange();
}

TsFrameBar* TsTitleItem::Bar() const {
    auto* titles = dynamic_cast<TsTitles*>(Collection());
    return titles ? titles->Bar() : nullptr;
}

void TsTitleItem::BeforeDestruction() {
    TsFrameBar* bar = Bar();
    const bool barGoing = !bar || bar->ComponentState().Contains(csDestroying);
    if (!barGoing) {
        TitleButton->Hide();
        FreeAndNil(TitleButton);
        FreeAndNil(Frame);
    }
    TCollectionItem::BeforeDestruction();
    if (!barGoing) bar->ItemRemoved();
}

void TsTitleItem::Assign(TPersistent* Source) {
    auto* item = dynamic_cast<TsTitleItem*>(Source);
    if (!item) return TCollectionItem::Assign(Source);
    SetCaption(item->Caption());
    SetCursor(item->Cursor());
    SetImageIndex(item->ImageIndex());
    SetSkinSection(item->SkinSection());
    SetMargin(item->Margin());
    SetSpacing(item->Spacing());
    Tag = item->Tag;
    SetVisible(item->Visible());
    SetPopupMenu(item->PopupMenu());
}

void TsTitleItem::SetCaption(const UnicodeString& value) {
    TitleButton->SetCaption(value);
    FCaption = value;
}

void TsTitleItem::SetCursor(TCursor value) {
    FCursor = value;
    TitleButton->SetCursor(value);
}

void TsTitleItem::SetImageIndex(int value) {
    FImageIndex = value;
    TitleButton->SetImageIndex(value);
    TsFrameBar* bar = Bar();
    if (bar && TitleButton->Images() != bar->Images()) TitleButton->SetImages(bar->Images());
}

void TsTitleItem::SetMargin(int value) {
    if (TitleButton->Margin() == value) return;
    TitleButton->SetMargin(value);
    if (TitleButton->ComponentState().Contains(csDesigning)) TitleButton->SkinData()->Invalidate();
}

void TsTitleItem::SetVisible(bool value) {
    if (value == FVisible) return;
    FVisible = value;
    TsFrameBar* bar = Bar();
    if (value) {
        TitleButton->SkinData()->UpdateIndexes();
        TitleButton->SetParent(bar);
    } else {
        TitleButton->SetParent(nullptr);
    }
    if (bar) bar->ArrangeTitles();
}

// The item's OnClick may change the bar's items: deletions wait until the click is handled.
// An exception from OnClick leaves them waiting for the next layout.
void TsTitleItem::TitleClick(TObject* Sender) {
    TsFrameBar* bar = Bar();
    if (!bar || bar->ComponentState().Contains(csDesigning)) return;
    ++bar->FClickDepth;
    struct TLeave {
        TsFrameBar* Bar;
        ~TLeave() { --Bar->FClickDepth; }
    } leave{bar};
    OnClick(Sender);
    if (State == stClosed) {
        State = stOpening;
        if (!bar->AllowAllOpen())
            for (int i = 0; i < bar->Items()->Count(); ++i) {
                TsTitleItem* other = bar->Items()->Items(i);
                if (other->State == stOpened) other->State = stClosing;
            }
    } else if (State == stOpened && bar->AllowAllClose()) {
        State = stClosing;
    }
    bar->ArrangeTitles();
    // The clicked button is still handling its click: waiting deletions run from the queue.
    bar->PostFlushDeletes();
}

// ---- TsTitles ----------------------------------------------------------------------------------

TsTitles::TsTitles(TsFrameBar* AOwner)
    : TCollection(TsTitleItem::StaticClass(), AOwner), FOwner(AOwner) {}

TsTitleItem* TsTitles::Add() { return static_cast<TsTitleItem*>(TCollection::Add()); }

TsTitleItem* TsTitles::Items(int Index) const {
    return static_cast<TsTitleItem*>(TCollection::Items(Index));
}

void TsTitles::Clear() {
    if (!FOwner->DeferringDeletes()) {
        TCollection::Clear();
        return;
    }
    for (int i = 0; i < Count(); ++i) FOwner->DeferDelete(Items(i));
}

void TsTitles::Delete(int Index) {
    TsTitleItem* item = Items(Index); // checked
    if (FOwner->DeferringDeletes())
        FOwner->DeferDelete(item);
    else
        TCollection::Delete(Index);
}
