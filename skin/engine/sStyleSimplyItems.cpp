// Whole sections and controls: background, corner images and border mask into a bitmap, onto a
// device context, or over the whole of a bitmap by section name.
#include "skin/engine/sStyleSimply.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sSkinManager.h"

#include <memory>

namespace {

bool InsideBmp(const TRect& R, TBitmap* Bmp) {
    return R.left >= 0 && R.top >= 0 && R.right <= Bmp->Width() && R.bottom <= Bmp->Height();
}

// The four corner images of the section at R's corners, over the item's own pixels.
void PaintCorners(TBitmap* Bmp, const TRect& R, int State, const TsGeneralData& Section,
                  TsSkinManager* Manager) {
    const TCacheInfo self = CacheInfoFor(Bmp, 0, 0);
    const int corners[4] = {Section.ImgTL, Section.ImgTR, Section.ImgBL, Section.ImgBR};
    for (int i = 0; i < 4; ++i) {
        if (!Manager->IsValidImgIndex(corners[i])) continue;
        const TsMaskData& mask = Manager->ma[corners[i]];
        const int w = MaskStateWidth(mask), h = MaskStateHeight(mask);
        const TPoint at(i % 2 ? R.right - w : R.left, i < 2 ? R.top : R.bottom - h);
        PaintMaskImage(Bmp, at, State, mask, self, 1);
    }
}

// The border mask Index into R, CI moved by Offset for it.
void PaintBorder(TBitmap* Bmp, const TRect& R, bool Filling, TCacheInfo CI, TPoint Offset,
                 int Index, int State, bool UpdateTrans, TsSkinManager* Manager) {
    if (!Manager->IsValidImgIndex(Index)) return;
    CI.X += Offset.x, CI.Y += Offset.y;
    PaintBorderMask(Bmp, R, Filling, CI, Manager->ma[Index], State, UpdateTrans);
}

} // namespace

void PaintSkinItem(int SkinIndex, const UnicodeString& SkinSection, TCacheInfo CI, bool Filling,
                   int State, const TRect& R, TPoint Offset, TBitmap* Bmp,
                   TsSkinManager* SkinManager, int TextureIndex, int HotTextureIndex) {
    if (!SkinManager) SkinManager = DefaultSkinManager;
    if (!Bmp || R.left >= R.right || R.top >= R.bottom || !SkinManager ||
        !SkinManager->IsValidSkinIndex(SkinIndex) || !InsideBmp(R, Bmp))
        return;
    PaintSkinBackground(SkinIndex, SkinSection, CI, State, R, Offset, Bmp, SkinManager,
                        TextureIndex, HotTextureIndex, TransparentKeyColor);
    const TsGeneralData& section = SkinManager->gd[SkinIndex];
    PaintCorners(Bmp, R, State, section, SkinManager);
    PaintBorder(Bmp, R, Filling, CI, Offset, section.BorderIndex, State, true, SkinManager);
}

void PaintSkinItemDC(int SkinIndex, const UnicodeString& SkinSection, const TCacheInfo& CI,
                     bool Filling, int State, const TRect& R, TPoint Offset, HDC DC,
                     TsSkinManager* SkinManager) {
    if (!SkinManager) SkinManager = DefaultSkinManager;
    if (!SkinManager || !SkinManager->IsValidSkinIndex(SkinIndex)) return;
    if (R.left < 0 || R.top < 0 || R.left >= R.right || R.top >= R.bottom) return;
    const int saved = SaveDC(DC);
    std::unique_ptr<TBitmap, TFreeSkinObject> item(CreateBmp24(R.Width(), R.Height()));
    try {
        PaintSkinItem(SkinIndex, SkinSection, CI, Filling, State,
                      TRect(0, 0, R.Width(), R.Height()), Offset, item.get(), SkinManager);
        BitBlt(DC, R.left, R.top, R.Width(), R.Height(), item->Canvas()->Handle(), 0, 0, SRCCOPY);
    } catch (...) {
        RestoreDC(DC, saved);
        throw;
    }
    RestoreDC(DC, saved);
}

