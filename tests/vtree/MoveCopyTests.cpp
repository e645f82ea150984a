// Moving and copying nodes: within one tree (relinking, the order of moved children, the error
// for a target inside the moved subtree) and between trees (through the tree stream: captions
// and streamed user data arrive, the sources are freed), refusals, and counters that agree with
// the links afterwards.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {

std::wstring ShapeOf(const TRecorder& R, PVirtualNode Parent) {
    std::wstring text;
    for (PVirtualNode n = Parent->FirstChild; n; n = n->NextSibling) {
        if (!text.empty()) text += L",";
        text += R.Name(n);
        if (n->FirstChild) text += L"(" + ShapeOf(R, n) + L")";
    }
    return text;
}

void ExpectCountersAgree(const TBaseVirtualTree& Tree) {
    const TCounts counts = Recount(Tree);
    EXPECT_EQ(Tree.TotalCount(), counts.Total);
    EXPECT_EQ(Tree.VisibleCount(), counts.Visible);
    EXPECT_EQ(Tree.RootNode()->TotalHeight, counts.RootHeight);
}

struct TNamer {
    TRecorder& Recorder;
    void NewText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, const UnicodeString& Text) {
        Recorder.Names[Node] = Text;
    }
};

struct TMoves {
    std::vector<PVirtualNode> Moved, Copied;
    bool AllowCopy = true;
    void NodeMoved(TBaseVirtualTree*, PVirtualNode Node) { Moved.push_back(Node); }
    void NodeCopied(TBaseVirtualTree*, PVirtualNode Node) { Copied.push_back(Node); }
    void NodeCopying(TBaseVirtualTree*, PVirtualNode, PVirtualNode, bool& Allowed) {
        Allowed = AllowCopy;
    }
    void Attach(TBaseVirtualTree& Tree) {
        Tree.OnNodeMoved = TVTNodeMovedEvent(this, &TMoves::NodeMoved);
        Tree.OnNodeCopied = TVTNodeCopiedEvent(this, &TMoves::NodeCopied);
        Tree.OnNodeCopying = TVTNodeCopyingEvent(this, &TMoves::NodeCopying);
    }
    static void Detach(TBaseVirtualTree& Tree) {
        Tree.OnNodeMoved = {};
        Tree.OnNodeCopied = {};
        Tree.OnNodeCopying = {};
    }
};

class MoveCopy : public ::testing::Test {
protected:
    TTreePtr<TTestTree> Tree = MakeTree<TTestTree>();
    TRecorder R;
    TMoves Moves;
    void SetUp() override {
        R.Attach(*Tree);
        Moves.Attach(*Tree);
        R.Build(*Tree, L"A(A1,A2,A3),B(B1),C");
    }
    void TearDown() override { TMoves::Detach(*Tree); }
    PVirtualNode N(const wchar_t* Name) { return R.Find(Name); }
    std::wstring Shape() { return ShapeOf(R, Tree->RootNode()); }
};

} // namespace

TEST_F(MoveCopy, MovingIntoTheMovedSubtreeRaisesAndChangesNothing) {
    try {
        Tree->MoveTo(N(L"A"), N(L"A2"), amAddChildLast, false);
        ADD_FAILURE() << "no error";
    } catch (const EVirtualTreeError& e) {
        EXPECT_EQ(e.HelpContext(), 2001);
    }
    EXPECT_EQ(Shape(), L"A(A1,A2,A3),B(B1),C");
    ExpectCountersAgree(*Tree);
}

TEST_F(MoveCopy, ChildrenMovedBehindTheirParentEndReversed) {
    Tree->MoveTo(N(L"A"), N(L"A"), amInsertAfter, true);
    EXPECT_EQ(Shape(), L"A,A3,A2,A1,B(B1),C");
    EXPECT_EQ(Moves.Moved.size(), 3u);
    ExpectCountersAgree(*Tree);
}

TEST_F(MoveCopy, ChildrenMovedAsFirstChildrenKeepTheirOrder) {
    Tree->MoveTo(N(L"A"), N(L"B"), amAddChildFirst, true);
    EXPECT_EQ(Shape(), L"A,B(A1,A2,A3,B1),C");
    for (PVirtualNode n = N(L"B")->FirstChild; n; n = n->NextSibling)
        EXPECT_EQ(n->Index, static_cast<Cardinal>(n->PrevSibling ? n->PrevSibling->Index + 1 : 0));
    ExpectCountersAgree(*Tree);
}

TEST_F(MoveCopy, MovingWithinKeepsTheNodeItsDataAndNoNodeIsFreed) {
    PVirtualNode b1 = N(L"B1");
    Tree->SetFocusedNode(b1);
    const int freed = R.FreeCount;
    Tree->MoveTo(b1, nullptr, amAddChildLast, false); // nil: first top-level node
    EXPECT_EQ(Shape(), L"B1,A(A1,A2,A3),B,C");
    EXPECT_EQ(R.FreeCount, freed);
    EXPECT_EQ(Moves.Moved, std::vector<PVirtualNode>{b1});
    EXPECT_EQ(Tree->FocusedNode(), b1);
    EXPECT_FALSE(N(L"B")->States.Contains(vsHasChildren));
    ExpectCountersAgree(*Tree);
}

