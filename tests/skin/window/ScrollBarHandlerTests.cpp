// The scroll handler on its window: what the window's own procedure still sees of the standard
// bars, the hit tests and skin commands it answers, the bars re-read, and the ways it is given
// and taken away (the system's bars come back as they were).
#include "ScrollBarTesting.h"

#include "framework/Forms.h"

namespace {

class ScrollHandler : public ScrollBarTest {
protected:
    void SetUp() override {
        ScrollBarTest::SetUp();
        ApplyGeneratedSkin();
    }
};

TEST_F(ScrollHandler, TheWindowsOwnProcedureNeverSeesTheStandardBars) {
    HWND wnd = MakeWindow(151, 149);
    ScrollLog.Seen.clear();
    Attach(wnd);
    const LONG bars = WS_HSCROLL | WS_VSCROLL;
    ASSERT_GT(ScrollLog.Count(WM_NCCALCSIZE), 0);
    for (const TScrollSeen& s : ScrollLog.Seen)
        if (s.Msg == WM_NCCALCSIZE) {
            EXPECT_EQ(s.Style & bars, 0) << "frame computed without them";
        }
    ScrollLog.Seen.clear();
    SendMessageW(wnd, WM_NCPAINT, 1, 0);
    ASSERT_EQ(ScrollLog.Count(WM_NCPAINT), 1);
    for (const TScrollSeen& s : ScrollLog.Seen)
        if (s.Msg == WM_NCPAINT) {
            EXPECT_EQ(s.Style & bars, 0) << "frame painted without them";
        }
    EXPECT_EQ(ScrollLog.Count(WM_STYLECHANGED), 0) << "the moment's style change is not told";
    EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & bars, bars) << "and is undone";
}

TEST_F(ScrollHandler, HitTestsOnTheBarsAreAnsweredByTheHandler) {
    HWND wnd = MakeWindow(151, 149);
    Attach(wnd);
    struct TCase {
        const char* Where;
        int X, Y;
        LRESULT Code;
        bool PassedOn;
    };
    const TCase cases[] = {
        {"horizontal bar", HorzAt.x + 60, HorzAt.y + 7, HTHSCROLL, false},
        {"vertical bar", VertAt.x + 8, VertAt.y + 60, HTVSCROLL, false},
        {"corner with the grip", 140, 140, HTBOTTOMRIGHT, false},
        {"client area", 60, 60, HTCLIENT, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Where);
        ScrollLog.Seen.clear();
        EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, ScreenLParam(wnd, c.X, c.Y)), c.Code);
        EXPECT_EQ(ScrollLog.Count(WM_NCHITTEST), c.PassedOn ? 1 : 0);
    }
    EnableScrollBar(wnd, SB_HORZ, ESB_DISABLE_BOTH);
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, ScreenLParam(wnd, HorzAt.x + 60, HorzAt.y + 7)),
              HTNOWHERE);
}

TEST_F(ScrollHandler, TheBarsAreActiveByTheSystemsStateTheirFlagsAndTheirRange) {
    HWND wnd = MakeWindow(151, 149);
    TacScrollWnd* handler = Attach(wnd);
    struct TCase {
        const char* Name;
        Word Flags;
        int Max;
        bool Disable;
        bool Active;
    };
    const TCase cases[] = {
        {"plain", sfStyleHasBar, 99, false, true},
        {"one arrow disabled", sfStyleHasBar | sfFirstArrowDisabled, 99, false, true},
        {"both arrows disabled", sfStyleHasBar | sfFirstArrowDisabled | sfSecondArrowDisabled, 99,
         false, false},
        {"range checked, valid", sfStyleHasBar | sfCheckRange, 99, false, true},
        {"range checked, empty", sfStyleHasBar | sfCheckRange, 0, false, false},
        {"the system's bar disabled", sfStyleHasBar, 99, true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SetScroll(wnd, SB_VERT, 0, c.Max, 10, 0);
        EnableScrollBar(wnd, SB_VERT, c.Disable ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
        RefreshScrollBars(handler, false);
        handler->sBarVert.fScrollFlags = c.Flags;
        EXPECT_EQ(IsScrollbarActive(handler->sBarVert), c.Active);
    }
    // Without the system's answer only the style counts.
    const TGetScrollBarInfoProc saved = GetScrollBarInfoProc;
    GetScrollBarInfoProc = nullptr;
    EXPECT_TRUE(IsScrollbarActive(handler->sBarVert));
    SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) & ~WS_VSCROLL);
    EXPECT_FALSE(IsScrollbarActive(handler->sBarVert));
    GetScrollBarInfoProc = saved;
}

