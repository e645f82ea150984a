// Control borders: a control's mask border over the background its parent answers with, the extra
// ring of its own border width and the client rect left inside; the nine pieces of a mask around
// a whole bitmap against a model of where each pixel comes from; the masked mix of one piece; and
// the key-colour corner pixels cut out of a window region.
#include "PixelTesting.h"
#include "SkinEngineTesting.h"
#include "SkinnedBox.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "skin/engine/sControlBorders.h"

#include <array>

namespace {

DWORD RgbAt(TBitmap* Bmp, int X, int Y) {
    const Byte* p = PixelOf(Bmp, X, Y);
    return RGB(p[2], p[1], p[0]);
}

void Put(TBitmap* Bmp, int X, int Y, Byte B, Byte G, Byte R) {
    Byte* p = PixelOf(Bmp, X, Y);
    p[0] = B, p[1] = G, p[2] = R;
}

class ControlBorder : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        LoadFlatWith(L"[OPAQUE]\r\nCOLOR=$00112233\r\n"
                     L"[HALF]\r\nCOLOR=$00FFFFFF\r\nTRANSPARENCY=40\r\n");
        Form = Construct<TForm>(Application);
        Form->SetBounds(20, 20, 300, 200);
        Form->HandleNeeded();
        Target = MakeBmp(60, 40, 3);
        FillBytes(Target.get(), 0x00, 0xFF, 0x00);
    }
    void TearDown() override {
        Form->Free();
        SkinManagerTest::TearDown();
    }
    // A masked border 9 x 9 with sides 3: the image all (B 10, G 20, R 30); the mask opaque
    // (black) on its outer pixel ring, transparent (white) inside. Answers its index.
    int AddMaskedBorder() {
        TsMaskData mask;
        mask.Bmp = MakeBmp(9, 18, 3);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x) {
                Put(mask.Bmp.get(), x, y, 10, 20, 30);
                const Byte m = (x == 0 || y == 0 || x == 8 || y == 8) ? 0 : 255;
                Put(mask.Bmp.get(), x, y + 9, m, m, m);
            }
        mask.R = TRect(0, 0, 9, 18);
        mask.ImageCount = 1;
        mask.MaskType = 1;
        mask.WL = mask.WT = mask.WR = mask.WB = 3;
        mask.Manager = Manager;
        Manager->ma.push_back(std::move(mask));
        return static_cast<int>(Manager->ma.size()) - 1;
    }

    TForm* Form = nullptr;
    TBmpPtr Target;
};

TEST_F(ControlBorder, WithoutAMaskOnlyTheRingIsFilled) {
    auto* box = new TSkinnedBox(Form, L"OPAQUE", 93, TRect(0, 0, 30, 20));
    box->Link->BorderIndex = -1;
    TRect client(9, 9, 9, 9);
    PaintControlBorder(Target->Canvas()->Handle(), TRect(0, 0, 30, 20), 2, box->Link, 0, client);
    EXPECT_EQ(client, TRect(9, 9, 9, 9));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool ring = x < 2 || y < 2 || x >= 28 || y >= 18;
            ASSERT_EQ(RgbAt(Target.get(), x, y), ring ? 0x112233u : 0x00FF00u) << x << "," << y;
        }
}

