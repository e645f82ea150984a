// The conversion rules of framework/Variants.h: one routine per target class (integer, float
// and date, Currency, FMTBcd, Boolean, text, SQL time stamp), each taking every source kind.
// Text ↔ number and text ↔ date go through the user's locale settings.
#include "framework/VariantAccess.h"

#include "framework/Conversions.h"
#include "framework/FormatSettings.h"
#include "framework/TextEncoding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

using VA = VariantAccess;

bool IsDoubleKind(TVarType t) { return t == varSingle || t == varDouble || t == varDate; }

bool IsIntegerPayload(TVarType t) {
    return (IsIntegerKind(t) && t != varUInt64) || t == varBoolean;
}

// Currency's scaled value rounded to an integer, halves to even.
Int64 RoundCurrency(Int64 scaled) {
    Int64 quotient = scaled / Currency::Scale;
    const Int64 remainder = scaled % Currency::Scale;
    const Int64 twice = 2 * (remainder < 0 ? -remainder : remainder);
    if (twice > Currency::Scale || (twice == Currency::Scale && quotient % 2 != 0))
        quotient += remainder < 0 ? -1 : 1;
    return quotient;
}

Int64 DoubleToInt64(double d, TVarType from, TVarType to) {
    if (!std::isfinite(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0)
        VarOverflowError(from, to);
    return Round(d);
}

// The text as a whole number: an integer text, or a number text rounded.
bool TextToInt64(const UnicodeString& text, Int64& value, TVarType to) {
    if (TryStrToInt64(text, value)) return true;
    double d;
    if (!TryStrToFloat(Trim(text), d, FormatSettings())) return false;
    value = DoubleToInt64(d, varUString, to);
    return true;
}

Int64 ToInt64Checked(const Variant& v, TVarType to, Int64 low, Int64 high) {
    const TVarType t = v.VType();
    Int64 value = 0;
    if (t == varEmpty)
        value = 0;
    else if (IsIntegerPayload(t))
        value = VA::Get<Int64>(v);
    else if (t == varUInt64) {
        const UInt64 u = VA::Get<UInt64>(v);
        if (u > UInt64(high)) VarOverflowError(t, to);
        value = Int64(u);
    } else if (t == varCurrency)
        value = RoundCurrency(VA::Get<Int64>(v));
    else if (IsDoubleKind(t))
        value = DoubleToInt64(VA::Get<double>(v), t, to);
    else if (t == varFMTBcd) {
        try {
            value = BcdToInt64(VA::Get<TBcd>(v));
        } catch (const EConvertError&) {
            VarOverflowError(t, to);
        }
    } else if (IsTextKind(t)) {
        if (!TextToInt64(TextOf(v), value, to)) VarCastError(t, to);
    } else
        VarCastError(t, to);
    if (value < low || value > high) VarOverflowError(t, to);
    return value;
}

double ToDouble(const Variant& v, TVarType to) {
    const TVarType t = v.VType();
    if (t == varEmpty) return 0;
    if (IsIntegerPayload(t)) return double(VA::Get<Int64>(v));
    if (t == varUInt64) return double(VA::Get<UInt64>(v));
    if (t == varCurrency) return Currency::FromScaled(VA::Get<Int64>(v)).ToDouble();
    if (IsDoubleKind(t)) return VA::Get<double>(v);
    if (t == varFMTBcd) return BcdToDouble(VA::Get<TBcd>(v));
    if (t == varSQLTimeStamp) return SQLTimeStampToDateTime(VA::Get<TSQLTimeStamp>(v));
    if (IsTextKind(t)) {
        double d;
        const UnicodeString text = TextOf(v);
        if ((to == varDate || to == varSQLTimeStamp) && TryStrToDateTime(text, d, FormatSettings()))
            return d;
        if (TryStrToFloat(Trim(text), d, FormatSettings())) return d;
    }
    VarCastError(t, to);
}

Currency ToCurrency(const Variant& v) {
    const TVarType t = v.VType();
    try {
        if (t == varEmpty) return {};
        if (IsIntegerPayload(t)) return Currency::FromInt64(VA::Get<Int64>(v));
        if (t == varUInt64) {
            const UInt64 u = VA::Get<UInt64>(v);
            if (u > UInt64(std::numeric_limits<Int64>::max())) VarOverflowError(t, varCurrency);
            return Currency::FromInt64(Int64(u));
        }
        if (t == varCurrency) return Currency::FromScaled(VA::Get<Int64>(v));
        if (IsDoubleKind(t)) return Currency::FromDouble(VA::Get<double>(v));
    } catch (const EConvertError&) {
        VarOverflowError(t, varCurrency);
    }
    TBcd bcd;
    if (t == varFMTBcd)
        bcd = VA::Get<TBcd>(v);
    else if (!IsTextKind(t) || !TryStrToBcd(TextOf(v), bcd, FormatSettings().DecimalSeparator))
        VarCastError(t, varCurrency);
    Currency value;
    if (!BCDToCurr(bcd, value)) VarOverflowError(t, varCurrency);
    return value;
}

TBcd ToBcd(const Variant& v) {
    const TVarType t = v.VType();
    if (t == varEmpty) return IntegerToBcd(0);
    if (IsIntegerPayload(t)) return IntegerToBcd(VA::Get<Int64>(v));
    if (t == varUInt64) return StrToBcd(UIntToStr(VA::Get<UInt64>(v)));
    if (t == varCurrency) {
        TBcd bcd;
        CurrToBCD(Currency::FromScaled(VA::Get<Int64>(v)), bcd);
        return bcd;
    }
    if (IsDoubleKind(t)) {
        const double d = VA::Get<double>(v);
        if (!std::isfinite(d)) VarOverflowError(t, varFMTBcd);
        return DoubleToBcd(d);
    }
    if (t == varFMTBcd) return VA::Get<TBcd>(v);
    TBcd bcd;
    if (!IsTextKind(t) || !TryStrToBcd(TextOf(v), bcd, FormatSettings().DecimalSeparator))
        VarCastError(t, varFMTBcd);
    return bcd;
}

bool ToBoolean(const Variant& v) {
    const TVarType t = v.VType();
    if (IsTextKind(t)) {
        const UnicodeString text = Trim(TextOf(v));
        if (SameText(text, L"True")) return true;
        if (SameText(text, L"False")) return false;
        double d;
        if (!TryStrToFloat(text, d, FormatSettings())) VarCastError(t, varBoolean);
        return d != 0;
    }
    if (t == varFMTBcd) return BcdCompare(VA::Get<TBcd>(v), IntegerToBcd(0)) != 0;
    if (t == varCurrency || IsIntegerPayload(t)) return VA::Get<Int64>(v) != 0;
    if (t == varUInt64) return VA::Get<UInt64>(v) != 0;
    if (IsDoubleKind(t)) return VA::Get<double>(v) != 0;
    if (t == varEmpty) return false;
    VarCastError(t, varBoolean);
}

// The shortest text that reads back to the same single-precision value.
UnicodeString SingleToStr(float value) {
    char buffer[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, double(value));
        if (std::strtof(buffer, nullptr) == value) break;
    }
    return FloatToStr(std::strtod(buffer, nullptr), FormatSettings());
}

