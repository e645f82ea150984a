// The memory dataset module: the engine's records seen through the class library's dataset.
//
//   TDataTypesMap     engine type codes ↔ the class library's field types
//   TMemDataSet       a TDataSet over a record storage (TData, normally a TMemData): record
//                     buffers, field access, the edit cycle with deferred posts and defaults,
//                     cached updates, locate/lookup/find, filters, blob streams, XML export
//   TDataSetUpdater   where a change leaves the dataset (here every write succeeds and does
//                     nothing); the update events and batches around a write
//   TDataSetService   field classes, number ranges and the rowset XML export of a dataset
//   TBlobStream       a stream straight over a blob value of the dataset's state buffer
//
// Record buffer layout: the storage record (RecordSize bytes), the calculated values, then the
// record information at RecInfoOfs: record number (Int32), update status, bookmark flag, a
// byte that says the buffer owns references to its complex values, and the bookmark (a
// TRecBookmark: 12 bytes in the 32-bit product, 16 in the 64-bit build).
//
// The parent-scroll check keeps the parent's bookmark bytes themselves, so two parent records
// whose bookmark bytes merely add up alike are never taken for the same position.
//
// A blob field's Modified flag is cleared when an edit or insert begins and ends, so a blob
// stream opened while browsing is never taken for one that belongs to an edit.
//
// Under the object view every object field carries the name of its structured type. A child of
// an object field reads and writes only the storage's child descriptor of its full name; without
// one it has no value and takes none.
//
// An engine Int8 value reaches a Smallint field as a sign-extended Int16, and a Smallint value
// outside -128..127 is refused for it, so the 2-byte native buffer never holds an undefined byte.
#pragma once

#include "data/engine/DcXml.h"
#include "data/engine/MemData.h"

#include "framework/DB.h"
#include "framework/DBFields.h"
#include "framework/ModuleInit.h"

#include <vector>

class TMemDataSet;
class TDataSetService;

// ---- data types map ----------------------------------------------------------------------------

class TDataTypesMap : public TObject {
    CLASS_INFO(TDataTypesMap, TObject)
public:
    // An unknown code is a programming error (EAssertionFailed "Unknown data type").
    virtual TFieldType GetFieldType(Word DataType) const;
    virtual Integer GetDataType(TFieldType FieldType) const;
};

// ---- updater and service -----------------------------------------------------------------------

// The value an OnUpdateRecord handler leaves in UpdateAction to have the change written as if no
// handler were assigned.
inline constexpr TUpdateAction uaWriteAsUnhandled = TUpdateAction(10);

class TDataSetUpdater : public TObject {
    CLASS_INFO(TDataSetUpdater, TObject)
public:
    using OwnerType = TDataSetService;
    explicit TDataSetUpdater(TDataSetService* AOwner);

    // The entries the dataset calls; each keeps the dataset's Modified flag as it found it.
    void WriteAppendedRecord();
    void WriteDeletedRecord();
    void WriteUpdatedRecord();
    void ApplyRecordUpdate(TUpdateRecKind UpdateKind, TUpdateRecAction& Action, bool LastItem);

protected:
    virtual bool PerformAppend() { return true; }
    virtual bool PerformDelete() { return true; }
    virtual bool PerformUpdate() { return true; }
    virtual bool IsBatchUpdate() { return false; }
    virtual bool IsBatchFull() { return false; }
    virtual void FlushBatch() {}

    TMemDataSet* FDataSet;
    TDataSetService* FDataSetService;

private:
    TUpdateAction ApplyChange(TUpdateRecKind UpdateKind, TUpdateRecAction& Action, bool LastItem);
};

class TDataSetService : public TObject {
    CLASS_INFO(TDataSetService, TObject)
public:
    using OwnerType = TMemDataSet;
    explicit TDataSetService(TMemDataSet* AOwner);
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TMemDataSet* DataSet() const noexcept { return FDataSet; }
    TDataSetUpdater* Updater() const noexcept { return FUpdater; }

    virtual void NewUpdater();
    virtual void InstallUpdater(TDataSetUpdater* Updater);
    virtual void ApplyNumberRange(TFieldDef* FieldDef);
    virtual TFieldClass FieldClassOfType(TFieldType FieldType) const;
    virtual void InitFieldsExtInfo() {}
    virtual void WriteFieldXmlType(TField* Field, TFieldDesc* FieldDesc, XmlTextWriter* Writer);
    virtual void WriteFieldXmlAttributes(TField* Field, TFieldDesc* FieldDesc,
                                         XmlTextWriter* Writer, const UnicodeString& XmlName);
    virtual void FieldValueToXmlText(TField* Field, TFieldDesc* FieldDesc, UnicodeString& Text);
    // No property is known here: calling them is a programming error.
    virtual bool SetProp(Integer Prop, Variant& Value);
    virtual bool GetProp(Integer Prop, Variant& Value);

