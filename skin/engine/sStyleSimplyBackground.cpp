// Section backgrounds: the section fill (texture or pattern, gradient, colour share) and its
// placing over the parent's background by the section's transparency.
#include "skin/engine/sStyleSimply.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinManager.h"

#include <memory>

namespace {

using TTempBmp = std::unique_ptr<TBitmap, TFreeSkinObject>;

// The values one fill paints with.
struct TFillValues {
    TColor Color = 0;
    int Transparency = 0;
    int ImagePercent = 0;
    int GradientPercent = 0;
    const TsGradArray* Gradient = nullptr; // no bands: the colour stands in for the gradient
    int MaskIndex = -1;                    // a texture image (-1: none)
    int PatternIndex = -1;                 // a JPEG pattern (-1: none)
    // The item painter's rules: its own image share and colour-share steps.
    bool ItemRules = false;
    // The parent is blended in afterwards, so the fill is the section's alone.
    bool ParentLater = false;
};

bool Valid(int Index, std::size_t Count) {
    return Index >= 0 && static_cast<std::size_t>(Index) < Count;
}

TTempBmp TempLike(TBitmap* Bmp, int Width, int Height) {
    return TTempBmp(PixelBytes(Bmp) == 4 ? CreateBmp32(Width, Height) : CreateBmp24(Width, Height));
}

void FillColour(TBitmap* Bmp, const TRect& R, TColor Color) {
    if (R.Width() < 1 || R.Height() < 1) return;
    if (PixelBytes(Bmp) == 4)
        FillRect32(Bmp, R, Color);
    else
        PaintSolidRect(Bmp->Canvas()->Handle(), R, Color);
}

// The parent's pixels into R: CI.Bmp from (CI.X + Offset.X, CI.Y + Offset.Y); nothing when the
// parent is Bmp itself (its pixels are already there).
void CopyParent(TBitmap* Bmp, const TRect& R, const TCacheInfo& CI, TPoint Offset) {
    if (!CI.Bmp || CI.Bmp == Bmp) return;
    BitBlt(Bmp->Canvas()->Handle(), R.left, R.top, R.Width(), R.Height(),
           CI.Bmp->Canvas()->Handle(), CI.X + Offset.x, CI.Y + Offset.y, SRCCOPY);
}

// The gradient bands over Area of Bmp, or the colour where there are none.
void GradientOrColour(TBitmap* Bmp, const TRect& Area, const TFillValues& V) {
    if (V.Gradient && !V.Gradient->empty())
        PaintGradient(Bmp, Area, *V.Gradient);
    else
        FillColour(Bmp, Area, V.Color);
}

// The texture into A; answers whether one was there to paint. What the texture leaves is
// filled with the colour.
bool PaintImage(TBitmap* Bmp, const TRect& A, const TFillValues& V, const TCacheInfo& CI,
                TsSkinManager* Manager) {
    TRect rest = A;
    bool painted = false;
    if (Valid(V.PatternIndex, Manager->pa.size())) {
        PaintTexture(Bmp->Canvas(), rest, Manager->pa[V.PatternIndex].Img.get(), 0, TsMaskData{});
        painted = true;
    } else if (Valid(V.MaskIndex, Manager->ma.size())) {
        const TsMaskData& mask = Manager->ma[V.MaskIndex];
        if (mask.MaskType != 0)
            PaintMaskedTexture(Bmp, rest, CI, mask.DrawMode, mask);
        else
            PaintTexture(Bmp->Canvas(), rest, mask.Bmp.get(), mask.DrawMode, mask);
        painted = true;
    }
    if (rest != NoRemainder) FillColour(Bmp, rest, V.Color);
    return painted;
}

// The section fill into A of Bmp. CI's parent pixel of Bmp's (x, y) is (CI.X + x, CI.Y + y).
void PaintSectionFill(TBitmap* Bmp, const TRect& A, const TFillValues& V, const TCacheInfo& CI,
                      TsSkinManager* Manager) {
    bool imagePainted = false;
    if (V.ImagePercent > 0) imagePainted = PaintImage(Bmp, A, V, CI, Manager);
    if (V.GradientPercent > 0) {
        if (imagePainted) {
            TTempBmp gradient = TempLike(Bmp, A.Width(), A.Height());
            GradientOrColour(gradient.get(), TRect(0, 0, A.Width(), A.Height()), V);
            const int alpha = V.ItemRules ? std::min(V.ImagePercent * 256 / 100, 255)
                                          : ClampToByte(V.ImagePercent * 255 / 100);
            BlendBmpArea(Bmp, gradient.get(), alpha, TRect(0, 0, A.Width(), A.Height()),
                         TPoint(A.left, A.top));
        } else {
            GradientOrColour(Bmp, A, V);
        }
    }
    const int share = V.ImagePercent + V.GradientPercent;
    if (share > 0 && share < 100) {
        BlendBmpWithColor(Bmp, TRect(A.left, A.top, A.right - 1, A.bottom - 1), share, V.Color);
        return;
    }
    if (V.ItemRules ? share == 100 : share >= 100) return;
    const bool parentColour =
        !CI.Ready && !V.ParentLater && (V.ItemRules ? V.Transparency == 100 : V.Transparency != 0);
    FillColour(Bmp, A, parentColour ? static_cast<TColor>(CI.FillColor) : V.Color);
}

// CI as the fill sees it: the parent pixel of Bmp's (x, y) is (CI.X + x, CI.Y + y), as for the
// border painter.
TCacheInfo FillCacheInfo(TCacheInfo CI, TPoint Offset) {
    CI.X += Offset.x;
    CI.Y += Offset.y;
    return CI;
}

// The fill blended over the parent: T percent of the parent shows through. Nothing for a rect
// of no pixels.
void BlendOverParent(TBitmap* Bmp, const TRect& R, TFillValues V, const TCacheInfo& CI,
                     TPoint Offset, TsSkinManager* Manager) {
    if (R.Width() < 1 || R.Height() < 1) return;
    TTempBmp fill = TempLike(Bmp, R.Width(), R.Height());
    // The temporary bitmap's (0, 0) lies at R's top-left corner.
    const TCacheInfo local = FillCacheInfo(CI, TPoint(Offset.x + R.left, Offset.y + R.top));
    V.ParentLater = true;
    PaintSectionFill(fill.get(), TRect(0, 0, R.Width(), R.Height()), V, local, Manager);
    if (CI.Ready)
        CopyParent(Bmp, R, CI, Offset);
    else
        FillColour(Bmp, R, static_cast<TColor>(CI.FillColor));
    BlendBmpArea(Bmp, fill.get(), ClampToByte(V.Transparency * 255 / 100),
                 TRect(0, 0, R.Width(), R.Height()), TPoint(R.left, R.top));
}

// The texture of a state: a plain image given, or one looked up by key; else a pattern.
void ChooseTexture(TFillValues& V, int SkinIndex, const UnicodeString& Section, int State,
                   int TextureIndex, int HotTextureIndex, TsSkinManager* Manager) {
    const wchar_t* key = State == 0 ? L"PATTERN" : L"HOTPATTERN";
    int index = State == 0 ? TextureIndex : HotTextureIndex;
    if (index == -1)
        index = Manager->GetMaskIndex(SkinIndex, Section, key);
    else if (Manager->IsValidImgIndex(index) && Manager->ma[index].MaskType != 0)
        index = -1;
    if (Manager->IsValidImgIndex(index)) {
        V.MaskIndex = index;
        return;
    }
    V.PatternIndex = Manager->GetPatternIndex(SkinIndex, Section, key);
}

// The masked texture of mode 10 laid over the normal state's background.
void PaintOverlay(TBitmap* Bmp, const TRect& R, TCacheInfo CI, TPoint Offset, int TextureIndex,
                  int HotTextureIndex, TsSkinManager* Manager) {
    const bool masked =
        Manager->IsValidImgIndex(TextureIndex) && Manager->ma[TextureIndex].MaskType > 0;
    const int index = masked ? TextureIndex : HotTextureIndex;
    if (!Manager->IsValidImgIndex(index)) return;
    const TsMaskData& mask = Manager->ma[index];
    if (mask.MaskType <= 0 || mask.DrawMode != 10) return;
    CI.X += Offset.x, CI.Y += Offset.y;
    TRect area = R;
    PaintMaskedTexture(Bmp, area, CI, 10, mask);
}

} // namespace

