// What a control's skin link paints: its section through the control painters (custom colour,
// no border in the normal state for masks that say so, the parent's background asked first),
// the disabled look of its image, and its border corners laid again over the parent's
// background.
#include "SectionTesting.h"

#include "framework/ExtCtrls.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sStyleSimply.h"

#include <cmath>
#include <memory>

namespace {

constexpr unsigned ParentRgb = 0x405060;

class ControlPainting : public SectionTest {
protected:
    void SetUp() override {
        SectionTest::SetUp();
        LoadSkin(L"TestSections");
        Parent = new TPanel(nullptr);
        Parent->SetColor(SkinColour(ParentRgb));
        Child = new TPanel(nullptr);
        Child->SetBounds(10, 6, 12, 10);
        Link = std::make_unique<TsCommonData>(Child, true);
    }
    void TearDown() override {
        Link.reset();
        delete Child;
        delete Parent;
        SectionTest::TearDown();
    }
    // The link on Section, the child placed on its parent and its cache sized to it.
    void Use(const wchar_t* Section) {
        Link->SetSkinSection(Section);
        Child->SetParent(Parent);
        Link->PrepareCacheBmp();
    }

    TPanel* Parent = nullptr;
    TPanel* Child = nullptr;
    std::unique_ptr<TsCommonData> Link;
};

int Mismatches(TBitmap* Bmp, const TRect& R, unsigned Want) {
    int wrong = 0;
    for (int y = R.top; y < R.bottom; ++y)
        for (int x = R.left; x < R.right; ++x) wrong += RgbAt(Bmp, x, y) != Want;
    return wrong;
}

TEST_F(ControlPainting, NoBorderInTheNormalStateWhenTheMaskSaysSo) {
    Use(L"PLAINBORDER");
    ASSERT_TRUE(Manager->IsValidImgIndex(Link->BorderIndex));
    TBitmap* cache = Link->CacheBmp();
    const TRect all(0, 0, 12, 10);
    PaintControlSkin(Link.get(), EmptyCacheInfo, true, 0, all, TPoint(0, 0), cache, true);
    EXPECT_EQ(RgbAt(cache, 1, 0), 0xFFFF00u) << "the normal state's edge";
    Manager->ma[Link->BorderIndex].DrawMode = 2;
    PaintControlSkin(Link.get(), EmptyCacheInfo, true, 0, all, TPoint(0, 0), cache, true);
    EXPECT_EQ(Mismatches(cache, all, SectPlainBorderColor), 0) << "background alone";
    PaintControlSkin(Link.get(), EmptyCacheInfo, true, 1, all, TPoint(0, 0), cache, true);
    EXPECT_EQ(RgbAt(cache, 1, 0), 0x0000FFu) << "the hot state keeps its border";
}

TEST_F(ControlPainting, CustomColourIsTheOwnersColour) {
    Use(L"TRANS40");
    Child->SetColor(SkinColour(0x0A0B0C));
    Link->SetCustomColor(true);
    TBitmap* cache = Link->CacheBmp();
    PaintControlSkin(Link.get(), EmptyCacheInfo, true, 0, TRect(0, 0, 12, 10), TPoint(0, 0), cache,
                     true);
    EXPECT_EQ(Mismatches(cache, TRect(0, 0, 12, 10), 0x0A0B0Cu), 0);
}

TEST_F(ControlPainting, OnParentAsksTheParentsBackground) {
    Use(L"TRANS40");
    TBitmap* cache = Link->CacheBmp();
    PaintControlSkinOnParent(Link.get(), Parent, true, 0, TRect(0, 0, 12, 10), TPoint(0, 0), cache,
                             true);
    EXPECT_EQ(Mismatches(cache, TRect(0, 0, 12, 10), AlphaBlend(ParentRgb, SectTrans40, 102)), 0);
}

TEST_F(ControlPainting, CornersLaidAgainOverTheParent) {
    // The generator's button look: the corner's own top-left pixel is transparent, the edge
    // 1 px, borders 3 wide. State 1: edge 0x0000FF, fill 0x40C020.
    for (const wchar_t* name : {L"PLAINBORDER", L"MASKBORDER"}) {
        Use(name);
        TBitmap* cache = Link->CacheBmp();
        FillBytes(cache, 1, 2, 3);
        PaintCornersByFlags(Link.get(), 1, 1 | 8);
        const auto label = testing::PrintToString(std::wstring(name));
        const bool masked = name[0] == L'M';
        EXPECT_EQ(RgbAt(cache, 0, 0), ParentRgb) << label;
        // A plain corner changes only where it is transparent; a masked one is laid whole.
        EXPECT_EQ(RgbAt(cache, 1, 0), masked ? 0x0000FFu : 0x030201u) << label;
        EXPECT_EQ(RgbAt(cache, 1, 1), masked ? 0x40C020u : 0x030201u) << label;
        EXPECT_EQ(RgbAt(cache, 11, 9), masked ? 0x0000FFu : 0x030201u) << label;
        EXPECT_EQ(RgbAt(cache, 11, 0), 0x030201u) << label << ": top-right not asked for";
        EXPECT_EQ(Mismatches(cache, TRect(3, 3, 9, 7), 0x030201u), 0) << label;
        Child->SetParent(nullptr);
    }
}

// A copy of the cache asked to repair its corners lays them over the parent first; without
// the request the cache is copied as it is.
TEST_F(ControlPainting, CacheCopyRepairsTheCornersWhenAsked) {
    Use(L"PLAINBORDER");
    TBitmap* cache = Link->CacheBmp();
    std::unique_ptr<TBitmap> target(CreateBmp24(12, 10));
    const TRect all(0, 0, 12, 10);
    for (const bool repair : {false, true}) {
        FillBytes(cache, 1, 2, 3);
        BitBltBgExceptControls(Child, Link.get(), all, all, target->Canvas()->Handle(), repair);
        const unsigned corner = repair ? ParentRgb : 0x030201u;
        EXPECT_EQ(RgbAt(cache, 0, 0), corner) << repair;
        EXPECT_EQ(RgbAt(target.get(), 0, 0), corner) << repair;
        EXPECT_EQ(RgbAt(target.get(), 5, 5), 0x030201u) << repair;
    }
}

TEST_F(ControlPainting, CornersNeedAPlacedOwnerAndABorder) {
    Use(L"SOLID"); // no border mask
    FillBytes(Link->CacheBmp(), 1, 2, 3);
    RepaintCorners(Link.get(), 0);
    EXPECT_EQ(RgbAt(Link->CacheBmp(), 0, 0), 0x030201u);
    Use(L"MASKBORDER");
    Child->SetParent(nullptr);
    RepaintCorners(Link.get(), 0);
    EXPECT_EQ(RgbAt(Link->CacheBmp(), 0, 0), 0x030201u);
}

unsigned Grey(unsigned Rgb) {
    const unsigned g = ((Rgb >> 16 & 0xFF) + (Rgb >> 8 & 0xFF) + (Rgb & 0xFF)) / 3;
    return g << 16 | g << 8 | g;
}

TEST_F(ControlPainting, DisabledLooks) {
    TBmpPtr image = MakeBmp(6, 5, 3, 91), parent = MakeBmp(20, 20, 3, 17);
    auto fresh = [&] {
        TBmpPtr copy = MakeBmp(6, 5, 3);
        copy->Assign(image.get());
        return copy;
    };
    // Grey first, then half the fill colour.
    TBmpPtr both = fresh();
    PaintDisabledEffect(
        both.get(), TsDisabledKind{dkGrayed, dkBlended}, nullptr,
        TCacheInfo{nullptr, 0, 0, static_cast<COLORREF>(SkinColour(0x80FF00)), false},
        TPoint(0, 0));
    // Over a ready parent: 60 % parent, 40 % image.
    TBmpPtr over = fresh();
    PaintDisabledEffect(over.get(), TsDisabledKind{dkBlended}, nullptr,
                        TCacheInfo{parent.get(), 3, 4, 0, true}, TPoint(2, 1));
    // No fill colour (the key colour): the control's background colour.
    TBmpPtr control = fresh();
    PaintDisabledEffect(control.get(), TsDisabledKind{dkBlended}, Parent,
                        TCacheInfo{nullptr, 0, 0, static_cast<COLORREF>(0xFF00FF), false},
                        TPoint(0, 0));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const unsigned pixel = RgbAt(image.get(), x, y);
            EXPECT_EQ(RgbAt(both.get(), x, y), PercentMix(Grey(pixel), 50, 0x80FF00));
            EXPECT_EQ(RgbAt(control.get(), x, y), PercentMix(pixel, 50, ParentRgb));
            const unsigned under = RgbAt(parent.get(), 5 + x, 5 + y);
            unsigned want = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int s = under >> shift & 0xFF, d = pixel >> shift & 0xFF;
                want |= unsigned(std::nearbyint(s - 0.4 * (s - d))) << shift;
            }
            EXPECT_EQ(RgbAt(over.get(), x, y), want);
        }
}

} // namespace
