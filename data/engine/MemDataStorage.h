// The abstract record storage of the engine (TData): it owns the field descriptors and the
// string heap, lays records out, keeps the prepared/active state and the navigation flags,
// manages the complex values inside record buffers (blobs, variant holders, heap strings) and
// converts field values between the record form and the native, variant and comparison forms.
// A concrete storage (the in-memory record list) implements the record-level operations.
//
// Assumptions: a storage is used by one thread at a time; record buffers passed in are at least
// RecordSize bytes (RecordSize + CalcRecordSize when calculated values are read); field numbers
// are 1-based as the descriptors' FieldNo.
//
// A filter text is parsed into a new expression tree that replaces the old one only when the
// parse succeeds, so a refused text leaves the old text and the old filter in place.
#pragma once

#include "data/engine/MemDataBlobs.h"
#include "data/engine/MemDataFields.h"
#include "data/engine/MemDataFilter.h"
#include "data/engine/MemDataHeap.h"

#include "framework/DBConsts.h"

#include <functional>

// The storage's update kinds are the class library's, ordinal for ordinal (ukUpdate is its
// ukModify), so that a storage and a dataset can be used together.
using TUpdateRecKind = TUpdateKind;
inline constexpr TUpdateRecKind ukUpdate = ukModify;
enum TDateFormat { dfMSecs, dfDateTime, dfTime, dfDate };

// Set of TItemStatus values, one bit each.
using TItemTypes = Byte;
constexpr TItemTypes ItemType(TItemStatus Status) { return TItemTypes(1u << Status); }

using TOnModifyRecord = std::function<void()>;
using TOnApplyRecord =
    std::function<void(TUpdateRecKind UpdateKind, TUpdateRecAction& Action, bool LastItem)>;
using TOnFieldsChanged = std::function<void()>;
using TFilterFunc = std::function<bool(void* RecBuf)>;
using TOnGetCachedFields = std::function<void()>;
using TOnGetCachedBuffer = std::function<void(void* Buffer, void* Source)>;

#pragma pack(push, 1)
struct TRecBookmark {
    Integer RefreshIteration;
    PItemHeader Item;
    Integer Order; // record number; -1 = none
};
#pragma pack(pop)

class TData : public TObject {
    CLASS_INFO(TData, TObject)
public:
    TData();
    void BeforeDestruction() override;
    ~TData() override;

    // --- state ---
    void Open();
    void Close();
    virtual void Prepare();
    virtual void UnPrepare();
    virtual bool IsFullReopen() { return true; }
    virtual void Reopen();
    bool IsActive() const { return Active; }
    bool IsPrepared() const { return Prepared; }

    // --- fields ---
    virtual void InitFields();
    virtual void ExplicitInitFields() { InitFields(); }
    virtual void ClearFields();
    TFieldDescs* Fields() const { return FFields; }
    Integer FieldCount() const { return FFields->Count(); }
    TFieldDesc* FindField(const UnicodeString& Name) const { return FFields->FindField(Name); }
    TFieldDesc* FieldByName(const UnicodeString& Name) const { return FFields->FieldByName(Name); }
    bool HasFields(std::initializer_list<Byte> FieldTypes) const;
    bool HasBlobFields() const;
    bool CheckHasComplexFields();
    virtual bool IsBlobFieldType(Word DataType) const;
    virtual bool IsComplexFieldType(Word DataType) const;
    virtual UnicodeString ArrayElementName(Integer Index) const;
    virtual Integer NullFlagCount() const { return FieldCount(); }
    virtual bool IsConvertEOL() const { return false; }

    // --- field values (native form) ---
    virtual void GetField(Word FieldNo, void* RecBuf, void* Dest, bool& IsBlank);
    virtual void GetFieldData(TFieldDesc* Field, void* FieldBuf, void* Dest);
    virtual void PutFieldData(TFieldDesc* Field, void* FieldBuf, const void* Source);
    void PutField(Word FieldNo, void* RecBuf, const void* Source);
    virtual bool GetNull(Word FieldNo, void* RecBuf);
    virtual void SetNull(Word FieldNo, void* RecBuf, bool Value);
    bool GetNullByBlob(Word FieldNo, void* RecBuf);
    // The value in comparison form; NativeBuffer false when the result is a temporary that the
    // caller frees with FreeFieldBuf.
    void* GetFieldBuf(void* RecBuf, TFieldDesc* FieldDesc, Integer& DataType, bool& IsBlank,
                      bool& NativeBuffer);
    static void FreeFieldBuf(void* Buf);
    // --- variant form ---
    virtual void GetFieldAsVariant(Word FieldNo, void* RecBuf, Variant& Value);
    virtual void PutFieldAsVariant(Word FieldNo, void* RecBuf, const Variant& Value);
    virtual void GetDateFromBuf(const void* Buf, TFieldDesc* Field, void* Date, TDateFormat Format);
    virtual void PutDateToBuf(void* Buf, TFieldDesc* Field, const void* Date, TDateFormat Format);

