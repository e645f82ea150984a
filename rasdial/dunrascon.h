// The dialling component `TDunRasCon` and its list of active connections `TConnectionList`.
//
// Contents: `TRasStateRec` (one state report), `TStateEventSource`, `TSpeakerMode`, the event
// types, the telephony records (`TDialProps`, `TDialLocation`, `TDialCard`, `TDialCountry`),
// `TConnectionList`, `TDunRasCon`, `ActiveRasCon`, and the helpers the phonebook-entry component
// shares: canonical numbers, the default modem configuration, the version description. The
// entry record read last is kept per component (not per module), so two components never share
// one.
//
// A dial runs asynchronously: RAS calls the notifier on a thread of its own, once per state.
//
//     idle --ConnectEx--> 0 --notifier--> 1..23, 4096..4100 --> 8192 connected
//                          \                                 \-> error code (> 600)
//                           \--DisconnectEx / IntDisconnectEx --> 0, then the queried state
//                                                                  until 8193 or 601
//
// The transitions each writer of `ConnectState` may make are the table `RasStateChanges`
// (below), checked at every write in debug and test builds.
//
// Threads: the notifier writes the recorded state (`ConnectState`, `StatusStr`, `LastError`,
// `ConnectError`, the state source, handle and sub-entry, the current device and number, the
// ring of state records) while the GUI thread reads it and writes it too (status queries,
// hang-ups). Every one of those fields is guarded by `FStateLock`; the getters return copies
// taken under it, and no RAS call is made while it is held (a hang-up waits for the RAS thread,
// which may itself be waiting for the lock). `ActiveRasCon` is guarded by its own lock, held for
// a whole notification, so that a component is never freed while a notification runs in it; a
// component clears the registration in its destructor, and a notification that then finds no
// component is dropped. `OnStateChanged` and the level-0 per-state events run on the RAS thread
// (outside `FStateLock`) and must not wait for the GUI thread; `OnStateEvent` runs on the GUI
// thread through the hidden window. Handlers are set before dialling.
//
// Every operation answers a RAS or system error code (0 = success), keeps it in `LastError` and
// on failure puts its text into `StatusStr`; 1157 means the RAS library or an entry point that
// the operation needs is missing. Entry texts are 8-bit in the system code page.
#pragma once

#include "framework/Components.h"
#include "framework/Events.h"
#include "framework/HiddenWindows.h"
#include "framework/Lists.h"
#include "framework/StringLists.h"
#include "framework/SyncObjs.h"
#include "rasdial/dunrasapi.h"
#include "rasdial/magtapiapi.h"

#include <array>
#include <memory>
#include <vector>

constexpr UINT WM_RASSTATE = 1390;
// The ring of state records: each report is written to the next slot (1 to 16, then 1 again)
// and WM_RASSTATE names the slot; the GUI thread reads the slot when the message arrives, not
// when it was posted. On overflow, when more than 16 reports come before the GUI thread takes
// the first message, the newest reports overwrite the oldest unread ones: an overwritten report
// is lost, and the messages of both the lost and the newer report deliver the newer one (the
// handler sees it twice). Nothing blocks the RAS thread; a dial reports far fewer states than
// that between two turns of a responsive message loop.
constexpr int RasStateRingSize = 16;
constexpr int RasMaxSubEntries = 4;

enum TStateEventSource { SourceDial = 0, SourceStatus = 1, SourceHangup = 2 };

