// Title buttons and hit testing: the codes over a grid of points, the state sequence of a click
// on each button and the system command it gives, and a release without a press.
#include "FormSkinTesting.h"

namespace {

class TitleButtons : public FormSkinTest {
protected:
    void SetUp() override {
        FormSkinTest::SetUp();
        ApplySkin();
        Form = MakeForm(bsSizeable, 320, 220);
        Recorder = new TRecorder(Form);
        Provider = Construct<TsSkinProvider>(Form);
        ShowActive(Form);
        SendTo(Form, WM_NCPAINT, 1);
    }
    void TearDown() override {
        Provider->Free();
        delete Recorder;
        FormSkinTest::TearDown();
    }
    // A window point as the screen position a message carries.
    LPARAM At(int X, int Y) const {
        RECT r;
        GetWindowRect(Form->Handle(), &r);
        return MAKELPARAM(r.left + X, r.top + Y);
    }
    LPARAM AtCentre(const TsCaptionButton& Btn) const {
        return At((Btn.Rect.left + Btn.Rect.right) / 2, (Btn.Rect.top + Btn.Rect.bottom) / 2);
    }
    TColor CacheAt(const TsCaptionButton& Btn) const {
        return PixelAt(Provider->SkinData()->CacheBmp(), (Btn.Rect.left + Btn.Rect.right) / 2,
                       (Btn.Rect.top + Btn.Rect.bottom) / 2);
    }
    TForm* Form = nullptr;
    TRecorder* Recorder = nullptr;
    TsSkinProvider* Provider = nullptr;
};

TEST_F(TitleButtons, ButtonsLieRightToLeftInTheTitle) {
    const TsCaptionButton& close = Provider->ButtonClose();
    const TsCaptionButton& max = Provider->ButtonMax();
    const TsCaptionButton& min = Provider->ButtonMin();
    const int border = WindowBorderWidth(Form->Handle());
    EXPECT_EQ(close.Rect.right, Form->Width() - border);
    EXPECT_EQ(close.Rect.Width(), TestSkin::ButtonWidth);
    EXPECT_EQ(close.Rect.Height(), TestSkin::ButtonHeight);
    EXPECT_EQ(max.Rect.right, close.Rect.left);
    EXPECT_EQ(min.Rect.right, max.Rect.left);
    EXPECT_EQ(Provider->ButtonHelp().State, -1);
    for (const TsCaptionButton* btn : {&close, &max, &min}) EXPECT_EQ(btn->State, 0);
    EXPECT_EQ(CacheAt(close), TestSkin::CloseStates[0]);
    EXPECT_EQ(CacheAt(max), TestSkin::MaxStates[0]);
    EXPECT_EQ(CacheAt(min), TestSkin::MinStates[0]);
}

TEST_F(TitleButtons, HitTestGrid) {
    const int w = Form->Width();
    const int h = Form->Height();
    const int border = WindowBorderWidth(Form->Handle());
    const int title = border + Provider->CaptionHeight();
    const TRect icon = Provider->IconRect();
    struct TCase {
        LPARAM Point;
        LRESULT Code;
    };
    const TCase cases[] = {
        {AtCentre(Provider->ButtonClose()), HTCLOSE},
        {AtCentre(Provider->ButtonMax()), HTMAXBUTTON},
        {AtCentre(Provider->ButtonMin()), HTMINBUTTON},
        {At((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2), HTSYSMENU},
        {At(w / 2, title - 3), HTCAPTION},
        {At(w / 2, h / 2), HTCLIENT},
        {At(1, h / 2), HTLEFT},
        {At(w - 1, h / 2), HTRIGHT},
        {At(w / 2, h - 1), HTBOTTOM},
        {At(w / 2, 0), HTTOP},
        {At(1, 1), HTTOPLEFT},
        {At(w - 1, 1), HTTOPRIGHT},
        {At(1, h - 1), HTBOTTOMLEFT},
        {At(w - 1, h - 1), HTBOTTOMRIGHT},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(SendTo(Form, WM_NCHITTEST, 0, c.Point), c.Code)
            << LOWORD(c.Point) << "," << HIWORD(c.Point);
}

TEST_F(TitleButtons, EachClickGoesHotPressedNormalAndGivesItsCommand) {
    struct TCase {
        const TsCaptionButton& Btn;
        int Code;
        WPARAM Command;
        const TColor* States;
    };
    const TCase cases[] = {
        {Provider->ButtonClose(), HTCLOSE, SC_CLOSE, TestSkin::CloseStates},
        {Provider->ButtonMax(), HTMAXBUTTON, SC_MAXIMIZE, TestSkin::MaxStates},
        {Provider->ButtonMin(), HTMINBUTTON, SC_MINIMIZE, TestSkin::MinStates},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Code);
        Recorder->SysCommands.clear();
        const LPARAM p = AtCentre(c.Btn);
        EXPECT_EQ(SendTo(Form, WM_NCHITTEST, 0, p), c.Code);
        EXPECT_EQ(c.Btn.State, 1);
        EXPECT_EQ(CacheAt(c.Btn), c.States[1]);
        SendTo(Form, WM_NCLBUTTONDOWN, c.Code, p);
        EXPECT_EQ(c.Btn.State, 2);
        EXPECT_EQ(CacheAt(c.Btn), c.States[2]);
        SendTo(Form, WM_NCLBUTTONUP, c.Code, p);
        EXPECT_EQ(c.Btn.State, 0);
        // A form being minimised lets its cache go; the others show the button normal again.
        if (c.Command == SC_MINIMIZE)
            EXPECT_EQ(Provider->SkinData()->CacheBmp()->Width(), 0);
        else
            EXPECT_EQ(CacheAt(c.Btn), c.States[0]);
        ASSERT_EQ(Recorder->SysCommands.size(), 1u);
        EXPECT_EQ(Recorder->SysCommands[0], c.Command);
    }
}

// The real pointer over the close button, then off the window: the button goes normal again by
// itself (the provider asked for the leave message).
TEST_F(TitleButtons, TheHotButtonGoesNormalWhenThePointerLeavesTheWindow) {
    const LPARAM p = AtCentre(Provider->ButtonClose());
    SetCursorPos(static_cast<short>(LOWORD(p)), static_cast<short>(HIWORD(p)));
    PumpUntil([&] { return SendTo(Form, WM_NCHITTEST, 0, p) == HTCLOSE; }, 1000);
    ASSERT_EQ(Provider->ButtonClose().State, 1);
    RECT r;
    GetWindowRect(Form->Handle(), &r);
    SetCursorPos(r.right + 50, r.bottom + 50);
    EXPECT_TRUE(PumpUntil([&] { return Provider->ButtonClose().State == 0; }, 3000));
    EXPECT_EQ(CacheAt(Provider->ButtonClose()), TestSkin::CloseStates[0]);
}

// A maximize button that cannot act is title to the hit test, so that dragging on it moves the
// form, and a press on it is no press; restoring a maximized form is still its work.
TEST_F(TitleButtons, ADisabledMaximizeButtonIsTitle) {
    HWND wnd = Form->Handle();
    SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    SendTo(Form, WM_NCPAINT, 1);
    ASSERT_EQ(Provider->ButtonMax().State, 0) << "shown beside an enabled minimize button";
    const LPARAM p = AtCentre(Provider->ButtonMax());
    EXPECT_EQ(SendTo(Form, WM_NCHITTEST, 0, p), HTCAPTION);
    SendTo(Form, WM_NCLBUTTONDOWN, HTMAXBUTTON, p);
    EXPECT_EQ(Provider->ButtonMax().State, 0);
    SendTo(Form, WM_NCLBUTTONUP, HTMAXBUTTON, p);
    EXPECT_TRUE(Recorder->SysCommands.empty());
    ShowWindow(wnd, SW_MAXIMIZE);
    SendTo(Form, WM_NCPAINT, 1);
    EXPECT_EQ(SendTo(Form, WM_NCHITTEST, 0, AtCentre(Provider->ButtonMax())), HTMAXBUTTON);
    ShowWindow(wnd, SW_RESTORE);
}

TEST_F(TitleButtons, ReleaseWithoutAPressGivesNoCommand) {
    const LPARAM p = AtCentre(Provider->ButtonMin());
    SendTo(Form, WM_NCHITTEST, 0, p);
    SendTo(Form, WM_NCLBUTTONUP, HTMINBUTTON, p);
    EXPECT_TRUE(Recorder->SysCommands.empty());
    // Pressed on close, released over minimize: nothing either.
    SendTo(Form, WM_NCLBUTTONDOWN, HTCLOSE, AtCentre(Provider->ButtonClose()));
    SendTo(Form, WM_NCLBUTTONUP, HTMINBUTTON, p);
    EXPECT_TRUE(Recorder->SysCommands.empty());
    EXPECT_EQ(Provider->ButtonClose().State, 0);
}

TEST_F(TitleButtons, DoubleClickOnTheTitleMaximizesOrRestores) {
    SendTo(Form, WM_NCLBUTTONDBLCLK, HTCAPTION, At(Form->Width() / 2, 5));
    ASSERT_EQ(Recorder->SysCommands.size(), 1u);
    EXPECT_EQ(Recorder->SysCommands[0], SC_MAXIMIZE);
    EXPECT_FALSE(Recorder->Saw(WM_NCLBUTTONDBLCLK));
}

TEST_F(TitleButtons, ADialogHasOnlyTheCloseButton) {
    TForm* dialog = MakeForm(bsDialog, 260, 160);
    auto* provider = Construct<TsSkinProvider>(dialog);
    ShowActive(dialog);
    SendTo(dialog, WM_NCPAINT, 1);
    EXPECT_EQ(provider->SysButtonsCount(), 1);
    EXPECT_EQ(provider->ButtonMax().State, -1);
    EXPECT_EQ(provider->ButtonMin().State, -1);
    // Without small images in the skin the dialog takes the big ones.
    EXPECT_EQ(provider->ButtonClose().Rect.Width(), TestSkin::ButtonWidth);
    EXPECT_FALSE(provider->IconVisible());
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR Id, DWORD) {
    KillTimer(nullptr, Id);
    EndMenu();
}

TEST_F(TitleButtons, RightClickOnTheTitleDropsTheWindowMenu) {
    // The menu is closed from a timer; the click must come back and not reach the form.
    SetTimer(nullptr, 0, 100, &CloseMenu);
    Recorder->Seen.clear();
    SendTo(Form, WM_NCRBUTTONUP, HTCAPTION, At(Form->Width() / 2, 5));
    EXPECT_FALSE(Recorder->Saw(WM_NCRBUTTONUP));
    EXPECT_TRUE(Recorder->Saw(WM_INITMENUPOPUP));
    EXPECT_TRUE(Recorder->SysCommands.empty());
}

TEST_F(TitleButtons, MovingOffAButtonMakesItNormalAgain) {
    SendTo(Form, WM_NCHITTEST, 0, AtCentre(Provider->ButtonClose()));
    EXPECT_EQ(Provider->ButtonClose().State, 1);
    SendTo(Form, WM_NCHITTEST, 0, At(Form->Width() / 2, Form->Height() / 2));
    EXPECT_EQ(Provider->ButtonClose().State, 0);
    SendTo(Form, WM_NCHITTEST, 0, AtCentre(Provider->ButtonMax()));
    SendTo(Form, WM_NCMOUSELEAVE);
    EXPECT_EQ(Provider->ButtonMax().State, 0);
    EXPECT_EQ(CacheAt(Provider->ButtonMax()), TestSkin::MaxStates[0]);
}

// The form's answer to being closed is recorded and the close refused: it stays for the test.
struct TCloseAsked {
    int Count = 0;
    void Close(TObject*, TCloseAction& Action) {
        ++Count;
        Action = caNone;
    }
};

TEST_F(TitleButtons, AClickOnTheIconDropsTheWindowMenuADoubleClickCloses) {
    const TRect icon = Provider->IconRect();
    const LPARAM p = At((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
    ASSERT_EQ(SendTo(Form, WM_NCHITTEST, 0, p), HTSYSMENU);
    TCloseAsked asked;
    Form->OnClose = TCloseEvent(&asked, &TCloseAsked::Close);
    // One click: after the wait for a second one the menu drops (closed from a timer).
    SetTimer(nullptr, 0, 400, &CloseMenu);
    Recorder->Seen.clear();
    SendTo(Form, WM_NCLBUTTONDOWN, HTSYSMENU, p);
    EXPECT_TRUE(Recorder->Saw(WM_INITMENUPOPUP));
    EXPECT_EQ(asked.Count, 0);
    // The second click of a double click comes during the wait: the form is closed and no
    // menu drops.
    const UINT_PTR timer = SetTimer(nullptr, 0, 400, &CloseMenu);
    Recorder->Seen.clear();
    PostMessageW(Form->Handle(), WM_NCLBUTTONDBLCLK, HTSYSMENU, p);
    SendTo(Form, WM_NCLBUTTONDOWN, HTSYSMENU, p);
    KillTimer(nullptr, timer);
    EXPECT_EQ(asked.Count, 1);
    EXPECT_FALSE(Recorder->Saw(WM_INITMENUPOPUP));
    Form->OnClose = TCloseEvent();
}

// A form freed by its close while the click on its icon waits: the wait ends quietly.
TEST(TitleIconClick, AFormFreedDuringTheWaitLeavesNothingBehind) {
    struct TFreeOnClose {
        void Close(TObject*, TCloseAction& Action) { Action = caFree; }
    } freeing;
    TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    auto* manager = Construct<TsSkinManager>(nullptr);
    manager->WriteSkinDirectory(TestSkinFolder());
    manager->WriteSkinName(L"FormTest");
    TForm* form = Construct<TForm>(Application);
    form->SetBounds(40, 40, 300, 200);
    form->HandleNeeded();
    auto* provider = Construct<TsSkinProvider>(form);
    form->Show();
    SendMessageW(form->Handle(), WM_NCACTIVATE, TRUE, 0);
    SendMessageW(form->Handle(), WM_NCPAINT, 1, 0);
    HWND wnd = form->Handle();
    const TRect icon = provider->IconRect();
    RECT r;
    GetWindowRect(wnd, &r);
    const LPARAM p = MAKELPARAM(r.left + icon.left + 2, r.top + icon.top + 2);
    form->OnClose = TCloseEvent(&freeing, &TFreeOnClose::Close);
    // Should the menu drop all the same, a timer closes it.
    const UINT_PTR timer = SetTimer(nullptr, 0, 400, &CloseMenu);
    PostMessageW(wnd, WM_NCLBUTTONDBLCLK, HTSYSMENU, p);
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTSYSMENU, p);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(IsWindow(wnd));
    manager->Free();
    framework.Finalize();
}

} // namespace