UnicodeString ToText(const Variant& v, TVarType to) {
    const TVarType t = v.VType();
    const TFormatSettings& settings = FormatSettings();
    if (IsTextKind(t)) return TextOf(v);
    if (t == varEmpty) return {};
    if (t == varBoolean) return VA::Get<Int64>(v) ? L"True" : L"False";
    if (IsIntegerPayload(t)) return IntToStr(VA::Get<Int64>(v));
    if (t == varUInt64) return UIntToStr(VA::Get<UInt64>(v));
    if (t == varCurrency) return CurrToStr(Currency::FromScaled(VA::Get<Int64>(v)), settings);
    if (t == varSingle) return SingleToStr(float(VA::Get<double>(v)));
    if (t == varDouble) return FloatToStr(VA::Get<double>(v), settings);
    if (t == varDate) return DateTimeToStr(VA::Get<double>(v), settings);
    if (t == varFMTBcd) return BcdToStr(VA::Get<TBcd>(v), settings.DecimalSeparator);
    if (t == varSQLTimeStamp) return SQLTimeStampToStr({}, VA::Get<TSQLTimeStamp>(v), settings);
    VarCastError(t, to);
}

void CheckConvertible(const Variant& v, TVarType to) {
    const TVarType t = v.VType();
    if (t == varNull || (t & varArray) || t == varByRef) VarCastError(t, to);
}

// A time stamp takes part in number conversions as its date-time.
Variant AsNumberSource(const Variant& v) {
    if (v.VType() != varSQLTimeStamp) return v;
    return Variant::FromDate(SQLTimeStampToDateTime(VA::Get<TSQLTimeStamp>(v)));
}

