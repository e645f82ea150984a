// The provider's window procedure seen through real windows: which messages it answers itself,
// which it drops and which reach the form's own handling, in the skinned and unskinned states.
#include "FormSkinTesting.h"

#include "framework/Messages.h"

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

} // namespace
