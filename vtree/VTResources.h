// What every tree window shares, and the per-tree colours: the fifteen colours of TVTColors;
// the process-wide resources made once, with the first tree window (the check image lists, the
// button and panning pictures, the two splitter cursors, OLE, the 1 ms timer resolution, the
// reference clipboard format); and the blend kernels that selection painting and drag images
// use on 32-bit pixel rows.
//
// The pictures are this library's own simple drawings, made in code at first use rather than
// read from module resources (a static library cannot carry resources into the program that
// links it). Each is known by the name a resource of it would have; `DrawPicture` makes it.
// Every strip keeps the rule that its top-left pixel is the transparent colour.
//
// Classes here: TVTColors. Namespaces: vtree_resources, vtree_blend.
#pragma once

#include "framework/ImageList.h"
#include "vtree/VTTypes.h"

class TVirtualTreeWindow;

// ---- colours -------------------------------------------------------------------------------

// The RGB value of a colour with system colours resolved; clNone and clDefault become CLR_NONE
// and CLR_DEFAULT.
COLORREF ColorToColorRef(TColor Color);

class TVTColors : public TPersistent {
    CLASS_INFO(TVTColors, TPersistent)
public:
    enum TIndex {
        DisabledIndex,
        DropMarkIndex,
        DropTargetIndex,
        FocusedSelectionIndex,
        GridLineIndex,
        TreeLineIndex,
        UnfocusedSelectionIndex,
        BorderIndex,
        HotIndex,
        FocusedSelectionBorderIndex,
        UnfocusedSelectionBorderIndex,
        DropTargetBorderIndex,
        SelectionRectangleBlendIndex,
        SelectionRectangleBorderIndex,
        HeaderHotIndex,
        ColorCount
    };
    explicit TVTColors(TVirtualTreeWindow* AOwner);
    void Assign(TPersistent* Source) override;

    TColor ByIndex(TIndex Index) const { return FColors[Index]; }
    void SetByIndex(TIndex Index, TColor Value);

    TColor DisabledColor() const { return FColors[DisabledIndex]; }
    void SetDisabledColor(TColor V) { SetByIndex(DisabledIndex, V); }
    TColor DropMarkColor() const { return FColors[DropMarkIndex]; }
    void SetDropMarkColor(TColor V) { SetByIndex(DropMarkIndex, V); }
    TColor DropTargetColor() const { return FColors[DropTargetIndex]; }
    void SetDropTargetColor(TColor V) { SetByIndex(DropTargetIndex, V); }
    TColor FocusedSelectionColor() const { return FColors[FocusedSelectionIndex]; }
    void SetFocusedSelectionColor(TColor V) { SetByIndex(FocusedSelectionIndex, V); }
    TColor GridLineColor() const { return FColors[GridLineIndex]; }
    void SetGridLineColor(TColor V) { SetByIndex(GridLineIndex, V); }
    TColor TreeLineColor() const { return FColors[TreeLineIndex]; }
    void SetTreeLineColor(TColor V) { SetByIndex(TreeLineIndex, V); }
    TColor UnfocusedSelectionColor() const { return FColors[UnfocusedSelectionIndex]; }
    void SetUnfocusedSelectionColor(TColor V) { SetByIndex(UnfocusedSelectionIndex, V); }
    TColor BorderColor() const { return FColors[BorderIndex]; }
    void SetBorderColor(TColor V) { SetByIndex(BorderIndex, V); }
    TColor HotColor() const { return FColors[HotIndex]; }
    void SetHotColor(TColor V) { SetByIndex(HotIndex, V); }
    TColor FocusedSelectionBorderColor() const { return FColors[FocusedSelectionBorderIndex]; }
    void SetFocusedSelectionBorderColor(TColor V) { SetByIndex(FocusedSelectionBorderIndex, V); }
    TColor UnfocusedSelectionBorderColor() const { return FColors[UnfocusedSelectionBorderIndex]; }
    void SetUnfocusedSelectionBorderColor(TColor V) {
        SetByIndex(UnfocusedSelectionBorderIndex, V);
    }
    TColor DropTargetBorderColor() const { return FColors[DropTargetBorderIndex]; }
    void SetDropTargetBorderColor(TColor V) { SetByIndex(DropTargetBorderIndex, V); }
    TColor SelectionRectangleBlendColor() const { return FColors[SelectionRectangleBlendIndex]; }
    void SetSelectionRectangleBlendColor(TColor V) { SetByIndex(SelectionRectangleBlendIndex, V); }
    TColor SelectionRectangleBorderColor() const { return FColors[SelectionRectangleBorderIndex]; }
    void SetSelectionRectangleBorderColor(TColor V) {
        SetByIndex(SelectionRectangleBorderIndex, V);
    }
    TColor HeaderHotColor() const { return FColors[HeaderHotIndex]; }
    void SetHeaderHotColor(TColor V) { SetByIndex(HeaderHotIndex, V); }

private:
    TVirtualTreeWindow* FOwner;
    TColor FColors[ColorCount];
};