// The writers of the recorded `ConnectState`, and the kinds of value it holds.
enum class TRasStateWriter { DialStart, HangUp, StatusQuery, StatusReply, Notified, NotifiedError };
enum TRasStateKind : unsigned {
    KindStart = 1,        // 0: a dial started or a hang-up began (also the system's OpenPort)
    KindProgress = 2,     // 1..23 and 4096..4100: a dial on its way
    KindConnected = 4,    // 8192
    KindDisconnected = 8, // 8193
    KindNoStatus = 16,    // 601: a status query has no answer (yet)
    KindOtherCode = 32,   // any other value: an error code, or a state no table here names
    KindAny = 63,
};
struct TRasStateChange {
    TRasStateWriter Writer;
    unsigned From, To; // sets of TRasStateKind
};
// The allowed transitions. The component's own writes are fixed: a dial's start and a hang-up
// record 0, a status query first records 601. What the system reports is recorded as it comes,
// from any state: RAS may repeat a state, report one out of order or after the end, or report a
// state or code that no table here names, and the component passes each on unchanged. Only an
// error cannot record 0, which would read as the start of a new dial.
inline constexpr TRasStateChange RasStateChanges[] = {
    {TRasStateWriter::DialStart, KindAny, KindStart},
    {TRasStateWriter::HangUp, KindAny, KindStart},
    {TRasStateWriter::StatusQuery, KindAny, KindNoStatus},
    {TRasStateWriter::StatusReply, KindAny, KindAny},
    {TRasStateWriter::Notified, KindAny, KindAny},
    {TRasStateWriter::NotifiedError, KindAny, KindAny & ~unsigned(KindStart)},
};
TRasStateKind RasStateKindOf(Word state) noexcept;
#ifdef VELMORA_CHECK_INVARIANTS
// Raises EAssertionFailed when no row of `RasStateChanges` lets `writer` change `from` into `to`.
void CheckRasStateChange(TRasStateWriter writer, Word from, Word to);
#endif
enum TSpeakerMode { SpeakerDefault, SpeakerOn, SpeakerOff };

struct TRasStateRec {
    Integer ConnectState = 0;
    UnicodeString StatusStr;
    AnsiString CurDevName;
    AnsiString CurDevType;
    AnsiString ConnectPhoneNr;
    HRasConn StateRasConn = nullptr;
    Integer StateSubEntry = 0;
    Integer ConnectError = 0;
    TStateEventSource StateEventSource = SourceDial;
    Cardinal TickCount = 0;
};

// The telephony records that GetTransCaps fills.
struct TDialProps {
    Integer NumLocations = 0;
    Cardinal CurrentLocationId = 0;
    Integer NumCards = 0;
    Cardinal CurrentPreferredCardId = 0;
};
struct TDialLocation {
    Cardinal PermLocationID = 0xFFFFFFFF;
    UnicodeString LocationName;
    Cardinal CountryCode = 0;
    UnicodeString CityCode;
    Cardinal PreferredCardID = 0;
    UnicodeString LocalAccessCode, LongDistanceCode, TollPrefixList;
    Cardinal CountryID = 0;
    Cardinal Options = 0;
    UnicodeString CancelCallWaiting;
};
struct TDialCard {
    Cardinal PermCardId = 0xFFFFFFFF;
    UnicodeString CardName;
    Integer CardNumberDigits = 0;
    UnicodeString SameAreaRule, LongDistanceRule, InternationalRule;
    Cardinal Options = 0;
};
struct TDialCountry {
    Cardinal CountryId = 0, CountryCode = 0, NextCountryId = 0;
    UnicodeString CountryName, SameAreaRule, LongDistanceRule, InternationalRule;
};

class TDunRasCon;
using TStateEvent = TMethodEvent<void(TObject* Sender, const TRasStateRec& ConnState)>;
using TRasConStateEvent =
    TMethodEvent<void(TObject* Sender, Integer Error, const UnicodeString& ErrorString)>;

// The component that follows dial notifications: the last one created, until it is freed.
TDunRasCon* ActiveRasCon();

// Canonical numbers: "+country (area) local", or the local number alone.
AnsiString GetCanonical(bool useCodes, Integer countryCode, const AnsiString& areaCode,
                        const AnsiString& localNumber);
void UnpackCanonical(const AnsiString& text, bool& useCodes, Integer& countryCode,
                     AnsiString& localNumber, AnsiString& areaCode);

// The description of a RAS library product version (`DUNInfo`), with the system's service-pack
// text and whether it is a server product.
UnicodeString DunInfoText(const UnicodeString& dunVersion, const UnicodeString& servicePack,
                          bool server);

