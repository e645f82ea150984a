// The dataset layer: the classes that data-access components extend and data-aware code uses.
//
//   TFieldDef, TFieldDefs     what a dataset's records hold (name, type, size, field number)
//   TIndexDef, TIndexDefs     the indexes a dataset offers
//   TField, TFields           typed access to one value of the current record (descendants in
//                             framework/DBFields.h)
//   TDataSet                  the cursor: states, record buffers, navigation, the edit cycle,
//                             calculated and lookup fields, bookmarks, filters, data events
//   TDataSource, TDataLink,   the notification path from a dataset to the code that shows or
//   TDetailDataLink           follows it (controls, detail datasets)
//   TParam, TParams           command parameters with typed values
//   TCustomConnection         a connection with its clients and connect events
//
// Buffer ownership. A dataset keeps BufferCount record buffers around the current record (the
// largest BufferCount its links ask for, at least 1) plus one spare, a temporary and a
// calculation buffer; all of them are made by the descendant's AllocRecordBuffer and given back
// through FreeRecordBuffer. What a buffer holds is the descendant's business, except that the
// dataset reads each buffer's bookmark and flag through Get/SetBookmarkData/Flag. Calculated
// and lookup fields live in a calculation area at the end of every buffer, at
// `CalcFieldsOffset()`: each such field has a presence byte followed by its DataSize bytes, at
// the field's Offset within that area.
//
// Native field buffers (what GetFieldData writes and SetFieldData reads, per field type):
//   String, FixedChar, Guid      8-bit ANSI text, NUL-terminated (Size + 1 bytes)
//   WideString, FixedWideChar    UTF-16, NUL-terminated ((Size + 1) × 2 bytes)
//   Shortint, Byte / Smallint, Word / Integer, AutoInc, LongWord / Largeint
//                                Int8, UInt8 / Int16, UInt16 / Int32, UInt32 / Int64
//   Boolean                      16-bit, 0 or 1
//   Float, Currency, Extended    double;  Single  float
//   BCD                          Int64, the value × 10 000 (a Currency)
//   FMTBcd                       the 34-byte TBcd;  TimeStamp  the 16-byte TSQLTimeStamp
//   Date / Time / DateTime       Int32 day number (0001-01-01 is 1) / Int32 ms of the day /
//                                double ms since 0001-01-01 00:00
//   Bytes / VarBytes             Size bytes / UInt16 count then up to Size bytes
//   Variant                      a live Variant object
//   blob types                   none: through CreateBlobStream
// Fields read their values in this form, except Date, Time and DateTime, which fields read as
// TDateTime: DataConvert turns the native form into TDateTime and back. GetFieldData with a
// null buffer only answers whether the value is not null.
//
// Destruction: a dataset closes itself and a connection disconnects in BeforeDestruction, so
// that descendants' overrides still run (a C++ destructor cannot call them).
#pragma once

#include "framework/Collections.h"
#include "framework/Components.h"
#include "framework/DBConsts.h"
#include "framework/Events.h"
#include "framework/Lists.h"
#include "framework/Streams.h"
#include "framework/StringLists.h"
#include "framework/Variants.h"

#include <vector>

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDefs;
class TObjectField;
class TDataSetField;
class TParams;
class TCustomConnection;

using TRecordBuffer = Byte*;
using TBookmark = std::vector<Byte>;
using TFieldClass = TClass;

// The default field class of a field type (null for types without one); TDataSet's
// GetFieldClass answers from it. Filled by framework/DBFields.cpp.
TFieldClass DefaultFieldClass(TFieldType type);

// ---- Field definitions -------------------------------------------------------------------------

class TFieldDef : public TCollectionItem {
    CLASS_INFO(TFieldDef, TCollectionItem)
public:
    explicit TFieldDef(TCollection* Collection);
    void BeforeDestruction() override;

    const UnicodeString& Name() const noexcept { return FName; }
    void SetName(const UnicodeString& Value);
    TFieldType DataType() const noexcept { return FDataType; }
    void SetDataType(TFieldType Value);
    int Size() const noexcept { return FSize; }
    void SetSize(int Value);
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int Value);
    bool Required() const noexcept { return FAttributes.Contains(faRequired); }
    void SetRequired(bool Value);
    TFieldAttributes Attributes() const noexcept { return FAttributes; }
    void SetAttributes(TFieldAttributes Value);
    // 1-based; 0 until the dataset numbers its definitions.
    int FieldNo() const noexcept { return FFieldNo; }
    void SetFieldNo(int Value) { FFieldNo = Value; }
    // The definitions of an ADT or array's children (made on first use).
    TFieldDefs* ChildDefs();
    bool HasChildDefs() const noexcept;
    TFieldDef* ParentDef() const;
    // "Parent.Child" for a child definition.
    UnicodeString FullName() const;
    TFieldClass FieldClass() const;
    // Makes the field this definition describes, owned by `Owner`, in `DataSet`'s fields, or,
    // for a child definition, among `ParentField`'s children (named by the child's own name).
    // An object field gets a child field per child definition, unless CreateChildren is false.
    TField* CreateField(TComponent* Owner, TDataSet* DataSet, TObjectField* ParentField = nullptr,
                        bool CreateChildren = true);
    void Assign(TPersistent* Source) override;
    UnicodeString DisplayName() const override { return FName; }

private:
    UnicodeString FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    int FPrecision = 0;
    int FFieldNo = 0;
    TFieldAttributes FAttributes;
    TFieldDefs* FChildDefs = nullptr;
};

class TFieldDefs : public TCollection {
    CLASS_INFO(TFieldDefs, TCollection)
public:
    // `Owner` is the dataset, or the parent definition for child definitions.
    explicit TFieldDefs(TPersistent* Owner);

