// The string tree: texts through OnGetText and DefaultText, paths, the cached text width,
// empty cells and auto-spanning, and caption chunks.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {

// Every character is 7 pixels wide.
class TFixedWidthMeasuring : public IVTMeasuringService {
public:
    int Calls = 0;
    int TextWidth(TCanvas*, const UnicodeString& Text) override {
        ++Calls;
        return 7 * static_cast<int>(Text.size());
    }
};

struct TNewTexts {
    std::vector<std::wstring> Texts;
    void NewText(TBaseVirtualTree*, PVirtualNode, TColumnIndex, const UnicodeString& Text) {
        Texts.push_back(Text);
    }
};

} // namespace

TEST(StringTree, CellsStartFromDefaultText) {
    auto tree = MakeTree();
    PVirtualNode node = tree->AddChild(nullptr);
    EXPECT_EQ(Narrow(tree->CellText(node, 0)), "Node");
    EXPECT_EQ(Narrow(tree->CellText(node, 3)), "Node");
    EXPECT_TRUE(node->States.Contains(vsInitialized));
    tree->SetDefaultText(L"");
    EXPECT_TRUE(tree->CellText(node, 0).empty());
    EXPECT_THROW(tree->CellText(nullptr, 0), EAssertionFailed);
}

TEST(StringTree, NewTextsAreReportedNotStored) {
    TNewTexts texts;
    auto tree = MakeTree();
    tree->OnNewText = TVSTNewTextEvent(&texts, &TNewTexts::NewText);
    PVirtualNode node = tree->AddChild(nullptr);
    tree->SetCellText(node, 0, L"edited");
    EXPECT_EQ(texts.Texts, std::vector<std::wstring>{L"edited"});
    EXPECT_EQ(Narrow(tree->CellText(node, 0)), "Node");
    tree->OnNewText = {};
}

TEST(StringTree, PathJoinsTheTextsFromTheTop) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"usr(local(bin)),etc");
    EXPECT_EQ(Narrow(tree->Path(r.Find(L"bin"), 0, ttNormal, L'/')), "usr/local/bin/");
    EXPECT_EQ(Narrow(tree->Path(r.Find(L"etc"), 0, ttNormal, L'/')), "etc/");
    EXPECT_EQ(Narrow(tree->Path(nullptr, 0, ttNormal, L'/')), "/");
    EXPECT_EQ(Narrow(tree->Path(tree->RootNode(), 0, ttNormal, L'/')), "/");
    // A node whose handler leaves the text alone contributes nothing, not its child's text.
    PVirtualNode bin = r.Find(L"bin");
    r.Names.erase(r.Find(L"local"));
    EXPECT_EQ(Narrow(tree->Path(bin, 0, ttNormal, L'/')), "usr//bin/");
}

TEST(StringTree, MainColumnWidthIsCachedUntilInvalidated) {
    TFixedWidthMeasuring measuring;
    auto tree = MakeTree<TTestTree>();
    TRecorder r;
    r.Attach(*tree);
    tree->SetMeasuringService(&measuring);
    r.Build(*tree, L"abc");
    PVirtualNode node = r.Find(L"abc");
    EXPECT_EQ(tree->GetNodeTextWidth(node, -1), 2 * 4 + 21);
    EXPECT_EQ(tree->GetNodeTextWidth(node, -1), 29);
    EXPECT_EQ(measuring.Calls, 1);
    tree->ReinitNode(node, false);
    tree->GetNodeTextWidth(node, -1);
    EXPECT_EQ(measuring.Calls, 2);
    tree->Header()->Columns()->Add();
    tree->Header()->Columns()->Add();
    tree->GetNodeTextWidth(node, 0);
    tree->Header()->SetMainColumn(1); // drops every cached width
    tree->GetNodeTextWidth(node, 1);
    tree->GetNodeTextWidth(node, 0); // another column: measured each time
    tree->GetNodeTextWidth(node, 0);
    EXPECT_EQ(measuring.Calls, 6);
    node->States.Include(vsMultiline);
    EXPECT_EQ(tree->GetNodeTextWidth(node, 0), tree->Header()->Columns()->Items(0)->Width());
    tree->SetMeasuringService(nullptr);
}

TEST(StringTree, EmptyCellsLetTextsSpanToTheRight) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"only");
    tree->SetDefaultText(L"");
    for (int i = 0; i < 4; ++i) tree->Header()->Columns()->Add()->SetWidth(50);
    PVirtualNode node = r.Find(L"only");
    // Without toAutoSpanColumns painting goes on with the next column.
    TRect cell(0, 0, 50, 18);
    EXPECT_EQ(tree->AdjustCellSpan(node, 0, cell), 1);
    EXPECT_EQ(cell.right, 50);
    r.Names.clear();
    auto* options = tree->TreeOptions();
    options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{toAutoSpanColumns});
    EXPECT_EQ(tree->AdjustCellSpan(node, 0, cell), InvalidColumn);
    EXPECT_EQ(cell.right, 200);
}

TEST(StringTree, DefaultSearchMatchUsesTheFocusedColumnsText) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"Alpha,alpha");
    tree->SetIncrementalSearch(isAll);
    tree->HandleIncrementalSearch(L'a');
    EXPECT_EQ(tree->FocusedNode(), r.Find(L"alpha"));
}

TEST(StringTree, CaptionChunksRoundTrip) {
    auto tree = MakeTree<TTestTree>();
    TRecorder r;
    r.Attach(*tree);
    TNewTexts texts;
    tree->OnNewText = TVSTNewTextEvent(&texts, &TNewTexts::NewText);
    r.Build(*tree, L"caption");
    PVirtualNode named = r.Find(L"caption");
    PVirtualNode empty = tree->AddChild(nullptr);
    r.Names[empty] = L"";
    tree->ValidateChildren(nullptr, false);
    TMemoryStream stream;
    tree->WriteChunks(&stream, named);
    const Int64 withCaption = stream.Size();
    tree->WriteChunks(&stream, empty); // empty texts write no caption chunk
    EXPECT_EQ(stream.Size() - withCaption, withCaption - (8 + 14));
    stream.SetPosition(withCaption - (8 + 14));
    Integer header[2];
    stream.ReadBuffer(header, sizeof(header));
    EXPECT_EQ(header[0], 3);
    EXPECT_EQ(header[1], 14);
    EXPECT_TRUE(tree->ReadChunk(&stream, 2, empty, header[0], header[1]));
    EXPECT_EQ(texts.Texts, std::vector<std::wstring>{L"caption"});
    EXPECT_FALSE(tree->ReadChunk(&stream, 2, empty, 7, 0));
    EXPECT_TRUE(tree->ReadChunk(&stream, 2, empty, 3, 0));
    EXPECT_EQ(texts.Texts.back(), L"");
    // A size beyond the bytes left is refused before anything is read.
    stream.SetPosition(stream.Size() - 4);
    EXPECT_THROW(tree->ReadChunk(&stream, 2, empty, 3, 0x7FFFFFF0), EVirtualTreeError);
    EXPECT_EQ(texts.Texts.size(), 2u);
    tree->OnNewText = {};
}
