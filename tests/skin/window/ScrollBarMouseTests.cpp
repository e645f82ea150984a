// The mouse on the skinned bars, with every mouse message sent by hand and the timers' work
// called by hand: hover, clicks that repeat while held, thumb drags and the scroll messages the
// window gets from them, and the clicks that must do nothing.
#include "ScrollBarTesting.h"

namespace {

struct TBarPlace {
    int Bar;
    WPARAM HitCode;
    UINT Msg;
    TPoint Origin;
    // The window point Along pixels down the bar, in its middle across.
    TPoint At(int Along) const {
        return Bar == SB_VERT ? TPoint(Origin.x + 8, Origin.y + Along)
                              : TPoint(Origin.x + Along, Origin.y + 7);
    }
};
const TBarPlace Horz{SB_HORZ, HTHSCROLL, WM_HSCROLL, HorzAt};
const TBarPlace Vert{SB_VERT, HTVSCROLL, WM_VSCROLL, VertAt};

struct TScroll {
    UINT Msg;
    int Code;
    int Word16; // the position in WParam's high word
    LPARAM LParam;
};

class ScrollMouse : public ScrollBarTest {
protected:
    void SetUp() override {
        ScrollBarTest::SetUp();
        ApplyGeneratedSkin();
        Handler = AttachStandard(Wnd, 45);
        ScrollLog.Seen.clear();
    }
    TPoint Screen(TPoint Window) const {
        RECT w;
        GetWindowRect(Wnd, &w);
        return TPoint(w.left + Window.x, w.top + Window.y);
    }
    LRESULT Press(const TBarPlace& Place, int Along) {
        const TPoint p = Place.At(Along);
        return SendMessageW(Wnd, WM_NCLBUTTONDOWN, Place.HitCode, ScreenLParam(Wnd, p.x, p.y));
    }
    void Move(const TBarPlace& Place, int Along) {
        const TPoint p = Place.At(Along);
        SendMessageW(Wnd, WM_MOUSEMOVE, MK_LBUTTON, ClientLParam(Wnd, p.x, p.y));
    }
    void Release() { SendMessageW(Wnd, WM_LBUTTONUP, 0, ClientLParam(Wnd, 0, 0)); }

    HWND Wnd = nullptr;
    TacScrollWnd* Handler = nullptr;
};

void ExpectSent(const std::vector<TScroll>& Expected) {
    const std::vector<TScroll> sent = [] {
        std::vector<TScroll> result;
        for (const TScrollSeen& s : ScrollLog.Scrolls())
            result.push_back({s.Msg, LOWORD(s.WParam), HIWORD(s.WParam), s.LParam});
        return result;
    }();
    ASSERT_EQ(sent.size(), Expected.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sent[i].Msg, Expected[i].Msg);
        EXPECT_EQ(sent[i].Code, Expected[i].Code);
        EXPECT_EQ(sent[i].Word16, Expected[i].Word16);
        EXPECT_EQ(sent[i].LParam, Expected[i].LParam);
    }
}

