// The draw tree: cell contents painted by OnDrawNode, content widths and margins from their
// events (seen by painting geometry and by the model's measures alike), and node hints sized
// and drawn by the application.
#include "WindowFixture.h"

using namespace vtree_test;

namespace {

constexpr TColor Ink = MakeColor(200, 30, 40);
constexpr TColor HintInk = MakeColor(20, 160, 60);

class DrawTree : public ::testing::Test {
public:
    TThemesOff FThemes;
    TOwned<TWinControl> Host{new TWinControl(nullptr)};
    TOwned<TVirtualDrawTree> Window{Construct<TVirtualDrawTree>(nullptr)};
    std::vector<std::pair<PVirtualNode, TColumnIndex>> Drawn;
    std::vector<TCanvas*> WidthCanvases;
    Integer Width = 0;
    TPoint TopLeft{}, BottomRight{};
    TRect HintSize{};
    TRect HintDrawnAt{};

    DrawTree() {
        Host->SetVisible(false);
        Host->SetBounds(10, 10, 440, 340);
        Window->SetBounds(0, 0, 400, 300);
        Window->SetParent(Host.get());
        Host->HandleNeeded();
        Window->OnDrawNode = TVTDrawNodeEvent(this, &DrawTree::DrawNode);
        for (int i = 0; i < 3; ++i) Tree().AddChild(nullptr);
    }

    TBaseVirtualTree& Tree() { return *Window->Tree(); }

    void DrawNode(TVirtualTreeWindow*, const TVTPaintInfo& Info) {
        Drawn.emplace_back(Info.Node, Info.Column);
        Info.Canvas->Brush()->SetColor(Ink);
        Info.Canvas->FillRect(Info.ContentRect);
    }
    void GetNodeWidth(TVirtualTreeWindow*, TCanvas* Canvas, PVirtualNode, TColumnIndex,
                      Integer& NodeWidth) {
        WidthCanvases.push_back(Canvas);
        NodeWidth = Width;
    }
    void GetMargin(TVirtualTreeWindow*, TCanvas*, PVirtualNode, TColumnIndex,
                   TVTCellContentMarginType Kind, TPoint& Margin) {
        if (Kind == ccmtTopLeftOnly) Margin = TopLeft;
        if (Kind == ccmtBottomRightOnly) Margin = BottomRight;
    }
    void GetHintSize(TVirtualTreeWindow*, PVirtualNode, TColumnIndex, TRect& R) { R = HintSize; }
    void DrawHint(TVirtualTreeWindow*, TCanvas* Canvas, PVirtualNode, const TRect& R,
                  TColumnIndex) {
        HintDrawnAt = R;
        Canvas->Brush()->SetColor(HintInk);
        Canvas->FillRect(R);
    }

    TOwned<TBitmap> PrintClient() { return PrintClientOf(*Window); }
};

} // namespace

TEST_F(DrawTree, DrawNodePaintsEachVisibleCellInsideTheRows) {
    TOwned<TBitmap> picture = PrintClient();
    ASSERT_EQ(Drawn.size(), 3u);
    PVirtualNode node = Tree().GetFirst();
    for (const auto& [drawn, column] : Drawn) {
        EXPECT_EQ(drawn, node);
        EXPECT_EQ(column, NoColumn);
        node = Tree().GetNextSibling(node);
    }
    const int rows = 3 * static_cast<int>(Tree().DefaultNodeHeight());
    EXPECT_GT(CountColor(*picture, {0, 0, picture->Width(), rows}, Ink), 0);
    EXPECT_EQ(CountColor(*picture, {0, rows, picture->Width(), picture->Height()}, Ink), 0);
}

