#include "support/NetPing/NetIcmp.h"

#include "FakeIcmp.h"

#include <ipexport.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

// Every echo below goes to the scripted library, which sends nothing.
class NetIcmp : public testing::Test {
protected:
    void SetUp() override {
        Fake = std::make_unique<TFakeIcmp>();
        Icmp = Construct<TICMP>();
        Icmp->SetTimeOut(50);
        Icmp->OnDisplay = TIcmpDisplay(this, &NetIcmp::Display);
        Icmp->OnEchoRequest = TIcmpEchoRequest(this, &NetIcmp::Request);
        Icmp->OnEchoReply = TIcmpEchoReplyEvent(this, &NetIcmp::Reply);
    }
    void TearDown() override {
        FreeAndNil(Icmp);
        IcmpBinder().GetHostByName = &gethostbyname;
        Fake.reset();
    }

    void Display(TObject*, const UnicodeString& Msg) { Events += L"display:" + Msg + L";"; }
    void Request(TObject*) { Events += L"request;"; }
    void Reply(TObject*, int Status) { Events += L"reply:" + std::to_wstring(Status) + L";"; }

    std::unique_ptr<TFakeIcmp> Fake;
    TICMP* Icmp = nullptr;
    UnicodeString Events;
};

// A resolver standing in for the system's: names of this table only, without the network.
struct TResolverTable {
    static int& Calls() {
        static int calls = 0;
        return calls;
    }
    static hostent* WSAAPI Resolve(const char* name) {
        ++Calls();
        static in_addr address;
        static char* addresses[] = {reinterpret_cast<char*>(&address), nullptr};
        static char official[] = "line-1.test.local";
        static hostent host{official, nullptr, AF_INET, 4, addresses};
        if (std::string(name) != "line-1.test") {
            WSASetLastError(WSAHOST_NOT_FOUND);
            return nullptr;
        }
        address.s_addr = inet_addr("127.0.0.9");
        return &host;
    }
};

TEST_F(NetIcmp, AnAnsweredEchoGivesOneReplyWithItsRoundTripTime) {
    Fake->Script("127.0.0.2", IP_SUCCESS, 35);
    Icmp->SetAddress(L"127.0.0.2");
    EXPECT_EQ(Icmp->Ping(), 1);
    EXPECT_EQ(Icmp->Reply().RTT, 35u);
    EXPECT_EQ(Icmp->Reply().Status, 0u);
    EXPECT_EQ(Icmp->Reply().Address, inet_addr("127.0.0.2"));
    EXPECT_EQ(Icmp->LastError(), 0);
    EXPECT_EQ(Icmp->GetErrorString(), L"No error");
    EXPECT_EQ(Icmp->HostName(), L"127.0.0.2");
    EXPECT_EQ(Icmp->HostIP(), L"127.0.0.2");
    EXPECT_EQ(Events, L"request;reply:1;");
}

TEST_F(NetIcmp, TheEchoedDataStaysReadableAfterPing) {
    Fake->Script("127.0.0.2", IP_SUCCESS, 1);
    Icmp->SetAddress(L"127.0.0.2");
    ASSERT_EQ(Icmp->Ping(), 1);
    ASSERT_EQ(Icmp->Reply().DataSize, 56);
    ASSERT_NE(Icmp->Reply().Data, nullptr);
    EXPECT_EQ(std::memcmp(Icmp->Reply().Data, TICMP::SignOnText(), 45), 0);
}

TEST_F(NetIcmp, LostEchoesTimeOutUntilTheScriptAnswers) {
    Fake->Script("127.0.0.3", IP_SUCCESS, 5, 2);
    Icmp->SetAddress(L"127.0.0.3");
    for (int lost = 0; lost < 2; ++lost) {
        EXPECT_EQ(Icmp->Ping(), 0) << lost;
        EXPECT_EQ(Icmp->LastError(), 11010) << lost;
        EXPECT_EQ(Icmp->GetErrorString(), L"Request timed out") << lost;
    }
    EXPECT_EQ(Icmp->Ping(), 1);
    EXPECT_EQ(Icmp->LastError(), 0);
    EXPECT_EQ(Fake->EchoCount("127.0.0.3"), 3u);
}

