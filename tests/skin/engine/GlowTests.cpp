// Glow windows, seen through a double of the bound UpdateLayeredWindow that records what each
// window is handed (and passes it on to the system's): the window's rectangle, its styles, its
// hit-transparency, the alpha bitmap painted from the glow mask and cropped to the control's
// visible part, and the list of glow ids. The virtual display has no compositor, so no on-screen
// alpha is looked at.
#include "LayeredTesting.h"
#include "PixelTesting.h"
#include "SkinEngineTesting.h"
#include "SkinnedBox.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "skin/engine/acGlow.h"

#include <chrono>
#include <memory>
#include <thread>

namespace {

class Glow : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        LoadFlatWith(L"[GLOWY]\r\nCOLOR=$00FFFFFF\r\nGLOW=1\r\nGLOWMARGIN=2\r\n"
                     L"[DULL]\r\nCOLOR=$00FFFFFF\r\n");
        // The glow mask: 12 x 12 of 32 bits, sides 4, every pixel distinct and half opaque.
        TsMaskData mask;
        mask.Bmp = MakeBmp(12, 12, 4);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                Byte* p = PixelOf(mask.Bmp.get(), x, y);
                p[0] = Byte(x * 20), p[1] = Byte(y * 20), p[2] = 100, p[3] = 128;
            }
        mask.ClassName = L"GLOWY";
        mask.PropertyName = L"GLOW0";
        mask.R = TRect(0, 0, 12, 12);
        mask.ImageCount = 1;
        mask.WL = mask.WT = mask.WR = mask.WB = 4;
        mask.ImgType = itisaGlow;
        mask.Manager = Manager;
        Manager->ma.push_back(std::move(mask));
        Recorder = std::make_unique<TLayeredRecorder>();
        Below = Construct<TForm>(Application);
        Below->SetBorderStyle(bsNone);
        Below->SetBounds(690, 590, 120, 60);
        Below->Show();
    }
    void TearDown() override {
        ClearGlowEffects();
        Application->ProcessMessages(); // the released glow windows go
        Recorder.reset();
        Below->Free();
        SkinManagerTest::TearDown();
    }
    int Show(const TRect& Visible, HWND Owner = nullptr) {
        return ShowGlowEffect(R, Visible, L"GLOWY", L"GLOW", 2, Owner, nullptr);
    }
    // The glow image of the whole rect R: the mask painted over a transparent black bitmap.
    TBmpPtr WholeGlow() const {
        TBmpPtr bmp = MakeBmp(64, 34, 4);
        PaintBorderMask(bmp.get(), TRect(0, 0, 64, 34), false, EmptyCacheInfo, Manager->ma.back(),
                        0, false);
        return bmp;
    }
    // Handles released glow windows until Gone holds, for a generous while.
    template <class Pred> bool Settle(Pred Gone) {
        for (int i = 0; i < 500 && !Gone(); ++i) {
            Application->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return Gone();
    }

    // A control of 60 x 30 on the screen, where the windows of other programs seldom are.
    const TRect R{700, 600, 760, 630};
    std::unique_ptr<TLayeredRecorder> Recorder;
    TForm* Below = nullptr;
};

TEST_F(Glow, AFullyVisibleControlGetsTheWholeGlowWindow) {
    ASSERT_EQ(Show(TRect(0, 0, 60, 30)), 0);
    ASSERT_EQ(LayeredCalls.size(), 1u);
    const TLayeredCall& call = LayeredCalls[0];
    ASSERT_EQ(GlowEffects.size(), 1u);
    const HWND wnd = GlowEffects[0]->Wnd->Handle();
    EXPECT_EQ(call.Wnd, wnd);
    // Width of R + left and right sides - twice the margin; placed the sides less the margin
    // out from R.
    TRect placed;
    GetWindowRect(wnd, &placed);
    EXPECT_EQ(placed, TRect(698, 598, 762, 632));
    EXPECT_EQ(call.Size.cx, 64);
    EXPECT_EQ(call.Size.cy, 34);
    EXPECT_FALSE(call.HasDst);
    EXPECT_EQ(call.Src.x, 0);
    EXPECT_EQ(call.Src.y, 0);
    EXPECT_EQ(call.Key, 0u);
    EXPECT_EQ(call.Flags, DWORD(ULW_ALPHA));
    EXPECT_EQ(call.Blend.BlendOp, AC_SRC_OVER);
    EXPECT_EQ(call.Blend.SourceConstantAlpha, 255);
    EXPECT_EQ(call.Blend.AlphaFormat, AC_SRC_ALPHA);
    // The image: the mask's border around a transparent black centre.
    TBmpPtr model = WholeGlow();
    ASSERT_EQ(call.BmpWidth, 64);
    ASSERT_EQ(call.BmpHeight, 34);
    std::vector<DWORD> expected(64 * 34);
    for (int y = 0; y < 34; ++y)
        std::copy_n(reinterpret_cast<DWORD*>(PixelOf(model.get(), 0, y)), 64, &expected[y * 64]);
    EXPECT_EQ(call.Pixels, expected);
    EXPECT_EQ(call.Pixels[17 * 64 + 32], 0u);         // centre
    EXPECT_EQ(call.Pixels[17 * 64 + 1], 0x80646414u); // left side: mask (1, 5), B 20 G 100 R 100
    // Layered, a tool window, never activated, and the system's hit tests go through it.
    const LONG ex = GetWindowLongW(wnd, GWL_EXSTYLE);
    EXPECT_EQ(ex & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(730, 615)), HTTRANSPARENT);
    EXPECT_EQ(WindowFromPoint(POINT{730, 615}), Below->Handle());
    EXPECT_EQ(GlowEffects[0]->Wnd->Tag, -98);
}

