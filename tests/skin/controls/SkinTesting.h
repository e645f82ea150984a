// Helpers of the skinned-control tests: the application and screen for each test, a pump with a
// deadline, and a probe control that records the skin commands it receives.
#pragma once

#include "framework/Forms.h"
#include "framework/ModuleInit.h"
#include "skin/engine/sConst.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

class SkinTest : public testing::Test {
protected:
    void SetUp() override { FFramework.Initialize(); }
    void TearDown() override {
        FFramework.Finalize();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

private:
    TModuleEntry FFramework = FrameworkModule();
};

// A plain form for the controls of a test, made and freed around each test.
class SkinFormTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        Form = new TForm(nullptr);
        Form->SetBounds(30, 30, 300, 200);
    }
    void TearDown() override {
        Form->Free();
        SkinTest::TearDown();
    }
    TForm* Form = nullptr;
};

// A skin command's answer.
inline LRESULT Ask(TControl* control, WORD command, LPARAM lParam = 0) {
    return control->Perform(SM_ALPHACMD, SkinWParam(command), lParam);
}

// Handles messages until `done` answers True or `ms` pass; answers `done`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < ms) {
        Application->ProcessMessages();
        Sleep(1);
    }
    return done();
}

// A windowed control that notes every skin command; `OnCommand` may answer one.
class TSkinProbe : public TCustomControl {
    CLASS_INFO(TSkinProbe, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    std::vector<WORD> Commands;
    std::function<bool(TMessage&)> OnCommand;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == SM_ALPHACMD) {
            Commands.push_back(SkinCommandOf(Message.WParam));
            if (OnCommand && OnCommand(Message)) return;
        }
        TCustomControl::WndProc(Message);
    }
};
