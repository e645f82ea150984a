// Section painting on memory bitmaps, against values computed from the generator's constants:
// colours and hot states, transparency over ready and plain parents, gradients of each mode,
// the texture and gradient mix, texture draw modes, masked textures, corner images, nine-piece
// borders with and without mask rows, JPEG patterns, and the guards that paint nothing.
#include "SectionTesting.h"

#include "skin/engine/sGradient.h"
#include "skin/engine/sStyleSimply.h"

#include <functional>

namespace {

class SectionPainting : public SectionTest {
protected:
    void SetUp() override {
        SectionTest::SetUp();
        LoadSkin(L"TestSections");
    }
    int Index(const wchar_t* Name) const { return Section(Name); }
    // The section's background into R of Bmp.
    void Background(const wchar_t* Name, TBitmap* Bmp, const TRect& R, const TCacheInfo& CI,
                    int State = 0, TPoint Offset = TPoint(0, 0),
                    TColor Custom = TransparentKeyColor) {
        PaintSkinBackground(Index(Name), Name, CI, State, R, Offset, Bmp, Manager, -1, -1, Custom);
    }
    void Item(const wchar_t* Name, TBitmap* Bmp, const TRect& R, const TCacheInfo& CI,
              int State = 0, TPoint Offset = TPoint(0, 0)) {
        PaintSkinItem(Index(Name), Name, CI, true, State, R, Offset, Bmp, Manager);
    }
};

// Every pixel of R in Bmp against Want(x, y); answers the number of mismatches, the first one
// reported.
int Mismatches(TBitmap* Bmp, const TRect& R, const std::function<unsigned(int, int)>& Want) {
    int wrong = 0;
    for (int y = R.top; y < R.bottom; ++y)
        for (int x = R.left; x < R.right; ++x)
            if (RgbAt(Bmp, x, y) != Want(x, y) && wrong++ == 0)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << RgbAt(Bmp, x, y)
                              << " instead of " << Want(x, y);
    return wrong;
}

int Mismatches(TBitmap* Bmp, const TRect& R, unsigned Want) {
    return Mismatches(Bmp, R, [&](int, int) { return Want; });
}

TCacheInfo Ready(TBitmap* Parent, int X, int Y) { return TCacheInfo{Parent, X, Y, 0, true}; }

TCacheInfo PlainParent(unsigned Rgb) {
    return TCacheInfo{nullptr, 0, 0, static_cast<COLORREF>(SkinColour(Rgb)), false};
}

TEST_F(SectionPainting, ColoursOfEachStateInBothDepths) {
    for (int bytes : {3, 4}) {
        TBmpPtr bmp = MakeBmp(9, 7, bytes, 5);
        Background(L"SOLID", bmp.get(), TRect(0, 0, 9, 7), EmptyCacheInfo);
        EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 9, 7), SectSolid), 0);
        if (bytes == 4) {
            EXPECT_EQ(PixelOf(bmp.get(), 3, 3)[3], 255);
        }
        Background(L"SOLID", bmp.get(), TRect(2, 1, 6, 5), EmptyCacheInfo, 2);
        EXPECT_EQ(Mismatches(bmp.get(), TRect(2, 1, 6, 5), SectSolidHot), 0);
        EXPECT_EQ(RgbAt(bmp.get(), 1, 1), SectSolid) << "outside R untouched";
    }
}

TEST_F(SectionPainting, CustomColourIsASolidFill) {
    TBmpPtr bmp = MakeBmp(6, 6, 3, 9);
    TBmpPtr parent = MakeBmp(10, 10, 3, 4);
    Background(L"TRANS40", bmp.get(), TRect(0, 0, 6, 6), Ready(parent.get(), 1, 1), 0, TPoint(0, 0),
               SkinColour(0x123456));
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 6, 6), 0x123456u), 0);
}

TEST_F(SectionPainting, TransparencyOverAPlainParent) {
    struct TCase {
        const wchar_t* Section;
        int State;
        unsigned Parent;
        unsigned Want;
    };
    const TCase cases[] = {
        // 40 percent of the parent, 60 of the section: alpha 102 weighting the parent.
        {L"TRANS40", 0, 0x000000, AlphaBlend(0x000000, SectTrans40, 102)},
        {L"TRANS40", 0, 0xFFFFFF, AlphaBlend(0xFFFFFF, SectTrans40, 102)},
        // The hot state is 100 percent transparent: the parent's colour alone.
        {L"TRANS40", 1, 0x5A6B7C, 0x5A6B7C},
        {L"TRANS100", 0, 0x5A6B7C, 0x5A6B7C},
        // Nothing known about the parent: the key colour marks the place.
        {L"TRANS100", 0, 0xFF00FF, 0xFF00FF},
        {L"SOLID", 0, 0x5A6B7C, SectSolid},
    };
    for (const TCase& c : cases) {
        TBmpPtr bmp = MakeBmp(8, 5, 3, 2);
        Background(c.Section, bmp.get(), TRect(0, 0, 8, 5), PlainParent(c.Parent), c.State);
        EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 8, 5), c.Want), 0)
            << testing::PrintToString(std::wstring(c.Section)) << " state " << c.State;
    }
}