TSQLTimeStamp ToSQLTimeStamp(const Variant& v) {
    if (v.VType() == varSQLTimeStamp) return VA::Get<TSQLTimeStamp>(v);
    const double date = ToDouble(v, varSQLTimeStamp);
    try {
        return DateTimeToSQLTimeStamp(date);
    } catch (const EConvertError&) {
        VarOverflowError(v.VType(), varSQLTimeStamp);
    }
}

constexpr Int64 Int64Max = std::numeric_limits<Int64>::max();

} // namespace

Int64 Variant::AsInt64() const {
    CheckConvertible(*this, varInt64);
    return ToInt64Checked(AsNumberSource(*this), varInt64, std::numeric_limits<Int64>::min(),
                          Int64Max);
}

UInt64 Variant::AsUInt64() const {
    if (FType == varUInt64) return std::get<UInt64>(FValue);
    CheckConvertible(*this, varUInt64);
    return UInt64(ToInt64Checked(AsNumberSource(*this), varUInt64, 0, Int64Max));
}

Integer Variant::AsInteger() const {
    CheckConvertible(*this, varInteger);
    return Integer(ToInt64Checked(AsNumberSource(*this), varInteger,
                                  std::numeric_limits<Integer>::min(),
                                  std::numeric_limits<Integer>::max()));
}

double Variant::AsDouble() const {
    CheckConvertible(*this, varDouble);
    return ToDouble(*this, varDouble);
}

TDateTime Variant::AsDate() const {
    CheckConvertible(*this, varDate);
    return ToDouble(*this, varDate);
}

bool Variant::AsBoolean() const {
    CheckConvertible(*this, varBoolean);
    return ToBoolean(AsNumberSource(*this));
}

Currency Variant::AsCurrency() const {
    CheckConvertible(*this, varCurrency);
    return ToCurrency(AsNumberSource(*this));
}

TBcd Variant::AsBcd() const {
    CheckConvertible(*this, varFMTBcd);
    return ToBcd(AsNumberSource(*this));
}

TSQLTimeStamp Variant::AsSQLTimeStamp() const {
    CheckConvertible(*this, varSQLTimeStamp);
    return ToSQLTimeStamp(*this);
}

UnicodeString Variant::AsString() const {
    CheckConvertible(*this, varUString);
    return ToText(*this, varUString);
}

AnsiString Variant::AsAnsiString() const {
    if (FType == varString) return std::get<AnsiString>(FValue);
    CheckConvertible(*this, varString);
    return UnicodeToAnsi(ToText(*this, varString));
}

Variant VarAsType(const Variant& value, TVarType type) {
    const TVarType t = value.VType();
    if (type == varEmpty) return Variant();
    if (type == varNull) {
        if (!VarIsClear(value)) VarCastError(t, type);
        return Variant::Null();
    }
    if (t == type || type == varVariant) return value;
    CheckConvertible(value, type);
    if (IsTextKind(type)) {
        const UnicodeString text = ToText(value, type);
        if (type == varString) return Variant(UnicodeToAnsi(text));
        return type == varOleStr ? Variant::FromOleStr(text) : Variant(text);
    }
    if (type == varSQLTimeStamp) return Variant(ToSQLTimeStamp(value));
    const Variant source = AsNumberSource(value);
    const auto integer = [&](Int64 low, Int64 high) {
        return VA::Make(type, ToInt64Checked(source, type, low, high));
    };
    switch (type) {
    case varShortInt: return integer(-128, 127);
    case varByte: return integer(0, 255);
    case varSmallint: return integer(-32768, 32767);
    case varWord: return integer(0, 65535);
    case varInteger: return integer(-2147483648LL, 2147483647LL);
    case varLongWord: return integer(0, 4294967295LL);
    case varInt64: return integer(std::numeric_limits<Int64>::min(), Int64Max);
    case varUInt64: return Variant(source.AsUInt64());
    case varSingle: {
        const double d = ToDouble(source, type);
        if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max()))
            VarOverflowError(t, type);
        return Variant(float(d));
    }
    case varDouble: return Variant(ToDouble(source, type));
    case varDate: return Variant::FromDate(ToDouble(source, type));
    case varCurrency: return Variant(ToCurrency(source));
    case varBoolean: return Variant(ToBoolean(source));
    case varFMTBcd: return Variant(ToBcd(source));
    default: VarCastError(t, type);
    }
}
