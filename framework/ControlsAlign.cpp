// The alignment pass of a windowed control. Aligned children take their edge of what is left of
// the client area, in the order top, bottom, left, right, client; children with the same
// alignment keep their order on screen (the topmost alTop child first, the lowest alBottom child
// first, and so on). Children without alignment follow their anchors when the client area
// changes size: anchored on both sides they stretch, on the far side only they move, otherwise
// they stay. The pass does not run while alignment is disabled or the control is being
// destroyed; a pass asked for meanwhile runs when alignment is enabled again.
#include "framework/Controls.h"

#include <algorithm>

void TWinControl::EnableAlign() {
    if (FAlignLevel > 0) --FAlignLevel;
    if (FAlignLevel == 0 && ControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
    if (ControlState().Contains(csAligning)) return;
    if (FAlignLevel > 0 || ComponentState().Contains(csDestroying)) {
        SetControlState(ControlState() + TControlState{csAlignmentNeeded});
        return;
    }
    SetControlState(ControlState() - TControlState{csAlignmentNeeded} + TControlState{csAligning});
    try {
        TRect rect = ClientRect();
        AlignControls(nullptr, rect);
    } catch (...) {
        SetControlState(ControlState() - TControlState{csAligning});
        throw;
    }
    SetControlState(ControlState() - TControlState{csAligning});
}

void TWinControl::AdjustClientRect(TRect&) {}

namespace {

// The order in which children of one alignment take their place.
bool ComesFirst(TAlign align, const TControl* a, const TControl* b) {
    switch (align) {
    case alTop: return a->Top() < b->Top();
    case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
    case alLeft: return a->Left() < b->Left();
    case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
    default: return false;
    }
}

} // namespace

void TWinControl::AlignControls(TControl*, TRect& Rect) {
    AdjustClientRect(Rect);
    const TSize client{Rect.Width(), Rect.Height()};
    if (FAlignedClient.cx != 0 || FAlignedClient.cy != 0) ApplyAnchors(FAlignedClient, client);
    FAlignedClient = client;
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> group;
        for (TControl* control : FControls)
            if (control->Align() == align && control->Visible()) group.push_back(control);
        std::stable_sort(group.begin(), group.end(),
                         [align](TControl* a, TControl* b) { return ComesFirst(align, a, b); });
        for (TControl* control : group) AlignTo(control, align, Rect);
    }
}

void TWinControl::AlignTo(TControl* AControl, TAlign align, TRect& rect) {
    const int width = AControl->Width();
    const int height = AControl->Height();
    switch (align) {
    case alTop:
        AControl->SetBounds(rect.left, rect.top, rect.Width(), height);
        rect.top += AControl->Height();
        break;
    case alBottom:
        AControl->SetBounds(rect.left, rect.bottom - height, rect.Width(), height);
        rect.bottom -= AControl->Height();
        break;
    case alLeft:
        AControl->SetBounds(rect.left, rect.top, width, rect.Height());
        rect.left += AControl->Width();
        break;
    case alRight:
        AControl->SetBounds(rect.right - width, rect.top, width, rect.Height());
        rect.right -= AControl->Width();
        break;
    case alClient: AControl->SetBounds(rect.left, rect.top, rect.Width(), rect.Height()); break;
    default: break;
    }
}

void TWinControl::ApplyAnchors(TSize oldClient, TSize newClient) {
    const int dx = newClient.cx - oldClient.cx;
    const int dy = newClient.cy - oldClient.cy;
    if (dx == 0 && dy == 0) return;
    for (TControl* control : FControls) {
        if (control->Align() != alNone) continue;
        const TAnchors anchors = control->Anchors();
        TRect bounds = control->BoundsRect();
        if (anchors.Contains(akRight)) {
            if (!anchors.Contains(akLeft)) bounds.left += dx;
            bounds.right += dx;
        }
        if (anchors.Contains(akBottom)) {
            if (!anchors.Contains(akTop)) bounds.top += dy;
            bounds.bottom += dy;
        }
        if (bounds == control->BoundsRect()) continue;
        control->SetBounds(bounds.left, bounds.top, bounds.Width(), bounds.Height());
    }
}
