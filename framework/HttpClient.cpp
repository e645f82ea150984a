// THttpClient over WinHTTP. WinHTTP rather than WinINet because its time-outs bound every phase
// of a request, name resolution and connecting included: WinINet under Wine ignores its connect
// time-out and waits for the system's own, which a caller with a 2-second budget cannot afford.
// WinHTTP also keeps no cache and shows no dialogs, so a reply always comes from the server.
//
// Each request opens its own session, connection and request handles and closes them before it
// returns: the callers make one request per client, so nothing is gained by keeping a session.
// The session connects directly (no proxy) and keeps no cookies: the servers are reached as they
// are and no request carries state from an earlier one.
#include "framework/HttpClient.h"

#include "framework/Handles.h"
#include "framework/TextEncoding.h"

#include <windows.h>
#include <winhttp.h>

#include <utility>

namespace {

// Owns one HINTERNET of WinHTTP; children are closed before their parents by declaring them later.
using TOwnedInternetHandle = TOwnedBy<HINTERNET, &::WinHttpCloseHandle>;

// What one request goes to, and how its failures are described.
struct TRequestTarget {
    const wchar_t* Verb;
    const UnicodeString& Url;
    UnicodeString Host;
    INTERNET_PORT Port = INTERNET_DEFAULT_HTTP_PORT;
    UnicodeString Object; // path and query, as sent in the request line

    UnicodeString FailurePrefix() const {
        return L"HTTP " + UnicodeString(Verb) + L" " + Url + L" failed: ";
    }
    // Only a form POST sends a body; it must not be re-sent to wherever a redirect points.
    bool IsPost() const { return UnicodeString(Verb) == L"POST"; }
};

// Texts for the failures a caller meets most, for systems whose winhttp.dll carries no message
// table (Wine).
const wchar_t* KnownErrorText(DWORD code) {
    switch (code) {
    case ERROR_WINHTTP_TIMEOUT: return L"The operation timed out";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return L"The server name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return L"A connection with the server could not be established";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return L"The connection with the server was reset or terminated";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return L"The server response could not be parsed";
    default: return L"Unknown error";
    }
}

// WinHTTP's error texts live in winhttp.dll, not in the system's message table.
UnicodeString InternetErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
            FORMAT_MESSAGE_IGNORE_INSERTS,
        GetModuleHandleW(L"winhttp.dll"), code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UnicodeString text(buffer ? buffer : L"", length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? UnicodeString(KnownErrorText(code)) : text;
}

[[noreturn]] void RaiseCallFailed(const TRequestTarget& target, const wchar_t* api, DWORD code) {
    // Wine lets the socket's own time-out code through where Windows reports WinHTTP's.
    if (code == WSAETIMEDOUT) code = ERROR_WINHTTP_TIMEOUT;
    throw EHttpError(target.FailurePrefix() + api + L": " + InternetErrorText(code) + L" (" +
                         std::to_wstring(code) + L")",
                     0, code);
}

void Check(const TRequestTarget& target, const wchar_t* api, BOOL succeeded) {
    if (!succeeded) RaiseCallFailed(target, api, GetLastError());
}

TOwnedInternetHandle Checked(const TRequestTarget& target, const wchar_t* api, HINTERNET handle) {
    if (!handle) RaiseCallFailed(target, api, GetLastError());
    return TOwnedInternetHandle(handle);
}

void SplitUrl(TRequestTarget& target) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1; // non-zero lengths ask for pointers into the URL
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    Check(target, L"WinHttpCrackUrl",
          WinHttpCrackUrl(target.Url.c_str(), static_cast<DWORD>(target.Url.size()), 0, &parts));
    if (parts.nScheme != INTERNET_SCHEME_HTTP || parts.dwHostNameLength == 0)
        throw EHttpError(target.FailurePrefix() + L"not an http:// URL with a host");
    target.Host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.Port = parts.nPort;
    target.Object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.Object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    target.Object = target.Object.substr(0, target.Object.find(L'#')); // never sent
    if (target.Object.empty() || target.Object.front() != L'/') target.Object.insert(0, L"/");
}

void SetOption(const TRequestTarget& target, HINTERNET handle, DWORD option, DWORD value) {
    Check(target, L"WinHttpSetOption", WinHttpSetOption(handle, option, &value, sizeof(value)));
}

// Resolve, connect, send and receive are bounded alike. The wait for the reply's head has a
// time-out of its own (90 s by default, unbounded under Wine) which the receive time-out does not
// cover, so it is set too.
void SetTimeouts(const TRequestTarget& target, HINTERNET request, DWORD milliseconds) {
    const int value = static_cast<int>(milliseconds);
    Check(target, L"WinHttpSetTimeouts", WinHttpSetTimeouts(request, value, value, value, value));
    SetOption(target, request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, milliseconds);
}

