// The main window's line list and view inside this process: the window is built as the program
// builds it but without its creation handler (no login), given a line list, and looked at through
// its own components. The refresh talks to the local account servers; the shell never sees the tray
// icon (its calls are recorded instead).
#include "BoxAnswerer.h"
#include "ClientDriver.h"
#include "LocalAccountServers.h"

#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"

#include "framework/ModuleInit.h"
#include "support/KitThreadPool/KitIni.h"
#include "support/XtThread/XtThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using clientgui_test::TBoxAnswerer;

std::vector<DWORD> TrayMessages;
// The title and text of every balloon shown (a record with NIF_INFO and a text).
std::vector<std::pair<UnicodeString, UnicodeString>> Balloons;

BOOL WINAPI RecordTrayCall(DWORD message, PNOTIFYICONDATAW data) {
    TrayMessages.push_back(message);
    if ((data->uFlags & NIF_INFO) && data->szInfo[0])
        Balloons.emplace_back(data->szInfoTitle, data->szInfo);
    return TRUE;
}

int Shell6() { return 6; }

// 127.0.1.1 in the line list's encoding (tools/account-server/encoders.py).
constexpr wchar_t EncodedLoopback[] = L"Vk5VSlFYek0weHFUVlJSNA";

// The main window without its creation handler: no login runs.
class TMainWithoutLogin : public Tfrmmain {
public:
    using Tfrmmain::Tfrmmain;

protected:
    void DoCreate() override {}
};

class MainFormLines : public ::testing::Test {
protected:
    void SetUp() override {
        SavedShell = SysTrayShell();
        SysTrayShell() = {&RecordTrayCall, &Shell6};
        TrayMessages.clear();
        Balloons.clear();
        InitializeModules({FrameworkModule(), XtThreadModule(), AppSharedModule()});
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\dedirorer");
        lang_code = LangEnglish;
        Form = CreateForm<TMainWithoutLogin>(nullptr);
        Form->vt1->Tree()->SetNodeDataSize(sizeof(ps));
    }
    void TearDown() override {
        Form->Free();
        FreeAndNil(line_ini);
        lang_code = LangNone;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\dedirorer");
        FinalizeModules();
        SysTrayShell() = SavedShell;
    }
    // The sample text with every "=x," (and a final "=x") given the encoded 127.0.1.1.
    static UnicodeString WithAddress(UnicodeString text) {
        for (std::size_t at; (at = text.find(L"=x")) != UnicodeString::npos;)
            text.replace(at + 1, 1, EncodedLoopback);
        return text;
    }
    void UseLineList(const UnicodeString& text) {
        FreeAndNil(line_ini);
        line_ini = NewLineListDocument(text);
    }
    std::vector<const ps*> Rows() {
        std::vector<const ps*> rows;
        TBaseVirtualTree* tree = Form->vt1->Tree();
        for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
            rows.push_back(tree->GetNodeData<ps>(node));
        return rows;
    }
    std::vector<UnicodeString> TitleCaptions() {
        std::vector<UnicodeString> captions;
        for (int i = 0; i < Form->sb->Items()->Count(); ++i)
            captions.push_back(Form->sb->Items()->Items(i)->Caption());
        return captions;
    }
    std::vector<UnicodeString> AreaNames() {
        std::vector<UnicodeString> names;
        for (int i = 0; i < Form->AreaTxt2->Items()->Count(); ++i)
            names.push_back(Form->AreaTxt2->Items()->Strings(i));
        return names;
    }
    void ClickTitle(TsTitleItem* item) { item->TitleButton->Click(); }
    TMainWithoutLogin* Form = nullptr;
    TSysTrayShell SavedShell{};
};

TEST_F(MainFormLines, OddL2tpFieldsReadAsNoL2tpAndTheFillGoesOn) {
    UseLineList(WithAddress(L"[East]\r\nOne=x,98%,1\r\nTwo=x,87%,yes\r\nThree=x,80%\r\nEmpty=\r\n"
                            L"Four=x\r\nFive=x,70%,0\r\n"));
    Form->LoadLineList();
    ClickTitle(Form->_zz);
    const std::vector<const ps*> rows = Rows();
    ASSERT_EQ(rows.size(), 5u);
    const wchar_t* names[] = {L"One", L"Two", L"Three", L"Four", L"Five"};
    const wchar_t* l2tp[] = {L"yes", L"-", L"-", L"-", L"-"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]->name, names[i]);
        EXPECT_EQ(rows[i]->l2tpstatus, l2tp[i]) << names[i];
        EXPECT_EQ(rows[i]->delay, L"NA") << names[i];
    }
    EXPECT_EQ(rows[1]->onlinerate, L"87%");
    EXPECT_EQ(Form->IPAddrTxt->Items()->Count(), 6);
}

