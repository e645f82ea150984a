#include "framework/ExtCtrls.h"

#include "ControlTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Whether any pixel of the columns [left, right) has the colour.
bool ColumnsHold(TBitmap& bitmap, int left, int right, TColor color) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = left; x < right; ++x)
            if (PixelAt(bitmap, x, y) == color) return true;
    return false;
}

TOwned<TBitmap> PaintedCopy(TControl* control) {
    TOwned<TBitmap> image(new TBitmap(control->Width(), control->Height(), pf32bit));
    control->PaintTo(image->Canvas()->Handle(), 0, 0);
    return image;
}

} // namespace

// ---- panel -------------------------------------------------------------------------------------

TEST(ExtCtrls, PanelPaintsItsBevelsAndFillsInside) {
    const TColor light = ColorToRGB(clBtnHighlight);
    const TColor dark = ColorToRGB(clBtnShadow);
    struct TCase {
        TBevelCut Outer, Inner;
        int Width;
        std::vector<TColor> Diagonal; // pixels (i, i) from the corner inwards
        TColor BottomRight;
    };
    const TCase cases[] = {
        {bvRaised, bvNone, 1, {light, clRed}, dark},
        {bvLowered, bvNone, 2, {dark, dark, clRed}, light},
        {bvRaised, bvLowered, 1, {light, dark, clRed}, dark},
        {bvNone, bvNone, 1, {clRed}, clRed},
    };
    for (const TCase& c : cases) {
        auto host = MakeHost(100, 60);
        auto panel = Make<TPanel>();
        panel->SetParentBackground(false);
        panel->SetColor(clRed);
        panel->SetBevelOuter(c.Outer);
        panel->SetBevelInner(c.Inner);
        panel->SetBevelWidth(c.Width);
        panel->SetBounds(0, 0, 60, 40);
        panel->SetParent(host.get());
        auto image = PaintedCopy(panel.get());
        for (std::size_t i = 0; i < c.Diagonal.size(); ++i)
            EXPECT_EQ(PixelAt(*image, int(i), int(i)), c.Diagonal[i])
                << "outer " << c.Outer << " inner " << c.Inner << " at " << i;
        EXPECT_EQ(PixelAt(*image, 59, 39), c.BottomRight) << "outer " << c.Outer;
        EXPECT_EQ(PixelAt(*image, 30, 20), clRed);
    }
}

TEST(ExtCtrls, PanelCaptionFollowsAlignmentAndShowCaption) {
    struct TCase {
        TAlignment Alignment;
        bool Show;
        bool InLeftThird, InRightThird;
    };
    const TCase cases[] = {
        {taLeftJustify, true, true, false},
        {taRightJustify, true, false, true},
        {taCenter, true, false, false},
        {taLeftJustify, false, false, false},
    };
    for (const TCase& c : cases) {
        auto host = MakeHost(200, 60);
        auto panel = Make<TPanel>();
        panel->SetParentBackground(false);
        panel->SetColor(clWhite);
        panel->Font()->SetColor(clBlue);
        panel->Font()->SetQuality(fqNonAntialiased); // exact colours to look for
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 180, 30);
        panel->SetParent(host.get());
        panel->SetCaption(L"WW");
        panel->SetAlignment(c.Alignment);
        panel->SetShowCaption(c.Show);
        auto image = PaintedCopy(panel.get());
        EXPECT_EQ(ColumnsHold(*image, 0, 60, clBlue), c.InLeftThird) << "alignment " << c.Alignment;
        EXPECT_EQ(ColumnsHold(*image, 120, 180, clBlue), c.InRightThird)
            << "alignment " << c.Alignment;
        EXPECT_EQ(ColumnsHold(*image, 60, 120, clBlue), c.Show && c.Alignment == taCenter)
            << "alignment " << c.Alignment;
    }
}

TEST(ExtCtrls, PanelChildrenAlignInsideTheBevels) {
    auto host = MakeHost(200, 100);
    auto* panel = new TPanel(host.get());
    panel->SetBounds(0, 0, 120, 80);
    panel->SetParent(host.get());
    auto* child = new TPanel(host.get());
    child->SetAlign(alClient);
    child->SetParent(panel);
    EXPECT_TRUE(panel->ControlStyle().Contains(csAcceptsControls));
    EXPECT_EQ(child->BoundsRect(), TRect(1, 1, 119, 79));
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(3);
    EXPECT_EQ(child->BoundsRect(), TRect(6, 6, 114, 74));
}

// ---- splitter ----------------------------------------------------------------------------------

