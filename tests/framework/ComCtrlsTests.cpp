#include "framework/ComCtrls.h"

#include "ControlTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

TOwned<TBitmap> PaintedCopy(TWinControl* control) {
    TOwned<TBitmap> image(new TBitmap(control->Width(), control->Height(), pf32bit));
    control->PaintTo(image->Canvas()->Handle(), 0, 0);
    return image;
}

UnicodeString StatusText(HWND bar, int part) {
    wchar_t text[256] = {};
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<int> StatusParts(HWND bar) {
    int edges[16] = {};
    const auto count = SendMessageW(bar, SB_GETPARTS, 16, reinterpret_cast<LPARAM>(edges));
    return std::vector<int>(edges, edges + count);
}

TStatusBar* MakeStatusBar(TWinControl* host, std::vector<int> widths) {
    auto* bar = new TStatusBar(host);
    bar->SetParent(host);
    for (std::size_t index = 0; index < widths.size(); ++index) {
        TStatusPanel* panel = bar->Panels()->Add();
        panel->SetWidth(widths[index]);
        panel->SetText(L"panel " + std::to_wstring(index));
    }
    return bar;
}

} // namespace

// ---- status bar --------------------------------------------------------------------------------

TEST(ComCtrls, StatusBarPanelsBecomeTheWindowsParts) {
    auto host = MakeHost(300, 100);
    TStatusBar* bar = MakeStatusBar(host.get(), {50, 80, 60});
    bar->Panels()->Items(1)->SetAlignment(taCenter);
    bar->Panels()->Items(2)->SetAlignment(taRightJustify);
    HWND wnd = bar->Handle();
    EXPECT_EQ(bar->BoundsRect(), TRect(0, 81, 300, 100)) << "aligned to the bottom";
    EXPECT_EQ(StatusParts(wnd), (std::vector<int>{50, 130, -1}));
    EXPECT_EQ(StatusText(wnd, 0), L"panel 0");
    EXPECT_EQ(StatusText(wnd, 1), L"\tpanel 1");
    EXPECT_EQ(StatusText(wnd, 2), L"\t\tpanel 2");

    bar->Panels()->Items(0)->SetWidth(70);
    bar->Panels()->Items(2)->SetText(L"changed");
    EXPECT_EQ(StatusParts(wnd), (std::vector<int>{70, 150, -1}));
    EXPECT_EQ(StatusText(wnd, 2), L"\t\tchanged");
    bar->Panels()->Delete(0);
    EXPECT_EQ(StatusParts(wnd), (std::vector<int>{80, -1}));
    EXPECT_EQ(StatusText(wnd, 0), L"\tpanel 1");
}

TEST(ComCtrls, StatusBarLastPartFollowsTheWidth) {
    auto host = MakeHost(300, 100);
    TStatusBar* bar = MakeStatusBar(host.get(), {50, 80});
    bar->SetSizeGrip(false);
    RECT before{};
    SendMessageW(bar->Handle(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&before));
    host->SetWidth(450);
    EXPECT_EQ(bar->Width(), 450);
    RECT after{};
    SendMessageW(bar->Handle(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&after));
    EXPECT_LE(before.right, 300);
    EXPECT_GT(after.right, 400);
}

TEST(ComCtrls, StatusBarSizeGripOnlyOnASizableWindow) {
    for (bool sizable : {false, true}) {
        auto host = MakeHost(300, 100);
        HWND hostWnd = host->Handle();
        if (sizable) // sizing borders are the forms' business; the window style is what counts
            SetWindowLongPtrW(hostWnd, GWL_STYLE,
                              GetWindowLongPtrW(hostWnd, GWL_STYLE) | WS_THICKFRAME);
        TStatusBar* bar = MakeStatusBar(host.get(), {50});
        EXPECT_EQ((GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & SBARS_SIZEGRIP) != 0, sizable);
        bar->SetSizeGrip(false);
        EXPECT_EQ(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & SBARS_SIZEGRIP, 0);
    }
}

