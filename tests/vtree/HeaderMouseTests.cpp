#include "InputFixture.h"

#include "vtree/VTResources.h"

namespace {

using namespace vtree_test;

struct THeaderLog {
    std::vector<TVTHeaderHitInfo> Clicks, DblClicks;
    std::vector<std::wstring> Events;
    bool Allow = true;
    void OnBeforeHeight(TVTHeader*, TShiftState) { Events.push_back(L"before height"); }
    void OnHeight(TVTHeader*, TPoint&, TShiftState, bool& Allowed) { Allowed = Allow; }
    void OnAfterHeight(TVTHeader*) { Events.push_back(L"after height"); }
    void OnBeforeWidth(TVTHeader*, TColumnIndex C, TShiftState) {
        Events.push_back(L"before width " + std::to_wstring(C));
    }
    void OnWidth(TVTHeader*, TColumnIndex, TShiftState, TPoint&, TPoint, bool& Allowed) {
        Allowed = Allow;
    }
    void OnAfterWidth(TVTHeader*, TColumnIndex C) {
        Events.push_back(L"after width " + std::to_wstring(C));
    }
    std::vector<std::pair<TColumnIndex, TColumnPosition>> Dragged;
    void OnClick(TVTHeader*, const TVTHeaderHitInfo& Info) { Clicks.push_back(Info); }
    void OnDblClick(TVTHeader*, const TVTHeaderHitInfo& Info) { DblClicks.push_back(Info); }
    void OnDragged(TVTHeader*, TColumnIndex Column, TColumnPosition Old) {
        Dragged.emplace_back(Column, Old);
    }
};

// The header's rows lie above the client area: y = -11 is the middle of the 22-pixel header.
constexpr int HeaderY = -11;

class VTHeaderMouse : public TInputFixture {
protected:
    THeaderLog Log;
    VTHeaderMouse() {
        ApplyClientProfile(); // columns 150, 80, 70, 55
        AddRows(3);
        Window->OnHeaderClick = TVTHeaderClickEvent(&Log, &THeaderLog::OnClick);
        Window->OnHeaderDblClick = TVTHeaderClickEvent(&Log, &THeaderLog::OnDblClick);
        Window->OnHeaderDragged = TVTHeaderDraggedEvent(&Log, &THeaderLog::OnDragged);
    }
    LPARAM Screen(int X, int Y) {
        POINT p{X, Y};
        ::ClientToScreen(Window->Handle(), &p);
        return PointParam(p.x, p.y);
    }
    void Press(int X) { Window->Perform(WM_NCLBUTTONDOWN, HTBORDER, Screen(X, HeaderY)); }
    void MoveTo(int X) { Window->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointParam(X, HeaderY)); }
    void Release(int X) { Window->Perform(WM_LBUTTONUP, 0, PointParam(X, HeaderY)); }
    TVirtualTreeColumn* Column(int I) { return Header().Columns()->Items(I); }
    std::vector<TColumnPosition> Positions() {
        std::vector<TColumnPosition> result;
        for (int i = 0; i < Header().Columns()->Count(); ++i)
            result.push_back(Column(i)->Position());
        return result;
    }
};

TEST_F(VTHeaderMouse, ClickFiresOnHeaderClickWithTheColumn) {
    Press(190);
    Release(190);
    ASSERT_EQ(Log.Clicks.size(), 1u);
    EXPECT_EQ(Log.Clicks[0].Column, 1);
    EXPECT_EQ(Log.Clicks[0].HitPosition, TVTHeaderHitPositions{hhiOnColumn});
    EXPECT_EQ(Log.Clicks[0].Button, mbLeft);
    EXPECT_TRUE(Header().States().Empty());

    Press(190);
    Release(265);
    ASSERT_EQ(Log.Clicks.size(), 2u);
    EXPECT_EQ(Log.Clicks[1].Column, NoColumn) << "released over another column";
    EXPECT_EQ(Log.Clicks[1].HitPosition, TVTHeaderHitPositions{hhiNoWhere});
}