    TFieldDef* Items(int Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }
    TFieldDef* AddFieldDef();
    // FieldNo is the next number.
    TFieldDef* Add(const UnicodeString& Name, TFieldType DataType, int Size = 0,
                   bool Required = false);
    TFieldDef* Find(const UnicodeString& Name) const; // raises "Field 'X' not found"
    int IndexOf(const UnicodeString& Name) const;
    // Searches "Parent.Child" paths too.
    TFieldDef* FindByFullName(const UnicodeString& FullName) const;
    TDataSet* DataSet() const noexcept { return FDataSet; }
    TFieldDef* ParentDef() const noexcept { return FParentDef; }
    // False after a change, until Update (or the dataset) refreshes the definitions.
    bool Updated() const noexcept { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }
    // Asks the dataset for its definitions when they are not up to date.
    void Update();

protected:
    void Update(TCollectionItem* Item) override;

private:
    TDataSet* FDataSet = nullptr;
    TFieldDef* FParentDef = nullptr;
    bool FUpdated = false;
};

class TIndexDef : public TCollectionItem {
    CLASS_INFO(TIndexDef, TCollectionItem)
public:
    explicit TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}
    const UnicodeString& Name() const noexcept { return FName; }
    void SetName(const UnicodeString& Value) { FName = Value; }
    // Field names separated by ';'.
    const UnicodeString& Fields() const noexcept { return FFields; }
    void SetFields(const UnicodeString& Value) { FFields = Value; }
    const UnicodeString& DescFields() const noexcept { return FDescFields; }
    void SetDescFields(const UnicodeString& Value) { FDescFields = Value; }
    const UnicodeString& CaseInsFields() const noexcept { return FCaseInsFields; }
    void SetCaseInsFields(const UnicodeString& Value) { FCaseInsFields = Value; }
    TIndexOptions Options() const noexcept { return FOptions; }
    void SetOptions(TIndexOptions Value) { FOptions = Value; }
    void Assign(TPersistent* Source) override;

private:
    UnicodeString FName, FFields, FDescFields, FCaseInsFields;
    TIndexOptions FOptions;
};

class TIndexDefs : public TCollection {
    CLASS_INFO(TIndexDefs, TCollection)
public:
    explicit TIndexDefs(TPersistent* Owner) : TCollection(TIndexDef::StaticClass(), Owner) {}
    TIndexDef* Items(int Index) const { return static_cast<TIndexDef*>(TCollection::Items(Index)); }
    TIndexDef* AddIndexDef() { return static_cast<TIndexDef*>(TCollection::Add()); }
    TIndexDef* Add(const UnicodeString& Name, const UnicodeString& Fields, TIndexOptions Options);
    TIndexDef* FindIndexForFields(const UnicodeString& Fields) const;
};

// ---- Fields ------------------------------------------------------------------------------------

using TFieldNotifyEvent = TMethodEvent<void(TField* Sender)>;
using TFieldGetTextEvent =
    TMethodEvent<void(TField* Sender, UnicodeString& Text, bool DisplayText)>;
using TFieldSetTextEvent = TMethodEvent<void(TField* Sender, const UnicodeString& Text)>;

