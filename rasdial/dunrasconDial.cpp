// Dialling, the RAS notifiers, hanging up and the stored credentials of the dialling component.
//
// The notifiers run on a thread of the RAS library. They report to `ActiveRasCon` while holding
// the registration lock, so that the component cannot be freed under them; a component that is
// being freed withdraws first, and a notification that then finds none is dropped. Nothing may
// leave a notifier as an exception: the system frame above it cannot be unwound.
#include "rasdial/dunrascon.h"

#include "framework/ExceptionBoundary.h"
#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

namespace {

constexpr DWORD RDEOPT_PausedStates = 0x2;
constexpr DWORD RDEOPT_IgnoreModemSpeaker = 0x4;
constexpr DWORD RDEOPT_SetModemSpeaker = 0x8;
constexpr DWORD HangUpPollMs = 50;

TCriticalSection& RegistrationLock() {
    static TCriticalSection lock;
    return lock;
}

TDunRasCon* Registered = nullptr; // guarded by RegistrationLock()

void Notify(HRasConn conn, DWORD subEntry, DWORD state, DWORD error, bool perStateEvents) {
    TLock lock(RegistrationLock());
    if (Registered) Registered->DialNotification(conn, subEntry, state, error, perStateEvents);
}

DWORD WINAPI RasDialNotifier2(ULONG_PTR, DWORD subEntry, HRasConn conn, UINT, DWORD state,
                              DWORD error, DWORD) noexcept {
    GuardBoundary([&] { Notify(conn, subEntry, state, error, false); });
    return 1; // go on notifying
}

void WINAPI RasDialNotifier1(HRasConn conn, UINT, DWORD state, DWORD error, DWORD) noexcept {
    GuardBoundary([&] { Notify(conn, 0, state, error, true); });
}

} // namespace

void RegisterRasCon(TDunRasCon* component) {
    TLock lock(RegistrationLock());
    Registered = component;
}

void UnregisterRasCon(TDunRasCon* component) noexcept {
    TLock lock(RegistrationLock());
    if (Registered == component) Registered = nullptr;
}

TDunRasCon* ActiveRasCon() {
    TLock lock(RegistrationLock());
    return Registered;
}

void TDunRasCon::DialNotification(HRasConn conn, DWORD subEntry, DWORD state, DWORD error,
                                  bool perStateEvents) {
    const UnicodeString text =
        error != 0 ? GetErrorString(static_cast<Integer>(error))
                   : RasMessText(static_cast<Integer>(state),
                                 [this](Integer code) { return GetErrorString(code); });
    Record([&](TRecorded& s) {
        s.StateEventSource = SourceDial;
        s.StateRasConn = conn;
        s.StateSubEntry = static_cast<Integer>(subEntry);
        s.ConnectError = static_cast<Word>(error);
        s.CurDevName.clear();
        s.CurDevType.clear();
        s.LocalPhoneNumber.clear();
        if (error != 0) s.LastError = static_cast<Integer>(error);
        if (error != 0)
            SetConnectState(s, TRasStateWriter::NotifiedError, static_cast<Word>(error));
        else
            SetConnectState(s, TRasStateWriter::Notified, static_cast<Word>(state));
        s.StatusStr = text;
    });
    PushState();
    if (perStateEvents && error == 0) FirePerStateEvent(state);
}

void TDunRasCon::FirePerStateEvent(DWORD state) {
    const TNotifyEvent* const byState[] = {&OnAboutToOpenPort,   &OnPortOpened,
                                           &OnAboutToConnDev,    &OnDevConnected,
                                           &OnAllDevsConnected,  &OnAuthenticate,
                                           &OnAuthNotify,        &OnAuthRetry,
                                           &OnAuthCallBack,      &OnAuthChangePassword,
                                           &OnAuthProject,       &OnAuthLinkSpeed,
                                           &OnAuthAck,           &OnReAuthenticate,
                                           &OnAuthenticated,     &OnPrepareforCallback,
                                           &OnWaitForModemReset, &OnCallBack};
    if (state < std::size(byState))
        (*byState[state])(this);
    else if (state == 4096)
        OnInteractiveStarted(this);
    else if (state == 4097)
        OnRetryAuth(this);
    else if (state == 4099)
        OnPasswordExpired(this);
    else if (state == RASCS_Connected)
        OnConnect(this);
    else if (state == RASCS_Disconnected)
        FireDisconnect();
}

void TDunRasCon::FireDisconnect() {
    const HRasConn conn = IntRasConn();
    if (!conn || !OnDisconnect) return;
    Integer code = RasErrorLibraryMissing;
    if (RasApiAvailable() && RasGetConnectStatusA) {
        TRasConnStatusNT4 status{};
        status.dwSize = RasRecordSize(TRasRecord::ConnStatus);
        code = static_cast<Integer>(RasGetConnectStatusA(conn, &status));
    }
    SetLastError(code);
    OnDisconnect(this, code, GetErrorString(code));
}

