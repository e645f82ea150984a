#include "WindowFixture.h"

#include <ole2.h>

namespace {

using namespace vtree_test;

using VTWindow = TWindowFixture;

TEST_F(VTWindow, AnswersTheDenySubclassingQueryWith1) {
    EXPECT_EQ(Window->Perform(CM_DENYSUBCLASSING, 0, 0), 1);
}

TEST_F(VTWindow, DropTargetRefusesEveryDrag) {
    ASSERT_TRUE(Tree().TreeOptions()->MiscOptions().Contains(toAcceptOLEDrop));
    IDropTarget* target = Window->DropTarget();
    ASSERT_NE(target, nullptr);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(nullptr, MK_LBUTTON, {5, 5}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    target->DragOver(MK_LBUTTON, {6, 6}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(RegisterDragDrop(Window->Handle(), target), DRAGDROP_E_ALREADYREGISTERED)
        << "the window is registered";

    Tree().TreeOptions()->SetMiscOptions(Tree().TreeOptions()->MiscOptions() -
                                         TVTMiscOptions{toAcceptOLEDrop});
    Window->RecreateWnd();
    Window->HandleNeeded();
    EXPECT_EQ(Window->DropTarget(), nullptr);
}

TEST_F(VTWindow, SwitchingAcceptDropOnALiveWindowRegistersAndRevokes) {
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    ASSERT_NE(Window->DropTarget(), nullptr);
    options->SetMiscOptions(options->MiscOptions() - TVTMiscOptions{toAcceptOLEDrop});
    EXPECT_EQ(Window->DropTarget(), nullptr);
    TComPtr<IDropTarget> probe;
    Supports(Window->DragManager(), probe);
    ASSERT_TRUE(probe);
    EXPECT_EQ(RegisterDragDrop(Window->Handle(), probe.Get()), S_OK) << "the window was revoked";
    EXPECT_EQ(RevokeDragDrop(Window->Handle()), S_OK);

    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toAcceptOLEDrop});
    EXPECT_NE(Window->DropTarget(), nullptr);
    EXPECT_EQ(RegisterDragDrop(Window->Handle(), probe.Get()), DRAGDROP_E_ALREADYREGISTERED)
        << "the window is registered again without being re-created";
}

TEST_F(VTWindow, HeaderLivesAboveTheClientArea) {
    RECT window;
    GetWindowRect(Window->Handle(), &window);
    const int framed = Window->ClientHeight();
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoVisible});
    Header().SetHeight(22);
    EXPECT_EQ(Window->ClientHeight(), framed - 22);
    EXPECT_EQ(Window->HeaderRect().Height(), 22);
    EXPECT_EQ(Tree().Viewport().ClientHeight, framed - 22) << "the model sees the new client size";
    const TRect header = Window->HeaderRect();
    const LPARAM inside = MAKELPARAM(window.left + header.left + 5, window.top + header.top + 5);
    EXPECT_EQ(Window->Perform(WM_NCHITTEST, 0, inside), HTBORDER);
    Header().SetOptions(Header().Options() - TVTHeaderOptions{hoVisible});
    EXPECT_EQ(Window->ClientHeight(), framed);
}

TEST_F(VTWindow, SetFontRenewsMetricsAndTextWidths) {
    AddRows(1);
    PVirtualNode node = Tree().GetFirst();
    const int smallHeight = Window->TextHeight();
    const Integer smallWidth = Window->StringTree()->GetNodeTextWidth(node, NoColumn);
    Window->Font()->SetSize(20);
    EXPECT_GT(Window->TextHeight(), smallHeight);
    EXPECT_GT(Window->EllipsisWidth(), 0);
    EXPECT_GT(Window->StringTree()->GetNodeTextWidth(node, NoColumn), smallWidth)
        << "the cached width was measured again in the new font";
}

// ---- scrolling -------------------------------------------------------------------------------

using VTScroll = TWindowFixture;

SCROLLINFO VerticalBar(HWND Window) {
    SCROLLINFO info{sizeof(info)};
    info.fMask = SIF_ALL;
    GetScrollInfo(Window, SB_VERT, &info);
    return info;
}

TEST_F(VTScroll, RangesFollowAddingExpandingAndResizing) {
    AddRows(100);
    EXPECT_EQ(Window->RangeY(), 1800);
    SCROLLINFO bar = VerticalBar(Window->Handle());
    EXPECT_EQ(bar.nMax, 1800);
    EXPECT_EQ(bar.nPage, static_cast<UINT>(Window->ClientHeight() + 1));

    PVirtualNode first = Tree().GetFirst();
    Recorder.Build(Tree(), L"X,Y", first);
    Tree().SetExpanded(first, true);
    EXPECT_EQ(Window->RangeY(), 1836);
    EXPECT_EQ(VerticalBar(Window->Handle()).nMax, 1836);

    Window->SetHeight(Window->Height() - 50);
    EXPECT_EQ(VerticalBar(Window->Handle()).nPage, static_cast<UINT>(Window->ClientHeight() + 1));
    EXPECT_EQ(Tree().Viewport().ClientHeight, Window->ClientHeight());
}

TEST_F(VTScroll, OffsetsStayWithinTheContent) {
    AddRows(100);
    Window->SetOffsetY(-100000);
    EXPECT_EQ(Window->OffsetY(), Window->ClientHeight() - 1800);
    EXPECT_EQ(-Window->OffsetY(), VerticalBar(Window->Handle()).nPos) << "the bar follows";
    Window->SetOffsetY(50);
    EXPECT_EQ(Window->OffsetY(), 0);
    Tree().Clear();
    AddRows(2);
    Window->SetOffsetY(-10);
    EXPECT_EQ(Window->OffsetY(), 0) << "short content never scrolls";
}

