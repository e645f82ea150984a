// A control's cached image copied to a device context around the children that paint
// themselves there, so that copying the background never flickers over them.
#include "skin/engine/sCommonData.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sVclUtils.h"

namespace {

bool PaintsOverBackground(TControl* Child) {
    return Child->ComponentState().Contains(csDesigning) ||
           Child->ControlStyle().Contains(csOpaque) || !dynamic_cast<TWinControl*>(Child);
}

bool Overlaps(const RECT& A, const RECT& B) {
    RECT common;
    return IntersectRect(&common, &A, &B) != FALSE;
}

void Exclude(HDC DC, const RECT& R) { ExcludeClipRect(DC, R.left, R.top, R.right, R.bottom); }

// Copies the cache behind the clipping that Exclusions sets up, inside DstRect.
template <class Exclusions>
void CopyCacheExcept(TsCommonData* Link, const TRect& SrcRect, const TRect& DstRect, HDC DC,
                     bool RepairCorners, Exclusions exclude) {
    TBitmap* cache = Link ? Link->CacheBmp() : nullptr;
    if (!cache) return;
    if (RepairCorners) RepaintCorners(Link, 0);
    const int saved = SaveDC(DC);
    IntersectClipRect(DC, DstRect.left, DstRect.top, DstRect.right, DstRect.bottom);
    exclude();
    BitBlt(DC, DstRect.left, DstRect.top, DstRect.Width(), DstRect.Height(),
           cache->Canvas()->Handle(), SrcRect.left, SrcRect.top, SRCCOPY);
    RestoreDC(DC, saved);
}

// Only the frame of a group box covers what lies behind it.
void ExcludeGroupBoxFrame(HDC DC, HWND Box, const RECT& R) {
    TsSkinManager* manager = DefaultSkinManager;
    if (!manager) return;
    const auto caption = static_cast<int>(SendSkinCommand(Box, SKCMD_HANDLERQUERY));
    const int mask = manager->GetMaskIndex(L"GROUPBOX", L"BORDERSMASK");
    const bool hasMask = manager->IsValidImgIndex(mask);
    const int left = hasMask ? manager->ma[mask].WL : 0;
    const int right = hasMask ? manager->ma[mask].WR : 0;
    const int bottom = hasMask ? manager->ma[mask].WB : 0;
    Exclude(DC, RECT{R.left, R.top, R.right, R.top + caption});
    Exclude(DC, RECT{R.left, R.top, R.left + left, R.bottom});
    Exclude(DC, RECT{R.right - right, R.top, R.right, R.bottom});
    Exclude(DC, RECT{R.left, R.bottom - bottom, R.right, R.bottom});
}

bool IsGroupBox(HWND Wnd) {
    const auto style = static_cast<DWORD>(GetWindowLongW(Wnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(Wnd, GWL_EXSTYLE));
    return (style & BS_GROUPBOX) == BS_GROUPBOX && !(exStyle & WS_EX_CLIENTEDGE);
}

} // namespace

void BitBltBgExceptControls(TWinControl* Ctrl, TsCommonData* Link, const TRect& SrcRect,
                            const TRect& DstRect, HDC DC, bool RepairCorners) {
    CopyCacheExcept(Link, SrcRect, DstRect, DC, RepairCorners, [&] {
        for (int i = 0; i < Ctrl->ControlCount(); ++i) {
            TControl* child = Ctrl->Controls(i);
            const TRect bounds = child->BoundsRect();
            if (!child->Visible() || IsSkinnedSplitter(child) || !Overlaps(bounds, DstRect))
                continue;
            if (PaintsOverBackground(child)) Exclude(DC, bounds);
        }
    });
}

void BitBltBgExceptWindows(HWND Wnd, TsCommonData* Link, const TRect& SrcRect, const TRect& DstRect,
                           HDC DC, bool RepairCorners) {
    CopyCacheExcept(Link, SrcRect, DstRect, DC, RepairCorners, [&] {
        RECT window;
        GetWindowRect(Wnd, &window);
        for (HWND child = GetWindow(Wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
            RECT bounds;
            GetWindowRect(child, &bounds);
            OffsetRect(&bounds, -window.left, -window.top);
            if (!Overlaps(bounds, DstRect)) continue;
            if (IsGroupBox(child))
                ExcludeGroupBoxFrame(DC, child, bounds);
            else
                Exclude(DC, bounds);
        }
    });
}