TEST(ComCtrls, StatusBarSimplePanelShowsSimpleText) {
    auto host = MakeHost(300, 100);
    TStatusBar* bar = MakeStatusBar(host.get(), {50, 80});
    bar->SetSimpleText(L"Ready"); // before the window exists
    bar->SetSimplePanel(true);
    HWND wnd = bar->Handle();
    EXPECT_EQ(SendMessageW(wnd, SB_ISSIMPLE, 0, 0), TRUE);
    EXPECT_EQ(StatusText(wnd, 0), L"Ready");
    bar->SetSimpleText(L"Busy");
    EXPECT_EQ(StatusText(wnd, 0), L"Busy");
    bar->SetSimplePanel(false);
    EXPECT_EQ(SendMessageW(wnd, SB_ISSIMPLE, 0, 0), FALSE);
    EXPECT_EQ(StatusText(wnd, 0), L"panel 0");
}

namespace {

struct TPanelDrawLog {
    std::vector<TStatusPanel*> Panels;
    std::vector<TRect> Rects;
    void OnDrawPanel(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect) {
        Panels.push_back(Panel);
        Rects.push_back(Rect);
        StatusBar->Canvas()->Brush()->SetColor(clRed);
        StatusBar->Canvas()->FillRect(Rect);
    }
};

} // namespace

TEST(ComCtrls, StatusBarOwnerDrawnPanelReachesOnDrawPanel) {
    // The system draws the parts of a status bar only while its window is visible: the host is
    // shown far off the screen, without activation, for this test.
    auto host = MakeHost(300, 100);
    host->SetBounds(-3000, -3000, 300, 100);
    ShowWindow(host->Handle(), SW_SHOWNOACTIVATE);
    TStatusBar* bar = MakeStatusBar(host.get(), {50, 80, 60});
    TStatusPanel* drawn = bar->Panels()->Items(1);
    drawn->SetStyle(psOwnerDraw);
    TPanelDrawLog log;
    bar->OnDrawPanel = TDrawPanelEvent(&log, &TPanelDrawLog::OnDrawPanel);
    auto image = PaintedCopy(bar);
    ASSERT_EQ(log.Panels.size(), 1u);
    EXPECT_EQ(log.Panels[0], drawn);
    const TRect& rect = log.Rects[0];
    EXPECT_GE(rect.left, 50);
    EXPECT_LE(rect.right, 130);
    EXPECT_EQ(PixelAt(*image, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2), clRed);
    EXPECT_NE(PixelAt(*image, 20, 10), clRed);
}

// ---- tool bar ----------------------------------------------------------------------------------

namespace {

struct TToolBarFixture {
    TOwned<TWinControl> Host = MakeHost();
    TToolBar* Bar = new TToolBar(Host.get());
    TToolButton* First = new TToolButton(Host.get());
    TToolButton* Separator = new TToolButton(Host.get());
    TToolButton* Check = new TToolButton(Host.get());

    TToolBarFixture() {
        Bar->SetParent(Host.get());
        Separator->SetStyle(tbsSeparator);
        Separator->SetWidth(8);
        Check->SetStyle(tbsCheck);
        for (TToolButton* button : {First, Separator, Check}) button->SetParent(Bar);
        Bar->HandleNeeded();
    }
};

struct TClickLog {
    std::vector<TObject*> Senders;
    void OnClick(TObject* Sender) { Senders.push_back(Sender); }
};

void ClickAt(HWND wnd, TPoint point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(wnd, WM_LBUTTONUP, 0, at);
}

TPoint CentreOf(const TControl* control) {
    return {control->Left() + control->Width() / 2, control->Top() + control->Height() / 2};
}

} // namespace

