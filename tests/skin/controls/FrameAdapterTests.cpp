#include "skin/controls/sFrameAdapter.h"
#include "skin/window/sSkinProvider.h"

#include "SkinTesting.h"
#include "SkinnedTesting.h"

#include <vector>

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

namespace {

TComponent* RefusedItem = nullptr;

void RefuseOne(TComponent* Item, bool& CanBeAdded, UnicodeString&) {
    if (Item == RefusedItem) CanBeAdded = false;
}

// A skinned form's control adapter, with the frame adapter's module started as the program's
// start-up starts it.
class FrameOnASkinnedForm : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        FrameAdapterModule().Initialize();
    }
    void TearDown() override {
        FrameAdapterModule().Finalize();
        SkinnedFormTest::TearDown();
    }
    static std::vector<TsFrameAdapter*> AdaptersOf(TComponent* Owner) {
        std::vector<TsFrameAdapter*> found;
        for (int i = 0; i < Owner->ComponentCount(); ++i)
            if (auto* adapter = dynamic_cast<TsFrameAdapter*>(Owner->Components(i)))
                found.push_back(adapter);
        return found;
    }
};

} // namespace

TEST_F(FrameOnASkinnedForm, TheFormsControlAdapterGivesAFrameOneAdapterInTheGroupBoxSection) {
    auto* provider = Construct<TsSkinProvider>(Form);
    auto* frame = Place<TFrame>(TRect(8, 8, 200, 120));
    auto* refused = Place<TFrame>(TRect(8, 130, 200, 200));
    RefusedItem = refused;
    provider->OnSkinItem = TAddItemEvent(&RefuseOne);
    Form->HandleNeeded();
    ApplySkin();
    ASSERT_TRUE(provider->Adapter());
    const std::vector<TsFrameAdapter*> adapters = AdaptersOf(frame);
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->Frame, frame);
    EXPECT_EQ(adapters[0]->SkinData()->SkinSection(), L"GROUPBOX");
    EXPECT_EQ(AskIsSkinned(frame), 1);
    EXPECT_EQ(provider->Adapter()->Count(), 0); // an adapter, not an item
    EXPECT_TRUE(AdaptersOf(refused).empty());
    // A frame with its adapter answers that it is skinned: the next walk leaves it alone.
    provider->Adapter()->AddAllItems();
    EXPECT_EQ(AdaptersOf(frame).size(), 1u);
}

TEST_F(FrameOnASkinnedForm, WithoutTheModuleAFrameStaysAsItIs) {
    FrameAdapterModule().Finalize();
    auto* provider = Construct<TsSkinProvider>(Form);
    auto* frame = Place<TFrame>(TRect(8, 8, 200, 120));
    Form->HandleNeeded();
    ApplySkin();
    ASSERT_TRUE(provider->Adapter());
    EXPECT_TRUE(AdaptersOf(frame).empty());
    EXPECT_EQ(AskIsSkinned(frame), 0);
}
