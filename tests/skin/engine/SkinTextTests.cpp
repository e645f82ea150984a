// Skinned text: the colours and order of the outline passes, the hot colours and the disabled
// blend, compared with a model drawn pass by pass through the platform's DrawText (never with
// glyph shapes); a control's font section; and the layout maths of glyph captions by tables.
#include "PixelTesting.h"
#include "SkinEngineTesting.h"
#include "SkinnedBox.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sSkinText.h"

#include <cstdio>
#include <set>
#include <string>

namespace {

const UnicodeString Sample = L"Hxm W";
constexpr UINT Format = DT_LEFT | DT_TOP | DT_SINGLELINE;

// One pass of the model: the text in Colour, shifted by (Dx, Dy).
struct TPass {
    TColor Colour;
    int Dx, Dy;
};

class SkinText : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        LoadFlatWith(L"[PLAIN]\r\nCOLOR=$00FFFFFF\r\nFONTCOLOR=0\r\nTCRIGHT=$00FFFFFF\r\n"
                     L"HOTFONTCOLOR=$000000FF\r\nHOTTCLEFT=$0000FFFF\r\nHOTTCTOP=$00FF0000\r\n"
                     L"HOTTCRIGHT=$00808080\r\nHOTTCBOTTOM=$00008000\r\n"
                     L"[SOLO]\r\nCOLOR=$00FFFFFF\r\nFONTCOLOR=$80\r\nTCLEFT=1\r\nTCTOP=2\r\n"
                     L"TCRIGHT=3\r\nTCBOTTOM=4\r\nHOTFONTCOLOR=$00800000\r\n"
                     L"[SEETHROUGH]\r\nCOLOR=0\r\nTRANSPARENCY=100\r\nFONTCOLOR=$000000FF\r\n"
                     L"[OWNER]\r\nCOLOR=$00808080\r\nGIVEOWNFONT=TRUE\r\nFONTCOLOR=$00FF0000\r\n"
                     L"TCBOTTOM=$0000FFFF\r\n");
        Target = MakeBmp(60, 24, 3);
        Model = MakeBmp(60, 24, 3);
        for (TBitmap* bmp : {Target.get(), Model.get()}) {
            FillBytes(bmp, 0x00, 0xFF, 0x00);
            bmp->Canvas()->Font()->SetQuality(fqNonAntialiased);
            bmp->Canvas()->Font()->SetHeight(-16);
        }
    }
    // The model: Passes in order over the background, in the target's font.
    void DrawModel(std::initializer_list<TPass> Passes, const TRect& R) {
        const HDC dc = Model->Canvas()->Handle();
        const HGDIOBJ old = SelectObject(dc, Target->Canvas()->Font()->Handle());
        SetBkMode(dc, TRANSPARENT);
        for (const TPass& pass : Passes) {
            SetTextColor(dc, static_cast<COLORREF>(pass.Colour));
            TRect r = R;
            OffsetRect(&r, pass.Dx, pass.Dy);
            DrawTextW(dc, Sample.c_str(), static_cast<int>(Sample.size()), &r, Format);
        }
        SelectObject(dc, old);
    }
    int Section(const wchar_t* Name) const { return Manager->GetSkinIndex(Name); }
    // The pixels where the target and the model differ, as "x,y: target/model" lines.
    std::string Differences() const {
        std::string out;
        for (int y = 0; y < Target->Height(); ++y)
            for (int x = 0; x < Target->Width(); ++x) {
                const Byte* t = PixelOf(Target.get(), x, y);
                const Byte* m = PixelOf(Model.get(), x, y);
                if (std::equal(t, t + 3, m)) continue;
                char line[64];
                std::snprintf(line, sizeof line, "%d,%d: %06lX/%06lX\n", x, y,
                              RGB(t[2], t[1], t[0]), RGB(m[2], m[1], m[0]));
                out += line;
            }
        return out;
    }
    // The colours found in the target, the background included.
    std::set<DWORD> Colours() const {
        std::set<DWORD> found;
        for (int y = 0; y < Target->Height(); ++y)
            for (int x = 0; x < Target->Width(); ++x) {
                const Byte* p = PixelOf(Target.get(), x, y);
                found.insert(RGB(p[2], p[1], p[0]));
            }
        return found;
    }

    TBmpPtr Target, Model;
    const TRect R{4, 3, 56, 22};
};

