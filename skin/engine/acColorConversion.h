// TColorManager: converts rows of pixel samples between colour schemes, sample counts and
// sample depths, builds palettes and grey ramps, and keeps a 256-entry gamma table.
//
// The PNG reader owns one per image and hands it every decoded row with the scan line to fill;
// besides the grey, indexed and RGB paths it takes, rows of CMYK, CIE L*a*b*, YCbCr and PhotoYCC
// samples are turned into RGB or BGR order. A converter is chosen lazily: changing a scheme, a
// depth or a sample count marks the manager changed and the next ConvertRow chooses again.
//
// Input checks that guard memory: the gamma table is never indexed past its 256 entries (a
// source under 8 bits fills at most 256 of them whatever the target depth), and palettes are
// refused for sources of more than 8 bits per sample, whose widening would index past 256
// entries.
#pragma once

#include "framework/Graphics.h"
#include "framework/Sets.h"

#include <array>
#include <span>

enum TColorScheme {
    csUnknown,
    csIndexed,
    csG,
    csGA,
    csRGB,
    csRGBA,
    csBGR,
    csBGRA,
    csCMY,
    csCMYK,
    csCIELab,
    csYCbCr,
    csPhotoYCC
};

enum TConvertOption { coAlpha, coApplyGamma, coNeedByteSwap, coLabByteRange, coLabChromaOffset };
using TConvertOptions = TSet<TConvertOption>;

class EColorConversionError : public Exception {
public:
    using Exception::Exception;
};

namespace color_detail {
// Whether a pixel mask selects target pixel `index`: bit 7 the first, period 8.
inline bool Selected(Byte mask, Cardinal index) { return (mask & (0x80 >> (index & 7))) != 0; }
} // namespace color_detail

// Source: one pointer for interleaved samples, one per plane for planar data.
using TRowSource = std::span<const void* const>;

class TColorManager : public TObject {
    CLASS_INFO(TColorManager, TObject)
public:
    TColorManager();

    Byte SourceBitsPerSample() const noexcept { return FSourceBPS; }
    void SetSourceBitsPerSample(Byte value);
    Byte TargetBitsPerSample() const noexcept { return FTargetBPS; }
    void SetTargetBitsPerSample(Byte value);
    Byte SourceSamplesPerPixel() const noexcept { return FSourceSPP; }
    void SetSourceSamplesPerPixel(Byte value);
    Byte TargetSamplesPerPixel() const noexcept { return FTargetSPP; }
    void SetTargetSamplesPerPixel(Byte value);
    TColorScheme SourceColorScheme() const noexcept { return FSourceScheme; }
    void SetSourceColorScheme(TColorScheme value);
    TColorScheme TargetColorScheme() const noexcept { return FTargetScheme; }
    void SetTargetColorScheme(TColorScheme value);
    TConvertOptions SourceOptions;
    TConvertOptions TargetOptions;
    // Formats without a bitmap counterpart answer pfDevice.
    TPixelFormat SourcePixelFormat() const noexcept;
    TPixelFormat TargetPixelFormat() const noexcept;

    // Converts Count target pixels; Mask selects them (bit 7 the first, rotating right), and a
    // source pixel is consumed only where a target pixel is written.
    void ConvertRow(TRowSource Source, void* Target, Cardinal Count, Byte Mask);
    // DataFormat: 0 8-bit triples, 1 8-bit quads, 2 and 3 three 8-bit planes, 4 16-bit triples,
    // 5 16-bit quads, 6 and 7 three 16-bit planes. The caller deletes the palette.
    HPALETTE CreateColorPalette(TRowSource Data, int DataFormat, Cardinal ColorCount, bool Flag);
    HPALETTE CreateGrayscalePalette(bool MinimumIsWhite);
    void SetGamma(float MainGamma, float DisplayGamma);
    [[noreturn]] void Error(const UnicodeString& Msg);

    const std::array<Byte, 256>& GammaTable() const noexcept { return FGammaTable; }

private:
    using TRowConversion = void (TColorManager::*)(TRowSource, Byte*, Cardinal, Byte);

    void ChooseRowConverter();
    TRowConversion ChooseIndexed() const;
    TRowConversion ChooseByTarget(TRowConversion toRGB, TRowConversion toBGR) const;
    void BuildChromaTables();
    void SetDepth(Byte& field, Byte value);
    void SetSamples(Byte& field, Byte value);

    // Sample readers: a 16-bit sample is read in host order and swapped with coNeedByteSwap;
    // colour samples of 8-bit results pass the gamma table with coApplyGamma.
    Word SourceWord(const Byte* sample) const noexcept;
    Byte ColourToByte8(Byte value) const noexcept;
    Byte ColourToByteWide(const Byte* sample) const noexcept;
    Word ColourToWord(const Byte* sample) const noexcept;
    Word AlphaToWord(const Byte* sample) const noexcept;
    Byte AlphaToByte(const Byte* sample) const noexcept;
    void PutWord(Byte* target, Word value) const noexcept;

    void RowIndexed8(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowIndexed16To8(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowIndexed8To16(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowIndexed16To16(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowGray(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowRGBToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowRGBToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowBGRToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowBGRToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowColour(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask, bool sourceRGB,
                   bool targetRGB);
    void RowCMYKToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowCMYKToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowCMYK(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask, bool targetRGB);
    void RowLabToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowLabToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowLab(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask, bool targetRGB);
    void RowYCbCrToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowYCbCrToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask);
    void RowYCbCr(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask, bool targetRGB);
    // Writes R, G and B (values of the target's depth) in the target's order; a target alpha
    // sample is left alone.
    void PutTriple(Byte* target, const Cardinal (&rgb)[3], bool targetRGB) const noexcept;
    // R, G, B of 8-bit results widened to the target's depth.
    void PutTriple8(Byte* target, const Byte (&rgb)[3], bool targetRGB) const noexcept;
    Cardinal TargetPixelBytes() const noexcept;

    bool FChanged = true;
    Byte FSourceBPS = 8;
    Byte FTargetBPS = 8;
    Byte FSourceSPP = 3;
    Byte FTargetSPP = 3;
    float FMainGamma = 1.0f;
    float FDisplayGamma = 2.2f;
    std::array<Byte, 256> FGammaTable{};
    float FYCbCrCoefficients[3] = {0.299f, 0.587f, 0.114f};
    std::array<Integer, 256> FCrToRedTable{};
    std::array<Integer, 256> FCbToBlueTable{};
    std::array<Integer, 256> FCrToGreenTable{};
    std::array<Integer, 256> FCbToGreenTable{};
    TColorScheme FSourceScheme = csRGB;
    TColorScheme FTargetScheme = csBGR;
    TRowConversion FRowConversion = nullptr;
};
