// Every text the dial-up library shows for a connection state or an error, and the rules that
// pick one. The texts are English and are not translated. Formats keep their C-style
// placeholders ("%d", "%s", "%x"); the operation that reports them fills them in.
#pragma once

#include "framework/System.h"

#include <functional>

// Fixed texts.
inline constexpr wchar_t SRasUnknownState[] = L"Unknown State (%d)";
inline constexpr wchar_t SRasLibraryPrefix[] = L"RASAPI32.DLL ";
inline constexpr wchar_t SRasNotAvailable[] = L"Not Available";
inline constexpr wchar_t SRasDisconnected[] = L"Disconnected";
inline constexpr wchar_t SRasNotEnoughMemory[] = L"Not enough memory";
inline constexpr wchar_t SRasDeviceConnecting[] = L"Device Connecting/Dialling";
inline constexpr wchar_t SRasReadEntryFirst[] = L"Must Read Entry Properties First";
inline constexpr wchar_t SRasSpecifyCanonical[] = L"Must Specify Canonical Number";
inline constexpr wchar_t SRasUnknownDunVersion[] = L"Unknown DUN Version";
inline constexpr wchar_t SRasNoWin9xAdapter[] = L"Unable to Locate Win9x Dial-Up Adapter";
inline constexpr wchar_t SRasCannotReadKey[] = L"Unable to Read Registry Key - %s/%s";
inline constexpr wchar_t SRasCannotOpenKey[] = L"Unable to Open Registry Key - %s";
inline constexpr wchar_t SRasNoPdh[] = L"Unable to Find Performance Data Helper Library (PDH.DLL)";
inline constexpr wchar_t SRasPdhInitFailed[] =
    L"Unable to Initialise Performance Data Helper Library (PDH.DLL), ErrCode 0%x";
inline constexpr wchar_t SRasNoPerformanceData[] = L"No Performance Data Returned for Object - %s";
inline constexpr wchar_t SRasNoPerformanceBlocks[] = L"No Performance Object Blocks Found for - %s";
inline constexpr wchar_t SRasTapiError[] = L"TAPI Error";

// States above this are error codes.
constexpr Integer RasLastStateCode = 600;

// The text of a connection state from the state table; empty for a state without one.
UnicodeString RasStateText(Integer state);
// "Unknown State (n)".
UnicodeString RasUnknownStateText(Integer state);
// "RASAPI32.DLL Not Available".
UnicodeString RasNotAvailableText();

// The text of a state as a component shows it: the table's text; else, up to 600, the unknown
// state text; above 600 the value is an error code and `errorString` gives its text.
UnicodeString RasMessText(Integer state, const std::function<UnicodeString(Integer)>& errorString);

// The text of an error code: with the RAS library present, the RAS text of the code (or the
// system's message when RAS has none); a negative code gives the empty text unless
// `passNegative`. Without the library `lastError` becomes 1157 and the text says so.
UnicodeString RasErrorString(Integer code, bool passNegative, Integer& lastError);

// Binds the RAS library; when it is missing, records 1157 and its text. Answers whether it is
// there.
bool RasTestRas(Integer& lastError, UnicodeString& statusStr);
