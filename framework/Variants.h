// `Variant`: a value that carries its own kind, as database fields, parameters and key lists
// exchange them. A variant owns its value: copying one copies the value (arrays are shared
// until one of the copies is changed).
//
// Kinds (`VarType` codes, fixed numbers that code compares and stores):
//   varEmpty 0 (unassigned)  varNull 1       varSmallint 2 (Int16)  varInteger 3 (Int32)
//   varSingle 4   varDouble 5   varCurrency 6   varDate 7 (TDateTime)   varOleStr 8 (UTF-16)
//   varBoolean 0xB   varVariant 0xC (array elements only)   varShortInt 0x10   varByte 0x11
//   varWord 0x12   varLongWord 0x13   varInt64 0x14   varUInt64 0x15
//   varString 0x100 (8-bit, ANSI code page)   varUString 0x102 (UTF-16)
//   varFMTBcd 0x110 (a TBcd)   varSQLTimeStamp 0x111 (a TSQLTimeStamp)
//   varArray 0x2000 | element kind: an array of one dimension with its own bounds; a byte array
//     (varArray | varByte) keeps its bytes contiguous for VarArrayLock
//   varByRef 0x4000: a pointer held for its owner (an object), never dereferenced here
//
// Conversion rules (VarAsType, the As* accessors, and comparisons that need a common kind):
//   - Empty converts to 0, False, "" and the zero date; Null converts to nothing: every
//     conversion of Null raises EVariantTypeCastError (VarToStr answers "" for it).
//   - Integer targets take integers, Boolean (True is -1, False 0), Currency, floats and dates
//     (rounded, halves to even), FMTBcd (rounded, halves away from zero) and text holding an
//     integer or a number. A value outside the target's range raises EVariantOverflowError.
//   - Float and date targets take every number and text; dates and numbers convert to each other
//     as TDateTime's day count. Text becomes a date by StrToDateTime, then by number.
//   - Currency and FMTBcd take every number and text, exactly where the source is exact.
//   - Boolean takes numbers (non-zero is True) and the texts "True"/"False" (any case) or a number.
//   - Text takes every scalar kind: integers in decimal, floats in their shortest text, Boolean
//     as "True"/"False", dates as DateTimeToStr ("c"), Currency and FMTBcd exactly.
//   - SQLTimeStamp converts to and from dates (and so numbers) and text.
//   - Text ↔ number and text ↔ date use the user's locale (`FormatSettings()`): "1,5" is 1.5
//     under a comma-decimal locale. 8-bit text converts through the ANSI code page.
//   - Arrays and by-reference values convert to nothing but their own kind.
//   Failures: EVariantTypeCastError "Could not convert variant of type (<from>) into type
//   (<to>)"; EVariantOverflowError "Arithmetic overflow converting variant of type (<from>)
//   into type (<to>)".
//
// Equality and ordering (VarCompareValue, operator==):
//   1. Empty equals Empty and Null equals Null; each is unequal to every other value and sorts
//      before it, Null before Empty.
//   2. Two texts (any of the three text kinds) compare ordinally by UTF-16 code unit.
//   3. Text against a non-text converts the text to the other side's kind by the rules above
//      (so the integer 1 equals the text "1"); when that fails, EVariantTypeCastError.
//   4. Numbers (integers, Boolean as -1/0, Currency, floats, dates, FMTBcd) compare by value:
//      exactly between integers, Currency and FMTBcd; as doubles when a float or a date takes
//      part (a NaN is unequal to everything and unordered: vrNotEqual).
//   5. SQLTimeStamps compare by their fields; against a date or a number, as dates.
//   6. Arrays are equal when bounds and every element are equal; by-reference values when they
//      hold the same pointer. They have no order, and compare with no other kind:
//      VarCompareValue answers vrEqual or vrNotEqual for them.
#pragma once

#include "framework/Currency.h"
#include "framework/DateTime.h"
#include "framework/Exceptions.h"
#include "framework/FMTBcd.h"
#include "framework/SQLTimSt.h"
#include "framework/System.h"

#include <initializer_list>
#include <memory>
#include <variant>
#include <vector>

using TVarType = Word;

inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varShortInt = 0x0010;
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varUInt64 = 0x0015;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varUString = 0x0102;
inline constexpr TVarType varFMTBcd = 0x0110;
inline constexpr TVarType varSQLTimeStamp = 0x0111;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;
inline constexpr TVarType varByRef = 0x4000;

class EVariantError : public Exception {
public:
    using Exception::Exception;
};
class EVariantTypeCastError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
class EVariantOverflowError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
class EVariantInvalidOpError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
class EVariantBadIndexError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
// A value of the wrong class or kind asked for as another ("Invalid class typecast").
class EInvalidCast : public Exception {
public:
    using Exception::Exception;
};

struct TVarArrayData;

