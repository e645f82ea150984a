#include "framework/Buttons.h"
#include "framework/Forms.h"
#include "framework/ModuleInit.h"
#include "framework/StdCtrls.h"

#include "ControlTesting.h"
#include "EventTesting.h"
#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// What the system sends the parent when a child reports a notification.
void Notify(TWinControl* child, WORD code) {
    const auto id = static_cast<WORD>(GetDlgCtrlID(child->Handle()));
    SendMessageW(child->Parent()->Handle(), WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(child->Handle()));
}

struct TEvents {
    std::vector<UnicodeString> Log;
    void Click(TObject*) { Log.push_back(L"click"); }
    void Change(TObject*) { Log.push_back(L"change"); }
    void Select(TObject*) { Log.push_back(L"select"); }
    void Enter(TObject*) { Log.push_back(L"enter"); }
    void Leave(TObject*) { Log.push_back(L"leave"); }
};

// Every message the thread has, dispatched as a plain loop would (no dialog-key step).
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

UnicodeString WindowText(HWND wnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(wnd, buffer, 256);
    return buffer;
}

DWORD StyleOf(HWND wnd) { return static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE)); }

} // namespace

// ---- buttons -----------------------------------------------------------------------------------

TEST(StdCtrls, ButtonClickReflectedFromTheParentFiresOnClickOnce) {
    auto host = MakeHost();
    auto* button = Place<TButton>(host.get());
    TEvents events;
    button->OnClick = TNotifyEvent(&events, &TEvents::Click);

    Notify(button, BN_CLICKED);
    EXPECT_EQ(events.Log, std::vector<UnicodeString>{L"click"});
    Notify(button, BN_SETFOCUS); // other notifications are not clicks
    EXPECT_EQ(events.Log.size(), 1u);
}

TEST(StdCtrls, EnterClicksTheActiveButtonAndEscTheCancelButton) {
    auto host = MakeVisibleHost();
    auto* edit = Place<TEdit>(host.get(), 10, 10);
    auto* ok = Place<TButton>(host.get(), 10, 50);
    auto* cancel = Place<TButton>(host.get(), 100, 50);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    TEvents okEvents, cancelEvents;
    ok->OnClick = TNotifyEvent(&okEvents, &TEvents::Click);
    cancel->OnClick = TNotifyEvent(&cancelEvents, &TEvents::Click);
    host->HandleNeeded();
    EXPECT_EQ(StyleOf(ok->Handle()) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));

    // The key as the message loop gives it to the focused edit: offered to the form first.
    EXPECT_EQ(edit->Perform(CN_KEYDOWN, VK_RETURN, 0), 1);
    EXPECT_EQ(okEvents.Log.size(), 1u);
    EXPECT_EQ(edit->Perform(CN_KEYDOWN, VK_ESCAPE, 0), 1);
    EXPECT_EQ(cancelEvents.Log.size(), 1u);

    // Another button with the focus is the one Enter clicks, and shows it.
    host->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(cancel));
    EXPECT_FALSE(ok->Active());
    EXPECT_TRUE(cancel->Active());
    EXPECT_EQ(StyleOf(ok->Handle()) & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
    EXPECT_EQ(StyleOf(cancel->Handle()) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(host->Perform(CM_DIALOGKEY, VK_RETURN, 0), 1);
    EXPECT_EQ(okEvents.Log.size(), 1u);
    EXPECT_EQ(cancelEvents.Log.size(), 2u);

    // Focus back on a control that is no button: the default button again.
    host->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(edit));
    EXPECT_TRUE(ok->Active());
    EXPECT_FALSE(cancel->Active());
    host->SetVisible(false);
    DrainMessages();
}

TEST(StdCtrls, DialogKeysNobodyTakesStayUnanswered) {
    auto host = MakeVisibleHost();
    auto* plain = Place<TButton>(host.get());
    TEvents events;
    plain->OnClick = TNotifyEvent(&events, &TEvents::Click);
    host->HandleNeeded();
    EXPECT_EQ(host->Perform(CM_DIALOGKEY, VK_RETURN, 0), 0) << "no default, not focused";
    EXPECT_EQ(host->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0) << "no cancel button";
    plain->SetCancel(true);
    plain->SetEnabled(false);
    EXPECT_EQ(host->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0) << "a disabled button takes nothing";
    EXPECT_TRUE(events.Log.empty());
    host->SetVisible(false);
    DrainMessages();
}

