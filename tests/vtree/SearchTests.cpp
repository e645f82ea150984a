// Incremental search: matching, cycling, Backspace, wrap-around, the step policies, and the
// time-out through the timer service.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {

class SearchTest : public ::testing::Test {
protected:
    TTreePtr<TTestTree> tree = MakeTree<TTestTree>();
    TRecorder r;
    TRecordingSink sink;
    TManualTimers timers;

    void SetUp() override {
        r.Attach(*tree);
        tree->SetViewSink(&sink);
        tree->SetTimerService(&timers);
        tree->SetIncrementalSearch(isAll);
    }
    void TearDown() override {
        tree->SetViewSink(nullptr);
        tree->SetTimerService(nullptr);
    }
    void Type(const wchar_t* Text) {
        for (; *Text; ++Text) tree->HandleIncrementalSearch(static_cast<Word>(*Text));
    }
    std::string Focused() { return Narrow(r.Name(tree->FocusedNode())); }
};

} // namespace

TEST_F(SearchTest, NoSearchTypingDoesNothing) {
    r.Build(*tree, L"apple,banana");
    tree->SetIncrementalSearch(isNone);
    Type(L"b");
    EXPECT_EQ(tree->FocusedNode(), nullptr);
    EXPECT_TRUE(timers.Running.empty());
}

TEST_F(SearchTest, RepeatedLetterCyclesAndLongerTextStays) {
    r.Build(*tree, L"apple,avocado,banana,aardvark");
    Type(L"a");
    EXPECT_EQ(Focused(), "apple");
    Type(L"a");
    EXPECT_EQ(Focused(), "avocado");
    Type(L"a");
    EXPECT_EQ(Focused(), "aardvark");
    // On a node that matches the doubled letter, the letter extends the text instead.
    Type(L"a");
    EXPECT_EQ(Focused(), "aardvark");
    EXPECT_EQ(Narrow(tree->SearchBuffer()), "aa");
    EXPECT_EQ(tree->SelectedCount(), 1u);
    EXPECT_TRUE(tree->Selected(r.Find(L"aardvark")));
    EXPECT_EQ(timers.Running[SearchTimer], 1000u);
    timers.Fire(*tree, SearchTimer);
    EXPECT_TRUE(tree->SearchBuffer().empty());
    Type(L"a");
    EXPECT_EQ(Focused(), "apple");
}

TEST_F(SearchTest, BackspaceShortensAndSearchesBackwards) {
    r.Build(*tree, L"car,cart,cat");
    Type(L"cat");
    EXPECT_EQ(Focused(), "cat");
    tree->HandleIncrementalSearch(8);
    EXPECT_EQ(Narrow(tree->SearchBuffer()), "ca");
    EXPECT_EQ(Focused(), "cart");
    tree->HandleIncrementalSearch(8);
    tree->HandleIncrementalSearch(8);
    tree->HandleIncrementalSearch(8); // empty buffer: only restarts the time-out
    EXPECT_TRUE(tree->SearchBuffer().empty());
    EXPECT_TRUE(timers.Running.count(SearchTimer));
}

TEST_F(SearchTest, WrapsAroundAndBeepsOnlyWhenNothingMatches) {
    r.Build(*tree, L"kiwi,lime,lemon");
    tree->SetFocusedNode(r.Find(L"lemon"));
    Type(L"k");
    EXPECT_EQ(Focused(), "kiwi");
    EXPECT_EQ(sink.Beeps, 0);
    timers.Fire(*tree, SearchTimer);
    Type(L"z");
    EXPECT_EQ(Focused(), "kiwi");
    EXPECT_EQ(sink.Beeps, 1);
}

TEST_F(SearchTest, MatchIsACaseSensitivePrefix) {
    r.Build(*tree, L"Xylophone,axe,xenon");
    Type(L"x");
    EXPECT_EQ(Focused(), "xenon");
}

TEST_F(SearchTest, VisibleOnlyNeverLandsInACollapsedParent) {
    r.Build(*tree, L"A(target),tail");
    tree->ToggleNode(r.Find(L"A"));
    tree->SetIncrementalSearch(isVisibleOnly);
    Type(L"t");
    EXPECT_EQ(Focused(), "tail");
}

TEST_F(SearchTest, InitializedOnlyNeverInitialises) {
    tree->SetRootNodeCount(3);
    r.Names[tree->GetFirstNoInit()] = L"one";
    r.Names[tree->GetLastNoInit()] = L"three";
    tree->GetLast(); // initialises "three" only
    tree->SetIncrementalSearch(isInitializedOnly);
    r.InitCount = 0;
    Type(L"t");
    EXPECT_EQ(Focused(), "three");
    Type(L"o");
    EXPECT_EQ(r.InitCount, 0);
}
