// The selection array and its rules, focus, and the change notification selection ends in.
#include "TreeFixture.h"

#include <algorithm>

using namespace vtree_test;

namespace {

class SelectionTest : public ::testing::Test {
protected:
    TTreePtr<TTestTree> tree = MakeTree<TTestTree>();
    TRecorder r;

    void SetUp() override {
        r.Attach(*tree);
        r.Build(*tree, L"A(A1,A2),B(B1,B2),C");
    }
    void Options(TVTSelectionOptions Value) { tree->TreeOptions()->SetSelectionOptions(Value); }
    std::string Selected() {
        std::wstring names;
        for (PVirtualNode run = tree->GetFirstSelected(); run; run = tree->GetNextSelected(run))
            names += (names.empty() ? L"" : L",") + r.Name(run);
        return Narrow(names);
    }
    void ExpectArrayValid() {
        const TNodeArray& array = tree->SelectionArray();
        EXPECT_EQ(array.size(), tree->SelectedCount());
        EXPECT_TRUE(std::is_sorted(array.begin(), array.end(), std::less<>()));
        EXPECT_EQ(std::adjacent_find(array.begin(), array.end()), array.end());
        for (PVirtualNode node : array) EXPECT_TRUE(node->States.Contains(vsSelected));
    }
};

} // namespace

TEST_F(SelectionTest, WithoutMultiSelectANewSelectionReplacesTheOld) {
    tree->SetSelected(r.Find(L"A1"), true);
    EXPECT_EQ(tree->RangeAnchor(), r.Find(L"A1"));
    tree->SetSelected(r.Find(L"B"), true);
    EXPECT_EQ(Selected(), "B");
    ExpectArrayValid();
}

TEST_F(SelectionTest, ArrayStaysSortedByAddressThroughBatches) {
    Options({toMultiSelect});
    tree->SelectAll(false);
    EXPECT_EQ(tree->SelectedCount(), 7u);
    ExpectArrayValid();
    tree->InvertSelection(false);
    EXPECT_EQ(tree->SelectedCount(), 0u);
    tree->SetSelected(r.Find(L"C"), true);
    tree->SetSelected(r.Find(L"A"), true);
    tree->SetSelected(r.Find(L"B2"), true);
    ExpectArrayValid();
    tree->InvertSelection(true);
    EXPECT_EQ(Selected(), "A1,A2,B,B1");
    ExpectArrayValid();
    tree->BeginUpdate();
    tree->DeleteNode(r.Find(L"A1"));
    tree->EndUpdate();
    EXPECT_EQ(Selected(), "A2,B,B1");
    ExpectArrayValid();
}

TEST_F(SelectionTest, LevelConstraintKeepsTheFirstLevel) {
    Options({toMultiSelect, toLevelSelectConstraint});
    tree->SetSelected(r.Find(L"A1"), true);
    tree->SetSelected(r.Find(L"C"), true);
    tree->SetSelected(r.Find(L"B2"), true);
    EXPECT_EQ(Selected(), "A1,B2");
}

TEST_F(SelectionTest, SiblingConstraintKeepsTheAnchorsSiblings) {
    Options({toMultiSelect, toSiblingSelectConstraint});
    tree->SetSelected(r.Find(L"B1"), true);
    tree->SetSelected(r.Find(L"A2"), true);
    tree->HandleClickSelection(nullptr, r.Find(L"B2"), false, true, false);
    EXPECT_EQ(Selected(), "B1,B2");
    EXPECT_EQ(tree->RangeAnchor(), r.Find(L"B1"));
}

TEST_F(SelectionTest, DisabledNodesAreNeverAdded) {
    Options({toMultiSelect});
    tree->SetIsDisabled(r.Find(L"B"), true);
    tree->SelectAll(false);
    EXPECT_FALSE(tree->Selected(r.Find(L"B")));
    EXPECT_EQ(tree->SelectedCount(), 6u);
}

TEST_F(SelectionTest, ShiftClickWithoutAnchorSelectsFromTheFirstNode) {
    Options({toMultiSelect});
    tree->HandleClickSelection(nullptr, r.Find(L"B1"), true, false, false);
    EXPECT_EQ(Selected(), "A,A1,A2,B,B1");
    tree->HandleClickSelection(nullptr, r.Find(L"C"), false, true, false);
    EXPECT_EQ(tree->RangeAnchor(), r.Find(L"C"));
    tree->HandleClickSelection(nullptr, r.Find(L"B2"), true, false, false);
    EXPECT_EQ(Selected(), "B2,C");
    ExpectArrayValid();
}

TEST_F(SelectionTest, RangesOfVisibleNodesOnly) {
    Options({toMultiSelect});
    tree->ToggleNode(r.Find(L"A"));
    tree->SelectNodes(r.Find(L"A"), r.Find(L"B1"), false);
    EXPECT_EQ(Selected(), "A,B,B1");
    tree->ToggleSelection(r.Find(L"B1"), r.Find(L"C"));
    ExpectArrayValid();
}

TEST_F(SelectionTest, InvertWithoutMultiSelectDoesNothing) {
    tree->SetSelected(r.Find(L"A"), true);
    tree->InvertSelection(false);
    EXPECT_EQ(Selected(), "A");
}

TEST_F(SelectionTest, LockedSelectionIgnoresEveryOperation) {
    Options({toMultiSelect});
    tree->SetSelected(r.Find(L"A"), true);
    tree->SetSelectionLocked(true);
    tree->SetSelected(r.Find(L"B"), true);
    tree->ClearSelection();
    tree->SelectAll(false);
    EXPECT_EQ(Selected(), "A");
    tree->DeleteNode(r.Find(L"A"));
    EXPECT_EQ(tree->SelectedCount(), 0u);
    tree->SetSelectionLocked(false);
}

TEST_F(SelectionTest, FocusEventsOnlyForRealChanges) {
    r.Log.clear();
    tree->SetFocusedNode(r.Find(L"B"));
    tree->SetFocusedNode(r.Find(L"B"));
    tree->SetFocusedColumn(tree->FocusedColumn());
    EXPECT_EQ(Narrow(r.Joined()), "focus B");
    EXPECT_EQ(tree->RangeAnchor(), r.Find(L"B"));
}

TEST_F(SelectionTest, ChangesBurstIntoOneNotificationWithADelay) {
    TManualTimers timers;
    tree->SetTimerService(&timers);
    tree->SetChangeDelay(50);
    Options({toMultiSelect});
    r.ChangeCount = 0;
    r.Log.clear();
    tree->SetSelected(r.Find(L"A"), true);
    tree->SetSelected(r.Find(L"C"), true);
    EXPECT_EQ(r.ChangeCount, 0);
    timers.Fire(*tree, ChangeTimer);
    EXPECT_EQ(Narrow(r.Joined()), "change C");
    tree->SetChangeDelay(0);
    tree->SetSelected(r.Find(L"B"), true);
    EXPECT_EQ(r.ChangeCount, 2);
    tree->SetTimerService(nullptr);
}

TEST_F(SelectionTest, ChangeInsideAnUpdateComesAtItsEnd) {
    r.ChangeCount = 0;
    tree->BeginUpdate();
    tree->SetSelected(r.Find(L"A"), true);
    EXPECT_EQ(r.ChangeCount, 0);
    tree->EndUpdate();
    EXPECT_EQ(r.ChangeCount, 1);
}
