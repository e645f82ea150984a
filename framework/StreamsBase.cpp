// The parts of `TStream` every kind of stream shares: exact transfers and copying. A Read or
// Write that moves fewer bytes than asked is not an error by itself (pipes and sockets do that),
// so the exact transfers repeat until the stream answers 0.
#include "framework/Streams.h"

#include <algorithm>

void TStream::ReadBuffer(void* buffer, NativeInt count) {
    auto* bytes = static_cast<Byte*>(buffer);
    NativeInt done = 0;
    while (done < count) {
        const NativeInt moved = Read(bytes + done, count - done);
        if (moved <= 0) throw EReadError(L"Stream read error");
        done += moved;
    }
}

void TStream::WriteBuffer(const void* buffer, NativeInt count) {
    const auto* bytes = static_cast<const Byte*>(buffer);
    NativeInt done = 0;
    while (done < count) {
        const NativeInt moved = Write(bytes + done, count - done);
        if (moved <= 0) throw EWriteError(L"Stream write error");
        done += moved;
    }
}

Int64 TStream::Size() {
    const Int64 position = Seek(0, soCurrent);
    const Int64 size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

Int64 TStream::CopyFrom(TStream* source, Int64 count) {
    if (count < 0) throw EStreamError(L"Cannot copy a negative number of bytes");
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    std::vector<Byte> piece(static_cast<std::size_t>(std::min<Int64>(count, CopyPieceSize)));
    for (Int64 left = count; left > 0;) {
        const auto length = static_cast<NativeInt>(std::min<Int64>(left, CopyPieceSize));
        source->ReadBuffer(piece.data(), length);
        WriteBuffer(piece.data(), length);
        left -= length;
    }
    return count;
}
