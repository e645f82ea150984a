// The writer: layout, escaping, number text, skipped values, and the sinks. Byte sinks must
// carry every character: what they write reads back as the same text.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const wchar_t Smile = 0x263A, EAcute = 0xE9, Middle = 0x4E2D;

UnicodeString Written(const TJsonRef& value, bool indent, bool escape) {
    return value->AsJSon(indent, escape);
}

// A document whose names and strings hold characters below 128, from 128 to 255 and above 255.
TJsonRef WideDocument() {
    const TJsonRef doc = TJsonObject::Create(stObject);
    doc->PathPutString(L"plain", L"ascii \"quoted\" back\\slash");
    doc->PathPutString(UnicodeString(L"name") + Smile,
                       UnicodeString(L"caf") + EAcute + L" " + Middle + Smile);
    doc->PathPutString(L"list[]",
                       UnicodeString(1, wchar_t(0xFFFF)) + wchar_t(0x100) + wchar_t(0xFF));
    doc->PathPutInteger(L"n", -12);
    return doc;
}

} // namespace

TEST(JsonWriter, IndentLayout) {
    EXPECT_EQ(Written(JsonFromText(L"{\"a\":[1,2]}"), true, false),
              L"{\r\n \"a\": [\r\n  1,2]\r\n}");
    EXPECT_EQ(Written(JsonFromText(L"{\"a\":{\"b\":1}}"), true, false),
              L"{\r\n \"a\": {\r\n  \"b\": 1\r\n }\r\n}");
    EXPECT_EQ(Written(JsonFromText(L"{\"a\":[],\"b\":{}}"), true, false),
              L"{\r\n \"b\": {},\r\n \"a\": []\r\n}");
    EXPECT_EQ(Written(JsonFromText(L"{\"a\":[1,2]}"), false, false), L"{\"a\":[1,2]}");
}

TEST(JsonWriter, EscapeTable) {
    struct TCase {
        UnicodeString text;
        const wchar_t* escaped;  // with escape
        UnicodeString unescaped; // without
    };
    const TCase cases[] = {
        {L"\"\\/", L"\\\"\\\\\\/", L"\\\"\\\\\\/"},
        {L"\b\t\n\f\r", L"\\b\\t\\n\\f\\r", L"\b\t\n\f\r"},
        {UnicodeString(1, wchar_t(1)), L"\\u0001", UnicodeString(1, wchar_t(1))},
        {UnicodeString(1, wchar_t(0x1F)), L"\\u001f", UnicodeString(1, wchar_t(0x1F))},
        {L"~\x7F", L"~\x7F", L"~\x7F"},
        {UnicodeString(1, wchar_t(0x80)), L"\\u0080", UnicodeString(1, wchar_t(0x80))},
        {UnicodeString(1, EAcute), L"\\u00e9", UnicodeString(1, EAcute)},
        {UnicodeString(1, Smile), L"\\u263a", UnicodeString(1, Smile)},
        {UnicodeString(1, wchar_t(0xFFFF)), L"\\uffff", UnicodeString(1, wchar_t(0xFFFF))},
        {L"plain text", L"plain text", L"plain text"},
    };
    for (const TCase& c : cases) {
        const TJsonRef value = TJsonObject::Create(c.text);
        EXPECT_EQ(Written(value, false, true), L"\"" + UnicodeString(c.escaped) + L"\"");
        EXPECT_EQ(Written(value, false, false), L"\"" + c.unescaped + L"\"");
        // Whatever the mode, the text reads back as it was.
        EXPECT_EQ(JsonFromText(Written(value, false, true))->AsString(), c.text);
        EXPECT_EQ(JsonFromText(Written(value, false, false))->AsString(), c.text);
    }
    const TJsonRef named = TJsonObject::Create(stObject);
    named->AsObject()->Store(UnicodeString(L"k\"") + Smile, TJsonObject::Create(Int64{1}));
    EXPECT_EQ(Written(named, false, true), L"{\"k\\\"\\u263a\":1}");
}

