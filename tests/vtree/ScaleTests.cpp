// Scaling the tree's pixel measures with its form (toAutoChangeScale), and the tree following a
// change of its bidi mode.
#include "WindowFixture.h"

namespace {

using namespace vtree_test;

class VTScale : public TWindowFixture {
protected:
    VTScale() {
        for (int width : {100, 60, 40}) Header().Columns()->Add()->SetWidth(width);
        Header().SetHeight(20);
        Window->HeaderFont()->SetHeight(-12);
    }
    TVirtualTreeColumn* Column(int I) { return Header().Columns()->Items(I); }
    void SetAutoOption(TVTAutoOption Option) {
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{Option});
    }
};

TEST_F(VTScale, ChangeScaleMultipliesThePixelMeasures) {
    Window->ChangeScale(3, 2);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 18u) << "only with toAutoChangeScale";
    EXPECT_EQ(Column(0)->Width(), 100);

    SetAutoOption(toAutoChangeScale);
    Window->ChangeScale(2, 2);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 18u) << "M = D changes nothing";
    Window->ChangeScale(3, 2);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 27u);
    EXPECT_EQ(Tree().Indent, 27);
    EXPECT_EQ(Header().Height(), 30);
    EXPECT_EQ(Window->HeaderFont()->Height(), -18);
    EXPECT_EQ(Column(0)->Width(), 150);
    EXPECT_EQ(Column(1)->Width(), 90);
    EXPECT_EQ(Column(2)->Width(), 60);
    EXPECT_EQ(Column(0)->MinWidth(), 15);
    Window->ChangeScale(2, 3);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 18u) << "and back";
    EXPECT_EQ(Column(1)->Width(), 60);
}

TEST_F(VTScale, BidiModeChangeReachesTreeColumnsAndColumnOrder) {
    Column(2)->SetOptions(Column(2)->Options() - TVTColumnOptions{coParentBidiMode});
    SetAutoOption(toAutoBidiColumnOrdering);
    Column(0)->SetPosition(2);
    ASSERT_NE(Header().Columns()->PositionToIndex(), (TIndexArray{0, 1, 2}));
    Window->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(Tree().BiDiMode, bdRightToLeft);
    EXPECT_EQ(Column(0)->BiDiMode(), bdRightToLeft) << "a parent-bidi column follows";
    EXPECT_EQ(Column(2)->BiDiMode(), bdLeftToRight) << "a column with its own mode does not";
    const TIndexArray expected =
        Window->UseRightToLeftAlignment() ? TIndexArray{2, 1, 0} : TIndexArray{0, 1, 2};
    EXPECT_EQ(Header().Columns()->PositionToIndex(), expected) << "positions by the layout";
}

} // namespace
