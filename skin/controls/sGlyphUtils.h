// The glyph module of the skinned buttons: the image-list count the glyph painter relies on,
// the icon made from a 32-bit image, and the two hooks the skin engine calls into the
// controls (a skin-activation notice and the broadcast filter).
#pragma once

#include "framework/Controls.h"
#include "framework/ImageList.h"

// The list's image count, 0 for none.
int ImageListCount(TCustomImageList* List);
// The skin manager's notice that a skin was activated (True) or is about to go (False); the
// controls need nothing from it.
void SkinActivationChanged(bool Active);
// Asked before the children of an unskinned windowed child are walked by a broadcast: every
// such child's children are walked.
bool SkipBroadcastChildren(TControl* Control);
// An icon from an image: a colour bitmap copied from it and an all-opaque (black) 1-bit mask
// of its size; 0 when the system refuses. The caller owns the icon.
HICON PngToIcon(TBitmap* Image);
