// The record list against a vector of records driven by the same random inserts, appends,
// edits, deletes, moves, filters, sorts and cached-update operations; plus its numbered edge
// cases, bookmarks, cached updates and sorting.
#include "data/engine/MemData.h"
#include "data/engine/MemUtils.h"

#include "EngineModules.h"

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

namespace {

// Two Int32 fields: ID and V.
class RecordListTest : public EngineModulesTest {
public:
    RecordListTest()
        : EngineModulesTest(
              {CLRClassesModule(), MemUtilsModule(), DcParserModule(), MemDataModule()}) {}
    void TearDown() override {
        if (List) List->Free();
        EngineModulesTest::TearDown();
    }

public:
    void Make(TMemData* list) {
        List = list;
        for (const wchar_t* name : {L"ID", L"V"}) {
            TFieldDesc* field = Construct<TFieldDesc>();
            field->SetName(name);
            field->SetDataType(dtInt32);
            field->SetSize(4);
            field->SetFieldNo(Word(List->FieldCount() + 1));
            List->Fields()->Add(field);
        }
        List->AutoInitFields = false;
        List->InitFields();
        List->Open();
        Buf.assign(std::size_t(List->RecordSize()), 0);
    }
    void* Rec(Integer id, Integer v) {
        List->InitRecord(Buf.data());
        List->PutField(1, Buf.data(), &id);
        List->PutField(2, Buf.data(), &v);
        return Buf.data();
    }
    Integer Field(Word no) {
        Integer value = -1;
        bool blank;
        List->GetRecord(Buf.data());
        List->GetField(no, Buf.data(), &value, blank);
        return value;
    }
    // The IDs of the visible records, read by walking the list.
    std::vector<Integer> Walk() {
        std::vector<Integer> ids;
        List->SetToBegin();
        for (List->GetNextRecord(Buf.data()); !List->Eof(); List->GetNextRecord(Buf.data())) {
            Integer id;
            bool blank;
            List->GetField(1, Buf.data(), &id, blank);
            ids.push_back(id);
        }
        return ids;
    }

    // The same, from the end.
    std::vector<Integer> WalkBack() {
        std::vector<Integer> ids;
        List->SetToEnd();
        for (List->GetPriorRecord(Buf.data()); !List->Bof(); List->GetPriorRecord(Buf.data())) {
            Integer id;
            bool blank;
            List->GetField(1, Buf.data(), &id, blank);
            ids.push_back(id);
        }
        return ids;
    }

