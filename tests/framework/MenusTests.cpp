#include "framework/Menus.h"

#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct TFreer {
    void operator()(TObject* object) const noexcept { object->Free(); }
};
template <class T> using TOwned = std::unique_ptr<T, TFreer>;

template <class T> TOwned<T> Make(TComponent* owner = nullptr) {
    return TOwned<T>(Construct<T>(owner));
}

TMenuItem* NewItem(TMenuItem* parent, const UnicodeString& caption, TComponent* owner = nullptr) {
    TMenuItem* item = Construct<TMenuItem>(owner);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

// What the system keeps for the entry at `position`.
struct TEntry {
    UnicodeString Text;
    UINT Type = 0;
    UINT State = 0;
    UINT Id = 0;
    ULONG_PTR Data = 0;
    HMENU SubMenu = nullptr;
};

TEntry EntryAt(HMENU menu, int position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 127;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
    return {text, info.fType, info.fState, info.wID, info.dwItemData, info.hSubMenu};
}

std::vector<UINT> EntryIds(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(EntryAt(menu, i).Id);
    return ids;
}

// Records what menu events it is given.
struct TRecorder {
    std::vector<TObject*> Clicks;
    void Click(TObject* Sender) { Clicks.push_back(Sender); }
};

// ---- shortcuts ----------------------------------------------------------------------------------

TEST(Menus, ShortCutTextRoundTrip) {
    const struct {
        TShortCut ShortCut;
        const wchar_t* Text;
    } cases[] = {
        {ShortCut('S', {ssCtrl}), L"Ctrl+S"},
        {ShortCut(VK_F5, {ssShift, ssCtrl}), L"Shift+Ctrl+F5"},
        {ShortCut(VK_F4, {ssAlt}), L"Alt+F4"},
        {ShortCut(VK_BACK, {ssAlt}), L"Alt+BkSp"},
        {ShortCut(VK_RETURN, {ssCtrl, ssAlt}), L"Ctrl+Alt+Enter"},
        {ShortCut(VK_DELETE, {}), L"Del"},
        {ShortCut(VK_NUMPAD3, {ssShift}), L"Shift+Num 3"},
        {ShortCut(VK_ADD, {}), L"Num +"},
        {ShortCut('0', {}), L"0"},
        {ShortCut(VK_F24, {}), L"F24"},
        {ShortCut(VK_PRIOR, {}), L"PgUp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(ShortCutToText(c.ShortCut), c.Text);
        EXPECT_EQ(TextToShortCut(c.Text), c.ShortCut);
    }
}

TEST(Menus, TextToShortCutReadsVariantsAndRejectsNonsense) {
    const struct {
        const wchar_t* Text;
        TShortCut Expected;
    } cases[] = {
        {L"ctrl+s", ShortCut('S', {ssCtrl})},
        {L"Alt+Shift+X", ShortCut('X', {ssShift, ssAlt})},
        {L"CTRL+pgdn", ShortCut(VK_NEXT, {ssCtrl})},
        {L"", scNone},
        {L"Ctrl+", scNone},
        {L"Ctrl+Nothing", scNone},
        {L"Hyper+S", scNone},
        {L"S+Ctrl", scNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(TextToShortCut(c.Text), c.Expected);
    }
    EXPECT_EQ(ShortCutToText(scNone), L"");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_LBUTTON, {ssCtrl})), L"");
    EXPECT_EQ(ShortCut(0x1234, {ssCtrl}), scNone);
}