TEST_F(ControlBorder, AMaskedBorderShowsTheParentsPixelsAndTheExtraRing) {
    auto* parent = new TSkinnedBox(Form, L"HALF", 93, TRect(10, 10, 110, 90));
    parent->HandleNeeded();
    parent->Link->PrepareCacheBmp();
    TBitmap* behind = parent->Link->CacheBmp();
    for (int y = 0; y < behind->Height(); ++y)
        for (int x = 0; x < behind->Width(); ++x) Put(behind, x, y, Byte(x * 2), Byte(y * 3), 77);
    auto* box = new TSkinnedBox(parent, L"OPAQUE", 93, TRect(7, 5, 47, 35));
    box->HandleNeeded();
    box->Link->BorderIndex = AddMaskedBorder();
    const TRect r(0, 0, 40, 30);
    auto parentPixel = [&](int X, int Y) { return RgbAt(behind, 7 + X, 5 + Y); };

    struct TCase {
        int BorderWidth;
        TRect Client;
        int Filled; // the extra ring in the cache ends this far in
    };
    for (const TCase& c :
         {TCase{0, TRect(3, 3, 37, 27), 3}, TCase{1, TRect(1, 1, 39, 29), 3},
          TCase{5, TRect(5, 5, 35, 25), 5}, TCase{25, TRect(25, 25, 25, 25), 15}}) {
        FillBytes(Target.get(), 0x00, 0xFF, 0x00);
        TRect client;
        PaintControlBorder(Target->Canvas()->Handle(), r, c.BorderWidth, box->Link, 0, client);
        EXPECT_EQ(client, c.Client) << c.BorderWidth;
        TBitmap* cache = box->Link->CacheBmp();
        // The mask's opaque outer ring shows the image, the extra ring the background colour,
        // and inside both the parent's pixels under the control show.
        EXPECT_EQ(RgbAt(cache, 0, 0), RGB(30, 20, 10)) << c.BorderWidth;
        EXPECT_EQ(RgbAt(cache, 39, 15), RGB(30, 20, 10)) << c.BorderWidth;
        for (int x = 3; x < 15; ++x)
            EXPECT_EQ(RgbAt(cache, x, 12), x < c.Filled ? 0x112233u : parentPixel(x, 12))
                << c.BorderWidth << " " << x;
        // The ring of the border width is copied to the DC, nothing more.
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(RgbAt(Target.get(), x, 12),
                      x < c.BorderWidth ? RgbAt(cache, x, 12) : DWORD(0x00FF00))
                << c.BorderWidth << " " << x;
    }
}

// ---- the nine pieces around a bitmap ----------------------------------------------------------

class BmpBorder : public SkinManagerTest {
protected:
    // A plain mask of States states 20 x 20 whose pixel (x, y) is (B x*5, G y*10, R 77).
    TsMaskData PlainMask(int States, int WL, int WT) {
        TsMaskData mask;
        mask.Bmp = MakeBmp(20 * States, 20, 3);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20 * States; ++x)
                Put(mask.Bmp.get(), x, y, Byte(x * 5), Byte(y * 10), 77);
        mask.R = TRect(0, 0, 20 * States, 20);
        mask.ImageCount = SmallInt(States);
        mask.WL = mask.WR = SmallInt(WL);
        mask.WT = mask.WB = SmallInt(WT);
        mask.Manager = Manager;
        return mask;
    }
};

// Where pixel P of a side Size long comes from in a state Span long with borders First and
// Second: corners as they are, the middle tiled; -1 for the centre.
int Source(int P, int Size, int Span, int First, int Second) {
    if (P < First) return P;
    if (P >= Size - Second) return Span - (Size - P);
    return First + (P - First) % (Span - First - Second) + 1000;
}

// Mismatches between Bmp and a model of state State with (already shared-out) borders.
int Mismatches(TBitmap* Bmp, TBitmap* Mask, int State, int L, int T) {
    int wrong = 0;
    for (int y = 0; y < Bmp->Height(); ++y)
        for (int x = 0; x < Bmp->Width(); ++x) {
            int sx = Source(x, Bmp->Width(), 20, L, L), sy = Source(y, Bmp->Height(), 20, T, T);
            const bool centre = sx >= 1000 && sy >= 1000;
            const Byte* want = centre ? nullptr : PixelOf(Mask, State * 20 + sx % 1000, sy % 1000);
            const Byte sentinel[3] = {1, 2, 3};
            if (!std::equal(PixelOf(Bmp, x, y), PixelOf(Bmp, x, y) + 3, want ? want : sentinel))
                ++wrong;
        }
    return wrong;
}

