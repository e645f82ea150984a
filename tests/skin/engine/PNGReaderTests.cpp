// The PNG reader against pictures made here: every colour type at every legal depth, with and
// without interlace, decoded exactly to the samples encoded; the class library's codec decodes
// the same corpus as an independent reference; a table of damaged files fails cleanly.
#include "PNGTestImages.h"
#include "skin/engine/acPNG.h"

#include "framework/ModuleInit.h"
#include "framework/PngImage.h"
#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

void LoadBytes(TGraphic& graphic, const TPngBytes& bytes) {
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    stream.SetPosition(0);
    graphic.LoadFromStream(&stream);
}

struct TCorpusEntry {
    Byte ColourType, BitDepth;
    TPixelFormat Format;
};
constexpr TCorpusEntry Corpus[] = {
    {0, 1, pf1bit},  {0, 2, pf4bit},   {0, 4, pf4bit},  {0, 8, pf8bit},  {0, 16, pf8bit},
    {2, 8, pf24bit}, {2, 16, pf24bit}, {3, 1, pf1bit},  {3, 2, pf4bit},  {3, 4, pf4bit},
    {3, 8, pf8bit},  {4, 8, pf8bit},   {4, 16, pf8bit}, {6, 8, pf32bit}, {6, 16, pf32bit}};
// Odd sizes leave partly filled bytes and empty Adam7 passes; 1 x 7 has only passes 1, 3, 5, 7.
constexpr std::pair<int, int> Sizes[] = {{13, 11}, {1, 7}, {9, 1}, {1, 1}, {33, 17}};

std::string Name(const TTestPng& png) {
    return "type " + std::to_string(png.ColourType) + ", " + std::to_string(png.BitDepth) +
           " bits, " + std::to_string(png.Width) + " x " + std::to_string(png.Height) +
           (png.Interlaced ? ", interlaced" : "");
}

void ExpectPixels(TBitmap& bitmap, const TTestPng& png, bool withAlpha) {
    ASSERT_EQ(bitmap.Width(), png.Width) << Name(png);
    ASSERT_EQ(bitmap.Height(), png.Height) << Name(png);
    int wrong = 0;
    for (int y = 0; y < png.Height; ++y)
        for (int x = 0; x < png.Width; ++x) {
            TRGBA expected = png.Expected(x, y), decoded = DecodedPixel(bitmap, x, y);
            if (!withAlpha) expected[3] = decoded[3] = 255;
            if (expected != decoded && wrong++ < 3)
                ADD_FAILURE() << Name(png) << " at " << x << "," << y;
        }
    EXPECT_EQ(wrong, 0) << Name(png);
}

// The decoded corpus is also laid out on a contact sheet in the test's folder (the build
// tree), one column per colour type, depth and interlace, one row per size.
TEST(PNGReader, CorpusDecodesToTheEncodedSamples) {
    constexpr int cell = 36;
    TBitmap sheet(int(std::size(Corpus)) * 2 * cell, int(std::size(Sizes)) * cell, pf32bit);
    int column = 0;
    for (const TCorpusEntry& entry : Corpus)
        for (bool interlaced : {false, true}) {
            int row = 0;
            for (const auto& [width, height] : Sizes) {
                const TTestPng png =
                    MakeTestPng(width, height, entry.ColourType, entry.BitDepth, interlaced);
                TPNGGraphic graphic;
                LoadBytes(graphic, EncodePng(png));
                EXPECT_EQ(graphic.PixelFormat(), entry.Format) << Name(png);
                EXPECT_EQ(graphic.ImageProperties().Interlaced, interlaced);
                ExpectPixels(graphic, png, true);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x) {
                        const TRGBA p = DecodedPixel(graphic, x, y);
                        Byte* target = static_cast<Byte*>(sheet.ScanLine(row * cell + y)) +
                                       4 * (column * cell + x);
                        std::copy_n(TRGBA{p[2], p[1], p[0], p[3]}.data(), 4, target);
                    }
                ++row;
            }
            ++column;
        }
    sheet.SaveToFile(L"png_corpus_contact_sheet.bmp");
}

// The model bites: one changed sample is found.
TEST(PNGReader, CorpusComparisonFindsAChangedSample) {
    TTestPng png = MakeTestPng(5, 4, 6, 8, true);
    TPNGGraphic graphic;
    LoadBytes(graphic, EncodePng(png));
    png.Samples[4 * 7 + 1] ^= 1;
    EXPECT_NE(png.Expected(2, 1), DecodedPixel(graphic, 2, 1));
}

