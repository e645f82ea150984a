// The colour manager: setters, converter choice, the mask walk, sample scaling, palettes and
// the gamma table, from its rules' edge cases.
#include "skin/engine/acColorConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

TColorManager* NewManager(TColorScheme source, Byte sourceBits, Byte sourceSamples,
                          TColorScheme target, Byte targetBits, Byte targetSamples) {
    auto* cm = new TColorManager;
    cm->SetSourceColorScheme(source);
    cm->SetSourceBitsPerSample(sourceBits);
    cm->SetSourceSamplesPerPixel(sourceSamples);
    cm->SetTargetColorScheme(target);
    cm->SetTargetBitsPerSample(targetBits);
    cm->SetTargetSamplesPerPixel(targetSamples);
    return cm;
}

struct TManager {
    std::unique_ptr<TColorManager> Manager;
    TManager(TColorScheme source, Byte sourceBits, Byte sourceSamples, TColorScheme target,
             Byte targetBits, Byte targetSamples)
        : Manager(
              NewManager(source, sourceBits, sourceSamples, target, targetBits, targetSamples)) {}
    TColorManager* operator->() const { return Manager.get(); }
    std::vector<Byte> Row(const std::vector<Byte>& source, Cardinal count, Byte mask,
                          std::vector<Byte> target) const {
        const void* planes[] = {source.data()};
        Manager->ConvertRow(planes, target.data(), count, mask);
        return target;
    }
};

std::vector<PALETTEENTRY> Entries(HPALETTE palette) {
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
    GetPaletteEntries(palette, 0, UINT(entries.size()), entries.data());
    DeleteObject(palette);
    return entries;
}

void ExpectError(const std::function<void()>& action, const wchar_t* message) {
    try {
        action();
        ADD_FAILURE() << "no error";
    } catch (const EColorConversionError& error) {
        EXPECT_EQ(error.Message(), message);
    }
}

TEST(ColorConversion, SettersAndChoice) {
    TColorManager cm;
    cm.SetSourceBitsPerSample(3); // accepted although the message names 1, 2, 4, 8 and 16
    EXPECT_EQ(cm.SourceBitsPerSample(), 3);
    const wchar_t* depth = L"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
    ExpectError([&] { cm.SetSourceBitsPerSample(0); }, depth);
    ExpectError([&] { cm.SetTargetBitsPerSample(17); }, depth);
    EXPECT_EQ(cm.SourceBitsPerSample(), 3); // a failing setter changes nothing
    const wchar_t* samples =
        L"Sample count per pixel does not correspond to the given color scheme.";
    ExpectError([&] { cm.SetSourceSamplesPerPixel(5); }, samples);
    ExpectError([&] { cm.SetTargetSamplesPerPixel(0); }, samples);

    // csGA to csIndexed is allowed (both count as indexed); csG to csRGB is not.
    TManager ga(csGA, 8, 1, csIndexed, 8, 1);
    EXPECT_EQ(ga.Row({10, 200, 20, 100}, 2, 0xFF, {0, 0}), (std::vector<Byte>{10, 20}));
    TManager g(csG, 8, 1, csRGB, 8, 3);
    ExpectError(
        [&] {
            g.Row({1}, 1, 0xFF, {0, 0, 0});
        },
        L"Conversion between indexed and non-indexed pixel formats is not supported.");
    TManager cmy(csCMY, 8, 3, csRGB, 8, 3);
    ExpectError(
        [&] {
            cmy.Row({1, 2, 3}, 1, 0xFF, {0, 0, 0});
        },
        L"Color conversion failed. Could not find a proper method.");

    EXPECT_EQ(TManager(csG, 1, 1, csG, 1, 1)->TargetPixelFormat(), pf1bit);
    EXPECT_EQ(TManager(csG, 2, 1, csG, 4, 1)->TargetPixelFormat(), pf4bit);
    EXPECT_EQ(TManager(csRGB, 8, 3, csBGR, 5, 3)->TargetPixelFormat(), pf15bit);
    EXPECT_EQ(TManager(csRGB, 8, 3, csBGR, 8, 3)->TargetPixelFormat(), pf24bit);
    EXPECT_EQ(TManager(csRGB, 8, 3, csBGRA, 8, 4)->TargetPixelFormat(), pf32bit);
    EXPECT_EQ(TManager(csRGB, 8, 3, csBGR, 8, 2)->TargetPixelFormat(), pfDevice); // custom
}