// ---- shared resources ----------------------------------------------------------------------

enum TCheckImageKind {
    ckLightCheck,
    ckDarkCheck,
    ckLightTick,
    ckDarkTick,
    ckFlat,
    ckXP,
    ckCustom,
    ckSystemFlat,
    ckSystemDefault
};

namespace vtree_resources {

// Images of the utility list.
constexpr int DropMarkLeftImage = 0, DropMarkRightImage = 1, SortAscendingImage = 2,
              SortDescendingImage = 3, PushButtonGlyphImage = 4, HotUnderlineLeftImage = 6,
              HotUnderlineMiddleImage = 7, HotUnderlineRightImage = 8;

// Makes the picture of that name ("VT_CHECK_LIGHT", "VT_XPBUTTONPLUS", "VT_MOVEALL", ...) as a
// 24-bit bitmap; an unknown name leaves the bitmap empty.
void DrawPicture(const UnicodeString& Name, TBitmap* Target);

// Fills a list with the squares of a picture strip (the strip's height is the list's size);
// with ColorRemapping white, silver, grey and black follow the window, face, shadow and button
// text colours of the system. A missing picture raises EAssertionFailed.
void LoadImageStrip(TCustomImageList* List, const UnicodeString& Name, bool ColorRemapping);

// Creates the shared resources unless that was done; the first tree window calls it.
void InitializeTreeUnit();
bool UnitInitialized() noexcept;
// Reloads the remapped lists so that they follow changed system colours.
void ReloadRemappedLists();

// The built-in list of a kind; null for ckCustom.
TCustomImageList* CheckImageListFor(TCheckImageKind Kind);
TCustomImageList* UtilityList();
// The header's column splitter cursor and the node-height splitter cursor.
HCURSOR HeaderSplitCursor();
HCURSOR VertSplitCursor();
// The clipboard format "Virtual Tree Reference".
UINT ReferenceFormat();
bool OleInitialized() noexcept;

} // namespace vtree_resources

// ---- blending ------------------------------------------------------------------------------

enum TVTBlendMode { blendConstant, blendPerPixel, blendMaster, blendMasterAndColor };

// Kernels over rows of 32-bit BGRA pixels, byte-exact to: v = (d * (256 - A) + s * A) >> 8,
// then v + Bias clamped to 0..255 (the colour kernel has no bias).
namespace vtree_blend {
void BlendRowConstant(const Byte* Source, Byte* Destination, int Count, int ConstantAlpha,
                      int Bias);
void BlendRowPerPixel(const Byte* Source, Byte* Destination, int Count, int Bias);
void BlendRowMaster(const Byte* Source, Byte* Destination, int Count, int ConstantAlpha, int Bias);
void BlendRowColor(Byte* Destination, int Count, int ConstantAlpha, COLORREF Color);
} // namespace vtree_blend

// Blends R of the source DC's 32-bit DIB onto the destination DC's 32-bit DIB at Target; in
// blendMasterAndColor the colour (Bias, a COLORREF) is blended into R of the destination
// and Source is not used. Both rectangles are clipped to their bitmaps. EAssertionFailed when
// a DC holds no bitmap or a bitmap that is not 32 bits per pixel.
void AlphaBlendRect(HDC Source, HDC Destination, const TRect& R, TPoint Target, TVTBlendMode Mode,
                    int ConstantAlpha, int Bias);