    TMemData* List = nullptr;
    std::vector<Byte> Buf;
};

// Forgets to renumber the record after a deleted one: the model comparison must notice.
class TMisnumberingList : public TMemData {
public:
    void DeleteRecord() override {
        TMemData::DeleteRecord();
        if (CurrentItem) ++CurrentItem->Order;
    }
};

struct TModelRecord {
    Integer Id, V;
    Integer OldV = 0;
    TItemStatus Status = isUnmodified;
};

// Drives the list and the model with the same random operations; answers the first
// difference found, or an empty text.
std::string RunAgainstModel(RecordListTest& t, TMemData* list, unsigned seed, int steps) {
    std::mt19937 random(seed);
    std::vector<TModelRecord> model;
    Integer divisor = 0; // filter: V % divisor != 0; 0 = none
    int index = 0;       // 0 none, 1 "V; ID", 2 "V DESC, ID"
    auto sortModel = [&] {
        if (index == 0) return;
        std::sort(model.begin(), model.end(), [&](const TModelRecord& a, const TModelRecord& b) {
            if (a.V != b.V) return index == 1 ? a.V < b.V : a.V > b.V;
            return a.Id < b.Id;
        });
    };
    auto visible = [&](const TModelRecord& r) {
        return r.Status != isDeleted && (divisor == 0 || r.V % divisor != 0);
    };
    bool cached = false;
    auto cancel = [&] {
        std::vector<TModelRecord> kept;
        for (TModelRecord r : model) {
            if (r.Status == isAppended) continue;
            if (r.Status == isUpdated) r.V = r.OldV;
            r.Status = isUnmodified;
            kept.push_back(r);
        }
        model = kept;
    };
    list->OnApplyRecord = [](TUpdateRecKind, TUpdateRecAction& action, bool) {
        action = urApplied;
    };
    auto visibleIds = [&] {
        std::vector<Integer> ids;
        for (const TModelRecord& r : model)
            if (visible(r)) ids.push_back(r.Id);
        return ids;
    };
    // Bookmarks of records, some of them deleted later: a bookmark must lead to its record
    // while that exists and be invalid once it is gone for good.
    std::vector<std::pair<TRecBookmark, Integer>> bookmarks;
    auto keepBookmark = [&](Integer id) {
        TRecBookmark bookmark{};
        list->GetBookmark(&bookmark);
        if (bookmarks.size() < 24)
            bookmarks.emplace_back(bookmark, id);
        else
            bookmarks[random() % bookmarks.size()] = {bookmark, id};
    };
    Integer nextId = 1;
    for (int step = 0; step < steps; ++step) {
        const std::vector<Integer> ids = visibleIds();
        const int op = int(random() % 12);
        std::ostringstream what;
        // Pick a visible record to act on (as record number), when there is one.
        const Integer pick = ids.empty() ? 0 : Integer(random() % ids.size()) + 1;
        auto modelIndex = [&](Integer id) {
            for (std::size_t i = 0; i < model.size(); ++i)
                if (model[i].Id == id) return i;
            return model.size();
        };
        const Integer v = Integer(random() % 50);
        if (op <= 1 || ids.empty()) {
            what << "append " << nextId;
            t.List->AppendRecord(t.Rec(nextId, v));
            keepBookmark(nextId);
            model.push_back({nextId++, v, 0, cached ? isAppended : isUnmodified});
        } else if (op == 2) {
            what << "insert before #" << pick;
            list->SetRecordNoValue(pick);
            t.List->InsertRecord(t.Rec(nextId, v));
            model.insert(model.begin() + std::ptrdiff_t(modelIndex(ids[std::size_t(pick - 1)])),
                         {nextId++, v, 0, cached ? isAppended : isUnmodified});
        } else if (op == 3) {
            what << "edit #" << pick;
            list->SetRecordNoValue(pick);
            t.List->UpdateRecord(t.Rec(ids[std::size_t(pick - 1)], v));
            TModelRecord& r = model[modelIndex(ids[std::size_t(pick - 1)])];
            if (cached && r.Status == isUnmodified) {
                r.Status = isUpdated;
                r.OldV = r.V;
            }
            r.V = v;
        } else if (op == 4) {
            what << "delete #" << pick;
            list->SetRecordNoValue(pick);
            list->DeleteRecord();
            const std::size_t at = modelIndex(ids[std::size_t(pick - 1)]);
            if (!cached || model[at].Status == isAppended) {
                model.erase(model.begin() + std::ptrdiff_t(at));
            } else {
                if (model[at].Status == isUpdated) model[at].V = model[at].OldV;
                model[at].Status = isDeleted;
            }
        } else if (op == 5) {
            divisor = Integer("\0\2\3\5"[random() % 4]); // 0: no filter
            what << "filter " << divisor;
            const Integer d = divisor;
            t.List->FilterFunc = d == 0 ? TFilterFunc() : TFilterFunc([d](void* rec) {
                Integer value;
                std::memcpy(&value, static_cast<Byte*>(rec) + 4, 4);
                return value % d != 0;
            });
            t.List->FilterUpdated();
        } else if (op == 9) {
            cached = !cached;
            what << "cached updates " << cached;
            list->SetCachedUpdates(cached);
            if (!cached) cancel();
        } else if (op == 10) {
            what << "cancel updates";
            list->CancelUpdates();
            cancel();
        } else if (op == 11) {
            what << "commit updates";
            list->CommitUpdates();
            std::vector<TModelRecord> kept;
            for (TModelRecord r : model)
                if (r.Status != isDeleted) {
                    r.Status = isUnmodified;
                    kept.push_back(r);
                }
            model = kept;
        } else if (op == 8) {
            index = int(random() % 3);
            what << "index " << index;
            t.List->SetIndexFieldNames(index == 0 ? L"" : index == 1 ? L"V; ID" : L"V DESC, ID");
        } else {
            what << "move to #" << pick;
            list->SetRecordNoValue(pick);
            if (list->RecordNo() != pick)
                return what.str() + ": RecordNo " + std::to_string(list->RecordNo());
            if (t.Field(1) != ids[std::size_t(pick - 1)]) return what.str() + ": wrong record";
            keepBookmark(ids[std::size_t(pick - 1)]);
        }
        sortModel();
        const std::vector<Integer> expected = visibleIds();
        if (list->RecordCount() != Integer(expected.size()))
            return what.str() + ": RecordCount " + std::to_string(list->RecordCount()) +
                   " expected " + std::to_string(expected.size());
        for (std::size_t n = 0; n < expected.size(); ++n) {
            list->SetRecordNoValue(Integer(n + 1));
            if (list->RecordNo() != Integer(n + 1) || t.Field(1) != expected[n])
                return what.str() + ": record #" + std::to_string(n + 1) + " is id " +
                       std::to_string(t.Field(1));
        }
        if (t.Walk() != expected) return what.str() + ": the walk differs";
        if (t.WalkBack() != std::vector<Integer>(expected.rbegin(), expected.rend()))
            return what.str() + ": the walk backwards differs";
        for (auto& [bookmark, id] : bookmarks) {
            const std::size_t at = modelIndex(id);
            const bool exists = at < model.size();
            if (!exists && list->BookmarkValid(&bookmark))
                return what.str() + ": the bookmark of deleted id " + std::to_string(id) +
                       " is valid";
            if (!exists || !visible(model[at])) continue;
            list->SetToBookmark(&bookmark);
            if (!list->BookmarkValid(&bookmark) || t.Field(1) != id)
                return what.str() + ": the bookmark of id " + std::to_string(id) + " leads to " +
                       std::to_string(t.Field(1));
        }
    }
    return "";
}

TEST_F(RecordListTest, MatchesAVectorOfRecordsUnderRandomChanges) {
    Make(new TMemData);
    for (unsigned seed = 1; seed <= 8; ++seed) {
        EXPECT_EQ(RunAgainstModel(*this, List, seed, 600), "") << "seed " << seed;
        List->Close();
        List->FilterFunc = nullptr;
        List->SetIndexFieldNames(L"");
        List->SetCachedUpdates(false);
        List->Open();
    }
}

TEST_F(RecordListTest, TheModelComparisonCatchesAMisnumberedList) {
    Make(new TMisnumberingList);
    EXPECT_NE(RunAgainstModel(*this, List, 1, 400), "");
}

TEST_F(RecordListTest, DeletingTheSecondOfThreeRenumbersTheRest) {
    Make(new TMemData);
    for (Integer i = 1; i <= 3; ++i) List->AppendRecord(Rec(i, i));
    List->SetRecordNoValue(2);
    List->DeleteRecord();
    EXPECT_EQ(List->RecordCount(), 2);
    EXPECT_EQ(Field(1), 3);
    EXPECT_EQ(List->RecordNo(), 2);
    List->SetRecordNoValue(1);
    EXPECT_EQ(Field(1), 1);
}

TEST_F(RecordListTest, AnInsertNearTheStartShiftsNumbersThroughTheOffset) {
    Make(new TMemData);
    for (Integer i = 1; i <= 100; ++i) List->AppendRecord(Rec(i, i));
    List->SetRecordNoValue(50);
    TRecBookmark fifty{};
    List->GetBookmark(&fifty);
    List->SetRecordNoValue(10);
    List->InsertRecord(Rec(1000, 0));
    EXPECT_EQ(List->RecordNo(), 10);
    List->SetToBookmark(&fifty);
    EXPECT_EQ(Field(1), 50);
    EXPECT_EQ(List->RecordNo(), 51);
    EXPECT_EQ(fifty.Item->Order, 50); // the items after the new one keep their Order
}

TEST_F(RecordListTest, BookmarksOutliveReorderingButNotAReload) {
    Make(new TMemData);
    for (Integer i = 1; i <= 5; ++i) List->AppendRecord(Rec(i, i));
    List->SetRecordNoValue(4);
    TRecBookmark four{}, two{};
    List->GetBookmark(&four);
    List->SetRecordNoValue(2);
    List->GetBookmark(&two);
    EXPECT_EQ(List->CompareBookmarks(&two, &four), -1);
    EXPECT_EQ(List->CompareBookmarks(&four, &four), 0);
    List->SetRecordNoValue(1);
    List->DeleteRecord();
    List->SetToBookmark(&four);
    EXPECT_EQ(Field(1), 4);
    EXPECT_EQ(List->RecordNo(), 3);
    List->FilterFunc = [](void* rec) { return static_cast<Byte*>(rec)[4] != 4; };
    List->FilterUpdated();
    EXPECT_FALSE(List->BookmarkValid(&four));
    EXPECT_TRUE(List->BookmarkValid(&two));
    List->FilterFunc = nullptr;
    List->FilterUpdated();

    List->Close();
    List->Open();
    for (Integer i = 11; i <= 15; ++i) List->AppendRecord(Rec(i, i));
    List->SetToBookmark(&four); // a new refresh iteration: falls back to its record number 4
    EXPECT_EQ(Field(1), 14);
    EXPECT_NE(List->CompareBookmarks(&four, &two), 0);
}

// Each way a record leaves the list for good, followed by appends that would take over its
// memory (a freed item is the next one handed out): its bookmark is then invalid, goes to its
// record number and compares by it, and never leads to the record that came after it.
TEST_F(RecordListTest, ABookmarkToADeletedRecordNeverLeadsToAnother) {
    struct Case {
        const char* Name;
        bool CachedInsert; // the record is inserted under cached updates
        void (*Remove)(TMemData* List);
    };
    const Case cases[] = {
        {"deleted", false, [](TMemData* l) { l->DeleteRecord(); }},
        {"removed", false, [](TMemData* l) { l->RemoveRecord(); }},
        {"cached insert deleted", true, [](TMemData* l) { l->DeleteRecord(); }},
        {"cached insert reverted", true, [](TMemData* l) { l->RevertRecord(); }},
        {"cached insert cancelled", true, [](TMemData* l) { l->CancelUpdates(); }},
        {"deletion committed", false,
         [](TMemData* l) {
             l->SetCachedUpdates(true);
             l->DeleteRecord();
             l->CommitUpdates();
         }},
    };
    Make(new TMemData);
    List->OnApplyRecord = [](TUpdateRecKind, TUpdateRecAction& action, bool) {
        action = urApplied;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        List->Close();
        List->SetCachedUpdates(false);
        List->Open();
        for (Integer id : {1, 2, 4, 5}) List->AppendRecord(Rec(id, id));
        List->SetCachedUpdates(c.CachedInsert);
        List->SetRecordNoValue(3);
        List->InsertRecord(Rec(3, 3));
        TRecBookmark three{};
        List->GetBookmark(&three);
        ASSERT_TRUE(List->BookmarkValid(&three));
        c.Remove(List);
        for (Integer id = 6; id <= 16; ++id) List->AppendRecord(Rec(id, id));
        List->SetRecordNoValue(5);
        TRecBookmark six{};
        List->GetBookmark(&six);
        ASSERT_EQ(Field(1), 6);

        EXPECT_FALSE(List->BookmarkValid(&three));
        EXPECT_EQ(List->CompareBookmarks(&three, &six), -1);
        List->SetToBookmark(&three);
        EXPECT_EQ(Field(1), 4) << "the record that is number 3 now";
        List->FilterFunc = [](void*) { return true; };
        List->FilterUpdated();
        EXPECT_FALSE(List->BookmarkValid(&three));
        EXPECT_TRUE(List->BookmarkValid(&six));
        List->FilterFunc = nullptr;
        List->FilterUpdated();
    }
}

// A filter change leaves the record-number map of the visible records, which steps to the
// next and prior ones; forgetting the verdicts (as a search under a passing filter does)
// forgets the map too, so the records are judged again.
TEST_F(RecordListTest, ForgottenVerdictsAreNotTakenFromTheRecordNumberMap) {
    Make(new TMemData);
    for (Integer i = 1; i <= 20; ++i) List->AppendRecord(Rec(i, i));
    auto v = [](void* rec) {
        Integer value;
        std::memcpy(&value, static_cast<Byte*>(rec) + 4, 4);
        return value;
    };
    List->FilterFunc = [&](void* rec) { return v(rec) % 2 == 0; };
    List->FilterUpdated();
    EXPECT_EQ(Walk(), (std::vector<Integer>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20}));
    EXPECT_EQ(WalkBack(), (std::vector<Integer>{20, 18, 16, 14, 12, 10, 8, 6, 4, 2}));
    List->FilterFunc = [&](void* rec) { return v(rec) % 5 == 0; };
    List->ClearItemsOmittedStatus();
    EXPECT_EQ(Walk(), (std::vector<Integer>{5, 10, 15, 20}));
    EXPECT_EQ(WalkBack(), (std::vector<Integer>{20, 15, 10, 5}));
}

