// The skinned group box: its cache image (the strip above the frame and the caption plate in the
// parent's colour, the frame from half the caption's height, the caption in the section's font
// colour), the caption strip's place for each layout and offset, and the background it gives
// its children when it has a caption section.
#include "SkinTesting.h"
#include "SkinnedTesting.h"

#include "skin/controls/sGroupBox.h"

#include <algorithm>

namespace {

constexpr int W = 200, H = 120;

class GroupBox : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        Box = Place<TsGroupBox>(TRect(20, 20, 20 + W, 20 + H));
        Box->SetCaption(L"Login");
        ApplySkin();
        ShowActive();
    }
    TBitmap* Paint() {
        TBmpPtr target = MakeBmp(W, H, 3);
        Box->Perform(WM_PRINT, reinterpret_cast<WPARAM>(target->Canvas()->Handle()), PRF_CLIENT);
        return Box->SkinData()->CacheBmp();
    }
    int TextWidth(const UnicodeString& Text) {
        TBmpPtr probe = MakeBmp(2, 2, 3);
        probe->Canvas()->SetFont(Box->Font());
        return probe->Canvas()->TextWidth(Text);
    }
    int CaptionHeight() {
        TBmpPtr probe = MakeBmp(2, 2, 3);
        probe->Canvas()->SetFont(Box->Font());
        return std::max(4, probe->Canvas()->TextHeight(L"W")) + 2;
    }
    TsGroupBox* Box = nullptr;
};

TEST_F(GroupBox, FrameStartsHalfwayDownTheCaptionStrip) {
    TBitmap* cache = Paint();
    const TRect caption = Box->CaptionRect();
    const int y = CaptionHeight() / 2;
    ASSERT_EQ(caption, TRect(6, 0, 6 + TextWidth(L"Login") + 8, CaptionHeight()));
    EXPECT_EQ(CountOther(cache, TRect(caption.right, 0, W, y), FormRgb), 0)
        << "the strip above the frame";
    EXPECT_EQ(RgbAt(cache, W - 20, y), CtlGroupEdge0);
    EXPECT_EQ(RgbAt(cache, 0, H / 2), CtlGroupEdge0);
    EXPECT_EQ(RgbAt(cache, W / 2, H - 1), CtlGroupEdge0);
    EXPECT_EQ(RgbAt(cache, 0, y), FormRgb) << "the frame's transparent corner";
    EXPECT_EQ(
        CountOther(cache,
                   TRect(CtlGroupBorder, caption.bottom, W - CtlGroupBorder, H - CtlGroupBorder),
                   CtlGroupColor),
        0);
    // The caption's plate shows the parent (the form gives no bitmap) under the caption.
    EXPECT_GT(CountRgb(cache, caption, CtlGroupFont), 0);
    EXPECT_EQ(RgbAt(cache, caption.left, caption.bottom - 1), FormRgb);
    // Without a caption: no plate, the frame in the same place.
    Box->SetCaption(L"");
    cache = Paint();
    EXPECT_EQ(RgbAt(cache, W / 2, y), CtlGroupEdge0);
    EXPECT_EQ(RgbAt(cache, caption.left + 2, y), CtlGroupEdge0);
}

// Disabled, the caption is 40 % of the section's font colour and 60 % of the skin's colour.
TEST_F(GroupBox, DisabledCaptionIsBlendedWithTheSkinsColour) {
    Box->SetEnabled(false);
    TBitmap* cache = Paint();
    const TRect caption = Box->CaptionRect();
    EXPECT_EQ(CountRgb(cache, caption, CtlGroupFont), 0);
    EXPECT_GT(CountRgb(cache, caption, PercentMix(CtlGroupFont, 40, CtlGlobalColor)), 0);
}

