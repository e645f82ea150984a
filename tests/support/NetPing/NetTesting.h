// Helpers shared by the hidden-window and ICMP tests: the pool module for the length of a
// test, message pumping with a deadline, and a capture of what reaches the boundary sink.
#pragma once

#include "support/NetPing/NetWndControl.h"

#include "framework/ExceptionBoundary.h"
#include "framework/SyncObjs.h"

#include <gtest/gtest.h>

#include <exception>

// Generous: every wait below is expected to end at once.
constexpr Cardinal Patience = 10000;

class TNetModuleTest : public testing::Test {
protected:
    void SetUp() override { NetWndControlModule().Initialize(); }
    void TearDown() override { NetWndControlModule().Finalize(); }
};

// Handles this thread's messages until `done` or the deadline; answers `done()`.
template <class Predicate> bool PumpUntil(Predicate done) {
    const Cardinal start = GetTickCount();
    while (!done() && !TickExpired(start, Patience)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}

// Handles every message waiting now.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class TSinkCapture {
public:
    TSinkCapture() : FPrevious(SetBoundaryExceptionSink(&Capture)) { Last() = nullptr; }
    ~TSinkCapture() { SetBoundaryExceptionSink(FPrevious); }
    TSinkCapture(const TSinkCapture&) = delete;
    TSinkCapture& operator=(const TSinkCapture&) = delete;

    static std::exception_ptr& Last() {
        static std::exception_ptr last;
        return last;
    }

private:
    static void Capture(std::exception_ptr error) noexcept { Last() = error; }
    TBoundaryExceptionSink FPrevious;
};