TEST(StdCtrls, CheckBoxStateCyclesThroughGrayedOnlyWhenAllowed) {
    struct TCase {
        bool AllowGrayed;
        std::vector<TCheckBoxState> Cycle; // after each click
    };
    const TCase cases[] = {
        {false, {cbChecked, cbUnchecked, cbChecked}},
        {true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}},
    };
    for (const TCase& test : cases) {
        auto host = MakeHost();
        auto* box = Place<TCheckBox>(host.get());
        box->SetAllowGrayed(test.AllowGrayed);
        TEvents events;
        box->OnClick = TNotifyEvent(&events, &TEvents::Click);
        for (std::size_t i = 0; i < test.Cycle.size(); ++i) {
            Notify(box, BN_CLICKED);
            EXPECT_EQ(box->State(), test.Cycle[i])
                << "click " << i << " grayed " << test.AllowGrayed;
            EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), test.Cycle[i]);
        }
        EXPECT_EQ(events.Log.size(), test.Cycle.size());
    }
}

TEST(StdCtrls, CheckBoxKeepsItsStateAcrossANewWindow) {
    auto host = MakeHost();
    auto* box = Place<TCheckBox>(host.get());
    box->SetState(cbGrayed);
    box->SetAlignment(taLeftJustify); // a new window
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_NE(StyleOf(box->Handle()) & BS_LEFTTEXT, 0u);
    EXPECT_FALSE(box->Checked());
    box->SetChecked(true);
    EXPECT_EQ(box->State(), cbChecked);
}

