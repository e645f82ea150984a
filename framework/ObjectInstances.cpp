// Object instances as thunks in pooled executable pages. Each instance is a record whose first
// bytes are machine code: it replaces the window-handle argument with the record's address and
// jumps to one shared C++ procedure, which finds the method there. The window handle is not
// needed afterwards: the method's messages carry no handle, and the default answer for a freed
// instance is DefWindowProc of a null window (0).
//
//   x86_64 (arguments in rcx, rdx, r8, r9):
//     48 B9 <record:8>    mov rcx, record
//     48 B8 <target:8>    mov rax, InstanceProc
//     FF E0               jmp rax
//   i686 (stdcall, the first argument at [esp+4]):
//     C7 44 24 04 <record:4>   mov dword ptr [esp+4], record
//     B8 <target:4>            mov eax, InstanceProc
//     FF E0                    jmp eax
//
// Pool: records are carved from 64 KiB pages allocated PAGE_EXECUTE_READWRITE and kept on a
// free list guarded by PoolLock. A record freed while its dispatch runs (Depth > 0) is only
// marked; the outermost dispatch puts it on the free list when it returns.
#include "framework/ObjectInstances.h"

#include "framework/ExceptionBoundary.h"
#include "framework/Exceptions.h"

#include <cstring>
#include <mutex>
#include <new>

namespace {

struct TInstanceRecord {
    unsigned char Code[32];
    TWndMethod Method;
    TInstanceRecord* NextFree = nullptr;
    int Depth = 0; // dispatches of this record running now (on its window's thread)
    bool Freed = false;
};

constexpr std::size_t PageSize = 64 * 1024;

std::mutex PoolLock;
TInstanceRecord* FreeList = nullptr; // guarded by PoolLock

void Release(TInstanceRecord* record) noexcept {
    std::lock_guard<std::mutex> guard(PoolLock);
    record->Method = TWndMethod();
    record->NextFree = FreeList;
    FreeList = record;
}

LRESULT CALLBACK InstanceProc(TInstanceRecord* record, UINT msg, WPARAM wParam,
                              LPARAM lParam) noexcept {
    TMessage message{msg, wParam, lParam, 0};
    // A copy: the method may free the instance (and so clear Method) while it runs.
    const TWndMethod method = record->Method;
    if (!method) return DefWindowProcW(nullptr, msg, wParam, lParam);
    ++record->Depth;
    GuardBoundary([&] { method(message); });
    if (--record->Depth == 0 && record->Freed) Release(record);
    return message.Result;
}

template <class T> unsigned char* Put(unsigned char* at, T value) {
    std::memcpy(at, &value, sizeof(value));
    return at + sizeof(value);
}

void WriteThunk(TInstanceRecord* record) {
    unsigned char* at = record->Code;
    const auto target = reinterpret_cast<std::uintptr_t>(&InstanceProc);
#if defined(__x86_64__)
    at = Put<Word>(at, 0xB948);
    at = Put<std::uint64_t>(at, reinterpret_cast<std::uintptr_t>(record));
    at = Put<Word>(at, 0xB848);
    at = Put<std::uint64_t>(at, target);
#elif defined(__i386__)
    at = Put<std::uint32_t>(at, 0x042444C7u);
    at = Put<std::uint32_t>(at, reinterpret_cast<std::uintptr_t>(record));
    at = Put<Byte>(at, 0xB8);
    at = Put<std::uint32_t>(at, target);
#else
#error "object instances need an x86 thunk for this target"
#endif
    Put<Word>(at, 0xE0FF);
    FlushInstructionCache(GetCurrentProcess(), record->Code, sizeof(record->Code));
}

// Call with PoolLock held.
void GrowPool() {
    void* page = VirtualAlloc(nullptr, PageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (!page)
        throw EOutOfResources(L"VirtualAlloc failed for object instances (error " +
                              std::to_wstring(GetLastError()) + L")");
    auto* records = static_cast<TInstanceRecord*>(page);
    for (std::size_t i = 0; i < PageSize / sizeof(TInstanceRecord); ++i) {
        auto* record = new (&records[i]) TInstanceRecord;
        record->NextFree = FreeList;
        FreeList = record;
    }
}

TInstanceRecord* Take() {
    std::lock_guard<std::mutex> guard(PoolLock);
    if (!FreeList) GrowPool();
    TInstanceRecord* record = FreeList;
    FreeList = record->NextFree;
    record->NextFree = nullptr;
    record->Freed = false;
    return record;
}

} // namespace

WNDPROC MakeObjectInstance(const TWndMethod& method) {
    TInstanceRecord* record = Take();
    record->Method = method;
    WriteThunk(record);
    return reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(record->Code));
}

void FreeObjectInstance(WNDPROC instance) noexcept {
    if (!instance) return;
    auto* record = reinterpret_cast<TInstanceRecord*>(reinterpret_cast<void*>(instance));
    record->Method = TWndMethod();
    if (record->Depth > 0)
        record->Freed = true;
    else
        Release(record);
}
