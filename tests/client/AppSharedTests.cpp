#include "client/AppShared.h"

#include "framework/Registry.h"

#include <gtest/gtest.h>

namespace {

// Sets the interface language for one test and restores it.
class TLanguage {
public:
    explicit TLanguage(Integer code) : FSaved(lang_code) { lang_code = code; }
    ~TLanguage() { lang_code = FSaved; }
    TLanguage(const TLanguage&) = delete;
    TLanguage& operator=(const TLanguage&) = delete;

private:
    Integer FSaved;
};

// Stands in for the system's mapping, which does not convert under every system.
UnicodeString MarkTraditional(const UnicodeString& text) { return L"[traditional]" + text; }

TEST(AppShared, StateStartsAsTheLoginExpects) {
    EXPECT_FALSE(login_ok);
    EXPECT_FALSE(speed_running.load());
    EXPECT_FALSE(is_connected);
    EXPECT_TRUE(own_account);
    EXPECT_EQ(lang_code, 0);
    EXPECT_EQ(ras_handle, 0u);
    EXPECT_EQ(line_ini, nullptr);
    EXPECT_EQ(ps().losttimes, 0);
}

TEST(AppShared, LangTextPicksTheTextOfTheLanguage) {
    const TChineseConverter saved = SetTraditionalConverter(&MarkTraditional);
    struct Case {
        Integer code;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0, L"\x4E2D\x6587"}, {1, L"\x4E2D\x6587"},
        {2, L"English"},      {3, L"[traditional]\x4E2D\x6587"},
        {7, L"\x4E2D\x6587"},
    };
    for (const Case& c : cases) {
        TLanguage language(c.code);
        EXPECT_EQ(LangText(L"English", L"\x4E2D\x6587"), c.expected) << c.code;
    }
    SetTraditionalConverter(saved);
}

TEST(AppShared, LangTextConvertsWithTheSystemByDefault) {
    SetTraditionalConverter(nullptr); // back to the system's mapping
    TLanguage language(3);
    EXPECT_EQ(LangText(L"English", L"\x4E2D\x6587"), ToTraditionalChinese(L"\x4E2D\x6587"));
}

TEST(AppShared, ChineseConversionsKeepTheLength) {
    EXPECT_EQ(ToTraditionalChinese(L""), L"");
    EXPECT_EQ(ToSimplifiedChinese(L""), L"");
    EXPECT_EQ(ToTraditionalChinese(L"Latin text 123"), L"Latin text 123");
    EXPECT_EQ(ToSimplifiedChinese(L"Latin text 123"), L"Latin text 123");
    // "remaining days" in simplified characters: one character for one either way.
    const UnicodeString simplified = L"\x5269\x4F59\x5929\x6570";
    EXPECT_EQ(ToTraditionalChinese(simplified).size(), simplified.size());
    EXPECT_EQ(ToSimplifiedChinese(ToTraditionalChinese(simplified)).size(), simplified.size());
}

TEST(AppShared, DetectSystemLanguageMapsTheLanguageIdentifier) {
    EXPECT_EQ(DetectSystemLanguage(1028), 2);
    EXPECT_EQ(DetectSystemLanguage(1033), 0);
    EXPECT_EQ(DetectSystemLanguage(2052), 1);
    EXPECT_EQ(DetectSystemLanguage(1031), 3);
    EXPECT_EQ(DetectSystemLanguage(), DetectSystemLanguage(GetSystemDefaultLangID()));
}

TEST(AppShared, StartUpRecordsTheProgramDirectory) {
    const UnicodeString saved = app_dir;
    AppSharedModule().Initialize();
    ASSERT_FALSE(app_dir.empty());
    EXPECT_EQ(app_dir.back(), L'\\');
    EXPECT_NE(GetFileAttributesW((app_dir + L"client_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << app_dir;
    EXPECT_EQ(ProgramDirectory(), app_dir);
    app_dir = saved;
}

TEST(AppShared, EnableRasProhibitIpSecWritesTheSwitch) {
    const UnicodeString key = L"\\SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters";
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    const bool keyExisted = reg.KeyExists(key);
    const bool hadValue = reg.OpenKey(key, false) && reg.ValueExists(L"ProhibitIPSec");
    const Integer previous = hadValue ? reg.ReadInteger(L"ProhibitIPSec") : 0;
    reg.CloseKey();

    EnableRasProhibitIpSec();

    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.ReadInteger(L"ProhibitIPSec"), 1);
    if (hadValue)
        reg.WriteInteger(L"ProhibitIPSec", previous);
    else
        reg.DeleteValue(L"ProhibitIPSec");
    reg.CloseKey();
    if (!keyExisted) reg.DeleteKey(key);
}

} // namespace