TEST_F(ScrollHandler, SkinCommandsAreAnsweredWhileTheSkinIsActive) {
    HWND wnd = MakeWindow(151, 149);
    Attach(wnd);
    const TColor window = static_cast<TColor>(RGB(
        ScrollWindowColor >> 16 & 0xFF, ScrollWindowColor >> 8 & 0xFF, ScrollWindowColor & 0xFF));
    ScrollLog.Seen.clear();
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 1);
    EXPECT_EQ(ScrollLog.Count(SM_ALPHACMD), 0);
    TacBackgroundInfo info;
    SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_GETBGINFO), reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.Kind, 1);
    EXPECT_EQ(static_cast<TColor>(info.Color), window);
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_GETBGCOLOR), 0), LRESULT(window));
    EXPECT_EQ(ScrollLog.Count(SM_ALPHACMD), 2) << "the window is asked first";

    Manager->WriteActive(false);
    ScrollLog.Seen.clear();
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 0);
    EXPECT_EQ(ScrollLog.Count(SM_ALPHACMD), 1) << "passed on";
}

TEST_F(ScrollHandler, TheBarsAreReadAgainWhenAsked) {
    HWND wnd = MakeWindow(151, 149);
    TacScrollWnd* handler = Attach(wnd);
    struct TCase {
        const char* Name;
        std::function<void()> Ask;
        bool Read;
    };
    const TCase cases[] = {
        {"refresh", [&] { RefreshScrollBars(handler, true); }, true},
        {"mouse wheel", [&] { SendMessageW(wnd, WM_MOUSEWHEEL, 0, 0); }, true},
        {"mouse wheel while the handler scrolls",
         [&] {
             handler->DontRepaint = true;
             SendMessageW(wnd, WM_MOUSEWHEEL, 0, 0);
             handler->DontRepaint = false;
         },
         false},
        {"refresh while updating",
         [&] {
             handler->SkinData->SetUpdating(true);
             RefreshScrollBars(handler, true);
             handler->SkinData->SetUpdating(false);
         },
         false},
        {"refresh of no handler", [&] { RefreshScrollBars(nullptr, true); }, false},
    };
    int pos = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const int before = handler->sBarVert.ScrollInfo.nPos;
        SetScroll(wnd, SB_VERT, 0, 99, 10, pos += 7);
        c.Ask();
        EXPECT_EQ(handler->sBarVert.ScrollInfo.nPos, c.Read ? pos : before);
        EXPECT_EQ(handler->sBarVert.ScrollInfo.nMax, 99);
    }
}

