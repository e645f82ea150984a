// The header's cells in their states (normal, hot, pressed, disabled, drop mark), the classic
// edge styles, owner drawing (plain and advanced), glyph and check box placement, the sort
// arrow inside the margins, and wrapped captions; the word wrapping itself.
#include "WindowFixture.h"

#include <algorithm>

namespace {

using namespace vtree_test;

// The header's rows lie above the client area: y = -11 is the middle of the 22-pixel header.
constexpr int HeaderY = -11;

// The bounding box of the pixels of a colour inside R (empty when there are none).
TRect BoxOf(TBitmap& Bitmap, const TRect& R, TColor Color) {
    TRect box{R.right, R.bottom, R.left, R.top};
    for (int y = R.top; y < R.bottom; ++y)
        for (int x = R.left; x < R.right; ++x)
            if (PixelAt(Bitmap, x, y) == Color) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box.left < box.right ? box : TRect{};
}

class VTHeaderPaint : public TWindowFixture {
protected:
    VTHeaderPaint() { ApplyClientProfile(); } // columns 150, 80, 70, 55; XP style, 22 high

    TVirtualTreeColumn* Column(int I) { return Header().Columns()->Items(I); }
    // The cell of a column in the header bitmap (window coordinates).
    TRect Cell(int I) {
        const TRect header = Window->HeaderRect();
        const int left = header.left + Column(I)->Left();
        return {left, header.top, left + Column(I)->Width(), header.bottom};
    }
    LPARAM Screen(int X, int Y) {
        POINT p{X, Y};
        ::ClientToScreen(Window->Handle(), &p);
        return MAKELPARAM(p.x, p.y);
    }
    // A left press on the header at client x (the column gets pressed).
    void Press(int X) { Window->Perform(WM_NCLBUTTONDOWN, HTBORDER, Screen(X, HeaderY)); }
    void Release(int X) { Window->Perform(WM_LBUTTONUP, 0, MAKELPARAM(X, HeaderY & 0xFFFF)); }
};

TEST_F(VTHeaderPaint, XPStyleNormalCellHasSeparatorAndShadedBottomLines) {
    auto bitmap = PrintHeader();
    const TRect cell = Cell(0);
    EXPECT_EQ(Hex(PixelAt(*bitmap, cell.left + 100, cell.top + 2)), Hex(MakeColor(235, 234, 219)));
    EXPECT_EQ(Hex(PixelAt(*bitmap, cell.left + 100, cell.bottom - 3)),
              Hex(MakeColor(224, 222, 207)));
    EXPECT_EQ(Hex(PixelAt(*bitmap, cell.left + 100, cell.bottom - 2)),
              Hex(MakeColor(213, 210, 195)));
    EXPECT_EQ(Hex(PixelAt(*bitmap, cell.left + 100, cell.bottom - 1)),
              Hex(MakeColor(203, 199, 184)));
    EXPECT_EQ(Hex(PixelAt(*bitmap, cell.right - 2, cell.top + 5)), Hex(MakeColor(199, 197, 178)));
    EXPECT_EQ(Hex(PixelAt(*bitmap, cell.right - 1, cell.top + 5)), Hex(clWhite));
}

TEST_F(VTHeaderPaint, HotCellHasItsFaceUnderlineAndHotCaptionColour) {
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoHotTrack});
    Window->Colors()->SetHeaderHotColor(clRed);
    Header().Columns()->SetHoverIndex(0);
    auto bitmap = PrintHeader();
    const TRect hot = Cell(0), normal = Cell(2);
    EXPECT_EQ(Hex(PixelAt(*bitmap, hot.left + 100, hot.top + 2)), Hex(MakeColor(250, 248, 243)));
    EXPECT_GT(CountColor(*bitmap, {hot.left, hot.bottom - 3, hot.right, hot.bottom}, clYellow), 100)
        << "the hot underline along the cell's bottom";
    EXPECT_GT(CountColor(*bitmap, hot, clRed), 0) << "caption in HeaderHotColor";
    EXPECT_EQ(CountColor(*bitmap, normal, clRed), 0);
    EXPECT_EQ(Hex(PixelAt(*bitmap, normal.left + 40, normal.top + 2)),
              Hex(MakeColor(235, 234, 219)));

    Header().SetOptions(Header().Options() - TVTHeaderOptions{hoHotTrack});
    auto plain = PrintHeader();
    EXPECT_EQ(CountColor(*plain, hot, clRed), 0) << "hover is painted only with hoHotTrack";
}

