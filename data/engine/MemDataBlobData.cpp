// TDcBlobData: the piece store of a blob. Pieces are appended as content grows; a piece that
// is followed by content only takes overwrites, so writing never inserts bytes inside the
// content, whatever room the pieces have.
#include "data/engine/MemDataBlobs.h"

#include <algorithm>

Cardinal DefaultPieceSize = 65514;

TDcBlobData::~TDcBlobData() { TDcBlobData::Clear(); }

// --- pieces ---

void TDcBlobData::AllocPiece(PPieceHeader& Piece, Cardinal Size) {
    Check(Size != 0, L"TDcBlobData.AllocPiece: zero-size piece");
    Piece = static_cast<PPieceHeader>(
        Marshal::AllocHGlobal(NativeInt(sizeof(TPieceHeader)) + NativeInt(Size)));
    Piece->Blob = nullptr;
    Piece->Size = Size;
    Piece->Used = 0;
    Piece->Prev = Piece->Next = nullptr;
    Piece->Test = 0;
}

void TDcBlobData::AppendPiece(PPieceHeader Piece) {
    Piece->Blob = this;
    Piece->Next = nullptr;
    Piece->Prev = nullptr;
    if (!FFirstPiece) {
        FFirstPiece = Piece;
        return;
    }
    PPieceHeader last = FFirstPiece;
    while (last->Next) last = last->Next;
    last->Next = Piece;
    Piece->Prev = last;
}

void TDcBlobData::DeletePiece(PPieceHeader Piece) {
    Check(Piece->Blob == this, L"TDcBlobData.DeletePiece: the piece belongs to another blob");
    if (Piece->Prev)
        Piece->Prev->Next = Piece->Next;
    else
        FFirstPiece = Piece->Next;
    if (Piece->Next) Piece->Next->Prev = Piece->Prev;
    Piece->Prev = Piece->Next = nullptr;
    Piece->Blob = nullptr;
}

void TDcBlobData::FreePiece(PPieceHeader Piece) {
    if (Piece->Blob) DeletePiece(Piece);
    Marshal::FreeHGlobal(Piece);
}

void TDcBlobData::ReallocPiece(PPieceHeader& Piece, Cardinal Size) {
    if (Size == 0) {
        FreePiece(Piece);
        Piece = nullptr;
        return;
    }
    if (Size == Piece->Size) return;
    PPieceHeader moved = static_cast<PPieceHeader>(
        Marshal::ReallocHGlobal(Piece, NativeInt(sizeof(TPieceHeader)) + NativeInt(Size)));
    moved->Size = Size;
    moved->Used = std::min(moved->Used, Size);
    if (moved->Blob) {
        if (moved->Prev)
            moved->Prev->Next = moved;
        else
            FFirstPiece = moved;
        if (moved->Next) moved->Next->Prev = moved;
    }
    Piece = moved;
}

// --- content ---

Cardinal TDcBlobData::GetDataSize() const {
    Cardinal size = 0;
    for (PPieceHeader piece = FFirstPiece; piece; piece = piece->Next) size += piece->Used;
    return size;
}

Cardinal TDcBlobData::GetSize() { return GetDataSize(); }

void TDcBlobData::SetSize(Cardinal Value) {
    const Cardinal size = GetSize();
    if (Value < size) return Truncate(Value);
    if (Value == size) return;
    PPieceHeader piece;
    AllocPiece(piece, Value - size);
    std::memset(PieceData(piece), 0, Value - size);
    piece->Used = Value - size;
    AppendPiece(piece);
}

void TDcBlobData::Clear() {
    while (FFirstPiece) FreePiece(FFirstPiece);
}

void TDcBlobData::Truncate(Cardinal NewSize) {
    if (NewSize == 0) return TDcBlobData::Clear();
    Cardinal offset = 0;
    for (PPieceHeader piece = FFirstPiece; piece; piece = piece->Next) {
        if (offset + piece->Used > NewSize) piece->Used = NewSize > offset ? NewSize - offset : 0;
        offset += piece->Used;
    }
}

