#include "framework/IcmpClient.h"

#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <vector>

namespace {

// Keeps every reply the client's event hands over.
class TReplyLog : public TObject {
public:
    std::vector<TIcmpReply> Replies;
    std::vector<TObject*> Senders;
    void Record(TObject* sender, const TIcmpReply& reply) {
        Senders.push_back(sender);
        Replies.push_back(reply);
    }
};

struct IcmpClient : testing::Test {
    TIcmpClient* Client = Construct<TIcmpClient>(nullptr);
    TReplyLog Log;

    IcmpClient() { Client->OnReply = TIcmpReplyEvent(&Log, &TReplyLog::Record); }
    ~IcmpClient() override { Client->Free(); }
};

} // namespace

TEST_F(IcmpClient, EchoFromLoopbackIsReportedOnce) {
    Client->SetHost(L"127.0.0.1");
    Client->SetReceiveTimeout(1000);
    const TIcmpReply reply = Client->Ping();

    EXPECT_EQ(reply.Status, TIcmpReplyStatus::Echo);
    EXPECT_EQ(reply.IpStatus, 0u);
    EXPECT_EQ(reply.FromAddress, L"127.0.0.1");
    EXPECT_EQ(reply.BytesReceived, TIcmpClient::DefaultPacketSize);
    EXPECT_LT(reply.RoundTripTime, 1000u);
    ASSERT_EQ(Log.Replies.size(), 1u);
    EXPECT_EQ(Log.Senders[0], Client);
    EXPECT_EQ(Log.Replies[0].Status, reply.Status);
    EXPECT_EQ(Log.Replies[0].RoundTripTime, reply.RoundTripTime);
    EXPECT_EQ(Log.Replies[0].FromAddress, reply.FromAddress);
}

TEST_F(IcmpClient, EchoesThePayloadSizeAsked) {
    Client->SetHost(L"127.0.0.1");
    for (const Word size : {Word(0), Word(1), Word(56), Word(1400)}) {
        Client->SetPacketSize(size);
        const TIcmpReply reply = Client->Ping();
        EXPECT_EQ(reply.Status, TIcmpReplyStatus::Echo) << size;
        EXPECT_EQ(reply.BytesReceived, size);
    }
    EXPECT_EQ(Log.Replies.size(), 4u);
}

TEST_F(IcmpClient, HostNameIsResolved) {
    Client->SetHost(L"localhost");
    const TIcmpReply reply = Client->Ping();
    EXPECT_EQ(reply.Status, TIcmpReplyStatus::Echo);
    EXPECT_EQ(reply.FromAddress.substr(0, 4), L"127.");
}

TEST_F(IcmpClient, NoHostRaisesWithoutReply) {
    EXPECT_THROW(Client->Ping(), EIcmpError);
    EXPECT_TRUE(Log.Replies.empty());
    EXPECT_THROW(Client->SetReceiveTimeout(0), EInvalidOperation);
}

TEST_F(IcmpClient, IsOwnedLikeAnyComponent) {
    auto* owner = new TComponent(nullptr);
    auto* client = new TIcmpClient(owner);
    EXPECT_EQ(client->Owner(), owner);
    EXPECT_EQ(client->ReceiveTimeout(), TIcmpClient::DefaultReceiveTimeout);
    EXPECT_EQ(client->PacketSize(), TIcmpClient::DefaultPacketSize);
    owner->Free();
}

namespace {

// What the replaced echo call does: answer with a reply record of this status, or fail with
// this last error.
struct TScriptedEcho {
    bool Answers;
    unsigned long Code; // the reply's status, or the last error
};
TScriptedEcho GScript;

unsigned long ScriptedSendEcho(void*, unsigned long destination, void*, Word, void*,
                               void* replyBuffer, unsigned long replySize, unsigned long) {
    if (!GScript.Answers) {
        SetLastError(GScript.Code);
        return 0;
    }
    if (replySize < sizeof(ICMP_ECHO_REPLY)) return 0;
    auto* reply = static_cast<ICMP_ECHO_REPLY*>(replyBuffer);
    *reply = {};
    reply->Address = destination;
    reply->Status = GScript.Code;
    reply->RoundTripTime = 3;
    return 1;
}

// Puts the system's call back however the test ends.
struct TEchoReplaced {
    TEchoReplaced() { SetIcmpSendEcho(&ScriptedSendEcho); }
    ~TEchoReplaced() { SetIcmpSendEcho(nullptr); }
    TEchoReplaced(const TEchoReplaced&) = delete;
    TEchoReplaced& operator=(const TEchoReplaced&) = delete;
};

} // namespace

// The outcomes loopback never produces: an echo without an answer, an ICMP error instead of the
// echo, and a call that cannot send at all.
TEST_F(IcmpClient, OutcomesOtherThanAnEcho) {
    struct Case {
        TScriptedEcho Script;
        bool ExpectsFailure;
        TIcmpReplyStatus Status;
        Cardinal RoundTripTime;
        const wchar_t* FromAddress;
    };
    const Case cases[] = {
        {{false, IP_REQ_TIMED_OUT}, false, TIcmpReplyStatus::TimedOut, 1000, L""},
        {{true, IP_REQ_TIMED_OUT}, false, TIcmpReplyStatus::TimedOut, 1000, L""},
        {{false, IP_DEST_HOST_UNREACHABLE}, false, TIcmpReplyStatus::Error, 0, L""},
        {{true, IP_TTL_EXPIRED_TRANSIT}, false, TIcmpReplyStatus::Error, 0, L"127.0.0.1"},
        {{false, ERROR_ACCESS_DENIED}, true, TIcmpReplyStatus::Error, 0, L""},
    };
    const TEchoReplaced replaced;
    Client->SetHost(L"127.0.0.1");
    Client->SetReceiveTimeout(1000);
    for (const Case& c : cases) {
        GScript = c.Script;
        Log.Replies.clear();
        if (c.ExpectsFailure) {
            try {
                Client->Ping();
                ADD_FAILURE() << "no EIcmpError for " << c.Script.Code;
            } catch (const EIcmpError& error) {
                EXPECT_NE(error.Message().find(L"IcmpSendEcho"), UnicodeString::npos)
                    << UnicodeToUtf8(error.Message());
            }
            EXPECT_TRUE(Log.Replies.empty()) << c.Script.Code;
            continue;
        }
        const TIcmpReply reply = Client->Ping();
        EXPECT_EQ(reply.Status, c.Status) << c.Script.Code;
        EXPECT_EQ(reply.IpStatus, c.Script.Code);
        EXPECT_EQ(reply.RoundTripTime, c.RoundTripTime) << c.Script.Code;
        EXPECT_EQ(reply.FromAddress, c.FromAddress) << c.Script.Code;
        EXPECT_EQ(reply.BytesReceived, 0) << c.Script.Code;
        EXPECT_EQ(Log.Replies.size(), 1u) << c.Script.Code;
    }
}