TEST_F(BmpBorder, PiecesOfTheStateAroundTheWholeBitmap) {
    struct TCase {
        int Width, Height, WL, WT, State, ModelL, ModelT;
    };
    const TCase cases[] = {
        {47, 31, 8, 3, 1, 8, 3}, // tiled sides, a shorter last piece
        {10, 12, 8, 3, 1, 5, 3}, // 10 wide with sides of 8: corners of 5 and 5
        {9, 12, 8, 3, 0, 5, 3},  // an odd excess: 5 and what is left
        {10, 12, 8, 3, 7, 5, 3}, // a state beyond the last is the last
    };
    for (const TCase& c : cases) {
        const TsMaskData mask = PlainMask(2, c.WL, c.WT);
        TBmpPtr bmp = MakeBmp(c.Width, c.Height, 3);
        FillBytes(bmp.get(), 1, 2, 3);
        PaintBmpBorder(bmp.get(), nullptr, c.State, mask);
        const int state = std::min(c.State, 1);
        if (c.Width == 9) {
            // Left 5, right 4: the last column comes from the right corner's last column.
            EXPECT_TRUE(std::equal(PixelOf(bmp.get(), 8, 0), PixelOf(bmp.get(), 8, 0) + 3,
                                   PixelOf(mask.Bmp.get(), 19, 0)));
            EXPECT_TRUE(std::equal(PixelOf(bmp.get(), 4, 0), PixelOf(bmp.get(), 4, 0) + 3,
                                   PixelOf(mask.Bmp.get(), 4, 0)));
            continue;
        }
        EXPECT_EQ(Mismatches(bmp.get(), mask.Bmp.get(), state, c.ModelL, c.ModelT), 0)
            << c.Width << "x" << c.Height;
        EXPECT_GT(Mismatches(bmp.get(), mask.Bmp.get(), 1 - state, c.ModelL, c.ModelT), 0)
            << "the other state's model is noticed";
    }
}

TEST_F(BmpBorder, PlainMasksOfDrawMode1StretchTheirSides) {
    // Each side strip of one colour: stretching keeps it, the corners stay exact copies.
    TsMaskData mask = PlainMask(1, 4, 4);
    mask.DrawMode = 1;
    for (int i = 4; i < 16; ++i)
        for (int w = 0; w < 4; ++w) {
            Put(mask.Bmp.get(), i, w, 10, 0, 0);      // top
            Put(mask.Bmp.get(), i, 19 - w, 20, 0, 0); // bottom
            Put(mask.Bmp.get(), w, i, 30, 0, 0);      // left
            Put(mask.Bmp.get(), 19 - w, i, 40, 0, 0); // right
        }
    TBmpPtr bmp = MakeBmp(50, 37, 3);
    FillBytes(bmp.get(), 1, 2, 3);
    PaintBmpBorder(bmp.get(), nullptr, 0, mask);
    EXPECT_EQ(RgbAt(bmp.get(), 25, 1), RGB(0, 0, 10));
    EXPECT_EQ(RgbAt(bmp.get(), 25, 35), RGB(0, 0, 20));
    EXPECT_EQ(RgbAt(bmp.get(), 1, 18), RGB(0, 0, 30));
    EXPECT_EQ(RgbAt(bmp.get(), 48, 18), RGB(0, 0, 40));
    EXPECT_EQ(RgbAt(bmp.get(), 25, 18), RGB(3, 2, 1)); // the centre is left
    EXPECT_TRUE(std::equal(PixelOf(bmp.get(), 49, 36), PixelOf(bmp.get(), 49, 36) + 3,
                           PixelOf(mask.Bmp.get(), 19, 19)));
}

