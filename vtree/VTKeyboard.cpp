// The tree window's keys: navigation with its selection rules (Shift extends from the range
// anchor, Ctrl scrolls without moving the focus), paging by rows or columns, Home and End, the
// check control on Space, Ctrl+A, expanding and collapsing on the keypad keys (the main
// keyboard's "+", "-", "*", "/" act alike), the Applications key (the node's popup menu), F1
// (the node's help context, handed to the application as WM_HELP), and typed characters
// feeding the incremental search. The class library's key events run first; a key its
// handler swallowed (set to 0) never reaches the tree. Modifiers are those of the thread's
// keyboard state.
#include "vtree/VTWindow.h"

namespace {

constexpr Word KeypadMultiply = VK_MULTIPLY, KeypadAdd = VK_ADD, KeypadSubtract = VK_SUBTRACT,
               KeypadDivide = VK_DIVIDE;

// The character of a key with Ctrl taken as released, mapped onto the keypad's operator keys.
Word KeypadEquivalent(Word Key) {
    BYTE state[256] = {};
    if (!GetKeyboardState(state)) return Key;
    state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_RCONTROL] = 0;
    wchar_t text[4] = {};
    const UINT scan = MapVirtualKeyW(Key, MAPVK_VK_TO_VSC);
    if (ToUnicode(Key, scan, state, text, 4, 0) != 1) return Key;
    switch (text[0]) {
    case L'*': return KeypadMultiply;
    case L'+': return KeypadAdd;
    case L'-': return KeypadSubtract;
    case L'/': return KeypadDivide;
    default: return Key;
    }
}

} // namespace

bool TVirtualTreeWindow::DoKeyAction(Word& CharCode, TShiftState& Shift) {
    bool doDefault = true;
    OnKeyAction(this, CharCode, Shift, doDefault);
    return doDefault;
}

bool TVirtualTreeWindow::IsNavigationKey(Word Key) {
    switch (Key) {
    case VK_BACK:
    case VK_TAB:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: return true;
    default: return false;
    }
}

void TVirtualTreeWindow::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || !DoKeyAction(Key, Shift)) return;
    TBaseVirtualTree& tree = *FTree;
    if (tree.TreeStates().Contains(tsKeyCheckPending) && Key != VK_SPACE) {
        tree.DoStateChange({}, {tsKeyCheckPending});
        tree.EndCheckPress(false);
    }
    if (IsNavigationKey(Key))
        HandleNavigationKey(Key, Shift);
    else
        HandleOtherKey(Key, Shift);
}

void TVirtualTreeWindow::KeyUp(Word& Key, TShiftState Shift) {
    TCustomControl::KeyUp(Key, Shift);
    if (Key != VK_SPACE || !FTree->TreeStates().Contains(tsKeyCheckPending)) return;
    FTree->DoStateChange({}, {tsKeyCheckPending});
    FTree->EndCheckPress(FTree->CheckNode() == FTree->FocusedNode());
}

// A WM_CHAR carries one UTF-16 unit; it goes to the search as it is.
void TVirtualTreeWindow::KeyPress(wchar_t& Key) {
    if (FTree->TreeStates().Contains(tsIncrementalSearchPending)) {
        FTree->HandleIncrementalSearch(static_cast<Word>(Key));
        FTree->DoStateChange({}, {tsIncrementalSearchPending});
    }
    TCustomControl::KeyPress(Key);
}

void TVirtualTreeWindow::StartSearchKey() { FTree->DoStateChange({tsIncrementalSearchPending}); }

// ---- navigation ------------------------------------------------------------------------------

void TVirtualTreeWindow::HandleNavigationKey(Word Key, TShiftState Shift) {
    TBaseVirtualTree& tree = *FTree;
    const bool multi = HasSelection(toMultiSelect);
    const bool extend = Shift.Contains(ssShift) && multi && !tree.TreeStates().Contains(tsEditing);
    bool rangeKey =
        extend && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME);
    const bool clearAfter =
        !(!Shift.Empty() && (Shift.Contains(ssShift) || !HasMisc(toGridExtensions)) && multi &&
          Key != VK_BACK && Key != VK_TAB);
    PVirtualNode lastFocused = tree.FFocusedNode;
    if (!lastFocused && !Shift.Empty()) lastFocused = tree.GetFirstVisible(nullptr, true);
    if (!tree.FRangeAnchor)
        tree.FRangeAnchor = tree.SelectedCount() > 0 ? tree.GetFirstSelected() : tree.GetFirst();
    NavigationKeyAction(Key, Shift, lastFocused, extend, rangeKey);
    const bool needInvalidate = rangeKey || tree.SelectedCount() > 1;
    bool cleared = false;
    if (clearAfter && (lastFocused != tree.FFocusedNode || tree.SelectedCount() != 1)) {
        tree.ClearSelection();
        cleared = true;
    }
    if (Shift.Empty() && tree.FFocusedNode) {
        tree.FRangeAnchor = tree.FFocusedNode;
        tree.FLastSelectionLevel = static_cast<Integer>(tree.GetNodeLevel(tree.FFocusedNode));
    }
    if (rangeKey && lastFocused && tree.FFocusedNode)
        tree.ToggleSelection(lastFocused, tree.FFocusedNode);
    if (tree.FFocusedNode && (tree.FFocusedNode != lastFocused || cleared))
        tree.AddToSelection(tree.FFocusedNode);
    if (needInvalidate) Invalidate();
}

