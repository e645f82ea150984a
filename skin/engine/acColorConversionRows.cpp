// TColorManager's row converters (see acColorConversion.h). Every converter walks Count target
// pixels; the mask's bit 7 selects the first, bit 6 the second and so on with period 8, and a
// source pixel is consumed only where a target pixel is written, so that the masks of an
// interlaced picture scatter one pass into a full row.
#include "skin/engine/acColorConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using color_detail::Selected;

namespace {

Cardinal ScaleWord(Cardinal a, Cardinal b, Cardinal c) { return a * b / c; }

Word Widen(Byte value) { return static_cast<Word>(value * 65535u / 255u); }

Word Swapped(Word value) { return static_cast<Word>((value >> 8) | (value << 8)); }

// Packed samples of 1 to 8 bits, most significant bits first, 8 div bits samples per byte.
Cardinal PackedSample(const Byte* row, Byte bits, Cardinal index) {
    const Cardinal perByte = 8 / bits;
    const Cardinal shift = 8 - bits * (index % perByte + 1);
    return (row[index / perByte] >> shift) & ((1u << bits) - 1);
}

void PutPackedSample(Byte* row, Byte bits, Cardinal index, Cardinal value) {
    const Cardinal perByte = 8 / bits;
    const Cardinal shift = 8 - bits * (index % perByte + 1);
    const Cardinal field = ((1u << bits) - 1) << shift;
    Byte& target = row[index / perByte];
    target = static_cast<Byte>((target & ~field) | ((value << shift) & field));
}

Cardinal MaxSample(Byte bits) { return (1u << bits) - 1; }

// Steps through the samples of interleaved or planar source pixels.
struct TPixelReader {
    TRowSource Source;
    Cardinal SampleBytes;
    Cardinal PixelBytes; // for interleaved data
    Cardinal Pixel = 0;

    const Byte* Sample(Cardinal index) const {
        if (Source.size() > 1) return static_cast<const Byte*>(Source[index]) + Pixel * SampleBytes;
        return static_cast<const Byte*>(Source[0]) + Pixel * PixelBytes + index * SampleBytes;
    }
};

} // namespace

Word TColorManager::SourceWord(const Byte* sample) const noexcept {
    Word value;
    std::memcpy(&value, sample, sizeof(value));
    return SourceOptions.Contains(coNeedByteSwap) ? Swapped(value) : value;
}

Byte TColorManager::ColourToByte8(Byte value) const noexcept {
    return TargetOptions.Contains(coApplyGamma) ? FGammaTable[value] : value;
}

Byte TColorManager::ColourToByteWide(const Byte* sample) const noexcept {
    return ColourToByte8(static_cast<Byte>(ScaleWord(SourceWord(sample), 255, 65535)));
}

Word TColorManager::ColourToWord(const Byte* sample) const noexcept {
    if (FSourceBPS == 16) return SourceWord(sample);
    const Word wide = Widen(ColourToByte8(*sample));
    return SourceOptions.Contains(coNeedByteSwap) ? Swapped(wide) : wide;
}

Word TColorManager::AlphaToWord(const Byte* sample) const noexcept {
    if (FSourceBPS == 16) return SourceWord(sample);
    const Word wide = Widen(*sample);
    return SourceOptions.Contains(coNeedByteSwap) ? Swapped(wide) : wide;
}

Byte TColorManager::AlphaToByte(const Byte* sample) const noexcept {
    if (FSourceBPS == 16) return static_cast<Byte>(ScaleWord(SourceWord(sample), 255, 65535));
    return *sample;
}

void TColorManager::PutWord(Byte* target, Word value) const noexcept {
    std::memcpy(target, &value, sizeof(value));
}

Cardinal TColorManager::TargetPixelBytes() const noexcept {
    return FTargetBPS / 8 * (TargetOptions.Contains(coAlpha) ? 4 : 3);
}

void TColorManager::PutTriple(Byte* target, const Cardinal (&rgb)[3],
                              bool targetRGB) const noexcept {
    for (int c = 0; c < 3; ++c) {
        const Cardinal value = rgb[targetRGB ? c : 2 - c];
        if (FTargetBPS == 16)
            PutWord(target + 2 * c, static_cast<Word>(value));
        else
            target[c] = static_cast<Byte>(value);
    }
}

void TColorManager::PutTriple8(Byte* target, const Byte (&rgb)[3], bool targetRGB) const noexcept {
    Cardinal values[3];
    for (int c = 0; c < 3; ++c) values[c] = FTargetBPS == 16 ? Widen(rgb[c]) : rgb[c];
    PutTriple(target, values, targetRGB);
}