TEST_F(VTHeaderMouse, ClickOnAGlyphReportsTheIconAndCyclesACheckBox) {
    TOwned<TImageList> images(new TImageList(nullptr));
    TBitmap image(16, 16, pf24bit);
    images->AddMasked(&image, clFuchsia);
    Window->SetHeaderImages(images.get());
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoShowImages});
    Header().SetSortColumn(-1);
    Column(0)->SetImageIndex(0);
    Column(1)->SetCheckBox(true);
    Column(1)->SetCheckType(ctCheckBox);
    PrintHeader(); // lays the glyphs out
    ASSERT_TRUE(Column(0)->HasImage());
    ASSERT_TRUE(Column(1)->HasImage());
    const TRect header = Window->HeaderRect();
    auto glyphX = [&](int I) {
        const TRect r = Column(I)->ImageRect();
        EXPECT_LT(r.top - header.bottom, HeaderY);
        EXPECT_GT(r.bottom - header.bottom, HeaderY);
        return (r.left + r.right) / 2 - header.left;
    };
    struct Case {
        int Column, X;
        TVTHeaderHitPositions Hit;
        TCheckState After;
    };
    const int box = glyphX(1), icon = glyphX(0);
    for (const Case c : {Case{1, box, {hhiOnColumn, hhiOnIcon, hhiOnCheckbox}, csCheckedNormal},
                         Case{1, box, {hhiOnColumn, hhiOnIcon, hhiOnCheckbox}, csUncheckedNormal},
                         Case{1, box + 40, {hhiOnColumn}, csUncheckedNormal},
                         Case{0, icon, {hhiOnColumn, hhiOnIcon}, csUncheckedNormal}}) {
        Log.Clicks.clear();
        Press(c.X);
        Release(c.X);
        ASSERT_EQ(Log.Clicks.size(), 1u) << c.X;
        EXPECT_EQ(Log.Clicks[0].Column, c.Column) << c.X;
        EXPECT_EQ(Log.Clicks[0].HitPosition, c.Hit) << c.X;
        EXPECT_EQ(Column(1)->CheckState(), c.After) << c.X;
    }
}

TEST_F(VTHeaderMouse, HeaderClickDoesNotTouchTheRows) {
    Press(40);
    Release(40);
    EXPECT_EQ(Tree().SelectedCount(), 0u);
    EXPECT_EQ(Tree().FocusedNode(), nullptr);
}

TEST_F(VTHeaderMouse, DraggingABorderSetsTheWidth) {
    // Strictly E - 3 < x < E + 5 around the border at x = 150.
    struct TCase {
        int X;
        TColumnIndex Track;
    } const cases[] = {{147, NoColumn}, {148, 0}, {154, 0}, {155, NoColumn}};
    for (const TCase& c : cases) {
        EXPECT_EQ(Window->DetermineSplitterIndex({c.X, HeaderY}), c.Track >= 0) << c.X;
        EXPECT_EQ(Header().Columns()->TrackIndex(), c.Track) << c.X;
        if (c.Track >= 0) {
            EXPECT_EQ(Window->TrackPoint(), (TPoint{0, HeaderY})) << c.X;
        }
    }
    Press(151);
    EXPECT_TRUE(Header().States().Contains(hsColumnWidthTrackPending));
    MoveTo(190);
    EXPECT_TRUE(Header().States().Contains(hsColumnWidthTracking));
    EXPECT_EQ(Column(0)->Width(), 190);
    MoveTo(120);
    Release(120);
    EXPECT_EQ(Column(0)->Width(), 120);
    EXPECT_TRUE(Header().States().Empty());
    EXPECT_TRUE(Log.Clicks.empty()) << "a border drag is no click";
}

struct TSplitterVeto {
    std::vector<TColumnIndex> Asked;
    TColumnIndex Refused = NoColumn;
    void OnCan(TVTHeader*, TPoint, TColumnIndex Column, bool& Allowed) {
        Asked.push_back(Column);
        if (Column == Refused) Allowed = false;
    }
};

TEST_F(VTHeaderMouse, TheApplicationMayRefuseABorder) {
    TSplitterVeto veto;
    Window->OnCanSplitterResizeColumn =
        TVTCanSplitterResizeColumnEvent(&veto, &TSplitterVeto::OnCan);
    veto.Refused = 1;
    EXPECT_FALSE(Window->DetermineSplitterIndex({231, HeaderY}));
    EXPECT_EQ(Header().Columns()->TrackIndex(), NoColumn);
    EXPECT_EQ(veto.Asked, std::vector<TColumnIndex>{1});
    Press(231);
    EXPECT_FALSE(Header().States().Contains(hsColumnWidthTrackPending)) << "no border to grab";
    Release(231);

    veto.Asked.clear();
    Column(0)->SetOptions(Column(0)->Options() - TVTColumnOptions{coResizable});
    EXPECT_FALSE(Window->DetermineSplitterIndex({151, HeaderY}));
    EXPECT_TRUE(veto.Asked.empty()) << "a column that cannot be resized is not asked about";
    EXPECT_TRUE(Window->DetermineSplitterIndex({301, HeaderY}));
    EXPECT_EQ(Header().Columns()->TrackIndex(), 2);
}

