// The data types map, the dataset's field definitions built from the storage descriptors, and
// the storage descriptors of calculated and lookup fields.
#include "data/engine/MemDS.h"

#include "framework/Conversions.h"

#include <cstring>

TFieldType TDataTypesMap::GetFieldType(Word DataType) const {
    switch (DataType) {
    case dtUnknown: return ftUnknown;
    case dtString:
    case dtExtString: return ftString;
    case dtInt8:
    case dtInt16: return ftSmallint;
    case dtInt32: return ftInteger;
    case dtFloat: return ftFloat;
    case dtDate: return ftDate;
    case dtTime: return ftTime;
    case dtDateTime: return ftDateTime;
    case dtUInt16: return ftWord;
    case dtBoolean: return ftBoolean;
    case dtInt64:
    case dtUInt32: return ftLargeint;
    case dtCurrency: return ftCurrency;
    case dtBlob: return ftBlob;
    case dtMemo: return ftMemo;
    case dtObject: return ftADT;
    case dtReference: return ftReference;
    case dtArray: return ftArray;
    case dtTable: return ftDataSet;
    case dtVariant: return ftVariant;
    case dtBytes: return ftBytes;
    case dtVarBytes:
    case dtExtVarBytes: return ftVarBytes;
    case dtWideString:
    case dtExtWideString: return ftWideString;
    case dtBCD: return ftBCD;
    case dtFMTBCD: return ftFMTBcd;
    case dtGuid: return ftGuid;
    case dtWideMemo: return ftWideMemo;
    case dtCursor: return ftCursor;
    default: throw EAssertionFailed(L"Unknown data type");
    }
}

Integer TDataTypesMap::GetDataType(TFieldType FieldType) const {
    switch (FieldType) {
    case ftString:
    case ftFixedChar: return dtString;
    case ftShortint: return dtInt8;
    case ftSmallint:
    case ftByte: return dtInt16;
    case ftInteger:
    case ftAutoInc: return dtInt32;
    case ftFloat:
    case ftExtended:
    case ftSingle: return dtFloat;
    case ftDate: return dtDate;
    case ftTime: return dtTime;
    case ftDateTime: return dtDateTime;
    case ftWord: return dtUInt16;
    case ftBoolean: return dtBoolean;
    case ftLargeint: return dtInt64;
    case ftCurrency: return dtCurrency;
    case ftBlob: return dtBlob;
    case ftMemo: return dtMemo;
    case ftADT: return dtObject;
    case ftReference: return dtReference;
    case ftArray: return dtArray;
    case ftDataSet: return dtTable;
    case ftVariant: return dtVariant;
    case ftBytes: return dtBytes;
    case ftVarBytes: return dtVarBytes;
    case ftLongWord: return dtUInt32;
    case ftWideString:
    case ftFixedWideChar: return dtWideString;
    case ftBCD: return dtBCD;
    case ftFMTBcd: return dtFMTBCD;
    case ftGuid: return dtGuid;
    case ftWideMemo: return dtWideMemo;
    case ftCursor: return dtCursor;
    default: return dtUnknown;
    }
}

const TDataTypesMap& TMemDataSet::DataTypesMapClass() const {
    static const TDataTypesMap map;
    return map;
}

TFieldType TMemDataSet::FieldTypeOfDataType(Word DataType) {
    return DataTypesMapClass().GetFieldType(DataType);
}

TFieldType TMemDataSet::FieldTypeOfFieldDesc(TFieldDesc* FieldDesc) {
    return FieldTypeOfDataType(FieldDesc->DataType());
}

Integer TMemDataSet::FieldDefSize(TFieldType FieldType, TFieldDesc* FieldDesc) {
    switch (FieldType) {
    case ftString:
    case ftWideString:
    case ftGuid: return FieldDesc->Length() == 0 ? 1 : FieldDesc->Length();
    case ftBytes:
    case ftVarBytes: return FieldDesc->Length();
    default: return 0;
    }
}

UnicodeString TMemDataSet::ArrayElementName(TFieldDef*, Integer Index, TObjectType*) {
    return IntToStr(Index);
}

void TMemDataSet::BuildFieldDefs() {
    if (FieldDefs()->Updated()) return;
    FieldDefs()->BeginUpdate();
    struct TEnd {
        TFieldDefs* Defs;
        ~TEnd() { Defs->EndUpdate(); }
    };
    {
        TEnd end{FieldDefs()};
        FieldDefs()->Clear();
        for (int i = 0; i < FData->FieldCount(); ++i) {
            TFieldDesc* desc = FData->Fields()->Items(i);
            if (desc->HiddenObject() || desc->FieldDescKind() != fdkData) continue;
            if (desc->HasParent() && !desc->ParentField()->HiddenObject()) continue;
            const TFieldType type = FieldTypeOfFieldDesc(desc);
            if (type == ftUnknown) DatabaseError(L"Data type is not supported", this);
            TFieldDef* def = FieldDefs()->AddFieldDef();
            def->SetName(desc->Name());
            def->SetDataType(type);
            def->SetSize(FieldDefSize(type, desc));
            def->SetRequired(desc->Required() && FLocalConstraints);
            def->SetFieldNo(i + 1);
            TFieldAttributes attributes = def->Attributes();
            if (desc->ReadOnly()) attributes.Include(faReadonly);
            if (desc->Hidden()) attributes.Include(faHiddenCol);
            if (desc->Fixed()) attributes.Include(faFixed);
            def->SetAttributes(attributes);
            switch (type) {
            case ftSmallint:
            case ftInteger:
            case ftFloat:
            case ftLargeint: def->SetPrecision(desc->Length()); break;
            case ftBCD:
            case ftFMTBcd:
                def->SetPrecision(desc->Length());
                def->SetSize(desc->Scale());
                break;
            case ftADT:
            case ftArray: BuildChildDefs(def, desc->ObjectType()); break;
            default: break;
            }
        }
    }
    FieldDefs()->SetUpdated(FData->FieldCount() > 0);
}