class Variant {
public:
    Variant() noexcept = default;
    Variant(bool value);
    Variant(std::int8_t value);
    Variant(Byte value);
    Variant(std::int16_t value);
    Variant(Word value);
    Variant(Integer value);
    Variant(LongWord value);
    Variant(long value);
    Variant(unsigned long value);
    Variant(Int64 value);
    Variant(UInt64 value);
    Variant(float value);
    Variant(double value);
    Variant(Currency value);
    Variant(const wchar_t* value);
    Variant(const UnicodeString& value);
    // 8-bit text in the ANSI code page: varString.
    Variant(const AnsiString& value);
    Variant(const TBcd& value);
    Variant(const TSQLTimeStamp& value);
    // Neither 8-bit literals nor other pointers turn into Boolean values by accident.
    Variant(const char*) = delete;
    template <class T> Variant(T*) = delete;

    static Variant Null();
    static Variant FromDate(TDateTime value);
    static Variant FromOleStr(const UnicodeString& value);
    static Variant ByRef(void* pointer);

    TVarType VType() const noexcept { return FType; }

    // The value converted by the rules above.
    Int64 AsInt64() const;
    UInt64 AsUInt64() const;
    Integer AsInteger() const;
    double AsDouble() const;
    TDateTime AsDate() const;
    bool AsBoolean() const;
    Currency AsCurrency() const;
    TBcd AsBcd() const;
    TSQLTimeStamp AsSQLTimeStamp() const;
    UnicodeString AsString() const;
    AnsiString AsAnsiString() const;
    // The held pointer of a varByRef value; EVariantTypeCastError for any other kind.
    void* AsPointer() const;

    // The stored value (framework/VariantAccess.h gives the payload of each kind).
    using Payload = std::variant<std::monostate, Int64, UInt64, double, UnicodeString, AnsiString,
                                 TBcd, TSQLTimeStamp, void*, std::shared_ptr<TVarArrayData>>;

private:
    friend struct VariantAccess;
    TVarType FType = varEmpty;
    Payload FValue;
};

// Variants.cpp's array store: elements as variants of the element kind, or raw bytes.
struct TVarArrayData {
    TVarType ElementType = varVariant;
    int LowBound = 0;
    std::vector<Variant> Items;
    std::vector<Byte> Bytes;
    int LockCount = 0;
};

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

Variant Null();
Variant Unassigned();

inline TVarType VarType(const Variant& value) noexcept { return value.VType(); }
bool VarIsNull(const Variant& value) noexcept;
bool VarIsEmpty(const Variant& value) noexcept;
// Empty or Null.
bool VarIsClear(const Variant& value) noexcept;
bool VarIsStr(const Variant& value) noexcept;
bool VarIsOrdinal(const Variant& value) noexcept;
bool VarIsFloat(const Variant& value) noexcept;
// Ordinal or float (Boolean and Currency count; dates, FMTBcd and text do not).
bool VarIsNumeric(const Variant& value) noexcept;
bool VarIsArray(const Variant& value) noexcept;

// The kind's name as it appears in conversion errors ("Integer", "String", "Array Byte").
UnicodeString VarTypeAsText(TVarType type);

// The value as text; Null (and Empty) give "".
UnicodeString VarToStr(const Variant& value);
UnicodeString VarToStrDef(const Variant& value, const UnicodeString& defaultValue);
// The value converted to `type`; varEmpty gives Empty, varNull gives Null for Empty and Null.
Variant VarAsType(const Variant& value, TVarType type);

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
bool operator==(const Variant& a, const Variant& b);

// Arrays. Bounds are inclusive; `elementType` is a scalar kind or varVariant. A high bound
// below the low bound minus one, or an element kind that cannot be held, raises
// EVariantError. Indexes outside the bounds raise EVariantBadIndexError.
Variant VarArrayCreate(int lowBound, int highBound, TVarType elementType);
// An array of varVariant elements holding the given values, from index 0.
Variant VarArrayOf(std::initializer_list<Variant> values);
int VarArrayDimCount(const Variant& value) noexcept;
int VarArrayLowBound(const Variant& value, int dim);
int VarArrayHighBound(const Variant& value, int dim);
Variant VarArrayGet(const Variant& array, int index);
// Stores the value converted to the element kind.
void VarArrayPut(Variant& array, const Variant& value, int index);
// The elements in place: bytes for a byte array, `Variant`s otherwise. The array is not copied
// while locked, and resizing it raises EVariantError.
void* VarArrayLock(Variant& array);
void VarArrayUnlock(Variant& array);
// Changes the high bound, keeping the elements that stay.
void VarArrayRedim(Variant& array, int highBound);

// The custom kinds, as the data code names them.
inline TVarType VarFMTBcd() noexcept { return varFMTBcd; }
inline TVarType VarSQLTimeStamp() noexcept { return varSQLTimeStamp; }
inline Variant VarFMTBcdCreate(const TBcd& value) { return Variant(value); }
inline Variant VarSQLTimeStampCreate(const TSQLTimeStamp& value) { return Variant(value); }
inline bool VarIsFMTBcd(const Variant& value) noexcept { return value.VType() == varFMTBcd; }
inline bool VarIsSQLTimeStamp(const Variant& value) noexcept {
    return value.VType() == varSQLTimeStamp;
}
