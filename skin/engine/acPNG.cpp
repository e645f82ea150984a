// TPNGGraphic's chunk reading, header, ancillary chunks and formats (see acPNG.h); the image
// data is decoded in acPNGDecode.cpp.
#include "skin/engine/acPNG.h"

#include "framework/Streams.h"

#include <algorithm>
#include <cstring>
#include <memory>

using png_reader_detail::Crc32Update;

namespace {

constexpr Byte Signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr Cardinal MaxChunkLength = 0x7FFFFFFF;

Cardinal BigEndian32(const Byte* bytes) {
    return Cardinal{bytes[0]} << 24 | Cardinal{bytes[1]} << 16 | Cardinal{bytes[2]} << 8 | bytes[3];
}

} // namespace

TPNGGraphic::TPNGGraphic() : FColorManager(new TColorManager) {}

TPNGGraphic::~TPNGGraphic() { delete FColorManager; }

void TPNGGraphic::Fail(const UnicodeString& Message) const { throw EInvalidGraphic(Message); }

bool TPNGGraphic::CanLoad(TStream* Stream) {
    const Int64 position = Stream->Position();
    Byte bytes[8];
    const bool result = Stream->Size() - position > 8 && Stream->Read(bytes, 8) == 8 &&
                        std::memcmp(bytes, Signature, 8) == 0;
    Stream->SetPosition(position);
    return result;
}

bool TPNGGraphic::CanLoad(const UnicodeString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    return CanLoad(&stream);
}

void TPNGGraphic::LoadFromFile(const UnicodeString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TPNGGraphic::Assign(TPersistent* Source) {
    if (auto* png = dynamic_cast<TPNGGraphic*>(Source)) FImageProperties = png->FImageProperties;
    TBitmap::Assign(Source);
}

// ---- chunks -------------------------------------------------------------------------------

Cardinal TPNGGraphic::NextChunk() {
    Byte bytes[8];
    if (FStream->Read(bytes, 8) != 8) Fail(L"Cannot load image. Unexpected end of PNG file.");
    FHeader.Length = BigEndian32(bytes);
    std::memcpy(FHeader.ChunkType, bytes + 4, 4);
    // The length decides an allocation and a read: it may claim no more than the stream holds.
    const Int64 left = FStream->Size() - FStream->Position();
    if (FHeader.Length > MaxChunkLength || Int64{FHeader.Length} + 4 > left)
        Fail(L"Cannot load image. A chunk is longer than the PNG file.");
    return Crc32Update(0, bytes + 4, 4);
}

void TPNGGraphic::ReadChunkData() {
    FRawBuffer.resize(FHeader.Length);
    if (FHeader.Length) FStream->ReadBuffer(FRawBuffer.data(), FHeader.Length);
    Byte crc[4];
    FStream->ReadBuffer(crc, 4);
    FCurrentCRC = Crc32Update(FCurrentCRC, FRawBuffer.data(), FRawBuffer.size());
    if (FCurrentCRC != BigEndian32(crc)) Fail(L"Cannot load image. CRC error found in PNG file.");
}

void TPNGGraphic::SkipChunk() { FStream->Seek(Int64{FHeader.Length} + 4, soCurrent); }

bool TPNGGraphic::ChunkIs(const char* Type) const noexcept {
    for (int i = 0; i < 4; ++i)
        if ((FHeader.ChunkType[i] & ~0x20) != (Type[i] & ~0x20)) return false;
    return true;
}

Word TPNGGraphic::ChunkWord(Cardinal Offset) const noexcept {
    return static_cast<Word>(FRawBuffer[Offset] << 8 | FRawBuffer[Offset + 1]);
}

// ---- header -------------------------------------------------------------------------------

bool TPNGGraphic::ReadImageProperties(TStream* Stream, Cardinal /*ImageIndex*/) {
    FImageProperties = {};
    FStream = Stream;
    Byte bytes[8];
    if (Stream->Read(bytes, 8) != 8 || std::memcmp(bytes, Signature, 8) != 0) return false;
    FCurrentCRC = NextChunk();
    if (!ChunkIs("IHDR") || FHeader.Length != 13) return false;
    FImageProperties.Options.Include(ioBigEndian);
    ReadChunkData();
    TImageProperties& p = FImageProperties;
    p.Width = BigEndian32(&FRawBuffer[0]);
    p.Height = BigEndian32(&FRawBuffer[4]);
    if (p.Width == 0 || p.Height == 0) return false;
    p.BitsPerSample = FRawBuffer[8];
    FColorType = FRawBuffer[9];
    p.Compression = FRawBuffer[10] == 0 ? ctLZ77 : ctUnknown;
    p.FilterMode = FRawBuffer[11];
    FInterlaceMethod = FRawBuffer[12];
    p.Interlaced = FInterlaceMethod != 0;
    p.SamplesPerPixel = 1;
    switch (FColorType) {
    case 0: p.ColorScheme = csG; break;
    case 2: p.ColorScheme = csRGB, p.SamplesPerPixel = 3; break;
    case 3: p.ColorScheme = csIndexed; break;
    case 4: p.ColorScheme = csGA; break;
    case 6: p.ColorScheme = csRGBA, p.SamplesPerPixel = 4; break;
    default: p.ColorScheme = csUnknown;
    }
    p.BitsPerPixel = static_cast<Byte>(p.SamplesPerPixel * p.BitsPerSample);
    p.HasAlpha = p.ColorScheme == csGA || p.ColorScheme == csRGBA;
    for (;;) {
        FCurrentCRC = NextChunk();
        if (ChunkIs("IEND")) return true;
        if (!ChunkIs("gAMA")) {
            SkipChunk();
            continue;
        }
        ReadChunkData();
        if (FHeader.Length >= 4) p.FileGamma = BigEndian32(FRawBuffer.data()) / 100000.0f;
        return true;
    }
}

// ---- loading ------------------------------------------------------------------------------

void TPNGGraphic::LoadFromStream(TStream* Stream) {
    TBitmap empty;
    TBitmap::Assign(&empty); // releases the previous image and its format
    SetTransparentColor(clDefault);
    SetTransparent(false);
    FFormatsSet = false;
    FBasePosition = Stream->Position();
    FStream = Stream;
    if (!ReadImageProperties(Stream, 0))
        Fail(L"Cannot load image. Invalid or unexpected PNG image format.");
    const TImageProperties& p = FImageProperties;
    if (p.Width > MaxPNGSide || p.Height > MaxPNGSide ||
        static_cast<unsigned long long>(p.Width) * p.Height > MaxPNGPixels)
        Fail(L"Cannot load image. The PNG image is too large.");
    Stream->SetPosition(FBasePosition + 8);
    FPalette.Reset();
    FTransparency.clear();
    FBackgroundColor = 0xFFFFFF;
    FTransparentColor = clNone;
    FCurrentCRC = NextChunk();
    FColorManager->SourceOptions = {coNeedByteSwap};
    FColorManager->TargetOptions.Exclude(coApplyGamma);
    // Whatever fails, the decoder and the chunk buffer go; the bitmap keeps what was decoded.
    struct TCleanUp {
        TPNGGraphic& Self;
        ~TCleanUp() {
            Self.FDecoder.reset();
            Self.FRawBuffer = {};
        }
    } cleanUp{*this};
    ReadChunkData();
    if (p.Compression != ctLZ77)
        Fail(L"Cannot load image. The compression scheme is not supported for PNG files.");
    FDecoder = std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, false);
    FDecoder->DecodeInit();
    LoadChunks();
    FDecoder->DecodeEnd();
}

