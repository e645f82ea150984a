// The skinned push button: its cache image in every state against the test skin's colours, its
// window region, the focus frame, the fade between looks (frames handed over by hand-driven
// timer ticks), its glow, the pressed look of the space key, and the plain button it becomes
// again when the skin goes.
#include "LayeredTesting.h"
#include "SkinnedTesting.h"

#include "framework/ActnList.h"
#include "framework/StdCtrls.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/acGlow.h"

#include <vector>

namespace {

constexpr TRect ButtonBounds{20, 30, 120, 56}; // 100 x 26
constexpr int W = 100, H = 26;

// Records the frames the fade timer hands over (skin command 24) before they are drawn.
class TFrameRecordingButton : public TsButton {
    CLASS_INFO(TFrameRecordingButton, TsButton)
public:
    using TsButton::TsButton;
    std::vector<unsigned> Frames; // the pixel at Probe of each frame
    TPoint Probe{5, H / 2};

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == SM_ALPHACMD && SkinCommandOf(Message.WParam) == SKCMD_PAINTFADEFRAME)
            Frames.push_back(RgbAt(reinterpret_cast<TBitmap*>(Message.LParam), Probe.x, Probe.y));
        TsButton::WndProc(Message);
    }
};

class Button : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        Btn = Place<TFrameRecordingButton>(ButtonBounds);
        Btn->SetCaption(L"OK");
        Sink = Place<TEdit>(TRect(20, 100, 120, 120));
        ApplySkin();
        ShowActive();
        Sink->SetFocus(); // the button starts without the focus
    }
    // The button painted through WM_PRINT into a bitmap of its size; answers the cache.
    TBitmap* Paint() {
        Target = MakeBmp(W, H, 3);
        Btn->Perform(WM_PRINT, reinterpret_cast<WPARAM>(Target->Canvas()->Handle()), PRF_CLIENT);
        return Btn->SkinData()->CacheBmp();
    }
    TFrameRecordingButton* Btn = nullptr;
    TEdit* Sink = nullptr;
    TBmpPtr Target;
};

// Counts the button's events.
struct TEventCounter {
    int Clicks = 0, Ups = 0, Entries = 0;
    void Clicked(TObject*) { ++Clicks; }
    void Up(TObject*, TMouseButton, TShiftState, int, int) { ++Ups; }
    void Entered(TObject*) { ++Entries; }
};

