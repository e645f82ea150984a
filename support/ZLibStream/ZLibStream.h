// zlib's inflate side as a read-only stream, and a plain initialiser for callers that drive
// zlib's stream record themselves.
//
//   TZStreamRec            zlib's own stream record, so callers pass it straight to inflate,
//                          inflateReset and inflateEnd.
//   EZLibError             a zlib failure with its code; EZDecompressionError from the stream.
//   InitInflateStream      inflate initialisation that raises nothing.
//   TCustomZStream         the source, input buffer and record a zlib stream works on.
//   TZDecompressionStream  inflates one zlib stream read from another stream.
//
// zlib is the system's package, linked statically. Callers are written against the 1.2.3
// interface: that version text is what the initialisers announce, and zlib accepts it from any
// 1.x library whose record has the same size.
#pragma once

#include "framework/Events.h"
#include "framework/Streams.h"

#include <zlib.h>

#include <vector>

using TZStreamRec = z_stream;

#if defined(__i386__)
static_assert(sizeof(TZStreamRec) == 56, "callers of the 32-bit build rely on a 56-byte record");
#endif

// zlib's failure codes -1 to -6, in this order.
enum TZError { zeError, zeStreamError, zeDataError, zeMemoryError, zeBufferError, zeVersionError };

class EZLibError : public Exception {
public:
    // The message is zlib's meaning of the code ("data error" for -3 ...).
    explicit EZLibError(Integer errorCode);
    explicit EZLibError(TZError error);
    // A misuse of a zlib stream rather than a zlib failure: error code 0.
    explicit EZLibError(const UnicodeString& message);

    Integer ErrorCode() const noexcept { return FErrorCode; }

private:
    Integer FErrorCode;
};

class EZDecompressionError : public EZLibError {
public:
    using EZLibError::EZLibError;
};

class EZCompressionError : public EZLibError {
public:
    using EZLibError::EZLibError;
};

// The version text the initialisers hand to zlib.
inline constexpr char ZLibInterfaceVersion[] = "1.2.3";

// Initialise `stream` for inflate with a zlib header and the default window. The caller sets
// next_in, avail_in, zalloc, zfree and opaque first; null allocators get the heap's. Answers
// zlib's code unchanged (0, or negative on failure) and raises nothing.
Integer InitInflateStream(TZStreamRec& stream) noexcept;
// The same with zlib's window-bits choice: 8..15 a zlib header, negative raw deflate data,
// +16 gzip framing, +32 either header detected.
Integer InitInflateStream(TZStreamRec& stream, Integer windowBits) noexcept;

class TCustomZStream : public TStream {
    CLASS_INFO(TCustomZStream, TStream)
public:
    // Fires after each refill of the input buffer from the source.
    TNotifyEvent OnProgress;

protected:
    static constexpr NativeInt BufferSize = 131072;

    explicit TCustomZStream(TStream* stream);
    void DoProgress() { OnProgress(this); }

    TStream* FStream; // the source; not owned
    Int64 FStreamPos; // where the source must stand for the next refill
    TZStreamRec FZStream{};
    std::vector<Byte> FBuffer; // BufferSize bytes; next_in/avail_in describe the unused part
};

// Reads one zlib stream from the source's position at creation. The source may be moved by
// others between reads; each read puts it back first. When the compressed data ends, the source
// is left on the first byte after it, so a caller can read what follows.
//
//   fresh --Read--> reading --inflate reports the end--> ended (Read answers 0)
//     ^                |                                    |
//     +--- Seek(0, soBeginning) rewinds from any state -----+
//
// Positions are the count of bytes produced; only forward moves (by reading and discarding)
// and the rewind are possible.
class TZDecompressionStream : public TCustomZStream {
    CLASS_INFO(TZDecompressionStream, TCustomZStream)
public:
    // Raises EZDecompressionError when zlib cannot set up (memory, version). The source is
    // not read yet.
    explicit TZDecompressionStream(TStream* source);
    TZDecompressionStream(TStream* source, Integer windowBits);
    ~TZDecompressionStream() override;

    // Fewer bytes than asked only at the end of the compressed data or of the source; corrupt
    // data raises EZDecompressionError "data error".
    NativeInt Read(void* buffer, NativeInt count) override;
    // Both raise EZDecompressionError "Invalid ZStream operation!".
    NativeInt Write(const void* buffer, NativeInt count) override;
    void SetSize(Int64 size) override;
    // Seek(0, soBeginning) rewinds to the data's start on the source; forward moves read and
    // discard (EReadError when the data ends first); Seek(0, soEnd) reads to the end; anything
    // else raises "Invalid ZStream operation!". Answers the bytes produced so far.
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;

private:
    static constexpr NativeInt SkipPieceSize = 16384;
    static constexpr const wchar_t* InvalidOperation = L"Invalid ZStream operation!";

    void CheckInit(Integer result);
    bool Refill();
    void Inflate();
    void LookForTheEnd();
    void GiveBackUnusedInput();
    void Rewind();
    void Skip(Int64 count);
    void SkipToEnd();

    Int64 FStreamStart; // the source position of the compressed data's first byte
    bool FEnded = false;
};
