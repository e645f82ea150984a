// The skin model read from Options.dat: global values, sections with their inheritance, and the
// image-value forms, from the generated feature skin.
#include "SkinEngineTesting.h"

#include "framework/Conversions.h"

namespace {

class SkinData : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        Load(FolderSkins(), L"TestFeatures");
        ASSERT_TRUE(Manager->SkinActive());
    }
};

TEST_F(SkinData, GlobalValuesAndTheirDefaults) {
    Load(FolderSkins(), L"TestFlat");
    const TsSkinData& s = Manager->SkinData;
    EXPECT_EQ(s.Version, 7.0);
    EXPECT_EQ(s.Author, FlatAuthor); // ANSI text with accents
    EXPECT_EQ(s.Description, L"Flat test skin");
    EXPECT_EQ(s.ExTitleHeight, 26);
    EXPECT_EQ(s.ExMaxHeight, 26); // MAXHEIGHT 0 takes the title height
    EXPECT_EQ(s.ExBorderWidth, 4);
    EXPECT_EQ(s.ExContentOffs, 8);
    EXPECT_EQ(s.Shadow1Offset, 16); // strict, "$10"
    EXPECT_EQ(s.Shadow1Blur, 3);
    EXPECT_EQ(s.Shadow1Transparency, 0);
    EXPECT_EQ(Manager->ReadSkinInfo(), L"7");
    EXPECT_EQ(Data(L"GLOBALINFO").Color, static_cast<TColor>(FlatGlobalColor));
    EXPECT_EQ(Data(L"GLOBALINFO").FontColor[0], static_cast<TColor>(FlatGlobalFontColor));
    EXPECT_EQ(Data(L"GLOBALINFO").HotColor, 16777215);
    EXPECT_EQ(Data(L"GLOBALINFO").BorderIndex, 0); // GLOBALINFO keeps the index it was read with
    const TsGeneralData& button = Data(L"BUTTON");
    EXPECT_TRUE(button.FadingEnabled); // "true" in any case
    EXPECT_EQ(button.FadingIterations, 7);
    EXPECT_EQ(button.FontColor[1], 0xFF);
    EXPECT_EQ(button.FontColor[2], -1);
    EXPECT_EQ(button.GradientData, L" ");
    EXPECT_TRUE(button.GradientArray.empty());
    EXPECT_EQ(Data(L"EDIT").FadingIterations, 5);
}

TEST_F(SkinData, SectionsInheritThroughParentChainsThatEnd) {
    struct TCase {
        const wchar_t* Section;
        TColor Color;
        TColor FontLeft;
        TColor FontTop;
        int Transparency;
        int Glow;
    };
    const TCase cases[] = {
        {L"BASE", 0x112233, 5, -1, 40, 2},
        {L"PANEL", 0x112233, 6, -1, 40, 2},  // COLOR from BASE, its own TCLEFT
        {L"BUTTON", 0x112233, 6, 7, 40, 2},  // TCLEFT -1 counts as missing: PANEL's
        {L"SELF", 0xFFFFFF, -1, -1, 0, 0},   // names itself: no parent
        {L"CYCLEA", 0xFFFFFF, -1, -1, 0, 0}, // A -> B -> A ends with the defaults
        {L"CYCLEB", 0xFFFFFF, -1, -1, 0, 0},
        {L"CYC1", 0x0000FF, -1, -1, 0, 0}, // found two steps up a three-cycle
        {L"CYC2", 0x0000FF, -1, -1, 0, 0},
        {L"Edit", 0xABCDEF, -1, -1, 0, 0},
    };
    for (const TCase& c : cases) {
        const TsGeneralData& d = Data(c.Section);
        EXPECT_EQ(d.Color, c.Color) << c.Section;
        EXPECT_EQ(d.FontColor[1], c.FontLeft) << c.Section;
        EXPECT_EQ(d.FontColor[2], c.FontTop) << c.Section;
        EXPECT_EQ(d.Transparency, c.Transparency) << c.Section;
        EXPECT_EQ(d.GlowCount, c.Glow) << c.Section;
    }
    EXPECT_EQ(Data(L"BUTTON").ParentClass, L"PANEL");
    EXPECT_EQ(Data(L"BUTTON").HotColor, 0x445566);
    EXPECT_TRUE(Data(L"BUTTON").GiveOwnFont);
    // Gradient text inherited and parsed into two bands; a written "?" counts as missing.
    const TsGeneralData& button = Data(L"BUTTON");
    ASSERT_EQ(button.GradientArray.size(), 2u);
    EXPECT_EQ(button.GradientArray[1].Color1, 0x00FF00);
    EXPECT_EQ(button.GradientArray[1].Mode1, 1);
    EXPECT_EQ(button.HotGradientData, L"");
    EXPECT_EQ(Manager->SkinData.Version, 5.4);
    EXPECT_EQ(Manager->ReadSkinInfo(), L"5.4");
}

