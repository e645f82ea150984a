// The blend kernels and AlphaBlendRect. Plain scalar code: the compiler vectorises the loops,
// and the results are the formulas' bytes exactly (destination weight 256 - A, truncating
// shifts). DIB rows are found from the section's description, bottom-up for a positive height.
#include "vtree/VTResources.h"

#include <algorithm>

namespace {

inline Byte Clamp(int Value) { return static_cast<Byte>(std::clamp(Value, 0, 255)); }

inline int Mix(int Destination, int Source, int Alpha) {
    return (Destination * (256 - Alpha) + Source * Alpha) >> 8;
}

struct TDibBits {
    Byte* Bits = nullptr;
    int Width = 0;
    int Height = 0; // signed: positive for bottom-up rows

    Byte* Row(int Y) const {
        const int stored = Height > 0 ? Height - Y - 1 : Y;
        return Bits + static_cast<std::ptrdiff_t>(stored) * Width * 4;
    }
    int Rows() const { return Height < 0 ? -Height : Height; }
};

TDibBits DCBitmapBits(HDC DC) {
    TDibBits result;
    HGDIOBJ bitmap = GetCurrentObject(DC, OBJ_BITMAP);
    DIBSECTION section{};
    if (bitmap && GetObjectW(bitmap, sizeof(section), &section) == sizeof(section)) {
        if (section.dsBm.bmPlanes * section.dsBm.bmBitsPixel != 32)
            throw EAssertionFailed(L"Alpha blending error: bitmap must use 32 bpp. (VirtualTrees)");
        result.Bits = static_cast<Byte*>(section.dsBm.bmBits);
        result.Width = section.dsBmih.biWidth;
        result.Height = section.dsBmih.biHeight;
    }
    if (!result.Bits)
        throw EAssertionFailed(L"Alpha blending DC error: no bitmap available. (VirtualTrees)");
    return result;
}

// Cuts R (in the source) and Target (in the destination) to what both bitmaps hold.
bool ClipToBitmaps(TRect& R, TPoint& Target, const TDibBits* Source, const TDibBits& Destination) {
    auto cut = [&](LONG& from, LONG& to, LONG& target, int sourceSize, int destinationSize) {
        if (from < 0) {
            target -= from;
            from = 0;
        }
        if (target < 0) {
            from -= target;
            target = 0;
        }
        if (Source) to = std::min<LONG>(to, sourceSize);
        to = std::min<LONG>(to, from + (destinationSize - target));
    };
    cut(R.left, R.right, Target.x, Source ? Source->Width : 0, Destination.Width);
    cut(R.top, R.bottom, Target.y, Source ? Source->Rows() : 0, Destination.Rows());
    return R.right > R.left && R.bottom > R.top;
}

} // namespace

namespace vtree_blend {

void BlendRowConstant(const Byte* Source, Byte* Destination, int Count, int ConstantAlpha,
                      int Bias) {
    for (int i = 0; i < Count * 4; ++i)
        Destination[i] = Clamp(Mix(Destination[i], Source[i], ConstantAlpha) + Bias);
}

void BlendRowPerPixel(const Byte* Source, Byte* Destination, int Count, int Bias) {
    for (int pixel = 0; pixel < Count; ++pixel) {
        const int alpha = Source[pixel * 4 + 3];
        for (int channel = 0; channel < 4; ++channel) {
            const int i = pixel * 4 + channel;
            Destination[i] = Clamp(Mix(Destination[i], Source[i], alpha) + Bias);
        }
    }
}

void BlendRowMaster(const Byte* Source, Byte* Destination, int Count, int ConstantAlpha, int Bias) {
    for (int pixel = 0; pixel < Count; ++pixel) {
        const int alpha = (Source[pixel * 4 + 3] * ConstantAlpha) >> 8;
        for (int channel = 0; channel < 4; ++channel) {
            const int i = pixel * 4 + channel;
            Destination[i] = Clamp(Mix(Destination[i], Source[i], alpha) + Bias);
        }
    }
}

void BlendRowColor(Byte* Destination, int Count, int ConstantAlpha, COLORREF Color) {
    const int channels[4] = {GetBValue(Color), GetGValue(Color), GetRValue(Color), 0};
    for (int pixel = 0; pixel < Count; ++pixel)
        for (int channel = 0; channel < 4; ++channel) {
            Byte& value = Destination[pixel * 4 + channel];
            value = static_cast<Byte>(Mix(value, channels[channel], ConstantAlpha));
        }
}

} // namespace vtree_blend

void AlphaBlendRect(HDC Source, HDC Destination, const TRect& R, TPoint Target, TVTBlendMode Mode,
                    int ConstantAlpha, int Bias) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    const TDibBits destination = DCBitmapBits(Destination);
    TRect area = R;
    if (Mode == blendMasterAndColor) {
        TPoint origin = area.TopLeft();
        if (!ClipToBitmaps(area, origin, nullptr, destination)) return;
        for (int y = 0; y < area.Height(); ++y)
            vtree_blend::BlendRowColor(destination.Row(origin.y + y) + origin.x * 4, area.Width(),
                                       ConstantAlpha, static_cast<COLORREF>(Bias));
        return;
    }
    const TDibBits source = DCBitmapBits(Source);
    if (!ClipToBitmaps(area, Target, &source, destination)) return;
    for (int y = 0; y < area.Height(); ++y) {
        const Byte* from = source.Row(area.top + y) + area.left * 4;
        Byte* to = destination.Row(Target.y + y) + Target.x * 4;
        switch (Mode) {
        case blendConstant:
            vtree_blend::BlendRowConstant(from, to, area.Width(), ConstantAlpha, Bias);
            break;
        case blendPerPixel: vtree_blend::BlendRowPerPixel(from, to, area.Width(), Bias); break;
        default: vtree_blend::BlendRowMaster(from, to, area.Width(), ConstantAlpha, Bias); break;
        }
    }
}
