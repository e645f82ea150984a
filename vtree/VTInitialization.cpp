// Lazy initialisation: a node asks the owner for its initial states the first time a walk,
// paint or query needs it, and for its child count when its children are first needed. Also
// validation (initialising whole subtrees), re-initialisation and resetting a node.
#include "vtree/VTInternal.h"

void TBaseVirtualTree::DoInitNode(PVirtualNode Parent, PVirtualNode Node,
                                  TVirtualNodeInitStates& InitStates) {
    OnInitNode(this, Parent, Node, InitStates);
}

void TBaseVirtualTree::DoInitChildren(PVirtualNode Node, Cardinal& ChildCount) {
    OnInitChildren(this, Node, ChildCount);
}

void TBaseVirtualTree::DoResetNode(PVirtualNode Node) { OnResetNode(this, Node); }

void TBaseVirtualTree::InitNode(PVirtualNode Node) {
    Node->States.Include(vsInitialized);
    TVirtualNodeInitStates initStates;
    DoInitNode(Node->Parent == FRoot ? nullptr : Node->Parent, Node, initStates);
    if (initStates.Contains(ivsDisabled)) Node->States.Include(vsDisabled);
    if (initStates.Contains(ivsHasChildren)) {
        Node->States.Include(vsHasChildren);
        if (!Node->FirstChild) Node->States.Exclude(vsAllChildrenHidden);
    }
    if (initStates.Contains(ivsSelected)) AddToSelection(Node);
    if (initStates.Contains(ivsMultiline)) Node->States.Include(vsMultiline);
    if (initStates.Contains(ivsExpanded) == Node->States.Contains(vsExpanded)) return;
    if (initStates.Contains(ivsExpanded))
        ToggleNode(Node);
    else if (Node->States.Contains(vsHasChildren))
        InitChildren(Node);
}

void TBaseVirtualTree::InitChildren(PVirtualNode Node) {
    if (!Node || Node == FRoot || !Node->States.Contains(vsHasChildren)) return;
    Cardinal count = Node->ChildCount;
    DoInitChildren(Node, count);
    if (count != 0) {
        ChangeChildCount(Node, count);
    } else {
        DeleteChildren(Node, false);
        Node->States.Exclude(vsHasChildren);
    }
}

void TBaseVirtualTree::ValidateNode(PVirtualNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    if (!Recursive) return;
    if (Node->States.Contains(vsHasChildren) && !Node->FirstChild) InitChildren(Node);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        ValidateNode(child, true);
}

void TBaseVirtualTree::ValidateChildren(PVirtualNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    if (Node->States.Contains(vsHasChildren) && !Node->FirstChild) InitChildren(Node);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        ValidateNode(child, Recursive);
}

void TBaseVirtualTree::ReinitNode(PVirtualNode Node, bool Recursive) {
    if (Node && Node != FRoot) {
        Node->States -= TVirtualNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsHeightMeasured};
        InitNode(Node);
    }
    if (Recursive) ReinitChildren(Node, true);
}

void TBaseVirtualTree::ReinitChildren(PVirtualNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    InitChildren(Node);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        ReinitNode(child, Recursive);
}

void TBaseVirtualTree::ResetNode(PVirtualNode Node) {
    FViewSink->CancelEditNode();
    if (!Node || Node == FRoot) {
        Clear();
        return;
    }
    DoResetNode(Node);
    DeleteChildren(Node, false);
    Node->States -= TVirtualNodeStates{vsInitialized, vsChecking,    vsCutOrCopy,     vsDeleting,
                                       vsExpanded,    vsHasChildren, vsHeightMeasured};
    InvalidateNode(Node);
}
