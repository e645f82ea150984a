// The string tree's editor: TStringEditLink edits a cell's text in a TVTEdit laid over the
// cell, in the font the application paints the cell with. Enter accepts (Ctrl+Enter in a
// multi-line node, where Enter alone starts a new line), Escape cancels, losing the focus
// accepts or cancels by toAutoAcceptEditChange, and a one-line edit grows with its text.
//
// A link that is stopping (accepted or cancelled) ignores every further request. Messages that
// end the edit may free the link, so the edit never touches it after handing it to the tree;
// the edit itself is freed by a posted release message once it has a window, so it outlives
// the message it is handling.
#include "vtree/VTWindow.h"

#include <algorithm>

namespace {

constexpr int MinimumEditWidth = 30;

TAlignment Mirrored(TAlignment Alignment) {
    if (Alignment == taLeftJustify) return taRightJustify;
    if (Alignment == taRightJustify) return taLeftJustify;
    return Alignment;
}

bool AutoAccepts(TVirtualStringTreeWindow* Tree) {
    auto* options = Tree->StringTree()->StringTreeOptions();
    return options && options->StringOptions().Contains(toAutoAcceptEditChange);
}

} // namespace

// ---- the string window's part ------------------------------------------------------------------

TComPtr<IVTEditLink> TVirtualStringTreeWindow::DoCreateEditor(PVirtualNode Node,
                                                              TColumnIndex Column) {
    TComPtr<IVTEditLink> link = TVirtualTreeWindow::DoCreateEditor(Node, Column);
    if (!link) link = TComPtr<IVTEditLink>(new TStringEditLink);
    return link;
}

void TVirtualStringTreeWindow::GetTextInfo(PVirtualNode Node, TColumnIndex Column, TFont* AFont,
                                           TRect& R, UnicodeString& Text) {
    R = GetDisplayRect(Node, Column, true);
    Text = StringTree()->CellText(Node, Column);
    TBitmap scratch(1, 1, pf32bit);
    scratch.Canvas()->Font()->Assign(Font());
    DoPaintText(Node, scratch.Canvas(), Column, ttNormal);
    AFont->Assign(scratch.Canvas()->Font());
}

// ---- TVTEdit -----------------------------------------------------------------------------------

TVTEdit::TVTEdit(TStringEditLink* Link) : TCustomEdit(nullptr), FLink(Link) {
    SetVisible(false);
    SetBorderStyle(bsSingle);
    SetAutoSize(false);
}

TVTEdit::~TVTEdit() {
    if (FLink) FLink->FEdit = nullptr;
}

void TVTEdit::Release() {
    if (HandleAllocated())
        PostMessageW(Handle(), CM_RELEASE, 0, 0);
    else
        Free();
}

bool TVTEdit::MultiLine() const {
    return FLink && FLink->FNode && FLink->FNode->States.Contains(vsMultiline);
}

void TVTEdit::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
    if (MultiLine())
        Params.Style = (Params.Style | WS_VSCROLL | ES_AUTOVSCROLL) &
                       ~static_cast<DWORD>(WS_HSCROLL | ES_AUTOHSCROLL);
    const bool themed = FLink && FLink->FTree && FLink->FTree->UseThemes();
    if (themed) {
        Params.Style &= ~static_cast<DWORD>(WS_BORDER);
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
        Params.Style |= WS_BORDER;
        Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    }
}

void TVTEdit::WndProc(TMessage& Message) {
    if (Message.Msg == CM_RELEASE) return Free(); // nothing of the edit is touched after this
    TCustomEdit::WndProc(Message);
}

void TVTEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
        if (HandleKeyDown(Message)) return;
        break;
    case WM_CHAR:
        if (Message.WParam == VK_TAB || Message.WParam == VK_ESCAPE) return;
        break;
    case WM_GETDLGCODE:
        TCustomEdit::Dispatch(Message);
        Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
        return;
    case CM_EXIT: HandleExit(); break;
    case WM_DESTROY: HandleDestroy(); break;
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == EN_UPDATE && FLink && !MultiLine() && FLink->FTree &&
            !FLink->FTree->HasMisc(toGridExtensions))
            FitToText();
        break;
    case FitMessage: FitToText(); return;
    default: break;
    }
    TCustomEdit::Dispatch(Message);
}

// Enter, Escape, and Up and Down of a one-line edit, which move the caret like Left and Right.
bool TVTEdit::HandleKeyDown(TMessage& Message) {
    if (!FLink || !FLink->FTree) return false;
    TVirtualStringTreeWindow* tree = FLink->FTree;
    switch (Message.WParam) {
    case VK_RETURN:
        if (MultiLine() && GetKeyState(VK_CONTROL) >= 0) return false;
        tree->InvalidateNode(FLink->FNode);
        tree->DoEdited();
        if (tree->CanFocus()) tree->SetFocus();
        return true;
    case VK_ESCAPE:
        tree->DoEditCancelled();
        if (tree->CanFocus()) tree->SetFocus();
        return true;
    case VK_UP:
    case VK_DOWN:
        if (!MultiLine()) Message.WParam = Message.WParam == VK_UP ? VK_LEFT : VK_RIGHT;
        return false;
    default: return false;
    }
}

void TVTEdit::HandleExit() {
    if (!FLink || FLink->FStopping || !FLink->FTree) return;
    TVirtualStringTreeWindow* tree = FLink->FTree;
    if (AutoAccepts(tree))
        tree->DoEdited();
    else
        tree->DoEditCancelled();
}

