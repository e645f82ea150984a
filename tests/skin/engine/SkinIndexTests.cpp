// Look-ups by name, image sizes and border widths, and the constant indexes.
#include "SkinEngineTesting.h"

namespace {

using SkinIndexes = SkinManagerTest;

TEST_F(SkinIndexes, SectionLookupIsExact) {
    Load(FolderSkins(), L"TestFeatures");
    EXPECT_GE(Section(L"Edit"), 0);
    EXPECT_EQ(Section(L"EDIT"), -1); // written as Edit
    EXPECT_EQ(Section(L"GLOBALINFO"), 0);
    EXPECT_EQ(Section(L""), -1);
    EXPECT_FALSE(Manager->IsValidSkinIndex(-1));
    EXPECT_FALSE(Manager->IsValidSkinIndex(static_cast<int>(Manager->gd.size())));
    EXPECT_TRUE(Manager->IsValidImgIndex(0));
    EXPECT_FALSE(Manager->IsValidImgIndex(static_cast<int>(Manager->ma.size())));
}

TEST_F(SkinIndexes, ImagesFallBackToParentsOnlyInTheFirstForm) {
    Load(FolderSkins(), L"TestFeatures");
    const int formBorder = Manager->GetMaskIndex(L"FORM", L"BORDERSMASK");
    ASSERT_GE(formBorder, 0);
    EXPECT_EQ(Manager->GetMaskIndex(Section(L"DIALOG"), L"DIALOG", L"BORDERSMASK"), formBorder);
    EXPECT_EQ(Manager->GetMaskIndex(L"DIALOG", L"BORDERSMASK"), -1);
    // Grandparents are searched; cycles end.
    EXPECT_EQ(Manager->GetMaskIndex(Section(L"BUTTON"), L"BUTTON", L"GLYPHMASK"), -1);
    EXPECT_EQ(Manager->GetMaskIndex(Section(L"BUTTON"), L"BUTTON", L"BORDERSMASK"),
              Manager->GetMaskIndex(L"BUTTON", L"BORDERSMASK"));
    EXPECT_EQ(Manager->GetMaskIndex(Section(L"CYC1"), L"CYC1", L"BORDERSMASK"), -1);
    EXPECT_EQ(Manager->GetMaskIndex(-1, L"FORM", L"BORDERSMASK"), -1);
    EXPECT_EQ(Manager->GetMaskIndex(Section(L"FORM"), L"", L"BORDERSMASK"), -1);
    // Textures only match texture images.
    EXPECT_GE(Manager->GetTextureIndex(Section(L"TEXTURE"), L"TEXTURE", L"PATTERN"), 0);
    EXPECT_EQ(Manager->GetTextureIndex(Section(L"FORM"), L"FORM", L"BORDERSMASK"), -1);
    EXPECT_EQ(Manager->GetPatternIndex(Section(L"FORM"), L"FORM", L"PATTERN"), -1);
}

TEST_F(SkinIndexes, SizesAndBorderWidths) {
    Load(FolderSkins(), L"TestFeatures");
    // 90 x 60, three states over a mask row: 30 x 30 states.
    const int computed = Manager->GetMaskIndex(L"PANEL", L"BORDERSMASK");
    EXPECT_EQ(Manager->MaskSize(computed).cx, 30);
    EXPECT_EQ(Manager->MaskSize(computed).cy, 30);
    // An own bitmap is measured as three states over a mask row whatever it says.
    const int own = Manager->GetMaskIndex(L"FILEIMG", L"GLYPHMASK"); // two states, no mask
    EXPECT_EQ(Manager->MaskSize(own).cx, FeatOwnWidth / 3);
    EXPECT_EQ(Manager->MaskSize(own).cy, FeatOwnHeight / 2);
    const int button = Manager->GetMaskIndex(L"BUTTON", L"BORDERSMASK");
    EXPECT_EQ(Manager->MaskWidthLeft(button), 2);
    EXPECT_EQ(Manager->MaskWidthTop(button), 3);
    EXPECT_EQ(Manager->MaskWidthRight(button), 4);
    EXPECT_EQ(Manager->MaskWidthBottom(button), 5);
    // A glyph without states and without widths: the right width is 0 until the left width
    // was asked, which makes the state count 1 in the table.
    const int zero = Manager->GetMaskIndex(L"ZERO", L"GLYPHMASK");
    ASSERT_GE(zero, 0);
    EXPECT_EQ(Manager->MaskWidthRight(zero), 0);
    EXPECT_EQ(Manager->MaskWidthLeft(zero), FeatZeroCount.Right - FeatZeroCount.Left);
    EXPECT_EQ(Manager->ma[zero].ImageCount, 1);
    EXPECT_EQ(Manager->MaskWidthRight(zero), FeatZeroCount.Right - FeatZeroCount.Left);
    EXPECT_EQ(Manager->MaskWidthTop(zero), FeatZeroCount.Bottom - FeatZeroCount.Top);
}

TEST_F(SkinIndexes, ConstantIndexes) {
    Load(FolderSkins(), L"TestFlat");
    const TConstantSkinData& c = Manager->ConstData;
    EXPECT_EQ(c.IndexGLobalInfo, Section(L"GLOBALINFO"));
    EXPECT_EQ(c.CheckBoxChecked, Manager->GetMaskIndex(L"GLOBALINFO", L"BOXCHECKED"));
    EXPECT_EQ(c.RadioButtonChecked, Manager->GetMaskIndex(L"GLOBALINFO", L"RADIOCHECKED"));
    EXPECT_EQ(c.CheckBoxGrayed, -1);
    EXPECT_EQ(c.ExBorder, Manager->GetMaskIndex(L"GLOBALINFO", L"EXBORDER"));
    EXPECT_GE(c.ExBorder, 0);
    EXPECT_EQ(c.IndexTabTop, Section(L"TABTOP"));
    // TABBOTTOM has no border of its own and names TABTOP as its parent.
    EXPECT_EQ(c.MaskTabBottom, c.MaskTabTop);
    EXPECT_GE(c.MaskTabTop, 0);
    EXPECT_EQ(c.IndexTabLeft, -1);
    EXPECT_EQ(c.MaskScrollLeft, Manager->GetMaskIndex(L"SCROLLBTNLEFT", L"BORDERSMASK"));
    EXPECT_EQ(c.MaskArrowLeft, -1);
    // No COMBOBTN section: all four of its entries are -1; COMBOBOX has its glyph.
    EXPECT_EQ(c.ComboBtnIndex, -1);
    EXPECT_EQ(c.ComboBtnBorder, -1);
    EXPECT_EQ(c.ComboBtnBG, -1);
    EXPECT_EQ(c.ComboBtnBGHot, -1);
    EXPECT_EQ(c.ComboGlyph, Manager->GetMaskIndex(L"COMBOBOX", L"GLYPHMASK"));

    // The product skin has every section the constants name.
    Load(FolderSkins(), L"Calm");
    const TConstantSkinData& p = Manager->ConstData;
    for (int index : {int(p.IndexTabTop), int(p.MaskTabRight), int(p.MaskArrowBottom),
                      int(p.MaskSliderGlyphVert), int(p.MaskScrollBar2V), p.ComboBtnBorder,
                      p.ComboGlyph, int(p.SmallCheckBoxGrayed), int(p.RadioButtonGrayed)})
        EXPECT_GE(index, 0);

    // Removing the skin sets every constant index back to -1.
    Manager->WriteActive(false);
    const auto* small = reinterpret_cast<const SmallInt*>(&Manager->ConstData);
    for (int i = 0; i < 65; ++i) EXPECT_EQ(small[i], -1) << i;
    EXPECT_EQ(Manager->ConstData.ComboGlyph, -1);
}

} // namespace
