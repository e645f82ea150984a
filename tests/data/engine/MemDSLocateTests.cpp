// Locate, lookup, find and filters of the memory dataset, and the dataset against a model (a
// vector of rows with a cursor) under one random sequence of inserts, appends, edits, deletes,
// moves, locates and bookmarks, with a broken model that proves the comparison bites.
#include "MemDSFixture.h"

#include <algorithm>
#include <optional>
#include <random>

namespace {

class MemDataSetLocate : public MemDSTest {
protected:
    // ID, V, NAME; rows given as (ID, V or null, NAME or null).
    struct TRow {
        int Id;
        std::optional<int> V;
        const wchar_t* Name;
    };
    void OpenRows(std::initializer_list<TRow> rows) {
        DS->SetColumns({{L"ID", dtInt32}, {L"V", dtInt32}, {L"NAME", dtString, 20}});
        DS->Open();
        for (const TRow& row : rows)
            DS->AppendRecord({row.Id, row.V ? Variant(*row.V) : Null(),
                              row.Name ? Variant(UnicodeString(row.Name)) : Null()});
        DS->First();
    }
    int Id() { return DS->FieldByName(L"ID")->AsInteger(); }
};

TEST_F(MemDataSetLocate, BinarySearchFindsTheFirstOrLastOfEqualKeys) {
    OpenRows({{1, 3, L"a"}, {2, 2, L"b"}, {3, 1, L"c"}, {4, 2, L"d"}, {5, 2, L"e"}, {6, 4, L"f"}});
    DS->SetIndexFieldNames(L"V");
    EXPECT_EQ(Ids(), (std::vector<int>{3, 2, 4, 5, 1, 6}));
    const struct {
        int V;
        TLocateExOptions Options;
        bool Found;
        int Id;
    } cases[] = {{2, {}, true, 2},
                 {2, {lxUp}, true, 5},
                 {1, {}, true, 3},
                 {4, {}, true, 6},
                 {5, {}, false, 0},
                 {0, {}, false, 0},
                 // lxUp searches the records before the current one (the last here).
                 {4, {lxUp}, false, 0}};
    for (const auto& c : cases) {
        DS->Last();
        EXPECT_EQ(DS->LocateEx(L"V", c.V, c.Options), c.Found) << c.V;
        if (c.Found) {
            EXPECT_EQ(Id(), c.Id) << c.V;
        }
    }
    // lxNext goes on from the current record.
    DS->Locate(L"V", 2, {});
    ASSERT_TRUE(DS->LocateEx(L"V", 2, {lxNext}));
    EXPECT_EQ(Id(), 4);
    // The index narrows by V, the scan checks NAME from there.
    ASSERT_TRUE(DS->Locate(L"V;NAME", VarArrayOf({2, L"e"}), {}));
    EXPECT_EQ(Id(), 5);
    EXPECT_FALSE(DS->Locate(L"V;NAME", VarArrayOf({2, L"a"}), {}));
    EXPECT_EQ(Id(), 5); // not found: the position stays
}

TEST_F(MemDataSetLocate, KeysGivenAsFields) {
    OpenRows({{1, 10, L"a"}, {2, 20, L"b"}, {3, 20, L"c"}});
    const std::vector<TField*> keys{DS->FieldByName(L"V"), nullptr, DS->FieldByName(L"NAME")};
    ASSERT_TRUE(DS->Locate(keys, VarArrayOf({20, L"c"}), {}));
    EXPECT_EQ(Id(), 3);
    DS->First();
    ASSERT_TRUE(DS->LocateEx(keys, VarArrayOf({20, L"B"}), {lxCaseInsensitive}));
    EXPECT_EQ(Id(), 2);
}

TEST_F(MemDataSetLocate, DescendingIndexAndNearest) {
    OpenRows({{1, 10, L"a"}, {2, 30, L"b"}, {3, 20, L"c"}});
    DS->SetIndexFieldNames(L"V DESC");
    ASSERT_TRUE(DS->Locate(L"V", 20, {}));
    EXPECT_EQ(Id(), 3);
    DS->SetIndexFieldNames(L"V");
    ASSERT_TRUE(DS->LocateEx(L"V", 15, {lxNearest}));
    EXPECT_EQ(Id(), 3);                               // the first record above the key
    EXPECT_TRUE(DS->LocateEx(L"V", 35, {lxNearest})); // succeeds at the end of the data
}

TEST_F(MemDataSetLocate, TextOptionsAndNulls) {
    OpenRows({{1, 1, L"Apple"}, {2, std::nullopt, L"apricot"}, {3, 3, nullptr}, {4, 4, L"ABC"}});
    const struct {
        const wchar_t* Key;
        TLocateOptions Options;
        int Id; // 0: not found
    } cases[] = {{L"apricot", {}, 2},
                 {L"APRICOT", {}, 0},
                 {L"APRICOT", {loCaseInsensitive}, 2},
                 {L"Ap", {loPartialKey}, 1},
                 {L"ap", {loPartialKey, loCaseInsensitive}, 1},
                 {L"AB", {loPartialKey}, 4},
                 {L"Applesauce", {loPartialKey}, 0}};
    for (const auto& c : cases) {
        DS->First();
        EXPECT_EQ(DS->Locate(L"NAME", c.Key, c.Options), c.Id != 0) << Narrow(c.Key);
        if (c.Id) {
            EXPECT_EQ(Id(), c.Id) << Narrow(c.Key);
        }
    }
    ASSERT_TRUE(DS->Locate(L"NAME", Null(), {}));
    EXPECT_EQ(Id(), 3);
    ASSERT_TRUE(DS->Locate(L"V", Null(), {}));
    EXPECT_EQ(Id(), 2);
    EXPECT_FALSE(DS->Locate(L"V;NAME", VarArrayOf({3, L"x"}), {})); // NAME of 3 is null
    EXPECT_THROW(DS->Locate(L"NOPE", 1, {}), Exception);
    EXPECT_FALSE(DS->Locate(L"", 1, {}));
}

TEST_F(MemDataSetLocate, KeysThatCannotConvertMeetOnlyNulls) {
    OpenRows({{1, 1, L"a"}, {2, std::nullopt, L"b"}, {3, 3, L"c"}});
    DS->SetIndexFieldNames(L"V");
    ASSERT_TRUE(DS->Locate(L"V", L"not a number", {}));
    EXPECT_EQ(Id(), 2);
    ASSERT_TRUE(DS->Locate(L"V", L"3", {})); // a text key of the index converts
    EXPECT_EQ(Id(), 3);
}

TEST_F(MemDataSetLocate, LookupKeepsThePosition) {
    OpenRows({{1, 10, L"a"}, {2, 20, L"b"}, {3, 30, L"c"}});
    DS->Next();
    EXPECT_EQ(DS->Lookup(L"V", 30, L"NAME"), Variant(AnsiString("c")));
    const Variant both = DS->Lookup(L"ID", 1, L"V;NAME");
    ASSERT_TRUE(VarIsArray(both));
    EXPECT_EQ(VarArrayGet(both, 0), Variant(10));
    EXPECT_EQ(VarArrayGet(both, 1), Variant(AnsiString("a")));
    EXPECT_TRUE(VarIsNull(DS->Lookup(L"V", 99, L"NAME")));
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(DS->State(), dsBrowse);
}

TEST_F(MemDataSetLocate, FindUsesTheFilterWithoutFiltering) {
    OpenRows({{1, 1, L"a"}, {2, 2, L"b"}, {3, 3, L"c"}, {4, 4, L"d"}});
    DS->SetFilter(L"V >= 2 AND V <> 3");
    EXPECT_FALSE(DS->Filtered());
    ASSERT_TRUE(DS->FindFirst());
    EXPECT_EQ(Id(), 2);
    ASSERT_TRUE(DS->FindNext());
    EXPECT_EQ(Id(), 4);
    EXPECT_FALSE(DS->FindNext());
    ASSERT_TRUE(DS->FindPrior());
    EXPECT_EQ(Id(), 2);
    ASSERT_TRUE(DS->FindLast());
    EXPECT_EQ(Id(), 4);
    EXPECT_EQ(DS->RecordCount(), 4); // the dataset itself stays unfiltered
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(MemDataSetLocate, FilterTextAndOptions) {
    OpenRows({{1, 1, L"a"}, {2, 2, L"B"}, {3, 3, L"c"}});
    DS->Last();
    DS->SetFilter(L"NAME = 'b'");
    DS->SetFilteredValue(true);
    EXPECT_EQ(Ids(), (std::vector<int>{}));
    DS->SetFilterOptionsValue({foCaseInsensitive});
    EXPECT_EQ(Ids(), (std::vector<int>{2}));
    EXPECT_EQ(Id(), 2); // on the first visible record
    DS->SetFilter(L"V > 1");
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3}));
    EXPECT_THROW(DS->SetFilter(L"V >"), Exception); // refused: the old filter stays
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3}));
    DS->SetFilteredValue(false);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3}));
}

