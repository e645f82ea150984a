// The single test: the main window's single-test button sends seven echoes to the chosen line
// through the single-line test window, which lists one line per echo. The echoes go to
// loopback, answered by the system, or to a replaced echo call for what loopback never gives.
#include "BoxAnswerer.h"
#include "LatencyTesting.h"

#include "client/gui/SingleLineTestForm.h"

#include "client/AccountServerProtocol.h"

#include "framework/Forms.h"
#include "support/KitThreadPool/KitIni.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <vector>

namespace {

// Round-trip times the replaced echo call answers, one per echo; Silent: not answered.
constexpr unsigned long Silent = ~0ul;
std::vector<unsigned long> GRoundTrips;
std::size_t GEchoes = 0;

unsigned long ScriptedSendEcho(void*, unsigned long destination, void*, Word, void*,
                               void* replyBuffer, unsigned long, unsigned long) {
    const unsigned long roundTrip = GRoundTrips.at(GEchoes++ % GRoundTrips.size());
    if (roundTrip == Silent) {
        SetLastError(IP_REQ_TIMED_OUT);
        return 0;
    }
    auto* reply = static_cast<ICMP_ECHO_REPLY*>(replyBuffer);
    *reply = {};
    reply->Address = destination;
    reply->Status = IP_SUCCESS;
    reply->RoundTripTime = roundTrip;
    return 1;
}

struct TEchoReplaced {
    explicit TEchoReplaced(std::vector<unsigned long> roundTrips) {
        GRoundTrips = std::move(roundTrips);
        GEchoes = 0;
        SetIcmpSendEcho(&ScriptedSendEcho);
    }
    ~TEchoReplaced() { SetIcmpSendEcho(nullptr); }
    TEchoReplaced(const TEchoReplaced&) = delete;
    TEchoReplaced& operator=(const TEchoReplaced&) = delete;
};

class SingleLineTestForm : public LatencyFixture {
protected:
    void SetUp() override {
        LatencyFixture::SetUp();
        Form1 = CreateForm<TForm1>(nullptr);
        // "Line 1" on 127.0.0.1, "Line 9" on 127.0.0.9, in the account server's encoding.
        line_ini = NewLineListDocument(L"[East]\r\nLine 1=Vk5RSlFYek0weHFUVlJSNA,98%,0\r\n"
                                       L"Line 9=Vk5RSlFYek0weHFUVlJRMQ,50%,1\r\n");
        Form->AreaTxt2->Items()->Add(L"East");
        Form->AreaTxt2->SetItemIndex(0);
    }
    void TearDown() override {
        FreeAndNil(line_ini);
        Form1->Free();
        Form1 = nullptr;
        LatencyFixture::TearDown();
    }
    std::vector<UnicodeString> TestLine(const wchar_t* name) {
        Form->IPAddrTxt->Items()->Add(name);
        Form->IPAddrTxt->SetItemIndex(Form->IPAddrTxt->Items()->Count() - 1);
        Form->cesu->OnClick(Form->cesu);
        std::vector<UnicodeString> lines;
        for (int i = 0; i < Form1->ListBox1->Items()->Count(); ++i)
            lines.push_back(Form1->ListBox1->Items()->Strings(i));
        return lines;
    }
};

TEST_F(SingleLineTestForm, SevenEchoesToAnAnsweringLoopbackLine) {
    const std::vector<UnicodeString> lines = TestLine(L"Line 1");
    ASSERT_EQ(lines.size(), 7u);
    for (const UnicodeString& line : lines) {
        EXPECT_EQ(line.substr(0, 13), L"Line 1:  time") << line;
        EXPECT_EQ(line.substr(line.size() - 3), L" ms") << line;
    }
    EXPECT_TRUE(Form1->Visible());
    EXPECT_EQ(Form1->Left(), Form->Left() + 300);
    EXPECT_EQ(Form1->Top(), Form->Top() + 20);
    EXPECT_EQ(Form1->Caption(), L"Test Speed");
    EXPECT_EQ(Form1->Button1->Caption(), L"Retry Test");
    EXPECT_TRUE(Form->cesu->Enabled());
}

TEST_F(SingleLineTestForm, ResultLinesBySilenceAndRoundTrip) {
    struct Case {
        std::vector<unsigned long> RoundTrips;
        std::vector<const wchar_t*> Lines;
    };
    const Case cases[] = {
        {{Silent},
         {L"Request timed out.", L"Request timed out.", L"Request timed out.",
          L"Request timed out.", L"Request timed out.", L"Request timed out.",
          L"Request timed out."}},
        {{35, 0, 999, Silent, 1, 1000, 2},
         {L"Line 9:  time=35 ms", L"Line 9:  time<1 ms", L"Line 9:  time=999 ms",
          L"Request timed out.", L"Line 9:  time=1 ms", L"Request timed out.",
          L"Line 9:  time=2 ms"}},
    };
    for (const Case& c : cases) {
        TEchoReplaced echoes(c.RoundTrips);
        const std::vector<UnicodeString> lines = TestLine(L"Line 9");
        ASSERT_EQ(lines.size(), c.Lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], c.Lines[i]) << i;
    }
}

TEST_F(SingleLineTestForm, TheRetryButtonListsTheSevenLinesAgain) {
    TEchoReplaced echoes({12});
    TestLine(L"Line 9");
    Form1->Button1->OnClick(Form1->Button1);
    EXPECT_EQ(Form1->ListBox1->Items()->Count(), 7);
    EXPECT_EQ(GEchoes, 14u);
}

TEST_F(SingleLineTestForm, NoChosenLineSendsNothing) {
    TEchoReplaced echoes({12});
    for (const wchar_t* name : {L"  ", L"请选择服务器"}) {
        TestLine(name);
        EXPECT_FALSE(Form1->Visible()) << name;
    }
    EXPECT_EQ(GEchoes, 0u);
}

// A line in the box that the line list does not hold: the error message, no window, no echo.
TEST_F(SingleLineTestForm, ALineWithoutAValueShowsTheErrorAndNoWindow) {
    TEchoReplaced echoes({12});
    clientgui_test::TBoxAnswerer answerer;
    TestLine(L"Line 5");
    EXPECT_EQ(answerer.Text(), LangText(L"Error occurred, please close the program to run",
                                        L"发生错误，请关闭程序再重新运行"));
    EXPECT_FALSE(Form1->Visible());
    EXPECT_EQ(GEchoes, 0u);
}

} // namespace