    // --- records (abstract in this class) ---
    virtual void GetRecord(void* RecBuf) = 0;
    virtual void GetNextRecord(void* RecBuf) = 0;
    virtual void GetPriorRecord(void* RecBuf) = 0;
    virtual void PutRecord(void* RecBuf) = 0;
    virtual void AppendRecord(void* RecBuf) = 0;
    virtual void InsertRecord(void* RecBuf) = 0;
    virtual void UpdateRecord(void* RecBuf) = 0;
    virtual void DeleteRecord() = 0;
    virtual void CancelRecord(void* RecBuf);

    void* AllocRecBuf(void*& RecBuf);
    void FreeRecBuf(void* RecBuf);
    void InitRecord(void* RecBuf);
    void AppendBlankRecord();
    void EditRecord(void* RecBuf);
    void PostRecord(void* RecBuf);

    // --- complex values ---
    virtual void CreateComplexFields(void* RecBuf, bool WithBlob);
    virtual void CreateComplexField(void* RecBuf, Integer FieldIndex, bool WithBlob);
    virtual void FreeComplexFields(void* RecBuf, bool WithBlob);
    virtual void CopyComplexFields(void* Source, void* Dest, bool WithBlob);
    virtual void AddRefComplexFields(void* RecBuf);
    TSharedObject* GetObject(Word FieldNo, void* RecBuf);
    void SetObject(Word FieldNo, void* RecBuf, TSharedObject* Obj);

    // --- blobs (TrueUnicode false: the 8-bit view of UTF-16 content) ---
    Integer ReadBlob(Word FieldNo, void* RecBuf, Integer Position, Integer Count, void* Dest,
                     bool FromRollback = false, bool TrueUnicode = false);
    void WriteBlob(Word FieldNo, void* RecBuf, Integer Position, Integer Count, const void* Source,
                   bool TrueUnicode = false);
    void TruncateBlob(Word FieldNo, void* RecBuf, Integer Size, bool TrueUnicode = false);
    Integer GetBlobSize(Word FieldNo, void* RecBuf, bool FromRollback = false,
                        bool TrueUnicode = false);
    void SetBlobSize(Word FieldNo, void* RecBuf, Integer NewSize, bool FromRollback = false,
                     bool TrueUnicode = false);

    // --- navigation ---
    virtual void SetToBegin();
    virtual void SetToEnd();
    bool Bof() { return GetBOF(); }
    bool Eof() { return GetEOF(); }
    Integer RecordCount() { return GetRecordCount(); }
    Integer RecordNo() { return GetRecordNo(); }
    void SetRecordNoValue(Integer Value) { SetRecordNo(Value); }
    virtual void GetBookmark(TRecBookmark* Bookmark);
    virtual void SetToBookmark(TRecBookmark* Bookmark);
    virtual bool BookmarkValid(const TRecBookmark* Bookmark);
    virtual Integer CompareBookmarks(const TRecBookmark* Bookmark1, const TRecBookmark* Bookmark2);

    // --- cached updates ---
    bool CachedUpdates() const { return FCachedUpdates; }
    virtual void SetCachedUpdates(bool Value);
    bool UpdatesPending() { return GetUpdatesPending(); }
    virtual TItemStatus GetUpdateStatus() { return isUnmodified; }
    virtual TUpdateRecAction GetUpdateResult() { return urNone; }
    virtual void SetCacheRecBuf(void* NewBuf, void* OldBuf);
    virtual void ApplyUpdates() {}
    virtual void CommitUpdates() {}
    virtual void CancelUpdates() {}
    virtual void RestoreUpdates() {}
    virtual void RevertRecord() {}
    virtual void ApplyRecord(TUpdateRecKind UpdateKind, TUpdateRecAction& Action, bool LastItem);
    virtual void GetOldRecord(void* RecBuf) { (void)RecBuf; }
    virtual void FilterUpdated() {}

