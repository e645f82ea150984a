// TImage and TPaintBox: graphic controls that paint a picture, or whatever their event draws.
// The image repaints whenever its picture changes (drawing on Canvas included, through the
// picture's OnChange) and takes the picture's size then when AutoSize is set.
#include "framework/ExtCtrls.h"

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
    FPicture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { FPicture->OnChange = {}; }

TCanvas* TImage::Canvas() {
    if (!FPicture->Graphic()) {
        TBitmap blank(Width(), Height(), pf32bit);
        FPicture->SetGraphic(&blank);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
    if (!bitmap) throw EInvalidOperation(L"Can only modify an image if it contains a bitmap");
    return bitmap->Canvas();
}

void TImage::SetFlag(bool& field, bool value) {
    if (value == field) return;
    field = value;
    Invalidate();
}

void TImage::SetStretch(bool value) { SetFlag(FStretch, value); }
void TImage::SetCenter(bool value) { SetFlag(FCenter, value); }
void TImage::SetProportional(bool value) { SetFlag(FProportional, value); }

void TImage::SetTransparent(bool value) {
    if (value == FTransparent) return;
    FTransparent = value;
    PictureChanged(this);
}

void TImage::PictureChanged(TObject*) {
    TGraphic* graphic = FPicture->Graphic();
    if (graphic && graphic->Transparent() != FTransparent) graphic->SetTransparent(FTransparent);
    if (AutoSize() && graphic) SetBounds(Left(), Top(), Width(), Height());
    Invalidate();
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (!FPicture->Graphic()) return false;
    NewWidth = FPicture->Width();
    NewHeight = FPicture->Height();
    return true;
}

namespace {

// The largest size of the picture's aspect that fits the area.
TSize FitKeepingAspect(int width, int height, int areaWidth, int areaHeight) {
    const double aspect = static_cast<double>(width) / height;
    if (areaWidth / aspect <= areaHeight) return {areaWidth, static_cast<LONG>(areaWidth / aspect)};
    return {static_cast<LONG>(areaHeight * aspect), areaHeight};
}

} // namespace

TRect TImage::DestRect() {
    int width = FPicture->Width();
    int height = FPicture->Height();
    const int areaWidth = ClientWidth();
    const int areaHeight = ClientHeight();
    const bool larger = width > areaWidth || height > areaHeight;
    if (FStretch || (FProportional && larger)) {
        if (FProportional && width > 0 && height > 0) {
            const TSize fitted = FitKeepingAspect(width, height, areaWidth, areaHeight);
            width = fitted.cx;
            height = fitted.cy;
        } else {
            width = areaWidth;
            height = areaHeight;
        }
    }
    if (!FCenter) return {0, 0, width, height};
    const int left = (areaWidth - width) / 2;
    const int top = (areaHeight - height) / 2;
    return {left, top, left + width, top + height};
}

void TImage::Paint() {
    if (FPicture->Graphic())
        TGraphicControl::Canvas()->StretchDraw(DestRect(), FPicture->Graphic());
}

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint() {
    Canvas()->SetFont(Font());
    Canvas()->Brush()->SetColor(Color());
    OnPaint(this);
}
