// Control vocabulary the tree's model needs: text alignment (the control layer has none) and the
// reading order, which comes from the control layer.
#pragma once

#include "framework/Controls.h"

enum TAlignment : unsigned char { taLeftJustify, taRightJustify, taCenter };
