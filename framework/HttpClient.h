// The HTTP client: one synchronous request per call, for server scripts that answer short texts.
//
//   EHttpError       a request that failed, with the HTTP status or system error when known
//   THttpField       one name=value pair of a posted form
//   THttpClient      GET (redirects followed) and form POST (redirects refused)
//
// Callers make a fresh client for each request and free it afterwards, so the client is a plain
// TObject: it has no owner, no streaming and no state that outlives a request. Bodies are the
// server's 8-bit text in the system ANSI code page (ACP) and come back decoded to UnicodeString;
// form values go out in the same code page, percent-encoded as an HTML form encodes them.
//
// Every call blocks the calling thread until the reply or the failure. `ReadTimeout` bounds each
// phase of the request (connect, send, each wait for reply bytes), so a host that stays silent
// fails after about that long rather than after the system's default time-outs. A reply body
// longer than `MaxReplyBytes` fails the request too.
#pragma once

#include "framework/Objects.h"

#include <cstddef>
#include <vector>

class EHttpError : public Exception {
public:
    // `statusCode` is the HTTP status when the server answered, else 0; `errorCode` is the
    // system error when a system call failed, else 0.
    EHttpError(UnicodeString message, int statusCode = 0, unsigned long errorCode = 0);
    int StatusCode() const noexcept { return FStatusCode; }
    unsigned long ErrorCode() const noexcept { return FErrorCode; }

private:
    int FStatusCode;
    unsigned long FErrorCode;
};

struct THttpField {
    UnicodeString Name;
    UnicodeString Value;
};
using THttpFields = std::vector<THttpField>;

// The fields as an application/x-www-form-urlencoded body, in their order: names and values
// converted to the ACP, then letters, digits and "*-._" kept, blanks as "+", every other byte
// as "%XX". Characters the ACP cannot hold become "?", as the system's conversion does.
AnsiString HttpEncodeForm(const THttpFields& fields);

class THttpClient : public TObject {
    CLASS_INFO(THttpClient, TObject)
public:
    static constexpr Cardinal DefaultReadTimeout = 30000;
    static constexpr const wchar_t* DefaultAccept = L"text/html, */*";
    // The longest reply body taken, far above any reply of the service (the line list, the
    // largest, is tens of kilobytes): a longer one fails the request, so that a broken or hostile
    // server cannot fill memory or hold the caller in its text handling.
    static constexpr std::size_t MaxReplyBytes = 8 * 1024 * 1024;

    // Sent as the User-Agent header; an empty text sends none.
    const UnicodeString& UserAgent() const noexcept { return FUserAgent; }
    void SetUserAgent(const UnicodeString& value) { FUserAgent = value; }
    // Sent as the Accept header; an empty text sends none.
    const UnicodeString& Accept() const noexcept { return FAccept; }
    void SetAccept(const UnicodeString& value) { FAccept = value; }
    // Milliseconds, at least 1; raises EInvalidOperation for 0.
    Cardinal ReadTimeout() const noexcept { return FReadTimeout; }
    void SetReadTimeout(Cardinal milliseconds);

    // The body of a GET of `url` ("http://host[:port]/path[?query]"), following redirects.
    // Raises EHttpError when the request fails, the status is not 2xx or a redirect is left.
    UnicodeString Get(const UnicodeString& url);
    // The same GET, answering the body's bytes undecoded.
    RawByteString GetBytes(const UnicodeString& url);
    // The body of a POST of the fields as a form. Redirects are not followed: a 3xx reply
    // raises EHttpError like any other status outside 2xx.
    UnicodeString Post(const UnicodeString& url, const THttpFields& fields);

private:
    RawByteString Request(const wchar_t* verb, const UnicodeString& url, const AnsiString& body);

    UnicodeString FUserAgent;
    UnicodeString FAccept = DefaultAccept;
    Cardinal FReadTimeout = DefaultReadTimeout;
};
