// The skin engine's own PNG reader.
//
//   TPNGGraphic     a bitmap that decodes PNG data into a DIB of the format its colour type
//                   asks for (1, 4 or 8-bit indexed or grey, 24-bit BGR, 32-bit BGRA with
//                   straight alpha); skin images, masks and shadow templates load through it.
//   TLZ77Decoder    zlib's inflate over one zlib stream fed chunk by chunk.
//   TImageProperties, TPNGChunkHeader, EGraphicCompression.
//
// Everything between the bytes and the scan lines is the module's own: chunk reader, CRC-32,
// row unfiltering, Adam7 and the hand-over of each row to the colour manager.
//
// The data is not trusted: a chunk may be no longer than what is left of the stream (and below
// 2^31 bytes), IHDR must be exactly 13 bytes, a side may not exceed MaxPNGSide and the picture
// MaxPNGPixels (sizes are computed in 64 bits), an ancillary chunk too short for its fields is
// ignored, and data cut short inside a chunk header is reported like any other format error.
// Gamma belongs to the picture that carries it: every load starts without it.
#pragma once

#include "framework/Graphics.h"
#include "skin/engine/acColorConversion.h"
#include "support/ZLibStream/ZLibStream.h"

#include <memory>
#include <vector>

class TStream;

enum TImageOption { ioBigEndian, ioUseGamma };
using TImageOptions = TSet<TImageOption>;
enum TCompressionType { ctUnknown, ctNone, ctLZ77 };

struct TImageProperties {
    TImageOptions Options;
    Cardinal Width = 0;
    Cardinal Height = 0;
    TColorScheme ColorScheme = csUnknown;
    Byte BitsPerSample = 0;
    Byte SamplesPerPixel = 0;
    Byte BitsPerPixel = 0;
    TCompressionType Compression = ctUnknown;
    float FileGamma = 1.0f;
    bool Interlaced = false;
    bool HasAlpha = false;
    Byte FilterMode = 0;
};

using TChunkType = char[4];

struct TPNGChunkHeader {
    Cardinal Length = 0; // host order once read
    TChunkType ChunkType = {};
};

// Inflate set-up or shut-down failed.
class EGraphicCompression : public Exception {
public:
    using Exception::Exception;
};

inline constexpr Cardinal MaxPNGSide = 16384;
inline constexpr unsigned long long MaxPNGPixels = 1ull << 24; // 64 MB at 32 bits per pixel

class TLZ77Decoder {
public:
    TLZ77Decoder(Integer FlushMode, bool AutoReset);
    // Ends inflate quietly when DecodeEnd was not reached (a failed load).
    ~TLZ77Decoder();
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;
    void DecodeInit();
    // Inflates from Source into Dest; both pointers are advanced past what was used. Does
    // nothing once the stream has ended or failed.
    void Decode(const Byte*& Source, Byte*& Dest, Cardinal PackedSize, Cardinal UnpackedSize);
    void DecodeEnd();
    Cardinal AvailableInput() const noexcept { return FStream.avail_in; }
    Cardinal AvailableOutput() const noexcept { return FStream.avail_out; }
    Integer ZLibResult() const noexcept { return FZLibResult; }

private:
    TZStreamRec FStream{};
    Integer FZLibResult = 0;
    Integer FFlushMode;
    bool FAutoReset;
    bool FInitialised = false;
};

class TPNGGraphic : public TBitmap {
    CLASS_INFO(TPNGGraphic, TBitmap)
public:
    TPNGGraphic();
    ~TPNGGraphic() override;

    // More than 8 bytes left and the next 8 are the signature; the position is kept.
    static bool CanLoad(TStream* Stream);
    static bool CanLoad(const UnicodeString& FileName);
    // EInvalidGraphic for data that is no PNG or is damaged; what was decoded up to the fault
    // stays in the bitmap.
    void LoadFromStream(TStream* Stream) override;
    void LoadFromFile(const UnicodeString& FileName) override;
    // Fills ImageProperties from the header (and the gAMA chunk wherever it stands); False
    // when the data is no PNG, IHDR is not first or not 13 bytes, or a side is 0.
    bool ReadImageProperties(TStream* Stream, Cardinal ImageIndex);
    void Assign(TPersistent* Source) override;
    // An icon of the picture; the caller destroys it. A 32-bit picture is transparent by its
    // alpha; with ForceMask, or for other formats (made 32-bit first), the pixels of the
    // top-left pixel's colour are transparent (none in a picture under 2 x 2).
    HICON MakeIcon(bool ForceMask);