TEST(Menus, HotkeysOfCaptions) {
    const struct {
        const wchar_t* Caption;
        const wchar_t* Stripped;
        wchar_t Hotkey;
    } cases[] = {
        {L"&File", L"File", L'F'}, {L"Save &as", L"Save as", L'A'},
        {L"R&&D", L"R&D", 0},      {L"&&x &y", L"&x y", L'Y'},
        {L"end&", L"end", 0},      {L"plain", L"plain", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        EXPECT_EQ(StripHotkey(c.Caption), c.Stripped);
        EXPECT_EQ(GetHotkey(c.Caption), c.Hotkey);
    }
}

// ---- the tree -----------------------------------------------------------------------------------

TEST(Menus, TreeOperations) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* root = menu->Items();
    TMenuItem* a = NewItem(root, L"&Alpha");
    TMenuItem* c = NewItem(root, L"Gamma");
    TMenuItem* b = Construct<TMenuItem>(nullptr);
    b->SetCaption(L"Beta");
    root->Insert(1, b);

    EXPECT_EQ(root->Count(), 3);
    EXPECT_EQ(root->Items(1), b);
    EXPECT_EQ(b->Parent(), root);
    EXPECT_EQ(c->MenuIndex(), 2);
    EXPECT_EQ(root->Find(L"alpha"), a);
    EXPECT_EQ(root->Find(L"&GAMMA"), c);
    EXPECT_EQ(root->Find(L"Delta"), nullptr);
    EXPECT_EQ(a->GetParentMenu(), menu.get());

    c->SetMenuIndex(0);
    EXPECT_EQ(root->IndexOf(c), 0);
    EXPECT_EQ(root->IndexOf(a), 1);

    root->Remove(b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(root->IndexOf(b), -1);
    EXPECT_EQ(b->GetParentMenu(), nullptr);
    TMenuItem* child = NewItem(b, L"Child");
    a->Add(b);
    EXPECT_EQ(child->GetParentMenu(), menu.get());

    EXPECT_THROW(root->Add(b), EMenuError);  // has a parent already
    EXPECT_THROW(child->Add(a), EMenuError); // would contain itself
    EXPECT_THROW(b->Add(b), EMenuError);
    EXPECT_THROW(root->Items(5), EMenuError);
    EXPECT_THROW(root->Insert(9, Construct<TMenuItem>(menu.get())), EMenuError);
    EXPECT_THROW(root->Delete(-1), EMenuError);
}

TEST(Menus, RadioItemsExcludeOnlyTheirGroup) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* root = menu->Items();
    auto radio = [&](const wchar_t* caption, Byte group) {
        TMenuItem* item = NewItem(root, caption);
        item->SetGroupIndex(group);
        item->SetRadioItem(true);
        return item;
    };
    TMenuItem* a = radio(L"A", 1);
    TMenuItem* b = radio(L"B", 1);
    TMenuItem* other = radio(L"Other group", 2);
    TMenuItem* plain = NewItem(root, L"Plain");
    plain->SetGroupIndex(1);
    plain->SetChecked(true);
    other->SetChecked(true);
    const HMENU handle = menu->Handle();

    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(other->Checked());
    EXPECT_TRUE(plain->Checked());
    EXPECT_EQ(EntryAt(handle, 0).State & MFS_CHECKED, 0u);
    EXPECT_NE(EntryAt(handle, 1).State & MFS_CHECKED, 0u);
    EXPECT_NE(EntryAt(handle, 1).Type & MFT_RADIOCHECK, 0u);

    // Joining the group checked turns the group's checked radio item off.
    other->SetGroupIndex(1);
    EXPECT_FALSE(b->Checked());
    EXPECT_TRUE(other->Checked());
}

// ---- handles ------------------------------------------------------------------------------------

TEST(Menus, HandleReflectsItemChanges) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* root = menu->Items();
    TMenuItem* open = NewItem(root, L"&Open");
    open->SetShortCut(ShortCut('O', {ssCtrl}));
    TMenuItem* line = NewItem(root, L"-");
    TMenuItem* recent = NewItem(root, L"Recent");
    TMenuItem* first = NewItem(recent, L"first.txt");
    const HMENU handle = menu->Handle();

    ASSERT_EQ(GetMenuItemCount(handle), 3);
    EXPECT_EQ(EntryAt(handle, 0).Text, L"&Open\tCtrl+O");
    EXPECT_EQ(EntryAt(handle, 0).Id, open->Command());
    EXPECT_NE(EntryAt(handle, 1).Type & MFT_SEPARATOR, 0u);
    EXPECT_EQ(EntryAt(handle, 2).SubMenu, recent->Handle());
    EXPECT_EQ(EntryAt(recent->Handle(), 0).Text, L"first.txt");
    (void)line;

    open->SetCaption(L"&Open...");
    open->SetChecked(true);
    open->SetDefault(true);
    recent->SetEnabled(false);
    first->SetBreak(mbBarBreak);
    EXPECT_EQ(menu->Handle(), handle);
    EXPECT_EQ(EntryAt(handle, 0).Text, L"&Open...\tCtrl+O");
    EXPECT_NE(EntryAt(handle, 0).State & MFS_CHECKED, 0u);
    EXPECT_NE(EntryAt(handle, 0).State & MFS_DEFAULT, 0u);
    EXPECT_NE(EntryAt(handle, 2).State & MFS_GRAYED, 0u);
    EXPECT_NE(EntryAt(recent->Handle(), 0).Type & MFT_MENUBARBREAK, 0u);

    open->SetVisible(false);
    ASSERT_EQ(GetMenuItemCount(handle), 2);
    EXPECT_EQ(EntryAt(handle, 1).Id, recent->Command());
    open->SetVisible(true);
    EXPECT_EQ(EntryAt(handle, 0).Id, open->Command());

    // A submenu emptied loses its entry's submenu; filled again it gets one.
    recent->Clear();
    EXPECT_EQ(EntryAt(handle, 2).SubMenu, nullptr);
    NewItem(recent, L"second.txt");
    EXPECT_EQ(EntryAt(handle, 2).SubMenu, recent->Handle());
}

