// The traffic counters' sources on the oldest systems: the dial-up adapter statistics in the
// dynamic registry (level 0), and on NT 4 (level 1) either the Performance Data Helper's "RAS
// Total" counters or the registry performance data objects "906" (RAS total) and "870" (RAS
// ports). The performance data block is walked with every offset checked against what the
// system returned.
#include "rasdial/dunrasper.h"

#include "framework/Registry.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

#include <winperf.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

constexpr char StatDataKey[] = "PerfStats\\StatData";
constexpr char StartStatKey[] = "PerfStats\\StartStat";
constexpr char StopStatKey[] = "PerfStats\\StopStat";
constexpr char AdapterEnumKey[] = "System\\CurrentControlSet\\Control\\PerfStats\\Enum";
constexpr DWORD BytesTransmittedTitle = 872;
constexpr DWORD BytesReceivedTitle = 874;
constexpr DWORD MaxCounters = 50;
constexpr DWORD SmallestPerformanceBlock = 100;
constexpr DWORD PerformanceBufferStep = 1024;
constexpr int PdhSlotsCleared = 9;

DWORD PerformanceBufferSize = 8192; // grows for the process; GUI thread only

// The published PDH_RAW_COUNTER.
struct TPdhRawCounter {
    DWORD CStatus;
    FILETIME TimeStamp;
    LONGLONG FirstValue;
    LONGLONG SecondValue;
    DWORD MultiCount;
};

UnicodeString FormatText(const wchar_t* format, const UnicodeString& a,
                         const UnicodeString& b = {}) {
    wchar_t text[512];
    std::swprintf(text, 512, format, a.c_str(), b.c_str());
    return text;
}

bool ReadDword(HKEY key, const AnsiString& name, Cardinal& value) {
    DWORD size = sizeof(value);
    return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(&value),
                            &size) == ERROR_SUCCESS;
}

// A record of type T at `offset` of the block, or null when it does not lie inside.
template <class T> const T* At(const std::vector<Byte>& block, std::size_t offset) {
    return offset <= block.size() && block.size() - offset >= sizeof(T)
               ? reinterpret_cast<const T*>(block.data() + offset)
               : nullptr;
}

} // namespace

