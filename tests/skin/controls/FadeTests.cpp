#include "skin/controls/sFade.h"

#include "SkinTesting.h"

#include <memory>

namespace {

using TOwnedData = std::unique_ptr<TsCommonData, graphics_detail::TFreeObject>;

// A white old image and a black new one, so that a frame's grey level shows its weight.
void FillBitmap(TBitmap* bmp, TColor colour) {
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(4, 4);
    bmp->Canvas()->Brush()->SetColor(colour);
    bmp->Canvas()->FillRect(TRect(0, 0, 4, 4));
}

int ExpectedGrey(int weight) { return (255 * weight + 127) >> 8; }

class Fade : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 200, 100);
        Probe = new TSkinProbe(Form);
        Probe->SetParent(Form);
        Probe->SetBounds(0, 0, 4, 4);
        Data.reset(new TsCommonData(Probe, true));
        FillBitmap(Data->CacheBmp(), clBlack);
    }
    void TearDown() override {
        Data.reset();
        Form->Free();
        SkinTest::TearDown();
    }
    TForm* Form = nullptr;
    TSkinProbe* Probe = nullptr;
    TOwnedData Data;
};

TEST(FadeWeight, FiveFramesAndHalvedFades) {
    struct Case {
        int level, iterations, weight;
    };
    const Case cases[] = {{1, 5, 204}, {2, 5, 153}, {3, 5, 102}, {4, 5, 51},
                          {5, 5, 0},   {1, 2, 127}, {2, 2, 0},   {1, 0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(FadeWeight(c.level, c.iterations), c.weight) << c.level << " of " << c.iterations;
}

TEST_F(Fade, AnimTimerBlendsFramesByHandAndEndsWithStopFade) {
    auto* timer = new TsAnimTimer(nullptr);
    timer->SetOwnerData(Data.get());
    EXPECT_EQ(timer->Iterations, 5);
    EXPECT_EQ(timer->Interval(), 10u);
    FillBitmap(timer->BmpFrom(), clWhite);
    timer->FadeLevel = 1;
    for (int weight : {204, 153, 102, 51, 0}) {
        Probe->Commands.clear();
        timer->Timer();
        const int grey = GetRValue(ColorToRGB(timer->TmpBmp()->Canvas()->Pixels(1, 1)));
        EXPECT_EQ(grey, ExpectedGrey(weight)) << "weight " << weight;
        EXPECT_EQ(Probe->Commands, (std::vector<WORD>{SKCMD_SETUPDATING, SKCMD_REFRESHNOW}));
    }
    Probe->Commands.clear();
    timer->Timer();
    EXPECT_EQ(Probe->Commands, std::vector<WORD>{SKCMD_STOPFADE});
    timer->Free();
}

TEST_F(Fade, FadeTimerHandsEachFrameToTheControlAndCountsIt) {
    Probe->HandleNeeded();
    std::vector<int> greys;
    Probe->OnCommand = [&](TMessage& m) {
        if (SkinCommandOf(m.WParam) != SKCMD_PAINTFADEFRAME) return false;
        auto* frame = reinterpret_cast<TBitmap*>(m.LParam);
        greys.push_back(GetRValue(ColorToRGB(frame->Canvas()->Pixels(2, 2))));
        m.Result = 1;
        return true;
    };
    auto* timer = new TsFadeTimer(Probe);
    timer->SetOwnerData(Data.get());
    FillBitmap(timer->BmpFrom(), clWhite);
    timer->SetDirection(fdDown); // runs the timer; ticks below come by hand
    timer->SetEnabled(false);
    for (int i = 0; i < 5; ++i) timer->Timer();
    EXPECT_EQ(greys, (std::vector<int>{ExpectedGrey(204), ExpectedGrey(153), ExpectedGrey(102),
                                       ExpectedGrey(51), 0}));
    EXPECT_EQ(timer->FadeLevel, 6);
    Probe->Commands.clear();
    timer->Timer();
    EXPECT_EQ(Probe->Commands, std::vector<WORD>{SKCMD_STOPFADE});
    timer->Free();
}

TEST_F(Fade, DisablingTheControlEndsTheFade) {
    auto* timer = new TsFadeTimer(Probe);
    timer->SetOwnerData(Data.get());
    timer->SetDirection(fdUp);
    Probe->SetEnabled(false);
    timer->Timer();
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Iterations, 0);
    EXPECT_TRUE(Data->BGChanged);
    timer->Free();
}

TEST_F(Fade, WithoutASkinNothingFadesOrStarts) {
    TsFadeTimer* timer = nullptr;
    PrepareFadeTimer(timer, Data.get(), false, fdUp);
    EXPECT_EQ(timer, nullptr);
    Data->BGChanged = false;
    FadeOrRepaint(timer, Data.get(), true, true, fdUp);
    EXPECT_EQ(timer, nullptr);
    EXPECT_FALSE(Data->BGChanged); // unskinned: the class library paints, the link is untouched
    StopFade(timer, Data.get());
    EXPECT_EQ(timer, nullptr);
}

TEST(AnimationAllowed, OwnEventsOrTheManagersChoice) {
    EXPECT_TRUE(AnimationAllowed(aeMouseEnter, {aeMouseEnter}));
    EXPECT_FALSE(AnimationAllowed(aeMouseEnter, {}));
    EXPECT_FALSE(AnimationAllowed(aeMouseUp, {aeGlobalDef})); // no manager
    TsSkinManager manager(nullptr);
    manager.AnimEffects()->Buttons()->Events = {beMouseUp};
    EXPECT_TRUE(AnimationAllowed(aeMouseUp, {aeGlobalDef}, &manager));
    EXPECT_TRUE(AnimationAllowed(aeGlobalDef, {aeGlobalDef}, &manager));
    EXPECT_FALSE(AnimationAllowed(aeMouseDown, {aeGlobalDef}, &manager));
}

} // namespace