TEST_F(VTHeaderPaint, PressedCellIsFramedAndItsContentMovesOnePixel) {
    auto normal = PrintHeader();
    Press(150 + 40);
    auto pressed = PrintHeader();
    Release(150 + 40);
    const TRect cell = Cell(1);
    EXPECT_EQ(Hex(PixelAt(*pressed, cell.left + 60, cell.top + 5)), Hex(MakeColor(222, 223, 216)));
    EXPECT_EQ(Hex(PixelAt(*pressed, cell.left, cell.top + 10)), Hex(MakeColor(165, 165, 151)));
    EXPECT_EQ(Hex(PixelAt(*pressed, cell.left + 1, cell.top + 10)), Hex(MakeColor(193, 194, 184)));
    const TColor text = ColorToRGB(clWindowText);
    const TRect before = BoxOf(*normal, cell, text), after = BoxOf(*pressed, cell, text);
    ASSERT_FALSE(IsRectEmpty(&before));
    EXPECT_EQ(after.left, before.left + 1) << "caption and arrow move right";
    EXPECT_EQ(after.top, before.top + 1) << "and down";
    EXPECT_EQ(after.right, before.right + 1);
}

TEST_F(VTHeaderPaint, DisabledColumnCaptionIsEmbossed) {
    Column(0)->SetOptions(Column(0)->Options() - TVTColumnOptions{coEnabled});
    auto bitmap = PrintHeader();
    const TRect cell = Cell(0);
    EXPECT_EQ(CountColor(*bitmap, cell, ColorToRGB(clWindowText)), 0);
    const TRect shadow =
        BoxOf(*bitmap, {cell.left, cell.top, cell.right, cell.bottom - 3}, ColorToRGB(clBtnShadow));
    const TRect light = BoxOf(*bitmap, {cell.left, cell.top, cell.right - 3, cell.bottom - 3},
                              ColorToRGB(clBtnHighlight));
    ASSERT_FALSE(IsRectEmpty(&shadow));
    EXPECT_EQ(light.left, shadow.left + 1) << "the highlight copy lies one pixel right";
    EXPECT_EQ(light.bottom, shadow.bottom + 1) << "and one down";
}

TEST_F(VTHeaderPaint, ClassicEdgesFollowTheStateAndTheLastCellsRightBorder) {
    Header().SetStyle(hsFlatButtons);
    Header().SetSortColumn(-1);
    auto normal = PrintHeader();
    Press(20);
    auto pressed = PrintHeader();
    Release(20);
    const TRect cell = Cell(0);
    EXPECT_EQ(Hex(PixelAt(*normal, cell.left, cell.top)), Hex(ColorToRGB(clBtnHighlight)))
        << "raised: light top-left";
    EXPECT_EQ(Hex(PixelAt(*pressed, cell.left, cell.top)), Hex(ColorToRGB(clBtnShadow)))
        << "sunken: dark top-left";

    // With auto-resize and a bevel the last cell leaves its right border to the frame.
    const TRect last = Cell(3);
    const TColor withBorder = PixelAt(*normal, last.right - 1, last.top + 10);
    Window->SetBevelKind(bkFlat);
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoAutoResize});
    auto bevelled = PrintHeader();
    const TRect lastNow = Cell(3), first = Cell(0);
    EXPECT_NE(Hex(PixelAt(*bevelled, lastNow.right - 1, lastNow.top + 10)), Hex(withBorder));
    EXPECT_EQ(Hex(PixelAt(*bevelled, first.right - 1, first.top + 10)), Hex(withBorder))
        << "other cells keep theirs";
}

