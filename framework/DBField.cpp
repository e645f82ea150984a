// TField's identity, its link to the dataset and the generic value access: every accessor a
// field class does not read directly goes through the field's variant value and the variant
// rules, and a conversion those rules refuse is "Cannot access field 'X' as type Y".
#include "framework/DBFields.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <cstring>

namespace {

[[noreturn]] void RaiseAccessError(const TField& field, const wchar_t* typeName) {
    DatabaseError(L"Cannot access field '" + field.DisplayName() + L"' as type " + typeName);
}

template <class T, class Read>
T ConvertValue(const TField& field, const Variant& value, const wchar_t* typeName, Read read) {
    if (VarIsClear(value)) return T{};
    try {
        return read(value);
    } catch (const EVariantError&) {
        RaiseAccessError(field, typeName);
    }
}

} // namespace

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

void TField::BeforeDestruction() {
    Detach();
    FDataSet = nullptr;
    TComponent::BeforeDestruction();
}

void TField::Detach() {
    if (FParentField) FParentField->Fields()->Remove(this);
    FParentField = nullptr;
    if (FDataSet) FDataSet->Fields()->Remove(this);
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet && !FParentField) return;
    if (FDataSet) FDataSet->CheckInactive();
    if (Value) {
        Value->CheckInactive();
        if (TField* other = Value->Fields()->FindField(FFieldName); other && other != this)
            DatabaseError(L"Duplicate field name '" + FFieldName + L"'", Value);
    }
    TDataSet* old = FDataSet;
    Detach();
    if (Value) Value->Fields()->Add(this);
    FDataSet = Value;
    // An object field takes its children along.
    if (dynamic_cast<TObjectField*>(this)) {
        if (old) old->ArrangeFields();
        if (Value) Value->ArrangeFields();
    }
}

void TField::SetParentField(TObjectField* Value) {
    if (Value == FParentField) return;
    if (FDataSet) FDataSet->CheckInactive();
    TDataSet* dataSet = Value ? Value->DataSet() : nullptr;
    if (dataSet) dataSet->CheckInactive();
    for (TObjectField* up = Value; up; up = up->ParentField())
        if (up == this) DatabaseError(L"Circular references not permitted", dataSet);
    if (Value) Value->Fields()->Add(this);
    TDataSet* old = FDataSet;
    Detach();
    FParentField = Value;
    FDataSet = dataSet;
    if (old && old != dataSet) old->ArrangeFields();
    if (dataSet) dataSet->ArrangeFields();
}

UnicodeString TField::FullName() const {
    return FParentField ? FParentField->FullName() + L"." + FFieldName : FFieldName;
}

void TField::SetFieldName(const UnicodeString& Value) {
    if (FDataSet) FDataSet->CheckInactive();
    TField* other = FParentField ? FParentField->Fields()->FindField(Value)
                    : FDataSet   ? FDataSet->FindField(Value)
                                 : nullptr;
    if (other && other != this) DatabaseError(L"Duplicate field name '" + Value + L"'", FDataSet);
    FFieldName = Value;
}

UnicodeString TField::DisplayName() const {
    return FDisplayLabel.empty() ? FFieldName : FDisplayLabel;
}

void TField::SetSize(int Value) {
    if (FDataSet) FDataSet->CheckInactive();
    CheckSize(Value);
    FSize = Value;
}

void TField::CheckSize(int Value) {
    if (Value != 0) DatabaseError(L"Invalid field size", FDataSet);
}

int TField::Index() const { return FDataSet ? FDataSet->Fields()->IndexOf(this) : -1; }

void TField::SetFieldKind(TFieldKind Value) {
    if (FDataSet) FDataSet->CheckInactive();
    FFieldKind = Value;
}

void TField::SetLookupDataSet(TDataSet* Value) {
    if (Value == FDataSet && Value) DatabaseError(L"Circular references not permitted", FDataSet);
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = Value;
    if (Value) Value->FreeNotification(this);
}

bool TField::CanModify() const {
    return !FReadOnly && (FFieldKind == fkData || FFieldKind == fkInternalCalc) && FDataSet &&
           FDataSet->CanModify();
}

bool TField::GetIsNull() const { return !FDataSet || !GetData(nullptr); }

