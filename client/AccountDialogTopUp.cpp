// The top-up dialog (TForm3): the account and the prepaid card's number and password, the
// submit and cancel buttons, and two ways to the second service's account pages for paying
// online instead: a button, and a link label showing the pages' address (the same in every
// language).
#include "client/AccountDialogs.h"

#include "framework/Conversions.h"

TForm3* Form3 = nullptr;

namespace {

constexpr int FirstRow = 8;
constexpr int RowPitch = 26;
constexpr std::size_t CardNumberLength = 18;   // at least
constexpr std::size_t CardPasswordLength = 12; // at least

} // namespace

TForm3::TForm3(TComponent* AOwner) : TAccountDialog(AOwner) {
    SetName(L"Form3");
    SetBounds(0, 0, 254, 219);
    FLabelWidth = 88;
    FInputWidth = 140;
    int top = FirstRow;
    UserID = AddInput(L"UserID", UserIDLabel, top);
    Upassword = AddInput(L"Upassword", UpasswordLabel, top += RowPitch);
    mycardid = AddInput(L"mycardid", mycardidLabel, top += RowPitch);
    mycardpass = AddInput(L"mycardpass", mycardpassLabel, top += RowPitch);
    Upassword->SetPasswordChar(L'*');
    mycardpass->SetPasswordChar(L'*');
    AddButtons(top += RowPitch + 3);
    SubmitButton->OnClick = TNotifyEvent(this, &TForm3::SubmitClick);
    AddOnlinePayment(top + 32);
    SetTexts(true);
}

// The button, and under it the label showing the pages' address as a link.
void TForm3::AddOnlinePayment(int top) {
    const int width = FLabelWidth + FInputWidth;
    OnlineButton = new TButton(this);
    OnlineButton->SetName(L"OnlineButton");
    OnlineButton->SetParent(this);
    OnlineButton->SetBounds(8, top, width, 25);
    OnlineButton->OnClick = TNotifyEvent(this, &TForm3::OnlineClick);
    OnlineLabel = new TLabel(this);
    OnlineLabel->SetName(L"OnlineLabel");
    OnlineLabel->SetParent(this);
    OnlineLabel->SetAutoSize(false);
    OnlineLabel->SetAlignment(taCenter);
    OnlineLabel->SetBounds(8, top + 29, width, 14);
    OnlineLabel->Font()->SetColor(clBlue);
    OnlineLabel->Font()->SetStyle({fsUnderline});
    OnlineLabel->SetCursor(crHandPoint);
    OnlineLabel->SetCaption(SecondServiceAccountRootUrl());
    OnlineLabel->OnClick = TNotifyEvent(this, &TForm3::OnlineClick);
}

TAccountDialog::TTexts TForm3::Texts() {
    return {
        {this, {L"Top Up by Pre-paid cards", L"帐户充值"}},
        {UserIDLabel, {L"UserID:", L"用户名:"}},
        {UpasswordLabel, {L"Password:", L"密码:"}},
        {mycardidLabel, {L"Card ID:", L"充值卡号:"}},
        {mycardpassLabel, {L"Card Password:", L"充值密码:"}},
        {SubmitButton, {L"Submit", L"充值"}},
        {CancelButton, {L"Cancel", L"取消"}},
        {OnlineButton, {L"Top up Online", L"支付宝或网银在线充值"}},
    };
}

bool TForm3::InputsAccepted() {
    const UnicodeString card = Trim(mycardid->Text());
    const UnicodeString cardPassword = Trim(mycardpass->Text());
    return UserNameAccepted() &&
           Require(!Trim(Upassword->Text()).empty(),
                   {L"Password can not be empty", L"密码不能为空"}, Upassword) &&
           Require(!card.empty(), {L"Card number can not be empty", L"充值卡号不能为空"},
                   mycardid) &&
           Require(card.size() >= CardNumberLength,
                   {L"Card number format is wrong", L"充值卡号格式不对"}, mycardid) &&
           Require(!cardPassword.empty(),
                   {L"Card password can not be empty", L"充值卡密码不能为空"}, mycardpass) &&
           Require(cardPassword.size() >= CardPasswordLength,
                   {L"Card password format is wrong", L"充值卡密码格式不对"}, mycardpass);
}

void TForm3::SubmitClick(TObject*) {
    Submit([this] {
        if (!InputsAccepted()) return;
        const TTopUpVerdict verdict =
            PostTopUp({UserID->Text(), Upassword->Text(), mycardid->Text(), mycardpass->Text()});
        AfterPost();
        Report(verdict);
    });
}

void TForm3::Report(TTopUpVerdict verdict) {
    switch (verdict) {
    case TTopUpVerdict::WrongLogin:
        return Notice({L"The user name or password is incorrect, please check and try again",
                       L"用户名或密码不对，请核对后再试"});
    case TTopUpVerdict::WrongCard:
        return Notice({L"The card number or password is incorrect, please check and try again",
                       L"充值卡号或密码不对，请核对后再试"});
    case TTopUpVerdict::CardExpired:
        return Notice({L"This card has expired, please check and try again",
                       L"此充值卡已过期，请核对后再试"});
    case TTopUpVerdict::ToppedUp:
        Notice({L"Successfully recharged", L"充值成功"});
        return CloseAfterSuccess();
    case TTopUpVerdict::Failed: break;
    }
    Notice({L"Recharge failed, please try again later", L"充值失败，请稍后再试"});
}

void TForm3::OnlineClick(TObject*) {
    AccountDialogServices().OpenUrl(SecondServiceAccountRootUrl());
}
