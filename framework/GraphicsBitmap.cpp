// TBitmap's image: a DIB section (or a screen-compatible bitmap for pfDevice) replaced as a
// whole whenever its size or format changes. The bitmap's canvas holds the image selected in
// its memory DC, so every replacement first makes the canvas let its DC go (FreeContext); a
// bitmap cannot be selected into two DCs, and a selected one must not be deleted.
//
// Pixels move between images by rows where the layouts allow it (same format, or 24 <-> 32
// bits, whose colour bytes are the same) and through BitBlt otherwise. DIBs made here are
// bottom-up with the default palettes below; a paletted image keeps its own palette across
// resizing.
#include "framework/Graphics.h"

#include <algorithm>
#include <cstring>

// A complete image before it becomes the bitmap's own.
struct TBitmap::TImageData {
    TOwnedBitmap Image;
    Byte* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    TPixelFormat Format = pfDevice;
    bool TopDown = false;
};

namespace {

// A BITMAPINFO with room for the largest colour table (or the three masks of BI_BITFIELDS).
struct TDibInfo {
    BITMAPINFOHEADER Header{};
    RGBQUAD Colors[256]{};
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

int BitCountOf(TPixelFormat format) {
    constexpr int counts[] = {0, 1, 4, 8, 16, 16, 24, 32};
    return counts[format];
}

NativeInt RowBytesOf(int width, int bitCount) {
    return ((NativeInt{width} * bitCount + 31) / 32) * 4;
}

Byte* RowAddress(Byte* bits, int width, int height, int bitCount, bool topDown, int row) {
    const int stored = topDown ? row : height - 1 - row;
    return bits + stored * RowBytesOf(width, bitCount);
}

RGBQUAD Quad(TColor color) { return {GetBValue(color), GetGValue(color), GetRValue(color), 0}; }

constexpr TColor SixteenColors[] = {
    clBlack, clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clSilver,
    clGray,  clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite,
};

int HalftoneColors(RGBQUAD* colors) {
    TScreenDC screen;
    TOwnedPalette palette(::CreateHalftonePalette(screen.Get()));
    PALETTEENTRY entries[256]{};
    const UINT count = palette ? ::GetPaletteEntries(palette.Get(), 0, 256, entries) : 0;
    for (UINT i = 0; i < count; ++i)
        colors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return static_cast<int>(count);
}

int DefaultColors(TPixelFormat format, RGBQUAD* colors) {
    switch (format) {
    case pf1bit:
        colors[0] = Quad(clBlack);
        colors[1] = Quad(clWhite);
        return 2;
    case pf4bit:
        std::transform(std::begin(SixteenColors), std::end(SixteenColors), colors, Quad);
        return 16;
    case pf8bit: return HalftoneColors(colors);
    default: return 0;
    }
}

TDibInfo DibInfoFor(TPixelFormat format, int width, int height) {
    TDibInfo info;
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    info.Header.biWidth = width;
    info.Header.biHeight = height;
    info.Header.biPlanes = 1;
    info.Header.biBitCount = static_cast<WORD>(BitCountOf(format));
    info.Header.biCompression = BI_RGB;
    info.Header.biClrUsed = static_cast<DWORD>(DefaultColors(format, info.Colors));
    if (format == pf16bit) {
        constexpr DWORD masks[] = {0xF800, 0x07E0, 0x001F};
        info.Header.biCompression = BI_BITFIELDS;
        std::memcpy(info.Colors, masks, sizeof(masks));
    }
    return info;
}

TPixelFormat FormatOfDib(const DIBSECTION& dib) {
    switch (dib.dsBmih.biBitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
        return dib.dsBmih.biCompression == BI_BITFIELDS && dib.dsBitfields[1] == 0x07E0 ? pf16bit
                                                                                        : pf15bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: throw EInvalidGraphic(L"Bitmap format is not supported");
    }
}

TPixelFormat ScreenFormat() {
    TScreenDC screen;
    switch (::GetDeviceCaps(screen.Get(), BITSPIXEL)) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    default: return pf32bit;
    }
}

bool RowsCompatible(TPixelFormat a, TPixelFormat b) {
    return a == b || (a == pf24bit && b == pf32bit) || (a == pf32bit && b == pf24bit);
}

// Selects `image` into a memory DC of its own for as long as the object lives.
class TImageContext {
public:
    explicit TImageContext(HBITMAP image) : FDC(::CreateCompatibleDC(nullptr)) {
        if (!FDC) RaiseLastOSError(L"CreateCompatibleDC");
        FOriginal = ::SelectObject(FDC.Get(), image);
    }
    ~TImageContext() { ::SelectObject(FDC.Get(), FOriginal); }
    TImageContext(const TImageContext&) = delete;
    TImageContext& operator=(const TImageContext&) = delete;
    HDC Get() const noexcept { return FDC.Get(); }

private:
    TOwnedDC FDC;
    HGDIOBJ FOriginal;
};

void PremultiplyRow(Byte* pixel, int width) {
    for (int x = 0; x < width; ++x, pixel += 4)
        for (int channel = 0; channel < 3; ++channel)
            pixel[channel] = static_cast<Byte>((pixel[channel] * pixel[3] + 127) / 255);
}

} // namespace

