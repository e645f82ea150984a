#include "framework/ModuleInit.h"

#include "framework/Application.h"

#include <gtest/gtest.h>

namespace {

std::vector<UnicodeString> Log;

// A module that logs "+name" when initialised and "-name" when finalised; `failing` makes its
// initialiser (or finaliser) raise after logging.
TModuleEntry Module(const UnicodeString& name, std::vector<UnicodeString> uses = {},
                    bool failingInit = false, bool failingFinal = false) {
    return {name, std::move(uses),
            [=] {
                Log.push_back(L"+" + name);
                if (failingInit) throw EConvertError(L"cannot start " + name);
            },
            [=] {
                Log.push_back(L"-" + name);
                if (failingFinal) throw EConvertError(L"cannot stop " + name);
            }};
}

class ModuleInit : public testing::Test {
protected:
    ModuleInit() { Log.clear(); }
    ~ModuleInit() override {
        try {
            FinalizeModules(); // leaves nothing behind for the next test
        } catch (...) {
        }
    }
};

UnicodeString OrderError(const TModuleList& modules) {
    try {
        InitializeModules(modules);
    } catch (const EModuleOrderError& e) {
        return e.Message();
    }
    return L"";
}

} // namespace

TEST_F(ModuleInit, InitialisesInOrderAndFinalisesInReverse) {
    InitializeModules({Module(L"System"),
                       Module(L"Lists", {L"System"}),
                       Module(L"Client", {L"Lists", L"System"}),
                       {L"Empty", {}, nullptr, nullptr}});
    EXPECT_EQ(Log, (std::vector<UnicodeString>{L"+System", L"+Lists", L"+Client"}));
    Log.clear();
    FinalizeModules();
    EXPECT_EQ(Log, (std::vector<UnicodeString>{L"-Client", L"-Lists", L"-System"}));
    Log.clear();
    FinalizeModules(); // nothing is finalised twice
    EXPECT_TRUE(Log.empty());
}

TEST_F(ModuleInit, RejectsABadOrderNamingTheOffenderBeforeRunningAnything) {
    struct Case {
        const char* Name;
        TModuleList Modules;
        const wchar_t* Message; // empty: the order is good
    };
    const Case cases[] = {
        {"used module listed later",
         {Module(L"Client", {L"Lists"}), Module(L"Lists")},
         L"Module Client must come after Lists, which it uses"},
        {"used module missing",
         {Module(L"Lists"), Module(L"Client", {L"Net"})},
         L"Module Client uses Net, which is not in the module list"},
        {"uses itself",
         {Module(L"Lists", {L"Lists"})},
         L"Module Lists must come after Lists, which it uses"},
        {"listed twice", {Module(L"Lists"), Module(L"Lists")}, L"Module Lists is listed twice"},
        {"good order", {Module(L"Lists"), Module(L"Client", {L"Lists"})}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Log.clear();
        EXPECT_EQ(OrderError(c.Modules), c.Message);
        if (*c.Message) {
            EXPECT_TRUE(Log.empty());
        }
        FinalizeModules();
    }
}

TEST_F(ModuleInit, AFailedStartFinalisesOnlyWhatWasInitialised) {
    EXPECT_THROW(InitializeModules({Module(L"System"), Module(L"Lists", {L"System"}),
                                    Module(L"Net", {L"System"}, true), Module(L"Client")}),
                 EConvertError);
    EXPECT_EQ(Log, (std::vector<UnicodeString>{L"+System", L"+Lists", L"+Net"}));
    Log.clear();
    FinalizeModules();
    EXPECT_EQ(Log, (std::vector<UnicodeString>{L"-Lists", L"-System"}));
}

TEST_F(ModuleInit, EveryFinaliserRunsAndTheFirstFailureIsRaised) {
    InitializeModules(
        {Module(L"System", {}, false, true), Module(L"Lists"), Module(L"Client", {}, false, true)});
    Log.clear();
    try {
        FinalizeModules();
        ADD_FAILURE() << "FinalizeModules raised nothing";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"cannot stop Client");
    }
    EXPECT_EQ(Log, (std::vector<UnicodeString>{L"-Client", L"-Lists", L"-System"}));
}

TEST_F(ModuleInit, InitialisingTwiceIsRefused) {
    InitializeModules({Module(L"System")});
    EXPECT_THROW(InitializeModules({Module(L"Lists")}), EInvalidOperation);
    EXPECT_EQ(Log, (std::vector<UnicodeString>{L"+System"}));
}

TEST_F(ModuleInit, TheFrameworkModuleOwnsTheApplication) {
    const TModuleEntry framework = FrameworkModule();
    ASSERT_EQ(Application, nullptr);
    framework.Initialize(); // one module's initialiser alone
    ASSERT_NE(Application, nullptr);
    EXPECT_TRUE(IsWindow(Application->Handle()));
    EXPECT_THROW(framework.Initialize(), EInvalidOperation);
    framework.Finalize();
    EXPECT_EQ(Application, nullptr);

    InitializeModules({framework});
    EXPECT_NE(Application, nullptr);
    FinalizeModules();
    EXPECT_EQ(Application, nullptr);
}
