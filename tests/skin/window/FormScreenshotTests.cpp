// A picture for people to judge: a form skinned by its provider with the product skin (title
// bar with icon, caption and buttons, a menu line whose items draw themselves, borders with the
// skin's corners cut out), captured from the screen and saved in the build folder as
// form_provider.bmp (the build makes a PNG of it). Only what the provider did is checked here,
// never the picture's pixels.
#include "FormSkinTesting.h"

#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace {

UnicodeString GeneratedFolderSkins() {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(SKINGEN_FOLDER, MAX_PATH, full, nullptr);
    return UnicodeString(full) + L"\\folders\\";
}

// Menu items of the picture: each measures and writes its caption in the menu line's colour,
// as the skinned menus will.
struct TMenuLook {
    TColor Font = clMenuText;
    void Measure(TObject* Sender, TCanvas* Canvas, int& Width, int& Height) {
        const UnicodeString caption = static_cast<TMenuItem*>(Sender)->Caption();
        SIZE size{0, 0};
        GetTextExtentPoint32W(Canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()),
                              &size);
        Width = size.cx + 12;
        Height = size.cy + 4;
    }
    void Draw(TObject* Sender, TCanvas* Canvas, TRect R, TOwnerDrawState) {
        const UnicodeString caption = static_cast<TMenuItem*>(Sender)->Caption();
        HDC dc = Canvas->Handle();
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(Font));
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &R,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
    }
};

using FormScreenshot = FormSkinTest;

TEST_F(FormScreenshot, ATitleBarButtonsAndAMenuLine) {
    Manager->WriteSkinDirectory(GeneratedFolderSkins());
    Manager->WriteSkinName(L"Calm");
    ASSERT_TRUE(Manager->SkinActive());
    TForm* form = MakeForm(bsSizeable, 400, 260);
    form->SetCaption(L"Network accelerator");
    TMenuLook look;
    const int line = Manager->GetSkinIndex(L"MENULINE");
    if (Manager->IsValidSkinIndex(line)) look.Font = Manager->gd[line].FontColor[0];
    auto* menu = new TMainMenu(form);
    for (const wchar_t* caption : {L"File", L"Lines", L"Options", L"Help"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        item->OnMeasureItem = TMenuMeasureItemEvent(&look, &TMenuLook::Measure);
        item->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&look, &TMenuLook::Draw);
        menu->Items()->Add(item);
    }
    menu->SetOwnerDraw(true);
    form->SetMenu(menu);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(16, 16, 300, 16);
    label->SetCaption(L"Connected to line 2, 38 ms.");
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(290, 150, 80, 26);
    button->SetCaption(L"Disconnect");
    auto* provider = Construct<TsSkinProvider>(form);
    ShowActive(form);
    EXPECT_TRUE(SaveWindowShot(form->Handle(), L"form_provider.bmp"));

    EXPECT_TRUE(provider->SkinData()->Skinned(true));
    EXPECT_EQ(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_SYSMENU, 0)
        << "the skin draws the title buttons, not the system";
    EXPECT_GT(provider->MenuHeight(), 0);
    EXPECT_EQ(provider->LinesCount(), 1);
    EXPECT_EQ(provider->ButtonClose().State, 0);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(form->Handle(), region), ERROR) << "the skin's corners are cut out";
    DeleteObject(region);
}

} // namespace