void PaintSkinBackground(int SkinIndex, const UnicodeString& SkinSection, const TCacheInfo& CI,
                         int State, const TRect& R, TPoint Offset, TBitmap* Bmp,
                         TsSkinManager* SkinManager, int TextureIndex, int HotTextureIndex,
                         TColor CustomColor) {
    if (!SkinManager) SkinManager = DefaultSkinManager;
    if (!DefaultSkinManager || !SkinManager->IsValidSkinIndex(SkinIndex) || !PixelBytes(Bmp))
        return;
    const TsGeneralData& section = SkinManager->gd[SkinIndex];
    TFillValues v;
    if (CustomColor != TransparentKeyColor) {
        v.Color = CustomColor;
    } else {
        v.Color = State == 0 ? section.Color : section.HotColor;
        v.Transparency = State == 0 ? section.Transparency : section.HotTransparency;
        if (v.Transparency != 100) {
            v.ImagePercent = State == 0 ? section.ImagePercent : section.HotImagePercent;
            v.GradientPercent = State == 0 ? section.GradientPercent : section.HotGradientPercent;
            v.Gradient = State == 0 ? &section.GradientArray : &section.HotGradientArray;
        }
    }
    if (v.ImagePercent > 0)
        ChooseTexture(v, SkinIndex, SkinSection, State, TextureIndex, HotTextureIndex, SkinManager);
    const bool unknownParent = !CI.Ready && CI.FillColor == TransparentKeyColor;
    if (unknownParent || v.Transparency == 0) {
        PaintSectionFill(Bmp, R, v, FillCacheInfo(CI, Offset), SkinManager);
    } else if (v.Transparency == 100) {
        if (CI.Ready)
            CopyParent(Bmp, R, CI, Offset);
        else
            FillColour(Bmp, R, static_cast<TColor>(CI.FillColor));
    } else {
        BlendOverParent(Bmp, R, v, CI, Offset, SkinManager);
    }
    if (State == 0) PaintOverlay(Bmp, R, CI, Offset, TextureIndex, HotTextureIndex, SkinManager);
}

