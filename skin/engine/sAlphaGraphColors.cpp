// Colour arithmetic on 0x00BBGGRR values: mixing, saturation and hue by the hexcone model. Skin
// colours are few, so these use real numbers; the results round halves to the even neighbour.
#include "skin/engine/sAlphaGraph.h"

#include "framework/Conversions.h"

#include <algorithm>
#include <cmath>

namespace {

int Channel(TColor Color, int Shift) { return (static_cast<DWORD>(Color) >> Shift) & 0xFF; }

int RoundToByte(double Value) { return ClampToByte(int(Round(std::clamp(Value, -1.0, 256.0)))); }

TColor FromChannels(int R, int G, int B) { return MakeColor(Byte(R), Byte(G), Byte(B)); }

} // namespace

TColor BlendColors(TColor C1, TColor C2, double W) {
    DWORD result = static_cast<DWORD>(C1) & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        result |= DWORD(RoundToByte(W * Channel(C1, shift) + (1 - W) * Channel(C2, shift)))
                  << shift;
    return static_cast<TColor>(result);
}

TColor ChangeColorSaturation(TColor Color, int Amount) {
    if (Amount == 0) return Color;
    const int r = Channel(Color, 0), g = Channel(Color, 8), b = Channel(Color, 16);
    const double grey = (r + g + b) / 3.0;
    auto move = [&](int c) { return RoundToByte(c + Amount * (grey - c) / 100); };
    return FromChannels(move(r), move(g), move(b));
}

TColor ShiftColorHue(int Delta, TColor Color) {
    const TColor rgb = ColorToRGB(Color);
    const int r = Channel(rgb, 0), g = Channel(rgb, 8), b = Channel(rgb, 16);
    const int v = std::max({r, g, b}), lowest = std::min({r, g, b});
    if (v == 0 || v == lowest) return rgb;
    const double s = double(v - lowest) / v, span = v - lowest;
    double hue = r == v ? (g - b) / span : g == v ? 2 + (b - r) / span : 4 + (r - g) / span;
    hue *= 60;
    if (hue < 0) hue += 360;
    // Any offset, negative ones too, lands on 0..359: a hue outside it has no sector.
    const int h = int(((Round(hue + Delta) % 360) + 360) % 360);
    const int sector = h / 60;
    const double f = h / 60.0 - sector;
    const int p = RoundToByte(v * (1 - s)), q = RoundToByte(v * (1 - f * s)),
              t = RoundToByte(v * (1 - (1 - f) * s));
    switch (sector) {
    case 0: return FromChannels(v, t, p);
    case 1: return FromChannels(q, v, p);
    case 2: return FromChannels(p, v, t);
    case 3: return FromChannels(p, q, v);
    case 4: return FromChannels(t, p, v);
    default: return FromChannels(v, p, q);
    }
}
