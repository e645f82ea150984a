// The skin message, its command numbers and the small enumeration and set types that the skin
// engine, window skinning and the skinned controls share.
//
// The skin message is one window message id; WParam carries the command in its high word and a
// parameter in its low word, LParam the sending skin manager or a record, and the result is the
// receiver's answer. The numbers are fixed: other modules and windows of the program send them.
#pragma once

#include "framework/Sets.h"
#include "framework/System.h"

#include <windows.h>

class TBitmap;

constexpr UINT SM_ALPHACMD = 0xA100;

constexpr WORD SKCMD_SKINLOADED = 1;
constexpr WORD SKCMD_SKINREMOVED = 2;
constexpr WORD SKCMD_REPAINT = 3;
constexpr WORD SKCMD_GETPROVIDER = 4;
constexpr WORD SKCMD_CHILDPAINTING = 5;
constexpr WORD SKCMD_UPDATEDONE = 6;
constexpr WORD SKCMD_ISSKINNED = 7;
constexpr WORD SKCMD_SETUPDATING = 8;
constexpr WORD SKCMD_SETURGENT = 9;
constexpr WORD SKCMD_QUERYUPDATING = 10;
constexpr WORD SKCMD_QUERYHALFVISIBLE = 11;
constexpr WORD SKCMD_MARKIFTRANSPARENT = 12;
constexpr WORD SKCMD_SECTIONCHANGED = 13;
constexpr WORD SKCMD_MENUBORDERDRAWN = 14;
constexpr WORD SKCMD_STOPFADE = 16;
constexpr WORD SKCMD_MARKBGCHANGED = 17;
constexpr WORD SKCMD_REFRESHNOW = 18;
constexpr WORD SKCMD_QUERYTEXTURED = 19;
constexpr WORD SKCMD_CHECKMOVED = 20;
constexpr WORD SKCMD_GETBGCOLOR = 21;
constexpr WORD SKCMD_MARKHALFVISIBLE = 22;
constexpr WORD SKCMD_PREPARECACHE = 23;
constexpr WORD SKCMD_PAINTFADEFRAME = 24;
constexpr WORD SKCMD_CONTROLPLACED = 25;
constexpr WORD SKCMD_GETSKININDEX = 26;
constexpr WORD SKCMD_HANDLERQUERY = 27;
constexpr WORD SKCMD_REINITCONTROLS = 28;
constexpr WORD SKCMD_HOTON = 29;
constexpr WORD SKCMD_HOTOFF = 30;
constexpr WORD SKCMD_UPDATESTART = 31;
constexpr WORD SKCMD_UPDATEEND = 32;
constexpr WORD SKCMD_GETBGINFO = 34;
constexpr WORD SKCMD_PAINTDISABLED = 35;
constexpr WORD SKCMD_CTRLSTATE = 36;
constexpr WORD SKCMD_UPDATEBORDERS = 37;
constexpr WORD SKCMD_SCROLLSTART = 51;
constexpr WORD SKCMD_SCROLLEND = 52;
constexpr WORD SKCMD_GETAPPLICATION = 60;
constexpr WORD SKCMD_GETOFFSETS = 61;
constexpr WORD SKCMD_MOUSELEAVE = 675;

// WParam of a skin message: the command in the high word, its parameter in the low word.
constexpr WPARAM SkinWParam(WORD command, WORD parameter = 0) {
    return static_cast<WPARAM>(MAKELONG(parameter, command));
}
constexpr WORD SkinCommandOf(WPARAM wParam) { return HIWORD(wParam); }
constexpr WORD SkinParameterOf(WPARAM wParam) { return LOWORD(wParam); }

// The state changes of a skinned button that may fade; aeGlobalDef defers to the manager.
enum TacAnimatEvent { aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp, aeGlobalDef };
using TacAnimatEvents = TSet<TacAnimatEvent>;
// The manager's choice of fading button events.
enum TacBtnEvent { beMouseEnter, beMouseLeave, beMouseDown, beMouseUp };
using TacBtnEvents = TSet<TacBtnEvent>;

enum TFadeDirection { fdNone, fdUp, fdDown };

// The key colour of skin images (as a TColor, 0x00BBGGRR): pixels of this colour are holes.
constexpr Integer TransparentKeyColor = 0xFF00FF;

// The disabled look of a skinned control and of a button's glyph.
enum TsDisabledKindItem { dkBlended, dkGrayed };
using TsDisabledKind = TSet<TsDisabledKindItem>;
enum TsDisabledGlyphKindItem { dgBlended, dgGrayed };
using TsDisabledGlyphKind = TSet<TsDisabledGlyphKindItem>;

// A parent's background that a painter draws under transparent pixels: Bmp at (X, Y) when Ready,
// else FillColor (0xFF00FF: none).
struct TCacheInfo {
    TBitmap* Bmp = nullptr;
    int X = 0;
    int Y = 0;
    COLORREF FillColor = 0xFF00FF;
    bool Ready = false;
};
// The background with nothing behind it: no bitmap, at (-99, -99), fill colour 0, never ready.
inline const TCacheInfo EmptyCacheInfo{nullptr, -99, -99, 0, false};

// The answer to skin command 34. The asker fills R, DrawRequested and DC and sets Kind 0; the
// answerer sets Kind 1 (plain Color) or 2 (Bmp, the asker's area starting at Offset) and, when
// asked to draw, also paints the background into DC at R.
struct TacBackgroundInfo {
    TBitmap* Bmp = nullptr;
    COLORREF Color = 0;
    POINT Offset{0, 0};
    RECT R{0, 0, 0, 0};
    BYTE Kind = 0;
    BYTE DrawRequested = 0;
    HDC DC = nullptr;
};