class TFilterHandler : public TObject {
public:
    int Calls = 0;
    void Even(TDataSet* D, bool& Accept) {
        ++Calls;
        const int id = D->FieldByName(L"ID")->AsInteger();
        if (id == 3) throw Exception(L"cannot judge 3");
        Accept = id % 2 == 0;
    }
};

// (The failure goes to the application's exception hook; this test program has no
// application object, so only the going on is seen here.)
TEST_F(MemDataSetLocate, FilterByEventGoesOnAfterAnError) {
    TOwned<TFilterHandler> handler(Construct<TFilterHandler>());
    OpenRows({{1, 1, L"a"}, {2, 2, L"b"}, {3, 3, L"c"}, {4, 4, L"d"}});
    DS->SetOnFilterRecordValue(TFilterRecordEvent(handler.Object, &TFilterHandler::Even));
    EXPECT_EQ(handler->Calls, 0); // not filtered yet
    DS->SetFilteredValue(true);
    // The failing record keeps the verdict it had (accepted) and filtering goes on.
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3, 4}));
    DS->SetOnFilterRecordValue({});
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4}));
}

// ---- the dataset against a model

struct TModelRow {
    int Id;
    int V;
};

// The rows and the cursor an application expects; `InsertAfter` is the broken variant, which
// puts inserted rows behind the current one instead of in front of it.
struct TModel {
    std::vector<TModelRow> Rows;
    int Cursor = 0;
    bool InsertAfter = false;
};

