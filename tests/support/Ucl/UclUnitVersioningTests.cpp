#include "support/Ucl/UclUnitVersioning.h"

#include "SecondModule.h"
#include "framework/DateTime.h"

#include <gtest/gtest.h>

namespace {

TUnitVersionInfo Record(const wchar_t* rcsFile, const wchar_t* logPath = L"support/Ucl") {
    return {rcsFile, L"$Revision: 1234 $", L"$Date: 2009-11-05 18:19:08 +0100 $", logPath, L"",
            nullptr};
}

HINSTANCE Kernel32() { return GetModuleHandleW(L"kernel32.dll"); }

} // namespace

TEST(UnitVersion, UnwrapsKeywordLines) {
    struct Case {
        const wchar_t* Raw;
        const wchar_t* FileName;
    } cases[] = {
        {L"$URL: a/b/UclBase.pas $", L"UclBase.pas"},
        {L"$RCSfile: UclBase.pas,v $", L"UclBase.pas"},
        {L"  $URL: https://host/repo/trunk/UclMath.pas $  ", L"UclMath.pas"},
        {L"UclPlain.pas", L"UclPlain.pas"},
        {L"$url: a/b/Lower.pas $", L"$url: a/b/Lower.pas $"}, // the prefixes are case-sensitive
    };
    for (const Case& c : cases) {
        const TUnitVersionInfo info = Record(c.Raw);
        EXPECT_EQ(TUnitVersion(&info).RCSfile(), c.FileName) << c.Raw;
    }
}

TEST(UnitVersion, RevisionDateAndTrimmedFields) {
    TUnitVersionInfo info = Record(L"$URL: x/UclBase.pas $");
    info.LogPath = L"  support/Ucl ";
    info.Extra = L" extra ";
    const TUnitVersion unit(&info);
    EXPECT_EQ(unit.Revision(), L"1234");
    EXPECT_EQ(unit.Date(), L"2009-11-05 18:19:08 +0100");
    EXPECT_EQ(unit.LogPath(), L"support/Ucl");
    EXPECT_EQ(unit.Extra(), L"extra");
}

TEST(UnitVersion, DateTimeOfTheDateForms) {
    struct Case {
        const wchar_t* Date;
        TDateTime Expected;
    } cases[] = {
        {L"$Date: 2009-11-05 18:19:08 +0100 $", EncodeDate(2009, 11, 5) + EncodeTime(18, 19, 8, 0)},
        {L"2009/11/05 18:19:08", EncodeDate(2009, 11, 5) + EncodeTime(18, 19, 8, 0)},
        {L"11/05/2009 07/08/09", EncodeDate(2009, 11, 5) + EncodeTime(7, 8, 9, 0)},
        {L"05.11.2009 18:19:08", EncodeDate(2009, 11, 5) + EncodeTime(18, 19, 8, 0)},
        {L"2009-11-05", EncodeDate(2009, 11, 5)},
        {L"no date here", 0},
        {L"2009-13-45 10:00:00", 0}, // not a date
    };
    for (const Case& c : cases) {
        TUnitVersionInfo info = Record(L"x");
        info.Date = c.Date;
        EXPECT_DOUBLE_EQ(TUnitVersion(&info).DateTime(), c.Expected) << c.Date;
    }
}

TEST(UnitVersioning, RecordingTheSameRecordTwiceKeepsOneUnit) {
    const TUnitVersionInfo a = Record(L"$URL: x/UclA.pas $"), b = Record(L"$URL: x/UclB.pas $");
    TUnitVersioning registry;
    registry.RecordUnit(ThisModuleInstance(), &a);
    registry.RecordUnit(ThisModuleInstance(), &a);
    registry.RecordUnit(ThisModuleInstance(), &b);
    registry.RecordUnit(Kernel32(), &a);
    EXPECT_EQ(registry.ModuleCount(), 2);
    EXPECT_EQ(registry.ModuleAt(0)->Count(), 2);
    EXPECT_EQ(registry.Count(), 3);
}

TEST(UnitVersioning, IndexOfCountsAcrossModulesAndHonoursTheLogPath) {
    const TUnitVersionInfo a = Record(L"$URL: x/UclA.pas $"),
                           b = Record(L"$URL: x/UclB.pas $", L"other");
    TUnitVersioning registry;
    registry.RecordUnit(ThisModuleInstance(), &a);
    registry.RecordUnit(Kernel32(), &a);
    registry.RecordUnit(Kernel32(), &b);
    EXPECT_EQ(registry.IndexOf(L"uclb.pas"), 2);
    EXPECT_EQ(registry.IndexOf(L"UclB.pas", L"*"), 2);
    EXPECT_EQ(registry.IndexOf(L"UclB.pas", L"OTHER"), 2);
    EXPECT_EQ(registry.IndexOf(L"UclB.pas", L"support/Ucl"), -1);
    EXPECT_EQ(registry.IndexOf(L"UclC.pas"), -1);
    EXPECT_EQ(registry.FindUnit(L"UclA.pas")->Info(), &a);
    EXPECT_EQ(registry.ModuleAt(1)->FindUnit(L"UclB.pas", L"other")->Info(), &b);
    EXPECT_EQ(registry.FindUnit(L"UclC.pas"), nullptr);
}

