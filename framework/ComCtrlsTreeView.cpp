// TTreeView over the system's tree view window: its colours and the custom-draw event that
// runs before the system paints (NM_CUSTOMDRAW, CDDS_PREPAINT, reflected from the parent).
#include "framework/ComCtrls.h"

TTreeView::TTreeView(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TCanvas) {
    SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks});
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetBorderStyle(bsSingle);
}

TTreeView::~TTreeView() = default;

void TTreeView::CreateParams(TCreateParams& Params) {
    InitCommonControl(ICC_TREEVIEW_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_TREEVIEWW);
    Params.Style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT;
}

void TTreeView::CreateWnd() {
    TWinControl::CreateWnd();
    ApplyColors();
}

void TTreeView::ApplyColors() {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    SendMessageW(Handle(), TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
    Invalidate();
}

void TTreeView::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_NOTIFY &&
        reinterpret_cast<NMHDR*>(Message.LParam)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        Message.Result = CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(Message.LParam));
        return;
    }
    TWinControl::Dispatch(Message);
    if (Message.Msg == CM_COLORCHANGED || Message.Msg == CM_FONTCHANGED) ApplyColors();
}

LRESULT TTreeView::CustomDraw(NMTVCUSTOMDRAW& draw) {
    const NMCUSTOMDRAW& common = draw.nmcd;
    if (common.dwDrawStage != CDDS_PREPAINT || !OnCustomDraw) return CDRF_DODEFAULT;
    bool defaultDraw = true;
    comctrls_detail::TCanvasLoan loan(FCanvas.get(), common.hdc);
    FCanvas->SetFont(Font());
    FCanvas->Brush()->SetColor(Color());
    OnCustomDraw(this, TRect(common.rc.left, common.rc.top, common.rc.right, common.rc.bottom),
                 defaultDraw);
    return defaultDraw ? CDRF_DODEFAULT : CDRF_SKIPDEFAULT;
}