// A full numbering keeps the chain's order while a filter hides records, for the next one;
// an insert and a delete that leave the count as it was must still make it walk the chain.
TEST_F(RecordListTest, AFilterChangeSeesTheChainAsItIsNow) {
    Make(new TMemData);
    for (Integer i = 1; i <= 10; ++i) List->AppendRecord(Rec(i, 11 - i));
    List->SetIndexFieldNames(L"V");
    List->SetFilterText(L"V > 3");
    List->FilterUpdated();
    EXPECT_EQ(Walk(), (std::vector<Integer>{7, 6, 5, 4, 3, 2, 1}));
    List->SetRecordNoValue(1);      // ID 7, V 4
    List->InsertRecord(Rec(20, 4)); // in front of it, where it belongs: no move
    List->SetRecordNoValue(3);      // ID 6
    List->DeleteRecord();
    List->SetFilterText(L"V > 1");
    List->FilterUpdated();
    EXPECT_EQ(Walk(), (std::vector<Integer>{9, 8, 20, 7, 5, 4, 3, 2, 1}));
    List->SetFilterText(L"");
    List->FilterUpdated();
    EXPECT_EQ(Walk(), (std::vector<Integer>{10, 9, 8, 20, 7, 5, 4, 3, 2, 1}));
}

TEST_F(RecordListTest, RecordNumbersOutsideTheListChangeNothing) {
    Make(new TMemData);
    List->SetRecordNoValue(1);
    EXPECT_EQ(List->RecordNo(), 0);
    EXPECT_TRUE(List->Eof());
    List->AppendRecord(Rec(1, 1));
    List->AppendRecord(Rec(2, 2));
    List->SetRecordNoValue(0);
    EXPECT_EQ(Field(1), 2);
    List->SetRecordNoValue(7);
    EXPECT_EQ(Field(1), 2);
    List->PrepareRecNoCache();
    List->SetRecordNoValue(1);
    EXPECT_EQ(Field(1), 1);
}

