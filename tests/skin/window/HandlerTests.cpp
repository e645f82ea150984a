// Handlers attached to real windows: raw windows of a class of our own and class-library forms.
// What reaches the window's previous procedure, what the handler answers itself, and that the
// window works as before once the handler is gone, however it goes.
#include "HandlerTesting.h"

#include "framework/Application.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/engine/sConst.h"

namespace {

WNDPROC ProcOf(HWND Wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)); }

TProbeWnd* Attach(HWND Wnd, const wchar_t* Section = L"CHECKBOX") {
    return Construct<TProbeWnd>(Wnd, nullptr, nullptr, UnicodeString(Section));
}

TEST_F(HandlerTest, RawWindowRoutesThroughTheHandlerAndGetsItsProcedureBack) {
    HWND wnd = MakeRawWindow(nullptr, L"before");
    TProbeWnd* handler = Attach(wnd);
    EXPECT_EQ(HandlerOfWindow(wnd), handler);
    EXPECT_NE(ProcOf(wnd), &RawWindowProc);
    EXPECT_EQ(handler->OldProc, &RawWindowProc);
    EXPECT_EQ(TProbeWnd::Saves, 1) << "the descendant's SaveStdParams runs at attach";
    EXPECT_EQ(handler->Caption, L"before");
    EXPECT_EQ(handler->SkinData->SkinSection(), L"CHECKBOX");

    const int handled = TProbeWnd::Handled;
    EXPECT_EQ(SendMessageW(wnd, WM_APP, 0, 0), RawAnswer);
    EXPECT_EQ(RawCount(WM_APP), 1) << "passed on exactly once";
    EXPECT_GT(TProbeWnd::Handled, handled);
    SetWindowTextW(wnd, L"after");
    EXPECT_EQ(handler->Caption, L"after");
    EXPECT_EQ(SendMessageW(wnd, WM_UPDATEUISTATE, 0, 0), 0);
    EXPECT_EQ(RawCount(WM_UPDATEUISTATE), 0) << "swallowed";

    handler->Free();
    EXPECT_EQ(ProcOf(wnd), &RawWindowProc);
    EXPECT_EQ(HandlerOfWindow(wnd), nullptr);
    EXPECT_EQ(TProbeWnd::Restores, 1);
    EXPECT_EQ(SendMessageW(wnd, WM_APP, 0, 0), RawAnswer);
    EXPECT_EQ(RawCount(WM_APP), 2);
}

TEST_F(HandlerTest, DetachingARawWindowRestoresItsProcedureBeforeFreeing) {
    HWND wnd = MakeRawWindow();
    TacMainWnd* handler = Attach(wnd);
    DetachHandler(wnd, true, false, handler);
    EXPECT_EQ(handler, nullptr);
    EXPECT_EQ(TProbeWnd::Frees, 1);
    EXPECT_EQ(ProcOf(wnd), &RawWindowProc) << "no thunk of the freed handler stays installed";
    EXPECT_EQ(SendMessageW(wnd, WM_APP, 0, 0), RawAnswer);
}

TEST_F(HandlerTest, DetachingTwiceRestoresOnceAndOnlyFreesTheSecondTime) {
    HWND wnd = MakeRawWindow();
    TacMainWnd* handler = Attach(wnd);
    UninstallHandler(wnd, false, true, handler);
    ASSERT_NE(handler, nullptr);
    EXPECT_TRUE(handler->Destroyed);
    // Someone else subclasses the window now: the second detach must not take it away.
    const LONG_PTR other =
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    DetachHandler(wnd, true, false, handler);
    EXPECT_EQ(handler, nullptr);
    EXPECT_EQ(TProbeWnd::Restores, 1);
    EXPECT_EQ(ProcOf(wnd), &DefWindowProcW);
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, other);
}

TEST_F(HandlerTest, AHandlerReleasedInsideItsOwnMessageIsFreedAfterThatMessage) {
    HWND wnd = MakeRawWindow();
    Attach(wnd);
    SendMessageW(wnd, WM_APP + 1, 0, 0);
    EXPECT_EQ(TProbeWnd::Frees, 1);
    EXPECT_FALSE(TProbeWnd::FreedInOwnDispatch);
    EXPECT_EQ(ProcOf(wnd), &RawWindowProc);
    EXPECT_EQ(HandlerOfWindow(wnd), nullptr);
    EXPECT_EQ(SendMessageW(wnd, WM_APP, 0, 0), RawAnswer) << "the window keeps working";
}

