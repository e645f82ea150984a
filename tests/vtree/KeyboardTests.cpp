#include "InputFixture.h"

namespace {

using namespace vtree_test;

class VTKeyboard : public TInputFixture {
protected:
    VTKeyboard() { AddRows(50); }
    std::wstring Focused() { return Recorder.Name(Tree().FocusedNode()); }
    // Rows a page step passes over: those that fit the client height, less the one kept.
    int PageRows() {
        const int h = static_cast<int>(Tree().DefaultNodeHeight());
        return (Window->ClientHeight() + h - 1) / h - 1;
    }
};

TEST_F(VTKeyboard, NavigationKeysMoveFocusAndSelection) {
    struct TCase {
        Word Key;
        std::wstring Expected;
    };
    const std::vector<TCase> cases = {
        {VK_DOWN, L"Row0"}, // nothing focused: the first row
        {VK_DOWN, L"Row1"},
        {VK_END, L"Row49"},
        {VK_UP, L"Row48"},
        {VK_HOME, L"Row0"},
        {VK_NEXT, L"Row" + std::to_wstring(PageRows())},
        {VK_PRIOR, L"Row0"},
    };
    for (const TCase& c : cases) {
        Key(c.Key);
        EXPECT_EQ(Focused(), c.Expected) << c.Key;
        EXPECT_EQ(SelectedNames(), std::vector<std::wstring>{c.Expected}) << c.Key;
    }
}

TEST_F(VTKeyboard, EndScrollsTheLastRowIntoView) {
    Key(VK_END);
    EXPECT_LT(Window->OffsetY(), 0);
    const TRect r = Window->GetDisplayRect(Tree().FocusedNode(), NoColumn, false);
    EXPECT_LE(r.bottom, Window->ClientHeight());
    Key(VK_DOWN, false, true);
    EXPECT_EQ(Focused(), L"Row49") << "Ctrl+Down scrolls without moving the focus";
}

TEST_F(VTKeyboard, ShiftExtendsCtrlASelectsAll) {
    MultiSelect();
    Key(VK_DOWN);
    Key(VK_DOWN, true);
    Key(VK_DOWN, true);
    EXPECT_EQ(SelectedNames(), (std::vector<std::wstring>{L"Row0", L"Row1", L"Row2"}));
    Key(VK_UP, true);
    EXPECT_EQ(SelectedNames(), (std::vector<std::wstring>{L"Row0", L"Row1"}));
    Key(VK_END, true);
    EXPECT_EQ(Tree().SelectedCount(), 50u) << "Shift+End selects to the last row";
    Key(VK_HOME);
    EXPECT_EQ(Tree().SelectedCount(), 1u);
    Key('A', false, true);
    EXPECT_EQ(Tree().SelectedCount(), 50u);
}

TEST_F(VTKeyboard, KeypadKeysExpandAndCollapse) {
    PVirtualNode parent = Row(0);
    PVirtualNode child = Tree().AddChild(parent);
    Tree().AddChild(child);
    Key(VK_DOWN);
    ASSERT_EQ(Tree().FocusedNode(), parent);
    Key(VK_ADD);
    EXPECT_TRUE(Tree().Expanded(parent));
    EXPECT_FALSE(Tree().Expanded(child));
    Key(VK_SUBTRACT);
    EXPECT_FALSE(Tree().Expanded(parent));
    Key(VK_MULTIPLY);
    EXPECT_TRUE(Tree().Expanded(parent));
    EXPECT_TRUE(Tree().Expanded(child)) << "multiply expands the whole subtree";
    Key(VK_DIVIDE);
    EXPECT_FALSE(Tree().Expanded(parent));
    EXPECT_FALSE(Tree().Expanded(child));
    Key(VK_RIGHT);
    EXPECT_TRUE(Tree().Expanded(parent)) << "Right expands a collapsed node";
    Key(VK_RIGHT);
    EXPECT_EQ(Tree().FocusedNode(), child) << "then steps into it";
    Key(VK_LEFT);
    EXPECT_EQ(Tree().FocusedNode(), parent);
}

TEST_F(VTKeyboard, IncrementalSearchTakesTypedChineseAsUtf16) {
    Recorder.Names[Row(10)] = L"苹果";
    Recorder.Names[Row(20)] = L"北京";
    Recorder.Names[Row(30)] = L"北海";
    Recorder.Names[Row(40)] = L"Über";
    Tree().SetIncrementalSearch(isAll);
    Type(L"北");
    EXPECT_EQ(Focused(), L"北京");
    Type(L"海");
    EXPECT_EQ(Focused(), L"北海");
    EXPECT_EQ(Tree().SearchBuffer(), L"北海");
    EXPECT_TRUE(Tree().TreeStates().Contains(tsIncrementalSearching));
    Window->Perform(WM_TIMER, SearchTimer, 0);
    EXPECT_FALSE(Tree().TreeStates().Contains(tsIncrementalSearching)) << "the time-out ends it";
    EXPECT_TRUE(Tree().SearchBuffer().empty());
    Type(L"Ü");
    EXPECT_EQ(Focused(), L"Über") << "a Latin-1 unit is not reinterpreted in a code page";
}

TEST_F(VTKeyboard, SpaceOnACheckBoxAppliesOnRelease) {
    Tree().TreeOptions()->SetMiscOptions(Tree().TreeOptions()->MiscOptions() +
                                         TVTMiscOptions{toCheckSupport});
    Tree().SetCheckType(Row(0), ctCheckBox);
    Key(VK_DOWN);
    TKeysHeld none(false, false);
    Window->Perform(WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_TRUE(Tree().TreeStates().Contains(tsKeyCheckPending));
    Window->Perform(WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(Tree().CheckState(Row(0)), csCheckedNormal);
}

TEST_F(VTKeyboard, AsksForArrowsAndCharacters) {
    EXPECT_EQ(Window->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
    Window->WantTabs = true;
    EXPECT_EQ(Window->Perform(WM_GETDLGCODE, 0, 0),
              DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB);
}

// Refuses the focus for one column, noting every question.
struct TFocusGate {
    TColumnIndex Refused = NoColumn;
    void OnFocusChanging(TBaseVirtualTree*, PVirtualNode, PVirtualNode, TColumnIndex,
                         TColumnIndex NewColumn, bool& Allowed) {
        Allowed = NewColumn != Refused;
    }
};

TEST_F(VTKeyboard, TabMovesThroughTheCellsSkippingRefusedColumns) {
    ApplyClientProfile(); // four columns
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetSelectionOptions(options->SelectionOptions() +
                                 TVTSelectionOptions{toExtendedFocus});
    TFocusGate gate;
    gate.Refused = 2;
    Tree().OnFocusChanging = TVTFocusChangingEvent(&gate, &TFocusGate::OnFocusChanging);
    Tree().SetFocusedNode(Row(0));
    Tree().SetFocusedColumn(1);
    struct TStep {
        bool Backward;
        std::wstring Node;
        TColumnIndex Column;
    };
    const std::vector<TStep> steps = {
        {false, L"Row0", 3}, // column 2 refused
        {false, L"Row1", 0}, // past the last column: the next row's first
        {true, L"Row0", 3},
        {true, L"Row0", 1}, // backwards past the refused column
    };
    for (const TStep& step : steps) {
        Key(VK_TAB, step.Backward);
        EXPECT_EQ(Focused(), step.Node) << step.Backward;
        EXPECT_EQ(Tree().FocusedColumn(), step.Column) << step.Node;
    }
}

// Notes the help requests that reach the host window.
struct THelpLog {
    std::vector<DWORD_PTR> Contexts;
    std::map<PVirtualNode, Integer> NodeContexts;
    TWndMethod Saved;
    void Proc(TMessage& Message) {
        if (Message.Msg == WM_HELP)
            Contexts.push_back(reinterpret_cast<HELPINFO*>(Message.LParam)->dwContextId);
        Saved(Message);
    }
    void OnGetHelpContext(TVirtualTreeWindow*, PVirtualNode Node, TColumnIndex, Integer& Context) {
        auto found = NodeContexts.find(Node);
        if (found != NodeContexts.end()) Context = found->second;
    }
};

TEST_F(VTKeyboard, F1PassesTheNearestHelpContextToTheApplication) {
    THelpLog help;
    help.Saved = Host->WindowProc();
    Host->SetWindowProc(TWndMethod(&help, &THelpLog::Proc));
    PVirtualNode child = Tree().AddChild(Row(3));
    Tree().SetExpanded(Row(3), true);
    help.NodeContexts[Row(3)] = 42;
    Window->SetHelpContext(7);
    Host->SetHelpContext(9);
    Window->OnGetHelpContext = TVTHelpContextEvent(&help, &THelpLog::OnGetHelpContext);
    Tree().SetFocusedNode(child);
    Key(VK_F1);
    Tree().SetFocusedNode(Row(4));
    Key(VK_F1);
    Window->SetHelpContext(0);
    Key(VK_F1);
    Host->SetHelpContext(0);
    Key(VK_F1);
    Host->SetWindowProc(help.Saved);
    EXPECT_EQ(help.Contexts, (std::vector<DWORD_PTR>{42, 7, 9}))
        << "the parent node's, the tree's, the host window's, then none at all";
}

} // namespace
