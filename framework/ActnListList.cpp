// TCustomActionList: the actions it holds and the image list their ImageIndex refers to.
#include "framework/ActnList.h"

#include "framework/ImageList.h"

#include <string>

TCustomActionList::~TCustomActionList() { FreeActions(); }

void TCustomActionList::BeforeDestruction() {
    FreeActions();
    TComponent::BeforeDestruction();
}

// Each action is taken out of the list before it is freed: its own teardown finds nothing left
// to leave.
void TCustomActionList::FreeActions() noexcept {
    while (!FActions.empty()) {
        TContainedAction* action = FActions.back();
        FActions.pop_back();
        action->FActionList = nullptr;
        action->Free();
    }
}

TContainedAction* TCustomActionList::Actions(int index) const {
    if (index < 0 || index >= ActionCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return FActions[static_cast<std::size_t>(index)];
}

void TCustomActionList::SetImages(TCustomImageList* value) {
    if (value == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = value;
    if (value) value->FreeNotification(this);
    for (TContainedAction* action : std::vector<TContainedAction*>(FActions)) action->Change();
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FImages) FImages = nullptr;
}
