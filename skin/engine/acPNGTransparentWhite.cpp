// ClearTransparentWhite (see acPNG.h), with a pixel accessor of its own so that it may run while
// a caller holds the shared ones.
#include "skin/engine/acPNG.h"

#include "skin/engine/sAlphaGraph.h"

void ClearTransparentWhite(TBitmap* Bitmap) {
    TacFast32 pixels;
    if (!pixels.Attach(Bitmap)) return;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            if (pixels.ReadPixel(x, y) == 0x00FFFFFF) pixels.WritePixel(x, y, 0);
}
