// Variant construction, kind tests and names. Values are stored by the payload table of
// framework/VariantAccess.h; conversions and comparisons are in VariantsConvert.cpp and
// VariantsCompare.cpp, arrays in VariantsArray.cpp.
#include "framework/VariantAccess.h"

#include "framework/TextEncoding.h"

namespace {

Variant Make(TVarType type, Variant::Payload value) {
    return VariantAccess::Make(type, std::move(value));
}

} // namespace

Variant::Variant(bool value) : FType(varBoolean), FValue(Int64(value ? -1 : 0)) {}
Variant::Variant(std::int8_t value) : FType(varShortInt), FValue(Int64(value)) {}
Variant::Variant(Byte value) : FType(varByte), FValue(Int64(value)) {}
Variant::Variant(std::int16_t value) : FType(varSmallint), FValue(Int64(value)) {}
Variant::Variant(Word value) : FType(varWord), FValue(Int64(value)) {}
Variant::Variant(Integer value) : FType(varInteger), FValue(Int64(value)) {}
Variant::Variant(LongWord value) : FType(varLongWord), FValue(Int64(value)) {}
Variant::Variant(long value) : FType(varInteger), FValue(Int64(value)) {}
Variant::Variant(unsigned long value) : FType(varLongWord), FValue(Int64(value)) {}
Variant::Variant(Int64 value) : FType(varInt64), FValue(value) {}
Variant::Variant(UInt64 value) : FType(varUInt64), FValue(value) {}
Variant::Variant(float value) : FType(varSingle), FValue(double(value)) {}
Variant::Variant(double value) : FType(varDouble), FValue(value) {}
Variant::Variant(Currency value) : FType(varCurrency), FValue(value.Value) {}
Variant::Variant(const wchar_t* value) : FType(varUString), FValue(UnicodeString(value)) {}
Variant::Variant(const UnicodeString& value) : FType(varUString), FValue(value) {}
Variant::Variant(const AnsiString& value) : FType(varString), FValue(value) {}
Variant::Variant(const TBcd& value) : FType(varFMTBcd), FValue(value) {}
Variant::Variant(const TSQLTimeStamp& value) : FType(varSQLTimeStamp), FValue(value) {}

Variant Variant::Null() { return Make(varNull, {}); }
Variant Variant::FromDate(TDateTime value) { return Make(varDate, value); }
Variant Variant::FromOleStr(const UnicodeString& value) { return Make(varOleStr, value); }
Variant Variant::ByRef(void* pointer) { return Make(varByRef, pointer); }

void* Variant::AsPointer() const {
    if (FType != varByRef) VarCastError(FType, varByRef);
    return std::get<void*>(FValue);
}

Variant Null() { return Variant::Null(); }
Variant Unassigned() { return Variant(); }

bool VarIsNull(const Variant& value) noexcept { return value.VType() == varNull; }
bool VarIsEmpty(const Variant& value) noexcept { return value.VType() == varEmpty; }
bool VarIsClear(const Variant& value) noexcept { return VarIsNull(value) || VarIsEmpty(value); }
bool VarIsStr(const Variant& value) noexcept { return IsTextKind(value.VType()); }
bool VarIsArray(const Variant& value) noexcept { return (value.VType() & varArray) != 0; }

bool VarIsOrdinal(const Variant& value) noexcept {
    return IsIntegerKind(value.VType()) || value.VType() == varBoolean;
}

bool VarIsFloat(const Variant& value) noexcept {
    const TVarType t = value.VType();
    return t == varSingle || t == varDouble || t == varCurrency;
}

bool VarIsNumeric(const Variant& value) noexcept {
    return VarIsOrdinal(value) || VarIsFloat(value);
}

bool IsTextKind(TVarType type) noexcept {
    return type == varOleStr || type == varString || type == varUString;
}

bool IsIntegerKind(TVarType type) noexcept {
    switch (type) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64: return true;
    default: return false;
    }
}

UnicodeString TextOf(const Variant& v) {
    if (v.VType() == varString) return AnsiToUnicode(VariantAccess::Get<AnsiString>(v));
    return VariantAccess::Get<UnicodeString>(v);
}

UnicodeString VarTypeAsText(TVarType type) {
    if (type & varArray) return L"Array " + VarTypeAsText(type & varTypeMask);
    switch (type) {
    case varEmpty: return L"Empty";
    case varNull: return L"Null";
    case varSmallint: return L"Smallint";
    case varInteger: return L"Integer";
    case varSingle: return L"Single";
    case varDouble: return L"Double";
    case varCurrency: return L"Currency";
    case varDate: return L"Date";
    case varOleStr: return L"OleStr";
    case varBoolean: return L"Boolean";
    case varVariant: return L"Variant";
    case varShortInt: return L"ShortInt";
    case varByte: return L"Byte";
    case varWord: return L"Word";
    case varLongWord: return L"LongWord";
    case varInt64: return L"Int64";
    case varUInt64: return L"UInt64";
    case varString: return L"String";
    case varUString: return L"UnicodeString";
    case varFMTBcd: return L"FMTBcd";
    case varSQLTimeStamp: return L"SQLTimeStamp";
    case varByRef: return L"ByRef";
    default: return L"Unknown";
    }
}

void VarCastError(TVarType from, TVarType to) {
    throw EVariantTypeCastError(L"Could not convert variant of type (" + VarTypeAsText(from) +
                                L") into type (" + VarTypeAsText(to) + L")");
}

void VarOverflowError(TVarType from, TVarType to) {
    throw EVariantOverflowError(L"Arithmetic overflow converting variant of type (" +
                                VarTypeAsText(from) + L") into type (" + VarTypeAsText(to) + L")");
}

void VarInvalidOp() { throw EVariantInvalidOpError(L"Invalid variant operation"); }

UnicodeString VarToStr(const Variant& value) {
    return VarIsClear(value) ? UnicodeString() : value.AsString();
}

UnicodeString VarToStrDef(const Variant& value, const UnicodeString& defaultValue) {
    return VarIsClear(value) ? defaultValue : value.AsString();
}
