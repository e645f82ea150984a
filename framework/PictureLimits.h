// The size limit of the picture loaders (BMP, JPEG, PNG): one rule for every picture read from
// data.
#pragma once

#include "framework/Graphics.h"

// The largest picture a loader makes from data: no side above MaxPictureSide pixels and no more
// than MaxPicturePixels pixels in all (a 64 MB bitmap at 32 bits), far above any picture of
// this system. A header is checked against them before anything is allocated, so a few bytes
// cannot ask for gigabytes.
constexpr Int64 MaxPictureSide = 32767;
constexpr Int64 MaxPicturePixels = Int64{1} << 24;
// Raises EInvalidGraphic "<kind> image is too large" unless width × height fits the limits;
// sides of 0 or less are the caller's to refuse.
void CheckPictureSize(Int64 width, Int64 height, const UnicodeString& kind);