void TVirtualTreeWindow::NavigationKeyAction(Word Key, TShiftState Shift, PVirtualNode LastFocused,
                                             bool Extend, bool& RangeKey) {
    TBaseVirtualTree& tree = *FTree;
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
    switch (Key) {
    case VK_BACK:
        if (tree.TreeStates().Contains(tsIncrementalSearching))
            StartSearchKey();
        else if (tree.FFocusedNode && tree.FFocusedNode->Parent != tree.RootNode())
            tree.SetFocusedNode(tree.FFocusedNode->Parent);
        break;
    case VK_TAB:
        if (HasSelection(toExtendedFocus) && Header()->UseColumns()) TabToNextCell(shift);
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        const bool up = Key == VK_PRIOR;
        if (ctrl && shift)
            SetOffsetX(OffsetX() + (up ? 1 : -1) * ClientWidth());
        else if (shift)
            PageColumns(up);
        else if (ctrl)
            SetOffsetY(OffsetY() + (up ? 1 : -1) * ClientHeight());
        else
            PageNodes(up);
        break;
    }
    case VK_HOME:
    case VK_END: HomeOrEnd(Key, Shift); break;
    case VK_LEFT: StepLeft(Shift, Extend, RangeKey); break;
    case VK_RIGHT: StepRight(Shift, Extend); break;
    case VK_UP:
    case VK_DOWN:
        if (ctrl) {
            const int step = static_cast<int>(tree.DefaultNodeHeight());
            SetOffsetY(OffsetY() + (Key == VK_UP ? step : -step));
        } else {
            StepVertically(Key == VK_UP, Extend, LastFocused);
        }
        break;
    default: break;
    }
}

// The next cell that accepts the focus: the following columns of the row, then the rows after
// it from their first column (backwards with Shift). A refused column is skipped.
void TVirtualTreeWindow::TabToNextCell(bool Backward) {
    TBaseVirtualTree& tree = *FTree;
    TVirtualTreeColumns* columns = Header()->Columns();
    auto step = [&](TColumnIndex Column) {
        return Backward ? columns->GetPreviousVisibleColumn(Column, true)
                        : columns->GetNextVisibleColumn(Column, true);
    };
    TColumnIndex column = step(tree.FFocusedColumn);
    PVirtualNode node = tree.FFocusedNode;
    while (node) {
        if (column < 0) {
            node = Backward ? tree.GetPreviousVisible(node, true) : tree.GetNextVisible(node, true);
            column = Backward ? columns->GetLastVisibleColumn(true)
                              : columns->GetFirstVisibleColumn(true);
        } else if (tree.DoFocusChanging(tree.FFocusedNode, node, tree.FFocusedColumn, column)) {
            return tree.SetFocusedNodeAndColumn(node, column);
        } else {
            column = step(column);
        }
    }
}

void TVirtualTreeWindow::StepVertically(bool Up, bool Extend, PVirtualNode LastFocused) {
    TBaseVirtualTree& tree = *FTree;
    PVirtualNode focused = tree.FFocusedNode;
    PVirtualNode node;
    if (Up)
        node =
            focused ? tree.GetPreviousVisible(focused, true) : tree.GetLastVisible(nullptr, true);
    else
        node = focused ? tree.GetNextVisible(focused, true) : tree.GetFirstVisible(nullptr, true);
    if (!node) {
        if (focused) InvalidateNode(focused);
        return;
    }
    if (Extend && focused && tree.FRangeAnchor) {
        const int order = tree.ComparePositions(LastFocused, tree.FRangeAnchor, true);
        if (Up ? order > 0 : order < 0) tree.RemoveFromSelection(focused);
    }
    if (tree.FFocusedColumn < 0) tree.FFocusedColumn = Header()->MainColumn();
    tree.SetFocusedNode(node);
}