TEST_F(BmpBorder, MaskedPiecesMixByTheirMaskRow) {
    // Three pixels of image over three of mask; per channel ((d - s) x m + s x 256) >> 8.
    TsMaskData mask;
    mask.Bmp = MakeBmp(3, 2, 3);
    mask.R = TRect(0, 0, 3, 2);
    mask.ImageCount = 1;
    mask.MaskType = 1;
    mask.Manager = Manager;
    const std::array<std::array<Byte, 3>, 3> d{{{200, 0, 50}, {255, 10, 0}, {0, 0, 0}}};
    const std::array<std::array<Byte, 3>, 3> s{{{100, 255, 10}, {0, 200, 0}, {0, 0, 0}}};
    const std::array<std::array<Byte, 3>, 3> m{{{128, 0, 255}, {255, 128, 0}, {0, 0, 0}}};
    const std::array<std::array<Byte, 3>, 3> want{{{150, 255, 49}, {254, 105, 0}, {0, 0, 0}}};
    TBmpPtr bmp = MakeBmp(3, 2, 3);
    FillBytes(bmp.get(), 9, 9, 9);
    for (int x = 0; x < 3; ++x) {
        std::copy_n(d[x].data(), 3, PixelOf(bmp.get(), x, 0));
        std::copy_n(s[x].data(), 3, PixelOf(mask.Bmp.get(), x, 0));
        std::copy_n(m[x].data(), 3, PixelOf(mask.Bmp.get(), x, 1));
    }
    HRGN none = nullptr;
    // Two rows asked for: only the image row is read, row 1 of the bitmap stays.
    CopyBorderPiece(TRect(0, 0, 2, 1), TRect(0, 0, 2, 1), false, mask, none, bmp.get());
    for (int x = 0; x < 3; ++x) {
        EXPECT_TRUE(std::equal(want[x].begin(), want[x].end(), PixelOf(bmp.get(), x, 0))) << x;
        EXPECT_EQ(RgbAt(bmp.get(), x, 1), 0x090909u) << x;
    }
    // Negative coordinates copy nothing; rects beyond both bitmaps are limited to them.
    const std::vector<Byte> before = AllBytes(bmp.get());
    CopyBorderPiece(TRect(-1, 0, 1, 0), TRect(0, 0, 2, 0), false, mask, none, bmp.get());
    CopyBorderPiece(TRect(0, 0, 1, 0), TRect(0, -1, 1, 0), false, mask, none, bmp.get());
    EXPECT_EQ(AllBytes(bmp.get()), before);
    CopyBorderPiece(TRect(2, 0, 500, 500), TRect(0, 0, 500, 500), false, mask, none, bmp.get());
    EXPECT_EQ(RgbAt(bmp.get(), 2, 1), 0x090909u);
}

TEST_F(BmpBorder, TheRegionLosesExactlyTheKeyPixelsOfTheCorners) {
    TsMaskData mask = PlainMask(1, 4, 4);
    // Key pixels: runs ended by a non-key pixel (top left), runs the corner's row end closes
    // (top right), a single pixel (bottom left), and one in a side, which is no corner.
    const std::array<TPoint, 7> keys{{{0, 0}, {1, 0}, {0, 1}, {18, 0}, {19, 0}, {19, 1}, {0, 19}}};
    for (const TPoint& k : keys) Put(mask.Bmp.get(), k.x, k.y, 0xFF, 0, 0xFF);
    Put(mask.Bmp.get(), 8, 0, 0xFF, 0, 0xFF);
    TBmpPtr bmp = MakeBmp(24, 24, 3);
    FillBytes(bmp.get(), 1, 2, 3);
    const HRGN rgn = CreateRectRgn(0, 0, 24, 24);
    PaintBmpBorder(bmp.get(), rgn, 0, mask);
    // Mask (x, y) of a corner lands at (x, y) on the left and top, at (x + 4, y + 4) on the right
    // and bottom of this 24 x 24 bitmap.
    auto cut = [&](int X, int Y) {
        for (const TPoint& k : keys)
            if ((k.x < 4 ? k.x : k.x + 4) == X && (k.y < 4 ? k.y : k.y + 4) == Y) return true;
        return false;
    };
    int wrong = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) wrong += (PtInRegion(rgn, x, y) != 0) == cut(x, y);
    EXPECT_EQ(wrong, 0);
    // Key pixels of corners are not copied; the side's key pixel is.
    EXPECT_EQ(RgbAt(bmp.get(), 0, 0), RGB(3, 2, 1));
    EXPECT_EQ(RgbAt(bmp.get(), 23, 0), RGB(3, 2, 1));
    EXPECT_EQ(RgbAt(bmp.get(), 2, 0), RGB(77, 0, 10));
    EXPECT_EQ(RgbAt(bmp.get(), 8, 0), 0xFF00FFu);
    DeleteObject(rgn);
}

} // namespace
