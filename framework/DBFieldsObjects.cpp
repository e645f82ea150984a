// The structured fields: object fields (ADT, array), whose values are their children's, and
// dataset fields (nested tables, references), which hold a nested dataset instead of a value.
#include "framework/DBFields.h"

TObjectField::TObjectField(TComponent* AOwner) : TField(AOwner) {
    FFields = Construct<TFields>(nullptr, this);
}

void TObjectField::BeforeDestruction() {
    // The children belong to the field; each leaves the list as it is freed.
    while (FFields->Count() > 0) FFields->Fields(FFields->Count() - 1)->Free();
    FreeAndNil(FFields);
    TField::BeforeDestruction();
}

Variant TObjectField::FieldValues(int Index) const { return FFields->Fields(Index)->Value(); }

void TObjectField::SetFieldValues(int Index, const Variant& Value) {
    FFields->Fields(Index)->SetValue(Value);
}

bool TObjectField::GetIsNull() const {
    for (int i = 0; i < FFields->Count(); ++i)
        if (!FFields->Fields(i)->IsNull()) return false;
    return true;
}

Variant TObjectField::GetAsVariant() const {
    if (IsNull()) return Null();
    Variant values = VarArrayCreate(0, FFields->Count() - 1, varVariant);
    for (int i = 0; i < FFields->Count(); ++i) VarArrayPut(values, FieldValues(i), i);
    return values;
}

void TObjectField::SetVariantValue(const Variant& Value) {
    if (!VarIsArray(Value)) AccessError(L"Variant");
    const int low = VarArrayLowBound(Value, 1);
    const int count = VarArrayHighBound(Value, 1) - low + 1;
    if (count > FFields->Count())
        DatabaseError(L"Too many values for the fields of '" + DisplayName() + L"'", DataSet());
    for (int i = 0; i < count; ++i) SetFieldValues(i, VarArrayGet(Value, low + i));
}

UnicodeString TObjectField::GetAsString() const {
    UnicodeString text = L"(";
    for (int i = 0; i < FFields->Count(); ++i) {
        if (i > 0) text += L", ";
        text += FFields->Fields(i)->DisplayText();
    }
    return text + L")";
}

TADTField::TADTField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftADT); }

TArrayField::TArrayField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftArray); }

void TArrayField::CheckSize(int Value) {
    if (Value < 0) DatabaseError(L"Invalid field size", DataSet());
}

TDataSetField::TDataSetField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDataSet); }

void TDataSetField::BeforeDestruction() {
    if (FNestedDataSet) {
        // The nested dataset cannot outlive the rows it shows.
        try {
            FNestedDataSet->Close();
        } catch (...) {
        }
        FNestedDataSet->UnlinkDataSetField();
    }
    TField::BeforeDestruction();
}

void TDataSetField::SetIncludeObjectField(bool Value) {
    if (DataSet()) DataSet()->CheckInactive();
    FIncludeObjectField = Value;
}

TReferenceField::TReferenceField(TComponent* AOwner) : TDataSetField(AOwner) {
    SetDataType(ftReference);
}
