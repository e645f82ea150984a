// Shared by the painting files only: the state of one PaintTree call, carried from row to row,
// and the font helper every cell uses.
#pragma once

#include "vtree/VTWindow.h"

// Gives the canvas the font's description unless it has it already (assigning a font always
// makes a new font handle, and painting sets the font for every cell).
inline void UseFont(TCanvas* Canvas, TFont* Font) {
    TFont* current = Canvas->Font();
    if (current->Name() == Font->Name() && current->Height() == Font->Height() &&
        current->Style() == Font->Style() && current->Color() == Font->Color() &&
        current->Charset() == Font->Charset() && current->Quality() == Font->Quality() &&
        current->Pitch() == Font->Pitch() && current->Orientation() == Font->Orientation())
        return;
    Canvas->SetFont(Font);
}

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