TEST_F(Button, SkinAppliedMakesItOwnerDrawnAndRemovedMakesItPlainAgain) {
    ASSERT_TRUE(Btn->SkinData()->Skinned());
    EXPECT_EQ(GetWindowLongW(Btn->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    Paint();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(Btn->Handle(), region), ERROR);
    RemoveSkin();
    EXPECT_FALSE(Btn->SkinData()->Skinned());
    EXPECT_NE(GetWindowLongW(Btn->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(GetWindowRgn(Btn->Handle(), region), ERROR) << "no region left";
    DeleteObject(region);
    // The class library's button again: a click from the system reaches OnClick.
    TEventCounter counter;
    Btn->OnClick = TNotifyEvent(&counter, &TEventCounter::Clicked);
    SendMessageW(Btn->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(counter.Clicks, 1);
}

// The looks, each against the skin's colours: the corner pixel shows the form through the
// region's hole, the border's edge and fill are the state's, the centre is the section's
// colour (hot values in states 1 and 2), the caption is written in the state's font colour.
TEST_F(Button, EachStatePaintsTheSkinsColours) {
    Btn->SetAnimatEvents({}); // no fading: every change paints at once
    struct Case {
        const char* Name;
        void (*Enter)(TsButton*);
        int State;
        bool Focused;
    };
    const Case cases[] = {
        {"normal", [](TsButton*) {}, 0, false},
        {"hot", [](TsButton* b) { b->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(b)); }, 1,
         false},
        {"pressed", [](TsButton* b) { b->SetDown(true); }, 2, false},
        {"default", [](TsButton* b) { b->SetDefault(true); }, 1, false},
        {"focused", [](TsButton* b) { b->SetFocus(); }, 1, true},
    };
    const unsigned edges[] = {CtlButtonEdge0, CtlButtonEdge1, CtlButtonEdge2};
    const unsigned fills[] = {CtlButtonFill0, CtlButtonFill1, CtlButtonFill2};
    const unsigned centres[] = {CtlButtonColor, CtlButtonHotColor, CtlButtonHotColor};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Enter(Btn);
        ASSERT_EQ(Btn->CurrentState(), c.State);
        TBitmap* cache = Paint();
        ASSERT_EQ(cache->Width(), W);
        EXPECT_EQ(RgbAt(cache, 0, 0), FormRgb);
        EXPECT_EQ(RgbAt(cache, W - 1, H - 1), FormRgb);
        EXPECT_EQ(RgbAt(cache, W / 2, 0), edges[c.State]);
        EXPECT_EQ(RgbAt(cache, W - 1, H / 2), edges[c.State]);
        EXPECT_EQ(RgbAt(cache, W / 2, 1), fills[c.State]);
        EXPECT_EQ(CountOther(cache, TRect(3, 3, 20, H - 3), centres[c.State]), 0);
        const TRect caption = Btn->CaptionRect();
        const unsigned font = c.State == 0 ? CtlButtonFont : CtlButtonHotFont;
        EXPECT_GT(CountRgb(cache, caption, font), 0) << "the caption in the state's font colour";
        // The dotted frame FocusMargin outside the caption: black dots every third pixel with
        // white ones one pixel up and left.
        TRect frame = caption;
        InflateRect(&frame, 1, 1);
        EXPECT_EQ(RgbAt(cache, frame.left, frame.top) == 0, c.Focused);
        EXPECT_EQ(RgbAt(cache, frame.left - 1, frame.top - 1) == 0xFFFFFF, c.Focused);
        EXPECT_EQ(AllBytes(Target.get()), AllBytes(cache)) << "the window gets the cache";
        Btn->SetDown(false);
        Btn->SetDefault(false);
        Btn->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Btn));
        Sink->SetFocus();
    }
}

