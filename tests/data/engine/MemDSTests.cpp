// The memory dataset through the class library's dataset API: field definitions and the type
// map, the edit cycle with its events, deferred posts, defaults, bookmarks across edits, the
// parent scroll, Int8 values, calculated fields, number ranges and local-only datasets.
#include "MemDSFixture.h"

#include <cstring>
#include <numeric>

namespace {

using MemDataSet = MemDSTest;

TEST_F(MemDataSet, TypeMapBothWays) {
    const TDataTypesMap map;
    const struct {
        Word Code;
        TFieldType Type;
    } toField[] = {{dtString, ftString},
                   {dtExtString, ftString},
                   {dtInt8, ftSmallint},
                   {dtInt16, ftSmallint},
                   {dtInt32, ftInteger},
                   {dtFloat, ftFloat},
                   {dtDate, ftDate},
                   {dtTime, ftTime},
                   {dtDateTime, ftDateTime},
                   {dtUInt16, ftWord},
                   {dtBoolean, ftBoolean},
                   {dtInt64, ftLargeint},
                   {dtUInt32, ftLargeint},
                   {dtCurrency, ftCurrency},
                   {dtBlob, ftBlob},
                   {dtMemo, ftMemo},
                   {dtObject, ftADT},
                   {dtArray, ftArray},
                   {dtVariant, ftVariant},
                   {dtBytes, ftBytes},
                   {dtVarBytes, ftVarBytes},
                   {dtExtVarBytes, ftVarBytes},
                   {dtWideString, ftWideString},
                   {dtBCD, ftBCD},
                   {dtFMTBCD, ftFMTBcd},
                   {dtGuid, ftGuid},
                   {dtWideMemo, ftWideMemo},
                   {dtCursor, ftCursor},
                   {dtUnknown, ftUnknown}};
    for (const auto& row : toField) EXPECT_EQ(map.GetFieldType(row.Code), row.Type) << row.Code;
    EXPECT_THROW(map.GetFieldType(dtSQLTimeStamp), EAssertionFailed);
    EXPECT_THROW(map.GetFieldType(40), EAssertionFailed);
    const struct {
        TFieldType Type;
        Integer Code;
    } toCode[] = {{ftFixedChar, 1}, {ftShortint, 2},  {ftByte, 3},      {ftAutoInc, 4},
                  {ftSingle, 5},    {ftExtended, 5},  {ftLongWord, 24}, {ftFixedWideChar, 25},
                  {ftGraphic, 0},   {ftTimeStamp, 0}, {ftObject, 0},    {ftCursor, 32}};
    for (const auto& row : toCode) EXPECT_EQ(map.GetDataType(row.Type), row.Code) << row.Type;
}

TEST_F(MemDataSet, FieldDefinitionsFromDescriptors) {
    DS->SetColumns({{L"ID", dtInt32, 5, 0, true},
                    {L"CODE", dtString, 0},
                    {L"NOTE", dtWideString, 30, 0, false, true, true},
                    {L"PRICE", dtBCD, 10, 4},
                    {L"RAW", dtVarBytes, 16}});
    DS->FieldDefs()->Update();
    TFieldDefs* defs = DS->FieldDefs();
    ASSERT_EQ(defs->Count(), 5);
    EXPECT_EQ(defs->Items(0)->DataType(), ftInteger);
    EXPECT_EQ(defs->Items(0)->Precision(), 5);
    EXPECT_TRUE(defs->Items(0)->Required());
    EXPECT_EQ(defs->Items(1)->Size(), 1); // a string of length 0
    EXPECT_TRUE(defs->Items(2)->Attributes().Contains(faReadonly));
    EXPECT_TRUE(defs->Items(2)->Attributes().Contains(faHiddenCol));
    EXPECT_EQ(defs->Items(2)->Size(), 30);
    EXPECT_EQ(defs->Items(3)->Precision(), 10);
    EXPECT_EQ(defs->Items(3)->Size(), 4);
    EXPECT_EQ(defs->Items(4)->Size(), 16);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(defs->Items(i)->FieldNo(), i + 1);

    // Without local constraints a required descriptor gives an optional definition.
    DS->SetLocalConstraints(false);
    DS->FieldDefs()->SetUpdated(false);
    DS->FieldDefs()->Update();
    EXPECT_FALSE(DS->FieldDefs()->Items(0)->Required());
}

TEST_F(MemDataSet, ChildDefinitionsOfArraysAndObjects) {
    auto* array = Construct<TObjectType>(L"NUMBERS", dtArray, 150);
    TAttribute* element = Construct<TAttribute>();
    element->SetName(L"ELEMENT");
    element->SetDataType(dtInt32);
    array->AddAttribute(element);
    auto* object = Construct<TObjectType>(L"TRIPLE", dtObject);
    for (int i = 0; i < 3; ++i) {
        TAttribute* a = Construct<TAttribute>();
        a->SetName(L"A");
        a->SetDataType(dtString);
        a->SetLength(8);
        object->AddAttribute(a);
    }
    TColumnInfo numbers{L"NUMS", dtArray};
    numbers.ObjectType = array;
    TColumnInfo triple{L"T", dtObject};
    triple.ObjectType = object;
    DS->SetColumns({numbers, triple});
    DS->FieldDefs()->Update();
    TFieldDef* nums = DS->FieldDefs()->Items(0);
    ASSERT_EQ(nums->ChildDefs()->Count(), MaxArrayItemFields);
    EXPECT_EQ(nums->ChildDefs()->Items(0)->Name(), L"0");
    EXPECT_EQ(nums->ChildDefs()->Items(99)->Name(), L"99");
    EXPECT_EQ(nums->ChildDefs()->Items(99)->DataType(), ftInteger);
    TFieldDefs* t = DS->FieldDefs()->Items(1)->ChildDefs();
    ASSERT_EQ(t->Count(), 3);
    EXPECT_EQ(t->Items(0)->Name(), L"A");
    EXPECT_EQ(t->Items(1)->Name(), L"A_1");
    EXPECT_EQ(t->Items(2)->Name(), L"A_2");
    EXPECT_EQ(t->Items(2)->Size(), 8);

    DS->SetSparseArrays(true);
    DS->FieldDefs()->Update();
    EXPECT_EQ(DS->FieldDefs()->Items(0)->ChildDefs()->Count(), 1);
    DS->SetColumns({});
    DS->FieldDefs()->SetUpdated(false);
    DS->FieldDefs()->Update(); // the descriptors let their types go
    array->Release();
    object->Release();
}

TEST_F(MemDataSet, EditCycleWithEvents) {
    TOwned<TEventLog> log(Construct<TEventLog>());
    OpenPeople(3);
    log->Attach(DS);
    EXPECT_EQ(DS->RecordCount(), 3);
    EXPECT_EQ(DS->RecNo(), 1);

    DS->Next();
    DS->Insert();
    EXPECT_EQ(log->Take(), "BeforeInsert NewRecord AfterInsert");
    EXPECT_EQ(DS->RecNo(), 0); // a new record has no number yet
    EXPECT_TRUE(VarIsNull(DS->FieldByName(L"NAME")->OldValue()));
    DS->FieldByName(L"ID")->SetAsInteger(10);
    DS->FieldByName(L"NAME")->SetAsString(L"ten");
    DS->Post();
    EXPECT_EQ(log->Take(), "BeforePost AfterPost");
    EXPECT_EQ(Ids(), (std::vector<int>{1, 10, 2, 3})); // in front of the current record
    EXPECT_EQ(DS->RecNo(), 2);

    DS->Edit();
    DS->FieldByName(L"NAME")->SetAsString(L"TEN");
    EXPECT_EQ(DS->FieldByName(L"NAME")->OldValue(), Variant(UnicodeString(L"ten")));
    DS->Cancel();
    EXPECT_EQ(log->Take(), "BeforeEdit AfterEdit BeforeCancel AfterCancel");
    EXPECT_EQ(DS->FieldByName(L"NAME")->AsString(), L"ten");

    DS->Edit();
    DS->FieldByName(L"AMOUNT")->SetAsFloat(7.25);
    DS->Post();
    DS->First();
    DS->Next();
    EXPECT_EQ(DS->FieldByName(L"AMOUNT")->AsFloat(), 7.25);

    DS->Delete();
    EXPECT_EQ(log->Take(), "BeforeEdit AfterEdit BeforePost AfterPost BeforeDelete AfterDelete");
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3}));
    DS->Last();
    DS->Append();
    DS->FieldByName(L"ID")->SetAsInteger(4);
    DS->Post();
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(DS->RecNo(), 4);
    DS->SetRecNoValue(2);
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 2);
}

