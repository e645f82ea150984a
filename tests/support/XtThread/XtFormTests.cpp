#include "support/XtThread/XtThread.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class XtForms : public testing::Test {
protected:
    void SetUp() override { FFramework.Initialize(); }
    void TearDown() override {
        FFramework.Finalize();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

private:
    TModuleEntry FFramework = FrameworkModule();
};

// Records what the operations and events of the form saw.
class TProbeForm : public TXtForm {
    CLASS_INFO(TProbeForm, TXtForm)
public:
    using TXtForm::TXtForm;
    int Enters = 0;
    int Leaves = 0;
    TControl* LastEntered = nullptr;
    TDlgCodes ExtraCodes;
    std::vector<WPARAM> CueChanges;

    void MouseEnterEvent(TObject*) { ++Enters; }
    void MouseLeaveEvent(TObject*) { ++Leaves; }
    using TXtForm::LoadStoredDescription;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_CHANGEUISTATE) CueChanges.push_back(Message.WParam);
        TXtForm::Dispatch(Message);
    }
    void MouseEnter(TControl* AControl) override {
        LastEntered = AControl;
        TXtForm::MouseEnter(AControl);
    }
    void GetDlgCode(TDlgCodes& Code) override { Code += ExtraCodes; }
};

TEST_F(XtForms, MouseEnterAndLeaveOfTheFormAreEventsAndTheMouseOverFlag) {
    auto* form = Construct<TProbeForm>(Application);
    auto* child = Construct<TWinControl>(form);
    child->SetParent(form);
    form->OnMouseEnter = TNotifyEvent(form, &TProbeForm::MouseEnterEvent);
    form->OnMouseLeave = TNotifyEvent(form, &TProbeForm::MouseLeaveEvent);
    form->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(form));
    EXPECT_EQ(form->Enters, 1);
    EXPECT_TRUE(form->MouseOver());
    form->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(form));
    EXPECT_EQ(form->Leaves, 1);
    EXPECT_FALSE(form->MouseOver());
    child->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(form->LastEntered, child) << "a child's notification reaches the operation";
    EXPECT_EQ(form->Enters, 1) << "but not the form's event";
    EXPECT_FALSE(form->MouseOver());
    form->Free();
}

TEST_F(XtForms, AParentColourChangeIsAnEvent) {
    auto* form = Construct<TProbeForm>(Application);
    int changes = 0;
    struct TCount {
        int* Changes;
        void Changed(TObject*) { ++*Changes; }
    } count{&changes};
    form->OnParentColorChanged = TNotifyEvent(&count, &TCount::Changed);
    form->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    EXPECT_EQ(changes, 1);
    form->Free();
}

// The frame's two pixels at the client area's top-left corner.
std::vector<COLORREF> FramePixels(TWinControl* control) {
    HDC dc = GetDC(control->Handle());
    std::vector<COLORREF> pixels{GetPixel(dc, 0, 0), GetPixel(dc, 1, 1), GetPixel(dc, 2, 2)};
    ReleaseDC(control->Handle(), dc);
    return pixels;
}

TEST_F(XtForms, TheHighlightingFrameFollowsTheFocusAndTheMouse) {
    auto* form = Construct<TProbeForm>(Application);
    form->SetColor(clWhite);
    form->HighlightFocusedColor = clRed;
    form->HighlightUnfocusedColor = clBlue;
    // The frame also lights up under the real pointer, which an earlier test may have left
    // anywhere: park it in a corner the form does not cover.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    form->Show();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    form->SetFocus(); // even when another program's window is in front
    const std::vector<COLORREF> focused{RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 255, 255)};
    const std::vector<COLORREF> unfocused{RGB(0, 0, 255), RGB(0, 0, 255), RGB(255, 255, 255)};
    ASSERT_TRUE(form->Focused());
    form->SetHighlighting(true);
    EXPECT_EQ(FramePixels(form), focused);
    SetFocus(nullptr);
    EXPECT_EQ(FramePixels(form), unfocused);
    form->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(form));
    EXPECT_EQ(FramePixels(form), focused) << "the mouse over the form";
    form->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(form));
    EXPECT_EQ(FramePixels(form)[0], RGB(0, 0, 255));
    form->Free();
}