bool TDunRasPer::SearchDUA() {
    if (RasOSLevel() != RasLevelWin9x) return false;
    FTotAdaptors = 0;
    FDialUpAdaptors->Clear();
    HKEY adapters = nullptr, stats = nullptr;
    const bool opened =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, AdapterEnumKey, 0, KEY_READ, &adapters) ==
            ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_DYN_DATA, StartStatKey, 0, KEY_READ, &stats) == ERROR_SUCCESS;
    const TOwnedRegKey adaptersOwner(adapters), statsOwner(stats);
    if (opened) {
        char name[33];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof(name);
            if (RegEnumKeyExA(adapters, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            const AnsiString value = AnsiString(name) + "\\" + KeyDUNConn;
            if (RegQueryValueExA(stats, value.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS)
                FDialUpAdaptors->Add(AnsiToUnicode(name));
        }
    }
    FTotAdaptors = FDialUpAdaptors->Count();
    if (FTotAdaptors > 0) FDialUpAdaptors->Sort();
    return opened;
}

bool TDunRasPer::EnableLevel0(bool Start, bool Search) {
    if (Search && (!SearchDUA() || FTotAdaptors == 0)) {
        ErrInfo = SRasNoWin9xAdapter;
        return false;
    }
    const char* keyName = Start ? StartStatKey : StopStatKey;
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(HKEY_DYN_DATA, keyName, 0, KEY_ALL_ACCESS, &key);
    if (opened != ERROR_SUCCESS) {
        LastError = static_cast<Integer>(opened);
        ErrInfo = FormatText(SRasCannotReadKey, AnsiToUnicode(keyName), GetErrorString(LastError));
        return false;
    }
    const TOwnedRegKey owner(key);
    bool result = true;
    for (int i = 0; i < FTotAdaptors && result; ++i) {
        const AnsiString adapter = UnicodeToAnsi(FDialUpAdaptors->Strings(i)) + "\\";
        Cardinal value = 0;
        result = ReadDword(key, adapter + KeyDUNXmit, value) &&
                 ReadDword(key, adapter + KeyDUNRecv, value) &&
                 ReadDword(key, adapter + KeyDUNConn, value);
        if (!result)
            ErrInfo =
                FormatText(SRasCannotReadKey, AnsiToUnicode(keyName), AnsiToUnicode(KeyDUNConn));
    }
    return result;
}

bool TDunRasPer::ReadLevel0() {
    FTotPorts = 0;
    ClearTotals();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_DYN_DATA, StatDataKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        ErrInfo = FormatText(SRasCannotOpenKey, AnsiToUnicode(StatDataKey));
        return false;
    }
    const TOwnedRegKey owner(key);
    bool result = true;
    for (int i = 1; i <= FTotAdaptors && i <= 4; ++i) {
        const AnsiString adapter = UnicodeToAnsi(FDialUpAdaptors->Strings(i - 1)) + "\\";
        Cardinal speed = 0;
        result = ReadDword(key, adapter + KeyDUNXmit, fStatsXmitTot[i]) &&
                 ReadDword(key, adapter + KeyDUNRecv, fStatsRecvTot[i]) &&
                 ReadDword(key, adapter + KeyDUNConn, speed);
        if (!result) {
            ErrInfo = FormatText(SRasCannotReadKey, AnsiToUnicode(StatDataKey),
                                 AnsiToUnicode(KeyDUNConn));
            continue;
        }
        fPerfConnSpd[i] = speed;
        // The totals wrap at 32 bits; a total below its start value has wrapped once.
        fPerfXmitCur[i] = fStatsXmitTot[i] >= fStatsXmitCon[i]
                              ? fStatsXmitTot[i] - fStatsXmitCon[i]
                              : 0xFFFFFFFF + fStatsXmitTot[i] - fStatsXmitCon[i];
        fPerfRecvCur[i] = fStatsRecvTot[i] >= fStatsRecvCon[i]
                              ? fStatsRecvTot[i] - fStatsRecvCon[i]
                              : 0xFFFFFFFF + fStatsRecvTot[i] - fStatsRecvCon[i];
        if (fStatsRecvTot[i] != 0) fPerfConnSpd[0] += speed;
        fPerfXmitCur[0] += fPerfXmitCur[i];
        fPerfRecvCur[0] += fPerfRecvCur[i];
        ++FTotPorts;
    }
    return result;
}

bool TDunRasPer::EnablePdh() {
    FTotPorts = 0;
    for (int i = 0; i < PdhSlotsCleared; ++i) fPDHXmitHand[i] = fPDHRecvHand[i] = nullptr;
    if (!FUsePDH || fQueryHandle) return true;
    LastError = RasErrorLibraryMissing;
    if (!PdhApiAvailable() || !PdhAddCounterA) {
        ErrInfo = SRasNoPdh;
        return false;
    }
    PdhStatus status = PdhOpenQuery(nullptr, 0, &fQueryHandle);
    if (status == 0)
        status = PdhAddCounterA(fQueryHandle, "\\RAS Total\\Bytes Received", 0, &fPDHRecvHand[0]);
    if (status == 0)
        status =
            PdhAddCounterA(fQueryHandle, "\\RAS Total\\Bytes Transmitted", 0, &fPDHXmitHand[0]);
    if (status == 0) return true;
    wchar_t text[160];
    std::swprintf(text, 160, SRasPdhInitFailed, static_cast<unsigned>(status));
    ErrInfo = text;
    return false;
}

bool TDunRasPer::ReadPdh() {
    if (!PdhCollectQueryData || !PdhGetRawCounterValue || PdhCollectQueryData(fQueryHandle) != 0)
        return false;
    for (auto [handle, slot] : {std::pair{fPDHXmitHand[0], &fPerfXmitCur[0]},
                                std::pair{fPDHRecvHand[0], &fPerfRecvCur[0]}}) {
        TPdhRawCounter raw{};
        DWORD type = 0;
        if (PdhGetRawCounterValue(handle, &type, &raw) != 0 || raw.CStatus > 1) break;
        const auto value = static_cast<ULONGLONG>(raw.FirstValue);
        const auto low = static_cast<Cardinal>(value & 0xFFFFFFFF);
        if ((value >> 32) > 0 || low > *slot) *slot = low;
    }
    return true;
}