class TField : public TComponent {
    CLASS_INFO(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    void BeforeDestruction() override;

    TDataSet* DataSet() const noexcept { return FDataSet; }
    // Moves the field into another dataset's fields (both closed).
    void SetDataSet(TDataSet* Value);
    const UnicodeString& FieldName() const noexcept { return FFieldName; }
    void SetFieldName(const UnicodeString& Value);
    // "Parent.Child" for a child of an object field; the field name otherwise.
    UnicodeString FullName() const;
    // The object field (ADT or array) this field is a child of; null for a top-level field.
    TObjectField* ParentField() const noexcept { return FParentField; }
    // Makes the field a child of `Value` in Value's dataset (both closed): it joins Value's
    // fields and, unless the dataset shows an object view, the dataset's fields after Value.
    void SetParentField(TObjectField* Value);
    const UnicodeString& DisplayLabel() const noexcept { return FDisplayLabel; }
    void SetDisplayLabel(const UnicodeString& Value) { FDisplayLabel = Value; }
    // DisplayLabel, or FieldName when there is none.
    UnicodeString DisplayName() const;
    TFieldType DataType() const noexcept { return FDataType; }
    // The bytes of the field's native buffer (0 for blobs).
    virtual int DataSize() const { return 0; }
    int Size() const noexcept { return FSize; }
    void SetSize(int Value);
    // Within the calculation area, for calculated and lookup fields.
    int Offset() const noexcept { return FOffset; }
    int FieldNo() const noexcept { return FFieldNo; }
    // The position in the dataset's fields.
    int Index() const;
    TFieldKind FieldKind() const noexcept { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    bool Calculated() const noexcept { return FFieldKind == fkCalculated; }
    bool Lookup() const noexcept { return FFieldKind == fkLookup; }
    bool ReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Required() const noexcept { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    virtual bool IsBlob() const { return false; }
    bool CanModify() const;

    const UnicodeString& Origin() const noexcept { return FOrigin; }
    void SetOrigin(const UnicodeString& Value) { FOrigin = Value; }
    const UnicodeString& DefaultExpression() const noexcept { return FDefaultExpression; }
    void SetDefaultExpression(const UnicodeString& Value) { FDefaultExpression = Value; }
    TProviderFlags ProviderFlags() const noexcept { return FProviderFlags; }
    void SetProviderFlags(TProviderFlags Value) { FProviderFlags = Value; }
    TAutoRefreshFlag AutoGenerateValue() const noexcept { return FAutoGenerateValue; }
    void SetAutoGenerateValue(TAutoRefreshFlag Value) { FAutoGenerateValue = Value; }

    // Lookup fields: the value of LookupResultField in the record of LookupDataSet whose
    // LookupKeyFields equal this dataset's KeyFields (names separated by ';').
    TDataSet* LookupDataSet() const noexcept { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* Value);
    const UnicodeString& LookupKeyFields() const noexcept { return FLookupKeyFields; }
    void SetLookupKeyFields(const UnicodeString& Value) { FLookupKeyFields = Value; }
    const UnicodeString& LookupResultField() const noexcept { return FLookupResultField; }
    void SetLookupResultField(const UnicodeString& Value) { FLookupResultField = Value; }
    const UnicodeString& KeyFields() const noexcept { return FKeyFields; }
    void SetKeyFields(const UnicodeString& Value) { FKeyFields = Value; }

    // The value in the current record of the dataset's state.
    bool IsNull() const { return GetIsNull(); }
    Variant Value() const { return GetAsVariant(); }
    void SetValue(const Variant& Value) { SetAsVariant(Value); }
    Variant AsVariant() const { return GetAsVariant(); }
    void SetAsVariant(const Variant& Value);
    // The value before the edit, and the value being posted (dsOldValue / dsNewValue).
    Variant OldValue() const;
    Variant NewValue() const;
    void SetNewValue(const Variant& Value);
    UnicodeString AsString() const { return GetAsString(); }
    void SetAsString(const UnicodeString& Value) { SetAsStringValue(Value); }
    UnicodeString AsWideString() const { return GetAsString(); }
    void SetAsWideString(const UnicodeString& Value) { SetAsStringValue(Value); }
    AnsiString AsAnsiString() const;
    void SetAsAnsiString(const AnsiString& Value);
    Integer AsInteger() const { return GetAsInteger(); }
    void SetAsInteger(Integer Value) { SetAsIntegerValue(Value); }
    Int64 AsLargeInt() const { return GetAsLargeInt(); }
    void SetAsLargeInt(Int64 Value) { SetAsLargeIntValue(Value); }
    double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(double Value) { SetAsFloatValue(Value); }
    Currency AsCurrency() const { return GetAsCurrency(); }
    void SetAsCurrency(Currency Value) { SetAsCurrencyValue(Value); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool Value) { SetAsBooleanValue(Value); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime Value) { SetAsDateTimeValue(Value); }
    TBcd AsBCD() const { return GetAsBCD(); }
    void SetAsBCD(const TBcd& Value) { SetAsBCDValue(Value); }
    TSQLTimeStamp AsSQLTimeStamp() const { return GetAsSQLTimeStamp(); }
    void SetAsSQLTimeStamp(const TSQLTimeStamp& Value) { SetAsSQLTimeStampValue(Value); }
    // The text shown (OnGetText, else AsString) and the text typed (OnSetText, else AsString).
    UnicodeString DisplayText() const;
    UnicodeString Text() const;
    void SetText(const UnicodeString& Value);
    void Clear() { SetData(nullptr); }

    // The raw value in the native buffer form (NativeFormat) or the field form (TDateTime for
    // dates and times). False when the value is null.
    bool GetData(void* Buffer, bool NativeFormat = true) const;
    // A null Buffer stores null.
    void SetData(const void* Buffer, bool NativeFormat = true);
    // Runs OnValidate for a value (a native buffer, null for null) about to be stored; while it
    // runs, the field reads that value. Datasets call it from SetFieldData.
    void Validate(const void* Buffer);
    // Asks the controls showing the field to take the focus (deFocusControl).
    void FocusControl();
    // Copies another field's value (or null).
    void Assign(TPersistent* Source) override;

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetDataType(TFieldType Value) { FDataType = Value; }
    virtual void Change();
    virtual void CheckSize(int Value);

    virtual bool GetIsNull() const;
    virtual Variant GetAsVariant() const;
    virtual void SetVariantValue(const Variant& Value);
    virtual UnicodeString GetAsString() const;
    virtual void SetAsStringValue(const UnicodeString& Value);
    virtual Integer GetAsInteger() const;
    virtual void SetAsIntegerValue(Integer Value);
    virtual Int64 GetAsLargeInt() const;
    virtual void SetAsLargeIntValue(Int64 Value);
    virtual double GetAsFloat() const;
    virtual void SetAsFloatValue(double Value);
    virtual Currency GetAsCurrency() const;
    virtual void SetAsCurrencyValue(Currency Value);
    virtual bool GetAsBoolean() const;
    virtual void SetAsBooleanValue(bool Value);
    virtual TDateTime GetAsDateTime() const;
    virtual void SetAsDateTimeValue(TDateTime Value);
    virtual TBcd GetAsBCD() const;
    virtual void SetAsBCDValue(const TBcd& Value);
    virtual TSQLTimeStamp GetAsSQLTimeStamp() const;
    virtual void SetAsSQLTimeStampValue(const TSQLTimeStamp& Value);
    // EDatabaseError "Cannot access field 'X' as type Y".
    [[noreturn]] void AccessError(const wchar_t* TypeName) const;
    // EDatabaseError "'V' is not a valid value for field 'X'. The allowed range is A to B".
    [[noreturn]] void RangeError(const UnicodeString& Value, const UnicodeString& Min,
                                 const UnicodeString& Max) const;

private:
    friend class TDataSet;
    friend class TFields;
    friend class TObjectField;

    // Leaves the parent's children and the dataset's fields.
    void Detach();

    TDataSet* FDataSet = nullptr;
    TObjectField* FParentField = nullptr;
    UnicodeString FFieldName, FDisplayLabel, FOrigin, FDefaultExpression;
    UnicodeString FLookupKeyFields, FLookupResultField, FKeyFields;
    TDataSet* FLookupDataSet = nullptr;
    TFieldType FDataType = ftUnknown;
    TFieldKind FFieldKind = fkData;
    int FSize = 0;
    int FOffset = 0;
    int FFieldNo = 0;
    bool FReadOnly = false;
    bool FRequired = false;
    bool FVisible = true;
    TProviderFlags FProviderFlags{pfInUpdate, pfInWhere};
    TAutoRefreshFlag FAutoGenerateValue = arNone;
    // While OnValidate runs: the native value being stored (null for null), which the field
    // reads instead of the record's.
    const void* FValueBuffer = nullptr;
    bool FValidating = false;
};

// A dataset's fields, or an object field's children, in order. The list does not own the
// fields: their owner frees them (an object field its children), and a field freed first leaves
// the list. Names are unique by FullName.
class TFields : public TObject {
    CLASS_INFO(TFields, TObject)
public:
    explicit TFields(TDataSet* DataSet, TObjectField* ParentField = nullptr)
        : FDataSet(DataSet), FParentField(ParentField) {}

    int Count() const noexcept { return int(FList.size()); }
    TField* Fields(int Index) const;
    TField* operator[](int Index) const { return Fields(Index); }
    TField* FindField(const UnicodeString& FieldName) const;
    TField* FieldByName(const UnicodeString& FieldName) const;
    TField* FieldByNumber(int FieldNo) const;
    int IndexOf(const TField* Field) const;
    void Add(TField* Field);
    void Insert(int Index, TField* Field);
    void Remove(TField* Field);
    // Frees the fields the dataset owns and forgets the others.
    void Clear();
    TDataSet* DataSet() const noexcept { return FDataSet; }
    TObjectField* ParentField() const noexcept { return FParentField; }

private:
    friend class TDataSet;
    void CheckName(const TField* Field) const;
    TDataSet* FDataSet;
    TObjectField* FParentField;
    std::vector<TField*> FList;
};

// ---- Dataset -----------------------------------------------------------------------------------

using TDataSetNotifyEvent = TMethodEvent<void(TDataSet* DataSet)>;
using TFilterRecordEvent = TMethodEvent<void(TDataSet* DataSet, bool& Accept)>;

class TDataSet : public TComponent {
    CLASS_INFO(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;
    void BeforeDestruction() override;

    // ---- state and opening
    TDataSetState State() const noexcept { return FState; }
    bool Active() const noexcept { return FState != dsInactive && FState != dsOpening; }
    void SetActiveValue(bool Value) { SetActive(Value); }
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    void CheckActive() const;
    void CheckInactive() const;
    void CheckBrowseMode();
    // True when a record can be changed (GetCanModify).
    bool CanModify() { return GetCanModify(); }
    bool Modified() const noexcept { return FModified; }
    bool IsEmpty() const noexcept { return FRecordCount == 0; }

    // ---- fields
    TFields* Fields() const noexcept { return FFields; }
    int FieldCount() const noexcept { return FFields->Count(); }
    // Also finds child fields by their full names ("Address.City") under an object view.
    TField* FindField(const UnicodeString& FieldName) const;
    TField* FieldByName(const UnicodeString& FieldName) const;
    TFieldDefs* FieldDefs() const noexcept { return FFieldDefs; }
    // Every definition, children after their parent.
    std::vector<TFieldDef*> FieldDefList() const;
    // Every field, children after their object field, whatever the object view.
    std::vector<TField*> FieldList() const;
    TIndexDefs* IndexDefs() const noexcept { return FIndexDefs; }
    // True while the dataset made its fields from the definitions (and frees them on close).
    bool DefaultFields() const noexcept { return FDefaultFields; }
    // Appends the fields named in a ';'-separated list; "Field 'X' not found" for a bad name.
    void GetFieldList(std::vector<TField*>& List, const UnicodeString& FieldNames) const;
    void GetFieldNames(TStrings* List);
    // The value of a field, or of several (';'-separated) as a variant array.
    Variant FieldValues(const UnicodeString& FieldNames) const;
    void SetFieldValues(const UnicodeString& FieldNames, const Variant& Value);
    // Object view: Fields holds only the top-level fields and each object field (ADT, array)
    // holds its children; without it (the default) the children also follow their object
    // field in Fields, so that a grid shows them as columns. Changed only while closed.
    bool ObjectView() const noexcept { return FObjectView; }
    void SetObjectView(bool Value);
    // Sparse arrays: an array column is described by one child definition for its element
    // instead of one per element (the descendant's definitions follow it). Changed only while
    // closed.
    bool SparseArrays() const noexcept { return FSparseArrays; }
    virtual void SetSparseArrays(bool Value);
    // The active datasets nested in this one's dataset fields; each hears deParentScroll when
    // this dataset changes or scrolls.
    TList* NestedDataSets() const noexcept { return FNestedDataSets; }
    // The field of the parent dataset this dataset is nested in (null for a top-level one).
    TDataSetField* DataSetField() const noexcept { return FDataSetField; }
    void SetDataSetField(TDataSetField* Value);

    // ---- navigation
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int Distance);
    bool Bof() const noexcept { return FBOF; }
    bool Eof() const noexcept { return FEOF; }
    int RecNo() { return GetRecNo(); }
    void SetRecNoValue(int Value) { SetRecNo(Value); }
    int RecordCount() { return GetRecordCount(); }
    virtual bool IsSequenced() { return true; }
    void Refresh();
    // Refills the buffers around the cursor: rmExact raises "Record not found" when the current
    // record is gone; rmCenter puts the current record in the middle of the buffers.
    virtual void Resync(TResyncMode Mode);
    // The record of the active buffer becomes the descendant's cursor position.
    void UpdateCursorPos();
    // The descendant's cursor moved on its own: it is repositioned before the next use.
    void CursorPosChanged() noexcept { FCurrentRecord = -1; }
    int BlockReadSize() const noexcept { return FBlockReadSize; }
    void SetBlockReadSizeValue(int Value) { SetBlockReadSize(Value); }

    // ---- bookmarks
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& Bookmark);
    void FreeBookmark(TBookmark& Bookmark) { Bookmark.clear(); }
    TBookmark Bookmark() { return GetBookmark(); }
    void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
    bool BookmarkAvailable() const;
    virtual bool BookmarkValid(const TBookmark& Bookmark);
    virtual int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    int BookmarkSize() const noexcept { return FBookmarkSize; }

    // ---- editing
    void Edit();
    void Insert();
    void Append();
    void Post();
    virtual void Cancel();
    void Delete();
    // Insert or Append, fill the fields with the values given in order, and Post.
    void InsertRecord(std::initializer_list<Variant> Values);
    void AppendRecord(std::initializer_list<Variant> Values);
    void SetFields(std::initializer_list<Variant> Values);
    // Tells the links to write their pending changes (deUpdateRecord).
    void UpdateRecord();
    // The key state (dsSetKey): SetKey starts a cleared key, EditKey keeps the key values set
    // before; fields then read and write the key buffer (KeyBuffer, which a descendant's
    // GetFieldData and SetFieldData use in dsSetKey). Post keeps the key and Cancel brings the
    // previous one back; both return to dsBrowse, and so does CheckBrowseMode (by Post). The
    // key buffers are record buffers whose first GetRecordSize() bytes are copied as they are.
    void SetKey();
    void EditKey();
    TRecordBuffer KeyBuffer() const noexcept { return FKeyBuffer; }
    virtual TUpdateStatus UpdateStatus() { return usUnmodified; }
    void ClearFields();

    // ---- searching and filtering
    virtual bool Locate(const UnicodeString& KeyFields, const Variant& KeyValues,
                        TLocateOptions Options);
    virtual Variant Lookup(const UnicodeString& KeyFields, const Variant& KeyValues,
                           const UnicodeString& ResultFields);
    bool FindFirst() { return FindRecord(true, true); }
    bool FindLast() { return FindRecord(true, false); }
    bool FindNext() { return FindRecord(false, true); }
    bool FindPrior() { return FindRecord(false, false); }
    bool Found() const noexcept { return FFound; }
    bool Filtered() const noexcept { return FFiltered; }
    void SetFilteredValue(bool Value) { SetFiltered(Value); }
    const UnicodeString& Filter() const noexcept { return FFilterText; }
    void SetFilter(const UnicodeString& Value) { SetFilterText(Value); }
    TFilterOptions FilterOptions() const noexcept { return FFilterOptions; }
    void SetFilterOptionsValue(TFilterOptions Value) { SetFilterOptions(Value); }
    TFilterRecordEvent OnFilterRecord() const noexcept { return FOnFilterRecord; }
    void SetOnFilterRecordValue(const TFilterRecordEvent& Value) { SetOnFilterRecord(Value); }

    // ---- controls and sources
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const noexcept { return FDisableCount != 0; }
    bool IsLinkedTo(TDataSource* DataSource) const;
    virtual TDataSource* GetDataSource() const { return nullptr; }
    virtual void GetDetailLinkFields(std::vector<TField*>& MasterFields,
                                     std::vector<TField*>& DetailFields);
    bool AutoCalcFields() const noexcept { return FAutoCalcFields; }
    void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }

    // ---- blobs
    virtual TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode);

