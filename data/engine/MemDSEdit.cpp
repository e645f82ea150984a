// The memory dataset's edit cycle: edit, insert, post, cancel and delete through the storage,
// deferred posts, and the defaults of a new record.
#include "data/engine/MemDS.h"

#include "framework/Application.h"

#include <cstring>

// A blob field's Modified flag belongs to one edit: left set, it would let a blob stream opened
// while browsing write into the stored record without an edit.
void TMemDataSet::ClearBlobModified() {
    for (int i = 0; i < FieldCount(); ++i)
        if (auto* blobField = dynamic_cast<TBlobField*>(Fields()->Fields(i)))
            blobField->SetModified(false);
}

void TMemDataSet::InternalEdit() {
    EndDeferredPost();
    ClearBlobModified();
    FInEditing = true;
    FreeRecBufComplexFields(ActiveBuffer(), true);
    FData->EditRecord(ActiveBuffer());
}

void TMemDataSet::InternalInsert() {
    EndDeferredPost();
    ClearBlobModified();
    FInInserting = true;
}

void TMemDataSet::InternalPost() {
    TDataSet::InternalPost();
    TRecordBuffer buffer = ActiveBuffer();
    for (int i = 0; i < FieldCount(); ++i) {
        auto* blobField = dynamic_cast<TBlobField*>(Fields()->Fields(i));
        if (!blobField || blobField->FieldNo() < 1) continue;
        TFieldDesc* desc = FData->Fields()->Items(blobField->FieldNo() - 1);
        if (!FData->IsBlobFieldType(desc->DataType())) continue;
        auto* blob = static_cast<TBlob*>(FData->GetObject(desc->FieldNo(), buffer));
        if (blob && blob->CanRollback()) blobField->SetModified(true);
    }
    if (State() == dsEdit) {
        FData->PostRecord(buffer);
    } else {
        // The new record goes where the buffer says: in front of the record it was inserted
        // before, at the start of an empty dataset, or at the end when appended.
        switch (GetBookmarkFlag(buffer)) {
        case bfEOF: FData->SetToEnd(); break;
        case bfInserted:
            if (!IsEmpty())
                InternalSetToRecord(buffer);
            else
                FData->SetToBegin();
            break;
        default: FData->SetToBegin(); break;
        }
        FData->InsertRecord(buffer);
    }
    EndDeferredPost();
    ClearBlobModified();
    FInInserting = FInEditing = false;
}

void TMemDataSet::InternalCancel() {
    EndDeferredPost();
    ClearBlobModified();
    FInInserting = FInEditing = false;
    if (State() == dsEdit)
        FData->CancelRecord(ActiveBuffer());
    else if (State() == dsInsert && FData->HasComplexFields)
        FData->FreeComplexFields(ActiveBuffer(), true);
}

void TMemDataSet::Cancel() {
    if ((State() != dsEdit && State() != dsInsert) || !FData->HasComplexFields) {
        TDataSet::Cancel();
        return;
    }
    // The class library's Cancel may reuse the active buffer; a copy holding one more
    // reference keeps its complex values alive until the cancel is over.
    auto* copy = static_cast<TRecordBuffer>(Marshal::AllocHGlobal(FRecBufSize));
    std::memcpy(copy, ActiveBuffer(), std::size_t(FRecBufSize));
    FData->AddRefComplexFields(copy);
    struct TRelease {
        TMemDataSet* Self;
        TRecordBuffer Copy;
        ~TRelease() {
            Self->FData->FreeComplexFields(Copy, true);
            Marshal::FreeHGlobal(Copy);
        }
    } release{this, copy};
    TDataSet::Cancel();
}

void TMemDataSet::InternalDelete() {
    if (!CanModify()) DatabaseError(L"Cannot modify a read-only dataset", this);
    FData->DeleteRecord();
    FInInserting = FInEditing = false;
}

void TMemDataSet::InternalHandleException() {
    if (Application) Application->HandleException(this);
}

void TMemDataSet::InternalAddRecord(TRecordBuffer Buffer, bool Append) {
    if (Append)
        FData->AppendRecord(Buffer);
    else
        FData->InsertRecord(Buffer);
}

void TMemDataSet::EndDeferredPost() {
    FInDeferredPost = false;
    if (!OldDeferredPostBuf) return;
    FreeRecBufComplexFields(OldDeferredPostBuf, false);
    Marshal::FreeHGlobal(OldDeferredPostBuf);
    OldDeferredPostBuf = nullptr;
}

void TMemDataSet::PerformPendingWrite() {
    if (State() == dsEdit)
        DataSetService()->Updater()->WriteUpdatedRecord();
    else
        DataSetService()->Updater()->WriteAppendedRecord();
}

void TMemDataSet::DeferredPost() {
    if (FCachedUpdates) return;
    UpdateRecord();
    if (State() != dsEdit && State() != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields()->Fields(i);
        if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData &&
            field->IsNull()) {
            field->FocusControl();
            DatabaseError(L"Field '" + field->DisplayName() + L"' must have a value", this);
        }
    }
    UpdateCursorPos();
    PerformPendingWrite();
    if (!OldDeferredPostBuf) {
        OldDeferredPostBuf = static_cast<TRecordBuffer>(Marshal::AllocHGlobal(FRecBufSize));
        std::memset(OldDeferredPostBuf, 0, std::size_t(FRecBufSize));
        FData->CreateComplexFields(OldDeferredPostBuf, false);
        RecInfo(OldDeferredPostBuf)[6] = 1;
    }
    FData->FreeComplexFields(OldDeferredPostBuf, false);
    std::memcpy(OldDeferredPostBuf, ActiveBuffer(), std::size_t(FRecBufSize));
    RecInfo(OldDeferredPostBuf)[6] = 1;
    FData->CreateComplexFields(OldDeferredPostBuf, false);
    FData->CopyComplexFields(ActiveBuffer(), OldDeferredPostBuf, false);
    FInDeferredPost = true;
}

void TMemDataSet::ApplyDefaultExpressions() {
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields()->Fields(i);
        UnicodeString text = field->DefaultExpression();
        if (text.empty()) continue;
        if (!KeepDefaultExpressionQuotes && text.size() >= 2 && text.front() == L'\'' &&
            text.back() == L'\'') {
            text = text.substr(1, text.size() - 2);
            for (std::size_t at = text.find(L"''"); at != UnicodeString::npos;
                 at = text.find(L"''", at + 1))
                text.erase(at, 1);
        }
        field->SetAsString(text);
    }
}

void TMemDataSet::DoOnNewRecord() {
    try {
        ApplyDefaultExpressions();
        TDataSet::DoOnNewRecord();
    } catch (...) {
        InternalCancel();
        throw;
    }
}