TEST_F(MoveCopy, RefusedOrReadOnlyMovesLeaveTheTree) {
    struct TRefuse {
        void Moving(TBaseVirtualTree*, PVirtualNode, PVirtualNode, bool& Allowed) {
            Allowed = false;
        }
    } refuse;
    Tree->OnNodeMoving = TVTNodeMovingEvent(&refuse, &TRefuse::Moving);
    Tree->MoveTo(N(L"C"), N(L"A"), amInsertBefore, false);
    Tree->OnNodeMoving = {};
    EXPECT_EQ(Shape(), L"A(A1,A2,A3),B(B1),C");
    auto* options = Tree->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toReadOnly});
    Tree->MoveTo(N(L"C"), N(L"A"), amInsertBefore, false);
    EXPECT_EQ(Tree->CopyTo(N(L"C"), N(L"A"), amInsertBefore, false), nullptr);
    options->SetMiscOptions(options->MiscOptions() - TVTMiscOptions{toReadOnly});
    EXPECT_EQ(Shape(), L"A(A1,A2,A3),B(B1),C");
}

TEST_F(MoveCopy, MovingToAnotherTreeStreamsTheSubtreeAndFreesTheSource) {
    auto other = MakeTree<TTestTree>();
    TRecorder o;
    TNamer namer{o};
    other->OnNewText = TVSTNewTextEvent(&namer, &TNamer::NewText);
    o.Build(*other, L"X");
    Tree->MoveTo(N(L"A"), o.Find(L"X"), amInsertAfter, false);
    EXPECT_EQ(ShapeOf(o, other->RootNode()), L"X,A(A1,A2,A3)");
    EXPECT_EQ(R.FreeCount, 4); // A and its children left this tree
    EXPECT_EQ(Shape(), L"B(B1),C");
    ASSERT_EQ(Moves.Moved.size(), 1u);
    EXPECT_EQ(TBaseVirtualTree::NodeOwnerTree(Moves.Moved[0]), other.get());
    ExpectCountersAgree(*Tree);
    ExpectCountersAgree(*other);
    other->OnNewText = {};
}

TEST_F(MoveCopy, CopiesCarryStreamedDataOnly) {
    auto tree = MakeTree<TTestTree>();
    tree->SetNodeDataSize(sizeof(Integer));
    tree->SetRootNodeCount(1);
    PVirtualNode node = tree->GetFirst();
    *tree->GetNodeData<Integer>(node) = 42;
    PVirtualNode copy = tree->CopyTo(node, node, amInsertAfter, false);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(*tree->GetNodeData<Integer>(copy), 0);
    struct TData {
        void Save(TBaseVirtualTree* T, PVirtualNode N, TStream* S) {
            S->WriteBuffer(T->GetNodeData(N), 4);
        }
        void Load(TBaseVirtualTree* T, PVirtualNode N, TStream* S) {
            S->ReadBuffer(T->GetNodeData(N), 4);
        }
    } data;
    tree->OnSaveNode = TVTSaveNodeEvent(&data, &TData::Save);
    tree->OnLoadNode = TVTSaveNodeEvent(&data, &TData::Load);
    copy = tree->CopyTo(node, nullptr, amAddChildLast, false);
    EXPECT_EQ(*tree->GetNodeData<Integer>(copy), 42);
    EXPECT_EQ(tree->GetFirst(), copy); // nil target: first top-level node
    EXPECT_EQ(tree->RootNodeCount(), 3u);
    tree->OnSaveNode = {};
    tree->OnLoadNode = {};
}

TEST_F(MoveCopy, CopyWithSubtreeIntoAnotherTreeAndARefusedCopy) {
    auto other = MakeTree<TTestTree>();
    TRecorder o;
    TNamer namer{o};
    other->OnNewText = TVSTNewTextEvent(&namer, &TNamer::NewText);
    PVirtualNode copy = Tree->CopyTo(N(L"B"), other.get(), amAddChildLast, false);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(ShapeOf(o, other->RootNode()), L"B(B1)");
    EXPECT_EQ(Moves.Copied, std::vector<PVirtualNode>{copy});
    EXPECT_EQ(Shape(), L"A(A1,A2,A3),B(B1),C");
    Moves.AllowCopy = false;
    EXPECT_EQ(Tree->CopyTo(N(L"C"), other.get(), amAddChildLast, false), nullptr);
    EXPECT_EQ(other->RootNodeCount(), 1u);
    ExpectCountersAgree(*other);
    // Children only: the result is the target; each copy is placed first in turn.
    Moves.AllowCopy = true;
    EXPECT_EQ(Tree->CopyTo(N(L"A"), copy, amAddChildFirst, true), copy);
    EXPECT_EQ(ShapeOf(o, other->RootNode()), L"B(A3,A2,A1,B1)");
    ExpectCountersAgree(*other);
    other->OnNewText = {};
}
