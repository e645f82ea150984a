// Object fields (ADT, array), dataset fields and the object view, on the vector dataset.
#include "DataSetTesting.h"

#include <random>

namespace {

// ID, Addr (ADT: Street, City, Geo (ADT: Lat, Lon)), Tags (array of three strings).
class DBObjectFields : public ::testing::Test {
protected:
    void SetUp() override {
        DS = Construct<TVectorDataSet>(nullptr);
        DS->SetName(L"Places");
        DS->FieldDefs()->Add(L"ID", ftInteger);
        TFieldDef* addr = DS->FieldDefs()->Add(L"Addr", ftADT);
        addr->ChildDefs()->Add(L"Street", ftString, 20);
        addr->ChildDefs()->Add(L"City", ftString, 20);
        TFieldDef* geo = addr->ChildDefs()->Add(L"Geo", ftADT);
        geo->ChildDefs()->Add(L"Lat", ftFloat);
        geo->ChildDefs()->Add(L"Lon", ftFloat);
        TFieldDef* tags = DS->FieldDefs()->Add(L"Tags", ftArray, 3);
        for (const wchar_t* element : {L"0", L"1", L"2"})
            tags->ChildDefs()->Add(element, ftWideString, 10);
    }
    void TearDown() override { DS->Free(); }

    static std::vector<UnicodeString> Names(const std::vector<TField*>& fields) {
        std::vector<UnicodeString> names;
        for (TField* field : fields) names.push_back(field->FullName());
        return names;
    }
    static std::vector<UnicodeString> Names(TFields* fields) {
        std::vector<UnicodeString> names;
        for (int i = 0; i < fields->Count(); ++i) names.push_back(fields->Fields(i)->FullName());
        return names;
    }
    TObjectField* Addr() { return static_cast<TObjectField*>(DS->FieldByName(L"Addr")); }

    TVectorDataSet* DS = nullptr;
};

const std::vector<UnicodeString> AllFields = {
    L"ID",           L"Addr", L"Addr.Street", L"Addr.City", L"Addr.Geo", L"Addr.Geo.Lat",
    L"Addr.Geo.Lon", L"Tags", L"Tags.0",      L"Tags.1",    L"Tags.2"};

} // namespace

TEST_F(DBObjectFields, DefaultFieldsFollowTheObjectView) {
    DS->Open();
    EXPECT_TRUE(dynamic_cast<TADTField*>(DS->FieldByName(L"Addr")));
    EXPECT_TRUE(dynamic_cast<TArrayField*>(DS->FieldByName(L"Tags")));
    EXPECT_EQ(DS->FieldByName(L"Tags")->Size(), 3);
    // Without an object view the children follow their object field in Fields.
    EXPECT_EQ(Names(DS->Fields()), AllFields);
    EXPECT_EQ(Names(DS->FieldList()), AllFields);
    EXPECT_EQ(Names(Addr()->Fields()),
              (std::vector<UnicodeString>{L"Addr.Street", L"Addr.City", L"Addr.Geo"}));
    TField* lat = DS->FieldByName(L"addr.geo.lat");
    EXPECT_EQ(lat->FieldName(), L"Lat");
    EXPECT_EQ(lat->ParentField(), Addr()->Fields()->FieldByName(L"Geo"));
    EXPECT_EQ(lat->DataSet(), DS);
    DS->Close();

    DS->SetObjectView(true);
    DS->Open();
    EXPECT_EQ(Names(DS->Fields()), (std::vector<UnicodeString>{L"ID", L"Addr", L"Tags"}));
    EXPECT_EQ(Names(DS->FieldList()), AllFields);
    // Children are still found by their full names, and bound to their definitions.
    EXPECT_EQ(DS->FieldByName(L"Addr.Geo.Lon")->FieldNo(), 7);
    EXPECT_EQ(DS->FindField(L"Lon"), nullptr);
    EXPECT_THROW(DS->SetObjectView(false), EDatabaseError);
    EXPECT_THROW(DS->SetSparseArrays(true), EDatabaseError);
    DS->Close();
    DS->SetObjectView(false);
    EXPECT_EQ(DS->FieldCount(), 0); // default fields went with the close
}

