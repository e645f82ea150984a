#include "DataSetTesting.h"

#include <random>

using DataSet = DataSetFixture;

TEST_F(DataSet, OpenMakesDefaultFieldsWithNativeSizes) {
    EXPECT_EQ(DS->State(), dsInactive);
    DS->Open();
    EXPECT_EQ(DS->State(), dsBrowse);
    ASSERT_EQ(DS->FieldCount(), 4);
    EXPECT_TRUE(DS->DefaultFields());
    EXPECT_TRUE(DS->FieldByName(L"id")->InheritsFrom(TIntegerField::StaticClass()));
    EXPECT_TRUE(DS->FieldByName(L"Name")->InheritsFrom(TStringField::StaticClass()));
    EXPECT_TRUE(DS->FieldByName(L"Born")->InheritsFrom(TDateField::StaticClass()));
    EXPECT_EQ(DS->FieldByName(L"ID")->DataSize(), 4);
    EXPECT_EQ(DS->FieldByName(L"Name")->DataSize(), 21);
    EXPECT_EQ(DS->FieldByName(L"Amount")->DataSize(), 8);
    EXPECT_EQ(DS->FieldByName(L"Born")->DataSize(), 4);
    EXPECT_EQ(DS->FieldByName(L"Name")->FieldNo(), 2);
    EXPECT_TRUE(DS->FieldByName(L"ID")->Required());
    EXPECT_TRUE(DS->IsEmpty());
    EXPECT_TRUE(DS->Bof());
    EXPECT_TRUE(DS->Eof());
    try {
        DS->FieldByName(L"Missing");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"People: Field 'Missing' not found");
    }
    DS->Close();
    EXPECT_EQ(DS->FieldCount(), 0);
    EXPECT_THROW(DS->First(), EDatabaseError);
}

TEST_F(DataSet, NavigatesInOrderWithBofAndEof) {
    Fill(5);
    EXPECT_TRUE(DS->Bof());
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4, 5}));
    DS->Next();
    EXPECT_FALSE(DS->Bof());
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(DS->MoveBy(10), 3);
    EXPECT_TRUE(DS->Eof());
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_EQ(DS->MoveBy(-10), -4);
    EXPECT_TRUE(DS->Bof());
    EXPECT_EQ(CurrentId(), 1);
    DS->Last();
    EXPECT_TRUE(DS->Eof());
    EXPECT_EQ(DS->RecNo(), 5);
    EXPECT_EQ(DS->RecordCount(), 5);
    DS->SetRecNoValue(3);
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_EQ(DS->FieldByName(L"Name")->AsString(), L"N3");
    EXPECT_EQ(DS->FieldByName(L"Amount")->AsFloat(), 4.5);
    EXPECT_EQ(DS->FieldByName(L"Born")->AsDateTime(), 40003);
}

TEST_F(DataSet, EditCycleRunsItsEventsInOrder) {
    TDataSetEventLog* log = Construct<TDataSetEventLog>();
    log->Attach(DS);
    Fill(3);
    log->Take();
    DS->Next();
    EXPECT_EQ(log->Take(), "BeforeScroll AfterScroll");
    DS->Edit();
    EXPECT_EQ(DS->State(), dsEdit);
    DS->FieldByName(L"Name")->SetAsString(L"Changed");
    EXPECT_TRUE(DS->Modified());
    DS->Post();
    EXPECT_EQ(log->Take(), "BeforeEdit AfterEdit BeforePost AfterPost");
    EXPECT_EQ(DS->StoredValue(1, L"Name").AsString(), L"Changed");
    DS->Edit();
    DS->FieldByName(L"Name")->SetAsString(L"Dropped");
    DS->Cancel();
    EXPECT_EQ(log->Take(), "BeforeEdit AfterEdit BeforeCancel AfterCancel");
    EXPECT_EQ(DS->FieldByName(L"Name")->AsString(), L"Changed");
    DS->Insert();
    EXPECT_EQ(log->Take(), "BeforeInsert BeforeScroll NewRecord AfterInsert AfterScroll");
    EXPECT_TRUE(DS->FieldByName(L"ID")->IsNull());
    DS->Cancel();
    EXPECT_EQ(log->Take(), "BeforeCancel AfterCancel AfterScroll");
    EXPECT_EQ(CurrentId(), 2);
    DS->Delete();
    EXPECT_EQ(log->Take(), "BeforeDelete BeforeScroll AfterDelete AfterScroll");
    EXPECT_EQ(Ids(), (std::vector<int>{1, 3}));
    // Moving posts a pending edit (CheckBrowseMode); an unmodified one is cancelled.
    DS->Edit();
    DS->FieldByName(L"Amount")->SetAsFloat(9);
    DS->First();
    EXPECT_EQ(DS->StoredValue(1, L"Amount").AsDouble(), 9);
    DS->Edit();
    log->Take();
    DS->Next();
    EXPECT_EQ(log->Take(), "BeforeCancel AfterCancel BeforeScroll AfterScroll");
    log->Free();
}

