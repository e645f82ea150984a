// Routines the handlers share: passing a message to children, properties by name, finding a
// component by its window and recording a window's geometry.
#include "framework/TypInfo.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sSkinManager.h"
#include "skin/engine/sVclUtils.h"
#include "skin/window/acSBUtils.h"

void PassMessageOrBroadcast(TWinControl* Control, HWND Wnd, TMessage& Message) {
    if (Control)
        PassMessageToChildren(Control, Message);
    else
        SendToChildWindows(Wnd, Message);
}

bool BorderHasStates(const TsCommonData* SkinData) {
    TsSkinManager* manager = SkinData->SkinManager();
    if (!manager || SkinData->SkinIndex < 0 || !manager->IsValidImgIndex(SkinData->BorderIndex))
        return false;
    return manager->ma[static_cast<std::size_t>(SkinData->BorderIndex)].ImageCount > 1;
}

void SetIntPropIfExists(TObject* Control, const UnicodeString& Name, Int64 Value) {
    if (Control && PropExists(Control, Name)) WriteOrdPropByName(Control, Name, Value);
}

TColor GetColorPropIfExists(TObject* Control, const UnicodeString& Name) {
    if (!Control || !PropExists(Control, Name)) return 0;
    return ColorToRGB(static_cast<TColor>(ReadOrdPropByName(Control, Name)));
}

TComponent* FindComponentByHandle(HWND Wnd, TComponent* Component) {
    for (int i = 0; i < Component->ComponentCount(); ++i) {
        TComponent* child = Component->Components(i);
        auto* control = dynamic_cast<TWinControl*>(child);
        if (control && control->HandleAllocated() && control->Handle() == Wnd) return control;
        if (TComponent* found = FindComponentByHandle(Wnd, child)) return found;
    }
    return nullptr;
}

void GetWndParams(HWND Wnd, HWND& ParentWnd, TRect& WndRect, TRect& ParentRect, TSize& WndSize,
                  TPoint& WndPos) {
    GetWindowRect(Wnd, &WndRect);
    ParentWnd = GetParent(Wnd);
    GetWindowRect(ParentWnd, &ParentRect);
    WndSize.cx = RectSpanX(WndRect);
    WndSize.cy = RectSpanY(WndRect);
    WndPos = TPoint(WndRect.left, WndRect.top);
    ScreenToClient(ParentWnd, &WndPos);
}

void NotifyTopWindow(HWND Wnd) {
    HWND top = Wnd;
    while (HWND parent = GetParent(top)) top = parent;
    SendMessageW(top, SM_ALPHACMD, SkinWParam(SKCMD_CONTROLPLACED), 0);
}