    // The persisted-rowset document of the dataset's schema and visible records.
    void SaveToXML(TStream* Destination);

protected:
    TMemDataSet* FDataSet;
    TDataSetUpdater* FUpdater = nullptr;
};

// ---- memory dataset ----------------------------------------------------------------------------

enum TLocateExOption { lxCaseInsensitive, lxPartialKey, lxNearest, lxNext, lxUp, lxPartialCompare };
using TLocateExOptions = TSet<TLocateExOption>;

using TUpdateErrorEvent = TMethodEvent<void(TDataSet* DataSet, EDatabaseError& E,
                                            TUpdateKind UpdateKind, TUpdateAction& UpdateAction)>;
using TUpdateRecordEvent =
    TMethodEvent<void(TDataSet* DataSet, TUpdateKind UpdateKind, TUpdateAction& UpdateAction)>;

// The module's start-up: its options at their initial values.
TModuleEntry MemDSModule();

// Module options of the memory dataset.
extern bool DataSetChangeAfterOpen;      // True: a dataset change event after every open
extern bool SilentUpdateFailure;         // False: "Update failed" when OnUpdateRecord fails
extern bool KeepDefaultExpressionQuotes; // False: 'abc' defaults give abc

class TMemDataSet : public TDataSet {
    CLASS_INFO(TMemDataSet, TDataSet)
public:
    explicit TMemDataSet(TComponent* AOwner);
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TData* Data() const noexcept { return FData; }

    // ---- properties
    bool CachedUpdates() const noexcept { return FCachedUpdates; }
    void SetCachedUpdates(bool Value);
    bool LocalUpdate() const noexcept { return FLocalUpdate; }
    void SetLocalUpdate(bool Value) { FLocalUpdate = Value; }
    bool LocalConstraints() const noexcept { return FLocalConstraints; }
    void SetLocalConstraints(bool Value) { FLocalConstraints = Value; }
    const UnicodeString& IndexFieldNames() const noexcept { return FIndexFieldNames; }
    void SetIndexFieldNames(const UnicodeString& Value);
    TUpdateRecordTypes UpdateRecordTypes() const;
    void SetUpdateRecordTypes(TUpdateRecordTypes Value);
    bool UpdatesPending() const;
    bool Prepared() const;
    void SetPrepared(bool Value);
    void SetSparseArrays(bool Value);

    TUpdateErrorEvent OnUpdateError;
    TUpdateRecordEvent OnUpdateRecord;

    // ---- preparing, descriptors, blobs
    virtual void Prepare();
    virtual void UnPrepare();
    void CheckPrepared() const;
    virtual TFieldDesc* GetFieldDesc(TField* Field);
    Integer GetFieldDescNo(TField* Field);
    TBlob* GetBlob(TField* Field);
    TBlob* GetBlob(const UnicodeString& FieldName);
    TDataSetService* DataSetService();

    // ---- editing
    void DeferredPost();
    void Cancel() override;

    // ---- cached updates
    TUpdateStatus UpdateStatus() override;
    TUpdateAction UpdateResult();
    virtual void ApplyUpdates();
    void CommitUpdates();
    void CancelUpdates();
    void RestoreUpdates();
    void RevertRecord();

    // ---- searching
    using TDataSet::Locate;
    bool Locate(const UnicodeString& KeyFields, const Variant& KeyValues,
                TLocateOptions Options) override;
    bool Locate(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                TLocateOptions Options);
    bool LocateEx(const UnicodeString& KeyFields, const Variant& KeyValues,
                  TLocateExOptions Options);
    bool LocateEx(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                  TLocateExOptions Options);
    Variant Lookup(const UnicodeString& KeyFields, const Variant& KeyValues,
                   const UnicodeString& ResultFields) override;

    // ---- XML
    void SaveToXML(const UnicodeString& FileName);
    void SaveToXML(TStream* Destination);

    // ---- for the updater, the service and the blob stream
    using TDataSet::SetModified;
    TDataSetState SetTemporaryState(TDataSetState Value) { return SetTempState(Value); }
    void RestorePriorState(TDataSetState Value) { RestoreState(Value); }
    // The record buffer field access uses in the current state; false when there is none.
    bool StateRecBuf(TRecordBuffer& Buffer);
    bool InDeferredPost() const noexcept { return FInDeferredPost; }