    // ---- field data: the contract of the native buffers above
    virtual bool GetFieldData(TField* Field, void* Buffer);
    virtual bool GetFieldData(int FieldNo, void* Buffer);
    virtual bool GetFieldData(TField* Field, void* Buffer, bool NativeFormat);
    virtual void SetFieldData(TField* Field, const void* Buffer);
    virtual void SetFieldData(TField* Field, const void* Buffer, bool NativeFormat);
    virtual Variant GetStateFieldValue(TDataSetState State, TField* Field);
    virtual void SetStateFieldValue(TDataSetState State, TField* Field, const Variant& Value);
    virtual TFieldClass GetFieldClass(TFieldType FieldType) const;
    // The field-form (TDateTime) ↔ native conversion for dates and times; a copy otherwise.
    virtual void DataConvert(TField* Field, const void* Source, void* Dest, bool ToNative);

    // ---- buffers, for descendants and data links
    TRecordBuffer ActiveBuffer() const;
    TRecordBuffer TempBuffer() const noexcept { return FTempBuffer; }
    TRecordBuffer CalcBuffer() const noexcept { return FCalcBuffer; }
    int BufferCount() const noexcept { return FBufferCount; }
    TRecordBuffer Buffers(int Index) const { return FBuffers[std::size_t(Index)]; }
    // The number of filled buffers and the active one among them.
    int BufferedRecordCount() const noexcept { return FRecordCount; }
    int ActiveRecord() const noexcept { return FActiveRecord; }
    int CalcFieldsSize() const noexcept { return FCalcFieldsSize; }
    // Clears and computes the calculated and lookup fields of `Buffer` (dsCalcFields).
    void GetCalcFields(TRecordBuffer Buffer);
    TDataSetState SetTempState(TDataSetState Value);
    void RestoreState(TDataSetState Value);
    void SetModified(bool Value) { FModified = Value; }
    void SetFound(bool Value) { FFound = Value; }
    // Notifies the dataset, its fields and, unless controls are disabled, its sources.
    virtual void DataEvent(TDataEvent Event, NativeInt Info);

