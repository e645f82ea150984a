// The tree window in the component model: copying another tree window's settings, the
// read-only tree that copies none, image lists forgotten when they are freed, and focus on a
// hidden host.
#include "WindowFixture.h"

using namespace vtree_test;

namespace {

class Glue : public TWindowFixture {
protected:
    TOwned<TVirtualStringTreeWindow> Source{Construct<TVirtualStringTreeWindow>(nullptr)};
    Glue() {
        Source->Tree()->SetRootNodeCount(4);
        Source->SetIndent(31);
        Source->SetSelectionBlendFactor(77);
        Source->HeaderFont()->SetName(L"Courier New");
        Source->Header()->SetHeight(27);
        Source->SetDragMode(dmAutomatic);
        Source->SetDragCursor(crMultiDrag);
        Source->HotCursor = crHandPoint;
        Source->DefaultPasteMode = amInsertBefore;
        Window->StringTree()->SetDefaultText(L"mine");
    }
};

} // namespace

TEST_F(Glue, AssignCopiesSettingsAndTheNodeCountButNoNodes) {
    Source->StringTree()->SetDefaultText(L"theirs");
    Source->Tree()->ValidateChildren(nullptr, false);
    Window->Assign(Source.get());
    EXPECT_EQ(Tree().RootNodeCount(), 4u);
    EXPECT_EQ(Tree().TotalCount(), 4u);
    for (PVirtualNode n = Tree().GetFirstNoInit(); n; n = Tree().GetNextNoInit(n)) {
        EXPECT_EQ(TBaseVirtualTree::NodeOwnerTree(n), &Tree()); // new nodes, not the source's
        EXPECT_FALSE(n->States.Contains(vsInitialized));
    }
    EXPECT_EQ(Tree().Indent, 31);
    EXPECT_EQ(Window->SelectionBlendFactor(), 77);
    EXPECT_EQ(Window->HeaderFont()->Name(), L"Courier New");
    EXPECT_EQ(Header().Height(), 27);
    EXPECT_EQ(Window->DragMode(), dmAutomatic);
    EXPECT_EQ(Window->DragCursor(), crMultiDrag);
    EXPECT_EQ(Window->HotCursor, crHandPoint);
    EXPECT_EQ(Window->DefaultPasteMode, amInsertBefore);
    EXPECT_EQ(Window->StringTree()->DefaultText(), L"mine");
}

TEST_F(Glue, ReadOnlyTreeCopiesNothing) {
    auto* options = Tree().TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toReadOnly});
    EXPECT_THROW(Window->Assign(Source.get()), Exception);
    EXPECT_EQ(Tree().RootNodeCount(), 0u);
    EXPECT_EQ(Tree().Indent, 18);
    EXPECT_EQ(Window->SelectionBlendFactor(), 128);
    EXPECT_EQ(Header().Height(), 17);
}

TEST_F(Glue, FreedImageListsAreForgotten) {
    auto* checks = new TImageList(nullptr);
    auto* images = new TImageList(nullptr);
    Window->SetCustomCheckImages(checks);
    Window->SetCheckImageKind(ckCustom);
    Window->SetImages(images);
    Window->SetStateImages(images);
    checks->Free();
    EXPECT_EQ(Window->CustomCheckImages(), nullptr);
    EXPECT_EQ(Window->CheckImageKind(), ckSystemDefault);
    images->Free();
    EXPECT_EQ(Window->Images(), nullptr);
    EXPECT_EQ(Window->StateImages(), nullptr);
}

TEST_F(Glue, TreeOnAHiddenHostCannotTakeTheFocus) {
    ASSERT_TRUE(Window->Visible());
    ASSERT_TRUE(Window->Enabled());
    EXPECT_FALSE(Window->CanFocus());
}
