// Data sources and data links: the path by which a dataset's events reach controls and detail
// datasets. A source passes events on only while it is enabled and its dataset is not inactive;
// detail links hear each event before the other links, so that details follow their master
// before anything shows the master's change. A link keeps its own window of BufferCount records
// inside the dataset's buffers (FFirstRecord is where it starts).
#include "framework/DB.h"

#include <algorithm>

// ---- TDataLink

TDataLink::~TDataLink() = default;

void TDataLink::BeforeDestruction() {
    SetDataSource(nullptr);
    TPersistent::BeforeDestruction();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource) return;
    if (TDataSet* detail = GetDetailDataSet(); detail && Value) {
        // A chain of masters longer than this is a circle.
        TDataSource* source = Value;
        for (int depth = 0; source && depth < 1000; ++depth) {
            TDataSet* master = source->DataSet();
            if (!master) break;
            if (master == detail || depth == 999)
                DatabaseError(L"Circular datalinks are not allowed", detail);
            source = master->GetDataSource();
        }
    }
    if (FDataSource) FDataSource->RemoveDataLink(this);
    FDataSource = Value;
    if (FDataSource) FDataSource->AddDataLink(this);
    UpdateState();
}

void TDataLink::UpdateState() {
    SetActive(FDataSource && FDataSource->Enabled() && FDataSource->State() != dsInactive);
    const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
    SetEditing((state == dsEdit || state == dsInsert || state == dsSetKey) && !FReadOnly);
}

void TDataLink::SetActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    if (Value)
        UpdateRange();
    else
        FFirstRecord = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
    if (FEditing == Value) return;
    FEditing = Value;
    EditingChanged();
}

void TDataLink::SetReadOnly(bool Value) {
    if (FReadOnly == Value) return;
    FReadOnly = Value;
    UpdateState();
}

void TDataLink::SetBufferCount(int Value) {
    if (Value < 1) Value = 1;
    if (FBufferCount == Value) return;
    FBufferCount = Value;
    if (FActive) {
        DataSet()->UpdateBufferCount();
        UpdateRange();
    }
}

void TDataLink::UpdateRange() {
    TDataSet* dataSet = DataSet();
    if (!dataSet) return;
    const int active = dataSet->FActiveRecord;
    const int low = std::max(0, active - FBufferCount + 1);
    const int high = std::max(low, std::min(active, dataSet->FBufferCount - FBufferCount));
    FFirstRecord = std::clamp(FFirstRecord, low, high);
}

int TDataLink::ActiveRecord() const {
    TDataSet* dataSet = DataSet();
    return dataSet && FActive ? dataSet->FActiveRecord - FFirstRecord : 0;
}

int TDataLink::RecordCount() const {
    TDataSet* dataSet = DataSet();
    if (!dataSet || !FActive) return 0;
    return std::min(dataSet->FRecordCount - FFirstRecord, FBufferCount);
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::DataSetScrolled(int) { DataSetChanged(); }

void TDataLink::FocusControl(TField**) {}

void TDataLink::RecordChanged(TField*) {}

void TDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
    if (Event == deUpdateState) return UpdateState();
    if (!FActive) return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        const int firstBefore = FFirstRecord;
        UpdateRange();
        if (Event == deDataSetChange)
            DataSetChanged();
        else if (Event == deDataSetScroll)
            DataSetScrolled(int(Info) + firstBefore - FFirstRecord);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(reinterpret_cast<TField**>(Info)); break;
    default: break;
    }
}

// ---- TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

void TDataSource::BeforeDestruction() {
    SetDataSet(nullptr);
    while (!FDataLinks.empty()) FDataLinks.back()->SetDataSource(nullptr);
    TComponent::BeforeDestruction();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet) return;
    if (Value && IsLinkedTo(Value)) DatabaseError(L"Circular datalinks are not allowed", this);
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = Value;
    if (FDataSet) {
        FDataSet->FreeNotification(this);
        FDataSet->AddDataSource(this);
    }
    SetState(FDataSet && FEnabled ? FDataSet->State() : dsInactive);
}

void TDataSource::SetEnabled(bool Value) {
    FEnabled = Value;
    SetState(FDataSet && FEnabled ? FDataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
    if (FState == Value) return;
    const TDataSetState prior = FState;
    FState = Value;
    NotifyDataLinks(deUpdateState, 0);
    if (ComponentState().Contains(csDestroying)) return;
    OnStateChange(this);
    if (prior == dsInactive) OnDataChange(this, nullptr);
}

void TDataSource::Edit() {
    if (FAutoEdit && FState == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const {
    for (TDataLink* link : FDataLinks) {
        auto* detailLink = dynamic_cast<TDetailDataLink*>(link);
        TDataSet* detail = detailLink ? detailLink->DetailDataSet() : nullptr;
        if (!detail) continue;
        if (detail == DataSet) return true;
        for (TDataSource* source : detail->FDataSources)
            if (source != this && source->IsLinkedTo(DataSet)) return true;
    }
    return false;
}

void TDataSource::AddDataLink(TDataLink* DataLink) {
    FDataLinks.push_back(DataLink);
    if (FDataSet && FDataSet->Active()) FDataSet->UpdateBufferCount();
}

void TDataSource::RemoveDataLink(TDataLink* DataLink) {
    FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), DataLink), FDataLinks.end());
    if (FDataSet && FDataSet->Active()) FDataSet->UpdateBufferCount();
}

void TDataSource::DataEvent(TDataEvent Event, NativeInt Info) {
    if (Event == deUpdateState) {
        SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
        return;
    }
    if (FState == dsInactive) return;
    NotifyDataLinks(Event, Info);
    switch (Event) {
    case deFieldChange: OnDataChange(this, reinterpret_cast<TField*>(Info)); break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: OnDataChange(this, nullptr); break;
    case deUpdateRecord: OnUpdateData(this); break;
    default: break;
    }
}

void TDataSource::NotifyDataLinks(TDataEvent Event, NativeInt Info) {
    NotifyLinkTypes(Event, Info, true);
    NotifyLinkTypes(Event, Info, false);
}

void TDataSource::NotifyLinkTypes(TDataEvent Event, NativeInt Info, bool LinkType) {
    const std::vector<TDataLink*> links = FDataLinks;
    for (TDataLink* link : links) {
        const bool isDetail = dynamic_cast<TDetailDataLink*>(link) != nullptr;
        // A link removed by an earlier one's handler hears nothing more.
        if (isDetail == LinkType &&
            std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end())
            link->DataEvent(Event, Info);
    }
}