void TDunRasCon::BuildDialParams() {
    if (SubEntry < 0) SubEntry = 1;
    RasDialParamsNT4 = TRasDialParamsNT4{};
    RasDialParamsNT4.dwSize = RasRecordSize(TRasRecord::DialParams);
    TRasDialParamsNT4& p = RasDialParamsNT4;
    PutFieldText(p.szEntryName, sizeof(p.szEntryName), EntryName, 256);
    PutFieldText(p.szPhoneNumber, sizeof(p.szPhoneNumber), PhoneNumber, 128);
    PutFieldText(p.szCallbackNumber, sizeof(p.szCallbackNumber), CallbackNumber, 128);
    PutFieldText(p.szUserName, sizeof(p.szUserName), UserName, 256);
    PutFieldText(p.szPassword, sizeof(p.szPassword), Password, 256);
    PutFieldText(p.szDomain, sizeof(p.szDomain), Domain, 15);
    p.dwSubEntry = static_cast<DWORD>(SubEntry);
    p.dwCallbackId = static_cast<ULONG_PTR>(CallbackId);
}

Integer TDunRasCon::Dial(HRasConn& ConnHandle, TRasDialExtensions* extensions) {
    Record([](TRecorded& s) { SetConnectState(s, TRasStateWriter::DialStart, 0); });
    BuildDialParams();
    const bool nt = RasOSLevel() >= RasLevelNT4;
    const LPVOID notifier = nt ? reinterpret_cast<LPVOID>(&RasDialNotifier2)
                               : reinterpret_cast<LPVOID>(&RasDialNotifier1);
    const DWORD result = RasDialA(extensions, nt ? SelectedPhonebook() : nullptr, &RasDialParamsNT4,
                                  nt ? RasNotifierFunc2 : RasNotifierFunc1, notifier, &ConnHandle);
    return Finish(static_cast<Integer>(result));
}

Integer TDunRasCon::ConnectEx(HRasConn& ConnHandle) {
    ConnHandle = nullptr;
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    return Dial(ConnHandle, nullptr);
}

Integer TDunRasCon::Connect() {
    if (IntRasConn()) IntDisconnect();
    HRasConn conn = nullptr;
    const Integer result = ConnectEx(conn);
    SetIntRasConn(conn);
    return result;
}

Integer TDunRasCon::ConnectNT(HRasConn& ConnHandle, bool AllowPause, TSpeakerMode Speaker) {
    if (RasOSLevel() == RasLevelWin9x) return KeepCode(RasErrorNotOnLevel);
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    TRasDialExtensions extensions{};
    extensions.dwSize = RasRecordSize(TRasRecord::DialExtensions);
    if (AllowPause) extensions.dwfOptions |= RDEOPT_PausedStates;
    if (Speaker != SpeakerDefault) extensions.dwfOptions |= RDEOPT_IgnoreModemSpeaker;
    if (Speaker == SpeakerOn) extensions.dwfOptions |= RDEOPT_SetModemSpeaker;
    return Dial(ConnHandle, &extensions);
}

Integer TDunRasCon::AutoConnectEx(HRasConn& ConnHandle) {
    if (GetDialParams() == 0) ConnectEx(ConnHandle);
    return LastError();
}

Integer TDunRasCon::AutoConnect() {
    if (GetDialParams() == 0) Connect();
    return LastError();
}

Integer TDunRasCon::IntDisconnectEx(HRasConn ConnHandle) {
    Record([](TRecorded& s) { SetConnectState(s, TRasStateWriter::HangUp, 0); });
    Integer result = RasErrorInvalidHandle;
    if (ConnHandle && RasApiAvailable())
        result = static_cast<Integer>(RasHangUpA(ConnHandle));
    else if (ConnHandle)
        result = RasErrorLibraryMissing;
    return KeepCode(result);
}

Integer TDunRasCon::IntDisconnect() {
    const Integer result = IntDisconnectEx(IntRasConn());
    SetIntRasConn(nullptr);
    return result;
}

Integer TDunRasCon::LeaveOpen() {
    SetIntRasConn(nullptr);
    return IntDisconnect();
}

Integer TDunRasCon::DisconnectEx(HRasConn ConnHandle, Integer SubEntryNr, bool FireEvents,
                                 Cardinal WaitMs) {
    const Integer result = IntDisconnectEx(ConnHandle);
    if (ConnHandle) {
        Integer last = -1;
        const DWORD start = GetTickCount();
        for (;;) {
            GetConnectStatusEx(ConnHandle, SubEntryNr);
            const Integer state = ConnectState();
            if (FireEvents && state != last) {
                const UnicodeString text = GetMessText();
                Record([&](TRecorded& s) {
                    s.StatusStr = text;
                    s.StateEventSource = SourceHangup;
                });
                PushState();
                last = state;
            }
            if (state == RASCS_Disconnected || state == RasErrorNoStatus) break;
            if (GetTickCount() - start > WaitMs) break;
            Sleep(HangUpPollMs);
        }
    }
    if (ConnHandle == IntRasConn()) SetIntRasConn(nullptr);
    return result;
}

Integer TDunRasCon::Disconnect() {
    const Integer result = DisconnectEx(IntRasConn(), 0, true, 3000);
    SetIntRasConn(nullptr);
    return result;
}

Integer TDunRasCon::ReOpen(Integer Item) {
    if (!IntRasConn()) {
        HRasConn handle = CurRasConn;
        if (!handle) return KeepCode(RasErrorInvalidHandle);
        if (Item > 0) handle = FConnections->RasConn(Item);
        SetIntRasConn(handle);
    }
    return GetConnectStatus();
}