void PaintSkinItemWithBorder(int SkinIndex, int BorderIndex, int TextureIndex, int HotTextureIndex,
                             const TCacheInfo& CI, bool Filling, int State, const TRect& R,
                             TPoint Offset, TBitmap* Bmp, TsSkinManager* SkinManager) {
    if (!SkinManager) SkinManager = DefaultSkinManager;
    if (!Bmp || !SkinManager || !SkinManager->IsValidSkinIndex(SkinIndex) || !InsideBmp(R, Bmp))
        return;
    PaintItemBackground(SkinIndex, TextureIndex, HotTextureIndex, CI, State, R, Offset, Bmp,
                        SkinManager);
    PaintBorder(Bmp, R, Filling, CI, Offset, BorderIndex, State, true, SkinManager);
}

int PaintSkinSection(TBitmap* Bmp, const UnicodeString& SkinSection,
                     const UnicodeString& SecondSection, int State, TsSkinManager* SkinManager,
                     TPoint SrcPos, TColor FillColor, HDC SrcDC) {
    if (!SkinManager) SkinManager = DefaultSkinManager;
    if (!SkinManager || !Bmp) return -1;
    int index = SkinManager->GetSkinIndex(SkinSection);
    if (!SkinManager->IsValidSkinIndex(index)) index = SkinManager->GetSkinIndex(SecondSection);
    if (!SkinManager->IsValidSkinIndex(index)) return index;
    TCacheInfo ci;
    ci.FillColor = static_cast<COLORREF>(FillColor);
    if (SrcDC) {
        BitBlt(Bmp->Canvas()->Handle(), 0, 0, Bmp->Width(), Bmp->Height(), SrcDC, SrcPos.x,
               SrcPos.y, SRCCOPY);
        ci.Bmp = Bmp;
        ci.Ready = true;
    }
    PaintSkinItem(index, SkinManager->gd[index].ClassName, ci, true, State,
                  TRect(0, 0, Bmp->Width(), Bmp->Height()), TPoint(0, 0), Bmp, SkinManager);
    return index;
}

void PaintControlBackground(TsCommonData* CommonData, const TCacheInfo& CI, int State,
                            const TRect& R, TPoint Offset, TBitmap* Bmp) {
    TColor custom = TransparentKeyColor;
    if (CommonData->CustomColor() && CommonData->FOwnerControl)
        custom = ColorToRGB(CommonData->FOwnerControl->Color());
    PaintSkinBackground(CommonData->SkinIndex, CommonData->SkinSection(), CI, State, R, Offset, Bmp,
                        CommonData->SkinManager(), CommonData->Texture, CommonData->HotTexture,
                        custom);
}

void PaintControlSkin(TsCommonData* CommonData, TCacheInfo CI, bool Filling, int State,
                      const TRect& R, TPoint Offset, TBitmap* Bmp, bool UpdateTrans) {
    TsSkinManager* manager = CommonData->SkinManager();
    if (!Bmp || !manager || !manager->IsValidSkinIndex(CommonData->SkinIndex) || !InsideBmp(R, Bmp))
        return;
    PaintControlBackground(CommonData, CI, State, R, Offset, Bmp);
    const int border = CommonData->BorderIndex;
    if (manager->IsValidImgIndex(border) && !(State == 0 && (manager->ma[border].DrawMode & 2)))
        PaintBorder(Bmp, R, Filling, CI, Offset, border, State, UpdateTrans, manager);
    PaintCorners(Bmp, R, State, manager->gd[CommonData->SkinIndex], manager);
}

void PaintControlSkinOnParent(TsCommonData* CommonData, TControl* Parent, bool Filling, int State,
                              const TRect& R, TPoint Offset, TBitmap* Bmp, bool UpdateTrans) {
    TacBackgroundInfo info;
    AskControlBackground(info, Parent, false);
    TCacheInfo ci;
    BackgroundToCacheInfo(info, ci);
    PaintControlSkin(CommonData, ci, Filling, State, R, Offset, Bmp, UpdateTrans);
}
