#include "WindowFixture.h"

namespace {

using namespace vtree_test;

// Hints need a tree the user could be looking at: the host is shown and brought forward.
class VTHint : public TWindowFixture {
protected:
    VTHint() {
        Host->SetVisible(true);
        SetForegroundWindow(Host->Handle());
        // Focused, the tree shows hints even when another program's window is in front.
        Window->SetFocus();
        Window->SetShowHint(true);
        for (int width : {150, 40}) Header().Columns()->Add()->SetWidth(width);
        Header().SetMainColumn(0);
        Recorder.Names[Tree().AddChild(nullptr)] = L"A caption too long for the narrow column";
        Window->HintMode = hmTooltip;
        Window->HintAnimation = hatNone;
    }

    void Pump(int Milliseconds) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(Milliseconds);
        MSG message;
        while (GetTickCount() < end) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(5);
        }
    }
};

TEST_F(VTHint, TooltipsOnlyForCellsWhoseTextIsCutOff) {
    TVTHintData data;
    TRect cursor;
    TPoint position;
    EXPECT_FALSE(Window->QueryHint({20, 5}, data, cursor, position)) << "the first cell fits";
    ASSERT_TRUE(Window->QueryHint({160, 5}, data, cursor, position)) << "the second is cut off";
    EXPECT_EQ(data.Node, Tree().GetFirst());
    EXPECT_EQ(data.Column, 1);
    EXPECT_EQ(cursor, Window->GetDisplayRect(data.Node, 1, true, true, true));
    EXPECT_EQ(position, Window->ClientToScreen(cursor.TopLeft())) << "over the cell's text";
    EXPECT_FALSE(Window->QueryHint({161, 6}, data, cursor, position))
        << "no new query while the mouse stays in the hint's rectangle";
    EXPECT_TRUE(Tree().TreeStates().Contains(tsHint));
    Window->CancelHint();
    EXPECT_FALSE(Tree().TreeStates().Contains(tsHint));
}

TEST_F(VTHint, TooltipShowsTheWholeTextAtTheCell) {
    ASSERT_TRUE(Window->ShowHintAt({160, 5}));
    TVirtualTreeHintWindow* hint = Window->HintWindow();
    EXPECT_TRUE(IsWindowVisible(hint->Handle()));
    EXPECT_EQ(hint->HintData().HintText, L"A caption too long for the narrow column");
    RECT shown;
    GetWindowRect(hint->Handle(), &shown);
    const TRect text = Window->GetDisplayRect(Tree().GetFirst(), 1, true, true, true);
    EXPECT_EQ(shown.left, Window->ClientToScreen(text.TopLeft()).x);
    EXPECT_GT(shown.right - shown.left, 40) << "wider than the column";
    EXPECT_GT(CountColor(*hint->DrawBuffer(),
                         {1, 1, shown.right - shown.left - 1, shown.bottom - shown.top - 1},
                         ColorToRGB(clInfoBk)),
              0);
    Window->CancelHint();
    EXPECT_FALSE(IsWindowVisible(hint->Handle()));
}

TEST_F(VTHint, DefaultModeLeavesTheHintToTheFramework) {
    Window->HintMode = hmDefault;
    Window->SetHint(L"Tree hint");
    TVTHintData data;
    TRect cursor;
    TPoint position;
    EXPECT_FALSE(Window->QueryHint({160, 5}, data, cursor, position));
    Window->HintMode = hmHintAndDefault;
    ASSERT_TRUE(Window->QueryHint({20, 200}, data, cursor, position)) << "below the last node";
    EXPECT_EQ(data.DefaultHint, L"Tree hint");
}

TEST_F(VTHint, HintsNearTheScreenEdgeMoveOntoTheDesktop) {
    TVTHintData data;
    data.Tree = Window.get();
    data.DefaultHint = L"Edge";
    Window->HintMode = hmHint;
    TVirtualTreeHintWindow* hint = Window->HintWindow();
    TRect r = hint->CalcHintRect(500, data);
    ASSERT_GT(r.Width(), 0);
    TRect desktop;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    OffsetRect(&r, desktop.right - 5, desktop.bottom - 3);
    hint->ActivateHint(r);
    RECT shown;
    GetWindowRect(hint->Handle(), &shown);
    EXPECT_EQ(shown.right, desktop.right);
    EXPECT_EQ(shown.bottom, desktop.bottom);
}

TEST_F(VTHint, FadingRunsFromTimerMessagesAndEndsWithTheTree) {
    Window->HintAnimation = hatFade;
    Tree().AnimationDuration = 100;
    ASSERT_TRUE(Window->ShowHintAt({160, 5}));
    EXPECT_TRUE(Window->HintWindow()->Animating()) << "ShowHintAt returns while the fade runs";
    Pump(400);
    EXPECT_FALSE(Window->HintWindow()->Animating());
}

TEST_F(VTHint, TreeDestroyedWhileItsHintFadesIn) {
    auto* other = Construct<TVirtualStringTreeWindow>(nullptr);
    other->SetBounds(0, 0, 200, 100);
    other->SetParent(Host.get());
    other->SetShowHint(true);
    for (int width : {150, 12}) other->Header()->Columns()->Add()->SetWidth(width);
    other->Tree()->AddChild(nullptr); // "Node" does not fit 12 pixels
    other->HintMode = hmTooltip;
    other->HintAnimation = hatFade;
    other->Tree()->AnimationDuration = 5000;
    other->SetFocus();
    ASSERT_TRUE(other->ShowHintAt({156, 5}));
    HWND hint = other->HintWindow()->Handle();
    other->Free(); // the hint window goes with the tree, its timer too
    Pump(50);
    EXPECT_FALSE(IsWindow(hint));
}

} // namespace

#include "framework/ModuleInit.h"

namespace {

// The class library's own hint machinery asks the tree and shows the tree's hint window.
TEST_F(VTHint, TheLibrarysHintMachineryShowsTheTreesTooltip) {
    const TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    // The hint is found through the window under the point: a corner of the screen that the
    // windows of test programs running beside this one leave free, above them.
    Host->SetLeft(900);
    Host->SetTop(800);
    SetWindowPos(Host->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const TPoint cell = Window->ClientToScreen({160, 5});
    Application->ActivateHint(cell);
    auto* hint = dynamic_cast<TVirtualTreeHintWindow*>(Application->HintWindow());
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(IsWindowVisible(hint->Handle()));
    EXPECT_EQ(hint->HintData().HintText, L"A caption too long for the narrow column");
    Application->CancelHint();
    EXPECT_FALSE(hint->HandleAllocated() && IsWindowVisible(hint->Handle()));
    framework.Finalize();
}

} // namespace
