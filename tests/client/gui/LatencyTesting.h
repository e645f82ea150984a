// The main window inside the test process for the latency tests: built without its creation
// handler (no login), made the process's `frmmain`, with lines put straight into its view and
// the line box. Also a wait that handles the window's messages and the workers' hand-overs.
#pragma once

#include "client/gui/MainForm.h"

#include "client/AppShared.h"

#include "framework/Application.h"
#include "framework/ModuleInit.h"
#include "support/NetPing/NetWndControl.h"
#include "support/XtThread/XtThread.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

class TMainWithoutLogin : public Tfrmmain {
public:
    using Tfrmmain::Tfrmmain;

protected:
    void DoCreate() override {}
};

struct TTestLine {
    const wchar_t* Name;
    const wchar_t* Address;
};

class LatencyFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeModules(
            {FrameworkModule(), XtThreadModule(), NetWndControlModule(), AppSharedModule()});
        lang_code = LangEnglish;
        Form = Construct<TMainWithoutLogin>(nullptr);
        frmmain = Form;
        Form->vt1->Tree()->SetNodeDataSize(sizeof(ps));
        // The boxes' texts are their selected items' only once they have windows.
        Form->IPAddrTxt->HandleNeeded();
        Form->AreaTxt2->HandleNeeded();
    }
    void TearDown() override {
        Form->Free();
        frmmain = nullptr;
        lang_code = LangNone;
        FinalizeModules();
    }
    TBaseVirtualTree* Tree() const { return Form->vt1->Tree(); }
    // Adds the lines to the view and their names to the line box, whose first is chosen.
    void AddLines(const std::vector<TTestLine>& lines) {
        for (const TTestLine& line : lines) {
            PVirtualNode node = Tree()->AddChild(nullptr);
            ps* record = new (Tree()->GetNodeData(node)) ps();
            record->name = line.Name;
            record->ip = line.Address;
            record->delay = L"NA";
            Form->IPAddrTxt->Items()->Add(line.Name);
        }
        Form->IPAddrTxt->SetItemIndex(0);
    }
    std::vector<const ps*> Rows() const {
        std::vector<const ps*> rows;
        for (PVirtualNode node = Tree()->GetFirst(); node; node = Tree()->GetNext(node))
            rows.push_back(Tree()->GetNodeData<ps>(node));
        return rows;
    }
    // Handles messages and hand-overs until `done` holds; false when it does not within a
    // minute (a hang guard, not a measure of speed).
    bool HandleUntil(const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 60000) return false;
            CheckSynchronize(5);
            Application->ProcessMessages();
        }
        return true;
    }
    // The rows as "name=delay/losses" and the pool counters, for failure messages.
    std::wstring Described() const {
        std::wstring text;
        for (const ps* row : Rows())
            text += row->name + L"=" + row->delay + L"/" + std::to_wstring(row->losttimes) + L" ";
        return text + Form->lbl_info->Caption();
    }
    bool AllMeasured() const {
        for (const ps* row : Rows())
            if (row->delay == L"NA") return false;
        return true;
    }
    TMainWithoutLogin* Form = nullptr;
};
