// A plain system thread for tests that need real concurrency around the code under test.
#pragma once

#include "framework/Exceptions.h"
#include "framework/ExceptionBoundary.h"

#include <windows.h>

#include <functional>

// A thread for the tests; the destructor waits for it.
class TTestThread {
public:
    explicit TTestThread(std::function<void()> body) : FBody(std::move(body)) {
        FHandle = CreateThread(nullptr, 0, &Entry, this, 0, nullptr);
        if (!FHandle) RaiseLastOSError(L"CreateThread");
    }
    ~TTestThread() {
        WaitForSingleObject(FHandle, INFINITE);
        CloseHandle(FHandle);
    }
    TTestThread(const TTestThread&) = delete;
    TTestThread& operator=(const TTestThread&) = delete;

    DWORD Wait(DWORD milliseconds) { return WaitForSingleObject(FHandle, milliseconds); }

private:
    static DWORD WINAPI Entry(void* self) {
        GuardBoundary([self] { static_cast<TTestThread*>(self)->FBody(); });
        return 0;
    }

    std::function<void()> FBody;
    HANDLE FHandle = nullptr;
};