struct THeaderOwner {
    std::vector<TColumnIndex> Drawn;
    std::vector<std::pair<TColumnIndex, THeaderPaintElements>> Advanced;
    TRect OwnerRect;
    TRect TextRect;
    bool SortShown = false;
    void OnHeaderDraw(TVTHeader*, TCanvas* Canvas, TVirtualTreeColumn* Column, const TRect& R, bool,
                      bool, TVTDropMarkMode) {
        Drawn.push_back(Column->Index());
        OwnerRect = R;
        Canvas->Brush()->SetColor(clLime);
        Canvas->FillRect(R);
    }
    void OnQuery(TVTHeader*, THeaderPaintInfo& Info, THeaderPaintElements& Elements) {
        if (!Info.Column)
            Elements = {hpeBackground};
        else if (Info.Column->Index() == 1)
            Elements = {hpeText, hpeSortGlyph};
    }
    void OnAdvanced(TVTHeader*, THeaderPaintInfo& Info, THeaderPaintElements Elements) {
        Advanced.emplace_back(Info.Column ? Info.Column->Index() : NoColumn, Elements);
        if (!Info.Column) {
            Info.TargetCanvas->Brush()->SetColor(clAqua);
            Info.TargetCanvas->FillRect(Info.PaintRectangle);
        } else {
            TextRect = Info.TextRectangle;
            SortShown = Info.ShowSortGlyph;
        }
    }
};

TEST_F(VTHeaderPaint, PlainOwnerDrawPaintsOwnerDrawColumnsWhole) {
    THeaderOwner owner;
    Window->OnHeaderDraw = TVTHeaderPaintEvent(&owner, &THeaderOwner::OnHeaderDraw);
    Column(2)->SetStyle(vsOwnerDraw);
    auto without = PrintHeader();
    EXPECT_TRUE(owner.Drawn.empty()) << "only with hoOwnerDraw";
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoOwnerDraw});
    auto bitmap = PrintHeader();
    ASSERT_EQ(owner.Drawn, std::vector<TColumnIndex>{2});
    EXPECT_EQ(owner.OwnerRect, Cell(2));
    EXPECT_EQ(CountColor(*bitmap, Cell(2), clLime), Cell(2).Width() * Cell(2).Height());
    EXPECT_GT(CountColor(*bitmap, Cell(0), ColorToRGB(clWindowText)), 0) << "others as usual";
}

TEST_F(VTHeaderPaint, AdvancedOwnerDrawTakesOverTheElementsItNames) {
    THeaderOwner owner;
    Window->OnHeaderDraw = TVTHeaderPaintEvent(&owner, &THeaderOwner::OnHeaderDraw);
    Window->OnHeaderDrawQueryElements =
        TVTHeaderPaintQueryElementsEvent(&owner, &THeaderOwner::OnQuery);
    Window->OnAdvancedHeaderDraw = TVTAdvancedHeaderPaintEvent(&owner, &THeaderOwner::OnAdvanced);
    Column(2)->SetStyle(vsOwnerDraw);
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoOwnerDraw});
    auto bitmap = PrintHeader();
    EXPECT_TRUE(owner.Drawn.empty()) << "advanced drawing excludes the plain event";
    ASSERT_EQ(owner.Advanced.size(), 2u);
    EXPECT_EQ(owner.Advanced[0].first, NoColumn);
    EXPECT_EQ(owner.Advanced[0].second, THeaderPaintElements{hpeBackground});
    EXPECT_EQ(owner.Advanced[1].first, 1);
    EXPECT_EQ(owner.Advanced[1].second, (THeaderPaintElements{hpeText, hpeSortGlyph}));
    EXPECT_TRUE(owner.SortShown);
    EXPECT_GT(owner.TextRect.Width(), 0);
    const TRect header = Window->HeaderRect();
    EXPECT_EQ(Hex(PixelAt(*bitmap, header.left + 380, header.top + 5)), Hex(clAqua))
        << "the owner's background right of the last column";
    const TColor text = ColorToRGB(clWindowText);
    EXPECT_EQ(CountColor(*bitmap, Cell(1), text), 0) << "neither caption nor arrow of column 1";
    EXPECT_GT(CountColor(*bitmap, Cell(0), text), 0);
    EXPECT_GT(CountColor(*bitmap, Cell(2), text), 0);
}