TEST_F(SkinText, OutlinePassesComeBeforeTheMainPassInTheirOrder) {
    struct TCase {
        const wchar_t* Section;
        bool Hot;
        std::initializer_list<TPass> Passes;
    };
    const TCase cases[] = {
        // White one pixel to the right, then black in place.
        {L"PLAIN", false, {{0xFFFFFF, 1, 0}, {0x000000, 0, 0}}},
        // Hot colours: left, top, right and bottom outlines, then the main colour.
        {L"PLAIN",
         true,
         {{0x00FFFF, -1, 0}, {0xFF0000, 0, -1}, {0x808080, 1, 0}, {0x008000, 0, 1}, {0xFF, 0, 0}}},
        // Hot colours without outlines, although the normal ones have four.
        {L"SOLO", true, {{0x800000, 0, 0}}},
    };
    for (const TCase& c : cases) {
        FillBytes(Target.get(), 0x00, 0xFF, 0x00);
        FillBytes(Model.get(), 0x00, 0xFF, 0x00);
        WriteSkinText(Target->Canvas(), Sample, true, R, Format, Section(c.Section), c.Hot,
                      nullptr);
        DrawModel(c.Passes, R);
        EXPECT_EQ(Differences(), "") << c.Section << " " << c.Hot;
        EXPECT_GE(Colours().size(), 2u) << "the passes drew something";
    }
    // The model notices a pass drawn on the wrong side.
    FillBytes(Model.get(), 0x00, 0xFF, 0x00);
    WriteSkinText(Target->Canvas(), Sample, true, R, Format, Section(L"PLAIN"), false, nullptr);
    DrawModel({{0xFFFFFF, -1, 0}, {0x000000, 0, 0}}, R);
    EXPECT_NE(Differences(), "");
}

TEST_F(SkinText, DisabledTextIsTheFontColourBlendedIntoTheSection) {
    // 0.4 x black + 0.6 x white = 153 per channel; outlines and hot colours are not used.
    for (bool hot : {false, true}) {
        FillBytes(Target.get(), 0x00, 0xFF, 0x00);
        WriteSkinText(Target->Canvas(), Sample, false, R, Format, Section(L"PLAIN"), hot, nullptr);
        EXPECT_EQ(Colours(), (std::set<DWORD>{0x00FF00, 0x999999})) << hot;
    }
}

TEST_F(SkinText, NothingWithoutASectionOrText) {
    const std::vector<Byte> before = AllBytes(Target.get());
    WriteSkinText(Target->Canvas(), Sample, true, R, Format, -1, false, nullptr);
    WriteSkinText(Target->Canvas(), Sample, true, R, Format, 10000, false, nullptr);
    Target->Canvas()->Brush()->SetStyle(bsSolid);
    WriteSkinText(Target->Canvas(), L"", true, R, Format, Section(L"PLAIN"), false, nullptr);
    EXPECT_EQ(Target->Canvas()->Brush()->Style(), bsClear); // the brush is cleared all the same
    EXPECT_EQ(AllBytes(Target.get()), before);
}

class ControlText : public SkinText {
protected:
    void SetUp() override {
        SkinText::SetUp();
        Form = Construct<TForm>(Application);
        Form->HandleNeeded();
        Owner = new TSkinnedBox(Form, L"OWNER", 93);
        Owner->HandleNeeded();
        Owner->Font()->SetQuality(fqNonAntialiased);
        Owner->Font()->SetHeight(-16);
    }
    void TearDown() override {
        Form->Free();
        SkinText::TearDown();
    }
    // A control of class code Code and section Section on the owner box.
    TSkinnedBox* Child(const wchar_t* Section, int Code) {
        auto* child = new TSkinnedBox(Owner, Section, Code);
        child->HandleNeeded();
        return child;
    }

