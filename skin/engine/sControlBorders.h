// Border painters outside the section painters: a control's skin border painted into its cache
// bitmap over the parent's background (with an extra ring of the background colour for the
// control's own border width), and one state of a border mask around a whole bitmap, which can
// also cut the mask's key-colour corner pixels out of a window region.
//
// Nothing raises: a missing mask or manager paints nothing (or only the solid ring), and every
// piece is clipped to the bitmaps it reads and writes. GUI thread only.
#pragma once

#include "framework/Graphics.h"

class TsCommonData;
struct TsMaskData;

// Paints the link's border mask (state State) into R of its cache bitmap, fills the part of the
// BorderWidth ring the mask does not cover with the background colour, and copies that ring to
// DC when DC is not the cache's. ClientRect becomes R less the border (less BorderWidth when it
// is not 0); without a border mask only the ring is filled in DC and ClientRect stays.
void PaintControlBorder(HDC DC, const TRect& R, int BorderWidth, TsCommonData* CommonData,
                        int State, TRect& ClientRect);
// The nine pieces of state State of MaskData around the whole of a 24-bit Bmp, the centre left
// as it is; borders wider than the bitmap are shared out. With Rgn (not null) the key-colour
// pixels of the four corners are cut out of that region.
void PaintBmpBorder(TBitmap* Bmp, HRGN Rgn, int State, const TsMaskData& MaskData);
// One piece of PaintBmpBorder: SrcRect of the mask's image (right and bottom inclusive) to
// DstRect of Bmp, limited to both bitmaps (and to the image row of a masked mask). Nothing when a
// coordinate is negative. Corner pieces skip key-colour pixels and cut them out of Rgn.
void CopyBorderPiece(const TRect& DstRect, const TRect& SrcRect, bool IsCorner,
                     const TsMaskData& MaskData, HRGN Rgn, TBitmap* Bmp);
