// Structured engine columns through the class library's dataset API: the fields made for object
// and array columns, and, under the object view, the name of each object field's structured
// type, down through nested objects and array elements.
#include "MemDSFixture.h"

#include <string>
#include <vector>

namespace {

// ID, ADDR of type ADDRESS (STREET, GEO of type POINT (X, Y), CITY), PHONES of type PHONE_LIST
// (three elements of type PHONE (KIND, NUM)) and TAGS of type TAG_LIST (two strings).
class MemDSObjectView : public MemDSTest {
protected:
    void SetUp() override {
        MemDSTest::SetUp();
        TObjectType* point = Type(L"POINT", dtObject, 0, {{L"X", dtFloat}, {L"Y", dtFloat}});
        TObjectType* address = Type(
            L"ADDRESS", dtObject, 0,
            {{L"STREET", dtString, 20}, {L"GEO", dtObject, 0, point}, {L"CITY", dtString, 20}});
        TObjectType* phone =
            Type(L"PHONE", dtObject, 0, {{L"KIND", dtString, 8}, {L"NUM", dtString, 16}});
        TObjectType* phones =
            Type(L"PHONE_LIST", dtArray, 3, {{ArrayElementAttribute, dtObject, 0, phone}});
        TObjectType* tags = Type(L"TAG_LIST", dtArray, 2, {{ArrayElementAttribute, dtString, 10}});
        TColumnInfo addr{L"ADDR", dtObject}, list{L"PHONES", dtArray}, tagList{L"TAGS", dtArray};
        addr.ObjectType = address;
        list.ObjectType = phones;
        tagList.ObjectType = tags;
        DS->SetColumns({{L"ID", dtInt32}, addr, list, tagList});
    }
    void TearDown() override {
        MemDSTest::TearDown();
        for (TObjectType* type : Types) type->Release();
    }

    struct TAttributeInfo {
        UnicodeString Name;
        Word DataType;
        Word Length = 0;
        TObjectType* ObjectType = nullptr;
    };
    TObjectType* Type(const UnicodeString& Name, Word DataType, Integer Size,
                      std::vector<TAttributeInfo> Attributes) {
        auto* type = Construct<TObjectType>(Name, DataType, Size);
        for (const TAttributeInfo& info : Attributes) {
            TAttribute* attribute = Construct<TAttribute>();
            attribute->SetName(info.Name);
            attribute->SetDataType(info.DataType);
            attribute->SetLength(info.Length);
            attribute->SetObjectType(info.ObjectType);
            type->AddAttribute(attribute);
        }
        Types.push_back(type);
        return type;
    }

    // "class:object type" of the field of that full name ("-" for the type of a field that is
    // not an object field), "missing" when there is none.
    std::string Describe(const UnicodeString& FullName) {
        TField* field = DS->FindField(FullName);
        if (!field) return "missing";
        auto* object = dynamic_cast<TObjectField*>(field);
        return Narrow(field->ClassName()) + ":" + (object ? Narrow(object->ObjectType()) : "-");
    }
    // The names of an object field's children.
    std::vector<std::string> Children(const UnicodeString& FullName) {
        std::vector<std::string> names;
        auto* object = dynamic_cast<TObjectField*>(DS->FieldByName(FullName));
        if (!object) return {"not an object field"};
        for (int i = 0; i < object->FieldCount(); ++i)
            names.push_back(Narrow(object->Fields()->Fields(i)->FieldName()));
        return names;
    }

    std::vector<TObjectType*> Types;
};

using Names = std::vector<std::string>;

TEST_F(MemDSObjectView, ObjectFieldsGetTheirTypeNames) {
    DS->SetObjectView(true);
    DS->Open();
    EXPECT_EQ(DS->FieldCount(), 4); // the children belong to their object fields
    const struct {
        const wchar_t* Field;
        const char* Expected;
    } cases[] = {
        {L"ID", "TIntegerField:-"},
        {L"ADDR", "TADTField:ADDRESS"},
        {L"ADDR.STREET", "TStringField:-"},
        {L"ADDR.GEO", "TADTField:POINT"},
        {L"ADDR.GEO.Y", "TFloatField:-"},
        {L"ADDR.CITY", "TStringField:-"},
        {L"PHONES", "TArrayField:PHONE_LIST"},
        {L"PHONES.0", "TADTField:PHONE"},
        {L"PHONES.2", "TADTField:PHONE"},
        {L"PHONES.2.NUM", "TStringField:-"},
        {L"PHONES.3", "missing"},
        {L"TAGS", "TArrayField:TAG_LIST"},
        {L"TAGS.1", "TStringField:-"},
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(c.Field), c.Expected) << Narrow(c.Field);
    EXPECT_EQ(Children(L"ADDR"), (Names{"STREET", "GEO", "CITY"}));
    EXPECT_EQ(Children(L"ADDR.GEO"), (Names{"X", "Y"}));
    EXPECT_EQ(Children(L"PHONES"), (Names{"0", "1", "2"}));
    EXPECT_EQ(Children(L"PHONES.1"), (Names{"KIND", "NUM"}));

    // Records of such a dataset still go in and come back.
    DS->AppendRecord({7});
    DS->AppendRecord({8});
    DS->First();
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 7);
    EXPECT_EQ(DS->RecordCount(), 2);
}

