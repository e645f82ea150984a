#include "skin/controls/sPanel.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/controls/sSplitter.h"
#include "skin/controls/sStatusBar.h"

#include "SkinTesting.h"

namespace {

using ContainerControls = SkinFormTest;

TEST_F(ContainerControls, EachAnswersTheSkinAndKeepsItsDefaultSection) {
    auto* panel = new TsPanel(Form);
    auto* splitter = new TsSplitter(Form);
    auto* bar = new TsStatusBar(Form);
    struct Case {
        TControl* control;
        TsCommonData* data;
        const wchar_t* section;
        int code;
    };
    const Case cases[] = {{panel, panel->SkinData(), L"PANEL", 51},
                          {splitter, splitter->SkinData(), L"SPLITTER", 75},
                          {bar, bar->SkinData(), L"STATUSBAR", 151}};
    for (const Case& c : cases) {
        c.control->SetParent(Form);
        c.data->Loaded();
        EXPECT_EQ(Ask(c.control, SKCMD_ISSKINNED), 1) << c.code;
        EXPECT_EQ(Ask(c.control, SKCMD_GETAPPLICATION), reinterpret_cast<LRESULT>(Application));
        EXPECT_EQ(c.data->SkinSection(), c.section);
        EXPECT_EQ(c.data->COC, c.code);
        EXPECT_FALSE(c.data->Skinned());
    }
    EXPECT_NE(panel->SkinData()->CacheBmp(), nullptr);
    EXPECT_EQ(splitter->SkinData()->CacheBmp(), nullptr);
    EXPECT_EQ(splitter->Width(), 6);
}

TEST_F(ContainerControls, PanelPassesSkinChangesToItsChildren) {
    auto* panel = new TsPanel(Form);
    panel->SetParent(Form);
    auto* child = new TSkinProbe(Form);
    child->SetParent(panel);
    int otherManager = 0;
    for (WORD command : {SKCMD_SKINLOADED, SKCMD_SKINREMOVED, SKCMD_REPAINT}) {
        child->Commands.clear();
        Ask(panel, command, reinterpret_cast<LPARAM>(&otherManager));
        EXPECT_EQ(child->Commands, std::vector<WORD>{command}) << command;
    }
}

TEST_F(ContainerControls, PanelOnPaintReplacesThePlainPainting) {
    auto* panel = new TsPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 50, 40);
    int painted = 0;
    struct TPainter {
        int* Count;
        void Paint(TObject*, TCanvas* canvas) {
            ++*Count;
            canvas->Brush()->SetColor(clRed);
            canvas->FillRect(TRect(0, 0, 50, 40));
        }
    } painter{&painted};
    panel->OnPaint = TPaintEvent(&painter, &TPainter::Paint);
    Form->Show();
    panel->Repaint();
    EXPECT_GT(painted, 0);
}

TEST_F(ContainerControls, SplitterKeepsHintsOffForTheDragOnly) {
    auto* splitter = new TsSplitter(Form);
    splitter->SetParent(Form);
    splitter->SetAlign(alLeft);
    Form->Show();
    Application->SetShowHint(true);
    const LPARAM at = MAKELPARAM(2, 10);
    splitter->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_TRUE(splitter->Sizing());
    EXPECT_FALSE(Application->ShowHint());
    splitter->Perform(WM_LBUTTONUP, 0, at);
    EXPECT_FALSE(splitter->Sizing());
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_FALSE(HintsSuspended);

    int other = 0; // someone else switched hints off: the splitter's release leaves them off
    SuspendHints(&other);
    splitter->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
    splitter->Perform(WM_LBUTTONUP, 0, at);
    EXPECT_FALSE(Application->ShowHint());
    RestoreHints(&other);
    EXPECT_TRUE(Application->ShowHint());
}

} // namespace
