// The services bound by the program: the HTTP GET behind `http_get` and the JSON parser behind
// `as_json`. Stubs stand in for the HTTP client and the parser; what is tested is the toolkit's
// side of the contract (the request it makes, failures turned into empty text, the document it
// keeps).
#include "support/MYString/MYString.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Binds a function for one test and restores the previous binding.
template <class F, F (*Set)(F)> class TBinding {
public:
    explicit TBinding(F function) : FPrevious(Set(function)) {}
    ~TBinding() { Set(FPrevious); }
    TBinding(const TBinding&) = delete;
    TBinding& operator=(const TBinding&) = delete;

private:
    F FPrevious;
};
using THttpBinding = TBinding<THttpGetFunction, &SetHttpGetFunction>;
using TJsonBinding = TBinding<TJsonParseFunction, &SetJsonParseFunction>;

THttpGetRequest LastRequest;

RawByteString AnswerBody(const THttpGetRequest& request) {
    LastRequest = request;
    return "body \xE9";
}
RawByteString FailWithException(const THttpGetRequest&) { throw Exception(L"404 Not Found"); }
RawByteString FailWithOther(const THttpGetRequest&) { throw std::runtime_error("socket"); }
RawByteString AnswerGbk(const THttpGetRequest&) { return "\xC4\xE3\xBA\xC3-ok"; }

TComPtr<Istrings> Text(const UnicodeString& text) { return TComPtr<Istrings>(new strings(text)); }

TEST(MYStringHttp, GetAsksForTheUrlWithTheToolkitsHeaderTimeOutAndRedirects) {
    THttpBinding binding(&AnswerBody);
    auto s = Text(L"kept");
    const UnicodeString body =
        s->http_get(L"http://127.0.0.1:16001/webadmin/useradmin/netcheck09.php", false);
    EXPECT_EQ(LastRequest.Url, L"http://127.0.0.1:16001/webadmin/useradmin/netcheck09.php");
    EXPECT_EQ(LastRequest.UserAgent, L"iisuser_class");
    EXPECT_EQ(LastRequest.ReadTimeout, 30000);
    EXPECT_EQ(body, AnsiToUnicode("body \xE9"));
    EXPECT_EQ(s->get_text(), L"kept");
    EXPECT_EQ(s->http_get(L"http://127.0.0.1/", true), body);
    EXPECT_EQ(s->get_text(), body);
}

TEST(MYStringHttp, EveryFailureIsAnEmptyText) {
    const THttpGetFunction failures[] = {&FailWithException, &FailWithOther, nullptr};
    for (THttpGetFunction failure : failures) {
        THttpBinding binding(failure);
        auto s = Text(L"kept");
        EXPECT_EQ(s->http_get(L"http://127.0.0.1/missing", false), L"");
        EXPECT_EQ(s->get_text(), L"kept");
        EXPECT_EQ(s->http_get(L"http://127.0.0.1/missing", true), L"");
        EXPECT_EQ(s->get_text(), L"") << "apply empties the text also on failure";
    }
}

// Runs under code page 936 only (its own ctest entry sets LANG=zh_CN.UTF-8): the body is GBK.
TEST(MYStringHttpGbk, BodyIsDecodedInTheSystemCodePage) {
    if (GetACP() != 936) GTEST_SKIP() << "the system code page is " << GetACP() << ", not 936";
    THttpBinding binding(&AnswerGbk);
    EXPECT_EQ(Text(L"")->http_get(L"http://127.0.0.1/", false), L"\x4F60\x597D-ok");
}

// A document whose references the test can count.
class TDocument : public TInterfacedObject {};

TDocument* Document = nullptr;

TJsonDocument ParseToDocument(const UnicodeString&) { return TJsonDocument(Document->Identity()); }
TJsonDocument ParseToNothing(const UnicodeString&) { return nullptr; }
TJsonDocument ParseFails(const UnicodeString&) { throw Exception(L"parse error"); }

TEST(MYStringJson, TheLastDocumentIsKeptUntilAParseAnswersNoDocument) {
    TComPtr<IInterface> holder(Document = new TDocument());
    TComPtr<Istrings3> s(new strings3(L"{}"));
    {
        TJsonBinding binding(&ParseToDocument);
        EXPECT_EQ(s->as_json().Get(), Document->Identity());
        EXPECT_EQ(Document->RefCount(), 2) << "the object keeps the document";
    }
    {
        TJsonBinding binding(&ParseFails);
        EXPECT_EQ(s->as_json(), nullptr);
        EXPECT_EQ(Document->RefCount(), 2) << "a failed parse keeps the previous document";
    }
    {
        TJsonBinding binding(&ParseToNothing);
        EXPECT_EQ(s->as_json(), nullptr);
        EXPECT_EQ(Document->RefCount(), 1) << "no document replaces the previous one";
    }
    Document = nullptr;
}

TEST(MYStringJson, WithoutAParserThereIsNoDocument) {
    TJsonBinding binding(nullptr);
    EXPECT_EQ(TComPtr<Istrings3>(new strings3(L"{}"))->as_json(), nullptr);
}

} // namespace
