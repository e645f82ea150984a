// Pixel work of the skin engine on bitmaps in memory: scan-line accessors for 24- and 32-bit
// device-independent bitmaps, the integer constant-alpha blends of fades and animations, colour
// arithmetic, tints, greying, transparency blends, opaque copies and the rounded soft shadow.
//
// Classes: TacFastBase (the shared scan-line addressing), TacFast24, TacFast32, TacFastSum
// (TacFastSum24 and TacFastSum32).
//
// Pixels are stored blue, green, red (24 bits) or blue, green, red, alpha (32 bits); colours are
// 0x00BBGGRR. Every routine works through row pointers, never through the canvas, and clips what
// it is given to the bitmaps it reads and writes: a position outside a bitmap is skipped, never
// read or written. Integer blends round as (value + 127) >> 8, real-valued ones to the nearest
// integer with halves to the even neighbour. GUI thread only: the shared accessors make the
// routines that use them non-reentrant.
#pragma once

#include "framework/Graphics.h"
#include "skin/engine/sConst.h"        // TransparentKeyColor
#include "skin/engine/sGeneralUtils.h" // ClampToByte, RectSpanX

#include <cstddef>

// user32's UpdateLayeredWindow, bound by name at the library's start-up and null where the system
// lacks it: glow, fade and extended-border windows then take their fallbacks. Tests put a double
// of their own here to see the bitmap and blend each layered window is handed.
using TUpdateLayeredWindowProc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                               BLENDFUNCTION*, DWORD);
extern TUpdateLayeredWindowProc UpdateLayeredWindowProc;
// UpdateLayeredWindowProc is bound.
bool LayeredWindowsAvailable();

// Both corners of Inner inside Outer, edges included.
bool RectContainsRect(const TRect& Outer, const TRect& Inner);
// 3 for a 24-bit bitmap, 4 for a 32-bit one, 0 for anything else (null and empty included).
int PixelBytes(TBitmap* Bmp);

// ---- scan-line accessors ------------------------------------------------------------------------

// Addresses the pixels of one bitmap of BytesPerPixel bytes a pixel through its scan line 0 and
// the byte distance between rows (negative for bottom-up DIBs). Positions are not checked:
// callers keep them inside Width x Height.
template <int BytesPerPixel> class TacFastBase {
public:
    // False, with Width 0, for null, a bitmap under 2 x 2 or a bitmap of another pixel format
    // (a 24-bit bitmap read 4 bytes a pixel would be read past its rows).
    bool Attach(TBitmap* Bmp);
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    Byte* Pixel(int X, int Y) const noexcept { return FStart + Y * FDelta + X * BytesPerPixel; }

protected:
    TBitmap* FBitmap = nullptr; // not owned
    int FWidth = 0;
    int FHeight = 0;
    std::ptrdiff_t FDelta = 0;
    Byte* FStart = nullptr;
};

// Row addresses of any bitmap with rows, from two scan-line calls: for loops over many short
// pieces, where a scan-line call per row would cost more than the pixels.
class TacRows {
public:
    explicit TacRows(TBitmap* Bmp);
    Byte* Row(int Y) const noexcept { return FStart + Y * FDelta; }

private:
    Byte* FStart;
    std::ptrdiff_t FDelta;
};

class TacFast24 : public TacFastBase<3> {
public:
    TColor ReadPixel(int X, int Y) const noexcept; // 0x00BBGGRR
};

class TacFast32 : public TacFastBase<4> {
public:
    DWORD ReadPixel(int X, int Y) const noexcept; // 0xAABBGGRR
    void WritePixel(int X, int Y, DWORD Color) noexcept;
    // Rows R.Top to R.Bottom - 1, columns R.Left to R.Right - 1 (clipped to the bitmap) set to
    // Pixel, a raw value whose bytes are B, G, R, A from the lowest.
    void FillRect(const TRect& R, DWORD Pixel) noexcept;
};