TEST_F(MemDataSet, EmptyAndClosedDataSets) {
    EXPECT_EQ(DS->RecordCount(), 0); // closed: the storage is not asked
    OpenPeople(0);
    EXPECT_EQ(DS->RecNo(), 0);
    TField* id = DS->FieldByName(L"ID");
    EXPECT_TRUE(id->IsNull());
    EXPECT_FALSE(DS->GetFieldData(id, nullptr));
    EXPECT_EQ(ErrorOf([&] { id->SetAsInteger(1); }), "People: Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { DS->CheckPrepared(); }), "People: DataSet is not prepared");
    DS->Close();
    DS->Prepare();
    EXPECT_TRUE(DS->Prepared());
    EXPECT_EQ(DS->FieldDefs()->Count(), 3);
    DS->UnPrepare();
    EXPECT_FALSE(DS->Prepared());
}

TEST_F(MemDataSet, ReadOnlyAndRequiredFields) {
    DS->SetColumns({{L"ID", dtInt32, 0, 0, true}, {L"FIXED", dtInt32, 0, 0, false, true}});
    DS->Open();
    DS->Append();
    EXPECT_EQ(ErrorOf([&] { DS->FieldByName(L"FIXED")->SetAsInteger(1); }),
              "People: Field 'FIXED' cannot be modified");
    EXPECT_EQ(ErrorOf([&] { DS->Post(); }), "People: Field 'ID' must have a value");
    EXPECT_EQ(ErrorOf([&] { DS->DeferredPost(); }), "People: Field 'ID' must have a value");
    DS->Cancel();
}

TEST_F(MemDataSet, DeferredPostWritesAndStaysInEditing) {
    OpenPeople(2);
    TCountingUpdater* counter = DS->Counter();
    counter->Reset();
    DS->Edit();
    DS->FieldByName(L"NAME")->SetAsString(L"first");
    DS->DeferredPost();
    EXPECT_EQ(DS->State(), dsEdit);
    EXPECT_EQ(counter->Updates, 1);
    // Old values now come from what the deferred post wrote.
    EXPECT_EQ(DS->FieldByName(L"NAME")->OldValue(), Variant(UnicodeString(L"first")));
    DS->FieldByName(L"NAME")->SetAsString(L"second");
    DS->Post();
    EXPECT_EQ(counter->Updates, 2);
    EXPECT_EQ(DS->FieldByName(L"NAME")->AsString(), L"second");

    // An insert written by a deferred post is written again as an update when posted.
    DS->Append();
    DS->FieldByName(L"ID")->SetAsInteger(3);
    DS->DeferredPost();
    EXPECT_EQ(counter->Appends, 1);
    DS->Post();
    EXPECT_EQ(counter->Appends, 1);
    EXPECT_EQ(counter->Updates, 3);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3}));
}