Integer TMemDataSet::ChildRepeats(TObjectType* ObjectType) const {
    if (ObjectType->DataType() == dtObject || SparseArrays()) return 1;
    return std::min(ObjectType->Size(), MaxArrayItemFields);
}

void TMemDataSet::BuildChildDefs(TFieldDef* Def, TObjectType* ObjectType) {
    if (!ObjectType) return;
    const Integer repeats = ChildRepeats(ObjectType);
    for (Integer a = 0; a < ObjectType->AttributeCount(); ++a) {
        TAttribute* attribute = ObjectType->AttributeAt(a);
        for (Integer r = 0; r < repeats; ++r) {
            const TFieldType type = FieldTypeOfDataType(attribute->DataType());
            const Integer size = type == ftString || type == ftWideString ? attribute->Length() : 0;
            const UnicodeString base = ObjectType->DataType() == dtObject
                                           ? attribute->Name()
                                           : ArrayElementName(Def, r, ObjectType);
            UnicodeString name = base;
            for (Integer n = 1; FieldDefs()->FindByFullName(Def->FullName() + L"." + name); ++n)
                name = base + L"_" + IntToStr(n);
            TFieldDef* child = Def->ChildDefs()->AddFieldDef();
            child->SetName(name);
            child->SetDataType(type);
            child->SetSize(size);
            child->SetRequired(false);
            if (Def->Attributes().Contains(faReadonly)) {
                TFieldAttributes attributes = child->Attributes();
                attributes.Include(faReadonly);
                child->SetAttributes(attributes);
            }
            if (type == ftADT || type == ftArray) BuildChildDefs(child, attribute->ObjectType());
        }
    }
}

// ---- object view

void TMemDataSet::NameObjectTypes() {
    for (int i = 0; i < FieldCount(); ++i) {
        auto* field = dynamic_cast<TObjectField*>(Fields()->Fields(i));
        if (!field || field->ParentField() || field->FieldKind() != fkData) continue;
        if (TFieldDesc* desc = GetFieldDesc(field)) NameObjectType(field, desc->ObjectType());
    }
}

void TMemDataSet::NameObjectType(TObjectField* Field, TObjectType* ObjectType) {
    if (!ObjectType) return;
    Field->SetObjectType(ObjectType->Name());
    // A child field stands for the attribute its definition was built from: definitions come
    // per attribute, ChildRepeats of them each (array elements), in attribute order. Persistent
    // children may be fewer than the definitions, so the definition, not the field's position,
    // tells the attribute.
    const Integer repeats = ChildRepeats(ObjectType);
    for (int i = 0; i < Field->FieldCount(); ++i) {
        auto* child = dynamic_cast<TObjectField*>(Field->Fields()->Fields(i));
        if (!child) continue;
        TFieldDef* def = FieldDefs()->FindByFullName(child->FullName());
        if (!def) continue;
        const Integer attribute = def->Index() / repeats;
        if (attribute < ObjectType->AttributeCount())
            NameObjectType(child, ObjectType->AttributeAt(attribute)->ObjectType());
    }
}

// ---- calculated and lookup fields

void TMemDataSet::CreateCalcFieldDescs() {
    FCalcFieldsMapping.clear();
    if (!FData || DefaultFields() || FieldCount() == 0) return;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields()->Fields(i);
        if (field->FieldKind() != fkCalculated && field->FieldKind() != fkLookup) continue;
        TFieldDesc* desc = Construct<TFieldDesc>();
        try {
            desc->SetName(field->FullName());
            desc->SetActualName(field->FullName());
            desc->SetFieldNo(Word(FData->FieldCount() + 1));
            desc->SetDataType(Word(DataTypesMapClass().GetDataType(field->DataType())));
            Integer size = field->DataSize();
            if (field->DataType() == ftDate || field->DataType() == ftTime)
                size = 2 * field->DataSize();
            else if (field->DataType() == ftWideString)
                size = 2 * field->Size() + 2;
            desc->SetSize(Word(size));
            desc->SetLength(Word(field->Size()));
            desc->SetFieldDescKind(FCacheCalcFields ? fdkCached : fdkCalculated);
            FData->Fields()->Add(desc);
        } catch (...) {
            desc->Free();
            throw;
        }
        FCalcFieldsMapping.push_back({desc, field});
    }
}

void TMemDataSet::FillCachedCalcFields(void* Dest, void* Source) {
    if (CalcFieldsSize() == 0) return;
    const Integer recordSize = FData->RecordSize();
    const Integer size = recordSize + FData->CalcRecordSize() + Integer(sizeof(TRecBookmark)) + 7;
    auto* temp = static_cast<TRecordBuffer>(Marshal::AllocHGlobal(size));
    struct TFree {
        void* Buffer;
        ~TFree() { Marshal::FreeHGlobal(Buffer); }
    } release{temp};
    std::memset(temp, 0, std::size_t(size));
    std::memcpy(temp, Source ? Source : Dest, std::size_t(recordSize));
    GetCalcFields(temp);
    std::memcpy(Dest, temp, std::size_t(recordSize + FData->CalcRecordSize()));
}
