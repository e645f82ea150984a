// The standard controls: thin wrappers of the system's window classes (BUTTON, EDIT, COMBOBOX,
// LISTBOX) and the two controls the library paints itself (the label, a graphic control, and the
// group box). Declared here, in order: the kinds they are described with; TWindowListStrings
// (the Items of list and combo boxes); TButtonControl with TButton, TCustomCheckBox/TCheckBox and
// TRadioButton; TCustomEdit/TEdit and TCustomMemo/TMemo; TCustomLabel/TLabel;
// TCustomGroupBox/TGroupBox; TCustomComboBox/TComboBox; TCustomListBox/TListBox.
//
// A wrapped control keeps every property in its fields while it has no window and hands them to
// the window when it is made (CreateParams and CreateWnd), so a window made again (RecreateWnd)
// looks as before. Notifications the system sends to the parent come back reflected (CN_COMMAND,
// CN_DRAWITEM, CN_MEASUREITEM) and become the events.
//
// Items of list and combo boxes are held by the control and mirrored into the window; the
// window is never given a sort style, the control sorts, so that an index means the same item in
// both. Threads: GUI thread only.
#pragma once

#include "framework/Controls.h"
#include "framework/StringLists.h"

#include <functional>
#include <vector>

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

using TDrawItemEvent =
    TMethodEvent<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TMethodEvent<void(TWinControl* Control, int Index, int& Height)>;

// True when `key` is the character after the first single "&" of `caption` (case-insensitive).
bool IsAccel(wchar_t key, const UnicodeString& caption);

// ---- items of list-like windows ----------------------------------------------------------------

// The messages a list-like window takes its items with (the LB_* or the CB_* family).
struct TListMessages {
    UINT InsertString;
    UINT DeleteString;
    UINT ResetContent;
    UINT SetItemData;
};

// Strings kept in step with a list or combo box window: the list holds them, and while the
// control has a window every change is made to the window too. A sorted list inserts at the
// place its comparison gives; Insert, Exchange and Move raise on a sorted list.
class TWindowListStrings : public TStrings {
    CLASS_INFO(TWindowListStrings, TStrings)
public:
    TWindowListStrings(TWinControl* control, const TListMessages& messages)
        : FControl(control), FMessages(messages) {}

    int Count() const override { return static_cast<int>(FItems.size()); }
    UnicodeString Strings(int index) const override;
    void Put(int index, const UnicodeString& text) override;
    TObject* Objects(int index) const override;
    void PutObject(int index, TObject* object) override;
    int AddObject(const UnicodeString& text, TObject* object) override;
    void InsertObject(int index, const UnicodeString& text, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    void Move(int currentIndex, int newIndex) override;
    int IndexOf(const UnicodeString& text) const override;

    bool Sorted() const noexcept { return FSorted; }
    // Sorting sorts the items there are now.
    void SetSorted(bool value);
    // Fills a new window with the items.
    void FillWindow(HWND wnd) const;

private:
    struct TItem {
        UnicodeString Text;
        TObject* Object;
    };
    void CheckIndex(int index, int limit) const;
    void CheckUnsorted() const;
    int SortedPosition(const UnicodeString& text) const;
    void InsertItem(int index, const UnicodeString& text, TObject* object);
    void WindowInsert(HWND wnd, int index, const TItem& item) const;
    HWND Window() const;

    TWinControl* FControl;
    TListMessages FMessages;
    std::vector<TItem> FItems;
    bool FSorted = false;
};

// ---- buttons -----------------------------------------------------------------------------------

class TButtonControl : public TWinControl {
    CLASS_INFO(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* AOwner);
    bool WordWrap() const noexcept { return FWordWrap; }
    void SetWordWrap(bool value);

protected:
    // While set, a programmatic check does not fire OnClick (focus taken by a press, loading).
    bool ClicksDisabled() const noexcept { return FClicksDisabled; }
    void SetClicksDisabled(bool value) noexcept { FClicksDisabled = value; }
    virtual bool GetChecked() { return false; }
    virtual void SetChecked(bool) {}
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;

private:
    void PressFocus(TMessage& Message);

