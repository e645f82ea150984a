// TUpDown over the system's up-down window; the orientation is a window style, so changing it
// makes the window again.
#include "framework/ComCtrls.h"

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csCaptureMouse, csDoubleClicks});
    SetBounds(0, 0, 17, 25);
}

void TUpDown::SetOrientation(TUDOrientation value) {
    if (value == FOrientation) return;
    FOrientation = value;
    RecreateWnd();
}

void TUpDown::CreateParams(TCreateParams& Params) {
    InitCommonControl(ICC_UPDOWN_CLASS);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, UPDOWN_CLASSW);
    if (FOrientation == udHorizontal) Params.Style |= UDS_HORZ;
}