TEST_F(NetIcmp, AnAnswerSlowerThanTheTimeOutIsATimeOut) {
    Fake->Script("127.0.0.4", IP_SUCCESS, 5000);
    Icmp->SetAddress(L"127.0.0.4");
    EXPECT_EQ(Icmp->Ping(), 0);
    EXPECT_EQ(Icmp->LastError(), 11010);
    EXPECT_EQ(Icmp->Reply().Status, 11010u);
}

TEST_F(NetIcmp, EveryStatusCodeComesBackWithItsText) {
    const std::map<Integer, const wchar_t*> texts = {{11001, L"Buffer too small"},
                                                     {11002, L"Destination network unreachable"},
                                                     {11003, L"Destination host unreachable"},
                                                     {11004, L"Destination protocol unreachable"},
                                                     {11005, L"Destination port unreachable"},
                                                     {11006, L"No resources"},
                                                     {11007, L"Bad option"},
                                                     {11008, L"Hardware error"},
                                                     {11009, L"Packet too big"},
                                                     {11010, L"Request timed out"},
                                                     {11011, L"Bad request"},
                                                     {11012, L"Bad route"},
                                                     {11013, L"TTL expired in transit"},
                                                     {11014, L"TTL expired in reassembly"},
                                                     {11015, L"Parameter problem"},
                                                     {11016, L"Source quench"},
                                                     {11017, L"Option too big"},
                                                     {11018, L"Bad Destination"},
                                                     {11019, L"Address deleted"},
                                                     {11020, L"Spec MTU change"},
                                                     {11021, L"MTU change"},
                                                     {11050, L"General failure"},
                                                     {11255, L"Pending"},
                                                     {11000, L"ICMP error #11000"},
                                                     {11100, L"ICMP error #11100"}};
    Icmp->SetAddress(L"127.0.0.5");
    for (const auto& [code, text] : texts) {
        Fake->Script("127.0.0.5", static_cast<DWORD>(code), 0);
        EXPECT_EQ(Icmp->Ping(), 0) << code;
        EXPECT_EQ(Icmp->LastError(), code);
        EXPECT_EQ(Icmp->GetErrorString(), text) << code;
        EXPECT_EQ(Icmp->Reply().Status, static_cast<Cardinal>(code));
    }
}

TEST_F(NetIcmp, ThePayloadIsTheSignOnTextCutOrFilledWithSpaces) {
    Fake->Script("127.0.0.2", IP_SUCCESS, 1);
    Icmp->SetAddress(L"127.0.0.2");
    const std::string signOn = TICMP::SignOnText();
    ASSERT_EQ(signOn.size(), 45u);
    struct TCase {
        Integer Size;
        std::string Expected;
    };
    for (const TCase& c : {TCase{10, signOn.substr(0, 10)},
                           TCase{100, signOn + std::string(55, ' ')}, TCase{0, std::string()}}) {
        Icmp->SetSize(c.Size);
        EXPECT_EQ(Icmp->Ping(), 1) << c.Size;
        const std::vector<Byte> sent = Fake->LastRequest();
        EXPECT_EQ(std::string(sent.begin(), sent.end()), c.Expected) << c.Size;
    }
}

TEST_F(NetIcmp, TheRequestCarriesTheTtl) {
    Fake->Script("127.0.0.2", IP_SUCCESS, 1);
    Icmp->SetAddress(L"127.0.0.2");
    Icmp->SetTTL(7);
    ASSERT_EQ(Icmp->Ping(), 1);
    Byte ttl = 0;
    Fake->LastRequest(&ttl);
    EXPECT_EQ(ttl, 7);
}

// The library refuses a reply buffer without room for the reply record, the data and an ICMP
// error message, as the system's does.
TEST_F(NetIcmp, TheLargestPayloadFitsTheReplyBuffer) {
    Fake->Script("127.0.0.2", IP_SUCCESS, 1);
    Icmp->SetAddress(L"127.0.0.2");
    Icmp->SetSize(TICMP::MaxSize);
    EXPECT_EQ(Icmp->Ping(), 1);
    EXPECT_EQ(Icmp->Reply().DataSize, TICMP::MaxSize);
}

