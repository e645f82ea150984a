#include "WindowFixture.h"

#include <algorithm>

namespace {

using namespace vtree_test;

using VTPaint = TWindowFixture;

// The leftmost x in [Left, Right) where row band Top..Bottom holds a pixel of Color.
int FirstX(TBitmap& Bitmap, int Left, int Right, int Top, int Bottom, TColor Color) {
    for (int x = Left; x < Right; ++x)
        for (int y = Top; y < Bottom; ++y)
            if (PixelAt(Bitmap, x, y) == Color) return x;
    return -1;
}

TEST_F(VTPaint, ClientProfileRowsGridLinesSelectionAndText) {
    ApplyClientProfile();
    AddRows(5);
    Tree().TreeOptions()->SetPaintOptions(Tree().TreeOptions()->PaintOptions() +
                                          TVTPaintOptions{toPopupMode});
    Tree().SetSelected(Recorder.Find(L"Row1"), true);
    auto bitmap = PrintClient();
    const TColor grid = ColorToRGB(clGrayText), window = ColorToRGB(clWindow);
    for (int x : {10, 160, 240, 300, 350}) {
        EXPECT_EQ(Hex(PixelAt(*bitmap, x, 19)), Hex(grid)) << "grid line of row 0 at x " << x;
        EXPECT_EQ(Hex(PixelAt(*bitmap, x, 39)), Hex(grid)) << "grid line of row 1 at x " << x;
        EXPECT_EQ(Hex(PixelAt(*bitmap, x, 21)), Hex(0x007D6D37)) << "selected row at x " << x;
        EXPECT_EQ(Hex(PixelAt(*bitmap, x, 41)), Hex(window)) << "row 2 at x " << x;
    }
    const TColor text = ColorToRGB(clWindowText);
    const int left = FirstX(*bitmap, 0, 150, 40, 59, text);
    EXPECT_GE(left, 4) << "TextMargin from the column's left edge";
    EXPECT_LE(left, 6);
    const int secondLeft = FirstX(*bitmap, 150, 230, 40, 59, text);
    EXPECT_GE(secondLeft, 154);
    EXPECT_LE(secondLeft, 156);
    EXPECT_GT(CountColor(*bitmap, {0, 20, 150, 39}, ColorToRGB(clHighlightText)), 0)
        << "the selected row's text is in the highlight text colour";
}

TEST_F(VTPaint, UnfocusedSelectionUsesTheUnfocusedColour) {
    ApplyClientProfile();
    AddRows(3);
    Tree().SetSelected(Recorder.Find(L"Row0"), true);
    auto bitmap = PrintClient();
    EXPECT_EQ(Hex(PixelAt(*bitmap, 100, 2)), Hex(ColorToRGB(clBtnFace)));
}

TEST_F(VTPaint, DisabledTreeDrawsTextInTheDisabledColour) {
    ApplyClientProfile();
    AddRows(2);
    Window->Colors()->SetDisabledColor(clRed);
    auto enabled = PrintClient();
    EXPECT_EQ(CountColor(*enabled, {0, 0, 150, 19}, clRed), 0);
    Window->SetEnabled(false);
    auto disabled = PrintClient();
    EXPECT_GT(CountColor(*disabled, {0, 0, 150, 19}, clRed), 0);
}

struct TCellPainter {
    int Calls = 0;
    void OnDrawText(TVirtualTreeWindow*, TCanvas* Canvas, PVirtualNode, TColumnIndex Column,
                    const UnicodeString&, const TRect& CellRect, bool& DefaultDraw) {
        ++Calls;
        Canvas->Brush()->SetColor(Column == 1 ? clYellow : clAqua);
        Canvas->FillRect(CellRect);
        DefaultDraw = true;
    }
};

TEST_F(VTPaint, OnDrawTextPaintsCellBackgroundsBeforeTheText) {
    ApplyClientProfile();
    AddRows(2);
    TCellPainter painter;
    Window->OnDrawText = TVTDrawTextEvent(&painter, &TCellPainter::OnDrawText);
    auto bitmap = PrintClient();
    Window->OnDrawText = {};
    EXPECT_EQ(painter.Calls, 8) << "one call per cell";
    EXPECT_EQ(Hex(PixelAt(*bitmap, 150 + 70, 2)), Hex(clYellow));
    EXPECT_EQ(Hex(PixelAt(*bitmap, 100, 2)), Hex(clAqua));
    EXPECT_EQ(Hex(PixelAt(*bitmap, 150 + 2, 2)), Hex(ColorToRGB(clWindow))) << "TextMargin stays";
    EXPECT_GT(CountColor(*bitmap, {150, 0, 230, 19}, ColorToRGB(clWindowText)), 0)
        << "the text is drawn over the handler's background";
}

// Records what OnDrawText is handed; OnPaintText enlarges the first column's font.
struct TTextRecorder {
    struct TCell {
        UnicodeString Text;
        TRect R;
        int FontHeight;
    };
    std::vector<TCell> Cells;
    void OnPaintText(TVirtualTreeWindow*, TCanvas* Canvas, PVirtualNode, TColumnIndex Column,
                     TVSTTextType) {
        if (Column == 0) Canvas->Font()->SetHeight(-20);
    }
    void OnDrawText(TVirtualTreeWindow*, TCanvas* Canvas, PVirtualNode, TColumnIndex,
                    const UnicodeString& Text, const TRect& CellRect, bool&) {
        Cells.push_back({Text, CellRect, Canvas->Font()->Height()});
    }
};

// Each cell's text shows exactly the pixels the platform's single-line text drawing gives for
// the text, rectangle and font OnDrawText was handed: in tree fonts that leave an even or odd
// gap above the line or are taller than the row, and in the larger font OnPaintText gives the
// first column, which no longer fits it and is shortened in that font.
TEST_F(VTPaint, CellTextsHaveThePixelsOfThePlatformTextDrawing) {
    ApplyClientProfile();
    Recorder.Names[Tree().AddChild(nullptr)] = L"Wide line 12.5 (fast)";
    TTextRecorder texts;
    Window->OnDrawText = TVTDrawTextEvent(&texts, &TTextRecorder::OnDrawText);
    Window->OnPaintText = TVTPaintText(&texts, &TTextRecorder::OnPaintText);
    for (int height : {-11, -12, -13, -16, -27}) {
        Window->Font()->SetHeight(height);
        texts.Cells.clear();
        auto painted = PrintClient();
        ASSERT_EQ(texts.Cells.size(), 4u);
        EXPECT_EQ(texts.Cells[0].FontHeight, -20);
        EXPECT_EQ(texts.Cells[1].FontHeight, height);
        TBitmap expected(painted->Width(), painted->Height(), pf32bit);
        HDC dc = expected.Canvas()->Handle();
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Window->Font()->Color())));
        SetBkMode(dc, TRANSPARENT);
        TFont font;
        font.Assign(Window->Font());
        for (auto& [text, r, fontHeight] : texts.Cells) {
            EXPECT_TRUE(text.ends_with(L"...")) << "font height " << fontHeight;
            font.SetHeight(fontHeight);
            expected.Canvas()->Brush()->SetColor(clWindow);
            expected.Canvas()->FillRect(r);
            const HGDIOBJ original = SelectObject(dc, font.Handle());
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            SelectObject(dc, original);
            int differing = 0;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    if (PixelAt(*painted, x, y) != PixelAt(expected, x, y)) ++differing;
            EXPECT_EQ(differing, 0) << "font height " << fontHeight << ", cell at x " << r.left;
        }
    }
    Window->OnPaintText = {};
    // The tree's own font fits the first column.
    Window->Font()->SetHeight(-11);
    texts.Cells.clear();
    PrintClient();
    Window->OnDrawText = {};
    ASSERT_EQ(texts.Cells.size(), 4u);
    EXPECT_EQ(texts.Cells[0].Text, L"Wide line 12.5 (fast)");
}