TEST_F(ScrollHandler, ALeftScrollBarStyleMovesTheVerticalBar) {
    HWND wnd = MakeWindow(151, 149);
    TacScrollWnd* handler = Attach(wnd);
    EXPECT_EQ(InWindow(wnd, GetVScrollRect(*handler)), TRect(133, 1, 150, 133));
    SetWindowLongW(wnd, GWL_EXSTYLE, GetWindowLongW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    EXPECT_TRUE(handler->fLeftScrollbar);
    RefreshFrame(wnd, true);
    EXPECT_EQ(InWindow(wnd, GetVScrollRect(*handler)), TRect(1, 1, 18, 133));
    EXPECT_EQ(InWindow(wnd, GetHScrollRect(*handler)), TRect(18, 133, 150, 148));
}

TEST_F(ScrollHandler, BarsAreReachedByWindowAndMinimumThumbsSetPerBar) {
    HWND wnd = MakeWindow(151, 149);
    TacScrollWnd* handler = Attach(wnd);
    EXPECT_EQ(ScrollBarOf(wnd, 0), &handler->sBarHorz);
    EXPECT_EQ(ScrollBarOf(wnd, 1), &handler->sBarVert);
    EXPECT_EQ(ScrollBarOf(wnd, 2), nullptr);
    EXPECT_EQ(ScrollBarOf(MakeWindow(50, 50), 0), nullptr) << "a window without a handler";
    EXPECT_EQ(handler->sBarHorz.nMinThumbSize, DefaultMinThumbSize);
    struct TCase {
        int Bar;
        int Horz, Vert;
    };
    for (const TCase& c :
         {TCase{0, 20, 10}, TCase{1, 20, 30}, TCase{2, 20, 30}, TCase{3, 40, 40}}) {
        SCOPED_TRACE(c.Bar);
        const int size = c.Bar == 3 ? 40 : c.Bar == 1 ? 30 : c.Bar == 0 ? 20 : 99;
        EXPECT_TRUE(SetMinThumbSize(wnd, c.Bar, size));
        EXPECT_EQ(handler->sBarHorz.nMinThumbSize, c.Horz);
        EXPECT_EQ(handler->sBarVert.nMinThumbSize, c.Vert);
    }
    EXPECT_FALSE(SetMinThumbSize(MakeWindow(50, 50), 3, 5));
}

TEST_F(ScrollHandler, DetachingGivesTheWindowItsSystemBarsBack) {
    HWND wnd = MakeWindow(151, 149);
    RECT system;
    GetClientRect(wnd, &system);
    Attach(wnd);
    RECT skinned;
    GetClientRect(wnd, &skinned);
    EXPECT_EQ(TRect(skinned), TRect(0, 0, 132, 132)) << "the skinned bars' room";

    DetachHandler(wnd, true, true, Handlers.back());
    EXPECT_EQ(Handlers.back(), nullptr);
    RECT after;
    GetClientRect(wnd, &after);
    EXPECT_EQ(TRect(after), TRect(system));
    EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
    EXPECT_EQ(HandlerOfWindow(wnd), nullptr);
    EXPECT_EQ(ScrollBarOf(wnd, SB_VERT), nullptr);
    ScrollLog.Seen.clear();
    RECT w;
    GetWindowRect(wnd, &w);
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(w.right - 5, w.top + 40)), HTVSCROLL);
    EXPECT_EQ(ScrollLog.Count(WM_NCHITTEST), 1) << "the system answers for its own bar";
}

// A control's link and what the scroll-bar entry point does with it.
BOOL WINAPI RecordInitialize(HWND Wnd);
BOOL WINAPI RecordUninitialize(HWND Wnd);
std::vector<std::pair<bool, HWND>> FlatCalls;
BOOL WINAPI RecordInitialize(HWND Wnd) {
    FlatCalls.push_back({true, Wnd});
    return TRUE;
}
BOOL WINAPI RecordUninitialize(HWND Wnd) {
    FlatCalls.push_back({false, Wnd});
    return TRUE;
}

class TProbeScrollWnd : public TacScrollWnd {
    CLASS_INFO(TProbeScrollWnd, TacScrollWnd)
public:
    using TacScrollWnd::TacScrollWnd;
    ~TProbeScrollWnd() override {
        ++Frees;
        FreedWhileDispatching = Dispatching();
    }
    static inline int Frees = 0;
    static inline bool FreedWhileDispatching = false;
};

