// The non-client cache checked pixel by pixel: the title band in the title section's colours
// (active and inactive), the caption in its font colours, the borders from the form's border
// mask, the menu line; and the window DC an MDI form takes for a paint without a DC.
#include "FormSkinTesting.h"

#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "skin/engine/sFramePrimitives.h"

namespace {

class FormPaint : public FormSkinTest {
protected:
    void SetUp() override {
        FormSkinTest::SetUp();
        ApplySkin();
    }
    TsSkinProvider* Shown(TForm* Form) {
        auto* provider = Construct<TsSkinProvider>(Form);
        ShowActive(Form);
        SendTo(Form, WM_NCPAINT, 1);
        return provider;
    }
    // Pixels of R in the cache that have Color exactly.
    static int Count(TBitmap* Cache, const TRect& R, TColor Color) {
        int n = 0;
        for (int y = R.top; y < R.bottom; ++y)
            for (int x = R.left; x < R.right; ++x) n += PixelAt(Cache, x, y) == Color;
        return n;
    }
};

// The one menu handler of the tests: every item is 100 px wide.
struct TMenuSizes {
    void Measure(TObject*, TCanvas*, int& Width, int& Height) {
        Width = 100;
        Height = 18;
    }
    void Draw(TObject*, TCanvas*, TRect R, TOwnerDrawState State) {
        Drawn.push_back(R);
        States.push_back(State);
    }
    std::vector<TRect> Drawn;
    std::vector<TOwnerDrawState> States;
};

TEST_F(FormPaint, TitleBandBordersAndCaptionInTheSkinColours) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    TsSkinProvider* provider = Shown(form);
    for (bool active : {true, false}) {
        SCOPED_TRACE(active);
        SendTo(form, WM_NCACTIVATE, active);
        TBitmap* cache = provider->SkinData()->CacheBmp();
        ASSERT_EQ(cache->Width(), form->Width());
        ASSERT_EQ(cache->Height(), form->Height());
        const int w = cache->Width();
        const int h = cache->Height();
        const int title = WindowBorderHeight(form->Handle()) + provider->CaptionHeight();
        const TColor band = active ? TestSkin::TitleHotColor : TestSkin::TitleColor;
        const TColor edge = active ? TestSkin::EdgeActive : TestSkin::EdgeInactive;
        // A column of the title band right of the caption, left of the buttons.
        EXPECT_EQ(Count(cache, TRect{w / 2, 0, w / 2 + 1, title}, band), title);
        EXPECT_EQ(PixelAt(cache, w / 2, title), TestSkin::FormColor);
        // The border mask's sides below the title.
        const int b = TestSkin::Border;
        EXPECT_EQ(Count(cache, TRect{0, title + 5, b, h - b}, edge), b * (h - b - title - 5));
        EXPECT_EQ(Count(cache, TRect{w - b, title + 5, w, h - b}, edge), b * (h - b - title - 5));
        EXPECT_EQ(Count(cache, TRect{b, h - b, w - b, h}, edge), b * (w - 2 * b));
        // The caption is written in the title section's font colour of the state, never in the
        // other state's.
        const TRect caption{provider->IconRect().right, 0, w / 2, title};
        EXPECT_GT(Count(cache, caption, active ? TestSkin::TitleHotFont : TestSkin::TitleFont), 10);
        EXPECT_EQ(Count(cache, caption, active ? TestSkin::TitleFont : TestSkin::TitleHotFont), 0);
    }
}

TEST_F(FormPaint, MenuLineBelowTheTitle) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    auto* menu = new TMainMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption(L"File");
    menu->Items()->Add(item);
    form->SetMenu(menu);
    TsSkinProvider* provider = Shown(form);
    TBitmap* cache = provider->SkinData()->CacheBmp();
    const int title = WindowBorderHeight(form->Handle()) + provider->CaptionHeight();
    const int line = provider->MenuHeight();
    ASSERT_GT(line, 0);
    EXPECT_EQ(provider->LinesCount(), 1);
    EXPECT_EQ(Count(cache, TRect{cache->Width() / 2, title, cache->Width() / 2 + 1, title + line},
                    TestSkin::MenuLineColor),
              line);
}

