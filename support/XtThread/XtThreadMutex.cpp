// The unit's named mutex and CallUnderThreadMutex. The mutex is created (not owned) by the
// module's start-up on the main thread and closed at shut-down; a system mutex is recursive for
// its owner, so calls nest.
#include "support/XtThread/XtThread.h"

namespace {

constexpr const wchar_t* ThreadMutexName = L"VCLXtThreadMutex";
TMutex* ThreadMutex = nullptr; // set and cleared by the module on the main thread

} // namespace

TModuleEntry XtThreadModule() {
    return {L"XtThread",
            {},
            [] {
                if (ThreadMutex) throw EInvalidOperation(L"The thread mutex exists already");
                ThreadMutex = new TMutex(false, ThreadMutexName);
            },
            [] {
                delete ThreadMutex;
                ThreadMutex = nullptr;
            }};
}

void CallUnderThreadMutex(const TNotifyEvent& Method) {
    if (!ThreadMutex) throw EInvalidOperation(L"The thread mutex is not initialised");
    ThreadMutex->Acquire();
    try {
        Method(nullptr);
    } catch (...) {
        ThreadMutex->Release();
        throw;
    }
    ThreadMutex->Release();
}
