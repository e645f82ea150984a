// Control vocabulary the tree's model needs before the visual control layer exists: text
// alignment and reading order. When the control layer provides these types, this header should
// include it instead of declaring them.
#pragma once

enum TAlignment : unsigned char { taLeftJustify, taRightJustify, taCenter };
enum TBiDiMode : unsigned char {
    bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly
};
