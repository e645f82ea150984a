#include "client/IPHelper.h"

#include "FakeIpHelperFixture.h"

#include <gtest/gtest.h>

namespace {

std::vector<UnicodeString> Lines(void (*dump)(TStrings*)) {
    TStringList list;
    dump(&list);
    std::vector<UnicodeString> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
    return lines;
}

using Dump = std::vector<UnicodeString>;

} // namespace

TEST_F(FakeIpHelper, LoaderBindsTheEntryPointsTheLibraryHas) {
    const TIpHelperApi& api = IpHelperApi();
    EXPECT_NE(api.GetIpNetTable, nullptr);
    EXPECT_NE(api.GetIpForwardTable, nullptr);
    EXPECT_NE(api.CreateIpForwardEntry, nullptr);
    EXPECT_NE(api.DeleteIpForwardEntry, nullptr);
    EXPECT_EQ(api.GetAdaptersInfo, nullptr);
    EXPECT_EQ(api.AllocateAndGetTcpExTableFromStack, nullptr);
    const HMODULE loaded = IpHelperLibrary();
    EXPECT_TRUE(LoadIpHelperApi());
    EXPECT_EQ(IpHelperLibrary(), loaded);
}

TEST_F(FakeIpHelper, AMissingLibraryIsTriedAgainLater) {
    UnloadIpHelperApi();
    SetIpHelperLibraryName(FakeIpHelperPath() + L".missing");
    EXPECT_FALSE(LoadIpHelperApi());
    EXPECT_EQ(IpHelperApi().GetIpNetTable, nullptr);
    TStringList list;
    list.Add(L"kept");
    DumpArpTable(&list);
    DumpRouteTable(&list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Strings(0), L"kept");
    SetIpHelperLibraryName(FakeIpHelperPath());
    EXPECT_TRUE(LoadIpHelperApi());
}

TEST_F(FakeIpHelper, ArpDumpLines) {
    Script("arp 0x10003 00-1A-2B-3C-4D-5E 192.168.1.1 3\n"
           "arp 2 - 10.0.0.1 4\n"
           "arp 0xABCDEF01 01-02 127.0.0.1 9\n");
    EXPECT_EQ(Lines(DumpArpTable),
              (Dump{L"   10003 | 00-1A-2B-3C-4D-5E |  192.168.  1.  1|    Dynamic",
                    L"       2 | 00-00-00-00-00-00 |   10.  0.  0.  1|     Static",
                    L"ABCDEF01 |        01-02 |  127.  0.  0.  1|           "}));
}

TEST_F(FakeIpHelper, ArpDumpOfAnEmptyTable) {
    Script("");
    EXPECT_EQ(Lines(DumpArpTable), (Dump{L" ARP-cache empty."}));
}

TEST_F(FakeIpHelper, ArpDumpReportsAFailingRead) {
    Script("arp 1 00-01-02-03-04-05 10.0.0.2 3\narp-result 50\n");
    EXPECT_EQ(Lines(DumpArpTable), (Dump{SysErrorMessage(50)}));
}

TEST_F(FakeIpHelper, DumpsTrustTheRowCountOnlyAsFarAsTheBuffer) {
    Script("arp 1 00-01-02-03-04-05 10.0.0.2 3\n"
           "route 10.0.0.0 255.0.0.0 10.0.0.1 1 3 2 1\n"
           "extra-count 1000\n");
    EXPECT_EQ(Lines(DumpArpTable).size(), 1u);
    EXPECT_EQ(Lines(DumpRouteTable).size(), 1u);
}

TEST_F(FakeIpHelper, RouteDumpLines) {
    Script("route 0.0.0.0 0.0.0.0 192.168.1.1 0x10003 4 3 20 0\n"
           "route 127.0.0.0 255.0.0.0 127.0.0.1 1 7 25 306 65001\n");
    EXPECT_EQ(Lines(DumpRouteTable),
              (Dump{L"  0.  0.  0.  0|  0.  0.  0.  0|192.168.  1.  1|00010003| remote|   00000|"
                    L"    NETMGMT|        20",
                    L"127.  0.  0.  0|255.  0.  0.  0|127.  0.  0.  1|00000001|       |   65001|"
                    L"           |        306"}));
}

TEST_F(FakeIpHelper, RouteDumpOfAnEmptyOrUnreadableTable) {
    Script("");
    EXPECT_EQ(Lines(DumpRouteTable), (Dump{L"no entries."}));
    Script("route 10.0.0.0 255.0.0.0 10.0.0.1 1 3 2 1\nroute-result 31\n");
    EXPECT_EQ(Lines(DumpRouteTable), (Dump{SysErrorMessage(31)}));
    Script("route 10.0.0.0 255.0.0.0 10.0.0.1 1 3 2 1\nroute-size-result 50\n");
    EXPECT_EQ(Lines(DumpRouteTable), Dump{});
}
