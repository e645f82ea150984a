// The way the client uses the tree: a flat four-column list whose user data is one line
// record with texts, filled through GetNodeData after AddChild(nil, nil), walked with
// GetFirst/GetNext and sorted with SortTree(column, ascending, True) by a comparator that never
// answers 0. The records' texts are released for every freed node.
#include "TreeFixture.h"

#include <new>

using namespace vtree_test;

namespace {

struct TLineRecord {
    static inline int Alive = 0;
    UnicodeString Name, Address, Area;
    Integer Delay = 0;
    Integer Load = 0;
    Integer Port = 0;
    bool Favourite = false;
    Int64 Stamp = 0;
    TLineRecord() { ++Alive; }
    ~TLineRecord() { --Alive; }
};

class TLineList {
public:
    TTreePtr<TVirtualStringTree> Tree = MakeTree();
    TRecorder Recorder;
    int Comparisons = 0;

    TLineList() {
        Tree->SetNodeDataSize(sizeof(TLineRecord));
        for (const wchar_t* caption : {L"Line", L"Delay", L"Load", L"Area"})
            Tree->Header()->Columns()->Add()->SetText(caption);
        Tree->OnGetText = TVSTGetTextEvent(this, &TLineList::GetText);
        Tree->OnCompareNodes = TVTCompareEvent(this, &TLineList::Compare);
        Tree->OnFinalizeNode = TVTFreeNodeEvent(this, &TLineList::Finalize);
    }
    ~TLineList() {
        Tree->Clear();
        Tree->OnGetText = {};
        Tree->OnCompareNodes = {};
        Tree->OnFinalizeNode = {};
    }
    TLineRecord* Add(const wchar_t* Name, Integer Delay) {
        PVirtualNode node = Tree->AddChild(nullptr, nullptr);
        auto* line = new (Tree->GetNodeData(node)) TLineRecord;
        line->Name = Name;
        line->Delay = Delay;
        return line;
    }
    TLineRecord* Line(PVirtualNode Node) { return Tree->GetNodeData<TLineRecord>(Node); }

    void GetText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex Column, TVSTTextType,
                 UnicodeString& Text) {
        const TLineRecord* line = Line(Node);
        Text = Column == 1 ? std::to_wstring(line->Delay) : line->Name;
    }
    // Like the client's: ties go to "after", never 0.
    void Compare(TBaseVirtualTree*, PVirtualNode A, PVirtualNode B, TColumnIndex Column,
                 Integer& Result) {
        ++Comparisons;
        const bool before =
            Column == 1 ? Line(A)->Delay < Line(B)->Delay : Line(A)->Name < Line(B)->Name;
        Result = before ? -1 : 1;
    }
    // The record lives in zero-filled memory: a record never placed there is all zeros, which
    // this test never leaves behind.
    void Finalize(TBaseVirtualTree*, PVirtualNode Node) { Line(Node)->~TLineRecord(); }

    std::string Names() {
        std::wstring names;
        for (PVirtualNode run = Tree->GetFirst(); run; run = Tree->GetNext(run))
            names += (names.empty() ? L"" : L",") + Line(run)->Name;
        return Narrow(names);
    }
};

} // namespace

TEST(ClientProfile, FlatListSortedByColumnAndReleasedOnClear) {
    TLineRecord::Alive = 0;
    {
        TLineList list;
        list.Tree->Clear();
        list.Add(L"north", 80);
        list.Add(L"east", 20);
        list.Add(L"south", 80);
        list.Add(L"west", 40);
        EXPECT_EQ(list.Tree->TotalCount(), 4u);
        EXPECT_EQ(list.Tree->VisibleCount(), 4u);
        EXPECT_EQ(list.Names(), "north,east,south,west");

        list.Tree->Header()->SetSortColumn(1);
        list.Tree->SortTree(list.Tree->Header()->SortColumn(), sdAscending, true);
        EXPECT_EQ(list.Names(), "east,west,south,north");
        EXPECT_GT(list.Comparisons, 0);
        list.Tree->SortTree(0, sdAscending, true);
        EXPECT_EQ(list.Names(), "east,north,south,west");
        EXPECT_EQ(Narrow(list.Tree->CellText(list.Tree->GetFirst(), 1)), "20");
        EXPECT_EQ(list.Tree->FocusedNode(), nullptr);

        list.Tree->DeleteNode(list.Tree->GetFirst());
        EXPECT_EQ(TLineRecord::Alive, 3);
        list.Tree->Clear();
        EXPECT_EQ(TLineRecord::Alive, 0);
        list.Add(L"again", 1);
        EXPECT_EQ(TLineRecord::Alive, 1);
    }
    EXPECT_EQ(TLineRecord::Alive, 0);
}

TEST(ClientProfile, RecordsOfNodesNeverInitialisedAreReleasedToo) {
    TLineRecord::Alive = 0;
    {
        TLineList list;
        for (int i = 0; i < 50; ++i) list.Add(L"line", i);
        // Nothing walked, painted or sorted: no node was ever initialised.
        EXPECT_EQ(list.Tree->GetFirstInitialized(), nullptr);
        EXPECT_EQ(TLineRecord::Alive, 50);
    }
    EXPECT_EQ(TLineRecord::Alive, 0);
}