TEST(JsonWriter, NumbersAndLiterals) {
    EXPECT_EQ(Written(TJsonObject::Create(1.5), false, true), L"1.5");
    EXPECT_EQ(Written(TJsonObject::Create(0.1), false, true), L"0.1");
    EXPECT_EQ(Written(TJsonObject::Create(-2.25), false, true), L"-2.25");
    EXPECT_EQ(Written(TJsonObject::Create(Int64{INT64_MIN}), false, true), L"-9223372036854775808");
    EXPECT_EQ(Written(TJsonObject::Create(true), false, true), L"true");
    EXPECT_EQ(Written(TJsonObject::Create(stNull), false, true), L"null");
    // No JSON text stands for these; the document must stay readable.
    EXPECT_EQ(Written(JsonFromText(L"[1e999,-1e999]"), false, true), L"[null,null]");
    EXPECT_EQ(Written(TJsonObject::Create(std::nan("")), false, true), L"null");
    // Fifteen significant digits survive the trip through text.
    for (double d : {1.0 / 3, 1e20, -1e-7, 6.02214076e23, 123456789012345.0}) {
        const TJsonRef back = JsonFromText(Written(TJsonObject::Create(d), false, true));
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->IsType(stDouble)) << d;
        EXPECT_NEAR(back->AsDouble(), d, std::fabs(d) * 1e-14) << d;
    }
}

namespace {
void Nothing(const TJsonRef&, const TJsonRef&, TJsonRef&) {}
} // namespace

TEST(JsonWriter, MethodsAndValuesBeingWrittenAreLeftOut) {
    const TJsonRef doc = JsonFromText(L"{\"a\":1,\"l\":[1]}");
    doc->PathPutMethod(L"m", Nothing);
    doc->PathPutMethod(L"l[]", Nothing);
    EXPECT_EQ(Written(doc, false, false), L"{\"l\":[1],\"a\":1}");
    // A value inside itself: written once, not followed round the cycle.
    const TJsonRef loop = JsonFromText(L"[1]");
    loop->AsArray()->Add(loop);
    EXPECT_EQ(Written(loop, false, false), L"[1]");
    EXPECT_FALSE(JsonImpl(loop.Get())->Processing());
    loop->AsArray()->Clear(); // break the cycle so the value can go
}

TEST(JsonWriter, CalcSizeCountsWhatIsWritten) {
    const TJsonRef doc = WideDocument();
    for (bool indent : {false, true})
        for (bool escape : {false, true})
            EXPECT_EQ(doc->CalcSize(indent, escape),
                      static_cast<Integer>(doc->AsJSon(indent, escape).size()));
}

TEST(JsonWriterString, GrowsAndStaysTerminated) {
    TJsonWriterString writer;
    EXPECT_EQ(writer.Size(), 32);
    EXPECT_EQ(writer.Append(L"x", 0), 0);
    EXPECT_EQ(writer.Append(L"x", -3), -3);
    const UnicodeString piece = L"0123456789";
    for (int i = 0; i < 10; ++i) EXPECT_EQ(writer.Append(piece), 10);
    EXPECT_EQ(writer.Position(), 100);
    EXPECT_GE(writer.Size(), 101);
    EXPECT_EQ(writer.Data()[100], 0);
    writer.Append(L"   ", 3);
    writer.TrimRight();
    EXPECT_EQ(writer.Position(), 100);
    EXPECT_EQ(writer.Data()[100], 0);
    writer.Reset();
    EXPECT_EQ(writer.Position(), 0);
    EXPECT_EQ(writer.Data()[0], 0);
}

TEST(JsonWriterStream, WideCharactersSurviveTheByteSink) {
    const TJsonRef doc = WideDocument();
    for (bool escape : {false, true}) {
        TMemoryStream stream;
        const Int64 size = doc->SaveTo(stream, false, escape);
        EXPECT_EQ(size, stream.Size());
        stream.SetPosition(0);
        const TJsonRef back = TJsonObject::ParseStream(stream, false);
        ASSERT_TRUE(back) << "escape " << escape;
        EXPECT_EQ(back->AsJSon(false, true), doc->AsJSon(false, true)) << "escape " << escape;
    }
}

