// The tree-view item queries the tree's window answers: item states and image fields, texts cut
// to the caller's buffer, item rectangles, the walks of TVM_GETNEXTITEM, and handles that are
// not live nodes of this tree (zero, freed, another tree's, made up), which are answered like
// missing items without touching the caller's structure.
#include "WindowFixture.h"

#include <commctrl.h>

#include <cstring>

using namespace vtree_test;

namespace {

class TreeViewMessages : public TWindowFixture {
protected:
    LRESULT Send(UINT Msg, WPARAM W, const void* L) {
        return SendMessageW(Window->Handle(), Msg, W, reinterpret_cast<LPARAM>(L));
    }
    LRESULT GetItem(TVITEMW& Item) { return Send(TVM_GETITEMW, 0, &Item); }
    // A RECT whose first field holds the item, as TVM_GETITEMRECT takes it.
    static RECT RectFor(PVirtualNode Node) {
        RECT rect{};
        std::memcpy(&rect, &Node, sizeof(Node));
        return rect;
    }
    PVirtualNode Next(WPARAM Code, PVirtualNode Node) {
        return reinterpret_cast<PVirtualNode>(Send(TVM_GETNEXTITEM, Code, Node));
    }
};

struct TImages {
    void GetImageIndex(TVirtualTreeWindow*, PVirtualNode, TVTImageKind Kind, TColumnIndex, bool&,
                       Integer& Index) {
        if (Kind == ikState) Index = 2;
        if (Kind == ikOverlay) Index = 0;
        if (Kind == ikNormal) Index = 7;
    }
};

} // namespace

TEST_F(TreeViewMessages, ItemStateOfTheFocusedSelectedExpandedNode) {
    Recorder.Build(Tree(), L"A(A1),B");
    PVirtualNode a = Recorder.Find(L"A");
    Tree().SetFocusedNode(a);
    Tree().SetSelected(a, true);
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_CHILDREN | TVIF_IMAGE;
    item.hItem = reinterpret_cast<HTREEITEM>(a);
    EXPECT_EQ(GetItem(item), 1);
    EXPECT_EQ(item.state, 0x0023u);
    EXPECT_EQ(item.stateMask, 0xFF2Fu);
    EXPECT_EQ(item.cChildren, 1);
    EXPECT_EQ(item.iImage, -1);
    TImages images;
    Window->OnGetImageIndex = TVTGetImageEvent(&images, &TImages::GetImageIndex);
    item.hItem = reinterpret_cast<HTREEITEM>(Recorder.Find(L"B"));
    EXPECT_EQ(GetItem(item), 1);
    EXPECT_EQ(item.state, 0x3100u); // state image 2, overlay 0, no flags
    EXPECT_EQ(item.iImage, 7);
    Window->OnGetImageIndex = {};
}

TEST_F(TreeViewMessages, TextIsCutToTheCallersBuffer) {
    Recorder.Build(Tree(), L"LongName");
    wchar_t buffer[6];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(Recorder.Find(L"LongName"));
    item.pszText = buffer;
    item.cchTextMax = 5;
    EXPECT_EQ(GetItem(item), 1);
    EXPECT_EQ(std::wstring(buffer), L"Long");
    EXPECT_EQ(buffer[5], L'#');
    item.cchTextMax = 0;
    buffer[0] = L'#';
    EXPECT_EQ(GetItem(item), 1);
    EXPECT_EQ(buffer[0], L'#');
}

TEST_F(TreeViewMessages, HandlesThatAreNoLiveNodeOfThisTreeAreRefused) {
    Recorder.Build(Tree(), L"A(A1),B");
    PVirtualNode gone = Tree().AddChild(nullptr);
    Tree().DeleteNode(gone);
    auto other = MakeTree();
    other->SetRootNodeCount(1);
    long long madeUp = 0;
    const PVirtualNode bogus[] = {
        nullptr,
        gone,
        other->GetFirst(),
        Tree().RootNode(),
        reinterpret_cast<PVirtualNode>(&madeUp),
        reinterpret_cast<PVirtualNode>(reinterpret_cast<Byte*>(Recorder.Find(L"A")) + 4)};
    for (PVirtualNode handle : bogus) {
        TVITEMW item{};
        item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_CHILDREN;
        item.hItem = reinterpret_cast<HTREEITEM>(handle);
        item.state = 0x77;
        EXPECT_EQ(GetItem(item), 0) << handle;
        EXPECT_EQ(item.state, 0x77u) << handle;
        RECT rect = RectFor(handle);
        EXPECT_EQ(Send(TVM_GETITEMRECT, 0, &rect), 0) << handle;
        EXPECT_EQ(Next(TVGN_CHILD, handle), nullptr) << handle;
        EXPECT_EQ(Next(TVGN_NEXT, handle), nullptr) << handle;
        EXPECT_EQ(Next(TVGN_PARENT, handle), nullptr) << handle;
    }
    TVITEMW noHandleFlag{};
    noHandleFlag.mask = TVIF_STATE;
    noHandleFlag.hItem = reinterpret_cast<HTREEITEM>(Recorder.Find(L"A"));
    EXPECT_EQ(GetItem(noHandleFlag), 0);
}

TEST_F(TreeViewMessages, ItemRectangles) {
    Recorder.Build(Tree(), L"A(A1),B");
    PVirtualNode a = Recorder.Find(L"A"), a1 = Recorder.Find(L"A1"), b = Recorder.Find(L"B");
    RECT rect = RectFor(b);
    EXPECT_EQ(Send(TVM_GETITEMRECT, 0, &rect), 1);
    const TRect expected = Window->GetDisplayRect(b, NoColumn, false);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.bottom, expected.bottom);
    EXPECT_GT(rect.bottom, rect.top);
    Tree().SetExpanded(a, false);
    rect = RectFor(a1);
    EXPECT_EQ(Send(TVM_GETITEMRECT, 0, &rect), 1); // visible itself, its parent collapsed
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 0);
    EXPECT_EQ(rect.bottom, 0);
    Tree().SetIsVisible(b, false);
    rect = RectFor(b);
    EXPECT_EQ(Send(TVM_GETITEMRECT, 0, &rect), 0);
}

TEST_F(TreeViewMessages, WalksOfGetNextItem) {
    EXPECT_EQ(Next(TVGN_ROOT, nullptr), nullptr); // empty tree
    Recorder.Build(Tree(), L"A(A1,A2),B");
    PVirtualNode a = Recorder.Find(L"A"), a1 = Recorder.Find(L"A1"), a2 = Recorder.Find(L"A2");
    PVirtualNode b = Recorder.Find(L"B");
    EXPECT_EQ(Next(TVGN_ROOT, nullptr), a);
    EXPECT_EQ(Next(TVGN_NEXT, a), b);
    EXPECT_EQ(Next(TVGN_PREVIOUS, b), a);
    EXPECT_EQ(Next(TVGN_PARENT, a1), a);
    EXPECT_EQ(Next(TVGN_PARENT, a), nullptr);
    EXPECT_EQ(Next(TVGN_CHILD, a), a1);
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE, nullptr), a);
    EXPECT_EQ(Next(TVGN_NEXTVISIBLE, a1), a2);
    EXPECT_EQ(Next(TVGN_PREVIOUSVISIBLE, a1), a);
    EXPECT_EQ(Next(TVGN_LASTVISIBLE, nullptr), b);
    Tree().SetFocusedNode(a2);
    EXPECT_EQ(Next(TVGN_CARET, nullptr), a2);
    EXPECT_EQ(Next(TVGN_DROPHILITE, nullptr), nullptr);
    EXPECT_EQ(Next(11, a), nullptr);
}
