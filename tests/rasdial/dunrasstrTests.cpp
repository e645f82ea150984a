// State and error texts: the table, the unknown-state rule, and error texts with and without
// the RAS library.
#include "rasdial/dunrasstr.h"

#include "FakeRasFixture.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

namespace {

UnicodeString NoErrorText(Integer code) { return L"error " + std::to_wstring(code); }

} // namespace

TEST(dunrasstr, StatesHaveTheirTexts) {
    struct TRow {
        Integer State;
        const wchar_t* Text;
    };
    const TRow rows[] = {
        {0, L"Opening Serial Port"},     {5, L"Validating User and Password"},
        {14, L"Login Authenticated"},    {23, L"Extra Channel Disconnected"},
        {4096, L"Interactive Terminal"}, {4100, L"Paused for Authentication"},
        {8192, L"Connected/Online"},     {8193, L"Disconnected/Offline"},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(RasMessText(row.State, NoErrorText), row.Text) << row.State;
}

TEST(dunrasstr, StatesWithoutTextAreUnknownUpTo600AndErrorsAbove) {
    struct TRow {
        Integer State;
        const wchar_t* Text;
    };
    const TRow rows[] = {
        {7, L"Unknown State (7)"},     {9, L"Unknown State (9)"}, {24, L"Unknown State (24)"},
        {600, L"Unknown State (600)"}, {601, L"error 601"},       {691, L"error 691"},
        {4101, L"error 4101"},         {8194, L"error 8194"},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(RasMessText(row.State, NoErrorText), row.Text) << row.State;
    EXPECT_EQ(RasStateText(7), L"");
}

TEST(dunrasstr, ErrorTextsComeFromRasThenFromTheSystem) {
    TFakeRasBinding binding(FullFake());
    Integer lastError = 0;
    EXPECT_EQ(RasErrorString(691, false, lastError),
              L"The user name or password was refused by the remote server.");
    EXPECT_EQ(RasErrorString(601, false, lastError), L"The connection handle is not valid.");
    // RAS has no text for a system code: the system's message stands in.
    EXPECT_EQ(RasErrorString(ERROR_FILE_NOT_FOUND, false, lastError),
              SysErrorMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(RasErrorString(ERROR_FILE_NOT_FOUND, false, lastError).empty());
    EXPECT_EQ(RasErrorString(-5, false, lastError), L"");
    EXPECT_EQ(lastError, 0);
}

TEST(dunrasstr, WithoutTheLibraryEveryErrorSaysSo) {
    TFakeRasBinding binding(MissingLibrary());
    for (Integer code : {0, -5, 691, 1157}) {
        Integer lastError = 0;
        EXPECT_EQ(RasErrorString(code, false, lastError), L"RASAPI32.DLL Not Available") << code;
        EXPECT_EQ(lastError, 1157) << code;
    }
    Integer lastError = 0;
    UnicodeString status;
    EXPECT_FALSE(RasTestRas(lastError, status));
    EXPECT_EQ(lastError, 1157);
    EXPECT_EQ(status, L"RASAPI32.DLL Not Available");
}

TEST(dunrasstr, TestRasLeavesTheFieldsAloneWhenTheLibraryIsThere) {
    TFakeRasBinding binding(FullFake());
    Integer lastError = 7;
    UnicodeString status = L"kept";
    EXPECT_TRUE(RasTestRas(lastError, status));
    EXPECT_EQ(lastError, 7);
    EXPECT_EQ(status, L"kept");
}
