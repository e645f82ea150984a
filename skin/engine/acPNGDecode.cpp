// TPNGGraphic's image data: inflate through TLZ77Decoder, row unfiltering, Adam7 and the
// hand-over of each row to the colour manager (see acPNG.h). Rows are decoded one at a time
// through two alternating buffers and written straight into the bitmap's scan lines.
#include "skin/engine/acPNG.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace png_reader_detail {

namespace {

// The CRC table is made from the polynomial's term exponents on first use.
const std::array<Cardinal, 256>& CrcTable() {
    static const std::array<Cardinal, 256> table = [] {
        Cardinal polynomial = 0;
        for (int exponent : {0, 1, 2, 4, 5, 7, 8, 10, 11, 12, 16, 22, 23, 26})
            polynomial |= 1u << (31 - exponent);
        std::array<Cardinal, 256> result{};
        for (Cardinal n = 0; n < 256; ++n) {
            Cardinal c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? polynomial ^ (c >> 1) : c >> 1;
            result[n] = c;
        }
        return result;
    }();
    return table;
}

} // namespace

Cardinal Crc32Update(Cardinal Crc, const Byte* Data, std::size_t Count) noexcept {
    if (!Data) return 0;
    const auto& table = CrcTable();
    Cardinal c = ~Crc;
    const auto step = [&](Byte value) { c = table[(c ^ value) & 0xFF] ^ (c >> 8); };
    for (; Count >= 8; Count -= 8, Data += 8)
        for (int i = 0; i < 8; ++i) step(Data[i]);
    while (Count--) step(*Data++);
    return ~c;
}

Byte PaethPredict(Byte A, Byte B, Byte C) noexcept {
    const int p = A + B - C;
    const int pa = std::abs(p - A), pb = std::abs(p - B), pc = std::abs(p - C);
    if (pa <= pb && pa <= pc) return A;
    return pb <= pc ? B : C;
}

void UnfilterRow(Byte Filter, Byte* Row, const Byte* Previous, Cardinal Length, Cardinal Bpp) {
    const Cardinal lead = std::min(Bpp, Length);
    switch (Filter) {
    case 1:
        for (Cardinal i = Bpp; i < Length; ++i) Row[i] = static_cast<Byte>(Row[i] + Row[i - Bpp]);
        break;
    case 2:
        for (Cardinal i = 0; i < Length; ++i) Row[i] = static_cast<Byte>(Row[i] + Previous[i]);
        break;
    case 3:
        for (Cardinal i = 0; i < lead; ++i) Row[i] = static_cast<Byte>(Row[i] + Previous[i] / 2);
        for (Cardinal i = Bpp; i < Length; ++i)
            Row[i] = static_cast<Byte>(Row[i] + (Row[i - Bpp] + Previous[i]) / 2);
        break;
    case 4:
        for (Cardinal i = 0; i < lead; ++i)
            Row[i] = static_cast<Byte>(Row[i] + PaethPredict(0, Previous[i], 0));
        for (Cardinal i = Bpp; i < Length; ++i)
            Row[i] = static_cast<Byte>(Row[i] +
                                       PaethPredict(Row[i - Bpp], Previous[i], Previous[i - Bpp]));
        break;
    default: break; // 0, and unknown filters leave the row as it is
    }
}

} // namespace png_reader_detail

using png_reader_detail::UnfilterRow;

// ---- inflate ------------------------------------------------------------------------------

TLZ77Decoder::TLZ77Decoder(Integer FlushMode, bool AutoReset)
    : FFlushMode(FlushMode), FAutoReset(AutoReset) {}

TLZ77Decoder::~TLZ77Decoder() {
    if (FInitialised) inflateEnd(&FStream);
}

void TLZ77Decoder::DecodeInit() {
    if (InitInflateStream(FStream) < 0) throw EGraphicCompression(L"LZ77 decompression error.");
    FInitialised = true;
}

void TLZ77Decoder::Decode(const Byte*& Source, Byte*& Dest, Cardinal PackedSize,
                          Cardinal UnpackedSize) {
    FStream.next_in = const_cast<Bytef*>(Source);
    FStream.avail_in = PackedSize;
    if (FAutoReset) FZLibResult = inflateReset(&FStream);
    if (FZLibResult != 0) return;
    FStream.next_out = Dest;
    FStream.avail_out = UnpackedSize;
    FZLibResult = inflate(&FStream, FFlushMode);
    Source = FStream.next_in;
    Dest = FStream.next_out;
}

void TLZ77Decoder::DecodeEnd() {
    FInitialised = false;
    if (inflateEnd(&FStream) < 0) throw EGraphicCompression(L"LZ77 decompression error.");
}

// ---- image data ---------------------------------------------------------------------------

