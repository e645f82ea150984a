// Synchronous mode: BeginSynch and EndSynch nest; the outermost BeginSynch stops every delayed
// piece of work (the seven timers, the incremental search), delivers a pending structure change
// and a pending change at once, and enters tsSynchMode, under which later notifications are
// delivered without delay. OnUpdating reports usBeginSynch, usSynch for each inner level in
// either direction, and usEndSynch.
#include "vtree/VTInternal.h"

void TBaseVirtualTree::BeginSynch() {
    if (Destroying()) return;
    if (FStates.Contains(tsSynchMode)) {
        DoUpdating(usSynch);
    } else {
        DoUpdating(usBeginSynch);
        for (TVTTimerId id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, ChangeTimer,
                              StructureChangeTimer, SearchTimer})
            StopTimer(id);
        FSearchBuffer.clear();
        FLastSearchNode = nullptr;
        DoStateChange({}, {tsEditPending, tsIncrementalSearching, tsScrolling, tsScrollPending});
        if (FStates.Contains(tsStructureChangePending))
            DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
    }
    ++FSynchUpdateCount;
    DoStateChange({tsSynchMode});
}

void TBaseVirtualTree::EndSynch() {
    if (FSynchUpdateCount > 0) --FSynchUpdateCount;
    if (Destroying()) return;
    if (FSynchUpdateCount > 0) return DoUpdating(usSynch);
    DoStateChange({}, {tsSynchMode});
    DoUpdating(usEndSynch);
}
