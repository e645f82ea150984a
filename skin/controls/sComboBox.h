// The skinned combo boxes (code 3, section "COMBOBOX" set by the constructor). Skinned, the box
// takes the section's colours and paints its whole face from its cache bitmap: the section over
// the parent's background, the drop-down button from the skin's "COMBOBTN" section with the
// combo glyph (pressed while the list is down), and the selected text. Its drop-down list keeps
// the system's look. Removing the skin re-creates the window, so that the system draws the box
// plainly again.
//
// Beside the class library's combo box they keep a bound caption label (inactive until the skin
// engine shows one), a read-only mode, and the look settings the skinned face uses (Alignment,
// DisabledKind, ShowButton). Read-only: typing, editing and the list keys (space, paging, Home,
// End, the arrows, '9' and the letters) are swallowed in the box and its children, a left press
// only focuses the box and a double click focuses it and fires OnDblClick; the items can still
// be chosen by code.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sSkinnedWrapper.h"
#include "skin/engine/sBoundLabel.h"

class TsCustomComboBox : public TsSkinned<TCustomComboBox> {
    CLASS_INFO(TsCustomComboBox, TCustomComboBox)
public:
    explicit TsCustomComboBox(TComponent* AOwner);

    TsBoundLabel* BoundLabel() const noexcept { return FBoundLabel.get(); }
    bool ReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool value) noexcept { FReadOnly = value; }
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    bool ShowButton() const noexcept { return FShowButton; }
    void SetShowButton(bool value);
    // Where the drop-down button is painted: a scroll bar's width (none for csSimple or without
    // ShowButton) at the right edge, or at the left for right-to-left alignment.
    TRect ButtonRect();
    // The first item exactly equal to S (case counts), -1 when none.
    int IndexOf(const UnicodeString& S);
    // The height of one state of the skin's combo glyph, 16 without one.
    int ButtonHeight();
    // The box or one of its children has the focus.
    bool BoxFocused();
    // The whole face in the cache bitmap.
    void PrepareCache();

protected:
    void Loaded() override;
    void CreateWnd() override;
    void WndProc(TMessage& Message) override;
    void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) override;
    bool SkinCommandDone(TMessage& Message) override;
    void SkinnedWndProc(TMessage& Message) override;

private:
    bool ReadOnlySwallows(TMessage& Message);
    bool OwnerDrawn() const;
    void SyncColours();
    void PaintButton();
    void PaintText(TRect R, UINT ItemState);
    void OurPaint(HDC DC);
    void DrawOwnerItem();
    bool ChildPaintSuppressed();
    bool PaintMessage(TMessage& Message);
    bool FocusMessage(TMessage& Message);
    bool MouseOverMessage(TMessage& Message);

    std::unique_ptr<TsBoundLabel, graphics_detail::TFreeObject> FBoundLabel;
    TAlignment FAlignment = taLeftJustify;
    bool FReadOnly = false;
    TsDisabledKind FDisabledKind{dkBlended};
    bool FShowButton = true;
    // The list is dropped down (between CBN_DROPDOWN and CBN_CLOSEUP).
    bool FDropDown = false;
};

class TsComboBox : public TsCustomComboBox {
    CLASS_INFO(TsComboBox, TsCustomComboBox)
public:
    using TsCustomComboBox::TsCustomComboBox;
};