TEST(JsonWriterStream, FileRoundTrip) {
    wchar_t dir[MAX_PATH], file[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, dir), 0u);
    ASSERT_NE(GetTempFileNameW(dir, L"jsn", 0, file), 0u);
    const TJsonRef doc = WideDocument();
    EXPECT_GT(doc->SaveTo(UnicodeString(file), true, false), 0);
    const TJsonRef back = TJsonObject::ParseFile(file, false);
    DeleteFileW(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->AsJSon(false, true), doc->AsJSon(false, true));
}

namespace {

// Takes a fixed number of writes, then refuses every further one.
class TFailingStream : public TMemoryStream {
public:
    explicit TFailingStream(int writes) : FWrites(writes) {}
    NativeInt Write(const void* buffer, NativeInt count) override {
        if (FWrites-- <= 0) return 0;
        return TMemoryStream::Write(buffer, count);
    }

private:
    int FWrites;
};

} // namespace

// Fails the first write, then the second, and so on until writing gets through: every failure
// must give 0 and an empty stream, never a truncated document reported as saved.
TEST(JsonWriterStream, AFailedWriteAnywhereFailsTheSave) {
    const TJsonRef doc = JsonFromText(L"{\"a\":[1,\"two\",{\"b\":null}],\"c\":true}");
    for (int writes = 0;; ++writes) {
        ASSERT_LT(writes, 1000);
        TFailingStream stream(writes);
        const Int64 saved = doc->SaveTo(stream, true, true);
        if (saved > 0) {
            EXPECT_EQ(saved, static_cast<Int64>(doc->AsJSon(true, true).size()));
            break;
        }
        EXPECT_EQ(stream.Size(), 0) << "after " << writes << " writes";
    }
}

namespace {

class TWinsock {
public:
    TWinsock() { FOk = WSAStartup(MAKEWORD(2, 2), &FData) == 0; }
    ~TWinsock() {
        if (FOk) WSACleanup();
    }
    bool Ok() const { return FOk; }

private:
    WSADATA FData{};
    bool FOk = false;
};

class TSocket {
public:
    explicit TSocket(SOCKET s) : FSocket(s) {}
    ~TSocket() {
        if (FSocket != INVALID_SOCKET) closesocket(FSocket);
    }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    SOCKET Get() const { return FSocket; }

private:
    SOCKET FSocket;
};

} // namespace

// A listener on the loopback address takes what the socket sink sends.
TEST(JsonWriterSock, SendsTheDocumentToALoopbackListener) {
    TWinsock winsock;
    ASSERT_TRUE(winsock.Ok());
    TSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener.Get(), 1), 0);
    int length = sizeof address;
    ASSERT_EQ(getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    TSocket client(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    ASSERT_EQ(connect(client.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    TSocket server(accept(listener.Get(), nullptr, nullptr));
    ASSERT_NE(server.Get(), INVALID_SOCKET);

    const TJsonRef doc = WideDocument();
    const Int64 sent = doc->SaveTo(static_cast<UINT_PTR>(client.Get()), false, false);
    shutdown(client.Get(), SD_SEND);
    RawByteString received;
    char buffer[512];
    for (int n; (n = recv(server.Get(), buffer, sizeof buffer, 0)) > 0;) received.append(buffer, n);

    EXPECT_EQ(sent, static_cast<Int64>(received.size()));
    TStringStream stream(received);
    const TJsonRef back = TJsonObject::ParseStream(stream, false);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->AsJSon(false, true), doc->AsJSon(false, true));
}

TEST(JsonWriterSock, AClosedSocketSavesNothing) {
    TWinsock winsock;
    ASSERT_TRUE(winsock.Ok());
    EXPECT_EQ(JsonFromText(L"[1]")->SaveTo(static_cast<UINT_PTR>(INVALID_SOCKET)), 0);
}
