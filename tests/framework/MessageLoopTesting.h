// Helpers for tests that run a message loop: a deadline that ends a loop which would otherwise
// wait forever, a way to empty the thread's queue between tests, and a recorder for the
// application's OnException.
#pragma once

#include "framework/Exceptions.h"
#include "framework/Objects.h"

#include <windows.h>

#include <typeinfo>
#include <vector>

// Posts the quit message after `ms` unless destroyed first; a plain thread timer, so that it
// works even when the code under test does not.
class TLoopDeadline {
public:
    explicit TLoopDeadline(UINT ms) : FId(SetTimer(nullptr, 0, ms, &Expire)) { Expired() = false; }
    ~TLoopDeadline() { KillTimer(nullptr, FId); }
    TLoopDeadline(const TLoopDeadline&) = delete;
    TLoopDeadline& operator=(const TLoopDeadline&) = delete;

    static bool& Expired() {
        static bool expired = false;
        return expired;
    }

private:
    static void CALLBACK Expire(HWND, UINT, UINT_PTR, DWORD) noexcept {
        Expired() = true;
        PostQuitMessage(0);
    }

    UINT_PTR FId;
};

// Removes every message left in this thread's queue, quit messages included.
inline void DrainMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

struct THandledException {
    TObject* Sender;
    UnicodeString Message;
    const std::type_info* Type; // of the object the handler received
    DWORD ThreadId;
};

// Non-interactive OnException: remembers what it was given.
class TExceptionRecorder {
public:
    std::vector<THandledException> Handled;

    void OnException(TObject* Sender, const Exception& E) {
        Handled.push_back({Sender, E.Message(), &typeid(E), GetCurrentThreadId()});
    }
};