// The default Unimodem configuration that level 0 writes for a modem entry (108 bytes).
constexpr std::size_t DefaultModemConfigSize = 108;
std::array<Byte, DefaultModemConfigSize> DefaultModemConfig();

// Heap copies of active connection records (`TRasConnWXP`), owned by the list.
class TConnectionList : public TList {
    CLASS_INFO(TConnectionList, TList)
public:
    ~TConnectionList() override;
    void AddConnection(const TRasConnWXP& conn);
    bool CheckIndex(int i) const noexcept { return i >= 0 && i < Count(); }
    HRasConn RasConn(int i) const;
    AnsiString EntryName(int i) const;
    AnsiString DeviceType(int i) const;
    AnsiString DeviceName(int i) const;
    AnsiString Phonebook(int i) const;
    Integer SubEntry(int i) const;
    GUID guidEntry(int i) const;
    Cardinal Flags(int i) const;
    Int64 LogonSessId(int i) const;
    TRasConnWXP GetConn(int i) const;
    void Delete(int i);
    void ClearFree();

private:
    const TRasConnWXP* Item(int i) const;
};

// One sub-entry's device and number as read from the phonebook.
struct TRasSubEntryInfo {
    AnsiString LocalPhoneNumber, PhoneCanonical, DeviceType, DeviceName, DevicePort;
};

class TDunRasCon : public TComponent {
    CLASS_INFO(TDunRasCon, TComponent)
public:
    explicit TDunRasCon(TComponent* AOwner);
    ~TDunRasCon() override;

    // Published properties without behaviour.
    bool DAXCtrl = false;
    UnicodeString Version;
    UnicodeString DUNVersion, DUNInfo;
    AnsiString EntryName;
    AnsiString PhoneNumber;
    bool bDefaultCreds = false;
    AnsiString CallbackNumber, UserName, Password, Domain;
    AnsiString DeviceType, DeviceName, DevicePort;
    AnsiString PhoneCanonical;
    UnicodeString AutoDialDLL, AutoDialFunc;
    Integer SubEntry = 1;
    Integer CallbackId = 0;
    Integer CountryID = 0, CountryCode = 0;
    AnsiString AreaCode;
    Cardinal EntryOptions = 0;
    Integer DialMode = 0;
    bool UseCountryAndAreaCodes() const noexcept { return FUseCountryAndAreaCodes; }
    bool PromoteAlternates() const noexcept { return FPromoteAlternates; }

    // Phonebook selection.
    const AnsiString& PhoneBookPath() const noexcept { return FPhoneBookPath; }
    void SetPhoneBookPath(const AnsiString& value);
    Integer PBLocation() const noexcept { return FPBLocation; }
    void SetPBLocation(Integer value);

    // Projection results.
    AnsiString ClientIP, ServerIP, ConnProtocol, PPPReplyMessage;
    Integer PPPError = -1;

    // The connection `Connect` dialled (also read by the level-0 notifier).
    HRasConn IntRasConn() const;
    void SetIntRasConn(HRasConn value);
    Integer PasswordFlag = 0; // a 32-bit Boolean: a password is stored
    Integer DefCountryId = 0;

    // The recorded state, shared with the notification thread (copies taken under the lock).
    Integer LastError() const;
    void SetLastError(Integer value);
    Word ConnectState() const;
    Word ConnectError() const;
    UnicodeString StatusStr() const;
    void SetStatusStr(const UnicodeString& value);
    AnsiString CurDevName() const;
    AnsiString CurDevType() const;
    AnsiString ConnectPhoneNr() const;
    AnsiString LocalPhoneNumber() const;
    void SetLocalPhoneNumber(const AnsiString& value);
    HRasConn StateRasConn() const;
    Integer StateSubEntry() const;
    TStateEventSource StateEventSource() const;
    // A copy of ring slot 1..16 and the slot the next push writes.
    TRasStateRec StateRec(int slot) const;
    int StateRecNext() const;