TEST_F(DBObjectFields, AnObjectFieldsValueIsItsChildren) {
    DS->SetObjectView(true);
    DS->Open();
    DS->Append();
    DS->FieldByName(L"ID")->SetAsInteger(1);
    EXPECT_TRUE(Addr()->IsNull());
    EXPECT_TRUE(VarIsNull(Addr()->Value()));
    DS->FieldByName(L"Addr.City")->SetAsString(L"Oslo");
    EXPECT_FALSE(Addr()->IsNull());
    Addr()->SetFieldValues(0, L"Main St");
    DS->FieldByName(L"Addr.Geo")->SetValue(VarArrayOf({Variant(59.9), Variant(10.75)}));
    DS->Post();

    EXPECT_EQ(Addr()->AsString(), L"(Main St, Oslo, (59.9, 10.75))");
    const Variant value = Addr()->Value();
    ASSERT_TRUE(VarIsArray(value));
    EXPECT_EQ(VarArrayHighBound(value, 1), 2);
    EXPECT_EQ(VarToStr(VarArrayGet(value, 1)), L"Oslo");
    EXPECT_TRUE(VarIsArray(VarArrayGet(value, 2)));
    EXPECT_EQ(DS->StoredValue(0, L"Addr.Geo.Lon").AsDouble(), 10.75);

    // Setting the whole value sets the children in order; a shorter array leaves the rest.
    DS->Edit();
    Addr()->SetValue(VarArrayOf({Variant(L"Side St"), Variant(L"Bergen")}));
    EXPECT_EQ(Addr()->AsString(), L"(Side St, Bergen, (59.9, 10.75))");
    EXPECT_THROW(Addr()->SetValue(VarArrayOf({Variant(1), Variant(2), Variant(3), Variant(4)})),
                 EDatabaseError);
    EXPECT_THROW(Addr()->SetAsInteger(5), EDatabaseError);
    DS->Cancel();
    EXPECT_EQ(DS->FieldByName(L"Addr.City")->AsString(), L"Oslo");

    auto* tags = static_cast<TObjectField*>(DS->FieldByName(L"Tags"));
    EXPECT_TRUE(tags->IsNull());
    DS->Edit();
    tags->SetFieldValues(2, L"东");
    EXPECT_EQ(tags->AsString(), L"(, , 东)");
    DS->Post();
    EXPECT_EQ(DS->StoredValue(0, L"Tags.2").AsString(), L"东");

    Addr()->SetObjectType(L"ADDRESS_T");
    EXPECT_EQ(Addr()->ObjectType(), L"ADDRESS_T");
}

TEST_F(DBObjectFields, ChildFieldsComeAndGoWithTheirObjectField) {
    // Persistent fields made from the definitions, owned by the test, not by the dataset.
    TComponent* owner = Construct<TComponent>(nullptr);
    DS->FieldDefs()->Items(0)->CreateField(owner, DS);
    auto* addr =
        static_cast<TObjectField*>(DS->FieldDefs()->Items(1)->CreateField(owner, DS, nullptr));
    EXPECT_EQ(Names(DS->Fields()),
              (std::vector<UnicodeString>(AllFields.begin(), AllFields.begin() + 7)));
    // A field cannot become its own ancestor, nor take a sibling's name.
    auto* geo = static_cast<TObjectField*>(addr->Fields()->FieldByName(L"Geo"));
    EXPECT_THROW(addr->SetParentField(geo), EDatabaseError);
    EXPECT_THROW(geo->Fields()->Fields(0)->SetFieldName(L"Lon"), EDatabaseError);
    // Moving Geo out of Addr makes it a top-level field with its children.
    geo->SetParentField(nullptr);
    geo->SetDataSet(DS);
    EXPECT_EQ(Names(DS->Fields()),
              (std::vector<UnicodeString>{L"ID", L"Addr", L"Addr.Street", L"Addr.City", L"Geo",
                                          L"Geo.Lat", L"Geo.Lon"}));
    // A child freed alone leaves both lists; freeing the object field frees its children.
    addr->Fields()->FieldByName(L"Street")->Free();
    EXPECT_EQ(addr->FieldCount(), 1);
    EXPECT_EQ(DS->FindField(L"Addr.Street"), nullptr);
    addr->Free();
    EXPECT_EQ(Names(DS->Fields()),
              (std::vector<UnicodeString>{L"ID", L"Geo", L"Geo.Lat", L"Geo.Lon"}));
    EXPECT_EQ(owner->ComponentCount(), 4);
    owner->Free();
    EXPECT_EQ(DS->FieldCount(), 0);
}

