// Field descriptors and the record layout of the engine's record storages:
//
//   dt* codes         the engine's data types (TEngineDataType, 0 to 32)
//   TFieldDesc        one column: type, length, size and offset in the record, flags
//   TFieldDescs       the owning list of descriptors, with the three-step name look-up
//   TRecordLayout     sizes of a record's stored and calculated areas
//   InitRecordLayout  the layout rule: values in descriptor order (a WideString at an even
//                     offset), one null-flag byte per descriptor, an odd RecordSize, the
//                     calculated values after it
//   MakeUniqueFieldNames  "ID", "ID" become "ID", "ID_1"; an unnamed field "_0"
//
// By-reference values (blobs, variant holders, string-heap buffers) take a pointer's size in
// the record: 4 bytes in the 32-bit product, 8 in the 64-bit build.
#pragma once

#include "data/engine/MemDataObjectTypes.h"
#include "framework/Lists.h"

using TEngineDataType = Word;
inline constexpr TEngineDataType dtUnknown = 0;
inline constexpr TEngineDataType dtString = 1;
inline constexpr TEngineDataType dtInt8 = 2;
inline constexpr TEngineDataType dtInt16 = 3;
inline constexpr TEngineDataType dtInt32 = 4;
inline constexpr TEngineDataType dtFloat = 5;
inline constexpr TEngineDataType dtDate = 6;
inline constexpr TEngineDataType dtTime = 7;
inline constexpr TEngineDataType dtDateTime = 8;
inline constexpr TEngineDataType dtUInt16 = 9;
inline constexpr TEngineDataType dtBoolean = 10;
inline constexpr TEngineDataType dtInt64 = 11;
inline constexpr TEngineDataType dtCurrency = 12;
inline constexpr TEngineDataType dtBlob = 13;
inline constexpr TEngineDataType dtMemo = 14;
inline constexpr TEngineDataType dtObject = 15;
inline constexpr TEngineDataType dtReference = 16;
inline constexpr TEngineDataType dtArray = 17;
inline constexpr TEngineDataType dtTable = 18;
inline constexpr TEngineDataType dtVariant = 19;
inline constexpr TEngineDataType dtExtString = 20;
inline constexpr TEngineDataType dtBytes = 21;
inline constexpr TEngineDataType dtVarBytes = 22;
inline constexpr TEngineDataType dtExtVarBytes = 23;
inline constexpr TEngineDataType dtUInt32 = 24;
inline constexpr TEngineDataType dtWideString = 25;
inline constexpr TEngineDataType dtExtWideString = 26;
inline constexpr TEngineDataType dtBCD = 27;
inline constexpr TEngineDataType dtFMTBCD = 28;
inline constexpr TEngineDataType dtGuid = 29;
inline constexpr TEngineDataType dtWideMemo = 30;
inline constexpr TEngineDataType dtSQLTimeStamp = 31;
inline constexpr TEngineDataType dtCursor = 32;

// The width a value of the type takes in the record for a declared Length; for the
// provider-defined types (Unknown, Object, Reference, Array, Table, Cursor) `Declared`.
Word FieldSizeOf(TEngineDataType DataType, Word Length, Word Declared = 0);

// The byte count in front of an in-place VarBytes value (and of an ExtVarBytes buffer). It is
// unsigned: a Length may reach 65 535, and counts above 32 767 must not read as negative.
inline Word VarBytesCount(const void* Value) {
    Word count;
    std::memcpy(&count, Value, 2);
    return count;
}
inline void SetVarBytesCount(void* Value, Word Count) { std::memcpy(Value, &Count, 2); }

enum TFieldDescKind { fdkData, fdkCached, fdkCalculated };

class TFieldDesc : public TObject {
    CLASS_INFO(TFieldDesc, TObject)
public:
    TFieldDesc() = default;
    ~TFieldDesc() override { SetObjectType(nullptr); }

    bool HasParent() const { return FParentField != nullptr; }
    // Copies exactly Name, ActualName, DataType, Length, Scale, Size, Offset, Required and
    // FieldNo.
    virtual void Assign(const TFieldDesc* FieldDesc);

