// TsCustomComboBox: the section is named by the constructor; a removed skin re-creates the
// window (the skin's owner-draw look does not survive in it). The read-only filters work on
// either path, before the skin's handling and the class library's.
#include "skin/controls/sComboBox.h"

#include "skin/controls/sLabel.h"
#include "skin/controls/sSkinnedControl.h"

namespace {

// Keys that would change the selection or the text of a read-only box.
bool ListKey(WPARAM Key) {
    return (Key >= 0x20 && Key <= 0x28) || Key == 0x39 || (Key >= 0x41 && Key <= 0x5A);
}

bool ChildEditing(UINT Msg) {
    switch (Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYUP:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case CN_KEYDOWN:
    case CN_CHAR:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR: return true;
    default: return false;
    }
}

} // namespace

TsCustomComboBox::TsCustomComboBox(TComponent* AOwner)
    : TsSkinned<TCustomComboBox>(AOwner, 3, true),
      FBoundLabel(new TsBoundLabel(this, FCommonData.get(), &MakeEditLabel)) {
    SetDropDownCount(16);
    if (FCommonData->SkinSection().empty()) FCommonData->SetSkinSection(L"COMBOBOX");
}

void TsCustomComboBox::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    FCommonData->Invalidate();
}

void TsCustomComboBox::SetDisabledKind(TsDisabledKind value) {
    if (value == FDisabledKind) return;
    FDisabledKind = value;
    FCommonData->Invalidate();
}

void TsCustomComboBox::SetShowButton(bool value) {
    if (value == FShowButton) return;
    FShowButton = value;
    FCommonData->Invalidate();
}

TRect TsCustomComboBox::ButtonRect() {
    const int w = Style() != csSimple && FShowButton ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int left = UseRightToLeftAlignment() ? 2 : Width() - w - 3;
    return TRect(left, 2, left + w, Height() - 2);
}

int TsCustomComboBox::IndexOf(const UnicodeString& S) {
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->Strings(i) == S) return i;
    return -1;
}

bool TsCustomComboBox::ReadOnlySwallows(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR: return ListKey(Message.WParam);
    case WM_CHAR: return true;
    case WM_COMMAND:
    case CN_COMMAND: return Message.WParam == 7;
    case WM_LBUTTONDOWN: SetFocus(); return true;
    case WM_LBUTTONDBLCLK:
        SetFocus();
        DblClick();
        return true;
    default: return false;
    }
}

void TsCustomComboBox::WndProc(TMessage& Message) {
    if (FReadOnly && ReadOnlySwallows(Message)) return;
    TsSkinned<TCustomComboBox>::WndProc(Message);
    // Skin command 14 asks a combo box whether its list is dropped down.
    if (SkinCommand(Message) == SKCMD_MENUBORDERDRAWN) Message.Result = DroppedDown() ? 1 : 0;
}

void TsCustomComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) {
    if (FReadOnly && ChildEditing(Message.Msg)) return;
    TsSkinned<TCustomComboBox>::ComboWndProc(Message, ComboWnd, ComboProc);
}

bool TsCustomComboBox::SkinCommandDone(TMessage& Message) {
    const bool removed = SkinCommand(Message) == SKCMD_SKINREMOVED &&
                         FromOwnManager(Message, FCommonData.get()) &&
                         !ComponentState().Contains(csDestroying);
    if (!TsSkinned<TCustomComboBox>::SkinCommandDone(Message)) return false;
    if (removed && HandleAllocated()) RecreateWnd();
    return true;
}
