// Address texts and the token cutter behind them.
#include "client/IPHelper.h"

#include "framework/Conversions.h"
#include "framework/Format.h"

const wchar_t* const ArpTypeNames[5] = {L"", L"Other", L"Invalid", L"Dynamic", L"Static"};
const wchar_t* const RouteTypeNames[5] = {L"", L"other", L"invalid", L"local", L"remote"};
const wchar_t* const RouteProtoNames[19] = {L"",      L"OTHER",     L"LOCAL",  L"NETMGMT", L"ICMP",
                                            L"EGP",   L"GGP",       L"HELO",   L"RIP",     L"IS_IS",
                                            L"ES_IS", L"CISCO",     L"BBN",    L"OSPF",    L"BGP",
                                            L"BOOTP", L"AUTO_STAT", L"STATIC", L"NOT_DOD"};

void CutToken(UnicodeString& source, wchar_t separator, UnicodeString& token) {
    token.clear();
    if (source.empty()) return;
    const auto at = source.find(separator);
    if (at == UnicodeString::npos) {
        token = std::move(source);
        source.clear();
        return;
    }
    token = source.substr(0, at);
    source.erase(0, at + 1);
}

UnicodeString MacToText(const Byte* address, DWORD length) {
    if (length == 0) return L"00-00-00-00-00-00";
    UnicodeString text;
    for (DWORD i = 0; i < length && i < MAXLEN_PHYSADDR; ++i) {
        if (i > 0) text += L'-';
        text += IntToHex(address[i], 2);
    }
    return text;
}

UnicodeString IpToText(DWORD address) {
    UnicodeString text;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) text += L'.';
        text += Format(L"%3d", {static_cast<int>((address >> (8 * octet)) & 0xFF)});
    }
    return text;
}

DWORD TextToIp(UnicodeString text) {
    DWORD value = 0;
    for (int part = 0; part < 4; ++part) {
        UnicodeString token;
        CutToken(text, L'.', token);
        Integer octet = 0;
        if (TryStrToInt(token, octet) && octet >= 0 && octet <= 255)
            value = (value >> 8) | (static_cast<DWORD>(octet) << 24);
        else
            value = 0;
    }
    return value;
}