TEST_F(XtForms, TheHintColourFollowsItsRules) {
    Application->HintColor = clAqua;
    auto* parent = Construct<TXtExForm>(Application);
    parent->SetHintColor(clLime);
    struct TCase {
        TColor HintColor;
        bool WithParent;
        TColor Expected;
    };
    const TCase cases[] = {
        {clNone, false, clAqua},     // the application's
        {clDefault, true, clLime},   // the parent's
        {clDefault, false, clWhite}, // no parent to ask: left as it came
        {clRed, true, clRed},        // its own
    };
    for (const TCase& c : cases) {
        auto* form = Construct<TXtExForm>(Application);
        EXPECT_EQ(form->HintColor(), clDefault) << "the value at creation";
        form->SetHintColor(c.HintColor);
        if (c.WithParent) form->SetParent(parent);
        THintInfo info;
        info.HintControl = form;
        info.HintColor = clWhite;
        EXPECT_EQ(form->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
        EXPECT_EQ(info.HintColor, c.Expected) << std::hex << c.HintColor;
        form->Free();
    }
    parent->Free();
}

TEST_F(XtForms, TheDialogCodeQueryGoesThroughTheSet) {
    EXPECT_EQ(DlgCodesFromNative(DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_STATIC),
              (TDlgCodes{dcWantArrows, dcWantChars}));
    EXPECT_EQ(DlgCodesToNative({dcWantTab, dcButton}),
              static_cast<UINT>(DLGC_WANTTAB | DLGC_BUTTON));
    auto* form = Construct<TProbeForm>(Application);
    form->ExtraCodes = {dcWantTab};
    const auto code = static_cast<UINT>(form->Perform(WM_GETDLGCODE, 0, 0));
    EXPECT_TRUE(code & DLGC_WANTTAB);
    form->Free();
}

// What the form asks of the window's keyboard cues (the system keeps the state).
TEST_F(XtForms, KeysThatMoveTheFocusShowFocusRectanglesAndAltShowsUnderlinesToo) {
    auto* form = Construct<TProbeForm>(Application);
    form->Show();
    ASSERT_FALSE(form->CueChanges.empty());
    EXPECT_EQ(form->CueChanges.back(), MAKEWPARAM(UIS_INITIALIZE, 0))
        << "re-initialised on showing";
    struct TCase {
        UINT Msg;
        WPARAM Key;
        WPARAM Expected; // 0: no change asked
    };
    const TCase cases[] = {
        {CM_DIALOGKEY, VK_TAB, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS)},
        {CM_DIALOGKEY, VK_DOWN, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS)},
        {CM_DIALOGKEY, VK_MENU, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL)},
        {WM_SYSKEYDOWN, VK_MENU, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL)},
        {CM_DIALOGKEY, VK_RETURN, 0},
    };
    for (const TCase& c : cases) {
        form->CueChanges.clear();
        form->Perform(c.Msg, c.Key, 0);
        if (c.Expected)
            EXPECT_EQ(form->CueChanges, std::vector<WPARAM>{c.Expected}) << c.Msg << " " << c.Key;
        else
            EXPECT_TRUE(form->CueChanges.empty()) << c.Msg << " " << c.Key;
    }
    form->Free();
}

TEST_F(XtForms, ShowNoActivateLeavesTheActiveWindowAlone) {
    auto* active = Construct<TForm>(Application);
    active->Show();
    ASSERT_EQ(GetActiveWindow(), active->Handle());
    auto* form = Construct<TProbeForm>(Application);
    form->ShowNoActivate();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(GetActiveWindow(), active->Handle());
    form->Free();
    active->Free();
}

TEST_F(XtForms, AFormThatIsNotFocusableIsNotActivatedByAClick) {
    auto* form = Construct<TProbeForm>(Application);
    EXPECT_NE(SendMessageW(form->Handle(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    form->SetFocusable(false);
    EXPECT_EQ(SendMessageW(form->Handle(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    form->Free();
}

TEST_F(XtForms, AShownFormIsOwnedByTheMainFormOrTheApplicationWindow) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->Show();
    auto* form = Construct<TProbeForm>(Application);
    form->Show();
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), main->Handle());
    auto* onTop = Construct<TProbeForm>(Application);
    onTop->SetFormStyle(fsStayOnTop);
    onTop->Show();
    EXPECT_EQ(GetWindow(onTop->Handle(), GW_OWNER), Application->Handle());
    EXPECT_TRUE(GetWindowLongPtrW(onTop->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    onTop->Free();
    form->Free();
}

TEST_F(XtForms, AStoredDescriptionIsNotFoundByClassName) {
    auto* form = Construct<TProbeForm>(Application);
    try {
        form->LoadStoredDescription();
        ADD_FAILURE() << "a description was found";
    } catch (const EResNotFound& error) {
        EXPECT_NE(error.Message().find(L"TProbeForm"), UnicodeString::npos) << error.Message();
    }
    form->Free();
}

} // namespace
