// TsFadeTimer: the fade of a windowed button, drawn by the timer onto the button's window. The
// order of one frame is fixed: blend, draw (unless the control answers skin command 24 itself),
// count. A frame whose drawing fails is still counted, so a fade always ends.
#include "skin/controls/sFade.h"

#include "framework/Application.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sVclUtils.h"

TsFadeTimer::TsFadeTimer(TComponent* AOwner)
    : TTimer(AOwner), FBmpFrom(new TBitmap(0, 0, pf24bit)) {
    SetDirection(fdNone);
    SetOnTimer(TNotifyEvent(this, &TsFadeTimer::NoTimerEvent));
}

TsFadeTimer::~TsFadeTimer() = default;

void TsFadeTimer::SetDirection(TFadeDirection Value) {
    FDirection = Value;
    if (FadeLevel < 0) FadeLevel = 1;
    SetEnabled(Value != fdNone);
}

void TsFadeTimer::SetOwnerData(TsCommonData* Value) {
    FOwnerData = Value;
    auto* control = dynamic_cast<TWinControl*>(Value->FOwnerControl);
    if (Value->BGChanged && (!Value->CacheBmp() || Value->CacheBmp()->Empty()) && control &&
        control->HandleAllocated())
        SendSkinCommand(control->Handle(), SKCMD_PREPARECACHE);
    if (Value->CacheBmp()) FBmpFrom->Assign(Value->CacheBmp());
    SetInterval(10);
    Iterations = SectionFadingIterations(Value);
    if (FDirection == fdUp)
        Iterations = FadeLevel;
    else if (FDirection == fdDown)
        Iterations -= FadeLevel;
}

void TsFadeTimer::Timer() {
    if (!FOwnerData || ComponentState().Contains(csDestroying) || ToEnd()) return;
    if (FDirection == fdUp || FDirection == fdDown) Change();
}

bool TsFadeTimer::ToEnd() {
    TControl* control = FOwnerData ? FOwnerData->FOwnerControl : nullptr;
    if (!control || control->ComponentState().Contains(csDestroying) ||
        (Application && Application->Terminated())) {
        FDirection = fdNone;
        return false;
    }
    if (FadeLevel <= Iterations && FadeLevel >= 0) return false;
    try {
        control->Perform(SM_ALPHACMD, SkinWParam(SKCMD_STOPFADE), 0);
        return true;
    } catch (...) {
        return false; // the next tick asks again
    }
}

void TsFadeTimer::Change() {
    TControl* control = FOwnerData ? FOwnerData->FOwnerControl : nullptr;
    if (!control || control->ComponentState().Contains(csDestroying) || Iterations == 0) return;
    if (!control->Enabled()) {
        SetEnabled(false);
        Iterations = 0;
        FOwnerData->Invalidate();
        return;
    }
    struct TCount {
        int& Level;
        ~TCount() { ++Level; }
    } count{FadeLevel};
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> frame(new TBitmap(0, 0, pf24bit));
    frame->Assign(FBmpFrom.get());
    frame->SetPixelFormat(pf24bit);
    BlendEqualBmps(frame.get(), FOwnerData->CacheBmp(), FadeWeight(FadeLevel, Iterations));
    ShowFrame(frame.get());
}

void TsFadeTimer::ShowFrame(TBitmap* Frame) {
    auto* control = dynamic_cast<TWinControl*>(FOwnerData->FOwnerControl);
    if (!control || !control->HandleAllocated()) return;
    if (control->Perform(SM_ALPHACMD, SkinWParam(SKCMD_PAINTFADEFRAME),
                         reinterpret_cast<LPARAM>(Frame)) != 0)
        return;
    HWND wnd = control->Handle();
    const TOwnedWindowDC dc = OwnedDCOf(wnd);
    if (!dc) return;
    const int saved = SaveDC(dc.Get());
    BitBlt(dc.Get(), 0, 0, Frame->Width(), Frame->Height(), Frame->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    RestoreDC(dc.Get(), saved);
}
