#include "framework/SyncObjs.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

namespace {

// Generous: the machine may be loaded, but every wait below is expected to end at once.
constexpr Cardinal Patience = 10000;

// A name no other test run uses, so that named objects start fresh.
UnicodeString UniqueName(const wchar_t* kind) {
    static int serial = 0;
    return UnicodeString(L"SyncObjsTests.") + kind + L"." + std::to_wstring(GetCurrentProcessId()) +
           L"." + std::to_wstring(++serial);
}

// Runs `body` on another thread and waits for it.
template <class Body> void OnOtherThread(Body body) { std::thread(body).join(); }

template <class Body> void OnThreads(int count, Body body) {
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) threads.emplace_back(body);
    for (auto& thread : threads) thread.join();
}

} // namespace

TEST(SyncObjs, KernelHandleOwnsOneHandle) {
    const auto isOpen = [](HANDLE handle) {
        DWORD flags = 0;
        return GetHandleInformation(handle, &flags) != FALSE;
    };
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    TKernelHandle first(raw);
    TKernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), raw);
    TKernelHandle third;
    third = std::move(second);
    EXPECT_EQ(third.Get(), raw);
    EXPECT_TRUE(isOpen(raw));
    third.Reset();
    EXPECT_FALSE(isOpen(raw));

    HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        TKernelHandle owner(kept);
        EXPECT_EQ(owner.Release(), kept);
    }
    EXPECT_TRUE(isOpen(kept));
    CloseHandle(kept);

    TKernelHandle failed(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failed);
}

TEST(SyncObjs, CriticalSectionIsRecursiveAndKeepsOtherThreadsOut) {
    TCriticalSection section;
    section.Enter();
    section.Acquire();
    EXPECT_TRUE(section.TryEnter());
    OnOtherThread([&] { EXPECT_FALSE(section.TryEnter()); });
    section.Leave();
    section.Release();
    OnOtherThread([&] { EXPECT_FALSE(section.TryEnter()); }); // still entered once
    section.Leave();
    OnOtherThread([&] {
        EXPECT_TRUE(section.TryEnter());
        section.Leave();
    });
}

TEST(SyncObjs, LockHoldsTheSectionForItsScope) {
    TCriticalSection section;
    {
        TLock lock(section);
        OnOtherThread([&] { EXPECT_FALSE(section.TryEnter()); });
    }
    OnOtherThread([&] {
        EXPECT_TRUE(section.TryEnter());
        section.Leave();
    });

    long total = 0; // guarded by section
    OnThreads(4, [&] {
        for (int i = 0; i < 20000; ++i) {
            TLock lock(section);
            total = total + 1;
        }
    });
    EXPECT_EQ(total, 80000);
}

TEST(SyncObjs, AtomicCounterAnswersTheNewValue) {
    TAtomicCounter counter(5);
    EXPECT_EQ(counter.Increment(), 6);
    EXPECT_EQ(counter.Decrement(), 5);
    EXPECT_EQ(counter.Add(-7), -2);
    EXPECT_EQ(counter.Exchange(40), -2);
    EXPECT_EQ(counter.Value(), 40);

    TAtomicCounter top(INT_MAX);
    EXPECT_EQ(top.Increment(), INT_MIN);

    TAtomicCounter shared;
    OnThreads(4, [&] {
        for (int i = 0; i < 20000; ++i) shared.Increment();
    });
    EXPECT_EQ(shared.Value(), 80000);
}

TEST(SyncObjs, EventResetModesAndInitialState) {
    struct Case {
        bool ManualReset, InitialState;
        TWaitResult First, Second; // two waits in a row without a SetEvent between
    };
    const Case cases[] = {
        {true, true, wrSignaled, wrSignaled},
        {false, true, wrSignaled, wrTimeout},
        {true, false, wrTimeout, wrTimeout},
        {false, false, wrTimeout, wrTimeout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "manual " << c.ManualReset << ", initial " << c.InitialState);
        TEvent event(c.ManualReset, c.InitialState);
        EXPECT_NE(event.Handle(), nullptr);
        EXPECT_EQ(event.WaitFor(0), c.First);
        EXPECT_EQ(event.WaitFor(0), c.Second);
        event.SetEvent();
        EXPECT_EQ(event.WaitFor(0), wrSignaled);
        event.SetEvent();
        event.ResetEvent();
        EXPECT_EQ(event.WaitFor(0), wrTimeout);
    }
    TSimpleEvent simple;
    EXPECT_EQ(simple.WaitFor(0), wrTimeout);
}

