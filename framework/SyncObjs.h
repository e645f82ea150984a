// Synchronisation objects over the system's primitives (their handles are owned by
// TKernelHandle, framework/Handles.h):
//   TCriticalSection  recursive in-process lock; TLock holds one for a scope. The lock class of
//                     the libraries whose designs name a critical section; the class library's
//                     own internals lock with the standard mutexes
//   THandleObject     base of the waitable objects below: Handle() and WaitFor()
//   TEvent            manual- or auto-reset event, optionally named; TSimpleEvent is the
//                     unnamed manual-reset one that starts unsignalled
//   TMutex            mutex, optionally named (shared by every process of the logon session)
//   TSemaphore        counting semaphore, optionally named
//   TAtomicCounter    an integer that threads change without a lock
//   TickDiff, TicksSince, TickExpired: intervals on the 32-bit millisecond tick count
//
// Creating an object raises EOSError naming the API when the system refuses; so does a failed
// signal or release. Waits answer a TWaitResult instead of raising, because a timeout is an
// ordinary outcome. The tick count wraps after 49.7 days: intervals are computed modulo 2^32,
// so they are right across a wrap as long as the interval itself is shorter than that.
#pragma once

#include "framework/Handles.h"
#include "framework/Objects.h"

#include <windows.h>

#include <atomic>

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// A wait without a time limit.
constexpr Cardinal InfiniteTimeout = INFINITE;

class TCriticalSection : public TObject {
public:
    TCriticalSection() noexcept;
    ~TCriticalSection() override;

    // The owning thread may enter again; it leaves as many times as it entered.
    void Enter() noexcept;
    void Leave() noexcept;
    // Enters without waiting; true when entered.
    bool TryEnter() noexcept;
    void Acquire() noexcept { Enter(); }
    void Release() noexcept { Leave(); }

private:
    CRITICAL_SECTION FSection;
};

// Holds a critical section from construction to the end of the scope.
class TLock {
public:
    explicit TLock(TCriticalSection& section) noexcept : FSection(section) { FSection.Enter(); }
    ~TLock() { FSection.Leave(); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

private:
    TCriticalSection& FSection;
};

class THandleObject : public TObject {
public:
    HANDLE Handle() const noexcept { return FHandle.Get(); }
    // Waits until the object is signalled or `timeoutMs` has passed (InfiniteTimeout: no limit).
    // After wrError, GetLastError() tells why.
    TWaitResult WaitFor(Cardinal timeoutMs);

protected:
    // Takes `handle` from a Create... call; raises EOSError naming `api` when it is null.
    THandleObject(HANDLE handle, const wchar_t* api);

private:
    TKernelHandle FHandle;
};

class TEvent : public THandleObject {
public:
    TEvent(bool manualReset, bool initialState, const UnicodeString& name = {});

    void SetEvent();
    void ResetEvent();
};

// An unnamed manual-reset event that starts unsignalled.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent() : TEvent(true, false) {}
};

class TMutex : public THandleObject {
public:
    explicit TMutex(bool initialOwner = false, const UnicodeString& name = {});

    // Waits without a limit; a mutex abandoned by a thread that ended is acquired all the same.
    void Acquire();
    // Raises EOSError when the calling thread does not own the mutex.
    void Release();
};

class TSemaphore : public THandleObject {
public:
    TSemaphore(Integer initialCount, Integer maximumCount, const UnicodeString& name = {});

    // Waits without a limit for one unit of the count.
    void Acquire();
    // Adds `count` to the count and answers the count before; raises EOSError when the sum
    // would pass the maximum (the count is then unchanged).
    Integer Release(Integer count = 1);
};

class TAtomicCounter {
public:
    explicit TAtomicCounter(Integer value = 0) noexcept : FValue(value) {}

    // Each answers the value after the change; the value wraps like a 32-bit register.
    Integer Increment() noexcept { return ++FValue; }
    Integer Decrement() noexcept { return --FValue; }
    Integer Add(Integer delta) noexcept { return FValue += delta; }
    // Stores `value` and answers the value before.
    Integer Exchange(Integer value) noexcept { return FValue.exchange(value); }
    Integer Value() const noexcept { return FValue.load(); }

private:
    std::atomic<Integer> FValue;
};

// Milliseconds from `earlier` to `later` on the wrapping 32-bit tick count.
constexpr Cardinal TickDiff(Cardinal later, Cardinal earlier) noexcept {
    return static_cast<Cardinal>(later - earlier);
}

// Milliseconds since `start`, a value of GetTickCount().
inline Cardinal TicksSince(Cardinal start) noexcept { return TickDiff(GetTickCount(), start); }

// True when at least `intervalMs` milliseconds have passed since `start`.
inline bool TickExpired(Cardinal start, Cardinal intervalMs) noexcept {
    return TicksSince(start) >= intervalMs;
}
