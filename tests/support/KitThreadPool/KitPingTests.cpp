#include "support/KitThreadPool/KitPing.h"

#include <gtest/gtest.h>

namespace {

// Runs the module's start-up with a library name of the test's choosing and always shuts it
// down again, restoring the product's name.
class KitPing : public testing::Test {
protected:
    void StartUp(const UnicodeString& libraryName) {
        KitPingBinder().LibraryName = libraryName;
        Module.Initialize();
    }
    void TearDown() override {
        Module.Finalize();
        KitPingBinder() = {};
    }
    static void ExpectNoFunctions(const TKitPingTable& table) {
        EXPECT_EQ(table.IcmpCreateFile, nullptr);
        EXPECT_EQ(table.IcmpCloseHandle, nullptr);
        EXPECT_EQ(table.IcmpSendEcho, nullptr);
    }
    static void* Export(HMODULE library, const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(library, name));
    }

    const TModuleEntry Module = KitPingModule();
};

TEST_F(KitPing, StartUpBindsTheSystemLibrariesEchoFunctions) {
    ASSERT_EQ(KitPingBinder().LibraryName, L"icmp.dll") << "the product's name";
    ASSERT_EQ(GetModuleHandleW(L"icmp.dll"), nullptr) << "nothing else may hold the library";
    StartUp(L"icmp.dll");

    const TKitPingTable& table = KitPingTable();
    ASSERT_NE(table.Library, nullptr);
    EXPECT_EQ(table.Library, GetModuleHandleW(L"icmp.dll"));
    EXPECT_EQ(table.LoadError, 0u);
    EXPECT_EQ(reinterpret_cast<void*>(table.IcmpCreateFile),
              Export(table.Library, "IcmpCreateFile"));
    EXPECT_EQ(reinterpret_cast<void*>(table.IcmpCloseHandle),
              Export(table.Library, "IcmpCloseHandle"));
    EXPECT_EQ(reinterpret_cast<void*>(table.IcmpSendEcho), Export(table.Library, "IcmpSendEcho"));
    EXPECT_NE(table.IcmpCreateFile, nullptr);
    EXPECT_NE(table.IcmpCloseHandle, nullptr);
    EXPECT_NE(table.IcmpSendEcho, nullptr);
}

TEST_F(KitPing, ShutDownEmptiesTheTableAndUnloadsTheLibrary) {
    ASSERT_EQ(GetModuleHandleW(L"icmp.dll"), nullptr) << "nothing else may hold the library";
    StartUp(L"icmp.dll");
    ASSERT_NE(KitPingTable().Library, nullptr);

    Module.Finalize();
    EXPECT_EQ(KitPingTable().Library, nullptr);
    ExpectNoFunctions(KitPingTable());
    EXPECT_EQ(GetModuleHandleW(L"icmp.dll"), nullptr);
}

TEST_F(KitPing, AMissingLibraryLeavesTheTableEmptyWithTheLoadError) {
    EXPECT_NO_THROW(StartUp(L"kitping-no-such-library.dll"));

    EXPECT_EQ(KitPingTable().Library, nullptr);
    EXPECT_EQ(KitPingTable().LoadError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    ExpectNoFunctions(KitPingTable());
}

TEST_F(KitPing, ALibraryWithoutTheFunctionsLoadsWithNoneBound) {
    StartUp(L"kernel32.dll");

    EXPECT_EQ(KitPingTable().Library, GetModuleHandleW(L"kernel32.dll"));
    ExpectNoFunctions(KitPingTable());
}

} // namespace