TEST_F(DrawTree, ContentWidthIsTwiceTheTextMarginUnlessTheEventSetsIt) {
    PVirtualNode node = Tree().GetFirst();
    const Integer margin = Tree().TextMargin;
    EXPECT_EQ(Window->GetNodeTextWidth(node, NoColumn), 2 * margin);
    const TRect label = Window->GetDisplayRect(node, NoColumn, true);
    EXPECT_EQ(label.Width(), 2 * margin);
    THitInfo hit;
    Window->GetHitTestInfoAt(label.left + 30, label.top + 2, true, hit);
    EXPECT_FALSE(hit.HitPositions.Contains(hiOnItemLabel));

    Width = 57;
    Window->OnGetNodeWidth = TVTGetNodeWidthEvent(this, &DrawTree::GetNodeWidth);
    EXPECT_EQ(Window->GetDisplayRect(node, NoColumn, true).Width(), 57);
    hit = {};
    Window->GetHitTestInfoAt(label.left + 30, label.top + 2, true, hit);
    EXPECT_TRUE(hit.HitPositions.Contains(hiOnItemLabel)) << "the model measures the same width";
    ASSERT_FALSE(WidthCanvases.empty());
    EXPECT_EQ(WidthCanvases.back(), Window->Canvas()) << "the tree's canvas when none is given";
    TBitmap other(4, 4, pf32bit);
    Window->GetNodeTextWidth(node, NoColumn, other.Canvas());
    EXPECT_EQ(WidthCanvases.back(), other.Canvas());
}

TEST_F(DrawTree, ContentMarginsNarrowTheCellContent) {
    PVirtualNode node = Tree().GetFirst();
    EXPECT_EQ(Window->DoGetCellContentMargin(node, NoColumn), (TPoint{0, 0}));
    const TRect plain = Window->GetDisplayRect(node, NoColumn, true, false, true);
    TopLeft = {3, 2};
    BottomRight = {5, 4};
    Window->OnGetCellContentMargin = TVTGetCellContentMarginEvent(this, &DrawTree::GetMargin);
    EXPECT_EQ(Window->DoGetCellContentMargin(node, NoColumn, ccmtBottomRightOnly), (TPoint{5, 4}));
    const TRect narrowed = Window->GetDisplayRect(node, NoColumn, true, false, true);
    EXPECT_EQ(narrowed.left, plain.left + 3);
    EXPECT_EQ(narrowed.top, plain.top + 2);
    EXPECT_EQ(narrowed.bottom, plain.bottom - 4);
}

TEST_F(DrawTree, NodeHintsAreSizedAndDrawnByTheApplication) {
    Window->OnGetHintSize = TVTGetHintSizeEvent(this, &DrawTree::GetHintSize);
    Window->OnDrawHint = TVTDrawHintEvent(this, &DrawTree::DrawHint);
    Window->HintAnimation = hatNone;
    TVTHintData data;
    data.Tree = Window.get();
    data.Node = Tree().GetFirst();
    data.HintRect = {0, 0, 90, 30};
    TVirtualTreeHintWindow* hint = Window->HintWindow();
    TRect r = hint->CalcHintRect(500, data);
    EXPECT_EQ(r, (TRect{0, 0, 90, 30})) << "the size the application asked for";
    OffsetRect(&r, 50, 50);
    hint->ActivateHint(r);
    EXPECT_EQ(HintDrawnAt, (TRect{0, 0, 90, 30}));
    EXPECT_EQ(CountColor(*hint->DrawBuffer(), {0, 0, 90, 30}, HintInk), 90 * 30)
        << "the whole hint, without the default frame";
    hint->ReleaseHint();
}

TEST_F(DrawTree, AnEmptyHintSizeSuppressesTheHint) {
    Host->SetVisible(true);
    SetForegroundWindow(Host->Handle());
    Window->SetFocus();
    Window->SetShowHint(true);
    Window->HintMode = hmHint;
    Window->OnGetHintSize = TVTGetHintSizeEvent(this, &DrawTree::GetHintSize);
    TVTHintData data;
    TRect cursor;
    TPoint position;
    EXPECT_FALSE(Window->QueryHint({5, 5}, data, cursor, position));
    HintSize = {0, 0, 70, 20};
    ASSERT_TRUE(Window->QueryHint({5, 5}, data, cursor, position));
    EXPECT_EQ(data.Node, Tree().GetFirst());
    EXPECT_EQ(data.HintRect, HintSize);
    Window->CancelHint();
}
