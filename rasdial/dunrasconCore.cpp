// The dialling component's life, its recorded state and the texts it shows. The recorded state
// is shared with the RAS notification thread and guarded by FStateLock (see dunrascon.h); the
// ring of state records reaches the GUI thread through the hidden window's WM_RASSTATE.
#include "rasdial/dunrascon.h"

#include "framework/ExceptionBoundary.h"
#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

namespace {

constexpr wchar_t Banner[] = L"TDunRasCon release 5.50 (10 Dec 2026)";

} // namespace

TDunRasCon::TDunRasCon(TComponent* AOwner)
    : TComponent(AOwner), FWindow(TWndMethod(this, &TDunRasCon::WndProc)),
      FConnections(std::make_unique<TConnectionList>()),
      FPhoneBookEntries(std::make_unique<TStringList>()),
      FDeviceTypeList(std::make_unique<TStringList>()),
      FDeviceNameList(std::make_unique<TStringList>()),
      FAltPhoneNrList(std::make_unique<TStringList>()),
      FAutoDialList(std::make_unique<TStringList>()), FEntryBuffer(RasEntryBufferSize),
      FDeviceBuffer(256) {
    Version = Banner;
    SetupPhonebookPaths();
    SetPBLocation(RasOSLevel() < RasLevelVista ? 1 : 0);
    DefCountryId = TextToInt(GetLocaleText(LOCALE_ICOUNTRY));
    LoadOSVersionInfo();
    DUNVersion = GetFileVersionText(RasLibraryNames().RasApi, L"ProductVersion");
    SetDUNInfo();
    RegisterRasCon(this);
}

TDunRasCon::~TDunRasCon() {
    // Withdrawn first: a hang-up waits for the RAS thread, which must not wait for us.
    UnregisterRasCon(this);
    IntDisconnect();
    StopTAPI();
    FConnections->ClearFree();
}

Integer TDunRasCon::LastError() const {
    TLock lock(FStateLock);
    return FState.LastError;
}
void TDunRasCon::SetLastError(Integer value) {
    Record([&](TRecorded& s) { s.LastError = value; });
}
Word TDunRasCon::ConnectState() const {
    TLock lock(FStateLock);
    return FState.ConnectState;
}
Word TDunRasCon::ConnectError() const {
    TLock lock(FStateLock);
    return FState.ConnectError;
}
UnicodeString TDunRasCon::StatusStr() const {
    TLock lock(FStateLock);
    return FState.StatusStr;
}
void TDunRasCon::SetStatusStr(const UnicodeString& value) {
    Record([&](TRecorded& s) { s.StatusStr = value; });
}
AnsiString TDunRasCon::CurDevName() const {
    TLock lock(FStateLock);
    return FState.CurDevName;
}
AnsiString TDunRasCon::CurDevType() const {
    TLock lock(FStateLock);
    return FState.CurDevType;
}
AnsiString TDunRasCon::ConnectPhoneNr() const {
    TLock lock(FStateLock);
    return FState.ConnectPhoneNr;
}
AnsiString TDunRasCon::LocalPhoneNumber() const {
    TLock lock(FStateLock);
    return FState.LocalPhoneNumber;
}
void TDunRasCon::SetLocalPhoneNumber(const AnsiString& value) {
    Record([&](TRecorded& s) { s.LocalPhoneNumber = value; });
}
HRasConn TDunRasCon::StateRasConn() const {
    TLock lock(FStateLock);
    return FState.StateRasConn;
}
Integer TDunRasCon::StateSubEntry() const {
    TLock lock(FStateLock);
    return FState.StateSubEntry;
}
TStateEventSource TDunRasCon::StateEventSource() const {
    TLock lock(FStateLock);
    return FState.StateEventSource;
}
HRasConn TDunRasCon::IntRasConn() const {
    TLock lock(FStateLock);
    return FState.IntRasConn;
}
void TDunRasCon::SetIntRasConn(HRasConn value) {
    Record([&](TRecorded& s) { s.IntRasConn = value; });
}
int TDunRasCon::StateRecNext() const {
    TLock lock(FStateLock);
    return FState.fStateRecNext;
}

TRasStateRec TDunRasCon::StateRec(int slot) const {
    TLock lock(FStateLock);
    if (slot < 1 || slot > RasStateRingSize) return {};
    return FState.fRasStateRecQueue[slot - 1];
}

Integer TDunRasCon::Finish(Integer code) {
    SetLastError(code);
    if (code != 0) SetStatusStr(GetErrorString(code));
    return code;
}

Integer TDunRasCon::KeepCode(Integer code) {
    SetLastError(code);
    return code;
}

UnicodeString TDunRasCon::GetErrorString(Integer ErrorCode) {
    Integer missing = 0;
    UnicodeString text = RasErrorString(ErrorCode, false, missing);
    if (missing != 0) SetLastError(missing);
    return text;
}

bool TDunRasCon::TestRas() {
    Integer lastError = LastError();
    UnicodeString status = StatusStr();
    const bool present = RasTestRas(lastError, status);
    Record([&](TRecorded& s) {
        s.LastError = lastError;
        s.StatusStr = status;
    });
    return present;
}

UnicodeString TDunRasCon::GetMessText() {
    return RasMessText(ConnectState(), [this](Integer code) { return GetErrorString(code); });
}

// Writes the ring slot and posts it when someone listens for state events, then tells the
// OnStateChanged handler on this thread. Called on the RAS thread and on the GUI thread.
void TDunRasCon::PushState() {
    if (OnStateEvent) {
        int slot = 0;
        {
            TLock lock(FStateLock);
            slot = FState.fStateRecNext;
            FState.fRasStateRecQueue[slot - 1] = {FState.ConnectState,     FState.StatusStr,
                                                  FState.CurDevName,       FState.CurDevType,
                                                  FState.ConnectPhoneNr,   FState.StateRasConn,
                                                  FState.StateSubEntry,    FState.ConnectError,
                                                  FState.StateEventSource, GetTickCount()};
            FState.fStateRecNext = slot == RasStateRingSize ? 1 : slot + 1;
        }
        PostMessageW(FWindow.Handle(), WM_RASSTATE, static_cast<WPARAM>(slot), 0);
    }
    OnStateChanged(this);
}

void TDunRasCon::WndProc(TMessage& Message) {
    const bool ringSlot = Message.WParam >= 1 && Message.WParam <= RasStateRingSize;
    if (Message.Msg != WM_RASSTATE || !ringSlot) {
        DefaultHandler(Message, FWindow.Handle());
        return;
    }
    Message.Result = 0;
    if (OnStateEvent) OnStateEvent(this, StateRec(static_cast<int>(Message.WParam)));
}