// ---- image management -------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    FPixelFormat = format;
    SetSize(width, height);
}

TBitmap::~TBitmap() { FreeContext(); }

void TBitmap::FreeContext() noexcept {
    if (FCanvas) FCanvas->FreeContext();
}

TBitmap::TImageData TBitmap::NewImage(TPixelFormat format, int width, int height) {
    TImageData data{{}, nullptr, width, height, format, false};
    if (format == pfDevice) {
        TScreenDC screen;
        data.Image.Reset(::CreateCompatibleBitmap(screen.Get(), width, height));
        if (!data.Image) RaiseLastOSError(L"CreateCompatibleBitmap");
        TImageContext context(data.Image.Get());
        ::PatBlt(context.Get(), 0, 0, width, height, BLACKNESS);
        return data;
    }
    TDibInfo info = DibInfoFor(format, width, height);
    if (format == FPixelFormat && FImage && info.Header.biClrUsed)
        info.Header.biClrUsed = ::GetDIBColorTable(Canvas()->Handle(), 0, 256, info.Colors);
    void* bits = nullptr;
    data.Image.Reset(::CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!data.Image) RaiseLastOSError(L"CreateDIBSection");
    data.Bits = static_cast<Byte*>(bits);
    return data;
}

void TBitmap::ReplaceImage(TImageData&& data) noexcept {
    FreeContext();
    FImage = std::move(data.Image);
    FBits = data.Bits;
    FWidth = data.Width;
    FHeight = data.Height;
    FPixelFormat = data.Format;
    FTopDown = data.TopDown;
}

Byte* TBitmap::Row(int row) const {
    return RowAddress(FBits, FWidth, FHeight, BitCountOf(FPixelFormat), FTopDown, row);
}

// Copies the top-left part of this image that fits into `target`.
void TBitmap::CopyPixelsTo(TImageData& target) {
    const int width = std::min(FWidth, target.Width);
    const int height = std::min(FHeight, target.Height);
    if (!(FBits && target.Bits && RowsCompatible(FPixelFormat, target.Format))) {
        TImageContext context(target.Image.Get());
        ::BitBlt(context.Get(), 0, 0, width, height, Canvas()->Handle(), 0, 0, SRCCOPY);
        return;
    }
    ::GdiFlush();
    const int sourceBits = BitCountOf(FPixelFormat), targetBits = BitCountOf(target.Format);
    for (int y = 0; y < height; ++y) {
        const Byte* source = Row(y);
        Byte* dest =
            RowAddress(target.Bits, target.Width, target.Height, targetBits, target.TopDown, y);
        if (sourceBits == targetBits) {
            std::memcpy(dest, source, (std::size_t(width) * sourceBits + 7) / 8);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            std::memcpy(dest + x * targetBits / 8, source + x * sourceBits / 8, 3);
            if (targetBits == 32) dest[x * 4 + 3] = 0;
        }
    }
}

void TBitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) throw EInvalidGraphicOperation(L"Bitmap size cannot be negative");
    if (width == FWidth && height == FHeight) return;
    TImageData data{{}, nullptr, width, height, FPixelFormat, false};
    if (width > 0 && height > 0) {
        data = NewImage(FPixelFormat, width, height);
        if (FImage) CopyPixelsTo(data);
    }
    ReplaceImage(std::move(data));
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FPixelFormat) return;
    TImageData data{{}, nullptr, FWidth, FHeight, format, false};
    if (FImage) {
        data = NewImage(format, FWidth, FHeight);
        CopyPixelsTo(data);
    }
    ReplaceImage(std::move(data));
    Changed();
}

void TBitmap::SetAlphaFormat(TAlphaFormat format) {
    if (format == FAlphaFormat) return;
    FAlphaFormat = format;
    Changed();
}

void TBitmap::DibNeeded() {
    if (FImage && FPixelFormat == pfDevice) SetPixelFormat(ScreenFormat());
}

void* TBitmap::ScanLine(int row) {
    DibNeeded();
    if (!FBits || row < 0 || row >= FHeight)
        throw EInvalidGraphicOperation(L"Scan line index out of range");
    ::GdiFlush();
    return Row(row);
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas.reset(new TBitmapCanvas(this));
        FCanvas->OnChange = TNotifyEvent(this, &TBitmap::CanvasChanged);
    }
    return FCanvas.get();
}

void TBitmap::CanvasChanged(TObject*) { Changed(); }

