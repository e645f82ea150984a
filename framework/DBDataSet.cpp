// TDataSet: construction, the state machine, opening and closing, and the binding of fields to
// their definitions. Buffers and navigation are in DBDataSetBuffers.cpp, the edit cycle in
// DBDataSetEdit.cpp, field data and calculated fields in DBDataSetFieldData.cpp, searching in
// DBDataSetSearch.cpp, events and provider support in DBDataSetEvents.cpp.
//
// States (State()):
//
//               Open: SetActive(true)                      Close: SetActive(false)
//   dsInactive ───────────────────────► dsBrowse ─────────────────────────────► dsInactive
//               DoBeforeOpen, OpenCursor   │  ▲   DoBeforeClose, (InternalCancel when
//               (InternalOpen, buffers),   │  │   editing), CloseCursor, DoAfterClose
//               DoAfterOpen                │  │
//                          Edit ───────────┤  ├─────── Post (InternalPost, Resync)
//                          Insert, Append  │  │       Cancel (InternalCancel, Resync)
//                                          ▼  │       Delete from dsInsert = Cancel
//                                   dsEdit / dsInsert
//
//   Temporary states, entered with SetTempState and left with RestoreState (the state before
//   comes back; data events are not passed on meanwhile):
//     dsCalcFields   GetCalcFields: calculated and lookup fields of CalcBuffer are computed
//     dsFilter       a descendant judging a record with OnFilterRecord
//     dsOldValue, dsNewValue, dsCurValue   Get/SetStateFieldValue
//
//   What holds: dsInactive ⇔ no buffers and the descendant's cursor closed; in dsBrowse, dsEdit
//   and dsInsert the buffers hold BufferedRecordCount() records around the cursor and
//   ActiveRecord() < max(1, BufferedRecordCount()); dsEdit and dsInsert have one record being
//   changed, the active one. An exception while opening closes the cursor again and leaves
//   dsInactive.
#include "framework/DBFields.h"

#include "framework/Conversions.h"

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {
    FFields = Construct<TFields>(this);
    FFieldDefs = Construct<TFieldDefs>(this);
    FIndexDefs = Construct<TIndexDefs>(this);
    FNestedDataSets = Construct<TList>();
}

TDataSet::~TDataSet() {
    FFields->Free();
    FFieldDefs->Free();
    FIndexDefs->Free();
    FNestedDataSets->Free();
}

void TDataSet::BeforeDestruction() {
    // Free cannot let an exception out: a dataset that fails to close is freed all the same.
    try {
        SetActive(false);
    } catch (...) {
    }
    while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
    UnlinkDataSetField();
    // Datasets nested in persistent fields that outlive this one: closed and let go.
    while (FNestedDataSets->Count() > 0) {
        auto* nested = static_cast<TDataSet*>(FNestedDataSets->Items(0));
        try {
            nested->Close();
        } catch (...) {
        }
        nested->UnlinkDataSetField();
    }
    FFields->Clear();
    TComponent::BeforeDestruction();
}

void TDataSet::CheckActive() const {
    if (!Active())
        DatabaseError(L"Cannot perform this operation on a closed dataset",
                      const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const {
    if (Active())
        DatabaseError(L"Cannot perform this operation on an open dataset",
                      const_cast<TDataSet*>(this));
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
    const TDataSetState old = FState;
    FState = Value;
    ++FDisableCount;
    return old;
}

void TDataSet::RestoreState(TDataSetState Value) {
    Check(FDisableCount > 0, L"RestoreState without SetTempState");
    FState = Value;
    --FDisableCount;
}

void TDataSet::SetActive(bool Value) {
    if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Value == Active()) return;
    if (Value) {
        DoBeforeOpen();
        try {
            FState = dsOpening;
            OpenCursor(false);
        } catch (...) {
            FState = dsInactive;
            CloseCursor();
            throw;
        }
        FState = dsInactive; // SetState must see a change to tell the links
        SetState(dsBrowse);
        DoAfterOpen();
        return;
    }
    const bool destroying = ComponentState().Contains(csDestroying);
    if (!destroying) DoBeforeClose();
    if (FState == dsEdit || FState == dsInsert) InternalCancel();
    SetState(dsInactive);
    CloseCursor();
    if (!destroying) DoAfterClose();
}

void TDataSet::DoAfterOpen() {
    AfterOpen(this);
    if (!IsEmpty()) DoAfterScroll();
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive) SetActive(true);
}