TEST(Menus, CommandsAreUniqueAndFoundByKind) {
    auto one = Make<TPopupMenu>();
    auto two = Make<TPopupMenu>();
    TMenuItem* file = NewItem(one->Items(), L"File");
    TMenuItem* save = NewItem(file, L"Save");
    save->SetShortCut(ShortCut('S', {ssCtrl}));
    TMenuItem* plain = NewItem(file, L"Plain");
    TMenuItem* elsewhere = NewItem(two->Items(), L"Elsewhere");

    EXPECT_NE(save->Command(), plain->Command());
    EXPECT_NE(save->Command(), elsewhere->Command());
    EXPECT_EQ(one->FindItem(save->Command(), fkCommand), save);
    EXPECT_EQ(one->FindItem(elsewhere->Command(), fkCommand), nullptr);
    EXPECT_EQ(one->FindItem(ShortCut('S', {ssCtrl}), fkShortCut), save);
    EXPECT_EQ(one->FindItem(ShortCut('S', {}), fkShortCut), nullptr);
    EXPECT_EQ(one->FindItem(scNone, fkShortCut), nullptr); // not every item without one
    EXPECT_EQ(one->FindItem(reinterpret_cast<UINT_PTR>(file->Handle()), fkHandle), file);
    EXPECT_EQ(two->FindItem(reinterpret_cast<UINT_PTR>(file->Handle()), fkHandle), nullptr);
}

// ---- merging ------------------------------------------------------------------------------------

TMenuItem* GroupItem(TMenu* menu, const wchar_t* caption, Byte group) {
    TMenuItem* item = NewItem(menu->Items(), caption);
    item->SetGroupIndex(group);
    NewItem(item, L"entry"); // top-level items of a bar open submenus
    return item;
}

TEST(Menus, MergeReplacesGroupsAndUnmergeRestores) {
    auto main = Make<TMainMenu>();
    TMenuItem* file = GroupItem(main.get(), L"File", 0);
    TMenuItem* edit = GroupItem(main.get(), L"Edit", 1);
    TMenuItem* window = GroupItem(main.get(), L"Window", 9);
    TMenuItem* help = GroupItem(main.get(), L"Help", 10);
    auto child = Make<TMainMenu>();
    TMenuItem* childEdit = GroupItem(child.get(), L"Child edit", 1);
    TMenuItem* tools = GroupItem(child.get(), L"Tools", 5);
    const HMENU bar = main->Handle();
    const std::vector<UINT> own{file->Command(), edit->Command(), window->Command(),
                                help->Command()};
    EXPECT_EQ(EntryIds(bar), own);

    main->Merge(child.get());
    const std::vector<UINT> merged{file->Command(), childEdit->Command(), tools->Command(),
                                   window->Command(), help->Command()};
    EXPECT_EQ(EntryIds(bar), merged);
    EXPECT_EQ(EntryAt(bar, 2).SubMenu, tools->Handle());

    // A change in the merged menu shows in the bar.
    tools->SetCaption(L"&Tools");
    EXPECT_EQ(EntryAt(bar, 2).Text, L"&Tools");
    tools->SetVisible(false);
    EXPECT_EQ(GetMenuItemCount(bar), 4);
    tools->SetVisible(true);

    main->Unmerge(child.get());
    EXPECT_EQ(EntryIds(bar), own);
    EXPECT_EQ(main->Merged(), nullptr);

    // A merged menu freed while merged gives the bar its own items back.
    main->Merge(child.get());
    child.reset();
    EXPECT_EQ(EntryIds(bar), own);
    EXPECT_EQ(main->Merged(), nullptr);
}