TEST_F(HandlerTest, ADestroyedRawWindowDetachesItsHandlerWhichIsFreedLater) {
    HWND wnd = MakeRawWindow();
    TProbeWnd* handler = Attach(wnd);
    DestroyWindow(wnd);
    EXPECT_EQ(RawCount(WM_DESTROY), 1);
    EXPECT_TRUE(handler->Destroyed);
    EXPECT_EQ(TProbeWnd::Restores, 1);
    handler->Free();
    EXPECT_EQ(TProbeWnd::Restores, 1) << "a detached handler is only freed";
    EXPECT_EQ(TProbeWnd::Frees, 1);
}

// Class-library windows: the handler joins the control's method chain and leaves it, before or
// after another hook of the same chain.
TEST_F(HandlerTest, FormHandlerLeavesTheMethodChainInEitherOrder) {
    for (bool handlerFirst : {true, false}) {
        SCOPED_TRACE(handlerFirst ? "handler freed first" : "other hook freed first");
        TForm* form = MakeForm();
        auto* link = new TsCommonData(form, false);
        TProbeWnd* handler =
            Construct<TProbeWnd>(form->Handle(), link, nullptr, UnicodeString(L"FORM"));
        EXPECT_TRUE(handler->OldWndProc);
        EXPECT_EQ(handler->OldProc, nullptr);
        EXPECT_TRUE(form->ControlStyle().Contains(csOpaque));
        auto* recorder = new TRecorder(form);

        SendTo(form, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"chained"));
        EXPECT_EQ(handler->Caption, L"chained");
        EXPECT_EQ(form->Caption(), L"chained");
        if (handlerFirst) {
            handler->Free();
            delete recorder;
        } else {
            delete recorder;
            handler->Free();
        }
        const int handled = TProbeWnd::Handled;
        SendTo(form, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"plain again"));
        EXPECT_EQ(TProbeWnd::Handled, handled) << "the handler is out of the chain";
        EXPECT_EQ(form->Caption(), L"plain again");
        delete link;
    }
}

// SetWindowTheme calls: (a sub-application given, it is one blank).
std::vector<std::pair<bool, bool>> ThemeCalls;

HRESULT WINAPI RecordThemeCall(HWND, LPCWSTR App, LPCWSTR) {
    ThemeCalls.emplace_back(App != nullptr, App && UnicodeString(App) == L" ");
    return S_OK;
}

TEST_F(HandlerTest, VisualStylesGoOffExceptForDialogsAndComeBackOnDetach) {
    const TSetWindowThemeProc saved = SetWindowThemeProc;
    SetWindowThemeProc = RecordThemeCall;
    struct TCase {
        const wchar_t* Section;
        std::vector<std::pair<bool, bool>> Calls;
    };
    const TCase cases[] = {
        {L"CHECKBOX", {{true, true}, {false, false}}},
        {L"DIALOG", {{false, false}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(UnicodeString(c.Section));
        ThemeCalls.clear();
        Attach(MakeRawWindow(), c.Section)->Free();
        EXPECT_EQ(ThemeCalls, c.Calls);
    }
    SetWindowThemeProc = saved;
}

TEST_F(HandlerTest, SkinCommandsAreAnsweredOnlyWhileTheManagerIsActive) {
    HWND wnd = MakeRawWindow();
    TProbeWnd* handler = Attach(wnd);
    ApplySkin();
    RawSeen.clear();
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 1);
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_GETAPPLICATION), 0),
              reinterpret_cast<LRESULT>(Application));
    handler->SkinData->BGChanged = false;
    SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_REPAINT), reinterpret_cast<LPARAM>(Manager));
    EXPECT_TRUE(handler->SkinData->BGChanged);
    EXPECT_EQ(RawCount(SM_ALPHACMD), 0) << "answered, not passed on";
    EXPECT_EQ(RawCount(WM_PAINT), 1);

    // A repaint for another manager is not this handler's.
    handler->SkinData->BGChanged = false;
    SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_REPAINT), 1);
    EXPECT_FALSE(handler->SkinData->BGChanged);
    EXPECT_EQ(RawCount(SM_ALPHACMD), 1);

    Manager->WriteActive(false);
    RawSeen.clear();
    EXPECT_EQ(SendMessageW(wnd, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 0);
    EXPECT_EQ(RawCount(SM_ALPHACMD), 1) << "passed on";
    handler->Free();
}

TEST_F(HandlerTest, PrintIsPaintIntoThePrintContext) {
    HWND wnd = MakeRawWindow();
    TProbeWnd* handler = Attach(wnd);
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ASSERT_EQ(RawCount(WM_PAINT), 1);
    EXPECT_EQ(RawCount(WM_PRINT), 0);
    const auto paint = std::find_if(RawSeen.begin(), RawSeen.end(),
                                    [](const TRawSeen& s) { return s.Msg == WM_PAINT; });
    EXPECT_EQ(paint->WParam, reinterpret_cast<WPARAM>(dc));
    DeleteDC(dc);
    handler->Free();
}

} // namespace
