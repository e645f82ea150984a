// Where the skinned bars lie, how long their arrows and thumbs are, which part of a bar a point
// falls on, and whether a bar can be used.
#include "skin/engine/sSkinLibrary.h"
#include "skin/engine/sSkinManager.h"
#include "skin/window/acSBUtils.h"
#include "skin/window/sSkinProvider.h"

#include <algorithm>

namespace {

// a - b, wrapping as 32-bit numbers do: scroll ranges may span the whole of them.
int WrappedDifference(int a, int b) {
    return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b));
}

bool Vertical(const TacScrollBar& Bar) { return Bar.nBarType == SB_VERT; }

// The skin's arrow-button size for the bar's kind of arrow, when the skin asks for it
// (RESERVEDBOOLEAN on "SCROLLBTNLEFT" or "SCROLLBTNTOP"); 0 otherwise.
int SkinnedArrowFrame(const TacScrollBar& Bar) {
    if (!Bar.sw || !Bar.sw->SkinData) return 0;
    TsSkinManager* manager = Bar.sw->SkinData->SkinManager();
    if (!manager) return 0;
    const TConstantSkinData& c = manager->ConstData;
    const int section = Vertical(Bar) ? c.IndexScrollTop : c.IndexScrollLeft;
    const int mask = Vertical(Bar) ? c.MaskScrollTop : c.MaskScrollLeft;
    if (!manager->IsValidSkinIndex(section) || !manager->gd[section].ReservedBoolean ||
        !manager->IsValidImgIndex(mask))
        return 0;
    const TsMaskData& m = manager->ma[mask];
    return Vertical(Bar) ? MaskStateHeight(m) : MaskStateWidth(m);
}

int Thickness(const TacScrollBar& Bar) {
    return Bar.fScrollVisible ? GetScrollMetric(Bar, true, false) : 0;
}

} // namespace

int GetScrollMetric(const TacScrollBar& Bar, bool Thickness, bool UseSkin) {
    if (Bar.nBarType != SB_HORZ && Bar.nBarType != SB_VERT) return 0;
    if (Thickness) {
        if (Bar.nArrowWidth >= 0) return Bar.nArrowWidth;
        return -Bar.nArrowWidth * FormSystemMetrics(Vertical(Bar) ? SM_CXVSCROLL : SM_CYHSCROLL);
    }
    if (Bar.nArrowLength >= 0) return Bar.nArrowLength;
    const int unit = UseSkin ? std::max(HScrollBtnWidth, SkinnedArrowFrame(Bar)) : HScrollBtnWidth;
    return -Bar.nArrowLength * unit;
}

TRect GetHScrollRect(const TacScrollWnd& ScrollWnd) {
    TRect w;
    GetWindowRect(ScrollWnd.CtrlHandle, &w);
    const int vertical = Thickness(ScrollWnd.sBarVert);
    TRect r;
    r.left = w.left + ScrollWnd.cxLeftEdge + (ScrollWnd.fLeftScrollbar ? vertical : 0);
    r.right = w.right - ScrollWnd.cxRightEdge - (ScrollWnd.fLeftScrollbar ? 0 : vertical);
    r.bottom = w.bottom - ScrollWnd.cyBottomEdge;
    r.top = r.bottom - Thickness(ScrollWnd.sBarHorz);
    return r;
}

TRect GetVScrollRect(const TacScrollWnd& ScrollWnd) {
    TRect w;
    GetWindowRect(ScrollWnd.CtrlHandle, &w);
    const int vertical = Thickness(ScrollWnd.sBarVert);
    TRect r;
    r.top = w.top + ScrollWnd.cyTopEdge;
    r.bottom = w.bottom - ScrollWnd.cyBottomEdge - Thickness(ScrollWnd.sBarHorz);
    if (ScrollWnd.fLeftScrollbar) {
        r.left = w.left + ScrollWnd.cxLeftEdge;
        r.right = r.left + vertical;
    } else {
        r.right = w.right - ScrollWnd.cxRightEdge;
        r.left = r.right - vertical;
    }
    return r;
}

TRect GetScrollRect(const TacScrollWnd& ScrollWnd, int Bar) {
    return Bar == SB_VERT ? GetVScrollRect(ScrollWnd) : GetHScrollRect(ScrollWnd);
}