    // Connections (filled by GetConnection / GetConnections).
    AnsiString CurConnName;
    HRasConn CurRasConn = nullptr;
    AnsiString CurPhonebook;
    Cardinal NumConns = 0;
    bool ConnChangedFlag = false;
    TConnectionList* Connections() const noexcept { return FConnections.get(); }
    TStringList* DeviceNameList() const noexcept { return FDeviceNameList.get(); }
    TStringList* DeviceTypeList() const noexcept { return FDeviceTypeList.get(); }
    TStringList* PhoneBookEntries() const noexcept { return FPhoneBookEntries.get(); }
    TStringList* AltPhoneNrList() const noexcept { return FAltPhoneNrList.get(); }
    TStringList* AutoDialList() const noexcept { return FAutoDialList.get(); }
    TStringList* ADConnEntryList = nullptr; // interface only: never created or used
    HWND NotifyHandle() const noexcept { return nullptr; }
    Integer TotSubEntries = 0;
    Integer SubCurTotal = 0;
    AnsiString GetSubLocalPhoneNumber(int i) const;
    AnsiString GetSubPhoneCanonical(int i) const;
    AnsiString GetSubDeviceType(int i) const;
    AnsiString GetSubDeviceName(int i) const;
    AnsiString GetSubDevicePort(int i) const;

    // Events.
    TNotifyEvent OnStateChanged;
    TStateEvent OnStateEvent;
    TRasConStateEvent OnDisconnect;
    TNotifyEvent OnConnect, OnCallBack, OnAboutToOpenPort, OnPortOpened, OnAboutToConnDev,
        OnDevConnected, OnAllDevsConnected, OnAuthenticate, OnAuthNotify, OnAuthRetry,
        OnAuthCallBack, OnAuthChangePassword, OnAuthProject, OnAuthLinkSpeed, OnAuthAck,
        OnReAuthenticate, OnAuthenticated, OnPrepareforCallback, OnWaitForModemReset,
        OnInteractiveStarted, OnRetryAuth, OnPasswordExpired;

    // Dialling and hanging up.
    Integer ConnectEx(HRasConn& ConnHandle);
    Integer Connect();
    Integer ConnectNT(HRasConn& ConnHandle, bool AllowPause, TSpeakerMode Speaker);
    Integer AutoConnectEx(HRasConn& ConnHandle);
    Integer AutoConnect();
    Integer DisconnectEx(HRasConn ConnHandle, Integer SubEntryNr, bool FireEvents, Cardinal WaitMs);
    Integer Disconnect();
    Integer IntDisconnectEx(HRasConn ConnHandle);
    Integer IntDisconnect();
    Integer LeaveOpen();
    Integer ReOpen(Integer Item);
    Integer GetDialParams();
    Integer SetDialParams();
    UnicodeString GetErrorString(Integer ErrorCode);
    bool TestRas();
    UnicodeString GetMessText();

    // Status, connections, projections.
    Integer GetConnectStatusEx(HRasConn ConnHandle, Integer SubEntryNr);
    Integer GetConnectStatus();
    UnicodeString CurrentStatusEx(HRasConn ConnHandle, Integer SubEntryNr);
    UnicodeString CurrentStatus();
    AnsiString GetConnection();
    Integer GetConnections();
    Integer GetProtocolEx(HRasConn ConnHandle);
    Integer GetIPAddress();
    Integer GetSubHandle(HRasConn ConnHandle, Integer SubEnt, HRasConn& SubRasConn);
    Integer GetSubHandles(HRasConn ConnHandle, Integer SubEntries, std::array<HRasConn, 9>& List);

    // Phonebook entries.
    Integer ValidateName(const AnsiString& NewName);
    Integer DeletePhonebook();
    Integer RenamePhonebook(const AnsiString& NewName);
    Integer CopyPhonebook(const AnsiString& NewName);
    Integer EditPhonebook(HWND Owner);
    Integer CreatePhonebook(HWND Owner);
    Integer GetEntryProperties();
    Integer GetEntryProps(bool WithSubEntries);
    Integer GetSubEntryProps(Integer SubEntryNr);
    Integer PutEntryProperties();
    Integer PutPhonebook();
    Integer UpdatePhonebook();
    Integer GetDeviceList();
    Integer GetOneCountryInfo(Integer CountryId, Integer& CountryCodeOut, AnsiString& CountryName);
    Integer GetPhoneBookEntries();