namespace {

struct TAdam7Pass {
    Cardinal FirstColumn, ColumnStep, FirstRow, RowStep;
    Byte Mask;
};
// Pass 0 is a picture without interlace.
constexpr TAdam7Pass Passes[8] = {{0, 1, 0, 1, 0xFF}, {0, 8, 0, 8, 0x80}, {4, 8, 0, 8, 0x08},
                                  {0, 4, 4, 8, 0x88}, {2, 4, 0, 4, 0x22}, {0, 2, 2, 4, 0xAA},
                                  {1, 2, 0, 2, 0x55}, {0, 1, 1, 2, 0xFF}};

} // namespace

unsigned long long TPNGGraphic::RowBytes(unsigned long long Pixels) const noexcept {
    const unsigned long long samples = FImageProperties.ColorScheme == csRGB    ? 3
                                       : FImageProperties.ColorScheme == csGA   ? 2
                                       : FImageProperties.ColorScheme == csRGBA ? 4
                                                                                : 1;
    return (Pixels * FImageProperties.BitsPerSample + 7) / 8 * samples + 1;
}

void TPNGGraphic::DecodeImageData() {
    if (!FFormatsSet) FSourceBPP = SetupFormats(FColorType, FImageProperties.BitsPerSample);
    PrepareBitmap();
    FRowBuffers[0].assign(RowBytes(FImageProperties.Width), 0);
    FRowBuffers[1].assign(RowBytes(FImageProperties.Width), 0);
    if (FInterlaceMethod == 1)
        for (Cardinal pass = 1; pass <= 7; ++pass) DecodeRows(pass);
    else
        DecodeRows(0);
    while (ChunkIs("IDAT")) {
        ReadChunkData();
        FCurrentCRC = NextChunk();
    }
    FRowBuffers[0] = {};
    FRowBuffers[1] = {};
}

void TPNGGraphic::PrepareBitmap() {
    SetPixelFormat(FBitmapFormat);
    SetSize(static_cast<int>(FImageProperties.Width), static_cast<int>(FImageProperties.Height));
    if (FPalette) {
        PALETTEENTRY entries[256];
        const UINT count = GetPaletteEntries(FPalette.Get(), 0, 256, entries);
        RGBQUAD colours[256];
        for (UINT i = 0; i < count; ++i)
            colours[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        SetDIBColorTable(Canvas()->Handle(), 0, count, colours);
    }
    Canvas()->Brush()->SetColor(FBackgroundColor);
    Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    if (FTransparentColor != clNone) {
        SetTransparentColor(FTransparentColor);
        SetTransparent(true);
    }
}

void TPNGGraphic::DecodeRows(Cardinal Pass) {
    const TAdam7Pass& pass = Passes[Pass];
    const Cardinal width = FImageProperties.Width, height = FImageProperties.Height;
    if (pass.FirstColumn >= width) return;
    const Cardinal pixels = (width + pass.ColumnStep - pass.FirstColumn - 1) / pass.ColumnStep;
    const auto rowBytes = static_cast<Cardinal>(RowBytes(pixels));
    Byte* current = FRowBuffers[0].data();
    Byte* previous = FRowBuffers[1].data();
    std::fill_n(previous, rowBytes, 0); // the first row of every pass has a zero row above
    for (Cardinal y = pass.FirstRow; y < height; y += pass.RowStep) {
        InflateRow(current, rowBytes);
        UnfilterRow(current[0], current + 1, previous + 1, rowBytes - 1,
                    static_cast<Cardinal>(FSourceBPP));
        const void* source[] = {current + 1};
        FColorManager->ConvertRow(source, ScanLine(static_cast<int>(y)), width, pass.Mask);
        std::swap(current, previous);
    }
}

void TPNGGraphic::InflateRow(Byte* Dest, Cardinal Count) {
    Byte* const end = Dest + Count;
    while (Dest < end) {
        if (FDecoder->AvailableInput() == 0) {
            FIDATSize = 0;
            while (FIDATSize == 0) {
                if (!ChunkIs("IDAT")) return; // the row stays incomplete
                ReadChunkData();
                FCurrentSource = FRawBuffer.data();
                FIDATSize = static_cast<Integer>(FHeader.Length);
                FCurrentCRC = NextChunk();
            }
        }
        const auto used = static_cast<Cardinal>(FCurrentSource - FRawBuffer.data());
        FDecoder->Decode(FCurrentSource, Dest, static_cast<Cardinal>(FIDATSize) - used,
                         static_cast<Cardinal>(end - Dest));
        if (FDecoder->ZLibResult() == Z_STREAM_END) {
            if (FDecoder->AvailableOutput() != 0 || FDecoder->AvailableInput() != 0)
                Fail(L"Cannot load image. Extra compressed data found in PNG file.");
            return;
        }
        if (FDecoder->ZLibResult() != Z_OK)
            Fail(L"Cannot load image. Compression error found in PNG file.");
    }
}