TEST(StdCtrls, CheckingARadioButtonUnchecksItsSiblingsOnly) {
    auto host = MakeHost();
    auto* first = Place<TRadioButton>(host.get(), 10, 10);
    auto* second = Place<TRadioButton>(host.get(), 10, 30);
    auto* group = Place<TGroupBox>(host.get(), 150, 10);
    auto* elsewhere = Place<TRadioButton>(group, 10, 20);
    elsewhere->SetChecked(true);
    TEvents events;
    second->OnClick = TNotifyEvent(&events, &TEvents::Click);

    first->SetChecked(true);
    Notify(second, BN_CLICKED);
    EXPECT_FALSE(first->Checked());
    EXPECT_TRUE(second->Checked());
    EXPECT_TRUE(elsewhere->Checked()) << "another parent, another group";
    EXPECT_EQ(SendMessageW(first->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(second->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(second->TabStop()) << "the checked button is the group's tab stop";
    EXPECT_FALSE(first->TabStop());
    EXPECT_EQ(events.Log.size(), 1u);
    Notify(second, BN_CLICKED); // already checked: no second click
    EXPECT_EQ(events.Log.size(), 1u);
}

// ---- edits -------------------------------------------------------------------------------------

TEST(StdCtrls, EditPropertiesReachTheWindowAndSurviveANewOne) {
    auto host = MakeHost();
    auto* edit = Place<TEdit>(host.get());
    edit->SetPasswordChar(L'*');
    edit->SetMaxLength(12);
    edit->SetReadOnly(true);
    edit->SetText(L"secret");
    const auto check = [&](const char* when, const wchar_t* text) {
        HWND wnd = edit->Handle();
        EXPECT_EQ(SendMessageW(wnd, EM_GETPASSWORDCHAR, 0, 0), L'*') << when;
        EXPECT_EQ(SendMessageW(wnd, EM_GETLIMITTEXT, 0, 0), 12) << when;
        EXPECT_NE(StyleOf(wnd) & ES_READONLY, 0u) << when;
        EXPECT_EQ(WindowText(wnd), text) << when;
    };
    check("first window", L"secret");
    edit->SetCharCase(ecUpperCase); // makes the window again, which takes the text upper case
    check("new window", L"SECRET");
    EXPECT_NE(StyleOf(edit->Handle()) & ES_UPPERCASE, 0u);

    edit->SetPasswordChar(0);
    edit->SetMaxLength(3);
    edit->SetReadOnly(false);
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 3);
    EXPECT_EQ(StyleOf(edit->Handle()) & ES_READONLY, 0u);
}

TEST(StdCtrls, EditSelectionChangeAndModified) {
    auto host = MakeHost();
    auto* edit = Place<TEdit>(host.get());
    TEvents events;
    edit->OnChange = TNotifyEvent(&events, &TEvents::Change);
    edit->SetText(L"draft"); // no window yet
    EXPECT_EQ(events.Log.size(), 1u);
    edit->HandleNeeded();
    edit->SetText(L"hello world"); // the window reports it
    EXPECT_EQ(events.Log.size(), 2u);

    edit->SetSelStart(6);
    edit->SetSelLength(5);
    EXPECT_EQ(edit->SelStart(), 6);
    EXPECT_EQ(edit->SelLength(), 5);
    EXPECT_EQ(edit->SelText(), L"world");
    edit->SetSelText(L"there");
    EXPECT_EQ(edit->Text(), L"hello there");

    edit->SetModified(true);
    edit->SetHideSelection(false); // a new window keeps the flag
    EXPECT_TRUE(edit->Modified());
    edit->SetModified(false);
    EXPECT_FALSE(edit->Modified());
}

TEST(StdCtrls, MemoLinesAreTheTextWithOrWithoutAWindow) {
    for (bool windowed : {false, true}) {
        auto host = MakeHost();
        auto* memo = Place<TMemo>(host.get());
        if (windowed) memo->HandleNeeded();
        TStrings* lines = memo->Lines();
        lines->Add(L"one");
        lines->Add(L"two");
        lines->Insert(0, L"zero");
        EXPECT_EQ(memo->Text(), L"zero\r\none\r\ntwo\r\n") << windowed;
        EXPECT_EQ(lines->Count(), 3) << windowed;
        lines->Delete(1);
        lines->Put(0, L"nought");
        EXPECT_EQ(lines->Text(), L"nought\r\ntwo\r\n") << windowed;
        memo->SetText(L"a\r\n\r\nb");
        EXPECT_EQ(lines->Count(), 3) << "an empty line in the middle counts";
        EXPECT_EQ(lines->Strings(1), L"");
        EXPECT_THROW(lines->Strings(3), EStringListError);
        lines->Clear();
        EXPECT_EQ(lines->Count(), 0);
    }
}

TEST(StdCtrls, MemoOffersUnwantedReturnAndTabToTheForm) {
    auto host = MakeVisibleHost();
    auto* memo = Place<TMemo>(host.get());
    auto* ok = Place<TButton>(host.get(), 10, 120);
    ok->SetDefault(true);
    TEvents events;
    ok->OnClick = TNotifyEvent(&events, &TEvents::Click);
    host->HandleNeeded();
    EXPECT_EQ(memo->Perform(CN_KEYDOWN, VK_RETURN, 0), 0) << "a memo wants returns";
    memo->SetWantReturns(false);
    EXPECT_EQ(memo->Perform(CN_KEYDOWN, VK_RETURN, 0), 1);
    EXPECT_EQ(events.Log.size(), 1u);
    host->SetVisible(false);
    DrainMessages();
}

// ---- label -------------------------------------------------------------------------------------

namespace {

class TRecordingLabel : public TLabel {
public:
    using TLabel::TLabel;
    std::vector<UINT> Flags;

protected:
    void DoDrawText(TRect& Rect, UINT Flags_) override {
        Flags.push_back(Flags_);
        TLabel::DoDrawText(Rect, Flags_);
    }
};

TSize TextSize(TFont* font, const UnicodeString& text) {
    TScreenDC screen;
    HGDIOBJ previous = SelectObject(screen.Get(), font->Handle());
    RECT rect{0, 0, 0, 0};
    DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(screen.Get(), previous);
    return {rect.right, rect.bottom};
}

} // namespace

TEST(StdCtrls, LabelSizesAndPaintsThroughDoDrawText) {
    auto host = MakeHost();
    auto* label = Place<TRecordingLabel>(host.get(), 100, 10);
    label->SetCaption(L"Hello, label");
    const TSize expected = TextSize(label->Font(), L"Hello, label");
    EXPECT_EQ(label->Width(), expected.cx);
    EXPECT_EQ(label->Height(), expected.cy);
    ASSERT_FALSE(label->Flags.empty());
    EXPECT_NE(label->Flags.back() & DT_CALCRECT, 0u) << "measured through DoDrawText";

    label->SetColor(clWhite);
    label->Font()->SetColor(clBlack);
    label->Flags.clear();
    TBitmap image(label->Width(), label->Height(), pf32bit);
    label->PaintTo(image.Canvas()->Handle(), 0, 0);
    ASSERT_EQ(label->Flags.size(), 1u);
    EXPECT_EQ(label->Flags[0] & DT_CALCRECT, 0u);
    int written = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.Canvas()->Pixels(x, y) != clWhite) ++written;
    EXPECT_GT(written, 10) << "the text is written";
    EXPECT_EQ(image.Canvas()->Pixels(image.Width() - 1, 0), clWhite) << "background in Color";
}

TEST(StdCtrls, RightAlignedAutoSizedLabelKeepsItsRightEdge) {
    auto host = MakeHost();
    auto* label = Place<TLabel>(host.get(), 100, 10);
    label->SetAlignment(taRightJustify);
    label->SetCaption(L"ab");
    const int right = label->Left() + label->Width();
    label->SetCaption(L"a much longer caption");
    EXPECT_EQ(label->Left() + label->Width(), right);
    label->SetAutoSize(false);
    label->SetCaption(L"x");
    EXPECT_EQ(label->Width(), TextSize(label->Font(), L"a much longer caption").cx)
        << "no longer sized";
}

TEST(StdCtrls, LabelReportsMouseEnterAndLeaveOfItself) {
    auto host = MakeHost();
    auto* label = Place<TLabel>(host.get());
    TEvents events;
    label->OnMouseEnter = TNotifyEvent(&events, &TEvents::Enter);
    label->OnMouseLeave = TNotifyEvent(&events, &TEvents::Leave);
    label->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(label));
    label->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(label));
    label->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(host.get())); // someone else's
    EXPECT_EQ(events.Log, (std::vector<UnicodeString>{L"enter", L"leave"}));
}

