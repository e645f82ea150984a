// The RAS binder against the simulated libraries: which names each system level binds, the
// fall-back library for the entry functions, a missing library, and the record sizes.
#include "rasdial/dunrasapi.h"

#include "FakeRasFixture.h"

#include <gtest/gtest.h>

namespace {

HMODULE ModuleOf(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(address), &module);
    return module;
}

} // namespace

#if defined(__x86_64__)
// The x86_64 sizes: the published records packed to 4 bytes with 8-byte handles and pointers.
// The simulated library checks exactly these and refuses others with 632.
TEST(dunrasapi, RecordSizesOnX64) {
    EXPECT_EQ(sizeof(TRasDialParamsNT4), 1064u);
    EXPECT_EQ(sizeof(TRasConnWXP), 708u);
    EXPECT_EQ(sizeof(TRasDialExtensions), 24u);
    EXPECT_EQ(sizeof(TRasEntryDlg), 312u);
    EXPECT_EQ(sizeof(TRasConnStatusNT4), 288u);
    EXPECT_EQ(sizeof(TRasEntryWXP), 2884u);
    EXPECT_EQ(sizeof(TRasCredentials), 540u);
    EXPECT_EQ(sizeof(TRasEntryNameW2K), 532u);
    EXPECT_EQ(sizeof(TRasStats), 60u);
    EXPECT_EQ(RasRecordSize(TRasRecord::Conn, RasLevelWin9x), 416u);
    EXPECT_EQ(RasRecordSize(TRasRecord::Entry, RasLevelW2K), 2088u);
}
#endif

TEST(dunrasapi, LevelSizesFollowTheRecordPrefixes) {
    EXPECT_EQ(RasRecordSize(TRasRecord::Entry, RasLevelWin9x), 1768u);
    EXPECT_EQ(RasRecordSize(TRasRecord::Entry, RasLevelNT4), 1796u);
    EXPECT_EQ(RasRecordSize(TRasRecord::ConnStatus, RasLevelWin9x), 160u);
    EXPECT_EQ(RasRecordSize(TRasRecord::PppLcp, RasLevelNT4), 8u);
    EXPECT_EQ(RasRecordSize(TRasRecord::Credentials, RasLevelWin9x), 0u);
    EXPECT_EQ(RasRecordSize(TRasRecord::Conn, RasLevelVista), sizeof(TRasConnWXP));
}

TEST(dunrasapi, FullLibraryOnVistaBindsEverything) {
    TFakeRasBinding binding(FullFake());
    ASSERT_TRUE(RasApiAvailable());
    EXPECT_TRUE(RasEntryFunctionsAvailable());
    EXPECT_NE(RasDialA, nullptr);
    EXPECT_NE(RasGetCredentialsA, nullptr);
    EXPECT_NE(RasGetConnectionStatistics, nullptr);
    EXPECT_NE(RasDeleteSubEntryA, nullptr);
    EXPECT_NE(RasConnectionNotificationA, nullptr);
    EXPECT_NE(RasGetEntryPropertiesA, nullptr);
    EXPECT_EQ(RasMonitorDlgA, nullptr); // not exported: stays nil, the rest still binds
    EXPECT_EQ(RasEntryDlgA, nullptr);   // the dialog library is missing
    EXPECT_EQ(RasEntryPointStatus(RasGetEntryPropertiesA), 0);
    EXPECT_EQ(RasEntryPointStatus(RasMonitorDlgA), RasErrorLibraryMissing);
}

TEST(dunrasapi, EachLevelBindsItsOwnNames) {
    struct TRow {
        Byte Level;
        Cardinal Minor;
        bool Notification, Credentials, Statistics, DeleteSubEntry;
    };
    const TRow rows[] = {
        {RasLevelWin9x, 0, false, false, false, false},
        {RasLevelWin9x, 10, true, false, false, false},
        {RasLevelNT4, 0, true, true, false, false},
        {RasLevelW2K, 0, true, true, true, false},
        {RasLevelXP, 1, true, true, true, true},
    };
    for (const TRow& row : rows) {
        TFakeRasBinding binding(FullFake(), row.Level, row.Minor);
        ASSERT_TRUE(RasApiAvailable());
        const auto level =
            "level " + std::to_string(row.Level) + " minor " + std::to_string(row.Minor);
        EXPECT_EQ(RasConnectionNotificationA != nullptr, row.Notification) << level;
        EXPECT_EQ(RasGetCredentialsA != nullptr, row.Credentials) << level;
        EXPECT_EQ(RasGetConnectionStatistics != nullptr, row.Statistics) << level;
        EXPECT_EQ(RasDeleteSubEntryA != nullptr, row.DeleteSubEntry) << level;
        EXPECT_NE(RasGetEntryPropertiesA, nullptr) << level; // entry functions on every level
    }
}