TEST_F(MemDSObjectView, SparseArraysNameTheOneElement) {
    DS->SetObjectView(true);
    DS->SetSparseArrays(true);
    DS->Open();
    EXPECT_EQ(Children(L"PHONES"), (Names{"0"}));
    EXPECT_EQ(Describe(L"PHONES.0"), "TADTField:PHONE");
    EXPECT_EQ(Children(L"PHONES.0"), (Names{"KIND", "NUM"}));
    EXPECT_EQ(Describe(L"TAGS.0"), "TStringField:-");
    EXPECT_EQ(Describe(L"TAGS.1"), "missing");
}

TEST_F(MemDSObjectView, WithoutTheViewTheFieldsAreFlatAndUnnamed) {
    DS->Open();
    // ID, ADDR with its 3 + 2 descendants, PHONES with 3 elements of 2, TAGS with 2.
    EXPECT_EQ(DS->FieldCount(), 1 + 6 + 10 + 3);
    const struct {
        const wchar_t* Field;
        const char* Expected;
    } cases[] = {
        {L"ADDR", "TADTField:"},          {L"ADDR.GEO", "TADTField:"},
        {L"ADDR.GEO.X", "TFloatField:-"}, {L"PHONES", "TArrayField:"},
        {L"PHONES.1", "TADTField:"},      {L"PHONES.1.KIND", "TStringField:-"},
        {L"TAGS", "TArrayField:"},
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(c.Field), c.Expected) << Narrow(c.Field);
}

// Persistent object fields need not have every child: GEO alone under ADDR is still of type
// POINT, though it is ADDR's first child and ADDRESS's first attribute is the string STREET.
TEST_F(MemDSObjectView, PersistentChildrenAreNamedByTheirAttribute) {
    DS->SetObjectView(true);
    DS->FieldDefs()->Update();
    TFieldDefs* defs = DS->FieldDefs();
    defs->Find(L"ID")->CreateField(DS, DS);
    auto* addr =
        static_cast<TObjectField*>(defs->Find(L"ADDR")->CreateField(DS, DS, nullptr, false));
    defs->FindByFullName(L"ADDR.GEO")->CreateField(DS, DS, addr, true);
    auto* phones =
        static_cast<TObjectField*>(defs->Find(L"PHONES")->CreateField(DS, DS, nullptr, false));
    defs->FindByFullName(L"PHONES.2")->CreateField(DS, DS, phones, true);
    DS->Open();
    EXPECT_EQ(Children(L"ADDR"), (Names{"GEO"}));
    EXPECT_EQ(Describe(L"ADDR"), "TADTField:ADDRESS");
    EXPECT_EQ(Describe(L"ADDR.GEO"), "TADTField:POINT");
    EXPECT_EQ(Describe(L"PHONES.2"), "TADTField:PHONE");
    EXPECT_EQ(Describe(L"TAGS"), "missing");
}

// A child field shows only what the storage keeps for it under its full name: ADDR.STREET is
// not the top-level STREET, and a child the storage does not describe has no value and takes
// none. CITY is described (a child descriptor ADDR.CITY); its object holds no values yet.
TEST_F(MemDSObjectView, ChildFieldsReadTheirOwnDescriptorOnly) {
    TColumnInfo addr{L"ADDR", dtObject}, city{L"CITY", dtString, 20};
    addr.ObjectType = DS->Storage()->Columns[1].ObjectType;
    city.Parent = 2;
    DS->SetColumns({{L"ID", dtInt32}, {L"STREET", dtString, 20}, addr, city});
    for (bool view : {true, false}) {
        DS->Close();
        DS->SetObjectView(view);
        DS->Open();
        ASSERT_EQ(DS->FieldDefs()->Count(), 3) << view; // the child descriptor is no column
        DS->AppendRecord({7, L"Main"});
        TField* street = DS->FieldByName(L"ADDR.STREET");
        TField* addrCity = DS->FieldByName(L"ADDR.CITY");
        EXPECT_EQ(DS->GetFieldDesc(street), nullptr);
        EXPECT_EQ(DS->GetFieldDesc(addrCity), DS->Data()->Fields()->Items(3));
        EXPECT_EQ(DS->GetFieldDesc(DS->FieldByName(L"STREET")), DS->Data()->Fields()->Items(1));
        EXPECT_TRUE(street->IsNull()) << view;
        EXPECT_TRUE(addrCity->IsNull()) << view;
        EXPECT_TRUE(DS->FieldByName(L"ADDR")->IsNull()) << view;
        EXPECT_EQ(Narrow(DS->FieldByName(L"ADDR.GEO")->DisplayText()), "(, )") << view;
        EXPECT_EQ(Narrow(DS->FieldByName(L"STREET")->AsString()), "Main") << view;
        DS->Edit();
        EXPECT_EQ(ErrorOf([&] { street->SetAsString(L"Elm"); }),
                  "People: Field 'STREET' cannot be modified")
            << view;
        DS->Cancel();
        EXPECT_EQ(Narrow(DS->FieldByName(L"STREET")->AsString()), "Main") << view;
        // Nor can such a child be a key.
        EXPECT_EQ(ErrorOf([&] { DS->Locate({street}, Variant(L"Main"), {}); }),
                  "Field STREET not found")
            << view;
    }
}

} // namespace
