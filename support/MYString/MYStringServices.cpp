// The services the toolkit needs but does not own: the HTTP client that `http_get` fetches
// with (the class library's, unless a test binds another) and the JSON parser of `as_json`,
// which the program binds at start-up, before any other thread runs; until then a document is
// null. The bindings are atomic so that a late binding is still seen whole by a worker thread.
#include "support/MYString/MYString.h"

#include "framework/HttpClient.h"

#include <atomic>

namespace {

// A fresh client per request, as every exchange of the program makes it.
RawByteString ClassLibraryGet(const THttpGetRequest& request) {
    THttpClient client;
    client.SetUserAgent(request.UserAgent);
    client.SetReadTimeout(static_cast<Cardinal>(request.ReadTimeout));
    return client.GetBytes(request.Url);
}

std::atomic<THttpGetFunction> HttpGetFunction{&ClassLibraryGet};
std::atomic<TJsonParseFunction> JsonParseFunction{nullptr};

} // namespace

THttpGetFunction SetHttpGetFunction(THttpGetFunction get) { return HttpGetFunction.exchange(get); }

TJsonParseFunction SetJsonParseFunction(TJsonParseFunction parse) {
    return JsonParseFunction.exchange(parse);
}

namespace mystring {

UnicodeString HttpGet(const UnicodeString& url) {
    const THttpGetFunction get = HttpGetFunction.load();
    if (!get) return {};
    // Every failure is an empty reply to the callers, which treat empty as "not fetched".
    try {
        return AnsiToUnicode(get({url, HttpUserAgent, HttpReadTimeout}));
    } catch (...) {
        return {};
    }
}

bool TryParseJson(const UnicodeString& text, TJsonDocument& document) {
    const TJsonParseFunction parse = JsonParseFunction.load();
    try {
        document = parse ? parse(text) : nullptr;
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace mystring
