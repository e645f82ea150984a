// The decompression stream's reading side. The source is read in blocks of BufferSize into a
// buffer allocated once with the stream, so reading costs no allocation per call. A source is
// often an archive holding one zlib stream per entry back to back: when inflate reports the end,
// the input it did not consume is given back to the source, which then stands right after the
// compressed data.
#include "support/ZLibStream/ZLibStream.h"

#include <algorithm>
#include <limits>

TCustomZStream::TCustomZStream(TStream* stream)
    : FStream(stream), FStreamPos(stream->Position()), FBuffer(BufferSize) {
    FZStream.next_in = FBuffer.data();
    FZStream.avail_in = 0;
}

TZDecompressionStream::TZDecompressionStream(TStream* source)
    : TCustomZStream(source), FStreamStart(FStreamPos) {
    CheckInit(InitInflateStream(FZStream));
}

TZDecompressionStream::TZDecompressionStream(TStream* source, Integer windowBits)
    : TCustomZStream(source), FStreamStart(FStreamPos) {
    CheckInit(InitInflateStream(FZStream, windowBits));
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&FZStream); }

void TZDecompressionStream::CheckInit(Integer result) {
    if (result < 0) throw EZDecompressionError(result);
}

NativeInt TZDecompressionStream::Read(void* buffer, NativeInt count) {
    if (FEnded || count <= 0) return 0;
    // avail_out is 32-bit: a larger request is answered in part, as a stream may.
    const auto room =
        static_cast<uInt>(std::min<NativeInt>(count, std::numeric_limits<uInt>::max()));
    FZStream.next_out = static_cast<Bytef*>(buffer);
    FZStream.avail_out = room;
    if (FStream->Position() != FStreamPos) FStream->SetPosition(FStreamPos);
    while (FZStream.avail_out > 0 && !FEnded) {
        if (FZStream.avail_in == 0 && !Refill()) break;
        Inflate();
    }
    if (!FEnded && FZStream.avail_out == 0 && FZStream.avail_in == 0) LookForTheEnd();
    if (FEnded) GiveBackUnusedInput();
    return static_cast<NativeInt>(room - FZStream.avail_out);
}

void TZDecompressionStream::Inflate() {
    const int result = inflate(&FZStream, Z_NO_FLUSH);
    // No progress for want of output room is no fault: the next Read brings room.
    if (result == Z_BUF_ERROR && FZStream.avail_out == 0) return;
    // A stream that wants a preset dictionary cannot go on: without one it would be asked again
    // and again with the same input.
    if (result < 0 || result == Z_NEED_DICT) throw EZDecompressionError(result);
    FEnded = result == Z_STREAM_END;
}

// The output filled up just as the input ran out, so the compressed data may have nothing left
// but its end (the last code and the checksum) in the next block of the source. Inflate gets
// that block without output room, which lets it see the end now: a caller that reads exactly the
// data's length then finds the source after the checksum rather than inside it.
void TZDecompressionStream::LookForTheEnd() {
    if (Refill()) Inflate();
}

// Answers false when the source has nothing more.
bool TZDecompressionStream::Refill() {
    const NativeInt got = FStream->Read(FBuffer.data(), BufferSize);
    if (got <= 0) return false;
    FZStream.next_in = FBuffer.data();
    FZStream.avail_in = static_cast<uInt>(got);
    FStreamPos = FStream->Position();
    DoProgress();
    return true;
}

void TZDecompressionStream::GiveBackUnusedInput() {
    if (FZStream.avail_in == 0) return;
    FStreamPos -= FZStream.avail_in;
    FStream->SetPosition(FStreamPos);
    FZStream.next_in = FBuffer.data();
    FZStream.avail_in = 0;
}

NativeInt TZDecompressionStream::Write(const void*, NativeInt) {
    throw EZDecompressionError(InvalidOperation);
}

void TZDecompressionStream::SetSize(Int64) { throw EZDecompressionError(InvalidOperation); }