TEST(Menus, MainMenuAttachesToItsWindow) {
    const HWND wnd = CreateWindowExW(0, L"STATIC", L"menu host", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                     100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    {
        auto main = Make<TMainMenu>();
        GroupItem(main.get(), L"File", 0);
        main->SetWindowHandle(wnd);
        EXPECT_EQ(GetMenu(wnd), main->Handle());
        main->SetWindowHandle(nullptr);
        EXPECT_EQ(GetMenu(wnd), nullptr);
        main->SetWindowHandle(wnd);
    } // freed while attached: the window lets go of the bar first
    EXPECT_EQ(GetMenu(wnd), nullptr);
    DestroyWindow(wnd);
}

// ---- messages -----------------------------------------------------------------------------------

TMessage MessageOf(UINT msg, WPARAM wParam, LPARAM lParam) { return {msg, wParam, lParam, -1}; }

TEST(Menus, CommandAndPopupMessagesReachTheItems) {
    auto menu = Make<TPopupMenu>();
    TRecorder recorder;
    TMenuItem* sub = NewItem(menu->Items(), L"Sub");
    sub->OnClick = TNotifyEvent(&recorder, &TRecorder::Click);
    TMenuItem* leaf = NewItem(sub, L"Leaf");
    leaf->OnClick = TNotifyEvent(&recorder, &TRecorder::Click);

    TMessage command = MessageOf(WM_COMMAND, leaf->Command(), 0);
    EXPECT_TRUE(DispatchMenuMessage(command));
    EXPECT_EQ(command.Result, 0);
    TMessage popup = MessageOf(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub->Handle()), 0);
    EXPECT_TRUE(DispatchMenuMessage(popup));
    EXPECT_EQ(recorder.Clicks, (std::vector<TObject*>{leaf, sub}));

    // Not from a menu: a control's notification, an accelerator, the window menu.
    TMessage fromControl = MessageOf(WM_COMMAND, leaf->Command(), 1234);
    EXPECT_FALSE(DispatchMenuMessage(fromControl));
    TMessage accelerator = MessageOf(WM_COMMAND, MAKEWPARAM(leaf->Command(), 1), 0);
    EXPECT_FALSE(DispatchMenuMessage(accelerator));
    TMessage windowMenu =
        MessageOf(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub->Handle()), MAKELPARAM(0, 1));
    EXPECT_FALSE(DispatchMenuMessage(windowMenu));

    leaf->SetEnabled(false);
    EXPECT_TRUE(menu->DispatchCommand(leaf->Command()));
    EXPECT_EQ(recorder.Clicks.size(), 2u); // a disabled item does not click
    EXPECT_TRUE(menu->DispatchPopup(sub->Handle()));
    EXPECT_EQ(recorder.Clicks.size(), 3u);
    EXPECT_FALSE(menu->DispatchCommand(0xEFFF));
}

struct TSelectRecorder {
    std::vector<TMenuItem*> Selected;
    void Select(TMenuItem* Item) { Selected.push_back(Item); }
};

TEST(Menus, MenuSelectNamesTheHighlightedItem) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* leaf = NewItem(menu->Items(), L"Leaf");
    TMenuItem* sub = NewItem(menu->Items(), L"Sub");
    NewItem(sub, L"inside");
    TSelectRecorder recorder;
    const TMenuSelectHandler before =
        SetMenuSelectHandler(TMenuSelectHandler(&recorder, &TSelectRecorder::Select));
    const LPARAM handle = reinterpret_cast<LPARAM>(menu->Handle());

    TMessage onLeaf = MessageOf(WM_MENUSELECT, MAKEWPARAM(leaf->Command(), MF_STRING), handle);
    TMessage onSub = MessageOf(WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP), handle);
    TMessage closed = MessageOf(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_TRUE(DispatchMenuMessage(onLeaf));
    EXPECT_TRUE(DispatchMenuMessage(onSub));
    EXPECT_TRUE(DispatchMenuMessage(closed));
    SetMenuSelectHandler(before);
    EXPECT_EQ(recorder.Selected, (std::vector<TMenuItem*>{leaf, sub, nullptr}));
}

