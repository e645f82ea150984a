// The toggle animation and the scrolling after an expansion. The animation engine spreads a
// number of steps over a duration, growing the step size when the time per step would drop
// below a millisecond; it waits between steps on a monotonic clock so that a slow step only
// shortens the following ones. The toggle moves the strip of the window below the toggled
// node's row with ScrollDC and fills the band it uncovers with the tree's colour; the real
// rows are painted afterwards by the normal painting. With toChildrenAbove the rows above the
// node move instead; a collapse near the end of the tree may move both.
#include "vtree/VTWindow.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

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

// How far the vertical offset comes back when Removed pixels of content vanish: the offset is
// clamped so that the content still fills the window, which after a collapse near the end of
// the tree scrolls the rows above the node down.
int TVirtualTreeWindow::OffsetGivenBack(Integer Removed) {
    const Integer clamped =
        std::min<Integer>(0, std::max<Integer>(OffsetY(), ClientHeight() - (RangeY() - Removed)));
    return static_cast<int>(clamped - OffsetY());
}

// Which parts of the window move, which way and how far: the rows below the node (down when it
// expands), or with toChildrenAbove the rows above it (up when it expands), or, for an
// expansion with toAdvancedAnimatedToggle and toAutoScrollOnExpand whose children do not fit
// below the node, the node with the rows above it, upwards, as the scrolling that follows
// will put it at the top. A collapse with toAdvancedAnimatedToggle that makes the offset come
// back moves the rows below up by the rest of the removed height first, then the node with
// the rows above it down by what comes back, so that every row ends where it will be drawn.
TVirtualTreeWindow::TToggleStrips TVirtualTreeWindow::ToggleStrips(const TRect& Row,
                                                                   Integer Delta) {
    const int clientHeight = ClientHeight();
    const int top = Row.top, bottom = Row.bottom;
    const int height = static_cast<int>(std::abs(Delta));
    const bool expanding = Delta > 0;
    if (HasPaint(toChildrenAbove))
        return {{0, top, top, expanding ? -1 : 1, std::min(height, top)}};
    const bool advanced = FTree->Options()->AnimationOptions().Contains(toAdvancedAnimatedToggle);
    if (expanding && advanced && FTree->HasAuto(toAutoScrollOnExpand) &&
        bottom - top + height > clientHeight - top)
        return {{0, bottom, bottom, -1, std::min(height, top)}};
    const int givenBack = !expanding && advanced ? OffsetGivenBack(height) : 0;
    TToggleStrips strips{{bottom, clientHeight, clientHeight, expanding ? 1 : -1,
                          std::min(height - givenBack, clientHeight - bottom)}};
    if (givenBack > 0) strips.push_back({0, bottom, bottom + givenBack, 1, givenBack});
    return strips;
}

// Moves a strip on to where it should be after Progress of Steps: a share of its distance
// taken from the total so far, so that no rounding error builds up. The band it uncovers is
// filled with the tree's colour; a strip moving down takes its lower edge with it.
void TVirtualTreeWindow::MoveToggleStrip(HDC DC, HBRUSH Brush, const TToggleStrip& Strip,
                                         int& Moved, int Progress, int Steps) {
    const int step = Strip.Distance * Progress / Steps - Moved;
    if (step <= 0) return;
    const int bottom =
        Strip.Direction > 0 ? std::min(Strip.Bottom + Moved, Strip.Reach) : Strip.Bottom;
    RECT area{0, Strip.Top, ClientWidth(), bottom};
    RECT clip{0, Strip.Top, ClientWidth(), Strip.Reach};
    ScrollDC(DC, 0, Strip.Direction * step, &area, &clip, nullptr, nullptr);
    const int bandTop = Strip.Direction > 0 ? Strip.Top : Strip.Bottom - step - 1;
    RECT band{0, bandTop, ClientWidth(), bandTop + step + 1};
    FillRect(DC, &band, Brush);
    Moved += step;
}

void TVirtualTreeWindow::AnimateToggle(PVirtualNode Node, Integer Delta) {
    if (!HandleAllocated() || Delta == 0 || FTree->AnimationDuration == 0) return;
    const TRect row = GetDisplayRect(Node, NoColumn, false);
    const int clientHeight = ClientHeight();
    if (row.top < 0 || row.top >= clientHeight || row.bottom >= clientHeight) return;
    const TToggleStrips strips = ToggleStrips(row, Delta);
    int steps = 0;
    for (const TToggleStrip& strip : strips) steps = std::max(steps, strip.Distance);
    if (steps <= 0) return;
    CancelHint();
    Update();
    const TOwnedWindowDC owner = OwnedDCOf(Handle());
    if (!owner) RaiseLastOSError(L"GetDC");
    HDC dc = owner.Get();
    TOwnedBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color()))));
    std::vector<int> moved(strips.size(), 0);
    int progress = 0;
    auto callback = [&](int, int StepSize) {
        if (StepSize == 0 || progress >= steps) return true;
        progress = std::min(progress + StepSize, steps);
        for (std::size_t i = 0; i < strips.size(); ++i)
            MoveToggleStrip(dc, brush.Get(), strips[i], moved[i], progress, steps);
        return true;
    };
    Animate(static_cast<Cardinal>(steps), FTree->AnimationDuration, callback);
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
