// Masked, keyed and alpha image copies against their per-pixel rules, with the parent's
// background in a bitmap of its own.
#include "PixelTesting.h"
#include "skin/engine/sCommonData.h"

#include <vector>

namespace {

using ImageCopy = PixelTest;

const Byte KeyBytes[3] = {0xFF, 0x00, 0xFF};

// A 24-bit masked image: Width x Height image rows over as many mask rows of MaskByte (or seeded
// bytes when MaskByte is negative); pixel (0, 0) of the image is the key colour.
TBmpPtr MaskedImage(int Width, int Height, int MaskByte, TsMaskData& Data) {
    TBmpPtr src = MakeBmp(Width, 2 * Height, 3, 31);
    for (int y = Height; y < 2 * Height && MaskByte >= 0; ++y)
        std::fill_n(PixelOf(src.get(), 0, y), Width * 3, Byte(MaskByte));
    std::copy_n(KeyBytes, 3, PixelOf(src.get(), 0, 0));
    Data.R = TRect(0, 0, Width, 2 * Height);
    Data.MaskType = 1;
    return src;
}

TEST_F(ImageCopy, MaskedPieceBlendsByTheMask) {
    struct Case {
        int Mask;
        const char* Name;
    };
    for (const Case& c : {Case{0, "mask 0: the image"}, Case{255, "mask 255: the destination"},
                          Case{-1, "seeded mask"}}) {
        TsMaskData data;
        TBmpPtr src = MaskedImage(4, 3, c.Mask, data), dst = MakeBmp(5, 5, 4, 8);
        const std::vector<Byte> before = AllBytes(dst.get());
        CopyMaskedPiece(TRect(1, 1, 5, 4), TRect(0, 0, 4, 3), dst.get(), src.get(), TCacheInfo{},
                        false, data);
        for (int y = 1; y < 4; ++y)
            for (int x = 1; x < 5; ++x)
                for (int i = 0; i < 4; ++i) {
                    const int d = before[(y * 5 + x) * 4 + i];
                    const int s = PixelOf(src.get(), x - 1, y - 1)[i % 3];
                    const int m = PixelOf(src.get(), x - 1, y + 2)[i % 3];
                    const bool left = i == 3 || (x == 1 && y == 1); // alpha, and the key pixel
                    EXPECT_EQ(PixelOf(dst.get(), x, y)[i], left ? d : ((d - s) * m + s * 256) >> 8)
                        << c.Name << ": " << x << "," << y << "/" << i;
                }
        EXPECT_EQ(PixelOf(dst.get(), 0, 0)[0], before[0]) << c.Name << ": outside DstRect";
    }
}

TEST_F(ImageCopy, KeyPixelsOfAMaskedPieceByParent) {
    TBmpPtr parent = MakeBmp(8, 8, 3);
    FillBytes(parent.get(), 1, 2, 3);
    struct Case {
        bool Ready, UpdateTrans;
        Byte Want; // blue byte of the key pixel afterwards; 0xFF: blended with the key
    };
    const Case cases[] = {
        {true, true, 1}, {false, true, 0x10}, {false, false, 0x99}, {true, false, 0xFF}};
    for (const Case& c : cases) {
        TsMaskData data;
        TBmpPtr src = MaskedImage(3, 2, 0, data), dst = MakeBmp(3, 2, 3);
        FillBytes(dst.get(), 0x99, 0x99, 0x99);
        const TCacheInfo ci{parent.get(), 2, 2, 0x102030, c.Ready};
        CopyMaskedPiece(TRect(0, 0, 3, 2), TRect(0, 0, 3, 2), dst.get(), src.get(), ci,
                        c.UpdateTrans, data);
        EXPECT_EQ(PixelOf(dst.get(), 0, 0)[0], c.Want) << c.Ready << c.UpdateTrans;
    }
}

TEST_F(ImageCopy, NegativeRectsAndParentsLeftOfZeroAreClipped) {
    TsMaskData data;
    TBmpPtr src = MaskedImage(4, 4, 0, data), dst = MakeBmp(4, 4, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) std::copy_n(KeyBytes, 3, PixelOf(src.get(), x, y)); // all holes
    TBmpPtr parent = MakeBmp(4, 4, 3, 77);
    // The source rect starts left of and above the image: both rects move by one. The parent
    // lies 2 columns right of the piece: column 1 has no parent pixel.
    const TCacheInfo ci{parent.get(), -2, 0, 0, true};
    CopyMaskedPiece(TRect(0, 0, 4, 4), TRect(-1, -1, 3, 3), dst.get(), src.get(), ci, true, data);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool parentPixel = x >= 2 && y >= 1;
            EXPECT_EQ(PixelOf(dst.get(), x, y)[1],
                      parentPixel ? PixelOf(parent.get(), x - 2, y)[1] : 0)
                << x << "," << y;
        }
}