TEST_F(VTPaint, EmptyTreePaintsColumnColoursAndTheTreeColourBeyond) {
    for (int width : {100, 100}) Header().Columns()->Add()->SetWidth(width);
    TVirtualTreeColumn* second = Header().Columns()->Items(1);
    second->SetOptions(second->Options() - TVTColumnOptions{coParentColor});
    second->SetColor(clAqua);
    Tree().Color = clYellow;
    auto bitmap = PrintClient();
    EXPECT_EQ(Hex(PixelAt(*bitmap, 150, 50)), Hex(clAqua));
    EXPECT_EQ(Hex(PixelAt(*bitmap, 50, 50)), Hex(clYellow)) << "a parent-colour column";
    EXPECT_EQ(Hex(PixelAt(*bitmap, 250, 50)), Hex(clYellow)) << "right of the last column";
}

TEST_F(VTPaint, BackgroundPictureIsTiledAndAnEmptyOneIsNoBackground) {
    AddRows(1);
    Tree().TreeOptions()->SetPaintOptions(Tree().TreeOptions()->PaintOptions() +
                                          TVTPaintOptions{toShowBackground});
    TPicture picture;
    picture.Bitmap()->SetPixelFormat(pf24bit);
    picture.Bitmap()->SetSize(3, 2);
    picture.Bitmap()->Canvas()->Brush()->SetColor(clAqua);
    picture.Bitmap()->Canvas()->FillRect({0, 0, 3, 2});
    picture.Bitmap()->Canvas()->SetPixels(1, 1, clRed);
    Window->SetBackground(&picture);
    Window->SetBackgroundOffsetX(1);
    auto tiled = PrintClient();
    // Canvas point (x, y) shows picture pixel ((x + 1) mod 3, y mod 2), rows and empty area alike.
    for (int y : {1, 3, 101})
        for (int x : {0, 3, 300})
            EXPECT_EQ(Hex(PixelAt(*tiled, x, y)), Hex(clRed)) << x << ", " << y;
    EXPECT_EQ(Hex(PixelAt(*tiled, 1, 1)), Hex(clAqua));

    picture.Bitmap()->SetSize(0, 0);
    Window->SetBackground(&picture);
    Tree().Color = clYellow;
    auto empty = PrintClient();
    EXPECT_EQ(Hex(PixelAt(*empty, 300, 101)), Hex(clYellow));
}

