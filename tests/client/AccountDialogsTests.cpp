// The account dialogs against the second service's local account host (started by ctest): the
// checks of their inputs in order, with the warning and the input that gets the focus; each
// reply of the host, an empty one and a host that is down; the captions in the three languages;
// and pictures of the dialogs in English and Chinese, saved beside the test program (ctest
// makes them PNGs) for a person to look at.
//
// No real message box or browser is ever involved: the dialogs' services are recorders here.
#include "client/AccountDialogs.h"

#include "LocalAccountServers.h"
#include "client/AppShared.h"
#include "framework/ModuleInit.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace localservers;

const UnicodeString Second = L"second";
const UnicodeString Title = L"Velmora Client v9.0";

// Stands for the system's mapping to traditional characters, which the test system may lack.
UnicodeString MarkTraditional(const UnicodeString& text) { return L"[T]" + text; }

struct TShownMessage {
    UnicodeString Text;
    UnicodeString Caption;
    UINT Flags;
};

template <class Dialog> using TInputs = std::vector<std::pair<TEdit * Dialog::*, UnicodeString>>;

template <class Dialog> void Type(Dialog* dialog, const TInputs<Dialog>& inputs) {
    for (const auto& [edit, text] : inputs) (dialog->*edit)->SetText(text);
}

// An input the dialog refuses: the inputs typed over valid ones, the warning, the input focused.
template <class Dialog> struct TRefusal {
    const char* Name;
    TInputs<Dialog> Typed;
    const wchar_t* Warning;
    TEdit* Dialog::*Focus;
};

// A caption of a dialog in English and Chinese.
struct TCaption {
    TControl* Control;
    const wchar_t* English;
    const wchar_t* Chinese;
};

