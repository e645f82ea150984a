#include "framework/Graphics.h"
#include "framework/Jpeg.h"
#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace {

Byte* Row(TBitmap& bitmap, int y) { return static_cast<Byte*>(bitmap.ScanLine(y)); }

std::vector<Byte> StreamBytes(TMemoryStream& stream) {
    const Byte* memory = static_cast<const Byte*>(stream.Memory());
    return {memory, memory + stream.Size()};
}

void WriteAll(TMemoryStream& stream, const std::vector<Byte>& data) {
    stream.Clear();
    stream.WriteBuffer(data.data(), NativeInt(data.size()));
    stream.SetPosition(0);
}

template <class T> void Put(std::vector<Byte>& data, const T& value) {
    const Byte* bytes = reinterpret_cast<const Byte*>(&value);
    data.insert(data.end(), bytes, bytes + sizeof(T));
}

// A BMP with the given header, three masks or a two-colour palette as the header needs, and
// `pixelBytes` bytes of pixel data.
std::vector<Byte> BmpWith(BITMAPINFOHEADER header, std::size_t pixelBytes) {
    header.biSize = sizeof(header);
    const DWORD extra = header.biCompression == BI_BITFIELDS ? 12 : header.biBitCount <= 8 ? 8 : 0;
    if (header.biBitCount <= 8) header.biClrUsed = 2;
    const DWORD offBits = sizeof(BITMAPFILEHEADER) + sizeof(header) + extra;
    std::vector<Byte> data;
    data.reserve(offBits + pixelBytes);
    Put(data, BITMAPFILEHEADER{0x4D42, static_cast<DWORD>(offBits + pixelBytes), 0, 0, offBits});
    Put(data, header);
    const DWORD masks[] = {0x3FF00000, 0x000FFC00, 0x000003FF}; // 10 bits each: not standard
    if (header.biCompression == BI_BITFIELDS)
        Put(data, masks);
    else if (header.biBitCount <= 8)
        Put(data, std::array<DWORD, 2>{0, 0xFFFFFF});
    data.resize(data.size() + pixelBytes, 0x11);
    return data;
}

BITMAPINFOHEADER Header(LONG width, LONG height, WORD bits, DWORD compression) {
    return {0, width, height, 1, bits, compression, 0, 0, 0, 0, 0};
}

} // namespace

// Headers are checked against the data and the picture limits before any pixel memory is
// asked for: a short file cannot make a bitmap of gigabytes nor have its rows read past its end.
TEST(GraphicsStream, BitmapHeadersMustFitTheDataAndThePictureLimits) {
    const struct {
        const char* Fault;
        std::vector<Byte> Data;
    } faults[] = {
        {"height INT_MIN", BmpWith(Header(4, INT_MIN, 8, BI_RGB), 16)},
        {"65535 x 65535", BmpWith(Header(65535, 65535, 24, BI_RGB), 64)},
        {"huge bit fields", BmpWith(Header(0x7FFFFFFF, 0x7FFFFFFF, 32, BI_BITFIELDS), 64)},
        {"bit-field rows past the data", BmpWith(Header(64, 64, 32, BI_BITFIELDS), 256)},
        {"RLE8 40000 x 40000", BmpWith(Header(40000, 40000, 8, BI_RLE8), 1024)},
        {"RLE8 within the side limit, beyond the budget",
         BmpWith(Header(32000, 32000, 8, BI_RLE8), 64)},
        {"RLE8 on 24 bits", BmpWith(Header(4, 4, 24, BI_RLE8), 64)},
        {"RLE4 top-down", BmpWith(Header(4, -4, 4, BI_RLE4), 64)},
        {"compressed as JPEG", BmpWith(Header(4, 4, 24, BI_JPEG), 64)},
    };
    TMemoryStream stream;
    for (const auto& fault : faults) {
        WriteAll(stream, fault.Data);
        TBitmap loaded;
        EXPECT_THROW(loaded.LoadFromStream(&stream), EInvalidGraphic) << fault.Fault;
    }
    // Standard masks, rows that fit: loaded as before.
    std::vector<Byte> fits = BmpWith(Header(4, -2, 32, BI_BITFIELDS), 32);
    const DWORD standard[] = {0xFF0000, 0xFF00, 0xFF};
    std::memcpy(fits.data() + 54, standard, sizeof(standard));
    WriteAll(stream, fits);
    TBitmap loaded;
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.Width(), 4);
    EXPECT_EQ(loaded.Height(), 2);
}

