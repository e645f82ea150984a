// The library's drag cursors, drawn here as monochrome masks: an arrow at the hot spot (0, 0)
// and, below it to the right, one or more outlined sheets for what is being dragged.
#include "framework/Controls.h"

#include <array>

namespace {

constexpr int Size = 32;
using TMask = std::array<BYTE, Size * Size / 8>;

// A pixel of the picture: in the AND mask 0 draws, in the XOR mask 1 is white, 0 black.
void Put(TMask& andMask, TMask& xorMask, int x, int y, bool white) {
    const int bit = y * Size + x;
    const auto index = static_cast<std::size_t>(bit / 8);
    const auto value = static_cast<BYTE>(0x80 >> (bit % 8));
    andMask[index] &= static_cast<BYTE>(~value);
    if (white)
        xorMask[index] |= value;
    else
        xorMask[index] &= static_cast<BYTE>(~value);
}

void DrawArrow(TMask& andMask, TMask& xorMask) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x <= y / 2 + y / 4 && x < 12; ++x) {
            const bool edge = x == 0 || x == y / 2 + y / 4 || y == 15;
            Put(andMask, xorMask, x, y, !edge);
        }
}

void DrawSheet(TMask& andMask, TMask& xorMask, int left, int top) {
    for (int y = top; y < top + 10; ++y)
        for (int x = left; x < left + 12; ++x) {
            const bool edge = y == top || y == top + 9 || x == left || x == left + 11;
            Put(andMask, xorMask, x, y, !edge);
        }
}

} // namespace

HCURSOR controls_detail::MakeDragCursor(int pages) {
    TMask andMask;
    TMask xorMask{};
    andMask.fill(0xFF);
    DrawArrow(andMask, xorMask);
    for (int page = pages - 1; page >= 0; --page)
        DrawSheet(andMask, xorMask, 10 + 3 * page, 16 + 3 * page);
    return CreateCursor(GetModuleHandleW(nullptr), 0, 0, Size, Size, andMask.data(),
                        xorMask.data());
}