void TDataSet::OpenCursor(bool InfoQuery) {
    if (InfoQuery)
        InternalInitFieldDefs();
    else
        DoInternalOpen();
}

void TDataSet::DoInternalOpen() {
    FDefaultFields = FieldCount() == 0;
    InternalOpen();
    FTempBuffer = AllocRecordBuffer();
    ClearBuffers();
    UpdateBufferCount();
    FBOF = true;
}

void TDataSet::CloseCursor() {
    CloseAndFreeBuffers();
    InternalClose();
    FCalcFieldsSize = 0;
}

void TDataSet::CloseAndFreeBuffers() {
    FreeKeyBuffers();
    ClearBuffers();
    SetBufferCount(0);
    if (FTempBuffer) FreeRecordBuffer(FTempBuffer);
    FTempBuffer = nullptr;
    FCalcBuffer = nullptr;
}

void TDataSet::InitFieldDefs() {
    if (IsCursorOpen())
        InternalInitFieldDefs();
    else
        OpenCursor(true);
    FFieldDefs->SetUpdated(true);
}

TField* TDataSet::FindField(const UnicodeString& FieldName) const {
    if (TField* field = FFields->FindField(FieldName)) return field;
    if (!FObjectView) return nullptr;
    for (TField* field : FieldList())
        if (AnsiSameText(field->FullName(), FieldName)) return field;
    return nullptr;
}

TField* TDataSet::FieldByName(const UnicodeString& FieldName) const {
    TField* field = FindField(FieldName);
    if (!field) DatabaseError(L"Field '" + FieldName + L"' not found", const_cast<TDataSet*>(this));
    return field;
}

std::vector<TField*> TDataSet::FieldList() const {
    std::vector<TField*> list;
    const auto add = [&](auto& self, TField* field) -> void {
        list.push_back(field);
        if (auto* object = dynamic_cast<TObjectField*>(field))
            for (int i = 0; i < object->FieldCount(); ++i) self(self, object->Fields()->Fields(i));
    };
    for (int i = 0; i < FFields->Count(); ++i)
        if (!FFields->Fields(i)->ParentField()) add(add, FFields->Fields(i));
    return list;
}

void TDataSet::ArrangeFields() {
    std::vector<TField*> top;
    for (int i = 0; i < FFields->Count(); ++i)
        if (!FFields->Fields(i)->ParentField()) top.push_back(FFields->Fields(i));
    FFields->FList.clear();
    const auto add = [&](auto& self, TField* field, bool listed) -> void {
        field->FDataSet = this;
        if (listed) FFields->FList.push_back(field);
        if (auto* object = dynamic_cast<TObjectField*>(field))
            for (int i = 0; i < object->FieldCount(); ++i)
                self(self, object->Fields()->Fields(i), !FObjectView);
    };
    for (TField* field : top) add(add, field, true);
}

void TDataSet::UnlinkDataSetField() {
    if (!FDataSetField) return;
    FDataSetField->FNestedDataSet = nullptr;
    if (FNestingDataSet) FNestingDataSet->FNestedDataSets->Remove(this);
    FDataSetField = nullptr;
    FNestingDataSet = nullptr;
}

void TDataSet::SetObjectView(bool Value) {
    if (Value == FObjectView) return;
    CheckInactive();
    FObjectView = Value;
    ArrangeFields();
}

void TDataSet::SetSparseArrays(bool Value) {
    if (Value == FSparseArrays) return;
    CheckInactive();
    FSparseArrays = Value;
}

void TDataSet::SetDataSetField(TDataSetField* Value) {
    if (Value == FDataSetField) return;
    CheckInactive();
    if (Value) {
        if (Value->DataSet() == this) DatabaseError(L"Circular references not permitted", this);
        if (Value->FNestedDataSet) Value->FNestedDataSet->SetDataSetField(nullptr);
    }
    UnlinkDataSetField();
    FDataSetField = Value;
    if (Value) {
        Value->FNestedDataSet = this;
        FNestingDataSet = Value->DataSet();
        if (FNestingDataSet) FNestingDataSet->FNestedDataSets->Add(this);
    }
}

std::vector<TFieldDef*> TDataSet::FieldDefList() const {
    std::vector<TFieldDef*> list;
    const auto add = [&](auto& self, TFieldDefs* defs) -> void {
        for (int i = 0; i < defs->Count(); ++i) {
            list.push_back(defs->Items(i));
            if (defs->Items(i)->HasChildDefs()) self(self, defs->Items(i)->ChildDefs());
        }
    };
    add(add, FFieldDefs);
    return list;
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const UnicodeString& FieldNames) const {
    int pos = 1;
    while (pos <= int(FieldNames.size())) {
        const UnicodeString name = ExtractFieldName(FieldNames, pos);
        if (!name.empty()) List.push_back(FieldByName(name));
    }
}

