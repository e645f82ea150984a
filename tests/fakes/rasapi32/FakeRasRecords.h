// The simulated RAS library's own copies of the published records, written apart from the
// dial-up library's declarations so that a layout mistake there shows up as a refused size
// here. They are the Windows XP layouts (the newest the dial-up library uses), packed to 4
// bytes like the system's; on x86_64 the handle and pointer-sized members lengthen some.
#pragma once

#include <windows.h>

namespace fakeras {

#pragma pack(push, 4)

struct RasDialParams {
    DWORD dwSize;
    char szEntryName[257];
    char szPhoneNumber[129];
    char szCallbackNumber[129];
    char szUserName[257];
    char szPassword[257];
    char szDomain[16];
    DWORD dwSubEntry;
    ULONG_PTR dwCallbackId;
};

struct RasDialExtensions {
    DWORD dwSize;
    DWORD dwfOptions;
    HWND hwndParent;
    ULONG_PTR reserved;
};

struct RasConn {
    DWORD dwSize;
    HANDLE hrasconn;
    char szEntryName[257];
    char szDeviceType[17];
    char szDeviceName[129];
    char szPhonebook[260];
    DWORD dwSubEntry;
    GUID guidEntry;
    DWORD dwFlags;
    LUID luid;
};

struct RasConnStatus {
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    char szDeviceType[17];
    char szDeviceName[129];
    char szPhoneNumber[129];
};

struct RasCredentials {
    DWORD dwSize;
    DWORD dwMask;
    char szUserName[257];
    char szPassword[257];
    char szDomain[16];
};

struct RasEntryName {
    DWORD dwSize;
    char szEntryName[257];
    DWORD dwFlags;
    char szPhonebookPath[261];
};

struct RasPppIp {
    DWORD dwSize;
    DWORD dwError;
    char szIpAddress[16];
    char szServerIpAddress[16];
};

struct RasPppLcp {
    DWORD dwSize;
    BOOL fBundled;
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
    char szReplyMessage[1024];
    DWORD dwOptions;
    DWORD dwServerOptions;
};

struct RasStats {
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

struct RasDevInfo {
    DWORD dwSize;
    char szDeviceType[17];
    char szDeviceName[129];
};

struct RasCtryInfo {
    DWORD dwSize;
    DWORD dwCountryID;
    DWORD dwNextCountryID;
    DWORD dwCountryCode;
    DWORD dwCountryNameOffset;
};

// Only the size and the leading fields are read; the rest is kept as raw bytes.
struct RasEntryHead {
    DWORD dwSize;
    DWORD dwfOptions;
};

#pragma pack(pop)

// The sub-entry record (no pointer inside) and where the entry record counts its sub-entries.
constexpr DWORD RasSubEntrySize = 288;
constexpr std::size_t RasEntrySubEntriesOffset = 1768;

// The Windows 95/98/ME records that are prefixes of the later ones: the dial parameters without
// the sub-entry and callback id, the status without the phone number.
constexpr DWORD RasDialParams9xSize = 1052;
constexpr DWORD RasConnStatus9xSize = 160;

// The entry record's size does not depend on the pointer width: it holds no pointer.
constexpr DWORD RasEntrySize = 2884;

#if defined(__i386__)
static_assert(sizeof(RasDialParams) == 1060);
static_assert(sizeof(RasDialExtensions) == 16);
static_assert(sizeof(RasConn) == 704);
#else
static_assert(sizeof(RasDialParams) == 1064);
static_assert(sizeof(RasDialExtensions) == 24);
static_assert(sizeof(RasConn) == 708);
#endif
static_assert(sizeof(RasConnStatus) == 288);
static_assert(sizeof(RasCredentials) == 540);
static_assert(sizeof(RasEntryName) == 532);
static_assert(sizeof(RasPppIp) == 40);
static_assert(sizeof(RasPppLcp) == 1080);
static_assert(sizeof(RasStats) == 60);
static_assert(sizeof(RasDevInfo) == 152);
static_assert(sizeof(RasCtryInfo) == 20);

} // namespace fakeras
