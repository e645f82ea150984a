// The timers of a connection that is up or coming up: `Timer2` takes the window to the tray once
// the tunnel is up, `rast12` shows the traffic and the online time, `autodialstatus` notices a
// tunnel that dropped and redials when the user chose automatic redial. A dial that the user
// started after a drop belongs to the user: the drop watch leaves it to the progress timers.
//
// `rast12` queries the state every few seconds anyway: when it finds a tunnel that was up gone,
// it runs the drop handling at once instead of leaving "Connected" and frozen counters on the
// window until the slower drop watch comes round. The line shown is the one the attempt
// dialled, whatever a refresh of the line list has since done to the line box.
#include "client/gui/MainForm.h"
#include "client/gui/TrafficCounter.h"

#include "client/AppShared.h"

#include "framework/Exceptions.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasper.h"

namespace {

// The automatic-redial choice of the login dialog.
constexpr Integer RedialAutomatically = 2;
constexpr int BalloonSeconds = 10;

} // namespace

void Tfrmmain::Timer2Timer(TObject*) {
    const UnicodeString text =
        LangText(L"UserName:", L"用户名:") + login_user + L"\r\n" + LangText(user_info, user_info);
    if (statuslabel->Caption() != ConnectedText()) return;
    Application->Minimize();
    SysTrayIcon1->SetHint(Caption());
    SysTrayIcon1->ShowBalloonHint(Caption(), text, bhiInfo, BalloonSeconds);
    Timer2->SetEnabled(false);
    speed_running = false;
    btn_speed->SetCaption(LangText(L"Bat Speed", L"批量测速"));
    StopSpeedTest();
}

void Tfrmmain::rast12Timer(TObject*) {
    QueryTunnelState();
    if (!TunnelIsUp()) {
        if (is_connected) autodialstatusTimer(autodialstatus);
        return;
    }
    ShowTraffic();
    statuslabel->SetCaption(ConnectedText());
    statuslabel->Font()->SetColor(clRed);
    linelabel->SetCaption(LangText(L"Line:", L"连接线路：") + FDialLine);
    linelabel->Font()->SetColor(clRed);
}

void Tfrmmain::ShowTraffic() {
    rasper->GetPerfStats();
    FSent.Update(rasper->GetPerfXmitCur(0));
    FReceived.Update(rasper->GetPerfRecvCur(0));
    const UnicodeString text =
        TrafficText(FSent.Total(), FReceived.Total(), GetTickCount64() - FDialTick);
    SetStatusPanel(1, text);
    datalabel->SetCaption(text);
    datalabel->Font()->SetColor(clRed);
}

void Tfrmmain::autodialstatusTimer(TObject*) {
    // A dial in progress is left to its own timers.
    if (dialupcheck->Enabled()) return;
    QueryTunnelState();
    if (TunnelIsUp()) return;
    is_connected = false;
    statuslabel->SetCaption(LangText(L"Disconnected", L"已断开连接"));
    statuslabel->Font()->SetColor(clRed);
    SetIdleState();
    HangUpAndDeleteEntry();
    for (TTimer* timer : {rast12, statuscheck, datecheck, dialupcheck}) timer->SetEnabled(false);
    expire_tips = 0;
    if (auto_redial != RedialAutomatically) {
        autodialstatus->SetEnabled(false);
        return;
    }
    try {
        btn_connClick(this);
    } catch (const Exception&) {
    }
}
