#include "framework/HttpClient.h"

#include "framework/ExceptionBoundary.h"
#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <winhttp.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// A request as the server read it off the wire.
struct TRecordedRequest {
    std::string Method;
    std::string Path;
    std::vector<std::pair<std::string, std::string>> Headers; // in the order sent
    std::string Body;

    // The value of the first header of that name (names compared without regard to case).
    std::optional<std::string> Header(const std::string& name) const {
        for (const auto& [key, value] : Headers)
            if (_stricmp(key.c_str(), name.c_str()) == 0) return value;
        return std::nullopt;
    }
};

// The raw bytes to send, and whether the connection then stays open without another word
// (until the server stops) instead of being closed.
struct TServerReply {
    TServerReply(std::string bytes, bool holdOpen = false)
        : Bytes(std::move(bytes)), HoldOpen(holdOpen) {}
    std::string Bytes;
    bool HoldOpen;
};
using TResponder = std::function<TServerReply(const TRecordedRequest&)>;

std::string Reply(int status, const std::string& reason, const std::string& body,
                  const std::string& extraHeaders = {}) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
           extraHeaders + "\r\n" + body;
}

class TWinsock {
public:
    TWinsock() {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    }
    ~TWinsock() { WSACleanup(); }
    TWinsock(const TWinsock&) = delete;
    TWinsock& operator=(const TWinsock&) = delete;
};

class TSocket {
public:
    explicit TSocket(SOCKET handle = INVALID_SOCKET) noexcept : FHandle(handle) {}
    TSocket(TSocket&& other) noexcept : FHandle(std::exchange(other.FHandle, INVALID_SOCKET)) {}
    TSocket& operator=(TSocket&&) = delete;
    ~TSocket() {
        if (FHandle != INVALID_SOCKET) closesocket(FHandle);
    }
    SOCKET Get() const noexcept { return FHandle; }

private:
    SOCKET FHandle;
};

// A listening socket on 127.0.0.1 with a port the system chose.
TSocket ListenOnLoopback(int backlog) {
    TSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (listener.Get() == INVALID_SOCKET) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener.Get(), backlog) != 0)
        throw std::runtime_error("bind/listen failed");
    return listener;
}

int PortOf(SOCKET socket) {
    sockaddr_in address{};
    int length = sizeof(address);
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Reads one request: the head up to the blank line, then Content-Length bytes of body.
std::optional<TRecordedRequest> ReadRequest(SOCKET client) {
    std::string data;
    char buffer[4096];
    size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) return std::nullopt;
        data.append(buffer, got);
    }
    TRecordedRequest request;
    size_t lineEnd = data.find("\r\n");
    const std::string requestLine = data.substr(0, lineEnd);
    request.Method = requestLine.substr(0, requestLine.find(' '));
    request.Path = requestLine.substr(request.Method.size() + 1);
    request.Path = request.Path.substr(0, request.Path.find(' '));
    while (lineEnd < headEnd) {
        const size_t next = data.find("\r\n", lineEnd + 2);
        const std::string line = data.substr(lineEnd + 2, next - lineEnd - 2);
        const size_t colon = line.find(':');
        request.Headers.emplace_back(line.substr(0, colon),
                                     line.substr(line.find_first_not_of(' ', colon + 1)));
        lineEnd = next;
    }
    const size_t length = std::stoul(request.Header("Content-Length").value_or("0"));
    request.Body = data.substr(headEnd + 4);
    while (request.Body.size() < length) {
        const int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) return std::nullopt;
        request.Body.append(buffer, got);
    }
    return request;
}

// An HTTP server on 127.0.0.1 in a background thread: it records every request and answers
// each with what the test's responder returns.
class TLoopbackServer {
public:
    explicit TLoopbackServer(TResponder responder)
        : FResponder(std::move(responder)), FListener(ListenOnLoopback(SOMAXCONN)),
          FThread([this] { GuardBoundary([this] { Serve(); }); }) {}
    ~TLoopbackServer() {
        FStop = true;
        FThread.join();
    }