TEST(dunrasapi, LibraryWithoutEntryFunctionsReportsThemMissing) {
    TFakeRasBinding binding(LiteFake(), RasLevelXP);
    ASSERT_TRUE(RasApiAvailable());
    EXPECT_FALSE(RasEntryFunctionsAvailable());
    EXPECT_EQ(RasGetEntryPropertiesA, nullptr);
    EXPECT_EQ(RasGetCredentialsA, nullptr);
    EXPECT_EQ(RasEntryPointStatus(RasGetEntryPropertiesA), RasErrorLibraryMissing);
    EXPECT_EQ(RasEntryPointStatus(RasGetCredentialsA), RasErrorLibraryMissing);
    EXPECT_EQ(RasEntryPointStatus(RasDialA), 0);
}

TEST(dunrasapi, EntryFunctionsComeFromTheOlderLibraryWhenRasLacksThem) {
    TFakeRasBinding binding(LiteFake(), RasLevelWin9x, 0, RnaphFake());
    ASSERT_TRUE(RasApiAvailable());
    EXPECT_TRUE(RasEntryFunctionsAvailable());
    ASSERT_NE(RasGetEntryPropertiesA, nullptr);
    ASSERT_NE(RasDialA, nullptr);
    EXPECT_NE(ModuleOf(reinterpret_cast<const void*>(RasGetEntryPropertiesA)),
              ModuleOf(reinterpret_cast<const void*>(RasDialA)));
    EXPECT_EQ(ModuleOf(reinterpret_cast<const void*>(RasGetEntryPropertiesA)),
              GetModuleHandleW(RnaphFake().c_str()));
}

TEST(dunrasapi, MissingLibraryIsNotTriedAgain) {
    TFakeRasBinding binding(MissingLibrary());
    EXPECT_FALSE(RasApiAvailable());
    // Once the binder ran, a library that appears later is not looked for.
    SetRasLibraryNames(TRasLibraryNames{FullFake(), MissingLibrary(), MissingLibrary()});
    EXPECT_FALSE(RasApiAvailable());
    EXPECT_EQ(RasDialA, nullptr);
    EXPECT_EQ(RasEntryPointStatus(RasDialA), RasErrorLibraryMissing);
}

TEST(dunrasapi, UnloadFreesTheLibraryAndClearsEveryName) {
    {
        TFakeRasBinding binding(FullFake());
        ASSERT_TRUE(RasApiAvailable());
        EXPECT_NE(GetModuleHandleW(FullFake().c_str()), nullptr);
        RasApiUnload();
        EXPECT_EQ(RasDialA, nullptr);
        EXPECT_EQ(RasGetEntryPropertiesA, nullptr);
        EXPECT_EQ(GetModuleHandleW(FullFake().c_str()), nullptr);
        EXPECT_TRUE(RasApiAvailable()); // the next use binds again
    }
    EXPECT_EQ(RasDialA, nullptr);
}

TEST(dunrasapi, PhonebookPathsFollowTheLevel) {
    struct TRow {
        Byte Level;
        bool User, AllUsers;
    };
    const TRow rows[] = {{RasLevelWin9x, false, false},
                         {RasLevelNT4, true, false},
                         {RasLevelW2K, true, true},
                         {RasLevelVista, true, true}};
    for (const TRow& row : rows) {
        TFakeRasBinding binding(FullFake(), row.Level);
        ASSERT_TRUE(RasApiAvailable());
        EXPECT_EQ(!PhonebookPaths[0].empty(), row.User) << int(row.Level);
        EXPECT_EQ(!PhonebookPaths[1].empty(), row.AllUsers) << int(row.Level);
    }
    TFakeRasBinding binding(FullFake(), RasLevelXP);
    SetupPhonebookPaths();
    const AnsiString suffix = "\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";
    EXPECT_TRUE(PhonebookPaths[0].ends_with(suffix)) << PhonebookPaths[0];
    EXPECT_TRUE(PhonebookPaths[1].ends_with(suffix)) << PhonebookPaths[1];
    EXPECT_NE(PhonebookPaths[0], PhonebookPaths[1]);
    SetRasOSLevel(RasLevelNT4, 0);
    SetupPhonebookPaths();
    EXPECT_TRUE(PhonebookPaths[0].ends_with("\\System32\\ras\\rasphone.pbk")) << PhonebookPaths[0];
}
