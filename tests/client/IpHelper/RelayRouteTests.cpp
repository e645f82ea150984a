#include "client/RelayRoute.h"

#include "FakeIpHelperFixture.h"

#include <gtest/gtest.h>

namespace {

// A default route through 192.168.1.1 and the gateway's ARP entry on interface 0x10003.
constexpr const char* Network = "route 0.0.0.0 0.0.0.0 192.168.1.1 0x10003 4 3 20\n"
                                "route 192.168.1.0 255.255.255.0 192.168.1.5 0x10003 3 2 20\n"
                                "arp 0x10002 00-11-22-33-44-55 10.1.1.1 3\n"
                                "arp 0x10003 00-1A-2B-3C-4D-5E 192.168.1.1 3\n"
                                "arp 0x10005 00-1A-2B-3C-4D-5F 192.168.1.9 3\n";

UnicodeString FirstRouteLineWith(const UnicodeString& part) {
    TStringList dump;
    DumpRouteTable(&dump);
    for (int i = 0; i < dump.Count(); ++i)
        if (dump.Strings(i).find(part) != UnicodeString::npos) return dump.Strings(i);
    return {};
}

} // namespace

using RelayRoute = FakeIpHelper;

TEST_F(RelayRoute, PrepareTakesTheGatewayOfTheFirstRouteRow) {
    Script(Network);
    TRelayRoute relay;
    ASSERT_TRUE(relay.PrepareRelayRoute(L"203.0.113.7"));
    EXPECT_EQ(relay.routerlist.size(), 2000u);
    EXPECT_EQ(relay.routerlist[0].destionation, L"203.0.113.7");
    EXPECT_EQ(relay.routerlist[0].mask, L"255.255.255.255");
    EXPECT_EQ(relay.routerlist[0].gateway, L"192.168.1.1");
}

TEST_F(RelayRoute, PrepareWithoutARouteRowChangesNothing) {
    for (const char* script :
         {"", "route 0.0.0.0 0.0.0.0 192.168.1.1 1 4 3 20\nroute-result 31\n"}) {
        Script(script);
        TRelayRoute relay;
        EXPECT_FALSE(relay.PrepareRelayRoute(L"203.0.113.7")) << script;
        EXPECT_TRUE(relay.routerlist[0].destionation.empty()) << script;
    }
}

TEST_F(RelayRoute, AddCreatesAHostRouteOnTheGatewaysInterface) {
    Script(Network);
    TRelayRoute relay;
    ASSERT_TRUE(relay.PrepareRelayRoute(L"203.0.113.7"));
    EXPECT_EQ(relay.AddRelayRoute(), DWORD{NO_ERROR});
    EXPECT_TRUE(relay.RouteAdded());
    EXPECT_EQ(Calls(), "create 203.0.113.7 255.255.255.255 192.168.1.1 65539 metric 10\n");
    // The fields not set come from the first row: type remote, protocol NETMGMT.
    EXPECT_EQ(FirstRouteLineWith(L"203.  0.113.  7"),
              L"203.  0.113.  7|255.255.255.255|192.168.  1.  1|00010003| remote|   00000|"
              L"    NETMGMT|        10");
}

TEST_F(RelayRoute, TheInterfaceWithoutAMatchingArpEntry) {
    struct Case {
        const char* Arp;
        const char* Interface;
    } cases[] = {
        {"", "65540"}, // empty ARP table: 0x10004
        {"arp 0x10002 00-11-22-33-44-55 10.1.1.1 3\n"
         "arp 0x10007 00-11-22-33-44-56 10.1.1.2 3\n",
         "65543"}, // the last entry's
    };
    for (const Case& c : cases) {
        Script((std::string("route 0.0.0.0 0.0.0.0 192.168.1.1 0x10003 4 3 20\n") + c.Arp).c_str());
        TRelayRoute relay;
        ASSERT_TRUE(relay.PrepareRelayRoute(L"203.0.113.7"));
        relay.AddRelayRoute();
        EXPECT_EQ(Calls(), std::string("create 203.0.113.7 255.255.255.255 192.168.1.1 ") +
                               c.Interface + " metric 10\n");
    }
}

