// Dispatcher objects and critical sections:
//   TUclDispatcherObject  a waitable kernel object (owned handle, name, whether it existed)
//   TUclMutex             a named or unnamed mutex, created or opened
//   TUclCriticalSection   an in-process lock; CreateAndEnter installs one lazily and safely
// Waits answer a TUclWaitResult; creating or opening a mutex raises EUclMutexError.
#pragma once

#include "framework/SyncObjs.h"
#include "support/Ucl/UclWin32.h"

#include <atomic>

class EUclMutexError : public EUclWin32Error {
public:
    using EUclWin32Error::EUclWin32Error;
};

enum TUclWaitResult { wrUclAbandoned, wrUclError, wrUclIoCompletion, wrUclSignaled, wrUclTimeout };

TUclWaitResult MapWaitResult(DWORD waitResult) noexcept;

class TUclDispatcherObject : public TObject {
public:
    // Wraps a handle someone else made; the object then owns it.
    static TUclDispatcherObject* Attach(HANDLE handle);

    bool Existed() const noexcept { return FExisted; }
    HANDLE Handle() const noexcept { return FHandle.Get(); }
    const UnicodeString& Name() const noexcept { return FName; }

    TUclWaitResult WaitFor(DWORD timeoutMs);
    TUclWaitResult WaitForever() { return WaitFor(INFINITE); }
    TUclWaitResult WaitAlertable(DWORD timeoutMs);
    // Signals `other` and waits on this object in one step.
    TUclWaitResult SignalAndWait(const TUclDispatcherObject& other, DWORD timeoutMs,
                                 bool alertable);

protected:
    TUclDispatcherObject(HANDLE handle, UnicodeString name, bool existed) noexcept
        : FExisted(existed), FHandle(handle), FName(std::move(name)) {}

private:
    bool FExisted;
    TKernelHandle FHandle;
    UnicodeString FName;
};

class TUclMutex : public TUclDispatcherObject {
public:
    // Creates the mutex (EUclMutexError "Failed to create mutex"); Existed() tells whether a
    // mutex of that name was there already.
    TUclMutex(SECURITY_ATTRIBUTES* security, const UnicodeString& name, bool initialOwner);
    // Opens an existing mutex (EUclMutexError "Failed to open mutex").
    static TUclMutex* Open(DWORD access, const UnicodeString& name, bool inheritable);

    bool Acquire(DWORD timeoutMs = INFINITE) { return WaitFor(timeoutMs) == wrUclSignaled; }
    bool Release() noexcept { return ReleaseMutex(Handle()) != FALSE; }

private:
    struct TCreated {
        HANDLE Handle;
        bool Existed;
    };
    static TCreated CreateChecked(SECURITY_ATTRIBUTES* security, const UnicodeString& name,
                                  bool initialOwner);
    TUclMutex(TCreated created, const UnicodeString& name) noexcept
        : TUclDispatcherObject(created.Handle, name, created.Existed) {}
};

class TUclCriticalSection : public TObject {
public:
    TUclCriticalSection() noexcept { InitializeCriticalSection(&FCriticalSection); }
    ~TUclCriticalSection() override { DeleteCriticalSection(&FCriticalSection); }

    void Enter() noexcept { EnterCriticalSection(&FCriticalSection); }
    void Leave() noexcept { LeaveCriticalSection(&FCriticalSection); }
    // Installs a new section into `section` when it is null (an atomic compare-and-exchange:
    // of two threads racing, one section survives) and enters the installed one.
    static void CreateAndEnter(std::atomic<TUclCriticalSection*>& section);

private:
    CRITICAL_SECTION FCriticalSection;
};

TModuleEntry UclSynchModule();
