// The header's model: sort column and direction, main column, heights, ResizeColumns,
// restoring widths, spring columns and Assign.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {

class HeaderTest : public ::testing::Test {
protected:
    TTreePtr<TVirtualStringTree> tree = MakeTree();
    TVTHeader* header = tree->Header();
    TVirtualTreeColumns* columns = header->Columns();

    void SetUp() override {
        SetClientWidth(400);
        for (Integer width : {100, 100, 100, 100}) columns->Add()->SetWidth(width);
    }
    void SetClientWidth(int Width) {
        TVTViewport view = tree->Viewport();
        view.ClientWidth = Width;
        view.ClientHeight = 200;
        view.HasWindow = true;
        tree->SetViewport(view);
    }
    std::vector<Integer> Widths() {
        std::vector<Integer> widths;
        for (TColumnIndex i = 0; i < columns->Count(); ++i)
            widths.push_back(columns->Items(i)->Width());
        return widths;
    }
};

} // namespace

TEST_F(HeaderTest, SortColumnIsLimited) {
    struct Case {
        TColumnIndex Value, Stored;
    };
    for (const Case c : {Case{7, 3}, Case{-5, -1}, Case{2, 2}, Case{-1, -1}}) {
        header->SetSortColumn(c.Value);
        EXPECT_EQ(header->SortColumn(), c.Stored) << c.Value;
    }
}

TEST_F(HeaderTest, SortingFollowsOnlyWithAutoSortOutsideUpdates) {
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"B,A");
    r.Compare = [&](PVirtualNode a, PVirtualNode b) { return r.Name(a) < r.Name(b) ? -1 : 1; };
    header->SetSortColumn(1);
    EXPECT_EQ(tree->GetFirstNoInit(), r.Find(L"B"));
    auto* options = tree->TreeOptions();
    options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{toAutoSort});
    tree->BeginUpdate();
    header->SetSortColumn(2);
    EXPECT_EQ(tree->GetFirstNoInit(), r.Find(L"B"));
    tree->EndUpdate(); // the final EndUpdate sorts
    EXPECT_EQ(tree->GetFirstNoInit(), r.Find(L"A"));
    header->SetSortDirection(sdDescending);
    EXPECT_EQ(tree->GetFirstNoInit(), r.Find(L"B"));
}

TEST_F(HeaderTest, MainColumnIsLimitedAndDropsCachedWidths) {
    header->SetMainColumn(9);
    EXPECT_EQ(header->MainColumn(), 3);
    header->SetMainColumn(-4);
    EXPECT_EQ(header->MainColumn(), 0);
    EXPECT_EQ(tree->FocusedColumn(), 0);
    columns->Clear();
    EXPECT_EQ(header->MainColumn(), -1);
    EXPECT_EQ(header->SortColumn(), -1);
}

TEST_F(HeaderTest, HeightLimits) {
    header->SetHeight(5);
    EXPECT_EQ(header->Height(), 10);
    header->SetMaxHeight(40);
    header->SetHeight(90);
    EXPECT_EQ(header->Height(), 40);
    // The limit is a share of client height plus the current header height.
    header->FixedAreaConstraints()->SetMaxHeightPercent(10);
    EXPECT_EQ(header->Height(), 24); // 10 % of 200 + 40
    header->SetHeight(40);
    EXPECT_EQ(header->Height(), 22); // 10 % of 200 + 24
    header->SetDefaultHeight(30);
    EXPECT_EQ(header->DefaultHeight(), 30);
}

TEST_F(HeaderTest, HeightWithoutAWindowIsStoredForLater) {
    TVTViewport view;
    tree->SetViewport(view);
    header->SetHeight(3);
    EXPECT_EQ(header->Height(), 3);
    EXPECT_TRUE(header->States().Contains(hsNeedScaling));
}

TEST_F(HeaderTest, ResizeColumnsSpreadsTheChangeAndItsRemainder) {
    EXPECT_EQ(header->ResizeColumns(10, 0, 3), 10);
    EXPECT_EQ(Widths(), (std::vector<Integer>{103, 103, 102, 102}));
    EXPECT_EQ(header->ResizeColumns(-10, 0, 3), -10);
    Integer total = 0;
    for (Integer w : Widths()) total += w;
    EXPECT_EQ(total, 400);
    columns->Items(0)->SetMaxWidth(101);
    EXPECT_EQ(header->ResizeColumns(8, 0, 1), 8);
    EXPECT_EQ(columns->Items(0)->Width(), 101);
    EXPECT_EQ(header->ResizeColumns(0, 0, 3), 0);
}

TEST_F(HeaderTest, ResizeColumnsStopsAtTheLimits) {
    for (TColumnIndex i = 0; i < 4; ++i) columns->Items(i)->SetMaxWidth(110);
    EXPECT_EQ(header->ResizeColumns(100, 0, 3), 40);
    EXPECT_EQ(Widths(), (std::vector<Integer>{110, 110, 110, 110}));
}

TEST_F(HeaderTest, RestoreColumnsReturnsTheLastWidths) {
    columns->Items(1)->SetWidth(150);
    columns->Items(2)->SetWidth(60);
    header->RestoreColumns();
    // Columns 0 and 3 were last changed from their creation width.
    EXPECT_EQ(Widths(), (std::vector<Integer>{50, 100, 100, 50}));
}

TEST_F(HeaderTest, SpringColumnsShareAGrowthAndCarryTheRest) {
    header->SetOptions(header->Options() + TVTHeaderOptions{hoAutoSpring});
    for (TColumnIndex i : {1, 3}) {
        TVirtualTreeColumn* column = columns->Items(i);
        column->SetOptions(column->Options() + TVTColumnOptions{coAutoSpring});
    }
    header->AdjustSpringColumns(); // remembers the width
    SetClientWidth(407);
    header->AdjustSpringColumns();
    EXPECT_EQ(Widths(), (std::vector<Integer>{100, 103, 100, 103}));
    SetClientWidth(400);
    header->AdjustSpringColumns();
    EXPECT_EQ(Widths(), (std::vector<Integer>{100, 99, 100, 99}));
}

TEST_F(HeaderTest, AssignCopiesTheModel) {
    header->SetSortColumn(2);
    header->SetSortDirection(sdDescending);
    header->SetMainColumn(1);
    header->SetOptions({hoVisible, hoDrag});
    auto other = MakeTree();
    other->SetHeader(header);
    EXPECT_EQ(other->Header()->Columns()->Count(), 4);
    EXPECT_EQ(other->Header()->SortColumn(), 2);
    EXPECT_EQ(other->Header()->SortDirection(), sdDescending);
    EXPECT_EQ(other->Header()->MainColumn(), 1);
    EXPECT_EQ(other->Header()->Options(), (TVTHeaderOptions{hoVisible, hoDrag}));
}