TEST(PNGReader, SystemCodecAgreesOnTheCorpus) {
    const TModuleEntry framework = FrameworkModule();
    for (const TCorpusEntry& entry : Corpus)
        for (bool interlaced : {false, true}) {
            const TTestPng png = MakeTestPng(13, 11, entry.ColourType, entry.BitDepth, interlaced);
            const TPngBytes bytes = EncodePng(png);
            TPNGGraphic ours;
            LoadBytes(ours, bytes);
            TPngImage system;
            LoadBytes(system, bytes);
            TBitmap& reference = *system.Bitmap();
            // The system codec rounds 16-bit samples to 8 bits; ours truncates: at most 1 apart.
            const int tolerance = entry.BitDepth == 16 ? 1 : 0;
            for (int y = 0; y < png.Height; ++y)
                for (int x = 0; x < png.Width; ++x) {
                    const TRGBA a = DecodedPixel(ours, x, y), b = DecodedPixel(reference, x, y);
                    const int channels = entry.ColourType == 6 ? 4 : 3;
                    for (int c = 0; c < channels; ++c)
                        ASSERT_LE(std::abs(a[c] - b[c]), tolerance)
                            << Name(png) << " at " << x << "," << y << " channel " << c;
                }
        }
}

TEST(PNGReader, AncillaryChunks) {
    // gAMA 45455 is practically the identity; 100000 with display gamma 2.2 darkens.
    TTestPng png = MakeTestPng(4, 3, 2, 8, false);
    png.Extra = {{"gAMA", BigEndian32(100000)}};
    TPNGGraphic graphic;
    LoadBytes(graphic, EncodePng(png));
    EXPECT_TRUE(graphic.ImageProperties().Options.Contains(ioUseGamma));
    EXPECT_FLOAT_EQ(graphic.ImageProperties().FileGamma, 1.0f);
    const TRGBA decoded = DecodedPixel(graphic, 1, 1), raw = png.Expected(1, 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(decoded[c], Byte(std::lround(255 * std::pow(raw[c] / 255.0, 1 / 2.2))));

    // tRNS of a 2-bit grey picture: sample 2 is RGB(10, 10, 10); 16-bit 65535 is white.
    png = MakeTestPng(3, 3, 0, 2, false);
    png.Extra = {{"tRNS", TPngBytes("\0\2", 2)}, {"bKGD", TPngBytes("\0\1", 2)}};
    LoadBytes(graphic, EncodePng(png));
    EXPECT_TRUE(graphic.Transparent());
    EXPECT_EQ(graphic.TransparentColor(), MakeColor(10, 10, 10));
    EXPECT_EQ(graphic.BackgroundColor(), 5);
    png = MakeTestPng(3, 3, 0, 16, false);
    png.Extra = {{"tRNS", TPngBytes("\xFF\xFF", 2)}};
    LoadBytes(graphic, EncodePng(png));
    EXPECT_EQ(graphic.TransparentColor(), MakeColor(255, 255, 255));

    // tRNS of an indexed picture: the table, the rest 255; the pixels carry no alpha.
    png = MakeTestPng(3, 3, 3, 4, false);
    png.Extra = {{"tRNS", TPngBytes("\x10\x20", 2)}, {"bKGD", TPngBytes("\x07", 1)}};
    LoadBytes(graphic, EncodePng(png));
    ASSERT_EQ(graphic.Transparency().size(), 256u);
    EXPECT_EQ(graphic.Transparency()[0], 0x10);
    EXPECT_EQ(graphic.Transparency()[1], 0x20);
    EXPECT_EQ(graphic.Transparency()[2], 255);
    EXPECT_EQ(graphic.BackgroundColor(), 7);
    ExpectPixels(graphic, png, true);

    // Chunks too short for their fields are ignored; a reused graphic starts afresh, without
    // the gamma of the picture before.
    png = MakeTestPng(3, 2, 2, 8, false);
    png.Extra = {{"gAMA", TPngBytes("\1\2", 2)},
                 {"bKGD", TPngBytes("\0\1", 2)},
                 {"tRNS", TPngBytes("\0", 1)}};
    LoadBytes(graphic, EncodePng(png));
    EXPECT_EQ(graphic.BackgroundColor(), 0xFFFFFF);
    EXPECT_FALSE(graphic.Transparent());
    EXPECT_TRUE(graphic.Transparency().empty());
    ExpectPixels(graphic, png, true);
}

// Chunk handling: case of the type letters, skipped chunks, chunks after the image data.
TEST(PNGReader, ChunkOrder) {
    const TTestPng png = MakeTestPng(6, 5, 6, 8, false);
    const TPngBytes head = PngSignature + PngHeader(6, 5, 8, 6);
    const TPngBytes data = PngImageData(png);
    const std::pair<const char*, TPngBytes> split[] = {
        {"IDAT", data.substr(0, 7)}, {"IDAT", {}}, {"idat", data.substr(7)}};
    TPngBytes file = head + PngChunk("tEXt", "private") + PngChunk("PLTE", "\1\2\3");
    for (const auto& [type, part] : split) file += PngChunk(type, part);
    // The chunk right after the image data is skipped unread, even a gAMA.
    file += PngChunk("gAMA", BigEndian32(100000)) + PngChunk("IEND", {});
    TPNGGraphic graphic;
    LoadBytes(graphic, file);
    EXPECT_FALSE(graphic.ImageProperties().Options.Contains(ioUseGamma));
    ExpectPixels(graphic, png, true);

    // Image data that ends before the last row raises nothing: the rows are converted as the
    // buffers hold them.
    LoadBytes(graphic, head + PngChunk("IDAT", PngImageData(MakeTestPng(6, 2, 6, 8, false))) +
                           PngChunk("IEND", {}));
    EXPECT_EQ(graphic.Height(), 5);

    // Without image data the bitmap stays empty and nothing is raised.
    LoadBytes(graphic, head + PngChunk("IEND", {}));
    EXPECT_TRUE(graphic.Empty());
}

TEST(PNGReader, CanLoadNeedsMoreThanTheSignature) {
    TMemoryStream stream;
    stream.WriteBuffer(PngSignature.data(), 8);
    stream.SetPosition(0);
    EXPECT_FALSE(TPNGGraphic::CanLoad(&stream));
    stream.SetPosition(8);
    stream.WriteBuffer("\0", 1);
    stream.SetPosition(0);
    EXPECT_TRUE(TPNGGraphic::CanLoad(&stream));
    EXPECT_EQ(stream.Position(), 0);
}

TEST(PNGReader, FilterTypeFiveLeavesTheRow) {
    // One 2 x 1 grey row with filter 5: the bytes stand as they are.
    const TPngBytes rows("\5\x40\x80", 3);
    uLongf size = compressBound(3);
    TPngBytes packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(rows.data()), 3);
    packed.resize(size);
    TPNGGraphic graphic;
    LoadBytes(graphic, PngSignature + PngHeader(2, 1, 8, 0) + PngChunk("IDAT", packed) +
                           PngChunk("IEND", {}));
    EXPECT_EQ(DecodedPixel(graphic, 0, 0)[0], 0x40);
    EXPECT_EQ(DecodedPixel(graphic, 1, 0)[0], 0x80);
}

