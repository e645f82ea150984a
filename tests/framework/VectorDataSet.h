// TVectorDataSet: the smallest dataset that overrides every record-buffer hook of TDataSet, with
// its records in a std::vector, so that the dataset layer can be tested (and measured) without a
// record engine. Each stored row holds, per field definition, a presence byte and the field's
// native buffer; a record buffer is that row, then the calculation area, then the record
// information (row id as the 4-byte bookmark, bookmark flag). Rows are never reordered except
// by inserting and deleting; ids are never reused.
//
// Blobs: a blob field's slot holds an index into a pool of byte strings; CreateBlobStream gives a
// memory stream with the value, and a stream opened for writing stores its bytes as a new pool
// entry when it is freed.
//
// Object columns (ADT, array) have an empty slot of their own; their children are numbered after
// them (FieldDefList order) and have slots like any field. The key state keeps its key in the
// key buffer the layer gives.
//
// Filtering: when Filtered, OnFilterRecord judges each row in the dsFilter state (data fields
// only). Master/detail: a detail follows a master source through a TDetailDataLink and shows
// the rows whose DetailFields equal the master's MasterFields.
#pragma once

#include "framework/DB.h"
#include "framework/DBFields.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

class TVectorDataSet;

class TVectorBlobStream : public TMemoryStream {
public:
    TVectorBlobStream(TVectorDataSet* DataSet, TField* Field, TBlobStreamMode Mode);
    void BeforeDestruction() override;

private:
    TVectorDataSet* FDataSet;
    TField* FField;
    TBlobStreamMode FMode;
};

class TVectorMasterLink : public TDetailDataLink {
public:
    explicit TVectorMasterLink(TVectorDataSet* Detail) : FDetail(Detail) {}
    int Changes = 0; // how often the master's move reached the detail

protected:
    TDataSet* GetDetailDataSet() override;
    void ActiveChanged() override;
    void RecordChanged(TField* Field) override;

private:
    TVectorDataSet* FDetail;
};

class TVectorDataSet : public TDataSet {
public:
    explicit TVectorDataSet(TComponent* AOwner) : TDataSet(AOwner) {
        FMasterLink = Construct<TVectorMasterLink>(this);
    }
    void BeforeDestruction() override {
        TDataSet::BeforeDestruction();
        FMasterLink->SetDataSource(nullptr);
        FreeAndNil(FMasterLink);
    }

    int RowCount() const { return int(FRows.size()); }
    // A row's value read back from storage, for checks that bypass the layer.
    Variant StoredValue(int Row, const UnicodeString& FieldName) {
        const TDataSetState saved = SetTempState(dsFilter);
        FFilterRow = FRows[std::size_t(Row)].Data.data();
        const Variant value = FieldByName(FieldName)->Value();
        RestoreState(saved);
        return value;
    }

    void SetMasterSource(TDataSource* Source) { FMasterLink->SetDataSource(Source); }
    void SetMasterFields(const UnicodeString& Master, const UnicodeString& Detail) {
        FMasterFields = Master;
        FDetailFields = Detail;
    }
    TVectorMasterLink* MasterLink() const { return FMasterLink; }
    TDataSource* GetDataSource() const override {
        return FMasterLink ? FMasterLink->DataSource() : nullptr;
    }

    // The master moved: show the detail rows of its new record.
    void MasterChanged() {
        ++FMasterLink->Changes;
        if (Active()) First();
    }

    TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override {
        if (Mode != bmRead && State() != dsEdit && State() != dsInsert)
            DatabaseError(L"Dataset not in edit or insert mode", this);
        return Construct<TVectorBlobStream>(this, Field, Mode);
    }
    // The blob's bytes in the current record (empty for null).
    std::vector<Byte> BlobBytes(TField* Field) {
        Integer handle;
        return ReadBlobHandle(Field, handle) ? FBlobs[std::size_t(handle)] : std::vector<Byte>{};
    }
    void StoreBlob(TField* Field, std::vector<Byte> Bytes) {
        Byte* slot =
            const_cast<Byte*>(CurrentRecord()) + FOffsets[std::size_t(Field->FieldNo() - 1)];
        const Integer handle = Integer(FBlobs.size());
        FBlobs.push_back(std::move(Bytes));
        slot[0] = 1;
        std::memcpy(slot + 1, &handle, 4);
        DataEvent(deFieldChange, NativeInt(Field));
    }
    using TDataSet::BookmarkValid;

