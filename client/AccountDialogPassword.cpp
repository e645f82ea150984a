// The password-change dialog (TForm4): the account with its old password, the new password
// twice, and the submit and cancel buttons.
#include "client/AccountDialogs.h"

#include "framework/Conversions.h"

TForm4* Form4 = nullptr;

namespace {

constexpr int FirstRow = 10;
constexpr int RowPitch = 26;

} // namespace

TForm4::TForm4(TComponent* AOwner) : TAccountDialog(AOwner) {
    SetName(L"Form4");
    SetBounds(0, 0, 290, 181);
    FLabelWidth = 104;
    FInputWidth = 164;
    int top = FirstRow;
    UserID = AddInput(L"UserID", UserIDLabel, top);
    Upassword = AddInput(L"Upassword", UpasswordLabel, top += RowPitch);
    Upassword1 = AddInput(L"Upassword1", Upassword1Label, top += RowPitch);
    Upassword2 = AddInput(L"Upassword2", Upassword2Label, top += RowPitch);
    for (TEdit* password : {Upassword, Upassword1, Upassword2}) password->SetPasswordChar(L'*');
    AddButtons(top + RowPitch + 6);
    SubmitButton->OnClick = TNotifyEvent(this, &TForm4::SubmitClick);
    SetTexts(true);
}

TAccountDialog::TTexts TForm4::Texts() {
    return {
        {this, {L"Update Password", L"修改密码"}},
        {UserIDLabel, {L"UserID:", L"用户名:"}},
        {UpasswordLabel, {L"Password:", L"旧密码:"}},
        {Upassword1Label, {L"New Password:", L"新密码:"}},
        {Upassword2Label, {L"Confirm Password:", L"确认密码:"}},
        {SubmitButton, {L"Submit", L"修改"}},
        {CancelButton, {L"Cancel", L"取消"}},
    };
}

// The new passwords are compared as typed; the length is counted without the blanks around it.
bool TForm4::InputsAccepted() {
    return UserNameAccepted() &&
           Require(!Trim(Upassword->Text()).empty(),
                   {L"Password cannot be empty", L"旧密码不能为空"}, Upassword) &&
           Require(Trim(Upassword1->Text()).size() >= 6, {L"Need at least 6", L"新密码至少6位"},
                   Upassword1) &&
           Require(!Trim(Upassword2->Text()).empty(),
                   {L"Confirm Password can not be empty", L"确认密码不能为空"}, Upassword2) &&
           Require(Upassword1->Text() == Upassword2->Text(),
                   {L"The two input password do not match", L"输入的二次密码不一致"}, Upassword1);
}

void TForm4::SubmitClick(TObject*) {
    Submit([this] {
        if (!InputsAccepted()) return;
        const TPasswordChangeVerdict verdict = PostPasswordChange(
            {UserID->Text(), Upassword->Text(), Upassword1->Text(), Upassword2->Text()});
        AfterPost();
        Report(verdict);
    });
}

void TForm4::Report(TPasswordChangeVerdict verdict) {
    switch (verdict) {
    case TPasswordChangeVerdict::WrongLogin:
        return Notice({L"The user name or password is incorrect, please check and try again",
                       L"用户名或密码不对，请核对后再试"});
    case TPasswordChangeVerdict::Changed:
        Notice({L"Successfully updated", L"修改成功"});
        return CloseAfterSuccess();
    case TPasswordChangeVerdict::Failed: break;
    }
    Notice({L"update failed, please try again later", L"修改失败，请稍后再试"});
}