bool TPNGGraphic::SkipOrEnd() {
    if (ChunkIs("IEND")) return true;
    if ((FHeader.ChunkType[0] & 0x20) == 0)
        Fail(L"Cannot load PNG image. Unexpected but critical chunk detected.");
    SkipChunk();
    return false;
}

void TPNGGraphic::LoadChunks() {
    for (;;) {
        FCurrentCRC = NextChunk();
        if (ChunkIs("IDAT")) {
            // Leaves the first chunk after the IDAT run current, its data unread: it is
            // skipped, whatever it is.
            DecodeImageData();
            if (SkipOrEnd()) return;
        } else if (ChunkIs("PLTE")) {
            ReadPalette();
        } else if (ChunkIs("gAMA")) {
            ReadGamma();
        } else if (ChunkIs("bKGD")) {
            ReadBackground();
        } else if (ChunkIs("tRNS")) {
            ReadTransparency();
        } else if (SkipOrEnd()) {
            return;
        }
    }
}

void TPNGGraphic::ReadPalette() {
    if (FHeader.Length % 3 != 0) Fail(L"Cannot load image. Palette in PNG file is invalid.");
    ReadChunkData();
    if (FColorType != 3) return;
    FSourceBPP = SetupFormats(3, FImageProperties.BitsPerSample);
    const void* data[] = {FRawBuffer.data()};
    FPalette.Reset(FColorManager->CreateColorPalette(data, 0, FHeader.Length / 3, false));
}

