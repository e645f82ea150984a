// TsScrollBox's life cycle, scrolling and mouse wheel. The wheel's re-entrance switch is shared
// by all scroll boxes (GUI thread).
#include "skin/controls/sScrollBox.h"

#include "skin/engine/sVclUtils.h"

namespace {

bool WheelForwarding = false;

} // namespace

TRect UncoveredScrollStrip(bool Horizontal, int Delta, int Width, int Height) {
    if (Horizontal)
        return Delta < 0 ? TRect(Width + Delta, 0, Width, Height) : TRect(0, 0, Delta, Height);
    return Delta < 0 ? TRect(0, Height + Delta, Width, Height) : TRect(0, 0, Width, Delta);
}

TsScrollBox::TsScrollBox(TComponent* AOwner)
    : TScrollingWinControl(AOwner), FCommonData(new TsCommonData(this, true)),
      FCanvas(new TControlCanvas) {
    FCommonData->COC = 58;
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    FCanvas->SetControl(this);
    SetBounds(Left(), Top(), 185, 41);
    SetAutoScroll(true);
    SetBorderStyle(bsSingle);
}

TsScrollBox::~TsScrollBox() { FreeAndNil(ListSW); }

void TsScrollBox::AfterConstruction() {
    TScrollingWinControl::AfterConstruction();
    FCommonData->Loaded();
}

void TsScrollBox::Loaded() {
    TScrollingWinControl::Loaded();
    FCommonData->Loaded();
}

void TsScrollBox::SetParent(TWinControl* AParent) {
    TScrollingWinControl::SetParent(AParent);
    if (AParent) FCommonData->Loaded();
}

int TsScrollBox::FrameWidth() const { return BorderWidth() + (BorderStyle() == bsSingle ? 2 : 0); }

void TsScrollBox::ScrollBy(int DeltaX, int DeltaY) {
    Perform(SM_ALPHACMD, SkinWParam(SKCMD_SCROLLSTART), 0);
    TScrollingWinControl::ScrollBy(DeltaX, DeltaY);
    Perform(SM_ALPHACMD, SkinWParam(SKCMD_SCROLLEND), 0);
}

bool TsScrollBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (!FAutoMouseWheel) return TScrollingWinControl::DoMouseWheel(Shift, WheelDelta, MousePos);
    if (WheelForwarding) return false;
    TCustomForm* form = OwnerForm(this);
    TWinControl* active = form ? form->ActiveControl() : nullptr;
    LRESULT answer = 0;
    // The library's wheel notification rather than WM_MOUSEWHEEL: its answer says whether the
    // control used the wheel (a window answers WM_MOUSEWHEEL with 0 either way).
    if (active) {
        WheelForwarding = true;
        struct TClear {
            ~TClear() { WheelForwarding = false; }
        } clear;
        answer = active->Perform(
            CM_MOUSEWHEEL,
            MAKEWPARAM(static_cast<WORD>(Shift.Bits()), static_cast<WORD>(WheelDelta)),
            PointToLParam(MousePos));
    }
    if (answer == 0)
        VertScrollBar()->SetPosition(VertScrollBar()->Position() -
                                     (WheelDelta / WHEEL_DELTA) * VertScrollBar()->Increment());
    return true;
}