// ---- combo box ---------------------------------------------------------------------------------

namespace {

std::vector<UnicodeString> WindowItems(HWND combo) {
    std::vector<UnicodeString> items;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        UnicodeString text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)),
                           L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(text);
    }
    return items;
}

using TItems = std::vector<UnicodeString>;

} // namespace

TEST(StdCtrls, ComboBoxItemsAndIndexStayInStepWithTheWindow) {
    auto host = MakeHost();
    auto* combo = Place<TComboBox>(host.get());
    combo->Items()->Add(L"one");
    combo->Items()->Add(L"two");
    EXPECT_EQ(combo->ItemIndex(), -1);
    combo->SetItemIndex(1);
    EXPECT_EQ(WindowItems(combo->Handle()), (TItems{L"one", L"two"}));
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCURSEL, 0, 0), 1);

    combo->Items()->Insert(0, L"zero");
    combo->Items()->Delete(2);
    combo->Items()->Add(L"three");
    EXPECT_EQ(WindowItems(combo->Handle()), (TItems{L"zero", L"one", L"three"}));
    combo->SetItemIndex(-1);
    EXPECT_EQ(combo->ItemIndex(), -1);

    combo->SetItemIndex(2);
    combo->SetStyle(csDropDownList); // a new window
    EXPECT_EQ(WindowItems(combo->Handle()), (TItems{L"zero", L"one", L"three"}));
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), L"three");
    combo->SetText(L"one"); // a list without edit shows the item of that text
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST(StdCtrls, SortedComboBoxInsertsInOrderAndRefusesPositions) {
    auto host = MakeHost();
    auto* combo = Place<TComboBox>(host.get());
    combo->Items()->Add(L"pear");
    combo->Items()->Add(L"Apple");
    combo->SetSorted(true);
    EXPECT_EQ(combo->Items()->Add(L"melon"), 1);
    EXPECT_EQ(WindowItems(combo->Handle()), (TItems{L"Apple", L"melon", L"pear"}));
    EXPECT_THROW(combo->Items()->Insert(0, L"fig"), EStringListError);
    EXPECT_EQ(combo->Items()->Count(), 3);
}

