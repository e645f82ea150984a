// The traffic-counter component `TDunRasPer`: bytes transmitted and received and the connect
// speed of dial-up connections, in 31 slots (slot 0 the totals, slots 1 to 30 one connection,
// port or adapter each). The source depends on the system level: the dial-up adapter
// statistics of the dynamic registry (level 0), the Performance Data Helper or the registry
// performance data (level 1), the RAS connection statistics of the handles put into the slots
// (levels 2 to 4). Failures never raise: they set `ErrInfo` (and `LastError` where there is a
// code). GUI thread only.
#pragma once

#include "framework/Components.h"
#include "framework/StringLists.h"
#include "rasdial/dunrasapi.h"
#include "rasdial/magpdhapi.h"

#include <array>
#include <memory>

constexpr int RasPerfSlots = 31;

class TDunRasPer : public TComponent {
    CLASS_INFO(TDunRasPer, TComponent)
public:
    explicit TDunRasPer(TComponent* AOwner);
    ~TDunRasPer() override;

    bool DAXCtrl = false;
    UnicodeString Version;
    AnsiString KeyDUNConn = "ConnectSpeed";
    AnsiString KeyDUNXmit = "TotalBytesXmit";
    AnsiString KeyDUNRecv = "TotalBytesRecvd";
    Integer LastError = 0;
    UnicodeString ErrInfo;
    Integer TotPorts() const noexcept { return FTotPorts; }
    Integer TotAdaptors() const noexcept { return FTotAdaptors; }
    TStringList* DialUpAdaptors() const noexcept { return FDialUpAdaptors.get(); }
    bool UsePDH() const noexcept { return FUsePDH; }
    void SetUsePDH(bool value);

    Cardinal StatsXmit() const noexcept { return fPerfXmitCur[0]; }
    Cardinal StatsRecv() const noexcept { return fPerfRecvCur[0]; }
    Cardinal StatsConn() const noexcept { return fPerfConnSpd[0]; }
    Cardinal GetPerfXmitCur(int slot) const noexcept {
        return InSlots(slot) ? fPerfXmitCur[slot] : 0;
    }
    Cardinal GetPerfRecvCur(int slot) const noexcept {
        return InSlots(slot) ? fPerfRecvCur[slot] : 0;
    }
    Cardinal GetPerfConnSpd(int slot) const noexcept {
        return InSlots(slot) ? fPerfConnSpd[slot] : 0;
    }
    AnsiString GetPerfPortNam(int slot) const {
        return InSlots(slot) ? fPerfPortNam[slot] : AnsiString();
    }
    HRasConn GetPerfRasConn(int slot) const noexcept {
        return InSlots(slot) ? fPerfRasConn[slot] : nullptr;
    }
    void SetPerfRasConn(int slot, HRasConn handle);

    void ResetPerfStats();
    void ResetPerfStat(Integer Item);
    bool GetPerfStats();
    bool EnablePerfStats(bool Start, bool Search);
    bool SearchDUA();
    UnicodeString GetErrorString(Integer code);

private:
    static bool InSlots(int slot) noexcept { return slot >= 0 && slot < RasPerfSlots; }
    void ClearTotals();
    bool ReadLevel0();
    bool ReadPdh();
    bool ReadPerformanceObjects();
    bool ReadPerformanceObject(const char* object, int firstSlot);
    bool ReadRasStatistics();
    bool EnablePdh();
    bool EnableLevel0(bool Start, bool Search);
    void CloseQuery();

    std::array<Cardinal, 5> fStatsXmitTot{}, fStatsXmitCon{}, fStatsRecvTot{},
        fStatsRecvCon{}; // 1..4
    Integer FTotPorts = 0;
    Integer FTotAdaptors = 0;
    std::unique_ptr<TStringList> FDialUpAdaptors;
    std::array<HRasConn, RasPerfSlots> fPerfRasConn{};
    std::array<Cardinal, RasPerfSlots> fPerfSubEnt{};
    std::array<Cardinal, RasPerfSlots> fPerfXmitCur{}, fPerfRecvCur{}, fPerfConnSpd{};
    std::array<AnsiString, RasPerfSlots> fPerfPortNam;
    std::array<HPdhCounter, RasPerfSlots> fPDHXmitHand{}, fPDHRecvHand{};
    bool FUsePDH = false;
    HPdhQuery fQueryHandle = nullptr;
};
