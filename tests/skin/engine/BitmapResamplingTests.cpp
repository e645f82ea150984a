// The resampler: contributor weights of each filter worked out by hand, edge mirroring kept
// inside the source, and whole bitmaps scaled.
#include "skin/engine/acBitmapResampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

using TPairs = std::vector<std::pair<Integer, Integer>>; // (source index, weight)

TPairs Entry(const TContributorList& list, size_t index, int stride) {
    TPairs pairs;
    for (const TContributor& c : list[index]) pairs.push_back({c.Pixel / stride, c.Weight});
    return pairs;
}

TEST(BitmapResampling, WeightsOfEachFilter) {
    // Enlarging 2 to 4 (scale 1): destination pixel 1 sits at 0.5, between both sources, so
    // the weights are the filter's values at 0.5 and 1.5 (mirrored beyond the edges).
    struct TCase {
        int Filter;
        TPairs Expected;
    };
    const TCase cases[] = {
        {0, {{0, 65536}, {1, 65536}}}, // a distance of exactly 0.5 counts
        {1, {{0, 32768}, {1, 32768}}},
        {2, {{0, 32768}, {1, 32768}}},
        {3, {{0, 32768}, {1, 32768}}},
        {4, {{1, 1365}, {0, 31403}, {1, 31403}, {1, 1365}}},
        {6, {{1, -2276}, {0, 35044}, {1, 35044}, {1, -2276}}},
    };
    for (const TCase& c : cases) {
        TContributorList list;
        BuildContributions(list, 4, 2, 3, c.Filter);
        ASSERT_EQ(list.size(), 4u);
        EXPECT_EQ(Entry(list, 1, 3), c.Expected) << "filter " << c.Filter;
        // Destination pixel 0 sits on source 0: its weight there is the filter's peak.
        const TPairs first = Entry(list, 0, 3);
        const auto peak = std::find_if(first.begin(), first.end(),
                                       [](const auto& pair) { return pair.first == 0; });
        ASSERT_NE(peak, first.end());
        EXPECT_EQ(peak->second, std::lround(ResampleFilterWeight(c.Filter, 0) * 65536))
            << "filter " << c.Filter;
    }
    // Windowed sine: sin(πx) sin(x) / (π x²) at 0.5 and 1.5.
    TContributorList list;
    BuildContributions(list, 4, 2, 1, 5);
    const TPairs sine = Entry(list, 1, 1);
    ASSERT_EQ(sine.size(), 6u);
    EXPECT_EQ(sine[1], (std::pair<Integer, Integer>{1, -9248}));
    EXPECT_EQ(sine[2], (std::pair<Integer, Integer>{0, 40005}));
    EXPECT_EQ(sine[3], (std::pair<Integer, Integer>{1, 40005}));

    // Shrinking 4 to 2 with the triangle: scale 0.5, width 2, weights halved; j = -1 is
    // mirrored to sample 1.
    BuildContributions(list, 2, 4, 1, 1);
    EXPECT_EQ(Entry(list, 0, 1), (TPairs{{1, 16384}, {0, 32768}, {1, 16384}}));
    EXPECT_EQ(Entry(list, 1, 1), (TPairs{{1, 16384}, {2, 32768}, {3, 16384}}));
}

TEST(BitmapResampling, MirroredSamplesStayInsideTheSource) {
    // A 2-sample source shrunk or enlarged with filters up to three times its width.
    for (int filter = 0; filter <= 6; ++filter)
        for (int dst : {1, 5}) {
            TContributorList list;
            BuildContributions(list, dst, 2, 4, filter);
            for (const auto& entry : list)
                for (const TContributor& c : entry) {
                    EXPECT_GE(c.Pixel, 0) << "filter " << filter;
                    EXPECT_LE(c.Pixel, 4) << "filter " << filter;
                }
        }
}

// A bitmap of one row pattern repeated; pixel bytes as given.
TBitmap* Pattern(TPixelFormat format, int height, const std::vector<Byte>& row) {
    const int pixel = format == pf32bit ? 4 : 3;
    auto* bitmap = new TBitmap(int(row.size()) / pixel, height, format);
    for (int y = 0; y < height; ++y) std::memcpy(bitmap->ScanLine(y), row.data(), row.size());
    return bitmap;
}

std::vector<Byte> RowOf(TBitmap& bitmap, int y) {
    const int pixel = bitmap.PixelFormat() == pf32bit ? 4 : 3;
    const Byte* bytes = static_cast<const Byte*>(bitmap.ScanLine(y));
    return std::vector<Byte>(bytes, bytes + bitmap.Width() * pixel);
}

TEST(BitmapResampling, Bitmaps) {
    std::unique_ptr<TBitmap> src(
        Pattern(pf24bit, 2, {0, 0, 0, 100, 100, 100, 200, 200, 200, 40, 40, 40}));
    TBitmap dst;
    // Triangle 4 to 2: (100 + 0 + 100) / 4 = 50 and (100 + 2 × 200 + 40) / 4 = 135.
    ResampleBmp(src.get(), &dst, 2, 2, 1);
    EXPECT_EQ(dst.PixelFormat(), pf24bit);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(RowOf(dst, y), (std::vector<Byte>{50, 50, 50, 135, 135, 135}));

    // The box filter repeats pixels when enlarging; 32-bit bitmaps carry alpha through.
    std::unique_ptr<TBitmap> two(Pattern(pf32bit, 2, {1, 2, 3, 4, 5, 6, 7, 8}));
    ResampleBmp(two.get(), &dst, 6, 3, 0);
    ASSERT_EQ(dst.PixelFormat(), pf32bit);
    ASSERT_EQ(dst.Height(), 3);
    const std::vector<Byte> a{1, 2, 3, 4}, b{5, 6, 7, 8};
    std::vector<Byte> expected;
    for (const auto* p : {&a, &a, &b, &b, &b, &b})
        expected.insert(expected.end(), p->begin(), p->end());
    EXPECT_EQ(RowOf(dst, 0), expected);
    EXPECT_EQ(RowOf(dst, 2), expected);

    // A 2-pixel source shrunk with the widest filters reads only its own pixels.
    ResampleBmp(two.get(), &dst, 1, 1, 6);
    EXPECT_EQ(dst.Width(), 1);
    ResampleBmp(two.get(), &dst, 1, 1, 5);
    EXPECT_EQ(dst.Height(), 1);

    // The same size copies; a source under 2 x 2 is refused.
    ResampleBmp(src.get(), &dst, 4, 2, 3);
    EXPECT_EQ(RowOf(dst, 1), RowOf(*src, 1));
    std::unique_ptr<TBitmap> thin(Pattern(pf24bit, 1, {1, 2, 3, 4, 5, 6}));
    try {
        ResampleBmp(thin.get(), &dst, 4, 4, 1);
        ADD_FAILURE() << "a 1-pixel-high source was resampled";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), L"Source bitmap is too small");
    }
}

} // namespace
