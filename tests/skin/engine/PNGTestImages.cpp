// PNG files made in the tests (see PNGTestImages.h).
#include "PNGTestImages.h"

#include <zlib.h>

#include <cstdlib>

const TPngBytes PngSignature("\x89PNG\r\n\x1A\n", 8);

namespace {

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// One row's samples packed as the file holds them.
std::vector<Byte> PackRow(const TTestPng& png, const std::vector<Word>& samples) {
    std::vector<Byte> row;
    unsigned bits = 0, filled = 0;
    for (Word sample : samples) {
        if (png.BitDepth == 16) {
            row.push_back(static_cast<Byte>(sample >> 8));
            row.push_back(static_cast<Byte>(sample));
        } else if (png.BitDepth == 8) {
            row.push_back(static_cast<Byte>(sample));
        } else {
            bits = bits << png.BitDepth | sample;
            filled += png.BitDepth;
            if (filled == 8) row.push_back(static_cast<Byte>(bits)), bits = 0, filled = 0;
        }
    }
    if (filled) row.push_back(static_cast<Byte>(bits << (8 - filled)));
    return row;
}

void FilterRow(TPngBytes& out, const std::vector<Byte>& row, const std::vector<Byte>& previous,
               int filter, int bpp) {
    out += static_cast<char>(filter);
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= size_t(bpp) ? row[i - bpp] : 0, b = previous[i],
                  c = i >= size_t(bpp) ? previous[i - bpp] : 0;
        const int predictor[5] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
        out += static_cast<char>(row[i] - predictor[filter]);
    }
}

struct TPass {
    int X, DX, Y, DY;
};
constexpr TPass Adam7[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                            {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

} // namespace

int TTestPng::SamplesPerPixel() const {
    switch (ColourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

TRGBA TTestPng::Expected(int x, int y) const {
    const Word* s = &Samples[(size_t(y) * Width + x) * SamplesPerPixel()];
    const unsigned max = (1u << BitDepth) - 1;
    const auto scale = [&](Word v) { return static_cast<Byte>(v * 255u / max); };
    switch (ColourType) {
    case 0: return {scale(s[0]), scale(s[0]), scale(s[0]), 255};
    case 2: return {scale(s[0]), scale(s[1]), scale(s[2]), 255};
    case 3: return {Palette[s[0]][0], Palette[s[0]][1], Palette[s[0]][2], 255};
    case 4: return {scale(s[0]), scale(s[0]), scale(s[0]), 255};
    default: return {scale(s[0]), scale(s[1]), scale(s[2]), scale(s[3])};
    }
}

TTestPng MakeTestPng(int width, int height, Byte colourType, Byte bitDepth, bool interlaced) {
    TTestPng png;
    png.Width = width;
    png.Height = height;
    png.ColourType = colourType;
    png.BitDepth = bitDepth;
    png.Interlaced = interlaced;
    unsigned seed = width * 131u + height * 17u + colourType * 7u + bitDepth + interlaced;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    unsigned limit = 1u << bitDepth;
    if (colourType == 3) {
        const unsigned colours = limit == 2 ? 2 : limit - 1; // one index without a colour
        for (unsigned i = 0; i < colours; ++i)
            png.Palette.push_back({Byte(next()), Byte(next()), Byte(next())});
        limit = colours;
    }
    png.Samples.resize(size_t(width) * height * png.SamplesPerPixel());
    for (Word& sample : png.Samples) sample = static_cast<Word>(next() % limit);
    // The extremes appear in every picture.
    png.Samples.front() = 0;
    png.Samples.back() = static_cast<Word>(limit - 1);
    return png;
}

TPngBytes BigEndian32(unsigned value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

TPngBytes PngChunk(const char* type, const TPngBytes& data) {
    const TPngBytes body = TPngBytes(type, 4) + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return BigEndian32(unsigned(data.size())) + body + BigEndian32(unsigned(crc));
}

TPngBytes PngHeader(unsigned width, unsigned height, Byte bitDepth, Byte colourType,
                    Byte compression, Byte interlace) {
    return PngChunk("IHDR", BigEndian32(width) + BigEndian32(height) +
                                TPngBytes{char(bitDepth), char(colourType), char(compression), 0,
                                          char(interlace)});
}

TPngBytes PngImageData(const TTestPng& png) {
    const int spp = png.SamplesPerPixel();
    const int bpp = std::max(1, png.BitDepth * spp / 8);
    TPngBytes rows;
    const auto encodePass = [&](TPass pass, int passIndex) {
        std::vector<Byte> previous;
        for (int y = pass.Y, n = 0; y < png.Height; y += pass.DY, ++n) {
            std::vector<Word> samples;
            for (int x = pass.X; x < png.Width; x += pass.DX)
                for (int s = 0; s < spp; ++s)
                    samples.push_back(png.Samples[(size_t(y) * png.Width + x) * spp + s]);
            if (samples.empty()) return;
            const std::vector<Byte> row = PackRow(png, samples);
            if (previous.empty()) previous.assign(row.size(), 0);
            FilterRow(rows, row, previous, (n + passIndex) % 5, bpp);
            previous = row;
        }
    };
    if (png.Interlaced)
        for (int pass = 0; pass < 7; ++pass) encodePass(Adam7[pass], pass);
    else
        encodePass({0, 1, 0, 1}, 0);
    uLongf size = compressBound(uLong(rows.size()));
    TPngBytes packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()));
    packed.resize(size);
    return packed;
}

TPngBytes EncodePng(const TTestPng& png) {
    TPngBytes file = PngSignature + PngHeader(unsigned(png.Width), unsigned(png.Height),
                                              png.BitDepth, png.ColourType, 0, png.Interlaced);
    if (!png.Palette.empty()) {
        TPngBytes entries;
        for (const auto& colour : png.Palette)
            entries += {char(colour[0]), char(colour[1]), char(colour[2])};
        file += PngChunk("PLTE", entries);
    }
    for (const auto& [type, data] : png.Extra) file += PngChunk(type.c_str(), data);
    return file + PngChunk("IDAT", PngImageData(png)) + PngChunk("IEND", {});
}

TRGBA DecodedPixel(TBitmap& bitmap, int x, int y) {
    const Byte* row = static_cast<const Byte*>(bitmap.ScanLine(y));
    switch (bitmap.PixelFormat()) {
    case pf32bit: return {row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
    case pf24bit: return {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
    default: break;
    }
    const int bits = bitmap.PixelFormat() == pf1bit ? 1 : bitmap.PixelFormat() == pf4bit ? 4 : 8;
    const int perByte = 8 / bits;
    const int index = row[x / perByte] >> (8 - bits * (x % perByte + 1)) & ((1 << bits) - 1);
    RGBQUAD colour{};
    GetDIBColorTable(bitmap.Canvas()->Handle(), UINT(index), 1, &colour);
    return {colour.rgbRed, colour.rgbGreen, colour.rgbBlue, 255};
}
