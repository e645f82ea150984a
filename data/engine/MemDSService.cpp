// The dataset updater (the decisions around a write: update events, their actions, batches,
// local-only datasets, deferred posts) and the dataset service (field classes, number ranges).
#include "data/engine/MemDS.h"

#include <cmath>

namespace {
// Puts the dataset's Modified flag back as it was when an entry began, also after a failure.
struct TKeepModified {
    TMemDataSet* DataSet;
    bool Modified;
    explicit TKeepModified(TMemDataSet* dataSet)
        : DataSet(dataSet), Modified(dataSet->Modified()) {}
    ~TKeepModified() { DataSet->SetModified(Modified); }
};
} // namespace

// ---- updater

TDataSetUpdater::TDataSetUpdater(TDataSetService* AOwner)
    : FDataSet(AOwner ? AOwner->DataSet() : nullptr), FDataSetService(AOwner) {
    if (!AOwner) throw EAssertionFailed(L"An updater needs its service");
}

void TDataSetUpdater::WriteAppendedRecord() {
    TKeepModified keep(FDataSet);
    if (FDataSet->LocalUpdate()) return;
    if (FDataSet->InDeferredPost())
        WriteUpdatedRecord();
    else
        PerformAppend();
}

void TDataSetUpdater::WriteDeletedRecord() {
    TKeepModified keep(FDataSet);
    if (!FDataSet->LocalUpdate()) PerformDelete();
}

void TDataSetUpdater::WriteUpdatedRecord() {
    TKeepModified keep(FDataSet);
    if (!FDataSet->LocalUpdate()) PerformUpdate();
}

void TDataSetUpdater::ApplyRecordUpdate(TUpdateRecKind UpdateKind, TUpdateRecAction& Action,
                                        bool LastItem) {
    TKeepModified keep(FDataSet);
    TUpdateRecAction result = urApplied;
    const TUpdateAction updateAction = ApplyChange(UpdateKind, result, LastItem);
    Action = result == urSuspended ? urSuspended : TUpdateRecAction(updateAction);
}

TUpdateAction TDataSetUpdater::ApplyChange(TUpdateRecKind UpdateKind, TUpdateRecAction& Action,
                                           bool LastItem) {
    TUpdateAction updateAction = uaFail;
    try {
        const bool handled = bool(FDataSet->OnUpdateRecord);
        if (handled) {
            FDataSet->OnUpdateRecord(FDataSet, TUpdateKind(UpdateKind), updateAction);
            if (updateAction == uaFail && !SilentUpdateFailure) DatabaseError(L"Update failed");
            if (updateAction == uaAbort) Abort();
        }
        if (!handled || updateAction == uaWriteAsUnhandled) {
            switch (UpdateKind) {
            case ukInsert: PerformAppend(); break;
            case ukDelete: PerformDelete(); break;
            case ukUpdate: PerformUpdate(); break;
            }
            if (IsBatchUpdate() && !LastItem && !IsBatchFull()) {
                Action = urSuspended;
                return updateAction;
            }
            if (IsBatchUpdate()) FlushBatch();
            updateAction = uaApplied;
        }
    } catch (EDatabaseError& E) {
        if (!FDataSet->OnUpdateError) throw;
        FDataSet->OnUpdateError(FDataSet, E, TUpdateKind(UpdateKind), updateAction);
        if (updateAction == uaFail) throw;
        if (updateAction == uaAbort) Abort();
    }
    return updateAction;
}

// ---- service

TDataSetService::TDataSetService(TMemDataSet* AOwner) : FDataSet(AOwner) {}

void TDataSetService::AfterConstruction() {
    TObject::AfterConstruction();
    NewUpdater();
}

void TDataSetService::BeforeDestruction() {
    FreeAndNil(FUpdater);
    TObject::BeforeDestruction();
}

void TDataSetService::NewUpdater() { InstallUpdater(Construct<TDataSetUpdater>(this)); }

void TDataSetService::InstallUpdater(TDataSetUpdater* Updater) {
    FreeAndNil(FUpdater);
    FUpdater = Updater;
}

TFieldClass TDataSetService::FieldClassOfType(TFieldType FieldType) const {
    return DefaultFieldClass(FieldType);
}

bool TDataSetService::SetProp(Integer, Variant&) {
    throw EAssertionFailed(L"Unknown dataset service property");
}

bool TDataSetService::GetProp(Integer, Variant&) {
    throw EAssertionFailed(L"Unknown dataset service property");
}

void TDataSetService::ApplyNumberRange(TFieldDef* FieldDef) {
    const TFieldType type = FieldDef->DataType();
    if (type != ftSmallint && type != ftInteger && type != ftFloat && type != ftLargeint) return;
    TField* field = FDataSet->FindField(FieldDef->Name());
    if (!field) return;
    FDataSet->CheckFieldCompatibility(field, FieldDef);
    TFieldDesc* desc = FDataSet->Data()->FieldByName(FieldDef->Name());
    const Integer length = desc->Length(), scale = desc->Scale();
    // Lengths whose largest value does not fit the field's integer keep the type's own range.
    if (type == ftSmallint || type == ftInteger) {
        auto* integerField = dynamic_cast<TIntegerField*>(field);
        if (!integerField) throw EAssertionFailed(L"An integer definition needs an integer field");
        if (length > 9) return;
        const auto max = Int64(std::llround(std::pow(10.0, length))) - 1;
        integerField->SetMaxValue(max);
        integerField->SetMinValue(-max);
    } else if (type == ftLargeint) {
        auto* largeField = dynamic_cast<TLargeintField*>(field);
        if (!largeField) throw EAssertionFailed(L"A large-integer definition needs its field");
        if (length > 18) return;
        Int64 max = 1;
        for (Integer i = 0; i < length; ++i) max *= 10;
        largeField->SetMaxValue(max - 1);
        largeField->SetMinValue(-(max - 1));
    } else {
        auto* floatField = dynamic_cast<TFloatField*>(field);
        if (!floatField) throw EAssertionFailed(L"A float definition needs a float field");
        if (length < 1 || length > 15) return;
        floatField->SetPrecision(length);
        const double max = std::pow(10.0, length - scale) - std::pow(10.0, -scale);
        floatField->SetMaxValue(max);
        floatField->SetMinValue(-max);
    }
}