namespace {

std::vector<HINSTANCE> Released;

class TRecordingProvider : public TCustomUnitVersioningProvider {
    CLASS_INFO(TRecordingProvider, TCustomUnitVersioningProvider)
public:
    void ReleaseModuleUnitVersioningInfo(HINSTANCE instance) override {
        Released.push_back(instance);
    }
};

} // namespace

TEST(UnitVersioning, ForgetModuleRemovesTheModuleAndTellsProvidersOnce) {
    const TUnitVersionInfo a = Record(L"$URL: x/UclA.pas $");
    TUnitVersioning registry;
    registry.RegisterProvider(TRecordingProvider::StaticClass());
    registry.RegisterProvider(TRecordingProvider::StaticClass());
    registry.RecordUnit(ThisModuleInstance(), &a);
    registry.RecordUnit(Kernel32(), &a);
    Released.clear();
    registry.ForgetModule(Kernel32());
    EXPECT_EQ(registry.ModuleCount(), 1);
    ASSERT_EQ(Released.size(), 1u);
    EXPECT_EQ(Released[0], Kernel32());
}

TEST(UnitVersioning, ModulesNoLongerLoadedArePruned) {
    const TUnitVersionInfo a = Record(L"$URL: x/UclA.pas $");
    TUnitVersioning registry;
    registry.RecordUnit(ThisModuleInstance(), &a);
    {
        TSecondModule second;
        ASSERT_TRUE(second.Handle());
        registry.RecordUnit(second.Handle(), &a);
        EXPECT_EQ(registry.ModuleCount(), 2);
    }
    EXPECT_EQ(registry.ModuleCount(), 1);
    EXPECT_EQ(registry.Count(), 1);
}

TEST(UnitVersioningLink, LinksOfOneNameShareOneRegistry) {
    TUnitVersioningLink first(L"links-share"), second(L"links-share");
    TUnitVersioning* registry = first.Acquire();
    ASSERT_NE(registry, nullptr);
    EXPECT_TRUE(first.OwnsRegistry());
    EXPECT_EQ(second.Acquire(), registry);
    EXPECT_FALSE(second.OwnsRegistry());
}

TEST(UnitVersioningLink, ALinkThatDoesNotOwnTheRegistryLeavesItInPlace) {
    TUnitVersioningLink owner(L"links-leave"), other(L"links-leave");
    TUnitVersioning* registry = owner.Acquire();
    other.Acquire();
    other.Shutdown();
    EXPECT_EQ(other.Acquire(), nullptr);
    EXPECT_EQ(owner.Acquire(), registry);
    TUnitVersioningLink late(L"links-leave");
    EXPECT_EQ(late.Acquire(), registry);
}

TEST(UnitVersioningLink, WhenTheOwnerLeavesAnotherLinkTakesOver) {
    const TUnitVersionInfo a = Record(L"$URL: x/UclA.pas $");
    TUnitVersioningLink owner(L"links-takeover"), heir(L"links-takeover");
    owner.Acquire()->RecordUnit(ThisModuleInstance(), &a);
    heir.Acquire();
    owner.Shutdown();
    TUnitVersioning* registry = heir.Acquire();
    ASSERT_NE(registry, nullptr);
    EXPECT_TRUE(heir.OwnsRegistry());
    EXPECT_EQ(registry->Count(), 0);
    TUnitVersioningLink late(L"links-takeover");
    EXPECT_EQ(late.Acquire(), registry);
}

TEST(UnitVersioningModules, ASecondModuleFindsTheSameRegistryAndLeavesItOnShutdown) {
    static const TUnitVersionInfo mine = Record(L"$URL: tests/UclUnitVersioningTests.cpp $");
    PublishUnitVersion(ThisModuleInstance(), &mine);
    TUnitVersioning* registry = AcquireUnitVersioning();
    ASSERT_NE(registry, nullptr);

    TSecondModule second;
    ASSERT_TRUE(second.Handle());
    auto publish = second.Export<void*()>("SecondModulePublish");
    auto shutdown = second.Export<void()>("SecondModuleShutdown");
    auto current = second.Export<void*()>("SecondModuleRegistry");
    ASSERT_TRUE(publish && shutdown && current);

    EXPECT_EQ(publish(), registry);
    TUnitVersion* unit = registry->FindUnit(L"UclSecondModule.cpp", L"tests/fakes/uclmodule");
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->Revision(), L"7");

    shutdown();
    EXPECT_EQ(current(), nullptr);
    EXPECT_EQ(registry->FindUnit(L"UclSecondModule.cpp"), nullptr);
    EXPECT_EQ(AcquireUnitVersioning(), registry);
    EXPECT_NE(registry->FindUnit(L"UclUnitVersioningTests.cpp"), nullptr);
}