TEST(ComCtrls, ToolButtonsAreTheSystemButtonsInChildOrder) {
    TToolBarFixture f;
    HWND wnd = f.Bar->Handle();
    ASSERT_EQ(SendMessageW(wnd, TB_BUTTONCOUNT, 0, 0), 3);
    ASSERT_EQ(f.Bar->ButtonCount(), 3);
    const TToolButton* expected[] = {f.First, f.Separator, f.Check};
    for (int index = 0; index < 3; ++index) {
        TBBUTTON system{};
        SendMessageW(wnd, TB_GETBUTTON, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&system));
        EXPECT_EQ(reinterpret_cast<TToolButton*>(system.dwData), expected[index]) << index;
        EXPECT_EQ(f.Bar->Buttons(index), expected[index]);
        EXPECT_EQ(expected[index]->Index(), index);
        EXPECT_EQ(system.idCommand, expected[index]->CommandId()) << index;
        RECT rect{};
        SendMessageW(wnd, TB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ(expected[index]->BoundsRect(),
                  TRect(rect.left, rect.top, rect.right, rect.bottom))
            << index;
    }
    TBBUTTON separator{};
    SendMessageW(wnd, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&separator));
    EXPECT_TRUE(separator.fsStyle & BTNS_SEP);
    EXPECT_LT(f.First->Left(), f.Check->Left());

    f.Separator->Free(); // the bar follows its children
    EXPECT_EQ(SendMessageW(wnd, TB_BUTTONCOUNT, 0, 0), 2);
    EXPECT_EQ(f.Check->Index(), 1);
}

TEST(ComCtrls, ToolBarImagesAndStyleSurviveTheWindowBeingMadeAgain) {
    TToolBarFixture f;
    auto* images = new TImageList(f.Host.get());
    auto* hot = new TImageList(f.Host.get());
    f.Bar->SetImages(images);
    f.Bar->SetHotImages(hot);
    f.Check->SetImageIndex(3);
    f.Bar->SetFlat(true); // a window style: the window is made again
    HWND wnd = f.Bar->Handle();
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_STYLE) & TBSTYLE_FLAT);
    EXPECT_EQ(SendMessageW(wnd, TB_BUTTONCOUNT, 0, 0), 3);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(wnd, TB_GETIMAGELIST, 0, 0)),
              images->Handle());
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(wnd, TB_GETHOTIMAGELIST, 0, 0)),
              hot->Handle());
    TBBUTTON system{};
    SendMessageW(wnd, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&system));
    EXPECT_EQ(system.iBitmap, 3);
    f.Check->SetImageIndex(1);
    SendMessageW(wnd, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&system));
    EXPECT_EQ(system.iBitmap, 1);
    images->Free();
    EXPECT_EQ(f.Bar->Images(), nullptr);
    EXPECT_EQ(SendMessageW(wnd, TB_GETIMAGELIST, 0, 0), 0);
}

TEST(ComCtrls, ToolButtonClickComesFromTheSystemButton) {
    TToolBarFixture f;
    TClickLog clicks;
    f.First->OnClick = TNotifyEvent(&clicks, &TClickLog::OnClick);
    f.Check->OnClick = TNotifyEvent(&clicks, &TClickLog::OnClick);
    HWND wnd = f.Bar->Handle();

    ClickAt(wnd, CentreOf(f.Check));
    EXPECT_TRUE(f.Check->Down());
    ClickAt(wnd, CentreOf(f.First));
    ClickAt(wnd, CentreOf(f.Check));
    EXPECT_FALSE(f.Check->Down());
    EXPECT_EQ(clicks.Senders, (std::vector<TObject*>{f.Check, f.First, f.Check}));

    f.First->SetEnabled(false);
    ClickAt(wnd, CentreOf(f.First));
    EXPECT_EQ(clicks.Senders.size(), 3u) << "a disabled button does not click";
}

namespace {

struct TToolDrawLog {
    std::vector<TToolButton*> Buttons;
    int BarCalls = 0;
    void OnDrawBar(TToolBar*, const TRect&, TCustomDrawStage Stage, bool& DefaultDraw) {
        if (Stage == cdPrePaint) ++BarCalls;
        DefaultDraw = true;
    }
    void OnDrawButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState, TCustomDrawStage,
                      TTBCustomDrawFlags&, bool& DefaultDraw) {
        Buttons.push_back(Button);
        Sender->Canvas()->Brush()->SetColor(clRed);
        Sender->Canvas()->FillRect(Button->BoundsRect());
        DefaultDraw = false;
    }
};

} // namespace

