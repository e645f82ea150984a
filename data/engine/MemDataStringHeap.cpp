// TStringHeap: small buffers carved from 16 KB chunks and recycled by exact size class without
// search; large ones from the memory manager. A buffer is [Int32 size][UInt16 mark][data]; the
// mark is 100 + the number of references (100: in a free list). A small free buffer keeps its
// size and stores the link to the next free buffer of its class in its first data bytes.
//
// With ThreadSafety on every operation that reads or writes a mark or a list, AddRef included,
// runs under the heap's critical section.
#include "data/engine/MemDataHeap.h"

#include "data/engine/CLRClasses.h"

#include <cstring>
#include <cwchar>

struct TStringHeap::TChunk {
    TChunk* Next; // the previous (older) chunk
    Byte Data[ChunkRoom];
};
static_assert(sizeof(void*) + TStringHeap::ChunkRoom == TStringHeap::ChunkSize);

// Holds the heap's lock for a scope when ThreadSafety is on.
class TStringHeap::TGuard {
public:
    explicit TGuard(const TStringHeap& heap) : FSection(heap.FThreadSafetyCS) {
        if (FSection) FSection->Enter();
    }
    ~TGuard() {
        if (FSection) FSection->Leave();
    }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

private:
    TCriticalSection* FSection;
};

namespace {
Byte* Header(void* buf) { return static_cast<Byte*>(buf) - TStringHeap::BufferHeader; }
void SetHeader(Byte* piece, Integer size, Word mark) {
    std::memcpy(piece, &size, 4);
    std::memcpy(piece + 4, &mark, 2);
}
void SetMark(void* buf, Word mark) { std::memcpy(static_cast<Byte*>(buf) - 2, &mark, 2); }
void* NextFree(void* buf) {
    void* next;
    std::memcpy(&next, buf, sizeof next);
    return next;
}
void SetNextFree(void* buf, void* next) { std::memcpy(buf, &next, sizeof next); }
} // namespace

Integer TStringHeap::BufSize(const void* Buf) {
    Integer size;
    std::memcpy(&size, static_cast<const Byte*>(Buf) - 6, 4);
    return size;
}

Word TStringHeap::BufMark(const void* Buf) {
    Word mark;
    std::memcpy(&mark, static_cast<const Byte*>(Buf) - 2, 2);
    return mark;
}

TStringHeap::TStringHeap() = default;

TStringHeap::~TStringHeap() {
    ClearUnlocked();
    delete FThreadSafetyCS;
}

void TStringHeap::SetThreadSafety(bool Value) {
    if (Value == FThreadSafety) return;
    if (Value) {
        Check(FThreadSafetyCS == nullptr, L"TStringHeap: the lock exists already");
        FThreadSafetyCS = new TCriticalSection;
    } else {
        delete FThreadSafetyCS;
        FThreadSafetyCS = nullptr;
    }
    FThreadSafety = Value;
}

void TStringHeap::NewChunk() {
    TChunk* chunk = static_cast<TChunk*>(Marshal::AllocHGlobal(ChunkSize));
    chunk->Next = FRoot;
    FRoot = chunk;
    FFree = ChunkRoom;
}

// The newest chunk's free tail becomes a free buffer of the class it fills.
void TStringHeap::SalvageTail() {
    const Integer size = (FFree - BufferHeader) / 8 * 8;
    Byte* piece = FRoot->Data + ChunkRoom - FFree;
    SetHeader(piece, size, MarkDisposed);
    void* buf = piece + BufferHeader;
    SetNextFree(buf, FSmallTab[size / 8]);
    FSmallTab[size / 8] = buf;
}

void* TStringHeap::Carve(Integer sizeClass) {
    const Integer need = 8 * sizeClass + BufferHeader;
    if (!FRoot) {
        NewChunk();
    } else if (FFree < need) {
        SalvageTail();
        NewChunk();
    }
    Byte* piece = FRoot->Data + ChunkRoom - FFree;
    Integer size = 8 * sizeClass;
    FFree -= need;
    if (FFree < 14) { // too little for any buffer: the piece takes what it can, a new chunk starts
        const Integer rest = FFree / 8 * 8;
        if (size + rest <= SmallSize) size += rest;
        NewChunk();
    }
    SetHeader(piece, size, MarkOneReference);
    return piece + BufferHeader;
}