// Each image-value form gives the entry it describes.
TEST_F(SkinData, ImageValueForms) {
    struct TCase {
        const wchar_t* Section;
        const wchar_t* Key;
        TSkinGenRect R;
        int Count, Mask, BorderWidth, DrawMode;
        TacImgType Type;
        int WL, WT, WR, WB;
        bool OwnBitmap;
    };
    const TSkinGenRect own{0, 0, FeatOwnWidth, FeatOwnHeight};
    const TCase cases[] = {
        {L"GLOBALINFO", L"BOXCHECKED", FeatGlyph, 3, 1, 0, 0, itisaGlyph, 0, 0, 0, 0, false},
        {L"BUTTON", L"BORDERSMASK", FeatButtonBorder, 3, 0, 1, 1, itisaBorder, 2, 3, 4, 5, false},
        // 90 x 60, three states, a mask row, no widths: a third of a state and of a row.
        {L"PANEL", L"BORDERSMASK", FeatComputedBorder, 3, 1, 0, 0, itisaBorder, 10, 10, 10, 10,
         false},
        {L"TEXTURE", L"PATTERN", FeatTexture, 1, 0, 0, 3, itisaTexture, 0, 0, 0, 0, false},
        {L"FILEIMG", L"BORDERSMASK", own, 3, 1, 0, 4, itisaBorder, 5, 6, 7, 8, true},
        // An image type above 4 counts as 4; widths computed: 30 div 6, 20 div 3.
        {L"FILEIMG", L"GLYPHMASK", own, 2, 0, 0, 4, itisaPngGlyph, 5, 6, 5, 6, true},
        // A negative image type is clamped to 0.
        {L"FILEIMG", L"IMGTOPLEFT", own, 3, 1, 0, 4, itisaBorder, 3, 3, 3, 3, true},
        // No states: the widths do not divide by zero (one state is assumed for them).
        {L"FILEIMG", L"IMGBTMRIGHT", own, 0, 0, 0, 4, itisaBorder, 10, 6, 10, 6, true},
        // A plain file name: upper-cased, three states over a mask row.
        {L"PLAIN", L"BORDERSMASK", own, 3, 1, 0, 0, itisaBorder, 3, 3, 3, 3, true},
        {L"HASH", L"BORDERSMASK", {10, 20, 40, 50}, 2, 1, 3, 2, itisaBorder, 3, 3, 3, 3, false},
        // Counts below their minimum are raised to it; the draw mode defaults to 1.
        {L"HASH", L"IMGTOPLEFT", {1, 2, 31, 22}, 1, 0, 0, 1, itisaBorder, 10, 6, 10, 6, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::wstring(c.Section) + L"." + c.Key);
        const TsMaskData& m = Image(c.Section, c.Key);
        EXPECT_EQ(m.R.left, c.R.Left);
        EXPECT_EQ(m.R.top, c.R.Top);
        EXPECT_EQ(m.R.right, c.R.Right);
        EXPECT_EQ(m.R.bottom, c.R.Bottom);
        EXPECT_EQ(m.ImageCount, c.Count);
        EXPECT_EQ(m.MaskType, c.Mask);
        EXPECT_EQ(m.BorderWidth, c.BorderWidth);
        EXPECT_EQ(m.DrawMode, c.DrawMode);
        EXPECT_EQ(m.ImgType, c.Type);
        EXPECT_EQ(m.WL, c.WL);
        EXPECT_EQ(m.WT, c.WT);
        EXPECT_EQ(m.WR, c.WR);
        EXPECT_EQ(m.WB, c.WB);
        EXPECT_EQ(m.Bmp != nullptr, c.OwnBitmap);
        EXPECT_EQ(m.Manager, Manager);
    }
    // The border-width form spreads its width to every side.
    const TsMaskData& corner = Image(L"BUTTON", L"IMGTOPLEFT");
    EXPECT_EQ(corner.WL, 2);
    EXPECT_EQ(corner.WB, 2);
    // A texture's mask type when the value carries it.
    EXPECT_EQ(Image(L"TEXTURE", L"HOTPATTERN").MaskType, 1);
    EXPECT_EQ(Image(L"TEXTURE", L"HOTPATTERN").DrawMode, 12);
    // Own BMP files are 24-bit; a texture keeps its own depth.
    EXPECT_EQ(Image(L"FILEIMG", L"BORDERSMASK").Bmp->PixelFormat(), pf24bit);
    EXPECT_EQ(Image(L"PLAIN", L"BORDERSMASK").ClassName, L"PLAIN");
}

