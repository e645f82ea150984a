#include "InputFixture.h"

#include <chrono>

namespace {

using namespace vtree_test;

// Notes the threads that initialise or measure nodes.
struct TThreadLog {
    DWORD Gui = GetCurrentThreadId();
    int Foreign = 0;
    void OnInitNode(TBaseVirtualTree*, PVirtualNode, PVirtualNode, TVirtualNodeInitStates&) {
        Note();
    }
    void OnMeasureItem(TBaseVirtualTree*, TCanvas*, PVirtualNode, Integer& Height) {
        Note();
        Height = 25;
    }
    void Note() {
        if (GetCurrentThreadId() != Gui) ++Foreign;
    }
};

class VTValidation : public TInputFixture {
protected:
    TThreadLog Threads;
    VTValidation() {
        Tree().OnInitNode = TVTInitNodeEvent(&Threads, &TThreadLog::OnInitNode);
        Tree().OnMeasureItem = TVTMeasureItemEvent(&Threads, &TThreadLog::OnMeasureItem);
    }
    bool Has(TVirtualTreeState State) { return Tree().TreeStates().Contains(State); }
    // Pumps the GUI thread's messages until the worker has let the tree go (or a generous
    // deadline passes: a hang fails, speed is not measured).
    void PumpUntilIdle() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while ((Window->ValidationPending() || Has(tsValidating)) &&
               std::chrono::steady_clock::now() < deadline) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        ASSERT_FALSE(Window->ValidationPending()) << "the worker never finished";
    }
};

TEST_F(VTValidation, WorkerBuildsTheCacheOfALargeTree) {
    Tree().SetRootNodeCount(100000);
    PumpUntilIdle();
    EXPECT_TRUE(Has(tsUseCache));
    EXPECT_FALSE(Has(tsValidationNeeded));
    const TCache& cache = Tree().PositionCache();
    ASSERT_EQ(cache.size(), 50u);
    const Cardinal height = Tree().DefaultNodeHeight();
    for (std::size_t i : {std::size_t(0), std::size_t(1), std::size_t(49)})
        EXPECT_EQ(cache[i].AbsoluteTop, i * 2000 * height) << i;
    EXPECT_EQ(Threads.Foreign, 0) << "the worker initialised or measured nodes";
    PVirtualNode last = Tree().GetLast();
    Integer top = 0;
    EXPECT_EQ(Tree().GetNodeAt(0, static_cast<Integer>(99999 * height + 1), false, top), last)
        << "lookups through the cache";

    Tree().AddChild(nullptr);
    EXPECT_FALSE(Has(tsUseCache)) << "a change voids the cache";
    PumpUntilIdle();
    EXPECT_TRUE(Has(tsUseCache)) << "and the next validation restores it";
}

TEST_F(VTValidation, CancelLeavesTheCacheInvalidAndNothingRunning) {
    Tree().SetRootNodeCount(100000);
    Window->CancelValidation();
    EXPECT_FALSE(Window->ValidationPending());
    EXPECT_FALSE(Has(tsValidating));
    EXPECT_FALSE(Has(tsUseCache));
    EXPECT_TRUE(Has(tsValidationNeeded));
    Window->RequestValidation();
    PumpUntilIdle();
    EXPECT_TRUE(Has(tsUseCache)) << "a later request still gets served";
}

TEST_F(VTValidation, SmallTreesBuildNoCache) {
    Tree().SetRootNodeCount(1500);
    PumpUntilIdle();
    EXPECT_FALSE(Has(tsUseCache));
    EXPECT_TRUE(Tree().PositionCache().empty());
}

TEST_F(VTValidation, UnmeasuredVariableHeightsStopTheWorker) {
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toVariableNodeHeight});
    Tree().SetRootNodeCount(10000);
    PumpUntilIdle();
    EXPECT_FALSE(Has(tsUseCache)) << "nodes it could not read without measuring";
    EXPECT_TRUE(Has(tsValidationNeeded));
    EXPECT_EQ(Threads.Foreign, 0);
}

// Notes a node's height at the moment the tree asks the worker to stop.
struct TStopWatch {
    PVirtualNode Node = nullptr;
    int HeightAtStop = -1;
    void OnStateChange(TBaseVirtualTree*, TVirtualTreeStates Enter, TVirtualTreeStates) {
        if (Enter.Contains(tsStopValidation) && HeightAtStop < 0) HeightAtStop = Node->NodeHeight;
    }
};

TEST_F(VTValidation, AHeightChangeStopsTheWorkerFirstAndAsksForValidationAgain) {
    Tree().SetRootNodeCount(100000);
    PumpUntilIdle();
    TStopWatch watch;
    watch.Node = Tree().GetFirst();
    // The worker's message that it starts on the tree: from here on it reads the heights.
    constexpr WPARAM ValidatingBit = 4;
    Window->Perform(0x8020, ValidatingBit, 0);
    ASSERT_TRUE(Has(tsValidating));
    Tree().OnStateChange = TVTStateChangeEvent(&watch, &TStopWatch::OnStateChange);
    Tree().SetNodeHeight(watch.Node, 40);
    EXPECT_EQ(watch.HeightAtStop, 18) << "the worker is stopped before the height changes";
    EXPECT_FALSE(Has(tsUseCache));
    Tree().OnStateChange = {};
    Window->Perform(0x8020, 0, ValidatingBit);
    PumpUntilIdle();
    EXPECT_TRUE(Has(tsUseCache)) << "validated again after the change";
    ASSERT_EQ(Tree().PositionCache().size(), 50u);
    EXPECT_EQ(Tree().PositionCache()[1].AbsoluteTop, 2000u * 18 + 22) << "with the new height";
}

} // namespace
