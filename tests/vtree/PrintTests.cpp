// Printing: how the tree's picture falls onto pages, each page rendered on its own (header on
// top when printed), and a print job that cannot start leaves the tree as it was.
#include "WindowFixture.h"

namespace vtree_test {
namespace {

class TPrintFixture : public TWindowFixture {
protected:
    TPrintFixture() {
        for (int width : {100, 50}) Header().Columns()->Add()->SetWidth(width);
        Header().SetMainColumn(0);
        Header().SetOptions(Header().Options() + TVTHeaderOptions{hoVisible});
        Header().SetHeight(22);
        Tree().SetDefaultNodeHeight(20);
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        options->SetPaintOptions(options->PaintOptions() + TVTPaintOptions{toShowHorzGridLines});
        Window->Colors()->SetGridLineColor(clRed);
        AddRows(10);
    }
    // Red pixels in one line of a page.
    static int RedIn(TBitmap& Page, int Y) {
        return CountColor(Page, {0, Y, Page.Width(), Y + 1}, clRed);
    }
};

using Print = TPrintFixture;

TEST_F(Print, PagesCoverTheImageRowByRow) {
    ASSERT_EQ(Window->RangeX(), 150);
    const auto exact = Window->PrintLayout(150, 100, 1.0, true);
    EXPECT_EQ(exact.Columns, 1) << "exactly one page wide";
    EXPECT_EQ(exact.ImageHeight, 222);
    EXPECT_EQ(exact.Rows, 3);
    const auto wider = Window->PrintLayout(149, 100, 1.0, false);
    EXPECT_EQ(wider.Columns, 2) << "one pixel wider than a page";
    EXPECT_EQ(wider.Rows, 2);
    const auto scaled = Window->PrintLayout(600, 400, 4.0, false);
    EXPECT_EQ(scaled.PageWidthPx, 150);
    EXPECT_EQ(scaled.PageHeightPx, 100);
}

TEST_F(Print, RowsStartBelowAPrintedHeaderAndContinueOnTheNextPage) {
    TBitmap page;
    const auto withHeader = Window->PrintLayout(150, 100, 1.0, true);
    Window->RenderPrintPage(page, withHeader, 0, 0);
    EXPECT_GT(RedIn(page, 22 + 19), 0) << "the first row's grid line below the header";
    EXPECT_EQ(RedIn(page, 19), 0);
    const auto plain = Window->PrintLayout(150, 100, 1.0, false);
    Window->RenderPrintPage(page, plain, 0, 0);
    EXPECT_GT(RedIn(page, 19), 0) << "without a header the rows start at the top";
    Window->RenderPrintPage(page, plain, 0, 1);
    EXPECT_EQ(page.Height(), 100);
    EXPECT_GT(RedIn(page, 19), 0) << "row 5's grid line at the top of the second page";
    EXPECT_EQ(Window->Color(), clWindow) << "the tree's colour comes back after the page";
}

TEST_F(Print, AJobThatCannotStartLeavesTheTreeUntouched) {
    Window->Print(nullptr, L"nothing", true); // no printer: nothing happens
    TOwnedDC memory(CreateCompatibleDC(nullptr));
    EXPECT_THROW(Window->Print(memory.Get(), L"no printer", true), EOSError);
    EXPECT_EQ(Tree().UpdateCount(), 0u);
    EXPECT_EQ(Window->Font()->Quality(), fqDefault);
}

} // namespace
} // namespace vtree_test
