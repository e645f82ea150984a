// Section painting: one skin section turned into pixels of an off-screen bitmap — its background
// (colour, texture or pattern, gradient, transparency over the parent's background), its four
// corner images and its border mask.
//
// Three families: section painters given a section index and a manager (null: the default
// manager), control painters given a control's skin link, and the texture painters the
// background step uses. State 0 is the normal look; any other state takes the section's hot
// values and the "HOTPATTERN" texture. CI describes the parent's background: the parent pixel
// under R's top-left corner is CI.Bmp at (CI.X + Offset.X, CI.Y + Offset.Y) when CI.Ready, else
// the parent is the plain colour CI.FillColor (0xFF00FF: nothing is known about it). Pieces
// that show the parent through their holes (masked textures, border corners) read it at
// (CI.X + Offset.X + x, CI.Y + Offset.Y + y) for the bitmap's pixel (x, y); the two agree for
// a rect at the bitmap's origin, as a control's cache has it, and for a CI.Bmp that is Bmp
// itself.
//
// Painters never raise for bad skin data: an invalid index, a missing bitmap or manager, an
// empty rect or one outside the bitmap paints nothing, and a texture tile under 1 x 1 pixel is
// not tiled. Temporary bitmaps live only for the call. GUI thread only.
#pragma once

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sMaskData.h"

class TsCommonData;

// ---- section painters ------------------------------------------------------------------------

// The section's background into R of Bmp. SkinSection names the section for texture look-ups;
// TextureIndex and HotTextureIndex are the textures of the two states (-1: looked up by key).
// A CustomColor other than 0xFF00FF paints R in that colour alone.
void PaintSkinBackground(int SkinIndex, const UnicodeString& SkinSection, const TCacheInfo& CI,
                         int State, const TRect& R, TPoint Offset, TBitmap* Bmp,
                         TsSkinManager* SkinManager, int TextureIndex, int HotTextureIndex,
                         TColor CustomColor);
// The simpler background used with explicit border masks: the textures are the given indexes
// alone (never looked up, never a pattern).
void PaintItemBackground(int SkinIndex, int TextureIndex, int HotTextureIndex, const TCacheInfo& CI,
                         int State, const TRect& R, TPoint Offset, TBitmap* Bmp,
                         TsSkinManager* SkinManager);
// Background, corner images and border mask (its centre too when Filling) into R of Bmp, which
// must lie inside Bmp.
void PaintSkinItem(int SkinIndex, const UnicodeString& SkinSection, TCacheInfo CI, bool Filling,
                   int State, const TRect& R, TPoint Offset, TBitmap* Bmp,
                   TsSkinManager* SkinManager, int TextureIndex = -1, int HotTextureIndex = -1);
// PaintSkinItem through a temporary 24-bit bitmap of R's size copied to DC at R's top-left.
void PaintSkinItemDC(int SkinIndex, const UnicodeString& SkinSection, const TCacheInfo& CI,
                     bool Filling, int State, const TRect& R, TPoint Offset, HDC DC,
                     TsSkinManager* SkinManager);
// PaintItemBackground plus the border mask BorderIndex (no corner images).
void PaintSkinItemWithBorder(int SkinIndex, int BorderIndex, int TextureIndex, int HotTextureIndex,
                             const TCacheInfo& CI, bool Filling, int State, const TRect& R,
                             TPoint Offset, TBitmap* Bmp, TsSkinManager* SkinManager);
// The section SkinSection (else SecondSection) over the whole of Bmp, filled. With a SrcDC the
// bitmap first takes the DC's pixels from SrcPos and they are the parent; otherwise the parent
// is FillColor. Answers the section index used (-1 when neither name exists).
int PaintSkinSection(TBitmap* Bmp, const UnicodeString& SkinSection,
                     const UnicodeString& SecondSection, int State, TsSkinManager* SkinManager,
                     TPoint SrcPos, TColor FillColor, HDC SrcDC);

// ---- control painters --------------------------------------------------------------------

// PaintSkinBackground with the link's section, textures and manager; a link with CustomColor
// paints its owner's colour.
void PaintControlBackground(TsCommonData* CommonData, const TCacheInfo& CI, int State,
                            const TRect& R, TPoint Offset, TBitmap* Bmp);
// Background, border mask (none in state 0 for a mask of DrawMode bit 2) and corner images.
void PaintControlSkin(TsCommonData* CommonData, TCacheInfo CI, bool Filling, int State,
                      const TRect& R, TPoint Offset, TBitmap* Bmp, bool UpdateTrans);
// PaintControlSkin over the background Parent answers.
void PaintControlSkinOnParent(TsCommonData* CommonData, TControl* Parent, bool Filling, int State,
                              const TRect& R, TPoint Offset, TBitmap* Bmp, bool UpdateTrans);

// ---- texture painters ----------------------------------------------------------------------

// The rect (-1, -1, -1, -1) that a texture painter answers when it left nothing unpainted.
inline const TRect NoRemainder{-1, -1, -1, -1};

// A plain texture into R of the canvas: a non-empty Img is tiled over R whatever the mode;
// otherwise MaskData's rect of the manager's master bitmap is laid out by Mode (0..14). R returns
// the part the caller still fills, or NoRemainder.
void PaintTexture(TCanvas* Canvas, TRect& R, TGraphic* Img, int Mode, const TsMaskData& MaskData);
// A masked texture (image row over mask row, one tile per state width) into R of Bmp; its holes
// show CI's parent pixel (CI.X + x, CI.Y + y) or CI.FillColor. Modes 0 and 10 tile whole rows
// and return NoRemainder; mode 10 also gives the bands beyond the last whole row and column the
// parent's background; other modes paint nothing and leave R.
void PaintMaskedTexture(TBitmap* Bmp, TRect& R, const TCacheInfo& CI, int Mode,
                        const TsMaskData& MaskData);
// Tiles a bitmap (partial tiles at the right and bottom) or draws a JPEG image at every grid
// point under a clip to R; nothing for a null or empty image or another kind of graphic.
void TileGraphic(TCanvas* Canvas, const TRect& R, TGraphic* Img);