TEST_F(SectionPainting, TransparencyOverAReadyParent) {
    TBmpPtr parent = MakeBmp(20, 16, 3, 77);
    const TCacheInfo ci = Ready(parent.get(), 3, 2);
    const TPoint offset(1, 4);
    auto under = [&](int x, int y) { return RgbAt(parent.get(), 3 + 1 + x, 2 + 4 + y); };

    TBmpPtr bmp = MakeBmp(10, 8, 3, 6);
    Background(L"TRANS40", bmp.get(), TRect(0, 0, 10, 8), ci, 0, offset);
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 10, 8),
                         [&](int x, int y) { return AlphaBlend(under(x, y), SectTrans40, 102); }),
              0);
    Background(L"TRANS100", bmp.get(), TRect(0, 0, 10, 8), ci, 0, offset);
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 10, 8), under), 0) << "an exact copy";

    // A parent that is the bitmap itself is already there: nothing is painted.
    TBmpPtr self = MakeBmp(10, 8, 3, 31);
    const std::vector<Byte> before = AllBytes(self.get());
    Background(L"TRANS100", self.get(), TRect(0, 0, 10, 8), Ready(self.get(), 0, 0));
    EXPECT_EQ(AllBytes(self.get()), before);
}

TEST_F(SectionPainting, VerticalAndHorizontalGradientsAreTheGradientPainters) {
    for (const wchar_t* name : {L"GRAD0", L"GRAD1"}) {
        TBmpPtr bmp = MakeBmp(12, 9, 3, 1), model = MakeBmp(12, 9, 3, 1);
        Background(name, bmp.get(), TRect(1, 1, 11, 8), EmptyCacheInfo);
        PaintGradient(model.get(), TRect(1, 1, 11, 8), Manager->gd[Index(name)].GradientArray);
        EXPECT_EQ(AllBytes(bmp.get()), AllBytes(model.get()));
        const bool vertical = name[4] == L'0';
        EXPECT_EQ(RgbAt(bmp.get(), 1, 1), SectGradFirst);
        EXPECT_EQ(RgbAt(bmp.get(), vertical ? 1 : 10, vertical ? 7 : 1), SectGradSecond);
    }
}

// Stands for the system's triangle fill: the bounding rect of the mesh in the first vertex's
// colour.
BOOL WINAPI FlatTriangles(HDC DC, PTRIVERTEX V, ULONG, PVOID, ULONG, ULONG) {
    const RECT r{V[0].x, V[0].y, V[3].x, V[3].y};
    HBRUSH brush = CreateSolidBrush(RGB(V[0].Red >> 8, V[0].Green >> 8, V[0].Blue >> 8));
    FillRect(DC, &r, brush);
    DeleteObject(brush);
    return TRUE;
}

TEST_F(SectionPainting, TriangleGradientKeepsItsShareOfTheColour) {
    // The system's triangle fill stands replaced by a flat fill of the first vertex's colour, so
    // the section's own step, 60 percent gradient and 40 percent colour, is what is seen.
    GradientFillProc = FlatTriangles;
    TBmpPtr bmp = MakeBmp(10, 6, 3, 3);
    Background(L"GRAD2", bmp.get(), TRect(0, 0, 10, 6), EmptyCacheInfo);
    GradientFillProc = nullptr;
    EXPECT_EQ(
        Mismatches(bmp.get(), TRect(0, 0, 10, 6), PercentMix(SectGradFirst, 60, SectGrad2Color)),
        0);
}

TEST_F(SectionPainting, TextureUnderGradientThenColour) {
    // Texture 30 percent under the gradient (alpha 76 weighting the texture), then 80 percent
    // of that and 20 percent of the section colour.
    const unsigned mixed = AlphaBlend(SectMixTexture, SectMixGradient, 76);
    for (int bytes : {3, 4}) {
        TBmpPtr bmp = MakeBmp(11, 7, bytes, 8);
        Background(L"MIX", bmp.get(), TRect(0, 0, 11, 7), EmptyCacheInfo);
        EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 11, 7), PercentMix(mixed, 80, SectMixColor)),
                  0);
    }
}