TEST_F(NetIcmp, AnUnresolvableNameIsABadDestinationAndSendsNothing) {
    IcmpBinder().GetHostByName = &TResolverTable::Resolve;
    Icmp->SetAddress(L"nohost.test");
    EXPECT_EQ(Icmp->Ping(), 0);
    EXPECT_EQ(Icmp->LastError(), 11018);
    EXPECT_EQ(Icmp->GetErrorString(), L"Bad Destination");
    EXPECT_EQ(Events, L"display:Unable to resolve nohost.test;display:Invalid host address;");
}

TEST_F(NetIcmp, AnEmptyAddressIsABadDestinationWithoutALookup) {
    IcmpBinder().GetHostByName = &TResolverTable::Resolve;
    TResolverTable::Calls() = 0;
    EXPECT_EQ(Icmp->Ping(), 0);
    EXPECT_EQ(Icmp->LastError(), 11018);
    EXPECT_EQ(TResolverTable::Calls(), 0);
}

TEST_F(NetIcmp, ANameIsResolvedOnceUntilTheAddressChanges) {
    IcmpBinder().GetHostByName = &TResolverTable::Resolve;
    TResolverTable::Calls() = 0;
    Fake->Script("127.0.0.9", IP_SUCCESS, 3);
    Icmp->SetAddress(L"line-1.test");
    EXPECT_EQ(Icmp->Ping(), 1);
    EXPECT_EQ(Icmp->Ping(), 1);
    EXPECT_EQ(TResolverTable::Calls(), 1);
    EXPECT_EQ(Fake->EchoCount("127.0.0.9"), 2u);
    EXPECT_EQ(Icmp->HostName(), L"line-1.test.local");
    EXPECT_EQ(Icmp->HostIP(), L"127.0.0.9");
    Icmp->SetAddress(L"127.0.0.9");
    Icmp->SetAddress(L"line-1.test");
    EXPECT_EQ(Icmp->Ping(), 1);
    EXPECT_EQ(TResolverTable::Calls(), 2);
}

TEST_F(NetIcmp, SettersRefuseValuesTheRequestCannotCarry) {
    EXPECT_THROW(Icmp->SetSize(-1), TICMPException);
    EXPECT_THROW(Icmp->SetSize(TICMP::MaxSize + 1), TICMPException);
    EXPECT_THROW(Icmp->SetTimeOut(-1), TICMPException);
    EXPECT_THROW(Icmp->SetTTL(256), TICMPException);
    EXPECT_THROW(Icmp->SetFlags(-1), TICMPException);
    EXPECT_EQ(Icmp->Size(), 56);
    EXPECT_EQ(Icmp->TTL(), 64);
}

TEST_F(NetIcmp, TheHandleIsClosedWithTheObject) {
    EXPECT_EQ(Fake->OpenHandles(), 1);
    FreeAndNil(Icmp);
    EXPECT_EQ(Fake->OpenHandles(), 0);
}

TEST(NetIcmpCreate, FailsWithTheTextOfWhatIsMissing) {
    TFakeIcmp fake;
    struct TCase {
        UnicodeString Library;
        bool FailCreate;
        const wchar_t* Error;
    };
    for (const TCase& c : {TCase{L"no-such-library.dll", false, L"Unable to register icmp.dll"},
                           TCase{L"kernel32.dll", false, L"Error loading dll functions"},
                           TCase{TFakeIcmp::Path(), true, L"Unable to get ping handle"}}) {
        IcmpBinder().LibraryName = c.Library;
        fake.FailCreate(c.FailCreate);
        try {
            Construct<TICMP>()->Free();
            ADD_FAILURE() << "created with " << std::string(c.Library.begin(), c.Library.end());
        } catch (const TICMPException& E) {
            EXPECT_EQ(E.Message(), c.Error);
        }
    }
    fake.FailCreate(false);
    EXPECT_EQ(fake.OpenHandles(), 0);
}

} // namespace