TEST_F(RecordListTest, AFilterTextHidesRecordsAndEmptyResultsAreAtTheEnd) {
    Make(new TMemData);
    for (Integer i = 1; i <= 6; ++i) List->AppendRecord(Rec(i, i * 10));
    List->SetFilterText(L"V > 30 AND ID <> 5");
    List->FilterUpdated();
    EXPECT_EQ(Walk(), (std::vector<Integer>{4, 6}));
    EXPECT_EQ(List->RecordCount(), 2);
    List->SetFilterText(L"V > 100");
    List->FilterUpdated();
    EXPECT_TRUE(Walk().empty());
    EXPECT_TRUE(List->Eof());
}

// --- cached updates ---

class CachedUpdatesTest : public RecordListTest {
protected:
    void SetUp() override {
        RecordListTest::SetUp();
        Make(new TMemData);
        for (Integer i = 1; i <= 3; ++i) List->AppendRecord(Rec(i, i * 10));
        List->SetCachedUpdates(true);
        NewBuf.assign(Buf.size(), 0);
        OldBuf.assign(Buf.size(), 0);
        List->SetCacheRecBuf(NewBuf.data(), OldBuf.data());
    }
    Integer V() { return Field(2); }
    std::vector<Byte> NewBuf, OldBuf;
};