TEST_F(VTScroll, ScrollIntoViewExpandsAncestorsAndShowsTheRow) {
    AddRows(40);
    Recorder.Build(Tree(), L"P(Q(Target))");
    PVirtualNode p = Recorder.Find(L"P"), q = Recorder.Find(L"Q"),
                 target = Recorder.Find(L"Target");
    Tree().SetExpanded(p, false);
    Tree().SetExpanded(q, false);
    EXPECT_TRUE(Window->ScrollIntoView(target, false));
    EXPECT_TRUE(Tree().Expanded(p));
    EXPECT_TRUE(Tree().Expanded(q));
    TRect row = Window->GetDisplayRect(target, NoColumn, false);
    EXPECT_GE(row.top, 0);
    EXPECT_EQ(row.bottom, Window->ClientHeight()) << "scrolled just far enough";

    Window->SetOffsetY(0);
    EXPECT_TRUE(Window->ScrollIntoView(Recorder.Find(L"Row30"), true));
    row = Window->GetDisplayRect(Recorder.Find(L"Row30"), NoColumn, false);
    EXPECT_EQ(row.bottom, Window->ClientHeight() / 2);
}

TEST_F(VTScroll, WheelScrollsLinesOfDefaultHeight) {
    AddRows(100);
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    Window->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(Window->OffsetY(), -static_cast<int>(lines) * 18);
    Window->Perform(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(Window->OffsetY(), -static_cast<int>(lines) * 18 - Window->ClientHeight());
}

TEST_F(VTScroll, TopAndBottomNodeSettersScrollTheRowToTheEdge) {
    AddRows(100);
    Window->SetTopNode(Recorder.Find(L"Row10"));
    EXPECT_EQ(Window->OffsetY(), -180);
    EXPECT_EQ(Window->TopNode(), Recorder.Find(L"Row10"));
    Window->SetBottomNode(Recorder.Find(L"Row60"));
    EXPECT_EQ(Window->GetDisplayRect(Recorder.Find(L"Row60"), NoColumn, false).bottom,
              Window->ClientHeight());
    EXPECT_EQ(Window->BottomNode(), Recorder.Find(L"Row60"));
}

TEST_F(VTScroll, ColumnsScrollIntoViewHorizontally) {
    for (int i = 0; i < 4; ++i) Header().Columns()->Add()->SetWidth(200);
    Window->UpdateScrollBars(true);
    EXPECT_EQ(Window->RangeX(), 800);
    EXPECT_TRUE(Window->ScrollIntoView(3, false));
    EXPECT_EQ(Window->EffectiveOffsetX(), 800 - Window->ClientWidth());
    EXPECT_EQ(Header().Columns()->Items(3)->Left() + 200, Window->ClientWidth());
    EXPECT_FALSE(Window->ScrollIntoView(7, false));
}

// ---- geometry --------------------------------------------------------------------------------

using VTGeometry = TWindowFixture;

TEST_F(VTGeometry, DisplayRectsOfNodesAndColumns) {
    Recorder.Build(Tree(), L"A(A1,A2),B(B1)");
    Tree().SetExpanded(Recorder.Find(L"B"), false);
    const int width = std::max(Window->ClientWidth(), Window->RangeX());
    EXPECT_EQ(Window->GetDisplayRect(Recorder.Find(L"A2"), NoColumn, false),
              (TRect{0, 36, width, 54}));
    EXPECT_EQ(Window->GetDisplayRect(Recorder.Find(L"B1"), NoColumn, false), TRect{})
        << "inside a collapsed parent";
    const TRect text = Window->GetDisplayRect(Recorder.Find(L"A2"), NoColumn, true);
    EXPECT_EQ(text.left, 4 + 18 + 18) << "Margin, the indent of the level and of the root";
    EXPECT_EQ(text.Width(), Window->StringTree()->GetNodeTextWidth(Recorder.Find(L"A2"), NoColumn));

    for (int w : {150, 80}) Header().Columns()->Add()->SetWidth(w);
    const TRect cell = Window->GetDisplayRect(Recorder.Find(L"A1"), 1, false);
    EXPECT_EQ(cell, (TRect{150, 18, 229, 36}));
    Window->SetOffsetY(0);
    EXPECT_THROW(Window->GetDisplayRect(nullptr, NoColumn, false), EAssertionFailed);
}

TEST_F(VTGeometry, MaxColumnWidthCoversTheWidestCell) {
    Recorder.Build(Tree(), L"Short,A much longer caption(Child)");
    for (int w : {60, 60}) Header().Columns()->Add()->SetWidth(w);
    Header().SetMainColumn(0);
    const Integer widest = Window->GetMaxColumnWidth(0);
    PVirtualNode child = Recorder.Find(L"Child");
    const Integer childExtent = 4 + 2 * 18 + Window->StringTree()->GetNodeTextWidth(child, 0);
    const Integer longExtent =
        4 + 18 + Window->StringTree()->GetNodeTextWidth(Recorder.Find(L"A much longer caption"), 0);
    EXPECT_EQ(widest, std::max(childExtent, longExtent));
    Window->AutoFitColumns(false);
    EXPECT_EQ(Header().Columns()->Items(0)->Width(), widest);
}

} // namespace
