// The separable resampler (see acBitmapResampling.h).
#include "skin/engine/acBitmapResampling.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float Supports[7] = {0.51f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};

int Mirrored(int j, int size) {
    if (j < 0) j = -j;
    if (j >= size) j = 2 * size - 1 - j;
    // A filter wider than the source mirrors past the far edge: keep the sample inside.
    return std::clamp(j, 0, size - 1);
}

// One line: each destination pixel's channels summed over its contributors.
void ApplyLine(const TContributorList& list, const Byte* source, Byte* target, int step,
               int channels) {
    for (const auto& entry : list) {
        for (int c = 0; c < channels; ++c) {
            Integer sum = 0;
            for (const TContributor& pair : entry)
                if (pair.Weight) sum += pair.Weight * source[pair.Pixel + c];
            target[c] = sum < 0 ? 0 : sum <= 0xFF0000 ? static_cast<Byte>(sum >> 16) : 255;
        }
        target += step;
    }
}

NativeInt RowDistance(TBitmap* bitmap) {
    return static_cast<Byte*>(bitmap->ScanLine(1)) - static_cast<Byte*>(bitmap->ScanLine(0));
}

} // namespace

float ResampleFilterSupport(int Filter) { return Supports[std::clamp(Filter, 0, 6)]; }

float ResampleFilterWeight(int Filter, float X) {
    const float x = std::fabs(X);
    const float pi = std::numbers::pi_v<float>;
    switch (std::clamp(Filter, 0, 6)) {
    case 0: return X > -0.5f && X <= 0.5f ? 1.0f : 0.0f;
    case 1: return x < 1 ? 1 - x : 0;
    case 2: return x < 1 ? x * x * (2 * x - 3) + 1 : 0;
    case 3:
        if (x < 0.5f) return 0.75f - x * x;
        return x < 1.5f ? 0.5f * (x - 1.5f) * (x - 1.5f) : 0;
    case 4:
        if (x < 1) return x * x * (x / 2 - 1) + 2.0f / 3;
        return x < 2 ? (2 - x) * (2 - x) * (2 - x) / 6 : 0;
    case 5:
        if (x == 0) return 1;
        return x < 3 ? std::sin(pi * x) * std::sin(x) / (pi * x * x) : 0;
    default:
        if (x < 1) return x * x * (7.0f / 6 * x - 2) + 8.0f / 9;
        return x < 2 ? x * x * (-7.0f / 18 * x + 2) - 10.0f / 3 * x + 16.0f / 9 : 0;
    }
}

void BuildContributions(TContributorList& List, int DstSize, int SrcSize, int Stride, int Filter) {
    const float support = ResampleFilterSupport(Filter);
    const float scale = DstSize < SrcSize ? float(DstSize) / float(SrcSize) : 1.0f;
    const float width = support / scale;
    List.assign(static_cast<size_t>(std::max(DstSize, 0)), {});
    for (int i = 0; i < DstSize; ++i) {
        auto& entry = List[i];
        entry.reserve(static_cast<size_t>(width * 2 + 1));
        const float centre = float(SrcSize) * float(i) / float(DstSize);
        const int last = static_cast<int>(std::ceil(centre + width));
        for (int j = static_cast<int>(std::floor(centre - width)); j <= last; ++j) {
            const float x = std::fabs(centre - float(j)) * scale;
            if (x >= support) continue;
            const float w = ResampleFilterWeight(Filter, x);
            if (w != 0)
                entry.push_back({Mirrored(j, SrcSize) * Stride,
                                 static_cast<Integer>(std::nearbyint(w * scale * 65536))});
        }
    }
}

void ResampleBmp(TBitmap* Src, TBitmap* Dst, int NewWidth, int NewHeight, int Filter) {
    if (Src->Width() < 2 || Src->Height() < 2) throw Exception(L"Source bitmap is too small");
    if (NewWidth == Src->Width() && NewHeight == Src->Height()) {
        if (Dst != Src) Dst->Assign(Src);
        return;
    }
    const TPixelFormat format = Src->PixelFormat() == pf32bit ? pf32bit : pf24bit;
    const int pixel = format == pf32bit ? 4 : 3;
    Src->SetPixelFormat(format);
    if (NewWidth < 1 || NewHeight < 1) {
        Dst->SetSize(0, 0);
        return;
    }
    const int srcHeight = Src->Height();
    TBitmap temporary(NewWidth, srcHeight, format);
    TContributorList list;
    BuildContributions(list, NewWidth, Src->Width(), pixel, Filter);
    for (int y = 0; y < srcHeight; ++y)
        ApplyLine(list, static_cast<Byte*>(Src->ScanLine(y)),
                  static_cast<Byte*>(temporary.ScanLine(y)), pixel, pixel);
    Dst->SetPixelFormat(format);
    Dst->SetSize(NewWidth, NewHeight);
    const NativeInt sourceRow = RowDistance(&temporary);
    BuildContributions(list, NewHeight, srcHeight, static_cast<int>(sourceRow), Filter);
    const NativeInt targetRow = NewHeight > 1 ? RowDistance(Dst) : 0;
    for (int x = 0; x < NewWidth; ++x)
        ApplyLine(list, static_cast<Byte*>(temporary.ScanLine(0)) + x * pixel,
                  static_cast<Byte*>(Dst->ScanLine(0)) + x * pixel, static_cast<int>(targetRow),
                  pixel);
}