TEST_F(CachedUpdatesTest, InsertThenDeleteLeavesNoTraceAndCancelRestoresEdits) {
    List->SetRecordNoValue(2);
    List->InsertRecord(Rec(9, 90));
    EXPECT_EQ(List->GetUpdateStatus(), isAppended);
    EXPECT_TRUE(List->UpdatesPending());
    List->DeleteRecord();
    EXPECT_FALSE(List->UpdatesPending());
    EXPECT_EQ(Walk(), (std::vector<Integer>{1, 2, 3}));

    List->SetRecordNoValue(2);
    List->UpdateRecord(Rec(2, 222));
    EXPECT_EQ(List->GetUpdateStatus(), isUpdated);
    List->GetOldRecord(Buf.data());
    Integer old;
    bool blank;
    List->GetField(2, Buf.data(), &old, blank);
    EXPECT_EQ(old, 20);
    List->SetRecordNoValue(3);
    List->DeleteRecord();
    EXPECT_EQ(Walk(), (std::vector<Integer>{1, 2}));
    EXPECT_EQ(List->RecordCount(), 2);
    List->CancelUpdates();
    EXPECT_EQ(Walk(), (std::vector<Integer>{1, 2, 3}));
    List->SetRecordNoValue(2);
    EXPECT_EQ(V(), 20);
    EXPECT_EQ(List->GetUpdateStatus(), isUnmodified);
    EXPECT_FALSE(List->UpdatesPending());
}

