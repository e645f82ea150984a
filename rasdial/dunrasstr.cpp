// The state table and the error text rule. RAS texts are 8-bit in the system code page; the
// library's own texts are fixed English.
#include "rasdial/dunrasstr.h"

#include "framework/Exceptions.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrasapi.h"

#include <cstdio>

namespace {

struct TStateText {
    Integer State;
    const wchar_t* Text;
};

constexpr TStateText StateTexts[] = {
    {0, L"Opening Serial Port"},          {1, L"Serial Port Opened"},
    {2, L"Connecting/Dialling"},          {3, L"Connected/Answered"},
    {4, L"Connected/Negotiation"},        {5, L"Validating User and Password"},
    {6, L"Authentication Notification"},  {8, L"Authentication Call Back"},
    {10, L"Projection Started"},          {11, L"Calculating Link speed"},
    {12, L"Authentication acknowledged"}, {13, L"Reauthenticating"},
    {14, L"Login Authenticated"},         {15, L"Preparing for Callback"},
    {16, L"Waiting for Modem Reset"},     {17, L"Waiting for Callback"},
    {18, L"Projection Completion"},       {19, L"Start Authentication"},
    {20, L"Callback Complete"},           {21, L"Logon to Network"},
    {22, L"Extra Channel Connected"},     {23, L"Extra Channel Disconnected"},
    {4096, L"Interactive Terminal"},      {4097, L"Retry Authentication"},
    {4098, L"Callback Set By Caller"},    {4099, L"Password Expires"},
    {4100, L"Paused for Authentication"}, {8192, L"Connected/Online"},
    {8193, L"Disconnected/Offline"},
};

constexpr DWORD ErrorTextBytes = 256;

UnicodeString RasOwnErrorText(Integer code) {
    char text[ErrorTextBytes] = {};
    if (RasGetErrorStringA) RasGetErrorStringA(static_cast<UINT>(code), text, ErrorTextBytes);
    text[ErrorTextBytes - 1] = '\0'; // a text that fills the buffer is cut, never overrun
    return AnsiToUnicode(text);
}

} // namespace

UnicodeString RasStateText(Integer state) {
    for (const TStateText& row : StateTexts)
        if (row.State == state) return row.Text;
    return {};
}

UnicodeString RasUnknownStateText(Integer state) {
    wchar_t text[48];
    std::swprintf(text, 48, SRasUnknownState, static_cast<int>(state));
    return text;
}

UnicodeString RasNotAvailableText() { return UnicodeString(SRasLibraryPrefix) + SRasNotAvailable; }

UnicodeString RasMessText(Integer state, const std::function<UnicodeString(Integer)>& errorString) {
    UnicodeString text = RasStateText(state);
    if (!text.empty()) return text;
    if (state <= RasLastStateCode) return RasUnknownStateText(state);
    return errorString(state);
}

UnicodeString RasErrorString(Integer code, bool passNegative, Integer& lastError) {
    if (!RasApiAvailable()) {
        lastError = RasErrorLibraryMissing;
        return RasNotAvailableText();
    }
    if (code < 0 && !passNegative) return {};
    UnicodeString text = RasOwnErrorText(code);
    return text.empty() ? SysErrorMessage(static_cast<unsigned long>(code)) : text;
}

bool RasTestRas(Integer& lastError, UnicodeString& statusStr) {
    if (RasApiAvailable()) return true;
    lastError = RasErrorLibraryMissing;
    statusStr = RasNotAvailableText();
    return false;
}
