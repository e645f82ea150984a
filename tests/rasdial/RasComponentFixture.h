// Test support for the dial-up components: the simulated RAS library bound on a chosen level
// with a scenario, and a message pump with a deadline for what arrives through posted
// messages (the deadline guards against a hang; no test measures time with it).
#pragma once

#include "FakeRasFixture.h"

#include <gtest/gtest.h>

#include <functional>

constexpr DWORD RasTestDeadlineMs = 10000;

// Dispatches this thread's messages until `done` answers true or the deadline passes; answers
// whether `done` came true.
inline bool PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = RasTestDeadlineMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > deadlineMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(1);
    }
    return true;
}

// Dispatches whatever is queued now.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

class RasComponentTest : public testing::Test {
protected:
    explicit RasComponentTest(Byte level = RasLevelXP)
        : FBinding(FullFake(), level), FControl(FullFake()) {}
    void SetUp() override {
        ASSERT_TRUE(FControl.Loaded()) << "the simulated RAS library did not load";
    }
    void Script(const char* text) { ASSERT_EQ(FControl.SetScript(text), 0) << text; }

    TFakeRasBinding FBinding;
    TFakeRasControl FControl;
};
