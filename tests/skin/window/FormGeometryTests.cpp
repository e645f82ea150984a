// Frame measures from injected system metrics, the icon size table, and the window region read
// back against the skin's corner holes.
#include "FormSkinTesting.h"

#include <map>

namespace {

std::map<int, int> Metrics;
int WINAPI FakeMetrics(int Index) {
    auto found = Metrics.find(Index);
    return found == Metrics.end() ? GetSystemMetrics(Index) : found->second;
}

HRESULT WINAPI ComposingOn(BOOL* On) {
    *On = TRUE;
    return S_OK;
}
HRESULT WINAPI ComposingFails(BOOL*) { return E_FAIL; }

class FormGeometry : public FormSkinTest {
protected:
    void SetUp() override {
        FormSkinTest::SetUp();
        Metrics = {{SM_CXFRAME, 7},
                   {SM_CXDLGFRAME, 5},
                   {SM_CYCAPTION, 27},
                   {SM_CYSMCAPTION, 17},
                   {SM_CYMENU, 21}};
        FormSystemMetrics = &FakeMetrics;
    }
    void TearDown() override {
        FormSystemMetrics = &GetSystemMetrics;
        FormSkinTest::TearDown();
    }
};

TEST_F(FormGeometry, MeasuresFollowTheBorderStyleAndTheMetrics) {
    ApplySkin();
    struct TCase {
        TFormBorderStyle Style;
        int Caption, Border;
        bool Big;
    };
    const TCase cases[] = {{bsSizeable, 27, 7, true},     {bsSingle, 27, 5, true},
                           {bsDialog, 27, 5, false},      {bsToolWindow, 17, 5, false},
                           {bsSizeToolWin, 17, 7, false}, {bsNone, 0, 0, false}};
    for (const TCase& c : cases) {
        TForm* form = MakeForm(c.Style);
        auto* provider = Construct<TsSkinProvider>(form);
        SCOPED_TRACE(static_cast<int>(c.Style));
        EXPECT_EQ(provider->CaptionHeight(), c.Caption);
        EXPECT_EQ(provider->BorderWidth(), c.Border);
        EXPECT_EQ(provider->BorderHeight(), c.Border);
        EXPECT_EQ(provider->BigButtons(), c.Big);
        EXPECT_EQ(provider->MenuHeight(), 0);
        EXPECT_EQ(provider->CaptionWidth(), form->Width());
    }
}

TEST_F(FormGeometry, InnerMarginAndMenuAddToTheMeasures) {
    ApplySkin();
    TForm* form = MakeForm(bsSizeable);
    form->SetBorderWidth(3);
    auto* provider = Construct<TsSkinProvider>(form);
    EXPECT_EQ(provider->BorderWidth(), 10);
    auto* menu = new TMainMenu(form);
    form->SetMenu(menu);
    EXPECT_EQ(provider->MenuHeight(), 20);
}

TEST(FormGeometryTable, IconSizeFor) {
    const std::pair<int, int> cases[] = {{-100, 1}, {0, 1},   {8, 1},     {9, 8},
                                         {16, 8},   {17, 16}, {-101, 16}, {40, 16}};
    for (auto [height, size] : cases) EXPECT_EQ(IconSizeFor(height), size) << height;
}

TEST_F(FormGeometry, TheRegionCutsTheSkinCornersOut) {
    ApplySkin();
    TForm* form = MakeForm(bsSizeable, 300, 200);
    auto* provider = Construct<TsSkinProvider>(form);
    ShowActive(form);
    SendTo(form, WM_NCPAINT, 1);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(form->Handle(), region), ERROR);
    const int w = form->Width();
    const int h = form->Height();
    // Outside: the three key pixels of each corner; inside: their neighbours.
    const POINT holes[] = {{0, 0},     {1, 0},         {0, 1},         {w - 1, 0},
                           {w - 2, 0}, {w - 1, 1},     {0, h - 1},     {1, h - 1},
                           {0, h - 2}, {w - 1, h - 1}, {w - 2, h - 1}, {w - 1, h - 2}};
    for (POINT p : holes) EXPECT_FALSE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
    const POINT kept[] = {{2, 0},     {1, 1},     {0, 2},     {w - 3, 0},     {w - 2, 1},
                          {w - 1, 2}, {2, h - 1}, {1, h - 2}, {w - 2, h - 2}, {w / 2, h / 2}};
    for (POINT p : kept) EXPECT_TRUE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
    DeleteObject(region);
    EXPECT_EQ(provider->CutOuts().size(), 8u);
}

TEST_F(FormGeometry, CompositionIsAQueryAndOffUnderThisSystem) {
    EXPECT_FALSE(IsDwmComposing());
    auto saved = DwmIsCompositionEnabledProc;
    DwmIsCompositionEnabledProc = &ComposingOn;
    EXPECT_TRUE(IsDwmComposing());
    DwmIsCompositionEnabledProc = &ComposingFails;
    EXPECT_FALSE(IsDwmComposing());
    DwmIsCompositionEnabledProc = saved;
}

} // namespace
