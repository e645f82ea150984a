// Shared by the painting files only: the state of one PaintTree call, carried from row to row.
#pragma once

#include "vtree/VTWindow.h"

struct TVirtualTreeWindow::TRowPaint {
    TCanvas* Target = nullptr;
    TRect Window;
    TVTInternalPaintOptions Options;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> Bitmap{new TBitmap};
    TVTPaintInfo Info;
    TRect R;          // the item rectangle: the whole tree width, one row high
    TRect TargetRect; // where the next row lands
    int MaximumRight = 0;
    int MaximumBottom = 0;
    TColumnIndex FirstColumn = InvalidColumn;
    int BaseButtonX = 0;
    int ButtonX = 0;
    int ButtonY = 0;
    int VAlign = 0;
    bool UseBackground = false;
    bool ShowImages = false;
    bool ShowStateImages = false;
    bool ShowCheckImages = false;
    bool UseColumns = false;
    bool DrawSelectionRect = false;
    TRect SelectionRect;
    TLineImage LineImage;
    int NodeTop = 0; // of the row being painted, in tree coordinates
};
