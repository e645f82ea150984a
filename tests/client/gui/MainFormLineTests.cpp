// The main window's line list and view inside this process: the window is built without its
// creation handler (no login), given a line list, and looked at through its own components.
#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"

#include "framework/ModuleInit.h"
#include "support/KitThreadPool/KitIni.h"
#include "support/XtThread/XtThread.h"

#include <gtest/gtest.h>

namespace {

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
        InitializeModules({FrameworkModule(), XtThreadModule(), AppSharedModule()});
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\dedirorer");
        lang_code = LangEnglish;
        Form = Construct<TMainWithoutLogin>(nullptr);
        Form->vt1->Tree()->SetNodeDataSize(sizeof(ps));
    }
    void TearDown() override {
        Form->Free();
        FreeAndNil(line_ini);
        lang_code = LangNone;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\dedirorer");
        FinalizeModules();
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
    TMainWithoutLogin* Form = nullptr;
};

TEST_F(MainFormLines, OddL2tpFieldsReadAsNoL2tpAndTheFillGoesOn) {
    UseLineList(L"[East]\r\nOne=x,98%,1\r\nTwo=x,87%,yes\r\nThree=x,80%\r\nEmpty=\r\n"
                L"Four=x\r\nFive=x,70%,0\r\n");
    Form->LoadLineList();
    Form->sb->Click(Form->_zz);
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

TEST_F(MainFormLines, TitleItemsLeaveOutTheSpecialAreasAndEndWithTheSelectedOne) {
    UseLineList(L"[Route]\r\nR=x,1%,0\r\n[East]\r\nE=x,2%,0\r\n[海外加速]\r\nH=x,3%,0\r\n"
                L"[West]\r\nW=x,4%,1\r\n");
    Form->LoadLineList();
    std::vector<UnicodeString> captions;
    for (int i = 0; i < Form->sb->Count(); ++i) captions.push_back(Form->sb->Item(i)->Caption());
    EXPECT_EQ(captions, (std::vector<UnicodeString>{L"East", L"West", L"Route"}));
    EXPECT_EQ(Form->_zz, Form->sb->Item(2));
    EXPECT_EQ(Form->AreaTxt2->ItemIndex(), 0);
    Form->sb->Click(Form->sb->Item(1));
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0]->name, L"W");
    EXPECT_TRUE(Form->sb->Item(1)->Bold);
    EXPECT_EQ(Form->sb->Item(1)->FontColor, 0x008000);
}

TEST_F(MainFormLines, SortingByDelayPutsUnmeasuredLinesLastAndNeverTies) {
    UseLineList(L"[A]\r\nP=x,1%,0\r\nQ=x,1%,0\r\nR=x,1%,0\r\nS=x,1%,0\r\n");
    Form->LoadLineList();
    Form->sb->Click(Form->_zz);
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
