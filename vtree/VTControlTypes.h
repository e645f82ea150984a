// Control vocabulary the tree's model shares with the control layer: text alignment and reading
// order come from there, so that a tree and the controls beside it speak of them alike.
#pragma once

#include "framework/Controls.h"
