// TColorManager's converters from CMYK, CIE L*a*b*, YCbCr and PhotoYCC rows into RGB or BGR
// order (see acColorConversion.h). None of them applies gamma; a target alpha sample is left
// alone.
#include "skin/engine/acColorConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using color_detail::Selected;

namespace {

Byte SaturateByte(int value) { return static_cast<Byte>(std::clamp(value, 0, 255)); }

Byte SaturateReal(double value) { return SaturateByte(static_cast<int>(std::nearbyint(value))); }

Cardinal HostWord(const Byte* sample) {
    Word value;
    std::memcpy(&value, sample, sizeof(value));
    return value;
}

const Byte* SampleAt(TRowSource Source, Cardinal planes, Cardinal pixel, Cardinal index,
                     Cardinal sampleBytes, Cardinal samplesPerPixel) {
    if (Source.size() == planes)
        return static_cast<const Byte*>(Source[index]) + pixel * sampleBytes;
    return static_cast<const Byte*>(Source[0]) + (pixel * samplesPerPixel + index) * sampleBytes;
}

} // namespace

// ---- CMYK ---------------------------------------------------------------------------------

void TColorManager::RowCMYK(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask,
                            bool targetRGB) {
    const Cardinal sampleBytes = FSourceBPS / 8;
    const Cardinal targetStep = TargetPixelBytes();
    for (Cardinal i = 0, pixel = 0; i < Count; ++i, Target += targetStep) {
        if (!Selected(Mask, i)) continue;
        const auto sample = [&](Cardinal index) {
            const Byte* at = SampleAt(Source, 4, pixel, index, sampleBytes, 4);
            return sampleBytes == 2 ? HostWord(at) : Cardinal{*at};
        };
        const Cardinal k = sample(3);
        Cardinal rgb[3];
        for (Cardinal c = 0; c < 3; ++c) {
            const Cardinal x = sample(c);
            if (FSourceBPS == 8) {
                const Byte value = SaturateByte(int(x * k / 255) - int(x) - int(k) + 255);
                rgb[c] = FTargetBPS == 16 ? value * 65535u / 255u : value;
            } else {
                const Cardinal t = x * k / 65535;
                rgb[c] = FTargetBPS == 16
                             ? (t - x - k - 1) & 0xFFFF
                             : SaturateByte(255 - int(((x + k - t) & 0xFFFF) * 255 / 65535));
            }
        }
        PutTriple(Target, rgb, targetRGB);
        ++pixel;
    }
}

void TColorManager::RowCMYKToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowCMYK(Source, Target, Count, Mask, true);
}
void TColorManager::RowCMYKToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowCMYK(Source, Target, Count, Mask, false);
}

// ---- CIE L*a*b* ---------------------------------------------------------------------------

void TColorManager::RowLab(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask,
                           bool targetRGB) {
    const Cardinal targetStep = TargetPixelBytes();
    const bool byteRange = SourceOptions.Contains(coLabByteRange);
    const bool chromaOffset = SourceOptions.Contains(coLabChromaOffset);
    for (Cardinal i = 0, pixel = 0; i < Count; ++i, Target += targetStep) {
        if (!Selected(Mask, i)) continue;
        const auto sample = [&](Cardinal index) {
            return *SampleAt(Source, 3, pixel, index, 1, 3);
        };
        const auto chroma = [&](Byte value) {
            return chromaOffset ? double(value) - 128 : double(static_cast<signed char>(value));
        };
        const double l = byteRange ? sample(0) / 2.55 : sample(0);
        const double a = chroma(sample(1)), b = chroma(sample(2));
        double x, y, z;
        if (l < 7.9996) {
            y = l / 903.3;
            x = y + a / 3893.5;
            z = y - b / 1557.4;
        } else {
            const double fy = (l + 16) / 116;
            x = std::pow(fy + a / 500, 3);
            y = fy * fy * fy;
            z = std::pow(fy - b / 200, 3);
        }
        const Byte rgb[3] = {SaturateReal((2.998 * x - 1.458 * y - 0.541 * z) * 255),
                             SaturateReal((-0.952 * x + 1.893 * y + 0.059 * z) * 255),
                             SaturateReal((0.099 * x - 0.198 * y + 1.099 * z) * 255)};
        PutTriple8(Target, rgb, targetRGB);
        ++pixel;
    }
}

void TColorManager::RowLabToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowLab(Source, Target, Count, Mask, true);
}
void TColorManager::RowLabToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowLab(Source, Target, Count, Mask, false);
}

// ---- YCbCr and PhotoYCC (one routine over the chroma tables) --------------------------------

void TColorManager::RowYCbCr(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask,
                             bool targetRGB) {
    const Cardinal sampleBytes = FSourceBPS / 8;
    const Cardinal targetStep = TargetPixelBytes();
    for (Cardinal i = 0, pixel = 0; i < Count; ++i, Target += targetStep) {
        if (!Selected(Mask, i)) continue;
        const auto sample = [&](Cardinal index) {
            const Byte* at = SampleAt(Source, 3, pixel, index, sampleBytes, 3);
            return sampleBytes == 2 ? Byte(SourceWord(at) * 255u / 65535u) : *at;
        };
        const int y = sample(0);
        const Byte cb = sample(1), cr = sample(2);
        const Byte rgb[3] = {SaturateByte(y + FCrToRedTable[cr]),
                             SaturateByte(y + FCbToGreenTable[cb] + FCrToGreenTable[cr]),
                             SaturateByte(y + FCbToBlueTable[cb])};
        PutTriple8(Target, rgb, targetRGB);
        ++pixel;
    }
}

void TColorManager::RowYCbCrToRGB(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowYCbCr(Source, Target, Count, Mask, true);
}
void TColorManager::RowYCbCrToBGR(TRowSource Source, Byte* Target, Cardinal Count, Byte Mask) {
    RowYCbCr(Source, Target, Count, Mask, false);
}