TEST(ColorConversion, IndexedRows) {
    // 2 to 4 bits: 0, 1, 2, 3 become 0, 5, 10, 15.
    TManager two(csIndexed, 2, 1, csIndexed, 4, 1);
    EXPECT_EQ(two.Row({0x1B}, 4, 0xFF, {0, 0}), (std::vector<Byte>{0x05, 0xAF}));
    // Mask 0x88 over 9 pixels writes 0, 4 and 8 from three consecutive source pixels and
    // keeps the other bits of the target bytes.
    TManager eight(csIndexed, 8, 1, csIndexed, 8, 1);
    EXPECT_EQ(eight.Row({7, 8, 9}, 9, 0x88, std::vector<Byte>(9, 1)),
              (std::vector<Byte>{7, 1, 1, 1, 8, 1, 1, 1, 9}));
    TManager one(csIndexed, 1, 1, csIndexed, 1, 1);
    EXPECT_EQ(one.Row({0xE0}, 9, 0x88, {0x55, 0x55}), (std::vector<Byte>{0xDD, 0xD5}));
    // 16 bits, big-endian in the source.
    TManager wide(csG, 16, 1, csG, 8, 1);
    wide->SourceOptions = {coNeedByteSwap};
    EXPECT_EQ(wide.Row({0xFF, 0xFE, 0xFF, 0xFF, 0x80, 0x00}, 3, 0xFF, {0, 0, 0}),
              (std::vector<Byte>{254, 255, 127}));
    TManager narrow(csIndexed, 16, 1, csIndexed, 4, 1);
    narrow->SourceOptions = {coNeedByteSwap};
    EXPECT_EQ(narrow.Row({0xFF, 0xFF, 0x11, 0x11}, 2, 0xFF, {0}), (std::vector<Byte>{0xF1}));
    TManager widen(csIndexed, 4, 1, csIndexed, 16, 1);
    EXPECT_EQ(widen.Row({0xF1}, 2, 0xFF, {0, 0, 0, 0}),
              (std::vector<Byte>{0xFF, 0xFF, 0x11, 0x11}));
}

TEST(ColorConversion, ColourRows) {
    // RGBA to BGRA: straight alpha copied; a target without alpha drops it.
    TManager rgba(csRGBA, 8, 4, csBGRA, 8, 4);
    EXPECT_EQ(rgba.Row({1, 2, 3, 4, 5, 6, 7, 8}, 2, 0xFF, std::vector<Byte>(8)),
              (std::vector<Byte>{3, 2, 1, 4, 7, 6, 5, 8}));
    TManager drop(csRGBA, 8, 4, csRGB, 8, 3);
    EXPECT_EQ(drop.Row({1, 2, 3, 4}, 1, 0xFF, std::vector<Byte>(3)), (std::vector<Byte>{1, 2, 3}));
    // Only the target has alpha: it is left untouched.
    TManager keep(csBGR, 8, 3, csBGRA, 8, 4);
    EXPECT_EQ(keep.Row({1, 2, 3}, 1, 0xFF, {9, 9, 9, 9}), (std::vector<Byte>{1, 2, 3, 9}));
    // 16 to 8 bits truncates: 65534 gives 254, 65535 gives 255.
    TManager wide(csRGB, 16, 3, csBGR, 8, 3);
    wide->SourceOptions = {coNeedByteSwap};
    EXPECT_EQ(wide.Row({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00}, 1, 0xFF, std::vector<Byte>(3)),
              (std::vector<Byte>{0, 255, 254}));
    // Planar sources: one pointer per plane.
    TColorManager planar;
    const Byte r[] = {10, 11}, gr[] = {20, 21}, b[] = {30, 31};
    const void* planes[] = {r, gr, b};
    Byte target[6] = {};
    planar.ConvertRow(planes, target, 2, 0xFF);
    EXPECT_EQ(std::vector<Byte>(target, target + 6), (std::vector<Byte>{30, 20, 10, 31, 21, 11}));
}

