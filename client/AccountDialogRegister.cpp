// The registration dialog (TForm2): seven inputs in a column, a red note about the contact
// details under them, and the submit and cancel buttons. The holder's full name (User_True)
// lies below the visible area and out of the tab order, so the focus never goes where the user
// cannot see it; it is posted as it is, which is empty.
#include "client/AccountDialogs.h"

#include "framework/Conversions.h"

TForm2* Form2 = nullptr;

namespace {

constexpr int FirstRow = 12;
constexpr int RowPitch = 28;
constexpr int HiddenRow = 400; // below the client area

} // namespace

TForm2::TForm2(TComponent* AOwner) : TAccountDialog(AOwner) {
    SetName(L"Form2");
    SetFormStyle(fsStayOnTop);
    SetBounds(0, 0, 286, 346);
    FLabelWidth = 104;
    FInputWidth = 160;
    int top = FirstRow;
    UserID = AddInput(L"UserID", UserIDLabel, top);
    Upassword = AddInput(L"Upassword", UpasswordLabel, top += RowPitch);
    Upassword2 = AddInput(L"Upassword2", Upassword2Label, top += RowPitch);
    User_Mobile = AddInput(L"User_Mobile", User_MobileLabel, top += RowPitch);
    Email_Address = AddInput(L"Email_Address", Email_AddressLabel, top += RowPitch);
    User_QQ = AddInput(L"User_QQ", User_QQLabel, top += RowPitch);
    User_Address = AddInput(L"User_Address", User_AddressLabel, top += RowPitch);
    User_True = AddInput(L"User_True", User_TrueLabel, HiddenRow);
    User_True->SetTabStop(false);
    User_TrueLabel->SetCaption(L"姓名:");
    for (TEdit* password : {Upassword, Upassword2}) password->SetPasswordChar(L'*');

    AddNote(top + RowPitch + 2);
    AddButtons(top + RowPitch + 54);
    SubmitButton->OnClick = TNotifyEvent(this, &TForm2::SubmitClick);
    SetTexts(true);
}

void TForm2::AddNote(int top) {
    NoteLabel = new TLabel(this);
    NoteLabel->SetName(L"NoteLabel");
    NoteLabel->SetParent(this);
    NoteLabel->SetAutoSize(false);
    NoteLabel->SetWordWrap(true);
    NoteLabel->Font()->SetColor(clRed);
    NoteLabel->SetBounds(8, top, 264, 44);
}

TAccountDialog::TTexts TForm2::Texts() {
    return {
        {this, {L"Register", L"帐户注册"}},
        {UserIDLabel, {L"UserName:", L"用户名:"}},
        {UpasswordLabel, {L"Password:", L"密码:"}},
        {Upassword2Label, {L"Confirm Password:", L"确认密码:"}},
        {User_MobileLabel, {L"Phone:", L"电话:"}},
        {Email_AddressLabel, {L"E-Mail:", L"邮箱:"}},
        {User_QQLabel, {L"QQ/MSN:", L"QQ/MSN:"}},
        {User_AddressLabel, {L"Address:", L"地址:"}},
        {NoteLabel,
         {L"The above 4 at least need to fill in 1",
          L"电话、邮箱、QQ、地址这四项联系信息至少要填写一项，邮箱用于找回密码"}},
        {SubmitButton, {L"Submit", L"注册"}},
        {CancelButton, {L"Cancel", L"取消"}},
    };
}

bool TForm2::HasContact() {
    for (TEdit* contact : {User_Mobile, Email_Address, User_QQ, User_Address})
        if (!Trim(contact->Text()).empty()) return true;
    return false;
}

// The passwords are compared as typed; their lengths are counted without the blanks around them.
bool TForm2::InputsAccepted() {
    return UserNameAccepted() &&
           Require(Trim(Upassword->Text()).size() >= 6, {L"Need at least 6", L"密码至少6位"},
                   Upassword) &&
           Require(!Trim(Upassword2->Text()).empty(),
                   {L"Confirm Password can not be empty", L"确认密码不能为空"}, Upassword2) &&
           Require(Upassword->Text() == Upassword2->Text(),
                   {L"The two input password do not match", L"输入的二次密码不一致"}, Upassword) &&
           Require(HasContact(),
                   {L"The above 4 at least need to fill in 1", L"联系信息至少要填写一项"},
                   Upassword);
}

void TForm2::SubmitClick(TObject*) {
    Submit([this] {
        if (!InputsAccepted()) return;
        const TRegistrationVerdict verdict = PostRegistration(
            {UserID->Text(), Upassword->Text(), Upassword2->Text(), User_True->Text(),
             User_Mobile->Text(), Email_Address->Text(), User_QQ->Text(), User_Address->Text()});
        AfterPost();
        Report(verdict);
    });
}

void TForm2::Report(TRegistrationVerdict verdict) {
    switch (verdict) {
    case TRegistrationVerdict::Closed:
        return Notice({L"Has stopped registration function, please contact customer service",
                       L"已经停止注册功能，请联系客服"});
    case TRegistrationVerdict::NameTaken:
        return Notice({L"User name already exists, please re-enter a new name",
                       L"用户名已经存在，请重新输入用户名"});
    case TRegistrationVerdict::Registered:
        Notice({L"Successfully registered", L"注册成功"});
        return CloseAfterSuccess();
    case TRegistrationVerdict::Failed: break;
    }
    Notice({L"Registration failed, please try again", L"注册失败，请再试"});
}