    // --- filter ---
    const UnicodeString& FilterText() const { return FFilterText; }
    virtual void SetFilterText(const UnicodeString& Value);
    TItemTypes FilterItemTypes() const { return FFilterItemTypes; }
    virtual void SetFilterItemTypes(TItemTypes Value) { FFilterItemTypes = Value; }
    bool HasFilterExpression() const { return FilterExpression != nullptr; }
    // Whether a filter function or a filter expression is set.
    bool IsFiltered() const { return FilterFunc || FilterMDFunc || FilterExpression; }
    // The filter expression's verdict on a record (true without an expression).
    bool EvalFilter(void* RecBuf);

    Integer RecordSize() const { return FRecordSize; }
    Integer CalcRecordSize() const { return FCalcRecordSize; }

    TFilterFunc FilterFunc, FilterMDFunc;
    bool FilterCaseInsensitive = false, FilterNoPartialCompare = false;
    bool AutoInitFields = true, TrimFixedChar = false, TrimVarChar = false;
    bool EnableEmptyStrings = false, SparseArrays = false, HasComplexFields = false;
    TOnModifyRecord OnAppend, OnDelete, OnUpdate;
    TOnApplyRecord OnApplyRecord;
    TOnGetCachedFields OnGetCachedFields;
    TOnGetCachedBuffer OnGetCachedBuffer;
    TOnFieldsChanged OnFieldsChanged;

    TStringHeap* StringHeap;

protected:
    virtual void DoPrepare() {}
    virtual void DoUnPrepare() {}
    virtual void DoOpen(bool Param) { (void)Param; }
    virtual void DoClose() {}
    virtual void InitData();
    virtual void FreeData() { InitData(); }
    virtual void InitFieldDescs() {}
    virtual bool GetEOF() { return FEOF; }
    virtual bool GetBOF() { return FBOF; }
    virtual Integer GetRecordCount() { return -1; }
    virtual Integer GetRecordNo() { return -1; }
    virtual void SetRecordNo(Integer Value) { (void)Value; }
    virtual bool GetUpdatesPending() { return false; }
    void NotifyAppend();
    void NotifyDelete();
    void NotifyUpdate();
    // Parses the text into a new expression that replaces the old one only on success.
    void ParseFilter(const UnicodeString& Text);
    void FreeFilterExpression();
    bool Eval(TExpressionNode* Node);
    TFieldDesc* FieldOf(Word FieldNo) const;

    Integer FRecordSize = 0, FCalcRecordSize = 0;
    bool FCachedUpdates = false;
    UnicodeString FFilterText;
    TItemTypes FFilterItemTypes = 0;
    Integer FRecordNoOffset = 0, FRecordCount = 0;
    bool FBOF = true, FEOF = true;
    Integer DataSize = 0, CalcDataSize = 0;
    TFieldDescs* FFields;
    bool Active = false, Prepared = false;
    void* NewCacheRecBuf = nullptr;
    void* OldCacheRecBuf = nullptr;

    // Parser state while a filter text is read, and the parsed expression with its node chain.
    TBoolParser* Parser = nullptr;
    Integer Code = 0;
    UnicodeString StrLexem;
    TExpressionNode* FilterExpression = nullptr;
    TExpressionNode* FirstAlloc = nullptr;
    void* FilterRecBuf = nullptr;

private:
    TExpressionNode* AllocNode(TExpressionType NodeType, TExpressionNode* Left = nullptr,
                               TExpressionNode* Right = nullptr);
    void NextLexem() { Code = Parser->GetNext(StrLexem); }
    TExpressionNode* ParseExpression();
    TExpressionNode* ParseTerm();
    TExpressionNode* ParseFactor();
    TExpressionNode* ParseOperand();
    TExpressionNode* FieldNode(const UnicodeString& Name);
    Variant OperandValue(TExpressionNode* Node);
    bool Compare(TExpressionNode* Node);
    // A comparison of plain numbers (a number field of the engine's own types, not null, and
    // a number literal) decided without variants, by the rules the variant comparison applies;
    // false when the comparison is of another kind and needs the general path.
    bool ComparePlainNumbers(TExpressionNode* Node, bool& Result);
    TBlob* BlobOf(Word FieldNo, void* RecBuf);
};

// Frees, at the end of a scope, a field buffer GetFieldBuf made for the caller (one that is not
// the record's own bytes).
struct TFieldBufHold {
    void* Buf;
    bool Native;
    ~TFieldBufHold() {
        if (!Native) TData::FreeFieldBuf(Buf);
    }
};
