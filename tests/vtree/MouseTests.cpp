#include "InputFixture.h"

namespace {

using namespace vtree_test;

// Records the window's click events with the node focused when each fired.
struct TClickLog {
    TVirtualTreeWindow* Window = nullptr;
    TRecorder* Recorder = nullptr;
    std::vector<std::wstring> Entries;
    void OnClick(TObject*) { Entries.push_back(L"click " + Focused()); }
    void OnDblClick(TObject*) { Entries.push_back(L"dblclick " + Focused()); }
    void OnColumnClick(TVirtualTreeWindow*, TColumnIndex Column, TShiftState) {
        Entries.push_back(L"column " + std::to_wstring(Column));
    }
    void OnDragAllowed(TVirtualTreeWindow*, PVirtualNode, TColumnIndex, bool& Allowed) {
        Allowed = true;
    }
    std::wstring Focused() { return Recorder->Name(Window->Tree()->FocusedNode()); }
};

class VTMouse : public TInputFixture {
protected:
    TClickLog Log;
    VTMouse() {
        Log.Window = Window.get();
        Log.Recorder = &Recorder;
        Window->OnClick = TNotifyEvent(&Log, &TClickLog::OnClick);
        Window->OnDblClick = TNotifyEvent(&Log, &TClickLog::OnDblClick);
        Window->OnColumnClick = TVTColumnClickEvent(&Log, &TClickLog::OnColumnClick);
        AddRows(10);
    }
    THitInfo HitAt(int X, int Y) {
        THitInfo hit;
        Window->GetHitTestInfoAt(X, Y, true, hit);
        return hit;
    }
};

TEST_F(VTMouse, ClickFocusesAndSelectsTheRowAndFiresOnClick) {
    Click(OnText(Row(2)));
    EXPECT_EQ(Recorder.Name(Tree().FocusedNode()), L"Row2");
    EXPECT_EQ(SelectedNames(), std::vector<std::wstring>{L"Row2"});
    EXPECT_EQ(Log.Entries, std::vector<std::wstring>{L"click Row2"});
    Click(OnText(Row(4)));
    EXPECT_EQ(SelectedNames(), std::vector<std::wstring>{L"Row4"}) << "single selection moves";
    EXPECT_FALSE(Tree().TreeStates().Contains(tsLeftButtonDown));
}

TEST_F(VTMouse, DoubleClickFiresOnDblClickAndTogglesANodeWithChildren) {
    PVirtualNode parent = Row(1);
    Recorder.Names[Tree().AddChild(parent)] = L"Child";
    DoubleClick(OnText(parent));
    EXPECT_EQ(Log.Entries,
              (std::vector<std::wstring>{L"click Row1", L"dblclick Row1", L"click Row1"}));
    EXPECT_TRUE(Tree().Expanded(parent));
    EXPECT_FALSE(Tree().TreeStates().Contains(tsLeftDblClick));
}

TEST_F(VTMouse, HitTestNamesThePartsOfARow) {
    PVirtualNode parent = Row(0);
    Tree().AddChild(parent);
    const TPoint text = OnText(parent);
    const TRect label = Window->GetDisplayRect(parent, NoColumn, true);
    EXPECT_EQ(HitAt(-3, 5).HitPositions, THitPositions{hiToLeft});
    EXPECT_EQ(HitAt(-3, -3).HitPositions, (THitPositions{hiToLeft, hiAbove}));
    EXPECT_EQ(HitAt(-3, 5).HitNode, nullptr);
    const THitInfo onText = HitAt(text.x, text.y);
    EXPECT_EQ(onText.HitNode, parent);
    EXPECT_EQ(onText.HitPositions, (THitPositions{hiOnItem, hiOnItemLabel}));
    const THitInfo onButton = HitAt(Tree().Indent / 2, text.y);
    EXPECT_TRUE(onButton.HitPositions.Contains(hiOnItemButton));
    const THitInfo right = HitAt(label.right + 20, text.y);
    EXPECT_EQ(right.HitPositions, (THitPositions{hiOnItem, hiOnItemRight}));
    const THitInfo below = HitAt(text.x, Window->ClientHeight() - 2);
    EXPECT_TRUE(below.HitPositions.Contains(hiNowhere)) << "no row there";
}

struct TClickCase {
    const char* Name;
    bool Shift, Ctrl;
    std::vector<std::wstring> Expected; // after clicking Row2, then Row5 with the modifiers
};

TEST_F(VTMouse, ModifiedClicksSelectRangesAndToggle) {
    MultiSelect();
    const std::vector<TClickCase> cases = {
        {"plain", false, false, {L"Row5"}},
        {"ctrl adds", false, true, {L"Row2", L"Row5"}},
        {"shift ranges from the anchor", true, false, {L"Row2", L"Row3", L"Row4", L"Row5"}},
        {"ctrl+shift adds the range", true, true, {L"Row2", L"Row3", L"Row4", L"Row5"}},
    };
    for (const TClickCase& c : cases) {
        Tree().ClearSelection();
        Click(OnText(Row(2)));
        const WPARAM keys = (c.Shift ? MK_SHIFT : 0) | (c.Ctrl ? MK_CONTROL : 0);
        Click(OnText(Row(5)), keys);
        std::vector<std::wstring> selected = SelectedNames();
        std::sort(selected.begin(), selected.end());
        EXPECT_EQ(selected, c.Expected) << c.Name;
        EXPECT_EQ(Recorder.Name(Tree().FocusedNode()), L"Row5") << c.Name;
    }
    Click(OnText(Row(5)), MK_CONTROL);
    EXPECT_FALSE(Tree().Selected(Row(5))) << "ctrl+click on a selected row unselects it";
}

TEST_F(VTMouse, ClickOnADraggableSelectionClearsTheRestOnRelease) {
    MultiSelect();
    Window->OnDragAllowed = TVTDragAllowedEvent(&Log, &TClickLog::OnDragAllowed);
    Click(OnText(Row(1)));
    Click(OnText(Row(3)), MK_CONTROL);
    ASSERT_EQ(Tree().SelectedCount(), 2u);
    const TPoint p = OnText(Row(1));
    Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    EXPECT_TRUE(Tree().TreeStates().Contains(tsClearPending));
    EXPECT_EQ(Tree().SelectedCount(), 2u) << "kept for a drag until the release";
    Window->Perform(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(SelectedNames(), std::vector<std::wstring>{L"Row1"});
    EXPECT_FALSE(Tree().TreeStates().Contains(tsClearPending));
}

// A press whose release is lost (capture taken away, focus gone) must not leave the pending
// clearance behind for the next click to trip over.
TEST_F(VTMouse, LostReleaseLeavesNoPendingClear) {
    MultiSelect();
    Window->OnDragAllowed = TVTDragAllowedEvent(&Log, &TClickLog::OnDragAllowed);
    for (UINT lost : {UINT(WM_CAPTURECHANGED), UINT(WM_KILLFOCUS), UINT(WM_CANCELMODE)}) {
        Tree().ClearSelection();
        Click(OnText(Row(1)));
        Click(OnText(Row(3)), MK_CONTROL);
        const TPoint p = OnText(Row(1));
        Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ASSERT_TRUE(Tree().TreeStates().Contains(tsClearPending)) << lost;
        Window->Perform(lost, 0, 0);
        EXPECT_FALSE(Tree().TreeStates().Contains(tsClearPending)) << lost;
        EXPECT_NO_THROW(Click(OnText(Row(6)))) << lost;
        EXPECT_EQ(SelectedNames(), std::vector<std::wstring>{L"Row6"}) << lost;
    }
}

TEST_F(VTMouse, RubberBandSelectsWhatItSweepsAndGivesBackWhatItLeaves) {
    MultiSelect();
    const TPoint start{Window->ClientWidth() - 20, OnText(Row(0)).y};
    Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    EXPECT_TRUE(Tree().TreeStates().Contains(tsDrawSelPending));
    Window->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, OnText(Row(3)).y));
    EXPECT_TRUE(Tree().TreeStates().Contains(tsDrawSelecting));
    EXPECT_EQ(SelectedNames(), (std::vector<std::wstring>{L"Row0", L"Row1", L"Row2", L"Row3"}));
    Window->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, OnText(Row(1)).y));
    EXPECT_EQ(SelectedNames(), (std::vector<std::wstring>{L"Row0", L"Row1"}));
    Window->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, OnText(Row(1)).y));
    EXPECT_FALSE(Tree().IsMouseSelecting());
    EXPECT_EQ(Tree().SelectedCount(), 2u);
}

