// The traffic counters' slots, resets and the levels 2 to 4 source: the RAS statistics of each
// watched connection. A slot only grows between resets (the larger of the stored and the read
// value is kept), and a slot whose connection has gone keeps its last values.
#include "rasdial/dunrasper.h"

#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

namespace {

constexpr wchar_t Banner[] = L"TDunRasPer release 5.50 (10 Dec 2026)";

void KeepLarger(Cardinal& slot, Cardinal value) {
    if (value > slot) slot = value;
}

} // namespace

TDunRasPer::TDunRasPer(TComponent* AOwner)
    : TComponent(AOwner), FDialUpAdaptors(std::make_unique<TStringList>()) {
    Version = Banner;
    ResetPerfStats();
}

TDunRasPer::~TDunRasPer() {
    if (RasOSLevel() == RasLevelNT4) RegCloseKey(HKEY_PERFORMANCE_DATA);
    CloseQuery();
}

void TDunRasPer::CloseQuery() {
    if (fQueryHandle && PdhCloseQuery) PdhCloseQuery(fQueryHandle);
    fQueryHandle = nullptr;
}

void TDunRasPer::SetUsePDH(bool value) {
    FUsePDH = value;
    if (!value) CloseQuery();
}

UnicodeString TDunRasPer::GetErrorString(Integer code) {
    return RasErrorString(code, true, LastError);
}

void TDunRasPer::SetPerfRasConn(int slot, HRasConn handle) {
    if (InSlots(slot) && fPerfRasConn[slot] != handle) fPerfRasConn[slot] = handle;
}

void TDunRasPer::ResetPerfStat(Integer Item) {
    if (Item >= 1 && Item <= 4) {
        fStatsXmitCon[Item] = fStatsXmitTot[Item];
        fStatsRecvCon[Item] = fStatsRecvTot[Item];
    }
    if (Item < 0 || Item >= RasPerfSlots) return;
    fPerfXmitCur[Item] = fPerfRecvCur[Item] = fPerfConnSpd[Item] = 0;
    if (RasOSLevel() < RasLevelW2K) return;
    LastError = RasErrorLibraryMissing;
    if (RasApiAvailable() && RasClearConnectionStatistics && fPerfRasConn[Item])
        LastError = static_cast<Integer>(RasClearConnectionStatistics(fPerfRasConn[Item]));
}

void TDunRasPer::ResetPerfStats() {
    for (int slot = 0; slot < RasPerfSlots; ++slot) {
        ResetPerfStat(slot);
        fPerfRasConn[slot] = nullptr;
        fPerfSubEnt[slot] = 0;
        if (!fQueryHandle) fPerfPortNam[slot].clear();
    }
    GetPerfStats();
}

void TDunRasPer::ClearTotals() {
    fPerfConnSpd[0] = fPerfXmitCur[0] = fPerfRecvCur[0] = 0;
    fPerfPortNam[0] = "all";
}

bool TDunRasPer::GetPerfStats() {
    switch (RasOSLevel()) {
    case RasLevelWin9x: return ReadLevel0();
    case RasLevelNT4: return FUsePDH && fQueryHandle ? ReadPdh() : ReadPerformanceObjects();
    default: return ReadRasStatistics();
    }
}

bool TDunRasPer::ReadRasStatistics() {
    for (AnsiString& name : fPerfPortNam) name.clear();
    ClearTotals();
    LastError = RasErrorLibraryMissing;
    if (!RasApiAvailable() || !RasGetConnectionStatistics) return false;
    for (int slot = 1; slot < RasPerfSlots; ++slot) {
        if (!fPerfRasConn[slot]) continue;
        TRasStats stats{};
        stats.dwSize = RasRecordSize(TRasRecord::Stats);
        const DWORD result =
            fPerfSubEnt[slot] && RasGetLinkStatistics
                ? RasGetLinkStatistics(fPerfRasConn[slot], fPerfSubEnt[slot], &stats)
                : RasGetConnectionStatistics(fPerfRasConn[slot], &stats);
        LastError = static_cast<Integer>(result);
        if (result != 0) {
            ErrInfo = GetErrorString(LastError);
            continue;
        }
        KeepLarger(fPerfConnSpd[slot], stats.dwBps);
        KeepLarger(fPerfXmitCur[slot], stats.dwBytesXmited);
        KeepLarger(fPerfRecvCur[slot], stats.dwBytesRcved);
        fPerfPortNam[slot] = AnsiString(1, 'x').append(IntToAnsi(slot));
        if (slot > FTotPorts) FTotPorts = slot;
        fPerfConnSpd[0] += fPerfConnSpd[slot];
        fPerfXmitCur[0] += fPerfXmitCur[slot];
        fPerfRecvCur[0] += fPerfRecvCur[slot];
    }
    return true;
}

bool TDunRasPer::EnablePerfStats(bool Start, bool Search) {
    ErrInfo.clear();
    bool result = true;
    if (RasOSLevel() == RasLevelNT4)
        result = EnablePdh();
    else if (RasOSLevel() == RasLevelWin9x)
        result = EnableLevel0(Start, Search);
    if (result) {
        if (Start) result = GetPerfStats();
        ResetPerfStats();
    }
    return result;
}
