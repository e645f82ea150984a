// TCompressedBlobData: content stored as [16 GUID bytes][UInt32 uncompressed size][zlib stream]
// in one piece, written and read through the compression hooks. Only content of more than 50
// bytes that shrinks is kept compressed; whole reads decompress straight into the caller's
// buffer, any partial access turns the store plain for good.
#include "data/engine/MemDataBlobs.h"

#include "data/engine/MemUtils.h"

namespace {
// {F19D8C39-5558-3849-A652-87CEE0C6DA7E} in its binary layout.
constexpr Byte CompressedMark[16] = {0x39, 0x8C, 0x9D, 0xF1, 0x58, 0x55, 0x49, 0x38,
                                     0xA6, 0x52, 0x87, 0xCE, 0xE0, 0xC6, 0xDA, 0x7E};
} // namespace

bool TCompressedBlobData::IsCompressed() const {
    return FFirstPiece && FFirstPiece->Used > Cardinal(HeaderSize) &&
           std::memcmp(PieceData(FFirstPiece), CompressedMark, 16) == 0;
}

Cardinal TCompressedBlobData::UnCompressedSize() const {
    Check(IsCompressed(), L"TCompressedBlobData: the blob is not compressed");
    Cardinal size;
    std::memcpy(&size, PieceData(FFirstPiece) + 16, 4);
    return size;
}

Cardinal TCompressedBlobData::GetCompressedSize() const {
    if (!IsCompressed()) throw Exception(L"Blob is not compressed");
    return GetDataSize();
}

Cardinal TCompressedBlobData::GetSize() {
    if (!IsCompressed()) return GetDataSize();
    const Cardinal size = UnCompressedSize();
    Check(size != 0, L"TCompressedBlobData: compressed size 0");
    return size;
}

// Replaces the content by the compressed form of Count bytes when that is smaller; a
// compressor failure leaves the content as it is.
bool TCompressedBlobData::CompressFrom(const void* Source, Cardinal Count) {
    CheckCompressorLinked();
    PPieceHeader piece;
    AllocPiece(piece, Count / 5 + Count + 32);
    Integer produced = Integer(piece->Size) - HeaderSize;
    try {
        CompressBlock(PieceData(piece) + HeaderSize, produced, Source, Integer(Count));
    } catch (const std::exception&) {
        produced = Integer(Count); // not reported: the content stays plain
    }
    if (Cardinal(produced) + HeaderSize >= Count) {
        FreePiece(piece);
        return false;
    }
    std::memcpy(PieceData(piece), CompressedMark, 16);
    std::memcpy(PieceData(piece) + 16, &Count, 4);
    piece->Used = Cardinal(produced) + HeaderSize;
    ReallocPiece(piece, piece->Used);
    TDcBlobData::Clear();
    AppendPiece(piece);
    return true;
}

Cardinal TCompressedBlobData::DecompressInto(void* Dest, Cardinal Room) {
    Check(FFirstPiece != nullptr, L"TCompressedBlobData: nothing to decompress");
    Defrag();
    Check(FFirstPiece->Next == nullptr, L"TCompressedBlobData: more than one piece");
    if (FFirstPiece->Used <= Cardinal(HeaderSize)) throw Exception(L"Invalid compressed blob size");
    if (std::memcmp(PieceData(FFirstPiece), CompressedMark, 16) != 0)
        throw Exception(L"Invalid compressed blob header");
    CheckCompressorLinked();
    Integer produced = Integer(Room);
    try {
        UncompressBlock(Dest, produced, PieceData(FFirstPiece) + HeaderSize,
                        Integer(FFirstPiece->Used) - HeaderSize);
    } catch (const std::exception&) {
        throw Exception(L"Invalid compressed blob data");
    }
    return Cardinal(produced);
}

void TCompressedBlobData::Decompress() {
    const Cardinal size = UnCompressedSize();
    PPieceHeader piece;
    AllocPiece(piece, size);
    try {
        if (DecompressInto(PieceData(piece), size) != size)
            throw Exception(L"Invalid uncompressed blob size");
    } catch (...) {
        FreePiece(piece);
        throw;
    }
    piece->Used = size;
    TDcBlobData::Clear();
    AppendPiece(piece);
}

bool TCompressedBlobData::SetCompressed(bool Value) {
    if (!FFirstPiece || GetDataSize() == 0 || Value == IsCompressed()) return false;
    if (!Value) {
        Decompress();
        return true;
    }
    const Cardinal size = GetDataSize();
    if (size > MinCompressSize) {
        Defrag();
        CompressFrom(PieceData(FFirstPiece), size);
    }
    return true;
}

void TCompressedBlobData::SetSize(Cardinal Value) {
    if (IsCompressed())
        Check(Value == 0 || Value == GetSize(),
              L"TCompressedBlobData.SetSize of a compressed blob");
    TDcBlobData::SetSize(Value);
}

void TCompressedBlobData::Truncate(Cardinal NewSize) {
    if (NewSize != 0 && IsCompressed()) Decompress();
    TDcBlobData::Truncate(NewSize);
}

Cardinal TCompressedBlobData::Read(Cardinal Position, Cardinal Count, void* Dest) {
    if (IsCompressed()) {
        const Cardinal size = GetSize();
        if (Position == 0 && (Count == 0 || Count == size)) {
            const Cardinal produced = DecompressInto(Dest, size);
            Check(produced == size, L"TCompressedBlobData.Read: wrong decompressed size");
            return size;
        }
        Decompress();
    }
    return TDcBlobData::Read(Position, Count, Dest);
}

void TCompressedBlobData::Write(Cardinal Position, Cardinal Count, const void* Source) {
    if (IsCompressed()) {
        if (Position == 0 && Count == GetSize()) {
            if (Count > MinCompressSize) CheckCompressorLinked(); // before the content goes
            TDcBlobData::Clear();
            if (Count > MinCompressSize && CompressFrom(Source, Count)) return;
        } else {
            Decompress();
        }
    }
    TDcBlobData::Write(Position, Count, Source);
}

bool TCompressedBlob::Compressed() const { return Store()->IsCompressed(); }

void TCompressedBlob::SetCompressed(bool Value) {
    CheckAlive();
    BeforeRead();
    Store()->SetCompressed(Value);
}

Cardinal TCompressedBlob::CompressedSize() const { return Store()->GetCompressedSize(); }
