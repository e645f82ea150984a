// The alpha image list: files told apart by their bytes and extension, PNG and icon files kept as
// items and built into the system list, the 32-bit bitmaps it gives back (exactly the decoded
// pictures), states painted from it and from ordinary lists, copies between lists, and
// ClearTransparentWhite.
#include "PNGTestImages.h"
#include "PixelTesting.h"
#include "skin/engine/acAlphaImageList.h"
#include "skin/engine/acPNG.h"

#include "framework/Streams.h"
#include "skin/engine/sGeneralUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

using TListPtr = std::unique_ptr<TsAlphaImageList, graphics_detail::TFreeObject>;

// A file in the test's folder, removed again at the end of the test.
class TTempFile {
public:
    TTempFile(const wchar_t* Name, const std::string& Bytes) : FName(Name) {
        TFileStream file(FName, fmCreate);
        file.WriteBuffer(Bytes.data(), static_cast<NativeInt>(Bytes.size()));
    }
    ~TTempFile() { DeleteFileW(FName.c_str()); }
    const UnicodeString& Name() const noexcept { return FName; }

private:
    UnicodeString FName;
};

// A picture of Width x Height whose pixel (x, y) has the straight RGBA given by Pixel.
template <class F> TTestPng Picture(int Width, int Height, Byte ColourType, F Pixel) {
    TTestPng png = MakeTestPng(Width, Height, ColourType, 8, false);
    png.Samples.clear();
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const TRGBA p = Pixel(x, y);
            png.Samples.insert(png.Samples.end(), p.begin(), p.begin() + png.SamplesPerPixel());
        }
    return png;
}

// Three 4 x 4 states side by side: red, green and blue, half transparent in the corner pixel.
TTestPng ThreeStates() {
    return Picture(12, 4, 6, [](int x, int y) {
        const Byte a = x % 4 == 0 && y == 0 ? 128 : 255;
        return x < 4 ? TRGBA{250, 0, 0, a} : x < 8 ? TRGBA{0, 250, 0, a} : TRGBA{0, 0, 250, a};
    });
}

// The list made as a component is: constructed, then AfterConstruction.
TListPtr NewList(int Width, int Height, bool DoubleData = true) {
    TListPtr list(new TsAlphaImageList(nullptr, Width, Height));
    list->DoubleData = DoubleData;
    list->AfterConstruction();
    return list;
}

// The BGRA bytes of a 32-bit bitmap against a picture's straight RGBA.
void ExpectPicture(TBitmap& Bmp, const TTestPng& Png) {
    ASSERT_EQ(Bmp.PixelFormat(), pf32bit);
    ASSERT_EQ(Bmp.Width(), Png.Width);
    ASSERT_EQ(Bmp.Height(), Png.Height);
    for (int y = 0; y < Png.Height; ++y)
        for (int x = 0; x < Png.Width; ++x) {
            const TRGBA e = Png.Expected(x, y);
            const Byte* p = PixelOf(&Bmp, x, y);
            ASSERT_EQ((TRGBA{p[2], p[1], p[0], p[3]}), e) << x << "," << y;
        }
}

// A one-image icon file of a 32-bit picture (straight alpha) and an all-opaque mask.
std::string IconFile(const TTestPng& Png) {
    const int w = Png.Width, h = Png.Height, maskStride = (w + 31) / 32 * 4;
    std::string image;
    auto put = [&image](unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i) image.push_back(char(value >> (8 * i)));
    };
    put(40, 4), put(w, 4), put(2 * h, 4), put(1, 2), put(32, 2), put(0, 4), put(0, 4);
    put(0, 4), put(0, 4), put(0, 4), put(0, 4);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const TRGBA p = Png.Expected(x, y);
            image += {char(p[2]), char(p[1]), char(p[0]), char(p[3])};
        }
    image.append(std::size_t(maskStride) * h, '\0');
    std::string file;
    auto add = [&file](unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(char(value >> (8 * i)));
    };
    add(0, 2), add(1, 2), add(1, 2);
    add(w, 1), add(h, 1), add(0, 1), add(0, 1), add(1, 2), add(32, 2);
    add(unsigned(image.size()), 4), add(6 + 16, 4);
    return file + image;
}

using AlphaImageList = PixelTest;

