// The services the toolkit needs but does not own: the HTTP client that `http_get` fetches
// with and the JSON parser of `as_json`. The program binds them at start-up, before any other
// thread runs; until then a GET fails (empty text) and a document is null. The bindings are
// atomic so that a late binding is still seen whole by a worker thread.
#include "support/MYString/MYString.h"

#include <atomic>

namespace {

std::atomic<THttpGetFunction> HttpGetFunction{nullptr};
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
        return AnsiToUnicode(get({url, HttpUserAgent, HttpReadTimeout, true}));
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