void TDataSet::GetFieldNames(TStrings* List) {
    List->BeginUpdate();
    try {
        List->Clear();
        if (FieldCount() > 0) {
            for (int i = 0; i < FieldCount(); ++i) List->Add(FFields->Fields(i)->FieldName());
        } else {
            FFieldDefs->Update();
            for (int i = 0; i < FFieldDefs->Count(); ++i) List->Add(FFieldDefs->Items(i)->Name());
        }
    } catch (...) {
        List->EndUpdate();
        throw;
    }
    List->EndUpdate();
}

Variant TDataSet::FieldValues(const UnicodeString& FieldNames) const {
    std::vector<TField*> fields;
    GetFieldList(fields, FieldNames);
    if (fields.size() == 1) return fields[0]->Value();
    Variant values = VarArrayCreate(0, int(fields.size()) - 1, varVariant);
    for (std::size_t i = 0; i < fields.size(); ++i) VarArrayPut(values, fields[i]->Value(), int(i));
    return values;
}

void TDataSet::SetFieldValues(const UnicodeString& FieldNames, const Variant& Value) {
    std::vector<TField*> fields;
    GetFieldList(fields, FieldNames);
    if (fields.size() == 1 && !VarIsArray(Value)) return fields[0]->SetAsVariant(Value);
    if (!VarIsArray(Value) ||
        VarArrayHighBound(Value, 1) - VarArrayLowBound(Value, 1) + 1 != int(fields.size()))
        DatabaseError(L"Field value count does not match the field list", this);
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i]->SetAsVariant(VarArrayGet(Value, VarArrayLowBound(Value, 1) + int(i)));
}

// ---- fields from definitions

void TDataSet::CreateFields() {
    for (int i = 0; i < FFieldDefs->Count(); ++i) {
        TFieldDef* def = FFieldDefs->Items(i);
        if (!def->Attributes().Contains(faHiddenCol) && def->FieldClass())
            def->CreateField(this, this);
    }
}

void TDataSet::DestroyFields() { FFields->Clear(); }

void TDataSet::CheckFieldCompatibility(TField* Field, TFieldDef* FieldDef) {
    const bool sameClass = DefaultFieldClass(Field->DataType()) == FieldDef->FieldClass() ||
                           Field->DataType() == FieldDef->DataType();
    if (!sameClass)
        DatabaseError(L"Type mismatch for field '" + Field->DisplayName() + L"', expecting: " +
                          FieldTypeName(Field->DataType()) + L" actual: " +
                          FieldTypeName(FieldDef->DataType()),
                      this);
    const TFieldType t = Field->DataType();
    const bool sized = t == ftString || t == ftFixedChar || t == ftWideString ||
                       t == ftFixedWideChar || t == ftBytes || t == ftVarBytes;
    if (sized && Field->Size() != FieldDef->Size())
        DatabaseError(L"Size mismatch for field '" + Field->DisplayName() + L"', expecting: " +
                          IntToStr(Field->Size()) + L" actual: " + IntToStr(FieldDef->Size()),
                      this);
}

void TDataSet::BindFields(bool Binding) {
    FCalcFieldsSize = 0;
    FInternalCalcFields = false;
    for (TField* field : FieldList()) {
        field->FOffset = 0;
        if (!Binding) {
            field->FFieldNo = 0;
            continue;
        }
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
            if (field->FieldKind() == fkLookup &&
                (!field->LookupDataSet() || field->LookupKeyFields().empty() ||
                 field->LookupResultField().empty() || field->KeyFields().empty()))
                DatabaseError(L"Lookup information for field '" + field->DisplayName() +
                                  L"' is incomplete",
                              this);
            field->FFieldNo = -1;
            field->FOffset = FCalcFieldsSize;
            FCalcFieldsSize += field->DataSize() + 1;
            continue;
        }
        if (field->FieldKind() == fkInternalCalc) FInternalCalcFields = true;
        TFieldDef* def = FFieldDefs->FindByFullName(field->FullName());
        if (!def) DatabaseError(L"Field '" + field->DisplayName() + L"' not found", this);
        CheckFieldCompatibility(field, def);
        field->FFieldNo = def->FieldNo();
    }
}