void TVirtualTreeWindow::StepLeft(TShiftState Shift, bool Extend, bool& RangeKey) {
    TBaseVirtualTree& tree = *FTree;
    const int direction = UseRightToLeftAlignment() ? -1 : 1;
    if (Shift.Contains(ssCtrl)) {
        SetOffsetX(OffsetX() + Header()->Columns()->GetScrollWidth() * direction);
        return;
    }
    PVirtualNode focused = tree.FFocusedNode;
    if (HasSelection(toExtendedFocus) && HasMisc(toGridExtensions)) {
        const TColumnIndex c =
            Header()->Columns()->GetPreviousVisibleColumn(tree.FFocusedColumn, true);
        if (c >= 0) tree.SetFocusedColumn(c);
    } else if (!focused) {
        tree.SetFocusedNode(tree.GetFirstVisible(nullptr, true));
    } else if (Shift.Empty() && focused->States.Contains(vsExpanded) && focused->ChildCount > 0) {
        tree.ToggleNode(focused);
    } else if (focused->Parent != tree.RootNode()) {
        if (Extend) {
            if (focused->Index != 0)
                RangeKey = true;
            else if (tree.ComparePositions(focused->Parent, tree.FRangeAnchor, true) > 0)
                tree.RemoveFromSelection(focused);
        }
        tree.SetFocusedNode(focused->Parent);
    }
}

void TVirtualTreeWindow::StepRight(TShiftState Shift, bool Extend) {
    TBaseVirtualTree& tree = *FTree;
    const int direction = UseRightToLeftAlignment() ? -1 : 1;
    if (Shift.Contains(ssCtrl)) {
        SetOffsetX(OffsetX() - Header()->Columns()->GetScrollWidth() * direction);
        return;
    }
    PVirtualNode focused = tree.FFocusedNode;
    if (HasSelection(toExtendedFocus) && HasMisc(toGridExtensions)) {
        const TColumnIndex c = Header()->Columns()->GetNextVisibleColumn(tree.FFocusedColumn, true);
        if (c >= 0) tree.SetFocusedColumn(c);
    } else if (!focused) {
        tree.SetFocusedNode(tree.GetFirstVisible(nullptr, true));
    } else if (Shift.Empty() && !focused->States.Contains(vsExpanded) &&
               focused->States.Contains(vsHasChildren)) {
        tree.ToggleNode(focused);
    } else if (PVirtualNode child = tree.GetFirstVisibleChild(focused)) {
        if (Extend && tree.FRangeAnchor &&
            tree.ComparePositions(child, tree.FRangeAnchor, true) < 0)
            tree.RemoveFromSelection(focused);
        tree.SetFocusedNode(child);
    }
}

void TVirtualTreeWindow::PageNodes(bool Up) {
    TBaseVirtualTree& tree = *FTree;
    PVirtualNode node = tree.FFocusedNode;
    if (!node) node = Up ? tree.GetFirstVisible(nullptr, true) : tree.GetLastVisible(nullptr, true);
    if (!node) return;
    const int height = ClientHeight();
    int sum = 0;
    for (;;) {
        PVirtualNode next =
            Up ? tree.GetPreviousVisible(node, true) : tree.GetNextVisible(node, true);
        if (!next || sum + static_cast<int>(tree.NodeRowHeight(node)) >= height) break;
        sum += static_cast<int>(tree.NodeRowHeight(Up ? next : node));
        node = next;
    }
    tree.SetFocusedNode(node);
}

void TVirtualTreeWindow::PageColumns(bool Left) {
    TBaseVirtualTree& tree = *FTree;
    TVirtualTreeColumns* columns = Header()->Columns();
    if (!Header()->UseColumns()) return;
    TColumnIndex c = tree.FFocusedColumn;
    if (c == InvalidColumn || c == NoColumn) c = columns->GetFirstVisibleColumn();
    int width = columns->GetVisibleFixedWidth();
    for (;;) {
        const TColumnIndex p =
            Left ? columns->GetPreviousVisibleColumn(c) : columns->GetNextVisibleColumn(c);
        if (p < 0 || width + columns->Items(c)->Width() >= ClientWidth() ||
            columns->Items(p)->Options().Contains(coFixed))
            break;
        width += columns->Items(c)->Width();
        c = p;
    }
    tree.SetFocusedColumn(c);
}

