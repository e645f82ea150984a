// The skinned panel printed into memory bitmaps: a plain section painted straight from the skin
// without a cache (its colour, its border over the parent's background, its caption), a
// translucent one from its cache, the background it gives its children, and the erase-only
// painting of a plain panel that shows its parent's background.
#include "SkinnedTesting.h"

#include "skin/controls/sPanel.h"

namespace {

constexpr int W = 140, H = 60;

class Panel : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        Pnl = Place<TsPanel>(TRect(20, 20, 20 + W, 20 + H));
        Pnl->SetBevelOuter(bvNone);
        Pnl->SetBevelInner(bvNone);
        Pnl->SetCaption(L"Lines");
        ApplySkin();
        ShowActive();
    }
    // The panel printed into a bitmap of its size, filled with 0x010203 first.
    TBmpPtr Print() {
        TBmpPtr bmp = MakeBmp(W, H, 3);
        FillBytes(bmp.get(), 3, 2, 1);
        Pnl->Perform(WM_PRINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), PRF_CLIENT);
        return bmp;
    }
    TsPanel* Pnl = nullptr;
};

// Text rows lie in the middle; the top and bottom bands hold the background alone.
int BandsOther(TBitmap* Bmp, unsigned Rgb, int Skip = 0) {
    return CountOther(Bmp, TRect(Skip, Skip, W - Skip, 15), Rgb) +
           CountOther(Bmp, TRect(Skip, H - 15, W - Skip, H - Skip), Rgb);
}

TEST_F(Panel, PlainSectionIsItsOwnColourWithTheCaptionAndNoCache) {
    TBmpPtr bmp = Print();
    EXPECT_EQ(BandsOther(bmp.get(), CtlPanelColor), 0);
    EXPECT_GT(CountRgb(bmp.get(), TRect(0, 15, W, H - 15), CtlPanelFont), 0);
    EXPECT_EQ(Pnl->SkinData()->CacheBmp(), nullptr) << "a plain panel keeps no cache";
    Pnl->SetShowCaption(false);
    bmp = Print();
    EXPECT_EQ(CountOther(bmp.get(), TRect(0, 0, W, H), CtlPanelColor), 0);
}

// Disabled, the caption is 40 % of the section's font colour and 60 % of the skin's colour.
TEST_F(Panel, DisabledCaptionIsBlendedWithTheSkinsColour) {
    Pnl->SetEnabled(false);
    TBmpPtr bmp = Print();
    const TRect text(0, 15, W, H - 15);
    EXPECT_EQ(CountRgb(bmp.get(), text, CtlPanelFont), 0);
    EXPECT_GT(CountRgb(bmp.get(), text, PercentMix(CtlPanelFont, 40, CtlGlobalColor)), 0);
}

TEST_F(Panel, BorderedSectionLaysItsRingOverTheParent) {
    Pnl->SkinData()->SetSkinSection(L"PANELBORDER");
    TBmpPtr bmp = Print();
    EXPECT_EQ(RgbAt(bmp.get(), 0, 0), FormRgb) << "the ring's transparent corner";
    EXPECT_EQ(RgbAt(bmp.get(), W / 2, 0), CtlPanelBorderEdge0);
    EXPECT_EQ(RgbAt(bmp.get(), W - 1, H / 2), CtlPanelBorderEdge0);
    EXPECT_EQ(BandsOther(bmp.get(), CtlPanelBorderColor, CtlPanelBorderBorder), 0);
}

// A translucent section paints from its cache: 40 % of the parent through the colour.
TEST_F(Panel, TranslucentSectionPaintsFromItsCache) {
    Pnl->SkinData()->SetSkinSection(L"PANELTRANS");
    Pnl->SetShowCaption(false);
    TBmpPtr bmp = Print();
    const unsigned mixed = AlphaBlend(FormRgb, CtlPanelTransColor, 102);
    ASSERT_NE(Pnl->SkinData()->CacheBmp(), nullptr);
    EXPECT_EQ(CountOther(Pnl->SkinData()->CacheBmp(), TRect(0, 0, W, H), mixed), 0);
    EXPECT_EQ(CountOther(bmp.get(), TRect(0, 0, W, H), mixed), 0);
}