TEST_F(FormPaint, MenuItemsThatDoNotFitTakeANewLine) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    form->SetWidth(250 + 2 * WindowBorderWidth(form->Handle()));
    TMenuSizes sizes;
    auto* menu = new TMainMenu(form);
    for (const wchar_t* caption : {L"One", L"Two", L"Three"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        item->OnMeasureItem = TMenuMeasureItemEvent(&sizes, &TMenuSizes::Measure);
        item->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&sizes, &TMenuSizes::Draw);
        menu->Items()->Add(item);
    }
    menu->SetOwnerDraw(true);
    form->SetMenu(menu);
    TsSkinProvider* provider = Shown(form);
    EXPECT_EQ(provider->LinesCount(), 2);
    // Each item drew itself into the cache once per paint, on the menu line, without
    // accelerator underlines.
    ASSERT_GE(sizes.Drawn.size(), 3u);
    const int title = WindowBorderHeight(form->Handle()) + provider->CaptionHeight();
    for (std::size_t i = 0; i < sizes.Drawn.size(); ++i) {
        EXPECT_GE(sizes.Drawn[i].top, title) << i;
        EXPECT_LT(sizes.Drawn[i].top, title + 2 * provider->MenuHeight()) << i;
        EXPECT_EQ(sizes.States[i], TOwnerDrawState::FromBits(0x500)) << i;
    }
}

TEST_F(FormPaint, AnMDIFormReleasesTheWindowDCOfAPaintWithoutOne) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    form->SetFormStyle(fsMDIForm);
    Shown(form);
    // While a form animates the background goes through the cache: the MDI form then paints
    // its graphic children into a window DC of its own.
    FormAnimating = true;
    SendTo(form, WM_PAINT, 0);
    FormAnimating = false;
    EXPECT_EQ(FormWindowDCsHeld(), 0);
}

} // namespace

namespace {

TEST_F(FormPaint, SizingRepaintsTheCacheAndCutsTheNewCorners) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    TsSkinProvider* provider = Shown(form);
    form->SetBounds(form->Left(), form->Top(), 400, 260);
    SendTo(form, WM_NCPAINT, 1);
    TBitmap* cache = provider->SkinData()->CacheBmp();
    EXPECT_EQ(cache->Width(), 400);
    EXPECT_EQ(cache->Height(), 260);
    EXPECT_EQ(PixelAt(cache, 0, 200), TestSkin::EdgeActive);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(form->Handle(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 399, 259));
    EXPECT_TRUE(PtInRegion(region, 398, 258));
    EXPECT_TRUE(PtInRegion(region, 320, 240));
    DeleteObject(region);
}

TEST_F(FormPaint, HidingLetsTheCacheGoAndShowingPaintsItAgain) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    TsSkinProvider* provider = Shown(form);
    form->Hide();
    EXPECT_EQ(provider->SkinData()->CacheBmp()->Width(), 0);
    ShowActive(form);
    SendTo(form, WM_NCPAINT, 1);
    TBitmap* cache = provider->SkinData()->CacheBmp();
    EXPECT_EQ(cache->Width(), form->Width());
    EXPECT_EQ(PixelAt(cache, form->Width() / 2, 1), TestSkin::TitleHotColor);
}

TEST_F(FormPaint, ANewCaptionIsWrittenAtOnce) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    TsSkinProvider* provider = Shown(form);
    const int title = WindowBorderHeight(form->Handle()) + provider->CaptionHeight();
    const TRect caption{provider->IconRect().right, 0, form->Width() / 2, title};
    form->SetCaption(L"");
    EXPECT_EQ(Count(provider->SkinData()->CacheBmp(), caption, TestSkin::TitleHotFont), 0);
    form->SetCaption(L"Written again");
    EXPECT_GT(Count(provider->SkinData()->CacheBmp(), caption, TestSkin::TitleHotFont), 10);
}

// A caption plate of a fully transparent "CAPTION" section shows the title band under it (not
// the band's top-left corner, where the icon is).
TEST_F(FormPaint, ATransparentCaptionPlateShowsTheBandUnderIt) {
    TStringList common;
    common.SetText(L"[CAPTION]\r\nTRANSPARENCY=100\r\nHOTTRANSPARENCY=100\r\n");
    Manager->SetCommonSections(&common);
    ASSERT_GE(Manager->GetSkinIndex(L"CAPTION"), 0);
    TForm* form = MakeForm(bsSizeable, 320, 220);
    form->SetCaption(L" ");
    TsSkinProvider* provider = Shown(form);
    ASSERT_TRUE(provider->IconVisible());
    const int title = WindowBorderHeight(form->Handle()) + provider->CaptionHeight();
    const TRect caption{provider->IconRect().right, 0, form->Width() / 2, title};
    EXPECT_EQ(Count(provider->SkinData()->CacheBmp(), caption, TestSkin::TitleHotColor),
              caption.Width() * caption.Height());
}