    // ---- provider support: answers for a dataset that is not SQL-based
    virtual bool PSIsSQLBased() { return false; }
    virtual bool PSIsSQLSupported() { return false; }
    virtual UnicodeString PSGetQuoteChar() { return L"\""; }
    virtual TParams* PSGetParams() { return nullptr; }
    virtual void PSSetParams(TParams* Params);
    virtual void PSSetCommandText(const UnicodeString& CommandText);
    virtual int PSExecuteStatement(const UnicodeString& ASQL, TParams* AParams,
                                   TDataSet** ResultSet = nullptr);
    virtual void PSExecute();
    virtual void PSReset();
    virtual bool PSInTransaction() { return false; }
    virtual void PSStartTransaction() {}
    virtual void PSEndTransaction(bool Commit);
    virtual UnicodeString PSGetTableName() { return {}; }
    // The fields marked pfInKey, ';'-separated.
    virtual UnicodeString PSGetKeyFields();
    virtual TIndexDef* PSGetDefaultOrder() { return nullptr; }
    virtual bool PSUpdateRecord(TUpdateKind UpdateKind, TDataSet* Delta);

    // ---- events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;

protected:
    // ---- record buffers (the descendant's)
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer& Buffer) = 0;
    virtual Word GetRecordSize() { return 0; }
    virtual void InitRecord(TRecordBuffer Buffer);
    virtual void InternalInitRecord(TRecordBuffer Buffer) = 0;
    virtual void ClearCalcFields(TRecordBuffer Buffer);
    virtual TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) = 0;
    // Where the calculation area starts in every buffer (the descendant's layout).
    virtual int CalcFieldsOffset() { return GetRecordSize(); }
    // A calculated or lookup field's value in `Buffer`'s calculation area (presence byte, then
    // DataSize bytes); a null Data only asks whether it is present.
    bool GetCalcFieldData(TField* Field, TRecordBuffer Buffer, void* Data);
    void SetCalcFieldData(TField* Field, TRecordBuffer Buffer, const void* Data);

    // ---- bookmarks (the descendant's)
    virtual void GetBookmarkData(TRecordBuffer Buffer, Byte* Data) = 0;
    virtual void SetBookmarkData(TRecordBuffer Buffer, const Byte* Data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) = 0;
    virtual void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) = 0;
    virtual void InternalGotoBookmark(const Byte* Bookmark) = 0;
    virtual void InternalSetToRecord(TRecordBuffer Buffer) = 0;
    void SetBookmarkSize(int Value) { FBookmarkSize = Value; }

    // ---- navigation (the descendant's)
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual int GetRecNo() { return -1; }
    virtual void SetRecNo(int) {}
    virtual int GetRecordCount() { return -1; }
    virtual bool IsCursorOpen() = 0;
    virtual void SetBlockReadSize(int Value);
    virtual void BlockReadNext() { MoveBy(1); }

    // ---- opening and closing
    virtual void SetActive(bool Value);
    virtual void OpenCursor(bool InfoQuery);
    virtual void CloseCursor();
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual void InternalInitFieldDefs() = 0;
    // FieldDefs.Update's path: InternalInitFieldDefs, through an info-only open if needed.
    void InitFieldDefs();
    // Makes a field for each definition (when the dataset has no persistent fields).
    virtual void CreateFields();
    virtual void DestroyFields();
    // Binds data fields to their definitions (FieldNo, type check) and lays out calculated
    // fields; unbinds them with false.
    virtual void BindFields(bool Binding);
    virtual void CheckFieldCompatibility(TField* Field, TFieldDef* FieldDef);
    void SetDefaultFields(bool Value) { FDefaultFields = Value; }
    void Loaded() override;

    // ---- the key state: Post (Commit) or Cancel of dsSetKey; descendants that search by the
    // key call the base first.
    virtual void PostKeyBuffer(bool Commit);

    // ---- editing (the descendant's)
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    // The base checks required fields: descendants call it first.
    virtual void InternalPost();
    virtual void InternalCancel() {}
    virtual void InternalDelete() = 0;
    virtual void InternalAddRecord(TRecordBuffer Buffer, bool Append) = 0;
    virtual void InternalRefresh() {}
    virtual void InternalHandleException();
    virtual bool GetCanModify() { return true; }
    void CheckCanModify();
    void CheckRequiredFields();

    // ---- filtering (descendants apply the filter in GetRecord)
    virtual void SetFiltered(bool Value);
    virtual void SetFilterText(const UnicodeString& Value);
    virtual void SetFilterOptions(TFilterOptions Value);
    virtual void SetOnFilterRecord(const TFilterRecordEvent& Value);
    virtual bool FindRecord(bool Restart, bool GoForward);

    // ---- the Before/After event hooks
    virtual void DoBeforeOpen() { BeforeOpen(this); }
    virtual void DoAfterOpen();
    virtual void DoBeforeClose() { BeforeClose(this); }
    virtual void DoAfterClose() { AfterClose(this); }
    virtual void DoBeforeInsert() { BeforeInsert(this); }
    virtual void DoAfterInsert() { AfterInsert(this); }
    virtual void DoBeforeEdit() { BeforeEdit(this); }
    virtual void DoAfterEdit() { AfterEdit(this); }
    virtual void DoBeforePost() { BeforePost(this); }
    virtual void DoAfterPost() { AfterPost(this); }
    virtual void DoBeforeCancel() { BeforeCancel(this); }
    virtual void DoAfterCancel() { AfterCancel(this); }
    virtual void DoBeforeDelete() { BeforeDelete(this); }
    virtual void DoAfterDelete() { AfterDelete(this); }
    virtual void DoBeforeScroll() { BeforeScroll(this); }
    virtual void DoAfterScroll() { AfterScroll(this); }
    virtual void DoBeforeRefresh() { BeforeRefresh(this); }
    virtual void DoAfterRefresh() { AfterRefresh(this); }
    virtual void DoOnCalcFields() { OnCalcFields(this); }
    virtual void DoOnNewRecord() { OnNewRecord(this); }
    // Lookup fields, then OnCalcFields.
    virtual void CalculateFields(TRecordBuffer Buffer);

    void SetState(TDataSetState Value);
    void ClearBuffers();
    void SetBufferCount(int Value);
    void UpdateBufferCount();
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();

