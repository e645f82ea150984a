// The three account dialogs: registration (TForm2), top-up with a prepaid card (TForm3) and
// password change (TForm4). Each checks its inputs in a fixed order, posts them to the second
// service's account host (AccountServerProtocol.h) and reports the reply.
//
//   TAccountDialogServices  the message box and the web browser the dialogs use; tests swap it
//   TAccountDialog          what the three share: the user-name checks, warnings and notices,
//                           one submit at a time, closing after a success
//   TForm2, TForm3, TForm4  the dialogs; Form2, Form3, Form4 the program's instances
//
// The program creates all three hidden at start-up; nothing in it shows them (the account menu
// and the login dialog open the account pages instead), but they work when shown. Every
// caption is chosen for `lang_code` by LangText when a dialog is shown; before that the
// controls carry the Chinese texts. Warnings and notices are boxes titled with the
// application's title: the warning icon for a refused input (the focus then goes to that
// input), the information icon for the server's reply.
//
// The controls are the class library's plain ones (TButton, TEdit, TLabel): the skinned
// controls derive from them and take their place by a change of class name.
//
// GUI thread only. A submit blocks the thread for the post (2 s at most) and then lets the
// message loop handle what is pending once; a click on the submit button that waited meanwhile
// is ignored rather than posted again.
#pragma once

#include "client/AccountServerProtocol.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <functional>
#include <utility>
#include <vector>

// ---- What the dialogs do outside themselves ---------------------------------------------------

struct TAccountDialogServices {
    // Shows a message box and answers the button pressed (Application->MessageBox).
    std::function<int(const UnicodeString& Text, const UnicodeString& Caption, UINT Flags)>
        MessageBox;
    // Opens the page in the user's web browser (the shell's open operation). Raises EOSError
    // when the shell cannot.
    std::function<void(const UnicodeString& Url)> OpenUrl;
};

// The services in force, and the system's ones.
const TAccountDialogServices& AccountDialogServices();
TAccountDialogServices SystemAccountDialogServices();
// Replaces the services (a test's recorders); answers the ones in force before. An empty
// member stands for the system's.
TAccountDialogServices SetAccountDialogServices(const TAccountDialogServices& services);

// ---- The dialogs ------------------------------------------------------------------------------

class TAccountDialog : public TForm {
    CLASS_INFO(TAccountDialog, TForm)
public:
    // An English text and its simplified Chinese text.
    struct TText {
        const wchar_t* English;
        const wchar_t* Chinese;
    };

    explicit TAccountDialog(TComponent* AOwner);

    TEdit* UserID = nullptr;
    TButton* SubmitButton = nullptr; // Enter clicks it
    TButton* CancelButton = nullptr; // Esc clicks it

    // Sets the captions for `lang_code` (the show handler).
    void FormShow(TObject* Sender);
    // Closes the dialog (the cancel button's handler).
    void CancelClick(TObject* Sender);

protected:
    // A label and an edit beside it, on one row of the dialog's input column.
    TEdit* AddInput(const UnicodeString& name, TLabel*& label, int top);
    // The submit and cancel buttons, in a row at `top`.
    void AddButtons(int top);
    // The text for `lang_code` (LangText).
    static UnicodeString InLanguage(const TText& text);
    using TTexts = std::vector<std::pair<TControl*, TText>>;
    // The captions of the dialog and its controls.
    virtual TTexts Texts() = 0;
    // Sets every caption: the Chinese texts as the dialog is built, or the texts for
    // `lang_code` when it is shown.
    void SetTexts(bool asBuilt);

    // The user name is not empty and holds only ASCII letters and digits (trimmed).
    bool UserNameAccepted();
    // Warns and moves the focus to `input` unless `accepted`; answers `accepted`.
    bool Require(bool accepted, const TText& warning, TWinControl* input);
    // The server's answer, in an information box.
    void Notice(const TText& text);
    // After a success: a modal dialog ends with mrOk, a modeless one closes.
    void CloseAfterSuccess();

    // Runs a submit, unless one is under way (a click handled by the loop after a post).
    void Submit(const std::function<void()>& checkAndPost);
    // After each post the message loop handles what is pending, once.
    static void AfterPost();

    int FLabelWidth = 96; // the label column, then the input column
    int FInputWidth = 160;

private:
    bool FSubmitting = false;
};

// Registration: user name, password twice, four ways to reach the holder (one at least), and
// the holder's full name, which lies outside the visible area and is posted as it is (empty).
class TForm2 : public TAccountDialog {
    CLASS_INFO(TForm2, TAccountDialog)
public:
    explicit TForm2(TComponent* AOwner);

    TEdit *Upassword, *Upassword2, *User_Mobile, *Email_Address, *User_QQ, *User_Address;
    TEdit* User_True;
    TLabel *UserIDLabel, *UpasswordLabel, *Upassword2Label, *User_MobileLabel, *Email_AddressLabel,
        *User_QQLabel, *User_AddressLabel, *User_TrueLabel;
    TLabel* NoteLabel; // the red note under the inputs

    void SubmitClick(TObject* Sender);

protected:
    TTexts Texts() override;

private:
    void AddNote(int top);
    bool InputsAccepted();
    bool HasContact();
    void Report(TRegistrationVerdict verdict);
};

// Top-up with a prepaid card: user name, password, card number (18 characters at least) and card
// password (12 at least); the online-payment button and the address label open the second
// service's account pages instead.
class TForm3 : public TAccountDialog {
    CLASS_INFO(TForm3, TAccountDialog)
public:
    explicit TForm3(TComponent* AOwner);

    TEdit *Upassword, *mycardid, *mycardpass;
    TLabel *UserIDLabel, *UpasswordLabel, *mycardidLabel, *mycardpassLabel;
    TButton* OnlineButton;
    TLabel* OnlineLabel; // the account pages' address, as a link

    void SubmitClick(TObject* Sender);
    // The online-payment button's and the address label's handler.
    void OnlineClick(TObject* Sender);

protected:
    TTexts Texts() override;

private:
    void AddOnlinePayment(int top);
    bool InputsAccepted();
    void Report(TTopUpVerdict verdict);
};

// Password change: user name, old password, new password (6 characters at least) and its
// confirmation.
class TForm4 : public TAccountDialog {
    CLASS_INFO(TForm4, TAccountDialog)
public:
    explicit TForm4(TComponent* AOwner);

    TEdit *Upassword, *Upassword1, *Upassword2;
    TLabel *UserIDLabel, *UpasswordLabel, *Upassword1Label, *Upassword2Label;

    void SubmitClick(TObject* Sender);

protected:
    TTexts Texts() override;

private:
    bool InputsAccepted();
    void Report(TPasswordChangeVerdict verdict);
};

extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