TEST(StdCtrls, ComboBoxSelectionFiresClickThenSelectOrChange) {
    struct TCase {
        bool WithOnSelect;
        std::vector<UnicodeString> Expected;
    };
    const TCase cases[] = {
        {false, {L"click", L"change"}},
        {true, {L"click", L"select"}},
    };
    for (const TCase& test : cases) {
        auto host = MakeHost();
        auto* combo = Place<TComboBox>(host.get());
        combo->Items()->SetCommaText(L"a,b,c");
        TEvents events;
        combo->OnClick = TNotifyEvent(&events, &TEvents::Click);
        combo->OnChange = TNotifyEvent(&events, &TEvents::Change);
        if (test.WithOnSelect) combo->OnSelect = TNotifyEvent(&events, &TEvents::Select);
        combo->SetItemIndex(2);
        EXPECT_TRUE(events.Log.empty()) << "setting the index by code fires nothing";
        Notify(combo, CBN_SELCHANGE);
        EXPECT_EQ(events.Log, test.Expected);
        EXPECT_EQ(combo->Text(), L"c") << "the text shows the selection";
    }
}

namespace {

struct TKeyFilter {
    UnicodeString Seen;
    void KeyPress(TObject*, wchar_t& Key) {
        Seen += Key;
        if (Key == L'x') Key = 0;
    }
};

} // namespace

TEST(StdCtrls, ComboBoxKeyPressSwallowsKeysTypedIntoItsEdit) {
    auto host = MakeHost();
    auto* combo = Place<TComboBox>(host.get());
    TKeyFilter filter;
    combo->OnKeyPress = TKeyPressEvent(&filter, &TKeyFilter::KeyPress);
    combo->HandleNeeded();
    ASSERT_NE(combo->EditHandle(), nullptr);
    ASSERT_NE(combo->ListHandle(), nullptr);
    for (wchar_t key : {L'a', L'x', L'b'}) PostMessageW(combo->EditHandle(), WM_CHAR, key, 1);
    Pump();
    EXPECT_EQ(filter.Seen, L"axb");
    EXPECT_EQ(combo->Text(), L"ab");

    combo->SetStyle(csDropDownList);
    EXPECT_EQ(combo->EditHandle(), nullptr) << "a list without edit";
    EXPECT_NE(combo->ListHandle(), nullptr);
}

TEST(StdCtrls, FocusInTheComboBoxEditIsTheComboBoxs) {
    auto host = MakeVisibleHost();
    auto* combo = Place<TComboBox>(host.get(), 10, 10);
    auto* edit = Place<TEdit>(host.get(), 10, 60);
    TEvents events;
    combo->OnEnter = TNotifyEvent(&events, &TEvents::Enter);
    combo->OnExit = TNotifyEvent(&events, &TEvents::Leave);
    host->HandleNeeded();
    SetFocus(combo->EditHandle());
    ASSERT_EQ(GetFocus(), combo->EditHandle());
    EXPECT_EQ(events.Log, std::vector<UnicodeString>{L"enter"});
    edit->SetFocus();
    EXPECT_EQ(events.Log, (std::vector<UnicodeString>{L"enter", L"leave"}));
    events.Log.clear();
    combo->SetFocus(); // the combo box passes the focus on to its edit
    EXPECT_EQ(GetFocus(), combo->EditHandle());
    EXPECT_EQ(events.Log, std::vector<UnicodeString>{L"enter"}) << "entered once";
    host->SetVisible(false);
    DrainMessages();
}

