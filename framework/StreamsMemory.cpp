// Memory streams. `TCustomMemoryStream` reads and seeks over a block a descendant hands it;
// `TMemoryStream` keeps its bytes in a vector whose size is the stream's size, so growing is
// amortised and new bytes (a gap left by seeking past the end, or SetSize) are zero.
#include "framework/Streams.h"

#include <algorithm>
#include <cstring>

NativeInt TCustomMemoryStream::Read(void* buffer, NativeInt count) {
    if (count <= 0 || FPosition >= FSize) return 0;
    const auto start = static_cast<NativeInt>(FPosition);
    const NativeInt length = std::min(count, FSize - start);
    std::memcpy(buffer, static_cast<const Byte*>(FMemory) + start,
                static_cast<std::size_t>(length));
    FPosition += length;
    return length;
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
    const Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize;
    if (base + offset < 0) throw EStreamError(L"Cannot seek before the start of the stream");
    FPosition = base + offset;
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) { stream->WriteBuffer(FMemory, FSize); }

void TCustomMemoryStream::SaveToFile(const UnicodeString& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

void TCustomMemoryStream::SetPointer(void* memory, NativeInt size) noexcept {
    FMemory = memory;
    FSize = size;
}

NativeInt TMemoryStream::Write(const void* buffer, NativeInt count) {
    if (count <= 0) return 0;
    const Int64 position = CurrentPosition();
    if (position + count > MemorySize()) SetSize(position + count);
    std::memcpy(FBuffer.data() + static_cast<std::size_t>(position), buffer,
                static_cast<std::size_t>(count));
    Seek(position + count, soBeginning);
    return count;
}

void TMemoryStream::SetSize(Int64 size) {
    if (size < 0 || static_cast<UInt64>(size) > FBuffer.max_size())
        throw EStreamError(L"Invalid memory stream size " + std::to_wstring(size));
    FBuffer.resize(static_cast<std::size_t>(size));
    SetPointer(FBuffer.data(), static_cast<NativeInt>(size));
}

void TMemoryStream::Clear() {
    SetSize(0);
    SetPosition(0);
}

void TMemoryStream::LoadFromStream(TStream* stream) {
    stream->SetPosition(0);
    const Int64 size = stream->Size();
    SetSize(size);
    if (size > 0) stream->ReadBuffer(FBuffer.data(), static_cast<NativeInt>(size));
    SetPosition(0);
}

void TMemoryStream::LoadFromFile(const UnicodeString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}