Cardinal TDcBlobData::Read(Cardinal Position, Cardinal Count, void* Dest) {
    const Cardinal size = GetDataSize();
    if (!FFirstPiece || Position > size) return 0;
    const Cardinal total = Count == 0 ? size - Position : std::min(Count, size - Position);
    Byte* out = static_cast<Byte*>(Dest);
    Cardinal offset = 0, left = total;
    for (PPieceHeader piece = FFirstPiece; piece && left > 0; piece = piece->Next) {
        if (offset + piece->Used > Position) {
            const Cardinal start = Position - offset;
            const Cardinal n = std::min(piece->Used - start, left);
            std::memcpy(out, PieceData(piece) + start, n);
            out += n;
            left -= n;
            Position += n;
        }
        offset += piece->Used;
    }
    return total;
}

void TDcBlobData::Write(Cardinal Position, Cardinal Count, const void* Source) {
    Position = std::min(Position, GetDataSize());
    const Byte* in = static_cast<const Byte*>(Source);
    PPieceHeader lastWithContent = nullptr;
    for (PPieceHeader piece = FFirstPiece; piece; piece = piece->Next)
        if (piece->Used > 0) lastWithContent = piece;
    Cardinal offset = 0;
    bool past = lastWithContent == nullptr; // at or after the last piece holding content
    for (PPieceHeader piece = FFirstPiece; piece && Count > 0; piece = piece->Next) {
        const Cardinal room = past ? piece->Size : piece->Used;
        if (offset + room > Position) {
            const Cardinal start = Position - offset;
            Check(start <= piece->Used, L"TDcBlobData.Write: the write would leave a gap");
            const Cardinal n = std::min(room - start, Count);
            std::memcpy(PieceData(piece) + start, in, n);
            piece->Used = std::max(piece->Used, start + n);
            in += n;
            Count -= n;
            Position += n;
        }
        offset += piece->Used;
        if (piece == lastWithContent) past = true;
    }
    while (Count > 0) {
        PPieceHeader piece;
        const Cardinal n = std::min(FPieceSize, Count);
        AllocPiece(piece, n);
        std::memcpy(PieceData(piece), in, n);
        piece->Used = n;
        AppendPiece(piece);
        in += n;
        Count -= n;
    }
}

void TDcBlobData::Compress() {
    for (PPieceHeader piece = FFirstPiece; piece;) {
        PPieceHeader next = piece->Next;
        if (piece->Used == 0)
            FreePiece(piece);
        else
            CompressPiece(piece);
        piece = next;
    }
}

void TDcBlobData::Defrag() {
    if (!FFirstPiece) return;
    const Cardinal size = GetDataSize();
    PPieceHeader first = FFirstPiece;
    if (!first->Next && first->Used == first->Size) return;
    std::string rest;
    for (PPieceHeader piece = first->Next; piece; piece = piece->Next)
        rest.append(reinterpret_cast<const char*>(PieceData(piece)), piece->Used);
    while (first->Next) FreePiece(first->Next);
    ReallocPiece(first, size);
    if (!first) return;
    std::memcpy(PieceData(first) + first->Used, rest.data(), rest.size());
    first->Used = size;
}

void TDcBlobData::CopyTo(TDcBlobData* Dest) {
    Dest->Clear();
    if (!FFirstPiece) return;
    const Cardinal size = GetDataSize();
    PPieceHeader copy = nullptr;
    if (size > 0) {
        AllocPiece(copy, size);
        TDcBlobData::Read(0, size, PieceData(copy));
        copy->Used = size;
    }
    Dest->FFirstPiece = FFirstPiece;
    for (PPieceHeader piece = FFirstPiece; piece; piece = piece->Next) piece->Blob = Dest;
    FFirstPiece = nullptr;
    if (copy) AppendPiece(copy);
}

std::string TDcBlobData::Content() {
    std::string content(GetDataSize(), '\0');
    TDcBlobData::Read(0, Cardinal(content.size()), content.data());
    return content;
}

void TDcBlobData::ReplaceContent(const std::string& content) {
    TDcBlobData::Clear();
    TDcBlobData::Write(0, Cardinal(content.size()), content.data());
}
