// Old-style internal skins: sections, images and patterns kept as items beside a master bitmap
// of their own, read without an INI text, and written back as INI keys.
#include "SkinEngineTesting.h"

namespace {

using OldStyleSkins = SkinManagerTest;

TBitmap* FlatBitmap(int Width, int Height, TColor Colour) {
    auto* bitmap = new TBitmap(Width, Height, pf24bit);
    bitmap->Canvas()->Brush()->SetColor(Colour);
    bitmap->Canvas()->FillRect(TRect(0, 0, Width, Height));
    return bitmap;
}

// Two sections (a parent and a child), an image in the master bitmap with its state count left
// at 0, an own bitmap with an image type out of range, and two patterns of one name of which
// only the first has an image.
TsStoredSkin* AddOldStyleSkin(TsSkinManager* Manager) {
    TsStoredSkin* stored = Manager->InternalSkins()->Add();
    stored->SetName(L"Old (internal)");
    stored->Version = 6.5;
    stored->Author = L"Someone";
    stored->Shadow1Blur = 3;
    TBitmap* master = FlatBitmap(90, 60, 0x00FF00);
    stored->SetMasterBitmap(master);
    master->Free();

    TsSkinGeneral* panel = stored->GeneralData()->Add();
    panel->SectionName = L"PANEL";
    panel->Color = 0x112233;
    panel->FontColor = L"1 2 3 4 5";
    panel->HotFontColor = L"1 2 3 4"; // not five numbers: no outlines, main colour 0
    panel->GradientData = L"255;65280;50;0;0";
    panel->GradientPercent = 40;
    panel->FadingEnabled = true;
    panel->FadingIterations = 7;
    TsSkinGeneral* button = stored->GeneralData()->Add();
    button->SectionName = L"BUTTON";
    button->ParentClass = L"PANEL";
    button->HotColor = 0xABCDEF;
    button->GradientData = L" ";
    stored->GeneralData()->Add(); // no section name: not written by SaveToIni

    TsSkinImage* border = stored->Images()->Add();
    border->SectionName = L"button";
    border->PropertyName = L"bordersmask";
    border->Right = 90;
    border->Bottom = 60;
    TsSkinImage* own = stored->Images()->Add();
    own->SectionName = L"PANEL";
    own->PropertyName = L"GLYPHMASK";
    own->Name = L"OWN.BMP";
    own->ImageCount = 2;
    own->ImgType = 9;
    own->StretchMode = 4;
    own->WL = 1;
    TBitmap* image = FlatBitmap(20, 10, 0x0000FF);
    own->SetImage(image);
    image->Free();

    TsSkinPattern* first = stored->Patterns()->Add();
    first->SectionName = L"panel";
    first->PropertyName = L"pattern";
    first->Name = L"P.JPG";
    TBitmap* picture = FlatBitmap(8, 8, 0x808080);
    first->Image()->Assign(picture);
    picture->Free();
    TsSkinPattern* shared = stored->Patterns()->Add();
    shared->SectionName = L"BUTTON";
    shared->PropertyName = L"HOTPATTERN";
    shared->Name = L"P.JPG";
    TsSkinPattern* lone = stored->Patterns()->Add();
    lone->SectionName = L"BUTTON";
    lone->PropertyName = L"PATTERN";
    lone->Name = L"NONE.JPG";
    return stored;
}

TEST_F(OldStyleSkins, AreReadFromTheirItems) {
    AddOldStyleSkin(Manager);
    Load(GeneratedSkins() + L"none", L"Old (internal)");
    ASSERT_TRUE(Manager->SkinActive());
    EXPECT_FALSE(Manager->SkinIsPacked);
    EXPECT_EQ(Manager->ReadSkinInfo(), L"6.5");
    EXPECT_EQ(Manager->SkinData.Author, L"Someone");
    EXPECT_EQ(Manager->SkinData.Shadow1Blur, 3);
    EXPECT_EQ(Manager->MasterBitmap->Width(), 90);
    EXPECT_EQ(Manager->MasterBitmap->PixelFormat(), pf24bit);

    ASSERT_EQ(Manager->gd.size(), 3u);
    const TsGeneralData& panel = Data(L"PANEL");
    EXPECT_EQ(panel.Color, 0x112233);
    EXPECT_EQ(panel.FontColor, (TsFontColors{1, 2, 3, 4, 5}));
    EXPECT_EQ(panel.HotFontColor, (TsFontColors{0, -1, -1, -1, -1}));
    ASSERT_EQ(panel.GradientArray.size(), 1u);
    EXPECT_TRUE(panel.FadingEnabled);
    EXPECT_EQ(panel.FadingIterations, 7);
    EXPECT_EQ(panel.BorderIndex, -1);
    const TsGeneralData& button = Data(L"BUTTON");
    EXPECT_EQ(button.HotColor, 0xABCDEF);
    EXPECT_TRUE(button.GradientArray.empty());

    // Names upper-cased; a count of 0 is three states over a mask row; widths computed.
    const TsMaskData& border = Image(L"BUTTON", L"BORDERSMASK");
    EXPECT_EQ(button.BorderIndex, Manager->GetMaskIndex(L"BUTTON", L"BORDERSMASK"));
    EXPECT_EQ(border.Bmp, nullptr);
    EXPECT_EQ(border.R, TRect(0, 0, 90, 60));
    EXPECT_EQ(border.ImageCount, 3);
    EXPECT_EQ(border.MaskType, 1);
    EXPECT_EQ(border.WL, 10);
    EXPECT_EQ(border.WT, 10);
    const TsMaskData& own = Image(L"PANEL", L"GLYPHMASK");
    ASSERT_NE(own.Bmp, nullptr);
    EXPECT_EQ(own.R, TRect(0, 0, 20, 10));
    EXPECT_EQ(own.ImageCount, 2);
    EXPECT_EQ(own.ImgType, itisaPngGlyph); // clamped
    EXPECT_EQ(own.DrawMode, 4);
    EXPECT_EQ(own.WL, 1); // one width given: the others stay 0
    EXPECT_EQ(own.WR, 0);

    // The second pattern borrows the first's image; the one without any image is left out.
    ASSERT_EQ(Manager->pa.size(), 2u);
    EXPECT_EQ(Manager->GetPatternIndex(Section(L"PANEL"), L"PANEL", L"PATTERN"), 0);
    EXPECT_EQ(Manager->pa[1].ClassName, L"BUTTON");
    EXPECT_EQ(Manager->pa[1].Img->Width(), 8);
}

TEST_F(OldStyleSkins, CopiesKeepEveryItem) {
    TsStoredSkin* stored = AddOldStyleSkin(Manager);
    TsStoredSkin* copy = Manager->InternalSkins()->Add();
    copy->Assign(stored);
    EXPECT_EQ(copy->GeneralData()->Count(), 3);
    EXPECT_EQ(copy->GeneralData()->Items(1)->ParentClass, L"PANEL");
    EXPECT_EQ(copy->Images()->Items(1)->Image()->Width(), 20);
    EXPECT_EQ(copy->Images()->Items(1)->Name, L"OWN.BMP");
    EXPECT_FALSE(copy->Patterns()->Items(0)->Image()->Empty());
    EXPECT_EQ(copy->MasterBitmap()->Height(), 60);
}

TEST_F(OldStyleSkins, SaveToIniWritesTheSectionsAsKeys) {
    AddOldStyleSkin(Manager);
    TsSkinIni ini;
    Manager->SaveToIni(0, &ini);
    TStringList sections;
    ini.ReadSections(&sections);
    EXPECT_EQ(sections.Text(), L"PANEL\r\nBUTTON\r\n");
    TStringList lines;
    ini.ReadSectionValues(L"PANEL", &lines);
    EXPECT_EQ(lines.Text(), L"PARENTCLASS=\r\nCOLOR=1122867\r\nRESERVEDBOOLEAN=FALSE\r\n"
                            L"GIVEOWNFONT=FALSE\r\nGLOW=0\r\nGLOWMARGIN=0\r\nFONTCOLOR=1\r\n"
                            L"TCLEFT=2\r\nTCTOP=3\r\nTCRIGHT=4\r\nTCBOTTOM=5\r\nHOTFONTCOLOR=1\r\n"
                            L"HOTTCLEFT=2\r\nHOTTCTOP=3\r\nHOTTCRIGHT=4\r\nHOTTCBOTTOM=\r\n"
                            L"TRANSPARENCY=0\r\nGRADIENTPERCENT=40\r\nIMAGEPERCENT=0\r\n"
                            L"GRADIENTDATA=255;65280;50;0;0\r\nSHOWFOCUS=FALSE\r\n"
                            L"FADINGENABLED=TRUE\r\nFADINGITERATIONS=7\r\nHOTCOLOR=0\r\n"
                            L"HOTTRANSPARENCY=0\r\nHOTGRADIENTPERCENT=0\r\nHOTGRADIENTDATA=\r\n"
                            L"HOTIMAGEPERCENT=0\r\n");
    EXPECT_EQ(ini.ReadString(L"BUTTON", L"HOTCOLOR", L""), L"11259375");
}

} // namespace
