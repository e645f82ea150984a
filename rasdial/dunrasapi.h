// The Remote Access Service records and the run-time binder of its entry points.
//
// Contents: the RAS constants the library uses; the records (`TRasDialParamsNT4`,
// `TRasConnWXP`, `TRasConnStatusNT4`, `TRasEntryWXP`, `TRasSubEntry`, `TRasCredentials`,
// `TRasEntryNameW2K`, `TRasPPPIP`, `TRasPPPLCP`, `TRasStats`, `TRasDevInfo`, `TRasCtryInfo`,
// `TRasDialExtensions`, `TRasEntryDlg`, `TRasIPAddr`); the size each record has on each system
// level (`RasRecordSize`); the bound entry points, one module-level pointer per name, nil while
// unbound; `RasApiAvailable`, `SetupPhonebookPaths` and the module end `RasApiUnload`.
//
// Each record is the largest published layout the library uses; older levels use a prefix of
// it whose size `RasRecordSize` gives. The published headers pack these records to 4 bytes, so
// on x86_64 the handle and pointer-sized members make some records longer than on i686; the
// i686 sizes are checked at compile time. Everything here is 8-bit (the "A" entry points).
//
// Nothing is bound until the first `RasApiAvailable`; the library names can be replaced before
// that (tests load a simulated RAS library from their own folder).
#pragma once

#include "framework/System.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <vector>

// Handle of a RAS connection (pointer-sized, as the system hands it out).
using HRasConn = HANDLE;

// Field lengths of the published records, terminating NUL included.
constexpr std::size_t RasMaxEntryName = 257;
constexpr std::size_t RasMaxDeviceType = 17;
constexpr std::size_t RasMaxDeviceName = 129;
constexpr std::size_t RasMaxPhoneNumber = 129;
constexpr std::size_t RasMaxCallbackNumber = 129;
constexpr std::size_t RasMaxAreaCode = 11;
constexpr std::size_t RasMaxPadType = 33;
constexpr std::size_t RasMaxX25Address = 201;
constexpr std::size_t RasMaxFacilities = 201;
constexpr std::size_t RasMaxUserData = 201;
constexpr std::size_t RasMaxUserName = 257;
constexpr std::size_t RasMaxPassword = 257;
constexpr std::size_t RasMaxDomain = 16;
constexpr std::size_t RasMaxIpAddress = 16;
constexpr std::size_t RasMaxReplyMessage = 1024;
constexpr std::size_t RasMaxDnsSuffix = 256;
constexpr std::size_t RasMaxPath = 260;

// Connection states (RASCONNSTATE).
constexpr Cardinal RASCS_OpenPort = 0;
constexpr Cardinal RASCS_Authenticated = 14;
constexpr Cardinal RASCS_Interactive = 0x1000;
constexpr Cardinal RASCS_Connected = 0x2000;
constexpr Cardinal RASCS_Disconnected = 0x2001;

// Projections asked of RasGetProjectionInfoA.
constexpr Cardinal RASP_PppIp = 0x8021;
constexpr Cardinal RASP_PppLcp = 0xC021;

// Credential mask bits.
constexpr Cardinal RASCM_UserName = 0x1;
constexpr Cardinal RASCM_Password = 0x2;
constexpr Cardinal RASCM_Domain = 0x4;
constexpr Cardinal RASCM_DefaultCreds = 0x8;

// Codes the library reports itself.
constexpr Integer RasErrorLibraryMissing = 1157; // RAS library or a needed entry point missing
constexpr Integer RasErrorBufferTooSmall = 603;
constexpr Integer RasErrorNoStatus = 601;
constexpr Integer RasErrorInvalidHandle = 6;
constexpr Integer RasErrorNotOnLevel = -1;

// Module-level buffer sizes the components allocate (the connection buffer is defined below).
constexpr std::size_t RasEntryBufferSize = 4096;

// Reads the properties of `entryName` into an entry record buffer (RasEntryBufferSize bytes)
// and a device-information buffer: the sizes first (603 is the expected answer), then the
// record, never more than the buffers hold. Both components read entries this way. Clears the
// buffers and sizes first; answers the RAS result.
Integer ReadRasEntryProperties(LPCSTR phonebook, const AnsiString& entryName,
                               std::vector<Byte>& entry, std::vector<Byte>& device,
                               DWORD& entrySize, DWORD& deviceSize);
constexpr std::size_t RasSubEntryBufferSize = 491;
constexpr std::size_t RasCtryInfoBufferSize = 276; // record plus country name

#pragma pack(push, 4)

