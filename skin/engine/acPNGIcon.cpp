// TPNGGraphic::MakeIcon (see acPNG.h): the picture as the icon's colour bitmap and a mask of
// its own, set bits standing for transparent pixels.
#include "skin/engine/acPNG.h"

#include <cstring>

HICON TPNGGraphic::MakeIcon(bool ForceMask) {
    const bool keyed = ForceMask || PixelFormat() != pf32bit;
    if (keyed) SetPixelFormat(pf32bit);
    const int width = Width(), height = Height();
    const int stride = (width + 15) / 16 * 2; // monochrome rows are word-aligned
    std::vector<Byte> bits(static_cast<size_t>(stride) * height, 0);
    if (keyed && width >= 2 && height >= 2) {
        DWORD key;
        std::memcpy(&key, ScanLine(0), 4);
        for (int y = 0; y < height; ++y) {
            const auto* row = static_cast<const DWORD*>(ScanLine(y));
            for (int x = 0; x < width; ++x)
                if (row[x] == key) bits[size_t(y) * stride + x / 8] |= Byte(0x80 >> (x % 8));
        }
    }
    const TOwnedBitmap mask(CreateBitmap(width, height, 1, 1, bits.data()));
    ICONINFO info{TRUE, 0, 0, mask.Get(), Handle()};
    return CreateIconIndirect(&info);
}
