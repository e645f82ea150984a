// Command parameters. A parameter holds a variant value and a field type; a typed setter gives
// the parameter its type and the value converted to it (setting a value on a parameter of type
// ftUnknown takes the value's type). Reading a value converts it by the variant rules.
#include "framework/DB.h"

#include "framework/Conversions.h"
#include "framework/Filer.h"
#include "framework/TextEncoding.h"

#include <cstring>
#include <type_traits>

namespace {

TFieldType FieldTypeOfVariant(const Variant& value) {
    switch (VarType(value)) {
    case varSmallint: return ftSmallint;
    case varShortInt: return ftShortint;
    case varByte: return ftByte;
    case varWord: return ftWord;
    case varInteger: return ftInteger;
    case varLongWord: return ftLongWord;
    case varInt64:
    case varUInt64: return ftLargeint;
    case varSingle: return ftSingle;
    case varDouble: return ftFloat;
    case varCurrency: return ftCurrency;
    case varDate: return ftDateTime;
    case varBoolean: return ftBoolean;
    case varString: return ftString;
    case varOleStr:
    case varUString: return ftWideString;
    case varFMTBcd: return ftFMTBcd;
    case varSQLTimeStamp: return ftTimeStamp;
    case varArray | varByte: return ftBlob;
    default: return ftUnknown;
    }
}

} // namespace

TParam::TParam(TCollection* Collection) : TCollectionItem(Collection) {}

TParams* TParam::Params() const { return static_cast<TParams*>(Collection()); }

void TParam::SetDataType(TFieldType Value) {
    FDataType = Value;
    if (!VarIsClear(FData)) {
        // Keep the value, converted to the new type where the type has a variant kind.
        const TFieldType kept = FDataType;
        SetTyped(kept, FData);
    }
}

void TParam::Clear() {
    FData = Null();
    FBound = true;
}

void TParam::SetTyped(TFieldType Type, const Variant& Value) {
    FDataType = Type;
    FBound = true;
    if (VarIsClear(Value)) {
        FData = Null();
        return;
    }
    switch (Type) {
    case ftString:
    case ftFixedChar:
    case ftMemo: FData = Variant(Value.AsString()); break;
    case ftWideString:
    case ftFixedWideChar:
    case ftWideMemo: FData = Variant(Value.AsString()); break;
    case ftSmallint: FData = VarAsType(Value, varSmallint); break;
    case ftShortint: FData = VarAsType(Value, varShortInt); break;
    case ftByte: FData = VarAsType(Value, varByte); break;
    case ftWord: FData = VarAsType(Value, varWord); break;
    case ftInteger:
    case ftAutoInc: FData = VarAsType(Value, varInteger); break;
    case ftLongWord: FData = VarAsType(Value, varLongWord); break;
    case ftLargeint: FData = VarAsType(Value, varInt64); break;
    case ftFloat:
    case ftExtended: FData = VarAsType(Value, varDouble); break;
    case ftSingle: FData = VarAsType(Value, varSingle); break;
    case ftCurrency:
    case ftBCD: FData = VarAsType(Value, varCurrency); break;
    case ftFMTBcd: FData = VarAsType(Value, varFMTBcd); break;
    case ftBoolean: FData = VarAsType(Value, varBoolean); break;
    case ftDate:
    case ftTime:
    case ftDateTime: FData = VarAsType(Value, varDate); break;
    case ftTimeStamp: FData = VarAsType(Value, varSQLTimeStamp); break;
    default: FData = Value;
    }
}

void TParam::SetValue(const Variant& Value) {
    if (FDataType == ftUnknown) FDataType = FieldTypeOfVariant(Value);
    SetTyped(FDataType, Value);
}

UnicodeString TParam::AsString() const { return VarToStr(FData); }
void TParam::SetAsString(const UnicodeString& Value) { SetTyped(ftString, Value); }
void TParam::SetAsWideString(const UnicodeString& Value) { SetTyped(ftWideString, Value); }
AnsiString TParam::AsAnsiString() const { return UnicodeToAnsi(AsString()); }
void TParam::SetAsAnsiString(const AnsiString& Value) { SetTyped(ftString, Variant(Value)); }
void TParam::SetAsMemo(const UnicodeString& Value) { SetTyped(ftMemo, Value); }

