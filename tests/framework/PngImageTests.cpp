#include "framework/PngImage.h"

#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<Byte> ResourceBytes(const wchar_t* name) {
    TResourceStream resource(::GetModuleHandleW(nullptr), name);
    std::vector<Byte> data(static_cast<std::size_t>(resource.Size()));
    resource.ReadBuffer(data.data(), NativeInt(data.size()));
    return data;
}

void LoadBytes(TPngImage& image, const std::vector<Byte>& data) {
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), NativeInt(data.size()));
    stream.SetPosition(0);
    image.LoadFromStream(&stream);
}

// Blue, green, red, alpha of a pixel of a 32-bit bitmap.
std::vector<int> Pixel(TBitmap& bitmap, int x, int y) {
    const Byte* p = static_cast<const Byte*>(bitmap.ScanLine(y)) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

TEST(PngImage, DecodesStraightAlphaTopRowFirst) {
    TPngImage image;
    image.LoadFromResourceName(::GetModuleHandleW(nullptr), L"PNG_TEST_RGBA");
    ASSERT_FALSE(image.Empty());
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 2);
    TBitmap bitmap;
    bitmap.Assign(&image);
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    EXPECT_EQ(bitmap.AlphaFormat(), afDefined);
    EXPECT_EQ(Pixel(bitmap, 0, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(bitmap, 1, 0), (std::vector<int>{0, 255, 0, 128}));
    EXPECT_EQ(Pixel(bitmap, 0, 1), (std::vector<int>{255, 0, 0, 0}));
    EXPECT_EQ(Pixel(bitmap, 1, 1), (std::vector<int>{255, 255, 255, 255}));
}

TEST(PngImage, GreyPicturesBecomeOpaqueColour) {
    TPngImage image;
    LoadBytes(image, ResourceBytes(L"PNG_TEST_GREY"));
    ASSERT_EQ(image.Width(), 3);
    EXPECT_EQ(Pixel(*image.Bitmap(), 0, 0), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(Pixel(*image.Bitmap(), 1, 0), (std::vector<int>{128, 128, 128, 255}));
    EXPECT_EQ(Pixel(*image.Bitmap(), 2, 0), (std::vector<int>{255, 255, 255, 255}));
}

TEST(PngImage, SavingWritesTheDataRead) {
    const std::vector<Byte> data = ResourceBytes(L"PNG_TEST_RGBA");
    TPngImage image;
    LoadBytes(image, data);
    TMemoryStream saved;
    image.SaveToStream(&saved);
    ASSERT_EQ(saved.Size(), Int64(data.size()));
    EXPECT_EQ(std::vector<Byte>(static_cast<const Byte*>(saved.Memory()),
                                static_cast<const Byte*>(saved.Memory()) + data.size()),
              data);
    TPngImage empty;
    EXPECT_THROW(empty.SaveToStream(&saved), EInvalidGraphicOperation);
}

TEST(PngImage, BadDataRaisesAndKeepsThePicture) {
    std::vector<Byte> truncated = ResourceBytes(L"PNG_TEST_RGBA");
    truncated.resize(40); // the signature and the header, no pixels
    std::vector<Byte> notPng = ResourceBytes(L"PNG_TEST_RGBA");
    notPng[1] = 'X';
    std::vector<Byte> nothing;
    TPngImage image;
    LoadBytes(image, ResourceBytes(L"PNG_TEST_GREY"));
    for (const std::vector<Byte>* bad : {&truncated, &notPng, &nothing}) {
        EXPECT_THROW(LoadBytes(image, *bad), EInvalidGraphic) << bad->size();
        EXPECT_EQ(image.Width(), 3) << bad->size();
    }
}

TEST(PngImage, PictureRecognisesPngStreamsAndTheExtension) {
    TMemoryStream stream;
    const std::vector<Byte> data = ResourceBytes(L"PNG_TEST_RGBA");
    stream.WriteBuffer(data.data(), NativeInt(data.size()));
    stream.SetPosition(0);
    TPicture picture;
    picture.LoadFromStream(&stream);
    EXPECT_NE(dynamic_cast<TPngImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(TPicture::GraphicClassFor(L".PNG"), TPngImage::StaticClass());
}

TEST(PngImage, CanvasBlendsThePictureByItsAlpha) {
    TPngImage image;
    image.LoadFromResourceName(::GetModuleHandleW(nullptr), L"PNG_TEST_RGBA");
    TBitmap target(2, 2, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 2, 2));
    target.Canvas()->Draw(0, 0, &image);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(0, 1), clWhite); // fully transparent
    const TColor half = target.Canvas()->Pixels(1, 0); // green at alpha 128 over white
    EXPECT_NEAR(GetRValue(half), 127, 2);
    EXPECT_EQ(GetGValue(half), 255);
    EXPECT_NEAR(GetBValue(half), 127, 2);
}

} // namespace