struct TRasIPAddr {
    Byte a, b, c, d; // first octet first
};

struct TRasDialParamsNT4 {
    DWORD dwSize;
    char szEntryName[RasMaxEntryName];
    char szPhoneNumber[RasMaxPhoneNumber];
    char szCallbackNumber[RasMaxCallbackNumber];
    char szUserName[RasMaxUserName];
    char szPassword[RasMaxPassword];
    char szDomain[RasMaxDomain];
    DWORD dwSubEntry; // from here on: levels 1 to 4
    ULONG_PTR dwCallbackId;
};

struct TRasConnWXP {
    DWORD dwSize;
    HRasConn rasConn;
    char szEntryName[RasMaxEntryName];
    char szDeviceType[RasMaxDeviceType];
    char szDeviceName[RasMaxDeviceName];
    char szPhonebook[RasMaxPath]; // from here on: levels 1 to 4
    DWORD dwSubEntry;
    GUID guidEntry; // levels 2 to 4
    DWORD dwFlags;  // levels 3 and 4
    LUID luid;
};

struct TRasConnStatusNT4 {
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    char szDeviceType[RasMaxDeviceType];
    char szDeviceName[RasMaxDeviceName];
    char szPhoneNumber[RasMaxPhoneNumber]; // levels 1 to 4
};

struct TRasEntryWXP {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    char szAreaCode[RasMaxAreaCode];
    char szLocalPhoneNumber[RasMaxPhoneNumber];
    DWORD dwAlternateOffset;
    TRasIPAddr ipaddr;
    TRasIPAddr ipaddrDns;
    TRasIPAddr ipaddrDnsAlt;
    TRasIPAddr ipaddrWins;
    TRasIPAddr ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    char szScript[RasMaxPath];
    char szAutodialDll[RasMaxPath];
    char szAutodialFunc[RasMaxPath];
    char szDeviceType[RasMaxDeviceType];
    char szDeviceName[RasMaxDeviceName];
    char szX25PadType[RasMaxPadType];
    char szX25Address[RasMaxX25Address];
    char szX25Facilities[RasMaxFacilities];
    char szX25UserData[RasMaxUserData];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwSubEntries; // from here on: levels 1 to 4
    DWORD dwDialMode;
    DWORD dwDialExtraPercent;
    DWORD dwDialExtraSampleSeconds;
    DWORD dwHangUpExtraPercent;
    DWORD dwHangUpExtraSampleSeconds;
    DWORD dwIdleDisconnectSeconds;
    DWORD dwType; // from here on: levels 2 to 4
    DWORD dwEncryptionType;
    DWORD dwCustomAuthKey;
    GUID guidId;
    char szCustomDialDll[RasMaxPath];
    DWORD dwVpnStrategy;
    DWORD dwfOptions2; // from here on: levels 3 and 4
    DWORD dwfOptions3;
    char szDnsSuffix[RasMaxDnsSuffix];
    DWORD dwTcpWindowSize;
    char szPrerequisitePbk[RasMaxPath];
    char szPrerequisiteEntry[RasMaxEntryName];
    DWORD dwRedialCount;
    DWORD dwRedialPause;
};

struct TRasSubEntry {
    DWORD dwSize;
    DWORD dwfFlags;
    char szDeviceType[RasMaxDeviceType];
    char szDeviceName[RasMaxDeviceName];
    char szLocalPhoneNumber[RasMaxPhoneNumber];
    DWORD dwAlternateOffset;
};

struct TRasCredentials {
    DWORD dwSize;
    DWORD dwMask;
    char szUserName[RasMaxUserName];
    char szPassword[RasMaxPassword];
    char szDomain[RasMaxDomain];
};

struct TRasEntryNameW2K {
    DWORD dwSize;
    char szEntryName[RasMaxEntryName];
    DWORD dwFlags; // from here on: levels 2 to 4
    char szPhonebookPath[RasMaxPath + 1];
};

struct TRasPPPIP {
    DWORD dwSize;
    DWORD dwError;
    char szIpAddress[RasMaxIpAddress];
    char szServerIpAddress[RasMaxIpAddress];
};

struct TRasPPPLCP {
    DWORD dwSize;
    BOOL fBundled; // the level 1 record ends here
    DWORD dwError;
    DWORD dwAuthenticationProtocol;
    DWORD dwAuthenticationData;
    DWORD dwEapTypeId;
    DWORD dwServerAuthenticationProtocol;
    DWORD dwServerAuthenticationData;
    DWORD dwServerEapTypeId;
    BOOL fMultilink;
    DWORD dwTerminateReason;
    DWORD dwServerTerminateReason;
    char szReplyMessage[RasMaxReplyMessage];
    DWORD dwOptions;
    DWORD dwServerOptions;
};

