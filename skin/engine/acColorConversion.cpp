// TColorManager's settings, converter choice, gamma table and palettes (see acColorConversion.h);
// the row converters are in acColorConversionRows.cpp.
#include "skin/engine/acColorConversion.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool IsIndexedSource(TColorScheme scheme) {
    return scheme == csIndexed || scheme == csG || scheme == csGA;
}

bool HasAlpha(TColorScheme scheme) {
    return scheme == csGA || scheme == csRGBA || scheme == csBGRA;
}

void SetAlphaOption(TConvertOptions& options, TColorScheme scheme) {
    if (HasAlpha(scheme))
        options.Include(coAlpha);
    else
        options.Exclude(coAlpha);
}

TPixelFormat PixelFormatOf(Byte samples, Byte bits) {
    if (samples == 1) {
        if (bits == 1) return pf1bit;
        if (bits >= 2 && bits <= 4) return pf4bit;
        if (bits >= 8) return pf8bit;
    }
    if (samples == 3) return bits <= 5 ? pf15bit : pf24bit;
    if (samples == 4 && bits >= 8) return pf32bit;
    return pfDevice;
}

Cardinal MaxSample(Byte bits) { return (1u << bits) - 1; }

} // namespace

TColorManager::TColorManager() { SetGamma(1.0f, 2.2f); }

void TColorManager::Error(const UnicodeString& Msg) { throw EColorConversionError(Msg); }

