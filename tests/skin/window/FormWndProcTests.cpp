// The provider's window procedure seen through real windows: which messages it answers itself,
// which it drops and which reach the form's own handling, in the skinned and unskinned states.
#include "FormSkinTesting.h"

#include "framework/Application.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "skin/engine/sFramePrimitives.h"

namespace {

class FormWndProc : public FormSkinTest {
protected:
    void SetUp() override {
        FormSkinTest::SetUp();
        ApplySkin();
        Form = MakeForm();
        Recorder = new TRecorder(Form);
        Provider = Construct<TsSkinProvider>(Form);
        ShowActive(Form);
    }
    void TearDown() override {
        Provider->Free();
        delete Recorder;
        FormSkinTest::TearDown();
    }
    TForm* Form = nullptr;
    TRecorder* Recorder = nullptr;
    TsSkinProvider* Provider = nullptr;
};

HRESULT WINAPI ComposingOn(BOOL* On) {
    *On = TRUE;
    return S_OK;
}

TEST_F(FormWndProc, SkinCommandsAreAnsweredAndNeverPassedOnWhileSkinned) {
    EXPECT_EQ(SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED)), 1);
    EXPECT_EQ(SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_GETPROVIDER)),
              reinterpret_cast<LRESULT>(static_cast<TacFormProviderLink*>(Provider)));
    EXPECT_EQ(static_cast<TColor>(SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_GETBGCOLOR))),
              TestSkin::FormColor);
    const LRESULT offsets = SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_GETOFFSETS));
    EXPECT_EQ(LOWORD(offsets), Provider->OffsetX());
    EXPECT_EQ(HIWORD(offsets), Provider->OffsetY());
    Recorder->Commands.clear();
    for (WORD command : {WORD(5), WORD(11), WORD(14), WORD(27), WORD(40), WORD(675)})
        SendTo(Form, SM_ALPHACMD, SkinWParam(command));
    EXPECT_TRUE(Recorder->Commands.empty());
}

TEST_F(FormWndProc, MessagesAnsweredZeroOrDroppedWhileSkinned) {
    Recorder->Seen.clear();
    for (UINT msg :
         {UINT(0x93), CM_INVALIDATE, CM_CONTROLLISTCHANGING, UINT(0xBC4D), UINT(WM_ENTERIDLE)})
        EXPECT_EQ(SendTo(Form, msg), 0) << std::hex << msg;
    SendTo(Form, WM_PRINTCLIENT);
    HWND before = Form->Handle();
    SendTo(Form, CM_RECREATEWND);
    EXPECT_EQ(Form->Handle(), before);
    EXPECT_TRUE(Recorder->Seen.empty());
    // Unskinned they reach the form again.
    Manager->WriteActive(false);
    SendTo(Form, WM_ENTERIDLE);
    EXPECT_TRUE(Recorder->Saw(WM_ENTERIDLE));
}

// The frame is the provider's while it draws it: the system sees no non-client paint then, and
// every one again once the provider leaves the frame to it.
TEST_F(FormWndProc, NonClientPaintsReachTheSystemOnlyWhenTheProviderLeavesTheFrame) {
    Recorder->Seen.clear();
    EXPECT_EQ(SendTo(Form, WM_NCPAINT, 1), 0);
    EXPECT_FALSE(Recorder->Saw(WM_NCPAINT));
    // Activation is the system's to track, but its title is ours to paint.
    SendTo(Form, WM_NCACTIVATE, 0);
    EXPECT_TRUE(Recorder->Saw(WM_NCACTIVATE));
    EXPECT_FALSE(Recorder->Saw(WM_NCPAINT)) << "repainted by the provider";
    Provider->SetDrawNonClientArea(false);
    Recorder->Seen.clear();
    SendTo(Form, WM_NCPAINT, 1);
    EXPECT_TRUE(Recorder->Saw(WM_NCPAINT));
    Provider->SetDrawNonClientArea(true);
    Manager->WriteActive(false);
    Recorder->Seen.clear();
    SendTo(Form, WM_NCPAINT, 1);
    EXPECT_TRUE(Recorder->Saw(WM_NCPAINT));
}