// The window goes while the edit still runs (its parent is going): keep a changed text when the
// tree accepts changes automatically, unless the tree itself is being destroyed.
void TVTEdit::HandleDestroy() {
    if (FRecreating || !FLink || FLink->FStopping) return;
    TVirtualStringTreeWindow* tree = FLink->FTree;
    const bool treeAlive = tree && !tree->ComponentState().Contains(csDestroying);
    if (treeAlive && AutoAccepts(tree) && Modified())
        tree->StringTree()->SetCellText(FLink->FNode, FLink->FColumn, Text());
    // The window is going: a release message posted now would be lost, so the parent frees us.
    FLink->FEdit = nullptr;
    Unlink();
}

void TVTEdit::Unlink() {
    FLink = nullptr;
    FRefLink.Reset(); // last: may free the link
}

void TVTEdit::FitToText() {
    if (!FLink || !FLink->FTree || MultiLine() || !HandleAllocated()) return;
    TVirtualStringTreeWindow* tree = FLink->FTree;
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    TBitmap scratch(1, 1, pf32bit);
    scratch.Canvas()->Font()->Assign(Font());
    const int width = 2 * tree->Tree()->TextMargin + scratch.Canvas()->TextWidth(Text());
    TRect r = BoundsRect();
    if (width < r.Width()) tree->InvalidateNode(FLink->FNode);
    if (FLink->FAlignment == taRightJustify)
        r.left = r.right - width;
    else
        r.right = r.left + width;
    FLink->SetBounds(r);
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

// ---- TStringEditLink ---------------------------------------------------------------------------

TStringEditLink::TStringEditLink() : FEdit(new TVTEdit(this)) {}

TStringEditLink::~TStringEditLink() {
    if (!FEdit) return;
    FEdit->FLink = nullptr;
    std::exchange(FEdit, nullptr)->Release();
}

void TStringEditLink::SetEdit(TVTEdit* Value) {
    if (FEdit == Value) return;
    if (FEdit) {
        FEdit->FLink = nullptr;
        FEdit->Free();
    }
    FEdit = Value;
    if (FEdit) FEdit->FLink = this;
}

bool TStringEditLink::PrepareEdit(TVirtualTreeWindow* Tree, PVirtualNode Node,
                                  TColumnIndex Column) {
    auto* tree = dynamic_cast<TVirtualStringTreeWindow*>(Tree);
    if (!tree || !FEdit) return false;
    FTree = tree;
    FNode = Node;
    FColumn = Column;
    FEdit->FLink = this;
    FEdit->FRefLink = TComPtr<IVTEditLink>(this);
    UnicodeString text;
    tree->GetTextInfo(Node, Column, FEdit->Font(), FTextBounds, text);
    FEdit->Font()->SetColor(clWindowText);
    FEdit->SetParent(tree);
    if (FEdit->HandleAllocated()) { // made for another node: its style may not fit this one
        FEdit->FRecreating = true;
        FEdit->RecreateWnd();
        FEdit->FRecreating = false;
    }
    FEdit->HandleNeeded();
    FEdit->SetText(text);
    TVirtualTreeColumns* columns = tree->Header()->Columns();
    if (columns->IsValidColumn(Column)) {
        FEdit->SetBiDiMode(columns->Items(Column)->BiDiMode());
        FAlignment = columns->Items(Column)->Alignment();
    } else {
        FEdit->SetBiDiMode(tree->BiDiMode());
        FAlignment = tree->Alignment();
    }
    if (FEdit->BiDiMode() != bdLeftToRight) FAlignment = Mirrored(FAlignment);
    return true;
}

bool TStringEditLink::BeginEdit() {
    if (FStopping || !FEdit) return false;
    FEdit->Show();
    FEdit->SelectAll();
    if (FEdit->CanFocus()) FEdit->SetFocus();
    return true;
}

bool TStringEditLink::EndEdit() {
    if (FStopping) return false;
    TComPtr<IVTEditLink> self(this); // the edit may hold the last other reference
    FStopping = true;
    try {
        StoreText();
        if (FEdit) {
            FEdit->Hide();
            FEdit->Unlink();
        }
    } catch (...) {
        FStopping = false;
        throw;
    }
    return true;
}

void TStringEditLink::StoreText() {
    if (FEdit && FTree && FEdit->Modified())
        FTree->StringTree()->SetCellText(FNode, FColumn, FEdit->Text());
}

bool TStringEditLink::CancelEdit() {
    if (FStopping) return false;
    TComPtr<IVTEditLink> self(this);
    FStopping = true;
    if (FEdit) FEdit->Hide();
    if (FTree) FTree->CancelEditNode();
    if (FEdit) FEdit->Unlink();
    return true;
}

TRect TStringEditLink::GetBounds() { return FEdit ? FEdit->BoundsRect() : TRect{}; }

void TStringEditLink::ProcessMessage(TMessage& Message) {
    if (FEdit) Message.Result = FEdit->Perform(Message.Msg, Message.WParam, Message.LParam);
}

void TStringEditLink::SetBounds(TRect R) {
    if (FStopping || !FEdit || !FTree) return;
    R.left = std::max<LONG>(R.left, 0);
    if (R.Width() < MinimumEditWidth) {
        if (FAlignment == taRightJustify)
            R.left = R.right - MinimumEditWidth;
        else
            R.right = R.left + MinimumEditWidth;
    }
    R.right = std::min<LONG>(R.right, FTree->ClientWidth());
    FEdit->SetBounds(R.left, R.top, R.Width(), R.Height());
    if (!FEdit->HandleAllocated()) return;
    const int k = FTree->UseThemes() ? 3 : 2;
    RECT format;
    GetClientRect(FEdit->Handle(), &format);
    InflateRect(&format, k - FTree->Tree()->TextMargin, k);
    if (!FNode->States.Contains(vsMultiline))
        OffsetRect(&format, 0, FTextBounds.top - FEdit->Top());
    SendMessageW(FEdit->Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
}