    TForm* Form = nullptr;
    TSkinnedBox* Owner = nullptr;
};

TEST_F(ControlText, TransparentCheckBoxesTakeTheirParentsColours) {
    // A check box (code 32) of a fully transparent section over a section that gives its own
    // font: the parent's blue with its yellow bottom outline; a button (93) keeps its own red.
    struct TCase {
        int Code;
        std::initializer_list<TPass> Passes;
    };
    for (const TCase& c :
         {TCase{32, {{0x00FFFF, 0, 1}, {0xFF0000, 0, 0}}}, TCase{93, {{0x0000FF, 0, 0}}}}) {
        TSkinnedBox* box = Child(L"SEETHROUGH", c.Code);
        FillBytes(Target.get(), 0x00, 0xFF, 0x00);
        FillBytes(Model.get(), 0x00, 0xFF, 0x00);
        WriteControlText(Target->Canvas(), Sample, true, R, Format, box->Link, false);
        DrawModel(c.Passes, R);
        EXPECT_EQ(Differences(), "") << c.Code;
        box->Free();
    }
}

TEST_F(ControlText, ClippedToTheRectAndDisabledOverTheGlobalColour) {
    TSkinnedBox* box = Child(L"PLAIN", 93);
    // The right outline would fall one pixel left of R and the text beyond its right edge.
    const TRect narrow(R.left, R.top, R.left + 12, R.bottom);
    WriteControlText(Target->Canvas(), Sample, true, narrow, Format, box->Link, false);
    for (int y = 0; y < Target->Height(); ++y)
        for (int x = 0; x < Target->Width(); ++x) {
            if (x >= narrow.left && x < narrow.right && y >= narrow.top && y < narrow.bottom)
                continue;
            const Byte* p = PixelOf(Target.get(), x, y);
            ASSERT_EQ(RGB(p[2], p[1], p[0]), 0x00FF00u) << x << "," << y;
        }
    // Disabled: 0.4 x black + 0.6 x the skin's global colour 0xD0E0F0.
    FillBytes(Target.get(), 0x00, 0xFF, 0x00);
    WriteControlText(Target->Canvas(), Sample, false, R, Format, box->Link, false);
    EXPECT_EQ(Colours(), (std::set<DWORD>{0x00FF00, 0x7D8690}));
    // A custom font keeps the control's own font colour and no outlines.
    box->Link->SetCustomFont(true);
    box->Font()->SetColor(static_cast<TColor>(0x123456));
    FillBytes(Target.get(), 0x00, 0xFF, 0x00);
    WriteControlText(Target->Canvas(), Sample, true, R, Format, box->Link, false);
    EXPECT_EQ(Colours(), (std::set<DWORD>{0x00FF00, 0x123456}));
}

TEST_F(ControlText, HotWebButtonsAreUnderlined) {
    TSkinnedBox* box = Child(L"WEBBUTTON", 93);
    for (bool hot : {true, false}) {
        WriteControlText(Target->Canvas(), Sample, true, R, Format, box->Link, hot);
        EXPECT_EQ(Target->Canvas()->Font()->Style().Contains(fsUnderline), hot);
    }
    TSkinnedBox* plain = Child(L"PLAIN", 93);
    WriteControlText(Target->Canvas(), Sample, true, R, Format, plain->Link, true);
    EXPECT_FALSE(Target->Canvas()->Font()->Style().Contains(fsUnderline));
}

// ---- measures and layout -------------------------------------------------------------------