TEST_F(ScrollMouse, HoverFollowsTheBarTheMouseMovesOnAndThePoll) {
    SendMessageW(Wnd, WM_NCMOUSEMOVE, HTVSCROLL, ScreenLParam(Wnd, VertAt.x + 8, 60));
    const TacScrollTracking& t = ScrollTracking;
    EXPECT_EQ(t.CurrentWnd, Wnd);
    EXPECT_EQ(t.HotBar, SB_VERT);
    EXPECT_EQ(t.HotPortion, spNone) << "the poll finds the part";
    EXPECT_EQ(t.HoverTimer, HoverTimerId);
    EXPECT_EQ(t.HoverRect, GetVScrollRect(*Handler));
    EXPECT_EQ(ScrollLog.Count(WM_NCMOUSEMOVE), 1) << "passed on";

    SendMessageW(Wnd, WM_NCMOUSEMOVE, HTHSCROLL, ScreenLParam(Wnd, 60, HorzAt.y + 7));
    EXPECT_EQ(t.HotBar, SB_HORZ);
    EXPECT_EQ(t.HoverRect, GetHScrollRect(*Handler));
    struct TCase {
        const char* Where;
        int Along;
        int Portion;
    };
    for (const TCase& c : {TCase{"left arrow", 4, spFirstArrow}, TCase{"page", 30, spPageBefore},
                           TCase{"thumb", 65, spThumb}, TCase{"right arrow", 120, spSecondArrow}}) {
        SCOPED_TRACE(c.Where);
        Handler->TimerTick(HoverTimerId, Screen(Horz.At(c.Along)));
        EXPECT_EQ(t.HotPortion, c.Portion);
        EXPECT_EQ(t.LastHotPortion, c.Portion);
    }
    // Not while a thumb is dragged.
    Handler->fThumbTracking = true;
    Handler->TimerTick(HoverTimerId, Screen(Horz.At(4)));
    EXPECT_EQ(t.HotPortion, spSecondArrow);
    Handler->fThumbTracking = false;

    SendMessageW(Wnd, WM_NCMOUSEMOVE, HTCLIENT, ScreenLParam(Wnd, 60, 60));
    EXPECT_EQ(t.HotBar, SB_HORZ) << "only the poll ends the hover";
    Handler->TimerTick(HoverTimerId, Screen(TPoint(60, 60)));
    EXPECT_EQ(t.HotBar, -1);
    EXPECT_EQ(t.HotPortion, spNone);
    EXPECT_EQ(t.HoverTimer, 0u);
    EXPECT_FALSE(KillTimer(Wnd, HoverTimerId)) << "the poll stopped itself";
}

TEST_F(ScrollMouse, AHeldPartRepeatsWhileTheMouseStaysOnIt) {
    struct TCase {
        const char* Name;
        TBarPlace Place;
        int On, Off;
        int Code;
    };
    const TCase cases[] = {{"up arrow", Vert, 5, 40, SB_LINEUP},
                           {"down arrow", Vert, 124, 40, SB_LINEDOWN},
                           {"page left", Horz, 30, 80, SB_PAGEUP},
                           {"page right", Horz, 100, 30, SB_PAGEDOWN}};
    const TacScrollTracking& t = ScrollTracking;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ScrollLog.Seen.clear();
        const UINT msg = c.Place.Msg;
        EXPECT_EQ(Press(c.Place, c.On), 0);
        ExpectSent({{msg, c.Code, 0, 0}});
        EXPECT_EQ(t.TrackBar, c.Place.Bar);
        EXPECT_EQ(t.TrackPortion, c.Code);
        EXPECT_EQ(t.PressedPortion, c.Code);
        EXPECT_EQ(t.ScrollTimer, FirstRepeatTimerId);
        EXPECT_EQ(GetCapture(), Wnd);

        Handler->TimerTick(FirstRepeatTimerId, Screen(c.Place.At(c.On)));
        EXPECT_EQ(t.ScrollTimer, RepeatTimerId) << "the first delay gives way to the repeats";
        ExpectSent({{msg, c.Code, 0, 0}});
        Handler->TimerTick(RepeatTimerId, Screen(c.Place.At(c.On)));
        Handler->TimerTick(RepeatTimerId, Screen(c.Place.At(c.On)));
        Handler->TimerTick(RepeatTimerId, Screen(c.Place.At(c.Off)));
        EXPECT_EQ(t.PressedPortion, spNone) << "off the part";
        Handler->TimerTick(RepeatTimerId, Screen(c.Place.At(c.On)));
        EXPECT_EQ(t.PressedPortion, c.Code);
        Release();
        ExpectSent({{msg, c.Code, 0, 0},
                    {msg, c.Code, 0, 0},
                    {msg, c.Code, 0, 0},
                    {msg, c.Code, 0, 0},
                    {msg, SB_ENDSCROLL, 0, 0}});
        EXPECT_EQ(t.TrackPortion, spNone);
        EXPECT_EQ(t.TrackBar, -1);
        EXPECT_EQ(t.ScrollTimer, 0u);
        EXPECT_NE(GetCapture(), Wnd);
        EXPECT_FALSE(KillTimer(Wnd, RepeatTimerId)) << "the repeat stopped";
        Handler->TimerTick(RepeatTimerId, Screen(c.Place.At(c.On)));
        EXPECT_EQ(ScrollLog.Scrolls().size(), 5u) << "a late repeat sends nothing";
    }
}