// Blends a rectangle of a source bitmap into a destination bitmap of the same pixel format:
// per byte (alpha included) dst := (dst x Alpha + src x (255 - Alpha) + 127) >> 8, Alpha weighting
// the destination. The source pixel of destination (x, y) is (x + SrcX1 - DstX1,
// y + SrcY2 - DstY2). Rectangles are right and bottom exclusive.
template <int BytesPerPixel> class TacFastSum {
public:
    // False when either bitmap is under 2 x 2 or not of BytesPerPixel bytes a pixel.
    bool Attach(TBitmap* Src, TBitmap* Dst);
    // Only the part of the destination rectangle whose destination and source pixels both lie
    // inside their bitmaps is blended.
    void BlendBitmapsRect() noexcept;

    Byte Alpha = 0;
    int DstX1 = 0, DstY1 = 0, DstX2 = 0, DstY2 = 0;
    int SrcX1 = 0, SrcY1 = 0, SrcX2 = 0, SrcY2 = 0;

private:
    TacFastBase<BytesPerPixel> FSrc; // the bitmaps are not owned
    TacFastBase<BytesPerPixel> FDst;
};
using TacFastSum24 = TacFastSum<3>;
using TacFastSum32 = TacFastSum<4>;

// The module's shared accessors; their fields are set again by every use.
extern TacFast24 FastAccess24;
extern TacFast24 FastAccess24b;
extern TacFastSum24 FastBlend24;
extern TacFast32 FastAccess32;

// ---- pixels and colours
// ---------------------------------------------------------------------------

// Value rounded to the nearest integer, halves to the even one, for |Value| < 2^51: the library's
// rounding without its call, for per-pixel loops (double arithmetic in SSE registers).
inline double RoundHalfEven(double Value) {
    constexpr double shift = 6755399441055744.0; // 1.5 x 2^52
    return (Value + shift) - shift;
}
// The 32-bit pixel of Color with alpha 255 (bytes B, G, R, 255).
DWORD ColorToBGRA(TColor Color);
// The value unchanged: colours and pixels share one layout here.
constexpr TColor ColorAsPixel(TColor Color) { return Color; }
// Fills R of a 32-bit bitmap with ColorToBGRA(Color); nothing when it is not one of 2 x 2 or more.
void FillRect32(TBitmap* Bmp, const TRect& R, TColor Color);
// Per channel Round(W x c1 + (1 - W) x c2); the top byte of C1 carries over.
TColor BlendColors(TColor C1, TColor C2, double W);
// Moves each channel by Amount percent toward the pixel's grey (away from it when negative).
TColor ChangeColorSaturation(TColor Color, int Amount);
// Rotates the hue by Delta degrees (any sign; the hue is taken modulo 360).
TColor ShiftColorHue(int Delta, TColor Color);

// ---- whole-bitmap and rectangle operations
// --------------------------------------------------------

// New device-independent bitmaps (the caller frees them).
TBitmap* CreateBmp24(int Width, int Height);
TBitmap* CreateBmp32(int Width, int Height);
TBitmap* CreateBmpLike(TBitmap* Model);

// R (right and bottom inclusive, clipped) of a 24- or 32-bit bitmap, per colour channel
// Round(byte x Percent / 100 + channel x (1 - Percent / 100)); alpha bytes are left.
void BlendBmpWithColor(TBitmap* Bmp, const TRect& R, int Percent, TColor Color);
// Puts Src pixels into the transparent places of R of Dst (the pixel at the same offset from
// SrcR's top-left corner). Transparent: with MaskIndex -1 a Dst pixel of TransparentKeyColor;
// otherwise a key-colour pixel of the mask image MaskIndex of Manager, laid at its Corner (13
// top-left, 14 top-right, 16 bottom-left, 17 bottom-right, others top-left). Both bitmaps must be
// 32-bit (a 24-bit row read as 32-bit would be overrun): other formats copy nothing.
class TsSkinManager;
void CopyTransparentPixels(TBitmap* Dst, TBitmap* Src, const TRect& R, int Corner,
                           TsSkinManager* Manager, int MaskIndex, const TRect& SrcR);

// Every pixel of a 24-bit bitmap becomes grey ((B + G + R) div 3); GrayBmpExceptColor leaves the
// pixels of Colour.
void GrayBmp(TBitmap* Bmp);
void GrayBmpExceptColor(TBitmap* Bmp, TColor Colour);
// Every pixel not matching Key (a 32-bit bitmap compares the whole pixel) moves toward Color:
// channel := Round(c + T x (p - c)); alpha bytes are left.
void TintBmp(TBitmap* Bmp, TColor Color, TColor Key, double T);
// Blends SrcRect (inclusive) of Src onto Dst at (X, Y) with source transparency T: channel :=
// Round(s - T x (s - d)). Source pixels matching Key are skipped unless Key's top byte is 0xFF.
// Pairs: 24 onto 24, 24 onto 32 (alpha left) and 32 onto 24 (the key compared with the whole
// pixel); 32 onto 32 is not one and blends nothing.
void BlendTransparentRect(TBitmap* Dst, int X, int Y, TBitmap* Src, const TRect& SrcRect, double T,
                          TColor Key);