TEST(ComCtrls, ToolBarCustomDrawEventsPaintTheButtons) {
    TToolBarFixture f;
    TToolDrawLog log;
    f.Bar->OnAdvancedCustomDraw = TTBAdvancedCustomDrawEvent(&log, &TToolDrawLog::OnDrawBar);
    f.Bar->OnAdvancedCustomDrawButton =
        TTBAdvancedCustomDrawBtnEvent(&log, &TToolDrawLog::OnDrawButton);
    auto image = PaintedCopy(f.Bar);
    EXPECT_EQ(log.BarCalls, 1);
    EXPECT_NE(std::find(log.Buttons.begin(), log.Buttons.end(), f.First), log.Buttons.end());
    EXPECT_NE(std::find(log.Buttons.begin(), log.Buttons.end(), f.Check), log.Buttons.end());
    // the bar's client area starts below its top edge
    RECT window;
    GetWindowRect(f.Bar->Handle(), &window);
    POINT origin{0, 0};
    ClientToScreen(f.Bar->Handle(), &origin);
    const TPoint centre = CentreOf(f.First);
    EXPECT_EQ(PixelAt(*image, centre.x + origin.x - window.left, centre.y + origin.y - window.top),
              clRed);
}

// ---- tab controls ------------------------------------------------------------------------------

