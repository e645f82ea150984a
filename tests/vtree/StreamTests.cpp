// The tree stream: exact sizes of small streams, round trips with captions, user data and
// states, the reader's defences against crafted streams (each refused with an error and the
// tree left as it was, its counters agreeing with its links), and failures inside a node.
#include "TreeFixture.h"

#include <cstring>
#include <functional>

using namespace vtree_test;

namespace {

// Builds streams by hand.
class TBytes {
public:
    std::vector<Byte> Data;
    TBytes& U16(Word V) { return Put(&V, 2); }
    TBytes& I32(Integer V) { return Put(&V, 4); }
    TBytes& Header(Word Version = 2) {
        for (Word unit : {Word(0x2045), Word('V'), Word('T'), Version, Word(0x20), Word(0x2046)})
            U16(unit);
        return *this;
    }
    // A childless node chunk; States in the version-2 layout.
    TBytes& Leaf(Word States = 0x81, Byte CheckState = 0, Cardinal Children = 0) {
        I32(1).I32(25).I32(2).I32(17);
        return Record(Children, States, CheckState);
    }
    TBytes& Record(Cardinal Children, Word States, Byte CheckState = 0) {
        I32(static_cast<Integer>(Children)).I32(18).U16(States);
        const Byte rest[7] = {50, CheckState, 0, 0, 0, 0, 0};
        return Put(rest, sizeof(rest));
    }
    TBytes& Put(const void* P, std::size_t N) {
        const Byte* bytes = static_cast<const Byte*>(P);
        Data.insert(Data.end(), bytes, bytes + N);
        return *this;
    }
    void Into(TMemoryStream& Stream) const {
        Stream.Clear();
        Stream.WriteBuffer(Data.data(), static_cast<NativeInt>(Data.size()));
        Stream.SetPosition(0);
    }
};

Integer IntAt(TMemoryStream& Stream, NativeInt Offset) {
    Integer value;
    std::memcpy(&value, static_cast<const Byte*>(Stream.Memory()) + Offset, 4);
    return value;
}

void ExpectCountersAgree(const TBaseVirtualTree& Tree) {
    const TCounts counts = Recount(Tree);
    EXPECT_EQ(Tree.TotalCount(), counts.Total);
    EXPECT_EQ(Tree.VisibleCount(), counts.Visible);
    EXPECT_EQ(Tree.RootNode()->TotalHeight, counts.RootHeight);
    EXPECT_EQ(Tree.RootNode()->ChildCount, Tree.RootNodeCount());
    for (PVirtualNode n = Tree.GetFirstNoInit(); n; n = Tree.GetNextNoInit(n)) {
        Cardinal linked = 0;
        for (PVirtualNode c = n->FirstChild; c; c = c->NextSibling) ++linked;
        EXPECT_EQ(n->ChildCount, linked);
    }
}

// Captions arriving through OnNewText name the loaded nodes.
struct TNamer {
    TRecorder& Recorder;
    void NewText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, const UnicodeString& Text) {
        Recorder.Names[Node] = Text;
    }
};

// User data: one integer per node, written and read by the handlers.
struct TUserData {
    int Loads = 0;
    std::function<void(PVirtualNode)> BeforeLoad;
    void Save(TBaseVirtualTree* Tree, PVirtualNode Node, TStream* Stream) {
        Stream->WriteBuffer(Tree->GetNodeData(Node), sizeof(Integer));
    }
    void Load(TBaseVirtualTree* Tree, PVirtualNode Node, TStream* Stream) {
        ++Loads;
        if (BeforeLoad) BeforeLoad(Node);
        Stream->ReadBuffer(Tree->GetNodeData(Node), sizeof(Integer));
    }
};

std::wstring Shape(const TRecorder& R, TBaseVirtualTree& Tree, PVirtualNode Parent = nullptr) {
    std::wstring text;
    for (PVirtualNode n = Parent ? Parent->FirstChild : Tree.RootNode()->FirstChild; n;
         n = n->NextSibling) {
        if (!text.empty()) text += L",";
        text += R.Name(n);
        if (n->FirstChild) text += L"(" + Shape(R, Tree, n) + L")";
    }
    return text;
}

} // namespace

TEST(TreeStream, EmptyTreeIsSixteenBytesAndLoadsAsEmpty) {
    auto tree = MakeTree();
    TMemoryStream stream;
    tree->SaveToStream(&stream);
    ASSERT_EQ(stream.Size(), 16);
    const Word* units = static_cast<const Word*>(stream.Memory());
    EXPECT_EQ(units[0], 0x2045);
    EXPECT_EQ(units[3], 2);
    EXPECT_EQ(IntAt(stream, 12), 0);
    auto other = MakeTree();
    other->SetRootNodeCount(3);
    stream.SetPosition(0);
    other->LoadFromStream(&stream);
    EXPECT_EQ(other->TotalCount(), 0u);
}