namespace {

struct TItemPainter {
    std::vector<int> Indexes;
    TOwnerDrawState LastState;
    void DrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State) {
        Indexes.push_back(Index);
        LastState = State;
        auto* combo = dynamic_cast<TComboBox*>(Control);
        TCanvas* canvas = combo ? combo->Canvas() : static_cast<TListBox*>(Control)->Canvas();
        canvas->Brush()->SetColor(clRed);
        canvas->FillRect(Rect);
    }
};

} // namespace

TEST(StdCtrls, OwnerDrawComboBoxPaintsThroughOnDrawItem) {
    auto host = MakeVisibleHost(); // a combo box draws its item only while it is visible
    auto* combo = Place<TComboBox>(host.get());
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(18);
    combo->Items()->SetCommaText(L"a,b,c");
    combo->SetItemIndex(2);
    TItemPainter painter;
    combo->OnDrawItem = TDrawItemEvent(&painter, &TItemPainter::DrawItem);
    EXPECT_EQ(combo->ItemHeight(), 18);

    TBitmap image(combo->Width(), combo->Height(), pf32bit);
    combo->PaintTo(image.Canvas()->Handle(), 0, 0); // the system asks the parent to draw
    ASSERT_FALSE(painter.Indexes.empty());
    EXPECT_EQ(painter.Indexes.back(), 2);
    EXPECT_TRUE(painter.LastState.Contains(odComboBoxEdit));
    EXPECT_EQ(image.Canvas()->Pixels(combo->Width() / 3, combo->Height() / 2), clRed);
    host->SetVisible(false);
    DrainMessages();
}

// ---- list box ----------------------------------------------------------------------------------

TEST(StdCtrls, ListBoxItemsAndSelection) {
    auto host = MakeHost();
    auto* list = Place<TListBox>(host.get());
    list->Items()->SetCommaText(L"a,b,c,d");
    list->SetItemIndex(1);
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(list->Selected(1));
    EXPECT_FALSE(list->Selected(2));
    EXPECT_EQ(list->SelCount(), 1);

    list->SetMultiSelect(true); // a new window with the same items
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 4);
    list->SetSelected(0, true);
    list->SetSelected(3, true);
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(3));
    EXPECT_THROW(list->Selected(4), EListError);

    TEvents events;
    list->OnClick = TNotifyEvent(&events, &TEvents::Click);
    Notify(list, LBN_SELCHANGE);
    EXPECT_EQ(events.Log.size(), 1u);
}

TEST(StdCtrls, OwnerDrawListBoxMeasuresAndDrawsItsItems) {
    auto host = MakeVisibleHost(); // a list box draws its items only while it is visible
    auto* list = Place<TListBox>(host.get());
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemHeight(20);
    list->Items()->SetCommaText(L"a,b,c");
    TItemPainter painter;
    list->OnDrawItem = TDrawItemEvent(&painter, &TItemPainter::DrawItem);
    list->HandleNeeded();
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETITEMHEIGHT, 0, 0), 20);

    TBitmap image(list->Width(), list->Height(), pf32bit);
    list->PaintTo(image.Canvas()->Handle(), 0, 0);
    EXPECT_EQ(painter.Indexes, (std::vector<int>{0, 1, 2}));
    host->SetVisible(false);
    DrainMessages();
}

TEST(StdCtrls, AcceleratorsFocusAndToggle) {
    auto host = MakeVisibleHost();
    auto* label = Place<TLabel>(host.get(), 10, 10);
    auto* edit = Place<TEdit>(host.get(), 80, 10);
    auto* box = Place<TCheckBox>(host.get(), 10, 50);
    label->SetCaption(L"&Name");
    label->SetFocusControl(edit);
    box->SetCaption(L"&Remember");
    host->HandleNeeded();
    EXPECT_EQ(host->Perform(CM_DIALOGCHAR, L'n', 0), 1);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(host->Perform(CM_DIALOGCHAR, L'R', 0), 1);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(host->Perform(CM_DIALOGCHAR, L'q', 0), 0) << "no control has that accelerator";
    edit->Free();
    EXPECT_EQ(label->FocusControl(), nullptr) << "the label forgets a freed control";
    host->SetVisible(false);
    DrainMessages();
}