void TPNGGraphic::ReadGamma() {
    ReadChunkData();
    if (FHeader.Length < 4) return; // too short to hold a gamma: ignored like any bad ancillary
    FColorManager->SetGamma(BigEndian32(FRawBuffer.data()) / 100000.0f, 2.2f);
    FColorManager->TargetOptions.Include(coApplyGamma);
    FImageProperties.Options.Include(ioUseGamma);
}

// A grey sample of bKGD or tRNS scaled by the bit depth; `lowByte` keeps only the low byte of
// the depths that are not scaled.
Cardinal TPNGGraphic::ScaledSample(Cardinal Offset, bool lowByte) const noexcept {
    const Cardinal v = ChunkWord(Offset);
    switch (FImageProperties.BitsPerSample) {
    case 2: return v * 15 / 3;
    case 16: return v * 255 / 65535;
    default: return lowByte ? (v & 0xFF) : v;
    }
}

TColor TPNGGraphic::ChunkRGB() const noexcept {
    const auto channel = [&](Cardinal offset) {
        const Cardinal v = ChunkWord(offset);
        return static_cast<Byte>(FImageProperties.BitsPerSample == 16 ? v * 255 / 65535 : v);
    };
    return MakeColor(channel(0), channel(2), channel(4));
}

void TPNGGraphic::ReadBackground() {
    ReadChunkData();
    const Cardinal length = FHeader.Length;
    switch (FColorType) {
    case 0:
    case 4:
        if (length >= 2) FBackgroundColor = static_cast<TColor>(ScaledSample(0, true));
        break;
    case 2:
    case 6:
        if (length >= 6) FBackgroundColor = ChunkRGB();
        break;
    default:
        if (length >= 1) FBackgroundColor = FRawBuffer[0];
    }
}

void TPNGGraphic::ReadTransparency() {
    ReadChunkData();
    const Cardinal length = FHeader.Length;
    switch (FColorType) {
    case 0:
        if (length >= 2) {
            const auto grey = static_cast<Byte>(ScaledSample(0, false));
            FTransparentColor = MakeColor(grey, grey, grey);
        }
        break;
    case 2:
        if (length >= 6) FTransparentColor = ChunkRGB();
        break;
    case 4:
    case 6: break;
    default:
        FTransparency.assign(256, 255);
        std::copy_n(FRawBuffer.begin(), std::min<Cardinal>(length, 256), FTransparency.begin());
    }
}

// ---- formats ------------------------------------------------------------------------------

Integer TPNGGraphic::SetupFormats(Byte ColorType, Byte BitDepth) {
    TColorManager& cm = *FColorManager;
    const auto formats = [&](TColorScheme source, Byte samples, TColorScheme target,
                             Byte targetSamples, Byte targetBits) {
        cm.SetSourceColorScheme(source);
        cm.SetSourceSamplesPerPixel(samples);
        cm.SetSourceBitsPerSample(BitDepth);
        cm.SetTargetColorScheme(target);
        cm.SetTargetSamplesPerPixel(targetSamples);
        cm.SetTargetBitsPerSample(targetBits);
    };
    const bool wide = BitDepth == 8 || BitDepth == 16;
    const bool packed = BitDepth == 1 || BitDepth == 2 || BitDepth == 4 || BitDepth == 8;
    Integer result = 0;
    if (ColorType == 0 && (packed || BitDepth == 16)) {
        formats(csG, 1, csG, 1, BitDepth == 1 ? 1 : BitDepth < 8 ? 4 : 8);
        FBitmapFormat = cm.TargetPixelFormat();
        FPalette.Reset(cm.CreateGrayscalePalette(false));
        result = (BitDepth + 7) / 8;
    } else if (ColorType == 2 && wide) {
        formats(csRGB, 3, csBGR, 3, 8);
        FBitmapFormat = pf24bit;
        result = BitDepth * 3 / 8;
    } else if (ColorType == 3 && packed) {
        formats(csIndexed, 1, csIndexed, 1, BitDepth == 2 ? 4 : BitDepth);
        FBitmapFormat = BitDepth == 1 ? pf1bit : BitDepth == 8 ? pf8bit : pf4bit;
        result = 1;
    } else if (ColorType == 4 && wide) {
        formats(csGA, 1, csIndexed, 1, 8);
        FBitmapFormat = pf8bit;
        FPalette.Reset(cm.CreateGrayscalePalette(false));
        result = BitDepth * 2 / 8;
    } else if (ColorType == 6 && wide) {
        formats(csRGBA, 4, csBGRA, 4, 8);
        FBitmapFormat = pf32bit;
        result = BitDepth * 4 / 8;
    } else {
        Fail(L"Invalid color format in PNG file.");
    }
    FFormatsSet = true;
    return result;
}