// Disabled, the normal image is mixed half and half with the parent's colour (the form gives
// no bitmap), its border's corners too; a disabled action on an enabled button gives the same
// look.
TEST_F(Button, DisabledLookIsHalfTheParentsColour) {
    TBmpPtr normal = MakeBmp(W, H, 3);
    normal->Assign(Paint());
    struct Case {
        const char* Name;
        void (*Disable)(TsButton*, TAction*);
        void (*Enable)(TsButton*, TAction*);
    };
    auto* action = Construct<TAction>(Form);
    action->SetCaption(L"OK");
    const Case cases[] = {
        {"disabled", [](TsButton* b, TAction*) { b->SetEnabled(false); },
         [](TsButton* b, TAction*) { b->SetEnabled(true); }},
        {"disabled action",
         [](TsButton* b, TAction* a) {
             b->SetAction(a);
             a->SetEnabled(false);
             b->SetEnabled(true);
         },
         [](TsButton* b, TAction* a) {
             a->SetEnabled(true);
             b->SetAction(nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Disable(Btn, action);
        TBitmap* cache = Paint();
        EXPECT_EQ(CountUnmixed(cache, normal.get(), 50, FormRgb), 0);
        c.Enable(Btn, action);
    }
}

// Printing the button (into a bitmap, as form animations and tests do) leaves a repaint that
// the window was waiting for pending.
TEST_F(Button, PrintingKeepsAPendingRepaint) {
    Paint();
    ValidateRect(Btn->Handle(), nullptr);
    InvalidateRect(Btn->Handle(), nullptr, FALSE);
    Paint();
    EXPECT_TRUE(GetUpdateRect(Btn->Handle(), nullptr, FALSE));
}

TEST_F(Button, RegionLeavesOutTheBorderMasksTransparentCorners) {
    Paint();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(Btn->Handle(), region), ERROR);
    struct Case {
        int X, Y;
        bool Inside;
    };
    const Case cases[] = {{0, 0, false},         {W - 1, 0, false},    {0, H - 1, false},
                          {W - 1, H - 1, false}, {1, 0, true},         {0, 1, true},
                          {W - 2, H - 1, true},  {W / 2, H / 2, true}, {W, H / 2, false}};
    for (const Case& c : cases)
        EXPECT_EQ(PtInRegion(region, c.X, c.Y) != 0, c.Inside) << c.X << "," << c.Y;
    // A new size gets a region of the new size.
    Btn->SetBounds(ButtonBounds.left, ButtonBounds.top, 60, 20);
    Btn->Perform(WM_PRINT, reinterpret_cast<WPARAM>(Target->Canvas()->Handle()), PRF_CLIENT);
    ASSERT_NE(GetWindowRgn(Btn->Handle(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 59, 19));
    EXPECT_TRUE(PtInRegion(region, 58, 19));
    EXPECT_FALSE(PtInRegion(region, 60, 10));
    DeleteObject(region);
}

TEST_F(Button, FocusFrameNeedsACaptionAndKeepsItsMargin) {
    Btn->SetAnimatEvents({});
    Btn->SetFocus();
    struct Case {
        const wchar_t* Caption;
        int Margin;
        bool Frame;
    };
    for (const Case c : {Case{L"", 1, false}, Case{L"OK", 3, true}, Case{L"OK", 1, true}}) {
        Btn->SetCaption(c.Caption);
        Btn->SetFocusMargin(c.Margin);
        TBitmap* cache = Paint();
        TRect frame = Btn->CaptionRect();
        InflateRect(&frame, c.Margin, c.Margin);
        EXPECT_EQ(RgbAt(cache, frame.left, frame.top) == 0, c.Frame) << c.Margin;
        EXPECT_EQ(CountRgb(cache, TRect(3, 3, W - 3, H - 3), 0) > 0, c.Frame) << c.Margin;
    }
}

// The caption rectangle: the text's measured extent centred in the button.
TEST_F(Button, CaptionRectIsTheMeasuredTextCentred) {
    for (const wchar_t* caption : {L"OK", L"A longer caption", L"登  陆"}) {
        Btn->SetCaption(caption);
        TBmpPtr probe = MakeBmp(2, 2, 3);
        const HDC dc = probe->Canvas()->Handle();
        SelectObject(dc, Btn->Font()->Handle());
        TRect text(0, 0, W - 2, 0);
        DrawTextW(dc, caption, -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        const int dx = (W - text.Width()) / 2, dy = (H - text.Height()) / 2;
        EXPECT_EQ(Btn->CaptionRect(), TRect(dx - 1, dy, W - dx + 2, H - dy));
        Btn->SetDown(true);
        EXPECT_EQ(Btn->CaptionRect(), TRect(dx, dy + 1, W - dx + 3, H - dy + 1));
        Btn->SetDown(false);
    }
}

// The mouse entering fades the normal look into the hot one in the skin's five frames, each
// the old image weighted 255 - k * 256 / 5; the tick after the last ends the fade.
TEST_F(Button, HoverFadesThroughTheFramesOfTheSkin) {
    Paint();
    Btn->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Btn));
    ASSERT_NE(Btn->FadeTimer, nullptr);
    Btn->FadeTimer->SetEnabled(false); // ticks come by hand
    EXPECT_EQ(RgbAt(Btn->SkinData()->CacheBmp(), 5, H / 2), CtlButtonHotColor);
    for (int i = 0; i < 5; ++i) Btn->FadeTimer->Timer();
    EXPECT_EQ(Btn->Frames, FadeFrames(CtlButtonColor, CtlButtonHotColor, {204, 153, 102, 51, 0}));
    Btn->FadeTimer->Timer();
    EXPECT_EQ(Btn->FadeTimer, nullptr);
    // Without fading allowed the change only repaints.
    Btn->SetAnimatEvents({});
    Btn->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Btn));
    EXPECT_EQ(Btn->FadeTimer, nullptr);
    EXPECT_EQ(RgbAt(Btn->SkinData()->CacheBmp(), 5, H / 2), CtlButtonColor);
}

