// The in-process drag, driven by the messages a user's drag sends: the press on the source, then
// moves and the release at the window holding the drag's capture, keys at the focused control.
// The target is found under the pointer's screen position, so the host sits above everything
// in a corner of the screen that the windows of test programs running beside this one leave free.
#include "ControlTesting.h"

#include "framework/StdCtrls.h"

#include <vector>

namespace {

struct TDragLog {
    std::vector<TDragState> States;
    std::vector<TObject*> OverSources;
    std::vector<TObject*> DropSources;
    std::vector<TObject*> EndTargets;
    std::vector<TPoint> EndPoints;
    bool Accept = true;
    TDragObject* Supplied = nullptr;
    void OnDragOver(TObject*, TObject* Source, int, int, TDragState State, bool& Accepted) {
        States.push_back(State);
        OverSources.push_back(Source);
        Accepted = Accept;
    }
    void OnDragDrop(TObject*, TObject* Source, int, int) { DropSources.push_back(Source); }
    void OnEndDrag(TObject*, TObject* Target, int X, int Y) {
        EndTargets.push_back(Target);
        EndPoints.push_back({X, Y});
    }
    void OnStartDrag(TObject*, TDragObject*& Object) { Object = Supplied; }
};

class Drag : public TFrameworkTest {
protected:
    void SetUp() override {
        TFrameworkTest::SetUp();
        Host = MakeVisibleHost();
        Host->SetBounds(960, 560, 300, 200);
        SetWindowPos(Host->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Source = PlaceSized(10);
        Target = PlaceSized(100);
        Target->OnDragOver = TDragOverEvent(&Log, &TDragLog::OnDragOver);
        Target->OnDragDrop = TDragDropEvent(&Log, &TDragLog::OnDragDrop);
        Source->OnEndDrag = TEndDragEvent(&Log, &TDragLog::OnEndDrag);
        const TPoint start = Source->ClientToScreen({5, 5});
        SetCursorPos(start.x, start.y);
    }
    void TearDown() override {
        Host.reset();
        TFrameworkTest::TearDown();
    }
    TWinControl* PlaceSized(int left) {
        auto* control = Place<TWinControl>(Host.get(), left, 10);
        control->SetBounds(left, 10, 50, 50);
        return control;
    }
    // Sends a mouse message where the system sends it during a drag (the window holding the
    // capture), for a point of `over`'s client area.
    static void Mouse(UINT msg, TControl* over, TPoint at, WPARAM keys = 0) {
        HWND capture = GetCapture();
        ASSERT_NE(capture, nullptr) << "the drag holds the capture";
        POINT p = over->ClientToScreen(at);
        ScreenToClient(capture, &p);
        SendMessageW(capture, msg, keys, MAKELPARAM(p.x, p.y));
    }

public: // the cases' end actions reach them
    TDragLog Log;
    TOwned<TWinControl> Host;
    TWinControl* Source = nullptr;
    TWinControl* Target = nullptr;
};

TEST_F(Drag, AnAutomaticDragDropsOnAnAcceptingTarget) {
    Source->SetDragMode(dmAutomatic);
    SendMessageW(Source->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(Source->Dragging()) << "pending after the press";
    EXPECT_NE(GetCapture(), Source->Handle()) << "the drag's own window holds the capture";
    Mouse(WM_MOUSEMOVE, Target, {20, 20}, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, Target, {25, 20}, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, Target, {25, 20});
    EXPECT_EQ(Log.States, (std::vector<TDragState>{dsDragEnter, dsDragMove}));
    EXPECT_EQ(Log.OverSources, (std::vector<TObject*>{Source, Source}));
    EXPECT_EQ(Log.DropSources, (std::vector<TObject*>{Source}));
    EXPECT_EQ(Log.EndTargets, (std::vector<TObject*>{Target}));
    ASSERT_EQ(Log.EndPoints.size(), 1u);
    EXPECT_EQ(Log.EndPoints[0].x, 25);
    EXPECT_EQ(Log.EndPoints[0].y, 20);
    EXPECT_FALSE(Source->Dragging());
    EXPECT_EQ(GetCapture(), nullptr) << "the capture is released";
}

TEST_F(Drag, EveryOtherEndIsACancelThatTheTargetHearsAsALeave) {
    struct TCase {
        const char* Name;
        bool Accept;
        int Threshold;
        void (*End)(Drag&);
        std::vector<TDragState> States;
    };
    const TCase cases[] = {
        {"Escape",
         true,
         -1,
         [](Drag& t) { SendMessageW(t.Target->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); },
         {dsDragEnter, dsDragLeave}},
        {"a refusing target",
         false,
         -1,
         [](Drag& t) {
             Mouse(WM_LBUTTONUP, t.Target, {20, 20});
         },
         {dsDragEnter, dsDragLeave}},
        {"EndDrag off the target",
         true,
         -1,
         [](Drag& t) {
             Mouse(WM_MOUSEMOVE, t.Host.get(), {280, 150}, MK_LBUTTON);
             t.Source->EndDrag(true);
         },
         {dsDragEnter, dsDragLeave}},
        {"another window taking the capture",
         true,
         -1,
         [](Drag& t) { SetCapture(t.Host->Handle()); },
         {dsDragEnter, dsDragLeave}},
        {"a release before the threshold",
         true,
         200,
         [](Drag& t) {
             Mouse(WM_LBUTTONUP, t.Target, {20, 20});
         },
         {}},
    };
    for (const TCase& c : cases) {
        Log = TDragLog{};
        Log.Accept = c.Accept;
        Source->BeginDrag(false, c.Threshold);
        Mouse(WM_MOUSEMOVE, Target, {20, 20}, MK_LBUTTON);
        c.End(*this);
        ReleaseCapture();
        EXPECT_EQ(Log.States, c.States) << c.Name;
        EXPECT_TRUE(Log.DropSources.empty()) << c.Name;
        EXPECT_EQ(Log.EndTargets, (std::vector<TObject*>{nullptr})) << c.Name;
        EXPECT_FALSE(Source->Dragging()) << c.Name;
    }
}

TEST_F(Drag, ASuppliedDragObjectIsFilledInAndLeftToTheApplication) {
    TDragObject supplied;
    Log.Supplied = &supplied;
    Source->OnStartDrag = TStartDragEvent(&Log, &TDragLog::OnStartDrag);
    Source->BeginDrag(true);
    Mouse(WM_MOUSEMOVE, Target, {20, 20}, MK_LBUTTON);
    EXPECT_EQ(supplied.Control, Source);
    EXPECT_EQ(supplied.DragTarget, Target);
    Mouse(WM_LBUTTONUP, Target, {20, 20});
    EXPECT_EQ(Log.OverSources.front(), Source) << "targets see the dragged control";
    EXPECT_EQ(supplied.DragTarget, Target) << "kept after the drop, for OnEndDrag";
}

TEST_F(Drag, ControlsFreedDuringTheDragLeaveIt) {
    Source->BeginDrag(true);
    Mouse(WM_MOUSEMOVE, Target, {20, 20}, MK_LBUTTON);
    Target->Free();
    Target = nullptr;
    Mouse(WM_MOUSEMOVE, Host.get(), {280, 150}, MK_LBUTTON);
    EXPECT_EQ(Log.States, (std::vector<TDragState>{dsDragEnter})) << "no leave to a freed target";
    Source->Free();
    Source = nullptr;
    EXPECT_EQ(GetCapture(), nullptr) << "the drag ended with its source";
    EXPECT_EQ(Log.EndTargets.size(), 0u) << "nobody is left to hear the end";
}

// Frees the source and the target from the drop handler, as an application closing both may.
struct TFreeOnDrop {
    TWinControl** Source;
    TWinControl** Target;
    void OnDragDrop(TObject*, TObject*, int, int) {
        (*Target)->Free();
        *Target = nullptr;
        (*Source)->Free();
        *Source = nullptr;
    }
};

TEST_F(Drag, ADropHandlerMayFreeTheSourceAndTheTarget) {
    TFreeOnDrop freer{&Source, &Target};
    Target->OnDragDrop = TDragDropEvent(&freer, &TFreeOnDrop::OnDragDrop);
    Source->BeginDrag(true);
    Mouse(WM_MOUSEMOVE, Target, {20, 20}, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, Target, {20, 20});
    EXPECT_EQ(Source, nullptr) << "the handler ran";
    EXPECT_TRUE(Log.EndTargets.empty()) << "nobody is left to hear the end";
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Drag, FindDragTargetAnswersTheEnabledControlUnderThePoint) {
    auto* label = Place<TLabel>(Host.get(), 200, 100);
    label->SetAutoSize(false);
    label->SetBounds(200, 100, 40, 20);
    EXPECT_EQ(FindDragTarget(Target->ClientToScreen({3, 3}), false), Target);
    EXPECT_EQ(FindDragTarget(Host->ClientToScreen({210, 105}), false), label) << "a graphic child";
    EXPECT_EQ(FindDragTarget(Host->ClientToScreen({80, 150}), false), Host.get());
    label->SetEnabled(false);
    EXPECT_EQ(FindDragTarget(Host->ClientToScreen({210, 105}), false), Host.get());
    EXPECT_EQ(FindDragTarget(Host->ClientToScreen({210, 105}), true), label);
}

} // namespace
