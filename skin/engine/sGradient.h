// Gradients of skin sections: the bands that GRADIENTDATA and HOTGRADIENTDATA describe.
//
// A gradient text is a list of ";"-separated integers, five per band: first colour, second
// colour, the band's share in percent, the direction mode, and one field that is not read.
#pragma once

#include "framework/Graphics.h"

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