// Each test starts as the program does: a main window, then the three dialogs created hidden,
// with the second service pointed at the local host answering normally, English texts, and
// recorders in place of the message box, the browser and the application's error box.
class AccountDialogs : public testing::Test {
protected:
    void SetUp() override {
        FFramework.Initialize();
        Application->SetTitle(Title);
        Application->OnException = TExceptionEvent(this, &AccountDialogs::Unhandled);
        TForm* mainForm = nullptr;
        Application->CreateForm(mainForm);
        Application->CreateForm(Form2);
        Application->CreateForm(Form3);
        Application->CreateForm(Form4);
        TServiceEndpoints endpoints = ServiceEndpoints();
        endpoints.SecondService = Address(Second);
        FEndpoints = SetServiceEndpoints(endpoints);
        SetBehaviour(Second, "{}");
        ClearRequests(Second);
        FLanguage = lang_code;
        lang_code = LangEnglish;
        FConverter = SetTraditionalConverter(&MarkTraditional);
        FServices = SetAccountDialogServices(
            {[this](const UnicodeString& text, const UnicodeString& caption, UINT flags) {
                 Messages.push_back({text, caption, flags});
                 return IDOK;
             },
             [this](const UnicodeString& url) { Opened.push_back(url); }});
    }
    void TearDown() override {
        EXPECT_TRUE(Errors.empty()) << "an error reached the application: " << Errors.front();
        SetAccountDialogServices(FServices);
        SetTraditionalConverter(FConverter);
        lang_code = FLanguage;
        SetServiceEndpoints(FEndpoints);
        FFramework.Finalize();
        Form2 = nullptr;
        Form3 = nullptr;
        Form4 = nullptr;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void Unhandled(TObject*, const Exception& E) { Errors.push_back(E.Message()); }

    // Shows the dialog, lets it paint and waits until it is the active window.
    template <class Dialog> Dialog* Shown(Dialog* dialog) {
        dialog->Show();
        Pump(200);
        return dialog;
    }
    static void Pump(DWORD ms) {
        const DWORD until = GetTickCount() + ms;
        do {
            Application->ProcessMessages();
            Sleep(5);
        } while (static_cast<int>(until - GetTickCount()) > 0);
    }

    // Types each case over the valid inputs, submits, and expects its one warning and focus;
    // nothing reaches the server.
    template <class Dialog>
    void ExpectRefusals(Dialog* dialog, const TInputs<Dialog>& valid,
                        const std::vector<TRefusal<Dialog>>& cases) {
        for (const TRefusal<Dialog>& refusal : cases) {
            SCOPED_TRACE(refusal.Name);
            Type(dialog, valid);
            Type(dialog, refusal.Typed);
            dialog->SubmitButton->SetFocus();
            Messages.clear();
            dialog->SubmitButton->Click();
            ASSERT_EQ(Messages.size(), 1u);
            EXPECT_EQ(Messages[0].Text, refusal.Warning);
            EXPECT_EQ(Messages[0].Caption, Title);
            EXPECT_EQ(Messages[0].Flags, UINT(MB_OK | MB_ICONWARNING));
            EXPECT_TRUE((dialog->*refusal.Focus)->Focused()) << "the input at fault has the focus";
            EXPECT_TRUE(dialog->Visible());
        }
        EXPECT_TRUE(Requests(Second).empty()) << "a refused input is never posted";
    }

    // Types the inputs, submits, and answers the one notice shown.
    template <class Dialog> UnicodeString Submitted(Dialog* dialog, const TInputs<Dialog>& inputs) {
        Type(dialog, inputs);
        Messages.clear();
        dialog->SubmitButton->Click();
        EXPECT_EQ(Messages.size(), 1u);
        if (Messages.empty()) return L"(no message)";
        EXPECT_EQ(Messages.back().Caption, Title);
        EXPECT_EQ(Messages.back().Flags, UINT(MB_OK | MB_ICONINFORMATION));
        return Messages.back().Text;
    }

    // The ways a post fails: the dialog says its "failed" message for each.
    void ForEachFailure(const std::function<void(const char* how)>& check) {
        for (const char* behaviour : {R"({"*": {"mode": "empty"}})", R"({"*": {"mode": "close"}})",
                                      R"({"*": {"mode": "status", "status": 500}})"}) {
            SetBehaviour(Second, behaviour);
            check(behaviour);
        }
        SetBehaviour(Second, "{}");
        TServiceEndpoints endpoints = ServiceEndpoints();
        endpoints.SecondService = DeadAddress();
        SetServiceEndpoints(endpoints);
        check("host down");
        endpoints.SecondService = Address(Second);
        SetServiceEndpoints(endpoints);
    }

    // Every caption in English (2), Chinese (1 and 0) and traditional Chinese (3), each time
    // the dialog is shown.
    void ExpectCaptions(TForm* dialog, const std::vector<TCaption>& captions) {
        for (Integer language : {LangEnglish, LangSimplified, LangNone, LangTraditional}) {
            lang_code = language;
            dialog->Show();
            for (const TCaption& caption : captions) {
                const UnicodeString expected =
                    language == LangEnglish       ? UnicodeString(caption.English)
                    : language == LangTraditional ? MarkTraditional(caption.Chinese)
                                                  : UnicodeString(caption.Chinese);
                EXPECT_EQ(caption.Control->Caption(), expected)
                    << caption.Control->Name() << " in language " << language;
            }
            dialog->Hide();
        }
    }

    std::vector<TShownMessage> Messages;
    std::vector<UnicodeString> Opened;
    std::vector<UnicodeString> Errors;

private:
    TModuleEntry FFramework = FrameworkModule();
    TServiceEndpoints FEndpoints;
    Integer FLanguage = LangNone;
    TChineseConverter FConverter = nullptr;
    TAccountDialogServices FServices;
};

std::vector<UnicodeString> TabStops(TForm* dialog) {
    std::vector<TWinControl*> order;
    dialog->GetTabOrderList(order);
    std::vector<UnicodeString> names;
    for (TWinControl* control : order)
        if (control->TabStop()) names.push_back(control->Name());
    return names;
}

// ---- Created hidden, laid out as the program has them -----------------------------------------

TEST_F(AccountDialogs, AreCreatedHiddenWithTheirInputsInTabOrder) {
    for (TForm* dialog : std::initializer_list<TForm*>{Form2, Form3, Form4}) {
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->Visible()) << dialog->Name();
        EXPECT_EQ(dialog->Position(), poScreenCenter) << dialog->Name();
    }
    EXPECT_EQ(Form2->FormStyle(), fsStayOnTop);
    EXPECT_EQ(Form2->Width(), 286);
    EXPECT_EQ(Form2->Height(), 346);
    EXPECT_EQ(Form3->Width(), 254);
    EXPECT_EQ(Form3->Height(), 219);
    EXPECT_EQ(Form4->Width(), 290);
    EXPECT_EQ(Form4->Height(), 181);
    EXPECT_EQ(TabStops(Form2),
              (std::vector<UnicodeString>{L"UserID", L"Upassword", L"Upassword2", L"User_Mobile",
                                          L"Email_Address", L"User_QQ", L"User_Address",
                                          L"SubmitButton", L"CancelButton"}));
    EXPECT_EQ(TabStops(Form3),
              (std::vector<UnicodeString>{L"UserID", L"Upassword", L"mycardid", L"mycardpass",
                                          L"SubmitButton", L"CancelButton", L"OnlineButton"}));
    EXPECT_EQ(TabStops(Form4),
              (std::vector<UnicodeString>{L"UserID", L"Upassword", L"Upassword1", L"Upassword2",
                                          L"SubmitButton", L"CancelButton"}));
    for (TEdit* password :
         {Form2->Upassword, Form2->Upassword2, Form3->Upassword, Form3->mycardpass,
          Form4->Upassword, Form4->Upassword1, Form4->Upassword2})
        EXPECT_EQ(password->PasswordChar(), L'*') << password->Name();
    // The holder's name is on the form but where nobody sees it.
    EXPECT_GE(Form2->User_True->Top(), Form2->ClientHeight());
    EXPECT_GE(Form2->User_TrueLabel->Top(), Form2->ClientHeight());
    EXPECT_EQ(Form2->User_TrueLabel->Caption(), L"姓名:");
}