// ---- group box ---------------------------------------------------------------------------------

TEST(StdCtrls, GroupBoxLaysChildrenOutBelowItsCaption) {
    auto host = MakeHost();
    auto* group = Place<TGroupBox>(host.get());
    group->SetCaption(L"Login");
    auto* inside = Place<TEdit>(group);
    inside->SetAlign(alClient);
    EXPECT_GE(inside->Top(), TextSize(group->Font(), L"Login").cy);
    EXPECT_LT(inside->Top() + inside->Height(), group->Height());
}

// ---- buttons on forms --------------------------------------------------------------------------

namespace {

// The screen and application objects exist for each test, as in a program.
using StdCtrlsForms = TFrameworkTest;

// A dialog as the client builds them: an edit with the focus, a default and a cancel button.
struct TDialog {
    TForm* Form;
    TEdit* Edit;
    TButton* Ok;
    TButton* Cancel;
};

TDialog MakeDialog() {
    TDialog dialog{};
    dialog.Form = Construct<TForm>(Application);
    dialog.Form->SetBounds(100, 100, 300, 160);
    dialog.Edit = Place<TEdit>(dialog.Form, 10, 10);
    dialog.Ok = Place<TButton>(dialog.Form, 10, 60);
    dialog.Ok->SetDefault(true);
    dialog.Ok->SetModalResult(mrOk);
    dialog.Cancel = Place<TButton>(dialog.Form, 100, 60);
    dialog.Cancel->SetCancel(true);
    dialog.Cancel->SetModalResult(mrAbort); // not the result a closed or timed-out loop gives
    return dialog; // the edit, first in tab order, gets the focus when the form shows
}

} // namespace

TEST_F(StdCtrlsForms, ShowModalAnswersTheResultOfTheButtonClicked) {
    TDialog dialog = MakeDialog();
    TLambdaHandler<void(TObject*)> click([&](TObject*) { Notify(dialog.Ok, BN_CLICKED); });
    dialog.Form->OnShow = click.Event();
    TLoopDeadline deadline(5000);
    EXPECT_EQ(dialog.Form->ShowModal(), mrOk);
    EXPECT_FALSE(dialog.Form->Visible());
    dialog.Form->Free();
}

TEST_F(StdCtrlsForms, EnterAndEscInTheEditEndTheDialogThroughItsButtons) {
    const struct {
        Word Key;
        TModalResult Expected;
    } cases[] = {{VK_RETURN, mrOk}, {VK_ESCAPE, mrAbort}};
    for (const auto& test : cases) {
        TDialog dialog = MakeDialog();
        TLambdaHandler<void(TObject*)> press(
            [&](TObject*) { PostMessageW(dialog.Edit->Handle(), WM_KEYDOWN, test.Key, 1); });
        dialog.Form->OnShow = press.Event();
        TLoopDeadline deadline(5000);
        EXPECT_EQ(dialog.Form->ShowModal(), test.Expected) << test.Key;
        EXPECT_EQ(dialog.Edit->Text(), L"") << "the key went to the form, not the edit";
        dialog.Form->Free();
    }
}

TEST_F(StdCtrlsForms, ButtonWithoutResultLeavesTheDialogOpenAndCloseButtonClosesIt) {
    TDialog dialog = MakeDialog();
    auto* apply = Place<TButton>(dialog.Form, 10, 100);
    auto* close = Place<TBitBtn>(dialog.Form, 100, 100);
    close->SetKind(bkClose);
    int applied = 0;
    TLambdaHandler<void(TObject*)> count([&](TObject*) { ++applied; });
    apply->OnClick = count.Event();
    TLambdaHandler<void(TObject*)> clicks([&](TObject*) {
        Notify(apply, BN_CLICKED);
        PostMessageW(dialog.Form->Handle(), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(close->Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(close->Handle()));
    });
    dialog.Form->OnShow = clicks.Event();
    TLoopDeadline deadline(5000);
    EXPECT_EQ(dialog.Form->ShowModal(), mrCancel) << "a modal form closed answers Cancel";
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(TLoopDeadline::Expired());
    dialog.Form->Free();
}
