// Integer and floating-point fields. The integer classes share TIntegerField over an Int64 with
// the native width and signedness of their type; a value outside the type's range or the
// field's MinValue..MaxValue raises the range error. Floats are doubles (Single: float) with an
// optional range too. Text typed in is read in the user's locale.
#include "framework/DBFields.h"

#include "framework/Conversions.h"
#include "framework/FormatSettings.h"

#include <cmath>
#include <cstring>
#include <limits>

// ---- integers

TIntegerField::TIntegerField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftInteger); }

void TIntegerField::SetLayout(TFieldType Type, int Bytes, bool Signed) {
    SetDataType(Type);
    FDataBytes = Bytes;
    FSigned = Signed;
}

bool TIntegerField::ReadValue(Int64& Value) const {
    Byte raw[8] = {};
    if (!GetData(raw)) return false;
    switch (FDataBytes) {
    case 1: Value = FSigned ? Int64(std::int8_t(raw[0])) : Int64(raw[0]); break;
    case 2: {
        std::uint16_t u;
        std::memcpy(&u, raw, 2);
        Value = FSigned ? Int64(std::int16_t(u)) : Int64(u);
        break;
    }
    case 4: {
        std::uint32_t u;
        std::memcpy(&u, raw, 4);
        Value = FSigned ? Int64(std::int32_t(u)) : Int64(u);
        break;
    }
    default: std::memcpy(&Value, raw, 8);
    }
    return true;
}

Int64 TIntegerField::GetAsLargeInt() const {
    Int64 value = 0;
    return ReadValue(value) ? value : 0;
}

Integer TIntegerField::GetAsInteger() const {
    const Int64 value = GetAsLargeInt();
    if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
        AccessError(L"Integer");
    return Integer(value);
}

void TIntegerField::SetAsLargeIntValue(Int64 Value) {
    const int bits = FDataBytes * 8;
    Int64 low = 0, high = std::numeric_limits<Int64>::max();
    if (FDataBytes < 8) {
        low = FSigned ? -(Int64(1) << (bits - 1)) : 0;
        high = FSigned ? (Int64(1) << (bits - 1)) - 1 : (Int64(1) << bits) - 1;
    } else {
        low = std::numeric_limits<Int64>::min();
    }
    if (FMinValue != 0 || FMaxValue != 0) low = FMinValue, high = FMaxValue;
    if (Value < low || Value > high) RangeError(IntToStr(Value), IntToStr(low), IntToStr(high));
    Byte raw[8];
    std::memcpy(raw, &Value, 8); // little-endian: the low bytes are the narrower value
    SetData(raw);
}

void TIntegerField::SetAsFloatValue(double Value) {
    if (!std::isfinite(Value) || std::fabs(Value) >= 9.2e18)
        RangeError(FloatToStr(Value), IntToStr(FMinValue), IntToStr(FMaxValue));
    SetAsLargeIntValue(Round(Value));
}

UnicodeString TIntegerField::GetAsString() const {
    Int64 value;
    return ReadValue(value) ? IntToStr(value) : UnicodeString();
}

void TIntegerField::SetAsStringValue(const UnicodeString& Value) {
    if (Trim(Value).empty()) return Clear();
    Int64 value;
    if (!TryStrToInt64(Value, value))
        throw EConvertError(L"'" + Value + L"' is not a valid integer value");
    SetAsLargeIntValue(value);
}

Variant TIntegerField::GetAsVariant() const {
    Int64 value;
    if (!ReadValue(value)) return Null();
    switch (DataType()) {
    case ftSmallint: return Variant(std::int16_t(value));
    case ftShortint: return Variant(std::int8_t(value));
    case ftByte: return Variant(Byte(value));
    case ftWord: return Variant(Word(value));
    case ftLongWord: return Variant(LongWord(value));
    case ftLargeint: return Variant(value);
    default: return Variant(Integer(value));
    }
}

void TIntegerField::SetVariantValue(const Variant& Value) { SetAsLargeIntValue(Value.AsInt64()); }

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetLayout(ftSmallint, 2, true);
}

TShortintField::TShortintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetLayout(ftShortint, 1, true);
}

TByteField::TByteField(TComponent* AOwner) : TIntegerField(AOwner) { SetLayout(ftByte, 1, false); }

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) { SetLayout(ftWord, 2, false); }

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetLayout(ftAutoInc, 4, true);
    SetAutoGenerateValue(arAutoInc);
}

TLongWordField::TLongWordField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetLayout(ftLongWord, 4, false);
}

TLargeintField::TLargeintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetLayout(ftLargeint, 8, true);
}

// ---- floats

TFloatField::TFloatField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftFloat); }

void TFloatField::SetLayout(TFieldType Type, bool Single) {
    SetDataType(Type);
    FSingle = Single;
}

double TFloatField::GetAsFloat() const {
    if (FSingle) {
        float value = 0;
        return GetData(&value) ? double(value) : 0;
    }
    double value = 0;
    return GetData(&value) ? value : 0;
}

void TFloatField::SetAsFloatValue(double Value) {
    if ((FMinValue != 0 || FMaxValue != 0) && (Value < FMinValue || Value > FMaxValue))
        RangeError(FloatToStr(Value), FloatToStr(FMinValue), FloatToStr(FMaxValue));
    if (FSingle) {
        const float value = float(Value);
        SetData(&value);
    } else {
        SetData(&Value);
    }
}

Integer TFloatField::GetAsInteger() const { return Variant(GetAsFloat()).AsInteger(); }

Int64 TFloatField::GetAsLargeInt() const { return Variant(GetAsFloat()).AsInt64(); }

UnicodeString TFloatField::GetAsString() const {
    if (IsNull()) return {};
    if (FSingle) return Variant(float(GetAsFloat())).AsString();
    return FloatToStr(GetAsFloat(), FormatSettings());
}

void TFloatField::SetAsStringValue(const UnicodeString& Value) {
    if (Trim(Value).empty()) return Clear();
    SetAsFloatValue(StrToFloat(Value, FormatSettings()));
}

Variant TFloatField::GetAsVariant() const {
    if (IsNull()) return Null();
    if (FSingle) return Variant(float(GetAsFloat()));
    return Variant(GetAsFloat());
}

void TFloatField::SetVariantValue(const Variant& Value) { SetAsFloatValue(Value.AsDouble()); }

TSingleField::TSingleField(TComponent* AOwner) : TFloatField(AOwner) { SetLayout(ftSingle, true); }

TExtendedField::TExtendedField(TComponent* AOwner) : TFloatField(AOwner) {
    SetLayout(ftExtended, false);
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetLayout(ftCurrency, false);
}