TEST_F(MemDataSet, DeferredPostDoesNothingWithCachedUpdates) {
    DS->SetCachedUpdates(true);
    OpenPeople(1);
    DS->Edit();
    DS->FieldByName(L"NAME")->SetAsString(L"x");
    DS->DeferredPost();
    EXPECT_EQ(DS->State(), dsEdit);
    EXPECT_EQ(DS->Counter()->Updates, 0);
    DS->Post();
    EXPECT_EQ(DS->Counter()->Updates, 0); // logged, not written
    EXPECT_TRUE(DS->UpdatesPending());
}

TEST_F(MemDataSet, DefaultExpressions) {
    OpenPeople(0);
    const struct {
        const wchar_t* Expression;
        bool Keep;
        const wchar_t* Value;
    } cases[] = {{L"'abc'", false, L"abc"},
                 {L"'it''s'", false, L"it's"},
                 {L"plain", false, L"plain"},
                 {L"'abc'", true, L"'abc'"}};
    for (const auto& c : cases) {
        KeepDefaultExpressionQuotes = c.Keep;
        DS->FieldByName(L"NAME")->SetDefaultExpression(c.Expression);
        DS->Append();
        EXPECT_EQ(DS->FieldByName(L"NAME")->AsString(), c.Value) << Narrow(c.Expression);
        DS->Cancel();
    }
    MemDSModule().Initialize(); // the options as the module starts
    EXPECT_FALSE(KeepDefaultExpressionQuotes);
    // A default the field refuses cancels the new record and the failure goes on.
    DS->FieldByName(L"ID")->SetDefaultExpression(L"'x'");
    EXPECT_THROW(DS->Append(), Exception);
    DS->Cancel();
    EXPECT_EQ(DS->RecordCount(), 0);
}

