// The toggle animation and the scrolling after an expansion. The animation engine spreads a
// number of steps over a duration, growing the step size when the time per step would drop
// below a millisecond; it waits between steps on a monotonic clock so that a slow step only
// shortens the following ones. The toggle moves the strip of the window below the toggled
// node's row with ScrollDC and fills the band it uncovers with the tree's colour; the real
// rows are painted afterwards by the normal painting.
#include "vtree/VTWindow.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

using TClock = std::chrono::steady_clock;

Int64 ElapsedMs(TClock::time_point Since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - Since).count();
}

} // namespace

void TVirtualTreeWindow::Animate(Cardinal Steps, Cardinal Duration,
                                 const TAnimationCallback& Callback) {
    if (FTree->TreeStates().Contains(tsInAnimation) || Duration == 0 || Steps == 0) return;
    FTree->DoStateChange({tsInAnimation});
    auto leave = [this] { FTree->DoStateChange({}, {tsInAnimation, tsCancelHintAnimation}); };
    try {
        int stepSize = static_cast<int>(std::lround(std::max(double(Steps) / Duration, 1.0)));
        Int64 remainingSteps = Steps / stepSize;
        Int64 remainingTime = Duration;
        int step = 0;
        while (remainingSteps > 0 && remainingTime > 0) {
            const TClock::time_point start = TClock::now();
            if (!Callback(step, stepSize)) break;
            const Int64 stepTime = remainingTime / remainingSteps;
            while (ElapsedMs(start) < stepTime) {
            }
            const Int64 elapsed = ElapsedMs(start);
            remainingSteps = elapsed > remainingTime ? 0 : remainingSteps - 1;
            remainingTime = std::max<Int64>(remainingTime - elapsed, 0);
            while (remainingSteps > 0 && remainingTime / remainingSteps == 0) {
                ++stepSize;
                remainingSteps = remainingTime / stepSize;
            }
            step = static_cast<int>(Steps - remainingSteps);
        }
        Callback(0, 0);
    } catch (...) {
        leave();
        throw;
    }
    leave();
}

void TVirtualTreeWindow::AnimateToggle(PVirtualNode Node, Integer Delta) {
    if (!HandleAllocated() || Delta == 0 || FTree->AnimationDuration == 0) return;
    const TRect row = GetDisplayRect(Node, NoColumn, false);
    const int clientHeight = ClientHeight();
    if (row.top < 0 || row.top >= clientHeight || row.bottom >= clientHeight) return;
    CancelHint();
    Update();
    const int distance = std::min<int>(std::abs(Delta), clientHeight - row.bottom);
    const int direction = Delta > 0 ? 1 : -1;
    HDC dc = GetDC(Handle());
    if (!dc) RaiseLastOSError(L"GetDC");
    TOwnedBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color()))));
    int moved = 0;
    auto callback = [&](int, int StepSize) {
        if (StepSize == 0 || moved >= distance) return true;
        const int step = std::min(StepSize, distance - moved);
        RECT strip{0, row.bottom, ClientWidth(), clientHeight};
        ScrollDC(dc, 0, direction * step, &strip, &strip, nullptr, nullptr);
        const int bandTop = direction > 0 ? row.bottom : clientHeight - step - 1;
        RECT band{0, bandTop, ClientWidth(), bandTop + step + 1};
        FillRect(dc, &band, brush.Get());
        moved += step;
        return true;
    };
    try {
        Animate(static_cast<Cardinal>(distance), FTree->AnimationDuration, callback);
    } catch (...) {
        ReleaseDC(Handle(), dc);
        throw;
    }
    ReleaseDC(Handle(), dc);
}

bool TVirtualTreeWindow::ScrollAfterExpansion(PVirtualNode Node) {
    if (!HandleAllocated()) return false;
    const Integer block = static_cast<Integer>(Node->TotalHeight);
    if (block <= ClientHeight()) {
        PVirtualNode last = FTree->GetLastVisible(Node, true);
        return last && ScrollIntoView(last, false, false);
    }
    const int before = OffsetY();
    SetTopNode(Node);
    return OffsetY() != before;
}