namespace {

struct TSplitterEvents {
    int Moved = 0;
    int Forced = -1; // the size OnCanResize answers, or -1 to leave the size
    bool Refuse = false;
    void OnMoved(TObject*) { ++Moved; }
    void OnCanResize(TObject*, int& NewSize, bool& Accept) {
        if (Forced >= 0) NewSize = Forced;
        Accept = !Refuse;
    }
};

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// Drags the splitter from (1, 1) by `distance` along its axis, showing the intermediate move.
void Drag(TSplitter* splitter, int distance, bool vertical) {
    const int dx = vertical ? distance : 0;
    const int dy = vertical ? 0 : distance;
    splitter->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(1, 1));
    splitter->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(1 + dx / 2, 1 + dy / 2));
    splitter->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(1 + dx, 1 + dy));
    splitter->Perform(WM_LBUTTONUP, 0, At(1 + dx, 1 + dy));
}

} // namespace

TEST(ExtCtrls, SplitterDragResizesItsNeighbourWithinLimits) {
    struct TCase {
        const char* Name;
        TAlign Align;
        TResizeStyle Style;
        bool AutoSnap;
        int Distance;
        int Forced;
        bool Refuse;
        int Expected;
    };
    // Host 300 x 200, neighbour 100 (left/right) or 50 (top/bottom), splitter 3, MinSize 30.
    const TCase cases[] = {
        {"left, live", alLeft, rsUpdate, true, 50, -1, false, 150},
        {"left, pattern", alLeft, rsPattern, false, 40, -1, false, 140},
        {"left, below MinSize", alLeft, rsLine, false, -90, -1, false, 30},
        {"left, snapped", alLeft, rsNone, true, -90, -1, false, 0},
        // 300 - MinSize - (100 + 3 aligned left) + 100: MinSize stays for the client control
        {"left, beyond the parent", alLeft, rsNone, false, 500, -1, false, 267},
        {"right", alRight, rsUpdate, false, -50, -1, false, 150},
        {"top", alTop, rsPattern, false, 20, -1, false, 70},
        {"bottom", alBottom, rsUpdate, false, -20, -1, false, 70},
        {"size changed by OnCanResize", alLeft, rsUpdate, false, 50, 77, false, 77},
        {"refused by OnCanResize", alLeft, rsUpdate, false, 50, -1, true, 100},
    };
    for (const TCase& c : cases) {
        const bool vertical = c.Align == alLeft || c.Align == alRight;
        auto host = MakeHost(300, 200);
        auto* neighbour = new TPanel(host.get());
        neighbour->SetAlign(c.Align);
        neighbour->SetBounds(0, 0, 100, 50);
        neighbour->SetParent(host.get());
        auto* splitter = new TSplitter(host.get());
        splitter->SetAlign(c.Align);
        // placed on the inner side of the neighbour, so the alignment pass keeps that order
        const TRect inner = neighbour->BoundsRect();
        splitter->SetBounds(c.Align == alRight ? inner.left - 3 : inner.right,
                            c.Align == alBottom ? inner.top - 3 : inner.bottom, 3, 3);
        splitter->SetParent(host.get());
        auto* rest = new TPanel(host.get());
        rest->SetAlign(alClient);
        rest->SetParent(host.get());
        splitter->ResizeStyle = c.Style;
        splitter->AutoSnap = c.AutoSnap;
        TSplitterEvents events;
        events.Forced = c.Forced;
        events.Refuse = c.Refuse;
        splitter->OnMoved = TNotifyEvent(&events, &TSplitterEvents::OnMoved);
        splitter->OnCanResize = TCanResizeEvent(&events, &TSplitterEvents::OnCanResize);
        host->HandleNeeded();

        Drag(splitter, c.Distance, vertical);
        const int size = vertical ? neighbour->Width() : neighbour->Height();
        EXPECT_EQ(size, c.Expected) << c.Name;
        EXPECT_EQ(events.Moved > 0, size != (vertical ? 100 : 50)) << c.Name;
        const int restSize = vertical ? rest->Width() : rest->Height();
        EXPECT_EQ(restSize, (vertical ? 300 : 200) - 3 - size) << c.Name << ": the rest realigned";
        EXPECT_FALSE(splitter->MouseCapture()) << c.Name;
    }
}

// ---- image and paint box -----------------------------------------------------------------------

namespace {

// 10 x 10: red, with a green left column band (x < 3) when asked.
TOwned<TBitmap> MakePicture(bool greenBand) {
    TOwned<TBitmap> bitmap(new TBitmap(10, 10, pf32bit));
    bitmap->Canvas()->Brush()->SetColor(clRed);
    bitmap->Canvas()->FillRect({0, 0, 10, 10});
    if (greenBand) {
        bitmap->Canvas()->Brush()->SetColor(clLime);
        bitmap->Canvas()->FillRect({0, 0, 3, 10});
    }
    return bitmap;
}

} // namespace