// ---- damaged files ------------------------------------------------------------------------

TPngBytes WithByte(TPngBytes bytes, size_t index, char value) {
    bytes[index] = value;
    return bytes;
}

TEST(PNGReader, DamagedFilesFailCleanly) {
    const TTestPng png = MakeTestPng(4, 4, 2, 8, false);
    const TPngBytes good = EncodePng(png);
    const TPngBytes head = PngSignature + PngHeader(4, 4, 8, 2);
    const TPngBytes idat = PngChunk("IDAT", PngImageData(png));
    const TPngBytes end = PngChunk("IEND", {});
    const TPngBytes invalid = "Cannot load image. Invalid or unexpected PNG image format.";
    const TPngBytes tooLarge = "Cannot load image. The PNG image is too large.";
    const TPngBytes tooLong = "Cannot load image. A chunk is longer than the PNG file.";
    const TPngBytes crc = "Cannot load image. CRC error found in PNG file.";
    const auto ihdr = [](const TPngBytes& data) { return PngChunk("IHDR", data); };
    const TPngBytes ihdr13 = BigEndian32(4) + BigEndian32(4) + TPngBytes("\x08\x02\0\0\0", 5);
    const std::pair<TPngBytes, TPngBytes> cases[] = {
        {"not a picture at all", invalid},
        {WithByte(good, 1, 'Q'), invalid},
        {PngSignature + idat + end, invalid},                              // IHDR not first
        {PngSignature + ihdr(ihdr13.substr(0, 12)) + idat + end, invalid}, // IHDR 12 bytes
        {PngSignature + ihdr(ihdr13 + "x") + idat + end, invalid},         // IHDR 14 bytes
        {PngSignature + PngHeader(0, 4, 8, 2) + idat + end, invalid},
        {PngSignature + PngHeader(16385, 1, 8, 2) + idat + end, tooLarge},
        {PngSignature + PngHeader(1, 0x80000000u, 8, 2) + idat + end, tooLarge},
        {PngSignature + PngHeader(16384, 1025, 8, 2) + idat + end, tooLarge},      // pixel budget
        {PngSignature + PngHeader(0x10000, 0x10000, 8, 2) + idat + end, tooLarge}, // 2^32
        {WithByte(head + idat + end, 33, '\xFF'), tooLong}, // IDAT length 0xFF......
        {head + BigEndian32(0xFFFFFFFFu) + "IDAT", tooLong},
        {head + idat.substr(0, idat.size() - 1), tooLong},               // IDAT cut inside its CRC
        {head + idat, "Cannot load image. Unexpected end of PNG file."}, // no IEND
        {WithByte(good, 29, 0), crc},                                    // IHDR's CRC
        {WithByte(head + idat + end, head.size() + 10, 0), crc},         // IDAT data
        {PngSignature + PngHeader(4, 4, 8, 2, 1) + idat + end,
         "Cannot load image. The compression scheme is not supported for PNG files."},
        {PngSignature + PngHeader(4, 4, 3, 2) + idat + end, "Invalid color format in PNG file."},
        {PngSignature + PngHeader(4, 4, 16, 3) + idat + end, "Invalid color format in PNG file."},
        {PngSignature + PngHeader(4, 4, 8, 5) + idat + end, "Invalid color format in PNG file."},
        {head + PngChunk("PLTE", "1234567") + idat + end,
         "Cannot load image. Palette in PNG file is invalid."},
        {head + PngChunk("ABCD", "") + idat + end,
         "Cannot load PNG image. Unexpected but critical chunk detected."},
        {head + idat + PngChunk("IHDR", ihdr13) + end,
         "Cannot load PNG image. Unexpected but critical chunk detected."},
        {head + PngChunk("IDAT", "not zlib data") + end,
         "Cannot load image. Compression error found in PNG file."},
        // The zlib stream ends before the rows do, and bytes follow it.
        {head + PngChunk("IDAT", PngImageData(MakeTestPng(4, 1, 2, 8, false)) + "junk") + end,
         "Cannot load image. Extra compressed data found in PNG file."},
    };
    int index = 0;
    for (const auto& [bytes, message] : cases) {
        TPNGGraphic graphic;
        try {
            LoadBytes(graphic, bytes);
            ADD_FAILURE() << "case " << index << " loaded";
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(error.Message(), UnicodeString(message.begin(), message.end()))
                << "case " << index;
        }
        ++index;
    }
}

} // namespace