TEST_F(FormWndProc, RedrawSwitchCountsLocksAndNeverGoesBelowZero) {
    SendTo(Form, WM_SETREDRAW, 1);
    EXPECT_EQ(Provider->LockCount(), 0);
    SendTo(Form, WM_SETREDRAW, 0);
    SendTo(Form, WM_SETREDRAW, 0);
    EXPECT_EQ(Provider->LockCount(), 2);
    SendTo(Form, WM_SETREDRAW, 1);
    SendTo(Form, WM_SETREDRAW, 1);
    EXPECT_EQ(Provider->LockCount(), 0);
    EXPECT_TRUE(Recorder->Saw(WM_SETREDRAW));
}

TEST_F(FormWndProc, ActivationRepaintsTheFrameInTheOtherState) {
    SendTo(Form, WM_NCACTIVATE, 0);
    EXPECT_FALSE(Provider->FormActive());
    TBitmap* cache = Provider->SkinData()->CacheBmp();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(PixelAt(cache, Form->Width() / 2, 1), TestSkin::TitleColor);
    SendTo(Form, WM_NCACTIVATE, 1);
    EXPECT_TRUE(Provider->FormActive());
    EXPECT_EQ(PixelAt(Provider->SkinData()->CacheBmp(), Form->Width() / 2, 1),
              TestSkin::TitleHotColor);
}

TEST_F(FormWndProc, WindowDCsTakenForErasingAreReleased) {
    // Under composition a DC with nothing to show makes the provider erase through a window DC
    // of its own.
    auto saved = DwmIsCompositionEnabledProc;
    DwmIsCompositionEnabledProc = &ComposingOn;
    HDC empty = CreateCompatibleDC(nullptr);
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    SelectClipRgn(empty, none);
    EXPECT_EQ(SendTo(Form, WM_ERASEBKGND, reinterpret_cast<WPARAM>(empty)), 1);
    EXPECT_EQ(FormWindowDCsHeld(), 0);
    DwmIsCompositionEnabledProc = saved;
    DeleteObject(none);
    DeleteDC(empty);
    SendTo(Form, WM_ERASEBKGND, 0);
    EXPECT_EQ(FormWindowDCsHeld(), 0);
}

TEST_F(FormWndProc, PrintPaintsTheFrameFromTheCache) {
    const int w = Form->Width();
    const int h = Form->Height();
    TBitmap* target = new TBitmap(w, h, pf24bit);
    SendTo(Form, WM_PRINT, reinterpret_cast<WPARAM>(target->Canvas()->Handle()),
           PRF_NONCLIENT | PRF_CLIENT);
    EXPECT_EQ(PixelAt(target, w / 2, 1), TestSkin::TitleHotColor);
    EXPECT_EQ(PixelAt(target, 2, h / 2), TestSkin::EdgeActive);
    EXPECT_EQ(PixelAt(target, w / 2, h - 20), TestSkin::FormColor);
    target->Free();
}

TEST_F(FormWndProc, UnskinnedOnlyTheEveryStateCommandsAreAnswered) {
    Manager->WriteActive(false);
    ASSERT_FALSE(Provider->SkinData()->Skinned(true));
    Recorder->Commands.clear();
    EXPECT_EQ(SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED)), 1);
    EXPECT_EQ(SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_GETPROVIDER)),
              reinterpret_cast<LRESULT>(static_cast<TacFormProviderLink*>(Provider)));
    EXPECT_EQ(SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_CTRLSTATE)),
              Provider->SkinData()->CtrlSkinState);
    EXPECT_EQ(SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_GETAPPLICATION)),
              reinterpret_cast<LRESULT>(Application));
    const LRESULT offsets = SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_GETOFFSETS));
    EXPECT_EQ(LOWORD(offsets), Provider->OffsetX());
    EXPECT_EQ(HIWORD(offsets), Provider->OffsetY());
    EXPECT_TRUE(Recorder->Commands.empty());
    // The commands of the skinned state go on to the form now.
    for (WORD command : {SKCMD_REPAINT, SKCMD_GETBGCOLOR, SKCMD_SETUPDATING})
        SendTo(Form, SM_ALPHACMD, SkinWParam(command), reinterpret_cast<LPARAM>(Manager));
    EXPECT_EQ(Recorder->Commands,
              (std::vector<WORD>{SKCMD_REPAINT, SKCMD_GETBGCOLOR, SKCMD_SETUPDATING}));
    // Another manager's new skin is not this form's.
    TsSkinManager* other = Construct<TsSkinManager>(nullptr);
    SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_SKINLOADED), reinterpret_cast<LPARAM>(other));
    EXPECT_NE(GetWindowLongW(Form->Handle(), GWL_STYLE) & WS_SYSMENU, 0);
    other->Free();
    Manager->WriteActive(true);
    EXPECT_EQ(GetWindowLongW(Form->Handle(), GWL_STYLE) & WS_SYSMENU, 0);
}