    int Port() const { return PortOf(FListener.Get()); }
    UnicodeString Url(const std::string& path) const {
        return L"http://127.0.0.1:" + std::to_wstring(Port()) + Utf8ToUnicode(path);
    }
    std::vector<TRecordedRequest> Requests() const {
        std::lock_guard lock(FLock);
        return FRequests;
    }

private:
    bool WaitForClient() const {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(FListener.Get(), &readable);
        timeval wait{0, 50'000};
        return select(0, &readable, nullptr, nullptr, &wait) > 0;
    }

    void Serve() {
        std::vector<TSocket> held; // connections held open until the server stops
        while (!FStop) {
            if (!WaitForClient()) continue;
            TSocket client(accept(FListener.Get(), nullptr, nullptr));
            const auto request = ReadRequest(client.Get());
            if (!request) continue;
            {
                std::lock_guard lock(FLock);
                FRequests.push_back(*request);
            }
            const TServerReply reply = FResponder(*request);
            send(client.Get(), reply.Bytes.data(), static_cast<int>(reply.Bytes.size()), 0);
            if (reply.HoldOpen) held.push_back(std::move(client));
        }
    }

    TWinsock FWinsock;
    TResponder FResponder;
    TSocket FListener;
    std::atomic<bool> FStop{false};
    mutable std::mutex FLock;
    std::vector<TRecordedRequest> FRequests; // guarded by FLock
    std::thread FThread;                     // last: starts once everything above exists
};

template <class Call> std::optional<EHttpError> FailureOf(Call&& call) {
    try {
        call();
    } catch (const EHttpError& error) {
        return error;
    }
    return std::nullopt;
}

bool Contains(const UnicodeString& text, const UnicodeString& part) {
    return text.find(part) != UnicodeString::npos;
}

TResponder Answer(const std::string& reply) {
    return [reply](const TRecordedRequest&) { return TServerReply(reply); };
}

} // namespace

TEST(HttpClient, GetSendsUserAgentAndAcceptAndReturnsBody) {
    TLoopbackServer server(Answer(Reply(200, "OK", "1.2.3.4-2.0-5.6.7.8")));
    THttpClient client;
    client.SetUserAgent(L"probe_agent");
    EXPECT_EQ(client.Get(server.Url("/scripts/check.php?view=1")), L"1.2.3.4-2.0-5.6.7.8");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Path, "/scripts/check.php?view=1");
    EXPECT_EQ(requests[0].Header("User-Agent"), "probe_agent");
    EXPECT_EQ(requests[0].Header("Accept"), "text/html, */*");
    EXPECT_EQ(requests[0].Header("Content-Type"), std::nullopt);
    EXPECT_EQ(requests[0].Body, "");
}

TEST(HttpClient, EmptyHeaderTextsSendNoHeader) {
    TLoopbackServer server(Answer(Reply(200, "OK", "x")));
    THttpClient client;
    client.SetUserAgent(L"");
    client.SetAccept(L"");
    EXPECT_EQ(client.Get(server.Url("/")), L"x");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("User-Agent"), std::nullopt);
    EXPECT_EQ(requests[0].Header("Accept"), std::nullopt);
}

TEST(HttpClient, PostSendsFormFieldsInOrderWithHeaders) {
    TLoopbackServer server(Answer(Reply(200, "OK", "ok")));
    THttpClient client;
    client.SetUserAgent(L"Form poster/3.0 (compatible)");
    client.SetAccept(L"text/plain, */*");
    client.SetReadTimeout(2000);
    const THttpFields fields{{L"zeta", L"last first"}, {L"UserID", L"a&b=c%d"}, {L"alpha", L""}};
    EXPECT_EQ(client.Post(server.Url("/useradmin/check.php"), fields), L"ok");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Path, "/useradmin/check.php");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Form poster/3.0 (compatible)");
    EXPECT_EQ(requests[0].Header("Accept"), "text/plain, */*");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].Body, "zeta=last+first&UserID=a%26b%3Dc%25d&alpha=");
}

TEST(HttpClient, FormEncodingKeepsOnlyUnreservedBytes) {
    struct Case {
        const wchar_t* Value;
        const char* Encoded;
    };
    const Case cases[] = {
        {L"AZaz09", "v=AZaz09"},
        {L"*-._", "v=*-._"},
        {L"a b", "v=a+b"},
        {L"~!'()+,/:;?@[]#", "v=%7E%21%27%28%29%2B%2C%2F%3A%3B%3F%40%5B%5D%23"},
        {L"\t\r\n", "v=%09%0D%0A"},
        {L"", "v="},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HttpEncodeForm({{L"v", c.Value}}), c.Encoded)
            << "value " << UnicodeToUtf8(c.Value);
    EXPECT_EQ(HttpEncodeForm({}), "");
    EXPECT_EQ(HttpEncodeForm({{L"a name", L"x"}, {L"b", L"y"}}), "a+name=x&b=y");
}