TEST_F(AlphaImageList, FilesAreToldByTheirBytesAndExtension) {
    const std::string png = EncodePng(ThreeStates());
    const std::string zeros("\0\0\1\0\1\0", 6);
    struct TCase {
        const wchar_t* Name;
        std::string Bytes;
        bool Image;
        TsImageFormat Format;
    } cases[] = {
        {L"detect_a.png", png, true, ifPNG},
        {L"detect_b.bin", png, true, ifPNG},           // the signature decides, not the name
        {L"detect_c.png", PngSignature, false, ifPNG}, // exactly 8 bytes: more are needed
        {L"detect_d.ICO", zeros, true, ifICO},
        {L"detect_e.bmp", zeros, false, ifPNG},
        {L"detect_f.ico", "\0", false, ifPNG}, // too short for two zero bytes and more
        {L"detect_g.ico", std::string(), false, ifPNG},
    };
    for (const TCase& c : cases) {
        const TTempFile file(c.Name, c.Bytes);
        TsImageFormat format = c.Format == ifPNG ? ifICO : ifPNG;
        EXPECT_EQ(DetectImageFormat(file.Name(), format), c.Image) << file.Name();
        if (c.Image) {
            EXPECT_EQ(format, c.Format) << file.Name();
        }
    }
}

TEST_F(AlphaImageList, PngFileIsKeptAndGivenBackExactly) {
    const TTestPng png = ThreeStates();
    const TTempFile file(L"kept.png", EncodePng(png));
    TListPtr list = NewList(12, 4);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    EXPECT_EQ(list->Count(), 1);
    ASSERT_EQ(list->Items()->Count(), 1);
    TsImgListItem* item = list->Items()->Items(0);
    EXPECT_EQ(item->ImageFormat, ifPNG);
    EXPECT_EQ(item->PixelFormat, pf32bit);
    const std::string bytes = EncodePng(png);
    ASSERT_EQ(item->ImgData->Size(), Int64(bytes.size()));
    EXPECT_EQ(std::string(static_cast<char*>(item->ImgData->Memory()), bytes.size()), bytes);
    TBitmap image;
    ASSERT_TRUE(list->GetBitmap32(0, &image));
    ExpectPicture(image, png);
    // The model bites: a changed sample is seen.
    TTestPng changed = png;
    changed.Samples[1] ^= 1;
    EXPECT_NE(changed.Expected(0, 0), png.Expected(0, 0));
    // Bad indexes and no target.
    EXPECT_FALSE(list->GetBitmap32(1, &image));
    EXPECT_FALSE(list->GetBitmap32(-1, &image));
    EXPECT_FALSE(list->GetBitmap32(0, nullptr));
}

TEST_F(AlphaImageList, SystemListsIconIsTheSamePicture) {
    // Without the files the bitmap comes from the system list's icon.
    const TTestPng png = ThreeStates();
    const TTempFile file(L"dropped.png", EncodePng(png));
    TListPtr list = NewList(12, 4, false);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    EXPECT_EQ(list->Items()->Count(), 0);
    TBitmap image;
    ASSERT_TRUE(list->GetBitmap32(0, &image));
    ExpectPicture(image, png);
}

TEST_F(AlphaImageList, PicturesOfAnotherSizeAreResampledIntoTheTarget) {
    const TTestPng png = Picture(6, 6, 6, [](int, int) { return TRGBA{40, 80, 120, 255}; });
    const TTempFile file(L"resampled.png", EncodePng(png));
    TListPtr list = NewList(4, 4);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    TBitmap image(3, 2, pf32bit);
    ASSERT_TRUE(list->GetBitmap32(0, &image));
    ASSERT_EQ(image.Width(), 3);
    ASSERT_EQ(image.Height(), 2);
    // The resampler's fixed-point weights may leave a uniform colour one below.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const Byte* p = PixelOf(&image, x, y);
            const TRGBA expected{40, 80, 120, 255}, got{p[2], p[1], p[0], p[3]};
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(got[c], expected[c], 1) << x << "," << y << " channel " << c;
        }
}

TEST_F(AlphaImageList, PictureWithoutAlphaIsKeyedByItsBottomLeftColour) {
    const TTestPng png = Picture(3, 3, 2, [](int x, int y) {
        return x == 0 || y == 2 ? TRGBA{9, 9, 9, 255} : TRGBA{200, 100, 50, 255};
    });
    const TTempFile file(L"keyed.png", EncodePng(png));
    TListPtr list = NewList(3, 3);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    TBitmap image;
    ASSERT_TRUE(list->GetBitmap32(0, &image));
    ASSERT_EQ(image.PixelFormat(), pf32bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PixelOf(&image, x, y)[3], x == 0 || y == 2 ? 0 : 255) << x << "," << y;
}