// ---- Inputs refused before posting --------------------------------------------------------------

TEST_F(AccountDialogs, RegistrationRefusesBadInputsInOrder) {
    using D = TForm2;
    const TInputs<D> valid{{&D::UserID, L"newuser1"},    {&D::Upassword, L"secret1"},
                           {&D::Upassword2, L"secret1"}, {&D::User_Mobile, L""},
                           {&D::Email_Address, L""},     {&D::User_QQ, L"42"},
                           {&D::User_Address, L""}};
    const wchar_t* letters =
        L"User name can only be letters and numbers or a combination of the two";
    ExpectRefusals<D>(
        Shown(Form2), valid,
        {
            {"no user name", {{&D::UserID, L""}}, L"The user name cannot be empty", &D::UserID},
            {"blank user name",
             {{&D::UserID, L"   "}},
             L"The user name cannot be empty",
             &D::UserID},
            {"blank inside the name", {{&D::UserID, L" ab cd "}}, letters, &D::UserID},
            {"underscore", {{&D::UserID, L"ab_1"}}, letters, &D::UserID},
            {"Chinese name", {{&D::UserID, L"用户1"}}, letters, &D::UserID},
            {"six blanks",
             {{&D::Upassword, L"      "}, {&D::Upassword2, L"      "}},
             L"Need at least 6",
             &D::Upassword},
            {"five characters in blanks",
             {{&D::Upassword, L" 12345 "}},
             L"Need at least 6",
             &D::Upassword},
            {"blank confirmation",
             {{&D::Upassword2, L"  "}},
             L"Confirm Password can not be empty",
             &D::Upassword2},
            {"confirmation with a trailing blank",
             {{&D::Upassword2, L"secret1 "}},
             L"The two input password do not match",
             &D::Upassword},
            {"no contact",
             {{&D::User_Mobile, L" "},
              {&D::Email_Address, L""},
              {&D::User_QQ, L"  "},
              {&D::User_Address, L"\t"}},
             L"The above 4 at least need to fill in 1",
             &D::Upassword},
        });
}

TEST_F(AccountDialogs, TopUpRefusesBadInputsInOrder) {
    using D = TForm3;
    const TInputs<D> valid{{&D::UserID, L"topper"},
                           {&D::Upassword, L"top123"},
                           {&D::mycardid, L"100000000000000009"},
                           {&D::mycardpass, L"200000000009"}};
    ExpectRefusals<D>(
        Shown(Form3), valid,
        {
            {"no user name", {{&D::UserID, L" "}}, L"The user name cannot be empty", &D::UserID},
            {"dotted name",
             {{&D::UserID, L"a.b"}},
             L"User name can only be letters and numbers or a combination of the two",
             &D::UserID},
            {"blank password",
             {{&D::Upassword, L"   "}},
             L"Password can not be empty",
             &D::Upassword},
            {"no card", {{&D::mycardid, L"  "}}, L"Card number can not be empty", &D::mycardid},
            {"17-character card",
             {{&D::mycardid, L" 10000000000000000 "}},
             L"Card number format is wrong",
             &D::mycardid},
            {"no card password",
             {{&D::mycardpass, L""}},
             L"Card password can not be empty",
             &D::mycardpass},
            {"11-character card password",
             {{&D::mycardpass, L"20000000000 "}},
             L"Card password format is wrong",
             &D::mycardpass},
        });
}

