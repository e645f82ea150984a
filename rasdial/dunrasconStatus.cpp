// Status queries, the list of active connections, projections, sub-entry handles and the
// choice of phonebook of the dialling component. Status queries write the recorded state that
// the notifier shares, so they commit their results under the state lock and call RAS outside it.
#include "rasdial/dunrascon.h"

#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

#include <algorithm>

namespace {

constexpr DWORD RasAuthPap = 0xC023;
constexpr DWORD RasAuthSpap = 0xC123;
constexpr DWORD RasAuthChap = 0xC223;
constexpr DWORD RasAuthEap = 0xC227;
constexpr Integer ErrorNotEnoughMemory = 8;
constexpr Integer ErrorDeviceConnecting = 600;
constexpr Cardinal MaxListedConnections = 8;
constexpr int MaxSubHandles = 8;

// An enumeration element of the running level's size, widened into a zeroed full record.
TRasConnWXP Widen(const Byte* element, DWORD size) {
    TRasConnWXP conn{};
    std::memcpy(&conn, element, std::min<std::size_t>(size, sizeof(conn)));
    return conn;
}

AnsiString ProtocolName(DWORD protocol) {
    switch (protocol) {
    case RasAuthPap: return "PAP ";
    case RasAuthSpap: return "SPAP ";
    case RasAuthChap: return "CHAP ";
    case RasAuthEap: return "EAP ";
    }
    return {};
}

} // namespace

LPCSTR TDunRasCon::SelectedPhonebook() const noexcept {
    return FUseSelection ? FPhoneBookPath.c_str() : nullptr;
}

void TDunRasCon::SetPBLocation(Integer value) {
    FUseSelection = false;
    const Byte level = RasOSLevel();
    if (level < RasLevelW2K || (value != 0 && value != 1)) return;
    FPBLocation = value;
    FPhoneBookPath = PhonebookPaths[static_cast<std::size_t>(value)];
    FUseSelection = true;
}

void TDunRasCon::SetPhoneBookPath(const AnsiString& value) {
    if (RasOSLevel() != RasLevelNT4) return;
    FPhoneBookPath = TrimAnsi(value);
    FUseSelection = !FPhoneBookPath.empty();
}

Integer TDunRasCon::GetConnectStatusEx(HRasConn ConnHandle, Integer SubEntryNr) {
    const UnicodeString unknown = RasUnknownStateText(RasErrorNoStatus);
    Record([&](TRecorded& s) {
        SetConnectState(s, TRasStateWriter::StatusQuery, RasErrorNoStatus);
        s.StatusStr = unknown;
        s.StateRasConn = ConnHandle;
        s.StateSubEntry = SubEntryNr;
        s.CurDevName.clear();
        s.CurDevType.clear();
        s.ConnectPhoneNr.clear();
        s.ConnectError = 0;
        s.LastError = RasErrorNoStatus;
    });
    if (!ConnHandle) return RasErrorNoStatus;
    if (!RasApiAvailable() || !RasGetConnectStatusA) return KeepCode(RasErrorLibraryMissing);
    TRasConnStatusNT4 status{};
    status.dwSize = RasRecordSize(TRasRecord::ConnStatus);
    Integer result = static_cast<Integer>(RasGetConnectStatusA(ConnHandle, &status));
    if (result == 0) {
        const bool nt = RasOSLevel() >= RasLevelNT4;
        if (status.dwError > RasLastStateCode) result = static_cast<Integer>(status.dwError);
        Record([&](TRecorded& s) {
            s.CurDevName = FieldText(status.szDeviceName, sizeof(status.szDeviceName));
            s.CurDevType = FieldText(status.szDeviceType, sizeof(status.szDeviceType));
            SetConnectState(s, TRasStateWriter::StatusReply,
                            static_cast<Word>(status.rasconnstate));
            s.ConnectError = static_cast<Word>(status.dwError);
            s.ConnectPhoneNr =
                nt ? FieldText(status.szPhoneNumber, sizeof(status.szPhoneNumber)) : AnsiString();
        });
    }
    return Finish(result);
}

Integer TDunRasCon::GetConnectStatus() { return GetConnectStatusEx(IntRasConn(), 0); }

UnicodeString TDunRasCon::CurrentStatusEx(HRasConn ConnHandle, Integer SubEntryNr) {
    GetConnectStatusEx(ConnHandle, SubEntryNr);
    const Integer code = LastError();
    if (code == 0)
        SetStatusStr(GetMessText());
    else if (code >= RasErrorNoStatus)
        SetStatusStr(GetErrorString(code));
    else if (code == RasErrorInvalidHandle)
        SetStatusStr(SRasDisconnected);
    else if (code == ErrorNotEnoughMemory)
        SetStatusStr(SRasNotEnoughMemory);
    else if (code == ErrorDeviceConnecting)
        SetStatusStr(SRasDeviceConnecting);
    Record([](TRecorded& s) { s.StateEventSource = SourceStatus; });
    PushState();
    return StatusStr();
}

UnicodeString TDunRasCon::CurrentStatus() { return CurrentStatusEx(IntRasConn(), 0); }

