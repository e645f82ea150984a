// TThreadList: a TList guarded by a recursive lock that the thread list owns. The lock lives at
// a fixed address for the object's life (it cannot be moved), so it sits behind a pointer;
// every operation holds it through a scoped guard, so an error raised inside (dupError) never
// leaves the list locked.
#include "framework/Lists.h"

#include <mutex>

// Recursive: the thread that holds the list through LockList may call the list again.
class TThreadList::TLock : public std::recursive_mutex {};

class TThreadList::THold : public std::lock_guard<std::recursive_mutex> {
public:
    explicit THold(TLock& lock) : lock_guard(lock) {}
};

TThreadList::TThreadList() : FLock(std::make_unique<TLock>()), FList(Construct<TList>()) {}

TThreadList::~TThreadList() { FList->Free(); }

void TThreadList::Add(void* Item) {
    THold hold(*FLock);
    if (FDuplicates != dupAccept && FList->IndexOf(Item) >= 0) {
        if (FDuplicates == dupIgnore) return;
        throw EListError(L"List does not allow duplicates");
    }
    FList->Add(Item);
}

void TThreadList::Remove(void* Item) {
    THold hold(*FLock);
    FList->Remove(Item);
}

void TThreadList::Clear() {
    THold hold(*FLock);
    FList->Clear();
}

TList* TThreadList::LockList() {
    FLock->lock();
    return FList;
}

void TThreadList::UnlockList() { FLock->unlock(); }

TDuplicates TThreadList::Duplicates() const {
    THold hold(*FLock);
    return FDuplicates;
}

void TThreadList::SetDuplicates(TDuplicates Value) {
    THold hold(*FLock);
    FDuplicates = Value;
}
