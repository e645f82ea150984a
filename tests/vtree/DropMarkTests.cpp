// The drop target row as a drag leaves it: a bar above or below the row in the DropMarkColor,
// or, for a drop on the node itself, the drop target's selection colours.
#include "WindowFixture.h"

namespace {

using namespace vtree_test;

class VTDropMark : public TWindowFixture {
protected:
    VTDropMark() {
        AddRows(3); // rows of 18 pixels, no columns
        Window->Colors()->SetDropMarkColor(clRed);
        Window->Colors()->SetDropTargetColor(clLime);
        Window->Colors()->SetDropTargetBorderColor(clLime);
        Tree().SetDropTargetNode(Recorder.Find(L"Row1"));
    }
};

TEST_F(VTDropMark, BarAboveOrBelowTheDropTargetRow) {
    struct Case {
        TDropMode Mode;
        bool Above, Below;
        const char* Name;
    };
    const TRect row1{0, 18, 396, 36};
    for (const Case c :
         {Case{dmAbove, true, false, "above"}, Case{dmBelow, false, true, "below"},
          Case{dmOnNode, false, false, "on node"}, Case{dmNowhere, false, false, "nowhere"}}) {
        Tree().LastDropMode = c.Mode;
        auto bitmap = PrintClient();
        EXPECT_EQ(PixelAt(*bitmap, 200, 18) == clRed, c.Above) << c.Name;
        EXPECT_EQ(PixelAt(*bitmap, 200, 18 + 16) == clRed, c.Below) << c.Name;
        EXPECT_EQ(PixelAt(*bitmap, 200, 18 + 8) == clRed, false) << c.Name << ": only a bar";
        EXPECT_EQ(CountColor(*bitmap, {0, 0, 396, 18}, clRed), 0) << c.Name << ": other rows";
        if (c.Above) {
            EXPECT_EQ(PixelAt(*bitmap, 3, 18 + 4), clRed) << "bevelled end";
        }
        EXPECT_EQ(CountColor(*bitmap, row1, clLime) > 0, c.Mode == dmOnNode)
            << c.Name << ": drop target colour";
    }
    Tree().LastDropMode = dmAbove;
    Tree().TreeOptions()->SetPaintOptions(Tree().TreeOptions()->PaintOptions() -
                                          TVTPaintOptions{toShowDropmark});
    auto hidden = PrintClient();
    EXPECT_EQ(CountColor(*hidden, row1, clRed), 0) << "toShowDropmark off";
}

TEST_F(VTDropMark, DropOnNodeShowsTheTextInTheHighlightColour) {
    Tree().LastDropMode = dmOnNode;
    auto bitmap = PrintClient();
    const TRect text = Window->GetDisplayRect(Recorder.Find(L"Row1"), NoColumn, true);
    EXPECT_GT(CountColor(*bitmap, text, ColorToRGB(clHighlightText)), 0);
    EXPECT_EQ(CountColor(*bitmap, text, ColorToRGB(clWindowText)), 0);
}

} // namespace
