#include "support/Ucl/UclSynch.h"

#include "UclTestResources.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

UnicodeString MutexName(const wchar_t* tag) {
    return L"UclTestMutex_" + std::to_wstring(GetCurrentProcessId()) + L"_" + tag;
}

} // namespace

TEST(UclWin32Error, CarriesTheLastErrorAndItsText) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    const EUclWin32Error error(L"opening the file");
    EXPECT_EQ(error.LastError(), 2u);
    EXPECT_EQ(error.LastErrorMsg(), SysErrorMessage(2));
    const UnicodeString& message = error.Message();
    EXPECT_EQ(message.rfind(L"Win32 error: ", 0), 0u);
    EXPECT_NE(message.find(L"(2)"), UnicodeString::npos);
    EXPECT_TRUE(message.ends_with(L"\r\nopening the file"));
}

TEST(UclWin32Error, FormattedAndResourceTexts) {
    SetLastError(ERROR_ACCESS_DENIED);
    const EUclWin32Error formatted = EUclWin32Error::CreateFmt(L"entry %d of %s", {3, L"list"});
    EXPECT_EQ(formatted.LastError(), 5u);
    EXPECT_TRUE(formatted.Message().ends_with(L"\r\nentry 3 of list"));
    SetLastError(ERROR_INVALID_DATA);
    const EUclWin32Error loaded = EUclWin32Error::CreateRes(UclTestResourceText);
    EXPECT_EQ(loaded.LastError(), 13u);
    EXPECT_TRUE(loaded.Message().ends_with(L"\r\nA text from the resources"));
}

TEST(UclMutex, CreationFailureRaisesAMutexError) {
    const UnicodeString name = MutexName(L"event");
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr);
    try {
        TUclMutex mutex(nullptr, name, false);
        ADD_FAILURE() << "a mutex was created over an event's name";
    } catch (const EUclMutexError& error) {
        EXPECT_EQ(error.LastError(), DWORD{ERROR_INVALID_HANDLE});
        EXPECT_TRUE(error.Message().ends_with(L"Failed to create mutex"));
    }
    CloseHandle(event);
}

TEST(UclMutex, ASecondCreateOfOneNameSeesThatItExisted) {
    TUclMutex first(nullptr, MutexName(L"exists"), false);
    EXPECT_FALSE(first.Existed());
    TUclMutex second(nullptr, MutexName(L"exists"), false);
    EXPECT_TRUE(second.Existed());
    EXPECT_EQ(second.Name(), MutexName(L"exists"));
}

TEST(UclMutex, OpeningNeedsAnExistingMutex) {
    EXPECT_THROW(TUclMutex::Open(SYNCHRONIZE, MutexName(L"missing"), false), EUclMutexError);
    TUclMutex created(nullptr, MutexName(L"open"), false);
    std::unique_ptr<TUclMutex> opened(
        TUclMutex::Open(SYNCHRONIZE | MUTEX_MODIFY_STATE, MutexName(L"open"), false));
    EXPECT_TRUE(opened->Existed());
    EXPECT_TRUE(opened->Acquire(0));
    EXPECT_TRUE(opened->Release());
}

TEST(UclMutex, AcquireTimesOutWhileAnotherThreadOwnsIt) {
    TUclMutex mutex(nullptr, {}, false);
    ASSERT_TRUE(mutex.Acquire());
    bool other = true;
    std::thread([&] { other = mutex.Acquire(0); }).join();
    EXPECT_FALSE(other);
    EXPECT_TRUE(mutex.Release());
    EXPECT_FALSE(mutex.Release()); // not owned any more
}

TEST(UclDispatcherObject, WaitResults) {
    struct Case {
        DWORD Raw;
        TUclWaitResult Expected;
    } cases[] = {{WAIT_OBJECT_0, wrUclSignaled},
                 {WAIT_ABANDONED, wrUclAbandoned},
                 {WAIT_IO_COMPLETION, wrUclIoCompletion},
                 {WAIT_TIMEOUT, wrUclTimeout},
                 {WAIT_FAILED, wrUclError},
                 {WAIT_OBJECT_0 + 1, wrUclError}};
    for (const Case& c : cases) EXPECT_EQ(MapWaitResult(c.Raw), c.Expected) << c.Raw;
}

TEST(UclDispatcherObject, AttachedEventsWaitAndSignal) {
    std::unique_ptr<TUclDispatcherObject> event(
        TUclDispatcherObject::Attach(CreateEventW(nullptr, TRUE, FALSE, nullptr)));
    std::unique_ptr<TUclDispatcherObject> other(
        TUclDispatcherObject::Attach(CreateEventW(nullptr, TRUE, FALSE, nullptr)));
    EXPECT_TRUE(event->Existed());
    EXPECT_TRUE(event->Name().empty());
    EXPECT_EQ(event->WaitFor(0), wrUclTimeout);
    EXPECT_EQ(event->WaitAlertable(0), wrUclTimeout);
    SetEvent(event->Handle());
    EXPECT_EQ(event->WaitForever(), wrUclSignaled);
    EXPECT_EQ(event->SignalAndWait(*other, 0, false), wrUclSignaled);
    EXPECT_EQ(other->WaitFor(0), wrUclSignaled);
}

TEST(UclCriticalSection, CreateAndEnterInstallsOneSectionForRacingThreads) {
    std::atomic<TUclCriticalSection*> section{nullptr};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            TUclCriticalSection::CreateAndEnter(section);
            section.load()->Leave();
        });
    for (std::thread& t : threads) t.join();
    ASSERT_NE(section.load(), nullptr);
    TUclCriticalSection* first = section.load();
    TUclCriticalSection::CreateAndEnter(section);
    EXPECT_EQ(section.load(), first);
    section.load()->Leave();
    delete section.load();
}
