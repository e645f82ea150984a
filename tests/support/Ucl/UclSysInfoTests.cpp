#include "support/Ucl/UclSysInfo.h"
#include "support/Ucl/UclRTTI.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD Win9x = VER_PLATFORM_WIN32_WINDOWS;
constexpr DWORD NT = VER_PLATFORM_WIN32_NT;

TWindowsVersionFacts Facts(DWORD platform, DWORD major, DWORD minor, const wchar_t* sp = L"",
                           bool workstation = true, bool serverR2 = false, bool x86 = true,
                           DWORD kernelMs = 0) {
    return {platform, major, minor, sp, workstation, serverR2, x86, kernelMs};
}

// Restores the system's reader when a test ends.
struct TReaderScope {
    explicit TReaderScope(TWindowsVersionFacts facts) {
        SetVersionFactsReader([facts] { return facts; });
    }
    ~TReaderScope() { SetVersionFactsReader({}); }
};

} // namespace

TEST(UclSysInfo, DetectWindowsReleaseByTheRule) {
    struct Case {
        TWindowsVersionFacts Facts;
        int Expected;
    } cases[] = {
        {Facts(Win9x, 4, 0), wrWin95},
        {Facts(Win9x, 4, 0, L"B"), wrWin95OSR2},
        {Facts(Win9x, 4, 0, L"C"), wrWin95OSR2},
        {Facts(Win9x, 4, 10), wrWin98},
        {Facts(Win9x, 4, 10, L"A"), wrWin98SE},
        {Facts(Win9x, 4, 10, L"", true, false, true, 0x0004005A), wrWinME},
        {Facts(Win9x, 4, 90), wrWinME},
        {Facts(Win9x, 4, 95), wrUnknown},
        {Facts(NT, 3, 1), wrNT31},
        {Facts(NT, 3, 5), wrNT35},
        {Facts(NT, 3, 51), wrNT351},
        {Facts(NT, 3, 2), wrUnknown},
        {Facts(NT, 4, 0), wrNT4},
        {Facts(NT, 5, 0), wrWin2000},
        {Facts(NT, 5, 1), wrWinXP},
        {Facts(NT, 5, 2, L"", false), wrWin2003},
        {Facts(NT, 5, 2, L"", false, true), wrWin2003R2},
        {Facts(NT, 5, 2, L"", true, false, false), wrWinXP64},
        {Facts(NT, 5, 2, L"", true, false, true), wrWin2003},
        {Facts(NT, 6, 0, L"", true), wrWinVista},
        {Facts(NT, 6, 0, L"", false), wrWin2008},
        {Facts(NT, 6, 1, L"", true), wrWin7},
        {Facts(NT, 6, 1, L"", false), wrWin2008R2},
        {Facts(NT, 6, 2), wrUnknown},
        {Facts(NT, 10, 0), wrUnknown},
        {Facts(3, 6, 1), wrUnknown}, // another platform
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectWindowsRelease(c.Facts), c.Expected)
            << c.Facts.PlatformId << " " << c.Facts.Major << "." << c.Facts.Minor;
}

TEST(UclSysInfo, DetectWindowsReleaseGoesThroughTheSeam) {
    TReaderScope scope(Facts(NT, 5, 1));
    EXPECT_EQ(DetectWindowsRelease(), wrWinXP);
}

// Whatever version the host reports, the running system's facts are the system's own answers.
TEST(UclSysInfo, RunningFactsUnderTheHost) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExW(&info));
    const TWindowsVersionFacts facts = ReadRunningVersionFacts();
    EXPECT_EQ(facts.PlatformId, DWORD{VER_PLATFORM_WIN32_NT});
    EXPECT_EQ(facts.Major, info.dwMajorVersion);
    EXPECT_EQ(facts.Minor, info.dwMinorVersion);
    EXPECT_EQ(facts.Kernel32ProductMs, 0u);
    const int release = DetectWindowsRelease();
    if (info.dwMajorVersion == 6 && info.dwMinorVersion == 1) {
        EXPECT_TRUE(release == wrWin7 || release == wrWin2008R2);
    } else if (info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion > 1)) {
        EXPECT_EQ(release, wrUnknown);
    }
}

TEST(UclSysInfo, SystemFactsAfterStartUp) {
    InitSystemFacts();
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    const TSystemFacts& facts = SystemFacts();
    EXPECT_EQ(facts.ProcessorCount, info.dwNumberOfProcessors);
    EXPECT_EQ(facts.PageSize, info.dwPageSize);
    EXPECT_EQ(facts.AllocationGranularity, info.dwAllocationGranularity);
    EXPECT_TRUE(facts.IsWinNT);
    EXPECT_EQ(facts.Release, DetectWindowsRelease());
    EXPECT_FALSE(facts.IsWinNT3);
}

TEST(UclSysInfo, NativeSystemInfoIsLookedUpByName) {
    SYSTEM_INFO info{};
    EXPECT_TRUE(ReadNativeSystemInfo(info));
    EXPECT_GT(info.dwNumberOfProcessors, 0u);
}

TEST(UclSysInfo, NT351SetsBothNT3Flags) {
    {
        TReaderScope scope(Facts(NT, 3, 51));
        InitSystemFacts();
        EXPECT_EQ(SystemFacts().Release, wrNT351);
        EXPECT_TRUE(SystemFacts().IsWinNT3);
        EXPECT_TRUE(SystemFacts().IsWinNT35);
    }
    InitSystemFacts();
}

TEST(UclRTTI, ReleasingTheLastReferenceFreesTheRecordAndWhatItUses) {
    ReleaseAllTypeRecords();
    auto* element = new TUclTypeRecord{L"TColour", tkEnumeration};
    auto* set = new TUclTypeRecord{L"TColours", tkSet, element};
    AddTypeRecord(element);
    AddTypeRecord(set);
    AddTypeRecord(set);
    EXPECT_EQ(TypeRecordCount(), 2);
    ReleaseTypeRecord(set);
    EXPECT_EQ(TypeRecordCount(), 2);
    ReleaseTypeRecord(set);
    EXPECT_EQ(TypeRecordCount(), 0); // the set, then its element type
    AddTypeRecord(new TUclTypeRecord{L"TOther"});
    ReleaseAllTypeRecords();
    EXPECT_EQ(TypeRecordCount(), 0);
}
