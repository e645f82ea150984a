// TsAnimTimer: the fade of a graphic (window-less) button. The timer blends each frame into
// TmpBmp and asks the control to repaint (skin commands 8 and 18); the control shows TmpBmp
// while the timer is enabled. FadeInProcess keeps a repaint from producing a frame inside the
// frame it is showing.
#include "skin/controls/sFade.h"

#include "framework/Application.h"
#include "skin/engine/sAlphaGraph.h"

TsAnimTimer::TsAnimTimer(TComponent* AOwner)
    : TTimer(AOwner), FBmpFrom(new TBitmap(0, 0, pf24bit)), FTmpBmp(new TBitmap(0, 0, pf24bit)) {
    SetEnabled(false);
    SetOnTimer(TNotifyEvent(this, &TsAnimTimer::NoTimerEvent));
}

TsAnimTimer::~TsAnimTimer() = default;

void TsAnimTimer::SetOwnerData(TsCommonData* Value) {
    FOwnerData = Value;
    SetInterval(10);
    Iterations = SectionFadingIterations(Value);
}

void TsAnimTimer::Timer() {
    if (ComponentState().Contains(csDestroying)) return;
    if (!ToEnd()) DoFade();
}

bool TsAnimTimer::ToEnd() {
    TControl* control = FOwnerData ? FOwnerData->FOwnerControl : nullptr;
    if (ComponentState().Contains(csDestroying) || !control ||
        control->ComponentState().Contains(csDestroying) ||
        (Application && Application->Terminated()))
        return true;
    if (FadeLevel >= 0 && FadeLevel <= Iterations) return false;
    control->Perform(SM_ALPHACMD, SkinWParam(SKCMD_STOPFADE), 0);
    return true;
}

void TsAnimTimer::DoFade() {
    TControl* control = FOwnerData ? FOwnerData->FOwnerControl : nullptr;
    if (!FadeInProcess && control && !control->ComponentState().Contains(csDestroying) &&
        Iterations != 0 && FadeLevel >= 0) {
        FadeInProcess = true;
        struct TDone {
            bool& Flag;
            ~TDone() { Flag = false; }
        } done{FadeInProcess};
        FTmpBmp->Assign(FBmpFrom.get());
        FTmpBmp->SetPixelFormat(pf24bit);
        BlendEqualBmps(FTmpBmp.get(), FOwnerData->CacheBmp(), FadeWeight(FadeLevel, Iterations));
        Repaint();
    }
    ++FadeLevel;
}

void TsAnimTimer::Repaint() {
    TControl* control = FOwnerData->FOwnerControl;
    control->Perform(SM_ALPHACMD, SkinWParam(SKCMD_SETUPDATING, 0), 0);
    control->Perform(SM_ALPHACMD, SkinWParam(SKCMD_REFRESHNOW), 0);
}