TEST_F(AccountDialogs, PasswordChangeRefusesBadInputsInOrder) {
    using D = TForm4;
    const TInputs<D> valid{{&D::UserID, L"changer"},
                           {&D::Upassword, L"old123"},
                           {&D::Upassword1, L"new123"},
                           {&D::Upassword2, L"new123"}};
    ExpectRefusals<D>(
        Shown(Form4), valid,
        {
            {"no user name", {{&D::UserID, L""}}, L"The user name cannot be empty", &D::UserID},
            {"name with a hyphen",
             {{&D::UserID, L"a-b"}},
             L"User name can only be letters and numbers or a combination of the two",
             &D::UserID},
            {"blank old password",
             {{&D::Upassword, L" "}},
             L"Password cannot be empty",
             &D::Upassword},
            {"short new password",
             {{&D::Upassword1, L"new12"}, {&D::Upassword2, L"new12"}},
             L"Need at least 6",
             &D::Upassword1},
            {"blank confirmation",
             {{&D::Upassword2, L"   "}},
             L"Confirm Password can not be empty",
             &D::Upassword2},
            {"different confirmation",
             {{&D::Upassword2, L"new124"}},
             L"The two input password do not match",
             &D::Upassword1},
        });
}

TEST_F(AccountDialogs, WarningsAreInTheLanguageOfTheClient) {
    Shown(Form4);
    const std::pair<Integer, UnicodeString> expected[] = {
        {LangSimplified, L"用户名不能为空"},
        {LangNone, L"用户名不能为空"},
        {LangTraditional, MarkTraditional(L"用户名不能为空")},
        {LangEnglish, L"The user name cannot be empty"},
    };
    for (const auto& [language, warning] : expected) {
        lang_code = language;
        Messages.clear();
        Form4->SubmitButton->Click();
        ASSERT_EQ(Messages.size(), 1u);
        EXPECT_EQ(Messages[0].Text, warning) << "language " << language;
    }
}

// ---- Replies of the second service ------------------------------------------------------------

TEST_F(AccountDialogs, RegistrationReportsEachReplyAndClosesWhenRegistered) {
    using D = TForm2;
    Shown(Form2);
    EXPECT_EQ(Submitted<D>(Form2, {{&D::UserID, L"demo"},
                                   {&D::Upassword, L"secret1"},
                                   {&D::Upassword2, L"secret1"},
                                   {&D::User_Mobile, L"130"}}),
              L"User name already exists, please re-enter a new name");
    EXPECT_TRUE(Form2->Visible());
    ForEachFailure([&](const char* how) {
        EXPECT_EQ(Submitted<D>(Form2, {}), L"Registration failed, please try again") << how;
        EXPECT_TRUE(Form2->Visible()) << how;
    });

    ClearRequests(Second);
    const UnicodeString user = L"dlg" + std::to_wstring(GetTickCount64());
    EXPECT_EQ(Submitted<D>(Form2, {{&D::UserID, L" " + user},
                                   {&D::Email_Address, L"a@b.test"},
                                   {&D::User_QQ, L"42"},
                                   {&D::User_Address, L"Road 1"}}),
              L"Successfully registered");
    EXPECT_FALSE(Form2->Visible()) << "a registered account closes the dialog";
    const std::vector<TRecordedRequest> requests = Requests(Second);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Target, L"/sysadmin/useradmin/user_self_new_saveDorrin162.php");
    EXPECT_EQ(requests[0].Body, L"UserID=" + user +
                                    L"&Upassword=secret1&Upassword2=secret1&User_True="
                                    L"&User_Mobile=130&Email_Address=a%40b.test&User_QQ=42"
                                    L"&User_Address=Road+1");
}