class ScrollAttach : public ScrollHandler {
protected:
    void SetUp() override {
        ScrollHandler::SetUp();
        FlatCalls.clear();
        SavedInit = InitializeFlatSBProc;
        SavedUninit = UninitializeFlatSBProc;
        InitializeFlatSBProc = &RecordInitialize;
        UninitializeFlatSBProc = &RecordUninitialize;
        Form = MakeForm();
        Box = Construct<TScrollBox>(Form);
        Box->SetParent(Form);
        Box->SetBounds(10, 10, 120, 90);
        Link = new TsCommonData(Box, false);
        Link->FOwnerControl = Box;
        Link->SetSkinSection(L"EDIT");
    }
    void TearDown() override {
        ReleaseHandler(ScrollWnd);
        Link->Free();
        InitializeFlatSBProc = SavedInit;
        UninitializeFlatSBProc = SavedUninit;
        ScrollHandler::TearDown();
    }

    TForm* Form = nullptr;
    TScrollBox* Box = nullptr;
    TsCommonData* Link = nullptr;
    TacScrollWnd* ScrollWnd = nullptr;
    TFlatSBSwitchProc SavedInit = nullptr;
    TFlatSBSwitchProc SavedUninit = nullptr;
};

TEST_F(ScrollAttach, ASkinnedControlGetsOneHandlerAndLosesItWithTheSkin) {
    AttachScrollWnd(Link, ScrollWnd);
    ASSERT_NE(ScrollWnd, nullptr);
    HWND wnd = Box->Handle();
    EXPECT_EQ(HandlerOfWindow(wnd), ScrollWnd);
    EXPECT_EQ(ScrollWnd->SkinData, Link) << "the control's own link";
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 1);
    TacScrollWnd* first = ScrollWnd;
    AttachScrollWnd(Link, ScrollWnd);
    EXPECT_EQ(ScrollWnd, first) << "one handler";

    TacMainWnd* detached = ScrollWnd;
    UninstallHandler(wnd, false, false, detached);
    AttachScrollWnd(Link, ScrollWnd);
    EXPECT_FALSE(ScrollWnd->Destroyed) << "a detached handler is replaced";
    EXPECT_EQ(HandlerOfWindow(wnd), ScrollWnd);

    Link->SetSkinSection(L"NOSUCHSECTION");
    AttachScrollWnd(Link, ScrollWnd);
    EXPECT_EQ(ScrollWnd, nullptr);
    EXPECT_EQ(HandlerOfWindow(wnd), nullptr);
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 0);
    const std::vector<std::pair<bool, HWND>> expected{
        {false, wnd}, {false, wnd}, {false, wnd}, {true, wnd}};
    EXPECT_EQ(FlatCalls, expected) << "flat bars off while skinned, back on after";
}

TEST_F(ScrollAttach, AHandlerLetGoInsideItsOwnMessageGoesWhenThatMessageIsDone) {
    struct THook {
        TsCommonData* Link;
        TacScrollWnd** Slot;
        TWndMethod Saved;
        void Handle(TMessage& Message) {
            if (Message.Msg == WM_APP + 3) {
                Link->SetSkinSection(L"NOSUCHSECTION");
                AttachScrollWnd(Link, *Slot);
                return;
            }
            Saved(Message);
        }
    } hook{Link, &ScrollWnd, Box->WindowProc()};
    Box->SetWindowProc(TWndMethod(&hook, &THook::Handle));
    TProbeScrollWnd::Frees = 0;
    ScrollWnd = Construct<TProbeScrollWnd>(Box->Handle(), Link, Manager, UnicodeString(L"EDIT"));
    SendMessageW(Box->Handle(), WM_APP + 3, 0, 0);
    EXPECT_EQ(ScrollWnd, nullptr);
    EXPECT_EQ(TProbeScrollWnd::Frees, 1);
    EXPECT_FALSE(TProbeScrollWnd::FreedWhileDispatching);
    EXPECT_EQ(HandlerOfWindow(Box->Handle()), nullptr);
    Box->SetWindowProc(hook.Saved);
}

TEST_F(ScrollAttach, NothingHappensWhileTheControlIsDestroyed) {
    Box->Destroying();
    AttachScrollWnd(Link, ScrollWnd);
    EXPECT_EQ(ScrollWnd, nullptr);
    EXPECT_TRUE(FlatCalls.empty());
}

} // namespace