AnsiString TDunRasCon::GetConnection() {
    CurConnName.clear();
    CurRasConn = nullptr;
    NumConns = 0;
    SetLastError(RasErrorLibraryMissing);
    if (!RasApiAvailable() || !RasEnumConnectionsA) return {};
    std::vector<Byte> buffer(RasConnBufferSize);
    const DWORD elementSize = RasRecordSize(TRasRecord::Conn);
    reinterpret_cast<TRasConnWXP*>(buffer.data())->dwSize = elementSize;
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD count = 0;
    const Integer result = static_cast<Integer>(
        RasEnumConnectionsA(reinterpret_cast<TRasConnWXP*>(buffer.data()), &size, &count));
    SetLastError(result);
    NumConns = count;
    if ((result != 0 && result != RasErrorBufferTooSmall) || count == 0) return {};
    const TRasConnWXP first = Widen(buffer.data(), elementSize);
    CurConnName = FieldText(first.szEntryName, sizeof(first.szEntryName));
    CurRasConn = first.rasConn;
    const AnsiString devName = FieldText(first.szDeviceName, sizeof(first.szDeviceName));
    const AnsiString devType = LowerAnsi(FieldText(first.szDeviceType, sizeof(first.szDeviceType)));
    Record([&](TRecorded& s) {
        s.CurDevName = devName;
        s.CurDevType = devType;
    });
    CurPhonebook = RasOSLevel() >= RasLevelNT4
                       ? FieldText(first.szPhonebook, sizeof(first.szPhonebook))
                       : AnsiString();
    FConnectionBuffer = std::move(buffer);
    return CurConnName;
}

Integer TDunRasCon::GetConnections() {
    ConnChangedFlag = false;
    FConnectionBuffer.clear();
    GetConnection();
    const Integer result = LastError();
    const Cardinal n = FConnectionBuffer.empty() ? 0 : std::min(NumConns, MaxListedConnections);
    const DWORD elementSize = RasRecordSize(TRasRecord::Conn);
    std::vector<TRasConnWXP> seen;
    for (Cardinal i = 0; i < n; ++i)
        seen.push_back(Widen(FConnectionBuffer.data() + i * elementSize, elementSize));
    bool changed = FConnections->Count() != static_cast<int>(seen.size());
    for (std::size_t i = 0; !changed && i < seen.size(); ++i) {
        const TRasConnWXP stored = FConnections->GetConn(static_cast<int>(i));
        changed = std::memcmp(&stored, &seen[i], sizeof(TRasConnWXP)) != 0;
    }
    if (changed) {
        ConnChangedFlag = true;
        FConnections->ClearFree();
        for (const TRasConnWXP& conn : seen) FConnections->AddConnection(conn);
    }
    return result;
}

Integer TDunRasCon::GetProtocolEx(HRasConn ConnHandle) {
    PPPError = -1;
    ConnProtocol.clear();
    ClientIP.clear();
    ServerIP.clear();
    PPPReplyMessage.clear();
    if (!RasApiAvailable() || !RasGetProjectionInfoA) return KeepCode(RasErrorLibraryMissing);
    TRasPPPIP ip{};
    ip.dwSize = RasRecordSize(TRasRecord::PppIp);
    DWORD size = ip.dwSize;
    const Integer ipResult =
        static_cast<Integer>(RasGetProjectionInfoA(ConnHandle, RASP_PppIp, &ip, &size));
    if (ipResult == 0) {
        ConnProtocol = "PPP ";
        PPPError = static_cast<Integer>(ip.dwError);
        ClientIP = FieldText(ip.szIpAddress, sizeof(ip.szIpAddress));
        ServerIP = FieldText(ip.szServerIpAddress, sizeof(ip.szServerIpAddress));
    }
    TRasPPPLCP lcp{};
    lcp.dwSize = RasRecordSize(TRasRecord::PppLcp);
    size = lcp.dwSize;
    // The IP query's code stands when there is no LCP projection to report.
    if (RasGetProjectionInfoA(ConnHandle, RASP_PppLcp, &lcp, &size) != 0) return Finish(ipResult);
    ConnProtocol += ProtocolName(lcp.dwServerAuthenticationProtocol);
    PPPReplyMessage = FieldText(lcp.szReplyMessage, sizeof(lcp.szReplyMessage));
    PPPError = static_cast<Integer>(lcp.dwServerTerminateReason);
    // A failed address query is not hidden by a successful LCP one: there is no address.
    return Finish(ipResult);
}

Integer TDunRasCon::GetIPAddress() { return GetProtocolEx(IntRasConn()); }

Integer TDunRasCon::GetSubHandle(HRasConn ConnHandle, Integer SubEnt, HRasConn& SubRasConn) {
    SubRasConn = nullptr;
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    if (RasOSLevel() == RasLevelWin9x) return RasErrorNotOnLevel;
    if (!RasGetSubEntryHandleA) return KeepCode(RasErrorLibraryMissing);
    return Finish(static_cast<Integer>(
        RasGetSubEntryHandleA(ConnHandle, static_cast<DWORD>(SubEnt), &SubRasConn)));
}

Integer TDunRasCon::GetSubHandles(HRasConn ConnHandle, Integer SubEntries,
                                  std::array<HRasConn, 9>& List) {
    List.fill(nullptr);
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    if (RasOSLevel() == RasLevelWin9x) return RasErrorNotOnLevel;
    Integer result = 0;
    NativeUInt successes = 0;
    for (int i = 1; i <= std::min(SubEntries, MaxSubHandles); ++i) {
        result = GetSubHandle(ConnHandle, i, List[static_cast<std::size_t>(i)]);
        if (result == 0) ++successes;
    }
    List[0] = reinterpret_cast<HRasConn>(successes);
    return successes >= 2 ? 0 : result;
}