void TVirtualTreeWindow::HomeOrEnd(Word Key, TShiftState Shift) {
    TBaseVirtualTree& tree = *FTree;
    const bool rtl = UseRightToLeftAlignment();
    const bool forward = (Key == VK_HOME) != rtl;
    PVirtualNode node =
        forward ? tree.GetFirstVisible(nullptr, true) : tree.GetLastVisible(nullptr, true);
    TVirtualTreeColumns* columns = Header()->Columns();
    TColumnIndex column = NoColumn;
    if (Header()->UseColumns()) {
        column = forward ? columns->GetFirstVisibleColumn() : columns->GetLastVisibleColumn();
        while (column >= 0 && !tree.DoFocusChanging(tree.FFocusedNode, tree.FFocusedNode,
                                                    tree.FFocusedColumn, column))
            column = forward ? columns->GetNextVisibleColumn(column)
                             : columns->GetPreviousVisibleColumn(column);
        if (column < 0) column = InvalidColumn;
    }
    if (column < NoColumn || !node) return;
    const bool ctrlOnly = Shift == TShiftState{ssCtrl};
    if (ctrlOnly && !HasMisc(toGridExtensions)) {
        ScrollIntoView(node, HasSelection(toCenterScrollIntoView),
                       !tree.HasAuto(toDisableAutoscrollOnFocus));
        SetOffsetX(Key == VK_HOME && !rtl ? 0 : -2147483647);
        return;
    }
    if (!HasMisc(toGridExtensions) || Shift.Contains(ssCtrl)) tree.SetFocusedNode(node);
    if (HasMisc(toGridExtensions) && !HasSelection(toFullRowSelect)) tree.SetFocusedColumn(column);
}

// ---- other keys ------------------------------------------------------------------------------

void TVirtualTreeWindow::ShowHelpForFocusedNode() {
    if (!OnGetHelpContext) return;
    Integer context = 0;
    PVirtualNode node = FTree->FocusedNode();
    for (; node && node != FTree->RootNode() && context == 0; node = node->Parent)
        OnGetHelpContext(this, node, 0, context);
    for (TControl* control = this; control && context == 0; control = control->Parent())
        context = control->HelpContext();
    if (context == 0) return;
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(Handle());
    info.hItemHandle = Handle();
    info.dwContextId = static_cast<DWORD_PTR>(context);
    GetCursorPos(&info.MousePos);
    // The default handling passes the request up to the top-level window.
    Perform(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

void TVirtualTreeWindow::HandleOtherKey(Word Key, TShiftState Shift) {
    TBaseVirtualTree& tree = *FTree;
    const bool searching = tree.TreeStates().Contains(tsIncrementalSearching);
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
    PVirtualNode focused = tree.FFocusedNode;
    switch (KeypadEquivalent(Key)) {
    case VK_ESCAPE:
        if (tree.IsMouseSelecting()) {
            tree.DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
            Invalidate();
        } else if (IsEditing()) {
            CancelEditNode();
        }
        return;
    case VK_F2:
        if (Shift.Empty()) EditOnKey();
        return;
    case VK_SPACE:
        if (HasMisc(toCheckSupport) && focused && focused->CheckType != ctNone) {
            if (tree.TreeStates().Contains(tsKeyCheckPending) ||
                tree.TreeStates().Contains(tsMouseCheckPending))
                return;
            tree.BeginCheckPress(focused);
            if (tree.CheckNode()) tree.DoStateChange({tsKeyCheckPending});
            return;
        }
        return StartSearchKey();
    case 'A':
        if (ctrl) return tree.SelectAll(true);
        return StartSearchKey();
    case KeypadMultiply:
        if (searching) return StartSearchKey();
        if (focused) tree.FullExpand(focused);
        return;
    case KeypadAdd:
        if (searching) return StartSearchKey();
        if (ctrl && shift)
            tree.FullExpand();
        else if (ctrl)
            AutoFitColumns(true);
        else if (focused && !focused->States.Contains(vsExpanded))
            tree.ToggleNode(focused);
        return;
    case KeypadSubtract:
        if (searching) return StartSearchKey();
        if (ctrl && shift)
            tree.FullCollapse();
        else if (ctrl)
            Header()->RestoreColumns();
        else if (focused && focused->States.Contains(vsExpanded))
            tree.ToggleNode(focused);
        return;
    case KeypadDivide:
        if (searching) return StartSearchKey();
        if (focused) tree.FullCollapse(focused);
        return;
    case VK_APPS: return PopupForKeyboard();
    case VK_F1: return ShowHelpForFocusedNode();
    default:
        if (Shift.Contains(ssAlt) || ctrl || Key < 32) return;
        StartSearchKey();
    }
}