TEST(GraphicsStream, BitmapsRoundTripAndLeaveTheStreamAfterTheirBytes) {
    TBitmap first(3, 2, pf32bit), second(5, 4, pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int i = 0; i < 12; ++i) Row(first, y)[i] = Byte(40 * y + 3 * i + 1); // alpha too
    second.Canvas()->SetPixels(4, 3, clRed);
    TMemoryStream stream;
    const Byte prefix[] = {'x', 'y'}; // a bitmap need not start the stream
    stream.WriteBuffer(prefix, sizeof(prefix));
    first.SaveToStream(&stream);
    const Int64 secondStart = stream.Position();
    second.SaveToStream(&stream);
    const Byte trailer = 0x5A;
    stream.WriteBuffer(&trailer, 1);

    stream.SetPosition(sizeof(prefix));
    TBitmap loadedFirst, loadedSecond;
    loadedFirst.LoadFromStream(&stream);
    EXPECT_EQ(stream.Position(), secondStart);
    loadedSecond.LoadFromStream(&stream);
    EXPECT_EQ(stream.Position(), stream.Size() - 1);

    EXPECT_EQ(loadedFirst.PixelFormat(), pf32bit);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(std::memcmp(Row(loadedFirst, y), Row(first, y), 12), 0) << "row " << y;
    EXPECT_EQ(loadedSecond.Width(), 5);
    EXPECT_EQ(loadedSecond.Height(), 4);
    EXPECT_EQ(loadedSecond.Canvas()->Pixels(4, 3), clRed);
    EXPECT_EQ(loadedSecond.Canvas()->Pixels(0, 0), clBlack);
}

TEST(GraphicsStream, BitmapStreamsAndFilesShareTheirChecks) {
    TMemoryStream stream;
    TBitmap(4, 4, pf8bit).SaveToStream(&stream);
    const std::vector<Byte> valid = StreamBytes(stream);
    const struct {
        const char* Fault;
        std::vector<Byte> Data;
    } faults[] = {
        {"empty stream", {}},
        {"shorter than a file header", {valid.begin(), valid.begin() + 10}},
        {"headers only", {valid.begin(), valid.begin() + 54}},
        {"cut short", {valid.begin(), valid.end() - 1}},
    };
    for (const auto& fault : faults) {
        WriteAll(stream, fault.Data);
        TBitmap loaded;
        EXPECT_THROW(loaded.LoadFromStream(&stream), EInvalidGraphic) << fault.Fault;
    }
    // A file size in the header larger than the stream: what is there is read and checked.
    std::vector<Byte> longer = valid;
    const DWORD size = 0x100000;
    std::memcpy(longer.data() + 2, &size, sizeof(size));
    WriteAll(stream, longer);
    TBitmap loaded;
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.Width(), 4);
    EXPECT_THROW(TBitmap().SaveToStream(&stream), EInvalidGraphicOperation);
}

TEST(GraphicsStream, PictureRecognisesTheDataAndRefusesUnknownData) {
    TBitmap bitmap(6, 3, pf24bit);
    bitmap.Canvas()->SetPixels(1, 1, clBlue);
    TMemoryStream bmp, jpeg;
    bitmap.SaveToStream(&bmp);
    TJPEGImage image;
    image.Assign(&bitmap);
    image.SaveToStream(&jpeg);

    TPicture picture;
    bmp.SetPosition(0);
    picture.LoadFromStream(&bmp);
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Bitmap()->Canvas()->Pixels(1, 1), clBlue);
    jpeg.SetPosition(0);
    picture.LoadFromStream(&jpeg);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 6);

    TMemoryStream saved;
    picture.SaveToStream(&saved);
    EXPECT_EQ(StreamBytes(saved), StreamBytes(jpeg));

    TStringStream unknown(UnicodeString(L"GIF89a"));
    EXPECT_THROW(picture.LoadFromStream(&unknown), EInvalidGraphic);
    EXPECT_EQ(unknown.Position(), 0);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr) << "kept on failure";
    // An icon is recognised, but icons are read from files and resources only.
    const Byte icon[] = {0, 0, 1, 0, 1, 0};
    TMemoryStream iconStream;
    iconStream.WriteBuffer(icon, sizeof(icon));
    iconStream.SetPosition(0);
    EXPECT_THROW(picture.LoadFromStream(&iconStream), EInvalidGraphicOperation);
}