// Owner-draw events receive what the system's messages carry.
struct TOwnerDrawRecorder {
    int MeasuredWidth = -1;
    int MeasuredHeight = -1;
    TRect DrawnRect;
    TOwnerDrawState DrawnState;
    int Draws = 0;
    void Measure(TObject*, TCanvas* ACanvas, int& Width, int& Height) {
        MeasuredWidth = Width;
        MeasuredHeight = Height;
        EXPECT_NE(ACanvas->Handle(), nullptr);
        Width = 123;
        Height = 45;
    }
    void Draw(TObject*, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State) {
        ++Draws;
        DrawnRect = ARect;
        DrawnState = State;
        ACanvas->Brush()->SetColor(clRed);
        ACanvas->FillRect(ARect);
    }
};

TEST(Menus, OwnerDrawEventsThroughDispatch) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* plain = NewItem(menu->Items(), L"Plain");
    TMenuItem* drawn = NewItem(menu->Items(), L"Drawn");
    TOwnerDrawRecorder recorder;
    drawn->OnMeasureItem = TMenuMeasureItemEvent(&recorder, &TOwnerDrawRecorder::Measure);
    drawn->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&recorder, &TOwnerDrawRecorder::Draw);
    const HMENU handle = menu->Handle();
    EXPECT_EQ(EntryAt(handle, 0).Type & MFT_OWNERDRAW, 0u);
    const TEntry entry = EntryAt(handle, 1);
    EXPECT_NE(entry.Type & MFT_OWNERDRAW, 0u);
    (void)plain;

    MEASUREITEMSTRUCT measure{ODT_MENU, 0, entry.Id, 0, 0, entry.Data};
    TMessage measureMessage = MessageOf(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_TRUE(DispatchMenuMessage(measureMessage));
    EXPECT_EQ(measureMessage.Result, TRUE);
    EXPECT_GT(recorder.MeasuredWidth, 0); // the handler adjusts the library's own size
    EXPECT_GT(recorder.MeasuredHeight, 0);
    EXPECT_EQ(measure.itemWidth, 123u);
    EXPECT_EQ(measure.itemHeight, 45u);

    TBitmap target(60, 30, pf24bit);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = entry.Id;
    draw.itemState = ODS_SELECTED | ODS_NOACCEL;
    draw.hDC = target.Canvas()->Handle();
    draw.rcItem = {5, 5, 50, 25};
    draw.itemData = entry.Data;
    TMessage drawMessage = MessageOf(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_TRUE(DispatchMenuMessage(drawMessage));
    EXPECT_EQ(drawMessage.Result, TRUE);
    EXPECT_EQ(recorder.DrawnRect, TRect(5, 5, 50, 25));
    EXPECT_EQ(recorder.DrawnState, (TOwnerDrawState{odSelected, odNoAccel}));
    EXPECT_EQ(target.Canvas()->Pixels(10, 10), clRed);

    // Other owner-draw traffic is left to the window.
    measure.CtlType = ODT_LISTBOX;
    EXPECT_FALSE(DispatchMenuMessage(measureMessage));
}

TEST(Menus, DefaultOwnerDrawLook) {
    auto menu = Make<TPopupMenu>();
    menu->SetOwnerDraw(true);
    TMenuItem* item = NewItem(menu->Items(), L"&Checked");
    item->SetChecked(true);
    item->SetShortCut(ShortCut('K', {ssCtrl}));
    TMenuItem* line = NewItem(menu->Items(), L"-");
    const HMENU handle = menu->Handle();
    const TEntry entry = EntryAt(handle, 0);
    EXPECT_NE(entry.Type & MFT_OWNERDRAW, 0u);
    EXPECT_NE(EntryAt(handle, 1).Type & MFT_SEPARATOR, 0u);
    EXPECT_NE(EntryAt(handle, 1).Type & MFT_OWNERDRAW, 0u);

    MEASUREITEMSTRUCT measure{ODT_MENU, 0, entry.Id, 0, 0, entry.Data};
    TMessage measureMessage = MessageOf(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    ASSERT_TRUE(DispatchMenuMessage(measureMessage));
    TScreenDC dc;
    TCanvas canvas;
    canvas.SetHandle(dc.Get());
    menus_detail::SelectMenuFont(&canvas);
    const int captionAndShortCut = canvas.TextWidth(L"Checked") + canvas.TextWidth(L"Ctrl+K");
    canvas.SetHandle(nullptr);
    EXPECT_GT(static_cast<int>(measure.itemWidth), captionAndShortCut + 16); // + a glyph column
    EXPECT_GE(static_cast<int>(measure.itemHeight), 16);

    // Selected: the highlight fills the entry; the check mark is drawn in the glyph column.
    TBitmap target(200, 24, pf24bit);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemState = ODS_SELECTED | ODS_CHECKED;
    draw.hDC = target.Canvas()->Handle();
    draw.rcItem = {0, 0, 200, 24};
    draw.itemData = entry.Data;
    TMessage drawMessage = MessageOf(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    ASSERT_TRUE(DispatchMenuMessage(drawMessage));
    const TColor highlight = ColorToRGB(clHighlight);
    EXPECT_EQ(target.Canvas()->Pixels(199, 0), highlight);
    int marked = 0;
    for (int x = 0; x < 24; ++x)
        for (int y = 0; y < 24; ++y) marked += target.Canvas()->Pixels(x, y) != highlight;
    EXPECT_GT(marked, 4);
    (void)line;
}

struct TChangeRecorder {
    std::vector<std::pair<TMenuItem*, bool>> Changes;
    void Change(TObject*, TMenuItem* Source, bool Rebuild) { Changes.push_back({Source, Rebuild}); }
};

TEST(Menus, ChangesReachOnChange) {
    auto menu = Make<TPopupMenu>();
    TChangeRecorder recorder;
    menu->OnChange = TMenuChangeEvent(&recorder, &TChangeRecorder::Change);
    TMenuItem* item = NewItem(menu->Items(), L"Item");
    TMenuItem* inner = NewItem(item, L"Inner");
    inner->SetCaption(L"Renamed");
    inner->SetCaption(L"Renamed"); // no change, no notification
    menu->SetOwnerDraw(true);
    using TChange = std::pair<TMenuItem*, bool>;
    EXPECT_EQ(recorder.Changes,
              (std::vector<TChange>{
                  {menu->Items(), true}, {item, true}, {inner, false}, {nullptr, false}}));
}

TEST(Menus, PopupComponentIsForgottenWhenFreed) {
    auto menu = Make<TPopupMenu>();
    TComponent* component = Construct<TComponent>(nullptr);
    menu->SetPopupComponent(component);
    EXPECT_EQ(menu->PopupComponent(), component);
    component->Free();
    EXPECT_EQ(menu->PopupComponent(), nullptr);
}

TEST(Menus, BitmapMakesAnEntryOwnerDrawn) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* item = NewItem(menu->Items(), L"Pictured");
    const HMENU handle = menu->Handle();
    TBitmap glyph(16, 16, pf24bit);
    item->SetBitmap(&glyph);
    EXPECT_NE(EntryAt(handle, 0).Type & MFT_OWNERDRAW, 0u);
    item->SetBitmap(nullptr);
    EXPECT_EQ(EntryAt(handle, 0).Type & MFT_OWNERDRAW, 0u);
}

TEST(Menus, ImagesMakeEntriesOwnerDrawnUntilTheListGoes) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* item = NewItem(menu->Items(), L"Pictured");
    item->SetImageIndex(0);
    const HMENU handle = menu->Handle();
    EXPECT_EQ(EntryAt(handle, 0).Type & MFT_OWNERDRAW, 0u);
    auto images = Make<TImageList>();
    menu->SetImages(images.get());
    EXPECT_NE(EntryAt(handle, 0).Type & MFT_OWNERDRAW, 0u);
    images.reset();
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_EQ(EntryAt(handle, 0).Type & MFT_OWNERDRAW, 0u);
}

TEST(Menus, MenuCharPicksOwnerDrawnAccelerators) {
    auto menu = Make<TPopupMenu>();
    menu->SetOwnerDraw(true);
    NewItem(menu->Items(), L"&Alpha");
    NewItem(menu->Items(), L"&Beta");
    NewItem(menu->Items(), L"&bravo");
    NewItem(menu->Items(), L"&Omega")->SetEnabled(false);
    const LPARAM handle = reinterpret_cast<LPARAM>(menu->Handle());

    TMessage alpha = MessageOf(WM_MENUCHAR, MAKEWPARAM(L'a', MF_POPUP), handle);
    ASSERT_TRUE(DispatchMenuMessage(alpha));
    EXPECT_EQ(alpha.Result, MAKELRESULT(0, MNC_EXECUTE));
    TMessage b = MessageOf(WM_MENUCHAR, MAKEWPARAM(L'B', MF_POPUP), handle);
    ASSERT_TRUE(DispatchMenuMessage(b));
    EXPECT_EQ(b.Result, MAKELRESULT(1, MNC_SELECT));
    TMessage omega = MessageOf(WM_MENUCHAR, MAKEWPARAM(L'o', MF_POPUP), handle);
    EXPECT_FALSE(DispatchMenuMessage(omega));
    TMessage none = MessageOf(WM_MENUCHAR, MAKEWPARAM(L'z', MF_POPUP), handle);
    EXPECT_FALSE(DispatchMenuMessage(none));
}

TEST(Menus, ShortCutClicksAfterThePrePopupClicks) {
    auto menu = Make<TMainMenu>();
    TRecorder recorder;
    TMenuItem* file = NewItem(menu->Items(), L"File");
    TMenuItem* refresh = NewItem(file, L"Refresh");
    refresh->SetShortCut(ShortCut(VK_F5, {}));
    refresh->SetEnabled(false);
    refresh->OnClick = TNotifyEvent(&recorder, &TRecorder::Click);
    // The submenu's pre-popup click is what enables the item.
    struct TEnabler {
        TMenuItem* Target;
        TRecorder* Log;
        void Click(TObject* Sender) {
            Log->Click(Sender);
            Target->SetEnabled(true);
        }
    } enabler{refresh, &recorder};
    file->OnClick = TNotifyEvent(&enabler, &TEnabler::Click);
    TMenuItem* quit = NewItem(file, L"Quit");
    quit->SetShortCut(ShortCut('X', {ssAlt}));
    quit->OnClick = TNotifyEvent(&recorder, &TRecorder::Click);

    EXPECT_TRUE(menu->IsShortCut(MessageOf(WM_KEYDOWN, VK_F5, 0)));
    EXPECT_EQ(recorder.Clicks, (std::vector<TObject*>{file, refresh}));
    EXPECT_TRUE(menu->IsShortCut(MessageOf(WM_SYSKEYDOWN, 'X', LPARAM{1} << 29)));
    EXPECT_EQ(recorder.Clicks.back(), quit);
    EXPECT_FALSE(menu->IsShortCut(MessageOf(WM_KEYDOWN, 'X', 0)));
    EXPECT_FALSE(menu->IsShortCut(MessageOf(WM_CHAR, VK_F5, 0)));

    // Through a merged menu as well.
    auto child = Make<TMainMenu>();
    TMenuItem* childItem = NewItem(child->Items(), L"Child");
    childItem->SetShortCut(ShortCut(VK_F7, {}));
    childItem->OnClick = TNotifyEvent(&recorder, &TRecorder::Click);
    menu->Merge(child.get());
    EXPECT_TRUE(menu->IsShortCut(MessageOf(WM_KEYDOWN, VK_F7, 0)));
    EXPECT_EQ(recorder.Clicks.back(), childItem);
}

// ---- lifetime -----------------------------------------------------------------------------------

TEST(Menus, FreedItemLeavesNoStaleCommandOrHandle) {
    auto owner = Make<TComponent>();
    TPopupMenu* menu = Construct<TPopupMenu>(owner.get());
    TMenuItem* keep = NewItem(menu->Items(), L"Keep", owner.get());
    TMenuItem* doomed = NewItem(menu->Items(), L"Doomed", owner.get());
    TMenuItem* inner = NewItem(doomed, L"Inner", owner.get());
    TRecorder recorder;
    inner->OnClick = TNotifyEvent(&recorder, &TRecorder::Click);
    inner->OnAdvancedDrawItem =
        TAdvancedMenuDrawItemEvent(+[](TObject*, TCanvas*, TRect, TOwnerDrawState) {});
    const HMENU handle = menu->Handle();
    const HMENU doomedHandle = doomed->Handle();
    const Word doomedCommand = doomed->Command();
    const Word innerCommand = inner->Command();
    const ULONG_PTR innerData = EntryAt(doomedHandle, 0).Data;
    ASSERT_EQ(GetMenuItemCount(handle), 2);

    doomed->Free(); // frees Inner with it; both leave their owner's list
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(GetMenuItemCount(handle), 1);
    EXPECT_EQ(EntryAt(handle, 0).Id, keep->Command());
    EXPECT_EQ(menu->FindItem(doomedCommand, fkCommand), nullptr);
    EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(doomedHandle), fkHandle), nullptr);
    EXPECT_FALSE(IsMenu(doomedHandle));

    TMessage command = MessageOf(WM_COMMAND, innerCommand, 0);
    EXPECT_FALSE(DispatchMenuMessage(command));
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, innerCommand, 0, 0, innerData};
    TMessage measureMessage = MessageOf(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_FALSE(DispatchMenuMessage(measureMessage));
    TMessage popup = MessageOf(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(doomedHandle), 0);
    EXPECT_FALSE(DispatchMenuMessage(popup));
    EXPECT_TRUE(recorder.Clicks.empty());

    // The owner frees the menu and the item in its own order, each once.
    owner.reset();
}