TEST(TreeStream, ChunkSizesOfOneNodeAndOfANodeWithAChild) {
    auto tree = MakeTree();
    tree->SetDefaultText(L""); // no captions
    tree->SetRootNodeCount(1);
    TMemoryStream stream;
    tree->SaveToStream(&stream);
    ASSERT_EQ(stream.Size(), 49);
    EXPECT_EQ(IntAt(stream, 12), 1);  // count
    EXPECT_EQ(IntAt(stream, 20), 25); // node chunk
    EXPECT_EQ(IntAt(stream, 28), 17); // base chunk
    tree->AddChild(tree->GetFirst());
    stream.Clear();
    tree->SaveToStream(&stream);
    EXPECT_EQ(stream.Size(), 49 + 33);
    EXPECT_EQ(IntAt(stream, 20), 25 + 33);
    EXPECT_EQ(IntAt(stream, 28), 17 + 33);
    EXPECT_EQ(IntAt(stream, 49), 1); // the child's node chunk lies inside the base chunk
    EXPECT_EQ(IntAt(stream, 53), 25);
}

TEST(TreeStream, RoundTripKeepsShapeCaptionsUserDataAndPersistentStates) {
    auto source = MakeTree<TTestTree>();
    TRecorder r;
    r.Attach(*source);
    source->SetNodeDataSize(sizeof(Integer));
    auto* options = source->TreeOptions();
    options->SetSelectionOptions(options->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
    r.Build(*source, L"A(A1,A2(A21)),B");
    int value = 100;
    for (PVirtualNode n = source->GetFirst(); n; n = source->GetNext(n))
        *source->GetNodeData<Integer>(n) = ++value;
    PVirtualNode a1 = r.Find(L"A1"), b = r.Find(L"B");
    source->SetSelected(a1, true);
    source->SetSelected(b, true);
    source->SetIsDisabled(b, true);
    a1->States += TVirtualNodeStates{vsMultiline, vsHeightMeasured};
    TUserData data;
    source->OnSaveNode = TVTSaveNodeEvent(&data, &TUserData::Save);
    TMemoryStream stream;
    source->SaveToStream(&stream);

    auto target = MakeTree<TTestTree>();
    target->SetNodeDataSize(sizeof(Integer));
    target->TreeOptions()->SetSelectionOptions(options->SelectionOptions());
    TRecorder t;
    TNamer namer{t};
    target->OnNewText = TVSTNewTextEvent(&namer, &TNamer::NewText);
    target->OnLoadNode = TVTSaveNodeEvent(&data, &TUserData::Load);
    stream.SetPosition(0);
    target->LoadFromStream(&stream);

    EXPECT_EQ(Shape(t, *target), L"A(A1,A2(A21)),B");
    value = 100;
    for (PVirtualNode n = target->GetFirstNoInit(); n; n = target->GetNextNoInit(n))
        EXPECT_EQ(*target->GetNodeData<Integer>(n), ++value) << Narrow(t.Name(n));
    PVirtualNode ta1 = t.Find(L"A1"), tb = t.Find(L"B"), ta = t.Find(L"A");
    EXPECT_EQ(target->SelectedCount(), 2u);
    EXPECT_TRUE(target->Selected(ta1));
    EXPECT_TRUE(target->Selected(tb));
    EXPECT_TRUE(tb->States.Contains(vsDisabled));
    EXPECT_TRUE(ta->States.Contains(vsExpanded));
    EXPECT_TRUE(ta1->States.Contains(vsMultiline));
    EXPECT_FALSE(ta1->States.Contains(vsHeightMeasured));
    ExpectCountersAgree(*target);
    target->OnNewText = {};
    target->OnLoadNode = {};
    source->OnSaveNode = {};
}

TEST(TreeStream, WithoutMultiSelectLoadedNodesAreNotSelected) {
    auto source = MakeTree();
    source->SetRootNodeCount(2);
    source->SetSelected(source->GetFirst(), true);
    TMemoryStream stream;
    source->SaveToStream(&stream);
    auto target = MakeTree();
    stream.SetPosition(0);
    target->LoadFromStream(&stream);
    EXPECT_EQ(target->SelectedCount(), 0u);
    EXPECT_FALSE(target->GetFirst()->States.Contains(vsSelected));
}

TEST(TreeStream, UserChunkIsCutOnlyWhenEmptyAndAtTheStreamsEnd) {
    auto tree = MakeTree();
    tree->SetDefaultText(L""); // no captions
    tree->SetRootNodeCount(1);
    PVirtualNode node = tree->GetFirst();
    TMemoryStream stream;
    tree->WriteNode(&stream, node); // no handler: no user chunk
    EXPECT_EQ(stream.Size(), 33);
    // Written over older content, the empty user chunk stays and is read back as empty.
    stream.SetSize(100);
    stream.SetPosition(0);
    tree->WriteNode(&stream, node);
    EXPECT_EQ(stream.Position(), 41);
    EXPECT_EQ(IntAt(stream, 4), 33);
    EXPECT_EQ(IntAt(stream, 33), 4);
    EXPECT_EQ(IntAt(stream, 37), 0);
    stream.SetSize(41);
    stream.SetPosition(0);
    PVirtualNode added = tree->AddChild(nullptr);
    tree->LoadNodeFromStream(&stream, 2, added);
    EXPECT_EQ(stream.Position(), 41);
}

TEST(TreeStream, LoaderReadingPartOfItsChunkLeavesTheStreamAtTheChunksEnd) {
    auto source = MakeTree();
    source->SetDefaultText(L""); // no captions
    source->SetRootNodeCount(2);
    struct TFive {
        void Save(TBaseVirtualTree*, PVirtualNode, TStream* S) { S->WriteBuffer("12345", 5); }
        int Read = 0;
        void Load(TBaseVirtualTree*, PVirtualNode, TStream* S) {
            char two[2];
            S->ReadBuffer(two, 2);
            Read += two[0] == '1' && two[1] == '2';
            // The handler sees its chunk only: reading on fails instead of eating the next node.
            char more[8];
            EXPECT_EQ(S->Read(more, sizeof(more)), 3);
        }
    } five;
    source->OnSaveNode = TVTSaveNodeEvent(&five, &TFive::Save);
    TMemoryStream stream;
    source->SaveToStream(&stream);
    EXPECT_EQ(stream.Size(), 16 + 2 * (33 + 8 + 5));
    EXPECT_EQ(IntAt(stream, 16 + 33 + 4), 5);
    auto target = MakeTree();
    target->OnLoadNode = TVTSaveNodeEvent(&five, &TFive::Load);
    stream.SetPosition(0);
    target->LoadFromStream(&stream);
    EXPECT_EQ(target->RootNodeCount(), 2u);
    EXPECT_EQ(five.Read, 2);
    source->OnSaveNode = {};
    target->OnLoadNode = {};
}

TEST(TreeStream, VersionOneStreamWithoutCountLoadsEveryChunkToTheEnd) {
    TBytes bytes;
    bytes.Header(1);
    // Version 1: a 12-byte record whose state byte 0x80 also means "selected".
    for (Byte states : {Byte(0x01), Byte(0x81), Byte(0x01)}) {
        bytes.I32(1).I32(20).I32(2).I32(12).I32(0).I32(18);
        const Byte rest[4] = {states, 50, 0, 0};
        bytes.Put(rest, 4);
    }
    TMemoryStream stream;
    bytes.Into(stream);
    auto tree = MakeTree();
    auto* options = tree->TreeOptions();
    options->SetSelectionOptions(options->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
    tree->LoadFromStream(&stream);
    ASSERT_EQ(tree->RootNodeCount(), 3u);
    PVirtualNode second = tree->GetFirst()->NextSibling;
    EXPECT_TRUE(second->States.Contains(vsVisible));
    EXPECT_TRUE(tree->Selected(second));
    EXPECT_FALSE(tree->Selected(tree->GetFirst()));
    EXPECT_TRUE(tree->GetFirst()->States.Contains(vsVisible));
    ExpectCountersAgree(*tree);
}

TEST(TreeStream, TransientStatesAreNeitherWrittenNorAccepted) {
    auto source = MakeTree();
    source->SetRootNodeCount(1);
    PVirtualNode node = source->GetFirst();
    source->AddChild(node);
    node->States += TVirtualNodeStates{vsToggling, vsClearing, vsCutOrCopy, vsAllChildrenHidden};
    TMemoryStream stream;
    source->SaveToStream(&stream);
    node->States -= TVirtualNodeStates{vsToggling, vsClearing, vsCutOrCopy, vsAllChildrenHidden};
    const Word written = static_cast<Word>(IntAt(stream, 40) & 0xFFFF);
    EXPECT_EQ(written & 0x4C04, 0); // toggling, clearing, cut or copy, all children hidden

    // A crafted record claiming every state: the node can still be toggled afterwards.
    TBytes bytes;
    bytes.Header().I32(1).I32(1).I32(58).I32(2).I32(50).Record(1, 0x7FFF).Leaf();
    bytes.Into(stream);
    auto tree = MakeTree();
    tree->LoadFromStream(&stream);
    PVirtualNode loaded = tree->GetFirst();
    ASSERT_NE(loaded, nullptr);
    for (TVirtualNodeState state : {vsChecking, vsCutOrCopy, vsDeleting, vsInitialUserData,
                                    vsClearing, vsHeightMeasured, vsToggling})
        EXPECT_FALSE(loaded->States.Contains(state)) << state;
    EXPECT_TRUE(tree->Expanded(loaded));
    tree->ToggleNode(loaded);
    EXPECT_FALSE(tree->Expanded(loaded));
    ExpectCountersAgree(*tree);
}

TEST(TreeStream, UninitialisedNodeWithChildrenIsWrittenWithoutThemAndLoads) {
    auto tree = MakeTree();
    auto* options = tree->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() - TVTMiscOptions{toInitOnSave});
    tree->SetRootNodeCount(1);
    PVirtualNode node = tree->RootNode()->FirstChild;
    tree->SetChildCount(node, 2);
    ASSERT_FALSE(node->States.Contains(vsInitialized));
    TMemoryStream stream;
    tree->SaveToStream(&stream);
    EXPECT_EQ(IntAt(stream, 32), 0); // the stored child count
    auto target = MakeTree();
    stream.SetPosition(0);
    target->LoadFromStream(&stream);
    EXPECT_EQ(target->TotalCount(), 1u);
    ExpectCountersAgree(*target);
}

TEST(TreeStream, HeaderErrorsLeaveTheTreeAsItWas) {
    struct TCase {
        const char* Name;
        std::function<void(TBytes&)> Build;
        int HelpContext;
    };
    const TCase cases[] = {
        {"short header", [](TBytes& b) { b.U16(0x2045).U16('V'); }, 2004},
        {"wrong first unit",
         [](TBytes& b) { b.U16(0x2046).U16('V').U16('T').U16(2).U16(32).U16(0x2046).I32(0); },
         2002},
        {"wrong last unit",
         [](TBytes& b) { b.U16(0x2045).U16('V').U16('T').U16(2).U16(32).U16(0x2045).I32(0); },
         2002},
        {"version 3", [](TBytes& b) { b.Header(3).I32(0); }, 2003},
    };
    for (const TCase& c : cases) {
        auto tree = MakeTree();
        tree->SetRootNodeCount(2);
        TBytes bytes;
        c.Build(bytes);
        TMemoryStream stream;
        bytes.Into(stream);
        try {
            tree->LoadFromStream(&stream);
            ADD_FAILURE() << c.Name << ": no error";
        } catch (const EVirtualTreeError& e) {
            EXPECT_EQ(e.HelpContext(), c.HelpContext) << c.Name;
        }
        EXPECT_EQ(tree->RootNodeCount(), 2u) << c.Name;
    }
}

TEST(TreeStream, CraftedStreamsAreRefusedAndTheTreeStaysIntact) {
    struct TCase {
        const char* Name;
        std::function<void(TBytes&)> Build;
    };
    const auto node = [](TBytes& b, Integer Size) { b.Header().I32(1).I32(1).I32(Size); };
    const TCase cases[] = {
        {"unknown chunk with a negative size",
         [&](TBytes& b) {
             node(b, 33);
             b.I32(2).I32(17).Record(0, 0x81).I32(9).I32(-20);
         }},
        {"unknown chunk larger than its node",
         [&](TBytes& b) {
             node(b, 33);
             b.I32(2).I32(17).Record(0, 0x81).I32(9).I32(1000);
         }},
        {"node chunk larger than the stream",
         [&](TBytes& b) {
             node(b, 5000);
             b.I32(2).I32(17).Record(0, 0x81);
         }},
        {"negative node chunk size",
         [&](TBytes& b) {
             node(b, -8);
             b.I32(2).I32(17).Record(0, 0x81);
         }},
        {"anchor chunk missing",
         [](TBytes& b) { b.Header().I32(1).I32(2).I32(17).Record(0, 0x81); }},
        {"record shorter than its layout",
         [&](TBytes& b) {
             node(b, 20);
             b.I32(2).I32(12).I32(0).I32(18).I32(0x81);
         }},
        {"more children counted than present",
         [&](TBytes& b) {
             node(b, 25);
             b.I32(2).I32(17).Record(3, 0xC1);
         }},
        {"unknown check state",
         [&](TBytes& b) {
             node(b, 25);
             b.I32(2).I32(17).Record(0, 0x81, 9);
         }},
        {"bytes after the node's last chunk",
         [&](TBytes& b) {
             node(b, 29);
             b.I32(2).I32(17).Record(0, 0x81).I32(0);
         }},
        {"caption longer than its node",
         [&](TBytes& b) {
             node(b, 37);
             b.I32(2).I32(17).Record(0, 0x81).I32(3).I32(0x7FFFFFF0).I32(0);
         }},
        {"a second top-level node that is cut short",
         [](TBytes& b) { b.Header().I32(2).Leaf().I32(1).I32(25).I32(2); }},
        {"nodes nested thousands deep",
         [](TBytes& b) {
             const int depth = 3000;
             b.Header().I32(1);
             for (int level = depth; level > 0; --level) {
                 const Integer inner = 33 * (level - 1);
                 b.I32(1).I32(25 + inner).I32(2).I32(17 + inner).Record(level > 1 ? 1 : 0, 0xE1);
             }
         }},
    };
    for (const TCase& c : cases) {
        auto tree = MakeTree<TTestTree>();
        TRecorder r;
        r.Attach(*tree);
        r.Build(*tree, L"X(X1),Y");
        TBytes bytes;
        c.Build(bytes);
        TMemoryStream stream;
        bytes.Into(stream);
        EXPECT_THROW(tree->LoadFromStream(&stream), EVirtualTreeError) << c.Name;
        EXPECT_EQ(Shape(r, *tree), L"X(X1),Y") << c.Name;
        stream.SetPosition(0);
        EXPECT_THROW(tree->AddFromStream(&stream, tree->RootNode()), EVirtualTreeError) << c.Name;
        EXPECT_EQ(Shape(r, *tree), L"X(X1),Y") << c.Name;
        ExpectCountersAgree(*tree);
    }
}

TEST(TreeStream, NodeThatFailsWhileLoadingIsRemovedAndCountersAgree) {
    auto source = MakeTree<TTestTree>();
    TRecorder r;
    r.Attach(*source);
    source->SetNodeDataSize(sizeof(Integer));
    r.Build(*source, L"A(A1),B(B1(B11),B2)");
    TUserData data;
    source->OnSaveNode = TVTSaveNodeEvent(&data, &TUserData::Save);
    TMemoryStream stream;
    source->SaveToStream(&stream);

    auto target = MakeTree<TTestTree>();
    target->SetNodeDataSize(sizeof(Integer));
    TRecorder t;
    TNamer namer{t};
    target->OnNewText = TVSTNewTextEvent(&namer, &TNamer::NewText);
    target->OnLoadNode = TVTSaveNodeEvent(&data, &TUserData::Load);
    data.BeforeLoad = [&](PVirtualNode) {
        if (data.Loads == 5) throw EVirtualTreeError(L"handler failed"); // inside B's subtree
    };
    stream.SetPosition(0);
    EXPECT_THROW(target->LoadFromStream(&stream), EVirtualTreeError);
    EXPECT_EQ(Shape(t, *target), L"A(A1)");
    ExpectCountersAgree(*target);
    EXPECT_EQ(target->UpdateCount(), 0u);
    target->OnNewText = {};
    target->OnLoadNode = {};
    source->OnSaveNode = {};
}

TEST(TreeStream, AddFromStreamAppendsUnderTheTargetAndFilesRoundTrip) {
    auto tree = MakeTree<TTestTree>();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A,B");
    const std::wstring file = L"vtree_stream_test.bin";
    tree->SaveToFile(file);
    auto target = MakeTree<TTestTree>();
    TRecorder t;
    t.Attach(*target);
    t.Build(*target, L"T");
    TNamer namer{t};
    target->OnNewText = TVSTNewTextEvent(&namer, &TNamer::NewText);
    {
        TFileStream stream(file, fmOpenRead | fmShareDenyWrite);
        target->AddFromStream(&stream, t.Find(L"T"));
    }
    EXPECT_EQ(Shape(t, *target), L"T(A,B)");
    ExpectCountersAgree(*target);
    auto loaded = MakeTree<TTestTree>();
    TRecorder l;
    TNamer lnamer{l};
    loaded->OnNewText = TVSTNewTextEvent(&lnamer, &TNamer::NewText);
    loaded->LoadFromFile(file);
    EXPECT_EQ(Shape(l, *loaded), L"A,B");
    target->OnNewText = {};
    loaded->OnNewText = {};
}
