// Boolean, date-time, SQL time-stamp and variant fields. Dates and times are read and written
// as TDateTime (the dataset's DataConvert turns them into their native day and millisecond
// counts); their texts are the user's locale's.
#include "framework/DBFields.h"

#include "framework/Conversions.h"
#include "framework/FormatSettings.h"

// ---- Boolean

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const UnicodeString& Value) {
    const std::size_t semicolon = Value.find(L';');
    if (semicolon == UnicodeString::npos || semicolon == 0)
        DatabaseError(L"'" + Value + L"' is not a valid Boolean display value", DataSet());
    FDisplayValues = Value;
    FTrueText = Value.substr(0, semicolon);
    FFalseText = Value.substr(semicolon + 1);
}

bool TBooleanField::GetAsBoolean() const {
    std::int16_t value = 0;
    return GetData(&value) && value != 0;
}

void TBooleanField::SetAsBooleanValue(bool Value) {
    const std::int16_t value = Value ? 1 : 0;
    SetData(&value);
}

UnicodeString TBooleanField::GetAsString() const {
    if (IsNull()) return {};
    return GetAsBoolean() ? FTrueText : FFalseText;
}

void TBooleanField::SetAsStringValue(const UnicodeString& Value) {
    const UnicodeString text = Trim(Value);
    if (text.empty()) return Clear();
    if (AnsiSameText(text, FTrueText) || AnsiSameText(text, FTrueText.substr(0, text.size())))
        return SetAsBooleanValue(true);
    if (AnsiSameText(text, FFalseText) || AnsiSameText(text, FFalseText.substr(0, text.size())))
        return SetAsBooleanValue(false);
    DatabaseError(L"'" + Value + L"' is not a valid boolean value for field '" + DisplayName() +
                  L"'");
}

Variant TBooleanField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsBoolean());
}

void TBooleanField::SetVariantValue(const Variant& Value) { SetAsBooleanValue(Value.AsBoolean()); }

// ---- Date, Time, DateTime

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDateTime); }

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftDate); }

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftTime); }

TDateTime TDateTimeField::GetAsDateTime() const {
    TDateTime value = 0;
    return GetData(&value, false) ? value : 0;
}

void TDateTimeField::SetAsDateTimeValue(TDateTime Value) { SetData(&Value, false); }

TSQLTimeStamp TDateTimeField::GetAsSQLTimeStamp() const {
    return IsNull() ? TSQLTimeStamp{} : DateTimeToSQLTimeStamp(GetAsDateTime());
}

void TDateTimeField::SetAsSQLTimeStampValue(const TSQLTimeStamp& Value) {
    SetAsDateTimeValue(SQLTimeStampToDateTime(Value));
}

UnicodeString TDateTimeField::GetAsString() const {
    if (IsNull()) return {};
    UnicodeString pattern = FDisplayFormat;
    if (pattern.empty())
        pattern = DataType() == ftDate ? L"ddddd" : DataType() == ftTime ? L"tt" : L"c";
    return FormatDateTime(pattern, GetAsDateTime(), FormatSettings());
}

void TDateTimeField::SetAsStringValue(const UnicodeString& Value) {
    if (Trim(Value).empty()) return Clear();
    const TFormatSettings& settings = FormatSettings();
    switch (DataType()) {
    case ftDate: return SetAsDateTimeValue(StrToDate(Value, settings));
    case ftTime: return SetAsDateTimeValue(StrToTime(Value, settings));
    default: return SetAsDateTimeValue(StrToDateTime(Value, settings));
    }
}

Variant TDateTimeField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant::FromDate(GetAsDateTime());
}

void TDateTimeField::SetVariantValue(const Variant& Value) { SetAsDateTimeValue(Value.AsDate()); }

// ---- SQL time stamp

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftTimeStamp);
}

TSQLTimeStamp TSQLTimeStampField::GetAsSQLTimeStamp() const {
    TSQLTimeStamp value;
    return GetData(&value) ? value : TSQLTimeStamp{};
}

void TSQLTimeStampField::SetAsSQLTimeStampValue(const TSQLTimeStamp& Value) {
    if (!IsSQLTimeStampValid(Value)) DatabaseError(L"Invalid SQL time stamp", DataSet());
    SetData(&Value);
}

TDateTime TSQLTimeStampField::GetAsDateTime() const {
    return IsNull() ? 0 : SQLTimeStampToDateTime(GetAsSQLTimeStamp());
}

void TSQLTimeStampField::SetAsDateTimeValue(TDateTime Value) {
    SetAsSQLTimeStampValue(DateTimeToSQLTimeStamp(Value));
}

UnicodeString TSQLTimeStampField::GetAsString() const {
    if (IsNull()) return {};
    return SQLTimeStampToStr({}, GetAsSQLTimeStamp(), FormatSettings());
}

void TSQLTimeStampField::SetAsStringValue(const UnicodeString& Value) {
    if (Trim(Value).empty()) return Clear();
    SetAsSQLTimeStampValue(StrToSQLTimeStamp(Value, FormatSettings()));
}

Variant TSQLTimeStampField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsSQLTimeStamp());
}

void TSQLTimeStampField::SetVariantValue(const Variant& Value) {
    SetAsSQLTimeStampValue(Value.AsSQLTimeStamp());
}

// ---- Variant

TVariantField::TVariantField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftVariant); }

Variant TVariantField::GetAsVariant() const {
    Variant value;
    return GetData(&value) ? value : Null();
}

void TVariantField::SetVariantValue(const Variant& Value) { SetData(&Value); }
