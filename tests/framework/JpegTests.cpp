#include "framework/Jpeg.h"
#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Four flat quadrants: JPEG keeps flat areas close to their colour away from the edges.
const TColor Quadrants[2][2] = {{clRed, MakeColor(40, 200, 90)}, {clBlue, MakeColor(230, 230, 40)}};

TBitmap* QuadrantBitmap(int width, int height) {
    auto* bitmap = new TBitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->Canvas()->SetPixels(x, y, Quadrants[y * 2 / height][x * 2 / width]);
    return bitmap;
}

std::vector<Byte> StreamBytes(TMemoryStream& stream) {
    const Byte* memory = static_cast<const Byte*>(stream.Memory());
    return {memory, memory + stream.Size()};
}

std::vector<Byte> Compressed(int width, int height, int quality = 95) {
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> bitmap(QuadrantBitmap(width, height));
    TJPEGImage image;
    image.SetCompressionQuality(quality);
    image.Assign(bitmap.get());
    TMemoryStream stream;
    image.SaveToStream(&stream);
    return StreamBytes(stream);
}

void LoadBytes(TJPEGImage& image, const std::vector<Byte>& data) {
    TMemoryStream stream;
    if (!data.empty()) stream.WriteBuffer(data.data(), NativeInt(data.size()));
    stream.SetPosition(0);
    image.LoadFromStream(&stream);
}

void ExpectNear(TColor actual, TColor expected, int tolerance, const char* where) {
    for (int shift : {0, 8, 16})
        EXPECT_LE(std::abs(((actual >> shift) & 0xFF) - ((expected >> shift) & 0xFF)), tolerance)
            << where << ": channel at bit " << shift << " of " << std::hex << actual << " vs "
            << expected;
}

} // namespace

TEST(Jpeg, CompressedPictureDecodesCloseToTheOriginal) {
    const std::vector<Byte> data = Compressed(32, 24);
    ASSERT_GE(data.size(), 4u);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[1], 0xD8);
    EXPECT_EQ(data[data.size() - 2], 0xFF);
    EXPECT_EQ(data[data.size() - 1], 0xD9);

    TJPEGImage image;
    LoadBytes(image, data);
    EXPECT_EQ(image.Width(), 32);
    EXPECT_EQ(image.Height(), 24);
    EXPECT_FALSE(image.Grayscale());
    TBitmap decoded;
    decoded.Assign(&image);
    ASSERT_EQ(decoded.Width(), 32);
    EXPECT_EQ(decoded.PixelFormat(), pf24bit);
    // The centre of each quadrant, away from the edges where the colours bleed.
    const struct {
        int X, Y;
        const char* Where;
    } samples[] = {
        {8, 6, "top left"}, {24, 6, "top right"}, {8, 18, "bottom left"}, {24, 18, "bottom right"}};
    for (const auto& sample : samples)
        ExpectNear(decoded.Canvas()->Pixels(sample.X, sample.Y),
                   Quadrants[sample.Y * 2 / 24][sample.X * 2 / 32], 12, sample.Where);
}

TEST(Jpeg, SavingKeepsTheDataItWasReadFrom) {
    const std::vector<Byte> data = Compressed(16, 16, 50);
    TJPEGImage image;
    LoadBytes(image, data);
    image.SetCompressionQuality(100); // applies to bitmaps only: the data is not recompressed
    TMemoryStream saved;
    image.SaveToStream(&saved);
    EXPECT_EQ(StreamBytes(saved), data);

    TJPEGImage copy;
    copy.Assign(&image);
    TMemoryStream copied;
    copy.SaveToStream(&copied);
    EXPECT_EQ(StreamBytes(copied), data);
    EXPECT_THROW(image.SetCompressionQuality(0), EInvalidGraphicOperation);
    EXPECT_THROW(TJPEGImage().SaveToStream(&saved), EInvalidGraphicOperation);
}

