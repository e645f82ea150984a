// The skin engine's blend kernels and a whole section paint over a 1920 x 1080 bitmap, each
// against a plain memcpy of the same bytes and against the system's AlphaBlend doing the same
// blend (constant alpha for the constant blends, a stretched one-pixel source for the colour
// mix, per-pixel alpha for the masked copy). Cold is the first run in the process, warm the
// best of the runs after it. Goals: every per-pixel blend at least 0.3 of memcpy's speed and at
// least as fast as AlphaBlend.
//
// Run from the build tree's bench folder: the section paint reads the generated test skin.
#include "framework/ModuleInit.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sSkinManager.h"
#include "skin/engine/sStyleSimply.h"

#include "BenchTiming.h"

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int W = 1920, H = 1080, Runs = 5;

using TBmp = std::unique_ptr<TBitmap, TFreeSkinObject>;

TBmp Noise(int Bytes, unsigned Seed) {
    TBmp bmp(Bytes == 4 ? CreateBmp32(W, H) : CreateBmp24(W, H));
    unsigned state = Seed;
    for (int y = 0; y < H; ++y) {
        auto* row = static_cast<Byte*>(bmp->ScanLine(y));
        for (int i = 0; i < W * Bytes; ++i)
            row[i] = Byte((state = state * 1664525u + 1013904223u) >> 24);
    }
    return bmp;
}

// Cold: the first copy in the process; warm: the best of the copies after it.
TFigures MemcpyFigures(int Bytes) {
    const size_t size = size_t(W) * H * Bytes;
    std::vector<Byte> from(size, 1), to(size, 2);
    TFigures figures;
    // The copy's result is read, so that the copy cannot be left out.
    volatile Byte sink = 0;
    figures.Cold = BestSeconds(1, [&] { std::memcpy(to.data(), from.data(), size); });
    sink = sink + to[size / 2];
    figures.Warm = BestSeconds(Runs, [&] {
        std::memcpy(to.data(), from.data(), size);
        sink = sink + to[size / 3];
    });
    std::printf("  (memcpy of %zu bytes: cold %.4f s, warm %.4f s)\n", size, figures.Cold,
                figures.Warm);
    return figures;
}

// Cold: the first run of Work in the process; warm: the best of the runs after it.
TFigures Time(const std::function<void()>& Work) {
    return Measure(Runs, [&] {
        Work();
        return 0;
    });
}

void AlphaBlendConstant(TBitmap* Dst, TBitmap* Src, Byte Alpha) {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, Alpha, 0};
    GdiAlphaBlend(Dst->Canvas()->Handle(), 0, 0, W, H, Src->Canvas()->Handle(), 0, 0, W, H, blend);
}

void Report(const char* What, int Bytes, const TFigures& Ours, const TFigures& System) {
    const TFigures copy = MemcpyFigures(Bytes);
    std::printf("%-34s cold %8.4f s  memcpy %.2f  AlphaBlend %.2f\n", What, Ours.Cold,
                copy.Cold / Ours.Cold, System.Cold / Ours.Cold);
    std::printf("%-34s warm %8.4f s  memcpy %.2f  AlphaBlend %.2f\n", What, Ours.Warm,
                copy.Warm / Ours.Warm, System.Warm / Ours.Warm);
}

} // namespace

int main() {
    TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    TsSkinManager* manager = Construct<TsSkinManager>(nullptr);
    manager->WriteSkinDirectory(L"..\\skins\\folders");
    manager->WriteSkinName(L"TestSections");
    const int section = manager->GetSkinIndex(L"FULL");
    if (section < 0) {
        std::printf("the test skin is missing: run from the build tree's bench folder\n");
        return 1;
    }
    std::printf("ratios: memcpy = memcpy time / ours (goal >= 0.30); AlphaBlend = its time / ours "
                "(goal >= 1.00)\n");
    for (int bytes : {4, 3}) {
        TBmp dst = Noise(bytes, 1), src = Noise(bytes, 2);
        const char* name = bytes == 4 ? "constant alpha, 32-bit" : "constant alpha, 24-bit";
        Report(name, bytes, Time([&] {
                   BlendBmpArea(dst.get(), src.get(), 102, TRect(0, 0, W, H), TPoint(0, 0));
               }),
               Time([&] { AlphaBlendConstant(dst.get(), src.get(), 153); }));
    }
    {
        TBmp dst = Noise(4, 3), one(CreateBmp32(1, 1));
        FillRect32(one.get(), TRect(0, 0, 1, 1), 0x336699);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 77, 0};
        Report("colour mix (BlendBmpWithColor)", 4,
               Time([&] { BlendBmpWithColor(dst.get(), TRect(0, 0, W - 1, H - 1), 70, 0x336699); }),
               Time([&] {
                   GdiAlphaBlend(dst->Canvas()->Handle(), 0, 0, W, H, one->Canvas()->Handle(), 0, 0,
                                 1, 1, blend);
               }));
    }
    {
        TBmp dst = Noise(3, 4), src = Noise(3, 5);
        Report("transparency (BlendTransparentRect)", 3, Time([&] {
                   BlendTransparentRect(dst.get(), 0, 0, src.get(), TRect(0, 0, W - 1, H - 1), 0.4,
                                        static_cast<TColor>(0xFF000000));
               }),
               Time([&] { AlphaBlendConstant(dst.get(), src.get(), 153); }));
    }
    {
        // A masked texture as large as the bitmap: image rows over mask rows.
        TsMaskData mask;
        mask.Bmp.reset(CreateBmp24(W, 2 * H));
        TBmp noise = Noise(3, 6);
        for (int top : {0, H})
            BitBlt(mask.Bmp->Canvas()->Handle(), 0, top, W, H, noise->Canvas()->Handle(), 0, 0,
                   SRCCOPY);
        mask.Manager = manager;
        mask.R = TRect(0, 0, W, 2 * H);
        mask.ImageCount = 1;
        mask.MaskType = 1;
        TBmp dst = Noise(4, 7), src = Noise(4, 8);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        Report("masked copy (CopyMaskedTexture)", 4,
               Time([&] { CopyMaskedTexture(dst.get(), TRect(0, 0, W, H), mask, EmptyCacheInfo); }),
               Time([&] {
                   GdiAlphaBlend(dst->Canvas()->Handle(), 0, 0, W, H, src->Canvas()->Handle(), 0, 0,
                                 W, H, blend);
               }));
    }
    {
        TBmp dst = Noise(4, 9), src = Noise(4, 10);
        const TsGeneralData& full = manager->gd[section];
        Report("  its background alone", 4, Time([&] {
                   PaintSkinBackground(section, L"FULL", EmptyCacheInfo, 0, TRect(0, 0, W, H),
                                       TPoint(0, 0), dst.get(), manager, -1, -1,
                                       TransparentKeyColor);
               }),
               Time([&] { AlphaBlendConstant(dst.get(), src.get(), 153); }));
        Report("  its border mask alone", 4, Time([&] {
                   PaintBorderMask(dst.get(), TRect(0, 0, W, H), true, EmptyCacheInfo,
                                   manager->ma[full.BorderIndex], 0, true);
               }),
               Time([&] { AlphaBlendConstant(dst.get(), src.get(), 153); }));
        Report("section: border, gradient, texture", 4, Time([&] {
                   PaintSkinItem(section, L"FULL", EmptyCacheInfo, true, 0, TRect(0, 0, W, H),
                                 TPoint(0, 0), dst.get(), manager);
               }),
               Time([&] { AlphaBlendConstant(dst.get(), src.get(), 153); }));
    }
    manager->Free();
    framework.Finalize();
    return 0;
}