    const UnicodeString& Name() const { return FName; }
    void SetName(const UnicodeString& Value) { FName = Value; }
    const UnicodeString& ActualName() const { return FActualName; }
    void SetActualName(const UnicodeString& Value) { FActualName = Value; }
    Word DataType() const { return FDataType; }
    void SetDataType(Word Value) { FDataType = Value; }
    Word SubDataType() const { return FSubDataType; }
    void SetSubDataType(Word Value) { FSubDataType = Value; }
    Word Length() const { return FLength; }
    void SetLength(Word Value) { FLength = Value; }
    Word Scale() const { return FScale; }
    void SetScale(Word Value) { FScale = Value; }
    Word FieldNo() const { return FFieldNo; }
    void SetFieldNo(Word Value) { FFieldNo = Value; }
    Word ActualFieldNo() const { return FActualFieldNo; }
    void SetActualFieldNo(Word Value) { FActualFieldNo = Value; }
    Word Size() const { return FSize; }
    void SetSize(Word Value) { FSize = Value; }
    Integer Offset() const { return FOffset; }
    void SetOffset(Integer Value) { FOffset = Value; }
    Integer DataOffset() const { return FDataOffset; }
    void SetDataOffset(Integer Value) { FDataOffset = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool IsKey() const { return FIsKey; }
    void SetIsKey(bool Value) { FIsKey = Value; }
    bool Fixed() const { return FFixed; }
    void SetFixed(bool Value) { FFixed = Value; }
    bool Hidden() const { return FHidden; }
    void SetHidden(bool Value) { FHidden = Value; }
    TObjectType* ObjectType() const { return FObjectType; }
    // Releases the old type and adds a reference to the new one.
    void SetObjectType(TObjectType* Value);
    TFieldDesc* ParentField() const { return FParentField; }
    void SetParentField(TFieldDesc* Value) { FParentField = Value; }
    bool HiddenObject() const { return FHiddenObject; }
    void SetHiddenObject(bool Value) { FHiddenObject = Value; }
    void* Handle() const { return FHandle; }
    void SetHandle(void* Value) { FHandle = Value; }
    bool Reserved() const { return FReserved; }
    void SetReserved(bool Value) { FReserved = Value; }
    TFieldDescKind FieldDescKind() const { return FFieldDescKind; }
    void SetFieldDescKind(TFieldDescKind Value) { FFieldDescKind = Value; }

private:
    UnicodeString FName;
    UnicodeString FActualName;
    Word FDataType = dtUnknown;
    Word FSubDataType = 0;
    Word FLength = 0;
    Word FScale = 0;
    Word FFieldNo = 0;
    Word FActualFieldNo = 0;
    Word FSize = 0;
    Integer FOffset = 0;
    Integer FDataOffset = 0;
    bool FRequired = false, FReadOnly = false, FIsKey = false, FFixed = false, FHidden = false;
    TObjectType* FObjectType = nullptr;
    TFieldDesc* FParentField = nullptr;
    bool FHiddenObject = false;
    void* FHandle = nullptr;
    bool FReserved = false;
    TFieldDescKind FFieldDescKind = fdkData;
};

// Owns its descriptors: Clear and the destructor free them.
class TFieldDescs : public TList {
    CLASS_INFO(TFieldDescs, TList)
public:
    TFieldDescs() = default;
    void BeforeDestruction() override;
    void Clear() override;

    TFieldDesc* Items(int Index) const { return static_cast<TFieldDesc*>(TList::Items(Index)); }
    // Case-insensitive in the user's locale: a top-level name, then (for a name with "." or
    // "[") any descriptor's ActualName, then a child's name; nil when none matches.
    TFieldDesc* FindField(const UnicodeString& Name) const;
    // Exception "Field %s not found".
    TFieldDesc* FieldByName(const UnicodeString& Name) const;
};

struct TRecordLayout {
    Integer DataSize = 0;
    Integer CalcDataSize = 0;
    Integer RecordSize = 0;
    Integer CalcRecordSize = 0;
};

// Sets every stored and calculated descriptor's Offset and answers the sizes; NullFlagCount is
// the storage's count of null-flag bytes (one per descriptor, children included).
TRecordLayout InitRecordLayout(TFieldDescs& Fields, Integer NullFlagCount);
void MakeUniqueFieldNames(TFieldDescs& Fields);

// The attribute path of a child descriptor below its top-level ancestor ("ADDR.CITY" is
// "CITY"; an array element "[2]" follows its array's name directly: "ITEMS[2]").
UnicodeString ChildFieldPath(const TFieldDesc* Field);