namespace {

UnicodeString TabText(HWND wnd, int index) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(wnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

struct TTabEvents {
    int Changes = 0;
    bool Allow = true;
    void OnChange(TObject*) { ++Changes; }
    void OnChanging(TObject*, bool& AllowChange) { AllowChange = Allow; }
};

void ClickTab(HWND wnd, int index) {
    RECT rect{};
    SendMessageW(wnd, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    ClickAt(wnd, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

} // namespace

TEST(ComCtrls, PageControlShowsThePageOfTheSelectedTab) {
    auto host = MakeHost();
    auto* pages = new TPageControl(host.get());
    pages->SetParent(host.get());
    auto* first = new TTabSheet(host.get());
    first->SetCaption(L"First");
    first->SetPageControl(pages);
    auto* second = new TTabSheet(host.get());
    second->SetCaption(L"Second");
    second->SetPageControl(pages);
    HWND wnd = pages->Handle();

    EXPECT_EQ(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(TabText(wnd, 1), L"Second");
    EXPECT_EQ(pages->ActivePage(), first);
    EXPECT_TRUE(first->Visible());
    EXPECT_FALSE(second->Visible());
    EXPECT_EQ(first->BoundsRect(), pages->DisplayRect());

    pages->SetActivePage(second);
    EXPECT_EQ(SendMessageW(wnd, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(second->Visible());
    EXPECT_FALSE(first->Visible());

    TTabEvents events;
    pages->OnChange = TNotifyEvent(&events, &TTabEvents::OnChange);
    pages->OnChanging = TTabChangingEvent(&events, &TTabEvents::OnChanging);
    events.Allow = false;
    ClickTab(wnd, 0);
    EXPECT_EQ(pages->ActivePage(), second) << "OnChanging refused";
    events.Allow = true;
    ClickTab(wnd, 0);
    EXPECT_EQ(pages->ActivePage(), first);
    EXPECT_EQ(events.Changes, 1);

    second->SetCaption(L"Zwei");
    EXPECT_EQ(TabText(wnd, 1), L"Zwei");
    first->SetTabVisible(false);
    EXPECT_EQ(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(TabText(wnd, 0), L"Zwei");
    first->Free();
    EXPECT_EQ(pages->PageCount(), 1);
    EXPECT_EQ(pages->ActivePage(), second) << "the next page takes the freed one's place";
}

TEST(ComCtrls, TabControlTabsAndImages) {
    auto host = MakeHost();
    auto* images = new TImageList(host.get());
    auto* tabs = new TTabControl(host.get());
    tabs->SetParent(host.get());
    tabs->Tabs()->Add(L"a");
    tabs->Tabs()->Add(L"b");
    tabs->SetImages(images);
    HWND wnd = tabs->Handle();
    tabs->Tabs()->Add(L"c");
    EXPECT_EQ(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(TabText(wnd, 2), L"c");
    EXPECT_EQ(tabs->TabIndex(), 0);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(wnd, TCM_GETIMAGELIST, 0, 0)),
              images->Handle());
    images->Free();
    EXPECT_EQ(tabs->Images(), nullptr) << "a freed list is forgotten";
    EXPECT_EQ(SendMessageW(wnd, TCM_GETIMAGELIST, 0, 0), 0);
}

// ---- list and tree views -----------------------------------------------------------------------

TEST(ComCtrls, ListViewStyleColumnsImagesAndColour) {
    auto host = MakeHost();
    auto* images = new TImageList(host.get());
    auto* list = new TListView(host.get());
    list->SetParent(host.get());
    list->SetSmallImages(images);
    TListColumn* name = list->Columns()->Add();
    name->SetCaption(L"Name");
    name->SetWidth(120);
    TListColumn* size = list->Columns()->Add();
    size->SetWidth(60);
    size->SetImageIndex(2);
    HWND wnd = list->Handle();
    list->SetViewStyle(vsReport);
    list->SetColor(clYellow);

    EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, 0, 0), 120);
    EXPECT_EQ(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, 1, 0), 60);
    LVCOLUMNW column{};
    column.mask = LVCF_IMAGE;
    SendMessageW(wnd, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(column.iImage, 2);
    EXPECT_EQ(static_cast<TColor>(SendMessageW(wnd, LVM_GETBKCOLOR, 0, 0)), clYellow);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(wnd, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
              images->Handle());

    size->SetWidth(90); // a change after the window exists
    EXPECT_EQ(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, 1, 0), 90);
    list->Columns()->Delete(0);
    EXPECT_EQ(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, 0, 0), 90);
}

namespace {

struct TTreeDrawLog {
    int Calls = 0;
    bool Default = true;
    void OnCustomDraw(TTreeView*, const TRect&, bool& DefaultDraw) {
        ++Calls;
        DefaultDraw = Default;
    }
};

bool HoldsColour(TBitmap& image, TColor colour) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (PixelAt(image, x, y) == colour) return true;
    return false;
}

} // namespace

TEST(ComCtrls, TreeViewColoursAndCustomDraw) {
    for (bool defaultDraw : {true, false}) {
        auto host = MakeHost();
        auto* tree = new TTreeView(host.get());
        tree->SetBorderStyle(bsNone);
        tree->SetParent(host.get());
        tree->SetColor(clYellow);
        tree->Font()->SetColor(clBlue);
        tree->Font()->SetQuality(fqNonAntialiased); // exact colours to look for
        TTreeDrawLog log;
        log.Default = defaultDraw;
        tree->OnCustomDraw = TTVCustomDrawEvent(&log, &TTreeDrawLog::OnCustomDraw);
        HWND wnd = tree->Handle();
        EXPECT_EQ(static_cast<TColor>(SendMessageW(wnd, TVM_GETBKCOLOR, 0, 0)), clYellow);
        EXPECT_EQ(static_cast<TColor>(SendMessageW(wnd, TVM_GETTEXTCOLOR, 0, 0)), clBlue);
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        wchar_t text[] = L"WWWWWW";
        insert.item.pszText = text;
        SendMessageW(wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));

        auto image = PaintedCopy(tree);
        EXPECT_GE(log.Calls, 1);
        EXPECT_EQ(HoldsColour(*image, clBlue), defaultDraw)
            << "the item's text drawn by the system";
    }
}

TEST(ComCtrls, UpDownOrientationIsTheWindowStyle) {
    auto host = MakeHost();
    auto* arrows = new TUpDown(host.get());
    arrows->SetParent(host.get());
    EXPECT_EQ(GetWindowLongPtrW(arrows->Handle(), GWL_STYLE) & UDS_HORZ, 0);
    arrows->SetOrientation(udHorizontal);
    EXPECT_EQ(GetWindowLongPtrW(arrows->Handle(), GWL_STYLE) & UDS_HORZ, UDS_HORZ);
}