    bool BookmarkValid(const TBookmark& Bookmark) override {
        return Bookmark.size() == 4 && IndexOfId(IdOf(Bookmark.data())) >= 0;
    }
    int CompareBookmarks(const TBookmark& A, const TBookmark& B) override {
        const int a = IndexOfId(IdOf(A.data())), b = IndexOfId(IdOf(B.data()));
        return a < b ? -1 : a > b ? 1 : 0;
    }

protected:
    struct TRecInfo {
        Integer Id;
        Byte Flag;
    };
    struct TRow {
        Integer Id;
        std::vector<Byte> Data;
    };

    // ---- buffers
    TRecordBuffer AllocRecordBuffer() override { return new Byte[std::size_t(FBufferSize)](); }
    void FreeRecordBuffer(TRecordBuffer& Buffer) override {
        delete[] Buffer;
        Buffer = nullptr;
    }
    Word GetRecordSize() override { return Word(FRecordSize); }
    void InternalInitRecord(TRecordBuffer Buffer) override {
        std::memset(Buffer, 0, std::size_t(FRecordSize));
    }
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override {
        int pos = FCursor;
        if (GetMode == gmNext) {
            for (++pos; pos < RowCount() && !Accept(pos); ++pos) {
            }
            if (pos >= RowCount()) {
                FCursor = RowCount();
                return grEOF;
            }
        } else if (GetMode == gmPrior) {
            for (pos = std::min(pos, RowCount()) - 1; pos >= 0 && !Accept(pos); --pos) {
            }
            if (pos < 0) {
                FCursor = -1;
                return grBOF;
            }
        } else if (pos < 0 || pos >= RowCount() || !Accept(pos)) {
            if (DoCheck) DatabaseError(L"Record not found", this);
            return grError;
        }
        FCursor = pos;
        const TRow& row = FRows[std::size_t(pos)];
        std::memcpy(Buffer, row.Data.data(), std::size_t(FRecordSize));
        Info(Buffer) = TRecInfo{row.Id, Byte(bfCurrent)};
        GetCalcFields(Buffer);
        return grOK;
    }

    // ---- bookmarks
    void GetBookmarkData(TRecordBuffer Buffer, Byte* Data) override {
        std::memcpy(Data, &Info(Buffer).Id, 4);
    }
    void SetBookmarkData(TRecordBuffer Buffer, const Byte* Data) override {
        std::memcpy(&Info(Buffer).Id, Data, 4);
    }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override {
        return TBookmarkFlag(Info(Buffer).Flag);
    }
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override {
        Info(Buffer).Flag = Byte(Value);
    }
    void InternalGotoBookmark(const Byte* Bookmark) override {
        const int index = IndexOfId(IdOf(Bookmark));
        if (index < 0) DatabaseError(L"Record not found", this);
        FCursor = index;
    }
    void InternalSetToRecord(TRecordBuffer Buffer) override {
        const Integer id = Info(Buffer).Id;
        InternalGotoBookmark(reinterpret_cast<const Byte*>(&id));
    }

