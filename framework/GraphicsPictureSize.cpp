// The size limit every picture loader checks a header against before it allocates pixels.
#include "framework/PictureLimits.h"

void CheckPictureSize(Int64 width, Int64 height, const UnicodeString& kind) {
    if (width > MaxPictureSide || height > MaxPictureSide || width * height > MaxPicturePixels)
        throw EInvalidGraphic(kind + L" image is too large");
}