TEST_F(CachedUpdatesTest, DeletedRecordsShowOnlyWhenAskedFor) {
    List->SetFilterItemTypes(ItemType(isDeleted));
    EXPECT_TRUE(Walk().empty());
    EXPECT_TRUE(List->Eof());
    List->SetFilterItemTypes(ItemType(isUnmodified) | ItemType(isUpdated) | ItemType(isAppended));
    List->SetRecordNoValue(1);
    List->DeleteRecord();
    List->SetFilterItemTypes(ItemType(isDeleted));
    EXPECT_EQ(Walk(), (std::vector<Integer>{1}));
}

TEST_F(CachedUpdatesTest, SuspendedRecordsTakeTheBatchResultAndRetryStartsOver) {
    for (Integer no = 1; no <= 3; ++no) {
        List->SetRecordNoValue(no);
        List->UpdateRecord(Rec(no, no));
    }
    std::vector<TUpdateRecAction> answers = {urSuspended, urSuspended, urRetry,
                                             urSuspended, urSuspended, urApplied};
    std::vector<Integer> applied;
    List->OnApplyRecord = [&](TUpdateRecKind kind, TUpdateRecAction& action, bool) {
        EXPECT_EQ(kind, ukUpdate);
        Integer id;
        std::memcpy(&id, NewBuf.data(), 4);
        applied.push_back(id);
        action = answers[applied.size() - 1];
    };
    List->ApplyUpdates();
    EXPECT_EQ(applied, (std::vector<Integer>{1, 2, 3, 1, 2, 3}));
    EXPECT_FALSE(List->UpdatesPending());
    List->RestoreUpdates();
    EXPECT_TRUE(List->UpdatesPending());
}