TOwnedInternetHandle OpenRequest(const TRequestTarget& target, HINTERNET connection,
                                 DWORD timeout) {
    TOwnedInternetHandle request =
        Checked(target, L"WinHttpOpenRequest",
                WinHttpOpenRequest(connection, target.Verb, target.Object.c_str(), nullptr,
                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    SetTimeouts(target, request.Get(), timeout);
    SetOption(target, request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES);
    if (target.IsPost())
        SetOption(target, request.Get(), WINHTTP_OPTION_REDIRECT_POLICY,
                  WINHTTP_OPTION_REDIRECT_POLICY_NEVER);
    return request;
}

UnicodeString RequestHeaders(const UnicodeString& accept, bool hasForm) {
    UnicodeString headers;
    if (!accept.empty()) headers += L"Accept: " + accept + L"\r\n";
    if (hasForm) headers += L"Content-Type: application/x-www-form-urlencoded\r\n";
    return headers;
}

void Exchange(const TRequestTarget& target, HINTERNET request, const UnicodeString& headers,
              const AnsiString& body) {
    void* data = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
    const auto size = static_cast<DWORD>(body.size());
    Check(target, L"WinHttpSendRequest",
          WinHttpSendRequest(request,
                             headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                             static_cast<DWORD>(headers.size()), data, size, size, 0));
    Check(target, L"WinHttpReceiveResponse", WinHttpReceiveResponse(request, nullptr));
}

// A reply header as text; empty when the reply has none.
UnicodeString QueryText(HINTERNET request, DWORD info) {
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, buffer, &size,
                             WINHTTP_NO_HEADER_INDEX))
        return {};
    return UnicodeString(buffer, size / sizeof(wchar_t));
}

int QueryStatus(const TRequestTarget& target, HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    Check(target, L"WinHttpQueryHeaders",
          WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                              WINHTTP_NO_HEADER_INDEX));
    return static_cast<int>(status);
}

void CheckStatus(const TRequestTarget& target, HINTERNET request) {
    const int status = QueryStatus(target, request);
    if (status >= 200 && status < 300) return;
    UnicodeString text = target.FailurePrefix() + L"HTTP " + std::to_wstring(status);
    const UnicodeString reason = QueryText(request, WINHTTP_QUERY_STATUS_TEXT);
    if (!reason.empty()) text += L" " + reason;
    if (status >= 300 && status < 400)
        text +=
            L", redirect to \"" + QueryText(request, WINHTTP_QUERY_LOCATION) + L"\" not followed";
    throw EHttpError(text, status);
}

AnsiString ReadBody(const TRequestTarget& target, HINTERNET request) {
    AnsiString body;
    char buffer[8192];
    for (;;) {
        DWORD read = 0;
        Check(target, L"WinHttpReadData", WinHttpReadData(request, buffer, sizeof(buffer), &read));
        if (read == 0) return body;
        if (read > THttpClient::MaxReplyBytes - body.size())
            throw EHttpError(target.FailurePrefix() + L"the reply is longer than " +
                             std::to_wstring(THttpClient::MaxReplyBytes) + L" bytes");
        body.append(buffer, read);
    }
}

} // namespace

EHttpError::EHttpError(UnicodeString message, int statusCode, unsigned long errorCode)
    : Exception(std::move(message)), FStatusCode(statusCode), FErrorCode(errorCode) {}

void THttpClient::SetReadTimeout(Cardinal milliseconds) {
    if (milliseconds == 0) throw EInvalidOperation(L"The HTTP read time-out must be at least 1 ms");
    FReadTimeout = milliseconds;
}

UnicodeString THttpClient::Get(const UnicodeString& url) { return AnsiToUnicode(GetBytes(url)); }

RawByteString THttpClient::GetBytes(const UnicodeString& url) { return Request(L"GET", url, {}); }

UnicodeString THttpClient::Post(const UnicodeString& url, const THttpFields& fields) {
    return AnsiToUnicode(Request(L"POST", url, HttpEncodeForm(fields)));
}

RawByteString THttpClient::Request(const wchar_t* verb, const UnicodeString& url,
                                   const AnsiString& body) {
    TRequestTarget target{verb, url};
    SplitUrl(target);
    const TOwnedInternetHandle session = Checked(
        target, L"WinHttpOpen",
        WinHttpOpen(FUserAgent.empty() ? nullptr : FUserAgent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY,
                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    const TOwnedInternetHandle connection =
        Checked(target, L"WinHttpConnect",
                WinHttpConnect(session.Get(), target.Host.c_str(), target.Port, 0));
    const TOwnedInternetHandle request = OpenRequest(target, connection.Get(), FReadTimeout);
    Exchange(target, request.Get(), RequestHeaders(FAccept, target.IsPost()), body);
    CheckStatus(target, request.Get());
    return ReadBody(target, request.Get());
}
