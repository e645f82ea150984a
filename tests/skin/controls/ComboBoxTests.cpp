// The skinned combo box's face in its cache: the section, the drop-down button of the skin's
// button section with the combo glyph in the normal, hot and dropped-down states, the selected
// text in the section's font colour, the disabled look; and the plain box again without skin.
#include "SkinnedTesting.h"

#include "framework/StdCtrls.h"
#include "skin/controls/sComboBox.h"

namespace {

constexpr int W = 150;

class SkinnedComboBox : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        Combo = Place<TsComboBox>(TRect(20, 30, 20 + W, 52));
        Combo->SetStyle(csDropDownList);
        for (const wchar_t* item : {L"Alpha", L"Beta"}) Combo->Items()->Add(item);
        Combo->SetItemIndex(0);
        Sink = Place<TEdit>(TRect(20, 150, 120, 170));
        ApplySkin();
        ShowActive();
        Sink->SetFocus();
    }
    TBitmap* Paint() {
        TBmpPtr target = MakeBmp(W, Combo->Height(), 3);
        Combo->Perform(WM_PRINT, reinterpret_cast<WPARAM>(target->Canvas()->Handle()), PRF_CLIENT);
        return Combo->SkinData()->CacheBmp();
    }
    TsComboBox* Combo = nullptr;
    TEdit* Sink = nullptr;
};

TEST_F(SkinnedComboBox, FaceShowsSectionButtonGlyphAndTextInEachState) {
    struct Case {
        const char* Name;
        void (*Enter)(TsComboBox*);
        void (*Leave)(TsComboBox*);
        unsigned Edge, ButtonEdge, Glyph;
    };
    const Case cases[] = {
        {"normal", [](TsComboBox*) {}, [](TsComboBox*) {}, CtlComboEdge0, CtlComboBtnEdge0,
         CtlComboGlyph0},
        {"hot", [](TsComboBox* c) { c->SkinData()->FMouseAbove = true; },
         [](TsComboBox* c) { c->SkinData()->FMouseAbove = false; }, CtlComboEdge1, CtlComboBtnEdge1,
         CtlComboGlyph1},
        {"dropped down",
         [](TsComboBox* c) { c->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_DROPDOWN), 0); },
         [](TsComboBox* c) { c->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), 0); },
         CtlComboEdge0, CtlComboBtnEdge2, CtlComboGlyph2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Enter(Combo);
        Combo->SkinData()->BGChanged = true;
        TBitmap* cache = Paint();
        const int h = Combo->Height();
        const TRect button = Combo->ButtonRect();
        EXPECT_EQ(RgbAt(cache, W / 2, 0), c.Edge);
        EXPECT_EQ(RgbAt(cache, button.left + button.Width() / 2, button.top), c.ButtonEdge);
        EXPECT_EQ(RgbAt(cache, button.left + button.Width() / 2, h / 2), c.Glyph);
        EXPECT_EQ(RgbAt(cache, button.left - 3, h / 2), CtlComboColor);
        EXPECT_GT(CountRgb(cache, TRect(3, 3, button.left - 1, h - 3), CtlComboFont), 0);
        EXPECT_EQ(Combo->Color(), SkinColour(CtlComboColor));
        c.Leave(Combo);
    }
}

TEST_F(SkinnedComboBox, DisabledFaceIsHalfTheParentsColour) {
    TBmpPtr normal = MakeBmp(W, Combo->Height(), 3);
    normal->Assign(Paint());
    Combo->SetEnabled(false);
    TBitmap* cache = Paint();
    int wrong = 0;
    for (int y = 0; y < Combo->Height(); ++y)
        for (int x = 0; x < W; ++x)
            wrong += RgbAt(cache, x, y) != PercentMix(RgbAt(normal.get(), x, y), 50, FormRgb);
    EXPECT_EQ(wrong, 0);
}

TEST_F(SkinnedComboBox, WithoutTheSkinItIsThePlainBoxAgain) {
    Paint();
    const HWND skinned = Combo->Handle();
    RemoveSkin();
    EXPECT_NE(Combo->Handle(), skinned) << "a new window, drawn by the system";
    EXPECT_EQ(Combo->Color(), clWindow);
    EXPECT_EQ(Combo->ItemIndex(), 0);
    EXPECT_EQ(Combo->Text(), L"Alpha");
}

} // namespace