TEST_F(AlphaImageList, IconFileIsKeptWithItsPixelFormat) {
    const TTestPng png = Picture(4, 4, 6, [](int x, int y) {
        return TRGBA{Byte(60 * x), Byte(60 * y), 90, Byte(x == y ? 255 : 100)};
    });
    const TTempFile file(L"kept.ico", IconFile(png));
    TListPtr list = NewList(4, 4);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    ASSERT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(list->Items()->Items(0)->ImageFormat, ifICO);
    EXPECT_EQ(list->Items()->Items(0)->PixelFormat, pf32bit);
    TBitmap image;
    ASSERT_TRUE(list->GetBitmap32(0, &image));
    ExpectPicture(image, png);
    // Rebuilt from the kept file, the list holds the same picture.
    list->GenerateStdList();
    EXPECT_EQ(list->Count(), 1);
    ASSERT_TRUE(list->GetBitmap32(0, &image));
    ExpectPicture(image, png);
}

UnicodeString LastError;
void RecordError(const UnicodeString& Text) { LastError = Text; }

TEST_F(AlphaImageList, UnknownFileIsReportedAndNotAdded) {
    const TTempFile file(L"unknown.bmp", "BM not a picture at all");
    TListPtr list = NewList(4, 4);
    const TErrorMessageBox saved = ErrorMessageBox;
    ErrorMessageBox = &RecordError;
    LastError.clear();
    list->LoadFromFile(file.Name());
    ErrorMessageBox = saved;
    EXPECT_EQ(LastError, L"Cannot load unknown.bmp\r\nInvalid or unexpected image format.");
    EXPECT_FALSE(list->AddImageFromFile(file.Name()));
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->Items()->Count(), 0);
}

TEST_F(AlphaImageList, ItemsAddedLaterAreBuiltIntoTheList) {
    const TTestPng png = ThreeStates();
    const std::string bytes = EncodePng(png);
    TListPtr list = NewList(12, 4);
    for (int i = 0; i < 2; ++i) {
        TsImgListItem* item = list->Items()->Add();
        item->ImgData->WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    }
    EXPECT_EQ(list->Count(), 0);
    list->GenerateStdList();
    EXPECT_EQ(list->Count(), 2);
    // A third item: the change notice rebuilds the list from the items.
    list->Items()->Add()->Assign(list->Items()->Items(0));
    list->AcBeginUpdate();
    list->AcEndUpdate(true);
    EXPECT_EQ(list->Count(), 3);
    TBitmap image;
    ASSERT_TRUE(list->GetBitmap32(2, &image));
    ExpectPicture(image, png);
}

TEST_F(AlphaImageList, ImagesWithoutAlphaAddedToABuiltListBecomeOpaqueExceptTheKey) {
    // A list built from its files, then given an image that has no file.
    const TTempFile file(L"first.png", EncodePng(ThreeStates()));
    TListPtr list = NewList(12, 4);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    list->GenerateStdList();
    TBmpPtr plain = MakeBmp(12, 4, 3);
    FillBytes(plain.get(), 10, 20, 30);
    PixelOf(plain.get(), 5, 1)[0] = 0xFF, PixelOf(plain.get(), 5, 1)[1] = 0,
                            PixelOf(plain.get(), 5, 1)[2] = 0xFF; // the key colour
    list->Add(plain.get(), nullptr);
    ASSERT_EQ(list->Count(), 2);
    TBitmap image;
    ASSERT_TRUE(list->GetBitmap32(1, &image));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(PixelOf(&image, x, y)[3], x == 5 && y == 1 ? 0 : 255) << x << "," << y;
}

TEST_F(AlphaImageList, AssignCopiesFilesOrIcons) {
    const TTestPng png = ThreeStates();
    const TTempFile file(L"assigned.png", EncodePng(png));
    TListPtr keeping = NewList(12, 4);
    ASSERT_TRUE(keeping->AddImageFromFile(file.Name()));
    TListPtr target = NewList(16, 16);
    target->Assign(keeping.get());
    EXPECT_EQ(target->Width(), 12);
    EXPECT_EQ(target->Height(), 4);
    EXPECT_EQ(target->Count(), 1);
    EXPECT_EQ(target->Items()->Count(), 1);
    TBitmap image;
    ASSERT_TRUE(target->GetBitmap32(0, &image));
    ExpectPicture(image, png);
    // A source that dropped its files leaves a list that keeps files empty.
    TListPtr dropping = NewList(12, 4, false);
    ASSERT_TRUE(dropping->AddImageFromFile(file.Name()));
    target->Assign(dropping.get());
    EXPECT_EQ(target->Count(), 0);
    // A list that keeps no files takes the icons.
    TListPtr iconsOnly = NewList(16, 16, false);
    dropping->AssignTo(iconsOnly.get());
    EXPECT_EQ(iconsOnly->Count(), 1);
    ASSERT_TRUE(iconsOnly->GetBitmap32(0, &image));
    ExpectPicture(image, png);
    // Nothing assigned empties the list.
    iconsOnly->Assign(nullptr);
    EXPECT_EQ(iconsOnly->Count(), 0);
}

