// Message dialogs: `MessageDlg` asks the user a question in the system's message box and
// answers the button pressed as a modal result.
//
// The system box offers fixed button sets, so a dialog takes the closest one to the buttons
// asked for (MessageDlgStyle): Yes/No/Cancel, Yes/No, Abort/Retry/Ignore, Retry/Cancel,
// OK/Cancel, else OK. The "to all" buttons count as their plain answers (Yes to all as Yes, No
// to all as No, All as Yes) and can therefore never be the result. mbHelp adds the box's help
// button, which sends WM_HELP with the help context to the box's owner. GUI thread only.
#pragma once

#include "framework/Forms.h"
#include "framework/Sets.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// The MB_ icon, button and help flags of the system box for a dialog.
UINT MessageDlgStyle(TMsgDlgType DlgType, TMsgDlgButtons Buttons);
// The caption of a dialog of that type; the application's title for mtCustom.
UnicodeString MessageDlgCaption(TMsgDlgType DlgType);
// Shows the dialog above the active form (Application->ModalStarted/ModalFinished around it)
// and answers mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry or mrIgnore. Raises EOSError when
// the box cannot be shown.
TModalResult MessageDlg(const UnicodeString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        Integer HelpCtx);