TEST_F(ScrollMouse, ScrollMessagesComeBetweenTheScrollCommands) {
    Press(Vert, 124);
    Release();
    std::vector<std::pair<UINT, LPARAM>> order;
    for (const TScrollSeen& s : ScrollLog.Seen) {
        if (s.Msg == WM_VSCROLL) order.push_back({s.Msg, LOWORD(s.WParam)});
        const UINT command = s.Msg == SM_ALPHACMD ? SkinCommandOf(s.WParam) : 0;
        if (command == SKCMD_SCROLLSTART || command == SKCMD_SCROLLEND)
            order.push_back({command, s.LParam});
    }
    const LPARAM down = MAKELPARAM(SB_LINEDOWN, WM_VSCROLL);
    const LPARAM end = MAKELPARAM(SB_ENDSCROLL, WM_VSCROLL);
    const std::vector<std::pair<UINT, LPARAM>> expected{
        {SKCMD_SCROLLSTART, down}, {WM_VSCROLL, SB_LINEDOWN},  {SKCMD_SCROLLEND, down},
        {SKCMD_SCROLLSTART, end},  {WM_VSCROLL, SB_ENDSCROLL}, {SKCMD_SCROLLEND, end}};
    EXPECT_EQ(order, expected);
}

TEST_F(ScrollMouse, DraggingTheThumbSendsItsPositionsAndWhereItWasLetGo) {
    struct TCase {
        const char* Name;
        TBarPlace Place;
        int Min;
    };
    // Grabbed 2 pixels into the thumb at 61; its track runs from 16 to 116, 90 positions long.
    for (const TCase& c :
         {TCase{"horizontal", Horz, 0}, TCase{"vertical", Vert, 0},
          TCase{"horizontal from 100", Horz, 100}, TCase{"vertical from -50", Vert, -50}}) {
        SCOPED_TRACE(c.Name);
        SetScroll(Wnd, c.Place.Bar, c.Min, c.Min + 99, 10, c.Min + 45);
        ScrollLog.Seen.clear();
        Press(c.Place, 63);
        EXPECT_TRUE(Handler->fThumbTracking);
        EXPECT_EQ(GetCapture(), Wnd);
        Move(c.Place, 73);
        Move(c.Place, 73);
        Move(c.Place, 93);
        Move(c.Place, 400);
        const int farEnd = c.Min + 99 - 10 + 1;
        EXPECT_EQ(GetScrollPos(Wnd, c.Place.Bar), farEnd) << "stored while tracking";
        Move(c.Place, -300);
        Release();
        const UINT m = c.Place.Msg;
        const auto word = [](int Pos) { return static_cast<int>(LOWORD(Pos)); };
        ExpectSent({{m, SB_THUMBTRACK, word(c.Min + 55), 0},
                    {m, SB_THUMBTRACK, word(c.Min + 75), 0},
                    {m, SB_THUMBTRACK, word(farEnd), 0},
                    {m, SB_THUMBTRACK, word(c.Min), 0},
                    {m, SB_THUMBPOSITION, word(c.Min), 0},
                    {m, SB_ENDSCROLL, word(c.Min), 0}});
        const std::vector<TScrollSeen> seen = ScrollLog.Scrolls();
        ASSERT_EQ(seen.size(), 6u);
        EXPECT_EQ(seen[0].Pos, c.Min + 55) << "the window reads the position it is told";
        EXPECT_FALSE(Handler->fThumbTracking);
        EXPECT_EQ(ScrollTracking.TrackPortion, spNone);
        EXPECT_NE(GetCapture(), Wnd);
    }
}

