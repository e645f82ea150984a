// Dispatcher objects: waits mapped to TUclWaitResult, the mutex's creation and opening, and the
// lazily installed critical section.
#include "support/Ucl/UclSynch.h"

#include "support/Ucl/UclUnitVersioning.h"

TUclWaitResult MapWaitResult(DWORD waitResult) noexcept {
    switch (waitResult) {
    case WAIT_OBJECT_0: return wrUclSignaled;
    case WAIT_ABANDONED: return wrUclAbandoned;
    case WAIT_IO_COMPLETION: return wrUclIoCompletion;
    case WAIT_TIMEOUT: return wrUclTimeout;
    default: return wrUclError;
    }
}

TUclDispatcherObject* TUclDispatcherObject::Attach(HANDLE handle) {
    return new TUclDispatcherObject(handle, {}, true);
}

TUclWaitResult TUclDispatcherObject::WaitFor(DWORD timeoutMs) {
    return MapWaitResult(WaitForSingleObject(Handle(), timeoutMs));
}

TUclWaitResult TUclDispatcherObject::WaitAlertable(DWORD timeoutMs) {
    return MapWaitResult(WaitForSingleObjectEx(Handle(), timeoutMs, TRUE));
}

TUclWaitResult TUclDispatcherObject::SignalAndWait(const TUclDispatcherObject& other,
                                                   DWORD timeoutMs, bool alertable) {
    return MapWaitResult(SignalObjectAndWait(other.Handle(), Handle(), timeoutMs, alertable));
}

TUclMutex::TCreated TUclMutex::CreateChecked(SECURITY_ATTRIBUTES* security,
                                             const UnicodeString& name, bool initialOwner) {
    HANDLE handle = CreateMutexW(security, initialOwner, name.empty() ? nullptr : name.c_str());
    if (!handle) throw EUclMutexError(L"Failed to create mutex");
    return {handle, GetLastError() == ERROR_ALREADY_EXISTS};
}

TUclMutex::TUclMutex(SECURITY_ATTRIBUTES* security, const UnicodeString& name, bool initialOwner)
    : TUclMutex(CreateChecked(security, name, initialOwner), name) {}

TUclMutex* TUclMutex::Open(DWORD access, const UnicodeString& name, bool inheritable) {
    HANDLE handle = OpenMutexW(access, inheritable, name.c_str());
    if (!handle) throw EUclMutexError(L"Failed to open mutex");
    return new TUclMutex(TCreated{handle, true}, name);
}

void TUclCriticalSection::CreateAndEnter(std::atomic<TUclCriticalSection*>& section) {
    if (!section.load()) {
        auto* created = new TUclCriticalSection;
        TUclCriticalSection* expected = nullptr;
        if (!section.compare_exchange_strong(expected, created)) delete created;
    }
    section.load()->Enter();
}

TModuleEntry UclSynchModule() { return UnitVersionedModule(L"UclSynch", nullptr, nullptr); }
