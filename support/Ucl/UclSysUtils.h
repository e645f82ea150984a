// Named shared-memory blocks with reference counts per process, and the interface-scoped
// lock that guards their list.
//
// A module maps a block by name; mapping the same name again (ignoring case) in this module
// gives the same address and one more reference, and the view goes away with the last unmap.
// The list of mapped blocks belongs to this module and is guarded by one
// `TUclIntfCriticalSection`, held for the whole of each operation.
#pragma once

#include "support/Ucl/UclBase.h"

#include <windows.h>
#include <objbase.h>

// A shared-memory name the platform cannot take, or a block that cannot be created empty.
class ESharedMemError : public EUclError {
public:
    using EUclError::EUclError;
};

// A critical section reached through IUnknown: AddRef enters it, Release leaves it, so that
// holding a reference holds the lock. The object itself is not reference counted: its owner
// frees it.
class TUclIntfCriticalSection : public TObject, public IUnknown {
public:
    TUclIntfCriticalSection() noexcept;
    ~TUclIntfCriticalSection() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    CRITICAL_SECTION FCriticalSection;
};

// Holds an interface reference, and so the lock, for a scope.
class TUclIntfLock {
public:
    explicit TUclIntfLock(IUnknown& lock) noexcept : FLock(lock) { FLock.AddRef(); }
    ~TUclIntfLock() { FLock.Release(); }
    TUclIntfLock(const TUclIntfLock&) = delete;
    TUclIntfLock& operator=(const TUclIntfLock&) = delete;

private:
    IUnknown& FLock;
};

// Maps the block `name` of `size` bytes with `access` (FILE_MAP_...) into `address`. Answers
// ERROR_ALREADY_EXISTS (183) when the block existed, else 0. Before Windows 2000 (and on a
// release that cannot be told) an empty name or one with "\" raises ESharedMemError; a block
// that does not exist with size 0 raises ESharedMemError; a failed system call raises EOSError.
DWORD MapSharedBlock(void*& address, const UnicodeString& name, DWORD size, DWORD access);
// Drops one reference of the block at `address` (the view goes with the last); `address`
// becomes null. False for an address this module has not mapped; true for null.
bool UnmapSharedBlock(void*& address);
inline bool CloseSharedBlock(void*& address) { return UnmapSharedBlock(address); }

TModuleEntry UclSysUtilsModule();