TEST_F(ScrollMouse, AWindowThatAsksGetsWholePositionsAndKeepsItsScrollData) {
    struct TCase {
        LRESULT Answer;
        int Word16;
        LPARAM LParam;
        int StoredPos;
    };
    // 0..200000, page 1000: the far end of the track is position 199001.
    for (const TCase& c : {TCase{1, LOWORD(199001), 199001, 0}, TCase{0, 0xFFFF, 0, 199001}}) {
        SCOPED_TRACE(c.Answer);
        SetScroll(Wnd, SB_HORZ, 0, 200000, 1000, 0);
        ScrollLog.Seen.clear();
        ScrollLog.ScrollStartAnswer = c.Answer;
        Press(Horz, 18);
        Move(Horz, 400);
        const std::vector<TScrollSeen> seen = ScrollLog.Scrolls();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(LOWORD(seen[0].WParam), SB_THUMBTRACK);
        EXPECT_EQ(HIWORD(seen[0].WParam), c.Word16);
        EXPECT_EQ(seen[0].LParam, c.LParam);
        EXPECT_EQ(GetScrollPos(Wnd, SB_HORZ), c.StoredPos);
        Release();
        EXPECT_EQ(GetScrollPos(Wnd, SB_HORZ), c.StoredPos);
    }
}

TEST_F(ScrollMouse, ClicksThatMustDoNothing) {
    // A disabled arrow ignores the click; the other arrow still scrolls.
    Handler->sBarVert.fScrollFlags |= sfFirstArrowDisabled;
    EXPECT_EQ(Press(Vert, 5), 0);
    EXPECT_EQ(ScrollTracking.TrackPortion, spNone);
    EXPECT_NE(GetCapture(), Wnd);
    Press(Vert, 124);
    Release();
    ExpectSent({{WM_VSCROLL, SB_LINEDOWN, 0, 0}, {WM_VSCROLL, SB_ENDSCROLL, 0, 0}});

    // Right and middle buttons on a bar; elsewhere they reach the window.
    for (UINT msg : {WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCMBUTTONDOWN, WM_NCMBUTTONUP}) {
        SCOPED_TRACE(msg);
        EXPECT_EQ(SendMessageW(Wnd, msg, HTHSCROLL, ScreenLParam(Wnd, 30, HorzAt.y + 7)), 0);
        EXPECT_EQ(SendMessageW(Wnd, msg, HTVSCROLL, ScreenLParam(Wnd, VertAt.x + 8, 30)), 0);
        EXPECT_EQ(ScrollLog.Count(msg), 0);
        SendMessageW(Wnd, msg, HTBORDER, ScreenLParam(Wnd, 0, 0));
        EXPECT_EQ(ScrollLog.Count(msg), 1);
    }
    // The system's own tracking of either bar never starts; other commands go through.
    SendMessageW(Wnd, WM_SYSCOMMAND, SC_VSCROLL | HTVSCROLL, 0);
    SendMessageW(Wnd, WM_SYSCOMMAND, SC_HSCROLL | HTHSCROLL, 0);
    EXPECT_EQ(ScrollLog.Count(WM_SYSCOMMAND), 0);
    SendMessageW(Wnd, WM_SYSCOMMAND, 0xF1F0, 0);
    EXPECT_EQ(ScrollLog.Count(WM_SYSCOMMAND), 1);
    EXPECT_EQ(ScrollLog.Scrolls().size(), 2u) << "no scrolling from any of it";
}

