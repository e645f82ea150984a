// Pixel blending helpers of the skin engine that the fades use.
#pragma once

#include "framework/Graphics.h"
#include "skin/engine/sGeneralUtils.h"
// Both corners of Inner inside Outer, edges included.
bool RectContainsRect(const TRect& Outer, const TRect& Inner);
// Per channel Round(W x c1 + (1 - W) x c2), ties to even; C1's top byte carries over.
TColor BlendColors(TColor C1, TColor C2, double W);
// Two 24-bit bitmaps of equal size, each at least 2 x 2 pixels (otherwise nothing happens):
// per channel Dst := (Dst x Alpha + Src x (255 - Alpha) + 127) shr 8, Alpha weighting Dst.
void BlendEqualBmps(TBitmap* Dst, TBitmap* Src, int Alpha);
// Greys a 24-bit bitmap (each pixel the average of its channels) except the pixels of Colour.
void GrayBmpExceptColor(TBitmap* Bmp, TColor Colour);
