// A scope that holds a critical section only when it could be entered without waiting: the
// pool's sweeps, counters and info texts skip their work rather than wait for a busy lock.
#pragma once

#include "framework/SyncObjs.h"

class TKitTryLock {
public:
    explicit TKitTryLock(TCriticalSection& section) noexcept
        : FSection(section), FEntered(section.TryEnter()) {}
    ~TKitTryLock() {
        if (FEntered) FSection.Leave();
    }
    TKitTryLock(const TKitTryLock&) = delete;
    TKitTryLock& operator=(const TKitTryLock&) = delete;

    explicit operator bool() const noexcept { return FEntered; }

private:
    TCriticalSection& FSection;
    const bool FEntered;
};