TEST_F(ScrollMouse, AWindowGoingAwayWhileItsBarIsHeldLeavesNoTrackingBehind) {
    Press(Vert, 124);
    ASSERT_EQ(GetCapture(), Wnd);
    DestroyWindow(Wnd);
    EXPECT_TRUE(Handler->Destroyed);
    EXPECT_EQ(ScrollTracking.TrackPortion, spNone);
    EXPECT_EQ(ScrollTracking.CurrentWnd, nullptr);
    EXPECT_NE(GetCapture(), Wnd);

    // Another window's button release is its own again.
    HWND other = MakeWindow(151, 149);
    Attach(other);
    ScrollLog.Seen.clear();
    SendMessageW(other, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(ScrollLog.Count(WM_LBUTTONUP), 1);
    EXPECT_TRUE(ScrollLog.Scrolls().empty());
}

TEST_F(ScrollMouse, AClickOrDragEndsWhenAnotherWindowTakesTheMouse) {
    HWND other = MakeWindow(60, 60, 0);
    struct TCase {
        const char* Name;
        TBarPlace Place;
        int Along;
        std::vector<TScroll> Sent;
    };
    const TCase cases[] = {
        {"held arrow",
         Vert,
         124,
         {{WM_VSCROLL, SB_LINEDOWN, 0, 0}, {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}},
        {"dragged thumb",
         Horz,
         63,
         {{WM_HSCROLL, SB_THUMBTRACK, 55, 0},
          {WM_HSCROLL, SB_THUMBPOSITION, 55, 0},
          {WM_HSCROLL, SB_ENDSCROLL, 55, 0}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SetScroll(Wnd, SB_HORZ, 0, 99, 10, 45);
        ScrollLog.Seen.clear();
        Press(c.Place, c.Along);
        if (Handler->fThumbTracking) Move(c.Place, c.Along + 10);
        SetCapture(other);
        ExpectSent(c.Sent);
        EXPECT_EQ(ScrollTracking.TrackPortion, spNone);
        EXPECT_FALSE(Handler->fThumbTracking);
        EXPECT_FALSE(KillTimer(Wnd, FirstRepeatTimerId)) << "no repeat goes on";
        ReleaseCapture();
        EXPECT_EQ(ScrollLog.Scrolls().size(), c.Sent.size()) << "ended once";
    }
}

TEST_F(ScrollMouse, AHandlerLetGoWhileHoveredStopsItsTimers) {
    SendMessageW(Wnd, WM_NCMOUSEMOVE, HTVSCROLL, ScreenLParam(Wnd, VertAt.x + 8, 60));
    ASSERT_EQ(ScrollTracking.HoverTimer, HoverTimerId);
    ReleaseHandler(Handlers.back());
    EXPECT_FALSE(KillTimer(Wnd, HoverTimerId));
    EXPECT_EQ(ScrollTracking.HotBar, -1);
}

class ScrollBarHover : public ScrollMouse {};

TEST_F(ScrollBarHover, ThePollReadsTheRealCursor) {
    POINT saved;
    GetCursorPos(&saved);
    SendMessageW(Wnd, WM_NCMOUSEMOVE, HTVSCROLL, ScreenLParam(Wnd, VertAt.x + 8, 60));
    const TPoint arrow = Screen(Vert.At(5));
    SetCursorPos(arrow.x, arrow.y);
    SendMessageW(Wnd, WM_TIMER, HoverTimerId, 0);
    EXPECT_EQ(ScrollTracking.HotPortion, spFirstArrow);
    const TPoint away = Screen(TPoint(60, 60));
    SetCursorPos(away.x, away.y);
    SendMessageW(Wnd, WM_TIMER, HoverTimerId, 0);
    EXPECT_EQ(ScrollTracking.HotBar, -1);
    EXPECT_EQ(ScrollLog.Count(WM_TIMER), 0) << "the bars' own timer stays theirs";
    SetCursorPos(saved.x, saved.y);
}

} // namespace
