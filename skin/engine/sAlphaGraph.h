// Pixel blending helpers of the skin engine that the fades use.
#pragma once

#include "framework/Graphics.h"

// Limits a value to 0..255.
constexpr int ClampToByte(int Value) { return Value < 0 ? 0 : (Value > 255 ? 255 : Value); }
// Both corners of Inner inside Outer, edges included.
bool RectContainsRect(const TRect& Outer, const TRect& Inner);
// Two 24-bit bitmaps of equal size, each at least 2 x 2 pixels (otherwise nothing happens):
// per channel Dst := (Dst x Alpha + Src x (255 - Alpha) + 127) shr 8, Alpha weighting Dst.
void BlendEqualBmps(TBitmap* Dst, TBitmap* Src, int Alpha);
// Greys a 24-bit bitmap (each pixel the average of its channels) except the pixels of Colour.
void GrayBmpExceptColor(TBitmap* Bmp, TColor Colour);
