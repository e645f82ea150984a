// `TStringList`: the items, owned objects and change events. Every change runs between
// Changing and Changed, which fire the events now or, inside an update block, once for the
// whole block. An owned object is freed after its item has left the list, so that a handler or
// destructor looking at the list never meets a freed object.
#include "framework/StringLists.h"

#include <algorithm>

TStringList::~TStringList() {
    if (FOwnsObjects) FreeObjects(FItems);
}

UnicodeString TStringList::Strings(int index) const {
    CheckIndex(index, Count());
    return FItems[static_cast<std::size_t>(index)].FString;
}

void TStringList::Put(int index, const UnicodeString& text) {
    CheckUnsorted();
    CheckIndex(index, Count());
    Changing();
    FItems[static_cast<std::size_t>(index)].FString = text;
    Changed();
}

TObject* TStringList::Objects(int index) const {
    CheckIndex(index, Count());
    return FItems[static_cast<std::size_t>(index)].FObject;
}

void TStringList::PutObject(int index, TObject* object) {
    CheckIndex(index, Count());
    Changing();
    FItems[static_cast<std::size_t>(index)].FObject = object;
    Changed();
}

int TStringList::AddObject(const UnicodeString& text, TObject* object) {
    int index = Count();
    if (FSorted && Find(text, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError)
            throw EStringListError(L"String list does not allow duplicates");
    }
    InsertItem(index, text, object);
    return index;
}

void TStringList::InsertObject(int index, const UnicodeString& text, TObject* object) {
    CheckUnsorted();
    CheckIndex(index, Count() + 1);
    InsertItem(index, text, object);
}

void TStringList::InsertItem(int index, const UnicodeString& text, TObject* object) {
    Changing();
    FItems.insert(FItems.begin() + index, TStringItem{text, object});
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count());
    Changing();
    TObject* object = FItems[static_cast<std::size_t>(index)].FObject;
    FItems.erase(FItems.begin() + index);
    if (FOwnsObjects && object) object->Free();
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    Changing();
    std::vector<TStringItem> doomed = std::move(FItems);
    FItems.clear();
    if (FOwnsObjects) FreeObjects(doomed);
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    CheckUnsorted();
    CheckIndex(index1, Count());
    CheckIndex(index2, Count());
    Changing();
    std::swap(FItems[static_cast<std::size_t>(index1)], FItems[static_cast<std::size_t>(index2)]);
    Changed();
}

void TStringList::Move(int currentIndex, int newIndex) {
    CheckUnsorted();
    CheckIndex(currentIndex, Count());
    CheckIndex(newIndex, Count());
    if (currentIndex == newIndex) return;
    Changing();
    const auto current = FItems.begin() + currentIndex, target = FItems.begin() + newIndex;
    if (currentIndex < newIndex)
        std::rotate(current, current + 1, target + 1);
    else
        std::rotate(target, current, current + 1);
    Changed();
}

void TStringList::Changing() {
    if (UpdateCount() > 0 && FChangedInUpdate) return;
    OnChanging(this);
    if (UpdateCount() > 0) FChangedInUpdate = true;
}

void TStringList::Changed() {
    if (UpdateCount() == 0) OnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating || !FChangedInUpdate) return;
    FChangedInUpdate = false;
    OnChange(this);
}

void TStringList::CheckIndex(int index, int count) const {
    if (index < 0 || index >= count) IndexError(index);
}

void TStringList::CheckUnsorted() const {
    if (FSorted) throw EStringListError(L"Operation not allowed on sorted list");
}

void TStringList::FreeObjects(std::vector<TStringItem>& items) const noexcept {
    for (TStringItem& item : items)
        if (item.FObject) item.FObject->Free();
}