TEST_F(ImageCopy, KeyedImages) {
    TBmpPtr src = MakeBmp(3, 3, 3, 4);
    std::copy_n(KeyBytes, 3, PixelOf(src.get(), 1, 1));
    TBmpPtr parent = MakeBmp(6, 6, 3, 5);
    const std::vector<Byte> parentBefore = AllBytes(parent.get());
    // Into the parent bitmap itself: the key pixel is left, the others copied.
    CopyKeyedImage(parent.get(), src.get(), 2, 2, TRect(0, 0, 2, 2), TransparentKeyColor,
                   TCacheInfo{parent.get(), 0, 0, 0, true}, true);
    EXPECT_EQ(PixelOf(parent.get(), 3, 3)[0], parentBefore[(3 * 6 + 3) * 3]);
    EXPECT_EQ(PixelOf(parent.get(), 2, 2)[0], PixelOf(src.get(), 0, 0)[0]);

    TBmpPtr dst = MakeBmp(4, 4, 4);
    CopyKeyedImage(dst.get(), src.get(), 1, 0, TRect(-1, 0, 9, 2), TransparentKeyColor,
                   TCacheInfo{parent.get(), 1, 1, 0, true}, true);
    EXPECT_EQ(PixelOf(dst.get(), 2, 1)[2], PixelOf(parent.get(), 3, 2)[2]) << "parent pixel";
    EXPECT_EQ(PixelOf(dst.get(), 2, 1)[3], 255);
    EXPECT_EQ(PixelOf(dst.get(), 3, 2)[2], PixelOf(src.get(), 2, 2)[2]);
    EXPECT_EQ(PixelOf(dst.get(), 0, 0)[3], 0) << "left of X";

    // A 32-bit source without a parent: whole pixels against the key, holes get FillColor.
    TBmpPtr src32 = MakeBmp(2, 2, 4, 6);
    std::copy_n("\xFF\x00\xFF\x00", 4, PixelOf(src32.get(), 0, 0));
    TBmpPtr dst32 = MakeBmp(2, 2, 4);
    CopyKeyedImage(dst32.get(), src32.get(), 0, 0, TRect(0, 0, 1, 1), TransparentKeyColor,
                   TCacheInfo{nullptr, 0, 0, 0x0000FF, false}, false);
    EXPECT_EQ(PixelOf(dst32.get(), 0, 0)[2], 255);
    EXPECT_EQ(PixelOf(dst32.get(), 0, 0)[3], 255);
    EXPECT_EQ(PixelOf(dst32.get(), 1, 1)[3], PixelOf(src32.get(), 1, 1)[3]) << "copied whole";
}

TEST_F(ImageCopy, AlphaImagesBlendAndReflect) {
    TBmpPtr src = MakeBmp(2, 8, 4);
    FillBytes(src.get(), 200, 200, 200, 255);
    for (int y = 0; y < 8; ++y) PixelOf(src.get(), 1, y)[0] = Byte(20 * y); // rows told apart
    TBmpPtr dst = MakeBmp(2, 20, 3);
    FillBytes(dst.get(), 100, 100, 100);
    DrawAlphaImage(TRect(0, 0, 2, 8), TRect(0, 0, 2, 8), dst.get(), src.get(), TCacheInfo{}, false,
                   clNone, 50, true);
    EXPECT_EQ(PixelOf(dst.get(), 0, 3)[1], 100 + ((100 * 127) >> 8)) << "Blend 50: k 127";
    // Four mirrored rows, fade 255, 192, 129, 66: k = 50 x 255 div 300 x fade div 255.
    const int fades[4] = {255, 192, 129, 66};
    for (int i = 1; i <= 4; ++i) {
        const int k = 50 * 255 / 300 * fades[i - 1] / 255, s = 20 * (8 - i - 1);
        EXPECT_EQ(PixelOf(dst.get(), 1, 8 + i)[0], 100 + (((s - 100) * k) >> 8)) << "row " << i;
    }
    EXPECT_EQ(PixelOf(dst.get(), 1, 13)[0], 100) << "no fifth row";

    TBmpPtr line = MakeBmp(3, 1, 4);
    FillBytes(line.get(), 10, 20, 30, 255);
    dst = MakeBmp(3, 3, 3);
    FillBytes(dst.get(), 100, 100, 100);
    DrawAlphaImage(TRect(0, 0, 3, 1), TRect(0, 0, 3, 1), dst.get(), line.get(), TCacheInfo{}, false,
                   0x0000FF, 0, true); // tinted red; one row: no reflection
    EXPECT_EQ(PixelOf(dst.get(), 0, 0)[2], 20);
    EXPECT_EQ(PixelOf(dst.get(), 0, 0)[0], 0);
    EXPECT_EQ(PixelOf(dst.get(), 0, 1)[2], 100);
}