TEST_F(SkinText, FitTextToWidthShortensWithAnEllipsis) {
    TCanvas* canvas = Target->Canvas();
    const UnicodeString text = L"abcdefgh";
    struct TCase {
        int MaxWidth;
        UnicodeString Expected;
    };
    const TCase cases[] = {
        {0, L""},
        {-5, L""},
        {canvas->TextWidth(text), text},
        {canvas->TextWidth(text) + 40, text},
        {canvas->TextWidth(L"abc..."), L"abc..."},
        {canvas->TextWidth(L"abcd...") - 1, L"abc..."},
        {canvas->TextWidth(L"a...") - 1, L""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FitTextToWidth(canvas, text, c.MaxWidth), c.Expected) << c.MaxWidth;
    EXPECT_EQ(FitTextToWidth(canvas, L"", 100), L"");
}

TEST_F(SkinText, FontTextSizeMeasuresInTheGivenFont) {
    TFont big;
    big.SetHeight(-40);
    Target->Canvas()->SetFont(&big);
    TSize size;
    FontTextSize(big.Handle(), Sample, size);
    EXPECT_EQ(size.cx, Target->Canvas()->TextExtent(Sample).cx);
    EXPECT_EQ(size.cy, Target->Canvas()->TextExtent(Sample).cy);
    EXPECT_GE(size.cy, 40);
}

TEST(GlyphLayout, PositionsByTable) {
    struct TCase {
        TRect Client;
        TPoint Glyph, Text;
        int Layout, Alignment, Margin, Spacing;
        UINT BiDi;
        TPoint GlyphPos;
        TRect TextBounds;
    };
    const TRect c(0, 0, 100, 40);
    const TPoint g(16, 16), t(30, 10);
    const TCase cases[] = {
        // Automatic margin and spacing: the free 54 pixels in three equal parts.
        {c, g, t, 0, 0, -1, -1, 0, {18, 12}, {52, 15, 82, 25}},
        {c, g, t, 0, 0, 4, 2, 0, {4, 12}, {22, 15, 52, 25}},
        {c, g, t, 0, 1, 4, 2, 0, {48, 12}, {66, 15, 96, 25}},
        {c, g, t, 0, 2, -1, 2, 0, {26, 12}, {44, 15, 74, 25}},
        {c, g, t, 1, 0, 4, 2, 0, {36, 12}, {4, 15, 34, 25}},
        {c, g, t, 1, 1, 4, 2, 0, {80, 12}, {48, 15, 78, 25}},
        // Right to left: layout 0 puts the glyph at the right.
        {c, g, t, 0, 0, 4, 2, DT_RIGHT, {36, 12}, {4, 15, 34, 25}},
        {c, g, t, 1, 0, 4, 2, DT_RIGHT, {4, 12}, {22, 15, 52, 25}},
        {c, g, t, 2, 0, 4, 2, 0, {42, 6}, {35, 24, 65, 34}},
        {c, g, t, 3, 0, 4, 2, 0, {42, 18}, {35, 6, 65, 16}},
        // A given margin with automatic spacing; automatic margin 2 when not centred.
        {c, g, t, 0, 0, 4, -1, 0, {4, 12}, {45, 15, 75, 25}},
        {c, g, t, 0, 0, -1, 3, 0, {2, 12}, {21, 15, 51, 25}},
        // No text width: no spacing.
        {c, g, {0, 10}, 0, 0, 4, 5, 0, {4, 12}, {20, 15, 20, 25}},
        // The client's own position moves both.
        {{10, 20, 110, 60}, g, t, 0, 0, -1, -1, 0, {28, 32}, {62, 35, 92, 45}},
        // Negative halves and thirds truncate toward zero.
        {{0, 0, 20, 10}, g, t, 0, 0, -1, -1, 0, {-8, -2}, {0, 0, 30, 10}},
    };
    for (const TCase& k : cases) {
        TPoint glyph(-99, -99);
        TRect text(-99, -99, -99, -99);
        CalcGlyphLayout(k.Client, k.Glyph, k.Text, k.Layout, k.Alignment, k.Margin, k.Spacing,
                        glyph, text, k.BiDi);
        EXPECT_EQ(glyph, k.GlyphPos) << k.Layout << "/" << k.Alignment << "/" << k.Margin;
        EXPECT_EQ(text, k.TextBounds) << k.Layout << "/" << k.Alignment << "/" << k.Margin;
    }
}

} // namespace