TEST_F(MemDataSet, BookmarksSurviveEdits) {
    OpenPeople(6);
    DS->SetRecNoValue(4);
    const TBookmark four = DS->GetBookmark();
    DS->SetRecNoValue(2);
    const TBookmark two = DS->GetBookmark();
    EXPECT_LT(DS->CompareBookmarks(two, four), 0);
    EXPECT_EQ(DS->CompareBookmarks(four, four), 0);
    DS->First();
    DS->Insert();
    DS->FieldByName(L"ID")->SetAsInteger(100);
    DS->Post();
    DS->SetRecNoValue(6);
    DS->Delete();
    DS->GotoBookmark(four);
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 4);
    EXPECT_EQ(DS->RecNo(), 5);
    DS->Edit();
    DS->FieldByName(L"NAME")->SetAsString(L"four");
    DS->Post();
    DS->GotoBookmark(two);
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 2);
    DS->GotoBookmark(four);
    EXPECT_EQ(DS->FieldByName(L"NAME")->AsString(), L"four");
    EXPECT_TRUE(DS->BookmarkValid(four));
    EXPECT_FALSE(DS->BookmarkValid(TBookmark{1, 2, 3}));
}

// The parent's position is compared by its bookmark bytes: two parent records whose bookmark
// bytes add up to the same sum are still two positions.
TEST_F(MemDataSet, ParentScrollTellsPositionsApartByTheirBytes) {
    OpenPeople(3000);
    const auto sum = [](const TBookmark& b) { return std::accumulate(b.begin(), b.end(), 0); };
    std::vector<TBookmark> marks;
    for (DS->First(); !DS->Eof(); DS->Next()) marks.push_back(DS->GetBookmark());
    std::size_t a = 0, b = 0;
    for (std::size_t i = 0; i < marks.size() && !b; ++i)
        for (std::size_t j = i + 1; j < marks.size(); ++j)
            if (sum(marks[i]) == sum(marks[j])) {
                a = i;
                b = j;
                break;
            }
    ASSERT_NE(b, 0u) << "no two bookmarks with equal byte sums";

    TColumnsDataSet* detail = Construct<TColumnsDataSet>(nullptr);
    TOwned<TColumnsDataSet> own(detail);
    detail->SetColumns({{L"ID", dtInt32}});
    detail->Open();
    for (int i = 1; i <= 5; ++i) detail->AppendRecord({i});
    detail->SetParentDataSet(DS);

    DS->GotoBookmark(marks[a]);
    detail->DataEvent(deParentScroll, 0);
    EXPECT_EQ(detail->RecNo(), 1);
    detail->MoveBy(2);
    detail->DataEvent(deParentScroll, 0); // the parent stayed: so does the detail
    EXPECT_EQ(detail->RecNo(), 3);
    DS->GotoBookmark(marks[b]);
    detail->DataEvent(deParentScroll, 0); // another parent record: back to the first
    EXPECT_EQ(detail->RecNo(), 1);
}

TEST_F(MemDataSet, Int8ValuesFillTheWholeSmallintBuffer) {
    DS->SetColumns({{L"TINY", dtInt8}});
    DS->Open();
    TField* tiny = DS->FieldByName(L"TINY");
    EXPECT_EQ(tiny->DataType(), ftSmallint);
    for (int value : {-5, 127, -128, 0}) {
        DS->Append();
        tiny->SetAsInteger(value);
        DS->Post();
        std::int16_t native;
        std::memset(&native, 0xAA, sizeof native);
        ASSERT_TRUE(tiny->GetData(&native));
        EXPECT_EQ(native, value);
        EXPECT_EQ(tiny->AsInteger(), value);
    }
    DS->Append();
    EXPECT_EQ(ErrorOf([&] { tiny->SetAsInteger(200); }),
              "People: '200' is not a valid value for field 'TINY'. The allowed range is -128 "
              "to 127");
    DS->Cancel();
}

class TCalc : public TObject {
public:
    int Calls = 0;
    void Calc(TDataSet* D) {
        ++Calls;
        D->FieldByName(L"TWICE")->SetAsInteger(D->FieldByName(L"V")->AsInteger() * 2);
    }
};

TEST_F(MemDataSet, CalculatedFieldsGetStorageDescriptors) {
    for (bool cached : {false, true}) {
        TOwned<TCalc> calc(Construct<TCalc>());
        TColumnsDataSet* ds = Construct<TColumnsDataSet>(nullptr);
        TOwned<TColumnsDataSet> own(ds);
        ds->SetCacheCalcFields(cached);
        ds->SetColumns({{L"V", dtInt32}});
        TIntegerField* v = Construct<TIntegerField>(ds);
        v->SetFieldName(L"V");
        v->SetDataSet(ds);
        TIntegerField* twice = Construct<TIntegerField>(ds);
        twice->SetFieldName(L"TWICE");
        twice->SetFieldKind(fkCalculated);
        twice->SetDataSet(ds);
        ds->OnCalcFields = TDataSetNotifyEvent(calc.Object, &TCalc::Calc);
        ds->Open();
        ASSERT_EQ(ds->Data()->FieldCount(), 2);
        TFieldDesc* desc = ds->GetFieldDesc(twice);
        ASSERT_NE(desc, nullptr);
        EXPECT_EQ(desc->FieldDescKind(), cached ? fdkCached : fdkCalculated);
        EXPECT_EQ(desc->DataType(), dtInt32);
        EXPECT_EQ(ds->GetFieldDescNo(twice), 2);
        for (int i = 1; i <= 3; ++i) ds->AppendRecord({i * 10});
        ds->First();
        std::vector<int> values;
        for (; !ds->Eof(); ds->Next()) values.push_back(twice->AsInteger());
        EXPECT_EQ(values, (std::vector<int>{20, 40, 60})) << cached;
        // Calculated fields are not part of the field definitions.
        EXPECT_EQ(ds->FieldDefs()->Count(), 1);
    }
}

