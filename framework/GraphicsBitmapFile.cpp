// BMP files, streams and bitmap resources for TBitmap. Files are read through streams, so both
// share one parser over a block of memory: the BMP is read whole (pictures are small next to
// memory) and checked before any byte is used: every offset and length in its headers must lie
// inside the block, the picture must fit the picture limits, and uncompressed rows must fit the
// pixel data, all before the DIB is made. Uncompressed rows are copied as they are, so 32-bit alpha
// survives a round trip; run-length and unusual bit-field files are decoded by SetDIBits. Files are
// written uncompressed, bottom-up as the image is stored.
#include "framework/Graphics.h"
#include "framework/PictureLimits.h"

#include "framework/Streams.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

struct TBitmapInfo {
    BITMAPINFOHEADER Header{};
    RGBQUAD Colors[256]{};
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(L"Bitmap image is not valid"); }
[[noreturn]] void EmptyBitmap() { throw EInvalidGraphicOperation(L"Cannot save an empty bitmap"); }

// The BMP file starting at the stream's position: as many bytes as its file header says, or up
// to the stream's end when the header's size is implausible or larger than what is left (the
// parser then decides whether the bytes suffice). The stream is left after the bytes read.
std::vector<Byte> ReadBmpBytes(TStream* stream) {
    std::vector<Byte> data(sizeof(BITMAPFILEHEADER));
    data.resize(static_cast<std::size_t>(stream->Read(data.data(), NativeInt(data.size()))));
    if (data.size() < sizeof(BITMAPFILEHEADER)) return data;
    BITMAPFILEHEADER file{};
    std::memcpy(&file, data.data(), sizeof(file));
    const Int64 left = stream->Size() - stream->Position();
    Int64 wanted = Int64(file.bfSize) - Int64(sizeof(file));
    if (wanted < Int64(sizeof(BITMAPINFOHEADER)) || wanted > left) wanted = left;
    if (wanted > 0x7FFFFFFF - Int64(data.size())) InvalidBitmap();
    const std::size_t header = data.size();
    data.resize(header + static_cast<std::size_t>(wanted));
    const NativeInt read = wanted ? stream->Read(data.data() + header, NativeInt(wanted)) : 0;
    data.resize(header + static_cast<std::size_t>(read));
    return data;
}

std::size_t RowBytes(LONG width, int bitCount) {
    return ((std::size_t(width) * bitCount + 31) / 32) * 4;
}

template <class T>
void Append(std::vector<Byte>& data, const T& value, std::size_t size = sizeof(T)) {
    const Byte* bytes = reinterpret_cast<const Byte*>(&value);
    data.insert(data.end(), bytes, bytes + size);
}

// The parts of a BMP file, each one checked to lie inside it.
struct TBmpFile {
    TBitmapInfo Source; // as the file describes its pixels (40-byte header)
    const Byte* Pixels = nullptr;
    std::size_t PixelBytes = 0;
};

// Raises unless `length` bytes from `offset` lie inside the file.
void NeedBytes(const std::vector<Byte>& data, std::size_t offset, std::size_t length) {
    if (offset > data.size() || length > data.size() - offset) InvalidBitmap();
}

// Run-length files are stored bottom-up, 8-bit runs in 8-bit files and 4-bit runs in 4-bit ones.
bool KnownCompression(const BITMAPINFOHEADER& header) {
    const int bits = header.biBitCount;
    switch (header.biCompression) {
    case BI_RGB: return true;
    case BI_BITFIELDS: return bits == 16 || bits == 32;
    case BI_RLE8: return bits == 8 && header.biHeight > 0;
    case BI_RLE4: return bits == 4 && header.biHeight > 0;
    default: return false;
    }
}

bool SupportedHeader(const BITMAPFILEHEADER& file, const BITMAPINFOHEADER& header) {
    const int bits = header.biBitCount;
    const bool knownDepth =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    // INT_MIN has no positive height: a top-down file of that height cannot be turned over.
    return file.bfType == 0x4D42 && header.biSize >= sizeof(header) && header.biWidth > 0 &&
           header.biHeight != 0 && header.biHeight != INT_MIN && header.biPlanes == 1 &&
           knownDepth && KnownCompression(header);
}