void TColorManager::SetDepth(Byte& field, Byte value) {
    if (value == 0 || value > 16)
        Error(L"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
    FChanged = FChanged || field != value;
    field = value;
}

void TColorManager::SetSamples(Byte& field, Byte value) {
    if (value == 0 || value > 4)
        Error(L"Sample count per pixel does not correspond to the given color scheme.");
    FChanged = FChanged || field != value;
    field = value;
}

void TColorManager::SetSourceBitsPerSample(Byte value) { SetDepth(FSourceBPS, value); }
void TColorManager::SetTargetBitsPerSample(Byte value) { SetDepth(FTargetBPS, value); }
void TColorManager::SetSourceSamplesPerPixel(Byte value) { SetSamples(FSourceSPP, value); }
void TColorManager::SetTargetSamplesPerPixel(Byte value) { SetSamples(FTargetSPP, value); }

void TColorManager::SetSourceColorScheme(TColorScheme value) {
    FChanged = FChanged || FSourceScheme != value;
    FSourceScheme = value;
}

void TColorManager::SetTargetColorScheme(TColorScheme value) {
    FChanged = FChanged || FTargetScheme != value;
    FTargetScheme = value;
}

TPixelFormat TColorManager::SourcePixelFormat() const noexcept {
    return PixelFormatOf(FSourceSPP, FSourceBPS);
}

TPixelFormat TColorManager::TargetPixelFormat() const noexcept {
    return PixelFormatOf(FTargetSPP, FTargetBPS);
}

void TColorManager::ConvertRow(TRowSource Source, void* Target, Cardinal Count, Byte Mask) {
    if (FChanged) ChooseRowConverter();
    if (!FRowConversion) Error(L"Color conversion failed. Could not find a proper method.");
    (this->*FRowConversion)(Source, static_cast<Byte*>(Target), Count, Mask);
}

TColorManager::TRowConversion TColorManager::ChooseIndexed() const {
    const bool source16 = FSourceBPS == 16;
    const bool target16 = FTargetBPS == 16;
    const bool atLeast8 = FSourceBPS >= 8 && FTargetBPS >= 8;
    switch (FSourceScheme) {
    case csIndexed:
        if (source16)
            return target16 ? &TColorManager::RowIndexed16To16 : &TColorManager::RowIndexed16To8;
        return target16 ? &TColorManager::RowIndexed8To16 : &TColorManager::RowIndexed8;
    case csG:
        if (!source16 && !target16) return &TColorManager::RowIndexed8;
        return atLeast8 ? &TColorManager::RowGray : nullptr;
    default: // csGA
        return (FSourceBPS == 8 || source16) && (FTargetBPS == 8 || target16)
                   ? &TColorManager::RowGray
                   : nullptr;
    }
}

TColorManager::TRowConversion TColorManager::ChooseByTarget(TRowConversion toRGB,
                                                            TRowConversion toBGR) const {
    if (FTargetScheme == csRGB || FTargetScheme == csRGBA) return toRGB;
    if (FTargetScheme == csBGR || FTargetScheme == csBGRA) return toBGR;
    return nullptr;
}

void TColorManager::ChooseRowConverter() {
    FRowConversion = nullptr;
    const bool targetIndexed = FTargetScheme == csIndexed || FTargetScheme == csG;
    if (IsIndexedSource(FSourceScheme) != targetIndexed)
        Error(L"Conversion between indexed and non-indexed pixel formats is not supported.");
    SetAlphaOption(SourceOptions, FSourceScheme);
    SetAlphaOption(TargetOptions, FTargetScheme);
    // 16-bit L*a*b* sources and 16-bit chroma rows for 16-bit targets have no settled result:
    // they are refused rather than converted into an arbitrary picture.
    const bool chroma8 = FSourceBPS == 8 || (FSourceBPS == 16 && FTargetBPS == 8);
    switch (FSourceScheme) {
    case csIndexed:
    case csG:
    case csGA: FRowConversion = ChooseIndexed(); break;
    case csRGB:
    case csRGBA:
        FRowConversion = ChooseByTarget(&TColorManager::RowRGBToRGB, &TColorManager::RowRGBToBGR);
        break;
    case csBGR:
    case csBGRA:
        FRowConversion = ChooseByTarget(&TColorManager::RowBGRToRGB, &TColorManager::RowBGRToBGR);
        break;
    case csCMYK:
        FRowConversion = ChooseByTarget(&TColorManager::RowCMYKToRGB, &TColorManager::RowCMYKToBGR);
        break;
    case csCIELab:
        if (FSourceBPS == 8)
            FRowConversion =
                ChooseByTarget(&TColorManager::RowLabToRGB, &TColorManager::RowLabToBGR);
        break;
    case csYCbCr:
    case csPhotoYCC:
        if (!chroma8) break;
        BuildChromaTables();
        FRowConversion =
            ChooseByTarget(&TColorManager::RowYCbCrToRGB, &TColorManager::RowYCbCrToBGR);
        break;
    default: break;
    }
    // The colour converters walk whole bytes and words of samples.
    const auto wholeBytes = [](Byte bits) { return bits == 8 || bits == 16; };
    if (!IsIndexedSource(FSourceScheme) && (!wholeBytes(FSourceBPS) || !wholeBytes(FTargetBPS)))
        FRowConversion = nullptr;
    // Only the sample depths the converters walk are accepted: 1 to 8 and 16.
    const auto walkable = [](Byte bits) { return bits <= 8 || bits == 16; };
    if (!walkable(FSourceBPS) || !walkable(FTargetBPS)) FRowConversion = nullptr;
    FChanged = false;
}

void TColorManager::BuildChromaTables() {
    const float kr = FYCbCrCoefficients[0], kg = FYCbCrCoefficients[1], kb = FYCbCrCoefficients[2];
    const float r = 2 - 2 * kr, b = 2 - 2 * kb, gr = kr * r / kg, gb = kb * b / kg;
    const bool photo = FSourceScheme == csPhotoYCC;
    for (int i = 0; i < 256; ++i) {
        const float cr = static_cast<float>(i - (photo ? 137 : 128));
        const float cb = static_cast<float>(i - (photo ? 156 : 128));
        FCrToRedTable[i] = static_cast<Integer>(std::nearbyint(r * cr));
        FCbToBlueTable[i] = static_cast<Integer>(std::nearbyint(b * cb));
        FCrToGreenTable[i] = -static_cast<Integer>(std::nearbyint(gr * cr));
        FCbToGreenTable[i] = -static_cast<Integer>(std::nearbyint(gb * cb));
    }
}

void TColorManager::SetGamma(float MainGamma, float DisplayGamma) {
    FMainGamma = MainGamma > 0 ? MainGamma : 1.0f;
    FDisplayGamma = DisplayGamma > 0 ? DisplayGamma : 2.2f;
    const double exponent = 1.0 / (double(FMainGamma) * double(FDisplayGamma));
    // The table has 256 entries whatever the target depth: a 16-bit target must not make it
    // write 65,536.
    const Cardinal c = FSourceBPS >= 8 ? 255 : std::min<Cardinal>(MaxSample(FTargetBPS), 255);
    const double m = FTargetBPS >= 8 ? 255 : MaxSample(FTargetBPS);
    for (Cardinal i = 0; i <= c; ++i)
        FGammaTable[i] = static_cast<Byte>(std::nearbyint(m * std::pow(double(i) / c, exponent)));
}

HPALETTE TColorManager::CreateGrayscalePalette(bool MinimumIsWhite) {
    const int n = 1 << std::min(FTargetBPS * FTargetSPP, 8);
    const int step = 255 / std::max(n - 1, 1);
    std::vector<Byte> buffer(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(n);
    for (int i = 0; i < n; ++i) {
        Byte grey = static_cast<Byte>(step * i);
        if (TargetOptions.Contains(coApplyGamma)) grey = FGammaTable[grey];
        PALETTEENTRY& entry = palette->palPalEntry[MinimumIsWhite ? n - 1 - i : i];
        entry = {grey, grey, grey, 0};
    }
    return CreatePalette(palette);
}

HPALETTE TColorManager::CreateColorPalette(TRowSource Data, int DataFormat, Cardinal ColorCount,
                                           bool Flag) {
    if (FSourceBPS > 8) Error(L"Palettes are made for sources of at most 8 bits per sample.");
    const bool wide = DataFormat >= 4;
    const bool planar = (DataFormat & 3) >= 2;
    const Cardinal step = (DataFormat & 1) ? 4 : 3;
    if (Data.size() < (planar ? 3u : 1u)) Error(L"Color conversion failed. Missing palette data.");
    const Cardinal count = std::min<Cardinal>(ColorCount, 256);
    // Interleaved order: R, G, B for 8-bit samples without Flag and 16-bit ones with it.
    const bool rgbOrder = wide == Flag;
    std::vector<Byte> buffer(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    const Cardinal size = wide ? 2 : 1;
    for (Cardinal i = 0; i < count; ++i) {
        Byte rgb[3];
        for (int c = 0; c < 3; ++c) {
            const int index = planar || rgbOrder ? c : 2 - c;
            const Byte* sample =
                planar ? static_cast<const Byte*>(Data[c]) + i * size
                       : static_cast<const Byte*>(Data[0]) + (i * step + index) * size;
            rgb[c] = wide ? ColourToByteWide(sample) : ColourToByte8(*sample);
        }
        palette->palPalEntry[i] = {rgb[0], rgb[1], rgb[2], 0};
    }
    const Cardinal s = MaxSample(FSourceBPS), t = MaxSample(FTargetBPS);
    if (FTargetBPS <= 8 && s != t) {
        // Every entry is read before it is overwritten: upwards when narrowing, else downwards.
        const auto widen = [&](Cardinal j) {
            palette->palPalEntry[j] = palette->palPalEntry[j * s / t];
        };
        if (s >= t)
            for (Cardinal j = 0; j <= t; ++j) widen(j);
        else
            for (Cardinal j = t + 1; j-- > 0;) widen(j);
        palette->palNumEntries = static_cast<WORD>(t + 1);
    }
    return CreatePalette(palette);
}