TEST(ColorConversion, OtherSchemes) {
    TManager cmyk(csCMYK, 8, 4, csRGB, 8, 3);
    // X K / 255 - X - K + 255: C 255, M 0, Y 128, K 0 gives R 0, G 255, B 127.
    EXPECT_EQ(cmyk.Row({255, 0, 128, 0}, 1, 0xFF, std::vector<Byte>(3)),
              (std::vector<Byte>{0, 255, 127}));
    TManager lab(csCIELab, 8, 3, csBGR, 8, 3);
    lab->SourceOptions = {coLabByteRange, coLabChromaOffset};
    EXPECT_EQ(lab.Row({255, 128, 128}, 1, 0xFF, std::vector<Byte>(3)),
              (std::vector<Byte>{255, 255, 255}));
    TManager ycc(csYCbCr, 8, 3, csRGB, 8, 3);
    // Neutral chroma keeps the luma; Cr 255 adds Round(1.402 × 127) = 178 to red and takes 91
    // from green.
    EXPECT_EQ(ycc.Row({100, 128, 128, 50, 128, 255}, 2, 0xFF, std::vector<Byte>(6)),
              (std::vector<Byte>{100, 100, 100, 228, 0, 50}));
}

TEST(ColorConversion, Palettes) {
    auto grey = TManager(csG, 1, 1, csG, 1, 1);
    auto entries = Entries(grey->CreateGrayscalePalette(false));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].peRed, 0);
    EXPECT_EQ(entries[1].peRed, 255);
    entries = Entries(TManager(csG, 4, 1, csG, 4, 1)->CreateGrayscalePalette(true));
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries[0].peGreen, 255); // minimum is white
    EXPECT_EQ(entries[14].peGreen, 17);

    // A 2-bit palette for a 4-bit target puts entry v at 5v .. 5v + 4; fewer colours than the
    // depth allows leave the rest black.
    const Byte triples[] = {1, 2, 3, 4, 5, 6};
    const void* data[] = {triples};
    entries =
        Entries(TManager(csIndexed, 2, 1, csIndexed, 4, 1)->CreateColorPalette(data, 0, 2, false));
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries[4].peBlue, 3);
    EXPECT_EQ(entries[5].peRed, 4);
    EXPECT_EQ(entries[9].peGreen, 5);
    EXPECT_EQ(entries[10].peRed, 0);
    EXPECT_EQ(entries[15].peRed, 0);
    // With Flag set 8-bit triples are B, G, R.
    entries =
        Entries(TManager(csIndexed, 8, 1, csIndexed, 8, 1)->CreateColorPalette(data, 0, 1, true));
    EXPECT_EQ(entries[0].peRed, 3);
    EXPECT_EQ(entries[0].peBlue, 1);
    // Widening from a 16-bit source would index past 256 entries: refused.
    ExpectError(
        [&] { TManager(csIndexed, 16, 1, csIndexed, 8, 1)->CreateColorPalette(data, 0, 2, false); },
        L"Palettes are made for sources of at most 8 bits per sample.");
}

TEST(ColorConversion, GammaTable) {
    TColorManager cm;
    cm.SetGamma(0.45455f, 2.2f); // practically the identity
    for (int i = 0; i < 256; ++i) EXPECT_EQ(cm.GammaTable()[i], i);
    cm.SetGamma(1.0f, 0); // a display gamma of 0 means 2.2
    EXPECT_EQ(cm.GammaTable()[128], Byte(std::nearbyint(255 * std::pow(128 / 255.0, 1 / 2.2))));
    // A 4-bit source with a 16-bit target fills 256 entries at most, not 65,536.
    TManager deep(csG, 4, 1, csG, 16, 1);
    deep->SetGamma(1.0f, 1.0f);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(deep->GammaTable()[i], i);
    // Gamma reaches colour samples of 8-bit results only, never alpha.
    TManager rgba(csRGBA, 8, 4, csBGRA, 8, 4);
    rgba->SetGamma(1.0f, 2.2f);
    rgba->TargetOptions = {coApplyGamma};
    const Byte g = rgba->GammaTable()[64];
    EXPECT_EQ(rgba.Row({64, 64, 64, 64}, 1, 0xFF, std::vector<Byte>(4)),
              (std::vector<Byte>{g, g, g, 64}));
}

} // namespace