TEST_F(Glow, AGlowIsCroppedToTheVisiblePart) {
    TBmpPtr model = WholeGlow();
    // The left 10 pixels of the control hidden: 4 + 10 - 2 cut on the left.
    ASSERT_EQ(Show(TRect(10, 0, 60, 30)), 0);
    TRect placed;
    GetWindowRect(GlowEffects[0]->Wnd->Handle(), &placed);
    EXPECT_EQ(placed, TRect(710, 598, 762, 632));
    ASSERT_EQ(LayeredCalls.size(), 1u);
    EXPECT_EQ(LayeredCalls[0].Size.cx, 52);
    ASSERT_EQ(LayeredCalls[0].BmpWidth, 52);
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 52; ++x)
            ASSERT_EQ(LayeredCalls[0].Pixels[y * 52 + x],
                      *reinterpret_cast<DWORD*>(PixelOf(model.get(), x + 12, y)))
                << x << "," << y;
    // The right 20 hidden: the width of R + the right side - the visible width - the margin cut
    // on the right, the image kept from its left edge.
    ASSERT_EQ(Show(TRect(0, 0, 40, 30)), 1);
    GetWindowRect(GlowEffects[1]->Wnd->Handle(), &placed);
    EXPECT_EQ(placed, TRect(698, 598, 740, 632));
    EXPECT_EQ(LayeredCalls[1].Size.cx, 42);
    EXPECT_EQ(LayeredCalls[1].Pixels[5 * LayeredCalls[1].BmpWidth + 1],
              *reinterpret_cast<DWORD*>(PixelOf(model.get(), 1, 5)));
}

TEST_F(Glow, AGlowOfAStayOnTopWindowStaysOnTop) {
    TForm* top = Construct<TForm>(Application);
    top->SetFormStyle(fsStayOnTop);
    top->HandleNeeded();
    ASSERT_TRUE(GetWindowLongW(top->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_EQ(Show(TRect(0, 0, 60, 30), top->Handle()), 0);
    EXPECT_TRUE(GetWindowLongW(GlowEffects[0]->Wnd->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    top->Free();
}

TEST_F(Glow, IdsStayValidUntilTheListIsCleared) {
    ASSERT_EQ(Show(TRect(0, 0, 60, 30)), 0);
    ASSERT_EQ(Show(TRect(0, 0, 60, 30)), 1);
    const HWND first = GlowEffects[0]->Wnd->Handle(), second = GlowEffects[1]->Wnd->Handle();
    HideGlowEffect(0);
    HideGlowEffect(7);
    HideGlowEffect(-1);
    ASSERT_EQ(GlowEffects.size(), 2u);
    EXPECT_EQ(GlowEffects[0], nullptr);
    ASSERT_NE(GlowEffects[1], nullptr);
    EXPECT_TRUE(Settle([&] { return !IsWindow(first); }));
    EXPECT_TRUE(IsWindow(second));
    HideGlowEffect(0); // freed already
    EXPECT_EQ(Show(TRect(0, 0, 60, 30)), 2);
    ClearGlowEffects();
    EXPECT_TRUE(GlowEffects.empty());
    EXPECT_TRUE(Settle([&] { return !IsWindow(second); }));
}

TEST_F(Glow, NoGlowWithoutAMaskOrLayeredWindows) {
    EXPECT_EQ(ShowGlowEffect(R, TRect(0, 0, 60, 30), L"DULL", L"GLOW", 2, nullptr, nullptr), -1);
    EXPECT_EQ(ShowGlowEffect(R, TRect(0, 0, 60, 30), L"GLOWY", L"HALO", 2, nullptr, nullptr), -1);
    UpdateLayeredWindowProc = nullptr;
    EXPECT_EQ(Show(TRect(0, 0, 60, 30)), -1);
    EXPECT_TRUE(GlowEffects.empty());
    EXPECT_TRUE(LayeredCalls.empty());
}

TEST_F(Glow, AControlGlowsWhileTheMouseIsAboveIt) {
    Below->SetBounds(640, 530, 200, 120);
    auto* box = new TSkinnedBox(Below, L"GLOWY", 93, TRect(10, 20, 70, 50));
    box->HandleNeeded();
    Application->ProcessMessages();
    TsCommonData* link = box->Link;
    link->FMouseAbove = true;
    RefreshControlGlow(link, false);
    ASSERT_GE(link->GlowID, 0);
    TRect placed;
    GetWindowRect(GlowEffects[link->GlowID]->Wnd->Handle(), &placed);
    EXPECT_EQ(placed, TRect(640 + 10 - 2, 530 + 20 - 2, 640 + 70 + 2, 530 + 50 + 2));
    // Shown again while shown: the old glow goes, one window stays.
    const int first = link->GlowID;
    RefreshControlGlow(link, false);
    EXPECT_EQ(GlowEffects[first], nullptr);
    ASSERT_GE(link->GlowID, 0);
    // The mouse gone, or Hide: no glow.
    link->FMouseAbove = false;
    RefreshControlGlow(link, false);
    EXPECT_EQ(link->GlowID, -1);
    link->FMouseAbove = true;
    RefreshControlGlow(link, true);
    EXPECT_EQ(link->GlowID, -1);
    // A section without glow, or a manager that does not allow glowing: nothing.
    Manager->SetAllowGlowing(false);
    RefreshControlGlow(link, false);
    EXPECT_EQ(link->GlowID, -1);
    Manager->SetAllowGlowing(true);
    link->SetSkinSection(L"DULL");
    RefreshControlGlow(link, false);
    EXPECT_EQ(link->GlowID, -1);
}

} // namespace
