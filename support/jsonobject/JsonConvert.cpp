// Conversions between the value types (they never fail: a conversion that does not apply gives
// a fixed zero) and the ordering of two values.
#include "support/jsonobject/jsonobject.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Text that is a whole decimal integer within 64 bits: an optional sign and digits only.
bool CleanInteger(const UnicodeString& text, Int64& value) {
    if (text.empty() || text.find_first_not_of(L"+-0123456789") != UnicodeString::npos)
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstoll(text.c_str(), &end, 10);
    return errno == 0 && *end == 0;
}

// Text that is a whole decimal number: sign, digits, point and exponent only (so no "inf",
// "nan" or hexadecimal forms).
bool CleanNumber(const UnicodeString& text, double& value) {
    if (text.empty() || text.find_first_not_of(L"+-.0123456789eE") != UnicodeString::npos)
        return false;
    wchar_t* end = nullptr;
    value = std::wcstod(text.c_str(), &end);
    return *end == 0;
}

// Rounds to the nearest integer, halves to even, and saturates at the 64-bit range.
Int64 RoundToInt(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);
    if (r >= 9223372036854775807.0) return std::numeric_limits<Int64>::max();
    if (r <= -9223372036854775808.0) return std::numeric_limits<Int64>::min();
    return static_cast<Int64>(r);
}

bool IsNumeric(TJsonType t) { return t == stBoolean || t == stDouble || t == stInt; }

template <class T> TJsonCompareResult Sign(T difference) {
    return difference < 0 ? cpLess : (difference > 0 ? cpGreat : cpEqu);
}

} // namespace

bool TJsonObject::AsBoolean() {
    switch (FDataType) {
    case stNull: return false;
    case stBoolean: return FO.c_boolean;
    case stDouble: return FO.c_double != 0;
    case stInt: return FO.c_int != 0;
    case stString: return StringSize() != 0;
    default: return true;
    }
}

Int64 TJsonObject::AsInteger() {
    Int64 value = 0;
    switch (FDataType) {
    case stBoolean: return FO.c_boolean ? 1 : 0;
    case stDouble: return RoundToInt(FO.c_double);
    case stInt: return FO.c_int;
    case stString: return CleanInteger(StringValue(), value) ? value : 0;
    default: return 0;
    }
}

double TJsonObject::AsDouble() {
    double value = 0;
    switch (FDataType) {
    case stBoolean: return FO.c_boolean ? 1 : 0;
    case stDouble: return FO.c_double;
    case stInt: return static_cast<double>(FO.c_int);
    case stString: return CleanNumber(StringValue(), value) ? value : 0;
    default: return 0;
    }
}

UnicodeString TJsonObject::AsString() {
    if (FDataType == stString) return StringValue();
    return AsJSon(false, false);
}

TJsonArray* TJsonObject::AsArray() { return FDataType == stArray ? FO.c_array : nullptr; }

TJsonTableString* TJsonObject::AsObject() { return FDataType == stObject ? FO.c_object : nullptr; }

TJsonMethod TJsonObject::AsMethod() { return FDataType == stMethod ? FO.c_method : nullptr; }

// Numbers (Booleans as 0 and 1) compare by value; a string on either side makes both sides
// compare as text, code unit by code unit; anything else has no order.
TJsonCompareResult TJsonObject::Compare(const TJsonRef& obj) {
    if (!obj) return cpError;
    const TJsonType other = obj->GetDataType();
    if (IsNumeric(FDataType) && IsNumeric(other)) {
        if (FDataType != stDouble && other != stDouble) {
            const Int64 a = AsInteger(), b = obj->AsInteger();
            return a < b ? cpLess : (a > b ? cpGreat : cpEqu);
        }
        return Sign(AsDouble() - obj->AsDouble());
    }
    const bool textual = (FDataType == stString && (IsNumeric(other) || other == stString)) ||
                         (other == stString && IsNumeric(FDataType));
    if (!textual) return cpError;
    return Sign(AsString().compare(obj->AsString()));
}

TJsonCompareResult TJsonObject::Compare(const UnicodeString& str) {
    return Compare(JsonFromText(str));
}
