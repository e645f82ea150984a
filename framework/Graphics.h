// The graphics layer of the class library: colours, the fonts, pens and brushes a canvas draws
// with, the canvas over a device context, and the pictures a canvas draws (bitmaps over DIB
// sections, icons, and a picture that picks its graphic class by file extension).
//
// Declared here, in order: TPoint, TRect, TSize; the owners of GDI handles (TOwnedFont,
// TOwnedPen, TOwnedBrush, TOwnedBitmap, TOwnedPalette, TOwnedRegion), TOwnedDC, TOwnedIcon,
// TOwnedWindowDC and TScreenDC; EInvalidGraphic, EInvalidGraphicOperation; TColor and
// ColorToRGB; TGraphicsObject with TFont, TPen, TBrush; TCanvas; TGraphic with TBitmap (and its
// TBitmapCanvas) and TIcon; TPicture.
//
// Colours are 0x00BBGGRR. A system colour is 0xFF0000nn, nn being the GetSysColor index;
// clNone and clDefault are markers that ColorToRGB leaves as they are.
//
// Handles are made when first asked for and owned by the object that made them. A canvas
// selects its font, pen and brush into its DC only when a drawing call needs them, remembers
// what the DC held before, and puts that back when the DC is released or replaced. A font, pen
// or brush that changes while selected is deselected by its canvas (through OnChange) before
// its old handle is deleted, so no handle is deleted while a DC still holds it.
//
// Threads: an object is used by one thread at a time. A thread that draws into a bitmap in the
// background brackets its drawing with the canvas's Lock/Unlock, and so do others touching it.
#pragma once

#include "framework/Events.h"
#include "framework/Handles.h"
#include "framework/Objects.h"
#include "framework/Sets.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// ---- geometry: the Win32 records with constructors -------------------------------------------

struct TPoint : POINT {
    constexpr TPoint() : POINT{0, 0} {}
    constexpr TPoint(LONG x, LONG y) : POINT{x, y} {}
    friend constexpr bool operator==(const TPoint& a, const TPoint& b) {
        return a.x == b.x && a.y == b.y;
    }
};

struct TSize : SIZE {
    constexpr TSize() : SIZE{0, 0} {}
    constexpr TSize(LONG cx, LONG cy) : SIZE{cx, cy} {}
};