TEST_F(MemDataSet, NumberRangesFromDescriptorLengths) {
    DS->SetNumberRange(true);
    DS->SetColumns({{L"I5", dtInt32, 5},
                    {L"I10", dtInt32, 10},
                    {L"L12", dtInt64, 12},
                    {L"L19", dtInt64, 19},
                    {L"F52", dtFloat, 5, 2},
                    {L"F20", dtFloat, 20}});
    DS->Open();
    auto* i5 = static_cast<TIntegerField*>(DS->FieldByName(L"I5"));
    EXPECT_EQ(i5->MinValue(), -99999);
    EXPECT_EQ(i5->MaxValue(), 99999);
    // 10^10 - 1 does not fit a 32-bit field: the type's own range stays.
    auto* i10 = static_cast<TIntegerField*>(DS->FieldByName(L"I10"));
    EXPECT_EQ(i10->MaxValue(), 0);
    auto* l12 = static_cast<TLargeintField*>(DS->FieldByName(L"L12"));
    EXPECT_EQ(l12->MaxValue(), 999999999999LL);
    EXPECT_EQ(l12->MinValue(), -999999999999LL);
    EXPECT_EQ(static_cast<TLargeintField*>(DS->FieldByName(L"L19"))->MaxValue(), 0);
    auto* f52 = static_cast<TFloatField*>(DS->FieldByName(L"F52"));
    EXPECT_EQ(f52->Precision(), 5);
    EXPECT_DOUBLE_EQ(f52->MaxValue(), 999.99);
    EXPECT_DOUBLE_EQ(f52->MinValue(), -999.99);
    EXPECT_EQ(static_cast<TFloatField*>(DS->FieldByName(L"F20"))->MaxValue(), 0);
    DS->Append();
    EXPECT_THROW(i5->SetAsInteger(100000), EDatabaseError);
    DS->Cancel();
}

TEST_F(MemDataSet, LocalUpdateWritesNothing) {
    for (bool local : {false, true}) {
        DS->Close();
        DS->SetLocalUpdate(local);
        OpenPeople(2);
        TCountingUpdater* counter = DS->Counter();
        counter->Reset();
        DS->Edit();
        DS->FieldByName(L"NAME")->SetAsString(L"x");
        DS->Post();
        DS->Delete();
        DS->AppendRecord({5});
        EXPECT_EQ(counter->Appends + counter->Updates + counter->Deletes, local ? 0 : 3) << local;
    }
}

TEST_F(MemDataSet, IndexFieldNamesSortTheRecords) {
    OpenPeople(0);
    for (int v : {3, 1, 2}) DS->AppendRecord({v, L"N", double(v)});
    DS->SetIndexFieldNames(L"ID DESC");
    EXPECT_EQ(Ids(), (std::vector<int>{3, 2, 1}));
    DS->AppendRecord({5});
    EXPECT_EQ(Ids(), (std::vector<int>{5, 3, 2, 1}));
    DS->SetIndexFieldNames(L"ID");
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 5}));
}

TEST_F(MemDataSet, UpdaterAndServiceContracts) {
    EXPECT_THROW(Construct<TDataSetUpdater>(nullptr), EAssertionFailed);
    TDataSetService* service = DS->DataSetService();
    Variant value;
    EXPECT_THROW(service->SetProp(1, value), EAssertionFailed);
    EXPECT_THROW(service->GetProp(1, value), EAssertionFailed);
    EXPECT_EQ(service->FieldClassOfType(ftInteger), DefaultFieldClass(ftInteger));
    // A service of another class is replaced by the dataset's own on first need.
    DS->AttachDataSetServiceForTest(Construct<TDataSetService>(DS));
    EXPECT_EQ(DS->DataSetService()->ClassType(), TCountingService::StaticClass());
}

} // namespace
