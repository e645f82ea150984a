#include "support/Ucl/UclSysUtils.h"

#include "support/Ucl/UclSysInfo.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

UnicodeString BlockName(const wchar_t* tag) {
    return L"UclTestBlock_" + std::to_wstring(GetCurrentProcessId()) + L"_" + tag;
}

} // namespace

TEST(SharedBlock, MappingTheSameNameTwiceSharesTheViewUntilTheLastUnmap) {
    void* first = nullptr;
    void* second = nullptr;
    EXPECT_EQ(MapSharedBlock(first, BlockName(L"twice"), 64, FILE_MAP_ALL_ACCESS), 0u);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(MapSharedBlock(second, BlockName(L"TWICE"), 64, FILE_MAP_ALL_ACCESS),
              DWORD{ERROR_ALREADY_EXISTS});
    EXPECT_EQ(second, first);
    static_cast<char*>(first)[0] = 'x';

    void* keep = first;
    EXPECT_TRUE(UnmapSharedBlock(first));
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(static_cast<char*>(keep)[0], 'x'); // still mapped
    EXPECT_TRUE(UnmapSharedBlock(second));
    void* again = keep;
    EXPECT_FALSE(UnmapSharedBlock(again)); // gone from the list
}

TEST(SharedBlock, NullUnmapsAndUnknownAddressesDoNot) {
    void* none = nullptr;
    EXPECT_TRUE(CloseSharedBlock(none));
    int local = 0;
    void* stranger = &local;
    EXPECT_FALSE(UnmapSharedBlock(stranger));
}

TEST(SharedBlock, ABlockThatDoesNotExistCannotBeCreatedEmpty) {
    void* address = reinterpret_cast<void*>(1);
    EXPECT_THROW(MapSharedBlock(address, BlockName(L"empty"), 0, FILE_MAP_ALL_ACCESS),
                 ESharedMemError);
    EXPECT_EQ(address, nullptr);
}

TEST(SharedBlock, NameRulesDependOnTheRelease) {
    struct Case {
        DWORD Platform, Major, Minor;
        const wchar_t* Name;
        bool Rejected;
    } cases[] = {
        {3, 0, 0, L"Local\\UclTestBlock", true}, // unknown release
        {VER_PLATFORM_WIN32_NT, 4, 0, L"", true},
        {VER_PLATFORM_WIN32_NT, 4, 0, L"a\\b", true},
        {VER_PLATFORM_WIN32_NT, 5, 0, L"Local\\UclTestBlockNames", false},
    };
    for (const Case& c : cases) {
        TWindowsVersionFacts facts;
        facts.PlatformId = c.Platform, facts.Major = c.Major, facts.Minor = c.Minor;
        SetVersionFactsReader([facts] { return facts; });
        void* address = nullptr;
        bool rejected = false;
        try {
            MapSharedBlock(address, c.Name, 16, FILE_MAP_ALL_ACCESS);
        } catch (const ESharedMemError&) {
            rejected = true;
        }
        SetVersionFactsReader({});
        EXPECT_EQ(rejected, c.Rejected) << c.Name;
        UnmapSharedBlock(address);
    }
}

namespace {

struct TLockShared {
    TUclIntfCriticalSection Section;
    std::atomic<bool> Entered{false};
};

// A thread entry is a WINAPI routine (stdcall in the 32-bit build), which no lambda converts to.
DWORD WINAPI TakeTheLock(void* p) {
    auto* shared = static_cast<TLockShared*>(p);
    TUclIntfLock other(shared->Section);
    shared->Entered = true;
    return 0;
}

} // namespace

TEST(UclIntfCriticalSection, AReferenceHoldsTheLockUntilItIsDropped) {
    TLockShared shared;
    HANDLE thread;
    {
        TUclIntfLock hold(shared.Section);
        thread = CreateThread(nullptr, 0, TakeTheLock, &shared, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        EXPECT_EQ(WaitForSingleObject(thread, 100), DWORD{WAIT_TIMEOUT});
        EXPECT_FALSE(shared.Entered);
    }
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(shared.Entered);
    CloseHandle(thread);
}

TEST(UclIntfCriticalSection, AnswersOnlyIUnknown) {
    TUclIntfCriticalSection section;
    void* object = nullptr;
    EXPECT_EQ(section.QueryInterface(__uuidof(IUnknown), &object), S_OK);
    EXPECT_EQ(object, static_cast<IUnknown*>(&section));
    section.Release(); // the reference QueryInterface handed out
    EXPECT_EQ(section.QueryInterface(__uuidof(IClassFactory), &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}
