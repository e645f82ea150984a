// The tree's own drag picture (VTDragImage.h). Its alpha channel falls off from the centre,
// exp(-8 r) with r the distance from the centre relative to the longer side, so the picture is
// opaque in the middle and fades quickly towards its edges; colour-keyed pixels are fully
// transparent. Every move restores the old background, moves the picture, captures the new
// background and blends the picture over it: simple rather than minimal, and exact.
#include "vtree/VTDragImage.h"

#include "vtree/VTWindow.h"

#include <cmath>

void TVTDragImage::PrepareDrag(TBitmap* DragImage, TPoint ImagePosition, TPoint HotSpot) {
    EndDrag();
    if (!DragImage || DragImage->Width() <= 0 || DragImage->Height() <= 0) return;
    const int w = DragImage->Width(), h = DragImage->Height();
    FLastPosition = HotSpot;
    FBackImage.reset(new TBitmap(w, h, pf32bit));
    FAlphaImage.reset(new TBitmap(w, h, pf32bit));
    FDragImage.reset(new TBitmap(w, h, pf32bit));
    BitBlt(FDragImage->Canvas()->Handle(), 0, 0, w, h, DragImage->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    if (PreBlendBias != 0)
        AlphaBlendRect(FDragImage->Canvas()->Handle(), FDragImage->Canvas()->Handle(), {0, 0, w, h},
                       {0, 0}, blendConstant, 255, PreBlendBias); // in place: a brightened copy
    BuildAlphaChannel();
    FImagePosition = ImagePosition;
    FStates = {disHidden, disInDrag, disPrepared};
}

void TVTDragImage::BuildAlphaChannel() {
    const int w = FDragImage->Width(), h = FDragImage->Height();
    const int longer = std::max(w, h);
    if (longer <= 0) return; // an empty picture has no fall-off
    const bool keyed = ColorKey != clNone;
    const COLORREF key = keyed ? static_cast<COLORREF>(ColorToRGB(ColorKey)) : 0;
    for (int y = 0; y < h; ++y) {
        auto* pixel = static_cast<Byte*>(FDragImage->ScanLine(y));
        for (int x = 0; x < w; ++x, pixel += 4) {
            if (keyed && RGB(pixel[2], pixel[1], pixel[0]) == key) {
                pixel[3] = 0;
                continue;
            }
            const double dx = double(x - w / 2) / longer, dy = double(y - h / 2) / longer;
            pixel[3] =
                static_cast<Byte>(std::lround(std::exp(-8 * std::sqrt(dx * dx + dy * dy)) * 255));
        }
    }
}

void TVTDragImage::CaptureBackground() {
    TScreenDC screen;
    BitBlt(FBackImage->Canvas()->Handle(), 0, 0, FBackImage->Width(), FBackImage->Height(),
           screen.Get(), FImagePosition.x, FImagePosition.y, SRCCOPY);
}

void TVTDragImage::RestoreBackground() {
    TScreenDC screen;
    BitBlt(screen.Get(), FImagePosition.x, FImagePosition.y, FBackImage->Width(),
           FBackImage->Height(), FBackImage->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TVTDragImage::ShowPicture() {
    const int w = FBackImage->Width(), h = FBackImage->Height();
    HDC alpha = FAlphaImage->Canvas()->Handle();
    BitBlt(alpha, 0, 0, w, h, FBackImage->Canvas()->Handle(), 0, 0, SRCCOPY);
    const TVTBlendMode mode = Fade || ColorKey != clNone ? blendMaster : blendConstant;
    AlphaBlendRect(FDragImage->Canvas()->Handle(), alpha, {0, 0, w, h}, {0, 0}, mode, Transparency,
                   PostBlendBias);
    TScreenDC screen;
    BitBlt(screen.Get(), FImagePosition.x, FImagePosition.y, w, h, alpha, 0, 0, SRCCOPY);
}

void TVTDragImage::ShowDragImage() {
    if (FStates != TVTDragImageStates{disHidden, disInDrag, disPrepared}) return;
    FStates.Exclude(disHidden);
    GdiFlush();
    CaptureBackground();
    ShowPicture();
}

void TVTDragImage::HideDragImage() {
    if (!Visible()) return;
    FStates.Include(disHidden);
    RestoreBackground();
}

TPoint TVTDragImage::RestrictedDelta(TPoint P) const {
    TPoint delta{FLastPosition.x - P.x, FLastPosition.y - P.y};
    if (MoveRestriction == dmrHorizontalOnly) delta.y = 0;
    if (MoveRestriction == dmrVerticalOnly) delta.x = 0;
    return delta;
}

bool TVTDragImage::DragTo(TPoint P, bool ForceRepaint) {
    const TPoint delta = RestrictedDelta(P);
    const bool result = delta.x != 0 || delta.y != 0 || ForceRepaint;
    if (result && Visible()) {
        RestoreBackground();
        FImagePosition = {FImagePosition.x - delta.x, FImagePosition.y - delta.y};
        CaptureBackground();
        ShowPicture();
    } else if (result && FStates.Contains(disPrepared)) {
        FImagePosition = {FImagePosition.x - delta.x, FImagePosition.y - delta.y};
    }
    FLastPosition = P;
    return result;
}

bool TVTDragImage::WillMove(TPoint P) const {
    const TPoint delta = RestrictedDelta(P);
    return Visible() && (delta.x != 0 || delta.y != 0);
}

TRect TVTDragImage::GetDragImageRect() const {
    if (!Visible()) return {};
    return {FImagePosition.x, FImagePosition.y, FImagePosition.x + FDragImage->Width(),
            FImagePosition.y + FDragImage->Height()};
}

void TVTDragImage::EndDrag() {
    HideDragImage();
    FStates = {};
    FBackImage.reset();
    FAlphaImage.reset();
    FDragImage.reset();
}

// ---- the tree's picture of the dragged rows ---------------------------------------------------

void TVirtualTreeWindow::PrepareDragImage(TPoint HotSpot) {
    if (!CanShowDragImage()) return;
    const TPoint p{HotSpot.x + EffectiveOffsetX(), HotSpot.y - OffsetY()};
    const TRect treeRect{p.x - DragWidth / 2, p.y - DragHeight / 2, p.x - DragWidth / 2 + DragWidth,
                         p.y - DragHeight / 2 + DragHeight};
    const TPoint cut{std::max<LONG>(0, -treeRect.left), std::max<LONG>(0, -treeRect.top)};
    const TRect visible{std::max<LONG>(0, treeRect.left), std::max<LONG>(0, treeRect.top),
                        treeRect.right, treeRect.bottom};
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> picture(
        new TBitmap(treeRect.Width(), treeRect.Height(), pf32bit));
    picture->Canvas()->Brush()->SetColor(Color());
    picture->Canvas()->FillRect({0, 0, treeRect.Width(), treeRect.Height()});
    TVTInternalPaintOptions options{poDrawSelection, poSelectedOnly};
    if (DragImageKind == diMainColumnOnly) options.Include(poMainOnly);
    PaintTree(picture->Canvas(), visible, cut, options, pf32bit);
    POINT position{treeRect.left - EffectiveOffsetX(), treeRect.top + OffsetY()};
    POINT hotSpot{HotSpot.x, HotSpot.y};
    ::ClientToScreen(Handle(), &position);
    ::ClientToScreen(Handle(), &hotSpot);
    FDragImage->ColorKey = Color();
    FDragImage->PrepareDrag(picture.get(), {position.x, position.y}, {hotSpot.x, hotSpot.y});
}