    TColorManager* ColorManager() const noexcept { return FColorManager; }
    const TImageProperties& ImageProperties() const noexcept { return FImageProperties; }
    void SetImageProperties(const TImageProperties& Value) { FImageProperties = Value; }
    TColor BackgroundColor() const noexcept { return FBackgroundColor; }
    // 256 alpha values per palette index from tRNS of an indexed image; empty otherwise.
    const std::vector<Byte>& Transparency() const noexcept { return FTransparency; }

    bool Reflected = false;

protected:
    // A 32-bit picture is blended by its alpha over the canvas, stretched to Rect when its size
    // differs (colour and alpha each stretched with halftoning), with a fading mirror image of
    // half its height below Rect when Reflected and not stretched. Other formats draw as bitmaps.
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    Cardinal NextChunk();
    void ReadChunkData();
    void SkipChunk();
    // After a chunk the loop does not handle: True at IEND; a critical chunk fails the load.
    bool SkipOrEnd();
    bool ChunkIs(const char* Type) const noexcept;
    [[noreturn]] void Fail(const UnicodeString& Message) const;
    void LoadChunks();
    void ReadPalette();
    void ReadGamma();
    void ReadBackground();
    void ReadTransparency();
    Integer SetupFormats(Byte ColorType, Byte BitDepth);
    void DecodeImageData();
    void PrepareBitmap();
    void DecodeRows(Cardinal Pass);
    void InflateRow(Byte* Dest, Cardinal Count);
    Word ChunkWord(Cardinal Offset) const noexcept;
    Cardinal ScaledSample(Cardinal Offset, bool lowByte) const noexcept;
    TColor ChunkRGB() const noexcept;
    unsigned long long RowBytes(unsigned long long Pixels) const noexcept;

    TColorManager* FColorManager;
    Int64 FBasePosition = 0;
    TStream* FStream = nullptr;
    TImageProperties FImageProperties;
    std::unique_ptr<TLZ77Decoder> FDecoder; // only while LoadFromStream runs
    Integer FIDATSize = 0;
    std::vector<Byte> FRawBuffer;
    std::vector<Byte> FRowBuffers[2]; // current and previous row while decoding
    const Byte* FCurrentSource = nullptr;
    TPNGChunkHeader FHeader;
    Cardinal FCurrentCRC = 0;
    Integer FSourceBPP = 1;
    TOwnedPalette FPalette;
    std::vector<Byte> FTransparency;
    TColor FTransparentColor = clNone;
    TColor FBackgroundColor = 0xFFFFFF;
    // The IHDR bytes the properties do not keep.
    Byte FColorType = 0;
    Byte FInterlaceMethod = 0;
    bool FFormatsSet = false; // SetupFormats ran for this load
    TPixelFormat FBitmapFormat = pfDevice;
};

// In a 32-bit bitmap of 2 x 2 or more, white pixels with alpha 0 become 0 (all four bytes): they
// would tint what is drawn under them. Other bitmaps are left alone.
void ClearTransparentWhite(TBitmap* Bitmap);

namespace png_reader_detail {
// The reflected CRC-32 (polynomial 0xEDB88320), inverted on entry and exit so that calls chain;
// a null Data answers 0.
Cardinal Crc32Update(Cardinal Crc, const Byte* Data, std::size_t Count) noexcept;
void UnfilterRow(Byte Filter, Byte* Row, const Byte* Previous, Cardinal Length, Cardinal Bpp);
Byte PaethPredict(Byte A, Byte B, Byte C) noexcept;
} // namespace png_reader_detail
