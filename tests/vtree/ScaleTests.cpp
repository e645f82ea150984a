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
        Window->HeaderFont()->SetSize(8);
    }
    TVirtualTreeColumn* Column(int I) { return Header().Columns()->Items(I); }
    void SetAutoOption(TVTAutoOption Option) {
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{Option});
    }
};

TEST_F(VTScale, ChangeScaleMultipliesNodeHeightAndHeaderFont) {
    Window->ChangeScale(3, 2);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 18u) << "only with toAutoChangeScale";
    EXPECT_EQ(Column(0)->Width(), 100);

    SetAutoOption(toAutoChangeScale);
    Window->ChangeScale(2, 2);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 18u) << "M = D changes nothing";
    Window->ChangeScale(3, 2);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 27u);
    EXPECT_EQ(Window->HeaderFont()->Size(), 12);
    EXPECT_EQ(Column(0)->Width(), 100) << "widths are the form's business";
    EXPECT_EQ(Header().Height(), 20);
    Window->ChangeScale(5, 4);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 34u) << "27 x 5 / 4 = 33.75";
    Window->ChangeScale(4, 5);
    EXPECT_EQ(Tree().DefaultNodeHeight(), 27u) << "and back";
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
