// TDataSet's field data: the conversion between the native buffers and the field forms (dates
// and times), the state-field values, and the calculated and lookup fields, which live in the
// calculation area of each buffer as a presence byte and DataSize bytes.
#include "framework/DB.h"

#include "framework/FormatSettings.h"

#include <cmath>
#include <cstring>

namespace {

bool IsDateType(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

} // namespace

bool TDataSet::GetFieldData(TField*, void*) { return false; }

bool TDataSet::GetFieldData(int FieldNo, void* Buffer) {
    TField* field = FFields->FieldByNumber(FieldNo);
    return field && GetFieldData(field, Buffer);
}

bool TDataSet::GetFieldData(TField* Field, void* Buffer, bool NativeFormat) {
    if (NativeFormat || !IsDateType(Field->DataType()) || !Buffer)
        return GetFieldData(Field, Buffer);
    Byte native[8] = {};
    if (!GetFieldData(Field, native)) return false;
    DataConvert(Field, native, Buffer, false);
    return true;
}

void TDataSet::SetFieldData(TField* Field, const void*) {
    DatabaseError(L"Field '" + Field->DisplayName() + L"' cannot be modified", this);
}

void TDataSet::SetFieldData(TField* Field, const void* Buffer, bool NativeFormat) {
    if (NativeFormat || !IsDateType(Field->DataType()) || !Buffer)
        return SetFieldData(Field, Buffer);
    Byte native[8] = {};
    DataConvert(Field, Buffer, native, true);
    SetFieldData(Field, native);
}

void TDataSet::DataConvert(TField* Field, const void* Source, void* Dest, bool ToNative) {
    const TFieldType type = Field->DataType();
    if (!IsDateType(type)) {
        std::memcpy(Dest, Source, std::size_t(Field->DataSize()));
        return;
    }
    if (ToNative) {
        TDateTime value;
        std::memcpy(&value, Source, sizeof value);
        const TTimeStamp stamp = DateTimeToTimeStamp(value);
        if (type == ftDate)
            std::memcpy(Dest, &stamp.Date, 4);
        else if (type == ftTime)
            std::memcpy(Dest, &stamp.Time, 4);
        else {
            const double msecs = double(stamp.Date) * MSecsPerDay + stamp.Time;
            std::memcpy(Dest, &msecs, 8);
        }
        return;
    }
    TTimeStamp stamp;
    if (type == ftDate) {
        std::memcpy(&stamp.Date, Source, 4);
    } else if (type == ftTime) {
        std::memcpy(&stamp.Time, Source, 4);
        stamp.Date = DateDelta; // the time alone: day 0 of TDateTime
    } else {
        double msecs;
        std::memcpy(&msecs, Source, 8);
        // Whole milliseconds (as stored) split exactly in integers; anything else by floor.
        const Int64 whole = Int64(msecs);
        if (msecs >= 0 && double(whole) == msecs) {
            stamp.Date = Integer(whole / MSecsPerDay);
            stamp.Time = Integer(whole % MSecsPerDay);
        } else {
            stamp.Date = Integer(std::floor(msecs / MSecsPerDay));
            stamp.Time = Integer(msecs - double(stamp.Date) * MSecsPerDay);
        }
    }
    const TDateTime value = TimeStampToDateTime(stamp);
    std::memcpy(Dest, &value, sizeof value);
}

Variant TDataSet::GetStateFieldValue(TDataSetState State, TField* Field) {
    const TDataSetState saved = SetTempState(State);
    Variant value;
    try {
        value = Field->Value();
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
    return value;
}

void TDataSet::SetStateFieldValue(TDataSetState State, TField* Field, const Variant& Value) {
    const TDataSetState saved = SetTempState(State);
    try {
        Field->SetValue(Value);
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
}

TFieldClass TDataSet::GetFieldClass(TFieldType FieldType) const {
    return DefaultFieldClass(FieldType);
}

TStream* TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode) {
    DatabaseError(L"Field '" + Field->DisplayName() + L"' has no blob stream in this dataset",
                  this);
}

// ---- calculated and lookup fields

bool TDataSet::GetCalcFieldData(TField* Field, TRecordBuffer Buffer, void* Data) {
    if (!Buffer) return false;
    const Byte* slot = Buffer + CalcFieldsOffset() + Field->Offset();
    if (!slot[0]) return false;
    if (Data) std::memcpy(Data, slot + 1, std::size_t(Field->DataSize()));
    return true;
}

void TDataSet::SetCalcFieldData(TField* Field, TRecordBuffer Buffer, const void* Data) {
    Byte* slot = Buffer + CalcFieldsOffset() + Field->Offset();
    slot[0] = Data ? 1 : 0;
    if (Data)
        std::memcpy(slot + 1, Data, std::size_t(Field->DataSize()));
    else
        std::memset(slot + 1, 0, std::size_t(Field->DataSize()));
}

void TDataSet::InitRecord(TRecordBuffer Buffer) {
    InternalInitRecord(Buffer);
    ClearCalcFields(Buffer);
    SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::ClearCalcFields(TRecordBuffer Buffer) {
    if (FCalcFieldsSize > 0)
        std::memset(Buffer + CalcFieldsOffset(), 0, std::size_t(FCalcFieldsSize));
}

void TDataSet::GetCalcFields(TRecordBuffer Buffer) {
    if (FCalcFieldsSize == 0 && !FInternalCalcFields) return;
    const TDataSetState saved = SetTempState(dsCalcFields);
    TRecordBuffer previous = FCalcBuffer;
    FCalcBuffer = Buffer;
    try {
        ClearCalcFields(Buffer);
        CalculateFields(Buffer);
    } catch (...) {
        FCalcBuffer = previous;
        RestoreState(saved);
        throw;
    }
    FCalcBuffer = previous;
    RestoreState(saved);
}

void TDataSet::CalculateLookupField(TField* Field) {
    TDataSet* lookup = Field->LookupDataSet();
    if (!lookup || !lookup->Active()) return;
    std::vector<TField*> keys;
    GetFieldList(keys, Field->KeyFields());
    Variant keyValues;
    if (keys.size() == 1) {
        keyValues = keys[0]->Value();
    } else {
        keyValues = VarArrayCreate(0, int(keys.size()) - 1, varVariant);
        for (std::size_t i = 0; i < keys.size(); ++i)
            VarArrayPut(keyValues, keys[i]->Value(), int(i));
    }
    Field->SetAsVariant(
        lookup->Lookup(Field->LookupKeyFields(), keyValues, Field->LookupResultField()));
}

void TDataSet::CalculateFields(TRecordBuffer) {
    for (int i = 0; i < FieldCount(); ++i)
        if (FFields->Fields(i)->FieldKind() == fkLookup) CalculateLookupField(FFields->Fields(i));
    DoOnCalcFields();
}
