#include "InputFixture.h"

#include "vtree/VTResources.h"

namespace {

using namespace vtree_test;

struct TTrackLog {
    bool Allow = true;
    std::vector<PVirtualNode> Tracked;
    std::vector<PVirtualNode> Restored;
    void OnTracking(TVirtualTreeWindow*, PVirtualNode Node, TColumnIndex, TShiftState, TPoint&,
                    TPoint, bool& Allowed) {
        Tracked.push_back(Node);
        Allowed = Allow;
    }
    void OnDblClickResize(TVirtualTreeWindow*, PVirtualNode Node, TColumnIndex, TShiftState, TPoint,
                          bool& Allowed) {
        Restored.push_back(Node);
        Allowed = Allow;
    }
};

// Rows of 20 pixels under the client's columns; column 0 (0..150) is fixed, so a row's edges
// there are height splitters: the lower one 3 pixels above the edge, the upper one 2 below it.
class VTNodeHeight : public TInputFixture {
protected:
    TTrackLog Log;
    VTNodeHeight() {
        ApplyClientProfile();
        AddRows(5);
        TVirtualTreeColumn* fixed = Header().Columns()->Items(0);
        fixed->SetOptions(fixed->Options() + TVTColumnOptions{coFixed});
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        options->SetMiscOptions(options->MiscOptions() +
                                TVTMiscOptions{toNodeHeightResize, toNodeHeightDblClickResize});
        Window->OnNodeHeightTracking = TVTNodeHeightTrackingEvent(&Log, &TTrackLog::OnTracking);
        Window->OnNodeHeightDblClickResize =
            TVTNodeHeightDblClickResizeEvent(&Log, &TTrackLog::OnDblClickResize);
    }
    bool Has(TVirtualTreeState State) { return Tree().TreeStates().Contains(State); }
    void Press(int X, int Y) { Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y)); }
    void MoveTo(int X, int Y) { Window->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(X, Y)); }
    void Release(int X, int Y) { Window->Perform(WM_LBUTTONUP, 0, MAKELPARAM(X, Y)); }
    Cardinal HeightOf(int RowIndex) { return Row(RowIndex)->NodeHeight; }
};

TEST_F(VTNodeHeight, DraggingASplitterInAFixedColumnSetsTheRowHeight) {
    Press(20, 38); // the lower splitter of Row1 (20..40)
    EXPECT_TRUE(Has(tsNodeHeightTrackPending));
    EXPECT_EQ(Tree().SelectedCount(), 0u) << "a splitter press selects nothing";
    MoveTo(20, 65);
    EXPECT_TRUE(Has(tsNodeHeightTracking));
    EXPECT_EQ(HeightOf(1), 45u) << "the distance from the row's top";
    EXPECT_EQ(Window->GetDisplayRect(Row(2), NoColumn, false).top, 65) << "the rows below follow";
    MoveTo(20, 5);
    EXPECT_EQ(HeightOf(1), 1u) << "at least one pixel";
    Release(20, 5);
    EXPECT_FALSE(Has(tsNodeHeightTracking));
    EXPECT_FALSE(Has(tsNodeHeightTrackPending));
    EXPECT_EQ(Log.Tracked, (std::vector<PVirtualNode>{Row(1), Row(1)}));
}

TEST_F(VTNodeHeight, TheUpperSplitterBelongsToTheRowAbove) {
    Press(20, 41); // the upper splitter of Row2: Row1's height
    MoveTo(20, 50);
    Release(20, 50);
    EXPECT_EQ(HeightOf(1), 30u);
    EXPECT_EQ(HeightOf(2), 20u);
    Press(20, 1); // above the first row there is nothing to size
    EXPECT_FALSE(Has(tsNodeHeightTrackPending));
    Release(20, 1);
}

TEST_F(VTNodeHeight, OnlyFixedColumnsTheOptionAndTheHandlerAllowIt) {
    Press(200, 38); // a scrolling column
    EXPECT_FALSE(Has(tsNodeHeightTrackPending));
    Release(200, 38);
    Log.Allow = false;
    Press(20, 38);
    MoveTo(20, 70);
    Release(20, 70);
    EXPECT_EQ(HeightOf(1), 20u) << "refused by OnNodeHeightTracking";
    Log.Allow = true;
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetMiscOptions(options->MiscOptions() - TVTMiscOptions{toNodeHeightResize});
    Press(20, 38);
    EXPECT_FALSE(Has(tsNodeHeightTrackPending)) << "without toNodeHeightResize";
    Release(20, 38);
}

TEST_F(VTNodeHeight, FocusLossEndsTracking) {
    Press(20, 38);
    MoveTo(20, 50);
    ASSERT_TRUE(Has(tsNodeHeightTracking));
    Window->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(Has(tsNodeHeightTracking));
    MoveTo(20, 90);
    EXPECT_EQ(HeightOf(1), 30u) << "later moves change nothing";
}

TEST_F(VTNodeHeight, DoubleClickOnASplitterRestoresTheDefaultHeight) {
    Tree().SetNodeHeight(Row(1), 50);
    Window->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 68));
    Release(20, 68);
    EXPECT_EQ(HeightOf(1), 20u);
    EXPECT_EQ(Log.Restored, std::vector<PVirtualNode>{Row(1)});
    Tree().SetNodeHeight(Row(1), 50);
    Log.Allow = false;
    Window->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 68));
    Release(20, 68);
    EXPECT_EQ(HeightOf(1), 50u) << "refused by OnNodeHeightDblClickResize";
}

// ---- cursors --------------------------------------------------------------------------------

struct TCursorLog {
    std::vector<TCursor> Asked;
    TCursor Replace = crDefault;
    void OnGetCursor(TVirtualTreeWindow*, TCursor& Cursor) {
        Asked.push_back(Cursor);
        if (Replace != crDefault) Cursor = Replace;
    }
};

class VTCursor : public VTNodeHeight {
protected:
    TCursorLog Cursors;
    VTCursor() { Window->OnGetCursor = TVTGetCursorEvent(&Cursors, &TCursorLog::OnGetCursor); }
    // The cursor the tree sets with the mouse pointer at a client point.
    HCURSOR CursorAt(int X, int Y) {
        const TPoint screen = Window->ClientToScreen({X, Y});
        SetCursorPos(screen.x, screen.y);
        Window->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(Window->Handle()),
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
};

TEST_F(VTCursor, SplittersHotNodesAndTheEventChooseTheCursor) {
    EXPECT_EQ(CursorAt(20, 38), vtree_resources::VertSplitCursor());
    EXPECT_EQ(Cursors.Asked.back(), TVirtualTreeWindow::crVertSplit);
    EXPECT_EQ(CursorAt(200, 38), LoadCursorW(nullptr, IDC_ARROW)) << "no splitter there";
    EXPECT_EQ(Cursors.Asked.back(), crDefault);

    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetPaintOptions(options->PaintOptions() + TVTPaintOptions{toHotTrack});
    Window->HotCursor = crHandPoint;
    Window->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(60, 50));
    ASSERT_EQ(Tree().HotNode(), Row(2));
    EXPECT_EQ(CursorAt(60, 50), CursorHandle(crHandPoint));

    Cursors.Replace = crIBeam;
    EXPECT_EQ(CursorAt(60, 50), CursorHandle(crIBeam)) << "OnGetCursor has the last word";
}

} // namespace
