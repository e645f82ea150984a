// The single-line test window. Its texts are built in code; the result lines are the same in
// every language. A reply that is not an echo (an ICMP error such as "unreachable") is listed
// as not answered, like a time-out: its round-trip time says nothing about the line.
#include "client/gui/SingleLineTestForm.h"
#include "client/gui/ClientUi.h"
#include "client/gui/MainForm.h"

#include "client/AppShared.h"

#include "framework/Format.h"
#include "support/XtThread/XtThread.h"

TForm1* Form1 = nullptr;

namespace {

constexpr Cardinal EchoTimeout = 1000;
constexpr Word EchoPayload = 32;

UnicodeString FirstField(const UnicodeString& text) { return text.substr(0, text.find(L',')); }

// "name:  time=35 ms", "name:  time<1 ms" for 0 ms, or "Request timed out." when the echo
// was not answered within the receive time-out.
UnicodeString EchoResultLine(const UnicodeString& name, const TIcmpReply& reply,
                             Cardinal receiveTimeout) {
    const Cardinal time = reply.RoundTripTime;
    if (reply.Status != TIcmpReplyStatus::Echo || time >= receiveTimeout)
        return L"Request timed out.";
    if (time == 0) return Format(L"%s:  time%s ms", {name, L"<1"});
    return Format(L"%s:  time%s%d ms", {name, L"=", static_cast<Integer>(time)});
}

} // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    SetCaption(L"速度测试");
    SetBounds(Left(), Top(), 254, 205);
    ListBox1 = Place<TListBox>(this, this, 8, 8, 230, 126);
    Button1 = Place<TButton>(this, this, 82, 140, 82, 24);
    Button1->SetCaption(L"重新测速");
    Button1->OnClick = TNotifyEvent(this, &TForm1::Button1Click);
    ICMP = new TIcmpClient(this);
    ICMP->SetReceiveTimeout(EchoTimeout);
    ICMP->SetPacketSize(EchoPayload);
    ICMP->OnReply = TIcmpReplyEvent(this, &TForm1::ICMPReply);
    OnShow = TNotifyEvent(this, &TForm1::FormShow);
}

void TForm1::FormShow(TObject*) {
    SetCaption(LangText(L"Test Speed", L"速度测试"));
    Button1->SetCaption(LangText(L"Retry Test", L"重新测试"));
}

void TForm1::ICMPReply(TObject*, const TIcmpReply& Reply) {
    frmmain->pingthread->CancelExecute();
    const UnicodeString line = frmmain->IPAddrTxt->Text();
    if (line.empty())
        ShowPlainMessage(
            LangText(L"The error occurred, please retry", L"发生错误，请关闭程序再重新运行"));
    ListBox1->Items()->Add(EchoResultLine(FirstField(line), Reply, ICMP->ReceiveTimeout()));
}

void TForm1::Button1Click(TObject*) {
    ListBox1->Items()->Clear();
    frmmain->cesuClick(frmmain->cesu);
}
