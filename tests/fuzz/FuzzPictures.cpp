// Fuzzed picture loaders: BMP, JPEG, PNG and ICO. The seeds are made here: bitmaps saved by the
// class library, JPEGs it compressed, PNG and ICO files written byte by byte.
#include "FuzzDriver.h"

#include "framework/Graphics.h"
#include "framework/Jpeg.h"
#include "framework/PngImage.h"
#include "framework/Streams.h"

#include <zlib.h>

#include <memory>
#include <tuple>

namespace {

void Load(TGraphic& graphic, const TFuzzInput& input) {
    TMemoryStream stream;
    if (!input.empty()) stream.WriteBuffer(input.data(), static_cast<NativeInt>(input.size()));
    stream.SetPosition(0);
    graphic.LoadFromStream(&stream);
}

TFuzzInput Saved(TGraphic& graphic) {
    TMemoryStream stream;
    graphic.SaveToStream(&stream);
    const char* bytes = static_cast<const char*>(stream.Memory());
    return TFuzzInput(bytes, bytes + stream.Size());
}

std::unique_ptr<TBitmap, TFuzzFree> Pattern(int width, int height, TPixelFormat format) {
    std::unique_ptr<TBitmap, TFuzzFree> bitmap(new TBitmap(width, height, format));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->Canvas()->SetPixels(x, y, RGB(x * 40, y * 60, (x + y) * 20));
    return bitmap;
}

template <class T> void Append(TFuzzInput& data, const T& value) {
    data.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

// ---- BMP ------------------------------------------------------------------------------------

std::vector<TFuzzInput> BmpSeeds() {
    std::vector<TFuzzInput> seeds;
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit})
        seeds.push_back(Saved(*Pattern(5, 3, format)));
    // 8-bit run-length, 4 x 2: a run, an end of line, a run, the end of the picture.
    const Byte runs[] = {4, 1, 0, 0, 4, 2, 0, 1};
    const RGBQUAD palette[] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}};
    const BITMAPINFOHEADER header{sizeof(header), 4, 2, 1, 8, BI_RLE8, sizeof(runs), 0, 0, 3, 0};
    const DWORD offBits = sizeof(BITMAPFILEHEADER) + sizeof(header) + sizeof(palette);
    TFuzzInput rle;
    Append(rle, BITMAPFILEHEADER{0x4D42, DWORD(offBits + sizeof(runs)), 0, 0, offBits});
    Append(rle, header);
    Append(rle, palette);
    Append(rle, runs);
    seeds.push_back(rle);
    return seeds;
}

void FeedBmp(const TFuzzInput& input) {
    try {
        TBitmap bitmap;
        Load(bitmap, input);
    } catch (const EInvalidGraphic&) {
    }
}

// ---- JPEG -----------------------------------------------------------------------------------

std::vector<TFuzzInput> JpegSeeds() {
    std::vector<TFuzzInput> seeds;
    const std::tuple<int, int, int> pictures[] = {{16, 8, 90}, {9, 7, 30}, {24, 24, 75}};
    for (const auto& [width, height, quality] : pictures) {
        TJPEGImage image;
        image.SetCompressionQuality(quality);
        image.Assign(Pattern(width, height, pf24bit).get());
        seeds.push_back(Saved(image));
    }
    return seeds;
}

void FeedJpeg(const TFuzzInput& input) {
    try {
        TJPEGImage image;
        Load(image, input);
    } catch (const EInvalidGraphic&) {
    }
}

// ---- PNG ------------------------------------------------------------------------------------

void Chunk(TFuzzInput& png, const char* type, const TFuzzInput& data) {
    const auto bigEndian = [&](uLong value) {
        for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>(value >> shift);
    };
    bigEndian(static_cast<uLong>(data.size()));
    const TFuzzInput body = std::string(type, 4) + data;
    png += body;
    bigEndian(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
}

// A PNG of `width` x `height` in the colour type, 8 bits per sample, each row with `filter`.
TFuzzInput Png(int width, int height, int colourType, int samples, int filter) {
    TFuzzInput png = "\x89PNG\r\n\x1A\n";
    TFuzzInput header;
    for (int value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>(value >> shift);
    header += {8, static_cast<char>(colourType), 0, 0, 0};
    Chunk(png, "IHDR", header);
    if (colourType == 3) Chunk(png, "PLTE", TFuzzInput("\xFF\0\0\0\xFF\0\0\0\xFF", 9));
    TFuzzInput rows;
    for (int y = 0; y < height; ++y) {
        rows += static_cast<char>(filter);
        for (int i = 0; i < width * samples; ++i) rows += static_cast<char>((y * 31 + i * 7) % 3);
    }
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    TFuzzInput packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()));
    packed.resize(size);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", {});
    return png;
}

std::vector<TFuzzInput> PngSeeds() {
    return {Png(4, 3, 2, 3, 0), Png(5, 2, 0, 1, 1), Png(2, 2, 3, 1, 2), Png(3, 3, 6, 4, 4)};
}

void FeedPng(const TFuzzInput& input) {
    try {
        TPngImage image;
        Load(image, input);
    } catch (const EInvalidGraphic&) {
    }
}

// ---- ICO ------------------------------------------------------------------------------------

// An icon file of one 16 x 16 image: a 32-bit DIB with its mask, or a PNG.
TFuzzInput Ico(bool png) {
    const int side = 16;
    TFuzzInput image;
    if (png) {
        image = Png(side, side, 6, 4, 0);
    } else {
        Append(image, BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), side, 2 * side, 1, 32, BI_RGB, 0,
                                       0, 0, 0, 0});
        for (int i = 0; i < side * side; ++i) Append(image, DWORD(0xFF000000u | i * 0x010203u));
        image.append(side * 4, '\0'); // the mask: 16 bits padded to 32 per row
    }
    TFuzzInput file;
    for (WORD value : {WORD(0), WORD(1), WORD(1)}) Append(file, value);
    file += {side, side, 0, 0};
    for (WORD value : {WORD(1), WORD(32)}) Append(file, value);
    Append(file, DWORD(image.size()));
    Append(file, DWORD(6 + 16));
    return file + image;
}

std::vector<TFuzzInput> IcoSeeds() { return {Ico(false), Ico(true)}; }

// The system reads icons from files only.
void FeedIco(const TFuzzInput& input) {
    static const UnicodeString name = [] {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        return UnicodeString(folder) + L"fuzz_tests_" + std::to_wstring(GetCurrentProcessId()) +
               L".ico";
    }();
    {
        TFileStream file(name, fmCreate);
        if (!input.empty()) file.WriteBuffer(input.data(), static_cast<NativeInt>(input.size()));
    }
    try {
        TIcon icon;
        icon.LoadFromFile(name);
    } catch (const EInvalidGraphic&) {
    }
    DeleteFileW(name.c_str());
}

const TFuzzRegistration Bmp{{"bmp", BmpSeeds, FeedBmp, 1500}};
const TFuzzRegistration Jpeg{{"jpeg", JpegSeeds, FeedJpeg, 600}};
const TFuzzRegistration PngReader{{"png", PngSeeds, FeedPng, 400}};
const TFuzzRegistration IcoReader{{"ico", IcoSeeds, FeedIco, 300}};

} // namespace
