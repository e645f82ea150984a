// Painting the skinned bars: each bar is built in a bitmap of its own over the window's
// background (track halves, arrow buttons, thumb, glyphs, the disabled look) and copied to the
// window in one piece; the corner between two bars gets the background and the skin's grip.
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/window/acSBUtils.h"

#include <algorithm>

namespace {

// The window DC when the caller gives none, released at the end.
class TBarDC {
public:
    TBarDC(HWND Wnd, HDC DC) : FWnd(Wnd), FDC(DC ? DC : GetWindowDC(Wnd)), FOwn(!DC) {}
    ~TBarDC() {
        if (FOwn && FDC) ReleaseDC(FWnd, FDC);
    }
    TBarDC(const TBarDC&) = delete;
    TBarDC& operator=(const TBarDC&) = delete;
    HDC DC() const noexcept { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
    bool FOwn;
};

TsSkinManager* ActiveManager(const TacScrollWnd& ScrollWnd) {
    TsSkinManager* manager = ScrollWnd.SkinData ? ScrollWnd.SkinData->SkinManager() : nullptr;
    return manager && manager->SkinActive() ? manager : nullptr;
}

// A rect of screen coordinates made relative to the window's top-left corner.
TRect ToWindow(HWND Wnd, TRect R) {
    RECT w;
    GetWindowRect(Wnd, &w);
    OffsetRect(&R, -w.left, -w.top);
    return R;
}

// One piece of a bar: its section, border mask, textures and glyph.
struct TPiece {
    int Section;
    int Border;
    int Texture;
    int HotTexture;
    int Glyph;
};

struct TBarSections {
    TPiece Before, After, FirstButton, SecondButton, Thumb;
};

TBarSections SectionsOf(const TConstantSkinData& c, bool Vertical) {
    if (Vertical)
        return {{c.IndexScrollBar1V, c.MaskScrollBar1V, c.BGScrollBar1V, c.BGHotScrollBar1V, -1},
                {c.IndexScrollBar2V, c.MaskScrollBar2V, c.BGScrollBar2V, c.BGHotScrollBar2V, -1},
                {c.IndexScrollTop, c.MaskScrollTop, c.IndexBGScrollTop, c.IndexBGHotScrollTop,
                 c.MaskArrowTop},
                {c.IndexScrollBottom, c.MaskScrollBottom, c.IndexBGScrollBottom,
                 c.IndexBGHotScrollBottom, c.MaskArrowBottom},
                {c.IndexSliderVert, c.MaskSliderVert, c.ScrollSliderBGVert, c.ScrollSliderBGHotVert,
                 c.MaskSliderGlyphVert}};
    return {{c.IndexScrollBar1H, c.MaskScrollBar1H, c.BGScrollBar1H, c.BGHotScrollBar1H, -1},
            {c.IndexScrollBar2H, c.MaskScrollBar2H, c.BGScrollBar2H, c.BGHotScrollBar2H, -1},
            {c.IndexScrollLeft, c.MaskScrollLeft, c.IndexBGScrollLeft, c.IndexBGHotScrollLeft,
             c.MaskArrowLeft},
            {c.IndexScrollRight, c.MaskScrollRight, c.IndexBGScrollRight, c.IndexBGHotScrollRight,
             c.MaskArrowRight},
            {c.IndexSliderHorz, c.MaskSliderHorz, c.ScrollSliderBGHorz, c.ScrollSliderBGHotHorz,
             c.MaskSliderGlyphHorz}};
}

// The bar's bitmap and the manager painting into it.
struct TBarCanvas {
    TsSkinManager* Manager;
    TBitmap* Bmp;
    bool Vertical;
    // The rect of the bar's bitmap from Start to End along the bar.
    TRect Span(int Start, int End) const {
        return Vertical ? TRect(0, Start, Bmp->Width(), End) : TRect(Start, 0, End, Bmp->Height());
    }
};

// A glyph centred in Area of Bmp, in State.
void PaintGlyph(TsSkinManager* Manager, TBitmap* Bmp, int Glyph, const TRect& Area, int State) {
    if (!Manager->IsValidImgIndex(Glyph)) return;
    const TsMaskData& mask = Manager->ma[Glyph];
    const TPoint at(Area.left + (Area.Width() - MaskStateWidth(mask)) / 2,
                    Area.top + (Area.Height() - MaskStateHeight(mask)) / 2);
    PaintMaskImage(Bmp, at, State, mask, CacheInfoFor(Bmp, 0, 0), 1);
}

// Paints Piece into R of the bar in State over what the bar holds there, its glyph centred in
// GlyphArea (relative to R; null: the whole piece).
void PaintPiece(const TBarCanvas& Bar, const TPiece& Piece, const TRect& R, int State,
                const TRect* GlyphArea = nullptr) {
    if (R.Width() <= 0 || R.Height() <= 0 || !Bar.Manager->IsValidSkinIndex(Piece.Section)) return;
    TSkinBitmapPtr piece(CreateBmp24(R.Width(), R.Height()));
    PaintSkinItemWithBorder(Piece.Section, Piece.Border, Piece.Texture, Piece.HotTexture,
                            CacheInfoFor(Bar.Bmp, R.left, R.top), true, State,
                            TRect(0, 0, R.Width(), R.Height()), TPoint(0, 0), piece.get(),
                            Bar.Manager);
    PaintGlyph(Bar.Manager, piece.get(), Piece.Glyph,
               GlyphArea ? *GlyphArea : TRect(0, 0, R.Width(), R.Height()), State);
    BitBlt(Bar.Bmp->Canvas()->Handle(), R.left, R.top, R.Width(), R.Height(),
           piece->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// The arrow's glyph lies in the first (or last) HScrollBtnWidth pixels of its button.
TRect ArrowGlyphArea(const TRect& Button, bool Vertical, bool Second) {
    const int w = Button.Width(), h = Button.Height();
    if (Vertical)
        return Second ? TRect(0, h - HScrollBtnWidth, w, h) : TRect(0, 0, w, HScrollBtnWidth);
    return Second ? TRect(w - HScrollBtnWidth, 0, w, h) : TRect(0, 0, HScrollBtnWidth, h);
}

// The window's background under R (window coordinates) as a cache info for a bitmap at R.
TCacheInfo BackgroundUnder(HWND Wnd, const TRect& R, TPoint Shift) {
    TacBackgroundInfo info;
    info.R = R;
    AskWindowBackground(info, Wnd, false);
    TCacheInfo ci;
    BackgroundToCacheInfo(info, ci);
    if (ci.Ready) {
        ci.X += R.left + Shift.x;
        ci.Y += R.top + Shift.y;
    }
    return ci;
}

// The background into the whole of Bmp.
void FillBackground(TBitmap* Bmp, const TCacheInfo& CI) {
    if (CI.Ready)
        BitBlt(Bmp->Canvas()->Handle(), 0, 0, Bmp->Width(), Bmp->Height(),
               CI.Bmp->Canvas()->Handle(), CI.X, CI.Y, SRCCOPY);
    else
        PaintSolidRect(Bmp->Canvas()->Handle(), TRect(0, 0, Bmp->Width(), Bmp->Height()),
                       static_cast<TColor>(CI.FillColor));
}

} // namespace

void PaintScrollBar(TacScrollWnd& ScrollWnd, int Which, HDC DC, int Pressed, int ThumbPos,
                    int ThumbState) {
    TsSkinManager* manager = ActiveManager(ScrollWnd);
    TacScrollBar& bar = ScrollWnd.Bar(Which);
    const bool vertical = Which == SB_VERT;
    if (!manager || (ScrollWnd.fThumbTracking && ThumbPos == -1) || !bar.fScrollVisible) return;
    const TBarSections sections = SectionsOf(manager->ConstData, vertical);
    HWND wnd = ScrollWnd.CtrlHandle;
    const TRect r = ToWindow(wnd, GetScrollRect(ScrollWnd, Which));
    const int length = vertical ? r.Height() : r.Width();
    if (!manager->IsValidSkinIndex(sections.Before.Section) || length <= 1 ||
        (vertical ? r.Width() : r.Height()) <= 0)
        return;
    GetScrollInfo(wnd, bar.nBarType, &bar.ScrollInfo);
    const int arrow = GetScrollMetric(bar, false, true);
    const TControl* owner = ScrollWnd.SkinData->FOwnerControl;
    const bool enabled = IsScrollbarActive(bar) && (!owner || owner->Enabled());

    // Hot and pressed looks belong to the window the mouse is on.
    const TacScrollTracking& t = ScrollTracking;
    const bool current = t.CurrentWnd == wnd;
    const bool hotBar = current && enabled && t.HotBar == Which;
    if (!current) Pressed = spNone;
    auto arrowState = [&](int Portion) {
        if (!current) return 0;
        if (Pressed == Portion) return 2;
        return hotBar && t.HotPortion == Portion ? 1 : 0;
    };

    TacThumb thumb = GetThumbPosSize(bar, TRect(0, 0, r.Width(), r.Height()));
    if (ThumbPos != -1) thumb.Pos = ThumbPos;
    if (ThumbState == -1) ThumbState = hotBar && t.HotPortion == spThumb ? 1 : 0;

    TSkinBitmapPtr bmp(CreateBmp24(r.Width(), r.Height()));
    const TCacheInfo background = BackgroundUnder(wnd, r, ScrollWnd.BackgroundShift());
    FillBackground(bmp.get(), background);
    const TBarCanvas canvas{manager, bmp.get(), vertical};
    const TRect firstButton =
        length > 2 * arrow ? canvas.Span(0, arrow) : canvas.Span(0, length / 2);
    const TRect secondButton =
        length > 2 * arrow ? canvas.Span(length - arrow, length) : canvas.Span(length / 2, length);
    if (length > 2 * arrow) {
        const int split = thumb.Pos + thumb.Size / 2;
        PaintPiece(canvas, sections.Before, canvas.Span(0, split), Pressed == spPageBefore ? 2 : 0);
        PaintPiece(canvas, sections.After, canvas.Span(split, length),
                   Pressed == spPageAfter ? 2 : 0);
    } else {
        PaintPiece(canvas, sections.Before, canvas.Span(0, length / 2), 0);
        PaintPiece(canvas, sections.After, canvas.Span(length / 2, length), 0);
    }
    const TRect firstGlyph = ArrowGlyphArea(firstButton, vertical, false);
    const TRect secondGlyph = ArrowGlyphArea(secondButton, vertical, true);
    PaintPiece(canvas, sections.FirstButton, firstButton, arrowState(spFirstArrow), &firstGlyph);
    PaintPiece(canvas, sections.SecondButton, secondButton, arrowState(spSecondArrow),
               &secondGlyph);
    if (length > 2 * arrow && enabled) {
        const int track = length - 2 * arrow;
        const int shown = std::max(MulDiv(static_cast<int>(bar.ScrollInfo.nPage), track,
                                          bar.ScrollInfo.nMax - bar.ScrollInfo.nMin),
                                   bar.nMinThumbSize);
        if (shown > 0 && shown <= track)
            PaintPiece(canvas, sections.Thumb, canvas.Span(thumb.Pos, thumb.Pos + thumb.Size),
                       ThumbState);
    }
    if (!enabled) {
        if (background.Ready)
            BlendTransparentRect(bmp.get(), 0, 0, background.Bmp,
                                 TRect(background.X, background.Y, background.X + r.Width() - 1,
                                       background.Y + r.Height() - 1),
                                 0.4, static_cast<TColor>(0xFF000000));
        else
            PaintRoundShadow(bmp.get(), TRect(0, 0, r.Width(), r.Height()), 60,
                             static_cast<TColor>(background.FillColor), 0, 0);
    }
    BitBlt(DC, r.left, r.top, r.Width(), r.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void PaintScrollBars(TacScrollWnd* ScrollWnd, HWND Wnd, HDC DC) {
    if (!ScrollWnd || ScrollWnd->Destroyed || !ActiveManager(*ScrollWnd)) return;
    TsCommonData* data = ScrollWnd->SkinData;
    data->SetUpdating(data->Updating());
    if (data->Updating()) return;
    if (TControl* owner = data->FOwnerControl)
        if (owner->ControlState().Contains(csCreating) || !owner->Showing()) return;
    if (data->BGChanged) SendMessageW(Wnd, SM_ALPHACMD, SkinWParam(SKCMD_PREPARECACHE), 0);
    const TBarDC dc(Wnd, DC);
    const TacScrollTracking& t = ScrollTracking;
    PaintScrollBar(*ScrollWnd, SB_HORZ, dc.DC(), t.TrackBar == SB_HORZ ? t.PressedPortion : spNone);
    PaintScrollBar(*ScrollWnd, SB_VERT, dc.DC(), t.TrackBar == SB_VERT ? t.PressedPortion : spNone);
    if (!ScrollWnd->sBarHorz.fScrollVisible || !ScrollWnd->sBarVert.fScrollVisible) return;

    const TRect h = ToWindow(Wnd, GetHScrollRect(*ScrollWnd));
    const TRect v = ToWindow(Wnd, GetVScrollRect(*ScrollWnd));
    const TRect corner(v.left, h.top, v.right, h.bottom);
    if (corner.Width() <= 0 || corner.Height() <= 0) return;
    TSkinBitmapPtr bmp(CreateBmp24(corner.Width(), corner.Height()));
    FillBackground(bmp.get(), BackgroundUnder(Wnd, corner, ScrollWnd->BackgroundShift()));
    TsSkinManager* manager = ActiveManager(*ScrollWnd);
    const int grip =
        manager->GetMaskIndex(manager->ConstData.IndexGLobalInfo, L"GLOBALINFO", L"GRIPIMAGE");
    if (manager->IsValidImgIndex(grip) && HasSizeGrip(*ScrollWnd)) {
        const TsMaskData& mask = manager->ma[grip];
        PaintMaskImage(
            bmp.get(),
            TPoint(bmp->Width() - MaskStateWidth(mask), bmp->Height() - MaskStateHeight(mask)), 0,
            mask, CacheInfoFor(bmp.get(), 0, 0), 1);
    }
    BitBlt(dc.DC(), corner.left, corner.top, corner.Width(), corner.Height(),
           bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}