BITMAPINFOHEADER ReadHeaders(const std::vector<Byte>& data, BITMAPFILEHEADER& file) {
    BITMAPINFOHEADER header{};
    NeedBytes(data, 0, sizeof(file) + sizeof(header));
    std::memcpy(&file, data.data(), sizeof(file));
    std::memcpy(&header, data.data() + sizeof(file), sizeof(header));
    if (!SupportedHeader(file, header)) InvalidBitmap();
    NeedBytes(data, sizeof(file), header.biSize);
    CheckPictureSize(header.biWidth,
                     header.biHeight < 0 ? -Int64{header.biHeight} : header.biHeight, L"Bitmap");
    return header;
}

// Copies the masks of a bit-field file or the palette of an indexed one; answers the number
// of palette entries.
DWORD ReadColors(const std::vector<Byte>& data, const BITMAPINFOHEADER& header, RGBQUAD* colors) {
    if (header.biCompression == BI_BITFIELDS) {
        // A 40-byte header is followed by the masks; longer headers hold them at the same place.
        const std::size_t masks = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        NeedBytes(data, masks, 3 * sizeof(DWORD));
        std::memcpy(colors, data.data() + masks, 3 * sizeof(DWORD));
        return 0;
    }
    if (header.biBitCount > 8) return 0;
    const std::size_t count = header.biClrUsed ? header.biClrUsed : 1u << header.biBitCount;
    if (count > 256) InvalidBitmap();
    const std::size_t palette = sizeof(BITMAPFILEHEADER) + header.biSize;
    NeedBytes(data, palette, count * sizeof(RGBQUAD));
    std::memcpy(colors, data.data() + palette, count * sizeof(RGBQUAD));
    return static_cast<DWORD>(count);
}

TBmpFile ParseBmp(const std::vector<Byte>& data) {
    TBmpFile bmp;
    BITMAPFILEHEADER file{};
    bmp.Source.Header = ReadHeaders(data, file);
    bmp.Source.Header.biClrUsed = ReadColors(data, bmp.Source.Header, bmp.Source.Colors);
    bmp.Source.Header.biSize = sizeof(BITMAPINFOHEADER);
    NeedBytes(data, file.bfOffBits, 1);
    bmp.Pixels = data.data() + file.bfOffBits;
    bmp.PixelBytes = data.size() - file.bfOffBits;
    const BITMAPINFOHEADER& header = bmp.Source.Header;
    const bool runLength = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
    const UInt64 rows = header.biHeight < 0 ? -Int64{header.biHeight} : header.biHeight;
    if (!runLength && RowBytes(header.biWidth, header.biBitCount) * rows > bmp.PixelBytes)
        InvalidBitmap();
    return bmp;
}

bool HasMasks(const TBitmapInfo& info, DWORD red, DWORD green, DWORD blue) {
    DWORD masks[3];
    std::memcpy(masks, info.Colors, sizeof(masks));
    return masks[0] == red && masks[1] == green && masks[2] == blue;
}

bool Is565(const TBitmapInfo& info) {
    return info.Header.biBitCount == 16 && HasMasks(info, 0xF800, 0x07E0, 0x001F);
}

// Bit fields whose pixels are laid out as in a DIB of the same depth made here.
bool StandardMasks(const TBitmapInfo& info) {
    if (info.Header.biBitCount == 32) return HasMasks(info, 0xFF0000, 0xFF00, 0xFF);
    return Is565(info) || HasMasks(info, 0x7C00, 0x03E0, 0x001F);
}

// The DIB the picture goes into: bottom-up, uncompressed, the file's palette; 16-bit 5-6-5
// keeps its masks, any other bit-field file becomes plain RGB of its depth.
TBitmapInfo TargetInfo(const TBitmapInfo& source) {
    TBitmapInfo target = source;
    target.Header.biHeight =
        source.Header.biHeight < 0 ? -source.Header.biHeight : source.Header.biHeight;
    target.Header.biSizeImage = 0;
    if (!(source.Header.biCompression == BI_BITFIELDS && Is565(source)))
        target.Header.biCompression = BI_RGB;
    return target;
}

