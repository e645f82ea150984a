// MessageDlg over the system message box (MessageBoxIndirect, so that the help context
// reaches the owner's WM_HELP). The box is owned by the thread's active window and counts as
// modal for the application while it is up.
#include "framework/Dialogs.h"

#include "framework/Application.h"

namespace {

UINT IconFlags(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning: return MB_ICONWARNING;
    case mtError: return MB_ICONERROR;
    case mtInformation: return MB_ICONINFORMATION;
    case mtConfirmation: return MB_ICONQUESTION;
    default: return 0;
    }
}

// The "to all" buttons answer as their plain counterparts.
TMsgDlgButtons PlainButtons(TMsgDlgButtons Buttons) {
    if (Buttons.Contains(mbYesToAll) || Buttons.Contains(mbAll)) Buttons.Include(mbYes);
    if (Buttons.Contains(mbNoToAll)) Buttons.Include(mbNo);
    return Buttons;
}

UINT ButtonFlags(TMsgDlgButtons Buttons) {
    const auto has = [&](TMsgDlgBtn button) { return Buttons.Contains(button); };
    if (has(mbYes) && has(mbNo)) return has(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    if (has(mbAbort) || has(mbIgnore)) return MB_ABORTRETRYIGNORE;
    if (has(mbRetry)) return MB_RETRYCANCEL;
    if (has(mbCancel)) return MB_OKCANCEL;
    return MB_OK;
}

} // namespace

UINT MessageDlgStyle(TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    UINT style = IconFlags(DlgType) | ButtonFlags(PlainButtons(Buttons));
    if (Buttons.Contains(mbHelp)) style |= MB_HELP;
    return style;
}

UnicodeString MessageDlgCaption(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning: return L"Warning";
    case mtError: return L"Error";
    case mtInformation: return L"Information";
    case mtConfirmation: return L"Confirm";
    default: return Application ? Application->Title() : UnicodeString();
    }
}

TModalResult MessageDlg(const UnicodeString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        Integer HelpCtx) {
    const UnicodeString caption = MessageDlgCaption(DlgType);
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof(params);
    params.hwndOwner = GetActiveWindow();
    params.lpszText = Msg.c_str();
    params.lpszCaption = caption.c_str();
    params.dwStyle = MessageDlgStyle(DlgType, Buttons);
    params.dwContextHelpId = static_cast<DWORD_PTR>(HelpCtx);
    if (Application) Application->ModalStarted();
    const int answer = MessageBoxIndirectW(&params);
    const DWORD error = GetLastError();
    if (Application) Application->ModalFinished();
    if (answer == 0) RaiseOSError(error, L"MessageBoxIndirect");
    return answer;
}
