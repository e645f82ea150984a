// Gradients of skin sections: the bands that GRADIENTDATA and HOTGRADIENTDATA describe, and
// their painting into 24- and 32-bit bitmaps.
//
// A gradient text is a list of ";"-separated integers, five per band: first colour, second
// colour, the band's share in percent, the direction mode, and one field that is not read.
// Rows and columns are painted here through scan lines; the triangle mesh goes to the system's
// GradientFill, bound by name at start-up (null while unbound, and then nothing is painted).
#pragma once

#include "framework/Graphics.h"

#include <windows.h>

#include <vector>

struct TsGradPie {
    TColor Color1 = 0;
    TColor Color2 = 0;
    Integer Percent = 0; // 0..100
    Integer Mode1 = 0;   // 0 rows, 1 columns, 2 triangles
    Integer Mode2 = 0;
};
using TsGradArray = std::vector<TsGradPie>;

// Replaces Arr with the bands of Text: (non-empty words) div 5 bands; colours below 0 become 0,
// percentages are limited to 0..100. EConvertError when a word read is not an integer.
void ParseGradientData(const UnicodeString& Text, TsGradArray& Arr);

using TGradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
extern TGradientFillProc GradientFillProc;

// Paints Arr into R (limited to the bitmap) of a 24- or 32-bit bitmap, in the direction of the
// first band's Mode1: 0 bands from top to bottom, 1 from left to right, 2 a four-triangle mesh
// through GradientFillProc; other modes and an empty Arr paint nothing. Offset moves vertical
// bands down. Written pixels of a 32-bit bitmap get alpha 255.
void PaintGradient(TBitmap* Bmp, TRect R, const TsGradArray& Arr, int Offset = 0);