std::vector<Byte> TParam::AsBlob() const {
    if (VarIsClear(FData)) return {};
    if (!VarIsArray(FData)) {
        const AnsiString text = FData.AsAnsiString();
        return std::vector<Byte>(text.begin(), text.end());
    }
    std::vector<Byte> bytes;
    for (int i = VarArrayLowBound(FData, 1); i <= VarArrayHighBound(FData, 1); ++i)
        bytes.push_back(Byte(VarArrayGet(FData, i).AsInteger()));
    return bytes;
}

void TParam::SetAsBlob(const std::vector<Byte>& Value) {
    Variant bytes = VarArrayCreate(0, int(Value.size()) - 1, varByte);
    if (!Value.empty()) {
        std::memcpy(VarArrayLock(bytes), Value.data(), Value.size());
        VarArrayUnlock(bytes);
    }
    FDataType = ftBlob;
    FData = bytes;
    FBound = true;
}

Integer TParam::AsInteger() const { return VarIsClear(FData) ? 0 : FData.AsInteger(); }
void TParam::SetAsInteger(Integer Value) { SetTyped(ftInteger, Value); }
std::int16_t TParam::AsSmallInt() const {
    return VarIsClear(FData) ? 0 : std::int16_t(VarAsType(FData, varSmallint).AsInteger());
}
void TParam::SetAsSmallInt(std::int16_t Value) { SetTyped(ftSmallint, Value); }
Word TParam::AsWord() const {
    return VarIsClear(FData) ? 0 : Word(VarAsType(FData, varWord).AsInteger());
}
void TParam::SetAsWord(Word Value) { SetTyped(ftWord, Value); }
std::int8_t TParam::AsShortInt() const {
    return VarIsClear(FData) ? 0 : std::int8_t(VarAsType(FData, varShortInt).AsInteger());
}
void TParam::SetAsShortInt(std::int8_t Value) { SetTyped(ftShortint, Value); }
Byte TParam::AsByte() const {
    return VarIsClear(FData) ? 0 : Byte(VarAsType(FData, varByte).AsInteger());
}
void TParam::SetAsByte(Byte Value) { SetTyped(ftByte, Value); }
Int64 TParam::AsLargeInt() const { return VarIsClear(FData) ? 0 : FData.AsInt64(); }
void TParam::SetAsLargeInt(Int64 Value) { SetTyped(ftLargeint, Value); }
double TParam::AsFloat() const { return VarIsClear(FData) ? 0 : FData.AsDouble(); }
void TParam::SetAsFloat(double Value) { SetTyped(ftFloat, Value); }
Currency TParam::AsCurrency() const { return VarIsClear(FData) ? Currency{} : FData.AsCurrency(); }
void TParam::SetAsCurrency(Currency Value) { SetTyped(ftCurrency, Value); }
bool TParam::AsBoolean() const { return !VarIsClear(FData) && FData.AsBoolean(); }
void TParam::SetAsBoolean(bool Value) { SetTyped(ftBoolean, Value); }
TDateTime TParam::AsDateTime() const { return VarIsClear(FData) ? 0 : FData.AsDate(); }
void TParam::SetAsDateTime(TDateTime Value) { SetTyped(ftDateTime, Variant::FromDate(Value)); }
void TParam::SetAsDate(TDateTime Value) { SetTyped(ftDate, Variant::FromDate(Value)); }
void TParam::SetAsTime(TDateTime Value) { SetTyped(ftTime, Variant::FromDate(Value)); }
TBcd TParam::AsFMTBCD() const { return VarIsClear(FData) ? IntegerToBcd(0) : FData.AsBcd(); }
void TParam::SetAsFMTBCD(const TBcd& Value) { SetTyped(ftFMTBcd, Value); }
TSQLTimeStamp TParam::AsSQLTimeStamp() const {
    return VarIsClear(FData) ? TSQLTimeStamp{} : FData.AsSQLTimeStamp();
}
void TParam::SetAsSQLTimeStamp(const TSQLTimeStamp& Value) { SetTyped(ftTimeStamp, Value); }

void TParam::SetText(const UnicodeString& Value) {
    SetTyped(FDataType == ftUnknown ? ftString : FDataType, Value);
}

void TParam::Assign(TPersistent* Source) {
    if (auto* param = dynamic_cast<TParam*>(Source)) {
        FData = param->FData;
        FName = param->FName;
        FDataType = param->FDataType;
        FParamType = param->FParamType;
        FSize = param->FSize;
        FPrecision = param->FPrecision;
        FNumericScale = param->FNumericScale;
        FBound = param->FBound;
        return;
    }
    if (auto* field = dynamic_cast<TField*>(Source)) return AssignField(field);
    TCollectionItem::Assign(Source);
}

