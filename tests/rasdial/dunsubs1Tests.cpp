// The helper routines of the dial-up library and its system level rule.
#include "rasdial/dunsubs1.h"

#include "FakeRasFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(dunsubs1, LevelFollowsThePlatformAndVersion) {
    struct TRow {
        DWORD Platform, Major, Minor;
        Byte Level;
    };
    const TRow rows[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0}, {VER_PLATFORM_WIN32_NT, 4, 0, 1},
        {VER_PLATFORM_WIN32_NT, 3, 51, 1},      {VER_PLATFORM_WIN32_NT, 5, 0, 2},
        {VER_PLATFORM_WIN32_NT, 5, 1, 3},       {VER_PLATFORM_WIN32_NT, 5, 2, 3},
        {VER_PLATFORM_WIN32_NT, 6, 0, 4},       {VER_PLATFORM_WIN32_NT, 10, 0, 4},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(RasLevelOf(row.Platform, row.Major, row.Minor), row.Level)
            << "platform " << row.Platform << " version " << row.Major << "." << row.Minor;
}

TEST(dunsubs1, SplitDeviceNameSeparatesThePortAfterTheFirstNul) {
    struct TRow {
        std::string Field, Name, Port;
    };
    const TRow rows[] = {
        {"WAN Miniport (PPTP)", "WAN Miniport (PPTP)", ""},
        {std::string("Modem One\0COM1 ", 15), "Modem One", "com1"},
        {std::string("  Modem Two \0  COM2  ", 22), "Modem Two", "com2"},
        {std::string("X\0PORT", 6), "X", "port"},
        {std::string("\0COM3", 5), std::string("\0COM3", 5), ""}, // a NUL first is no split
        {"", "", ""},
    };
    for (const TRow& row : rows) {
        char field[129] = {};
        row.Field.copy(field, row.Field.size());
        AnsiString name = "stale", port = "stale";
        SplitDeviceName(field, sizeof(field), name, port);
        EXPECT_EQ(name, row.Name) << row.Field;
        EXPECT_EQ(port, row.Port) << row.Field;
    }
}

TEST(dunsubs1, TextToIntReadsDigitsUpToTheFirstInvalidCharacter) {
    struct TRow {
        const wchar_t* Text;
        Integer Value;
    };
    const TRow rows[] = {
        {L"12a", 12},
        {L"a", 0},
        {L"", 0},
        {L"  -45", -45},
        {L"+7", 7},
        {L"$1F", 31},
        {L"0x10", 16},
        {L"-$10", -16},
        {L"$FFFFFFFF", -1},
        {L"2147483647", 2147483647},
        {L"-2147483648", -2147483647 - 1},
        {L"2147483648", 214748364},
        {L"86 ", 86},
        {L"-", 0},
    };
    for (const TRow& row : rows) EXPECT_EQ(TextToInt(row.Text), row.Value) << row.Text;
    EXPECT_EQ(AnsiToInt("44x"), 44);
}

TEST(dunsubs1, AnsiHelpersWorkOnBlanksAndAsciiOnly) {
    EXPECT_EQ(TrimAnsi(" \t\x01 ab c \r\n"), "ab c");
    EXPECT_EQ(TrimAnsi(" \t "), "");
    EXPECT_EQ(TrimRightAnsi("  ab \x1f"), "  ab");
    EXPECT_EQ(LowerAnsi("VPN Ab\xC4Z"), "vpn ab\xC4z");
    EXPECT_EQ(IntToAnsi(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToAnsi(0), "0");
    EXPECT_EQ(FixedToAnsi("a\0b", 3), std::string("a\0b", 3));
    EXPECT_EQ(PosByte('c', "abc"), 3);
    EXPECT_EQ(PosByte('z', "abc"), 0);
}

TEST(dunsubs1, ForceDirsCreatesEveryMissingLevel) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const UnicodeString root =
        UnicodeString(temp) + L"dunsubs1-" + std::to_wstring(GetCurrentProcessId());
    const UnicodeString deep = root + L"\\a\\b\\c\\";
    EXPECT_TRUE(ForceDirs(deep));
    EXPECT_TRUE(IsDirectory(root + L"\\a\\b\\c"));
    EXPECT_TRUE(ForceDirs(deep)); // already there
    EXPECT_FALSE(ForceDirs(L""));
    EXPECT_EQ(StripTrailingDelimiter(L"C:\\x\\"), L"C:\\x");
    std::filesystem::remove_all(std::filesystem::path(root));
}

TEST(dunsubs1, FileVersionTextReadsTheNamedValue) {
    EXPECT_EQ(GetFileVersionText(FullFake(), L"ProductVersion"), L"5.1.2600.2180");
    EXPECT_EQ(GetFileVersionText(FullFake(), L"NoSuchKey"), L"");
    EXPECT_EQ(GetFileVersionText(MissingLibrary(), L"ProductVersion"), L"");
}

TEST(dunsubs1, SystemFactsAreRead) {
    EXPECT_FALSE(GetWindowsDir().empty());
    EXPECT_FALSE(GetSpecialFolder(0x1a).empty());
    EXPECT_NE(TextToInt(GetLocaleText(LOCALE_ICOUNTRY)), 0);
    LoadOSVersionInfo();
    EXPECT_EQ(OSVersionInfoEx.dwOSVersionInfoSize, sizeof(OSVERSIONINFOEXW));
    EXPECT_GE(OSVersionInfoEx.dwMajorVersion, 5u);
}