bool TField::GetData(void* Buffer, bool NativeFormat) const {
    if (!FDataSet) DatabaseError(L"Field '" + DisplayName() + L"' has no dataset");
    if (!FValidating)
        return FDataSet->GetFieldData(const_cast<TField*>(this), Buffer, NativeFormat);
    if (!FValueBuffer) return false;
    if (!Buffer) return true;
    if (NativeFormat)
        std::memcpy(Buffer, FValueBuffer, std::size_t(DataSize()));
    else
        FDataSet->DataConvert(const_cast<TField*>(this), FValueBuffer, Buffer, false);
    return true;
}

void TField::SetData(const void* Buffer, bool NativeFormat) {
    if (!FDataSet) DatabaseError(L"Field '" + DisplayName() + L"' has no dataset");
    FDataSet->SetFieldData(this, Buffer, NativeFormat);
}

void TField::Validate(const void* Buffer) {
    if (!OnValidate || FValidating) return;
    FValidating = true;
    FValueBuffer = Buffer;
    try {
        OnValidate(this);
    } catch (...) {
        FValidating = false;
        FValueBuffer = nullptr;
        throw;
    }
    FValidating = false;
    FValueBuffer = nullptr;
}

void TField::Change() { OnChange(this); }

void TField::FocusControl() {
    if (!FDataSet || !FDataSet->Active()) return;
    TField* field = this;
    FDataSet->DataEvent(deFocusControl, NativeInt(&field));
}

void TField::Assign(TPersistent* Source) {
    if (!Source) return Clear();
    if (auto* field = dynamic_cast<TField*>(Source)) return SetAsVariant(field->Value());
    TComponent::Assign(Source);
}

void TField::SetAsVariant(const Variant& Value) {
    if (VarIsClear(Value))
        Clear();
    else
        SetVariantValue(Value);
}

Variant TField::OldValue() const {
    if (!FDataSet) return Null();
    return FDataSet->GetStateFieldValue(dsOldValue, const_cast<TField*>(this));
}

Variant TField::NewValue() const {
    if (!FDataSet) return Null();
    return FDataSet->GetStateFieldValue(dsNewValue, const_cast<TField*>(this));
}

void TField::SetNewValue(const Variant& Value) {
    if (FDataSet) FDataSet->SetStateFieldValue(dsNewValue, this, Value);
}

AnsiString TField::AsAnsiString() const { return UnicodeToAnsi(GetAsString()); }

void TField::SetAsAnsiString(const AnsiString& Value) { SetAsStringValue(AnsiToUnicode(Value)); }

UnicodeString TField::DisplayText() const {
    UnicodeString text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, true);
    else
        text = GetAsString();
    return text;
}

UnicodeString TField::Text() const {
    UnicodeString text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, false);
    else
        text = GetAsString();
    return text;
}

void TField::SetText(const UnicodeString& Value) {
    if (OnSetText)
        OnSetText(this, Value);
    else
        SetAsStringValue(Value);
}

void TField::AccessError(const wchar_t* TypeName) const { RaiseAccessError(*this, TypeName); }

void TField::RangeError(const UnicodeString& Value, const UnicodeString& Min,
                        const UnicodeString& Max) const {
    DatabaseError(Value + L" is not a valid value for field '" + DisplayName() +
                  L"'. The allowed range is " + Min + L" to " + Max);
}

Variant TField::GetAsVariant() const { AccessError(L"Variant"); }

void TField::SetVariantValue(const Variant&) { AccessError(L"Variant"); }

UnicodeString TField::GetAsString() const {
    return ConvertValue<UnicodeString>(*this, GetAsVariant(), L"String",
                                       [](const Variant& v) { return v.AsString(); });
}

Integer TField::GetAsInteger() const {
    return ConvertValue<Integer>(*this, GetAsVariant(), L"Integer",
                                 [](const Variant& v) { return v.AsInteger(); });
}

Int64 TField::GetAsLargeInt() const {
    return ConvertValue<Int64>(*this, GetAsVariant(), L"LargeInt",
                               [](const Variant& v) { return v.AsInt64(); });
}

double TField::GetAsFloat() const {
    return ConvertValue<double>(*this, GetAsVariant(), L"Float",
                                [](const Variant& v) { return v.AsDouble(); });
}

Currency TField::GetAsCurrency() const {
    return ConvertValue<Currency>(*this, GetAsVariant(), L"Currency",
                                  [](const Variant& v) { return v.AsCurrency(); });
}

bool TField::GetAsBoolean() const {
    return ConvertValue<bool>(*this, GetAsVariant(), L"Boolean",
                              [](const Variant& v) { return v.AsBoolean(); });
}

TDateTime TField::GetAsDateTime() const {
    return ConvertValue<TDateTime>(*this, GetAsVariant(), L"DateTime",
                                   [](const Variant& v) { return v.AsDate(); });
}

