// Ownership of kernel handles and the waitable objects built on them (events, mutexes,
// semaphores). Each object is created in its constructor and owns its handle until it is
// destroyed; a name, when given, opens the existing object of that name or creates it.
#include "framework/SyncObjs.h"

namespace {

const wchar_t* NameOrNull(const UnicodeString& name) {
    return name.empty() ? nullptr : name.c_str();
}

void CheckCall(BOOL succeeded, const wchar_t* api) {
    if (!succeeded) RaiseLastOSError(api);
}

void AcquireOrRaise(THandleObject& object) {
    const TWaitResult result = object.WaitFor(InfiniteTimeout);
    if (result == wrError) RaiseLastOSError(L"WaitForSingleObject");
}

} // namespace

THandleObject::THandleObject(HANDLE handle, const wchar_t* api) : FHandle(handle) {
    if (!FHandle) RaiseLastOSError(api);
}

TWaitResult THandleObject::WaitFor(Cardinal timeoutMs) {
    switch (WaitForSingleObject(Handle(), timeoutMs)) {
    case WAIT_OBJECT_0: return wrSignaled;
    case WAIT_TIMEOUT: return wrTimeout;
    case WAIT_ABANDONED: return wrAbandoned;
    default: return wrError;
    }
}

TEvent::TEvent(bool manualReset, bool initialState, const UnicodeString& name)
    : THandleObject(CreateEventW(nullptr, manualReset, initialState, NameOrNull(name)),
                    L"CreateEvent") {}

void TEvent::SetEvent() { CheckCall(::SetEvent(Handle()), L"SetEvent"); }

void TEvent::ResetEvent() { CheckCall(::ResetEvent(Handle()), L"ResetEvent"); }

TMutex::TMutex(bool initialOwner, const UnicodeString& name)
    : THandleObject(CreateMutexW(nullptr, initialOwner, NameOrNull(name)), L"CreateMutex") {}

void TMutex::Acquire() { AcquireOrRaise(*this); }

void TMutex::Release() { CheckCall(ReleaseMutex(Handle()), L"ReleaseMutex"); }

TSemaphore::TSemaphore(Integer initialCount, Integer maximumCount, const UnicodeString& name)
    : THandleObject(CreateSemaphoreW(nullptr, initialCount, maximumCount, NameOrNull(name)),
                    L"CreateSemaphore") {}

void TSemaphore::Acquire() { AcquireOrRaise(*this); }

Integer TSemaphore::Release(Integer count) {
    LONG previous = 0;
    CheckCall(ReleaseSemaphore(Handle(), count, &previous), L"ReleaseSemaphore");
    return previous;
}
