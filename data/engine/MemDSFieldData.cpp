// The memory dataset's field access: the state buffer of each dataset state, reading and
// writing values through the storage, the descriptor of a field and blob objects.
#include "data/engine/MemDS.h"

#include "data/engine/MemUtils.h"

#include "framework/Conversions.h"

#include <cstring>

namespace {
bool IsWideStringField(TField* Field) {
    return Field->DataType() == ftWideString || dynamic_cast<TWideStringField*>(Field) != nullptr;
}
// An engine Int8 value read into the 2-byte buffer of a Smallint field.
bool IsInt8Smallint(TFieldDesc* Desc, TField* Field) {
    return Desc->DataType() == dtInt8 && Field->DataSize() == 2;
}
} // namespace

bool TMemDataSet::StateRecBuf(TRecordBuffer& Buffer) {
    Buffer = nullptr;
    switch (State()) {
    case dsBrowse:
        if (FInCacheProcessing)
            Buffer = NewCacheRecBuf;
        else if (!IsEmpty())
            Buffer = ActiveBuffer();
        break;
    case dsBlockRead:
        if (!IsEmpty()) Buffer = ActiveBuffer();
        break;
    case dsEdit:
    case dsInsert: Buffer = ActiveBuffer(); break;
    case dsNewValue: Buffer = FInCacheProcessing ? NewCacheRecBuf : ActiveBuffer(); break;
    case dsCalcFields: Buffer = FLookupBuffer ? FLookupBuffer : CalcBuffer(); break;
    case dsFilter: Buffer = FFilterBuffer; break;
    case dsOldValue:
        if (FInDeferredPost)
            Buffer = OldDeferredPostBuf;
        else if (FInCacheProcessing)
            Buffer = OldCacheRecBuf;
        else
            Buffer = FetchOldRecBuf();
        break;
    default: break;
    }
    return Buffer != nullptr;
}

TRecordBuffer TMemDataSet::FetchOldRecBuf() {
    UpdateCursorPos();
    FData->GetOldRecord(FOldRecBuf);
    return FOldRecBuf;
}

bool TMemDataSet::GetFieldData(TField* Field, void* Buffer) {
    TRecordBuffer recBuf;
    if (!StateRecBuf(recBuf)) return false;
    bool isBlank = true;
    const Integer fieldNo = DataFieldNo(Field);
    if (fieldNo >= 1) {
        TFieldDesc* desc = FData->Fields()->Items(fieldNo - 1);
        if (Buffer && IsInt8Smallint(desc, Field)) {
            std::int8_t value = 0;
            FData->GetField(Word(fieldNo), recBuf, &value, isBlank);
            const std::int16_t wide = value;
            std::memcpy(Buffer, &wide, 2);
            return !isBlank;
        }
        FData->GetField(Word(fieldNo), recBuf, Buffer, isBlank);
        return !isBlank;
    }
    if (Field->ParentField()) return false;
    switch (State()) {
    case dsBrowse:
    case dsEdit:
    case dsInsert:
    case dsCalcFields:
    case dsFilter:
    case dsBlockRead: break;
    default: return false;
    }
    if (!FCreateCalcFieldDescs) return GetCalcFieldData(Field, recBuf, Buffer);
    TFieldDesc* desc = CalcFieldDesc(Field);
    FData->GetField(desc->FieldNo(), recBuf, Buffer, isBlank);
    return !isBlank;
}

bool TMemDataSet::GetFieldData(int FieldNo, void* Buffer) {
    TRecordBuffer recBuf;
    if (!StateRecBuf(recBuf)) return false;
    bool isBlank = true;
    FData->GetField(Word(FieldNo), recBuf, Buffer, isBlank);
    return !isBlank;
}

bool TMemDataSet::GetFieldData(TField* Field, void* Buffer, bool NativeFormat) {
    if (Buffer && Field->DataType() == ftWideString) NativeFormat = true;
    return TDataSet::GetFieldData(Field, Buffer, NativeFormat);
}

void TMemDataSet::SetFieldData(TField* Field, const void* Buffer, bool NativeFormat) {
    if (IsWideStringField(Field)) NativeFormat = true;
    TDataSet::SetFieldData(Field, Buffer, NativeFormat);
}

