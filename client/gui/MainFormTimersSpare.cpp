// The spare watch timers, which the running client never starts: a two-stage status report
// (`statuscheck1` then `statuscheck2`), a repair of the connect buttons when both are disabled
// (`zombiecheck`), and a one-shot progress check (`zombiecheck2`).
#include "client/gui/DialTexts.h"
#include "client/gui/MainForm.h"

#include "client/AppShared.h"

#include "rasdial/dunrascon.h"
#include "rasdial/dunrasper.h"

void Tfrmmain::statuscheck1Timer(TObject*) {
    ReportStatus(false);
    statuscheck1->SetEnabled(false);
    statuscheck2->SetEnabled(true);
}

void Tfrmmain::statuscheck2Timer(TObject*) {
    ReportStatus(true);
    statuscheck2->SetEnabled(false);
}

void Tfrmmain::zombiecheckTimer(TObject*) {
    if (!btn_conn->Enabled() && !btn_disconn->Enabled())
        (is_connected ? btn_disconn : btn_conn)->SetEnabled(true);
    zombiecheck->SetEnabled(false);
}

void Tfrmmain::zombiecheck2Timer(TObject*) {
    const Integer state = rascon->ConnectState();
    if (state == RasConnected) {
        TunnelUp();
        zombiecheck2->SetEnabled(false);
        return;
    }
    statuslabel->Font()->SetColor(clRed);
    if (IsDialError(state)) {
        statuslabel->SetCaption(DialErrorText(state));
        SetIdleState();
        rasper->ResetPerfStats();
        HangUpAndDeleteEntry();
        rb_pptp->SetChecked(true);
        rb_lp2p->SetChecked(false);
        protocollabel->SetCaption(LangText(L"Mode: Auto", L"连接方式：自动"));
        dialupcheck->SetEnabled(false);
        dialupstatus->SetEnabled(false);
        expire_tips = 0;
    }
    zombiecheck2->SetEnabled(false);
}
