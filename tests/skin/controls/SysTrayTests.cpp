#include "skin/controls/RangeErrors.h"
#include "skin/controls/SysTray.h"

#include "framework/Menus.h"

#include "SkinTesting.h"

#include <string>

namespace {

struct TRecorded {
    DWORD Message;
    NOTIFYICONDATAW Data;
};

std::vector<TRecorded> Records;
BOOL AddAnswer = TRUE;
int ShellVersion = 6;

BOOL WINAPI RecordNotify(DWORD message, PNOTIFYICONDATAW data) {
    Records.push_back({message, *data});
    return message == NIM_ADD ? AddAnswer : TRUE;
}
int RecordedVersion() { return ShellVersion; }

std::vector<DWORD> Messages() {
    std::vector<DWORD> messages;
    for (const TRecorded& r : Records) messages.push_back(r.Message);
    return messages;
}

// The main window as the client configures its tray icon.
class TTrayForm : public TForm {
    CLASS_INFO(TTrayForm, TForm)
public:
    explicit TTrayForm(TComponent* owner) : TForm(owner) {
        SetBounds(50, 50, 200, 120);
        Tray = new TSysTrayIcon(this);
        Tray->SetAnimate(true);
        Tray->SetEnabled(false);
        Tray->RestoreOn = ticLeftClick;
        Tray->PopupMenuOn = ticRightClick;
    }
    TSysTrayIcon* Tray;
};

struct TEvents {
    std::vector<std::wstring> Log;
    void Minimized(TObject*) { Log.push_back(L"minimize"); }
    void Restored(TObject*) { Log.push_back(L"restore"); }
    void Hidden(TObject*) { Log.push_back(L"balloon hide"); }
    void Closed(TObject*) { Log.push_back(L"balloon close"); }
    void Clicked(TObject*) { Log.push_back(L"balloon click"); }
    void LeftDown(TObject*) { Log.push_back(L"left down"); }
    void Ended(TObject*) { Log.push_back(L"end session"); }
    void Refuse(TObject*, bool& allow) { allow = false; }
};

class SysTray : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        Saved = SysTrayShell();
        SysTrayShell() = {&RecordNotify, &RecordedVersion};
        Records.clear();
        AddAnswer = TRUE;
        ShellVersion = 6;
    }
    void TearDown() override {
        SysTrayShell() = Saved;
        SkinTest::TearDown();
    }
    TTrayForm* MakeMainForm() {
        TTrayForm* form = nullptr;
        Application->CreateForm(form);
        return form;
    }
    LRESULT Callback(TSysTrayIcon* tray, UINT msg, WPARAM w, LPARAM l) {
        return SendMessageW(tray->MessageWindow(), msg, w, l);
    }
    TSysTrayShell Saved{};
};

TEST_F(SysTray, ClientUseProducesTheseRecords) {
    TTrayForm* form = MakeMainForm();
    TSysTrayIcon* tray = form->Tray;
    EXPECT_TRUE(tray->GetAnimate());
    EXPECT_FALSE(tray->Enabled());
    // constructed and loaded disabled: modified (harmlessly) but never added
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}));

    Records.clear();
    tray->SetEnabled(true);
    ASSERT_EQ(Messages(), std::vector<DWORD>{NIM_ADD});
    const NOTIFYICONDATAW& added = Records[0].Data;
    EXPECT_EQ(added.cbSize, NOTIFYICONDATAW_V2_SIZE);
    EXPECT_EQ(added.hWnd, tray->MessageWindow());
    EXPECT_NE(added.uID, 0u);
    EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(added.uCallbackMessage, 9250u);
    EXPECT_EQ(added.hIcon, tray->Icon()->Handle());

    Records.clear();
    tray->SetHint(std::wstring(200, L'h'));
    ASSERT_EQ(Messages(), std::vector<DWORD>{NIM_MODIFY});
    EXPECT_EQ(std::wstring(Records[0].Data.szTip), std::wstring(127, L'h'));
    EXPECT_EQ(Records[0].Data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));

    Records.clear();
    tray->ShowBalloonHint(std::wstring(70, L't'), std::wstring(300, L'm'), bhiInfo, 10);
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}));
    EXPECT_TRUE(Records[0].Data.uFlags & NIF_INFO);
    EXPECT_EQ(Records[0].Data.szInfo[0], L'\0');
    const NOTIFYICONDATAW& balloon = Records[1].Data;
    EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(std::wstring(balloon.szInfo), std::wstring(255, L'm'));
    EXPECT_EQ(std::wstring(balloon.szInfoTitle), std::wstring(63, L't'));
    EXPECT_EQ(balloon.uTimeout, 10000u);
    EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));

    Records.clear();
    tray->SetEnabled(false);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
    form->Free();
}