TEST_F(RelayRoute, AFailedCreationIsNotCountedAsAdded) {
    Script((std::string(Network) + "create-result 5\n").c_str());
    TRelayRoute relay;
    ASSERT_TRUE(relay.PrepareRelayRoute(L"203.0.113.7"));
    EXPECT_EQ(relay.AddRelayRoute(), DWORD{5});
    EXPECT_FALSE(relay.RouteAdded());
    relay.CleanUpAtClose(L"C:\\nonexistent-folder");
    EXPECT_EQ(Calls(), "create 203.0.113.7 255.255.255.255 192.168.1.1 65539 metric 10\n");
}

TEST_F(RelayRoute, NothingIsCreatedWithoutAPreparedTarget) {
    Script(Network);
    TRelayRoute relay;
    EXPECT_EQ(relay.AddRelayRoute(), DWORD{ERROR_INVALID_FUNCTION});
    EXPECT_FALSE(relay.RouteAdded());
    EXPECT_EQ(Calls(), "");
}

TEST_F(RelayRoute, NothingIsCreatedForATargetOrGatewayThatIsNoAddress) {
    struct Case {
        const wchar_t* Target;
        const char* FirstRoute;
    } cases[] = {
        {L"not-an-address", "route 0.0.0.0 0.0.0.0 192.168.1.1 0x10003 4 3 20\n"},
        {L"203.0.113", "route 0.0.0.0 0.0.0.0 192.168.1.1 0x10003 4 3 20\n"},
        {L"203.0.113.7", "route 0.0.0.0 0.0.0.0 0.0.0.0 0x10003 4 3 20\n"},
    };
    for (const Case& c : cases) {
        Script(c.FirstRoute);
        TRelayRoute relay;
        ASSERT_TRUE(relay.PrepareRelayRoute(c.Target));
        EXPECT_EQ(relay.AddRelayRoute(), DWORD{ERROR_INVALID_PARAMETER}) << c.Target;
        EXPECT_FALSE(relay.RouteAdded());
        EXPECT_EQ(Calls(), "") << c.Target;
    }
}

TEST_F(RelayRoute, DeleteRemovesEveryRowWithARelayDestination) {
    Script("route 0.0.0.0 0.0.0.0 192.168.1.1 0x10003 4 3 20\n"
           "route 203.0.113.7 255.255.255.255 192.168.1.1 0x10003 4 3 10\n"
           "route 203.0.113.7 255.255.255.0 10.0.0.1 7 99 77 10\n"
           "route 203.0.113.8 255.255.255.255 192.168.1.1 0x10003 4 3 10\n");
    TRelayRoute relay;
    ASSERT_TRUE(relay.PrepareRelayRoute(L"203.0.113.7"));
    EXPECT_EQ(relay.DeleteRelayRoutes(), 2);
    EXPECT_EQ(Calls(), "delete 203.0.113.7 255.255.255.255 192.168.1.1 65539\n"
                       "delete 203.0.113.7 255.255.255.0 10.0.0.1 7\n");
    EXPECT_TRUE(FirstRouteLineWith(L"203.  0.113.  7").empty());
    EXPECT_FALSE(FirstRouteLineWith(L"203.  0.113.  8").empty());
}

TEST_F(RelayRoute, CloseDeletesTheAddedRouteAndTheBatchFiles) {
    Script(Network);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const UnicodeString dir =
        UnicodeString(temp) + L"relay-route-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    for (const wchar_t* name : {L"\\route.bat", L"\\delroute.bat"}) {
        HANDLE file =
            CreateFileW((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    TRelayRoute relay;
    ASSERT_TRUE(relay.PrepareRelayRoute(L"203.0.113.7"));
    ASSERT_EQ(relay.AddRelayRoute(), DWORD{NO_ERROR});
    relay.CleanUpAtClose(dir);
    EXPECT_EQ(Calls(), "create 203.0.113.7 255.255.255.255 192.168.1.1 65539 metric 10\n"
                       "delete 203.0.113.7 255.255.255.255 192.168.1.1 65539\n");
    EXPECT_EQ(GetFileAttributesW((dir + L"\\route.bat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((dir + L"\\delroute.bat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(RemoveDirectoryW(dir.c_str()));
}
