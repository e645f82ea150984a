#include "data/engine/MemDataFields.h"

#include "EngineModules.h"

#include <map>

namespace {

constexpr Word PointerSize = Word(sizeof(void*));

TFieldDesc* AddField(TFieldDescs& fields, const UnicodeString& name, Word type, Word length = 0,
                     TFieldDescKind kind = fdkData) {
    TFieldDesc* field = Construct<TFieldDesc>();
    field->SetName(name);
    field->SetActualName(name);
    field->SetDataType(type);
    field->SetLength(length);
    field->SetSize(FieldSizeOf(type, length, 6));
    field->SetFieldDescKind(kind);
    field->SetFieldNo(Word(fields.Count() + 1));
    fields.Add(field);
    return field;
}

struct TFieldsFixture : ::testing::Test {
    TFieldDescs* Fields = Construct<TFieldDescs>();
    ~TFieldsFixture() override { Fields->Free(); }
};

TEST(FieldSize, WidthsByType) {
    struct Case {
        Word Type, Length, Size;
    } cases[] = {
        {dtString, 10, 11},
        {dtGuid, 38, 39},
        {dtInt8, 0, 1},
        {dtInt16, 0, 2},
        {dtInt32, 0, 4},
        {dtFloat, 0, 8},
        {dtDate, 0, 8},
        {dtTime, 0, 8},
        {dtDateTime, 0, 8},
        {dtUInt16, 0, 2},
        {dtBoolean, 0, 2},
        {dtInt64, 0, 8},
        {dtCurrency, 0, 8},
        {dtBlob, 0, PointerSize},
        {dtMemo, 0, PointerSize},
        {dtVariant, 0, PointerSize},
        {dtExtString, 9, PointerSize},
        {dtBytes, 7, 7},
        {dtVarBytes, 7, 9},
        {dtExtVarBytes, 7, PointerSize},
        {dtUInt32, 0, 4},
        {dtWideString, 3, 8},
        {dtExtWideString, 3, PointerSize},
        {dtBCD, 0, 8},
        {dtFMTBCD, 0, 34},
        {dtWideMemo, 0, PointerSize},
        {dtSQLTimeStamp, 0, 16},
        {dtObject, 0, 6},
        {dtCursor, 0, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FieldSizeOf(c.Type, c.Length, 6), c.Size) << "type " << c.Type;
}

TEST(FieldSize, VarBytesCountsAreUnsigned) {
    Byte value[2];
    SetVarBytesCount(value, 40000);
    EXPECT_EQ(VarBytesCount(value), 40000);
    SetVarBytesCount(value, 65535);
    EXPECT_EQ(VarBytesCount(value), 65535);
    EXPECT_EQ(FieldSizeOf(dtVarBytes, 65533), 65535);
}

TEST_F(TFieldsFixture, LayoutPadsWideStringsAndMakesRecordSizeOdd) {
    TFieldDesc* a = AddField(*Fields, L"a", dtInt16);
    TFieldDesc* b = AddField(*Fields, L"b", dtWideString, 3);
    TFieldDesc* c = AddField(*Fields, L"c", dtInt8);
    TRecordLayout layout = InitRecordLayout(*Fields, Fields->Count());
    EXPECT_EQ(a->Offset(), 0);
    EXPECT_EQ(b->Offset(), 2);
    EXPECT_EQ(c->Offset(), 10);
    EXPECT_EQ(layout.DataSize, 11);
    EXPECT_EQ(layout.RecordSize, 15); // 11 + 3 null flags = 14, made odd
    EXPECT_EQ(layout.DataSize + b->FieldNo() - 1, 12) << "the null flag of field 2";
    EXPECT_EQ(layout.CalcRecordSize, 0);

    TFieldDesc* calc = AddField(*Fields, L"calc", dtInt32, 0, fdkCalculated);
    layout = InitRecordLayout(*Fields, Fields->Count());
    EXPECT_EQ(layout.RecordSize, 15); // 11 + 4 flags
    EXPECT_EQ(calc->Offset(), 15);
    EXPECT_EQ(layout.CalcRecordSize, 5);
}

TEST_F(TFieldsFixture, AWideStringAfterAnInt8StartsAtTwo) {
    AddField(*Fields, L"a", dtInt8);
    TFieldDesc* w = AddField(*Fields, L"w", dtWideString, 1);
    TFieldDesc* cw = AddField(*Fields, L"cw", dtWideString, 1, fdkCalculated);
    const TRecordLayout layout = InitRecordLayout(*Fields, Fields->Count());
    EXPECT_EQ(w->Offset(), 2);
    EXPECT_EQ(layout.DataSize, 6);
    EXPECT_EQ(layout.RecordSize, 9);
    EXPECT_EQ(cw->Offset(), 10) << "the calculated WideString is padded on its absolute offset";
    EXPECT_EQ(layout.CalcDataSize, 5);
    EXPECT_EQ(layout.CalcRecordSize, 5);
}

// Offsets with by-reference fields follow the pointer size (4 in the product, 8 here).
TEST_F(TFieldsFixture, ByReferenceFieldsTakeAPointer) {
    AddField(*Fields, L"blob", dtBlob);
    TFieldDesc* next = AddField(*Fields, L"n", dtInt32);
    TFieldDesc* text = AddField(*Fields, L"s", dtExtString, 20);
    TFieldDesc* last = AddField(*Fields, L"l", dtInt8);
    const TRecordLayout layout = InitRecordLayout(*Fields, Fields->Count());
    EXPECT_EQ(next->Offset(), PointerSize);
    EXPECT_EQ(text->Offset(), PointerSize + 4);
    EXPECT_EQ(last->Offset(), 2 * PointerSize + 4);
    EXPECT_EQ(layout.RecordSize, (2 * PointerSize + 5 + 4) | 1);
#if defined(__i386__)
    EXPECT_EQ(layout.RecordSize, 17);
#endif
}

TEST_F(TFieldsFixture, ChildrenGetNoOffset) {
    TFieldDesc* parent = AddField(*Fields, L"ADDR", dtObject);
    TFieldDesc* child = AddField(*Fields, L"CITY", dtString, 20);
    child->SetParentField(parent);
    child->SetOffset(-1);
    const TRecordLayout layout = InitRecordLayout(*Fields, Fields->Count());
    EXPECT_EQ(child->Offset(), -1);
    EXPECT_EQ(layout.DataSize, 6);
    EXPECT_EQ(layout.RecordSize, 9);
}

TEST_F(TFieldsFixture, FindFieldInThreeSteps) {
    TFieldDesc* parent = AddField(*Fields, L"A", dtObject);
    TFieldDesc* child = AddField(*Fields, L"b", dtInt32);
    child->SetParentField(parent);
    child->SetActualName(L"A.B");
    EXPECT_EQ(Fields->FindField(L"a.b"), child);
    EXPECT_EQ(Fields->FindField(L"B"), child);
    TFieldDesc* top = AddField(*Fields, L"B", dtInt32);
    EXPECT_EQ(Fields->FindField(L"b"), top) << "a top-level name comes first";
    EXPECT_EQ(Fields->FindField(L"missing"), nullptr);
    Fields->Add(nullptr); // nil entries are skipped
    EXPECT_EQ(Fields->FindField(L"a"), parent);
    try {
        Fields->FieldByName(L"missing");
        FAIL() << "found";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Field missing not found");
    }
}

TEST_F(TFieldsFixture, AssignCopiesExactlyNineFields) {
    TFieldDesc* source = AddField(*Fields, L"src", dtString, 10);
    source->SetActualName(L"actual");
    source->SetScale(2);
    source->SetOffset(7);
    source->SetRequired(true);
    source->SetFixed(true);
    source->SetReadOnly(true);
    source->SetSubDataType(9);
    source->SetDataOffset(33);
    TFieldDesc* target = AddField(*Fields, L"dst", dtInt32);
    target->Assign(source);
    EXPECT_EQ(target->Name(), L"src");
    EXPECT_EQ(target->ActualName(), L"actual");
    EXPECT_EQ(target->DataType(), dtString);
    EXPECT_EQ(target->Length(), 10);
    EXPECT_EQ(target->Scale(), 2);
    EXPECT_EQ(target->Size(), 11);
    EXPECT_EQ(target->Offset(), 7);
    EXPECT_TRUE(target->Required());
    EXPECT_EQ(target->FieldNo(), 1);
    EXPECT_FALSE(target->Fixed());
    EXPECT_FALSE(target->ReadOnly());
    EXPECT_EQ(target->SubDataType(), 0);
    EXPECT_EQ(target->DataOffset(), 0);
}

TEST(UniqueNames, Cases) {
    struct Case {
        std::vector<UnicodeString> Names;
        std::vector<UnicodeString> Expected;
    } cases[] = {
        {{L"ID", L"ID", L"ID"}, {L"ID", L"ID_1", L"ID_2"}},
        {{L"id", L"NAME", L"Id"}, {L"id", L"NAME", L"Id_1"}},
        {{L""}, {L"_0"}},
        {{L"", L""}, {L"_0", L"_1"}},
        {{L"ID", L"ID", L"ID_1"}, {L"ID", L"ID_1", L"ID_1_1"}},
        {{L"A", L"B", L"C"}, {L"A", L"B", L"C"}},
        {{L"X", L"Y", L"X", L"Y"}, {L"X", L"Y", L"X_1", L"Y_1"}},
    };
    for (const Case& c : cases) {
        TFieldDescs* fields = Construct<TFieldDescs>();
        for (const UnicodeString& name : c.Names) AddField(*fields, name, dtInt32);
        MakeUniqueFieldNames(*fields);
        std::vector<UnicodeString> names;
        for (int i = 0; i < fields->Count(); ++i) names.push_back(fields->Items(i)->Name());
        EXPECT_EQ(names, c.Expected);
        fields->Free();
    }
}

// ---------------------------------------------------------------------------------------------
// Object types

TAttribute* Attribute(TObjectType* owner, const UnicodeString& name, Word type,
                      TObjectType* objectType = nullptr) {
    TAttribute* attribute = Construct<TAttribute>();
    attribute->SetName(name);
    attribute->SetDataType(type);
    owner->AddAttribute(attribute);
    if (objectType) attribute->SetObjectType(objectType);
    return attribute;
}

struct TObjectTypes : ::testing::Test {
    TObjectType* Address = new TObjectType(L"ADDRESS", dtObject);
    TObjectType* Item = new TObjectType(L"ITEM", dtObject);
    TObjectType* Items = new TObjectType(L"ITEMS_T", dtArray, 10);
    TObjectType* Person = new TObjectType(L"PERSON", dtObject);
    TObjectTypes() {
        Attribute(Address, L"City", dtString);
        Attribute(Item, L"Price", dtFloat);
        Attribute(Items, ArrayElementAttribute, dtObject, Item);
        Attribute(Person, L"Name", dtString);
        Attribute(Person, L"Addr", dtObject, Address);
        Attribute(Person, L"Items", dtArray, Items);
    }
    ~TObjectTypes() override {
        for (TObjectType* type : {Person, Items, Item, Address}) type->Free();
    }
};

TEST_F(TObjectTypes, FindAttributeByPath) {
    EXPECT_EQ(Person->FindAttribute(L"addr.city"), Address->AttributeAt(0));
    EXPECT_EQ(Person->FindAttribute(L"ADDR.CITY"), Address->AttributeAt(0));
    EXPECT_EQ(Person->FindAttribute(L"  name"), Person->AttributeAt(0));
    EXPECT_EQ(Person->FindAttribute(L"items[3].price"), Item->AttributeAt(0));
    EXPECT_EQ(Person->FindAttribute(L"items[99]"), Items->AttributeAt(0))
        << "the index is not checked";
    EXPECT_EQ(Person->FindAttribute(L"name.x"), nullptr);
    EXPECT_EQ(Person->FindAttribute(L"items[3"), nullptr);
    EXPECT_EQ(Person->FindAttribute(L"nobody"), nullptr);
    EXPECT_EQ(Items->AttributeAt(0)->AttributeNo(), 1);
    EXPECT_EQ(Person->AttributeAt(2)->AttributeNo(), 3);
    try {
        Person->AttributeByName(L"items[3");
        FAIL() << "found";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Attribute items[3 not found");
    }
}

TEST_F(TObjectTypes, AttributesHoldTheirTypes) {
    EXPECT_EQ(Address->RefCount(), 2) << "the fixture's and Addr's";
    Address->AddRef();
    Person->Free(); // frees its attributes, which release their types
    Person = new TObjectType(L"PERSON", dtObject);
    EXPECT_EQ(Address->RefCount(), 2);
    Address->Free();
}

class TCountedType : public TObjectType {
public:
    TCountedType(int& destroyed) : TObjectType(L"NODE", dtObject), FDestroyed(destroyed) {}
    ~TCountedType() override { ++FDestroyed; }

private:
    int& FDestroyed;
};

TEST(ObjectType, ATypeThatContainsItselfDoesNotKeepItselfAlive) {
    int destroyed = 0;
    TCountedType* node = new TCountedType(destroyed);
    Attribute(node, L"Next", dtReference, node);
    EXPECT_EQ(node->RefCount(), 1);
    TFieldDesc* field = Construct<TFieldDesc>();
    field->SetObjectType(node);
    EXPECT_EQ(node->RefCount(), 2);
    field->Free(); // the descriptor releases its type
    EXPECT_EQ(node->RefCount(), 1);
    node->Free();
    EXPECT_EQ(destroyed, 1);
}

TEST(ChildFields, PathsBelowTheTopLevel) {
    TFieldDesc* addr = Construct<TFieldDesc>();
    addr->SetName(L"ADDR");
    addr->SetDataType(dtObject);
    TFieldDesc* city = Construct<TFieldDesc>();
    city->SetName(L"CITY");
    city->SetParentField(addr);
    TFieldDesc* items = Construct<TFieldDesc>();
    items->SetName(L"ITEMS");
    items->SetDataType(dtArray);
    items->SetParentField(addr);
    TFieldDesc* element = Construct<TFieldDesc>();
    element->SetName(L"[2]");
    element->SetParentField(items);
    TFieldDesc* price = Construct<TFieldDesc>();
    price->SetName(L"PRICE");
    price->SetParentField(element);
    EXPECT_EQ(ChildFieldPath(city), L"CITY");
    EXPECT_EQ(ChildFieldPath(element), L"ITEMS[2]");
    EXPECT_EQ(ChildFieldPath(price), L"ITEMS[2].PRICE");
    for (TFieldDesc* f : {addr, city, items, element, price}) f->Free();
}

// A provider object as the engine sees it: three operations on attribute paths.
class TTestProviderObject : public TSharedObject {
public:
    void GetAttributeValue(const UnicodeString& Path, void*& Value, bool& IsBlank,
                           bool& NativeBuffer) override {
        auto it = FValues.find(Path);
        IsBlank = it == FValues.end();
        Value = IsBlank ? nullptr : &it->second;
        NativeBuffer = true;
    }
    void SetAttributeValue(const UnicodeString& Path, const void* Value) override {
        if (Value)
            FValues[Path] = *static_cast<const Integer*>(Value);
        else
            FValues.erase(Path);
    }
    bool GetAttrIsNull(const UnicodeString& Path) override { return FValues.count(Path) == 0; }

private:
    std::map<UnicodeString, Integer> FValues;
};

TEST(ProviderObject, TheBaseLeavesTheOperationsToProviders) {
    TSharedObject* base = new TSharedObject;
    void* value;
    bool blank, native;
    EXPECT_THROW(base->GetAttributeValue(L"A", value, blank, native), EAssertionFailed);
    EXPECT_THROW(base->GetAttrIsNull(L"A"), EAssertionFailed);
    base->Free();

    TSharedObject* object = new TTestProviderObject;
    const Integer five = 5;
    object->SetAttributeValue(L"ITEMS[2]", &five);
    EXPECT_FALSE(object->GetAttrIsNull(L"ITEMS[2]"));
    object->GetAttributeValue(L"ITEMS[2]", value, blank, native);
    EXPECT_FALSE(blank);
    EXPECT_EQ(*static_cast<Integer*>(value), 5);
    object->SetAttributeValue(L"ITEMS[2]", nullptr);
    EXPECT_TRUE(object->GetAttrIsNull(L"ITEMS[2]"));
    object->Free();
}

} // namespace