TEST_F(SkinData, ValuesThatAddNoImage) {
    const std::pair<const wchar_t*, const wchar_t*> none[] = {
        {L"FILEIMG", L"IMGTOPRIGHT"}, // "!own.bmp": the extension must be written in capitals
        {L"FILEIMG", L"IMGBTMLEFT"},  // a file that does not exist
        {L"HASH", L"GLYPHMASK"},      // "#" alone
        {L"SHORT", L"GLYPHMASK"},     // too short for its fixed positions
        {L"SHORT", L"BORDERSMASK"},   {L"SHORT", L"PATTERN"}, {L"NA", L"BORDERSMASK"}, // "N/A"
    };
    for (const auto& [section, key] : none)
        EXPECT_EQ(Manager->GetMaskIndex(section, key), -1) << section << L"." << key;
}

TEST_F(SkinData, AlphaPngKeepsItsAlphaAndLosesTransparentWhite) {
    const TsMaskData& m = Image(L"PNGIMG", L"GLYPHMASK");
    ASSERT_TRUE(m.Bmp);
    EXPECT_EQ(m.Bmp->PixelFormat(), pf32bit);
    EXPECT_EQ(m.ImgType, itisaPngGlyph);
    const auto* row = static_cast<const Byte*>(m.Bmp->ScanLine(0));
    EXPECT_EQ(row[0 * 4 + 2], 255); // red, opaque
    EXPECT_EQ(row[0 * 4 + 3], 255);
    EXPECT_EQ(row[1 * 4 + 3], 128); // green, half
    for (int channel = 0; channel < 4; ++channel) EXPECT_EQ(row[2 * 4 + channel], 0);
}

TEST_F(SkinData, MaskIndexesOfSections) {
    const TsGeneralData& button = Data(L"BUTTON");
    EXPECT_EQ(button.BorderIndex, Manager->GetMaskIndex(L"BUTTON", L"BORDERSMASK"));
    EXPECT_EQ(button.ImgTL, Manager->GetMaskIndex(L"BUTTON", L"IMGTOPLEFT"));
    EXPECT_EQ(button.ImgTR, -1);
    // DIALOG has no border of its own: FORM's.
    EXPECT_EQ(Data(L"DIALOG").BorderIndex, Manager->GetMaskIndex(L"FORM", L"BORDERSMASK"));
    EXPECT_EQ(Data(L"CYCLEA").BorderIndex, -1); // the search up the cycle ends
    EXPECT_EQ(Data(L"CYC1").BorderIndex, -1);
}

// A value the strict conversion refuses stops the load; the skin before it stays whole.
TEST_F(SkinData, StrictValueErrorsKeepThePreviousSkin) {
    const std::wstring before = TableDump(*Manager);
    for (const wchar_t* name : {L"StrictShadow", L"StrictGlow", L"StrictGlyph", L"StrictHash"}) {
        for (const UnicodeString& directory : {FolderSkins(), PackedSkins()}) {
            SCOPED_TRACE(directory + name);
            EXPECT_THROW(Load(directory, name), EConvertError);
            EXPECT_FALSE(SkinLoading);
            EXPECT_EQ(SkinIni, nullptr);
            EXPECT_EQ(SkinConvertor, nullptr);
            EXPECT_EQ(Manager->SkinName(), L"TestFeatures");
            EXPECT_TRUE(Manager->SkinActive());
            EXPECT_EQ(TableDump(*Manager), before);
        }
    }
}

TEST(SkinDataWithoutManager, GradientTextParsesIntoBands) {
    TsGradArray bands;
    ParseGradientData(L"16777215;$00C0C0C0;50;0;9;$00C0C0C0;-5;150;1;0;7", bands);
    ASSERT_EQ(bands.size(), 2u); // the 11th word starts no band
    EXPECT_EQ(bands[0].Color1, 0xFFFFFF);
    EXPECT_EQ(bands[0].Percent, 50);
    EXPECT_EQ(bands[1].Color2, 0);    // below 0: 0
    EXPECT_EQ(bands[1].Percent, 100); // limited
    EXPECT_EQ(bands[1].Mode1, 1);
    ParseGradientData(L"", bands);
    EXPECT_TRUE(bands.empty());
    EXPECT_THROW(ParseGradientData(L"1;2;x;0;0", bands), EConvertError);
}

} // namespace