struct TRect : RECT {
    constexpr TRect() : RECT{0, 0, 0, 0} {}
    constexpr TRect(LONG left, LONG top, LONG right, LONG bottom)
        : RECT{left, top, right, bottom} {}
    constexpr explicit TRect(const RECT& r) : RECT(r) {}
    constexpr LONG Width() const { return right - left; }
    constexpr LONG Height() const { return bottom - top; }
    constexpr TPoint TopLeft() const { return {left, top}; }
    constexpr bool Contains(TPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend constexpr bool operator==(const TRect& a, const TRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

// Arrays of these are passed to the system as arrays of the records.
static_assert(sizeof(TPoint) == sizeof(POINT) && sizeof(TSize) == sizeof(SIZE) &&
              sizeof(TRect) == sizeof(RECT));

// ---- owners of GDI handles ---------------------------------------------------------------------

namespace graphics_detail {
inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void DeleteMemoryDC(HDC dc) noexcept { ::DeleteDC(dc); }
inline void DestroyIconHandle(HICON icon) noexcept { ::DestroyIcon(icon); }
struct TFreeObject {
    void operator()(TObject* object) const noexcept { object->Free(); }
};
} // namespace graphics_detail

using TOwnedFont = TOwnedBy<HFONT, &graphics_detail::DeleteGdiObject>;
using TOwnedPen = TOwnedBy<HPEN, &graphics_detail::DeleteGdiObject>;
using TOwnedBrush = TOwnedBy<HBRUSH, &graphics_detail::DeleteGdiObject>;
using TOwnedBitmap = TOwnedBy<HBITMAP, &graphics_detail::DeleteGdiObject>;
using TOwnedPalette = TOwnedBy<HPALETTE, &graphics_detail::DeleteGdiObject>;
using TOwnedRegion = TOwnedBy<HRGN, &graphics_detail::DeleteGdiObject>;
// A DC made by CreateCompatibleDC/CreateDC: whatever was selected into it must be put back first.
using TOwnedDC = TOwnedBy<HDC, &graphics_detail::DeleteMemoryDC>;
using TOwnedIcon = TOwnedBy<HICON, &graphics_detail::DestroyIconHandle>;

// A DC from GetDC/GetWindowDC/GetDCEx, given back to the window it came from by ReleaseDC.
struct TWindowDCTraits {
    using THandle = HDC;
    HWND Window = nullptr;
    static constexpr HDC Invalid() noexcept { return nullptr; }
    static constexpr HDC Adopt(HDC dc) noexcept { return dc; }
    void Close(HDC dc) const noexcept { ::ReleaseDC(Window, dc); }
};
using TOwnedWindowDC = TOwnedHandle<TWindowDCTraits>;

// The DC of the window's client area (GetDC; null window: the screen) owned until ReleaseDC.
inline TOwnedWindowDC OwnedDCOf(HWND window) noexcept {
    return TOwnedWindowDC(::GetDC(window), TWindowDCTraits{window});
}

// Owns the screen's DC for the lifetime of the object (GetDC/ReleaseDC); raises
// EOutOfResources when the system has none to give.
class TScreenDC {
public:
    TScreenDC();
    HDC Get() const noexcept { return FDC.Get(); }

private:
    TOwnedWindowDC FDC;
};

// The screen's vertical resolution in pixels per inch, read once.
int ScreenPixelsPerInch();

// ---- errors -----------------------------------------------------------------------------------

// A picture's data or file is not what its class reads.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};
// An operation a picture cannot perform in its present state.
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// ---- colours ----------------------------------------------------------------------------------

using TColor = Integer;

constexpr TColor MakeColor(Byte red, Byte green, Byte blue) {
    return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor SystemColor(int index) { return clSystemColor | index; }

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// A system colour becomes the colour the system uses now; any other value is returned as it is.
TColor ColorToRGB(TColor color);

// ---- fonts, pens, brushes ---------------------------------------------------------------------

// The base of fonts, pens and brushes: OnChange fires once for every change of a property.
class TGraphicsObject : public TPersistent {
    CLASS_INFO(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality {
    fqDefault,
    fqDraft,
    fqProof,
    fqNonAntialiased,
    fqAntialiased,
    fqClearType,
    fqClearTypeNatural
};
using TFontCharset = Byte;

// A logical font. Height is the value GDI takes (negative: the character height in pixels;
// positive: the cell height); Size is the character height in points at PixelsPerInch, which is
// the screen's resolution when the font is created. A new font is Tahoma, 8 points, in the
// window text colour: Tahoma is present on every system this runs on, so the layout measured
// during development is the layout users get. Color is not part of the font handle.
class TFont : public TGraphicsObject {
    CLASS_INFO(TFont, TGraphicsObject)
public:
    TFont();

    // The HFONT for the present description, made when first asked for.
    HFONT Handle();
    // Takes over `font` (the object deletes it later) and describes itself from it.
    void SetHandle(HFONT font);
    bool HandleAllocated() const noexcept { return static_cast<bool>(FHandle); }

    const UnicodeString& Name() const noexcept { return FName; }
    void SetName(const UnicodeString& name);
    int Height() const noexcept { return FHeight; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const noexcept { return FStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor color);
    TFontCharset Charset() const noexcept { return FCharset; }
    void SetCharset(TFontCharset charset);
    TFontQuality Quality() const noexcept { return FQuality; }
    void SetQuality(TFontQuality quality);
    TFontPitch Pitch() const noexcept { return FPitch; }
    void SetPitch(TFontPitch pitch);
    // Angle of the baseline in tenths of a degree.
    int Orientation() const noexcept { return FOrientation; }
    void SetOrientation(int orientation);
    int PixelsPerInch() const noexcept { return FPixelsPerInch; }
    void SetPixelsPerInch(int pixelsPerInch);

    // Copies the description (not the handle); the size in points stays when the two fonts
    // have different resolutions.
    void Assign(TPersistent* source) override;

protected:
    // Fires OnChange, then deletes the handle that described the font before the change.
    void DescriptionChanged();

private:
    LOGFONTW MakeLogFont() const;
    void Describe(const LOGFONTW& font);

    TOwnedFont FHandle;
    UnicodeString FName = L"Tahoma";
    int FPixelsPerInch;
    int FHeight;
    TFontStyles FStyle;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontQuality FQuality = fqDefault;
    TFontPitch FPitch = fpDefault;
    int FOrientation = 0;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Raster operations of the pen, in the order of the R2_ codes minus one.
enum TPenMode {
    pmBlack,
    pmNotMerge,
    pmMaskNotPen,
    pmNotCopy,
    pmMaskPenNot,
    pmNot,
    pmXor,
    pmNotMask,
    pmMask,
    pmNotXor,
    pmNop,
    pmMergeNotPen,
    pmCopy,
    pmMergePenNot,
    pmMerge,
    pmWhite
};

// A cosmetic pen (black, 1 pixel, solid, copying by default). Mode is not part of the handle:
// a canvas applies it with SetROP2 when it selects the pen.
class TPen : public TGraphicsObject {
    CLASS_INFO(TPen, TGraphicsObject)
public:
    HPEN Handle();
    bool HandleAllocated() const noexcept { return static_cast<bool>(FHandle); }

    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor color);
    int Width() const noexcept { return FWidth; }
    void SetWidth(int width);
    TPenStyle Style() const noexcept { return FStyle; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const noexcept { return FMode; }
    void SetMode(TPenMode mode);

    void Assign(TPersistent* source) override;

private:
    void HandleChanged();

    TOwnedPen FHandle;
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBitmap;

// A brush (white, solid by default). With a Bitmap the brush is a pattern brush of it; the
// bitmap is not owned and must outlive its use by the brush.
class TBrush : public TGraphicsObject {
    CLASS_INFO(TBrush, TGraphicsObject)
public:
    HBRUSH Handle();
    bool HandleAllocated() const noexcept { return static_cast<bool>(FHandle); }

    TColor Color() const noexcept { return FColor; }
    // A colour other than clNone makes a clear brush solid; clNone makes it clear.
    void SetColor(TColor color);
    TBrushStyle Style() const noexcept { return FStyle; }
    void SetStyle(TBrushStyle style);
    TBitmap* Bitmap() const noexcept { return FBitmap; }
    void SetBitmap(TBitmap* bitmap);

    void Assign(TPersistent* source) override;

private:
    void HandleChanged();

    TOwnedBrush FHandle;
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

// ---- canvas -----------------------------------------------------------------------------------

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;

// Raster operations for copying pictures (BitBlt codes).
using TCopyMode = Integer;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// Options of TextRect's formatted form, each one a DrawText flag.
enum TTextFormats {
    tfBottom,
    tfCalcRect,
    tfCenter,
    tfEditControl,
    tfEndEllipsis,
    tfPathEllipsis,
    tfExpandTabs,
    tfExternalLeading,
    tfLeft,
    tfNoClip,
    tfNoPrefix,
    tfRight,
    tfRtlReading,
    tfSingleLine,
    tfTop,
    tfVerticalCenter,
    tfWordBreak,
    tfHidePrefix,
    tfNoFullWidthCharBreak,
    tfPrefixOnly,
    tfTabStop,
    tfWordEllipsis
};
using TTextFormat = TSet<TTextFormats>;

class TGraphic;
class TStream;

// Draws on a device context. The DC is borrowed: SetHandle(dc) lends it, SetHandle(nullptr)
// gives it back with the objects it held before. A canvas without a DC asks CreateHandle for
// one; the base class has none to give and raises EInvalidOperation.
class TCanvas : public TPersistent {
    CLASS_INFO(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const noexcept { return FHandle != nullptr; }
    TCanvasState State() const noexcept { return FState; }

    // A recursive lock for drawing from several threads.
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const noexcept { return FLockCount.load(); }

    TFont* Font() const noexcept { return FFont.get(); }
    void SetFont(TFont* font) { FFont->Assign(font); }
    TPen* Pen() const noexcept { return FPen.get(); }
    void SetPen(TPen* pen) { FPen->Assign(pen); }
    TBrush* Brush() const noexcept { return FBrush.get(); }
    void SetBrush(TBrush* brush) { FBrush->Assign(brush); }
    TPoint PenPos();
    void SetPenPos(TPoint position) { MoveTo(position.x, position.y); }
    TCopyMode CopyMode() const noexcept { return FCopyMode; }
    void SetCopyMode(TCopyMode mode) noexcept { FCopyMode = mode; }
    // ETO_ flags for TextOut and the positioned TextRect.
    int TextFlags() const noexcept { return FTextFlags; }
    void SetTextFlags(int flags) noexcept { FTextFlags = flags; }
    TRect ClipRect();

    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void DrawFocusRect(const TRect& rect);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    void TextOut(int x, int y, const UnicodeString& text);
    // Writes the text at (x, y) clipped to the rectangle; a solid brush fills the rectangle.
    void TextRect(const TRect& rect, int x, int y, const UnicodeString& text);
    // Formatted text through DrawText; with tfCalcRect nothing is drawn and `rect` receives
    // the size the text needs.
    void TextRect(TRect& rect, const UnicodeString& text, TTextFormat format = {});
    TSize TextExtent(const UnicodeString& text);
    int TextWidth(const UnicodeString& text) { return TextExtent(text).cx; }
    int TextHeight(const UnicodeString& text) { return TextExtent(text).cy; }

    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);
    // Draws the graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    // Copies `source` of another canvas onto `dest`, stretching as needed, with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void CreateHandle();
    virtual void Changing();
    virtual void Changed();
    // Makes sure the DC exists and holds the objects named.
    void RequiredState(TCanvasState required);
    // Puts back the objects the DC held before this canvas selected its own.
    void DeselectHandles() noexcept;

private:
    void SelectFont();
    void SelectPen();
    void SelectBrush();
    void FontChanged(TObject* sender);
    void PenChanged(TObject* sender);
    void BrushChanged(TObject* sender);
    void Deselect(TCanvasStates which, HGDIOBJ original) noexcept;

    HDC FHandle = nullptr;
    TCanvasState FState;
    // What the DC held before this canvas selected its own objects; null when nothing selected.
    HGDIOBJ FOriginalFont = nullptr;
    HGDIOBJ FOriginalPen = nullptr;
    HGDIOBJ FOriginalBrush = nullptr;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FFont;
    std::unique_ptr<TPen, graphics_detail::TFreeObject> FPen;
    std::unique_ptr<TBrush, graphics_detail::TFreeObject> FBrush;
    TCopyMode FCopyMode = cmSrcCopy;
    int FTextFlags = 0;
    std::recursive_mutex FLock;
    std::atomic<int> FLockCount{0}; // changed only while holding FLock
};

// ---- pictures ---------------------------------------------------------------------------------

// A picture a canvas can draw. OnChange fires when its content changes.
class TGraphic : public TPersistent {
    CLASS_INFO(TGraphic, TPersistent)
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool transparent);
    bool Modified() const noexcept { return FModified; }
    void SetModified(bool modified) noexcept { FModified = modified; }

    virtual void LoadFromFile(const UnicodeString& fileName) = 0;
    // Raises EInvalidGraphicOperation unless the class can write its kind of file.
    virtual void SaveToFile(const UnicodeString& fileName);
    // Read the picture from the stream's position, leaving the stream after its data; write it
    // at the position. Both raise EInvalidGraphicOperation unless the class reads or writes
    // streams.
    virtual void LoadFromStream(TStream* stream);
    virtual void SaveToStream(TStream* stream);

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Draws the whole picture into `rect` of the canvas, stretched to fit.
    virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
    virtual void Changed();

    bool FTransparent = false;

private:
    bool FModified = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
// What the alpha bytes of a 32-bit bitmap mean when it is drawn: nothing (afIgnored, the
// default: the bitmap is opaque), straight alpha (afDefined) or alpha already multiplied into
// the colours (afPremultiplied).
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };
// tmAuto takes the bottom-left pixel as the transparent colour; tmFixed takes TransparentColor.
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

// A bitmap: a DIB section for every pixel format but pfDevice, which is a bitmap compatible
// with the screen. A new bitmap is empty (0 x 0) and pfDevice. The pixels of a new or enlarged
// area are zero (black, alpha 0).
//
// Rows: ScanLine(0) is the top row of the picture. DIBs made here are bottom-up, so the top row
// is stored last; a top-down DIB taken over by SetHandle is addressed the same way.
// Asking a pfDevice bitmap for its scan lines, or saving it, turns it into a DIB of the
// screen's colour depth first, as a device bitmap's memory cannot be reached.
class TBitmap : public TGraphic {
    CLASS_INFO(TBitmap, TGraphic)
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pfDevice);
    ~TBitmap() override;

    bool Empty() const override { return !FImage; }
    int Width() const override { return FWidth; }
    void SetWidth(int width) { SetSize(width, FHeight); }
    int Height() const override { return FHeight; }
    void SetHeight(int height) { SetSize(FWidth, height); }
    // Keeps the picture's top-left part that fits; a size of 0 in either direction empties it.
    void SetSize(int width, int height);

    // 24 <-> 32 bits keeps every pixel exactly (alpha 0 when made 32-bit); other conversions
    // go through GDI's colour matching.
    TPixelFormat PixelFormat() const noexcept { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat format);
    TAlphaFormat AlphaFormat() const noexcept { return FAlphaFormat; }
    void SetAlphaFormat(TAlphaFormat format);
    // Pointer to the first byte of a row, 0 being the top row.
    void* ScanLine(int row);

    // The canvas drawing into this bitmap (its own memory DC, the image selected into it).
    TCanvas* Canvas();
    HBITMAP Handle() const noexcept { return FImage.Get(); }
    // Takes over `bitmap` (a DIB section or a device bitmap) and describes itself from it.
    void SetHandle(HBITMAP bitmap);
    // Gives the image up to the caller, who then deletes it; the bitmap becomes empty.
    HBITMAP ReleaseHandle();

    TColor TransparentColor();
    // clDefault goes back to tmAuto; any other colour makes the mode tmFixed.
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const noexcept { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    void Assign(TPersistent* source) override;
    // A BMP resource; EResNotFound when the module has none of that name.
    void LoadFromResourceName(HINSTANCE instance, const UnicodeString& name);
    void LoadFromFile(const UnicodeString& fileName) override;
    void SaveToFile(const UnicodeString& fileName) override;
    // A BMP file's bytes: reads as many as its header says (up to the stream's end).
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override;

protected:
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    friend class TBitmapCanvas;
    struct TImageData;

    TImageData NewImage(TPixelFormat format, int width, int height);
    void ReplaceImage(TImageData&& data) noexcept;
    void CopyPixelsTo(TImageData& target);
    Byte* Row(int row) const;
    void FreeContext() noexcept;
    void DibNeeded();
    void DrawAlpha(TCanvas* canvas, const TRect& rect);
    void CanvasChanged(TObject* sender);

    TOwnedBitmap FImage;
    Byte* FBits = nullptr; // a DIB's pixels; null for a device bitmap and when empty
    int FWidth = 0;
    int FHeight = 0;
    bool FTopDown = false;
    TPixelFormat FPixelFormat = pfDevice;
    TAlphaFormat FAlphaFormat = afIgnored;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
    std::unique_ptr<TBitmapCanvas, graphics_detail::TFreeObject> FCanvas;
};

// The canvas of a bitmap: makes a memory DC with the bitmap's image selected when asked for a
// handle, and lets it go again whenever the bitmap replaces its image.
class TBitmapCanvas : public TCanvas {
    CLASS_INFO(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    // Deselects everything, the image too, and deletes the memory DC.
    void FreeContext() noexcept;

protected:
    void CreateHandle() override;

private:
    TBitmap* FBitmap;
    TOwnedDC FContext;
    HGDIOBJ FOriginalBitmap = nullptr;
};

// An icon (or cursor) handle owner. Drawn with DrawIconEx, stretched to the rectangle.
class TIcon : public TGraphic {
    CLASS_INFO(TIcon, TGraphic)
public:
    TIcon();

    bool Empty() const override { return !FIcon; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }

    HICON Handle() const noexcept { return FIcon.Get(); }
    // Takes over `icon` and reads its size.
    void SetHandle(HICON icon);
    HICON ReleaseHandle();

    void Assign(TPersistent* source) override;
    // An icon resource at the system's large icon size; EResNotFound when there is none.
    void LoadFromResourceName(HINSTANCE instance, const UnicodeString& name);
    void LoadFromFile(const UnicodeString& fileName) override;

protected:
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    TOwnedIcon FIcon;
    int FWidth = 0;
    int FHeight = 0;
};

// Holds one graphic of any registered class. Classes are registered per file extension
// (without the dot, compared case-insensitively); "bmp" (TBitmap), "ico" (TIcon), "jpg" and
// "jpeg" (TJPEGImage, framework/Jpeg.h) and "png" (TPngImage, framework/PngImage.h) are
// registered from the start, and registering an extension again replaces its class.
class TPicture : public TPersistent {
    CLASS_INFO(TPicture, TPersistent)
public:
    TPicture() = default;

    TGraphic* Graphic() const noexcept { return FGraphic.get(); }
    // Holds a copy of `graphic` (of the same class); null empties the picture.
    void SetGraphic(TGraphic* graphic);
    // The graphic as a bitmap; a picture holding anything else is emptied and given one.
    TBitmap* Bitmap();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // Loads with the class registered for the file's extension; EInvalidGraphic when none is.
    void LoadFromFile(const UnicodeString& fileName);
    void SaveToFile(const UnicodeString& fileName);
    // Picks the class by the data's signature (BMP, JPEG, icon, PNG), then loads with the class
    // registered for that kind's extension; EInvalidGraphic for any other data.
    void LoadFromStream(TStream* stream);
    // Writes the graphic; an empty picture writes nothing.
    void SaveToStream(TStream* stream);
    void Assign(TPersistent* source) override;

    // `graphicClass` must descend from TGraphic and be creatable without arguments.
    static void RegisterFileFormat(const UnicodeString& extension, const UnicodeString& description,
                                   TClass graphicClass);
    // Removes every extension registered for the class or a class descending from it.
    static void UnregisterGraphicClass(TClass graphicClass);
    // The class registered for an extension, or null.
    static TClass GraphicClassFor(const UnicodeString& extension);

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* sender);

private:
    void TakeGraphic(TGraphic* graphic);

    std::unique_ptr<TGraphic, graphics_detail::TFreeObject> FGraphic;
};
