// Columns: positions and left edges, width limits (plain and fixed-area), the auto-size
// column, lookups by point, and what deleting a column does to the header's references.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {

class ColumnsTest : public ::testing::Test {
protected:
    TTreePtr<TVirtualStringTree> tree = MakeTree();
    TVTHeader* header = tree->Header();
    TVirtualTreeColumns* columns = header->Columns();

    void SetUp() override {
        TVTViewport view;
        view.ClientWidth = 400;
        view.ClientHeight = 300;
        view.HasWindow = true;
        tree->SetViewport(view);
        for (Integer width : {150, 80, 70, 55}) columns->Add()->SetWidth(width);
    }
    std::vector<Integer> Lefts() {
        std::vector<Integer> lefts;
        for (TColumnIndex i = 0; i < columns->Count(); ++i)
            lefts.push_back(columns->Items(i)->Left());
        return lefts;
    }
    void SetOption(TColumnIndex Column, TVTColumnOption Option, bool On) {
        TVTColumnOptions options = columns->Items(Column)->Options();
        if (On)
            options.Include(Option);
        else
            options.Exclude(Option);
        columns->Items(Column)->SetOptions(options);
    }
};

} // namespace

TEST_F(ColumnsTest, NewColumnsGoToTheRightEnd) {
    TVirtualTreeColumn* column = columns->Add();
    EXPECT_EQ(column->Position(), 4u);
    EXPECT_EQ(column->Width(), 50);
    EXPECT_EQ(column->Options(), DefaultColumnOptions);
    EXPECT_EQ(Lefts(), (std::vector<Integer>{0, 150, 230, 300, 355}));
    EXPECT_EQ(columns->TotalWidth(), 405);
    EXPECT_EQ(header->MainColumn(), 0);
}

TEST_F(ColumnsTest, WidthLimits) {
    TVirtualTreeColumn* column = columns->Items(1);
    column->SetWidth(3);
    EXPECT_EQ(column->Width(), 10);
    column->SetMinWidth(120);
    EXPECT_EQ(column->Width(), 120);
    column->SetMaxWidth(100); // raised to the minimum
    EXPECT_EQ(column->MaxWidth(), 120);
    column->SetMinWidth(-5);
    EXPECT_EQ(column->MinWidth(), 0);
    EXPECT_EQ(Lefts()[2], 270);
}

TEST_F(ColumnsTest, HidingAColumnKeepsItsPositionButNotItsWidth) {
    SetOption(1, coVisible, false);
    EXPECT_EQ(columns->Items(1)->Position(), 1u);
    EXPECT_EQ(Lefts(), (std::vector<Integer>{0, 150, 150, 220}));
    EXPECT_EQ(columns->TotalWidth(), 275);
    EXPECT_EQ(columns->GetNextVisibleColumn(0), 2);
    EXPECT_EQ(columns->GetPreviousVisibleColumn(2), 0);
    EXPECT_EQ(columns->GetVisibleColumns().size(), 3u);
}

TEST_F(ColumnsTest, MovingAColumnRenumbersPositionsAndLefts) {
    columns->Items(3)->SetPosition(0);
    EXPECT_EQ(columns->PositionToIndex(), (TIndexArray{3, 0, 1, 2}));
    EXPECT_EQ(Lefts(), (std::vector<Integer>{55, 205, 285, 0}));
    EXPECT_EQ(columns->ColumnFromPosition(TColumnPosition{0}), 3);
    EXPECT_EQ(columns->ColumnFromPosition(TColumnPosition{9}), -1);
    columns->Items(3)->SetPosition(99);
    EXPECT_EQ(columns->Items(3)->Position(), 3u);
}

TEST_F(ColumnsTest, MovedColumnsTakeTheirNeighboursFixedState) {
    SetOption(0, coFixed, true);
    columns->Items(2)->SetPosition(0);
    EXPECT_TRUE(columns->Items(2)->Options().Contains(coFixed));
    columns->Items(2)->SetPosition(3);
    EXPECT_FALSE(columns->Items(2)->Options().Contains(coFixed));
}