    // ---- navigation
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = RowCount(); }
    bool IsCursorOpen() override { return FOpen; }
    bool IsSequenced() override { return !Filtered() && !FMasterLink->Active(); }
    void InternalCancel() override { FOldRow.clear(); }
    int GetRecordCount() override {
        int count = 0;
        for (int i = 0; i < RowCount(); ++i) count += Accept(i) ? 1 : 0;
        return count;
    }
    int GetRecNo() override {
        if (IsEmpty() || State() == dsInsert) return -1;
        UpdateCursorPos();
        int number = 0;
        for (int i = 0; i <= FCursor; ++i) number += Accept(i) ? 1 : 0;
        return number;
    }
    void SetRecNo(int Value) override {
        CheckBrowseMode();
        for (int i = 0, number = 0; i < RowCount(); ++i)
            if (Accept(i) && ++number == Value) {
                DoBeforeScroll();
                FCursor = i;
                Resync({rmCenter});
                DoAfterScroll();
                return;
            }
    }

    // ---- opening
    // Numbered in FieldDefList order: an object column's children follow it.
    void InternalInitFieldDefs() override {
        const std::vector<TFieldDef*> defs = FieldDefList();
        for (std::size_t i = 0; i < defs.size(); ++i) defs[i]->SetFieldNo(int(i) + 1);
    }
    void InternalOpen() override {
        InternalInitFieldDefs();
        if (DefaultFields()) CreateFields();
        BindFields(true);
        FOffsets.clear();
        FRecordSize = 0;
        for (TFieldDef* def : FieldDefList()) {
            FOffsets.push_back(FRecordSize);
            FRecordSize += 1 + NativeSize(def);
        }
        FBufferSize = FRecordSize + CalcFieldsSize() + int(sizeof(TRecInfo));
        SetBookmarkSize(4);
        FCursor = -1;
        FOpen = true;
    }
    void InternalClose() override {
        BindFields(false);
        if (DefaultFields()) DestroyFields();
        FOpen = false;
    }

    // ---- editing
    void InternalEdit() override { FOldRow = FRows[std::size_t(FCursor)].Data; }
    void DoAfterPost() override {
        FOldRow.clear();
        TDataSet::DoAfterPost();
    }
    void InternalPost() override {
        TDataSet::InternalPost();
        const Byte* data = ActiveBuffer();
        if (State() == dsEdit) {
            std::memcpy(FRows[std::size_t(FCursor)].Data.data(), data, std::size_t(FRecordSize));
            return;
        }
        int index = RowCount();
        const TRecInfo info = Info(ActiveBuffer());
        if (info.Flag == bfBOF)
            index = 0;
        else if (info.Flag == bfInserted)
            index = std::max(0, IndexOfId(info.Id));
        TRow row{++FLastId, std::vector<Byte>(data, data + FRecordSize)};
        FRows.insert(FRows.begin() + index, std::move(row));
        FIdsChanged = true;
        FCursor = index;
    }
    void InternalDelete() override {
        FRows.erase(FRows.begin() + FCursor);
        FIdsChanged = true;
    }
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override {
        TRow row{++FLastId, std::vector<Byte>(Buffer, Buffer + FRecordSize)};
        const int index = Append ? RowCount() : std::max(FCursor, 0);
        FRows.insert(FRows.begin() + index, std::move(row));
        FIdsChanged = true;
        FCursor = index;
    }
    void SetFiltered(bool Value) override {
        TDataSet::SetFiltered(Value);
        if (Active()) First();
    }

    // ---- field data
    bool GetFieldData(TField* Field, void* Buffer) override {
        const Byte* record = CurrentRecord();
        if (!record) return false;
        if (Field->FieldNo() <= 0)
            return GetCalcFieldData(Field, const_cast<Byte*>(record), Buffer);
        const Byte* slot = record + FOffsets[std::size_t(Field->FieldNo() - 1)];
        if (!slot[0]) return false;
        if (Buffer) std::memcpy(Buffer, slot + 1, std::size_t(Field->DataSize()));
        return true;
    }
    using TDataSet::GetFieldData;
    void SetFieldData(TField* Field, const void* Buffer) override {
        const TDataSetState state = State();
        if (state != dsEdit && state != dsInsert && state != dsCalcFields && state != dsSetKey)
            DatabaseError(L"Dataset not in edit or insert mode", this);
        if (state != dsCalcFields && state != dsSetKey && !Field->CanModify() &&
            Field->FieldKind() == fkData)
            DatabaseError(L"Field '" + Field->DisplayName() + L"' cannot be modified", this);
        Byte* record = const_cast<Byte*>(CurrentRecord());
        if (state != dsCalcFields) Field->Validate(Buffer);
        if (Field->FieldNo() <= 0) {
            SetCalcFieldData(Field, record, Buffer);
        } else {
            Byte* slot = record + FOffsets[std::size_t(Field->FieldNo() - 1)];
            slot[0] = Buffer ? 1 : 0;
            const std::size_t size = std::size_t(Field->DataSize());
            if (Buffer)
                std::memcpy(slot + 1, Buffer, size);
            else
                std::memset(slot + 1, 0, size);
        }
        if (state != dsCalcFields) DataEvent(deFieldChange, NativeInt(Field));
    }
    using TDataSet::SetFieldData;

