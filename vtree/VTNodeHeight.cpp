// Changing a row's height with the mouse (toNodeHeightResize): a press on the splitter at the
// top or bottom edge of a cell in a fixed column grabs the height of the row above that edge,
// and the following moves set it to the distance from the row's top (at least one pixel). A
// double click on such a splitter (toNodeHeightDblClickResize) restores DefaultNodeHeight.
// Only fixed columns have splitters, so that a row can still be selected by its other cells.
#include "vtree/VTWindow.h"

#include <algorithm>

PVirtualNode TVirtualTreeWindow::HeightSplitterNode(const THitInfo& HitInfo) {
    const THitPositions& at = HitInfo.HitPositions;
    const bool upper = at.Contains(hiUpperSplitter);
    if (!at.Contains(hiOnItem) || (!upper && !at.Contains(hiLowerSplitter)) ||
        HitInfo.HitColumn < 0 || !HitInfo.HitNode)
        return nullptr;
    if (!Header()->Columns()->Items(HitInfo.HitColumn)->Options().Contains(coFixed)) return nullptr;
    PVirtualNode node = upper ? FTree->GetPreviousVisible(HitInfo.HitNode, true) : HitInfo.HitNode;
    return node == FTree->RootNode() ? nullptr : node;
}

bool TVirtualTreeWindow::StartNodeHeightTracking(const THitInfo& HitInfo) {
    if (!HasMisc(toNodeHeightResize)) return false;
    PVirtualNode node = HeightSplitterNode(HitInfo);
    if (!node) return false;
    FTree->SetHeightTrackNode(node);
    FHeightTrackColumn = HitInfo.HitColumn;
    FHeightTrackPoint = GetDisplayRect(node, HitInfo.HitColumn, false).TopLeft();
    FTree->DoStateChange({tsNodeHeightTrackPending});
    return true;
}

void TVirtualTreeWindow::TrackNodeHeight(int X, int Y) {
    PVirtualNode node = FTree->HeightTrackNode();
    if (!node || !DoNodeHeightTracking(node, FHeightTrackColumn, CurrentShiftState(),
                                       FHeightTrackPoint, {X, Y}))
        return;
    FTree->SetNodeHeight(node, static_cast<Cardinal>(std::max<int>(1, Y - FHeightTrackPoint.y)));
}

bool TVirtualTreeWindow::NodeHeightDblClick(TMessage& Message, const THitInfo& HitInfo) {
    PVirtualNode node = HeightSplitterNode(HitInfo);
    if (!node || !HasMisc(toNodeHeightDblClickResize)) return false;
    const POINT point = PointFromLParam(Message.LParam);
    if (DoNodeHeightDblClickResize(node, HitInfo.HitColumn, MouseKeysToShiftState(Message.WParam),
                                   {point.x, point.y})) {
        FTree->SetNodeHeight(node, FTree->DefaultNodeHeight());
        Update();
    }
    return true;
}

bool TVirtualTreeWindow::DoNodeHeightTracking(PVirtualNode Node, TColumnIndex Column,
                                              TShiftState Shift, TPoint& TrackPoint, TPoint P) {
    bool allowed = true;
    OnNodeHeightTracking(this, Node, Column, Shift, TrackPoint, P, allowed);
    return allowed;
}

bool TVirtualTreeWindow::DoNodeHeightDblClickResize(PVirtualNode Node, TColumnIndex Column,
                                                    TShiftState Shift, TPoint P) {
    bool allowed = true;
    OnNodeHeightDblClickResize(this, Node, Column, Shift, P, allowed);
    return allowed;
}
