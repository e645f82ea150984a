#include "support/NetPing/NetPing.h"

#include "FakeIcmp.h"
#include "NetTesting.h"

#include <ipexport.h>

#include <cstring>
#include <memory>

namespace {

using NetPing = TNetModuleTest;

struct TPingEvents {
    TObject* Sender = nullptr;
    TObject* Icmp = nullptr;
    int Replies = -1;
    bool Done = false;
    Word LookupError = 0xFFFF;
    void Reply(TObject* S, TObject* I, int Status) {
        Sender = S;
        Icmp = I;
        Replies = Status;
    }
    void LookupDone(TObject*, Word Error) {
        Done = true;
        LookupError = Error;
    }
};

// The one test that uses the system's ICMP library: loopback only.
TEST_F(NetPing, AnEchoToTheLoopbackAddressIsAnswered) {
    auto ping = std::unique_ptr<TPing>(Construct<TPing>(nullptr));
    ASSERT_EQ(GetProcAddress(ping->ICMPDLLHandle(), "FakeIcmpScript"), nullptr)
        << "the scripted library is loaded instead of the system's";
    ping->SetAddress(L"127.0.0.1");
    ping->SetTimeout(2000);
    ASSERT_EQ(ping->Ping(), 1) << "error " << ping->ErrorCode();
    const TIcmpEchoReply reply = ping->Reply();
    EXPECT_EQ(reply.Status, 0u);
    EXPECT_EQ(reply.Address, inet_addr("127.0.0.1"));
    EXPECT_LT(reply.RTT, 2000u);
    EXPECT_EQ(ping->ErrorCode(), 0);
    EXPECT_EQ(ping->ErrorString(), L"No error");
    EXPECT_EQ(ping->HostName(), L"127.0.0.1");
    ASSERT_EQ(reply.DataSize, 56);
    EXPECT_EQ(std::memcmp(reply.Data, TICMP::SignOnText(), 45), 0);
}

TEST_F(NetPing, IsAttachedFromTheStartWithTwoNumbersAndTheDefaults) {
    TFakeIcmp fake;
    auto ping = std::unique_ptr<TPing>(Construct<TPing>(nullptr));
    EXPECT_TRUE(ping->Attached());
    EXPECT_EQ(ping->WndHandler()->MsgCnt(), 2);
    EXPECT_EQ(ping->Size(), 56);
    EXPECT_EQ(ping->Timeout(), 4000);
    EXPECT_EQ(ping->TTL(), 64);
    EXPECT_EQ(ping->Flags(), 0);
    ping.reset();
    EXPECT_EQ(NetWndWindowCount(), 0);
    EXPECT_EQ(fake.OpenHandles(), 0);
}

TEST_F(NetPing, EventsCarryTheComponentAndItsIcmpObject) {
    TFakeIcmp fake;
    fake.Script("127.0.0.6", IP_SUCCESS, 100);
    auto ping = std::unique_ptr<TPing>(Construct<TPing>(nullptr));
    TPingEvents events;
    ping->OnEchoReply = TPingReply(&events, &TPingEvents::Reply);
    ping->SetAddress(L"127.0.0.6");
    EXPECT_EQ(ping->Ping(), 1);
    EXPECT_EQ(ping->Reply().RTT, 100u);
    EXPECT_EQ(events.Sender, ping.get());
    ASSERT_NE(events.Icmp, nullptr);
    EXPECT_EQ(events.Icmp->ClassName(), L"TICMP");
    EXPECT_EQ(events.Replies, 1);
}

TEST_F(NetPing, AnUnreachableHostGivesNoReplyAndTheStatusWritten) {
    TFakeIcmp fake;
    fake.Script("127.0.0.7", IP_DEST_HOST_UNREACHABLE, 0);
    auto ping = std::unique_ptr<TPing>(Construct<TPing>(nullptr));
    ping->SetAddress(L"127.0.0.7");
    EXPECT_EQ(ping->Ping(), 0);
    EXPECT_EQ(ping->Reply().Status, 11003u);
    EXPECT_EQ(ping->ErrorCode(), 11003);
    EXPECT_EQ(ping->ErrorString(), L"Destination host unreachable");
}

TEST_F(NetPing, FailsToConstructWithoutTheIcmpLibraryAndLeavesNoWindow) {
    const UnicodeString saved = IcmpBinder().LibraryName;
    IcmpBinder().LibraryName = L"no-such-library.dll";
    EXPECT_THROW(Construct<TPing>(nullptr), TICMPException);
    IcmpBinder().LibraryName = saved;
    EXPECT_EQ(NetWndWindowCount(), 0);
    EXPECT_EQ(NetWndHandlerPool().ListCount(), 0);
}

TEST_F(NetPing, ALookupOfDottedTextEndsAtOnce) {
    TFakeIcmp fake;
    auto ping = std::unique_ptr<TPing>(Construct<TPing>(nullptr));
    TPingEvents events;
    ping->OnDnsLookupDone = TDnsLookupDone(&events, &TPingEvents::LookupDone);
    ping->DnsLookup(L"127.0.0.8");
    EXPECT_TRUE(events.Done);
    EXPECT_EQ(events.LookupError, 0);
    EXPECT_EQ(ping->DnsResult(), L"127.0.0.8");
}

// "localhost" is answered from the hosts file; no query leaves the machine.
TEST_F(NetPing, ALookupOfANameEndsWithAMessageToTheComponent) {
    TFakeIcmp fake;
    auto ping = std::unique_ptr<TPing>(Construct<TPing>(nullptr));
    TPingEvents events;
    ping->OnDnsLookupDone = TDnsLookupDone(&events, &TPingEvents::LookupDone);
    ping->DnsLookup(L"localhost");
    EXPECT_FALSE(events.Done);
    EXPECT_TRUE(ping->DnsLookupPending());
    ASSERT_TRUE(PumpUntil([&] { return events.Done; }));
    EXPECT_EQ(events.LookupError, 0);
    EXPECT_EQ(ping->DnsResult(), L"127.0.0.1");
    EXPECT_FALSE(ping->DnsLookupPending());
}

} // namespace