// Constant-alpha blend of two equal-sized 24-bit bitmaps of 2 x 2 or more (Alpha weights Dst).
void BlendEqualBmps(TBitmap* Dst, TBitmap* Src, int Alpha);
// The same blend for SrcRect of Src onto Dst at DstPoint, clipped to both; two 32-bit or two
// 24-bit bitmaps (mixed formats blend nothing).
void BlendBmpArea(TBitmap* Dst, TBitmap* Src, int Alpha, TRect SrcRect, TPoint DstPoint);
// Copies the pixels of a 24- or 32-bit Src that do not match Key to (X, Y) of a 24- or 32-bit
// Dst (a 32-bit Dst gets alpha 255); what falls outside Dst is skipped.
void CopyOpaquePixels(TBitmap* Dst, TBitmap* Src, int X, int Y, TColor Key);
// The same for SrcRect (inclusive, clamped to Src) of Src.
void CopyOpaqueRect(TBitmap* Dst, TBitmap* Src, int X, int Y, TRect SrcRect, TColor Key);
// Target (32-bit) := per channel (k x (a - b) + b x 256) >> 8 of two 24-bit bitmaps A and B,
// k being Alpha or, with a Mask (24-bit), the mask's byte of that channel. Nothing unless A, B,
// the mask and the target share one size; the target's alpha bytes are left.
void BlendBmpsTo32(TBitmap* Target, TBitmap* A, TBitmap* B, TBitmap* Mask, int Alpha);
// Per channel ((p - c) x m + c x 256) >> 8 of two equal-sized 24-bit bitmaps: white mask bytes
// keep the pixel, black ones give Color.
void ApplyShadowMask(TBitmap* Bmp, TBitmap* Mask, TColor Color);
// A soft rounded shadow of Color at Level percent over R of a 24-bit Bmp, Blur rings wide.
void PaintRoundShadow(TBitmap* Bmp, const TRect& R, int Level, TColor Color, int Blur, int Radius);

// ---- masked, keyed and alpha image copies ------------------------------------------------------
// Parent pixels come from CI.Bmp at (CI.X + x, CI.Y + y) for destination (x, y); a parent
// position outside CI.Bmp on any side is never read.

struct TCacheInfo;
struct TsMaskData;
// The parent pixel of destination (X, Y) into Bgr (blue, green, red): Read; Skip for a row at or
// below the parent's bottom or a column left of it; EndRow for a column at or beyond its right
// edge or a row above its top (the rest of the row has no parent either).
enum class TParentPixel { Read, Skip, EndRow };
TParentPixel ReadParentPixel(const TCacheInfo& CI, int X, int Y, Byte* Bgr);
// The size copied from SrcRect of Src to DstRect of Dst: the smaller of the two rects, limited
// to both bitmaps, after a negative left or top on either side has moved both rects inward.
TSize PieceSize(TRect& DstRect, TRect& SrcRect, TBitmap* Dst, TBitmap* Src);
// Copies a masked image (24-bit: mask rows half the source's height below, d := ((d - s) x m +
// s x 256) >> 8; 32-bit: by its alpha, d := ((s - d) x a + d x 256) >> 8). With CI ready, key
// pixels are not blended: with UpdateTrans they show the parent, else they are left.
void CopyMaskedImage(TRect DstRect, TRect SrcRect, TBitmap* Dst, TBitmap* Src, const TCacheInfo& CI,
                     bool UpdateTrans);
// Copies a masked image piece (the mask rows half MaskData.R's height below the image rows) from
// SrcRect of Src to DstRect of Dst, per channel d := ((d - s) x m + s x 256) >> 8. Key-colour
// image pixels take the parent pixel (CI ready, UpdateTrans), CI.FillColor (not ready,
// UpdateTrans) or are left (not ready) or blended (ready). Both rects are clipped on all sides.
void CopyMaskedPiece(TRect DstRect, TRect SrcRect, TBitmap* Dst, TBitmap* Src, const TCacheInfo& CI,
                     bool UpdateTrans, const TsMaskData& MaskData);
