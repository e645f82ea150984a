#include "framework/IcmpClient.h"

#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

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