// The form's own icon, when it has one, is the title icon, at the icon's place in the band.
TEST_F(FormPaint, TheFormsIconIsDrawnInTheTitle) {
    constexpr TColor iconColor = 0x2040C0;
    TBitmap* colour = new TBitmap(16, 16, pf24bit);
    PaintSolidRect(colour->Canvas()->Handle(), TRect{0, 0, 16, 16}, iconColor);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    HDC maskDC = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(maskDC, mask);
    PatBlt(maskDC, 0, 0, 16, 16, BLACKNESS); // every pixel of the icon is opaque
    SelectObject(maskDC, old);
    DeleteDC(maskDC);
    ICONINFO info{TRUE, 0, 0, mask, colour->Handle()};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    colour->Free();
    ASSERT_NE(icon, nullptr);
    TForm* form = MakeForm(bsSizeable, 320, 220);
    form->Icon()->SetHandle(icon);
    TsSkinProvider* provider = Shown(form);
    ASSERT_TRUE(provider->IconVisible());
    const TRect r = provider->IconRect();
    ASSERT_GT(r.Width(), 0);
    EXPECT_EQ(Count(provider->SkinData()->CacheBmp(), r, iconColor), r.Width() * r.Height());
    // Without the icon shown the band is the title's colour there.
    provider->SetShowAppIcon(false);
    SendTo(form, WM_NCPAINT, 1);
    EXPECT_EQ(Count(provider->SkinData()->CacheBmp(), r, iconColor), 0);
}

} // namespace

namespace {

TEST_F(FormPaint, TheSizeGripIsPaintedAndHitTested) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    TsSkinProvider* provider = Construct<TsSkinProvider>(form);
    provider->SetGripMode(gmRightBottom);
    ShowActive(form);
    SendTo(form, WM_NCPAINT, 1);
    TBitmap* target = new TBitmap(form->Width(), form->Height(), pf24bit);
    SendTo(form, WM_PRINT, reinterpret_cast<WPARAM>(target->Canvas()->Handle()),
           PRF_NONCLIENT | PRF_CLIENT);
    const int border = WindowBorderWidth(form->Handle());
    const int right = form->Width() - border - 2;
    const int bottom = form->Height() - border - 2;
    const int x = right;
    const int y = bottom;
    EXPECT_EQ(PixelAt(target, x, y), TestSkin::GripColor);
    EXPECT_EQ(PixelAt(target, x - TestSkin::GripSize, y), TestSkin::FormColor);
    target->Free();
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(SendTo(form, WM_NCHITTEST, 0, MAKELPARAM(r.left + right, r.top + bottom)),
              HTBOTTOMRIGHT);
    EXPECT_EQ(SendTo(form, WM_NCHITTEST, 0, MAKELPARAM(r.left + right - 20, r.top + bottom)),
              HTCLIENT);
}

// Without a grip, the box between the ends of the form's two scroll bars sizes the form.
TEST_F(FormPaint, TheBoxBetweenBothScrollBarsSizesTheForm) {
    TForm* form = MakeForm(bsSizeable, 320, 220);
    auto* distant = new TPanel(form);
    distant->SetParent(form);
    distant->SetBounds(600, 500, 40, 40);
    form->SetAutoScroll(true);
    TsSkinProvider* provider = Shown(form);
    HWND wnd = form->Handle();
    const LONG style = GetWindowLongW(wnd, GWL_STYLE);
    ASSERT_TRUE((style & WS_VSCROLL) && (style & WS_HSCROLL)) << "both bars are shown";
    // The bars' handler learns that both bars show, and the frame's cache takes the form's
    // size, when the frame is painted: paint it now rather than whenever the queue gets to it.
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    RECT r;
    GetWindowRect(wnd, &r);
    const int border = WindowBorderWidth(wnd);
    const int x = r.right - border - 1;
    const int y = r.bottom - border - 1;
    // The provider's own answer, before the bars' handler or the system is asked.
    TMessage corner{WM_NCHITTEST, 0, MAKELPARAM(x, y), 0};
    EXPECT_EQ(provider->HTProcess(corner), HTBOTTOMRIGHT);
    TMessage inside{WM_NCHITTEST, 0, MAKELPARAM(x - 40, y - 40), 0};
    EXPECT_EQ(provider->HTProcess(inside), HTCLIENT);
    EXPECT_EQ(SendTo(form, WM_NCHITTEST, 0, MAKELPARAM(x, y)), HTBOTTOMRIGHT);
}

} // namespace
