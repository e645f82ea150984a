// What the three account dialogs share: the two columns of labels and inputs, the submit and
// cancel buttons, the checks of the user name, the warning and notice boxes, and the guard that
// keeps a second click from posting again while a post is under way.
//
// The forms are small fixed dialogs centred on the screen; positions are in pixels of the
// client area at the class library's default font (8 points).
#include "client/AccountDialogs.h"

#include "client/AppShared.h"
#include "framework/Conversions.h"

namespace {

constexpr int Margin = 8;
constexpr int InputHeight = 21;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ButtonGap = 12;

bool IsAsciiLetterOrDigit(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

// Clears the submitting state however the submit ends.
class TSubmitScope {
public:
    explicit TSubmitScope(bool& submitting) : FSubmitting(submitting) { FSubmitting = true; }
    ~TSubmitScope() { FSubmitting = false; }
    TSubmitScope(const TSubmitScope&) = delete;
    TSubmitScope& operator=(const TSubmitScope&) = delete;

private:
    bool& FSubmitting;
};

} // namespace

TAccountDialog::TAccountDialog(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetAutoScroll(false); // a fixed dialog; the registration's hidden input must not scroll it
    OnShow = TNotifyEvent(this, &TAccountDialog::FormShow);
}

void TAccountDialog::FormShow(TObject*) { SetTexts(false); }

void TAccountDialog::CancelClick(TObject*) { Close(); }

TEdit* TAccountDialog::AddInput(const UnicodeString& name, TLabel*& label, int top) {
    label = new TLabel(this);
    label->SetName(name + L"Label");
    label->SetParent(this);
    label->SetAutoSize(false);
    label->SetAlignment(taRightJustify);
    label->SetBounds(Margin, top + 4, FLabelWidth - Margin, InputHeight - 4);
    auto* edit = new TEdit(this);
    edit->SetName(name);
    edit->SetParent(this);
    edit->SetBounds(Margin + FLabelWidth, top, FInputWidth, InputHeight);
    label->SetFocusControl(edit);
    return edit;
}

// The two buttons side by side, centred under the inputs. Made after the inputs, they follow
// them in the tab order.
void TAccountDialog::AddButtons(int top) {
    const int left = Margin + (FLabelWidth + FInputWidth - 2 * ButtonWidth - ButtonGap) / 2;
    SubmitButton = new TButton(this);
    SubmitButton->SetName(L"SubmitButton");
    SubmitButton->SetParent(this);
    SubmitButton->SetBounds(left, top, ButtonWidth, ButtonHeight);
    SubmitButton->SetDefault(true);
    CancelButton = new TButton(this);
    CancelButton->SetName(L"CancelButton");
    CancelButton->SetParent(this);
    CancelButton->SetBounds(left + ButtonWidth + ButtonGap, top, ButtonWidth, ButtonHeight);
    CancelButton->SetCancel(true);
    CancelButton->OnClick = TNotifyEvent(this, &TAccountDialog::CancelClick);
}

UnicodeString TAccountDialog::InLanguage(const TText& text) {
    return LangText(text.English, text.Chinese);
}

void TAccountDialog::SetTexts(bool asBuilt) {
    for (const auto& [control, text] : Texts())
        control->SetCaption(asBuilt ? UnicodeString(text.Chinese) : InLanguage(text));
}

bool TAccountDialog::UserNameAccepted() {
    const UnicodeString name = Trim(UserID->Text());
    if (!Require(!name.empty(), {L"The user name cannot be empty", L"用户名不能为空"}, UserID))
        return false;
    bool plain = true;
    for (wchar_t c : name) plain = plain && IsAsciiLetterOrDigit(c);
    return Require(plain,
                   {L"User name can only be letters and numbers or a combination of the two",
                    L"用户名只能为字母和数字或两者的组合"},
                   UserID);
}

bool TAccountDialog::Require(bool accepted, const TText& warning, TWinControl* input) {
    if (accepted) return true;
    AccountDialogServices().MessageBox(InLanguage(warning), Application->Title(),
                                       MB_OK | MB_ICONWARNING);
    if (input->CanFocus()) input->SetFocus();
    return false;
}

void TAccountDialog::Notice(const TText& text) {
    AccountDialogServices().MessageBox(InLanguage(text), Application->Title(),
                                       MB_OK | MB_ICONINFORMATION);
}

// A modal form that closes reads as cancelled; after a success the caller should see mrOk.
void TAccountDialog::CloseAfterSuccess() {
    if (FormState().Contains(fsModal))
        SetModalResult(mrOk);
    else
        Close();
}

void TAccountDialog::Submit(const std::function<void()>& checkAndPost) {
    if (FSubmitting) return;
    TSubmitScope scope(FSubmitting);
    checkAndPost();
}

void TAccountDialog::AfterPost() { Application->ProcessMessages(); }