TEST_F(SectionPainting, TextureDrawModes) {
    const unsigned tile[6] = {SectTile0, SectTile1, SectTile2, SectTile3, SectTile4, SectTile5};
    const int w = SectTile.Right - SectTile.Left, h = SectTile.Bottom - SectTile.Top;
    auto tiled = [&](int x, int y) { return tile[(y % h) * w + x % w]; };
    struct TCase {
        const wchar_t* Section;
        unsigned Colour;
        // Where the tiles show; elsewhere the section colour.
        std::function<bool(int, int)> Tiles;
    };
    const int width = 8, height = 5;
    const TCase cases[] = {
        {L"TEXMODE0", SectTex0Color, [](int, int) { return true; }},
        // One row of tiles along the top, the rest the section colour.
        {L"TEXMODE2", SectTex2Color, [&](int, int y) { return y < h; }},
        // Tiles from the left, of which only the rightmost tile width stays.
        {L"TEXMODE7", SectTex7Color, [&](int x, int) { return x >= width - w; }},
    };
    for (const TCase& c : cases) {
        TBmpPtr bmp = MakeBmp(width, height, 3, 4);
        Background(c.Section, bmp.get(), TRect(0, 0, width, height), EmptyCacheInfo);
        EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, width, height),
                             [&](int x, int y) { return c.Tiles(x, y) ? tiled(x, y) : c.Colour; }),
                  0)
            << testing::PrintToString(std::wstring(c.Section));
    }
}

TEST_F(SectionPainting, MaskedTextureShowsTheParentInHolesAndBands) {
    // 4 x 4 tiles into 10 x 6: two whole tiles in the top row; the bottom band (rows 4, 5), the
    // band right of the last whole column (columns 8, 9) and each tile's hole show the parent.
    TBmpPtr parent = MakeBmp(20, 12, 3, 12);
    const TPoint offset(2, 1);
    TBmpPtr bmp = MakeBmp(10, 6, 3, 3);
    Background(L"MASKTEX", bmp.get(), TRect(0, 0, 10, 6), Ready(parent.get(), 3, 2), 0, offset);
    auto want = [&](int x, int y) {
        const bool ink = x < 8 && y < 4 && (x % 4 || y % 4);
        return ink ? SectMaskTexInk : RgbAt(parent.get(), 3 + 2 + x, 2 + 1 + y);
    };
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 10, 6), want), 0);
}

TEST_F(SectionPainting, CornerImagesAtTheFourCorners) {
    TBmpPtr bmp = MakeBmp(10, 8, 3, 6);
    Item(L"CORNERS", bmp.get(), TRect(0, 0, 10, 8), EmptyCacheInfo);
    // Each corner image is 3 x 3; its own top-left pixel is the key colour and keeps what the
    // background painted.
    const struct {
        int X, Y;
        unsigned Colour;
    } corners[] = {{0, 0, SectCornerTOPLEFT},
                   {7, 0, SectCornerTOPRIGHT},
                   {0, 5, SectCornerBTMLEFT},
                   {7, 5, SectCornerBTMRIGHT}};
    for (const auto& c : corners) {
        EXPECT_EQ(RgbAt(bmp.get(), c.X, c.Y), SectCornersColor);
        EXPECT_EQ(RgbAt(bmp.get(), c.X + 1, c.Y), c.Colour);
        EXPECT_EQ(RgbAt(bmp.get(), c.X + 2, c.Y + 2), c.Colour);
    }
    EXPECT_EQ(RgbAt(bmp.get(), 4, 4), SectCornersColor);

    // A corner image wider than the rect is still laid at R.Right - w, partly outside.
    TBmpPtr narrow = MakeBmp(2, 2, 3, 6);
    Item(L"CORNERS", narrow.get(), TRect(0, 0, 2, 2), EmptyCacheInfo);
    EXPECT_EQ(RgbAt(narrow.get(), 0, 0), SectCornerBTMRIGHT) << "the last one laid";
    EXPECT_EQ(RgbAt(narrow.get(), 1, 1), SectCornerBTMRIGHT);
}

