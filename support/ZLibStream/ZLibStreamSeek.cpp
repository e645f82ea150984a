// Moving in decompressed data. Inflate only goes forward, so a forward move reads and discards
// (through a 16 KB scratch area on the stack) and the only backward move is the rewind, which
// restarts inflate at the compressed data's first byte on the source. That byte is where the
// stream was created, not the source's start: an archive entry in the middle of a file must
// rewind to its own data.
#include "support/ZLibStream/ZLibStream.h"

#include <algorithm>
#include <array>

Int64 TZDecompressionStream::Seek(Int64 offset, TSeekOrigin origin) {
    const Int64 produced = static_cast<Int64>(FZStream.total_out);
    if (origin == soBeginning && offset == 0)
        Rewind();
    else if (origin == soCurrent && offset >= 0)
        Skip(offset);
    else if (origin == soBeginning && offset > produced)
        Skip(offset - produced);
    else if (origin == soEnd && offset == 0)
        SkipToEnd();
    else
        throw EZDecompressionError(InvalidOperation);
    return static_cast<Int64>(FZStream.total_out);
}

void TZDecompressionStream::Rewind() {
    const int result = inflateReset(&FZStream);
    if (result < 0) throw EZDecompressionError(result);
    FZStream.next_in = FBuffer.data();
    FZStream.avail_in = 0;
    FStreamPos = FStreamStart;
    FStream->SetPosition(FStreamPos);
    FEnded = false;
}

// Raises EReadError when the data ends before `count` bytes.
void TZDecompressionStream::Skip(Int64 count) {
    std::array<Byte, SkipPieceSize> scratch;
    for (Int64 left = count; left > 0;) {
        const auto piece = static_cast<NativeInt>(std::min<Int64>(left, SkipPieceSize));
        ReadBuffer(scratch.data(), piece);
        left -= piece;
    }
}

void TZDecompressionStream::SkipToEnd() {
    std::array<Byte, SkipPieceSize> scratch;
    while (Read(scratch.data(), SkipPieceSize) > 0) {
    }
}
