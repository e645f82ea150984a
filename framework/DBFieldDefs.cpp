// Field and index definitions. Definitions are a collection owned by the dataset (or by a parent
// definition for the children of an ADT or array); any change marks the definitions out of
// date, so that the dataset reads them again before it next needs them.
#include "framework/DBFields.h"

#include "framework/Conversions.h"

#include <algorithm>

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}

void TFieldDef::BeforeDestruction() {
    FreeAndNil(FChildDefs);
    TCollectionItem::BeforeDestruction();
}

void TFieldDef::SetName(const UnicodeString& Value) {
    FName = Value;
    Changed(false);
}

void TFieldDef::SetDataType(TFieldType Value) {
    FDataType = Value;
    Changed(false);
}

void TFieldDef::SetSize(int Value) {
    FSize = Value;
    Changed(false);
}

void TFieldDef::SetPrecision(int Value) {
    FPrecision = Value;
    Changed(false);
}

void TFieldDef::SetRequired(bool Value) {
    if (Value)
        FAttributes.Include(faRequired);
    else
        FAttributes.Exclude(faRequired);
    Changed(false);
}

void TFieldDef::SetAttributes(TFieldAttributes Value) {
    FAttributes = Value;
    Changed(false);
}

TFieldDefs* TFieldDef::ChildDefs() {
    if (!FChildDefs) FChildDefs = Construct<TFieldDefs>(this);
    return FChildDefs;
}

bool TFieldDef::HasChildDefs() const noexcept { return FChildDefs && FChildDefs->Count() > 0; }

TFieldDef* TFieldDef::ParentDef() const {
    auto* defs = static_cast<TFieldDefs*>(Collection());
    return defs ? defs->ParentDef() : nullptr;
}

UnicodeString TFieldDef::FullName() const {
    const TFieldDef* parent = ParentDef();
    return parent ? parent->FullName() + L"." + FName : FName;
}

TFieldClass TFieldDef::FieldClass() const {
    auto* defs = static_cast<TFieldDefs*>(Collection());
    TDataSet* dataSet = defs ? defs->DataSet() : nullptr;
    return dataSet ? dataSet->GetFieldClass(FDataType) : DefaultFieldClass(FDataType);
}

TField* TFieldDef::CreateField(TComponent* Owner, TDataSet* DataSet, TObjectField* ParentField,
                               bool CreateChildren) {
    const TFieldClass klass = FieldClass();
    if (!klass)
        DatabaseError(L"Field '" + FullName() + L"' is of an unknown type (" +
                          FieldTypeName(FDataType) + L")",
                      DataSet);
    auto* field = static_cast<TField*>(CreateInstance(klass, Owner));
    try {
        field->SetSize(FSize);
        field->SetRequired(Required());
        field->SetReadOnly(FAttributes.Contains(faReadonly));
        field->SetVisible(!FAttributes.Contains(faHiddenCol));
        if (ParentField) {
            field->SetFieldName(FName);
            field->SetParentField(ParentField);
        } else {
            field->SetFieldName(FullName());
            field->SetDataSet(DataSet);
        }
        auto* object = dynamic_cast<TObjectField*>(field);
        if (object && CreateChildren && HasChildDefs())
            for (int i = 0; i < FChildDefs->Count(); ++i)
                FChildDefs->Items(i)->CreateField(Owner, DataSet, object, true);
    } catch (...) {
        field->Free();
        throw;
    }
    return field;
}

void TFieldDef::Assign(TPersistent* Source) {
    auto* def = dynamic_cast<TFieldDef*>(Source);
    if (!def) return TCollectionItem::Assign(Source);
    FName = def->FName;
    FDataType = def->FDataType;
    FSize = def->FSize;
    FPrecision = def->FPrecision;
    FAttributes = def->FAttributes;
    if (def->HasChildDefs()) ChildDefs()->Assign(def->FChildDefs);
    Changed(false);
}

TFieldDefs::TFieldDefs(TPersistent* Owner) : TCollection(TFieldDef::StaticClass(), Owner) {
    FParentDef = dynamic_cast<TFieldDef*>(Owner);
    FDataSet = dynamic_cast<TDataSet*>(Owner);
    if (FParentDef) {
        auto* parentDefs = static_cast<TFieldDefs*>(FParentDef->Collection());
        FDataSet = parentDefs ? parentDefs->DataSet() : nullptr;
    }
}

TFieldDef* TFieldDefs::AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }

TFieldDef* TFieldDefs::Add(const UnicodeString& Name, TFieldType DataType, int Size,
                           bool Required) {
    BeginUpdate();
    TFieldDef* def;
    try {
        def = AddFieldDef();
        def->SetName(Name);
        def->SetDataType(DataType);
        def->SetSize(Size);
        def->SetRequired(Required);
        def->SetFieldNo(Count());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return def;
}

int TFieldDefs::IndexOf(const UnicodeString& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), Name)) return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const UnicodeString& Name) const {
    const int index = IndexOf(Name);
    if (index < 0) DatabaseError(L"Field '" + Name + L"' not found", FDataSet);
    return Items(index);
}

TFieldDef* TFieldDefs::FindByFullName(const UnicodeString& FullName) const {
    const std::size_t dot = FullName.find(L'.');
    const int index = IndexOf(FullName.substr(0, dot));
    if (index < 0) return nullptr;
    TFieldDef* def = Items(index);
    if (dot == UnicodeString::npos) return def;
    return def->HasChildDefs() ? def->ChildDefs()->FindByFullName(FullName.substr(dot + 1))
                               : nullptr;
}

void TFieldDefs::Update() {
    if (!FUpdated && FDataSet) FDataSet->InitFieldDefs();
}

void TFieldDefs::Update(TCollectionItem* Item) {
    FUpdated = false;
    TCollection::Update(Item);
}

TIndexDef* TIndexDefs::Add(const UnicodeString& Name, const UnicodeString& Fields,
                           TIndexOptions Options) {
    TIndexDef* def = AddIndexDef();
    def->SetName(Name);
    def->SetFields(Fields);
    def->SetOptions(Options);
    return def;
}

TIndexDef* TIndexDefs::FindIndexForFields(const UnicodeString& Fields) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Fields(), Fields)) return Items(i);
    DatabaseError(L"No index for fields '" + Fields + L"'");
}

void TIndexDef::Assign(TPersistent* Source) {
    auto* def = dynamic_cast<TIndexDef*>(Source);
    if (!def) return TCollectionItem::Assign(Source);
    FName = def->FName;
    FFields = def->FFields;
    FDescFields = def->FDescFields;
    FCaseInsFields = def->FCaseInsFields;
    FOptions = def->FOptions;
}

UnicodeString ExtractFieldName(const UnicodeString& Fields, int& Pos) {
    const std::size_t start =
        std::min<std::size_t>(Pos < 1 ? 0 : std::size_t(Pos) - 1, Fields.size());
    const std::size_t end = std::min(Fields.find(L';', start), Fields.size());
    Pos = int(end) + 2;
    return Trim(Fields.substr(start, end - start));
}