TEST_F(SectionPainting, NinePieceBordersWithAndWithoutMaskRows) {
    // The generator's button look: per state a fill inside a 1-px edge, its top-left pixel
    // transparent; borders 3 wide; the centre is the section's background.
    const unsigned fills[3] = {0x2040C0, 0x40C020, 0xC02040};
    const unsigned edges[3] = {0xFFFF00, 0x0000FF, 0x00FFFF};
    TBmpPtr parent = MakeChecker(30, 30, 3, 2);
    for (const wchar_t* name : {L"PLAINBORDER", L"MASKBORDER"}) {
        for (int state = 0; state < 3; ++state) {
            TBmpPtr bmp = MakeBmp(12, 10, 3, 9);
            Item(name, bmp.get(), TRect(0, 0, 12, 10), Ready(parent.get(), 4, 6), state);
            const auto label =
                testing::PrintToString(std::wstring(name)) + " state " + std::to_string(state);
            EXPECT_EQ(RgbAt(bmp.get(), 0, 0), RgbAt(parent.get(), 4, 6)) << label;
            EXPECT_EQ(RgbAt(bmp.get(), 1, 0), edges[state]) << label;
            EXPECT_EQ(RgbAt(bmp.get(), 11, 9), edges[state]) << label;
            EXPECT_EQ(RgbAt(bmp.get(), 1, 1), fills[state]) << label;
            EXPECT_EQ(RgbAt(bmp.get(), 6, 1), fills[state]) << label << " (top side)";
            EXPECT_EQ(RgbAt(bmp.get(), 10, 5), fills[state]) << label << " (right side)";
            const unsigned centre = state ? 0xFFFFFF : SectPlainBorderColor; // hot: no HOTCOLOR
            EXPECT_EQ(Mismatches(bmp.get(), TRect(3, 3, 9, 7), centre), 0) << label;
        }
    }
}

TEST_F(SectionPainting, SmallJpegIsATextureLargeOneAPattern) {
    const int small = Index(L"SMALLJPG"), big = Index(L"BIGJPG");
    const int texture = Manager->GetTextureIndex(small, L"SMALLJPG", L"PATTERN");
    ASSERT_GE(texture, 0);
    EXPECT_EQ(Manager->GetPatternIndex(small, L"SMALLJPG", L"PATTERN"), -1);
    const int pattern = Manager->GetPatternIndex(big, L"BIGJPG", L"PATTERN");
    ASSERT_GE(pattern, 0);
    EXPECT_EQ(Manager->pa[pattern].Img->Width(), SectBigjpgWidth);
    EXPECT_EQ(Manager->pa[pattern].Img->Height(), SectBigjpgHeight);

    // Both pictures decode to their flat colour (the generator's encoder is read back).
    TBitmap* tile = Manager->ma[texture].Bmp.get();
    TBmpPtr decoded(CreateBmp24(1, 1));
    decoded->Assign(Manager->pa[pattern].Img.get());
    decoded->SetPixelFormat(pf24bit);
    for (auto [bmp, ink] :
         {std::pair{tile, SectSmalljpgInk}, std::pair{decoded.get(), SectBigjpgInk}})
        for (int shift = 0; shift < 24; shift += 8)
            EXPECT_NEAR(int(RgbAt(bmp, 5, 5) >> shift & 0xFF), int(ink >> shift & 0xFF), 2);

    // Painted: the small picture tiled from the rect's corner, the large one drawn once.
    TBmpPtr bmp = MakeBmp(50, 40, 3, 2);
    Background(L"SMALLJPG", bmp.get(), TRect(0, 0, 50, 40), EmptyCacheInfo);
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 50, 40),
                         [&](int x, int y) {
                             return RgbAt(tile, x % SectSmalljpgWidth, y % SectSmalljpgHeight);
                         }),
              0);
    Background(L"BIGJPG", bmp.get(), TRect(0, 0, 50, 40), EmptyCacheInfo);
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 50, 40),
                         [&](int x, int y) { return RgbAt(decoded.get(), x, y); }),
              0);
}

TEST_F(SectionPainting, SectionByNameOverADeviceContext) {
    TBmpPtr source = MakeBmp(30, 20, 3, 41);
    TBmpPtr bmp = MakeBmp(8, 6, 3, 2);
    EXPECT_EQ(PaintSkinSection(bmp.get(), L"NONE", L"TRANS40", 0, Manager, TPoint(5, 3), 0,
                               source->Canvas()->Handle()),
              Index(L"TRANS40"));
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 8, 6),
                         [&](int x, int y) {
                             return AlphaBlend(RgbAt(source.get(), 5 + x, 3 + y), SectTrans40, 102);
                         }),
              0);
    // Without a device context the fill colour is the parent.
    PaintSkinSection(bmp.get(), L"TRANS40", L"", 0, Manager, TPoint(0, 0), SkinColour(0x102030),
                     nullptr);
    EXPECT_EQ(Mismatches(bmp.get(), TRect(0, 0, 8, 6), AlphaBlend(0x102030, SectTrans40, 102)), 0);

    const std::vector<Byte> before = AllBytes(bmp.get());
    EXPECT_EQ(
        PaintSkinSection(bmp.get(), L"NONE", L"NEITHER", 0, Manager, TPoint(0, 0), 0, nullptr), -1);
    EXPECT_EQ(AllBytes(bmp.get()), before);
}