TEST_F(VTPaint, TreeLinesAndButtons) {
    Window->SetLineStyle(lsSolid);
    Recorder.Build(Tree(), L"A(A1,A2),B(B1)");
    Tree().SetExpanded(Recorder.Find(L"B"), false);
    auto bitmap = PrintClient();
    const TColor line = ColorToRGB(clBtnShadow), mark = ColorToRGB(clWindowText);
    // Rows are 18 high; the 9-pixel button sits 4 pixels into its step, its top 5 pixels down.
    EXPECT_EQ(Hex(PixelAt(*bitmap, 4, 5)), Hex(line)) << "button frame";
    EXPECT_EQ(Hex(PixelAt(*bitmap, 6, 9)), Hex(mark)) << "minus of the expanded A";
    EXPECT_NE(Hex(PixelAt(*bitmap, 8, 7)), Hex(mark)) << "no vertical bar on a minus";
    EXPECT_EQ(Hex(PixelAt(*bitmap, 8, 54 + 7)), Hex(mark)) << "plus of the collapsed B";
    // A1: the root step continues down (A has a next sibling), its own step branches right.
    EXPECT_EQ(Hex(PixelAt(*bitmap, 9, 18 + 1)), Hex(line));
    EXPECT_EQ(Hex(PixelAt(*bitmap, 18 + 9, 18 + 1)), Hex(line));
    EXPECT_EQ(Hex(PixelAt(*bitmap, 18 + 14, 18 + 9)), Hex(line));
    // A2 is the last child: its vertical line stops at its centre.
    EXPECT_NE(Hex(PixelAt(*bitmap, 18 + 9, 36 + 15)), Hex(line));
}

TEST_F(VTPaint, CheckImagesFollowTheCheckState) {
    Recorder.Build(Tree(), L"On,Off");
    Tree().TreeOptions()->SetMiscOptions(Tree().TreeOptions()->MiscOptions() +
                                         TVTMiscOptions{toCheckSupport});
    Window->SetCheckImageKind(ckLightCheck);
    for (PVirtualNode node : {Recorder.Find(L"On"), Recorder.Find(L"Off")})
        Tree().SetCheckType(node, ctCheckBox);
    Tree().SetCheckState(Recorder.Find(L"On"), csCheckedNormal);
    auto bitmap = PrintClient();
    // Placed at Margin, then moved by the root's indent step.
    const TRect on{4 + 18, 0, 4 + 18 + 16, 18}, off{4 + 18, 18, 4 + 18 + 16, 36};
    const TColor mark = ColorToRGB(clBtnText);
    EXPECT_GT(CountColor(*bitmap, on, mark), 4);
    EXPECT_EQ(CountColor(*bitmap, off, mark), 0);
    EXPECT_GT(CountColor(*bitmap, off, ColorToRGB(clBtnShadow)), 20) << "the empty box's frame";
}