TEST_F(VTHeaderMouse, DoubleClickOnABorderFitsTheColumn) {
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoDblClickResize});
    Recorder.Names[Tree().GetFirst()] = L"A text that is a good deal wider than eighty pixels";
    const Integer wanted = Window->GetMaxColumnWidth(1);
    ASSERT_GT(wanted, 80);
    Window->Perform(WM_NCLBUTTONDBLCLK, HTBORDER, Screen(231, HeaderY));
    EXPECT_EQ(Column(1)->Width(), wanted);
    EXPECT_TRUE(Log.DblClicks.empty());
    Window->Perform(WM_NCLBUTTONDBLCLK, HTBORDER, Screen(190, HeaderY));
    ASSERT_EQ(Log.DblClicks.size(), 1u) << "inside a column it is a header double click";
    EXPECT_EQ(Log.DblClicks[0].Column, 1);
    EXPECT_TRUE(Log.DblClicks[0].Shift.Contains(ssDouble));
}

TEST_F(VTHeaderMouse, DoubleClickFitsTheColumnWhosePositionDiffersFromItsIndex) {
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoDblClickResize});
    Column(2)->SetPosition(0); // order: 2 (70), 0 (150), 1 (80), 3 (55)
    ASSERT_EQ(Header().Columns()->PositionToIndex()[0], 2);
    Recorder.Names[Tree().GetFirst()] = L"A text that is a good deal wider than seventy pixels";
    const Integer wanted = Window->GetMaxColumnWidth(2);
    ASSERT_GT(wanted, 70);
    const Integer others[] = {Column(0)->Width(), Column(1)->Width(), Column(3)->Width()};
    Window->Perform(WM_NCLBUTTONDBLCLK, HTBORDER, Screen(71, HeaderY)); // column 2's border
    EXPECT_EQ(Column(2)->Width(), wanted);
    EXPECT_EQ(Column(0)->Width(), others[0]) << "the column at position 2 is not the one fitted";
    EXPECT_EQ(Column(1)->Width(), others[1]);
    EXPECT_EQ(Column(3)->Width(), others[2]);
}

TEST_F(VTHeaderMouse, ARightButtonReleaseIsReportedWherever) {
    // Forced: no press before it, and the release may come over any column.
    Window->Perform(WM_NCRBUTTONUP, HTBORDER, Screen(190, HeaderY));
    ASSERT_EQ(Log.Clicks.size(), 1u);
    EXPECT_EQ(Log.Clicks[0].Column, 1);
    EXPECT_EQ(Log.Clicks[0].Button, mbRight);
    Window->Perform(WM_NCRBUTTONDOWN, HTBORDER, Screen(40, HeaderY));
    Window->Perform(WM_NCRBUTTONUP, HTBORDER, Screen(265, HeaderY));
    ASSERT_EQ(Log.Clicks.size(), 2u);
    EXPECT_EQ(Log.Clicks[1].Column, 2) << "released over another column than pressed";
}

TEST_F(VTHeaderMouse, DraggingAColumnMovesIt) {
    struct TCase {
        int From, To; // press x, release x
        std::vector<TColumnPosition> Expected;
    };
    // Column 0 spans 0..150, 1 150..230, 2 230..300, 3 300..355.
    const std::vector<TCase> cases = {
        {75, 240, {1, 0, 2, 3}}, // 0 before 2: position 1
        {75, 290, {2, 0, 1, 3}}, // 0 after 2: position 2
        {265, 20, {1, 2, 0, 3}}, // 2 before 0: position 0
    };
    for (const TCase& c : cases) {
        for (int i = 0; i < 4; ++i) Column(i)->SetPosition(i);
        ASSERT_EQ(Positions(), (std::vector<TColumnPosition>{0, 1, 2, 3}));
        Log.Dragged.clear();
        Press(c.From);
        EXPECT_TRUE(Header().States().Contains(hsDragPending));
        MoveTo(c.From + GetSystemMetrics(SM_CXDRAG));
        EXPECT_TRUE(Header().States().Contains(hsDragPending))
            << "exactly the threshold is no drag";
        MoveTo(c.To);
        EXPECT_TRUE(Header().States().Contains(hsDragging));
        Release(c.To);
        EXPECT_EQ(Positions(), c.Expected) << c.From << "->" << c.To;
        ASSERT_EQ(Log.Dragged.size(), 1u);
        EXPECT_TRUE(Header().States().Empty());
        EXPECT_TRUE(Log.Clicks.empty()) << "a drag is no click";
    }
}