TEST(Jpeg, DamagedDataRaisesAndKeepsThePicture) {
    const std::vector<Byte> valid = Compressed(16, 8);
    std::vector<Byte> badFrame = valid;
    // The frame header (SOF0) declares the height and width after its length and precision.
    for (std::size_t i = 2; i + 8 < badFrame.size(); ++i)
        if (badFrame[i] == 0xFF && badFrame[i + 1] == 0xC0) {
            badFrame[i + 5] = badFrame[i + 6] = 0; // height 0
            badFrame[i + 7] = badFrame[i + 8] = 0; // width 0
            break;
        }
    const struct {
        const char* Fault;
        std::vector<Byte> Data;
    } faults[] = {
        {"empty", {}},
        {"not a JPEG", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}},
        {"header cut", {valid.begin(), valid.begin() + 40}},
        {"zero-sized frame", badFrame},
    };
    TJPEGImage image;
    LoadBytes(image, valid);
    for (const auto& fault : faults) {
        try {
            LoadBytes(image, fault.Data);
            ADD_FAILURE() << fault.Fault << " was accepted";
        } catch (const EInvalidGraphic& error) {
            EXPECT_NE(UnicodeString(error.Message()).find(L"JPEG"), UnicodeString::npos)
                << fault.Fault;
        }
        EXPECT_EQ(image.Width(), 16) << fault.Fault;
    }
}

// A valid small file whose frame header claims another size. The codec would decode it into a
// bitmap of that size, however little data follows.
std::vector<Byte> WithFrameSize(std::vector<Byte> data, int width, int height) {
    for (std::size_t i = 2; i + 8 < data.size(); ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xC0) {
            data[i + 5] = Byte(height >> 8), data[i + 6] = Byte(height);
            data[i + 7] = Byte(width >> 8), data[i + 8] = Byte(width);
            return data;
        }
    ADD_FAILURE() << "no frame header";
    return data;
}

TEST(Jpeg, FrameSizesBeyondThePictureLimitsAreRefusedBeforeDecoding) {
    const std::vector<Byte> valid = Compressed(16, 8);
    const struct {
        int Width, Height;
    } tooLarge[] = {{20000, 20000}, {30000, 30000}, {40000, 8}, {8, 40000}, {8192, 8192}};
    for (const auto& size : tooLarge) {
        TJPEGImage image;
        try {
            LoadBytes(image, WithFrameSize(valid, size.Width, size.Height));
            ADD_FAILURE() << size.Width << "x" << size.Height << " was decoded";
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(UnicodeString(error.Message()), L"JPEG image is too large");
        }
    }
    TJPEGImage image; // the longest side allowed, within the pixel budget
    LoadBytes(image, WithFrameSize(valid, 32767, 8));
    EXPECT_EQ(image.Width(), 32767);
}

TEST(Jpeg, DataCutInsideThePixelsStillDecodes) {
    const std::vector<Byte> whole = Compressed(64, 64);
    std::size_t scan = 0; // the start-of-scan marker: the compressed pixels follow it
    for (std::size_t i = 2; i + 1 < whole.size() && !scan; ++i)
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) scan = i;
    ASSERT_GT(scan, 0u);
    TJPEGImage image;
    LoadBytes(image, {whole.begin(), whole.begin() + (scan + whole.size()) / 2});
    EXPECT_EQ(image.Width(), 64);
    TBitmap decoded;
    decoded.Assign(&image);
    ExpectNear(decoded.Canvas()->Pixels(8, 8), clRed, 12, "the top rows survive");
}

TEST(Jpeg, PictureLoadsJpegFilesAndCanvasDrawsThem) {
    wchar_t folder[MAX_PATH], name[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"jpg", 0, name);
    ::DeleteFileW(name);
    const UnicodeString fileName = UnicodeString(name) + L".JPEG";
    {
        std::unique_ptr<TBitmap, graphics_detail::TFreeObject> bitmap(QuadrantBitmap(20, 20));
        TJPEGImage image;
        image.Assign(bitmap.get());
        image.SaveToFile(fileName);
    }
    TPicture picture;
    picture.LoadFromFile(fileName);
    ::DeleteFileW(fileName.c_str());
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);

    TBitmap target(30, 30, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 30, 30));
    target.Canvas()->Draw(10, 10, picture.Graphic());
    EXPECT_EQ(target.Canvas()->Pixels(5, 5), clWhite);
    ExpectNear(target.Canvas()->Pixels(14, 14), clRed, 12, "drawn top left");
    ExpectNear(target.Canvas()->Pixels(25, 25), Quadrants[1][1], 12, "drawn bottom right");
}
