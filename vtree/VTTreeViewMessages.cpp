// The three item queries of the standard tree-view control that the tree's window answers
// (TVM_GETITEMW, TVM_GETITEMRECT, TVM_GETNEXTITEM), so that a sender knowing only that control
// can read the tree's items and walk from item to item. An item handle is a node's address.
// Handles come from other programs as well: each is checked against this tree's live nodes
// before it is used, and a handle that is none (a freed node, another tree's node, any other
// value) is answered like a missing item. The hidden root is never handed out.
#include "vtree/VTWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT StateMask = 0xFF2F;
constexpr UINT FocusedState = 0x0001; // TVIS_FOCUSED, which the installed headers lack

PVirtualNode NodeOf(HTREEITEM Item) { return reinterpret_cast<PVirtualNode>(Item); }
HTREEITEM ItemOf(PVirtualNode Node) { return reinterpret_cast<HTREEITEM>(Node); }

} // namespace

bool TVirtualTreeWindow::DispatchCompatibility(TMessage& Message) {
    switch (Message.Msg) {
    case TVM_GETITEMW: TVMGetItem(Message); return true;
    case TVM_GETITEMRECT: TVMGetItemRect(Message); return true;
    case TVM_GETNEXTITEM: TVMGetNextItem(Message); return true;
    case WM_GETOBJECT: WMGetObject(Message); return true;
    default: return false;
    }
}

bool TVirtualTreeWindow::IsLiveNode(PVirtualNode Node) const {
    return Node && Node != FTree->RootNode() && FTree->IsAlive(FTree->NodeRef(Node));
}

Integer TVirtualTreeWindow::ImageIndexOf(PVirtualNode Node, TVTImageKind Kind) {
    bool ghosted = false;
    Integer index = -1;
    DoGetImageIndex(Node, Kind, NoColumn, ghosted, index);
    return index;
}

UINT TVirtualTreeWindow::ItemState(PVirtualNode Node) {
    UINT state = 0;
    if (Node == FTree->FocusedNode()) state |= FocusedState;
    if (Node->States.Contains(vsSelected)) state |= TVIS_SELECTED;
    if (Node->States.Contains(vsCutOrCopy)) state |= TVIS_CUT;
    if (Node == FTree->DropTargetNode()) state |= TVIS_DROPHILITED;
    if (Node->States.Contains(vsExpanded)) state |= TVIS_EXPANDED;
    state |= (static_cast<UINT>(ImageIndexOf(Node, ikState) + 1) << 12) & 0xF000;
    state |= (static_cast<UINT>(ImageIndexOf(Node, ikOverlay) + 1) << 8) & 0x0F00;
    return state;
}

void TVirtualTreeWindow::TVMGetItem(TMessage& Message) {
    auto* item = reinterpret_cast<TVITEMW*>(Message.LParam);
    Message.Result = 0;
    if (!item || !(item->mask & TVIF_HANDLE) || !IsLiveNode(NodeOf(item->hItem))) return;
    Message.Result = 1;
    PVirtualNode node = NodeOf(item->hItem);
    if (item->mask & TVIF_CHILDREN) item->cChildren = static_cast<int>(node->ChildCount);
    if (item->mask & TVIF_IMAGE) item->iImage = ImageIndexOf(node, ikNormal);
    if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = ImageIndexOf(node, ikSelected);
    if (item->mask & TVIF_STATE) {
        item->stateMask = StateMask;
        item->state = ItemState(node);
    }
    if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        auto* strings = dynamic_cast<TCustomVirtualStringTree*>(FTree);
        const UnicodeString text = strings ? strings->CellText(node, NoColumn) : UnicodeString();
        const std::size_t length =
            std::min(text.size(), static_cast<std::size_t>(item->cchTextMax - 1));
        std::copy_n(text.data(), length, item->pszText);
        item->pszText[length] = L'\0';
    }
}

// The RECT's first pointer-sized field holds the item on entry.
void TVirtualTreeWindow::TVMGetItemRect(TMessage& Message) {
    auto* rect = reinterpret_cast<RECT*>(Message.LParam);
    Message.Result = 0;
    if (!rect) return;
    HTREEITEM handle;
    std::memcpy(&handle, rect, sizeof(handle));
    PVirtualNode node = NodeOf(handle);
    if (!IsLiveNode(node)) return;
    if (!node->States.Contains(vsInitialized)) FTree->InitNode(node);
    if (!node->States.Contains(vsVisible)) return;
    *rect = GetDisplayRect(node, NoColumn, Message.WParam != 0);
    Message.Result = 1;
}

void TVirtualTreeWindow::TVMGetNextItem(TMessage& Message) {
    PVirtualNode node = NodeOf(reinterpret_cast<HTREEITEM>(Message.LParam));
    if (!IsLiveNode(node)) node = nullptr;
    PVirtualNode result = nullptr;
    switch (Message.WParam) {
    case TVGN_ROOT: result = FTree->GetFirst(false); break;
    case TVGN_NEXT: result = node ? FTree->GetNextSibling(node) : nullptr; break;
    case TVGN_PREVIOUS: result = node ? FTree->GetPreviousSibling(node) : nullptr; break;
    case TVGN_PARENT: result = node ? node->Parent : nullptr; break;
    case TVGN_CHILD: result = node ? FTree->GetFirstChild(node) : nullptr; break;
    case TVGN_FIRSTVISIBLE: result = FTree->GetFirstVisible(nullptr, true, false); break;
    case TVGN_NEXTVISIBLE: result = node ? FTree->GetNextVisible(node, true) : nullptr; break;
    case TVGN_PREVIOUSVISIBLE:
        result = node ? FTree->GetPreviousVisible(node, true) : nullptr;
        break;
    case TVGN_DROPHILITE: result = FTree->DropTargetNode(); break;
    case TVGN_CARET: result = FTree->FocusedNode(); break;
    case TVGN_LASTVISIBLE: result = FTree->GetLastVisible(nullptr, true, false); break;
    default: break;
    }
    if (result == FTree->RootNode()) result = nullptr;
    Message.Result = reinterpret_cast<LRESULT>(ItemOf(result));
}