// Random trees of object definitions: Fields and FieldList against the expansion of the
// definitions (a depth-first walk), under both views.
TEST_F(DBObjectFields, FieldListsMatchADepthFirstWalkOfTheDefinitions) {
    std::mt19937 random(34);
    const auto expand = [](const std::vector<TFieldDef*>& defs) {
        std::vector<UnicodeString> names;
        for (TFieldDef* def : defs) names.push_back(def->FullName());
        return names;
    };
    for (int round = 0; round < 20; ++round) {
        DS->FieldDefs()->Clear();
        int made = 0;
        const auto fill = [&](auto& self, TFieldDefs* defs, int depth) -> void {
            const int count = 1 + int(random() % 3);
            for (int i = 0; i < count; ++i) {
                const bool object = depth < 3 && random() % 2 == 0;
                TFieldDef* def = defs->Add(L"F" + IntToStr(made++), object ? ftADT : ftInteger);
                if (object) self(self, def->ChildDefs(), depth + 1);
            }
        };
        fill(fill, DS->FieldDefs(), 0);
        const bool view = round % 2 == 1;
        DS->SetObjectView(view);
        DS->Open();
        const std::vector<UnicodeString> walk = expand(DS->FieldDefList());
        EXPECT_EQ(Names(DS->FieldList()), walk);
        std::vector<UnicodeString> top;
        for (int i = 0; i < DS->FieldDefs()->Count(); ++i)
            top.push_back(DS->FieldDefs()->Items(i)->Name());
        EXPECT_EQ(Names(DS->Fields()), view ? top : walk);
        // Every field reads what was written to it through its full name.
        DS->Append();
        for (TField* field : DS->FieldList())
            if (!dynamic_cast<TObjectField*>(field)) field->SetAsInteger(field->FieldNo());
        DS->Post();
        for (TField* field : DS->FieldList()) {
            if (dynamic_cast<TObjectField*>(field)) continue;
            EXPECT_EQ(DS->StoredValue(DS->RowCount() - 1, field->FullName()).AsInteger(),
                      field->FieldNo());
        }
        DS->Close();
    }
    // The comparison bites: children listed before their parent are not the walk.
    DS->Free();
    SetUp();
    DS->Open();
    std::vector<UnicodeString> wrong = AllFields;
    std::swap(wrong[1], wrong[2]);
    EXPECT_NE(Names(DS->FieldList()), wrong);
    EXPECT_EQ(Names(DS->FieldList()), AllFields);
}

namespace {

class TNestedDataSet : public TVectorDataSet {
public:
    using TVectorDataSet::TVectorDataSet;
    int ParentScrolls = 0;
    void DataEvent(TDataEvent Event, NativeInt Info) override {
        if (Event == deParentScroll) ++ParentScrolls;
        TVectorDataSet::DataEvent(Event, Info);
    }
};

} // namespace

TEST_F(DBObjectFields, NestedDatasetsHearTheirParentMove) {
    DS->FieldDefs()->Add(L"Lines", ftDataSet);
    DS->Open();
    for (int i = 1; i <= 3; ++i) DS->AppendRecord({i});
    auto* lines = static_cast<TDataSetField*>(DS->FieldByName(L"Lines"));
    TNestedDataSet* nested = Construct<TNestedDataSet>(nullptr);
    nested->FieldDefs()->Add(L"Qty", ftInteger);
    nested->SetDataSetField(lines);
    EXPECT_EQ(lines->NestedDataSet(), nested);
    EXPECT_EQ(DS->NestedDataSets()->Count(), 1);
    EXPECT_THROW(lines->AsString(), EDatabaseError);

    // Only an open nested dataset hears the moves, and not while controls are disabled.
    DS->First();
    EXPECT_EQ(nested->ParentScrolls, 0);
    nested->Open();
    EXPECT_THROW(nested->SetDataSetField(nullptr), EDatabaseError);
    DS->Next();
    DS->Last();
    EXPECT_EQ(nested->ParentScrolls, 2);
    DS->DisableControls();
    DS->First();
    DS->Next();
    EXPECT_EQ(nested->ParentScrolls, 2);
    DS->EnableControls();
    EXPECT_EQ(nested->ParentScrolls, 3);

    // The parent's close frees its default fields: the nested dataset is closed and let go.
    DS->Close();
    EXPECT_FALSE(nested->Active());
    EXPECT_EQ(nested->DataSetField(), nullptr);
    EXPECT_EQ(DS->NestedDataSets()->Count(), 0);
    nested->Free();
}

TEST_F(DBObjectFields, RequiredChildrenAreCheckedUnderEitherView) {
    DS->FieldDefs()->Items(1)->ChildDefs()->Items(1)->SetRequired(true); // Addr.City
    for (const bool view : {false, true}) {
        SCOPED_TRACE(view ? "object view" : "flat");
        DS->SetObjectView(view);
        DS->Open();
        DS->Append();
        DS->FieldByName(L"ID")->SetAsInteger(1);
        EXPECT_THROW(DS->Post(), EDatabaseError);
        DS->FieldByName(L"Addr.City")->SetAsString(L"Oslo");
        DS->Post();
        DS->Close();
    }
}