TacThumb GetThumbPosSize(const TacScrollBar& Bar, const TRect& R) {
    const int arrow = GetScrollMetric(Bar, false, false);
    const int track = (Vertical(Bar) ? R.Height() : R.Width()) - 2 * arrow;
    const SCROLLINFO& info = Bar.ScrollInfo;
    const int count = WrappedDifference(info.nMax, info.nMin) + 1;
    const int page = static_cast<int>(std::min<UINT>(info.nPage, INT_MAX));
    int size = 0;
    if (page == 0)
        size = arrow;
    else if (count > 0)
        size = std::max(MulDiv(page, track, count), Bar.nMinThumbSize);
    int offset = 0;
    if (count > 0) {
        offset = MulDiv(WrappedDifference(info.nPos, info.nMin), track - size,
                        count - std::max(page, 1));
        if (offset < 0) offset = 0;
        if (offset >= track - size) offset = track - size;
    }
    return TacThumb{(Vertical(Bar) ? R.top : R.left) + arrow + offset, size};
}

int ScrollHitTest(const TacScrollBar& Bar, const TRect& R, TPoint P) {
    const bool vertical = Vertical(Bar);
    const int across = vertical ? P.x : P.y;
    if (across < (vertical ? R.left : R.top) || across >= (vertical ? R.right : R.bottom))
        return spNone;
    const int start = vertical ? R.top : R.left, end = vertical ? R.bottom : R.right;
    const int along = vertical ? P.y : P.x, length = end - start;
    const int arrow = GetScrollMetric(Bar, false, false);
    // A bar too short for two arrows is split between them at its middle.
    const int button = length <= 2 * arrow ? length / 2 : arrow;
    if (along >= start && along < start + button) return spFirstArrow;
    if (along >= end - button && along < end) return spSecondArrow;
    const TacThumb thumb = GetThumbPosSize(Bar, R);
    if (thumb.Size >= length - 2 * arrow) return spNone;
    if (along >= thumb.Pos && along < thumb.Pos + thumb.Size) return spThumb;
    if (along >= start + arrow && along < thumb.Pos) return spPageBefore;
    if (along >= thumb.Pos + thumb.Size && along < end - arrow) return spPageAfter;
    return spNone;
}

bool HasSizeGrip(const TacScrollWnd& ScrollWnd) {
    HWND wnd = ScrollWnd.CtrlHandle;
    // A top-level window's "parent" would be its owner: it has none here.
    HWND parent = (GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) ? GetParent(wnd) : nullptr;
    if (!parent) return true;
    if (GetWindowLongW(parent, GWL_STYLE) & WS_CHILD) return false;
    const TRect h = GetHScrollRect(ScrollWnd), v = GetVScrollRect(ScrollWnd);
    POINT corner{ScrollWnd.fLeftScrollbar ? v.left - ScrollWnd.cxLeftEdge
                                          : v.right + ScrollWnd.cxRightEdge,
                 h.bottom + ScrollWnd.cyBottomEdge};
    ScreenToClient(parent, &corner);
    RECT client;
    GetClientRect(parent, &client);
    return corner.y == client.bottom &&
           corner.x == (ScrollWnd.fLeftScrollbar ? client.left : client.right);
}

bool IsScrollInfoValid(const SCROLLINFO& Info) {
    return static_cast<UINT>(Info.nMax) >= Info.nPage && Info.nMax > Info.nMin && Info.nMax != 0;
}

bool IsScrollbarActive(const TacScrollBar& Bar) {
    HWND wnd = Bar.sw ? Bar.sw->CtrlHandle : nullptr;
    if (!GetScrollBarInfoProc) {
        const LONG style = GetWindowLongW(wnd, GWL_STYLE);
        return (style & (Vertical(Bar) ? WS_VSCROLL : WS_HSCROLL)) != 0;
    }
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    const LONG object = Bar.nBarType == SB_HORZ   ? OBJID_HSCROLL
                        : Bar.nBarType == SB_VERT ? OBJID_VSCROLL
                                                  : OBJID_CLIENT;
    if (!GetScrollBarInfoProc(wnd, object, &info)) return false;
    const Word disabled = sfFirstArrowDisabled | sfSecondArrowDisabled;
    if ((Bar.fScrollFlags & disabled) == disabled) return false;
    if ((Bar.fScrollFlags & sfCheckRange) && !IsScrollInfoValid(Bar.ScrollInfo)) return false;
    // Some systems report a bar disabled as a whole only through its two arrows.
    const bool arrowsUnavailable = (info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) &&
                                   (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE);
    return !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) && !arrowsUnavailable;
}