TEST_F(CachedUpdatesTest, CommitKeepsOnlyTheFailedChanges) {
    List->SetRecordNoValue(1);
    List->UpdateRecord(Rec(1, 11));
    List->SetRecordNoValue(2);
    List->DeleteRecord();
    List->OnApplyRecord = [&](TUpdateRecKind kind, TUpdateRecAction& action, bool) {
        action = kind == ukDelete ? urApplied : urFail;
    };
    List->CommitUpdates();
    EXPECT_TRUE(List->UpdatesPending());
    List->SetFilterItemTypes(ItemType(isDeleted));
    EXPECT_TRUE(Walk().empty()); // the applied delete is gone from the list
    List->SetFilterItemTypes(ItemType(isUnmodified) | ItemType(isUpdated) | ItemType(isAppended));
    EXPECT_EQ(Walk(), (std::vector<Integer>{1, 3}));
    List->SetRecordNoValue(1);
    EXPECT_EQ(List->GetUpdateStatus(), isUpdated);
    EXPECT_EQ(List->GetUpdateResult(), urFail);
    List->SetRecordNoValue(2);
    List->RevertRecord(); // no cache entry: nothing happens
    EXPECT_EQ(List->GetUpdateStatus(), isUnmodified);
}

TEST_F(CachedUpdatesTest, AHandlerThatRemovesEntriesOrClosesTheListIsSafe) {
    for (Integer no = 1; no <= 3; ++no) {
        List->SetRecordNoValue(no);
        List->UpdateRecord(Rec(no, -no));
    }
    std::vector<Integer> seen;
    List->OnApplyRecord = [&](TUpdateRecKind, TUpdateRecAction& action, bool) {
        Integer id;
        std::memcpy(&id, NewBuf.data(), 4);
        seen.push_back(id);
        if (id == 1) List->CancelUpdates(); // removes every entry, the current one included
        action = urApplied;
    };
    List->ApplyUpdates();
    EXPECT_EQ(seen, (std::vector<Integer>{1}));
    EXPECT_FALSE(List->UpdatesPending());
    List->SetRecordNoValue(1);
    EXPECT_EQ(V(), 10);

    List->SetRecordNoValue(2);
    List->UpdateRecord(Rec(2, 0));
    List->SetRecordNoValue(3);
    List->UpdateRecord(Rec(3, 0));
    seen.clear();
    List->OnApplyRecord = [&](TUpdateRecKind, TUpdateRecAction& action, bool) {
        seen.push_back(0);
        List->Close();
        action = urApplied;
    };
    List->ApplyUpdates();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_FALSE(List->IsActive());
    EXPECT_EQ(List->RecordCount(), 0);
}

TEST_F(CachedUpdatesTest, AHandlerThatCommitsInsideTheLoopLeavesTheApplyingToIt) {
    List->SetRecordNoValue(1);
    List->DeleteRecord();
    List->SetRecordNoValue(1);
    List->UpdateRecord(Rec(2, 5));
    int calls = 0;
    List->OnApplyRecord = [&](TUpdateRecKind, TUpdateRecAction& action, bool) {
        ++calls;
        action = urApplied;
        if (calls == 1) List->CommitUpdates(); // nothing applied yet: the entries stay
    };
    List->ApplyUpdates();
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(List->UpdatesPending());
    List->CommitUpdates();
    EXPECT_EQ(Walk(), (std::vector<Integer>{2, 3}));
    List->SetRecordNoValue(1);
    EXPECT_EQ(List->GetUpdateStatus(), isUnmodified);
}

TEST_F(CachedUpdatesTest, AFailingHandlerLeavesItsRecordCurrentAndTheRestUntouched) {
    for (Integer no = 1; no <= 3; ++no) {
        List->SetRecordNoValue(no);
        List->UpdateRecord(Rec(no, 0));
    }
    List->SetRecordNoValue(1);
    List->OnApplyRecord = [&](TUpdateRecKind, TUpdateRecAction& action, bool) {
        Integer id;
        std::memcpy(&id, NewBuf.data(), 4);
        if (id == 2) throw Exception(L"refused");
        action = urApplied;
    };
    EXPECT_THROW(List->ApplyUpdates(), Exception);
    EXPECT_EQ(Field(1), 2);
    EXPECT_EQ(List->GetUpdateResult(), urFail);
    List->SetRecordNoValue(3);
    EXPECT_EQ(List->GetUpdateResult(), urNone);
}

// --- index fields and sorting ---