TEST_F(ColumnsTest, ColumnsFromPoints) {
    TVTViewport view = tree->Viewport();
    view.EffectiveOffsetX = 100;
    tree->SetViewport(view);
    struct Case {
        TPoint Point;
        bool Relative;
        TColumnIndex Column;
    };
    const Case cases[] = {
        {{0, 0}, false, 0},    {{149, 5}, false, 0},  {{150, 5}, false, 1},
        {{354, 5}, false, 3},  {{355, 5}, false, -2}, {{-1, 5}, false, -2},
        {{10, -1}, false, -2}, {{60, 5}, true, 1},    {{254, 5}, true, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(columns->ColumnFromPosition(c.Point, c.Relative), c.Column)
            << c.Point.x << "," << c.Point.y << " relative " << c.Relative;
    Integer left = 0, right = 0;
    EXPECT_EQ(columns->ColumnAndBoundsAt({160, 0}, left, right, false), 1);
    EXPECT_EQ(left, 150);
    EXPECT_EQ(right, 230);
}

TEST_F(ColumnsTest, AutoSizeColumnTakesTheRest) {
    header->SetAutoSizeIndex(1);
    header->SetOptions(header->Options() + TVTHeaderOptions{hoAutoResize});
    EXPECT_EQ(columns->Items(1)->Width(), 400 - 150 - 70 - 55);
    columns->Items(1)->SetWidth(30);
    EXPECT_EQ(columns->Items(1)->Width(), 125);
    columns->Items(0)->SetWidth(390);
    EXPECT_EQ(columns->Items(1)->Width(), columns->Items(1)->MinWidth());
}

TEST_F(ColumnsTest, FixedAreaLimitsFollowTheClientWidth) {
    SetOption(0, coFixed, true);
    header->FixedAreaConstraints()->SetMaxWidthPercent(25);
    // 25 % of 400: the fixed area may not grow beyond 100.
    columns->Items(0)->SetWidth(300);
    EXPECT_EQ(columns->Items(0)->Width(), 100);
    header->FixedAreaConstraints()->SetMinWidthPercent(40);
    EXPECT_EQ(header->FixedAreaConstraints()->MaxWidthPercent(), 40);
    columns->Items(0)->SetWidth(20);
    EXPECT_EQ(columns->Items(0)->Width(), 160);
}

TEST_F(ColumnsTest, DeletingColumnsKeepsTheHeadersReferencesRight) {
    header->SetMainColumn(2);
    header->SetSortColumn(3);
    columns->Items(0)->Free();
    EXPECT_EQ(header->MainColumn(), 1);
    EXPECT_EQ(header->SortColumn(), 2);
    columns->Items(1)->Free(); // the main column
    EXPECT_EQ(header->MainColumn(), 0);
    EXPECT_EQ(columns->PositionToIndex(), (TIndexArray{0, 1}));
    EXPECT_EQ(Lefts(), (std::vector<Integer>{0, 80}));
}

TEST_F(ColumnsTest, DisplayNames) {
    columns->Items(2)->SetText(L"\u4E2D\u6587");
    EXPECT_EQ(Narrow(columns->Items(2)->DisplayName()), "Column 2");
    columns->Items(1)->SetText(L"Ping");
    EXPECT_EQ(Narrow(columns->Items(1)->DisplayName()), "Ping");
}

TEST_F(ColumnsTest, ScrollWidthIsTheMeanOfScrollingColumns) {
    EXPECT_EQ(columns->GetScrollWidth(), 89); // (150+80+70+55)/4 = 88.75
    SetOption(0, coFixed, true);
    EXPECT_EQ(columns->GetScrollWidth(), 68); // 205/3 = 68.33
}

TEST_F(ColumnsTest, AssignCopiesColumnsAndPositions) {
    columns->Items(3)->SetPosition(0);
    columns->Items(1)->SetText(L"Delay");
    auto other = MakeTree();
    other->Header()->Columns()->Assign(columns);
    EXPECT_TRUE(other->Header()->Columns()->Equals(columns));
    EXPECT_EQ(Narrow(other->Header()->Columns()->Items(1)->Text()), "Delay");
    other->Header()->Columns()->Items(0)->SetWidth(151);
    EXPECT_FALSE(other->Header()->Columns()->Equals(columns));
}
