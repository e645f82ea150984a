// Moving and copying nodes with their subtrees. Within one tree a move only relinks the nodes
// (they keep their memory, user data and states). A copy, and a move into another tree, goes
// through an in-memory tree stream: the source nodes are written as node chunks and read back
// by the target tree as new nodes, so a copy carries exactly what the stream carries (node
// record, the user data OnSaveNode/OnLoadNode transfer, the caption of a string tree saving
// captions). Sibling modes against a tree's root become the add-child modes.
//
// A move into another tree deletes the source only after every node was read into the target:
// a failure while reading leaves the source in place.
#include "vtree/VTInternal.h"

using vtree_errors::Assert;

namespace {

constexpr const wchar_t* SourceNotInTree = L"The source tree must contain the source node.";

bool IsSiblingMode(TVTNodeAttachMode Mode) {
    return Mode == amInsertBefore || Mode == amInsertAfter;
}

} // namespace

TBaseVirtualTree* TBaseVirtualTree::NodeOwnerTree(PVirtualNode Node) {
    Assert(Node != nullptr, vtree_messages::NodeNil);
    while (Node->NextSibling != Node) Node = Node->Parent;
    return OwnerOfRoot(Node);
}

bool TBaseVirtualTree::DoNodeMoving(PVirtualNode Node, PVirtualNode Target) {
    bool allowed = true;
    OnNodeMoving(this, Node, Target, allowed);
    return allowed;
}

void TBaseVirtualTree::DoNodeMoved(PVirtualNode Node) { OnNodeMoved(this, Node); }

bool TBaseVirtualTree::DoNodeCopying(PVirtualNode Node, PVirtualNode Target) {
    bool allowed = true;
    OnNodeCopying(this, Node, Target, allowed);
    return allowed;
}

void TBaseVirtualTree::DoNodeCopied(PVirtualNode Node) { OnNodeCopied(this, Node); }

// Nil stands for this tree's root with amAddChildFirst; answers the tree that holds Target.
TBaseVirtualTree* TBaseVirtualTree::ResolveTarget(PVirtualNode& Target, TVTNodeAttachMode& Mode) {
    if (!Target) {
        Target = FRoot;
        Mode = amAddChildFirst;
    }
    TBaseVirtualTree* tree = NodeOwnerTree(Target);
    if (Target == tree->FRoot && IsSiblingMode(Mode))
        Mode = Mode == amInsertBefore ? amAddChildFirst : amAddChildLast;
    return tree;
}

// New children must not be mixed with children the target still owes: it is initialised and
// its children are made first.
void TBaseVirtualTree::PrepareTarget(PVirtualNode Target) {
    if (!Target->States.Contains(vsInitialized))
        InitNode(Target);
    else if (Target->States.Contains(vsHasChildren) && !Target->FirstChild)
        InitChildren(Target);
}

void TBaseVirtualTree::WriteTransfer(TStream* Stream, PVirtualNode Source, bool ChildrenOnly) {
    if (!ChildrenOnly) {
        WriteNode(Stream, Source);
    } else {
        for (PVirtualNode child = Source->FirstChild; child; child = child->NextSibling)
            WriteNode(Stream, child);
    }
    Stream->SetPosition(0);
}