TEST_F(VTHeaderMouse, ADraggedColumnsPictureFollowsTheMouseUntilTheDrop) {
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoRestrictDrag});
    TVTDragImage* picture = Window->HeaderDragImage();
    Press(75);
    MoveTo(75 + 2 * GetSystemMetrics(SM_CXDRAG));
    ASSERT_TRUE(Header().States().Contains(hsDragging));
    EXPECT_TRUE(picture->Visible());
    ASSERT_NE(picture->Picture(), nullptr);
    EXPECT_EQ(picture->Picture()->Width(), Column(0)->Width());
    EXPECT_EQ(picture->Picture()->Height(), Header().Height());
    EXPECT_EQ(picture->MoveRestriction, dmrHorizontalOnly);
    const TPoint start = picture->ImagePosition();
    MoveTo(200);
    EXPECT_GT(picture->ImagePosition().x, start.x) << "the picture follows the mouse";
    EXPECT_EQ(picture->ImagePosition().y, start.y) << "and only sideways";
    Release(200);
    EXPECT_FALSE(picture->Visible());
    EXPECT_EQ(picture->Picture(), nullptr) << "the drop frees the picture";
}

TEST_F(VTHeaderMouse, EscapeOrFocusLossCancelsAColumnDrag) {
    for (UINT cancel : {UINT(WM_KEYDOWN), UINT(WM_KILLFOCUS), UINT(WM_CAPTURECHANGED)}) {
        Press(75);
        MoveTo(290);
        ASSERT_TRUE(Header().States().Contains(hsDragging)) << cancel;
        Window->Perform(cancel, cancel == WM_KEYDOWN ? VK_ESCAPE : 0, 0);
        EXPECT_TRUE(Header().States().Empty()) << cancel;
        EXPECT_FALSE(Window->HeaderDragImage()->Visible()) << cancel;
        Release(290);
        EXPECT_EQ(Positions(), (std::vector<TColumnPosition>{0, 1, 2, 3})) << cancel;
        EXPECT_EQ(GetCapture(), nullptr) << cancel;
    }
}

class VTHeaderTracking : public VTHeaderMouse {
protected:
    VTHeaderTracking() {
        Header().SetOptions(Header().Options() +
                            TVTHeaderOptions{hoHeightResize, hoHeightDblClickResize});
        Window->OnBeforeHeaderHeightTracking =
            TVTBeforeHeaderHeightTrackingEvent(&Log, &THeaderLog::OnBeforeHeight);
        Window->OnHeaderHeightTracking = TVTHeaderHeightTrackingEvent(&Log, &THeaderLog::OnHeight);
        Window->OnAfterHeaderHeightTracking =
            TVTAfterHeaderHeightTrackingEvent(&Log, &THeaderLog::OnAfterHeight);
        Window->OnBeforeColumnWidthTracking =
            TVTBeforeColumnWidthTrackingEvent(&Log, &THeaderLog::OnBeforeWidth);
        Window->OnColumnWidthTracking = TVTColumnWidthTrackingEvent(&Log, &THeaderLog::OnWidth);
        Window->OnAfterColumnWidthTracking =
            TVTAfterColumnWidthTrackingEvent(&Log, &THeaderLog::OnAfterWidth);
    }
    // A header-height drag: the bottom edge is y = 0 of the client area, whatever the height.
    void DragBottomEdge(int PressY, std::initializer_list<int> MoveYs) {
        Window->Perform(WM_NCLBUTTONDOWN, HTBORDER, Screen(40, PressY));
        for (int y : MoveYs) Window->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointParam(40, y));
        Window->Perform(WM_LBUTTONUP, 0, PointParam(40, 0));
    }
};