// A press under the mouse fades the hot look into the pressed one in half the skin's frames
// (5 div 2: weights 127 and 0), the release fades back the same way and clicks; the hints are
// off only while the fade starts.
TEST_F(Button, PressAndReleaseFadeInHalfTheFrames) {
    TEventCounter counter;
    Btn->OnClick = TNotifyEvent(&counter, &TEventCounter::Clicked);
    Btn->OnMouseUp = TMouseEvent(&counter, &TEventCounter::Up);
    Btn->SetAnimatEvents({aeMouseDown, aeMouseUp});
    Btn->Probe = TPoint(W / 2, 0);
    Application->SetShowHint(true);
    Btn->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Btn)); // not animated: repainted
    ASSERT_EQ(Btn->FadeTimer, nullptr);
    ASSERT_EQ(RgbAt(Paint(), W / 2, 0), CtlButtonEdge1);
    struct Step {
        const char* Name;
        UINT Msg;
        unsigned From, To;
    };
    for (const Step& step : {Step{"press", WM_LBUTTONDOWN, CtlButtonEdge1, CtlButtonEdge2},
                             Step{"release", WM_LBUTTONUP, CtlButtonEdge2, CtlButtonEdge1}}) {
        SCOPED_TRACE(step.Name);
        Btn->Frames.clear();
        SendMessageW(Btn->Handle(), step.Msg, step.Msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                     MAKELPARAM(W / 2, H / 2));
        EXPECT_TRUE(Application->ShowHint()) << "hints back once the fade started";
        EXPECT_FALSE(HintsSuspended);
        ASSERT_NE(Btn->FadeTimer, nullptr);
        Btn->FadeTimer->SetEnabled(false);
        EXPECT_EQ(Btn->FadeTimer->Iterations, 2);
        Btn->FadeTimer->Timer();
        Btn->FadeTimer->Timer();
        EXPECT_EQ(Btn->Frames, (std::vector<unsigned>{AlphaBlend(step.From, step.To, 127),
                                                      AlphaBlend(step.From, step.To, 0)}));
        Btn->FadeTimer->Timer();
        EXPECT_EQ(Btn->FadeTimer, nullptr) << "the third tick ends it";
    }
    EXPECT_EQ(counter.Clicks, 1);
    EXPECT_EQ(counter.Ups, 1);
    // A release without a press on the button does nothing at all, not even OnMouseUp.
    SendMessageW(Btn->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(W / 2, H / 2));
    EXPECT_EQ(counter.Ups, 1);
    EXPECT_EQ(Btn->FadeTimer, nullptr);
}

