#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

#include "SkinTesting.h"

#include <memory>

namespace {

using SkinnedControl = SkinTest;

TEST_F(SkinnedControl, HintsComeBackOnlyFromWhoeverSuspendedThem) {
    Application->SetShowHint(true);
    int first = 0, second = 0;
    SuspendHints(&first);
    EXPECT_TRUE(HintsSuspended);
    EXPECT_FALSE(Application->ShowHint());
    SuspendHints(&second); // a second press does not overwrite the saved value
    EXPECT_EQ(HintsSuspender(), &first);
    RestoreHints(&second);
    EXPECT_FALSE(Application->ShowHint());
    EXPECT_TRUE(HintsSuspended);
    RestoreHints(&first);
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_FALSE(HintsSuspended);
}

TEST_F(SkinnedControl, CommandsAnsweredInAnyState) {
    TMessage isSkinned{SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0, 0};
    EXPECT_TRUE(AnswerAnyStateCommand(isSkinned));
    EXPECT_EQ(isSkinned.Result, 1);
    TMessage application{SM_ALPHACMD, SkinWParam(SKCMD_GETAPPLICATION), 0, 0};
    EXPECT_TRUE(AnswerAnyStateCommand(application));
    EXPECT_EQ(application.Result, reinterpret_cast<LRESULT>(Application));
    TMessage other{SM_ALPHACMD, SkinWParam(SKCMD_REPAINT), 0, 0};
    EXPECT_FALSE(AnswerAnyStateCommand(other));
    TMessage plain{WM_PAINT, SkinWParam(SKCMD_ISSKINNED), 0, 0};
    EXPECT_FALSE(AnswerAnyStateCommand(plain));
}

TEST_F(SkinnedControl, LinkTakesTheDefaultSectionOfItsCodeAndStaysUnskinned) {
    struct Case {
        int code;
        const wchar_t* section;
    };
    const Case cases[] = {{3, L"EDIT"},         {19, L"BAR"},         {20, L"BARTITLE"},
                          {32, L"CHECKBOX"},    {33, L"RADIOBUTTON"}, {51, L"PANEL"},
                          {58, L"PANEL_LOW"},   {74, L"GROUPBOX"},    {75, L"SPLITTER"},
                          {92, L"SPEEDBUTTON"}, {93, L"BUTTON"},      {151, L"STATUSBAR"},
                          {226, L"GROUPBOX"},   {999, L"TSKINPROBE"}};
    TSkinProbe probe(nullptr);
    for (const Case& c : cases) {
        TsCommonData data(&probe, false);
        data.COC = c.code;
        data.Loaded();
        EXPECT_EQ(data.SkinSection(), c.section) << c.code;
        EXPECT_EQ(data.SkinIndex, -1);
        EXPECT_FALSE(data.Skinned());
        EXPECT_EQ(data.CacheBmp(), nullptr);
    }
    TsCommonData named(&probe, true);
    named.SetSkinSection(L"bar");
    named.Loaded();
    EXPECT_EQ(named.SkinSection(), L"BAR");
    named.SetSkinSection(L"");
    EXPECT_EQ(named.SkinSection(), L"UNKNOWN");
    EXPECT_EQ(DefaultSkinManager, nullptr);
}

TEST_F(SkinnedControl, PassMessageToChildrenReachesGraphicAndNestedControls) {
    std::unique_ptr<TForm, graphics_detail::TFreeObject> form(new TForm(nullptr));
    auto* outer = new TSkinProbe(form.get());
    outer->SetParent(form.get());
    auto* inner = new TSkinProbe(form.get());
    inner->SetParent(outer);
    outer->HandleNeeded();
    inner->HandleNeeded();
    // outer does not answer 7, so the walk goes into it and sends to inner as it is skinned
    inner->OnCommand = [](TMessage& m) {
        if (SkinCommandOf(m.WParam) != SKCMD_ISSKINNED) return false;
        m.Result = 1;
        return true;
    };
    TMessage message{SM_ALPHACMD, SkinWParam(SKCMD_REPAINT), 0, 0};
    PassMessageToChildren(form.get(), message);
    EXPECT_EQ(outer->Commands, std::vector<WORD>{SKCMD_ISSKINNED});
    EXPECT_EQ(inner->Commands, (std::vector<WORD>{SKCMD_ISSKINNED, SKCMD_REPAINT}));
}

} // namespace
