// Every standard control of the library on one form, shown on the test display, captured from
// the screen and saved as demo_form.bmp beside the test program (ctest turns it into a PNG).
// The test checks that the picture is the form's and not blank; a person looks at the PNG.
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/ModuleInit.h"
#include "framework/StdCtrls.h"

#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <set>

namespace {

template <class T> T* Place(TWinControl* parent, int left, int top, int width, int height) {
    auto* control = new T(parent->Owner() ? parent->Owner() : parent);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// The demo form: built in code as a program's form is.
class TDemoForm : public TForm {
    CLASS_INFO(TDemoForm, TForm)
public:
    explicit TDemoForm(TComponent* owner) : TForm(owner) {
        SetCaption(L"Controls 控件");
        SetBounds(40, 40, 640, 480);
        auto* menu = new TMainMenu(this);
        for (const wchar_t* caption : {L"&File", L"&Edit", L"&Help"}) {
            auto* item = new TMenuItem(menu);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        SetMenu(menu);
        auto* tools = new TToolBar(this);
        tools->SetParent(this);
        tools->SetShowCaptions(true);
        for (const wchar_t* caption : {L"New", L"Open", L"Save"}) {
            auto* button = new TToolButton(this);
            button->SetParent(tools);
            button->SetCaption(caption);
        }
        auto* status = new TStatusBar(this);
        status->SetParent(this);
        for (const wchar_t* text : {L"Ready", L"在线", L"00:00:00"}) {
            TStatusPanel* panel = status->Panels()->Add();
            panel->SetText(text);
            panel->SetWidth(120);
        }
        BuildLeftColumn();
        BuildRightColumn();
    }

private:
    void BuildLeftColumn() {
        Place<TLabel>(this, 10, 50, 80, 16)->SetCaption(L"&Name:");
        Place<TEdit>(this, 90, 46, 150, 22)->SetText(L"user@example");
        auto* password = Place<TEdit>(this, 90, 74, 150, 22);
        password->SetPasswordChar(L'*');
        password->SetText(L"secret");
        auto* combo = Place<TComboBox>(this, 90, 102, 150, 22);
        combo->SetStyle(csDropDownList);
        for (const wchar_t* item : {L"English", L"简体中文", L"繁體中文"})
            combo->Items()->Add(item);
        combo->SetItemIndex(1);
        auto* check = Place<TCheckBox>(this, 10, 132, 120, 20);
        check->SetCaption(L"Remember");
        check->SetChecked(true);
        auto* group = Place<TGroupBox>(this, 10, 156, 230, 70);
        group->SetCaption(L"Protocol");
        Place<TRadioButton>(group, 10, 20, 100, 20)->SetCaption(L"PPTP");
        auto* l2tp = Place<TRadioButton>(group, 10, 42, 100, 20);
        l2tp->SetCaption(L"L2TP");
        l2tp->SetChecked(true);
        auto* memo = Place<TMemo>(this, 10, 232, 230, 60);
        memo->Lines()->Add(L"A memo with");
        memo->Lines()->Add(L"two lines");
        auto* list = Place<TListBox>(this, 10, 298, 110, 80);
        for (const wchar_t* item : {L"Beijing", L"Shanghai", L"广州"}) list->Items()->Add(item);
        list->SetItemIndex(0);
        auto* ok = Place<TButton>(this, 130, 300, 110, 26);
        ok->SetCaption(L"OK");
        ok->SetDefault(true);
        Place<TBitBtn>(this, 130, 330, 110, 26)->SetKind(bkCancel);
        auto* speed = Place<TSpeedButton>(this, 130, 360, 110, 24);
        speed->SetCaption(L"Speed");
        speed->SetFlat(false);
    }

    void BuildRightColumn() {
        auto* panel = Place<TPanel>(this, 255, 46, 370, 40);
        panel->SetCaption(L"A raised panel");
        auto* pages = Place<TPageControl>(this, 255, 92, 370, 150);
        for (const wchar_t* caption : {L"Lines", L"Settings"}) {
            auto* sheet = new TTabSheet(this);
            sheet->SetPageControl(pages);
            sheet->SetCaption(caption);
        }
        auto* view = Place<TListView>(pages->Pages(0), 4, 4, 350, 110);
        view->SetViewStyle(vsReport);
        for (const wchar_t* caption : {L"Line", L"Delay"}) {
            auto* column = view->Columns()->Add();
            column->SetCaption(caption);
            column->SetWidth(120);
        }
        Place<TTreeView>(this, 255, 248, 180, 130);
        auto* box = Place<TScrollBox>(this, 445, 248, 180, 100);
        Place<TButton>(box, 10, 120, 80, 24)->SetCaption(L"Scrolled");
        Place<TUpDown>(this, 445, 354, 20, 24);
        auto* paint = Place<TPaintBox>(this, 475, 354, 150, 24);
        paint->OnPaint = TNotifyEvent(this, &TDemoForm::PaintBoxPaint);
    }

    void PaintBoxPaint(TObject* sender) {
        TCanvas* canvas = static_cast<TPaintBox*>(sender)->Canvas();
        canvas->Brush()->SetColor(clNavy);
        canvas->FillRect({0, 0, 150, 24});
    }
};

TEST(DemoForm, EveryStandardControlOnOneFormRendersAndIsSaved) {
    const TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    TDemoForm* form = nullptr;
    Application->CreateForm(form);
    form->Show();
    SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const DWORD until = GetTickCount() + 1500;
    while (GetTickCount() < until) {
        Application->ProcessMessages();
        Sleep(10);
    }
    RECT bounds;
    GetWindowRect(form->Handle(), &bounds);
    TBitmap shot(bounds.right - bounds.left, bounds.bottom - bounds.top, pf24bit);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), screen, bounds.left,
           bounds.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    shot.SaveToFile(L"demo_form.bmp");

    // Not blank: the controls give the picture many colours.
    std::set<COLORREF> colours;
    for (int y = 0; y < shot.Height(); y += 3)
        for (int x = 0; x < shot.Width(); x += 3) colours.insert(shot.Canvas()->Pixels(x, y));
    EXPECT_GT(colours.size(), 8u);
    framework.Finalize();
}

} // namespace