TEST_F(VTHeaderTracking, DraggingTheBottomEdgeSetsTheHeaderHeight) {
    DragBottomEdge(-1, {10});
    EXPECT_EQ(Header().Height(), 32);
    EXPECT_EQ(Window->HeaderRect().Height(), 32) << "the frame is laid out again";
    EXPECT_EQ(Log.Events, (std::vector<std::wstring>{L"before height", L"after height"}));
    EXPECT_TRUE(Header().States().Empty());
    EXPECT_TRUE(Log.Clicks.empty());
    DragBottomEdge(-2, {-12});
    EXPECT_EQ(Header().Height(), 20);
    Log.Allow = false;
    DragBottomEdge(-1, {30});
    EXPECT_EQ(Header().Height(), 20) << "refused by OnHeaderHeightTracking";
}

TEST_F(VTHeaderTracking, DoubleClickOnTheBottomEdgeRestoresTheDefaultHeight) {
    Header().SetDefaultHeight(22);
    Header().SetHeight(40);
    Window->Perform(WM_NCLBUTTONDBLCLK, HTBORDER, Screen(40, -1));
    EXPECT_EQ(Header().Height(), 22);
    EXPECT_TRUE(Log.DblClicks.empty()) << "no header double click";
}

TEST_F(VTHeaderTracking, BorderTrackingReportsItsStartAndEnd) {
    Press(151);
    MoveTo(170);
    Release(170);
    EXPECT_EQ(Column(0)->Width(), 170);
    Log.Allow = false;
    Press(171);
    MoveTo(200);
    Window->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Column(0)->Width(), 170) << "refused by OnColumnWidthTracking";
    EXPECT_TRUE(Header().States().Empty()) << "Escape ends the tracking";
    EXPECT_EQ(Log.Events, (std::vector<std::wstring>{L"before width 0", L"after width 0",
                                                     L"before width 0", L"after width 0"}));
}

class VTHeaderHover : public VTHeaderMouse {
protected:
    void HoverAt(int X) { Window->Perform(WM_NCMOUSEMOVE, HTBORDER, Screen(X, HeaderY)); }
    TColumnIndex Hover() { return Header().Columns()->HoverIndex(); }
};

TEST_F(VTHeaderHover, TheColumnUnderTheMouseIsHotUntilTheMouseLeaves) {
    HoverAt(190);
    EXPECT_EQ(Hover(), 1);
    HoverAt(20);
    EXPECT_EQ(Hover(), 0);
    // Timer 3 finds the mouse pointer away from the header.
    const TPoint away = Window->ClientToScreen({20, 200});
    SetCursorPos(away.x, away.y);
    Window->Perform(WM_TIMER, HeaderTimer, 0);
    EXPECT_EQ(Hover(), NoColumn);
    HoverAt(265);
    EXPECT_EQ(Hover(), 2);
    Window->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Hover(), NoColumn) << "leaving the window ends it too";
}

TEST_F(VTHeaderHover, AHeaderHintFollowsThePreviousHintWithoutPause) {
    struct Case {
        bool ShowHint;
        WPARAM Recent;
        int Y, Pause;
    };
    for (const Case c : {Case{true, 1, HeaderY, 0}, Case{true, 0, HeaderY, 500},
                         Case{false, 1, HeaderY, 500}, Case{true, 1, 30, 500}}) {
        const TVTHeaderOptions options = Header().Options() - TVTHeaderOptions{hoShowHint};
        Header().SetOptions(c.ShowHint ? options + TVTHeaderOptions{hoShowHint} : options);
        const TPoint screen = Window->ClientToScreen({190, c.Y});
        SetCursorPos(screen.x, screen.y);
        int pause = 500;
        Window->Perform(CM_HINTSHOWPAUSE, c.Recent, reinterpret_cast<LPARAM>(&pause));
        EXPECT_EQ(pause, c.Pause) << c.ShowHint << c.Recent << c.Y;
    }
}

TEST_F(VTHeaderHover, SplitCursorsOverTheBordersAndTheBottomEdge) {
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoHeightResize});
    auto cursorAt = [&](int X, int Y) {
        const TPoint screen = Window->ClientToScreen({X, Y});
        SetCursorPos(screen.x, screen.y);
        Window->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(Window->Handle()),
                        MAKELPARAM(HTBORDER, WM_MOUSEMOVE));
        return GetCursor();
    };
    ASSERT_NE(vtree_resources::HeaderSplitCursor(), vtree_resources::VertSplitCursor());
    EXPECT_EQ(cursorAt(151, HeaderY), vtree_resources::HeaderSplitCursor());
    EXPECT_EQ(cursorAt(40, -1), vtree_resources::VertSplitCursor());
    EXPECT_EQ(cursorAt(190, HeaderY), LoadCursorW(nullptr, IDC_ARROW));
}

} // namespace