TEST_F(RecordListTest, IndexTextsGiveColumnsOrRefuse) {
    Make(new TMemData);
    List->SetIndexFieldNames(L"V DESC CIS; ID");
    ASSERT_EQ(List->IndexFields()->Count(), 2);
    EXPECT_EQ(List->IndexFields()->Items(0)->FieldDesc->Name(), L"V");
    EXPECT_TRUE(List->IndexFields()->Items(0)->DescendingOrder);
    EXPECT_EQ(List->IndexFields()->Items(0)->SortType, stCaseInsensitive);
    EXPECT_FALSE(List->IndexFields()->Items(1)->DescendingOrder);
    EXPECT_EQ(List->IndexFields()->Items(1)->SortType, stCaseSensitive);
    List->SetIndexFieldNames(L"[V] bin");
    ASSERT_EQ(List->IndexFields()->Count(), 1);
    EXPECT_EQ(List->IndexFields()->Items(0)->SortType, stBinary);
    struct Case {
        const wchar_t *Text, *Message;
    } cases[] = {{L"V DESC ASC", L"Invalid IndexFieldNames format!"},
                 {L"V CIS BIN", L"Invalid IndexFieldNames format!"},
                 {L"V UP", L"Invalid IndexFieldNames format!"},
                 {L"V = ID", L"Invalid IndexFieldNames format!"},
                 {L"V; Nobody", L"Field Nobody not found"}};
    for (const Case& c : cases) {
        try {
            List->SetIndexFieldNames(c.Text);
            ADD_FAILURE() << UnicodeToAnsi(c.Text);
        } catch (const Exception& e) {
            EXPECT_EQ(UnicodeString(e.Message()), c.Message);
        }
    }
}

TEST_F(RecordListTest, SortingIsStableAndCheapOnSortedOrEqualKeys) {
    Make(new TMemData);
    std::mt19937 random(7);
    std::vector<TModelRecord> model;
    for (Integer id = 1; id <= 2000; ++id) {
        model.push_back({id, Integer(random() % 10)});
        List->AppendRecord(Rec(id, model.back().V));
    }
    List->SetIndexFieldNames(L"V");
    std::stable_sort(model.begin(), model.end(),
                     [](const TModelRecord& a, const TModelRecord& b) { return a.V < b.V; });
    std::vector<Integer> ids;
    for (const TModelRecord& r : model) ids.push_back(r.Id);
    EXPECT_EQ(Walk(), ids);
    List->SetIndexFieldNames(L"V DESC");
    List->SetIndexFieldNames(L"V"); // sorting sorted input again changes nothing
    EXPECT_EQ(Walk(), ids);

    List->Close();
    List->SetIndexFieldNames(L"");
    List->Open();
    std::vector<Integer> same;
    for (Integer id = 1; id <= 50000; ++id) { // all-equal keys: unchanged, and no deep recursion
        List->AppendRecord(Rec(id, 3));
        same.push_back(id);
    }
    List->SetIndexFieldNames(L"V");
    EXPECT_EQ(Walk(), same);
}

TEST_F(RecordListTest, NullsSortFirstAscendingAndLastDescending) {
    Make(new TMemData);
    List->AppendRecord(Rec(1, 5));
    List->InitRecord(Buf.data());
    const Integer two = 2;
    List->PutField(1, Buf.data(), &two); // V stays NULL
    List->AppendRecord(Buf.data());
    List->AppendRecord(Rec(3, -1));
    List->SetIndexFieldNames(L"V");
    EXPECT_EQ(Walk(), (std::vector<Integer>{2, 3, 1}));
    List->SetIndexFieldNames(L"V DESC");
    EXPECT_EQ(Walk(), (std::vector<Integer>{1, 3, 2}));
    const Integer five = 5, seven = 7;
    List->SetRecordNoValue(1); // V 5
    EXPECT_EQ(List->CompareFieldValue(&five, dtInt32, List->Fields()->Items(1), Buf.data(), 0), 0);
    List->GetRecord(Buf.data());
    EXPECT_EQ(List->CompareFieldValue(&seven, dtInt32, List->Fields()->Items(1), Buf.data(), 0), 1);
}

} // namespace