TEST(Menus, ClearFreesSubItems) {
    auto menu = Make<TPopupMenu>();
    TMenuItem* sub = NewItem(menu->Items(), L"Sub");
    const Word command = NewItem(sub, L"a")->Command();
    NewItem(sub, L"b");
    sub->Handle();
    sub->Clear();
    EXPECT_EQ(sub->Count(), 0);
    EXPECT_EQ(GetMenuItemCount(sub->Handle()), 0);
    TMessage message = MessageOf(WM_COMMAND, command, 0);
    EXPECT_FALSE(DispatchMenuMessage(message));
}

// ---- popping up ---------------------------------------------------------------------------------

// Chooses the first entry of the open popup as a user would with the keyboard: the menu's
// tracking loop reads the keys from the thread's queue, whichever window they are posted to.
void CALLBACK ChooseFirstEntry(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    KillTimer(nullptr, id);
    const HWND popup = FindWindowW(L"#32768", nullptr);
    PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYUP, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(popup, WM_KEYUP, VK_RETURN, 0);
}

// Ends a menu left open, so that a failing test does not hang in the tracking loop.
void CALLBACK CloseAnyMenu(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    KillTimer(nullptr, id);
    EndMenu();
}

struct TTrayLikeOwner {
    bool PopupOpen = false;
    int Clicks = 0;
    bool OpenWhenClicked = true;
    void ShowMainWindow(TObject*) {
        ++Clicks;
        OpenWhenClicked = PopupOpen;
    }
};