    // ---- the class library's dataset
    bool GetFieldData(TField* Field, void* Buffer) override;
    bool GetFieldData(int FieldNo, void* Buffer) override;
    bool GetFieldData(TField* Field, void* Buffer, bool NativeFormat) override;
    void SetFieldData(TField* Field, const void* Buffer) override;
    void SetFieldData(TField* Field, const void* Buffer, bool NativeFormat) override;
    Variant GetStateFieldValue(TDataSetState State, TField* Field) override;
    TFieldClass GetFieldClass(TFieldType FieldType) const override;
    void DataConvert(TField* Field, const void* Source, void* Dest, bool ToNative) override;
    void DataEvent(TDataEvent Event, NativeInt Info) override;
    TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
    bool BookmarkValid(const TBookmark& Bookmark) override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    bool IsSequenced() override { return true; }

protected:
    void AssignTo(TPersistent* Dest) override;

    // ---- buffers
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    Word GetRecordSize() override;
    void InitRecord(TRecordBuffer Buffer) override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void ClearCalcFields(TRecordBuffer Buffer) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    int CalcFieldsOffset() override;

    // ---- bookmarks
    void GetBookmarkData(TRecordBuffer Buffer, Byte* Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const Byte* Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    void InternalGotoBookmark(const Byte* Bookmark) override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;

    // ---- navigation
    void InternalFirst() override;
    void InternalLast() override;
    int GetRecNo() override;
    void SetRecNo(int Value) override;
    int GetRecordCount() override;
    bool IsCursorOpen() override;
    void SetBlockReadSize(int Value) override;

    // ---- opening
    void OpenCursor(bool InfoQuery) override;
    void CloseCursor() override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    void DoAfterOpen() override;
    void InternalRefresh() override;

    // ---- editing
    void InternalEdit() override;
    void InternalInsert() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    // The application's exception hook (OnException when assigned, else the error box).
    void InternalHandleException() override;
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void DoOnNewRecord() override;

    // ---- filtering
    void SetFiltered(bool Value) override;
    void SetFilterText(const UnicodeString& Value) override;
    void SetFilterOptions(TFilterOptions Value) override;
    void SetOnFilterRecord(const TFilterRecordEvent& Value) override;
    bool FindRecord(bool Restart, bool GoForward) override;

    // ---- new virtuals
    virtual void CreateDataObject();
    virtual void AttachData(TData* Value);
    virtual TClass DataSetServiceClass() const { return TDataSetService::StaticClass(); }
    void AttachDataSetService(TDataSetService* Service);
    virtual void ReopenData() { FData->Reopen(); }
    virtual const TDataTypesMap& DataTypesMapClass() const;
    virtual void BuildFieldDefs();
    virtual UnicodeString ArrayElementName(TFieldDef* FieldDef, Integer Index,
                                           TObjectType* ObjectType);
    virtual Integer FieldDefSize(TFieldType FieldType, TFieldDesc* FieldDesc);
    virtual TFieldType FieldTypeOfDataType(Word DataType);
    virtual TFieldType FieldTypeOfFieldDesc(TFieldDesc* FieldDesc);
    virtual void PerformPendingWrite();
    virtual void ApplyDefaultExpressions();
    virtual void VariantToFieldBuf(const Variant& Value, void*& Buffer, bool ConvertStrings,
                                   TFieldDesc* FieldDesc, Integer& ValueType);

    // A nested dataset's parent; descendants set it, closing the cursor clears it.
    TMemDataSet* FParentDataSet = nullptr;
    bool FNumberRange = false;
    bool FNeedAddRef = false;
    bool FCacheCalcFields = false;
    bool FCreateCalcFieldDescs = true;

private:
    friend class TBlobStream;
    friend class TDataSetUpdater;
    friend class TDataSetService;

    struct TCalcFieldDescMapping {
        TFieldDesc* FieldDesc;
        TField* Field;
    };
    struct TKey {
        TFieldDesc* FieldDesc;
        Integer Index; // position in the caller's key list (and its values)
        void* Buffer = nullptr;
        Integer ValueType = 0;
    };

    void CheckDataSetService();
    void FreeData();
    Byte* RecInfo(TRecordBuffer Buffer) const { return Buffer + FRecInfoOfs; }
    void FreeRecBufComplexFields(TRecordBuffer Buffer, bool WithBlob);
    void FreeBufferComplexFields();
    TRecordBuffer FetchOldRecBuf();
    void EndDeferredPost();
    void ClearBlobModified();
    TFieldDesc* CalcFieldDesc(TField* Field);
    // The storage field a data field reads and writes: its FieldNo, or for a child of an object
    // field the number of its child descriptor; 0 for none.
    Integer DataFieldNo(TField* Field);
    // GetFieldDesc, raising "Field %s not found" where there is none.
    TFieldDesc* FieldDescOf(TField* Field);
    void HookStorage();
    void CreateCalcFieldDescs();
    void FillCachedCalcFields(void* Dest, void* Source);
    // How many child definitions each attribute of an object or array type gives.
    Integer ChildRepeats(TObjectType* ObjectType) const;
    void BuildChildDefs(TFieldDef* Def, TObjectType* ObjectType);
    // Under the object view: every object field gets the name of its structured type.
    void NameObjectTypes();
    void NameObjectType(TObjectField* Field, TObjectType* ObjectType);
    void CheckCachedUpdates() const;
    void WithCacheBuffers(bool Commit);
    void ParentScroll();

    // ---- locate, lookup, filter
    std::vector<TKey> KeyListOf(const UnicodeString& KeyFields);
    std::vector<TKey> KeyListOf(const std::vector<TField*>& KeyFields);
    bool LocateRecord(std::vector<TKey>& Keys, const Variant& KeyValues, TLocateExOptions Options,
                      bool KeepPosition);
    Integer PrepareKeys(std::vector<TKey>& Keys, const Variant& KeyValues, TLocateExOptions Options,
                        bool& Prepared);
    Integer CompareCurrent(const std::vector<TKey>& Keys, Integer Count, TCompareOptions Options,
                           bool CalcNeeded);
    bool MatchCurrent(const std::vector<TKey>& Keys, TCompareOptions Options, bool Nearest,
                      bool CalcNeeded);
    void ReadWorkRecord(bool CalcNeeded);
    bool LocateAndShow(std::vector<TKey> Keys, const Variant& KeyValues, TLocateExOptions Options,
                       TResyncMode Mode);
    void InstallFilter();
    void RemoveFilter();
    bool FilterRecord(void* RecBuf);
    void BeginFilterChange();
    void EndFilterChange(bool Always);

    TData* FData = nullptr;
    TDataSetService* FDataSetService = nullptr;
    TRecordBuffer FOldRecBuf = nullptr;
    TRecordBuffer FFilterBuffer = nullptr;
    TRecordBuffer NewCacheRecBuf = nullptr;
    TRecordBuffer OldCacheRecBuf = nullptr;
    TRecordBuffer OldDeferredPostBuf = nullptr;
    bool FCachedUpdates = false;
    bool FLocalUpdate = false;
    bool FInInserting = false;
    bool FInEditing = false;
    bool FInCacheProcessing = false;
    bool FInDeferredPost = false;
    bool FLocalConstraints = true;
    UnicodeString FIndexFieldNames;
    std::vector<TCalcFieldDescMapping> FCalcFieldsMapping;
    TUpdateRecordTypes FUpdateRecordTypes{rtModified, rtInserted, rtUnmodified};
    Integer FRecInfoOfs = 0;
    Integer FBookmarkOfs = 0;
    Integer FRecBufSize = 0;
    // The parent's bookmark at the last parent scroll (empty: none yet).
    std::vector<Byte> FLastParentBookmark;
    // The record Lookup reads in dsCalcFields (the temporary buffer), while it reads it.
    TRecordBuffer FLookupBuffer = nullptr;
};

// The storage's item types for a set of update record types.
TItemTypes ItemTypesOf(TUpdateRecordTypes Types);

// ---- blob stream -------------------------------------------------------------------------------

class TBlobStream : public TStream {
    CLASS_INFO(TBlobStream, TStream)
public:
    TBlobStream(TBlobField* Field, TBlobStreamMode Mode);
    void BeforeDestruction() override;

    NativeInt Read(void* Buffer, NativeInt Count) override;
    NativeInt Write(const void* Buffer, NativeInt Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    void SetSize(Int64 NewSize) override;
    void Truncate();

private:
    bool WideBlob() const;
    bool FromRollback() const;

    TBlobField* FField;
    TMemDataSet* FDataSet;
    TRecordBuffer FBuffer = nullptr;
    TBlobStreamMode FMode;
    Word FFieldNo;
    bool FOpened = false;
    bool FModified = false;
    Integer FPosition = 0;
};
