// The list of run-time type records, guarded by its own critical section.
#include "support/Ucl/UclRTTI.h"

#include "framework/SyncObjs.h"
#include "support/Ucl/UclUnitVersioning.h"

#include <vector>

namespace {

struct TTypeEntry {
    TUclTypeRecord* Type;
    int References;
};

TCriticalSection& ListLock() {
    static TCriticalSection lock;
    return lock;
}

// Guarded by ListLock().
std::vector<TTypeEntry>& TypeList() {
    static std::vector<TTypeEntry> list;
    return list;
}

} // namespace

void AddTypeRecord(TUclTypeRecord* type) {
    TLock hold(ListLock());
    for (TTypeEntry& entry : TypeList())
        if (entry.Type == type) return void(++entry.References);
    TypeList().push_back({type, 1});
}

void ReleaseTypeRecord(TUclTypeRecord* type) {
    TUclTypeRecord* doomed = nullptr;
    {
        TLock hold(ListLock());
        auto& list = TypeList();
        for (std::size_t i = list.size(); i-- > 0;) {
            if (list[i].Type != type) continue;
            if (--list[i].References == 0) {
                doomed = type;
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            }
            break;
        }
    }
    if (!doomed) return;
    if (doomed->Kind == tkSet && doomed->ElementType) ReleaseTypeRecord(doomed->ElementType);
    if (doomed->Kind == tkEnumeration && doomed->BaseType && doomed->BaseType != doomed)
        ReleaseTypeRecord(doomed->BaseType);
    delete doomed;
}

int TypeRecordCount() {
    TLock hold(ListLock());
    return static_cast<int>(TypeList().size());
}

void ReleaseAllTypeRecords() {
    for (;;) {
        TUclTypeRecord* last = nullptr;
        {
            TLock hold(ListLock());
            if (TypeList().empty()) return;
            last = TypeList().back().Type;
        }
        ReleaseTypeRecord(last);
    }
}

TModuleEntry UclRTTIModule() {
    return UnitVersionedModule(L"UclRTTI", nullptr, ReleaseAllTypeRecords);
}