TEST_F(SysTray, MinimizeIntoTheTrayAndRestoreOnALeftClick) {
    TTrayForm* form = MakeMainForm();
    form->Show();
    TSysTrayIcon* tray = form->Tray;
    tray->SetEnabled(true);
    TEvents events;
    tray->OnMinimizeApp = TNotifyEvent(&events, &TEvents::Minimized);
    tray->OnRestoreApp = TNotifyEvent(&events, &TEvents::Restored);
    tray->OnLButtonDown = TNotifyEvent(&events, &TEvents::LeftDown);

    tray->MinimizeApp();
    EXPECT_TRUE(Application->Minimized());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(events.Log, std::vector<std::wstring>{L"minimize"});

    Callback(tray, SysTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_FALSE(Application->Minimized());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(events.Log, (std::vector<std::wstring>{L"minimize", L"restore", L"left down"}));

    events.Log.clear();
    Callback(tray, SysTrayCallbackMessage, 0, WM_LBUTTONDBLCLK); // not the restoring click
    Callback(tray, SysTrayCallbackMessage, 0, WM_RBUTTONDOWN);   // the menu's click, no menu set
    EXPECT_TRUE(events.Log.empty());
    form->Free();
}

TEST_F(SysTray, ApplicationEventsMinimizeIntoTheTrayAndAreHandedBack) {
    TEvents previous;
    const TNotifyEvent before(&previous, &TEvents::Minimized);
    Application->OnMinimize = before;
    TTrayForm* form = MakeMainForm();
    form->Show();
    form->Tray->SetEnabled(true);
    TEvents events;
    form->Tray->OnMinimizeApp = TNotifyEvent(&events, &TEvents::Minimized);
    Application->Minimize(); // as the window's minimise box does
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(events.Log, std::vector<std::wstring>{L"minimize"});
    EXPECT_TRUE(previous.Log.empty());
    form->Tray->Free();
    EXPECT_TRUE(Application->OnMinimize == before);
    form->Free();
}

TEST_F(SysTray, BalloonNoticesAndSessionEnd) {
    auto* tray = Construct<TSysTrayIcon>(nullptr);
    TEvents events;
    tray->OnBalloonHintHide = TNotifyEvent(&events, &TEvents::Hidden);
    tray->OnBalloonHintClose = TNotifyEvent(&events, &TEvents::Closed);
    tray->OnBalloonHintClick = TNotifyEvent(&events, &TEvents::Clicked);
    tray->OnEndSession = TNotifyEvent(&events, &TEvents::Ended);
    for (LPARAM notice : {1027, 1028, 1029}) Callback(tray, SysTrayCallbackMessage, 0, notice);
    EXPECT_EQ(events.Log,
              (std::vector<std::wstring>{L"balloon hide", L"balloon close", L"balloon click"}));
    EXPECT_EQ(Callback(tray, WM_QUERYENDSESSION, 0, 0), 1);
    tray->OnQueryEndSession = TSysQueryEndSessionEvent(&events, &TEvents::Refuse);
    EXPECT_EQ(Callback(tray, WM_QUERYENDSESSION, 0, 0), 0);
    Records.clear();
    Callback(tray, WM_ENDSESSION, 0, 0);
    EXPECT_TRUE(Records.empty());
    Callback(tray, WM_ENDSESSION, 1, 0);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
    EXPECT_EQ(events.Log.back(), L"end session");
    tray->Free();
}

TEST_F(SysTray, TaskbarRecreationAddsAnEnabledIconAgain) {
    auto* tray = Construct<TSysTrayIcon>(nullptr); // made in code: shown at once
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_ADD}));
    Records.clear();
    Callback(tray, TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_ADD});
    tray->SetEnabled(false);
    Records.clear();
    Callback(tray, TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(Records.empty());
    tray->Free();
}

