// TDataSet's data events and control notifications, its sources, and the provider-support
// answers of a dataset that is not SQL-based. While controls are disabled, events are not passed
// on; EnableControls then tells the sources once: the state if it changed, and a dataset change
// (a layout change when the layout changed or the dataset closed meanwhile).
#include "framework/DB.h"

#include <algorithm>

void TDataSet::DataEvent(TDataEvent Event, NativeInt Info) {
    if (Event == deFieldChange) {
        auto* field = reinterpret_cast<TField*>(Info);
        if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) SetModified(true);
        if (FState != dsCalcFields && FState != dsSetKey) {
            if (FAutoCalcFields && (FCalcFieldsSize > 0 || FInternalCalcFields))
                GetCalcFields(ActiveBuffer());
            field->Change();
        }
    }
    NotifySources(Event, Info);
    if ((Event == deDataSetChange || Event == deDataSetScroll) && FDisableCount == 0)
        NotifyNestedDataSets();
}

void TDataSet::NotifyNestedDataSets() {
    for (int i = 0; i < FNestedDataSets->Count(); ++i) {
        auto* nested = static_cast<TDataSet*>(FNestedDataSets->Items(i));
        if (nested->Active()) nested->DataEvent(deParentScroll, 0);
    }
}

void TDataSet::NotifySources(TDataEvent Event, NativeInt Info) {
    if (FDisableCount == 0) {
        if (FDataSources.empty()) return;
        const std::vector<TDataSource*> sources = FDataSources;
        for (TDataSource* source : sources) source->DataEvent(Event, Info);
    } else if ((Event == deUpdateState && FState == dsInactive) || Event == deLayoutChange) {
        FEnableEvent = deLayoutChange;
    }
}

void TDataSet::DisableControls() {
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount != 0) return;
    if (FDisableState != FState) DataEvent(deUpdateState, 0);
    if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
}

void TDataSet::AddDataSource(TDataSource* DataSource) {
    FDataSources.push_back(DataSource);
    if (Active()) UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* DataSource) {
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), DataSource),
                       FDataSources.end());
    if (Active()) UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* DataSource) const {
    // A chain of masters longer than this is a circle.
    for (int depth = 0; DataSource && depth < 1000; ++depth) {
        TDataSet* dataSet = DataSource->DataSet();
        if (!dataSet) return false;
        if (dataSet == this) return true;
        DataSource = dataSet->GetDataSource();
    }
    return DataSource != nullptr;
}

void TDataSet::GetDetailLinkFields(std::vector<TField*>& MasterFields,
                                   std::vector<TField*>& DetailFields) {
    MasterFields.clear();
    DetailFields.clear();
}

// ---- provider support

namespace {

[[noreturn]] void NotSupported(TDataSet* dataSet) {
    DatabaseError(L"Operation not supported", dataSet);
}

} // namespace

void TDataSet::PSSetParams(TParams* Params) {
    if (Params && Params->Count() > 0) NotSupported(this);
}

void TDataSet::PSSetCommandText(const UnicodeString& CommandText) {
    if (!CommandText.empty()) NotSupported(this);
}

int TDataSet::PSExecuteStatement(const UnicodeString&, TParams*, TDataSet**) { NotSupported(this); }

void TDataSet::PSExecute() { NotSupported(this); }

void TDataSet::PSReset() {
    if (!Active()) return;
    Close();
    Open();
}

void TDataSet::PSEndTransaction(bool) {}

UnicodeString TDataSet::PSGetKeyFields() {
    UnicodeString keys;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = FFields->Fields(i);
        if (!field->ProviderFlags().Contains(pfInKey)) continue;
        if (!keys.empty()) keys += L';';
        keys += field->FieldName();
    }
    return keys;
}

bool TDataSet::PSUpdateRecord(TUpdateKind, TDataSet*) { return false; }
