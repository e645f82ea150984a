// The tree painted with visual styles allowed: whatever theme the display has (or none), the
// themed paths for header cells, expand buttons, system check images and explorer-style
// selection must paint the content. The pixels of a theme are not checked: they are the
// theme's (the classic look is checked with themes pinned off elsewhere).
#include "WindowFixture.h"

namespace {

using namespace vtree_test;

class VTThemedPaint : public TWindowFixture {
protected:
    VTThemedPaint() {
        TThemeServices::PinThemesOff(false);
        Window->Perform(WM_THEMECHANGED, 0, 0);
    }
};

TEST_F(VTThemedPaint, HeaderAndRowsPaintTheirContentUnderTheActiveTheme) {
    EXPECT_EQ(Tree().TreeStates().Contains(tsUseThemes), ThemeServices()->ThemesEnabled());
    for (int width : {150, 100}) Header().Columns()->Add()->SetWidth(width);
    Header().Columns()->Items(0)->SetText(L"Name");
    Header().SetOptions(Header().Options() +
                        TVTHeaderOptions{hoVisible, hoHotTrack, hoShowSortGlyphs});
    Header().SetSortColumn(0);
    Header().Columns()->SetHoverIndex(1);
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetPaintOptions(options->PaintOptions() +
                             TVTPaintOptions{toUseExplorerTheme, toHotTrack, toPopupMode});
    options->SetSelectionOptions({toFullRowSelect});
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toCheckSupport});
    Window->SetCheckImageKind(ckSystemDefault);
    Recorder.Build(Tree(), L"A(A1,A2),B,C");
    Tree().SetCheckType(Recorder.Find(L"A"), ctCheckBox);
    Tree().SetCheckType(Recorder.Find(L"B"), ctRadioButton);
    Tree().SetCheckType(Recorder.Find(L"C"), ctButton);
    Tree().SetSelected(Recorder.Find(L"B"), true);
    Tree().SetHotNode(Recorder.Find(L"A1"));

    auto header = PrintHeader();
    const TRect first{Window->HeaderRect().left, Window->HeaderRect().top,
                      Window->HeaderRect().left + 150, Window->HeaderRect().bottom};
    EXPECT_GT(CountColor(*header, first, ColorToRGB(clWindowText)), 0) << "the caption";

    auto client = PrintClient();
    const TRect b = Window->GetDisplayRect(Recorder.Find(L"B"), NoColumn, false);
    const TRect c = Window->GetDisplayRect(Recorder.Find(L"C"), NoColumn, false);
    int differing = 0;
    for (int x = 0; x < 250; ++x)
        if (PixelAt(*client, x, b.top + 2) != PixelAt(*client, x, c.top + 2)) ++differing;
    EXPECT_GT(differing, 100) << "the selected row stands out";
    const TColor background = PixelAt(*client, 300, c.top + 2);
    int marked = 0;
    for (int x = 22; x < 38; ++x) // Margin and the root's indent step: where the image goes
        for (int y = c.top; y < c.bottom; ++y)
            if (PixelAt(*client, x, y) != background) ++marked;
    EXPECT_GT(marked, 20) << "the push button's check image";
}

} // namespace