TEST_F(AccountDialogs, TopUpReportsEachReplyAndClosesWhenToppedUp) {
    using D = TForm3;
    Shown(Form3);
    const TInputs<D> account{{&D::UserID, L"topper"}, {&D::Upassword, L"top123"}};
    struct TCase {
        const wchar_t* Password;
        const wchar_t* Card;
        const wchar_t* CardPassword;
        const wchar_t* Notice;
    } const refused[] = {
        {L"wrong1", L"100000000000000003", L"200000000003",
         L"The user name or password is incorrect, please check and try again"},
        {L"top123", L"100000000000000003", L"299999999999",
         L"The card number or password is incorrect, please check and try again"},
        {L"top123", L"100000000000000002", L"200000000002",
         L"This card has expired, please check and try again"},
    };
    for (const TCase& c : refused) {
        EXPECT_EQ(Submitted<D>(Form3, {{&D::UserID, L"topper"},
                                       {&D::Upassword, c.Password},
                                       {&D::mycardid, c.Card},
                                       {&D::mycardpass, c.CardPassword}}),
                  c.Notice);
        EXPECT_TRUE(Form3->Visible());
    }
    ForEachFailure([&](const char* how) {
        EXPECT_EQ(Submitted<D>(Form3, {}), L"Recharge failed, please try again later") << how;
        EXPECT_TRUE(Form3->Visible()) << how;
    });

    ClearRequests(Second);
    EXPECT_EQ(Submitted<D>(Form3, {{&D::UserID, L"topper"},
                                   {&D::Upassword, L"top123"},
                                   {&D::mycardid, L"100000000000000003"},
                                   {&D::mycardpass, L"200000000003"}}),
              L"Successfully recharged");
    EXPECT_FALSE(Form3->Visible()) << "a topped-up account closes the dialog";
    ASSERT_EQ(Requests(Second).size(), 1u);
    EXPECT_EQ(Requests(Second)[0].Body, L"UserID=topper&Upassword=top123"
                                        L"&mycardid=100000000000000003&mycardpass=200000000003");
}

TEST_F(AccountDialogs, PasswordChangeReportsEachReplyAndClosesWhenChanged) {
    using D = TForm4;
    Shown(Form4);
    EXPECT_EQ(Submitted<D>(Form4, {{&D::UserID, L"changer"},
                                   {&D::Upassword, L"wrong1"},
                                   {&D::Upassword1, L"old123"},
                                   {&D::Upassword2, L"old123"}}),
              L"The user name or password is incorrect, please check and try again");
    EXPECT_TRUE(Form4->Visible());
    Form4->Upassword->SetText(L"old123");
    ForEachFailure([&](const char* how) {
        EXPECT_EQ(Submitted<D>(Form4, {}), L"update failed, please try again later") << how;
        EXPECT_TRUE(Form4->Visible()) << how;
    });

    // The new password is the old one, so the account stays as the data file has it.
    ClearRequests(Second);
    EXPECT_EQ(Submitted<D>(Form4, {}), L"Successfully updated");
    EXPECT_FALSE(Form4->Visible()) << "a changed password closes the dialog";
    ASSERT_EQ(Requests(Second).size(), 1u);
    EXPECT_EQ(Requests(Second)[0].Target, L"/sysadmin/useradmin/mypass_saveDorrin162.php");
    EXPECT_EQ(Requests(Second)[0].Body,
              L"UserID=changer&Upassword=old123&Upassword1=old123&Upassword2=old123");
}

TEST_F(AccountDialogs, RepliesAreReportedInTheLanguageOfTheClient) {
    using D = TForm4;
    Shown(Form4);
    const TInputs<D> wrongLogin{{&D::UserID, L"changer"},
                                {&D::Upassword, L"wrong1"},
                                {&D::Upassword1, L"old123"},
                                {&D::Upassword2, L"old123"}};
    lang_code = LangSimplified;
    EXPECT_EQ(Submitted<D>(Form4, wrongLogin), L"用户名或密码不对，请核对后再试");
    lang_code = LangTraditional;
    EXPECT_EQ(Submitted<D>(Form4, wrongLogin), MarkTraditional(L"用户名或密码不对，请核对后再试"));
}