void* TStringHeap::NewSmall(Integer sizeClass) {
    void* buf = FSmallTab[sizeClass];
    if (!buf) return Carve(sizeClass);
    FSmallTab[sizeClass] = NextFree(buf);
    SetMark(buf, MarkOneReference);
    return buf;
}

void* TStringHeap::NewBuf(Integer Size) {
    if (Size <= 0) return nullptr;
    TGuard guard(*this);
    FEmpty = false;
    const Integer sizeClass = (Size + 7) / 8;
    if (sizeClass <= SizeClasses) return NewSmall(sizeClass);
    Byte* piece = static_cast<Byte*>(Marshal::AllocHGlobal(NativeInt(Size) + BufferHeader));
    SetHeader(piece, Size, MarkOneReference);
    FSysGetMem = true;
    return piece + BufferHeader;
}

void TStringHeap::DisposeBuf(void* Buf) {
    if (!Buf) return;
    TGuard guard(*this);
    const Word mark = BufMark(Buf);
    Check(mark > MarkDisposed, L"DisposeBuf failed");
    if (mark > MarkOneReference) {
        SetMark(Buf, Word(mark - 1));
        return;
    }
    const Integer sizeClass = (BufSize(Buf) + 7) / 8;
    Check(sizeClass != 0, L"SmallTab in DisposeBuf failed");
    SetMark(Buf, MarkDisposed);
    if (sizeClass <= SizeClasses) {
        SetNextFree(Buf, FSmallTab[sizeClass]);
        FSmallTab[sizeClass] = Buf;
    } else {
        Marshal::FreeHGlobal(Header(Buf));
    }
}

void TStringHeap::AddRef(void* Buf) {
    if (!Buf) return;
    TGuard guard(*this);
    const Word mark = BufMark(Buf);
    Check(mark > MarkDisposed, L"AddRefStr failed");
    // A wrapped mark would read as disposed and free a buffer that is still shared.
    Check(mark < 0xFFFF, L"AddRefStr failed: too many references");
    SetMark(Buf, Word(mark + 1));
}

void TStringHeap::Clear() {
    if (FEmpty) return;
    TGuard guard(*this);
    ClearUnlocked();
}

void TStringHeap::ClearUnlocked() {
    while (FRoot) {
        TChunk* older = FRoot->Next;
        Marshal::FreeHGlobal(FRoot);
        FRoot = older;
    }
    FFree = ChunkRoom;
    std::memset(FSmallTab, 0, sizeof FSmallTab);
    FEmpty = true;
    FSysGetMem = false;
}

void* TStringHeap::AllocStr(const char* Str, bool Trim, Integer Len) {
    if (!Str) return nullptr;
    Integer n = Len == -1 ? Integer(std::strlen(Str)) : Len;
    if (Trim)
        while (n > 0 && Str[n - 1] == ' ') --n;
    char* buf = static_cast<char*>(NewBuf(n + 1));
    std::memcpy(buf, Str, n);
    buf[n] = '\0';
    return buf;
}

void* TStringHeap::AllocWideStr(const wchar_t* Str, bool Trim, Integer Len) {
    if (!Str) return nullptr;
    Integer n = Len == -1 ? Integer(std::wcslen(Str)) : Len;
    if (Trim)
        while (n > 0 && Str[n - 1] == L' ') --n;
    Byte* buf = static_cast<Byte*>(NewBuf(2 * n + 2));
    std::memcpy(buf, Str, 2 * std::size_t(n));
    std::memset(buf + 2 * n, 0, 2);
    return buf;
}

void* TStringHeap::ReAllocStr(void* Str, bool Trim) {
    void* copy = AllocStr(static_cast<const char*>(Str), Trim);
    DisposeBuf(Str);
    return copy;
}

void* TStringHeap::ReAllocWideStr(void* Str, bool Trim) {
    void* copy = AllocWideStr(static_cast<const wchar_t*>(Str), Trim);
    DisposeBuf(Str);
    return copy;
}
