// The tree's own drag picture: a translucent image of the dragged rows that follows the mouse
// on the screen. It keeps the screen pixels under the picture, blends the picture over them and
// restores them when the picture moves or goes. The system's drag-image helper (with a data
// object) belongs to drag and drop and is not used here.
//
// Classes here: TVTDragImage.
#pragma once

#include "framework/Graphics.h"
#include "framework/Sets.h"

#include <memory>

class TVirtualTreeWindow;

enum TVTDragMoveRestriction { dmrNone, dmrHorizontalOnly, dmrVerticalOnly };
enum TVTDragImageState { disHidden, disInDrag, disPrepared, disSystemSupport };
using TVTDragImageStates = TSet<TVTDragImageState>;
enum TVTDragImageKind { diComplete, diMainColumnOnly, diNoImage };

class TVTDragImage {
public:
    explicit TVTDragImage(TVirtualTreeWindow* AOwner) : FOwner(AOwner) {}
    ~TVTDragImage() { EndDrag(); }
    TVTDragImage(const TVTDragImage&) = delete;
    TVTDragImage& operator=(const TVTDragImage&) = delete;

    // Takes the picture (copied) and the screen positions of its top-left and of the mouse.
    // An empty picture prepares nothing.
    void PrepareDrag(TBitmap* DragImage, TPoint ImagePosition, TPoint HotSpot);
    void ShowDragImage();
    void HideDragImage();
    // Follows the mouse (screen point); answers whether the picture had to move or repaint.
    bool DragTo(TPoint P, bool ForceRepaint = false);
    bool WillMove(TPoint P) const;
    TRect GetDragImageRect() const;
    void EndDrag();

    bool Visible() const { return FStates == TVTDragImageStates{disInDrag, disPrepared}; }
    TVTDragImageStates States() const noexcept { return FStates; }
    TPoint ImagePosition() const noexcept { return FImagePosition; }
    // The picture with its alpha channel, while prepared.
    TBitmap* Picture() const noexcept { return FDragImage.get(); }

    Byte Transparency = 128;
    int PreBlendBias = 0;
    int PostBlendBias = 0;
    bool Fade = false;
    TVTDragMoveRestriction MoveRestriction = dmrNone;
    TColor ColorKey = clNone; // pixels of this colour stay fully transparent

private:
    using TOwnedBitmap = std::unique_ptr<TBitmap, graphics_detail::TFreeObject>;
    TPoint RestrictedDelta(TPoint P) const;
    void BuildAlphaChannel();
    void CaptureBackground();
    void RestoreBackground();
    void ShowPicture();

    TVirtualTreeWindow* FOwner;
    TOwnedBitmap FBackImage, FAlphaImage, FDragImage;
    TPoint FImagePosition;
    TPoint FLastPosition;
    TVTDragImageStates FStates;
};