// ---- grey and indexed ---------------------------------------------------------------------

void TColorManager::RowIndexed8(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    const auto* source = static_cast<const Byte*>(Source[0]);
    if (FSourceBPS == FTargetBPS && Mask == 0xFF) {
        std::memcpy(Target, source, (Count * FSourceBPS + 7) / 8);
        return;
    }
    const Cardinal from = MaxSample(FSourceBPS), to = MaxSample(FTargetBPS);
    for (Cardinal i = 0, next = 0; i < Count; ++i)
        if (Selected(Mask, i))
            PutPackedSample(Target, FTargetBPS, i,
                            ScaleWord(PackedSample(source, FSourceBPS, next++), to, from));
}

void TColorManager::RowIndexed16To8(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    const auto* source = static_cast<const Byte*>(Source[0]);
    const Cardinal to = MaxSample(FTargetBPS);
    for (Cardinal i = 0; i < Count; ++i)
        if (Selected(Mask, i)) {
            PutPackedSample(Target, FTargetBPS, i, ScaleWord(SourceWord(source), to, 65535));
            source += 2;
        }
}

void TColorManager::RowIndexed8To16(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    const auto* source = static_cast<const Byte*>(Source[0]);
    const Cardinal from = MaxSample(FSourceBPS);
    for (Cardinal i = 0, next = 0; i < Count; ++i)
        if (Selected(Mask, i)) {
            const auto value =
                static_cast<Word>(ScaleWord(PackedSample(source, FSourceBPS, next++), 65535, from));
            PutWord(Target + 2 * i,
                    SourceOptions.Contains(coNeedByteSwap) ? Swapped(value) : value);
        }
}

void TColorManager::RowIndexed16To16(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    const auto* source = static_cast<const Byte*>(Source[0]);
    if (Mask == 0xFF && !SourceOptions.Contains(coNeedByteSwap)) {
        std::memcpy(Target, source, Count * 2);
        return;
    }
    for (Cardinal i = 0; i < Count; ++i)
        if (Selected(Mask, i)) {
            PutWord(Target + 2 * i, SourceWord(source));
            source += 2;
        }
}

void TColorManager::RowGray(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    const auto* source = static_cast<const Byte*>(Source[0]);
    const Cardinal sourceStep = FSourceBPS / 8 * (SourceOptions.Contains(coAlpha) ? 2 : 1);
    for (Cardinal i = 0; i < Count; ++i) {
        if (!Selected(Mask, i)) continue;
        if (FTargetBPS == 16)
            PutWord(Target + 2 * i, FSourceBPS == 16 ? SourceWord(source) : Widen(*source));
        else
            Target[i] = AlphaToByte(source); // grey gets its gamma through the palette
        source += sourceStep;
    }
}

// ---- RGB and BGR --------------------------------------------------------------------------

void TColorManager::RowColour(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask,
                              bool sourceRGB, bool targetRGB) {
    const bool sourceAlpha = SourceOptions.Contains(coAlpha);
    const bool copyAlpha = sourceAlpha && TargetOptions.Contains(coAlpha);
    const Cardinal sampleBytes = FSourceBPS / 8;
    TPixelReader reader{Source, sampleBytes, sampleBytes * (sourceAlpha ? 4 : 3)};
    const Cardinal targetStep = TargetPixelBytes();
    const bool wide = FTargetBPS == 16;
    for (Cardinal i = 0; i < Count; ++i, Target += targetStep) {
        if (!Selected(Mask, i)) continue;
        Cardinal rgb[3];
        for (int c = 0; c < 3; ++c) {
            const Byte* sample = reader.Sample(sourceRGB ? c : 2 - c);
            rgb[c] = wide ? ColourToWord(sample)
                          : (FSourceBPS == 16 ? ColourToByteWide(sample) : ColourToByte8(*sample));
        }
        PutTriple(Target, rgb, targetRGB);
        if (copyAlpha) {
            if (wide)
                PutWord(Target + 6, AlphaToWord(reader.Sample(3)));
            else
                Target[3] = AlphaToByte(reader.Sample(3));
        }
        ++reader.Pixel;
    }
}

void TColorManager::RowRGBToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowColour(Source, Target, Count, Mask, true, true);
}
void TColorManager::RowRGBToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowColour(Source, Target, Count, Mask, true, false);
}
void TColorManager::RowBGRToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowColour(Source, Target, Count, Mask, false, true);
}
void TColorManager::RowBGRToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowColour(Source, Target, Count, Mask, false, false);
}
