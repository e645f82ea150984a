// The timers that talk to the account server while a tunnel dialled with issued credentials is
// up: the status report (every 218 s; token C means too many computers and disconnects) and the
// validity check (every 900 s; a stop word disconnects, few remaining days show a balloon at
// most twice per connection). The replies are server input: a day count that is not a number
// shows nothing.
#include "client/gui/ClientUi.h"
#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasper.h"

namespace {

constexpr int BalloonSeconds = 10;

UnicodeString ValidityStopText(TValidityVerdict verdict) {
    switch (verdict) {
    case TValidityVerdict::Expired:
        return LangText(L"This account has expired, please recharge in time to use",
                        L"此帐户已过期，请及时充值后才能使用此功能");
    case TValidityVerdict::UsedUp:
        return LangText(L"This account free test time has run out, please register normal "
                        L"account",
                        L"此帐户免费测试时间已经用完，请注册正式帐户");
    case TValidityVerdict::AccountError:
        return LangText(L"This account  exist error, please contact customer service",
                        L"此帐户存在错误，请联系客服人员");
    default: return {};
    }
}

} // namespace

void Tfrmmain::statuscheckTimer(TObject*) { ReportStatus(true); }

// The status report of a tunnel that is up; with `reactToReply`, token C disconnects.
void Tfrmmain::ReportStatus(bool reactToReply) {
    QueryTunnelState();
    if (!TunnelIsUp()) return;
    rasper->GetPerfStats();
    FSent.Update(rasper->GetPerfXmitCur(0));
    FReceived.Update(rasper->GetPerfRecvCur(0));
    const auto handle = reinterpret_cast<HRasConn>(ras_handle);
    TStatusReportFields fields;
    fields.ClientIp = rascon->GetProtocolEx(handle) == 0 ? AnsiToUnicode(rascon->ClientIP) : L"";
    if (rascon->GetEntryProperties() == 0) line_ip = AnsiToUnicode(rascon->PhoneCanonical);
    fields.ServerIp = line_ip;
    fields.UserPeerIp = peer_ip;
    fields.UniqueId = unique_id;
    fields.UserName = login_user;
    fields.SentBytes = FSent.Total();
    fields.ReceivedBytes = FReceived.Total();
    fields.OnlineMilliseconds = static_cast<Int64>(GetTickCount64() - FDialTick);
    const TStatusVerdict verdict = StatusReport(fields);
    Application->ProcessMessages();
    if (!reactToReply || verdict != TStatusVerdict::TooManyComputers) return;
    btn_disconnClick(this);
    statuslabel->SetCaption(LangText(L"Disconnected", L"已经断开"));
    ShowWarning(LangText(L"Your account has been beyond the online computer connection number, "
                         L"please check the previous connection is disconnected",
                         L"您的帐户已经超出在线电脑连接数，请检查以前的连接是否断开"));
}

void Tfrmmain::datecheckTimer(TObject*) {
    const TValidityReply reply = ValidityCheck(login_user, login_pass);
    Application->ProcessMessages();
    if (reply.Verdict == TValidityVerdict::NoAnswer) return;
    const UnicodeString stop = ValidityStopText(reply.Verdict);
    if (!stop.empty()) {
        btn_disconnClick(this);
        statuslabel->SetCaption(LangText(L"Disconnected", L"已经断开"));
        ShowWarning(stop);
    }
    if (expire_tips > 1 || !reply.HasRemainingDays || reply.RemainingDays > 3) return;
    SysTrayIcon1->ShowBalloonHint(
        LangText(L"Expired prompt", L"过期提醒"),
        LangText(L"Your Account remaind day:" + IntToStr(reply.RemainingDays) +
                     L"day,please top up in time",
                 L"您的帐户剩余天数为" + IntToStr(reply.RemainingDays) + L"天，请及时充值"),
        bhiInfo, BalloonSeconds);
    ++expire_tips;
}
