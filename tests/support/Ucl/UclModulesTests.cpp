#include "support/Ucl/UclModules.h"

#include "SecondModule.h"
#include "support/Ucl/UclUnitVersioning.h"

#include <gtest/gtest.h>

namespace {

const wchar_t* const UnitOrder[] = {L"UclResources",      L"UclWin32",    L"UclStringConversions",
                                    L"UclLogic",          L"Ucl8087",     L"UclMath",
                                    L"UclDateTime",       L"UclRegistry", L"UclSecurity",
                                    L"UclShell",          L"UclConsole",  L"UclSysUtils",
                                    L"UclCharsets",       L"UclStreams",  L"UclAnsiStrings",
                                    L"UclIniFiles",       L"UclSysInfo",  L"UclUnicode",
                                    L"UclWideStrings",    L"UclStrings",  L"UclSynch",
                                    L"UclUnitVersioning", L"UclBase",     L"UclFileUtils",
                                    L"UclMime",           L"UclRTTI"};

TUnitVersioningModule* ModuleOf(TUnitVersioning& registry, HINSTANCE instance) {
    for (int i = 0; i < registry.ModuleCount(); ++i)
        if (registry.ModuleAt(i)->Instance() == instance) return registry.ModuleAt(i);
    return nullptr;
}

} // namespace

TEST(UclModules, ListsEveryUnitInStartUpOrder) {
    const TModuleList modules = UclModules();
    ASSERT_EQ(modules.size(), std::size(UnitOrder));
    for (std::size_t i = 0; i < modules.size(); ++i) EXPECT_EQ(modules[i].Name, UnitOrder[i]) << i;
}

// The start-ups run in a module of their own (the second module), so that its shut-down does
// not end this program's registry.
TEST(UclModules, StartUpPublishesOneRecordPerUnitAndShutDownWithdrawsThem) {
    TUnitVersioning* registry = AcquireUnitVersioning();
    ASSERT_NE(registry, nullptr);
    TSecondModule second;
    ASSERT_TRUE(second.Handle());
    auto start = second.Export<BOOL()>("SecondModuleStartUcl");
    auto stop = second.Export<void()>("SecondModuleStopUcl");
    ASSERT_TRUE(start && stop);

    ASSERT_TRUE(start());
    TUnitVersioningModule* module = ModuleOf(*registry, second.Handle());
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(module->Count(), 26);
    for (int i = 0; i < module->Count(); ++i)
        EXPECT_EQ(module->UnitAt(i)->RCSfile(), UnicodeString(UnitOrder[i]) + L".cpp") << i;

    stop();
    EXPECT_EQ(ModuleOf(*registry, second.Handle()), nullptr);
    EXPECT_EQ(AcquireUnitVersioning(), registry);
}