TEST_F(SysTray, RefusedIconLeavesItDisabled) {
    AddAnswer = FALSE;
    auto* tray = Construct<TSysTrayIcon>(nullptr);
    EXPECT_FALSE(tray->Enabled());
    tray->Free();
}

TEST_F(SysTray, OlderShellGetsTheFirstVersionRecordAndNoBalloons) {
    ShellVersion = 4;
    auto* tray = Construct<TSysTrayIcon>(nullptr);
    EXPECT_FALSE(tray->SupportBalloonHints());
    Records.clear();
    tray->SetHint(std::wstring(100, L'x'));
    ASSERT_EQ(Records.size(), 1u);
    EXPECT_EQ(Records[0].Data.cbSize, NOTIFYICONDATAW_V1_SIZE);
    EXPECT_EQ(std::wstring(Records[0].Data.szTip), std::wstring(63, L'x'));
    Records.clear();
    tray->ShowBalloonHint(L"title", L"text", bhiInfo, 10);
    tray->HideBalloonHint();
    EXPECT_TRUE(Records.empty());
    tray->Free();
}

TEST_F(SysTray, BalloonTimeoutOutsideItsRangeIsRefused) {
    auto* tray = Construct<TSysTrayIcon>(nullptr);
    EXPECT_THROW(tray->ShowBalloonHint(L"t", L"m", bhiInfo, 9), ERangeError);
    EXPECT_THROW(tray->ShowBalloonHint(L"t", L"m", bhiInfo, 31), ERangeError);
    EXPECT_NO_THROW(tray->ShowBalloonHint(L"t", L"m", bhiError, 30));
    EXPECT_EQ(Records.back().Data.uTimeout, 30000u);
    EXPECT_EQ(Records.back().Data.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
    tray->Free();
}

// A menu that records its showing instead of running the system's modal menu loop; `During`
// runs while it is "open".
class TRecordingMenu : public TPopupMenu {
    CLASS_INFO(TRecordingMenu, TPopupMenu)
public:
    using TPopupMenu::TPopupMenu;
    std::vector<std::wstring>* Log = nullptr;
    std::function<void()> During;
    void Popup(int, int) override {
        Log->push_back(L"menu");
        if (During) During();
    }
};

TEST_F(SysTray, RightClickShowsTheMenuAndRestoreWaitsForItToClose) {
    TTrayForm* form = MakeMainForm();
    form->Show();
    TSysTrayIcon* tray = form->Tray;
    tray->SetEnabled(true);
    TEvents events;
    auto* menu = new TRecordingMenu(form);
    menu->Log = &events.Log;
    tray->SetPopupMenu(menu);
    tray->OnRestoreApp = TNotifyEvent(&events, &TEvents::Restored);
    tray->MinimizeApp();
    bool visibleDuring = false;
    menu->During = [&] {
        visibleDuring = tray->MenuVisible();
        tray->RestoreApp(); // an item of the still open menu: nothing happens
    };
    Callback(tray, SysTrayCallbackMessage, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(events.Log, std::vector<std::wstring>{L"menu"});
    EXPECT_TRUE(visibleDuring);
    EXPECT_FALSE(tray->MenuVisible());
    EXPECT_TRUE(Application->Minimized());
    menu->During = nullptr;

    events.Log.clear();
    tray->PopupMenuOn = ticLeftClick; // the same click restores, then shows the menu
    Callback(tray, SysTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(events.Log, (std::vector<std::wstring>{L"restore", L"menu"}));
    menu->Free();
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    form->Free();
}

// A tray icon with two images, loaded with the index the test asks for.
class TIconTrayForm : public TForm {
    CLASS_INFO(TIconTrayForm, TForm)
public:
    static int Index;
    explicit TIconTrayForm(TComponent* owner) : TForm(owner) {
        Images = new TCustomImageList(this);
        for (TColor colour : {clRed, clBlue}) {
            TBitmap image(16, 16, pf24bit);
            image.Canvas()->Brush()->SetColor(colour);
            image.Canvas()->FillRect(TRect(0, 0, 16, 16));
            Images->AddMasked(&image, clFuchsia);
        }
        Tray = new TSysTrayIcon(this);
        Tray->SetIcons(Images);
        Tray->SetIconIndex(Index);
    }
    TCustomImageList* Images;
    TSysTrayIcon* Tray;
};
int TIconTrayForm::Index = 0;

TEST_F(SysTray, LoadedIconIndexOutsideTheImagesShowsTheApplicationIcon) {
    for (int index : {1, 5, -1}) {
        TIconTrayForm::Index = index;
        auto* form = CreateForm<TIconTrayForm>(nullptr);
        const bool inList = index == 1;
        EXPECT_EQ(form->Tray->Icon()->Empty(), inList ? false : Application->Icon()->Empty())
            << index;
        EXPECT_EQ(Records.back().Data.hIcon, form->Tray->Icon()->Handle()) << index;
        form->Free();
    }
}

TEST_F(SysTray, AnimationStepsThroughTheImagesAndWrapsAround) {
    TIconTrayForm::Index = 0;
    auto* form = CreateForm<TIconTrayForm>(nullptr);
    TSysTrayIcon* tray = form->Tray;
    tray->SetInterval(10);
    tray->SetAnimate(true);
    std::vector<int> seen;
    PumpUntil([&] {
        if (seen.empty() || seen.back() != tray->IconIndex()) seen.push_back(tray->IconIndex());
        return seen.size() >= 4;
    });
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], 0);
    EXPECT_EQ(seen[1], 1);
    EXPECT_EQ(seen[2], 0);
    form->Free();
}

TEST(CutText, NeverSplitsASurrogatePair) {
    const std::wstring pair = L"\xD83D\xDE00"; // one character outside the basic plane
    struct Case {
        std::wstring text;
        int length;
        std::wstring cut;
    };
    const Case cases[] = {{L"abc", 5, L"abc"},      {L"abcdef", 3, L"abc"},
                          {L"ab" + pair, 3, L"ab"}, {L"ab" + pair, 4, L"ab" + pair},
                          {pair + L"x", 1, L""},    {L"", 0, L""}};
    for (const Case& c : cases) EXPECT_EQ(CutText(c.text, c.length), c.cut) << c.length;
}

// The real notification area of the display the tests run on.
TEST(SysTrayShell, ExplorerTrayTakesTheIcon) {
    TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    auto* tray = Construct<TSysTrayIcon>(nullptr);
    EXPECT_TRUE(tray->Enabled());
    tray->SetHint(L"tip");
    tray->SetEnabled(false);
    tray->Free();
    framework.Finalize();
}

} // namespace

namespace {

TEST(SysTrayModule, ThemeColorNamesGiveTheirScheme) {
    struct Case {
        const wchar_t* Name;
        TThemeColorScheme Scheme;
    };
    for (Case c : {Case{L"HomeStead", tcsHomestead}, Case{L"METALLIC", tcsMetallic},
                   Case{L"metallic", tcsMetallic}, Case{L"NormalColor", tcsOther},
                   Case{L"", tcsOther}, Case{L"Metallic ", tcsOther}})
        EXPECT_EQ(ThemeColorSchemeOf(c.Name), c.Scheme) << c.Name;
}

TEST(SysTrayModule, StartUpReadsTheDisplayAndTheTaskbarMessage) {
    FullColorDisplay = false;
    SysTrayModule().Initialize();
    EXPECT_TRUE(FullColorDisplay); // the test display has 24 bits per pixel
    EXPECT_EQ(TaskbarCreatedMessage(), RegisterWindowMessageW(L"TaskbarCreated"));
}

} // namespace
