// TCustomEdit over the system's EDIT class. The properties live in fields while there is no
// window; CreateWnd hands the ones that are messages rather than styles (limit, password
// character, modified flag) to the new window, and DestroyWnd keeps the modified flag.
#include "framework/StdCtrls.h"

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
    SetParentColor(false);
    SetTabStop(true);
    SetBorderStyle(bsSingle);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
    static constexpr DWORD Alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | Alignments[FAlignment];
    if (FPasswordChar != 0) Params.Style |= ES_PASSWORD;
    if (FReadOnly) Params.Style |= ES_READONLY;
    if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
    if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
    if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
}

void TCustomEdit::CreateWnd() {
    TWinControl::CreateWnd();
    HWND wnd = Handle();
    SendMessageW(wnd, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FPasswordChar != 0) SendMessageW(wnd, EM_SETPASSWORDCHAR, FPasswordChar, 0);
    SendMessageW(wnd, EM_SETMODIFY, FModified ? TRUE : FALSE, 0);
}

void TCustomEdit::DestroyWnd() {
    FModified = Modified();
    TWinControl::DestroyWnd();
}

void TCustomEdit::SetPasswordChar(wchar_t value) {
    if (value == FPasswordChar) return;
    FPasswordChar = value;
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), EM_SETPASSWORDCHAR, value, 0);
    Invalidate();
}

void TCustomEdit::SetMaxLength(int value) {
    FMaxLength = value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
    FReadOnly = value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
    if (value == FCharCase) return;
    FCharCase = value;
    RecreateWnd();
}

void TCustomEdit::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool value) {
    if (value == FHideSelection) return;
    FHideSelection = value;
    RecreateWnd();
}

bool TCustomEdit::Modified() {
    if (!HandleAllocated()) return FModified;
    return SendMessageW(Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool value) {
    FModified = value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETMODIFY, value ? TRUE : FALSE, 0);
}

// ---- selection ---------------------------------------------------------------------------------

void TCustomEdit::Selection(DWORD& start, DWORD& end) {
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
}

int TCustomEdit::SelStart() {
    DWORD start = 0, end = 0;
    Selection(start, end);
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int value) {
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(value), value);
}

int TCustomEdit::SelLength() {
    DWORD start = 0, end = 0;
    Selection(start, end);
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int value) {
    const int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + value);
}

UnicodeString TCustomEdit::SelText() {
    DWORD start = 0, end = 0;
    Selection(start, end);
    return Text().substr(start, end - start);
}

void TCustomEdit::SetSelText(const UnicodeString& value) {
    SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(value.c_str()));
}

void TCustomEdit::SelectAll() { SendMessageW(Handle(), EM_SETSEL, 0, -1); }

// ---- messages ----------------------------------------------------------------------------------

void TCustomEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == EN_CHANGE) Change();
        Message.Result = 0;
        break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    default: TWinControl::Dispatch(Message);
    }
}

// The window reports changes of a single-line edit (EN_CHANGE); a memo's text set by code, and
// the text of an edit without window, are reported here.
void TCustomEdit::CMTextChanged(TMessage& Message) {
    TWinControl::Dispatch(Message);
    if (!HandleAllocated() || (GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_MULTILINE)) Change();
}

// Focus that comes by the keyboard selects a single-line edit's text; a click places the caret.
void TCustomEdit::CMEnter(TMessage& Message) {
    const bool multiLine = (GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_MULTILINE) != 0;
    if (FAutoSelect && !multiLine && !ControlState().Contains(csLButtonDown)) SelectAll();
    TWinControl::Dispatch(Message);
}
