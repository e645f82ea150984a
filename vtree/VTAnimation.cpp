// The toggle animation and the scrolling after an expansion. The animation engine spreads a
// number of steps over a duration, growing the step size when the time per step would drop
// below a millisecond; it waits between steps on a monotonic clock so that a slow step only
// shortens the following ones. The toggle moves the strip of the window below the toggled
// node's row with ScrollDC and fills the band it uncovers with the tree's colour; the real
// rows are painted afterwards by the normal painting. With toChildrenAbove the rows above the
// node move instead.
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

// Which part of the window moves, and which way: the rows below the node (down when it
// expands), or with toChildrenAbove the rows above it (up when it expands), or, for an
// expansion with toAdvancedAnimatedToggle and toAutoScrollOnExpand whose children do not fit
// below the node, the node with the rows above it, upwards, as the scrolling that follows
// will put it at the top.
TVirtualTreeWindow::TToggleStrip TVirtualTreeWindow::ToggleStrip(const TRect& Row, Integer Delta) {
    const int clientHeight = ClientHeight();
    const bool expanding = Delta > 0;
    if (HasPaint(toChildrenAbove)) return {0, Row.top, expanding ? -1 : 1, Row.top};
    const bool advanced = FTree->Options()->AnimationOptions().Contains(toAdvancedAnimatedToggle);
    if (expanding && advanced && FTree->HasAuto(toAutoScrollOnExpand) &&
        Row.Height() + Delta > clientHeight - Row.top)
        return {0, Row.bottom, -1, Row.top};
    return {Row.bottom, clientHeight, expanding ? 1 : -1, clientHeight - Row.bottom};
}

void TVirtualTreeWindow::AnimateToggle(PVirtualNode Node, Integer Delta) {
    if (!HandleAllocated() || Delta == 0 || FTree->AnimationDuration == 0) return;
    const TRect row = GetDisplayRect(Node, NoColumn, false);
    const int clientHeight = ClientHeight();
    if (row.top < 0 || row.top >= clientHeight || row.bottom >= clientHeight) return;
    const TToggleStrip strip = ToggleStrip(row, Delta);
    const int distance = std::min<int>(std::abs(Delta), strip.Room);
    if (distance <= 0) return;
    CancelHint();
    Update();
    HDC dc = GetDC(Handle());
    if (!dc) RaiseLastOSError(L"GetDC");
    TOwnedBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color()))));
    int moved = 0;
    auto callback = [&](int, int StepSize) {
        if (StepSize == 0 || moved >= distance) return true;
        const int step = std::min(StepSize, distance - moved);
        RECT area{0, strip.Top, ClientWidth(), strip.Bottom};
        ScrollDC(dc, 0, strip.Direction * step, &area, &area, nullptr, nullptr);
        const int bandTop = strip.Direction > 0 ? strip.Top : strip.Bottom - step - 1;
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

// The toggled rows lie above the node: moving the offset by Delta keeps the node's row where it
// was. With toAutoScrollOnExpand an expansion shows the whole block (the new rows and the
// node) when that only takes keeping the row in place, else from the block's first row when
// it fits, else as much of it as ends with the node's row at the bottom.
bool TVirtualTreeWindow::ScrollAfterToggleAbove(PVirtualNode Node, Integer Delta) {
    if (!HandleAllocated() || Delta == 0) return false;
    const int before = OffsetY();
    const int oldTop = GetDisplayRect(Node, NoColumn, false).top - std::max<Integer>(Delta, 0);
    const bool blockFits = static_cast<int>(Node->NodeHeight) + Delta <= ClientHeight();
    if (Delta < 0 || !FTree->HasAuto(toAutoScrollOnExpand) || oldTop >= Delta)
        SetOffsetY(OffsetY() - Delta);
    else if (blockFits)
        SetTopNode(FTree->GetFirstVisible(Node, true));
    else
        SetBottomNode(Node);
    return OffsetY() != before;
}
