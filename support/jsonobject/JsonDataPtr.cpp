// The user's data pointer of a value, kept in one table for the process rather than in every
// value: a document's millions of values rarely carry one. A value marks that it has one, so
// only those that do ever reach the table. The table is shared by values on any thread and so
// is guarded by a lock.
#include "support/jsonobject/jsonobject.h"

#include <windows.h>

#include <unordered_map>

namespace {

SRWLOCK Lock = SRWLOCK_INIT;

// Never destroyed: a value that dies during the process's shutdown may still look into it.
std::unordered_map<const TJsonObject*, void*>& Pointers() {
    static auto* pointers = new std::unordered_map<const TJsonObject*, void*>;
    return *pointers;
}

class TExclusive {
public:
    TExclusive() noexcept { AcquireSRWLockExclusive(&Lock); }
    ~TExclusive() { ReleaseSRWLockExclusive(&Lock); }
    TExclusive(const TExclusive&) = delete;
    TExclusive& operator=(const TExclusive&) = delete;
};

} // namespace

void* TJsonObject::DataPtr() const noexcept {
    if (!FHasDataPtr) return nullptr;
    AcquireSRWLockShared(&Lock);
    void* value = Pointers().find(this)->second;
    ReleaseSRWLockShared(&Lock);
    return value;
}

void TJsonObject::SetDataPtr(void* value) {
    if (!value && !FHasDataPtr) return;
    TExclusive exclusive;
    if (value)
        Pointers()[this] = value;
    else
        Pointers().erase(this);
    FHasDataPtr = value != nullptr;
}

void TJsonObject::ForgetDataPtr() noexcept {
    if (!FHasDataPtr) return;
    TExclusive exclusive;
    Pointers().erase(this);
}