private:
    friend class TDataSource;
    friend class TDataLink;
    friend class TField;
    friend class TFieldDefs;
    friend class TDataSetField;

    void ActivateBuffers();
    void SetCurrentRecord(int Index);
    void MoveBuffer(int CurIndex, int NewIndex);
    void BeginInsertAppend();
    void EndInsertAppend();
    void AddDataSource(TDataSource* DataSource);
    void RemoveDataSource(TDataSource* DataSource);
    void NotifySources(TDataEvent Event, NativeInt Info);
    void DoInternalOpen();
    void CloseAndFreeBuffers();
    // The scroll events, except while a search moves the cursor on the caller's behalf.
    void NotifyBeforeScroll();
    void NotifyAfterScroll();
    bool MatchesKeys(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                     TLocateOptions Options);
    void CalculateLookupField(TField* Field);
    void BeginKeyEdit(bool Clear);
    void FreeKeyBuffers();
    void NotifyNestedDataSets();
    void UnlinkDataSetField();
    // Rebuilds Fields from the top-level fields after the object view changed.
    void ArrangeFields();
    // Scans from the first record for the record whose fields match; leaves the cursor there.
    bool LocateRecord(const UnicodeString& KeyFields, const Variant& KeyValues,
                      TLocateOptions Options);

    TDataSetState FState = dsInactive;
    TDataSetState FDisableState = dsInactive;
    TDataEvent FEnableEvent = deDataSetChange;
    int FDisableCount = 0;
    TFields* FFields = nullptr;
    TFieldDefs* FFieldDefs = nullptr;
    TIndexDefs* FIndexDefs = nullptr;
    TList* FNestedDataSets = nullptr;
    TDataSetField* FDataSetField = nullptr;
    // The dataset whose NestedDataSets lists this one (the field's dataset when it was linked).
    TDataSet* FNestingDataSet = nullptr;
    std::vector<TDataSource*> FDataSources;
    // FBufferCount record buffers plus the spare at the end.
    std::vector<TRecordBuffer> FBuffers;
    int FBufferCount = 0;
    int FRecordCount = 0;
    int FActiveRecord = 0;
    int FCurrentRecord = -1;
    TRecordBuffer FTempBuffer = nullptr;
    TRecordBuffer FCalcBuffer = nullptr;
    // The key being edited, and the key as it was before SetKey/EditKey (for Cancel).
    TRecordBuffer FKeyBuffer = nullptr;
    TRecordBuffer FSavedKeyBuffer = nullptr;
    int FCalcFieldsSize = 0;
    int FBookmarkSize = 0;
    int FBlockReadSize = 0;
    bool FBOF = true;
    bool FEOF = true;
    bool FModified = false;
    bool FFound = false;
    bool FFiltered = false;
    bool FDefaultFields = false;
    bool FAutoCalcFields = true;
    bool FObjectView = false;
    bool FSparseArrays = false;
    bool FInternalCalcFields = false;
    bool FStreamedActive = false;
    int FSearching = 0;
    UnicodeString FFilterText;
    TFilterOptions FFilterOptions;
    TFilterRecordEvent FOnFilterRecord;
};

