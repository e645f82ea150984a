// An alpha image list's pictures as 32-bit bitmaps, and one state of an image list's picture
// painted into a bitmap or onto a device context (see acAlphaImageList.h).
#include "skin/engine/acAlphaImageList.h"

#include "framework/SystemInfo.h"
#include "skin/engine/acBitmapResampling.h"
#include "skin/engine/acPNG.h"
#include "skin/engine/sAlphaGraph.h"

#include <memory>

namespace {

using TTempBitmap = std::unique_ptr<TBitmap, graphics_detail::TFreeObject>;

DWORD* Row32(TBitmap& Bmp, int Y) { return static_cast<DWORD*>(Bmp.ScanLine(Y)); }

// A picture without alpha is made transparent where it shows its bottom-left colour.
void AlphaFromCornerKey(TBitmap& Bmp) {
    if (alpha_image_list_detail::HasAlpha(Bmp) || Bmp.Width() < 2 || Bmp.Height() < 2) return;
    alpha_image_list_detail::OpaqueExceptKey(Bmp, Row32(Bmp, Bmp.Height() - 1)[0]);
}

// Before version 6 the system list keeps no alpha on screens under 32 bits per pixel.
bool SystemListDropsAlpha() {
    const TScreenDC screen;
    return Win32MajorVersion() < 6 && GetDeviceCaps(screen.Get(), BITSPIXEL) < 32;
}

} // namespace

namespace alpha_image_list_detail {

bool IconColourBitmap(HICON Icon, TBitmap& Colour) {
    ICONINFO info{};
    if (!GetIconInfo(Icon, &info)) return false;
    const TOwnedBitmap mask(info.hbmMask), colour(info.hbmColor);
    if (!colour) return false;
    HANDLE copy = CopyImage(colour.Get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!copy) return false;
    Colour.SetHandle(static_cast<HBITMAP>(copy));
    Colour.SetPixelFormat(pf32bit);
    return true;
}

bool HasAlpha(TBitmap& Bmp) {
    for (int y = 0; y < Bmp.Height(); ++y) {
        const DWORD* row = Row32(Bmp, y);
        for (int x = 0; x < Bmp.Width(); ++x)
            if (row[x] >> 24) return true;
    }
    return false;
}

void OpaqueExceptKey(TBitmap& Bmp, DWORD Key) {
    if (HasAlpha(Bmp)) return;
    for (int y = 0; y < Bmp.Height(); ++y) {
        DWORD* row = Row32(Bmp, y);
        for (int x = 0; x < Bmp.Width(); ++x)
            if (row[x] != Key) row[x] |= 0xFF000000;
    }
}

} // namespace alpha_image_list_detail

bool TsAlphaImageList::GetBitmap32(int Index, TBitmap* Image) {
    if (!HandleAllocated() || !Image || Index < 0 || Index >= Count()) return false;
    if (KeepsImageData() && Index < FItems->Count() && FItems->Items(Index)->ImageFormat == ifPNG &&
        FItems->Items(Index)->ImgData->Size() > 0) {
        TPNGGraphic png;
        TMemoryStream* data = FItems->Items(Index)->ImgData;
        data->SetPosition(0);
        png.LoadFromStream(data);
        if (png.Width() == Width() && png.Height() == Height()) {
            Image->Assign(&png);
        } else {
            Image->SetPixelFormat(pf32bit);
            ResampleBmp(&png, Image, Image->Width(), Image->Height(), 6);
        }
        if (Image->PixelFormat() != pf32bit) {
            Image->SetPixelFormat(pf32bit);
            AlphaFromCornerKey(*Image);
        }
        return true;
    }
    const TOwnedIcon icon(ImageList_GetIcon(Handle(), Index, ILD_NORMAL));
    TTempBitmap colour(CreateBmp32(Image->Width(), Image->Height()));
    if (!icon || !alpha_image_list_detail::IconColourBitmap(icon.Get(), *colour)) return false;
    if (SystemListDropsAlpha()) AlphaFromCornerKey(*colour);
    Image->Assign(colour.get());
    return true;
}

void PaintImgListItem(TCustomImageList* ImgList, TBitmap* Bmp, int Left, int Top, int ImageIndex,
                      int Blend, TColor Colour, int State, int NumGlyphs, bool Reflected,
                      TSize& Size) {
    if (!Bmp || Bmp->Width() == 0 || !ImgList || !ImgList->HandleAllocated()) return;
    NumGlyphs = std::max(NumGlyphs, 1);
    const int w = ImgList->Width() / NumGlyphs, h = ImgList->Height();
    if (State >= NumGlyphs) State = NumGlyphs - 1;
    const TRect dst(Left, Top, Left + w, Top + h);
    const TRect src(w * State, 0, w * State + w, h);
    Size = TSize(w, h);
    if (auto* alphaList = dynamic_cast<TsAlphaImageList*>(ImgList)) {
        TTempBitmap picture(CreateBmp32(ImgList->Width(), h));
        if (alphaList->GetBitmap32(ImageIndex, picture.get()))
            DrawAlphaImage(dst, src, Bmp, picture.get(), EmptyCacheInfo, false, Colour, Blend,
                           Reflected);
        return;
    }
    TTempBitmap picture(CreateBmp24(ImgList->Width(), h));
    BitBlt(picture->Canvas()->Handle(), src.left, 0, w, h, Bmp->Canvas()->Handle(), Left, Top,
           SRCCOPY);
    ImgList->Draw(picture->Canvas(), 0, 0, ImageIndex, true);
    BitBlt(Bmp->Canvas()->Handle(), Left, Top, w, h, picture->Canvas()->Handle(), src.left, 0,
           SRCCOPY);
}

void PaintImgListItemDC(TCustomImageList* ImgList, HDC DC, int X, int Y, int ImageIndex, int Blend,
                        TColor Colour, int State, int NumGlyphs, bool Reflected) {
    if (!ImgList) return;
    const int h = ImgList->Height() + (Reflected ? ImgList->Height() / 2 : 0);
    TTempBitmap area(CreateBmp24(ImgList->Width(), h));
    BitBlt(area->Canvas()->Handle(), 0, 0, area->Width(), h, DC, X, Y, SRCCOPY);
    TSize size;
    PaintImgListItem(ImgList, area.get(), 0, 0, ImageIndex, Blend, Colour, State, NumGlyphs,
                     Reflected, size);
    BitBlt(DC, X, Y, area->Width(), h, area->Canvas()->Handle(), 0, 0, SRCCOPY);
}