TEST_F(VTPaint, FocusRectangleAroundTheFocusedNode) {
    AddRows(3);
    Tree().TreeOptions()->SetPaintOptions(Tree().TreeOptions()->PaintOptions() +
                                          TVTPaintOptions{toPopupMode});
    Tree().SetFocusedNode(Recorder.Find(L"Row1"));
    auto with = PrintClient();
    Tree().TreeOptions()->SetPaintOptions(Tree().TreeOptions()->PaintOptions() +
                                          TVTPaintOptions{toHideFocusRect});
    auto without = PrintClient();
    const TRect text = Window->GetDisplayRect(Recorder.Find(L"Row1"), NoColumn, true);
    int differing = 0;
    for (int x = text.left; x < text.right; ++x)
        if (PixelAt(*with, x, text.top) != PixelAt(*without, x, text.top)) ++differing;
    EXPECT_GT(differing, text.Width() / 3) << "dotted frame along the text rectangle's top";
    EXPECT_EQ(PixelAt(*with, 200, 1), PixelAt(*without, 200, 1)) << "other rows untouched";
}

TEST_F(VTPaint, NestedPaintAndEmptyWindowPaintNothing) {
    AddRows(2);
    TBitmap bitmap(50, 50, pf32bit);
    bitmap.Canvas()->Brush()->SetColor(clLime);
    bitmap.Canvas()->FillRect({0, 0, 50, 50});
    Window->PaintTree(bitmap.Canvas(), {10, 10, 10, 40}, {0, 0}, {poDrawSelection});
    EXPECT_EQ(Hex(PixelAt(bitmap, 5, 5)), Hex(clLime));
}

TEST_F(VTPaint, HeaderCaptionAndSortGlyph) {
    ApplyClientProfile();
    auto bitmap = PrintHeader();
    const TRect header = Window->HeaderRect();
    EXPECT_EQ(header.Height(), 22);
    const TColor text = ColorToRGB(clWindowText);
    const int captionLeft =
        FirstX(*bitmap, header.left, header.left + 150, header.top, header.bottom, text);
    EXPECT_GE(captionLeft, header.left + 2 + 4) << "cell inset and column margin";
    EXPECT_LE(captionLeft, header.left + 2 + 4 + 2);
    const TColor arrow = ColorToRGB(clBtnShadow);
    const TRect second{header.left + 150, header.top, header.left + 230, header.bottom};
    const TRect first{header.left, header.top, header.left + 150, header.bottom};
    // Left-aligned captions are followed by the arrow.
    EXPECT_GT(CountColor(*bitmap,
                         {second.left + 32, second.top + 4, second.right - 2, second.bottom - 4},
                         arrow),
              5)
        << "sort arrow after the caption of column 1";
    EXPECT_EQ(CountColor(*bitmap,
                         {first.left + 40, first.top + 4, first.right - 2, first.bottom - 4},
                         arrow),
              0);
    EXPECT_EQ(Hex(PixelAt(*bitmap, header.left + 100, header.bottom - 1)),
              Hex(MakeColor(203, 199, 184)))
        << "XP-style bottom line";
}

// A window with 50 Chinese-named rows as the client shows it, saved for a look.
TEST_F(VTPaint, ScreenshotOfTheLineList) {
    ApplyClientProfile();
    Window->Font()->SetName(L"WenQuanYi Micro Hei"); // a font with Chinese characters
    static const wchar_t* Cities[] = {L"北京", L"上海", L"广州", L"深圳", L"杭州",
                                      L"成都", L"武汉", L"南京", L"西安", L"重庆"};
    for (int i = 0; i < 50; ++i)
        Recorder.Names[Tree().AddChild(nullptr)] =
            std::wstring(Cities[i % 10]) + L"线路" + std::to_wstring(i + 1);
    Tree().TreeOptions()->SetPaintOptions(Tree().TreeOptions()->PaintOptions() +
                                          TVTPaintOptions{toPopupMode});
    Tree().SetSelected(Recorder.Find(L"上海线路2"), true);
    TBitmap shot(Window->Width(), Window->Height(), pf32bit);
    SendMessageW(Window->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(shot.Canvas()->Handle()),
                 PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    shot.SaveToFile(L"vtree_line_list.bmp");
    EXPECT_EQ(GetFileAttributesW(L"vtree_line_list.bmp") != INVALID_FILE_ATTRIBUTES, true);
    EXPECT_EQ(Hex(PixelAt(shot, Window->HeaderRect().left + 100, Window->HeaderRect().top + 1)),
              Hex(MakeColor(235, 234, 219)))
        << "the header is part of the picture";
}

} // namespace
