// TMainMenu: the menu bar of a form window, and MDI merging. A merged menu's top-level items
// are shown in this menu's bar (its own items of the groups the merged menu has are left out)
// but stay the merged menu's: their submenus are its handles, and a change in it rebuilds this
// bar. Both menus watch each other with free notifications, so either may go first.
#include "framework/Menus.h"

#include <algorithm>
#include <set>

void TMainMenu::BeforeDestruction() {
    if (FMergedInto) FMergedInto->Unmerge(this);
    Merge(nullptr);
    SetWindowHandle(nullptr);
    TMenu::BeforeDestruction();
}

void TMainMenu::SetWindowHandle(HWND value) {
    if (value == FWindowHandle) return;
    if (FWindowHandle && Items()->HandleAllocated() && IsWindow(FWindowHandle) &&
        GetMenu(FWindowHandle) == Items()->Handle())
        SetMenu(FWindowHandle, nullptr);
    FWindowHandle = value;
    if (FWindowHandle && !SetMenu(FWindowHandle, Handle())) RaiseLastOSError(L"SetMenu");
}

void TMainMenu::Merge(TMainMenu* Menu) {
    if (Menu == FMerged) return;
    if (Menu == this) throw EMenuError(L"A menu cannot be merged into itself");
    if (FMerged) {
        FMerged->SetMergedInto(nullptr);
        RemoveFreeNotification(FMerged);
    }
    FMerged = Menu;
    if (FMerged) {
        if (FMerged->FMergedInto) FMerged->FMergedInto->Unmerge(FMerged);
        FMerged->SetMergedInto(this);
        FreeNotification(FMerged);
    }
    Items()->RebuildEntries();
    MenuChanged(this, nullptr, true);
}

void TMainMenu::Unmerge(TMainMenu* Menu) {
    if (Menu && Menu == FMerged) Merge(nullptr);
}

void TMainMenu::SetMergedInto(TMainMenu* Menu) {
    if (FMergedInto) RemoveFreeNotification(FMergedInto);
    FMergedInto = Menu;
    if (FMergedInto) FreeNotification(FMergedInto);
}

// Each merged item goes before the first item of a higher group: the own items keep their
// order, and merged items of one group stay together in theirs.
std::vector<TMenuItem*> TMainMenu::RootEntries() const {
    std::vector<TMenuItem*> entries = TMenu::RootEntries();
    if (!FMerged) return entries;
    const std::vector<TMenuItem*> merged = FMerged->TMenu::RootEntries();
    std::set<Byte> groups;
    for (TMenuItem* item : merged) groups.insert(item->GroupIndex());
    std::erase_if(entries, [&](TMenuItem* item) { return groups.count(item->GroupIndex()) > 0; });
    for (TMenuItem* item : merged) {
        auto at = std::find_if(entries.begin(), entries.end(), [&](TMenuItem* own) {
            return own->GroupIndex() > item->GroupIndex();
        });
        entries.insert(at, item);
    }
    return entries;
}

bool TMainMenu::IsShortCut(const TMessage& Message) {
    return TMenu::IsShortCut(Message) || (FMerged && FMerged->IsShortCut(Message));
}

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    TMenu::MenuChanged(Sender, Source, Rebuild);
    if (FWindowHandle) DrawMenuBar(FWindowHandle);
    if (FMergedInto) {
        FMergedInto->Items()->RebuildEntries();
        FMergedInto->MenuChanged(FMergedInto, Source, Rebuild);
    }
}

void TMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FMergedInto) FMergedInto = nullptr;
    if (AComponent == FMerged) {
        FMerged = nullptr;
        Items()->RebuildEntries();
        MenuChanged(this, nullptr, true);
    }
}
