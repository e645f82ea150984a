// The product skin painted whole, for people to judge: a swatch sheet of every section in its
// normal, hot and pressed states over a checker, and a form of nested panels at transparencies
// 0, 40 and 100, each panel painted into its own bitmap over its parent's, as skinned controls
// paint their caches. Both are saved as PNG files in the build folder; the checks here are the
// ones that hold for any design: no key colour shows, a fully transparent panel is its parent,
// a 40 % one is 60 % its own colour.
#include "SectionTesting.h"

#include "skin/engine/sGradient.h"
#include "skin/engine/sStyleSimply.h"

namespace {

class ProductSkinPictures : public SectionTest {
protected:
    void SetUp() override {
        SectionTest::SetUp();
        LoadSkin(ProductSkinName);
        // Triangle gradients are the system's: bound here as the library's start-up binds them.
        FMsImg = LoadLibraryW(L"msimg32.dll");
        GradientFillProc = reinterpret_cast<TGradientFillProc>(
            reinterpret_cast<void*>(GetProcAddress(FMsImg, "GradientFill")));
    }
    void TearDown() override {
        GradientFillProc = nullptr;
        FreeLibrary(FMsImg);
        SectionTest::TearDown();
    }

private:
    HMODULE FMsImg = nullptr;
};

int KeyPixels(TBitmap* Bmp) {
    int count = 0;
    for (int y = 0; y < Bmp->Height(); ++y)
        for (int x = 0; x < Bmp->Width(); ++x) count += RgbAt(Bmp, x, y) == 0xFF00FF;
    return count;
}

// A panel of the skin: its own bitmap, painted over its parent's at Position.
struct TPanelPicture {
    TBmpPtr Bmp;
    TPoint Position;
};

TPanelPicture PaintPanel(TsSkinManager* Manager, const UnicodeString& Section, TBitmap* Parent,
                         const TRect& Bounds, int State = 0) {
    TPanelPicture panel{TBmpPtr(CreateBmp24(Bounds.Width(), Bounds.Height())), Bounds.TopLeft()};
    PaintSkinItem(Manager->GetSkinIndex(Section), Section,
                  CacheInfoFor(Parent, Bounds.left, Bounds.top), true, State,
                  TRect(0, 0, Bounds.Width(), Bounds.Height()), TPoint(0, 0), panel.Bmp.get(),
                  Manager);
    return panel;
}

void Place(TBitmap* Parent, const TPanelPicture& Child) {
    BitBlt(Parent->Canvas()->Handle(), Child.Position.x, Child.Position.y, Child.Bmp->Width(),
           Child.Bmp->Height(), Child.Bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

TEST_F(ProductSkinPictures, SwatchSheetOfEverySectionAndState) {
    constexpr int label = 180, cellW = 160, cellH = 40, gap = 12, top = 30;
    const int rows = static_cast<int>(Manager->gd.size());
    TBmpPtr sheet =
        MakeChecker(label + 3 * (cellW + gap) + gap, top + rows * (cellH + gap) + gap, 3, 6);
    TCanvas* canvas = sheet->Canvas();
    canvas->Brush()->SetStyle(bsClear);
    const wchar_t* states[3] = {L"normal", L"hot", L"pressed"};
    for (int s = 0; s < 3; ++s) canvas->TextOut(label + s * (cellW + gap), 8, states[s]);
    for (int i = 0; i < rows; ++i) {
        const int y = top + i * (cellH + gap);
        canvas->TextOut(8, y + cellH / 2 - 7, Manager->gd[i].ClassName);
        for (int s = 0; s < 3; ++s) {
            const int x = label + s * (cellW + gap);
            Place(sheet.get(), PaintPanel(Manager, Manager->gd[i].ClassName, sheet.get(),
                                          TRect(x, y, x + cellW, y + cellH), s));
        }
    }
    SavePng(sheet.get(), "product-skin-swatches.png");
    EXPECT_EQ(KeyPixels(sheet.get()), 0) << "a transparent pixel left unresolved";
}

TEST_F(ProductSkinPictures, NestedPanelsAtEachTransparency) {
    TBmpPtr desk = MakeChecker(480, 300, 3, 8);
    TPanelPicture form = PaintPanel(Manager, L"MDIAREA", desk.get(), TRect(0, 0, 480, 300));
    const wchar_t* sections[3] = {L"GROUPBOX", L"PANEL_LOW", L"CHECKBOX"};
    const int transparency[3] = {0, 40, 100};
    TBmpPtr before(CreateBmp24(480, 300));
    before->Assign(form.Bmp.get());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Manager->gd[Manager->GetSkinIndex(sections[i])].Transparency, transparency[i])
            << "the design this picture shows";
        TPanelPicture panel = PaintPanel(Manager, sections[i], form.Bmp.get(),
                                         TRect(15 + i * 155, 40, 155 + i * 155, 280));
        Place(panel.Bmp.get(),
              PaintPanel(Manager, L"PANEL_LOW", panel.Bmp.get(), TRect(20, 40, 120, 120)));
        Place(panel.Bmp.get(),
              PaintPanel(Manager, L"BUTTON_HUGE", panel.Bmp.get(), TRect(20, 150, 120, 200)));
        Place(form.Bmp.get(), panel);
    }
    SavePng(form.Bmp.get(), "product-skin-nested-panels.png");

    // Away from borders and children: the 100 % panel is the form, the 40 % one 60 % its own
    // colour over the form.
    const unsigned own = RgbOf(Manager->gd[Manager->GetSkinIndex(L"PANEL_LOW")].Color);
    for (int y = 166; y < 186; y += 5)
        for (int x = 185; x < 295; x += 7)
            EXPECT_EQ(RgbAt(form.Bmp.get(), x, y), AlphaBlend(RgbAt(before.get(), x, y), own, 102));
    for (int y = 166; y < 186; y += 5)
        for (int x = 340; x < 450; x += 7)
            EXPECT_EQ(RgbAt(form.Bmp.get(), x, y), RgbAt(before.get(), x, y));
    EXPECT_EQ(KeyPixels(form.Bmp.get()), 0);
}

} // namespace
