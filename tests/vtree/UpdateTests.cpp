// Update batching, structure-change notification with and without a delay, node heights and
// long operations.
#include "TreeFixture.h"

using namespace vtree_test;

TEST(Update, NestedUpdatesReportOnceWithAnAccumulatedReason) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    tree->BeginUpdate();
    tree->BeginUpdate();
    tree->AddChild(nullptr);
    tree->EndUpdate();
    tree->InsertNode(nullptr, amAddChildLast);
    tree->EndUpdate();
    EXPECT_EQ(Narrow(r.Joined()), "updating 0; updating 3; updating 3; structure ? 1; updating 4");
}

TEST(Update, AddChildReportsItsParentAtOnceWithoutDelay) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    PVirtualNode a = tree->AddChild(nullptr);
    r.Names[a] = L"A";
    r.Log.clear();
    tree->AddChild(a);
    EXPECT_EQ(Narrow(r.Joined()), "init A; structure A 2");
}

TEST(Update, DelayedStructureChangeComesFromTheTimerAccumulated) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    TManualTimers timers;
    tree->SetTimerService(&timers);
    tree->SetChangeDelay(100);
    tree->AddChild(nullptr);
    EXPECT_TRUE(r.Log.empty());
    EXPECT_EQ(timers.Running[StructureChangeTimer], 100u);
    timers.Fire(*tree, StructureChangeTimer);
    EXPECT_EQ(Narrow(r.Joined()), "structure nil 1");
    EXPECT_FALSE(tree->TreeStates().Contains(tsStructureChangePending));
    tree->SetTimerService(nullptr);
}

TEST(Update, DefaultNodeHeightZeroMeansEighteenAndOldNodesKeepTheirs) {
    auto tree = MakeTree();
    PVirtualNode old = tree->AddChild(nullptr);
    tree->SetDefaultNodeHeight(30);
    PVirtualNode fresh = tree->AddChild(nullptr);
    EXPECT_EQ(old->NodeHeight, 18);
    EXPECT_EQ(fresh->NodeHeight, 30);
    EXPECT_EQ(tree->RootNode()->TotalHeight, 30u + 18u + 30u);
    tree->SetDefaultNodeHeight(0);
    EXPECT_EQ(tree->DefaultNodeHeight(), 18u);
}

TEST(Update, HeightsAreClampedBeforeTheyAreStoredAndPropagated) {
    struct Case {
        Cardinal Requested;
        Word Stored;
    };
    for (const Case c :
         {Case{0, 1}, Case{1, 1}, Case{40, 40}, Case{65535, 65535}, Case{70000, 65535}}) {
        auto tree = MakeTree();
        PVirtualNode node = tree->AddChild(nullptr);
        tree->SetNodeHeight(node, c.Requested);
        EXPECT_EQ(node->NodeHeight, c.Stored) << c.Requested;
        EXPECT_EQ(node->TotalHeight, c.Stored) << c.Requested;
        EXPECT_EQ(tree->RootNode()->TotalHeight, 18u + c.Stored) << c.Requested;
    }
}

namespace {
struct TMeasurer {
    int Calls = 0;
    Integer Height = 40;
    void Measure(TBaseVirtualTree*, TCanvas*, PVirtualNode, Integer& NodeHeight) {
        ++Calls;
        NodeHeight = Height;
    }
};
} // namespace

TEST(Update, VariableHeightsAreMeasuredOnceUntilReinitialised) {
    TMeasurer measurer;
    auto tree = MakeTree();
    tree->OnMeasureItem = TVTMeasureItemEvent(&measurer, &TMeasurer::Measure);
    auto* options = tree->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toVariableNodeHeight});
    tree->SetRootNodeCount(2);
    EXPECT_EQ(tree->GetNodeAt(0, 45), tree->GetFirstNoInit()->NextSibling);
    EXPECT_EQ(measurer.Calls, 2);
    tree->GetNodeAt(0, 45);
    EXPECT_EQ(measurer.Calls, 2);
    measurer.Height = 1000000; // clamped
    tree->ReinitNode(tree->GetFirstNoInit(), false);
    tree->GetNodeAt(0, 0);
    EXPECT_EQ(measurer.Calls, 3);
    EXPECT_EQ(tree->GetFirstNoInit()->NodeHeight, 65535);
    EXPECT_EQ(tree->RootNode()->TotalHeight, 18u + 65535u + 40u);
}

TEST(Update, OperationsCancelOnlyWhileOneRuns) {
    auto tree = MakeTree<TTestTree>();
    tree->CancelOperation();
    EXPECT_FALSE(tree->OperationCanceled());
    tree->BeginOperation();
    EXPECT_FALSE(tree->OperationCanceled());
    tree->CancelOperation();
    EXPECT_TRUE(tree->OperationCanceled());
    tree->EndOperation();
    EXPECT_FALSE(tree->OperationCanceled());
    EXPECT_THROW(tree->EndOperation(), EAssertionFailed);
}

namespace {
struct TThrowingChange {
    void Change(TBaseVirtualTree*, PVirtualNode) { throw EAbort(L"handler"); }
};
} // namespace

TEST(Update, FailingChangeHandlerStillSortsAndRepaintsAtEndUpdate) {
    TThrowingChange thrower;
    TRecordingSink sink;
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    tree->OnChange = TVTChangeEvent(&thrower, &TThrowingChange::Change);
    r.Compare = [&](PVirtualNode a, PVirtualNode b) { return r.Name(a) < r.Name(b) ? -1 : 1; };
    auto* options = tree->TreeOptions();
    options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{toAutoSort});
    tree->SetViewSink(&sink);
    tree->BeginUpdate();
    r.Build(*tree, L"B,A");
    tree->SetSelected(r.Find(L"A"), true);
    EXPECT_THROW(tree->EndUpdate(), EAbort);
    EXPECT_EQ(r.Walk([&] { return tree->GetFirstNoInit(); },
                     [&](PVirtualNode n) { return tree->GetNextNoInit(n); }),
              L"A,B");
    EXPECT_GT(sink.Invalidations, 0);
    EXPECT_EQ(tree->UpdateCount(), 0u);
    tree->OnChange = {};
}

TEST(Update, UnbalancedEndUpdateStillReportsTheEnd) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    tree->EndUpdate();
    EXPECT_EQ(tree->UpdateCount(), 0u);
    EXPECT_EQ(Narrow(r.Joined()), "updating 4");
}
