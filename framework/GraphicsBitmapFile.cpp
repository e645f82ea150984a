// BMP files and bitmap resources for TBitmap, through plain Win32 file calls. A file is read
// whole (pictures are small next to memory) and checked before any byte is used: every offset
// and length in its headers must lie inside the file. Uncompressed rows are copied as they are,
// so 32-bit alpha survives a round trip; run-length and unusual bit-field files are decoded by
// SetDIBits. Files are written uncompressed, bottom-up as the image is stored.
#include "framework/Graphics.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class TOwnedFile {
public:
    explicit TOwnedFile(HANDLE file) noexcept : FFile(file) {}
    ~TOwnedFile() {
        if (FFile != INVALID_HANDLE_VALUE) ::CloseHandle(FFile);
    }
    TOwnedFile(const TOwnedFile&) = delete;
    TOwnedFile& operator=(const TOwnedFile&) = delete;
    HANDLE Get() const noexcept { return FFile; }
    bool Valid() const noexcept { return FFile != INVALID_HANDLE_VALUE; }

private:
    HANDLE FFile;
};

struct TBitmapInfo {
    BITMAPINFOHEADER Header{};
    RGBQUAD Colors[256]{};
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(L"Bitmap image is not valid"); }

std::vector<Byte> ReadWholeFile(const UnicodeString& fileName) {
    TOwnedFile file(::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = ::GetLastError();
        throw EFOpenError(L"Cannot open file \"" + fileName + L"\". " + SysErrorMessage(error));
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) RaiseLastOSError(L"GetFileSizeEx");
    if (size.QuadPart > 0x7FFFFFFF) InvalidBitmap();
    std::vector<Byte> data(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!data.empty() && !::ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr))
        RaiseLastOSError(L"ReadFile");
    data.resize(read);
    return data;
}

void WriteWholeFile(const UnicodeString& fileName, const std::vector<Byte>& data) {
    TOwnedFile file(::CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = ::GetLastError();
        throw EFCreateError(L"Cannot create file \"" + fileName + L"\". " + SysErrorMessage(error));
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) ||
        written != data.size())
        RaiseLastOSError(L"WriteFile");
}

std::size_t RowBytes(LONG width, int bitCount) { return ((std::size_t(width) * bitCount + 31) / 32) * 4; }

template <class T>
void Append(std::vector<Byte>& data, const T& value, std::size_t size = sizeof(T)) {
    const Byte* bytes = reinterpret_cast<const Byte*>(&value);
    data.insert(data.end(), bytes, bytes + size);
}

// The parts of a BMP file, each one checked to lie inside it.
struct TBmpFile {
    TBitmapInfo Source;      // as the file describes its pixels (40-byte header)
    const Byte* Pixels = nullptr;
    std::size_t PixelBytes = 0;
};

TBmpFile ParseBmp(const std::vector<Byte>& data) {
    TBmpFile bmp;
    BITMAPFILEHEADER file{};
    if (data.size() < sizeof(file) + sizeof(BITMAPINFOHEADER)) InvalidBitmap();
    std::memcpy(&file, data.data(), sizeof(file));
    BITMAPINFOHEADER& header = bmp.Source.Header;
    std::memcpy(&header, data.data() + sizeof(file), sizeof(header));
    const int bits = header.biBitCount;
    if (file.bfType != 0x4D42 || header.biSize < sizeof(header) || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biPlanes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        InvalidBitmap();
    std::size_t offset = sizeof(file) + header.biSize;
    if (header.biCompression == BI_BITFIELDS) {
        // A 40-byte header is followed by the masks; longer headers hold them at the same place.
        offset = sizeof(file) + sizeof(header) + (header.biSize == sizeof(header) ? 3 * sizeof(DWORD) : header.biSize - sizeof(header));
        if (offset > data.size() || sizeof(file) + sizeof(header) + 3 * sizeof(DWORD) > data.size()) InvalidBitmap();
        std::memcpy(bmp.Source.Colors, data.data() + sizeof(file) + sizeof(header), 3 * sizeof(DWORD));
    }
    const std::size_t colors = bits <= 8 ? (header.biClrUsed ? header.biClrUsed : 1u << bits) : 0;
    if (colors > 256 || offset + colors * sizeof(RGBQUAD) > data.size()) InvalidBitmap();
    if (colors) std::memcpy(bmp.Source.Colors, data.data() + offset, colors * sizeof(RGBQUAD));
    header.biSize = sizeof(header);
    header.biClrUsed = static_cast<DWORD>(colors);
    if (file.bfOffBits >= data.size()) InvalidBitmap();
    bmp.Pixels = data.data() + file.bfOffBits;
    bmp.PixelBytes = data.size() - file.bfOffBits;
    return bmp;
}

bool HasMasks(const TBitmapInfo& info, DWORD red, DWORD green, DWORD blue) {
    DWORD masks[3];
    std::memcpy(masks, info.Colors, sizeof(masks));
    return masks[0] == red && masks[1] == green && masks[2] == blue;
}

bool Is565(const TBitmapInfo& info) { return info.Header.biBitCount == 16 && HasMasks(info, 0xF800, 0x07E0, 0x001F); }

// Bit fields whose pixels are laid out as in a DIB of the same depth made here.
bool StandardMasks(const TBitmapInfo& info) {
    if (info.Header.biBitCount == 32) return HasMasks(info, 0xFF0000, 0xFF00, 0xFF);
    return Is565(info) || HasMasks(info, 0x7C00, 0x03E0, 0x001F);
}

// The DIB the picture goes into: bottom-up, uncompressed, the file's palette; 16-bit 5-6-5
// keeps its masks, any other bit-field file becomes plain RGB of its depth.
TBitmapInfo TargetInfo(const TBitmapInfo& source) {
    TBitmapInfo target = source;
    target.Header.biHeight = source.Header.biHeight < 0 ? -source.Header.biHeight : source.Header.biHeight;
    target.Header.biSizeImage = 0;
    if (!(source.Header.biCompression == BI_BITFIELDS && Is565(source))) target.Header.biCompression = BI_RGB;
    return target;
}

void CopyRows(const TBmpFile& bmp, const TBitmapInfo& target, Byte* bits) {
    const LONG height = target.Header.biHeight;
    const std::size_t rowBytes = RowBytes(target.Header.biWidth, target.Header.biBitCount);
    if (UInt64{rowBytes} * UInt64(height) > bmp.PixelBytes) InvalidBitmap();
    const bool topDown = bmp.Source.Header.biHeight < 0;
    for (LONG row = 0; row < height; ++row) {
        const LONG stored = topDown ? height - 1 - row : row;
        std::memcpy(bits + row * rowBytes, bmp.Pixels + stored * rowBytes, rowBytes);
    }
}

} // namespace

