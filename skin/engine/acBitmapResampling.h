// The skin engine's bitmap resampler: a separable filtered scaler that the alpha image list
// uses to bring pictures to its item size. A horizontal pass writes a temporary bitmap, a
// vertical pass the destination; each pass precomputes, per destination pixel, the weighted
// source samples that make it, in 16.16 fixed point, and walks raw scan-line memory with
// strides.
//
// Filters: 0 box, 1 triangle, 2 Hermite, 3 bell, 4 B-spline, 5 windowed sine, 6 Mitchell.
// Samples beyond the edge are mirrored back into the source, and the mirrored index is kept
// inside the source even when the filter is wider than the source itself.
#pragma once

#include "framework/Graphics.h"

#include <vector>

struct TContributor {
    Integer Pixel;  // byte offset of the source sample
    Integer Weight; // real weight × 65536, rounded
};
// One entry per destination pixel.
using TContributorList = std::vector<std::vector<TContributor>>;

// The filter's weight for a distance in source pixels at scale 1, and its support radius.
float ResampleFilterWeight(int Filter, float X);
float ResampleFilterSupport(int Filter);

void BuildContributions(TContributorList& List, int DstSize, int SrcSize, int Stride, int Filter);

// Dst holds Src scaled to NewWidth x NewHeight, 32-bit when Src is, else 24-bit (Src is
// switched to that format). A source narrower or lower than 2 pixels raises Exception
// "Source bitmap is too small"; a size of 0 leaves Dst empty.
void ResampleBmp(TBitmap* Src, TBitmap* Dst, int NewWidth, int NewHeight, int Filter);