// ---- Sources and links -------------------------------------------------------------------------

// A link follows one data source: the dataset's events reach it as calls of its virtuals.
//   deUpdateState → ActiveChanged (when the dataset opened or closed) and EditingChanged
//   deFieldChange, deRecordChange → RecordChanged(field, or null for the whole record)
//   deDataSetChange → DataSetChanged; deDataSetScroll → DataSetScrolled(distance);
//   deLayoutChange → LayoutChanged (each of these three calls RecordChanged(null) by default)
//   deUpdateRecord → UpdateData; deCheckBrowseMode → CheckBrowseMode; deFocusControl →
//   FocusControl
class TDataLink : public TPersistent {
    CLASS_INFO(TDataLink, TPersistent)
public:
    TDataLink() = default;
    ~TDataLink() override;
    void BeforeDestruction() override;

    TDataSource* DataSource() const noexcept { return FDataSource; }
    // Raises "Circular datalinks are not allowed" when the source leads back to this link's
    // own dataset.
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;
    bool Active() const noexcept { return FActive; }
    bool Editing() const noexcept { return FEditing; }
    bool ReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool Value);
    // How many records around the current one the link shows (grids: rows).
    int BufferCount() const noexcept { return FBufferCount; }
    void SetBufferCount(int Value);
    // The active record within the link's buffers, and how many of them are filled.
    int ActiveRecord() const;
    int RecordCount() const;
    bool Edit();
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance);
    virtual void EditingChanged() {}
    virtual void FocusControl(TField** Field);
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field);
    virtual void UpdateData() {}
    virtual TDataSet* GetDetailDataSet() { return nullptr; }

private:
    friend class TDataSource;
    friend class TDetailDataLink;
    void DataEvent(TDataEvent Event, NativeInt Info);
    void SetActive(bool Value);
    void SetEditing(bool Value);
    void UpdateState();
    void UpdateRange();

    TDataSource* FDataSource = nullptr;
    int FBufferCount = 1;
    int FFirstRecord = 0;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
};

// The link a detail dataset keeps to its master: GetDetailDataSet names the detail, so that a
// source can tell whether linking would make a circle.
class TDetailDataLink : public TDataLink {
    CLASS_INFO(TDetailDataLink, TDataLink)
public:
    virtual TDataSet* DetailDataSet() { return GetDetailDataSet(); }
};