void TBitmap::SetHandle(HBITMAP bitmap) {
    if (bitmap == FImage.Get()) return;
    TImageData data{TOwnedBitmap(bitmap), nullptr, 0, 0, FPixelFormat, false};
    DIBSECTION dib{};
    const int size = bitmap ? ::GetObjectW(bitmap, sizeof(dib), &dib) : 0;
    if (bitmap && size < static_cast<int>(sizeof(BITMAP)))
        RaiseLastOSError(L"GetObject of a bitmap");
    if (size == static_cast<int>(sizeof(DIBSECTION)) && dib.dsBm.bmBits) {
        data.Bits = static_cast<Byte*>(dib.dsBm.bmBits);
        data.Format = FormatOfDib(dib);
        data.TopDown = dib.dsBmih.biHeight < 0;
    } else if (bitmap) {
        data.Format = pfDevice;
    }
    data.Width = dib.dsBm.bmWidth;
    data.Height = dib.dsBm.bmHeight;
    ReplaceImage(std::move(data));
    Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
    FreeContext();
    const HBITMAP bitmap = FImage.Release();
    ReplaceImage({{}, nullptr, 0, 0, FPixelFormat, false});
    Changed();
    return bitmap;
}

void TBitmap::Assign(TPersistent* source) {
    auto* bitmap = dynamic_cast<TBitmap*>(source);
    if (source && !bitmap) return TGraphic::Assign(source);
    if (bitmap == this) return;
    TImageData data{{}, nullptr, 0, 0, FPixelFormat, false};
    if (bitmap) {
        data = {{}, nullptr, bitmap->FWidth, bitmap->FHeight, bitmap->FPixelFormat, false};
        if (bitmap->FImage) {
            data = bitmap->NewImage(bitmap->FPixelFormat, bitmap->FWidth, bitmap->FHeight);
            bitmap->CopyPixelsTo(data);
        }
        FAlphaFormat = bitmap->FAlphaFormat;
        FTransparentMode = bitmap->FTransparentMode;
        FTransparentColor = bitmap->FTransparentColor;
        FTransparent = bitmap->FTransparent;
    }
    ReplaceImage(std::move(data));
    Changed();
}

// ---- transparency and drawing -----------------------------------------------------------------

TColor TBitmap::TransparentColor() {
    if (FTransparentMode == tmFixed) return FTransparentColor;
    if (!FImage) return clDefault;
    return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    if (color == FTransparentColor) return;
    FTransparentMode = color == clDefault ? tmAuto : tmFixed;
    FTransparentColor = color;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
    if (mode == FTransparentMode) return;
    SetTransparentColor(mode == tmAuto ? clDefault : TransparentColor());
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
    if (FPixelFormat == pf32bit && FAlphaFormat != afIgnored) return DrawAlpha(canvas, rect);
    const HDC target = canvas->Handle();
    const HDC source = Canvas()->Handle();
    if (Transparent()) {
        const UINT key = static_cast<UINT>(ColorToRGB(TransparentColor())) & 0xFFFFFF;
        ::GdiTransparentBlt(target, rect.left, rect.top, rect.Width(), rect.Height(), source, 0, 0,
                            FWidth, FHeight, key);
        return;
    }
    ::StretchBlt(target, rect.left, rect.top, rect.Width(), rect.Height(), source, 0, 0, FWidth,
                 FHeight, static_cast<DWORD>(canvas->CopyMode()));
}

// Blends with the per-pixel alpha; straight alpha is multiplied into a copy first, as the
// system's blend takes premultiplied colours only.
void TBitmap::DrawAlpha(TCanvas* canvas, const TRect& rect) {
    if (FAlphaFormat == afDefined) {
        TBitmap premultiplied;
        premultiplied.Assign(this);
        for (int y = 0; y < FHeight; ++y)
            PremultiplyRow(static_cast<Byte*>(premultiplied.ScanLine(y)), FWidth);
        premultiplied.FAlphaFormat = afPremultiplied;
        return premultiplied.DrawAlpha(canvas, rect);
    }
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(canvas->Handle(), rect.left, rect.top, rect.Width(), rect.Height(),
                    Canvas()->Handle(), 0, 0, FWidth, FHeight, blend);
}

// ---- the bitmap's canvas ----------------------------------------------------------------------

void TBitmapCanvas::CreateHandle() {
    TOwnedDC context(::CreateCompatibleDC(nullptr));
    if (!context) RaiseLastOSError(L"CreateCompatibleDC");
    if (FBitmap->FImage) {
        FOriginalBitmap = ::SelectObject(context.Get(), FBitmap->FImage.Get());
        if (!FOriginalBitmap)
            throw EInvalidGraphicOperation(L"The bitmap is selected into another device context");
    }
    SetHandle(context.Get());
    FContext = std::move(context);
}

void TBitmapCanvas::FreeContext() noexcept {
    if (!FContext) return;
    Lock();
    SetHandle(nullptr);
    if (FOriginalBitmap) ::SelectObject(FContext.Get(), FOriginalBitmap);
    FOriginalBitmap = nullptr;
    FContext.Reset();
    Unlock();
}
