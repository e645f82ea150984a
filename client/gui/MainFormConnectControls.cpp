// The main window's connect controls and timers, and the two states every attempt moves them
// between: busy while an attempt runs, idle after every ending. The timers are created off, with
// their intervals; VELMORA_TIMER_INTERVALS ("name=ms,name=ms") shortens them for the tests, which
// cannot wait minutes for a status report.
#include "client/gui/ClientUi.h"
#include "client/gui/MainForm.h"

#include "client/AppShared.h"

#include "framework/Conversions.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasedt.h"
#include "rasdial/dunrasper.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using TTimerList = std::vector<std::pair<const wchar_t*, TTimer*>>;

TTimer* NewTimer(TComponent* owner, Cardinal interval, const TNotifyEvent& onTimer) {
    auto* timer = new TTimer(owner);
    timer->SetEnabled(false);
    timer->SetInterval(interval);
    timer->SetOnTimer(onTimer);
    return timer;
}

void ApplyIntervalOverrides(const TTimerList& timers) {
    const wchar_t* setting = _wgetenv(L"VELMORA_TIMER_INTERVALS");
    if (!setting) return;
    UnicodeString rest = setting;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(L',');
        const UnicodeString item = rest.substr(0, comma);
        rest = comma == UnicodeString::npos ? UnicodeString() : rest.substr(comma + 1);
        const std::size_t equals = item.find(L'=');
        if (equals == UnicodeString::npos) continue;
        for (const auto& [name, timer] : timers)
            if (item.substr(0, equals) == name)
                timer->SetInterval(StrToIntDef(item.substr(equals + 1), timer->Interval()));
    }
}

} // namespace

void Tfrmmain::CreateDialComponents() {
    rascon = new TDunRasCon(this);
    rasper = new TDunRasPer(this);
    rasedt = new TDunRasEdt(this);
}

void Tfrmmain::FreeDialComponents() {
    FreeAndNil(rascon);
    FreeAndNil(rasper);
    FreeAndNil(rasedt);
}

void Tfrmmain::BuildConnectControls() {
    rb_pptp->OnClick = TNotifyEvent(this, &Tfrmmain::rb_pptpClick);
    rb_lp2p->OnClick = TNotifyEvent(this, &Tfrmmain::rb_lp2pClick);
    btn_conn->OnClick = TNotifyEvent(this, &Tfrmmain::btn_connClick);
    btn_disconn->OnClick = TNotifyEvent(this, &Tfrmmain::btn_disconnClick);
    btn_disconn->SetEnabled(false);
    N5->OnClick = btn_conn->OnClick;
    N6->OnClick = btn_disconn->OnClick;
    L2TPQ1->OnClick = TNotifyEvent(this, &Tfrmmain::L2TPQ1Click);
    // Outside the window: never seen.
    btn_conn2 = Place<TsButton>(this, this, -400, 120, 80, 24);
    btn_conn2->SetCaption(L"l2tp");
    btn_conn2->SetVisible(false);
    btn_conn2->OnClick = TNotifyEvent(this, &Tfrmmain::btn_conn2Click);
    BuildConnectTimers();
    RasServiceRestart = SystemRasServiceRestart(EnableRasProhibitIpSec,
                                                [this](Cardinal ms) { WaitPumpingMessages(ms); });
}

void Tfrmmain::BuildConnectTimers() {
    const TTimerList timers{
        {L"dialupstatus",
         dialupstatus = NewTimer(this, 1000, {this, &Tfrmmain::dialupstatusTimer})},
        {L"dialupcheck", dialupcheck = NewTimer(this, 17000, {this, &Tfrmmain::dialupcheckTimer})},
        {L"Timer2", Timer2 = NewTimer(this, 1000, {this, &Tfrmmain::Timer2Timer})},
        {L"rast12", rast12 = NewTimer(this, 4000, {this, &Tfrmmain::rast12Timer})},
        {L"autodialstatus",
         autodialstatus = NewTimer(this, 20000, {this, &Tfrmmain::autodialstatusTimer})},
        {L"statuscheck", statuscheck = NewTimer(this, 218000, {this, &Tfrmmain::statuscheckTimer})},
        {L"datecheck", datecheck = NewTimer(this, 900000, {this, &Tfrmmain::datecheckTimer})},
        {L"statuscheck1",
         statuscheck1 = NewTimer(this, 4000, {this, &Tfrmmain::statuscheck1Timer})},
        {L"statuscheck2",
         statuscheck2 = NewTimer(this, 16000, {this, &Tfrmmain::statuscheck2Timer})},
        {L"zombiecheck", zombiecheck = NewTimer(this, 2000, {this, &Tfrmmain::zombiecheckTimer})},
        {L"zombiecheck2",
         zombiecheck2 = NewTimer(this, 15000, {this, &Tfrmmain::zombiecheck2Timer})},
        {L"vercheck", vercheck},
    };
    ApplyIntervalOverrides(timers);
}

void Tfrmmain::SetIdleState() {
    SetDialPhase(TDialPhase::Idle);
    btn_speed->SetEnabled(true);
    vt1->SetEnabled(true);
    rast12->SetEnabled(false);
    statuscheck->SetEnabled(false);
    datecheck->SetEnabled(false);
    // An ended attempt must not be flipped to connected by a late state of its dial.
    StopAttemptTimers();
    is_connected = false;
    for (TControl* control :
         std::initializer_list<TControl*>{IPAddrTxt, AreaTxt2, btn_conn, rb_pptp, rb_lp2p, cesu})
        control->SetEnabled(true);
    btn_disconn->SetEnabled(false);
}

void Tfrmmain::StopAttemptTimers() {
    dialupstatus->SetEnabled(false);
    Timer2->SetEnabled(false);
}

void Tfrmmain::SetBusyState() {
    SetDialPhase(TDialPhase::Preparing);
    for (TControl* control : std::initializer_list<TControl*>{
             IPAddrTxt, AreaTxt2, btn_conn, rb_pptp, rb_lp2p, cesu, btn_speed, vt1})
        control->SetEnabled(false);
    btn_disconn->SetEnabled(true);
    is_connected = false;
}

void Tfrmmain::rb_pptpClick(TObject*) {
    protocollabel->SetCaption(LangText(L"Mode: Auto", L"连接方式:自动"));
}

void Tfrmmain::rb_lp2pClick(TObject*) {
    protocollabel->SetCaption(LangText(L"Mode: L2TP", L"连接方式:L2TP"));
}

void Tfrmmain::SetStatusPanel(int index, const UnicodeString& text) {
    StatusBar1->Panels()->Items(index)->SetText(text);
}

UnicodeString Tfrmmain::ConnectedText() const { return LangText(L"Connected", L"连接成功"); }
