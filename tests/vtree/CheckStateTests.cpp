// Check states: the next state of a press, tri-state tracking, refusals, radio exclusion and
// counting.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {

struct TCheckRules {
    PVirtualNode RefuseNode = nullptr;
    std::vector<PVirtualNode> Asked;
    void Checking(TBaseVirtualTree*, PVirtualNode Node, TCheckState&, bool& Allowed) {
        Asked.push_back(Node);
        if (Node == RefuseNode) Allowed = false;
    }
};

class CheckTest : public ::testing::Test {
protected:
    TCheckRules rules;
    TTreePtr<TTestTree> tree = MakeTree<TTestTree>();
    TRecorder r;

    void SetUp() override {
        r.Attach(*tree);
        tree->OnChecking = TVTCheckChangingEvent(&rules, &TCheckRules::Checking);
        auto* options = tree->TreeOptions();
        options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toCheckSupport});
    }
    void Types(std::initializer_list<const wchar_t*> Names, TCheckType Type) {
        for (const wchar_t* name : Names) tree->SetCheckType(r.Find(name), Type);
    }
    TCheckState State(const wchar_t* Name) { return r.Find(Name)->CheckState; }
};

} // namespace

TEST_F(CheckTest, NextCheckStateTable) {
    struct Case {
        TCheckType Type;
        TCheckState From, To;
    };
    const Case cases[] = {
        {ctCheckBox, csCheckedNormal, csUncheckedNormal},
        {ctCheckBox, csMixedNormal, csCheckedNormal},
        {ctCheckBox, csUncheckedNormal, csCheckedNormal},
        {ctTriStateCheckBox, csCheckedNormal, csUncheckedNormal},
        {ctRadioButton, csUncheckedNormal, csCheckedNormal},
        {ctRadioButton, csCheckedNormal, csCheckedNormal},
        {ctButton, csCheckedNormal, csUncheckedNormal},
        {ctNone, csUncheckedNormal, csMixedNormal},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tree->NextCheckState(c.Type, c.From), c.To) << c.Type << " " << c.From;
}

TEST_F(CheckTest, TriStateParentFollowsItsChildren) {
    r.Build(*tree, L"P(A,B,C)");
    Types({L"P", L"A", L"B", L"C"}, ctTriStateCheckBox);
    tree->SetCheckState(r.Find(L"P"), csCheckedNormal);
    EXPECT_EQ(State(L"A"), csCheckedNormal);
    EXPECT_EQ(State(L"C"), csCheckedNormal);
    EXPECT_EQ(State(L"P"), csCheckedNormal);
    tree->SetCheckState(r.Find(L"B"), csUncheckedNormal);
    EXPECT_EQ(State(L"P"), csMixedNormal);
    tree->SetCheckState(r.Find(L"A"), csUncheckedNormal);
    tree->SetCheckState(r.Find(L"C"), csUncheckedNormal);
    EXPECT_EQ(State(L"P"), csUncheckedNormal);
    EXPECT_FALSE(tree->TreeStates().Contains(tsCheckPropagation));
}

TEST_F(CheckTest, RefusingChildKeepsItsStateAndMakesTheParentMixed) {
    r.Build(*tree, L"P(A,B)");
    Types({L"P", L"A", L"B"}, ctTriStateCheckBox);
    rules.RefuseNode = r.Find(L"B");
    tree->SetCheckState(r.Find(L"P"), csCheckedNormal);
    EXPECT_EQ(State(L"A"), csCheckedNormal);
    EXPECT_EQ(State(L"B"), csUncheckedNormal);
    EXPECT_EQ(State(L"P"), csMixedNormal);
}

TEST_F(CheckTest, RadioButtonExcludesItsSiblingsSilently) {
    r.Build(*tree, L"A,B,C");
    Types({L"A", L"B", L"C"}, ctRadioButton);
    tree->SetCheckState(r.Find(L"A"), csCheckedNormal);
    rules.Asked.clear();
    r.Log.clear();
    tree->SetCheckState(r.Find(L"C"), csCheckedNormal);
    EXPECT_EQ(State(L"A"), csUncheckedNormal);
    EXPECT_EQ(State(L"C"), csCheckedNormal);
    EXPECT_EQ(rules.Asked, std::vector<PVirtualNode>{r.Find(L"C")});
    EXPECT_EQ(Narrow(r.Joined()), "init C; checked C");
}

TEST_F(CheckTest, CheckedCountCountsOnlyCheckedNormal) {
    r.Build(*tree, L"A,B,C,D");
    r.Find(L"A")->CheckState = csCheckedNormal;
    r.Find(L"B")->CheckState = csCheckedPressed;
    r.Find(L"C")->CheckState = csMixedNormal;
    r.Find(L"D")->CheckState = csCheckedNormal;
    EXPECT_EQ(tree->CheckedCount(), 2);
}

TEST_F(CheckTest, ReadOnlyAndDisabledRefuseChanges) {
    r.Build(*tree, L"A,B");
    Types({L"A", L"B"}, ctCheckBox);
    tree->SetCheckState(r.Find(L"A"), csCheckedNormal);
    tree->SetIsDisabled(r.Find(L"B"), true);
    tree->SetCheckState(r.Find(L"B"), csCheckedNormal);
    EXPECT_EQ(State(L"B"), csUncheckedNormal);
    auto* options = tree->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toReadOnly});
    tree->ClearChecked();
    EXPECT_EQ(State(L"A"), csCheckedNormal);
}

TEST_F(CheckTest, PressAndReleaseApplyThePendingState) {
    r.Build(*tree, L"A");
    Types({L"A"}, ctCheckBox);
    tree->BeginCheckPress(r.Find(L"A"));
    EXPECT_EQ(State(L"A"), csUncheckedPressed);
    tree->EndCheckPress(true);
    EXPECT_EQ(State(L"A"), csCheckedNormal);
    tree->BeginCheckPress(r.Find(L"A"));
    tree->EndCheckPress(false);
    EXPECT_EQ(State(L"A"), csCheckedNormal);
    EXPECT_EQ(tree->CheckNode(), nullptr);
}