void TBitmap::LoadFromFile(const UnicodeString& fileName) {
    const std::vector<Byte> data = ReadWholeFile(fileName);
    TBmpFile bmp = ParseBmp(data);
    TBitmapInfo target = TargetInfo(bmp.Source);
    void* bits = nullptr;
    TOwnedBitmap image(::CreateDIBSection(nullptr, target.Info(), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!image) RaiseLastOSError(L"CreateDIBSection");
    const DWORD compression = bmp.Source.Header.biCompression;
    if (compression == BI_RGB || (compression == BI_BITFIELDS && StandardMasks(bmp.Source))) {
        CopyRows(bmp, target, static_cast<Byte*>(bits));
    } else {
        TScreenDC screen;
        const LONG height = target.Header.biHeight;
        bmp.Source.Header.biSizeImage = std::min<DWORD>(bmp.Source.Header.biSizeImage, static_cast<DWORD>(bmp.PixelBytes));
        if (::SetDIBits(screen.Get(), image.Get(), 0, static_cast<UINT>(height), bmp.Pixels, bmp.Source.Info(),
                        DIB_RGB_COLORS) == 0)
            InvalidBitmap();
    }
    SetHandle(image.Release());
}

void TBitmap::SaveToFile(const UnicodeString& fileName) {
    if (!FImage) throw EInvalidGraphicOperation(L"Cannot save an empty bitmap");
    DibNeeded();
    ::GdiFlush();
    TBitmapInfo info;
    info.Header = {sizeof(BITMAPINFOHEADER), FWidth, FTopDown ? -FHeight : FHeight, 1, 0, BI_RGB, 0, 3780, 3780, 0, 0};
    DIBSECTION dib{};
    ::GetObjectW(FImage.Get(), sizeof(dib), &dib);
    info.Header.biBitCount = dib.dsBmih.biBitCount;
    std::size_t extra = 0;
    if (info.Header.biBitCount <= 8) {
        info.Header.biClrUsed = ::GetDIBColorTable(Canvas()->Handle(), 0, 256, info.Colors);
        extra = info.Header.biClrUsed * sizeof(RGBQUAD);
    } else if (FPixelFormat == pf16bit) {
        info.Header.biCompression = BI_BITFIELDS;
        std::memcpy(info.Colors, dib.dsBitfields, 3 * sizeof(DWORD));
        extra = 3 * sizeof(DWORD);
    }
    const std::size_t pixelBytes = RowBytes(FWidth, info.Header.biBitCount) * FHeight;
    info.Header.biSizeImage = static_cast<DWORD>(pixelBytes);
    const DWORD offBits = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + extra);
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offBits + pixelBytes), 0, 0, offBits};
    std::vector<Byte> data;
    data.reserve(offBits + pixelBytes);
    Append(data, file);
    Append(data, info.Header);
    Append(data, info.Colors, extra);
    data.insert(data.end(), FBits, FBits + pixelBytes);
    WriteWholeFile(fileName, data);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const UnicodeString& name) {
    const HANDLE image = ::LoadImageW(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!image) throw EResNotFound(L"Resource " + name + L" not found");
    SetHandle(static_cast<HBITMAP>(image));
}