class VTHeaderGlyphs : public VTHeaderPaint {
protected:
    TOwned<TImageList> Images{new TImageList(nullptr)};
    VTHeaderGlyphs() {
        TBitmap image(16, 16, pf24bit);
        image.Canvas()->Brush()->SetColor(clRed);
        image.Canvas()->FillRect({0, 0, 16, 16});
        Images->AddMasked(&image, clFuchsia);
        Window->SetHeaderImages(Images.get());
        Header().SetOptions(Header().Options() + TVTHeaderOptions{hoShowImages});
        Header().SetSortColumn(-1);
        Header().SetHeight(48);
        Column(0)->SetImageIndex(0);
    }
};

TEST_F(VTHeaderGlyphs, GlyphGoesWhereTheLayoutSays) {
    struct Case {
        TVTHeaderColumnLayout Layout;
        const char* Name;
    };
    const TColor text = ColorToRGB(clWindowText);
    for (const Case c : {Case{blGlyphLeft, "left"}, Case{blGlyphRight, "right"},
                         Case{blGlyphTop, "top"}, Case{blGlyphBottom, "bottom"}}) {
        Column(0)->SetLayout(c.Layout);
        auto bitmap = PrintHeader();
        const TRect cell = Cell(0);
        const TRect glyph = BoxOf(*bitmap, cell, clRed), caption = BoxOf(*bitmap, cell, text);
        ASSERT_EQ(glyph.Width(), 16) << c.Name;
        ASSERT_FALSE(IsRectEmpty(&caption)) << c.Name;
        EXPECT_TRUE(Column(0)->HasImage()) << c.Name;
        EXPECT_EQ(Column(0)->ImageRect(), glyph) << c.Name;
        switch (c.Layout) {
        case blGlyphLeft: EXPECT_LT(glyph.right, caption.left) << c.Name; break;
        case blGlyphRight: EXPECT_GT(glyph.left, caption.right) << c.Name; break;
        case blGlyphTop: EXPECT_LE(glyph.bottom, caption.top) << c.Name; break;
        case blGlyphBottom: EXPECT_GE(glyph.top, caption.bottom) << c.Name; break;
        }
    }
}

TEST_F(VTHeaderGlyphs, CheckBoxColumnShowsItsCheckState) {
    Column(1)->SetCheckBox(true);
    Column(1)->SetCheckType(ctCheckBox);
    Window->SetCheckImageKind(ckLightCheck);
    const TColor mark = ColorToRGB(clBtnText);
    Column(1)->SetCheckState(csCheckedNormal);
    auto checked = PrintHeader();
    ASSERT_TRUE(Column(1)->HasImage());
    const TRect box = Column(1)->ImageRect();
    EXPECT_EQ(box.Width(), 16);
    EXPECT_GT(CountColor(*checked, box, mark), 4) << "the tick";
    Column(1)->SetCheckState(csUncheckedNormal);
    auto unchecked = PrintHeader();
    EXPECT_EQ(CountColor(*unchecked, box, mark), 0);
    EXPECT_GT(CountColor(*unchecked, box, ColorToRGB(clBtnShadow)), 20) << "the empty box";
}

TEST_F(VTHeaderPaint, SortArrowAndRightAlignedCaptionStayInsideTheMargins) {
    TVirtualTreeColumn* column = Column(3); // 55 wide
    column->SetText(L"A caption much wider than its cell");
    column->SetCaptionAlignment(taRightJustify);
    Header().SetSortColumn(3);
    TBitmap bitmap(10, 10, pf32bit);
    bitmap.Canvas()->SetFont(Window->HeaderFont());
    bitmap.Canvas()->TextExtent(L"x");
    const TRect client{100, 10, 151, 28};
    TRect text;
    TPoint sort, glyph;
    Window->ComputeHeaderLayout(column, bitmap.Canvas()->Handle(), client, DT_NOPREFIX | DT_RIGHT,
                                text, sort, glyph, true, false);
    const int margin = column->Margin(), spacing = column->Spacing();
    EXPECT_LE(sort.x + 16, client.right - margin);
    EXPECT_GE(sort.x, client.left + margin);
    EXPECT_EQ(text.right, sort.x - spacing) << "the caption is cut at the arrow";
    EXPECT_GE(text.left, client.left + margin);
    EXPECT_EQ(column->CaptionText(), column->Text());
}

