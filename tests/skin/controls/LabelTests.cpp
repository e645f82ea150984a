// The skinned labels painted into memory bitmaps: the font colour of the section they show
// through (or the skin's global one), their own section's background and font colour, the
// blended text of a disabled label, their own colour kept on request, and the plain colour
// when the skin goes.
#include "SkinnedTesting.h"

#include "skin/controls/sLabel.h"
#include "skin/controls/sPanel.h"

namespace {

constexpr int W = 90, H = 20;

class Label : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        Panel = Place<TsPanel>(TRect(10, 10, 200, 100));
        Panel->SkinData()->SetSkinSection(L"FONTPANEL");
        ApplySkin();
        ShowActive();
    }
    // A label of "Lines" at (4, 4) on Parent, its size fixed.
    TsLabel* MakeLabel(TWinControl* Parent) {
        TsLabel* label = Place<TsLabel>(TRect(4, 4, 4 + W, 4 + H), Parent);
        label->SetAutoSize(false);
        label->SetBounds(4, 4, W, H);
        label->SetCaption(L"Lines");
        return label;
    }
    // The label painted into a bitmap of its size filled with Under.
    TBmpPtr Paint(TsLabel* Label, unsigned Under) {
        TBmpPtr bmp = MakeBmp(W, H, 3);
        FillBytes(bmp.get(), Under & 0xFF, Under >> 8 & 0xFF, Under >> 16);
        Label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
        return bmp;
    }
    TsPanel* Panel = nullptr;
};

TEST_F(Label, TakesTheFontColourOfTheSectionItShowsThrough) {
    struct Case {
        const char* Name;
        TWinControl* Parent;
        unsigned Font;
    };
    const Case cases[] = {{"on the plain form: the skin's global colour", Form, CtlGlobalFontColor},
                          {"on a panel giving its own font", Panel, CtlFontPanelFont}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TsLabel* label = MakeLabel(c.Parent);
        label->Font()->SetColor(clRed); // changed by code: the skin wins at the next paint
        TBmpPtr bmp = Paint(label, 0xFFFFFF);
        EXPECT_EQ(label->Font()->Color(), SkinColour(c.Font));
        EXPECT_GT(CountRgb(bmp.get(), TRect(0, 0, W, H), c.Font), 0);
        EXPECT_EQ(CountRgb(bmp.get(), TRect(0, 0, W, H), 0xFF0000), 0);
    }
}

TEST_F(Label, UseSkinColorFalseKeepsItsOwnColourAlsoWhenTheSkinGoes) {
    TsLabel* label = MakeLabel(Form);
    label->SetUseSkinColor(false);
    label->Font()->SetColor(clRed);
    TBmpPtr bmp = Paint(label, 0xFFFFFF);
    EXPECT_EQ(label->Font()->Color(), clRed);
    EXPECT_GT(CountRgb(bmp.get(), TRect(0, 0, W, H), 0xFF0000), 0);
    TsLabel* skinned = MakeLabel(Form);
    Paint(skinned, 0xFFFFFF);
    RemoveSkin();
    EXPECT_EQ(label->Font()->Color(), clRed);
    EXPECT_EQ(skinned->Font()->Color(), clWindowText) << "back to the plain colour";
}

// Disabled, the text is 40 % of its colour and 60 % of the parent's background colour.
TEST_F(Label, DisabledTextIsBlendedWithTheParentsBackground) {
    TsLabel* label = MakeLabel(Panel);
    label->SetEnabled(false);
    TBmpPtr bmp = Paint(label, 0xFFFFFF);
    const unsigned blended = PercentMix(CtlFontPanelFont, 40, CtlFontPanelColor);
    EXPECT_GT(CountRgb(bmp.get(), TRect(0, 0, W, H), blended), 0);
    EXPECT_EQ(CountRgb(bmp.get(), TRect(0, 0, W, H), CtlFontPanelFont), 0);
}

// A label's own section paints its background under the text in the section's font colour;
// the first section of the skin (index 0) gives its font colour but no background.
TEST_F(Label, OwnSectionPaintsItsBackgroundUnlessItIsTheFirst) {
    ASSERT_EQ(Manager->GetSkinIndex(L"GLOBALINFO"), 0);
    struct Case {
        const wchar_t* Section;
        unsigned Font;
        bool Background;
        unsigned Colour;
    };
    const Case cases[] = {{L"LabelBack", CtlLabelBackFont, true, CtlLabelBackColor},
                          {L"GLOBALINFO", CtlGlobalFontColor, false, 0}};
    for (const Case& c : cases) {
        TsLabel* label = MakeLabel(Form);
        label->SetSkinSection(c.Section);
        TBmpPtr bmp = Paint(label, 0xFFFFFF);
        EXPECT_EQ(label->Font()->Color(), SkinColour(c.Font)) << c.Background;
        EXPECT_GT(CountRgb(bmp.get(), TRect(0, 0, W, H), c.Font), 0) << c.Background;
        const unsigned corner = c.Background ? c.Colour : 0xFFFFFF;
        EXPECT_EQ(RgbAt(bmp.get(), 0, 0), corner) << c.Background;
        EXPECT_EQ(RgbAt(bmp.get(), W - 1, H - 1), corner) << c.Background;
    }
}

} // namespace
