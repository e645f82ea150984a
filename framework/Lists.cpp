// TList: a pointer array with an explicit capacity that grows in steps (4, then 16, then a
// quarter of the current capacity), so that a list filled one item at a time reallocates
// rarely. Notifications go out after the list has changed, so an override sees the list as it
// now is.
#include "framework/Lists.h"

#include <algorithm>

namespace {

[[noreturn]] void ListError(const wchar_t* what, int value) {
    throw EListError(UnicodeString(L"List ") + what + L" out of bounds (" + std::to_wstring(value) +
                     L")");
}

} // namespace

void TList::BeforeDestruction() {
    TObject::BeforeDestruction();
    Clear();
}

void TList::CheckIndex(int Index, int Limit) const {
    if (Index < 0 || Index >= Limit) ListError(L"index", Index);
}

void TList::Grow() {
    const int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
    // Up to the limit and no further: a full list refuses to grow past it.
    SetCapacity(FCapacity == MaxListSize ? MaxListSize + 1
                                         : std::min(FCapacity + delta, MaxListSize));
}

int TList::Add(void* Item) {
    const int index = Count();
    Insert(index, Item);
    return index;
}

void TList::Insert(int Index, void* Item) {
    CheckIndex(Index, Count() + 1);
    if (Count() == FCapacity) Grow();
    FList.insert(FList.begin() + Index, Item);
    if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    CheckIndex(Index, Count());
    void* item = FList[static_cast<std::size_t>(Index)];
    FList.erase(FList.begin() + Index);
    if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* Item) {
    const int index = IndexOf(Item);
    if (index >= 0) Delete(index);
    return index;
}

void* TList::Extract(void* Item) {
    const int index = IndexOf(Item);
    if (index < 0) return nullptr;
    FList.erase(FList.begin() + index);
    if (Item) Notify(Item, lnExtracted);
    return Item;
}

int TList::IndexOf(void* Item) const {
    const auto found = std::find(FList.begin(), FList.end(), Item);
    return found == FList.end() ? -1 : static_cast<int>(found - FList.begin());
}

void* TList::Items(int Index) const {
    CheckIndex(Index, Count());
    return FList[static_cast<std::size_t>(Index)];
}

void TList::SetItems(int Index, void* Item) {
    CheckIndex(Index, Count());
    void*& slot = FList[static_cast<std::size_t>(Index)];
    void* old = slot;
    if (old == Item) return;
    slot = Item;
    if (old) Notify(old, lnDeleted);
    if (Item) Notify(Item, lnAdded);
}

void* TList::First() const { return Items(0); }

void* TList::Last() const { return Items(Count() - 1); }

void TList::SetCount(int NewCount) {
    if (NewCount < 0 || NewCount > MaxListSize) ListError(L"count", NewCount);
    if (NewCount > FCapacity) SetCapacity(NewCount);
    if (NewCount > Count()) FList.resize(static_cast<std::size_t>(NewCount), nullptr);
    while (Count() > NewCount) Delete(Count() - 1);
}

void TList::SetCapacity(int NewCapacity) {
    if (NewCapacity < Count() || NewCapacity > MaxListSize) ListError(L"capacity", NewCapacity);
    if (NewCapacity == FCapacity) return;
    std::vector<void*> resized;
    resized.reserve(static_cast<std::size_t>(NewCapacity));
    resized.assign(FList.begin(), FList.end());
    FList.swap(resized);
    FCapacity = NewCapacity;
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1, Count());
    CheckIndex(Index2, Count());
    std::swap(FList[static_cast<std::size_t>(Index1)], FList[static_cast<std::size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex, Count());
    CheckIndex(NewIndex, Count());
    const auto from = FList.begin() + CurIndex;
    const auto to = FList.begin() + NewIndex;
    if (CurIndex < NewIndex)
        std::rotate(from, from + 1, to + 1);
    else
        std::rotate(to, from, from + 1);
}

void TList::Sort(TListSortCompare Compare) {
    // Sorted in a copy: a comparison that raises must not leave the list half merged.
    std::vector<void*> sorted(FList);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [Compare](void* a, void* b) { return Compare(a, b) < 0; });
    sorted.reserve(FList.capacity());
    FList.swap(sorted);
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::Notify(void*, TListNotification) {}