void CopyRows(const TBmpFile& bmp, const TBitmapInfo& target, Byte* bits) {
    const LONG height = target.Header.biHeight;
    const std::size_t rowBytes = RowBytes(target.Header.biWidth, target.Header.biBitCount);
    const bool topDown = bmp.Source.Header.biHeight < 0;
    for (LONG row = 0; row < height; ++row) {
        const LONG stored = topDown ? height - 1 - row : row;
        std::memcpy(bits + row * rowBytes, bmp.Pixels + stored * rowBytes, rowBytes);
    }
}

// The file header, info header and masks or palette describing the rows of `dib` as stored;
// `context` holds the DIB selected, for its palette.
std::vector<Byte> BmpHeaders(const DIBSECTION& dib, LONG height, HDC context) {
    TBitmapInfo info;
    const WORD bits = dib.dsBmih.biBitCount;
    info.Header = {
        sizeof(BITMAPINFOHEADER), dib.dsBm.bmWidth, height, 1, bits, BI_RGB, 0, 3780, 3780, 0, 0};
    std::size_t extra = 0;
    if (bits <= 8) {
        info.Header.biClrUsed = ::GetDIBColorTable(context, 0, 256, info.Colors);
        extra = info.Header.biClrUsed * sizeof(RGBQUAD);
    } else if (dib.dsBmih.biCompression == BI_BITFIELDS) {
        info.Header.biCompression = BI_BITFIELDS;
        std::memcpy(info.Colors, dib.dsBitfields, 3 * sizeof(DWORD));
        extra = 3 * sizeof(DWORD);
    }
    const std::size_t pixelBytes = RowBytes(dib.dsBm.bmWidth, bits) * dib.dsBm.bmHeight;
    info.Header.biSizeImage = static_cast<DWORD>(pixelBytes);
    const DWORD offBits =
        static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + extra);
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offBits + pixelBytes), 0, 0, offBits};
    std::vector<Byte> data;
    data.reserve(offBits);
    Append(data, file);
    Append(data, info.Header);
    Append(data, info.Colors, extra);
    return data;
}

} // namespace

void TBitmap::LoadFromStream(TStream* stream) {
    const std::vector<Byte> data = ReadBmpBytes(stream);
    TBmpFile bmp = ParseBmp(data);
    TBitmapInfo target = TargetInfo(bmp.Source);
    void* bits = nullptr;
    TOwnedBitmap image(
        ::CreateDIBSection(nullptr, target.Info(), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!image) RaiseLastOSError(L"CreateDIBSection");
    const DWORD compression = bmp.Source.Header.biCompression;
    if (compression == BI_RGB || (compression == BI_BITFIELDS && StandardMasks(bmp.Source))) {
        CopyRows(bmp, target, static_cast<Byte*>(bits));
    } else {
        TScreenDC screen;
        const LONG height = target.Header.biHeight;
        bmp.Source.Header.biSizeImage =
            std::min<DWORD>(bmp.Source.Header.biSizeImage, static_cast<DWORD>(bmp.PixelBytes));
        if (::SetDIBits(screen.Get(), image.Get(), 0, static_cast<UINT>(height), bmp.Pixels,
                        bmp.Source.Info(), DIB_RGB_COLORS) == 0)
            InvalidBitmap();
    }
    SetHandle(image.Release());
}

void TBitmap::SaveToStream(TStream* stream) {
    if (!FImage) EmptyBitmap();
    DibNeeded();
    ::GdiFlush();
    DIBSECTION dib{};
    if (::GetObjectW(FImage.Get(), sizeof(dib), &dib) != sizeof(dib))
        RaiseLastOSError(L"GetObject of a bitmap");
    const std::vector<Byte> headers =
        BmpHeaders(dib, FTopDown ? -FHeight : FHeight, Canvas()->Handle());
    stream->WriteBuffer(headers.data(), NativeInt(headers.size()));
    stream->WriteBuffer(FBits, NativeInt(RowBytes(FWidth, dib.dsBmih.biBitCount) * FHeight));
}

void TBitmap::LoadFromFile(const UnicodeString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TBitmap::SaveToFile(const UnicodeString& fileName) {
    if (!FImage) EmptyBitmap(); // before the file is created
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const UnicodeString& name) {
    const HANDLE image =
        ::LoadImageW(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!image) throw EResNotFound(L"Resource " + name + L" not found");
    SetHandle(static_cast<HBITMAP>(image));
}
