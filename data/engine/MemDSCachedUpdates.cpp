// The memory dataset's cached updates: the switch, the visible record types, the update status
// and result of a record, and the five log operations, with the change being processed shown
// through the new and old cache buffers.
#include "data/engine/MemDS.h"

#include <cstring>

void TMemDataSet::CheckCachedUpdates() const {
    if (!FCachedUpdates) DatabaseError(L"Not in cached update mode");
}

void TMemDataSet::SetCachedUpdates(bool Value) {
    if (Value == FCachedUpdates) return;
    CheckInactive();
    FCachedUpdates = Value;
    if (FData) FData->SetCachedUpdates(Value);
}

TUpdateRecordTypes TMemDataSet::UpdateRecordTypes() const {
    CheckCachedUpdates();
    return FUpdateRecordTypes;
}

void TMemDataSet::SetUpdateRecordTypes(TUpdateRecordTypes Value) {
    CheckCachedUpdates();
    if (Active()) {
        UpdateCursorPos();
        if (State() == dsEdit || State() == dsInsert) {
            UpdateRecord();
            if (Modified())
                Post();
            else
                Cancel();
        } else if (State() == dsSetKey) {
            Post();
        }
    }
    FUpdateRecordTypes = Value;
    if (FData) FData->SetFilterItemTypes(ItemTypesOf(Value));
    if (Active()) Resync({});
}

bool TMemDataSet::UpdatesPending() const { return FData && FData->UpdatesPending(); }

TUpdateStatus TMemDataSet::UpdateStatus() {
    if (!FCachedUpdates || IsEmpty()) return usUnmodified;
    TRecordBuffer buffer = State() == dsCalcFields ? CalcBuffer() : ActiveBuffer();
    return TUpdateStatus(RecInfo(buffer)[4]);
}

TUpdateAction TMemDataSet::UpdateResult() {
    UpdateCursorPos();
    const TUpdateRecAction result = FData->GetUpdateResult();
    // A change still waiting in an unsent batch has been handed over without failing.
    if (result == urNone || result == urSuspended) return uaApplied;
    return TUpdateAction(result);
}

void TMemDataSet::WithCacheBuffers(bool Commit) {
    UpdateCursorPos();
    NewCacheRecBuf = AllocRecordBuffer();
    OldCacheRecBuf = AllocRecordBuffer();
    struct TRelease {
        TMemDataSet* Self;
        ~TRelease() {
            Self->FInCacheProcessing = false;
            Self->FData->SetCacheRecBuf(nullptr, nullptr);
            Self->FreeRecordBuffer(Self->NewCacheRecBuf);
            Self->FreeRecordBuffer(Self->OldCacheRecBuf);
        }
    };
    {
        TRelease release{this};
        FInCacheProcessing = true;
        FData->SetCacheRecBuf(NewCacheRecBuf, OldCacheRecBuf);
        try {
            if (Commit)
                FData->CommitUpdates();
            else
                FData->ApplyUpdates();
        } catch (...) {
            if (!Commit) {
                FInCacheProcessing = false;
                Resync({});
            }
            throw;
        }
    }
    Resync({});
}

void TMemDataSet::ApplyUpdates() {
    CheckActive();
    FreeBufferComplexFields();
    if (State() != dsBrowse) Post();
    CheckCachedUpdates();
    WithCacheBuffers(false);
}

void TMemDataSet::CommitUpdates() {
    CheckActive();
    CheckCachedUpdates();
    FreeBufferComplexFields();
    WithCacheBuffers(true);
}

void TMemDataSet::CancelUpdates() {
    CheckActive();
    FreeBufferComplexFields();
    Cancel();
    CheckCachedUpdates();
    UpdateCursorPos();
    FData->CancelUpdates();
    Resync({});
}

void TMemDataSet::RestoreUpdates() {
    CheckActive();
    FreeBufferComplexFields();
    Cancel();
    CheckCachedUpdates();
    UpdateCursorPos();
    FData->RestoreUpdates();
    Resync({});
}

void TMemDataSet::RevertRecord() {
    CheckActive();
    if (!IsEmpty()) FreeRecBufComplexFields(ActiveBuffer(), true);
    if (State() == dsEdit || State() == dsInsert || State() == dsSetKey) Cancel();
    CheckCachedUpdates();
    UpdateCursorPos();
    FData->RevertRecord();
    Resync({});
}