TEST_F(VTHeaderPaint, WrappedCaptionBreaksIntoLinesThatFit) {
    Header().SetHeight(60);
    Header().SetSortColumn(-1);
    TVirtualTreeColumn* column = Column(1); // 80 wide
    column->SetText(L"alpha beta gamma delta");
    const TColor text = ColorToRGB(clWindowText);
    auto single = PrintHeader();
    EXPECT_EQ(column->CaptionText(), column->Text());
    column->SetOptions(column->Options() + TVTColumnOptions{coWrapCaption});
    auto wrapped = PrintHeader();
    const UnicodeString lines = column->CaptionText();
    EXPECT_NE(lines.find(L'\n'), UnicodeString::npos) << "several lines";
    UnicodeString joined = lines;
    std::replace(joined.begin(), joined.end(), L'\n', L' ');
    EXPECT_EQ(joined, column->Text()) << "nothing lost, nothing shortened";
    const TRect one = BoxOf(*single, Cell(1), text), many = BoxOf(*wrapped, Cell(1), text);
    EXPECT_GT(many.Height(), one.Height() * 3 / 2) << "more than one line drawn";
    EXPECT_LE(many.right, Cell(1).right - 2);
}

TEST_F(VTHeaderPaint, DropMarkShowsWhereADraggedColumnWouldLand) {
    auto before = PrintHeader();
    Press(20);
    Window->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150 + 80 + 10, HeaderY & 0xFFFF));
    auto dragging = PrintHeader();
    Window->Perform(WM_KEYDOWN, VK_ESCAPE, 1);
    const TRect target = Cell(2);
    const TRect markArea{target.left, target.top + 3, target.left + 5, target.bottom - 3};
    const TColor black = ColorToRGB(clBtnText);
    EXPECT_EQ(CountColor(*before, markArea, black), 0);
    EXPECT_GT(CountColor(*dragging, markArea, black), 5) << "left mark: the column goes before";
}

// Word wrapping in a fixed-pitch font: every line as long as fits, words split when too long.
TEST(VTWrapText, LinesWordsAndOrder) {
    TOwnedDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    SelectObject(dc.Get(), GetStockObject(ANSI_FIXED_FONT));
    auto width = [&](const wchar_t* Text) {
        SIZE size{};
        GetTextExtentPoint32W(dc.Get(), Text, static_cast<int>(wcslen(Text)), &size);
        return static_cast<int>(size.cx);
    };
    struct Case {
        const wchar_t* Text;
        const wchar_t* Fits;
        bool RightToLeft;
        const wchar_t* Wrapped;
    };
    for (const Case c : {Case{L"aa bb cc", L"aa bb", false, L"aa bb\ncc"},
                         Case{L"aa bb cc", L"aa bb", true, L"bb cc\naa"},
                         Case{L"  aa bb  ", L"aa bb", false, L"aa bb"},
                         Case{L"abcdefgh", L"abc", false, L"abc\ndef\ngh"},
                         Case{L"abcdefgh", L"abc", true, L"fgh\ncde\nab"},
                         Case{L"abc", L"a", false, L"a\nb\nc"}, Case{L"   ", L"abc", false, L""}}) {
        const TRect bounds{0, 0, width(c.Fits), 20};
        EXPECT_EQ(WrapText(dc.Get(), c.Text, bounds, c.RightToLeft, DT_NOPREFIX),
                  UnicodeString(c.Wrapped))
            << std::string(c.Text, c.Text + wcslen(c.Text)) << (c.RightToLeft ? " rtl" : "");
    }
}

} // namespace
