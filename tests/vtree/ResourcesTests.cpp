#include "WindowFixture.h"

namespace {

using namespace vtree_test;

TEST(VTResources, CheckListsHoldTwentyFiveImagesEach) {
    for (TCheckImageKind kind : {ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckXP,
                                 ckSystemFlat, ckSystemDefault}) {
        TCustomImageList* list = vtree_resources::CheckImageListFor(kind);
        ASSERT_NE(list, nullptr) << "kind " << kind;
        EXPECT_EQ(list->Count(), 25) << "kind " << kind;
    }
    EXPECT_EQ(vtree_resources::CheckImageListFor(ckLightCheck)->Width(), 16);
    EXPECT_EQ(vtree_resources::CheckImageListFor(ckCustom), nullptr);
    EXPECT_EQ(vtree_resources::UtilityList()->Count(), 9);
}

TEST(VTResources, PicturesHaveTheirSizesAndATransparentCorner) {
    struct TCase {
        const wchar_t* Name;
        int Width, Height;
    };
    for (const TCase& test : {TCase{L"VT_CHECK_LIGHT", 400, 16}, TCase{L"VT_XP", 400, 16},
                              TCase{L"VT_UTILITIES", 144, 16}, TCase{L"VT_XPBUTTONPLUS", 9, 9},
                              TCase{L"VT_XPBUTTONMINUS", 9, 9}, TCase{L"VT_MOVEALL", 32, 32},
                              TCase{L"VT_MOVEEW", 32, 32}, TCase{L"VT_MOVENS", 32, 32}}) {
        TBitmap picture;
        vtree_resources::DrawPicture(test.Name, &picture);
        const std::string name = Narrow(test.Name);
        EXPECT_EQ(picture.Width(), test.Width) << name;
        EXPECT_EQ(picture.Height(), test.Height) << name;
        if (test.Width > 9) {
            EXPECT_EQ(picture.Canvas()->Pixels(0, 0), clFuchsia) << name;
        }
    }
}

TEST(VTResources, AMissingPictureRaisesTheAssertion) {
    TImageList list(nullptr);
    try {
        vtree_resources::LoadImageStrip(&list, L"VT_NOTHING", false);
        FAIL() << "no exception";
    } catch (const EAssertionFailed& error) {
        EXPECT_EQ(error.Message(),
                  L"Internal image \"VT_NOTHING\" is missing or corrupt. (VirtualTrees)");
    }
}

TEST(VTResources, SecondTreeReusesTheLists) {
    TThemesOff themes;
    TCustomImageList* before = vtree_resources::CheckImageListFor(ckDarkCheck);
    const int count = before->Count();
    TOwned<TVirtualStringTreeWindow> window(Construct<TVirtualStringTreeWindow>(nullptr));
    EXPECT_EQ(vtree_resources::CheckImageListFor(ckDarkCheck), before);
    EXPECT_EQ(before->Count(), count);
    EXPECT_NE(vtree_resources::HeaderSplitCursor(), nullptr);
    EXPECT_NE(vtree_resources::VertSplitCursor(), nullptr);
}

TEST(VTResources, ColoursConvertToColourReferences) {
    EXPECT_EQ(ColorToColorRef(clNone), CLR_NONE);
    EXPECT_EQ(ColorToColorRef(clDefault), CLR_DEFAULT);
    EXPECT_EQ(ColorToColorRef(clWindow), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ColorToColorRef(0x007D6D37), 0x007D6D37u);
}

TEST(VTResources, ColoursStartAtTheirDefaults) {
    TVTColors colors(nullptr);
    EXPECT_EQ(colors.DisabledColor(), clBtnShadow);
    EXPECT_EQ(colors.FocusedSelectionColor(), clHighlight);
    EXPECT_EQ(colors.GridLineColor(), clBtnFace);
    EXPECT_EQ(colors.UnfocusedSelectionColor(), clBtnFace);
    EXPECT_EQ(colors.HotColor(), clWindowText);
    EXPECT_EQ(colors.HeaderHotColor(), clBtnShadow);
    TVTColors copy(nullptr);
    colors.SetGridLineColor(clGrayText);
    copy.Assign(&colors);
    EXPECT_EQ(copy.GridLineColor(), clGrayText);
}

} // namespace