void TMemDataSet::SetFieldData(TField* Field, const void* Buffer) {
    const TDataSetState state = State();
    switch (state) {
    case dsEdit:
    case dsInsert:
    case dsSetKey:
    case dsCalcFields:
    case dsFilter:
    case dsNewValue:
    case dsInternalCalc: break;
    default: DatabaseError(L"Dataset not in edit or insert mode", this);
    }
    TRecordBuffer recBuf;
    StateRecBuf(recBuf);
    const Integer fieldNo = DataFieldNo(Field);
    if (fieldNo >= 1 || Field->ParentField()) {
        if (state == dsCalcFields) DatabaseError(L"Dataset not in edit or insert mode", this);
        // A child the storage does not describe has nowhere to keep a value.
        if (fieldNo < 1 || (Field->ReadOnly() && state != dsSetKey && state != dsFilter))
            DatabaseError(L"Field '" + Field->DisplayName() + L"' cannot be modified", this);
        Field->Validate(Buffer);
        if (Field->FieldKind() != fkInternalCalc) {
            TFieldDesc* desc = FData->Fields()->Items(fieldNo - 1);
            if (Buffer && IsInt8Smallint(desc, Field)) {
                std::int16_t wide;
                std::memcpy(&wide, Buffer, 2);
                if (wide < -128 || wide > 127)
                    DatabaseError(L"'" + IntToStr(wide) + L"' is not a valid value for field '" +
                                      Field->DisplayName() + L"'. The allowed range is -128 to 127",
                                  this);
                const auto narrow = std::int8_t(wide);
                FData->PutField(Word(fieldNo), recBuf, &narrow);
            } else {
                FData->PutField(Word(fieldNo), recBuf, Buffer);
            }
        }
    } else if (FCreateCalcFieldDescs) {
        FData->PutField(CalcFieldDesc(Field)->FieldNo(), recBuf, Buffer);
    } else {
        SetCalcFieldData(Field, recBuf, Buffer);
    }
    if (state != dsCalcFields && state != dsFilter && state != dsNewValue)
        DataEvent(deFieldChange, NativeInt(Field));
}

TFieldDesc* TMemDataSet::CalcFieldDesc(TField* Field) {
    for (const TCalcFieldDescMapping& mapping : FCalcFieldsMapping)
        if (mapping.Field == Field) return mapping.FieldDesc;
    return FData->Fields()->Items(GetFieldDescNo(Field) - 1);
}

void TMemDataSet::DataConvert(TField* Field, const void* Source, void* Dest, bool ToNative) {
    if (Field->DataType() == ftBCD) {
        std::memcpy(Dest, Source, 8);
        return;
    }
    TDataSet::DataConvert(Field, Source, Dest, ToNative);
}

Variant TMemDataSet::GetStateFieldValue(TDataSetState State, TField* Field) {
    if ((this->State() == dsInsert && State == dsOldValue) || State == dsInsert) return Null();
    return TDataSet::GetStateFieldValue(State, Field);
}

Integer TMemDataSet::DataFieldNo(TField* Field) {
    if (Field->FieldNo() >= 1 || !Field->ParentField()) return Field->FieldNo();
    TFieldDesc* desc = GetFieldDesc(Field);
    return desc ? desc->FieldNo() : 0;
}

TFieldDesc* TMemDataSet::GetFieldDesc(TField* Field) {
    if (Field->DataSet() && Field->DataSet() != this)
        throw EAssertionFailed(L"The field belongs to another dataset");
    // A child of an object field is only ever the storage's child descriptor of its full name
    // ("ADDR.CITY"): a top-level column or another object's attribute of the same short name
    // would show a value that is not the child's.
    if (Field->ParentField()) {
        for (int i = 0; i < FData->FieldCount(); ++i) {
            TFieldDesc* desc = FData->Fields()->Items(i);
            if (desc->HasParent() && LocaleSameText(desc->ActualName(), Field->FullName()))
                return desc;
        }
        return nullptr;
    }
    if (Field->FieldNo() > 0) return FData->Fields()->Items(Field->FieldNo() - 1);
    if (DefaultFields() && FieldCount() == FData->FieldCount())
        return FData->Fields()->Items(Field->Index());
    for (int i = 0; i < FData->FieldCount(); ++i) {
        TFieldDesc* desc = FData->Fields()->Items(i);
        if (Field->FieldKind() != fkData) {
            if (desc->FieldDescKind() == fdkData) continue;
            if (LocaleSameText(desc->ActualName(), Field->FieldName())) return desc;
        }
        if (LocaleSameText(desc->Name(), Field->FieldName())) return desc;
    }
    return nullptr;
}

TFieldDesc* TMemDataSet::FieldDescOf(TField* Field) {
    TFieldDesc* desc = GetFieldDesc(Field);
    if (!desc) throw Exception(L"Field " + Field->FieldName() + L" not found");
    return desc;
}

Integer TMemDataSet::GetFieldDescNo(TField* Field) { return FieldDescOf(Field)->FieldNo(); }

TBlob* TMemDataSet::GetBlob(TField* Field) {
    if (!Field || !Active()) return nullptr;
    TFieldDesc* desc = GetFieldDesc(Field);
    if (!desc) return nullptr;
    TRecordBuffer recBuf;
    if (!StateRecBuf(recBuf)) return nullptr;
    if (!FData->IsBlobFieldType(desc->DataType())) DatabaseError(L"Field is not BLOB", this);
    return static_cast<TBlob*>(FData->GetObject(desc->FieldNo(), recBuf));
}

TBlob* TMemDataSet::GetBlob(const UnicodeString& FieldName) {
    TFieldDesc* desc = FData->FieldByName(FieldName);
    TRecordBuffer recBuf;
    if (!StateRecBuf(recBuf)) return nullptr;
    if (!FData->IsBlobFieldType(desc->DataType())) DatabaseError(L"Field is not BLOB", this);
    return static_cast<TBlob*>(FData->GetObject(desc->FieldNo(), recBuf));
}

TStream* TMemDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    auto* blobField = dynamic_cast<TBlobField*>(Field);
    if (!blobField) throw EAssertionFailed(L"A blob stream needs a blob field");
    return Construct<TBlobStream>(blobField, Mode);
}
