// The tree's pictures, drawn by this library: check strips (25 squares of 16 x 16: an unused
// square, then radio unchecked, radio checked, box unchecked, box checked, box mixed and push
// button, each normal, hot, pressed and disabled), the utility strip (drop marks, sort arrows,
// the push-button glyph and the hot underline of the header), the two 9 x 9 buttons of the
// shaded style and the 32 x 32 wheel-panning pictures. Simple geometric drawings in the 16
// basic colours, so that colour remapping finds white, silver, grey and black in them.
// Transparent colour: magenta, which is also every strip's top-left pixel.
#include "vtree/VTResources.h"

#include <functional>
#include <map>

namespace {

constexpr TColor Transparent = clFuchsia;

struct TCheckStyle {
    TColor Frame;
    TColor Face[4]; // normal, hot, pressed, disabled
    TColor Mark;
    bool Tick; // a heavier tick instead of the thin check
    bool Flat;
};

const std::map<UnicodeString, TCheckStyle>& CheckStyles() {
    static const std::map<UnicodeString, TCheckStyle> styles{
        {L"VT_CHECK_LIGHT",
         {clGray, {clWhite, clWhite, clSilver, clSilver}, clBlack, false, false}},
        {L"VT_CHECK_DARK", {clBlack, {clWhite, clSilver, clGray, clSilver}, clBlack, false, false}},
        {L"VT_TICK_LIGHT", {clGray, {clWhite, clWhite, clSilver, clSilver}, clBlack, true, false}},
        {L"VT_TICK_DARK", {clBlack, {clWhite, clSilver, clGray, clSilver}, clBlack, true, false}},
        {L"VT_FLAT", {clBlack, {clWhite, clWhite, clSilver, clSilver}, clBlack, false, true}},
        {L"VT_XP",
         {MakeColor(28, 81, 128),
          {MakeColor(244, 244, 240), MakeColor(255, 240, 207), MakeColor(176, 176, 167),
           MakeColor(230, 230, 230)},
          MakeColor(33, 161, 33),
          true,
          true}},
    };
    return styles;
}

void Fill(TCanvas* Canvas, const TRect& R, TColor Color) {
    Canvas->Brush()->SetColor(Color);
    Canvas->FillRect(R);
}

void Line(TCanvas* Canvas, TColor Color, std::vector<TPoint> Points) {
    Canvas->Pen()->SetColor(Color);
    Canvas->Polyline(Points);
}

void DrawMark(TCanvas* Canvas, int X, int Group, const TCheckStyle& Style, TColor Mark) {
    if (Group == 1) { // radio checked: a dot
        Canvas->Brush()->SetColor(Mark);
        Canvas->Pen()->SetColor(Mark);
        Canvas->Ellipse(X + 6, 6, X + 11, 11);
    } else if (Group == 3) { // box checked
        for (int thick = 0; thick < (Style.Tick ? 3 : 2); ++thick)
            Line(Canvas, Mark, {{X + 4, 7 + thick}, {X + 6, 9 + thick}, {X + 11, 4 + thick}});
    } else if (Group == 4) { // mixed
        Fill(Canvas, {X + 5, 5, X + 11, 11}, Style.Flat ? Mark : clGray);
    }
}

// One square: Group 0 radio unchecked, 1 radio checked, 2 box unchecked, 3 box checked,
// 4 box mixed, 5 push button; State 0 normal, 1 hot, 2 pressed, 3 disabled.
void DrawCheckSquare(TCanvas* Canvas, int X, int Group, int State, const TCheckStyle& Style) {
    Fill(Canvas, {X, 0, X + 16, 16}, Transparent);
    const TColor face = Style.Face[State];
    const TColor frame = State == 3 ? clGray : Style.Frame;
    const TColor mark = State == 3 ? clGray : Style.Mark;
    Canvas->Brush()->SetColor(face);
    Canvas->Pen()->SetColor(frame);
    if (Group <= 1) {
        Canvas->Ellipse(X + 2, 2, X + 15, 15);
    } else if (Group == 5) {
        Canvas->Rectangle(X + 1, 1, X + 15, 15);
        if (!Style.Flat)
            Line(Canvas, State == 2 ? clGray : clWhite, {{X + 2, 13}, {X + 2, 2}, {X + 14, 2}});
    } else {
        Canvas->Rectangle(X + 2, 2, X + 15, 15);
        if (!Style.Flat) Line(Canvas, clSilver, {{X + 3, 13}, {X + 3, 3}, {X + 14, 3}});
    }
    DrawMark(Canvas, X, Group, Style, mark);
}

void DrawCheckStrip(TBitmap* Target, const TCheckStyle& Style) {
    Target->SetSize(25 * 16, 16);
    TCanvas* canvas = Target->Canvas();
    Fill(canvas, {0, 0, 16, 16}, Transparent);
    for (int image = 1; image < 25; ++image)
        DrawCheckSquare(canvas, image * 16, (image - 1) / 4, (image - 1) % 4, Style);
}

void DrawArrow(TCanvas* Canvas, int X, bool Up) {
    Canvas->Brush()->SetColor(clGray);
    Canvas->Pen()->SetColor(clGray);
    if (Up)
        Canvas->Polygon({{X + 4, 10}, {X + 11, 10}, {X + 7, 6}});
    else
        Canvas->Polygon({{X + 4, 6}, {X + 11, 6}, {X + 7, 10}});
}

void DrawUtilities(TBitmap* Target) {
    Target->SetSize(9 * 16, 16);
    TCanvas* canvas = Target->Canvas();
    Fill(canvas, {0, 0, 9 * 16, 16}, Transparent);
    canvas->Brush()->SetColor(clBlack);
    canvas->Pen()->SetColor(clBlack);
    canvas->Polygon({{0, 3}, {4, 8}, {0, 12}});                   // drop mark, left
    canvas->Polygon({{16 + 15, 3}, {16 + 11, 8}, {16 + 15, 12}}); // drop mark, right
    DrawArrow(canvas, 2 * 16, true);
    DrawArrow(canvas, 3 * 16, false);
    Fill(canvas, {4 * 16 + 5, 7, 4 * 16 + 11, 9}, clBlack); // push-button glyph
    Fill(canvas, {6 * 16 + 2, 13, 7 * 16, 16}, clYellow);   // hot underline: start, middle, end
    Fill(canvas, {7 * 16, 13, 8 * 16, 16}, clYellow);
    Fill(canvas, {8 * 16, 13, 9 * 16 - 2, 16}, clYellow);
}

void DrawShadedButton(TBitmap* Target, bool Plus) {
    Target->SetSize(9, 9);
    TCanvas* canvas = Target->Canvas();
    for (int y = 0; y < 9; ++y) // a face shaded from white at the top to silver at the bottom
        Fill(canvas, {0, y, 9, y + 1}, MakeColor(255 - y * 8, 255 - y * 8, 255 - y * 6));
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(MakeColor(120, 152, 181));
    canvas->Rectangle(0, 0, 9, 9);
    Line(canvas, clBlack, {{2, 4}, {7, 4}});
    if (Plus) Line(canvas, clBlack, {{4, 2}, {4, 7}});
}

// The panning pictures: a grey disc with arrows in the directions the view can scroll;
// magenta around the disc.
void DrawPanning(TBitmap* Target, bool Horizontal, bool Vertical) {
    Target->SetSize(32, 32);
    TCanvas* canvas = Target->Canvas();
    Fill(canvas, {0, 0, 32, 32}, Transparent);
    canvas->Brush()->SetColor(clWhite);
    canvas->Pen()->SetColor(clGray);
    canvas->Ellipse(1, 1, 31, 31);
    canvas->Brush()->SetColor(clBlack);
    canvas->Pen()->SetColor(clBlack);
    if (Vertical) {
        canvas->Polygon({{16, 4}, {11, 10}, {21, 10}});
        canvas->Polygon({{16, 27}, {11, 21}, {21, 21}});
    }
    if (Horizontal) {
        canvas->Polygon({{4, 16}, {10, 11}, {10, 21}});
        canvas->Polygon({{27, 16}, {21, 11}, {21, 21}});
    }
    Fill(canvas, {14, 14, 18, 18}, clBlack);
}

} // namespace

namespace vtree_resources {

void DrawPicture(const UnicodeString& Name, TBitmap* Target) {
    static const std::map<UnicodeString, std::function<void(TBitmap*)>> painters{
        {L"VT_UTILITIES", DrawUtilities},
        {L"VT_XPBUTTONPLUS", [](TBitmap* b) { DrawShadedButton(b, true); }},
        {L"VT_XPBUTTONMINUS", [](TBitmap* b) { DrawShadedButton(b, false); }},
        {L"VT_MOVEALL", [](TBitmap* b) { DrawPanning(b, true, true); }},
        {L"VT_MOVEEW", [](TBitmap* b) { DrawPanning(b, true, false); }},
        {L"VT_MOVENS", [](TBitmap* b) { DrawPanning(b, false, true); }},
    };
    Target->SetSize(0, 0);
    Target->SetPixelFormat(pf24bit);
    if (auto style = CheckStyles().find(Name); style != CheckStyles().end())
        DrawCheckStrip(Target, style->second);
    else if (auto painter = painters.find(Name); painter != painters.end())
        painter->second(Target);
}

} // namespace vtree_resources