// A click that waited in the queue while a post was under way is not a second post.
TEST_F(AccountDialogs, AClickDuringAPostDoesNotPostAgain) {
    using D = TForm4;
    Shown(Form4);
    Type<D>(Form4, {{&D::UserID, L"changer"},
                    {&D::Upassword, L"wrong1"},
                    {&D::Upassword1, L"old123"},
                    {&D::Upassword2, L"old123"}});
    SetBehaviour(Second, R"({"*": {"delay_ms": 300}})");
    TButton* submit = Form4->SubmitButton;
    PostMessageW(Form4->Handle(), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(submit->Handle()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(submit->Handle()));
    submit->Click();
    Pump(100);
    EXPECT_EQ(Requests(Second).size(), 1u);
    EXPECT_EQ(Messages.size(), 1u);
}

// Ends a modal loop that the click did not end, so that the test fails instead of waiting.
void CALLBACK AbortModal(HWND, UINT, UINT_PTR, DWORD) noexcept { Form4->SetModalResult(mrAbort); }

// Shown modally, the dialog ends with mrOk after a success and mrCancel when cancelled.
TEST_F(AccountDialogs, AModalDialogEndsWithTheOutcome) {
    using D = TForm4;
    const UINT_PTR deadline = SetTimer(nullptr, 0, 5000, &AbortModal);
    Type<D>(Form4, {{&D::UserID, L"changer"},
                    {&D::Upassword, L"old123"},
                    {&D::Upassword1, L"old123"},
                    {&D::Upassword2, L"old123"}});
    for (auto [button, result] :
         {std::pair{Form4->SubmitButton, mrOk}, std::pair{Form4->CancelButton, mrCancel}}) {
        HWND wnd = button->Handle();
        PostMessageW(Form4->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(wnd));
        EXPECT_EQ(Form4->ShowModal(), result) << button->Name();
        EXPECT_FALSE(Form4->Visible());
    }
    KillTimer(nullptr, deadline);
}

TEST_F(AccountDialogs, OnlinePaymentOpensTheSecondServicesAccountPages) {
    Shown(Form3);
    Form3->OnlineButton->Click();
    Form3->OnlineLabel->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    Form3->OnlineLabel->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    const UnicodeString root = L"http://" + Address(Second) + L"/sysadmin/useradmin/";
    EXPECT_EQ(Opened, (std::vector<UnicodeString>{root, root}));
    EXPECT_TRUE(Requests(Second).empty()) << "the pages open in the browser, not here";
}

// ---- Texts ------------------------------------------------------------------------------------

TEST_F(AccountDialogs, RegistrationCaptionsFollowTheLanguage) {
    TForm2* d = Form2;
    ExpectCaptions(d, {{d, L"Register", L"帐户注册"},
                       {d->UserIDLabel, L"UserName:", L"用户名:"},
                       {d->UpasswordLabel, L"Password:", L"密码:"},
                       {d->Upassword2Label, L"Confirm Password:", L"确认密码:"},
                       {d->User_MobileLabel, L"Phone:", L"电话:"},
                       {d->Email_AddressLabel, L"E-Mail:", L"邮箱:"},
                       {d->User_QQLabel, L"QQ/MSN:", L"QQ/MSN:"},
                       {d->User_AddressLabel, L"Address:", L"地址:"},
                       {d->NoteLabel, L"The above 4 at least need to fill in 1",
                        L"电话、邮箱、QQ、地址这四项联系信息至少要填写一项，邮箱用于找回密码"},
                       {d->SubmitButton, L"Submit", L"注册"},
                       {d->CancelButton, L"Cancel", L"取消"}});
    EXPECT_EQ(d->NoteLabel->Font()->Color(), clRed);
}

TEST_F(AccountDialogs, TopUpCaptionsFollowTheLanguage) {
    TForm3* d = Form3;
    ExpectCaptions(d, {{d, L"Top Up by Pre-paid cards", L"帐户充值"},
                       {d->UserIDLabel, L"UserID:", L"用户名:"},
                       {d->UpasswordLabel, L"Password:", L"密码:"},
                       {d->mycardidLabel, L"Card ID:", L"充值卡号:"},
                       {d->mycardpassLabel, L"Card Password:", L"充值密码:"},
                       {d->SubmitButton, L"Submit", L"充值"},
                       {d->CancelButton, L"Cancel", L"取消"},
                       {d->OnlineButton, L"Top up Online", L"支付宝或网银在线充值"}});
}

TEST_F(AccountDialogs, PasswordChangeCaptionsFollowTheLanguage) {
    TForm4* d = Form4;
    ExpectCaptions(d, {{d, L"Update Password", L"修改密码"},
                       {d->UserIDLabel, L"UserID:", L"用户名:"},
                       {d->UpasswordLabel, L"Password:", L"旧密码:"},
                       {d->Upassword1Label, L"New Password:", L"新密码:"},
                       {d->Upassword2Label, L"Confirm Password:", L"确认密码:"},
                       {d->SubmitButton, L"Submit", L"修改"},
                       {d->CancelButton, L"Cancel", L"取消"}});
}

// ---- Pictures ---------------------------------------------------------------------------------

// The size the caption needs in the control's font; word-wrapped labels within their width.
SIZE TextExtent(TControl* control, bool wrapped) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, control->Font()->Handle());
    const UnicodeString text = control->Caption();
    RECT rect{0, 0, wrapped ? control->Width() : 10000, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_NOPREFIX | (wrapped ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// Every visible label and button has room for its caption, and stays inside the client area.
void ExpectNothingClipped(TForm* dialog) {
    const TRect client = dialog->ClientRect();
    for (int i = 0; i < dialog->ControlCount(); ++i) {
        TControl* control = dialog->Controls(i);
        if (control->Top() >= client.bottom) continue; // placed out of sight on purpose
        EXPECT_LE(control->Left() + control->Width(), client.right) << control->Name();
        EXPECT_LE(control->Top() + control->Height(), client.bottom) << control->Name();
        const bool button = dynamic_cast<TButton*>(control) != nullptr;
        auto* label = dynamic_cast<TLabel*>(control);
        if (!button && !label) continue;
        const SIZE needed = TextExtent(control, label && label->WordWrap());
        const int margin = button ? 8 : 0;
        EXPECT_LE(needed.cx + margin, control->Width())
            << control->Name() << " " << control->Caption();
        EXPECT_LE(needed.cy + margin, control->Height())
            << control->Name() << " " << control->Caption();
    }
}

// Captures the dialog from the screen into `<file>.bmp`; answers the number of colours seen.
std::size_t CaptureOnce(TForm* dialog, const UnicodeString& file) {
    SetWindowPos(dialog->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(dialog->Handle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const DWORD until = GetTickCount() + 700;
    while (static_cast<int>(until - GetTickCount()) > 0) {
        Application->ProcessMessages();
        Sleep(10);
    }
    RECT bounds;
    GetWindowRect(dialog->Handle(), &bounds);
    TBitmap shot(bounds.right - bounds.left, bounds.bottom - bounds.top, pf24bit);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), screen, bounds.left,
           bounds.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    shot.SaveToFile(file + L".bmp");
    std::set<COLORREF> colours;
    for (int y = 0; y < shot.Height(); y += 2)
        for (int x = 0; x < shot.Width(); x += 2) colours.insert(shot.Canvas()->Pixels(x, y));
    return colours.size();
}

// Under the load of the test programs running beside this one, the virtual display may map the
// dialog seconds after it was shown (the capture is then the bare screen), or another program's
// window may cover it for a moment: a blank capture is taken again, for up to about ten seconds.
std::size_t SavePicture(TForm* dialog, const UnicodeString& file) {
    std::size_t colours = 0;
    for (int attempt = 0; attempt < 14 && colours <= 4; ++attempt)
        colours = CaptureOnce(dialog, file);
    return colours;
}

TEST_F(AccountDialogs, PicturesInEnglishAndChineseHaveRoomForEveryText) {
    const std::pair<Integer, const wchar_t*> languages[] = {{LangEnglish, L"en"},
                                                            {LangSimplified, L"zh"}};
    const std::pair<TForm*, const wchar_t*> dialogs[] = {
        {Form2, L"account_register"}, {Form3, L"account_topup"}, {Form4, L"account_password"}};
    for (const auto& [language, suffix] : languages) {
        lang_code = language;
        for (const auto& [dialog, name] : dialogs) {
            SCOPED_TRACE(testing::Message() << name << " " << suffix);
            dialog->Show();
            ExpectNothingClipped(dialog);
            EXPECT_GT(SavePicture(dialog, UnicodeString(name) + L"_" + suffix), 4u)
                << "the picture is not blank";
            dialog->Hide();
        }
    }
}

} // namespace