// Text outside ASCII travels in the ACP both ways; the expectations are written out for the two
// code pages the product meets.
TEST(HttpClient, NonAsciiTextUsesTheAnsiCodePage) {
    const unsigned acp = SystemCodePage();
    if (acp != 1252 && acp != CodePageGbk) GTEST_SKIP() << "no expectations for code page " << acp;
    const std::string replyBytes = "\xC4\xE3\xBA\xC3";
    TLoopbackServer server(Answer(Reply(200, "OK", replyBytes)));
    THttpClient client;
    const UnicodeString reply = client.Post(server.Url("/p"), {{L"name", L"\u00E9"}});

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    if (acp == 1252) {
        EXPECT_EQ(requests[0].Body, "name=%E9");
        EXPECT_EQ(reply, L"\u00C4\u00E3\u00BA\u00C3");
    } else {
        EXPECT_EQ(requests[0].Body, "name=%A8%A6");
        EXPECT_EQ(reply, L"\u4F60\u597D");
    }
}

TEST(HttpClient, GetFollowsRedirect) {
    TLoopbackServer* self = nullptr;
    TLoopbackServer server([&self](const TRecordedRequest& request) -> TServerReply {
        if (request.Path == "/start")
            return Reply(302, "Found", "",
                         "Location: " + UnicodeToUtf8(self->Url("/final")) + "\r\n");
        return Reply(200, "OK", "arrived");
    });
    self = &server;
    THttpClient client;
    EXPECT_EQ(client.Get(server.Url("/start")), L"arrived");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Path, "/start");
    EXPECT_EQ(requests[1].Path, "/final");
    EXPECT_EQ(requests[1].Method, "GET");
}

TEST(HttpClient, PostDoesNotFollowRedirect) {
    TLoopbackServer server([](const TRecordedRequest& request) -> TServerReply {
        if (request.Path == "/form") return Reply(302, "Found", "", "Location: /elsewhere\r\n");
        return Reply(200, "OK", "should not be reached");
    });
    THttpClient client;
    const UnicodeString url = server.Url("/form");
    const auto error = FailureOf([&] { client.Post(url, {{L"a", L"1"}}); });

    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->StatusCode(), 302);
    EXPECT_TRUE(Contains(error->Message(), url)) << UnicodeToUtf8(error->Message());
    EXPECT_TRUE(Contains(error->Message(), L"302")) << UnicodeToUtf8(error->Message());
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(HttpClient, ErrorStatusRaisesWithTheStatus) {
    for (const int status : {500, 404}) {
        TLoopbackServer server(Answer(Reply(status, "Trouble", "details")));
        THttpClient client;
        const UnicodeString url = server.Url("/broken");
        const auto getError = FailureOf([&] { client.Get(url); });
        const auto postError = FailureOf([&] { client.Post(url, {}); });

        ASSERT_TRUE(getError.has_value()) << status;
        ASSERT_TRUE(postError.has_value()) << status;
        EXPECT_EQ(getError->StatusCode(), status);
        EXPECT_EQ(postError->StatusCode(), status);
        EXPECT_TRUE(Contains(getError->Message(), url)) << UnicodeToUtf8(getError->Message());
        EXPECT_TRUE(Contains(getError->Message(), std::to_wstring(status)))
            << UnicodeToUtf8(getError->Message());
    }
}

TEST(HttpClient, EmptyBodyIsEmptyText) {
    TLoopbackServer server(Answer(Reply(200, "OK", "")));
    THttpClient client;
    EXPECT_EQ(client.Get(server.Url("/empty")), L"");
    EXPECT_EQ(client.Post(server.Url("/empty"), {{L"a", L"1"}}), L"");
}

// The longest reply taken arrives whole; one byte more fails the request.
TEST(HttpClient, RepliesLongerThanTheBoundFail) {
    const std::string longest(THttpClient::MaxReplyBytes, 'x');
    TLoopbackServer server(Answer(Reply(200, "OK", longest)));
    THttpClient client;
    EXPECT_EQ(client.GetBytes(server.Url("/longest")).size(), THttpClient::MaxReplyBytes);
    TLoopbackServer longer(Answer(Reply(200, "OK", longest + "x")));
    try {
        client.Get(longer.Url("/longer"));
        ADD_FAILURE() << "a reply beyond the bound was taken";
    } catch (const EHttpError& error) {
        EXPECT_TRUE(Contains(error.Message(), L"the reply is longer than"))
            << UnicodeToUtf8(error.Message());
    }
}

