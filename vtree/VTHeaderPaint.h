// The vocabulary of the header's painting that an application meets: what the owner-draw events
// receive (the paint info of one cell or of the background, and the parts an owner may take
// over), and the two text routines the header's captions use: word wrapping into a width and
// measuring a text's rectangle. The painting itself belongs to the tree window (VTWindow.h).
#pragma once

#include "framework/Events.h"
#include "framework/Graphics.h"
#include "framework/Sets.h"
#include "vtree/VTHeader.h"

// Which side of the column being dragged over the dragged column would land.
enum TVTDropMarkMode { dmmNone, dmmLeft, dmmRight };

enum THeaderPaintElement { hpeBackground, hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText };
using THeaderPaintElements = TSet<THeaderPaintElement>;

// One header cell (or, with Column null, the header's background) as painted right now. The
// rectangles and positions are in the coordinates of TargetCanvas.
struct THeaderPaintInfo {
    TCanvas* TargetCanvas = nullptr;
    TVirtualTreeColumn* Column = nullptr;
    TRect PaintRectangle;
    TRect TextRectangle;
    bool IsHoverIndex = false;
    bool IsDownIndex = false;
    bool IsEnabled = false;
    bool ShowHeaderGlyph = false;
    bool ShowSortGlyph = false;
    bool ShowRightBorder = false;
    TVTDropMarkMode DropMark = dmmNone;
    TPoint GlyphPos;
    TPoint SortGlyphPos;
};

// hoOwnerDraw with OnHeaderDraw: a column of style vsOwnerDraw is painted whole by the handler.
using TVTHeaderPaintEvent =
    TMethodEvent<void(TVTHeader* Sender, TCanvas* HeaderCanvas, TVirtualTreeColumn* Column,
                      const TRect& R, bool Hover, bool Pressed, TVTDropMarkMode DropMark)>;
// hoOwnerDraw with both of these: the handler names the parts it paints itself (for the
// background and for every cell), and is then asked to paint them.
using TVTHeaderPaintQueryElementsEvent = TMethodEvent<void(
    TVTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements)>;
using TVTAdvancedHeaderPaintEvent = TMethodEvent<void(
    TVTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements Elements)>;

// Bounds becomes the rectangle Text needs when drawn from Bounds' top-left with DrawFormat
// (DrawTextW flags; DT_CALCRECT is added).
void MeasureTextRect(HDC DC, const UnicodeString& Text, TRect& Bounds, UINT DrawFormat);
// Text broken into lines (separated by #10) no wider than Bounds at blanks; a word wider than a
// line is split. Right-to-left fills the first line with the last words.
UnicodeString WrapText(HDC DC, const UnicodeString& Text, const TRect& Bounds, bool RightToLeft,
                       UINT DrawFormat);