class TRandomRun {
public:
    TRandomRun(TColumnsDataSet* D, TModel& M, unsigned Seed) : DS(D), Model(M), Random(Seed) {}

    // Runs `steps` operations; false at the first difference between dataset and model.
    bool Run(int steps) {
        for (int step = 0; step < steps; ++step) {
            Operation();
            if (!Same()) return false;
        }
        return true;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(Random); }

    void Operation() {
        auto& rows = Model.Rows;
        const int empty = rows.empty();
        switch (Pick(9)) {
        case 0: // append
            DS->Append();
            Set(++LastId, Pick(20));
            DS->Post();
            rows.push_back({LastId, DS->FieldByName(L"V")->AsInteger()});
            Model.Cursor = int(rows.size()) - 1;
            break;
        case 1: { // insert
            DS->Insert();
            Set(++LastId, Pick(20));
            DS->Post();
            int at = empty ? 0 : Model.Cursor + (Model.InsertAfter ? 1 : 0);
            rows.insert(rows.begin() + at, {LastId, DS->FieldByName(L"V")->AsInteger()});
            Model.Cursor = at;
            break;
        }
        case 2: // edit
            if (empty) break;
            DS->Edit();
            rows[std::size_t(Model.Cursor)].V = Pick(20);
            DS->FieldByName(L"V")->SetAsInteger(rows[std::size_t(Model.Cursor)].V);
            DS->Post();
            break;
        case 3: // an edit given up
            if (empty) break;
            DS->Edit();
            DS->FieldByName(L"V")->SetAsInteger(99);
            DS->Cancel();
            break;
        case 4: // delete
            if (empty) break;
            DS->Delete();
            rows.erase(rows.begin() + Model.Cursor);
            Model.Cursor = std::min(Model.Cursor, std::max(0, int(rows.size()) - 1));
            break;
        case 5:
        case 6: { // move
            const int by = Pick(7) - 3;
            DS->MoveBy(by);
            if (!empty) Model.Cursor = std::clamp(Model.Cursor + by, 0, int(rows.size()) - 1);
            break;
        }
        case 7: { // locate by V
            const int v = Pick(20);
            const bool found = DS->Locate(L"V", v, {});
            auto it = std::find_if(rows.begin(), rows.end(),
                                   [&](const TModelRow& r) { return r.V == v; });
            if (found != (it != rows.end())) Diverged = true;
            if (it != rows.end()) Model.Cursor = int(it - rows.begin());
            break;
        }
        case 8: { // go away and come back by bookmark
            if (empty) break;
            const TBookmark mark = DS->GetBookmark();
            DS->First();
            DS->GotoBookmark(mark);
            break;
        }
        }
    }
    void Set(int id, int v) {
        DS->FieldByName(L"ID")->SetAsInteger(id);
        DS->FieldByName(L"V")->SetAsInteger(v);
    }
    bool Same() {
        if (Diverged) return false;
        const auto& rows = Model.Rows;
        if (DS->RecordCount() != int(rows.size())) return false;
        if (rows.empty()) return DS->IsEmpty();
        const TModelRow& current = rows[std::size_t(Model.Cursor)];
        if (DS->FieldByName(L"ID")->AsInteger() != current.Id || DS->RecNo() != Model.Cursor + 1)
            return false;
        const TBookmark here = DS->GetBookmark();
        std::size_t i = 0;
        bool same = true;
        for (DS->First(); !DS->Eof() && same; DS->Next(), ++i)
            same = i < rows.size() && DS->FieldByName(L"ID")->AsInteger() == rows[i].Id &&
                   DS->FieldByName(L"V")->AsInteger() == rows[i].V;
        DS->GotoBookmark(here);
        return same && i == rows.size();
    }

    TColumnsDataSet* DS;
    TModel& Model;
    std::mt19937 Random;
    int LastId = 0;
    bool Diverged = false;
};

TEST_F(MemDataSetLocate, AgreesWithAModel) {
    for (unsigned seed : {1u, 2u, 3u}) {
        DS->Close();
        OpenRows({});
        TModel model;
        EXPECT_TRUE(TRandomRun(DS, model, seed).Run(600)) << "seed " << seed;
    }
    // The same run against a model that inserts in the wrong place must be caught.
    DS->Close();
    OpenRows({});
    TModel broken;
    broken.InsertAfter = true;
    EXPECT_FALSE(TRandomRun(DS, broken, 1).Run(600));
}

} // namespace