bool TDunRasPer::ReadPerformanceObjects() {
    for (AnsiString& name : fPerfPortNam) name.clear();
    const bool total = ReadPerformanceObject("906", 0);
    FTotPorts = 0;
    return total ? ReadPerformanceObject("870", 1) : total;
}

bool TDunRasPer::ReadPerformanceObject(const char* object, int firstSlot) {
    std::vector<Byte> block(PerformanceBufferSize);
    DWORD size = PerformanceBufferSize;
    LONG result;
    while ((result = RegQueryValueExA(HKEY_PERFORMANCE_DATA, object, nullptr, nullptr, block.data(),
                                      &size)) == ERROR_MORE_DATA) {
        PerformanceBufferSize += PerformanceBufferStep;
        block.assign(PerformanceBufferSize, 0);
        size = PerformanceBufferSize;
    }
    const UnicodeString name = AnsiToUnicode(object);
    block.resize(result == ERROR_SUCCESS ? std::min<std::size_t>(size, block.size()) : 0);
    const auto* data = At<PERF_DATA_BLOCK>(block, 0);
    if (block.size() < SmallestPerformanceBlock || !data) {
        ErrInfo = FormatText(SRasNoPerformanceData, name);
        return false;
    }
    const auto fail = [&] {
        ErrInfo = FormatText(SRasNoPerformanceBlocks, name);
        return false;
    };
    if (data->NumObjectTypes == 0) return fail();
    int slot = firstSlot;
    std::size_t objectAt = data->HeaderLength;
    for (DWORD o = 0; o < data->NumObjectTypes; ++o) {
        const auto* type = At<PERF_OBJECT_TYPE>(block, objectAt);
        if (!type || type->NumCounters > MaxCounters) return fail();
        DWORD xmitAt = 0, recvAt = 0;
        bool haveXmit = false, haveRecv = false;
        std::size_t counterAt = objectAt + type->HeaderLength;
        for (DWORD c = 0; c < type->NumCounters; ++c) {
            const auto* counter = At<PERF_COUNTER_DEFINITION>(block, counterAt);
            if (!counter) return fail();
            if (counter->CounterNameTitleIndex == BytesTransmittedTitle)
                haveXmit = true, xmitAt = counter->CounterOffset;
            if (counter->CounterNameTitleIndex == BytesReceivedTitle)
                haveRecv = true, recvAt = counter->CounterOffset;
            counterAt += counter->ByteLength;
        }
        const auto readCounters = [&](std::size_t countersAt, int into) {
            if (const auto* v = haveXmit ? At<DWORD>(block, countersAt + xmitAt) : nullptr)
                fPerfXmitCur[into] = std::max(fPerfXmitCur[into], static_cast<Cardinal>(*v));
            if (const auto* v = haveRecv ? At<DWORD>(block, countersAt + recvAt) : nullptr)
                fPerfRecvCur[into] = std::max(fPerfRecvCur[into], static_cast<Cardinal>(*v));
        };
        if (type->NumInstances <= 0) {
            fPerfPortNam[slot] = "all";
            readCounters(objectAt + type->DefinitionLength, slot);
        } else {
            std::size_t instanceAt = objectAt + type->DefinitionLength;
            for (LONG i = 0; i < type->NumInstances && slot < RasPerfSlots; ++i) {
                const auto* instance = At<PERF_INSTANCE_DEFINITION>(block, instanceAt);
                if (!instance) break;
                const std::size_t nameAt = instanceAt + instance->NameOffset;
                if (nameAt < block.size()) {
                    const auto* text = reinterpret_cast<const wchar_t*>(block.data() + nameAt);
                    fPerfPortNam[slot] = LowerAnsi(UnicodeToAnsi(
                        UnicodeString(text, wcsnlen(text, (block.size() - nameAt) / 2))));
                }
                const std::size_t countersAt = instanceAt + instance->ByteLength;
                readCounters(countersAt, slot);
                ++FTotPorts;
                ++slot;
                const auto* counters = At<PERF_COUNTER_BLOCK>(block, countersAt);
                if (!counters) break;
                instanceAt = countersAt + counters->ByteLength;
            }
        }
        objectAt += type->TotalByteLength;
    }
    return true;
}