TEST_F(ImageCopy, ChannelsOutAndBack) {
    TBmpPtr wide = MakeBmp(3, 2, 4, 12);
    TBmpPtr narrow(new TBitmap());
    narrow->SetPixelFormat(pf8bit);
    narrow->SetSize(3, 2);
    CopyChannel(wide.get(), narrow.get(), 3, true);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(static_cast<Byte*>(narrow->ScanLine(1))[x], PixelOf(wide.get(), x, 1)[3]);
    CopyChannel(wide.get(), narrow.get(), 0, false);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(PixelOf(wide.get(), x, 1)[0], PixelOf(wide.get(), x, 1)[3]);
}

TEST_F(ImageCopy, MaskedImagesByMaskOrAlpha) {
    // 24-bit: image rows over mask rows (seeded), against the formula.
    TsMaskData data;
    TBmpPtr src = MaskedImage(4, 3, -1, data), dst = MakeBmp(4, 3, 4, 3);
    const std::vector<Byte> before = AllBytes(dst.get());
    CopyMaskedImage(TRect(0, 0, 4, 3), TRect(0, 0, 4, 3), dst.get(), src.get(), TCacheInfo{},
                    false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            for (int i = 0; i < 3; ++i) {
                const int d = before[(y * 4 + x) * 4 + i], s = PixelOf(src.get(), x, y)[i],
                          m = PixelOf(src.get(), x, y + 3)[i];
                EXPECT_EQ(PixelOf(dst.get(), x, y)[i], ((d - s) * m + s * 256) >> 8)
                    << x << "," << y;
            }
    // 32-bit: by the source alpha, the destination made opaque.
    TBmpPtr src32 = MakeBmp(2, 2, 4, 8), dst32 = MakeBmp(2, 2, 4, 9);
    const std::vector<Byte> was = AllBytes(dst32.get());
    CopyMaskedImage(TRect(0, 0, 2, 2), TRect(0, 0, 2, 2), dst32.get(), src32.get(), TCacheInfo{},
                    false);
    for (int i = 0; i < 3; ++i) {
        const int s = PixelOf(src32.get(), 1, 1)[i], a = PixelOf(src32.get(), 1, 1)[3],
                  d = was[12 + i];
        EXPECT_EQ(PixelOf(dst32.get(), 1, 1)[i], ((s - d) * a + d * 256) >> 8) << i;
    }
    EXPECT_EQ(PixelOf(dst32.get(), 1, 1)[3], 255);
}

TEST_F(ImageCopy, MaskedImageHolesShowTheParentOnlyInsideIt) {
    TsMaskData data;
    TBmpPtr src = MaskedImage(4, 2, 0, data), dst = MakeBmp(4, 2, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) std::copy_n(KeyBytes, 3, PixelOf(src.get(), x, y));
    TBmpPtr parent = MakeBmp(3, 3, 3, 21);
    for (bool update : {false, true}) {
        FillBytes(dst.get(), 7, 7, 7);
        // Parent column -1 for destination column 0; columns 0..2 for 1..3.
        CopyMaskedImage(TRect(0, 0, 4, 2), TRect(0, 0, 4, 2), dst.get(), src.get(),
                        TCacheInfo{parent.get(), -1, 1, 0, true}, update);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool shown = update && x >= 1;
                EXPECT_EQ(PixelOf(dst.get(), x, y)[0],
                          shown ? PixelOf(parent.get(), x - 1, y + 1)[0] : 7)
                    << update << ": " << x << "," << y;
            }
    }
}

} // namespace
