// What the common controls share: registering their window classes, and TImageListRef, the
// link from a control to an image list it shows but does not own.
#include "framework/ComCtrls.h"

#include <mutex>

void InitCommonControl(DWORD classes) {
    static std::mutex lock;
    static DWORD registered = 0; // guarded by lock
    std::lock_guard<std::mutex> guard(lock);
    if ((registered & classes) == classes) return;
    INITCOMMONCONTROLSEX init{sizeof(init), classes};
    if (!InitCommonControlsEx(&init)) RaiseLastOSError(L"InitCommonControlsEx");
    registered |= classes;
}

TImageListRef::TImageListRef(TComponent* holder, TNotifyEvent changed)
    : FHolder(holder), FLink(new TChangeLink), FChanged(changed) {
    FLink->OnChange = changed;
}

TImageListRef::~TImageListRef() {
    if (FList) {
        FList->UnRegisterChanges(FLink.get());
        FHolder->RemoveFreeNotification(FList);
    }
}

void TImageListRef::Set(TCustomImageList* list) {
    if (list == FList) return;
    if (FList) {
        FList->UnRegisterChanges(FLink.get());
        FHolder->RemoveFreeNotification(FList);
    }
    FList = list;
    if (FList) {
        FList->RegisterChanges(FLink.get());
        FHolder->FreeNotification(FList);
    }
    FChanged(FHolder);
}

void TImageListRef::Removed(TComponent* component) {
    if (component != FList || !FList) return;
    FList->UnRegisterChanges(FLink.get());
    FList = nullptr;
    FChanged(FHolder);
}