using TDataChangeEvent = TMethodEvent<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
    CLASS_INFO(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    void BeforeDestruction() override;

    TDataSet* DataSet() const noexcept { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool Value);
    bool AutoEdit() const noexcept { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    TDataSetState State() const noexcept { return FState; }
    // Puts the dataset in edit mode when AutoEdit allows and it is browsing.
    void Edit();
    // True when the dataset is this source's, or a detail of a dataset that is, at any depth.
    bool IsLinkedTo(TDataSet* DataSet) const;
    int LinkCount() const noexcept { return int(FDataLinks.size()); }
    TDataLink* Links(int Index) const { return FDataLinks[std::size_t(Index)]; }

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void AddDataLink(TDataLink* DataLink);
    void RemoveDataLink(TDataLink* DataLink);
    void DataEvent(TDataEvent Event, NativeInt Info);
    void NotifyDataLinks(TDataEvent Event, NativeInt Info);
    void NotifyLinkTypes(TDataEvent Event, NativeInt Info, bool LinkType);
    void SetState(TDataSetState Value);

    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FDataLinks;
    TDataSetState FState = dsInactive;
    bool FEnabled = true;
    bool FAutoEdit = true;
};

// ---- Parameters --------------------------------------------------------------------------------

class TParam : public TCollectionItem {
    CLASS_INFO(TParam, TCollectionItem)
public:
    explicit TParam(TCollection* Collection);

    const UnicodeString& Name() const noexcept { return FName; }
    void SetName(const UnicodeString& Value) { FName = Value; }
    TFieldType DataType() const noexcept { return FDataType; }
    void SetDataType(TFieldType Value);
    TParamType ParamType() const noexcept { return FParamType; }
    void SetParamType(TParamType Value) { FParamType = Value; }
    int Size() const noexcept { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    int NumericScale() const noexcept { return FNumericScale; }
    void SetNumericScale(int Value) { FNumericScale = Value; }
    // True once a value was given (even null).
    bool Bound() const noexcept { return FBound; }
    void SetBound(bool Value) { FBound = Value; }
    bool IsNull() const noexcept { return VarIsClear(FData); }
    void Clear();

    // Setting a value on a parameter of type ftUnknown gives it the value's type.
    Variant Value() const { return FData; }
    void SetValue(const Variant& Value);
    UnicodeString AsString() const;
    void SetAsString(const UnicodeString& Value);
    UnicodeString AsWideString() const { return AsString(); }
    void SetAsWideString(const UnicodeString& Value);
    AnsiString AsAnsiString() const;
    void SetAsAnsiString(const AnsiString& Value);
    // Raw bytes (a byte array): ftBlob.
    std::vector<Byte> AsBlob() const;
    void SetAsBlob(const std::vector<Byte>& Value);
    UnicodeString AsMemo() const { return AsString(); }
    void SetAsMemo(const UnicodeString& Value);
    Integer AsInteger() const;
    void SetAsInteger(Integer Value);
    std::int16_t AsSmallInt() const;
    void SetAsSmallInt(std::int16_t Value);
    Word AsWord() const;
    void SetAsWord(Word Value);
    std::int8_t AsShortInt() const;
    void SetAsShortInt(std::int8_t Value);
    Byte AsByte() const;
    void SetAsByte(Byte Value);
    Int64 AsLargeInt() const;
    void SetAsLargeInt(Int64 Value);
    double AsFloat() const;
    void SetAsFloat(double Value);
    Currency AsCurrency() const;
    void SetAsCurrency(Currency Value);
    bool AsBoolean() const;
    void SetAsBoolean(bool Value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime Value);
    void SetAsDate(TDateTime Value);
    void SetAsTime(TDateTime Value);
    TBcd AsFMTBCD() const;
    void SetAsFMTBCD(const TBcd& Value);
    TSQLTimeStamp AsSQLTimeStamp() const;
    void SetAsSQLTimeStamp(const TSQLTimeStamp& Value);
    // The value as text ("" for null); setting it stores text of the parameter's type.
    UnicodeString Text() const { return VarToStr(FData); }
    void SetText(const UnicodeString& Value);

    // From a parameter (everything) or a field (type, name, value).
    void Assign(TPersistent* Source) override;
    void AssignField(TField* Field);
    void AssignFieldValue(TField* Field, const Variant& Value);
    void AssignTo(TPersistent* Dest) override;
    TParams* Params() const;
    UnicodeString DisplayName() const override { return FName.empty() ? ClassName() : FName; }

protected:
    // What a parameter stores (as collection items are stored, framework/Filer.h): "Name",
    // "DataType", "ParamType", "Size", "Precision", "NumericScale" when not at their defaults,
    // and "Value" once bound (read back as stored, with the stored type).
    void DefineProperties(TFiler* Filer) override;

private:
    Variant FData;
    UnicodeString FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptUnknown;
    int FSize = 0;
    int FPrecision = 0;
    int FNumericScale = 0;
    bool FBound = false;
    void SetTyped(TFieldType Type, const Variant& Value);
};

class TParams : public TCollection {
    CLASS_INFO(TParams, TCollection)
public:
    explicit TParams(TPersistent* Owner = nullptr);

    TParam* Items(int Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
    TParam* operator[](int Index) const { return Items(Index); }
    TParam* CreateParam(TFieldType FldType, const UnicodeString& ParamName, TParamType ParamType);
    TParam* AddParameter() { return static_cast<TParam*>(TCollection::Add()); }
    // Case-insensitive; ParamByName raises "Parameter 'X' not found".
    TParam* FindParam(const UnicodeString& Value) const;
    TParam* ParamByName(const UnicodeString& Value) const;
    // Copies the values of the parameters of the same names.
    void AssignValues(TParams* Value);
    // Same count, and each pair of the same name, type and value.
    bool IsEqual(TParams* Value) const;
    // The values of several parameters (';'-separated) as a variant array, or one value.
    Variant ParamValues(const UnicodeString& ParamName) const;
    void Assign(TPersistent* Source) override;
};

// ---- Connections -------------------------------------------------------------------------------

using TConnectChangeEvent = TMethodEvent<void(TObject* Sender, bool Connecting)>;
using TLoginEvent = TMethodEvent<void(TObject* Sender, const UnicodeString& Username,
                                      const UnicodeString& Password)>;

// A connection and the clients that follow it (datasets and others). Connecting runs
// BeforeConnect, DoConnect, the clients' connect events (true), AfterConnect; disconnecting runs
// BeforeDisconnect, the clients' events (false), DoDisconnect, AfterDisconnect. While the owner
// loads, `Connected = true` is kept until Loaded.
class TCustomConnection : public TComponent {
    CLASS_INFO(TCustomConnection, TComponent)
public:
    explicit TCustomConnection(TComponent* AOwner);
    void BeforeDestruction() override;

    bool Connected() { return GetConnected(); }
    void SetConnectedValue(bool Value) { SetConnected(Value); }
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }
    bool LoginPrompt() const noexcept { return FLoginPrompt; }
    void SetLoginPrompt(bool Value) { FLoginPrompt = Value; }
    virtual int DataSetCount() const;
    virtual TDataSet* DataSets(int Index) const;
    // A client follows the connection: `Event` hears connects and disconnects. Datasets are
    // also counted in DataSets.
    virtual void RegisterClient(TObject* Client, const TConnectChangeEvent& Event = {});
    virtual void UnRegisterClient(TObject* Client);
    int ClientCount() const noexcept { return int(FClients.size()); }

    TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
    TLoginEvent OnLogin;

protected:
    virtual bool GetConnected() { return false; }
    virtual void SetConnected(bool Value);
    virtual void DoConnect() {}
    virtual void DoDisconnect() {}
    virtual void SendConnectEvent(bool Connecting);
    void Loaded() override;
    bool StreamedConnected() const noexcept { return FStreamedConnected; }
    void SetStreamedConnected(bool Value) { FStreamedConnected = Value; }

private:
    struct TClient {
        TObject* Client;
        TConnectChangeEvent Event;
    };
    std::vector<TClient> FClients;
    bool FLoginPrompt = false;
    bool FStreamedConnected = false;
};

// "Name" from "Name;Other": the name at `Pos` (1-based) and `Pos` moved past its ';'.
UnicodeString ExtractFieldName(const UnicodeString& Fields, int& Pos);
