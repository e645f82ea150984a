// Pictures for people to judge: a form of plain class-library controls and a dialog of our own,
// both skinned by the hook alone with the product skin, captured from the screen and saved in
// the build folder (hook_form.bmp, hook_dialog.bmp; the build makes PNGs of them). Only what
// the hook did is checked here, never the pictures' pixels.
#include "HookTesting.h"

#include "framework/StdCtrls.h"

namespace {

UnicodeString GeneratedFolderSkins() {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(SKINGEN_FOLDER, MAX_PATH, full, nullptr);
    return UnicodeString(full) + L"\\folders\\";
}

class HookScreenshot : public HookTest {
protected:
    void ApplyProductSkin() {
        Manager->WriteSkinDirectory(GeneratedFolderSkins());
        Manager->WriteSkinName(L"Calm");
        ASSERT_TRUE(Manager->SkinActive());
    }
    template <class T> T* Place(T* Control, TWinControl* Parent, int X, int Y, int W, int H) {
        Control->SetParent(Parent);
        Control->SetBounds(X, Y, W, H);
        return Control;
    }
};

TEST_F(HookScreenshot, AFormOfPlainControls) {
    ApplyProductSkin();
    TForm* form = MakeForm(bsSizeable, 380, 270);
    form->SetCaption(L"Connection settings");
    Place(new TLabel(form), form, 16, 20, 80, 16)->SetCaption(L"Account:");
    Place(new TEdit(form), form, 100, 16, 160, 22)->SetText(L"user@example.test");
    Place(new TLabel(form), form, 16, 52, 80, 16)->SetCaption(L"Line:");
    auto* lines = Place(new TComboBox(form), form, 100, 48, 160, 22);
    lines->Items()->Add(L"Auto");
    lines->Items()->Add(L"Line 2");
    lines->SetItemIndex(0);
    auto* group = Place(new TGroupBox(form), form, 16, 84, 244, 100);
    group->SetCaption(L"Options");
    Place(new TCheckBox(group), group, 12, 22, 200, 20)->SetCaption(L"Connect at start-up");
    Place(new TRadioButton(group), group, 12, 46, 200, 20)->SetCaption(L"Fast route");
    Place(new TRadioButton(group), group, 12, 70, 200, 20)->SetCaption(L"Safe route");
    auto* list = Place(new TListBox(form), form, 272, 16, 90, 168);
    for (const wchar_t* line : {L"Tokyo", L"Seoul", L"Frankfurt", L"Dallas"})
        list->Items()->Add(line);
    Place(new TButton(form), form, 190, 200, 80, 26)->SetCaption(L"OK");
    Place(new TButton(form), form, 280, 200, 80, 26)->SetCaption(L"Cancel");
    ShowActive(form);
    ASSERT_EQ(Providers().size(), 1u);
    EXPECT_EQ(Providers()[0]->Owner(), form) << "the hook alone skinned the form";
    EXPECT_TRUE(SaveWindowShot(form->Handle(), L"hook_form.bmp"));
}

TEST_F(HookScreenshot, ADialogOfOurOwn) {
    ApplyProductSkin();
    const HWND dialog = MakeDialog(
        {
            {L"STATIC", L"Account:", SS_LEFT | WS_VISIBLE, 8, 10, 40, 10, 101},
            {L"EDIT", L"user@example.test", ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE, 52, 8, 110, 12,
             102},
            {L"BUTTON", L"Remember me", BS_AUTOCHECKBOX | WS_VISIBLE, 8, 28, 100, 12, 103},
            {L"BUTTON", L"Line", BS_GROUPBOX | WS_VISIBLE, 8, 44, 154, 70, 104},
            {L"LISTBOX", L"", WS_BORDER | WS_VISIBLE | WS_VSCROLL, 14, 56, 142, 52, 105},
            {L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_VISIBLE, 100, 124, 50, 14, IDOK},
            {L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_VISIBLE, 156, 124, 50, 14, IDCANCEL},
        },
        PlainDialogStyle, L"Sign in");
    for (const wchar_t* line : {L"Tokyo", L"Seoul", L"Frankfurt"})
        SendDlgItemMessageW(dialog, 105, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    Activate(dialog);
    TacProvider* provider = FindHookProvider(dialog);
    ASSERT_NE(provider, nullptr);
    ASSERT_NE(provider->ListSW, nullptr);
    EXPECT_TRUE(SaveWindowShot(dialog, L"hook_dialog.bmp"));
}

} // namespace