TBcd TField::GetAsBCD() const {
    if (IsNull()) return IntegerToBcd(0);
    return ConvertValue<TBcd>(*this, GetAsVariant(), L"BCD",
                              [](const Variant& v) { return v.AsBcd(); });
}

TSQLTimeStamp TField::GetAsSQLTimeStamp() const {
    return ConvertValue<TSQLTimeStamp>(*this, GetAsVariant(), L"SQLTimeStamp",
                                       [](const Variant& v) { return v.AsSQLTimeStamp(); });
}

namespace {

template <class Store> void StoreConverted(TField& field, const wchar_t* typeName, Store store) {
    try {
        store();
    } catch (const EVariantError&) {
        RaiseAccessError(field, typeName);
    }
}

} // namespace

void TField::SetAsStringValue(const UnicodeString& Value) {
    StoreConverted(*this, L"String", [&] { SetVariantValue(Variant(Value)); });
}

void TField::SetAsIntegerValue(Integer Value) {
    StoreConverted(*this, L"Integer", [&] { SetVariantValue(Variant(Value)); });
}

void TField::SetAsLargeIntValue(Int64 Value) {
    StoreConverted(*this, L"LargeInt", [&] { SetVariantValue(Variant(Value)); });
}

void TField::SetAsFloatValue(double Value) {
    StoreConverted(*this, L"Float", [&] { SetVariantValue(Variant(Value)); });
}

void TField::SetAsCurrencyValue(Currency Value) {
    StoreConverted(*this, L"Currency", [&] { SetVariantValue(Variant(Value)); });
}

void TField::SetAsBooleanValue(bool Value) {
    StoreConverted(*this, L"Boolean", [&] { SetVariantValue(Variant(Value)); });
}

void TField::SetAsDateTimeValue(TDateTime Value) {
    StoreConverted(*this, L"DateTime", [&] { SetVariantValue(Variant::FromDate(Value)); });
}

void TField::SetAsBCDValue(const TBcd& Value) {
    StoreConverted(*this, L"BCD", [&] { SetVariantValue(Variant(Value)); });
}

void TField::SetAsSQLTimeStampValue(const TSQLTimeStamp& Value) {
    StoreConverted(*this, L"SQLTimeStamp", [&] { SetVariantValue(Variant(Value)); });
}

// ---- TFields

TField* TFields::Fields(int Index) const {
    if (Index < 0 || Index >= Count()) DatabaseError(L"Field index out of range", FDataSet);
    return FList[std::size_t(Index)];
}

TField* TFields::FindField(const UnicodeString& FieldName) const {
    // Children are named by their own names among their siblings.
    for (TField* field : FList)
        if (AnsiSameText(FParentField ? field->FieldName() : field->FullName(), FieldName))
            return field;
    return nullptr;
}

TField* TFields::FieldByName(const UnicodeString& FieldName) const {
    TField* field = FindField(FieldName);
    if (!field) DatabaseError(L"Field '" + FieldName + L"' not found", FDataSet);
    return field;
}

TField* TFields::FieldByNumber(int FieldNo) const {
    for (TField* field : FList)
        if (field->FieldNo() == FieldNo) return field;
    return nullptr;
}

int TFields::IndexOf(const TField* Field) const {
    for (std::size_t i = 0; i < FList.size(); ++i)
        if (FList[i] == Field) return int(i);
    return -1;
}

void TFields::CheckName(const TField* Field) const {
    if (Field->FieldName().empty()) return;
    const UnicodeString name = FParentField ? Field->FieldName() : Field->FullName();
    if (TField* other = FindField(name); other && other != Field)
        DatabaseError(L"Duplicate field name '" + name + L"'", FDataSet);
}

void TFields::Add(TField* Field) { Insert(Count(), Field); }

void TFields::Insert(int Index, TField* Field) {
    if (IndexOf(Field) >= 0) return;
    CheckName(Field);
    FList.insert(FList.begin() + Index, Field);
}

void TFields::Remove(TField* Field) {
    const int index = IndexOf(Field);
    if (index >= 0) FList.erase(FList.begin() + index);
}

void TFields::Clear() {
    // Freeing an object field frees its children, which leave this list as they go: the list is
    // read afresh after each field.
    while (!FList.empty()) {
        TField* field = FList.front();
        FList.erase(FList.begin());
        field->FDataSet = nullptr;
        if (field->Owner() == FDataSet) field->Free();
    }
}