TEST_F(AlphaImageList, PaintsTheAskedStateClampedToTheLast) {
    const TTempFile file(L"states.png", EncodePng(ThreeStates()));
    TListPtr list = NewList(12, 4);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    struct TCase {
        int State;
        int Channel; // blue 0, green 1, red 2
    } cases[] = {{0, 2}, {1, 1}, {2, 0}, {5, 0}};
    for (const TCase& c : cases) {
        TBmpPtr target = MakeBmp(6, 6, 3);
        TSize size;
        PaintImgListItem(list.get(), target.get(), 1, 2, 0, 0, clNone, c.State, 3, false, size);
        EXPECT_EQ(size.cx, 4);
        EXPECT_EQ(size.cy, 4);
        // Opaque: 250 x 255 >> 8 over black; the half-transparent corner: 250 x 128 >> 8.
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_EQ(PixelOf(target.get(), 2, 3)[channel], channel == c.Channel ? 249 : 0)
                << "state " << c.State;
            EXPECT_EQ(PixelOf(target.get(), 1, 2)[channel], channel == c.Channel ? 125 : 0)
                << "state " << c.State;
        }
        EXPECT_EQ(PixelOf(target.get(), 0, 0)[c.Channel], 0); // outside the state
        EXPECT_EQ(PixelOf(target.get(), 5, 5)[c.Channel], 0);
    }
}

TEST_F(AlphaImageList, PaintsAStateOfAnOrdinaryListOverTheBitmap) {
    std::unique_ptr<TCustomImageList, graphics_detail::TFreeObject> list(
        new TCustomImageList(nullptr, 8, 2));
    TBmpPtr image = MakeBmp(8, 2, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) PixelOf(image.get(), x, y)[0] = x < 4 ? 50 : 150;
    list->Add(image.get(), nullptr);
    TBmpPtr target = MakeBmp(6, 4, 3);
    FillBytes(target.get(), 7, 7, 7);
    TSize size;
    PaintImgListItem(list.get(), target.get(), 1, 1, 0, 0, clNone, 1, 2, false, size);
    EXPECT_EQ(size.cx, 4);
    EXPECT_EQ(PixelOf(target.get(), 1, 1)[0], 150);
    EXPECT_EQ(PixelOf(target.get(), 4, 2)[0], 150);
    EXPECT_EQ(PixelOf(target.get(), 0, 0)[0], 7);
    EXPECT_EQ(PixelOf(target.get(), 5, 3)[0], 7);
}

TEST_F(AlphaImageList, PaintsOntoADeviceContext) {
    const TTempFile file(L"dc.png", EncodePng(ThreeStates()));
    TListPtr list = NewList(12, 4);
    ASSERT_TRUE(list->AddImageFromFile(file.Name()));
    TBmpPtr target = MakeBmp(8, 8, 3);
    PaintImgListItemDC(list.get(), target->Canvas()->Handle(), 2, 2, 0, 0, clNone, 1, 3, false);
    EXPECT_EQ(PixelOf(target.get(), 3, 3)[1], 249);
    EXPECT_EQ(PixelOf(target.get(), 1, 1)[1], 0);
}

TEST_F(AlphaImageList, ClearTransparentWhite) {
    TBmpPtr bmp = MakeBmp(2, 2, 4);
    FillBytes(bmp.get(), 0xFF, 0xFF, 0xFF, 0);
    PixelOf(bmp.get(), 1, 0)[3] = 0xFF; // opaque white
    PixelOf(bmp.get(), 0, 1)[0] = 0xFE; // transparent, not white
    ClearTransparentWhite(bmp.get());
    EXPECT_EQ(AllBytes(bmp.get()), (std::vector<Byte>{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE,
                                                      0xFF, 0xFF, 0, 0, 0, 0, 0}));
    // Too small to attach, or not 32-bit: left alone.
    TBmpPtr tiny = MakeBmp(1, 1, 4);
    FillBytes(tiny.get(), 0xFF, 0xFF, 0xFF, 0);
    ClearTransparentWhite(tiny.get());
    EXPECT_EQ(AllBytes(tiny.get()), (std::vector<Byte>{0xFF, 0xFF, 0xFF, 0}));
    TBmpPtr wide = MakeBmp(2, 2, 3);
    FillBytes(wide.get(), 0xFF, 0xFF, 0xFF);
    ClearTransparentWhite(wide.get());
    EXPECT_EQ(AllBytes(wide.get()), std::vector<Byte>(12, 0xFF));
}

} // namespace
