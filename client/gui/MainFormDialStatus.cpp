// Following a dial: the progress timer reads the state the dial-up layer's notifier recorded
// (no status query of its own) once a second; the time-out timer asks for the state afresh 17 s
// after the dial started and hangs up a dial that is not up by then. A tunnel that comes up
// deletes its phonebook entry at once and starts the connected-state timers
// (MainFormTimers*.cpp); an error ends the attempt with its text. The phases of the cycle and
// the transitions allowed between them are in DialPhase.h.
//
//     dialling --8192--> connected (TunnelUp)
//        |  \--602..1000--> idle (DialFailed)
//         \--17 s without 8192--> idle (time-out)
#include "client/gui/DialTexts.h"
#include "client/gui/MainForm.h"

#include "client/AppShared.h"

#include "rasdial/dunrascon.h"
#include "rasdial/dunrasper.h"

void Tfrmmain::dialupstatusTimer(TObject*) {
    const Integer state = rascon->ConnectState();
    if (state == RasConnected) {
        TunnelUp();
        dialupstatus->SetEnabled(false);
    } else if (IsDialError(state)) {
        DialFailed(state);
    }
}

void Tfrmmain::dialupcheckTimer(TObject*) {
    QueryTunnelState();
    if (TunnelIsUp()) {
        TunnelUp();
    } else {
        is_connected = false;
        statuslabel->SetCaption(LangText(L"Unable to connect, please replace the other line retry",
                                         L"不能连接，请更换其它线路再试"));
        SetIdleState();
        HangUpAndDeleteEntry();
    }
    rascon->DeletePhonebook();
    dialupcheck->SetEnabled(false);
    expire_tips = 0;
}

void Tfrmmain::SetDialPhase(TDialPhase phase) {
#ifdef VELMORA_CHECK_INVARIANTS
    CheckDialPhaseChange(FDialPhase, phase);
#endif
    FDialPhase = phase;
}

// The connected state: the entry goes, the connection's watchers start.
void Tfrmmain::TunnelUp() {
    SetDialPhase(TDialPhase::Connected);
    is_connected = true;
    com_game->SetEnabled(false);
    statuslabel->SetCaption(ConnectedText());
    SetStatusPanel(0, LangText(L"Connected", L"服务器连接成功"));
    btn_speed->SetEnabled(false);
    vt1->SetEnabled(false);
    rast12->SetEnabled(true);
    btn_disconn->SetEnabled(true);
    statuscheck->SetEnabled(!own_account);
    datecheck->SetEnabled(!own_account);
    rascon->DeletePhonebook();
    autodialstatus->SetEnabled(true);
    dialupcheck->SetEnabled(false);
    expire_tips = 0;
}

void Tfrmmain::DialFailed(Integer state) {
    statuslabel->SetCaption(DialErrorText(state));
    SetIdleState();
    rasper->ResetPerfStats();
    HangUpAndDeleteEntry();
    for (TTimer* timer : {rast12, statuscheck, datecheck, dialupcheck, dialupstatus, zombiecheck})
        timer->SetEnabled(false);
    expire_tips = 0;
}

// A fresh status query of the attempt's connection, whose statistics slot 1 then follows.
void Tfrmmain::QueryTunnelState() {
    const auto handle = reinterpret_cast<HRasConn>(ras_handle);
    rascon->CurrentStatusEx(handle, 0);
    rasper->SetPerfRasConn(1, handle);
}

bool Tfrmmain::TunnelIsUp() const { return rascon->ConnectState() == RasConnected; }
