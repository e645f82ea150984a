// The main window's single test: seven echoes to the line chosen in the line box, listed in
// the single-line test window. It runs on the GUI thread and handles pending messages between
// echoes, so the windows stay responsive for the up to seven seconds a silent line takes.
#include "client/gui/ClientUi.h"
#include "client/gui/MainForm.h"
#include "client/gui/SingleLineTestForm.h"

#include "client/AppShared.h"
#include "client/ServerDecoders.h"

#include "framework/Conversions.h"
#include "support/KitThreadPool/KitIni.h"

namespace {

constexpr int EchoCount = 7;

bool NoLineChosen(const UnicodeString& line) {
    return Trim(line).empty() || Pos(L"选择服务器", AnsiLowerCase(line)) > 0;
}

// Sends the echoes through the window's client; its reply event lists each one. A client
// that cannot send (an address that does not resolve) ends the series.
void SendEchoes(TIcmpClient* client) {
    try {
        for (int i = 0; i < EchoCount; ++i) {
            client->Ping();
            Application->ProcessMessages();
        }
    } catch (const EIcmpError&) {
    }
}

} // namespace

void Tfrmmain::cesuClick(TObject*) {
    const UnicodeString line = IPAddrTxt->Text();
    if (NoLineChosen(line)) {
        if (IPAddrTxt->CanFocus()) IPAddrTxt->SetFocus();
        return;
    }
    const UnicodeString value = line_ini ? line_ini->ReadString(AreaTxt2->Text(), line, L"") : L"";
    if (value.empty()) {
        ShowPlainMessage(LangText(L"Error occurred, please close the program to run",
                                  L"发生错误，请关闭程序再重新运行"));
        return;
    }
    const UnicodeString address = DecodeLineAddress(value.substr(0, value.find(L',')));
    Form1->ListBox1->Items()->Clear();
    Form1->SetBounds(Left() + 300, Top() + 20, Form1->Width(), Form1->Height());
    Form1->Show();
    Form1->ICMP->SetHost(address);
    Form1->ICMP->SetReceiveTimeout(1000);
    cesu->SetEnabled(false);
    try {
        SendEchoes(Form1->ICMP);
    } catch (...) {
        cesu->SetEnabled(true);
        throw;
    }
    cesu->SetEnabled(true);
}