TEST(Menus, PopupItemClickRunsAfterPopupReturns) {
    DrainMessages();
    auto menu = Make<TPopupMenu>();
    TTrayLikeOwner tray;
    TMenuItem* show = NewItem(menu->Items(), L"显示主界面");
    show->OnClick = TNotifyEvent(&tray, &TTrayLikeOwner::ShowMainWindow);
    // The system asks the popup-list window to measure and draw this one.
    TMenuItem* drawn = NewItem(menu->Items(), L"Quit");
    TOwnerDrawRecorder painter;
    drawn->OnMeasureItem = TMenuMeasureItemEvent(&painter, &TOwnerDrawRecorder::Measure);
    drawn->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&painter, &TOwnerDrawRecorder::Draw);
    TSelectRecorder selections;
    const TMenuSelectHandler before =
        SetMenuSelectHandler(TMenuSelectHandler(&selections, &TSelectRecorder::Select));

    const UINT_PTR choose = SetTimer(nullptr, 0, 300, &ChooseFirstEntry);
    const UINT_PTR close = SetTimer(nullptr, 0, 5000, &CloseAnyMenu);
    tray.PopupOpen = true;
    menu->Popup(20, 20);
    tray.PopupOpen = false;
    KillTimer(nullptr, choose);
    KillTimer(nullptr, close);
    EXPECT_NE(PopupListWindow(), nullptr);
    SetMenuSelectHandler(before);
    EXPECT_EQ(tray.Clicks, 0); // not yet: the command waits in the queue
    EXPECT_GT(painter.MeasuredWidth, 0);
    EXPECT_GT(painter.Draws, 0);
    ASSERT_FALSE(selections.Selected.empty());
    EXPECT_EQ(selections.Selected.front(), show); // highlighted by the first key

    TLoopDeadline deadline(5000);
    MSG msg;
    while (tray.Clicks == 0 && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    EXPECT_FALSE(TLoopDeadline::Expired());
    EXPECT_EQ(tray.Clicks, 1);
    EXPECT_FALSE(tray.OpenWhenClicked);
    menu.reset();
    EXPECT_EQ(PopupListWindow(), nullptr);
    DrainMessages();
}

} // namespace