TEST_F(DataSet, PostChecksRequiredFieldsAndEditModes) {
    Fill(1);
    DS->Insert();
    DS->FieldByName(L"Name")->SetAsString(L"No ID");
    try {
        DS->Post();
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"People: Field 'ID' must have a value");
    }
    EXPECT_EQ(DS->State(), dsInsert);
    DS->Cancel();
    EXPECT_THROW(DS->Post(), EDatabaseError); // not editing
    EXPECT_THROW(DS->FieldByName(L"Name")->SetAsString(L"x"), EDatabaseError);
    DS->Delete();
    EXPECT_TRUE(DS->IsEmpty());
    try {
        DS->Delete();
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"People: Cannot perform this operation on an empty dataset");
    }
    DS->Edit(); // Edit on an empty dataset inserts
    EXPECT_EQ(DS->State(), dsInsert);
}

TEST_F(DataSet, BookmarksComeBackToTheirRecord) {
    Fill(6);
    DS->MoveBy(3);
    const TBookmark fourth = DS->GetBookmark();
    EXPECT_EQ(fourth.size(), 4u);
    DS->First();
    const TBookmark first = DS->GetBookmark();
    DS->GotoBookmark(fourth);
    EXPECT_EQ(CurrentId(), 4);
    EXPECT_TRUE(DS->BookmarkValid(fourth));
    EXPECT_LT(DS->CompareBookmarks(first, fourth), 0);
    DS->Delete();
    EXPECT_FALSE(DS->BookmarkValid(fourth));
    EXPECT_THROW(DS->GotoBookmark(fourth), EDatabaseError);
    DS->GotoBookmark(first);
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(DataSet, FiltersAndFindUseTheFilterEvent) {
    struct TEvenFilter : TObject {
        void Accept(TDataSet* D, bool& accept) {
            accept = D->FieldByName(L"ID")->AsInteger() % 2 == 0;
        }
    };
    TEvenFilter* filter = Construct<TEvenFilter>();
    Fill(7);
    DS->SetOnFilterRecordValue(TFilterRecordEvent(filter, &TEvenFilter::Accept));
    // Not filtered: FindFirst/FindNext visit the accepted records.
    EXPECT_TRUE(DS->FindFirst());
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_TRUE(DS->FindNext());
    EXPECT_EQ(CurrentId(), 4);
    EXPECT_TRUE(DS->FindLast());
    EXPECT_EQ(CurrentId(), 6);
    EXPECT_FALSE(DS->FindNext());
    EXPECT_EQ(CurrentId(), 6);
    DS->SetFilteredValue(true);
    EXPECT_EQ(Ids(), (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(DS->RecordCount(), 3);
    DS->SetFilteredValue(false);
    EXPECT_EQ(DS->RecordCount(), 7);
    filter->Free();
}

TEST_F(DataSet, LocateAndLookupFindByValue) {
    TDataSetEventLog* log = Construct<TDataSetEventLog>();
    Fill(5);
    DS->Edit();
    DS->FieldByName(L"Name")->SetAsString(L"Alice Smith");
    DS->Post();
    log->Attach(DS);
    EXPECT_TRUE(DS->Locate(L"ID", 4, {}));
    EXPECT_EQ(CurrentId(), 4);
    EXPECT_EQ(log->Take(), "BeforeScroll AfterScroll"); // once for the whole search
    EXPECT_TRUE(DS->Locate(L"Name", L"alice", {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_FALSE(DS->Locate(L"Name", L"alice", {loPartialKey}));
    EXPECT_EQ(CurrentId(), 1); // not found: the position stays
    EXPECT_TRUE(DS->Locate(L"ID;Name", VarArrayOf({3, L"N3"}), {}));
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_TRUE(DS->Locate(L"Amount", L"6", {})); // text against a number: the variant rules
    EXPECT_EQ(CurrentId(), 4);
    EXPECT_THROW(DS->Locate(L"ID;Name", 3, {}), EDatabaseError);
    log->Take();
    EXPECT_EQ(DS->Lookup(L"ID", 5, L"Name").AsString(), L"N5");
    const Variant both = DS->Lookup(L"ID", 2, L"Name;Amount");
    EXPECT_EQ(VarArrayGet(both, 0).AsString(), L"N2");
    EXPECT_EQ(VarArrayGet(both, 1).AsDouble(), 3.0);
    EXPECT_TRUE(VarIsNull(DS->Lookup(L"ID", 99, L"Name")));
    EXPECT_EQ(CurrentId(), 4);
    EXPECT_EQ(log->Take(), ""); // Lookup does not move the cursor
    log->Free();
}

TEST_F(DataSet, OldValueAndNewValueDuringAnEdit) {
    Fill(2);
    DS->Edit();
    DS->FieldByName(L"Name")->SetAsString(L"New");
    EXPECT_EQ(DS->FieldByName(L"Name")->OldValue().AsString(), L"N1");
    EXPECT_EQ(DS->FieldByName(L"Name")->NewValue().AsString(), L"New");
    DS->Post();
    EXPECT_TRUE(VarIsNull(DS->FieldByName(L"Name")->OldValue()));
}

namespace {

// The dataset's order and position after each of many random operations, against a vector of
// IDs and an index: the trivially correct model of a sequential dataset.
struct TModel {
    std::vector<int> Ids;
    int Cursor = 0;
};

} // namespace

TEST_F(DataSet, RandomOperationsMatchAVectorModel) {
    Fill(0);
    // A grid-like link keeps five buffers, so that the window rotates and shrinks.
    TDataSource* source = Construct<TDataSource>(nullptr);
    source->SetDataSet(DS);
    TDataLink* grid = Construct<TDataLink>();
    grid->SetBufferCount(5);
    grid->SetDataSource(source);
    TModel model;
    std::mt19937 random(12345);
    int nextId = 1;
    for (int step = 0; step < 600; ++step) {
        const int op = int(random() % 7);
        const bool empty = model.Ids.empty();
        if (op == 0) {
            DS->AppendRecord({nextId, L"A"});
            model.Ids.push_back(nextId++);
            model.Cursor = int(model.Ids.size()) - 1;
        } else if (op == 1) {
            DS->InsertRecord({nextId, L"I"});
            model.Ids.insert(model.Ids.begin() + (empty ? 0 : model.Cursor), nextId++);
        } else if (op == 2 && !empty) {
            DS->Delete();
            model.Ids.erase(model.Ids.begin() + model.Cursor);
            model.Cursor = std::min(model.Cursor, std::max(0, int(model.Ids.size()) - 1));
        } else if (op == 3) {
            const int distance = int(random() % 9) - 4;
            DS->MoveBy(distance);
            model.Cursor =
                std::clamp(model.Cursor + distance, 0, std::max(0, int(model.Ids.size()) - 1));
        } else if (op == 4) {
            DS->Insert();
            DS->Cancel();
        } else if (op == 5) {
            if (random() % 2)
                DS->First(), model.Cursor = 0;
            else
                DS->Last(), model.Cursor = std::max(0, int(model.Ids.size()) - 1);
        } else if (op == 6 && !empty) {
            DS->Edit();
            DS->FieldByName(L"Name")->SetAsString(L"E" + IntToStr(step));
            DS->Post();
        }
        SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
        ASSERT_EQ(DS->IsEmpty(), model.Ids.empty());
        if (!model.Ids.empty()) {
            ASSERT_EQ(CurrentId(), model.Ids[std::size_t(model.Cursor)]);
            ASSERT_EQ(grid->RecordCount(), std::min<int>(5, int(model.Ids.size())));
            ASSERT_EQ(Ids(), model.Ids);
            ASSERT_EQ(CurrentId(), model.Ids[std::size_t(model.Cursor)]); // Ids() came back
        }
    }
    // The comparison bites: a model that is off by one record differs.
    ASSERT_FALSE(model.Ids.empty());
    std::vector<int> broken = model.Ids;
    broken.back() += 1000;
    EXPECT_NE(Ids(), broken);
    grid->Free();
    source->Free();
}

namespace {

class TRefreshLog : public TObject {
public:
    std::string Log;
    void Before(TDataSet*) { Log += "BeforeRefresh "; }
    void After(TDataSet* D) {
        Log += "AfterRefresh:" + std::to_string(D->FieldByName(L"ID")->AsInteger());
    }
};

} // namespace

TEST_F(DataSet, RefreshKeepsTheRecordAndPostsFirst) {
    TRefreshLog* log = Construct<TRefreshLog>();
    Fill(4);
    DS->BeforeRefresh = TDataSetNotifyEvent(log, &TRefreshLog::Before);
    DS->AfterRefresh = TDataSetNotifyEvent(log, &TRefreshLog::After);
    DS->MoveBy(2);
    DS->Edit();
    DS->FieldByName(L"Name")->SetAsString(L"Posted");
    DS->Refresh();
    EXPECT_EQ(log->Log, "BeforeRefresh AfterRefresh:3");
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->StoredValue(2, L"Name").AsString(), L"Posted");
    log->Free();
}

TEST_F(DataSet, ProviderSupportAnswersForADataSetWithoutSql) {
    Fill(1);
    EXPECT_FALSE(DS->PSIsSQLBased());
    EXPECT_EQ(DS->PSGetKeyFields(), L"");
    DS->FieldByName(L"ID")->SetProviderFlags({pfInKey, pfInWhere});
    DS->FieldByName(L"Name")->SetProviderFlags({pfInKey});
    EXPECT_EQ(DS->PSGetKeyFields(), L"ID;Name");
    EXPECT_THROW(DS->PSExecute(), EDatabaseError);
    EXPECT_THROW(DS->PSSetCommandText(L"select 1"), EDatabaseError);
    DS->PSSetCommandText(L"");
    DS->PSReset(); // reopens
    EXPECT_TRUE(DS->Active());
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(DataSet, ASearchShowsControlsOneChange) {
    Fill(6);
    TDataSource* source = Construct<TDataSource>(nullptr);
    source->SetDataSet(DS);
    struct TCountingLink : TDataLink {
        int Changes = 0;
        void DataSetChanged() override { ++Changes; }
    };
    TCountingLink* link = Construct<TCountingLink>();
    link->SetDataSource(source);
    link->Changes = 0;
    EXPECT_TRUE(DS->Locate(L"ID", 5, {}));
    EXPECT_EQ(link->Changes, 1);
    EXPECT_EQ(DS->Lookup(L"ID", 2, L"Name").AsString(), L"N2");
    EXPECT_EQ(link->Changes, 2);
    EXPECT_EQ(CurrentId(), 5);
    link->Free();
    source->Free();
}