struct TRasStats {
    DWORD dwSize;
    DWORD dwBytesXmited;
    DWORD dwBytesRcved;
    DWORD dwFramesXmited;
    DWORD dwFramesRcved;
    DWORD dwCrcErr;
    DWORD dwTimeoutErr;
    DWORD dwAlignmentErr;
    DWORD dwHardwareOverrunErr;
    DWORD dwFramingErr;
    DWORD dwBufferOverrunErr;
    DWORD dwCompressionRatioIn;
    DWORD dwCompressionRatioOut;
    DWORD dwBps;
    DWORD dwConnectDuration;
};

struct TRasDevInfo {
    DWORD dwSize;
    char szDeviceType[RasMaxDeviceType];
    char szDeviceName[RasMaxDeviceName];
};

struct TRasCtryInfo {
    DWORD dwSize;
    DWORD dwCountryID;
    DWORD dwNextCountryID;
    DWORD dwCountryCode;
    DWORD dwCountryNameOffset;
};

struct TRasDialExtensions {
    DWORD dwSize;
    DWORD dwfOptions;
    HWND hwndParent;
    ULONG_PTR reserved;
};

#pragma pack(pop)

// The dialog library's record, packed as the system's dialog header declares it (naturally).
struct TRasEntryDlg {
    DWORD dwSize;
    HWND hwndOwner;
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
    char szEntry[RasMaxEntryName];
    DWORD dwError;
    ULONG_PTR reserved;
    ULONG_PTR reserved2;
};

// Room for 8 connection records (5632 bytes on i686).
constexpr std::size_t RasConnBufferSize = 8 * sizeof(TRasConnWXP);

enum class TRasRecord {
    DialParams,
    Conn,
    ConnStatus,
    Entry,
    SubEntry,
    Credentials,
    EntryName,
    PppIp,
    PppLcp,
    Stats,
    DevInfo,
    CtryInfo,
    DialExtensions,
    EntryDlg
};

// The size to put into the record's size field on `level`; 0 where the level has no such
// record. Older levels use a prefix of the record, rounded to the 4-byte packing.
constexpr DWORD RasPrefixSize(std::size_t offset) {
    return static_cast<DWORD>((offset + 3) / 4 * 4);
}

constexpr DWORD RasRecordSize(TRasRecord record, Byte level) {
    const bool nt = level >= 1;
    switch (record) {
    case TRasRecord::DialParams:
        return nt ? sizeof(TRasDialParamsNT4)
                  : RasPrefixSize(offsetof(TRasDialParamsNT4, dwSubEntry));
    case TRasRecord::Conn:
        if (level == 0) return RasPrefixSize(offsetof(TRasConnWXP, szPhonebook));
        if (level == 1) return offsetof(TRasConnWXP, guidEntry);
        if (level == 2) return offsetof(TRasConnWXP, dwFlags);
        return sizeof(TRasConnWXP);
    case TRasRecord::ConnStatus:
        return nt ? sizeof(TRasConnStatusNT4)
                  : RasPrefixSize(offsetof(TRasConnStatusNT4, szPhoneNumber));
    case TRasRecord::Entry:
        if (level == 0) return offsetof(TRasEntryWXP, dwSubEntries);
        if (level == 1) return offsetof(TRasEntryWXP, dwType);
        if (level == 2) return offsetof(TRasEntryWXP, dwfOptions2);
        return sizeof(TRasEntryWXP);
    case TRasRecord::EntryName:
        return level >= 2 ? sizeof(TRasEntryNameW2K)
                          : RasPrefixSize(offsetof(TRasEntryNameW2K, dwFlags));
    case TRasRecord::PppLcp:
        if (level == 0) return 28; // the 95/98/ME record is not a prefix of the later one
        return level == 1 ? offsetof(TRasPPPLCP, dwError) : sizeof(TRasPPPLCP);
    case TRasRecord::Stats: return level >= 2 ? sizeof(TRasStats) : 0;
    case TRasRecord::SubEntry: return nt ? sizeof(TRasSubEntry) : 0;
    case TRasRecord::Credentials: return nt ? sizeof(TRasCredentials) : 0;
    case TRasRecord::DialExtensions: return nt ? sizeof(TRasDialExtensions) : 0;
    case TRasRecord::EntryDlg: return nt ? sizeof(TRasEntryDlg) : 0;
    case TRasRecord::PppIp: return sizeof(TRasPPPIP);
    case TRasRecord::DevInfo: return sizeof(TRasDevInfo);
    case TRasRecord::CtryInfo: return sizeof(TRasCtryInfo);
    }
    return 0;
}

