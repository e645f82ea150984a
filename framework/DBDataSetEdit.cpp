// TDataSet's edit cycle: Edit, Insert, Append, Post, Cancel, Delete, with their Before/After
// events. The descendant's Internal* operations do the work on its records; the dataset keeps the
// buffers and the state around them. Before InternalEdit, InternalDelete and the InternalPost of
// an edit, the descendant's cursor is on the active record (UpdateCursorPos). An inserted
// record's buffer carries the bookmark of the record it was inserted before (flag bfInserted),
// or bfBOF / bfEOF when inserted into an empty dataset or appended; InternalPost of an insert
// leaves the cursor on the new record, which Resync then shows.
#include "framework/DB.h"

#include <cstring>

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    switch (FState) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
        break;
    case dsSetKey: Post(); break;
    default: break;
    }
}

void TDataSet::CheckCanModify() {
    if (!CanModify()) DatabaseError(L"Cannot modify a read-only dataset", this);
}

void TDataSet::UpdateRecord() {
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
        DatabaseError(L"Dataset not in edit or insert mode", this);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckRequiredFields() {
    // Children of object fields too, whatever the object view.
    for (TField* field : FieldList()) {
        if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData &&
            field->IsNull()) {
            field->FocusControl();
            DatabaseError(L"Field '" + field->DisplayName() + L"' must have a value", this);
        }
    }
}

void TDataSet::InternalPost() { CheckRequiredFields(); }

void TDataSet::InternalHandleException() {}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRecordCount == 0) return Insert();
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    UpdateCursorPos();
    InternalEdit();
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoAfterEdit();
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeInsert();
    NotifyBeforeScroll();
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        InternalCancel();
        SetState(dsBrowse);
        Resync({});
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange, 0);
    DoAfterInsert();
    NotifyAfterScroll();
}

void TDataSet::Insert() {
    BeginInsertAppend();
    const TBookmark current = GetBookmark();
    MoveBuffer(FRecordCount, FActiveRecord);
    TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    if (FRecordCount == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else if (!current.empty())
        SetBookmarkData(buffer, current.data());
    if (FRecordCount < FBufferCount) ++FRecordCount;
    CursorPosChanged();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer buffer = FBuffers[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    FRecordCount = 1;
    FBOF = false;
    GetPriorRecords();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState == dsSetKey) return PostKeyBuffer(true);
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforePost();
    if (FState == dsEdit) UpdateCursorPos();
    InternalPost();
    SetState(dsBrowse);
    Resync({});
    DoAfterPost();
}

void TDataSet::Cancel() {
    if (FState == dsSetKey) return PostKeyBuffer(false);
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeCancel();
    UpdateCursorPos();
    const bool wasInsert = FState == dsInsert;
    InternalCancel();
    SetState(dsBrowse);
    Resync({});
    DoAfterCancel();
    if (wasInsert) NotifyAfterScroll();
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) return Cancel();
    if (FRecordCount == 0)
        DatabaseError(L"Cannot perform this operation on an empty dataset", this);
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeDelete();
    NotifyBeforeScroll();
    UpdateCursorPos();
    InternalDelete();
    SetState(dsBrowse);
    Resync({});
    DoAfterDelete();
    NotifyAfterScroll();
}

void TDataSet::SetFields(std::initializer_list<Variant> Values) {
    if (FState != dsEdit && FState != dsInsert)
        DatabaseError(L"Dataset not in edit or insert mode", this);
    int index = 0;
    for (const Variant& value : Values) {
        if (index >= FieldCount()) DatabaseError(L"Too many values for the fields", this);
        FFields->Fields(index++)->SetAsVariant(value);
    }
}

void TDataSet::InsertRecord(std::initializer_list<Variant> Values) {
    Insert();
    try {
        SetFields(Values);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TDataSet::AppendRecord(std::initializer_list<Variant> Values) {
    Append();
    try {
        SetFields(Values);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TDataSet::ClearFields() {
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
        DatabaseError(L"Dataset not in edit or insert mode", this);
    DataEvent(deCheckBrowseMode, 0);
    if (FState == dsSetKey) {
        InternalInitRecord(FKeyBuffer);
    } else {
        InternalInitRecord(ActiveBuffer());
        GetCalcFields(ActiveBuffer());
    }
    DataEvent(deRecordChange, 0);
}

// ---- the key state

void TDataSet::SetKey() { BeginKeyEdit(true); }

void TDataSet::EditKey() { BeginKeyEdit(false); }

void TDataSet::BeginKeyEdit(bool Clear) {
    CheckBrowseMode();
    if (!FKeyBuffer) {
        FKeyBuffer = AllocRecordBuffer();
        InternalInitRecord(FKeyBuffer);
        FSavedKeyBuffer = AllocRecordBuffer();
    }
    // Cancel brings back the key as it is now.
    std::memcpy(FSavedKeyBuffer, FKeyBuffer, GetRecordSize());
    if (Clear) InternalInitRecord(FKeyBuffer);
    SetState(dsSetKey);
    SetModified(false);
    DataEvent(deDataSetChange, 0);
}

void TDataSet::PostKeyBuffer(bool Commit) {
    DataEvent(deCheckBrowseMode, 0);
    if (!Commit) std::memcpy(FKeyBuffer, FSavedKeyBuffer, GetRecordSize());
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
}

void TDataSet::FreeKeyBuffers() {
    if (FKeyBuffer) FreeRecordBuffer(FKeyBuffer);
    if (FSavedKeyBuffer) FreeRecordBuffer(FSavedKeyBuffer);
    FKeyBuffer = nullptr;
    FSavedKeyBuffer = nullptr;
}
