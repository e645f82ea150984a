// The library units' version records and their module entries. The records live in one table
// for the life of the process: the registry keeps pointers to them.
#include "support/Ucl/UclUnitVersioning.h"

#include <map>

namespace {

TUnitVersionInfo MakeRecord(const UnicodeString& unit) {
    TUnitVersionInfo info;
    info.RCSfile = L"$URL: support/Ucl/" + unit + L".cpp $";
    info.Revision = L"$Revision: 1 $";
    info.Date = L"$Date: 2026-12-10 12:00:00 +0000 $";
    info.LogPath = L"support/Ucl";
    return info;
}

} // namespace

// Written during start-up on the main thread only.
const TUnitVersionInfo* UclUnitVersionRecord(const UnicodeString& unit) {
    static std::map<UnicodeString, TUnitVersionInfo> records;
    auto it = records.find(unit);
    if (it == records.end()) it = records.emplace(unit, MakeRecord(unit)).first;
    return &it->second;
}

TModuleEntry UnitVersionedModule(const UnicodeString& unit, std::function<void()> initialize,
                                 std::function<void()> finalize) {
    return {unit,
            {},
            [unit, initialize] {
                PublishUnitVersion(ThisModuleInstance(), UclUnitVersionRecord(unit));
                if (initialize) initialize();
            },
            [finalize] {
                if (finalize) finalize();
                WithdrawUnitVersions(ThisModuleInstance());
            }};
}

// Its shut-down withdraws like the others, then lets go of the registry.
TModuleEntry UclUnitVersioningModule() {
    TModuleEntry entry = UnitVersionedModule(L"UclUnitVersioning", nullptr, nullptr);
    entry.Finalize = [withdraw = entry.Finalize] {
        withdraw();
        ShutdownUnitVersioning();
    };
    return entry;
}