// A proxy's page or a damaged list gives lines whose address does not decode to an address, or
// whose name is blank: neither the line box nor the view has them, so they cannot be dialled.
TEST_F(MainFormLines, LinesWithoutADecodableAddressOrANameAreLeftOut) {
    UseLineList(WithAddress(L"[East]\r\nGood=x,98%,1\r\nGarbage=%%%%%%%%,1%,0\r\n"
                            L"Plain=127.0.1.9,5%,0\r\n "
                            L"\t=x,2%,0\r\nHost=eGxSc05XMGRWcFRZa2RaMFkwZDRiRXh0Tld4a1FR,7%,0\r\n"
                            L"Empty=\r\nLast=x,3%,0\r\n"));
    Form->LoadLineList();
    ClickTitle(Form->_zz);
    std::vector<UnicodeString> names;
    for (const ps* row : Rows()) names.push_back(row->name);
    EXPECT_EQ(names, (std::vector<UnicodeString>{L"Good", L"Host", L"Last"}));
    EXPECT_EQ(Rows()[1]->ip, L"line.example.net");
    std::vector<UnicodeString> box;
    for (int i = 0; i < Form->IPAddrTxt->Items()->Count(); ++i)
        box.push_back(Form->IPAddrTxt->Items()->Strings(i));
    // A line without a value stays in the box: connecting to it reports the missing value.
    EXPECT_EQ(box, (std::vector<UnicodeString>{L"Good", L"Host", L"Empty", L"Last"}));
    Form->AreaTxt2Change(Form->AreaTxt2);
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Form->IPAddrTxt->Items()->Count(), 4);
}

// Changing the area during a batch test is refused; the box goes back to the area whose lines
// the line box and the view hold, during the test and after it.
TEST_F(MainFormLines, ARefusedAreaChangePutsTheAreaBoxBack) {
    UseLineList(WithAddress(L"[East]\r\nE1=x,1%,0\r\nE2=x,2%,0\r\n[West]\r\nW1=x,3%,0\r\n"));
    Form->LoadLineList();
    Form->AreaTxt2Change(Form->AreaTxt2);
    speed_running = true;
    Form->AreaTxt2->SetItemIndex(1);
    {
        TBoxAnswerer answerer;
        Form->AreaTxt2Change(Form->AreaTxt2);
        EXPECT_EQ(answerer.Text(), L"please close bat speed");
    }
    speed_running = false;
    EXPECT_EQ(Form->AreaTxt2->ItemIndex(), 0);
    std::vector<UnicodeString> names;
    for (const ps* row : Rows()) names.push_back(row->name);
    EXPECT_EQ(names, (std::vector<UnicodeString>{L"E1", L"E2"}));
    EXPECT_EQ(Form->IPAddrTxt->Items()->Count(), 2);
    EXPECT_EQ(Form->IPAddrTxt->Items()->Strings(0), L"E1");
    // After the test the user's choice goes through.
    Form->AreaTxt2->SetItemIndex(1);
    Form->AreaTxt2Change(Form->AreaTxt2);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0]->name, L"W1");
}

TEST_F(MainFormLines, TitleItemsLeaveOutTheSpecialAreasAndEndWithTheSelectedOne) {
    UseLineList(
        WithAddress(L"[Route]\r\nR=x,1%,0\r\n[East]\r\nE=x,2%,0\r\n[海外加速]\r\nH=x,3%,0\r\n"
                    L"[West]\r\nW=x,4%,1\r\n"));
    Form->LoadLineList();
    EXPECT_EQ(TitleCaptions(), (std::vector<UnicodeString>{L"East", L"West", L"Route"}));
    TsTitles* items = Form->sb->Items();
    EXPECT_EQ(Form->_zz, items->Items(2));
    EXPECT_EQ(Form->AreaTxt2->ItemIndex(), 0);
    ClickTitle(items->Items(2));
    ClickTitle(items->Items(1));
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0]->name, L"W");
    TFont* clicked = items->Items(1)->TitleButton->Font();
    EXPECT_TRUE(clicked->Style().Contains(fsBold));
    EXPECT_EQ(clicked->Color(), 0x008000);
    TFont* left = items->Items(2)->TitleButton->Font();
    EXPECT_FALSE(left->Style().Contains(fsBold));
    EXPECT_EQ(left->Color(), clWindowText);
    // The opened item's frame is empty and takes no room.
    ASSERT_NE(items->Items(1)->Frame, nullptr);
    EXPECT_EQ(items->Items(1)->Frame->Height(), 0);
    EXPECT_EQ(items->Items(1)->Frame->ControlCount(), 0);
}