TEST(ExtCtrls, ImagePlacesItsPicture) {
    struct TCase {
        const char* Name;
        bool Stretch, Center, Proportional;
        TRect Expected;
    };
    // A 10 x 10 picture in a 40 x 30 image.
    const TCase cases[] = {
        {"plain", false, false, false, {0, 0, 10, 10}},
        {"centred", false, true, false, {15, 10, 25, 20}},
        {"stretched", true, false, false, {0, 0, 40, 30}},
        {"proportional", true, false, true, {0, 0, 30, 30}},
        {"proportional, centred", true, true, true, {5, 0, 35, 30}},
        {"proportional, smaller, not stretched", false, false, true, {0, 0, 10, 10}},
    };
    for (const TCase& c : cases) {
        auto image = Make<TImage>();
        image->SetBounds(0, 0, 40, 30);
        auto picture = MakePicture(false);
        image->Picture()->SetGraphic(picture.get());
        image->SetStretch(c.Stretch);
        image->SetCenter(c.Center);
        image->SetProportional(c.Proportional);
        EXPECT_EQ(image->DestRect(), c.Expected) << c.Name;

        auto painted = PaintedCopy(image.get());
        const TRect& r = c.Expected;
        EXPECT_EQ(PixelAt(*painted, r.left, r.top), clRed) << c.Name;
        EXPECT_EQ(PixelAt(*painted, r.right - 1, r.bottom - 1), clRed) << c.Name;
        if (r.right < 40) {
            EXPECT_EQ(PixelAt(*painted, r.right, r.bottom - 1), clBlack) << c.Name;
        }
        if (r.left > 0) {
            EXPECT_EQ(PixelAt(*painted, r.left - 1, r.top), clBlack) << c.Name;
        }
    }
}

TEST(ExtCtrls, ImageTransparentAutoSizeAndCanvas) {
    auto image = Make<TImage>();
    image->SetBounds(0, 0, 40, 30);
    auto picture = MakePicture(true);
    image->Picture()->SetGraphic(picture.get());
    image->SetTransparent(true); // the bottom-left colour, green, is left out
    auto painted = PaintedCopy(image.get());
    EXPECT_EQ(PixelAt(*painted, 1, 1), clBlack);
    EXPECT_EQ(PixelAt(*painted, 5, 1), clRed);

    image->SetAutoSize(true);
    EXPECT_EQ(image->Width(), 10);
    EXPECT_EQ(image->Height(), 10);

    auto drawn = Make<TImage>();
    drawn->SetBounds(0, 0, 20, 16);
    drawn->Canvas()->Brush()->SetColor(clBlue);
    drawn->Canvas()->FillRect({0, 0, 20, 16});
    ASSERT_NE(drawn->Picture()->Graphic(), nullptr);
    EXPECT_EQ(drawn->Picture()->Width(), 20);
    EXPECT_EQ(drawn->Picture()->Height(), 16);
    auto shown = PaintedCopy(drawn.get());
    EXPECT_EQ(PixelAt(*shown, 19, 15), clBlue);

    TIcon icon;
    drawn->Picture()->SetGraphic(&icon);
    EXPECT_THROW(drawn->Canvas(), EInvalidOperation);
}

namespace {

struct TPaintLog {
    TPaintBox* Box = nullptr;
    int Calls = 0;
    TColor FontColor = clNone;
    void OnPaint(TObject*) {
        ++Calls;
        FontColor = Box->Canvas()->Font()->Color();
        Box->Canvas()->FillRect({2, 2, 6, 6});
    }
};

} // namespace

TEST(ExtCtrls, PaintBoxPaintsThroughOnPaintWithItsColours) {
    auto box = Make<TPaintBox>();
    box->SetBounds(0, 0, 20, 20);
    box->SetColor(clYellow);
    box->Font()->SetColor(clNavy);
    TPaintLog log;
    log.Box = box.get();
    box->OnPaint = TNotifyEvent(&log, &TPaintLog::OnPaint);
    auto painted = PaintedCopy(box.get());
    EXPECT_EQ(log.Calls, 1);
    EXPECT_EQ(log.FontColor, clNavy);
    EXPECT_EQ(PixelAt(*painted, 3, 3), clYellow);
    EXPECT_EQ(PixelAt(*painted, 10, 10), clBlack);
}