TEST_F(SectionPainting, ItemOntoADeviceContextIsTheItemPainted) {
    TBmpPtr target = MakeBmp(20, 16, 3, 5), model = MakeBmp(9, 7, 3, 5);
    const TCacheInfo ci = PlainParent(0x203040);
    PaintSkinItemDC(Index(L"PLAINBORDER"), L"PLAINBORDER", ci, true, 1, TRect(4, 3, 13, 10),
                    TPoint(0, 0), target->Canvas()->Handle(), Manager);
    Item(L"PLAINBORDER", model.get(), TRect(0, 0, 9, 7), ci, 1);
    EXPECT_EQ(Mismatches(target.get(), TRect(4, 3, 13, 10),
                         [&](int x, int y) { return RgbAt(model.get(), x - 4, y - 3); }),
              0);
}

TEST_F(SectionPainting, BadArgumentsPaintNothing) {
    TBmpPtr bmp = MakeBmp(10, 8, 3, 23);
    const std::vector<Byte> before = AllBytes(bmp.get());
    const int solid = Index(L"SOLID");
    const TRect bad[] = {TRect(0, 0, 11, 8), TRect(-1, 0, 5, 5), TRect(0, 0, 10, 9),
                         TRect(5, 5, 5, 8), TRect(6, 2, 3, 4)};
    for (const TRect& r : bad)
        PaintSkinItem(solid, L"SOLID", EmptyCacheInfo, true, 0, r, TPoint(0, 0), bmp.get(),
                      Manager);
    PaintSkinItem(-1, L"SOLID", EmptyCacheInfo, true, 0, TRect(0, 0, 10, 8), TPoint(0, 0),
                  bmp.get(), Manager);
    PaintSkinItem(999, L"SOLID", EmptyCacheInfo, true, 0, TRect(0, 0, 10, 8), TPoint(0, 0),
                  bmp.get(), Manager);
    PaintSkinItemWithBorder(solid, -1, -1, -1, EmptyCacheInfo, true, 0, TRect(0, 0, 10, 9),
                            TPoint(0, 0), bmp.get(), Manager);
    PaintSkinItemDC(solid, L"SOLID", EmptyCacheInfo, true, 0, TRect(-2, 0, 4, 4), TPoint(0, 0),
                    bmp->Canvas()->Handle(), Manager);
    EXPECT_EQ(AllBytes(bmp.get()), before);
}

TEST_F(SectionPainting, EmptyTilesNeverLoop) {
    TBmpPtr bmp = MakeBmp(10, 8, 3, 23);
    const std::vector<Byte> before = AllBytes(bmp.get());
    TsMaskData empty;
    empty.Manager = Manager;
    empty.R = TRect(4, 4, 4, 9); // no columns
    empty.ImageCount = 1;
    for (int mode = 0; mode <= 14; ++mode) {
        TRect r(0, 0, 10, 8);
        PaintTexture(bmp->Canvas(), r, nullptr, mode, empty);
        TRect m(0, 0, 10, 8);
        empty.MaskType = 1;
        PaintMaskedTexture(bmp.get(), m, EmptyCacheInfo, mode, empty);
        empty.MaskType = 0;
    }
    TsMaskData noStates;
    noStates.Manager = Manager;
    noStates.R = TRect(0, 0, 8, 8);
    TRect r(0, 0, 10, 8);
    PaintMaskedTexture(bmp.get(), r, EmptyCacheInfo, 0, noStates);
    EXPECT_EQ(r, NoRemainder);
    EXPECT_EQ(AllBytes(bmp.get()), before);
    TileGraphic(bmp->Canvas(), TRect(0, 0, 10, 8), nullptr);
    TBmpPtr none(new TBitmap());
    TileGraphic(bmp->Canvas(), TRect(0, 0, 10, 8), none.get());
    EXPECT_EQ(AllBytes(bmp.get()), before);
}

TEST_F(SectionPainting, WithoutADefaultManagerNothingIsPainted) {
    TBmpPtr bmp = MakeBmp(6, 6, 3, 23);
    const std::vector<Byte> before = AllBytes(bmp.get());
    TsSkinManager* saved = DefaultSkinManager;
    DefaultSkinManager = nullptr;
    Background(L"SOLID", bmp.get(), TRect(0, 0, 6, 6), EmptyCacheInfo);
    DefaultSkinManager = saved;
    EXPECT_EQ(AllBytes(bmp.get()), before);
}

} // namespace