// While the frame bar rearranges, the mouse entering a button neither fires OnMouseEnter nor
// fades; skin commands of another manager leave the button skinned and owner-drawn.
TEST_F(Button, IgnoresTheMouseWhileSuspendedAndOtherManagersSkins) {
    TEventCounter counter;
    Btn->OnMouseEnter = TNotifyEvent(&counter, &TEventCounter::Entered);
    Btn->SetAnimatEvents({aeMouseEnter});
    Paint();
    MouseEnterSuspended = true;
    Btn->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Btn));
    MouseEnterSuspended = false;
    EXPECT_EQ(counter.Entries, 0);
    EXPECT_EQ(Btn->FadeTimer, nullptr);
    EXPECT_EQ(Btn->CurrentState(), 0);
    Btn->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Btn));
    EXPECT_EQ(counter.Entries, 1);
    EXPECT_NE(Btn->FadeTimer, nullptr) << "the same entry fades once allowed";
    Btn->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Btn));

    TsSkinManager other(nullptr);
    for (WORD command : {SKCMD_SKINREMOVED, SKCMD_SKINLOADED, SKCMD_REPAINT})
        Btn->Perform(SM_ALPHACMD, SkinWParam(command), reinterpret_cast<LPARAM>(&other));
    EXPECT_TRUE(Btn->SkinData()->Skinned());
    EXPECT_EQ(GetWindowLongW(Btn->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(Button, SpaceShowsThePressedLookAtOnce) {
    Btn->SetFocus();
    ASSERT_TRUE(Btn->Focused());
    SendMessageW(Btn->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    Btn->Perform(CM_DIALOGCHAR, L' ', 0);
    EXPECT_EQ(Btn->FadeTimer, nullptr);
    EXPECT_EQ(RgbAt(Btn->SkinData()->CacheBmp(), W / 2, 0), CtlButtonEdge2);
    SendMessageW(Btn->Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(RgbAt(Btn->SkinData()->CacheBmp(), W / 2, 0), CtlButtonEdge1) << "focused again";
}

TEST_F(Button, DownKeepsThePressedLookWhateverTheMouseDoes) {
    Btn->SetAnimatEvents({});
    Btn->SetDown(true);
    for (UINT msg : {CM_MOUSEENTER, CM_MOUSELEAVE}) {
        Btn->Perform(msg, 0, reinterpret_cast<LPARAM>(Btn));
        EXPECT_EQ(Btn->CurrentState(), 2);
        EXPECT_EQ(RgbAt(Paint(), W / 2, 0), CtlButtonEdge2);
    }
}

// The glow of a hot button: a layered, click-through window around it, its image the skin's
// glow ring pulled in by the section's margin.
TEST_F(Button, HotButtonGlowsAroundItself) {
    TLayeredRecorder recorder;
    Btn->SkinData()->SetSkinSection(L"GLOWBUTTON");
    Btn->SetAnimatEvents({});
    Btn->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Btn));
    ASSERT_GE(Btn->SkinData()->GlowID, 0);
    ASSERT_EQ(LayeredCalls.size(), 1u);
    const TLayeredCall& call = LayeredCalls[0];
    const HWND glow = call.Wnd;
    TRect placed, screen;
    GetWindowRect(glow, &placed);
    GetWindowRect(Btn->Handle(), &screen);
    const int out = CtlGlowWidth - CtlGlowMargin;
    EXPECT_EQ(placed,
              TRect(screen.left - out, screen.top - out, screen.right + out, screen.bottom + out));
    EXPECT_EQ(SendMessageW(glow, WM_NCHITTEST, 0, MAKELPARAM(screen.left + 5, screen.top + 5)),
              HTTRANSPARENT);
    EXPECT_TRUE(GetWindowLongW(glow, GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_EQ(call.BmpWidth, W + 2 * out);
    ASSERT_EQ(call.BmpHeight, H + 2 * out);
    EXPECT_EQ(call.Blend.AlphaFormat, AC_SRC_ALPHA);
    const DWORD ring = call.Pixels[std::size_t(call.BmpHeight / 2) * call.BmpWidth + 1];
    EXPECT_EQ(ring, DWORD(CtlGlowAlpha) << 24 | CtlGlowColor) << "the ring, half opaque";
    EXPECT_EQ(call.Pixels[std::size_t(call.BmpHeight / 2) * call.BmpWidth + call.BmpWidth / 2], 0u)
        << "the centre is clear";
    Btn->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Btn));
    EXPECT_EQ(Btn->SkinData()->GlowID, -1);
    EXPECT_TRUE(Settle([&] { return !IsWindow(glow); })) << "the glow window goes";
    // A new size takes every glow away (the next entry shows one of the new size).
    Btn->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Btn));
    ASSERT_EQ(LayeredCalls.size(), 2u);
    const HWND again = LayeredCalls[1].Wnd;
    ASSERT_TRUE(IsWindow(again));
    Btn->SetBounds(ButtonBounds.left, ButtonBounds.top, W + 10, H);
    EXPECT_TRUE(Settle([&] { return !IsWindow(again); })) << "gone with the new size";
}

} // namespace