    bool FWordWrap = false;
    bool FClicksDisabled = false;
};

// A push button. Click sets the parent form's ModalResult to the button's own. Enter clicks the
// button that is active (the focused button, or the Default button while no other button has
// the focus), Esc clicks a Cancel button. Active follows CM_FOCUSCHANGED, which the form
// broadcasts; SetButtonStyle shows it (BS_DEFPUSHBUTTON).
class TButton : public TButtonControl {
    CLASS_INFO(TButton, TButtonControl)
public:
    explicit TButton(TComponent* AOwner);
    bool Default() const noexcept { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const noexcept { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    int ModalResult() const noexcept { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    // True while Enter clicks this button.
    bool Active() const noexcept { return FActive; }
    void Click() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    // Shows whether the button is the one Enter clicks now.
    virtual void SetButtonStyle(bool ADefault);

private:
    void CMDialogKey(TMessage& Message);
    void CMFocusChanged(TMessage& Message);

    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false;
    int FModalResult = 0;
};

// A check box of two states, or three with AllowGrayed. A click toggles it (unchecked, grayed
// when allowed, checked, unchecked...); setting State or Checked fires OnClick when it changes.
class TCustomCheckBox : public TButtonControl {
    CLASS_INFO(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);
    TCheckBoxState State() const noexcept { return FState; }
    void SetState(TCheckBoxState value);
    bool Checked() { return GetChecked(); }
    void SetChecked(bool value) override { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const noexcept { return FAllowGrayed; }
    void SetAllowGrayed(bool value) { FAllowGrayed = value; }
    // taRightJustify: the text right of the box; taLeftJustify: left of it.
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    virtual void Toggle();

protected:
    bool GetChecked() override { return FState == cbChecked; }
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    CLASS_INFO(TCheckBox, TCustomCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

// A radio button: checking it unchecks the radio buttons that share its parent.
class TRadioButton : public TButtonControl {
    CLASS_INFO(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() { return GetChecked(); }
    void SetChecked(bool value) override;
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);

protected:
    bool GetChecked() override { return FChecked; }
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;

private:
    void TurnSiblingsOff();

    bool FChecked = false;
    TAlignment FAlignment = taRightJustify;
};

// ---- edits -------------------------------------------------------------------------------------

class TCustomEdit : public TWinControl {
    CLASS_INFO(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);

    // 0 shows the text; any other character hides it behind that character.
    wchar_t PasswordChar() const noexcept { return FPasswordChar; }
    void SetPasswordChar(wchar_t value);
    // 0: no limit beyond the system's.
    int MaxLength() const noexcept { return FMaxLength; }
    void SetMaxLength(int value);
    bool ReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool value);
    TEditCharCase CharCase() const noexcept { return FCharCase; }
    void SetCharCase(TEditCharCase value);
    // Selects the whole text when the edit gets the focus from the keyboard.
    bool AutoSelect() const noexcept { return FAutoSelect; }
    void SetAutoSelect(bool value) { FAutoSelect = value; }
    bool HideSelection() const noexcept { return FHideSelection; }
    void SetHideSelection(bool value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    // The user changed the text since Modified was last cleared.
    bool Modified();
    void SetModified(bool value);

    int SelStart();
    void SetSelStart(int value);
    int SelLength();
    void SetSelLength(int value);
    UnicodeString SelText();
    void SetSelText(const UnicodeString& value);
    void SelectAll();
    void Clear() { SetText(L""); }

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;
    virtual void Change() { OnChange(this); }

private:
    void CMEnter(TMessage& Message);
    void CMTextChanged(TMessage& Message);
    void Selection(DWORD& start, DWORD& end);

    wchar_t FPasswordChar = 0;
    int FMaxLength = 0;
    bool FReadOnly = false;
    TEditCharCase FCharCase = ecNormal;
    bool FAutoSelect = true;
    bool FHideSelection = true;
    TAlignment FAlignment = taLeftJustify;
    bool FModified = false; // kept while there is no window
};

class TEdit : public TCustomEdit {
    CLASS_INFO(TEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;
};

class TCustomMemo;

// The memo's lines, read from and written to its text: every line ends with CR LF.
class TMemoStrings : public TStrings {
    CLASS_INFO(TMemoStrings, TStrings)
public:
    explicit TMemoStrings(TCustomMemo* memo) : FMemo(memo) {}
    int Count() const override { return static_cast<int>(Split().size()); }
    UnicodeString Strings(int index) const override;
    void Put(int index, const UnicodeString& text) override;
    TObject* Objects(int) const override { return nullptr; }
    void PutObject(int, TObject*) override {}
    int AddObject(const UnicodeString& text, TObject* object) override;
    void InsertObject(int index, const UnicodeString& text, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    void Move(int currentIndex, int newIndex) override;

private:
    std::vector<UnicodeString> Split() const;
    void Join(const std::vector<UnicodeString>& lines);
    void Check(int index, std::size_t limit) const;

    TCustomMemo* FMemo;
};

// A multi-line edit. Enter and Tab go to the form as dialog keys unless WantReturns / WantTabs.
class TCustomMemo : public TCustomEdit {
    CLASS_INFO(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;
    TStrings* Lines() const noexcept { return FLines.get(); }
    void SetLines(TStrings* value) { FLines->Assign(value); }
    TScrollStyle ScrollBars() const noexcept { return FScrollBars; }
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const noexcept { return FWordWrap; }
    void SetWordWrap(bool value);
    bool WantReturns() const noexcept { return FWantReturns; }
    void SetWantReturns(bool value) { FWantReturns = value; }
    bool WantTabs() const noexcept { return FWantTabs; }
    void SetWantTabs(bool value) { FWantTabs = value; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;

private:
    void CNKeyDown(TMessage& Message);

    std::unique_ptr<TMemoStrings, graphics_detail::TFreeObject> FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
    CLASS_INFO(TMemo, TCustomMemo)
public:
    using TCustomMemo::TCustomMemo;
};

// ---- label -------------------------------------------------------------------------------------

// Text on its parent, without a window. AutoSize fits the bounds to the text (keeping the
// width with WordWrap); the text is written by DoDrawText, which derived labels override. An
// accelerator ("&x") gives the focus to FocusControl.
class TCustomLabel : public TGraphicControl {
    CLASS_INFO(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);
    ~TCustomLabel() override;

    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TTextLayout value);
    bool Transparent() const noexcept { return !ControlStyle().Contains(csOpaque); }
    void SetTransparent(bool value);
    bool WordWrap() const noexcept { return FWordWrap; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const noexcept { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    TWinControl* FocusControl() const noexcept { return FFocusControl; }
    void SetFocusControl(TWinControl* value);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    // Writes (or with DT_CALCRECT measures) the caption in Rect on the canvas.
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    virtual UnicodeString GetLabelText() { return Caption(); }
    void AdjustBounds();

private:
    void Measure(int& width, int& height);
    void Changed();

    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    CLASS_INFO(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

// ---- group box ---------------------------------------------------------------------------------

// An etched frame with its caption at the top left; holds other controls.
class TCustomGroupBox : public TCustomControl {
    CLASS_INFO(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* AOwner);

protected:
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void Dispatch(TMessage& Message) override;

private:
    int CaptionHeight();
};

class TGroupBox : public TCustomGroupBox {
    CLASS_INFO(TGroupBox, TCustomGroupBox)
public:
    using TCustomGroupBox::TCustomGroupBox;
};

// ---- combo box ---------------------------------------------------------------------------------

// A combo box. Items and ItemIndex (-1: none) are kept while there is no window. The edit child
// (styles with an edit) and the list child are subclassed: keys typed into the edit reach
// OnKeyDown/OnKeyPress/OnKeyUp first (a key set to 0 is swallowed), and every message of the
// children passes ComboWndProc, which derived classes override. Owner-draw styles draw items
// with DrawItem (OnDrawItem) on Canvas, measured by MeasureItem (OnMeasureItem).
class TCustomComboBox : public TWinControl {
    CLASS_INFO(TCustomComboBox, TWinControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const noexcept { return FStyle; }
    void SetStyle(TComboBoxStyle value);
    TStrings* Items() const noexcept { return FItems.get(); }
    void SetItems(TStrings* value) { FItems->Assign(value); }
    int ItemIndex();
    void SetItemIndex(int value);
    bool Sorted() const noexcept { return FItems->Sorted(); }
    void SetSorted(bool value) { FItems->SetSorted(value); }
    int DropDownCount() const noexcept { return FDropDownCount; }
    // Items the open list shows at most.
    void SetDropDownCount(int value);
    bool DroppedDown();
    void SetDroppedDown(bool value);
    int ItemHeight();
    void SetItemHeight(int value);
    int MaxLength() const noexcept { return FMaxLength; }
    void SetMaxLength(int value);
    TEditCharCase CharCase() const noexcept { return FCharCase; }
    void SetCharCase(TEditCharCase value);
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }
    // The subclassed children; null when the style has none or there is no window.
    HWND EditHandle() const noexcept { return FEditHandle; }
    HWND ListHandle() const noexcept { return FListHandle; }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;
    // Messages of the edit and list children; `ComboWnd` is the child, `ComboProc` its own
    // procedure, which gets what is not handled here.
    virtual void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc);
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    virtual void Change() { OnChange(this); }
    // OnSelect when assigned, else OnChange.
    virtual void Select();
    virtual void DropDown() { OnDropDown(this); }
    virtual void CloseUp() { OnCloseUp(this); }

private:
    friend class TComboChild;
    void CNCommand(TMessage& Message);
    void CNDrawItem(TMessage& Message);
    void CNMeasureItem(TMessage& Message);
    void WMSetText(TMessage& Message);
    void AdjustDropDown();
    void SubclassChildren();
    bool ChildKeySwallowed(TMessage& Message);
    void ChildFocus(TMessage& Message);
    bool OwnWindow(HWND wnd);

    std::unique_ptr<TWindowListStrings, graphics_detail::TFreeObject> FItems;
    std::unique_ptr<TCanvas, graphics_detail::TFreeObject> FCanvas;
    std::unique_ptr<class TComboChild> FEdit;
    std::unique_ptr<class TComboChild> FList;
    HWND FEditHandle = nullptr;
    HWND FListHandle = nullptr;
    TComboBoxStyle FStyle = csDropDown;
    int FItemIndex = -1; // while there is no window
    int FDropDownCount = 8;
    int FItemHeight = 16;
    int FMaxLength = 0;
    TEditCharCase FCharCase = ecNormal;
};

class TComboBox : public TCustomComboBox {
    CLASS_INFO(TComboBox, TCustomComboBox)
public:
    using TCustomComboBox::TCustomComboBox;
};

// ---- list box ----------------------------------------------------------------------------------

class TCustomListBox : public TWinControl {
    CLASS_INFO(TCustomListBox, TWinControl)
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const noexcept { return FItems.get(); }
    void SetItems(TStrings* value) { FItems->Assign(value); }
    // The selected item (with MultiSelect: the item with the focus rectangle); -1 none. The
    // selection of several items (Selected, SelCount) needs the window.
    int ItemIndex();
    void SetItemIndex(int value);
    bool MultiSelect() const noexcept { return FMultiSelect; }
    void SetMultiSelect(bool value);
    bool Selected(int index);
    void SetSelected(int index, bool value);
    int SelCount();
    bool Sorted() const noexcept { return FItems->Sorted(); }
    void SetSorted(bool value) { FItems->SetSorted(value); }
    TListBoxStyle Style() const noexcept { return FStyle; }
    void SetStyle(TListBoxStyle value);
    int ItemHeight();
    void SetItemHeight(int value);
    int TopIndex();
    void SetTopIndex(int value);
    int Count() const { return FItems->Count(); }
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }
    void Clear() { FItems->Clear(); }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);

private:
    void CNCommand(TMessage& Message);
    void CheckIndex(int index) const;

    std::unique_ptr<TWindowListStrings, graphics_detail::TFreeObject> FItems;
    std::unique_ptr<TCanvas, graphics_detail::TFreeObject> FCanvas;
    int FItemIndex = -1; // while there is no window
    bool FMultiSelect = false;
    TListBoxStyle FStyle = lbStandard;
    int FItemHeight = 16;
};

class TListBox : public TCustomListBox {
    CLASS_INFO(TListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;
};

namespace stdctrls_detail {
// Lends an item's DC to the canvas with the control's font and colours (highlighted when
// selected), calls `draw`, and draws the focus rectangle of a focused item.
void DrawOwnerItem(TWinControl* control, TCanvas* canvas, const DRAWITEMSTRUCT& item,
                   const std::function<void(TRect, TOwnerDrawState)>& draw);
} // namespace stdctrls_detail
