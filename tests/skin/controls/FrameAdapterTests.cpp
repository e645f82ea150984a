#include "skin/controls/sFrameAdapter.h"

#include "SkinTesting.h"

namespace {

// Another handler on the frame's chain: counts what passes and hands it on.
struct THook {
    TControl* Control;
    TWndMethod Saved;
    int Seen = 0;
    void Install() {
        Saved = Control->WindowProc();
        Control->SetWindowProc(TWndMethod(this, &THook::Proc));
    }
    void Remove() { Control->SetWindowProc(Saved); }
    void Proc(TMessage& Message) {
        if (Message.Msg == SM_ALPHACMD) ++Seen;
        Saved(Message);
    }
};

LRESULT AskIsSkinned(TControl* control) {
    return control->Perform(SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0);
}

class FrameAdapter : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        Form = new TForm(nullptr);
        Frame = new TFrame(Form);
        Frame->SetParent(Form);
    }
    void TearDown() override {
        Form->Free();
        SkinTest::TearDown();
    }
    TForm* Form = nullptr;
    TFrame* Frame = nullptr;
};

TEST_F(FrameAdapter, AnswersForTheFrameAndLeavesInEitherOrder) {
    for (bool adapterFirst : {true, false}) {
        EXPECT_EQ(AskIsSkinned(Frame), 0);
        auto* adapter = Construct<TsFrameAdapter>(Frame);
        THook hook{Frame};
        hook.Install();
        EXPECT_EQ(AskIsSkinned(Frame), 1);
        EXPECT_EQ(hook.Seen, 1);
        EXPECT_EQ(Frame->Perform(SM_ALPHACMD, SkinWParam(SKCMD_GETAPPLICATION), 0),
                  reinterpret_cast<LRESULT>(Application));
        EXPECT_EQ(Frame->Perform(SM_ALPHACMD, SkinWParam(SKCMD_GETSKININDEX), 0), 0);
        if (adapterFirst) {
            adapter->Free();
            EXPECT_EQ(AskIsSkinned(Frame), 0);
            EXPECT_EQ(hook.Seen, 4); // the hook stays in the chain
            hook.Remove();
        } else {
            hook.Remove();
            EXPECT_EQ(AskIsSkinned(Frame), 1);
            adapter->Free();
            EXPECT_EQ(AskIsSkinned(Frame), 0);
            EXPECT_EQ(hook.Seen, 3);
        }
    }
}

TEST_F(FrameAdapter, SectionAndCodeOfTheAdapter) {
    auto* adapter = Construct<TsFrameAdapter>(Frame);
    EXPECT_EQ(adapter->Frame, Frame);
    EXPECT_EQ(adapter->SkinData()->SkinSection(), L"GROUPBOX");
    EXPECT_EQ(adapter->SkinData()->COC, 226);
    EXPECT_EQ(adapter->SkinData()->FOwnerControl, Frame);
    EXPECT_FALSE(adapter->SkinData()->Skinned());
}

TEST_F(FrameAdapter, GoesWithItsFrame) {
    Construct<TsFrameAdapter>(Frame);
    Frame->HandleNeeded();
    Frame->Free(); // the window goes while the adapter is still installed
    Frame = nullptr;
    SUCCEED();
}

TEST_F(FrameAdapter, AnotherOwnerGetsTheErrorAndNoAdapter) {
    static std::vector<UnicodeString> shown;
    shown.clear();
    auto* saved = TsFrameAdapter::ShowPlacementError;
    TsFrameAdapter::ShowPlacementError = [](const UnicodeString& text) { shown.push_back(text); };
    auto* adapter = Construct<TsFrameAdapter>(Form);
    TsFrameAdapter::ShowPlacementError = saved;
    EXPECT_EQ(adapter->Frame, nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], L"TsFrameAdapter adapter must be placed on the handled frame");
    EXPECT_EQ(AskIsSkinned(Form), 0);
}

TEST_F(FrameAdapter, ShowingTheFrameTellsItsChildrenToReadTheirSkin) {
    auto* child = new TSkinProbe(Form);
    child->SetParent(Frame);
    std::vector<WORD> parameters;
    child->OnCommand = [&](TMessage& m) {
        if (SkinCommandOf(m.WParam) == SKCMD_ISSKINNED) m.Result = 1;
        if (SkinCommandOf(m.WParam) != SKCMD_SKINLOADED)
            return SkinCommandOf(m.WParam) == SKCMD_ISSKINNED;
        parameters.push_back(SkinParameterOf(m.WParam));
        return true;
    };
    Construct<TsFrameAdapter>(Frame);
    Form->Show();
    Frame->Hide();
    parameters.clear();
    Frame->Show();
    ASSERT_FALSE(parameters.empty());
    for (WORD parameter : parameters) EXPECT_EQ(parameter, 1);
}

} // namespace