// The size for the running level.
DWORD RasRecordSize(TRasRecord record);

#if defined(__i386__)
static_assert(sizeof(TRasIPAddr) == 4);
static_assert(sizeof(TRasDialParamsNT4) == 1060);
static_assert(sizeof(TRasConnWXP) == 704);
static_assert(sizeof(TRasConnStatusNT4) == 288);
static_assert(sizeof(TRasEntryWXP) == 2884);
static_assert(sizeof(TRasSubEntry) == 288);
static_assert(sizeof(TRasCredentials) == 540);
static_assert(sizeof(TRasEntryNameW2K) == 532);
static_assert(sizeof(TRasPPPIP) == 40);
static_assert(sizeof(TRasPPPLCP) == 1080);
static_assert(sizeof(TRasStats) == 60);
static_assert(sizeof(TRasDevInfo) == 152);
static_assert(sizeof(TRasCtryInfo) == 20);
static_assert(sizeof(TRasDialExtensions) == 16);
static_assert(sizeof(TRasEntryDlg) == 292);
#endif

// Notifier kinds of RasDialA and their signatures.
constexpr DWORD RasNotifierFunc1 = 1;
constexpr DWORD RasNotifierFunc2 = 2;
using TRasDialFunc1 = void(WINAPI*)(HRasConn rasConn, UINT message, DWORD state, DWORD error,
                                    DWORD extendedError);
using TRasDialFunc2 = DWORD(WINAPI*)(ULONG_PTR callbackId, DWORD subEntry, HRasConn rasConn,
                                     UINT message, DWORD state, DWORD error, DWORD extendedError);

// Bound entry points: nil until bound, and nil when the library or the name is missing.
extern DWORD(WINAPI* RasDialA)(TRasDialExtensions*, LPCSTR phonebook, TRasDialParamsNT4*,
                               DWORD notifierType, LPVOID notifier, HRasConn* rasConn);
extern DWORD(WINAPI* RasEnumConnectionsA)(TRasConnWXP*, LPDWORD size, LPDWORD count);
extern DWORD(WINAPI* RasEnumEntriesA)(LPCSTR reserved, LPCSTR phonebook, TRasEntryNameW2K*,
                                      LPDWORD size, LPDWORD count);
extern DWORD(WINAPI* RasGetConnectStatusA)(HRasConn, TRasConnStatusNT4*);
extern DWORD(WINAPI* RasGetErrorStringA)(UINT code, LPSTR text, DWORD size);
extern DWORD(WINAPI* RasHangUpA)(HRasConn);
extern DWORD(WINAPI* RasGetEntryDialParamsA)(LPCSTR phonebook, TRasDialParamsNT4*, LPBOOL password);
extern DWORD(WINAPI* RasSetEntryDialParamsA)(LPCSTR phonebook, TRasDialParamsNT4*,
                                             BOOL removePassword);
extern BOOL(WINAPI* RasMonitorDlgA)(LPSTR device, LPVOID info);
extern DWORD(WINAPI* RasEditPhonebookEntryA)(HWND owner, LPCSTR phonebook, LPCSTR entry);
extern DWORD(WINAPI* RasCreatePhonebookEntryA)(HWND owner, LPCSTR phonebook);
extern DWORD(WINAPI* RasGetProjectionInfoA)(HRasConn, DWORD projection, LPVOID info, LPDWORD size);
extern DWORD(WINAPI* RasConnectionNotificationA)(HRasConn, HANDLE event, DWORD flags);
extern DWORD(WINAPI* RasGetSubEntryHandleA)(HRasConn, DWORD subEntry, HRasConn* subConn);
extern DWORD(WINAPI* RasGetSubEntryPropertiesA)(LPCSTR phonebook, LPCSTR entry, DWORD subEntry,
                                                TRasSubEntry*, LPDWORD size, LPBYTE device,
                                                LPDWORD deviceSize);
extern DWORD(WINAPI* RasSetSubEntryPropertiesA)(LPCSTR phonebook, LPCSTR entry, DWORD subEntry,
                                                TRasSubEntry*, DWORD size, LPBYTE device,
                                                DWORD deviceSize);
extern DWORD(WINAPI* RasGetAutodialAddressA)(LPCSTR address, LPDWORD reserved, LPVOID entries,
                                             LPDWORD size, LPDWORD count);
