#include "InputFixture.h"

namespace {

using namespace vtree_test;

using VTDragImage = TInputFixture;

Byte AlphaAt(TBitmap& Bitmap, int X, int Y) {
    return static_cast<const Byte*>(Bitmap.ScanLine(Y))[X * 4 + 3];
}

TEST_F(VTDragImage, PictureHoldsTheSelectedRowsWithAFallingAlpha) {
    AddRows(10);
    Tree().SetSelected(Row(3), true);
    const TPoint hot = OnText(Row(3));
    Window->PrepareDragImage(hot);
    TVTDragImage* image = Window->DragImage();
    EXPECT_EQ(image->States(), (TVTDragImageStates{disHidden, disInDrag, disPrepared}));
    TBitmap* picture = image->Picture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), Window->DragWidth);
    EXPECT_EQ(picture->Height(), Window->DragHeight);
    // The hot spot lies at the picture's centre, on the selected row.
    const int centreX = picture->Width() / 2, rowY = picture->Height() / 2;
    const int keyed = CountColor(*picture, {0, 0, picture->Width(), picture->Height()},
                                 static_cast<TColor>(ColorToRGB(Window->Color())));
    EXPECT_GT(keyed, 0) << "unselected rows stay in the background colour";
    EXPECT_LT(keyed, picture->Width() * picture->Height()) << "the selected row is painted";
    EXPECT_GT(AlphaAt(*picture, centreX, rowY), 0);
    EXPECT_EQ(AlphaAt(*picture, 0, picture->Height() - 1), 0) << "background pixels are keyed out";
    image->EndDrag();
    EXPECT_TRUE(image->States().Empty());
}

TEST_F(VTDragImage, AnEmptyPicturePreparesNothing) {
    TVTDragImage image(Window.get());
    image.Fade = true;
    TBitmap empty;
    EXPECT_NO_THROW(image.PrepareDrag(&empty, {0, 0}, {0, 0}));
    EXPECT_TRUE(image.States().Empty());
    EXPECT_FALSE(image.DragTo({5, 5}) && image.Visible());
}

TEST_F(VTDragImage, FallOffIsOpaqueInTheMiddleAndFadesOutwards) {
    TBitmap source(41, 21, pf32bit);
    source.Canvas()->Brush()->SetColor(clRed);
    source.Canvas()->FillRect({0, 0, 41, 21});
    TVTDragImage image(Window.get());
    image.PrepareDrag(&source, {0, 0}, {0, 0});
    TBitmap* picture = image.Picture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(AlphaAt(*picture, 20, 10), 255);
    EXPECT_GT(AlphaAt(*picture, 20, 10), AlphaAt(*picture, 30, 10));
    EXPECT_GT(AlphaAt(*picture, 30, 10), AlphaAt(*picture, 40, 10));
}

TEST_F(VTDragImage, DragToFollowsTheMouseWithinItsRestriction) {
    TBitmap source(20, 20, pf32bit);
    TVTDragImage image(Window.get());
    image.MoveRestriction = dmrHorizontalOnly;
    image.PrepareDrag(&source, {100, 100}, {110, 110});
    image.ShowDragImage();
    EXPECT_TRUE(image.Visible());
    EXPECT_TRUE(image.WillMove({120, 130}));
    EXPECT_FALSE(image.WillMove({110, 140})) << "vertical moves are restricted";
    EXPECT_TRUE(image.DragTo({120, 130}));
    EXPECT_EQ(image.ImagePosition().x, 110);
    EXPECT_EQ(image.ImagePosition().y, 100);
    EXPECT_EQ(image.GetDragImageRect().right, 130);
    EXPECT_FALSE(image.DragTo({120, 150}));
    image.HideDragImage();
    EXPECT_EQ(image.GetDragImageRect().Width(), 0);
}

} // namespace
