// TThreadList: a TList guarded by a critical section that the thread list owns. The critical
// section lives at a fixed address for the object's life (it cannot be moved once initialised),
// so it sits behind a pointer; every operation holds it through a scoped guard, so an error
// raised inside (dupError) never leaves the list locked.
#include "framework/Lists.h"

#include <windows.h>

class TThreadList::TLock {
public:
    TLock() { InitializeCriticalSection(&FSection); }
    ~TLock() { DeleteCriticalSection(&FSection); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

    void Enter() { EnterCriticalSection(&FSection); }
    void Leave() { LeaveCriticalSection(&FSection); }

private:
    CRITICAL_SECTION FSection;
};

class TThreadList::THold {
public:
    explicit THold(TLock& lock) : FLock(lock) { FLock.Enter(); }
    ~THold() { FLock.Leave(); }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

private:
    TLock& FLock;
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
    FLock->Enter();
    return FList;
}

void TThreadList::UnlockList() { FLock->Leave(); }

TDuplicates TThreadList::Duplicates() const {
    THold hold(*FLock);
    return FDuplicates;
}

void TThreadList::SetDuplicates(TDuplicates Value) {
    THold hold(*FLock);
    FDuplicates = Value;
}