// A read time-out short enough that the silent peers below cost the run little.
constexpr Cardinal ShortReadTimeout = 250;

// Not a speed test: only that a server which stops talking cannot hold the caller for much
// longer than the time-out, whether it never answers or stops in the middle of the body.
TEST(HttpClient, SilentServerFailsAfterReadTimeout) {
    const std::string stalledBody =
        "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly the first bytes";
    for (const std::string& sent : {std::string(), stalledBody}) {
        TLoopbackServer server(
            [sent](const TRecordedRequest&) { return TServerReply(sent, true); });
        THttpClient client;
        client.SetReadTimeout(ShortReadTimeout);
        const UnicodeString url = server.Url("/slow");
        for (const bool post : {false, true}) {
            const auto started = std::chrono::steady_clock::now();
            const auto error = FailureOf([&] {
                post ? client.Post(url, {{L"a", L"1"}}) : client.Get(url);
            });
            const auto waited = std::chrono::steady_clock::now() - started;

            ASSERT_TRUE(error.has_value()) << "post " << post << ", sent " << sent.size();
            EXPECT_EQ(error->StatusCode(), 0);
            EXPECT_EQ(error->ErrorCode(), static_cast<unsigned long>(ERROR_WINHTTP_TIMEOUT))
                << UnicodeToUtf8(error->Message());
            EXPECT_TRUE(Contains(error->Message(), url)) << UnicodeToUtf8(error->Message());
            EXPECT_LT(waited, std::chrono::milliseconds(ShortReadTimeout + 5000))
                << "post " << post;
        }
    }
}

TEST(HttpClient, RefusedConnectionRaises) {
    TWinsock winsock;
    int port;
    {
        const TSocket probe = ListenOnLoopback(1);
        port = PortOf(probe.Get());
    } // closed again: nothing listens on the port now
    THttpClient client;
    const UnicodeString url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/x";
    const auto error = FailureOf([&] { client.Get(url); });

    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->StatusCode(), 0);
    EXPECT_EQ(error->ErrorCode(), static_cast<unsigned long>(ERROR_WINHTTP_CANNOT_CONNECT))
        << UnicodeToUtf8(error->Message());
    EXPECT_TRUE(Contains(error->Message(), url)) << UnicodeToUtf8(error->Message());
}

TEST(HttpClient, RejectsUrlsItCannotRequest) {
    THttpClient client;
    for (const wchar_t* url : {L"", L"not a url", L"ftp://127.0.0.1/file", L"http:///path"}) {
        const auto error = FailureOf([&] { client.Get(url); });
        EXPECT_TRUE(error.has_value()) << UnicodeToUtf8(url);
    }
    EXPECT_THROW(client.SetReadTimeout(0), EInvalidOperation);
}

// A host that takes no connection at all: a listener whose queue is full drops further
// connection attempts without an answer, as a silent host does.
TEST(HttpClient, SilentHostFailsAfterReadTimeout) {
    TWinsock winsock;
    const TSocket listener = ListenOnLoopback(0);
    const int port = PortOf(listener.Get());
    std::vector<TSocket> fillers;
    for (int i = 0; i < 4; ++i) {
        TSocket filler(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        u_long nonBlocking = 1;
        ioctlsocket(filler.Get(), FIONBIO, &nonBlocking);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        connect(filler.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
        fillers.push_back(std::move(filler));
    }
    Sleep(200); // until the fillers' connections sit in the queue
    THttpClient client;
    client.SetReadTimeout(ShortReadTimeout);
    const UnicodeString url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/x";
    const auto started = std::chrono::steady_clock::now();
    const auto error = FailureOf([&] { client.Get(url); });
    const auto waited = std::chrono::steady_clock::now() - started;

    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->ErrorCode(), static_cast<unsigned long>(ERROR_WINHTTP_TIMEOUT))
        << UnicodeToUtf8(error->Message());
    EXPECT_TRUE(Contains(error->Message(), url)) << UnicodeToUtf8(error->Message());
    EXPECT_LT(waited, std::chrono::milliseconds(ShortReadTimeout + 5000));
}