void TParam::AssignField(TField* Field) {
    if (!Field) return;
    FName = Field->FieldName();
    AssignFieldValue(Field, Field->Value());
}

void TParam::AssignFieldValue(TField* Field, const Variant& Value) {
    if (!Field) return;
    FDataType = Field->DataType() == ftAutoInc ? ftInteger : Field->DataType();
    FSize = Field->Size();
    SetTyped(FDataType, Value);
}

void TParam::AssignTo(TPersistent* Dest) {
    if (auto* field = dynamic_cast<TField*>(Dest)) return field->SetAsVariant(FData);
    TCollectionItem::AssignTo(Dest);
}

// ---- TParams

TParams::TParams(TPersistent* Owner) : TCollection(TParam::StaticClass(), Owner) {}

TParam* TParams::CreateParam(TFieldType FldType, const UnicodeString& ParamName,
                             TParamType ParamType) {
    TParam* param = AddParameter();
    param->SetName(ParamName);
    param->SetParamType(ParamType);
    param->SetDataType(FldType);
    return param;
}

TParam* TParams::FindParam(const UnicodeString& Value) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), Value)) return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const UnicodeString& Value) const {
    TParam* param = FindParam(Value);
    if (!param) DatabaseError(L"Parameter '" + Value + L"' not found");
    return param;
}

void TParams::AssignValues(TParams* Value) {
    for (int i = 0; i < Value->Count(); ++i)
        if (TParam* param = FindParam(Value->Items(i)->Name())) param->Assign(Value->Items(i));
}

bool TParams::IsEqual(TParams* Value) const {
    if (Count() != Value->Count()) return false;
    for (int i = 0; i < Count(); ++i) {
        TParam* a = Items(i);
        TParam* b = Value->Items(i);
        if (!AnsiSameText(a->Name(), b->Name()) || a->DataType() != b->DataType() ||
            a->ParamType() != b->ParamType() || a->Bound() != b->Bound() ||
            VarType(a->Value()) != VarType(b->Value()) || !(a->Value() == b->Value()))
            return false;
    }
    return true;
}

Variant TParams::ParamValues(const UnicodeString& ParamName) const {
    std::vector<TParam*> params;
    int pos = 1;
    while (pos <= int(ParamName.size())) {
        const UnicodeString name = ExtractFieldName(ParamName, pos);
        if (!name.empty()) params.push_back(ParamByName(name));
    }
    if (params.size() == 1) return params[0]->Value();
    Variant values = VarArrayCreate(0, int(params.size()) - 1, varVariant);
    for (std::size_t i = 0; i < params.size(); ++i) VarArrayPut(values, params[i]->Value(), int(i));
    return values;
}

void TParams::Assign(TPersistent* Source) {
    if (auto* params = dynamic_cast<TParams*>(Source)) {
        BeginUpdate();
        try {
            Clear();
            for (int i = 0; i < params->Count(); ++i) AddParameter()->Assign(params->Items(i));
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TCollection::Assign(Source);
}

void TParam::DefineProperties(TFiler* Filer) {
    TCollectionItem::DefineProperties(Filer);
    const auto text = [&](const wchar_t* name, UnicodeString& value) {
        Filer->DefineProperty(
            name, [&value](TReader* r) { value = r->ReadString(); },
            [&value](TWriter* w) { w->WriteString(value); }, !value.empty());
    };
    const auto number = [&](const wchar_t* name, auto& value) {
        using T = std::remove_reference_t<decltype(value)>;
        Filer->DefineProperty(
            name, [&value](TReader* r) { value = T(r->ReadInteger()); },
            [&value](TWriter* w) { w->WriteInteger(Int64(value)); }, value != T{});
    };
    text(L"Name", FName);
    number(L"DataType", FDataType);
    number(L"ParamType", FParamType);
    number(L"Size", FSize);
    number(L"Precision", FPrecision);
    number(L"NumericScale", FNumericScale);
    Filer->DefineProperty(
        L"Value",
        [this](TReader* r) {
            FData = r->ReadVariant();
            FBound = true;
        },
        [this](TWriter* w) { w->WriteVariant(FData); }, FBound);
}