extern DWORD(WINAPI* RasSetAutodialAddressA)(LPCSTR address, DWORD reserved, LPVOID entries,
                                             DWORD size, DWORD count);
extern DWORD(WINAPI* RasEnumAutodialAddressesA)(LPSTR* addresses, LPDWORD size, LPDWORD count);
extern DWORD(WINAPI* RasGetAutodialEnableA)(DWORD location, LPBOOL enabled);
extern DWORD(WINAPI* RasSetAutodialEnableA)(DWORD location, BOOL enabled);
extern DWORD(WINAPI* RasGetAutodialParamA)(DWORD key, LPVOID value, LPDWORD size);
extern DWORD(WINAPI* RasSetAutodialParamA)(DWORD key, LPVOID value, DWORD size);
extern DWORD(WINAPI* RasGetCredentialsA)(LPCSTR phonebook, LPCSTR entry, TRasCredentials*);
extern DWORD(WINAPI* RasSetCredentialsA)(LPCSTR phonebook, LPCSTR entry, TRasCredentials*,
                                         BOOL clear);
extern DWORD(WINAPI* RasGetConnectionStatistics)(HRasConn, TRasStats*);
extern DWORD(WINAPI* RasClearConnectionStatistics)(HRasConn);
extern DWORD(WINAPI* RasGetLinkStatistics)(HRasConn, DWORD subEntry, TRasStats*);
extern DWORD(WINAPI* RasClearLinkStatistics)(HRasConn, DWORD subEntry);
extern DWORD(WINAPI* RasDeleteSubEntryA)(LPCSTR phonebook, LPCSTR entry, DWORD subEntry);
// The entry functions: from RASAPI32 when it has them, else from the older RNAPH library.
extern DWORD(WINAPI* RasGetCountryInfoA)(TRasCtryInfo*, LPDWORD size);
extern DWORD(WINAPI* RasGetEntryPropertiesA)(LPCSTR phonebook, LPCSTR entry, TRasEntryWXP*,
                                             LPDWORD size, LPBYTE device, LPDWORD deviceSize);
extern DWORD(WINAPI* RasSetEntryPropertiesA)(LPCSTR phonebook, LPCSTR entry, TRasEntryWXP*,
                                             DWORD size, LPBYTE device, DWORD deviceSize);
extern DWORD(WINAPI* RasRenameEntryA)(LPCSTR phonebook, LPCSTR oldName, LPCSTR newName);
extern DWORD(WINAPI* RasDeleteEntryA)(LPCSTR phonebook, LPCSTR entry);
extern DWORD(WINAPI* RasValidateEntryNameA)(LPCSTR phonebook, LPCSTR entry);
extern DWORD(WINAPI* RasEnumDevicesA)(TRasDevInfo*, LPDWORD size, LPDWORD count);
// The dialog library (levels 1 to 4).
extern BOOL(WINAPI* RasEntryDlgA)(LPSTR phonebook, LPSTR entry, TRasEntryDlg*);
extern BOOL(WINAPI* RasPhonebookDlgA)(LPSTR phonebook, LPSTR entry, LPVOID info);
extern BOOL(WINAPI* RasDialDlgA)(LPSTR phonebook, LPSTR entry, LPSTR phoneNumber, LPVOID info);

// The libraries the binder loads; tests point them at simulated ones before the first bind.
struct TRasLibraryNames {
    UnicodeString RasApi = L"RASAPI32.DLL";
    UnicodeString EntryFunctions = L"RNAPH.DLL"; // used when RasApi lacks them
    UnicodeString Dialogs = L"RASDLG.DLL";
};
void SetRasLibraryNames(const TRasLibraryNames& names);
const TRasLibraryNames& RasLibraryNames();

// Binds the RAS libraries on the first call in the process (until `RasApiUnload`); then answers
// whether RasDialA is bound.
bool RasApiAvailable();
// Whether the binder found the entry functions (in RASAPI32 or in RNAPH).
bool RasEntryFunctionsAvailable() noexcept;
// 0 when the RAS library is there and `entryPoint` is bound, else 1157: what an operation that
// needs the entry point reports instead of calling it.
Integer RasEntryPointStatus(const void* entryPoint);
template <class Function> Integer RasEntryPointStatus(Function* entryPoint) {
    return RasEntryPointStatus(reinterpret_cast<const void*>(entryPoint));
}

// The per-user (index 0) and all-users (index 1) phonebooks of the running level.
extern std::array<AnsiString, 2> PhonebookPaths;
void SetupPhonebookPaths();

// The module end: frees the libraries, clears every bound pointer and the record of the run.
void RasApiUnload() noexcept;