TEST_F(FormWndProc, SizingPaintsTheGripAtItsOldAndNewCornerAgain) {
    Provider->SetGripMode(gmRightBottom);
    SendTo(Form, WM_NCPAINT, 1);
    HWND wnd = Form->Handle();
    ValidateRect(wnd, nullptr);
    // No repaint of the system's own: what is invalid afterwards is the provider's doing.
    const UINT quiet = SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOCOPYBITS;
    RECT before;
    GetClientRect(wnd, &before);
    SetWindowPos(wnd, nullptr, 0, 0, Form->Width() - 30, Form->Height() - 20, quiet);
    RECT after;
    GetClientRect(wnd, &after);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(wnd, update, FALSE);
    const int g = TestSkin::GripSize;
    EXPECT_TRUE(PtInRegion(update, after.right - g / 2, after.bottom - g / 2));
    EXPECT_FALSE(PtInRegion(update, after.right / 2, after.bottom / 2));
    ValidateRect(wnd, nullptr);
    // Growing again: the grip left at the old corner goes.
    SetWindowPos(wnd, nullptr, 0, 0, Form->Width() + 30, Form->Height() + 20, quiet);
    GetUpdateRgn(wnd, update, FALSE);
    EXPECT_TRUE(PtInRegion(update, after.right - g / 2, after.bottom - g / 2));
    EXPECT_FALSE(PtInRegion(update, before.right / 2, before.bottom / 2));
    DeleteObject(update);
    // Without the grip nothing of the client is painted again.
    Provider->SetGripMode(gmNone);
    ValidateRect(wnd, nullptr);
    SetWindowPos(wnd, nullptr, 0, 0, Form->Width() - 30, Form->Height() - 20, quiet);
    RECT left{};
    EXPECT_FALSE(GetUpdateRect(wnd, &left, FALSE));
}

TEST_F(FormWndProc, PrintShowsTheGraphicChildrenOverAPlainBackground) {
    ASSERT_NE(Provider->SkinData()->CtrlSkinState & 1, 0) << "the test skin's form is plain";
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(10, 10, 120, 20);
    label->SetCaption(L"WWWWWWWW");
    label->Font()->SetColor(clBlack);
    const int w = Form->Width();
    const int h = Form->Height();
    TBitmap* target = new TBitmap(w, h, pf24bit);
    SendTo(Form, WM_PRINT, reinterpret_cast<WPARAM>(target->Canvas()->Handle()),
           PRF_NONCLIENT | PRF_CLIENT);
    int ink = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 130; ++x)
            ink += PixelAt(target, Provider->OffsetX() + x, Provider->OffsetY() + y) !=
                   TestSkin::FormColor;
    EXPECT_GT(ink, 20);
    target->Free();
}

// The form's own painting, printed where the form paints it (its client's origin).
struct TOwnPainting {
    TForm* Form;
    static constexpr TColor Color = 0x10A0E0;
    void Paint(TObject*) { PaintSolidRect(Form->Canvas()->Handle(), TRect{5, 5, 25, 25}, Color); }
};

TEST_F(FormWndProc, PrintRunsTheFormsOwnPaintingOnThePrintedClient) {
    TOwnPainting painting{Form};
    Form->OnPaint = TNotifyEvent(&painting, &TOwnPainting::Paint);
    TBitmap* target = new TBitmap(Form->Width(), Form->Height(), pf24bit);
    SendTo(Form, WM_PRINT, reinterpret_cast<WPARAM>(target->Canvas()->Handle()),
           PRF_NONCLIENT | PRF_CLIENT);
    const int x = Provider->OffsetX();
    const int y = Provider->OffsetY();
    EXPECT_EQ(PixelAt(target, x + 15, y + 15), TOwnPainting::Color);
    EXPECT_EQ(PixelAt(target, x + 30, y + 30), TestSkin::FormColor);
    target->Free();
    Form->OnPaint = TNotifyEvent();
}

} // namespace