    // Dialling locations through the telephony interface.
    bool InitTAPI();
    void StopTAPI();
    bool TranslateDialog(HWND Owner, DWORD DeviceId, const AnsiString& Address);
    static bool ConfigDialog(HWND Owner, DWORD DeviceId);
    Integer GetTransCaps(TDialProps& Props, TDialLocation& Location, TDialCountry& Country,
                         TDialCard& Card);
    Integer TransAddr(DWORD DeviceId, const AnsiString& Input, AnsiString& Dialable,
                      AnsiString& Displayable, DWORD TranslateFlags, DWORD CardId);
    Integer TranslateAddr(DWORD DeviceId, const AnsiString& Input, AnsiString& Dialable,
                          AnsiString& Displayable);

    // The notifiers' entry into the component (RAS thread).
    void DialNotification(HRasConn conn, DWORD subEntry, DWORD state, DWORD error,
                          bool perStateEvents);

private:
    // The recorded state; every field guarded by FStateLock.
    struct TRecorded {
        Integer LastError = 0;
        Word ConnectState = 0;
        Word ConnectError = 0;
        UnicodeString StatusStr;
        AnsiString CurDevName, CurDevType, ConnectPhoneNr, LocalPhoneNumber;
        HRasConn StateRasConn = nullptr;
        Integer StateSubEntry = 0;
        TStateEventSource StateEventSource = SourceDial;
        HRasConn IntRasConn = nullptr;
        std::array<TRasStateRec, RasStateRingSize> fRasStateRecQueue{}; // slots 1 to 16 at 0 to 15
        int fStateRecNext = 1; // the next slot to write, 1 to 16
    };

    Integer KeepCode(Integer code); // LastError := code, the status text untouched
    Integer Finish(Integer code);   // LastError := code; StatusStr := its text when not 0
    void PushState();
    void FirePerStateEvent(DWORD state);
    void FireDisconnect();
    void WndProc(TMessage& Message);
    void BuildDialParams();
    Integer Dial(HRasConn& ConnHandle, TRasDialExtensions* extensions);
    LPCSTR SelectedPhonebook() const noexcept;
    Integer ReadEntryRecord();
    void ReadEntryFields();
    void ReadAlternates(const Byte* base, std::size_t offset, std::size_t end, TStringList* list);
    Integer ReadCredentials();
    Integer ReadDialParamsLevel0();
    void SetDUNInfo();
    // Applies `change` to the recorded state under its lock.
    template <class Change> void Record(Change&& change) {
        TLock lock(FStateLock);
        change(FState);
    }
    // Under the lock: `ConnectState` := `state`, a transition `writer` may make.
    static void SetConnectState(TRecorded& s, TRasStateWriter writer, Word state);

    mutable TCriticalSection FStateLock;
    TRecorded FState; // guarded by FStateLock

    THiddenWindow FWindow;
    AnsiString FPhoneBookPath;
    Integer FPBLocation = 0;
    bool FUseSelection = false; // false: the system's default phonebook
    bool FUseCountryAndAreaCodes = false;
    bool FPromoteAlternates = false;
    TRasDialParamsNT4 RasDialParamsNT4{};
    std::unique_ptr<TConnectionList> FConnections;
    std::unique_ptr<TStringList> FPhoneBookEntries, FDeviceTypeList, FDeviceNameList,
        FAltPhoneNrList, FAutoDialList;
    std::array<TRasSubEntryInfo, RasMaxSubEntries> FSub;
    // The entry record between a read and a write, and the device information that came with it.
    std::vector<Byte> FEntryBuffer;
    std::vector<Byte> FDeviceBuffer;
    DWORD FEntrySize = 0;
    std::vector<Byte> FConnectionBuffer; // the last enumeration, for GetConnections
    DWORD FDeviceSize = 0;

    // Telephony (dialling locations); GUI thread only.
    HLineApp FLineApp = nullptr;
    bool FTapiRunning = false;
    DWORD FLineDevices = 0;
};