TEST_F(MainFormLines, SortingByDelayPutsUnmeasuredLinesLastAndNeverTies) {
    UseLineList(WithAddress(L"[A]\r\nP=x,1%,0\r\nQ=x,1%,0\r\nR=x,1%,0\r\nS=x,1%,0\r\n"));
    Form->LoadLineList();
    ClickTitle(Form->_zz);
    TBaseVirtualTree* tree = Form->vt1->Tree();
    const wchar_t* delays[] = {L"NA", L"250", L"Unknown", L"30"};
    int i = 0;
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        tree->GetNodeData<ps>(node)->delay = delays[i++];
    PVirtualNode first = tree->GetFirst(), second = tree->GetNext(first);
    Integer result = 0;
    Form->vt1CompareNodes(tree, first, first, 1, result);
    EXPECT_EQ(result, -1);
    Form->vt1CompareNodes(tree, first, second, 1, result);
    EXPECT_EQ(result, 1);

    TVTHeaderHitInfo click;
    click.Column = 1;
    Form->vt1->OnHeaderClick(Form->vt1->Header(), click); // descending
    Form->vt1->OnHeaderClick(Form->vt1->Header(), click); // ascending again
    click.Column = NoColumn;
    Form->vt1->OnHeaderClick(Form->vt1->Header(), click); // released away: no change
    std::vector<UnicodeString> order;
    for (const ps* row : Rows()) order.push_back(row->delay);
    EXPECT_EQ(order[0], L"30");
    EXPECT_EQ(order[1], L"250");
}

TEST_F(MainFormLines, RefreshReloadsTheListFromTheServerAndKeepsItWhenTheReplyIsEmpty) {
    cur_server = localservers::Address(L"primary");
    UseLineList(L"[Old]\r\nO=x,1%,0\r\n");
    Form->LoadLineList();
    Form->N14Click(Form->N14);
    const std::vector<UnicodeString> areas{L"Route", L"East", L"北方"};
    EXPECT_EQ(AreaNames(), areas);
    EXPECT_EQ(TitleCaptions(), (std::vector<UnicodeString>{L"East", L"北方", L"Route"}));
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0]->name, L"Relay 1");
    EXPECT_EQ(Rows()[0]->ip, L"127.0.3.1");

    localservers::SetBehaviour(L"primary", R"({"vpnlist09_en.php": {"mode": "empty"}})");
    const TKitStreamIniFile* before = line_ini;
    TBoxAnswerer answerer;
    Form->N14Click(Form->N14);
    EXPECT_EQ(answerer.Text(), L"Unable to update the server list, please try again later");
    localservers::SetBehaviour(L"primary", "{}");
    EXPECT_EQ(line_ini, before);
    EXPECT_EQ(AreaNames(), areas);
    EXPECT_EQ(Rows().size(), 1u);
    cur_server.clear();
}

TEST_F(MainFormLines, TheTrayIconStaysOffUntilEnabledAndGoesWhenDisabled) {
    EXPECT_FALSE(Form->SysTrayIcon1->Enabled());
    EXPECT_EQ(std::count(TrayMessages.begin(), TrayMessages.end(), NIM_ADD), 0);
    Form->SysTrayIcon1->SetEnabled(true);
    ASSERT_FALSE(TrayMessages.empty());
    EXPECT_EQ(TrayMessages.back(), static_cast<DWORD>(NIM_ADD));
    Form->SysTrayIcon1->SetEnabled(false);
    EXPECT_EQ(TrayMessages.back(), static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(Form->SysTrayIcon1->PopupMenu(), Form->taskmenu1);
}

TEST_F(MainFormLines, TheVersionTimerShowsTwoBalloonsForVersion91AndStopsAtItsThirdTick) {
    new_version = L"9.1";
    update_tips = 0;
    Form->SysTrayIcon1->SetEnabled(true);
    Form->vercheck->SetEnabled(true);
    for (int tick = 0; tick < 3; ++tick) Form->vercheckTimer(Form->vercheck);
    const std::pair<UnicodeString, UnicodeString> balloon{
        L"Update Info", L"There have been updated version, the old version may not be available, "
                        L"we strongly recommend that you download the latest version"};
    EXPECT_EQ(Balloons, (std::vector<std::pair<UnicodeString, UnicodeString>>{balloon, balloon}));
    EXPECT_FALSE(Form->vercheck->Enabled());
    EXPECT_EQ(Form->vercheck->Interval(), 15000u);
    Form->SysTrayIcon1->SetEnabled(false);
    new_version.clear();
    update_tips = 0;
}

TEST(MainFormView, DelayBands) {
    const std::pair<Integer, TColor> bands[] = {{0, 0x9BFFAA},   {200, 0x9BFFAA}, {201, 0x96FFC8},
                                                {250, 0x96FFC8}, {251, 0x8CFFE1}, {300, 0x8CFFE1},
                                                {301, 0x8CFFF0}, {5000, 0x8CFFF0}};
    for (const auto& [delay, expected] : bands) {
        TColor color = clNone;
        EXPECT_TRUE(DelayBandColor(delay, color)) << delay;
        EXPECT_EQ(color, expected) << delay;
    }
    TColor untouched = clNone;
    EXPECT_FALSE(DelayBandColor(-1, untouched));
    EXPECT_EQ(untouched, clNone);
}

} // namespace