TEST_F(VTMouse, CtrlRubberBandTogglesTheRowsItSweeps) {
    MultiSelect();
    Click(OnText(Row(1)));
    const TPoint start{Window->ClientWidth() - 20, OnText(Row(0)).y};
    Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(start.x, start.y));
    Window->Perform(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(5, OnText(Row(2)).y));
    EXPECT_EQ(SelectedNames(), (std::vector<std::wstring>{L"Row0", L"Row2"}));
    Window->Perform(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(5, OnText(Row(0)).y));
    EXPECT_EQ(SelectedNames(), (std::vector<std::wstring>{L"Row0", L"Row1"})) << "toggled back";
    Window->Perform(WM_LBUTTONUP, 0, 0);
}

TEST_F(VTMouse, CheckBoxPressAppliesOnReleaseOverTheSameNode) {
    Tree().TreeOptions()->SetMiscOptions(Tree().TreeOptions()->MiscOptions() +
                                         TVTMiscOptions{toCheckSupport});
    PVirtualNode node = Row(2);
    Tree().SetCheckType(node, ctCheckBox);
    const TRect label = Window->GetDisplayRect(node, NoColumn, true);
    const TPoint box{Tree().Indent + Tree().Margin + 2, (label.top + label.bottom) / 2};
    ASSERT_TRUE(HitAt(box.x, box.y).HitPositions.Contains(hiOnItemCheckbox));
    Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
    EXPECT_TRUE(Tree().TreeStates().Contains(tsMouseCheckPending));
    EXPECT_EQ(Tree().CheckState(node), csUncheckedPressed);
    Window->Perform(WM_LBUTTONUP, 0, MAKELPARAM(box.x, box.y));
    EXPECT_EQ(Tree().CheckState(node), csCheckedNormal);
    EXPECT_FALSE(Tree().TreeStates().Contains(tsMouseCheckPending));
}

} // namespace