void PaintItemBackground(int SkinIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI,
                         int State, const TRect& R, TPoint Offset, TBitmap* Bmp,
                         TsSkinManager* SkinManager) {
    if (!SkinManager) SkinManager = DefaultSkinManager;
    if (!SkinManager || !SkinManager->IsValidSkinIndex(SkinIndex) || !PixelBytes(Bmp)) return;
    const TsGeneralData& section = SkinManager->gd[SkinIndex];
    TFillValues v;
    v.ItemRules = true;
    v.Color = State == 0 ? section.Color : section.HotColor;
    v.Transparency = State == 0 ? section.Transparency : section.HotTransparency;
    v.ImagePercent = State == 0 ? section.ImagePercent : section.HotImagePercent;
    v.GradientPercent = State == 0 ? section.GradientPercent : section.HotGradientPercent;
    v.Gradient = State == 0 ? &section.GradientArray : &section.HotGradientArray;
    v.MaskIndex = State == 0 ? TextureIndex : HotTextureIndex;
    if (CI.Ready && v.Transparency == 100) {
        CopyParent(Bmp, R, CI, Offset);
    } else if (!CI.Ready || v.Transparency == 0) {
        PaintSectionFill(Bmp, R, v, FillCacheInfo(CI, Offset), SkinManager);
    } else if (v.Transparency > 0) {
        BlendOverParent(Bmp, R, v, CI, Offset, SkinManager);
    }
}