namespace {

// The icon's mask bits (1 transparent) and its colour bitmap's alpha, per pixel.
std::vector<std::pair<bool, Byte>> IconPixels(HICON icon, int width, int height) {
    ICONINFO info{};
    GetIconInfo(icon, &info);
    const TOwnedBitmap mask(info.hbmMask), colour(info.hbmColor);
    std::vector<std::pair<bool, Byte>> pixels;
    TBitmap maskBitmap, colourBitmap;
    maskBitmap.SetHandle(
        static_cast<HBITMAP>(CopyImage(mask.Get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    colourBitmap.SetHandle(
        static_cast<HBITMAP>(CopyImage(colour.Get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    colourBitmap.SetPixelFormat(pf32bit);
    maskBitmap.SetPixelFormat(pf32bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back({static_cast<Byte*>(maskBitmap.ScanLine(y))[4 * x] != 0,
                              static_cast<Byte*>(colourBitmap.ScanLine(y))[4 * x + 3]});
    DestroyIcon(icon);
    return pixels;
}

TEST(PNGReader, MakeIcon) {
    // A 32-bit picture: an all-opaque mask, the alpha from the picture.
    TTestPng png = MakeTestPng(2, 2, 6, 8, false);
    png.Samples = {1, 2, 3, 0, 1, 2, 3, 128, 9, 9, 9, 255, 1, 2, 3, 255};
    TPNGGraphic graphic;
    LoadBytes(graphic, EncodePng(png));
    using P = std::pair<bool, Byte>;
    EXPECT_EQ(IconPixels(graphic.MakeIcon(false), 2, 2),
              (std::vector<P>{{false, 0}, {false, 128}, {false, 255}, {false, 255}}));
    // Forced mask: the top-left colour (alpha included) is transparent.
    EXPECT_EQ(IconPixels(graphic.MakeIcon(true), 2, 2),
              (std::vector<P>{{true, 0}, {false, 128}, {false, 255}, {false, 255}}));
    // A 24-bit picture: pixels of the top-left colour are transparent.
    png = MakeTestPng(3, 2, 2, 8, false);
    png.Samples = {5, 5, 5, 6, 6, 6, 5, 5, 5, 7, 7, 7, 5, 5, 5, 8, 8, 8};
    LoadBytes(graphic, EncodePng(png));
    std::vector<bool> transparent;
    for (const P& pixel : IconPixels(graphic.MakeIcon(false), 3, 2))
        transparent.push_back(pixel.first);
    EXPECT_EQ(transparent, (std::vector<bool>{true, false, true, false, true, false}));
}

} // namespace