TEST_F(GroupBox, CaptionStripFollowsLayoutOffsetAndBounds) {
    const int tw = TextWidth(L"Login"), h = CaptionHeight();
    struct Case {
        TsGroupCaptionLayout Layout;
        int Offset;
        TRect Expected;
    };
    const Case cases[] = {
        {clTopLeft, 0, TRect(6, 0, 6 + tw + 8, h)},
        {clTopCenter, 0, TRect((W - tw - 10) / 2, 0, (W - tw - 10) / 2 + tw + 8, h)},
        {clTopRight, 0, TRect(W - tw - 14, 0, W - 6, h)},
        {clTopLeft, 5, TRect(6, 0, 6 + tw + 8, h + 5)},
        {clTopLeft, -4, TRect(6, -4, 6 + tw + 8, h - 4)},
    };
    for (const Case& c : cases) {
        Box->SetCaptionLayout(c.Layout);
        Box->SetCaptionYOffset(c.Offset);
        EXPECT_EQ(Box->CaptionRect(), c.Expected) << c.Layout << "," << c.Offset;
    }
    // A caption wider than the box is cut at its right edge and never starts left of 0.
    Box->SetCaptionYOffset(0);
    Box->SetCaptionLayout(clTopRight);
    Box->SetCaption(L"A caption far wider than the group box it names, by a long way");
    const TRect wide = Box->CaptionRect();
    EXPECT_EQ(wide.left, 0);
    EXPECT_EQ(wide.right, W);
    // A negative offset starts the frame at the very top.
    Box->SetCaption(L"Login");
    Box->SetCaptionYOffset(-4);
    EXPECT_EQ(RgbAt(Paint(), W / 2, 0), CtlGroupEdge0);
}

TEST_F(GroupBox, WithACaptionSectionChildrenGetTheBoxesOwnImage) {
    TacBackgroundInfo info;
    Box->Perform(SM_ALPHACMD, SkinWParam(SKCMD_GETBGINFO), reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.Kind, 1) << "the section's colour";
    EXPECT_EQ(RgbOf(info.Color), CtlGroupColor);
    Box->SetCaptionSkin(L"LabelBack");
    TBitmap* cache = Paint();
    const TRect caption = Box->CaptionRect();
    EXPECT_EQ(RgbAt(cache, caption.left, caption.top), CtlLabelBackColor) << "the plate";
    TacBackgroundInfo own;
    Box->Perform(SM_ALPHACMD, SkinWParam(SKCMD_GETBGINFO), reinterpret_cast<LPARAM>(&own));
    EXPECT_EQ(own.Kind, 2);
    EXPECT_EQ(own.Bmp, cache);
    EXPECT_EQ(own.Offset.x, 0);
    EXPECT_EQ(own.Offset.y, 0);
}

// Skin changes reach the box's children whichever manager sends them; without its own skin
// the box is the class library's group box again, nothing of the skin painted.
TEST_F(GroupBox, PassesSkinChangesOnAndIsPlainWithoutTheSkin) {
    auto* child = Place<TSkinProbe>(TRect(10, 30, 40, 50), Box);
    child->OnCommand = [](TMessage& Message) { // a skinned control
        Message.Result = SkinCommandOf(Message.WParam) == SKCMD_ISSKINNED;
        return Message.Result != 0;
    };
    int otherManager = 0;
    for (WORD command : {SKCMD_SKINLOADED, SKCMD_SKINREMOVED, SKCMD_REPAINT}) {
        child->Commands.clear();
        Box->Perform(SM_ALPHACMD, SkinWParam(command), reinterpret_cast<LPARAM>(&otherManager));
        EXPECT_EQ(child->Commands, (std::vector<WORD>{SKCMD_ISSKINNED, command})) << command;
    }
    EXPECT_TRUE(Box->SkinData()->Skinned()) << "another manager's removal";
    child->Commands.clear();
    RemoveSkin();
    EXPECT_FALSE(Box->SkinData()->Skinned());
    EXPECT_NE(std::find(child->Commands.begin(), child->Commands.end(), SKCMD_SKINREMOVED),
              child->Commands.end());
    // Printed as the class library prints its own group box.
    const auto print = [](TControl* Control) {
        TBmpPtr target = MakeBmp(W, H, 3);
        Control->Perform(WM_PRINT, reinterpret_cast<WPARAM>(target->Canvas()->Handle()),
                         PRF_CLIENT | PRF_ERASEBKGND);
        return AllBytes(target.get());
    };
    auto* plain = Place<TGroupBox>(Box->BoundsRect());
    plain->SetCaption(L"Login");
    child->SetParent(nullptr); // the plain box has no child either
    EXPECT_EQ(print(Box), print(plain));
}

} // namespace