// Reads every node chunk of Stream as a new node of this tree placed at Target; Placed is
// told about each one, which it may delete again.
template <class TPlaced>
void TBaseVirtualTree::ReadTransfer(TStream* Stream, PVirtualNode Target, TVTNodeAttachMode Mode,
                                    const TPlaced& Placed) {
    CancelValidation();
    BeginUpdate();
    try {
        while (Stream->Position() < Stream->Size()) {
            PVirtualNode node = AllocateNode();
            LinkNode(node, Target, Mode);
            LoadNodeFromStream(Stream, StreamVersion, node);
            Placed(node);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TBaseVirtualTree::AfterTransfer() {
    InvalidatePositionCache();
    if (FUpdateCount > 0) return;
    RequestCacheValidation();
    FViewSink->UpdateScrollBars(true);
    FViewSink->InvalidateControl();
}

// ---- moving ---------------------------------------------------------------------------------

void TBaseVirtualTree::MoveTo(PVirtualNode Source, TBaseVirtualTree* Tree, TVTNodeAttachMode Mode,
                              bool ChildrenOnly) {
    MoveTo(Source, Tree->RootNode(), Mode, ChildrenOnly);
}

void TBaseVirtualTree::MoveTo(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                              bool ChildrenOnly) {
    if (Source) Assert(NodeOwnerTree(Source) == this, SourceNotInTree);
    const bool proceed = Source != Target || (ChildrenOnly && IsSiblingMode(Mode));
    if (!proceed || Mode == amNoWhere || !Source || Source == FRoot || HasMisc(toReadOnly)) return;
    TBaseVirtualTree* tree = ResolveTarget(Target, Mode);
    tree->PrepareTarget(Target);
    const bool within = tree == this;
    bool allowed = DoNodeMoving(Source, Target == tree->FRoot ? nullptr : Target);
    // Another tree that is read-only takes nothing: the source would be deleted for nothing.
    if (allowed && !within && tree->HasMisc(toReadOnly)) allowed = false;
    if (allowed) {
        if (within)
            MoveWithin(Source, Target, Mode, ChildrenOnly);
        else
            MoveAcross(Source, tree, Target, Mode, ChildrenOnly);
    }
    InvalidatePositionCache();
    if (allowed && FUpdateCount == 0) {
        AfterTransfer();
        if (!within) tree->AfterTransfer();
    }
    NotifyStructureChange(within && !ChildrenOnly ? Source : nullptr, crNodeMoved);
}

void TBaseVirtualTree::MoveWithin(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                                  bool ChildrenOnly) {
    if (Target != Source && HasAsParent(Target, Source))
        vtree_errors::RaiseError(vtree_errors::NodeMoveTarget);
    CancelValidation();
    if (!ChildrenOnly) {
        UnlinkNode(Source, true, true);
        LinkNode(Source, Target, Mode);
        DoNodeMoved(Source);
        return;
    }
    // Taken from the last child backwards for amAddChildFirst, so that the order is kept.
    const bool backwards = Mode == amAddChildFirst;
    for (PVirtualNode child = backwards ? Source->LastChild : Source->FirstChild; child;) {
        PVirtualNode next = backwards ? child->PrevSibling : child->NextSibling;
        UnlinkNode(child, true, false);
        LinkNode(child, Target, Mode);
        DoNodeMoved(child);
        child = next;
    }
}

void TBaseVirtualTree::MoveAcross(PVirtualNode Source, TBaseVirtualTree* Tree, PVirtualNode Target,
                                  TVTNodeAttachMode Mode, bool ChildrenOnly) {
    TMemoryStream stream;
    WriteTransfer(&stream, Source, ChildrenOnly);
    Tree->ReadTransfer(&stream, Target, Mode, [this](PVirtualNode Node) { DoNodeMoved(Node); });
    BeginUpdate();
    try {
        if (ChildrenOnly)
            DeleteChildren(Source, false);
        else
            DeleteNode(Source, true);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- copying --------------------------------------------------------------------------------

PVirtualNode TBaseVirtualTree::CopyTo(PVirtualNode Source, TBaseVirtualTree* Tree,
                                      TVTNodeAttachMode Mode, bool ChildrenOnly) {
    return CopyTo(Source, Tree->RootNode(), Mode, ChildrenOnly);
}

// The target reports the structure change with the copy (a node of its own), never with the
// source, which may be freed before a delayed notification is delivered.
PVirtualNode TBaseVirtualTree::CopyTo(PVirtualNode Source, PVirtualNode Target,
                                      TVTNodeAttachMode Mode, bool ChildrenOnly) {
    if (Source) Assert(NodeOwnerTree(Source) == this, SourceNotInTree);
    if (Mode == amNoWhere || !Source || Source == FRoot) return nullptr;
    TBaseVirtualTree* tree = ResolveTarget(Target, Mode);
    if (tree->HasMisc(toReadOnly)) return nullptr;
    tree->PrepareTarget(Target);
    PVirtualNode reported = Target == tree->FRoot ? nullptr : Target;
    PVirtualNode copy = nullptr;
    TMemoryStream stream;
    WriteTransfer(&stream, Source, ChildrenOnly);
    tree->ReadTransfer(&stream, Target, Mode, [&](PVirtualNode Node) {
        if (!DoNodeCopying(Node, reported)) {
            tree->DeleteNode(Node, true);
            return;
        }
        DoNodeCopied(Node);
        copy = Node;
    });
    tree->AfterTransfer();
    tree->NotifyStructureChange(ChildrenOnly ? nullptr : copy, crNodeCopied);
    return ChildrenOnly ? Target : copy;
}