// Copies SrcRect (inclusive, clamped to Src) of Src to (X, Y) of Dst, resolving Key pixels
// against the parent (see the rules beside the definition).
void CopyKeyedImage(TBitmap* Dst, TBitmap* Src, int X, int Y, TRect SrcRect, TColor Key,
                    const TCacheInfo& CI, bool UpdateTrans);
// Draws SrcRect of a per-pixel-alpha image (made 32-bit first) onto DstRect of a 24-bit Dst,
// optionally tinted (TintColor other than clNone changes Src), faded by Blend percent and with a
// mirrored, fading reflection below DstRect (none for images under 2 pixels high).
void DrawAlphaImage(TRect DstRect, TRect SrcRect, TBitmap* Dst, TBitmap* Src, const TCacheInfo& CI,
                    bool UpdateTrans, TColor TintColor, int Blend, bool Reflected);
// Moves byte ChannelIndex (0..3) of every 32-bit pixel into an 8-bit bitmap (Extract) or back.
void CopyChannel(TBitmap* Bmp32, TBitmap* Bmp8, int ChannelIndex, bool Extract);

// The nine-piece border of a mask (its state State, at most the last) into R of Bmp: corners
// once, sides tiled from the corners outwards (stretched for a plain mask of DrawMode bit 1),
// the centre when Filling and DrawMode has bit 4. Plain masks' corner holes and masked masks'
// corners resolve against CacheInfo when CornerMode is set. Nothing in state 0 for DrawMode bit
// 2, for R under 2 x 2, or for a mask without a manager or states. Borders wider than R are
// shared out between the sides.
void PaintBorderMask(TBitmap* Bmp, const TRect& R, bool Filling, const TCacheInfo& CacheInfo,
                     const TsMaskData& Mask, int State, bool CornerMode);
// One state (at most the last) of an image mask at Position of Bmp, the part at negative
// coordinates left out. Masked masks mix by their mask rows (Mode 1: d := (m x (d - s) + s x
// 256) >> 8; other modes weight the mask by 100 more); plain masks of their own bitmap are copied
// opaque; plain masks of the master bitmap are copied with their holes showing CacheInfo (Mode 1)
// or blended at half transparency.
void PaintMaskImage(TBitmap* Bmp, TPoint Position, int State, const TsMaskData& Mask,
                    const TCacheInfo& CacheInfo, int Mode);
// A masked texture (image rows over mask rows) into R of Bmp; holes show CacheInfo's parent
// pixel when ready, else its FillColor unless that is 0xFF00FF, else stay.
void CopyMaskedTexture(TBitmap* Bmp, const TRect& R, const TsMaskData& Mask,
                       const TCacheInfo& CacheInfo);

// ---- disabled looks and corner repair ----------------------------------------------------------

class TControl;
class TsCommonData;
// The disabled look of a control's image: dkGrayed greys it (24-bit), then dkBlended mixes it
// with what lies behind: 60 % of the parent image taken at (CacheInfo.X + Offset.X,
// CacheInfo.Y + Offset.Y) when CacheInfo is ready, else half of CacheInfo.FillColor (the
// control's background colour when that is 0xFF00FF).
void PaintDisabledEffect(TBitmap* Bmp, TsDisabledKind Kinds, TControl* Control,
                         const TCacheInfo& CacheInfo, TPoint Offset);
// Lays the corners of the link's border mask (Flags: 1 top-left, 2 bottom-left, 4 top-right,
// 8 bottom-right) again over its cache bitmap with the parent's background showing through
// their transparent pixels. Nothing without a manager, a border mask, a cache bitmap, or an
// owner control of at least 2 x 2 inside a parent.
void PaintCornersByFlags(TsCommonData* Link, int State, int Flags);
// Lays the corners (Flags as above) of Mask's image for State (the last image for any later
// state) over the corners of the Size area at the top-left of Cache: key-colour pixels show CI's
// parent (its pixel when ready, else its fill colour unless that is 0xFF00FF, else they stay);
// with Blend a masked image also mixes the parent in through its mask part. Pixels outside the
// cache or the source are never touched.
void LayBorderCorners(TBitmap* Cache, const TsMaskData& Mask, int State, TSize Size, int Flags,
                      const TCacheInfo& CI, bool Blend);
void RepaintCorners(TsCommonData* Link, int State);
