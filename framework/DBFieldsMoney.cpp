// Exact money and decimal fields: TBCDField keeps a Currency (four places) in its 8-byte native
// buffer, TFMTBCDField a 34-byte TBcd. Size is the count of places the definition declares
// (0..4 for BCD, up to 63 for FMTBcd); values with more places than a Currency holds are rounded
// as BCDToCurr rounds, halves away from zero. Text typed in is read in the user's locale.
#include "framework/DBFields.h"

#include "framework/Conversions.h"
#include "framework/FormatSettings.h"

TBCDField::TBCDField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBCD);
    SetSize(4);
}

void TBCDField::CheckSize(int Value) {
    if (Value < 0 || Value > 4) DatabaseError(L"Invalid field size", DataSet());
}

Currency TBCDField::GetAsCurrency() const {
    Currency value;
    return GetData(&value.Value) ? value : Currency{};
}

void TBCDField::SetAsCurrencyValue(Currency Value) { SetData(&Value.Value); }

TBcd TBCDField::GetAsBCD() const {
    TBcd bcd;
    CurrToBCD(GetAsCurrency(), bcd);
    return bcd;
}

void TBCDField::SetAsBCDValue(const TBcd& Value) {
    Currency value;
    if (!BCDToCurr(Value, value))
        RangeError(BcdToStr(Value), L"-922337203685477.5808", L"922337203685477.5807");
    SetAsCurrencyValue(value);
}

UnicodeString TBCDField::GetAsString() const {
    if (IsNull()) return {};
    return CurrToStr(GetAsCurrency(), FormatSettings());
}

void TBCDField::SetAsStringValue(const UnicodeString& Value) {
    if (Trim(Value).empty()) return Clear();
    SetAsCurrencyValue(StrToCurr(Value, FormatSettings()));
}

Variant TBCDField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsCurrency());
}

void TBCDField::SetVariantValue(const Variant& Value) { SetAsCurrencyValue(Value.AsCurrency()); }

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftFMTBcd);
    SetSize(8);
}

void TFMTBCDField::CheckSize(int Value) {
    if (Value < 0 || Value > 63) DatabaseError(L"Invalid field size", DataSet());
}

TBcd TFMTBCDField::GetAsBCD() const {
    TBcd value;
    return GetData(&value) ? value : IntegerToBcd(0);
}

void TFMTBCDField::SetAsBCDValue(const TBcd& Value) { SetData(&Value); }

Currency TFMTBCDField::GetAsCurrency() const {
    Currency value;
    if (IsNull()) return value;
    if (!BCDToCurr(GetAsBCD(), value)) AccessError(L"Currency");
    return value;
}

void TFMTBCDField::SetAsCurrencyValue(Currency Value) {
    TBcd bcd;
    CurrToBCD(Value, bcd);
    SetAsBCDValue(bcd);
}

UnicodeString TFMTBCDField::GetAsString() const {
    if (IsNull()) return {};
    return BcdToStr(GetAsBCD(), FormatSettings().DecimalSeparator);
}

void TFMTBCDField::SetAsStringValue(const UnicodeString& Value) {
    if (Trim(Value).empty()) return Clear();
    SetAsBCDValue(StrToBcd(Value, FormatSettings().DecimalSeparator));
}

Variant TFMTBCDField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsBCD());
}

void TFMTBCDField::SetVariantValue(const Variant& Value) { SetAsBCDValue(Value.AsBcd()); }
