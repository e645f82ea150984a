// A handler's cache bitmap: painting the window's skin (or the plain framed look of a dialog
// child) over its parent's background, and letting the parent show through the transparent
// corners of the skinned border. Both run only while the link's background is marked changed,
// so a repaint in between costs a copy of the cache.
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinManager.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/window/acSBUtils.h"

namespace {

// The skin's border colour; 0xFF00FF when the default manager has none.
TColor SkinBorderColor() {
    return DefaultSkinManager ? DefaultSkinManager->SkinData.BorderColor
                              : static_cast<TColor>(TransparentKeyColor);
}

// The plain look: the system window colour framed by one pixel of the skin's border colour.
void PaintPlainFramed(TBitmap* Cache, TColor BorderColor) {
    HDC dc = Cache->Canvas()->Handle();
    const TRect all(0, 0, Cache->Width(), Cache->Height());
    PaintSolidRect(dc, all, ColorToRGB(clWindow));
    PaintSolidFrame(dc, all, 1, 1, 1, 1, BorderColor);
}

// The section over the parent's background; a framed window keeps its own frame, so the skin's
// border is left out.
bool PaintSectionLook(TsCommonData* SkinData, HWND Wnd, const TRect& R, const TCacheInfo& CI,
                      bool Framed) {
    HWND parent = GetParent(Wnd);
    TPoint p(R.left, R.top);
    if (!parent || !ScreenToClient(parent, &p)) return false;
    TsSkinManager* manager = SkinData->SkinManager();
    if (!manager || !manager->IsValidSkinIndex(SkinData->SkinIndex)) return true;
    const int state = SkinData->FFocused || SkinData->FMouseAbove ? 1 : 0;
    TBitmap* cache = SkinData->CacheBmp();
    const TRect area(0, 0, cache->Width(), cache->Height());
    if (Framed)
        PaintControlBackground(SkinData, CI, state, area, p, cache);
    else
        PaintControlSkin(SkinData, CI, true, state, area, p, cache, true);
    return true;
}

// A disabled control is blended with what lies behind it.
void PaintDisabledLook(TsCommonData* SkinData, HWND Wnd) {
    TControl* owner = SkinData->FOwnerControl;
    if (!owner || owner->Enabled()) return;
    SendMessageW(Wnd, SM_ALPHACMD, SkinWParam(SKCMD_PAINTDISABLED), 0);
    TCacheInfo parent;
    ParentCacheInfoOf(SkinData, parent);
    PaintDisabledEffect(SkinData->CacheBmp(), TsDisabledKind{dkBlended}, owner, parent,
                        TPoint(owner->Left(), owner->Top()));
}

} // namespace

void PrepareHandlerCache(TsCommonData* SkinData, HWND Wnd, bool Framed) {
    if (!SkinData || !SkinData->BGChanged || !Wnd) return;
    TRect r;
    GetWindowRect(Wnd, &r);
    TCacheInfo ci;
    ParentCacheInfoOfWnd(Wnd, ci);
    SkinData->InitCacheBmp();
    SkinData->CacheBmp()->SetSize(r.Width(), r.Height());
    const TColor border = SkinBorderColor();
    if (Framed && border != TransparentKeyColor)
        PaintPlainFramed(SkinData->CacheBmp(), border);
    else if (!PaintSectionLook(SkinData, Wnd, r, ci, Framed))
        return;
    PaintDisabledLook(SkinData, Wnd);
    SkinData->BGChanged = false;
}

void FillTransparentCorners(TsCommonData* SkinData, int State, const TacMainWnd& Handler) {
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (!manager || Handler.DlgMode || !manager->IsValidImgIndex(SkinData->BorderIndex) ||
        !SkinData->CacheBmp() || Handler.WndSize.cx < 2 || Handler.WndSize.cy < 2)
        return;
    TCacheInfo ci;
    ParentCacheInfoOfWnd(Handler.CtrlHandle, ci);
    if (ci.Ready) ci.X += Handler.WndPos.x, ci.Y += Handler.WndPos.y;
    LayBorderCorners(SkinData->CacheBmp(), manager->ma[SkinData->BorderIndex], State,
                     Handler.WndSize, 15, ci, false);
}
