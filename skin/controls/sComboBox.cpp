// TsCustomComboBox: the section is named by the constructor; the skinned window procedure; a
// removed skin re-creates the window. The read-only filters work on either path, before the
// skin's handling and the class library's. The face is painted in sComboBoxPaint.cpp.
#include "skin/controls/sComboBox.h"

#include "skin/controls/sLabel.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sVclUtils.h"

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
    switch (Message.Msg) {
    case WM_PAINT:
        if (!ChildPaintSuppressed()) break;
        { const TPaintCycle validated(ComboWnd, true); }
        return;
    case WM_ERASEBKGND:
    case WM_NCPAINT:
        if (!ChildPaintSuppressed()) break;
        Message.Result = 1;
        return;
    default: break;
    }
    TsSkinned<TCustomComboBox>::ComboWndProc(Message, ComboWnd, ComboProc);
}

void TsCustomComboBox::Loaded() {
    TsSkinned<TCustomComboBox>::Loaded();
    SyncColours();
}

void TsCustomComboBox::CreateWnd() {
    TsSkinned<TCustomComboBox>::CreateWnd();
    if (HandleAllocated()) SyncColours();
}

// Commands from the own manager: 1 the common handling, 2 the plain colours back and a new
// window, 3 the section's colours and a repaint; 6 ends a held-back paint.
bool TsCustomComboBox::SkinCommandDone(TMessage& Message) {
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
        if (!own) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_SKINREMOVED:
        if (!own || ComponentState().Contains(csDestroying)) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        if (!FCommonData->CustomColor()) SetColor(clWindow);
        if (!FCommonData->CustomFont()) Font()->SetColor(clWindowText);
        FDropDown = false;
        if (HandleAllocated()) RecreateWnd();
        return true;
    case SKCMD_REPAINT:
        if (!own) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        SyncColours();
        Repaint();
        return true;
    case SKCMD_UPDATEDONE:
        if (!FCommonData->Updating()) return false;
        FCommonData->SetUpdating(false);
        Repaint();
        return true;
    default: return false;
    }
}

// While skinned and the box is not being typed into, the children show the box's face: their
// own painting is only validated.
bool TsCustomComboBox::ChildPaintSuppressed() {
    return ControlReadyToPaint(this) && FCommonData->Skinned() && Style() != csSimple &&
           !(BoxFocused() && Enabled() && !FReadOnly);
}

void TsCustomComboBox::SkinnedWndProc(TMessage& Message) {
    if (FocusMessage(Message) || PaintMessage(Message) || MouseOverMessage(Message)) return;
    switch (Message.Msg) {
    case WM_COMMAND:
        FDropDown = false;
        OurPaint(nullptr);
        break;
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == CBN_DROPDOWN) FDropDown = true;
        if (HIWORD(Message.WParam) == CBN_CLOSEUP) {
            FDropDown = false;
            FCommonData->BGChanged = true;
            OurPaint(nullptr);
        }
        break;
    case WM_SETFONT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_MOUSEWHEEL: FCommonData->BGChanged = true; break;
    default: break;
    }
    HandleSkinnedMessage(Message, FCommonData.get());
    TCustomComboBox::WndProc(Message);
    if (Message.Msg == CB_SETCURSEL || Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_CHANGED) {
        FCommonData->BGChanged = true;
        Repaint();
    }
}

bool TsCustomComboBox::FocusMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case CM_ENTER:
        if (!CanFocus()) return false;
        FCommonData->FFocused = true;
        FCommonData->FMouseAbove = false;
        FCommonData->BGChanged = true;
        TCustomComboBox::WndProc(Message);
        return true;
    case WM_KILLFOCUS:
    case CM_EXIT:
        SetDroppedDown(false);
        FCommonData->FFocused = FCommonData->FMouseAbove = false;
        FCommonData->BGChanged = true;
        Repaint();
        TCustomComboBox::WndProc(Message);
        return true;
    default: return false;
    }
}

bool TsCustomComboBox::PaintMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: {
        const TPaintCycle cycle(Handle(), true);
        if (!FormAnimating) OurPaint(reinterpret_cast<HDC>(Message.WParam));
        return true;
    }
    case WM_NCPAINT:
        if (FormAnimating) OurPaint(nullptr);
        return true;
    case WM_PRINT:
        FCommonData->SetUpdating(false);
        OurPaint(reinterpret_cast<HDC>(Message.WParam));
        return true;
    default: return false;
    }
}

// The hot look follows the mouse, except while the list is down or the mouse only moved onto
// a child of the box.
bool TsCustomComboBox::MouseOverMessage(TMessage& Message) {
    const bool enter = Message.Msg == CM_MOUSEENTER;
    if ((!enter && Message.Msg != CM_MOUSELEAVE) || ComponentState().Contains(csDesigning))
        return false;
    if (DroppedDown()) {
        TCustomComboBox::WndProc(Message);
        return true;
    }
    if (enter && FCommonData->FMouseAbove) return true;
    if (!enter) {
        POINT cursor;
        RECT window;
        GetCursorPos(&cursor);
        GetWindowRect(Handle(), &window);
        if (PtInRect(&window, cursor)) return true;
    }
    FCommonData->FMouseAbove = enter;
    FCommonData->BGChanged = true;
    Repaint();
    TCustomComboBox::WndProc(Message);
    if (enter) {
        HideGlowEffect(FCommonData->GlowID);
        FCommonData->GlowID = -1;
        RefreshControlGlow(FCommonData.get(), false);
    } else {
        ClearGlowEffects();
    }
    return true;
}