// Children get the cache, offset by where the client area lies in the window.
TEST_F(Panel, ChildrenGetTheCacheAlignedWithTheClientArea) {
    Pnl->SkinData()->SetSkinSection(L"PANELTRANS");
    Print();
    for (const TBorderStyle style : {bsNone, bsSingle}) {
        Pnl->SetBorderStyle(style);
        TacBackgroundInfo info;
        Pnl->Perform(SM_ALPHACMD, SkinWParam(SKCMD_GETBGINFO), reinterpret_cast<LPARAM>(&info));
        const int inset =
            style == bsNone ? 0 : GetSystemMetrics(Pnl->Ctl3D() ? SM_CXEDGE : SM_CXBORDER);
        EXPECT_EQ(info.Kind, 2) << style;
        EXPECT_EQ(info.Bmp, Pnl->SkinData()->CacheBmp()) << style;
        EXPECT_EQ(info.Offset.x, inset) << style;
        EXPECT_EQ(info.Offset.y, inset) << style;
    }
    // A plain panel answers its colour.
    Pnl->SkinData()->SetSkinSection(L"PANEL");
    TacBackgroundInfo info;
    Pnl->Perform(SM_ALPHACMD, SkinWParam(SKCMD_GETBGINFO), reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.Kind, 1);
    EXPECT_EQ(RgbOf(info.Color), CtlPanelColor);
}

TEST_F(Panel, PlainPanelShowingItsParentsBackgroundPaintsOnlyOnErase) {
    Pnl->SetParentBackground(true);
    TBmpPtr bmp = MakeBmp(W, H, 3);
    FillBytes(bmp.get(), 3, 2, 1);
    Pnl->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
    EXPECT_EQ(CountOther(bmp.get(), TRect(0, 0, W, H), 0x010203), 0);
    Pnl->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
    EXPECT_EQ(BandsOther(bmp.get(), CtlPanelColor), 0);
}

// Without the skin the class library paints the panel again (as it paints its own panel), and an
// OnPaint handler replaces that painting, printing included.
TEST_F(Panel, WithoutTheSkinItIsThePlainPanelAndOnPaintReplacesItsPainting) {
    Print();
    RemoveSkin();
    EXPECT_FALSE(Pnl->SkinData()->Skinned());
    TBmpPtr bmp = Print();
    auto* plain = Place<TPanel>(Pnl->BoundsRect());
    plain->SetBevelOuter(bvNone);
    plain->SetBevelInner(bvNone);
    plain->SetCaption(L"Lines");
    TBmpPtr expected = MakeBmp(W, H, 3);
    FillBytes(expected.get(), 3, 2, 1);
    plain->Perform(WM_PRINT, reinterpret_cast<WPARAM>(expected->Canvas()->Handle()), PRF_CLIENT);
    EXPECT_EQ(AllBytes(bmp.get()), AllBytes(expected.get())) << "the class library's panel";
    EXPECT_EQ(CountRgb(bmp.get(), TRect(0, 0, W, H), CtlPanelColor), 0);
    struct TPainter {
        int Count = 0;
        void Paint(TObject*, TCanvas* Canvas) {
            ++Count;
            Canvas->Brush()->SetColor(clRed);
            Canvas->FillRect(TRect(0, 0, W, H));
        }
    } painter;
    Pnl->OnPaint = TPaintEvent(&painter, &TPainter::Paint);
    bmp = Print();
    EXPECT_GT(painter.Count, 0);
    EXPECT_EQ(CountOther(bmp.get(), TRect(0, 0, W, H), 0xFF0000), 0) << "the handler's drawing";
}

} // namespace