TEST(SyncObjs, EventWakesAWaitingThread) {
    TEvent ready(false, false);
    TEvent go(false, false);
    TWaitResult seen = wrError;
    std::thread waiter([&] {
        ready.SetEvent();
        seen = go.WaitFor(Patience);
    });
    ASSERT_EQ(ready.WaitFor(Patience), wrSignaled);
    go.SetEvent();
    waiter.join();
    EXPECT_EQ(seen, wrSignaled);
}

TEST(SyncObjs, NamedEventsShareOneObject) {
    const UnicodeString name = UniqueName(L"Event");
    TEvent first(true, false, name);
    TEvent second(true, false, name);
    first.SetEvent();
    EXPECT_EQ(second.WaitFor(0), wrSignaled);
    second.ResetEvent();
    EXPECT_EQ(first.WaitFor(0), wrTimeout);
}

TEST(SyncObjs, FailedCreateRaisesNamingTheCall) {
    const UnicodeString name = UniqueName(L"Taken");
    TMutex mutex(false, name);
    try {
        TEvent clash(true, false, name); // the name belongs to an object of another kind
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_NE(e.ErrorCode(), 0u);
        EXPECT_NE(e.Message().find(L"CreateEvent"), UnicodeString::npos) << e.what();
    }
    try {
        TSemaphore impossible(3, 2);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_NE(e.Message().find(L"CreateSemaphore"), UnicodeString::npos) << e.what();
    }
}

TEST(SyncObjs, MutexBelongsToOneThreadAtATime) {
    TMutex mutex;
    mutex.Acquire();
    EXPECT_EQ(mutex.WaitFor(0), wrSignaled); // recursive for its owner
    OnOtherThread([&] {
        EXPECT_EQ(mutex.WaitFor(20), wrTimeout);
        EXPECT_THROW(mutex.Release(), EOSError); // not the owner
    });
    mutex.Release();
    mutex.Release();
    EXPECT_THROW(mutex.Release(), EOSError);
    OnOtherThread([&] {
        EXPECT_EQ(mutex.WaitFor(Patience), wrSignaled);
        mutex.Release();
    });
}

TEST(SyncObjs, MutexLeftByAThreadThatEndedIsAbandoned) {
    const UnicodeString name = UniqueName(L"Mutex");
    TMutex mine(false, name);
    OnOtherThread([&] {
        TMutex theirs(false, name);
        theirs.Acquire(); // and the thread ends owning it
    });
    EXPECT_EQ(mine.WaitFor(Patience), wrAbandoned);
    mine.Release();
}

TEST(SyncObjs, SemaphoreCountsBetweenZeroAndItsMaximum) {
    TSemaphore semaphore(2, 3);
    EXPECT_EQ(semaphore.WaitFor(0), wrSignaled);
    EXPECT_EQ(semaphore.WaitFor(0), wrSignaled);
    EXPECT_EQ(semaphore.WaitFor(0), wrTimeout);
    EXPECT_EQ(semaphore.Release(), 0);
    EXPECT_THROW(semaphore.Release(3), EOSError); // 1 + 3 passes the maximum
    EXPECT_EQ(semaphore.Release(2), 1);           // the failed release changed nothing
    semaphore.Acquire();
    EXPECT_EQ(semaphore.Release(), 2);
}

TEST(SyncObjs, NamedSemaphoreSharesItsCount) {
    const UnicodeString name = UniqueName(L"Semaphore");
    TSemaphore first(0, 1, name);
    TSemaphore second(0, 1, name);
    std::thread releaser([&] { second.Release(); });
    EXPECT_EQ(first.WaitFor(Patience), wrSignaled);
    releaser.join();
    EXPECT_EQ(second.WaitFor(0), wrTimeout);
}

TEST(SyncObjs, TickDifferenceWrapsAt32Bits) {
    struct Case {
        Cardinal Later, Earlier, Expected;
    };
    const Case cases[] = {
        {1000, 400, 600},
        {400, 400, 0},
        {5, 0xFFFFFFF0u, 21},
        {0, 0xFFFFFFFFu, 1},
        {0x80000000u, 0x7FFFFFFFu, 1},
        {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}, // earlier is really later: almost a full turn
        {0xFFFFFFFFu, 0, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TickDiff(c.Later, c.Earlier), c.Expected) << c.Later << " - " << c.Earlier;
    }
}

TEST(SyncObjs, TickExpiryCountsFromTheStart) {
    const Cardinal now = GetTickCount();
    const Cardinal secondAgo = now - 1000; // wraps when the machine started less than 1 s ago
    EXPECT_TRUE(TickExpired(secondAgo, 500));
    EXPECT_TRUE(TickExpired(secondAgo, 1000));
    EXPECT_FALSE(TickExpired(secondAgo, 3600000));
    EXPECT_GE(TicksSince(secondAgo), 1000u);
    EXPECT_LT(TicksSince(now), Patience);
}