private:
    bool ReadBlobHandle(TField* Field, Integer& Handle) {
        const Byte* record = CurrentRecord();
        if (!record) return false;
        const Byte* slot = record + FOffsets[std::size_t(Field->FieldNo() - 1)];
        if (!slot[0]) return false;
        std::memcpy(&Handle, slot + 1, 4);
        return true;
    }
    static Integer IdOf(const Byte* Bookmark) {
        Integer id;
        std::memcpy(&id, Bookmark, 4);
        return id;
    }
    TRecInfo& Info(TRecordBuffer Buffer) {
        return *reinterpret_cast<TRecInfo*>(Buffer + FRecordSize + CalcFieldsSize());
    }
    int IndexOfId(Integer Id) {
        if (FIdsChanged) {
            FIndexOfId.clear();
            for (std::size_t i = 0; i < FRows.size(); ++i) FIndexOfId[FRows[i].Id] = int(i);
            FIdsChanged = false;
        }
        const auto found = FIndexOfId.find(Id);
        return found == FIndexOfId.end() ? -1 : found->second;
    }
    // The record the fields read in the current state.
    const Byte* CurrentRecord() {
        switch (State()) {
        case dsCalcFields: return CalcBuffer();
        case dsFilter: return FFilterRow;
        case dsSetKey: return KeyBuffer();
        case dsOldValue: return FOldRow.empty() ? nullptr : FOldRow.data();
        case dsBrowse:
        case dsEdit:
        case dsInsert:
        case dsNewValue: return IsEmpty() ? nullptr : ActiveBuffer();
        default: return nullptr;
        }
    }
    static int NativeSize(TFieldDef* Def) {
        switch (Def->DataType()) {
        case ftString:
        case ftFixedChar:
        case ftGuid: return Def->Size() + 1;
        case ftWideString:
        case ftFixedWideChar: return (Def->Size() + 1) * 2;
        case ftShortint:
        case ftByte: return 1;
        case ftSmallint:
        case ftWord:
        case ftBoolean: return 2;
        case ftInteger:
        case ftAutoInc:
        case ftLongWord:
        case ftDate:
        case ftTime:
        case ftSingle: return 4;
        case ftFMTBcd: return int(sizeof(TBcd));
        case ftTimeStamp: return int(sizeof(TSQLTimeStamp));
        case ftADT:
        case ftArray: return 0; // the children hold the values
        case ftBytes: return Def->Size();
        case ftVarBytes: return Def->Size() + 2;
        default: return 8;
        }
    }
    bool Accept(int Row) {
        if (!Filtered() && !FMasterLink->Active()) return true; // nothing hides a row
        const TDataSetState saved = SetTempState(dsFilter);
        FFilterRow = FRows[std::size_t(Row)].Data.data();
        bool accept = true;
        try {
            accept = MasterAccepts();
            if (accept && Filtered()) OnFilterRecord()(this, accept);
        } catch (...) {
            RestoreState(saved);
            throw;
        }
        RestoreState(saved);
        return accept;
    }
    bool MasterAccepts() {
        if (!FMasterLink->Active() || FMasterFields.empty()) return true;
        TDataSet* master = FMasterLink->DataSet();
        if (master->IsEmpty()) return false;
        std::vector<TField*> masterFields, detailFields;
        master->GetFieldList(masterFields, FMasterFields);
        GetFieldList(detailFields, FDetailFields);
        for (std::size_t i = 0; i < masterFields.size(); ++i)
            if (VarCompareValue(masterFields[i]->Value(), detailFields[i]->Value()) != vrEqual)
                return false;
        return true;
    }

    std::vector<TRow> FRows;
    std::vector<std::vector<Byte>> FBlobs;
    std::vector<int> FOffsets;
    std::vector<Byte> FOldRow;
    std::unordered_map<Integer, int> FIndexOfId;
    bool FIdsChanged = true;
    const Byte* FFilterRow = nullptr;
    TVectorMasterLink* FMasterLink;
    UnicodeString FMasterFields, FDetailFields;
    Integer FLastId = 0;
    int FRecordSize = 0;
    int FBufferSize = 0;
    int FCursor = -1;
    bool FOpen = false;
};

inline TVectorBlobStream::TVectorBlobStream(TVectorDataSet* DataSet, TField* Field,
                                            TBlobStreamMode Mode)
    : FDataSet(DataSet), FField(Field), FMode(Mode) {
    if (Mode == bmWrite) return;
    const std::vector<Byte> bytes = DataSet->BlobBytes(Field);
    if (!bytes.empty()) WriteBuffer(bytes.data(), NativeInt(bytes.size()));
    SetPosition(0);
}

inline void TVectorBlobStream::BeforeDestruction() {
    if (FMode != bmRead) {
        std::vector<Byte> bytes(static_cast<std::size_t>(Size()));
        SetPosition(0);
        if (!bytes.empty()) ReadBuffer(bytes.data(), NativeInt(bytes.size()));
        FDataSet->StoreBlob(FField, std::move(bytes));
    }
    TMemoryStream::BeforeDestruction();
}

inline TDataSet* TVectorMasterLink::GetDetailDataSet() { return FDetail; }
inline void TVectorMasterLink::ActiveChanged() { FDetail->MasterChanged(); }
inline void TVectorMasterLink::RecordChanged(TField* Field) {
    if (!Field) FDetail->MasterChanged();
}
