// The skinned check box and radio button: their cache image in every state against the test
// skin's colours (section, caption, the skin's glyphs of each check and state, user glyphs),
// their own toggling by mouse and keyboard with the window's check and push messages swallowed,
// the read-only mode, the fade to the hot look, the size AutoSize gives them, and the class
// library's buttons they become again, check kept, when the skin goes.
#include "SkinnedTesting.h"

#include "framework/ImageList.h"
#include "framework/StdCtrls.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sRadioButton.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int W = 120, H = 21;
constexpr int G = CtlGlyphSize;

// Records the frames the fade timer hands over (skin command 24) before it draws them.
template <class T> class TFrameRecording : public T {
public:
    using T::T;
    std::vector<unsigned> Frames; // the glyph's middle pixel of each frame
    TPoint Probe;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == SM_ALPHACMD && SkinCommandOf(Message.WParam) == SKCMD_PAINTFADEFRAME)
            Frames.push_back(RgbAt(reinterpret_cast<TBitmap*>(Message.LParam), Probe.x, Probe.y));
        T::WndProc(Message);
    }
};
using TRecordingCheckBox = TFrameRecording<TsCheckBox>;
using TRecordingRadio = TFrameRecording<TsRadioButton>;

// The mouse entering fades the control from From to To in its section's four frames (ticks
// given by hand); the tick after the last ends the fade.
template <class T> void ExpectHoverFade(TFrameRecording<T>* Control, unsigned From, unsigned To) {
    Control->Frames.clear();
    Control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Control));
    ASSERT_NE(Control->FadeTimer, nullptr);
    Control->FadeTimer->SetEnabled(false);
    for (int i = 0; i < 4; ++i) Control->FadeTimer->Timer();
    EXPECT_EQ(Control->Frames, FadeFrames(From, To, {191, 127, 63, 0}));
    Control->FadeTimer->Timer();
    EXPECT_EQ(Control->FadeTimer, nullptr);
}

void Press(TWinControl* Control) {
    SendMessageW(Control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
}
void Release(TWinControl* Control) {
    SendMessageW(Control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}
void Click(TWinControl* Control) {
    Press(Control);
    Release(Control);
}

class CheckBox : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        Box = Place<TRecordingCheckBox>(TRect(20, 30, 20 + W, 30 + H));
        Box->SetCaption(L"Save");
        Sink = Place<TEdit>(TRect(20, 150, 120, 170));
        ApplySkin();
        Box->SetAutoSize(false);
        Box->SetBounds(20, 30, W, H);
        ShowActive();
        Sink->SetFocus();
        Box->Probe = TPoint(GlyphLeft() + G / 2, GlyphTop() + G / 2);
    }
    int GlyphLeft() const { return Box->Margin(); }
    int GlyphTop() const { return (H - G) / 2; }
    // The box painted (WM_PRINT into a memory bitmap, Printed); answers its cache.
    TBitmap* Paint(TWinControl* Control) {
        Printed = MakeBmp(Control->Width(), Control->Height(), 3);
        Control->Perform(WM_PRINT, reinterpret_cast<WPARAM>(Printed->Canvas()->Handle()),
                         PRF_CLIENT);
        if (auto* box = dynamic_cast<TsCheckBox*>(Control)) return box->SkinData()->CacheBmp();
        return dynamic_cast<TsRadioButton*>(Control)->SkinData()->CacheBmp();
    }
    // The colours a look shows: the section's at the right edge and in the glyph's transparent
    // corner, the glyph's fill in its middle, the caption's font colour right of the glyph, the
    // black dots of a focus frame or none; the window printed shows the cache alone.
    struct TLook {
        unsigned Section, Fill, Font;
        bool Focus;
    };
    void ExpectLook(TBitmap* Cache, const TRect& Glyph, const TLook& Look) {
        ASSERT_EQ(Cache->Width(), W);
        EXPECT_EQ(RgbAt(Cache, W - 2, 1), Look.Section);
        EXPECT_EQ(RgbAt(Cache, Glyph.left, Glyph.top), Look.Section) << "the glyph's corner";
        EXPECT_EQ(RgbAt(Cache, Glyph.left + G / 2, Glyph.top + G / 2), Look.Fill);
        const TRect caption(Glyph.right, 0, W, H);
        EXPECT_GT(CountRgb(Cache, caption, Look.Font), 0);
        EXPECT_EQ(CountRgb(Cache, caption, 0) > 0, Look.Focus) << "the dotted focus frame";
        EXPECT_EQ(AllBytes(Printed.get()), AllBytes(Cache)) << "printed: the skinned image alone";
    }
    // Back to the normal look after a case: a press ends (and toggles; nothing was pressed in
    // the other cases), the mouse leaves, the focus goes elsewhere.
    void EndCase(TWinControl* Control) {
        Release(Control);
        Control->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Control));
        Sink->SetFocus();
    }
    unsigned GlyphMiddle() { return RgbAt(Paint(Box), Box->Probe.x, Box->Probe.y); }
    TRecordingCheckBox* Box = nullptr;
    TEdit* Sink = nullptr;
    TBmpPtr Printed;
};

// Each check and look: the section's colour around, the caption in the section's font colour
// (hot while under the mouse or focused), the skin's glyph of the check in the state's fill
// with the glyph's edge and its transparent corner showing the section.
TEST_F(CheckBox, EachCheckAndLookPaintsTheSkinsColours) {
    Box->SetAnimatEvents({});
    Box->SetAllowGrayed(true);
    struct Case {
        const char* Name;
        TCheckBoxState Check;
        void (*Enter)(TsCheckBox*);
        int State;
        unsigned Fill, Edge;
        bool Focus;
    };
    const auto none = [](TsCheckBox*) {};
    const auto hover = [](TsCheckBox* b) {
        b->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(b));
    };
    const Case cases[] = {
        {"unchecked", cbUnchecked, none, 0, CtlBoxUncheckedFill0, CtlBoxUncheckedEdge, false},
        {"checked", cbChecked, none, 0, CtlBoxCheckedFill0, CtlBoxCheckedEdge, false},
        {"grayed", cbGrayed, none, 0, CtlBoxGrayedFill0, CtlBoxGrayedEdge, false},
        {"hot", cbChecked, hover, 1, CtlBoxCheckedFill1, CtlBoxCheckedEdge, false},
        {"pressed (and focused)", cbUnchecked, [](TsCheckBox* b) { Press(b); }, 2,
         CtlBoxUncheckedFill2, CtlBoxUncheckedEdge, true},
        {"focused", cbUnchecked, [](TsCheckBox* b) { b->SetFocus(); }, 1, CtlBoxUncheckedFill1,
         CtlBoxUncheckedEdge, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Box->SetState(c.Check);
        c.Enter(Box);
        TBitmap* cache = Paint(Box);
        const bool hot = c.State != 0;
        ExpectLook(cache, Box->CheckRect(),
                   {hot ? CtlCheckHotColor : CtlCheckColor, c.Fill,
                    hot ? CtlCheckHotFont : CtlCheckFont, c.Focus});
        EXPECT_EQ(RgbAt(cache, GlyphLeft() + G / 2, GlyphTop()), c.Edge);
        EndCase(Box);
    }
}

// Disabled: 40 % of the image over 60 % of the parent's background.
TEST_F(CheckBox, DisabledLookBlendsTheParentsBackground) {
    TBmpPtr normal = MakeBmp(W, H, 3);
    normal->Assign(Paint(Box));
    Box->SetEnabled(false);
    TBitmap* cache = Paint(Box);
    EXPECT_EQ(CountUnmixed(cache, normal.get(), 40, FormRgb), 0);
}

// A click and the space key toggle the box itself; the window's own check is never changed
// while skinned (asked, the box answers its own), and is the box's check again when the skin
// goes, after which the system's button toggles it again.
TEST_F(CheckBox, TogglesItselfAndKeepsItsCheckWhenTheSkinGoes) {
    int clicks = 0;
    struct TCounter {
        int* Count;
        void Clicked(TObject*) { ++*Count; }
    } counter{&clicks};
    Box->OnClick = TNotifyEvent(&counter, &TCounter::Clicked);
    Box->SetAnimatEvents({});
    Click(Box);
    EXPECT_TRUE(Box->Checked());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GlyphMiddle(), CtlBoxCheckedFill1) << "checked, and focused by the press";
    // The window's own check is the box's business while skinned: setting it changes nothing,
    // asking it answers the box's check.
    SendMessageW(Box->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_TRUE(Box->Checked());
    EXPECT_EQ(SendMessageW(Box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(Box->Pressed());
    EXPECT_EQ(GlyphMiddle(), CtlBoxCheckedFill2);
    SendMessageW(Box->Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(Box->Checked());
    Click(Box);
    ASSERT_TRUE(Box->Checked());
    RemoveSkin();
    EXPECT_EQ(SendMessageW(Box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(Box);
    EXPECT_FALSE(Box->Checked()) << "the system's button toggles it";
    EXPECT_EQ(SendMessageW(Box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(CheckBox, ReadOnlyShowsNoHotLookAndSwallowsTheUsersToggles) {
    Box->SetAnimatEvents({});
    Box->SetReadOnly(true);
    Box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Box));
    EXPECT_EQ(GlyphMiddle(), CtlBoxUncheckedFill0);
    Click(Box);
    SendMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(Box->Handle(), WM_KEYUP, VK_SPACE, 0);
    SendMessageW(Box->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(Box->Checked());
    EXPECT_FALSE(Box->Pressed());
    Box->SetChecked(true);
    EXPECT_EQ(GlyphMiddle(), CtlBoxCheckedFill0) << "code still sets it";
}

// While the box loads, setting its check changes nothing (what it loads decides).
TEST_F(CheckBox, SettingTheCheckWhileLoadingChangesNothing) {
    Box->BeginLoad();
    Box->SetChecked(true);
    EXPECT_FALSE(Box->Checked());
    Box->EndLoad();
    EXPECT_FALSE(Box->Checked());
    Box->SetChecked(true);
    EXPECT_TRUE(Box->Checked()) << "loaded, it takes the check";
}

TEST_F(CheckBox, AllowGrayedCyclesThroughTheGrayedGlyph) {
    Box->SetAllowGrayed(true);
    Box->SetAnimatEvents({});
    const unsigned expected[] = {CtlBoxGrayedFill1, CtlBoxCheckedFill1, CtlBoxUncheckedFill1};
    for (unsigned fill : expected) {
        Click(Box);
        EXPECT_EQ(GlyphMiddle(), fill);
    }
    EXPECT_EQ(Box->State(), cbUnchecked);
}

// Under the mouse the box fades from its normal to its hot look in the section's four frames.
TEST_F(CheckBox, HoverFadesInTheSectionsFrames) {
    Paint(Box);
    ExpectHoverFade(Box, CtlBoxUncheckedFill0, CtlBoxUncheckedFill1);
}

// AutoSize: the glyph and twice the margin, the caption and its indent beside it.
TEST_F(CheckBox, AutoSizeFitsTheGlyphAndTheCaption) {
    Box->SetCaption(L"");
    Box->SetAutoSize(true);
    EXPECT_EQ(Box->Width(), G + 2 * Box->Margin());
    EXPECT_EQ(Box->Height(), G + 2);
    Box->SetCaption(L"Remember the password");
    TSize text;
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, Box->Font()->Handle());
    GetTextExtentPoint32W(screen, L"Remember the password", 21, &text);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(Box->Width(), G + 2 * Box->Margin() + text.cx + 8);
    EXPECT_EQ(Box->Height(), std::max<int>(G, text.cy + 2 * Box->Margin()) + 2);
    // A new caption sizes a box that has no window yet.
    auto* windowless = Construct<TsCheckBox>(Form);
    windowless->SetCaption(L"Remember the password");
    ASSERT_FALSE(windowless->HandleAllocated());
    EXPECT_EQ(windowless->Width(), G + 2 * windowless->Margin() + text.cx + 8);
}

// A picture list's glyph: the list's picture of the check, the same in every state.
TEST_F(CheckBox, ImageListGlyphShowsItsPictureInEveryState) {
    auto* list = Construct<TImageList>(Form);
    list->SetWidth(8);
    list->SetHeight(8);
    for (unsigned rgb : {0x112233u, 0x445566u}) {
        TBmpPtr picture = MakeBmp(8, 8, 3);
        FillBytes(picture.get(), rgb & 0xFF, rgb >> 8 & 0xFF, rgb >> 16);
        list->Add(picture.get(), nullptr);
    }
    Box->SetAnimatEvents({});
    Box->SetImages(list);
    Box->SetImgChecked(0);
    Box->SetImgUnchecked(1);
    const int top = (H - 8) / 2;
    ASSERT_EQ(Box->CheckRect(), TRect(2, top, 10, top + 8));
    const auto look = [&] { return RgbAt(Paint(Box), 5, top + 4); };
    EXPECT_EQ(look(), 0x445566u);
    Box->SetChecked(true);
    EXPECT_EQ(look(), 0x112233u);
    Box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Box));
    EXPECT_EQ(look(), 0x112233u) << "hot";
    Press(Box);
    EXPECT_EQ(look(), 0x112233u) << "pressed";
    list->Free();
    EXPECT_EQ(Box->Images(), nullptr) << "the list going away is noticed";
}

// The caption left of the box puts the glyph at the right edge.
TEST_F(CheckBox, TextLeftOfTheBoxPutsTheGlyphAtTheRightEdge) {
    Box->SetAlignment(taLeftJustify);
    EXPECT_EQ(Box->CheckRect(), TRect(W - G - 2, GlyphTop(), W - 2, GlyphTop() + G));
    TBitmap* cache = Paint(Box);
    EXPECT_EQ(RgbAt(cache, W - 2 - G / 2, GlyphTop() + G / 2), CtlBoxUncheckedFill0);
}

// A user glyph: three states of 8 x 8 side by side over their mask row. With only GlyphChecked
// the unchecked box shows no glyph.
TEST_F(CheckBox, UserGlyphsShowTheirStateAndOnlyWhenGiven) {
    const unsigned states[] = {0x112233, 0x445566, 0x778899};
    TBmpPtr glyph = MakeBmp(24, 16, 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const unsigned rgb = y < 8 ? states[x / 8] : 0; // a black mask: all image
            Byte* p = PixelOf(glyph.get(), x, y);
            p[0] = rgb & 0xFF, p[1] = rgb >> 8 & 0xFF, p[2] = rgb >> 16 & 0xFF;
        }
    Box->SetAnimatEvents({});
    Box->SetGlyphChecked(glyph.get());
    const int top = (H - 8) / 2;
    EXPECT_EQ(Box->CheckRect(), TRect(2, top, 10, top + 8));
    EXPECT_EQ(RgbAt(Paint(Box), 5, top + 4), CtlCheckColor) << "unchecked: no glyph";
    Box->SetChecked(true);
    EXPECT_EQ(RgbAt(Paint(Box), 5, top + 4), states[0]);
    Box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Box));
    EXPECT_EQ(RgbAt(Paint(Box), 5, top + 4), states[1]);
    Press(Box);
    EXPECT_EQ(RgbAt(Paint(Box), 5, top + 4), states[2]);
}

// ---- radio buttons -------------------------------------------------------------------------

class TRefusing : public TsRadioButton {
    CLASS_INFO(TRefusing, TsRadioButton)
public:
    using TsRadioButton::TsRadioButton;
    bool CanCheck() override { return false; }
};

using RadioButton = CheckBox;

TEST_F(RadioButton, ClickChecksItAndUnchecksItsSiblings) {
    std::vector<TsRadioButton*> radios;
    for (int i = 0; i < 3; ++i) {
        TsRadioButton* radio = i == 2
                                   ? Place<TRefusing>(TRect(20, 60 + 25 * i, 140, 81 + 25 * i))
                                   : Place<TsRadioButton>(TRect(20, 60 + 25 * i, 140, 81 + 25 * i));
        radio->SetCaption(L"PPTP");
        radio->SetAutoSize(false);
        radio->SetAnimatEvents({});
        radios.push_back(radio);
    }
    const auto middle = [&](TsRadioButton* r) {
        return RgbAt(Paint(r), r->CheckRect().left + G / 2, r->CheckRect().top + G / 2);
    };
    EXPECT_EQ(middle(radios[0]), CtlRadioUncheckedFill0);
    Click(radios[0]);
    EXPECT_TRUE(radios[0]->Checked());
    EXPECT_EQ(middle(radios[0]), CtlRadioCheckedFill1) << "checked and focused";
    Click(radios[1]);
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_EQ(middle(radios[0]), CtlRadioUncheckedFill0);
    Click(radios[1]);
    EXPECT_TRUE(radios[1]->Checked()) << "a radio button never unchecks itself";
    Click(radios[2]);
    EXPECT_FALSE(radios[2]->Checked()) << "CanCheck refused";
    SendMessageW(radios[0]->Handle(), BM_SETSTATE, TRUE, 0);
    EXPECT_FALSE(SendMessageW(radios[0]->Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED);
    RemoveSkin();
    EXPECT_EQ(SendMessageW(radios[1]->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(radios[0]);
    EXPECT_TRUE(radios[0]->Checked()) << "the system's button checks it";
    EXPECT_FALSE(radios[1]->Checked());
    EXPECT_EQ(SendMessageW(radios[1]->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

// A radio button placed below the box, sized by hand, its glyph's middle probed.
class RadioLooks : public CheckBox {
protected:
    void SetUp() override {
        CheckBox::SetUp();
        Radio = Place<TRecordingRadio>(TRect(20, 60, 20 + W, 60 + H));
        Radio->SetCaption(L"PPTP");
        Radio->SetAutoSize(false);
        Radio->SetBounds(20, 60, W, H);
        Radio->Probe = TPoint(Radio->CheckRect().left + G / 2, Radio->CheckRect().top + G / 2);
    }
    unsigned Middle() { return RgbAt(Paint(Radio), Radio->Probe.x, Radio->Probe.y); }
    TRecordingRadio* Radio = nullptr;
};

// Each check and look of the radio button against the skin: the section's colour around, the
// caption in the state's font colour, the skin's radio glyph of the check in the state's fill,
// the glyph's transparent corner showing the section; disabled, 40 % of that image over the
// parent's colour.
TEST_F(RadioLooks, EachCheckAndLookPaintsTheSkinsColours) {
    Radio->SetAnimatEvents({});
    struct Case {
        const char* Name;
        bool Check;
        void (*Enter)(TsRadioButton*);
        TLook Look;
    };
    const auto none = [](TsRadioButton*) {};
    const TLook normal{CtlRadioColor, 0, CtlRadioFont, false};
    const TLook hot{CtlRadioHotColor, 0, CtlRadioHotFont, false};
    const auto with = [](TLook Look, unsigned Fill, bool Focus) {
        Look.Fill = Fill;
        Look.Focus = Focus;
        return Look;
    };
    const Case cases[] = {
        {"unchecked", false, none, with(normal, CtlRadioUncheckedFill0, false)},
        {"checked", true, none, with(normal, CtlRadioCheckedFill0, false)},
        {"hot", true,
         [](TsRadioButton* r) { r->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(r)); },
         with(hot, CtlRadioCheckedFill1, false)},
        {"pressed (and focused)", false, [](TsRadioButton* r) { Press(r); },
         with(hot, CtlRadioUncheckedFill2, true)},
        {"focused", true, [](TsRadioButton* r) { r->SetFocus(); },
         with(hot, CtlRadioCheckedFill1, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Radio->SetChecked(c.Check);
        c.Enter(Radio);
        ExpectLook(Paint(Radio), Radio->CheckRect(), c.Look);
        EndCase(Radio);
    }
    Radio->SetChecked(false);
    TBmpPtr enabled = MakeBmp(W, H, 3);
    enabled->Assign(Paint(Radio));
    Radio->SetEnabled(false);
    EXPECT_EQ(CountUnmixed(Paint(Radio), enabled.get(), 40, FormRgb), 0) << "disabled";
}

// Code checking the button through its window while skinned: the check is the button's, its
// image shows it at once, and a hover fades in the section's four frames.
TEST_F(RadioLooks, CodeChecksThroughTheWindowAndHoverFades) {
    Radio->SetAnimatEvents({});
    EXPECT_EQ(Middle(), CtlRadioUncheckedFill0);
    SendMessageW(Radio->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(Radio->Checked());
    EXPECT_EQ(Middle(), CtlRadioCheckedFill0);
    SendMessageW(Radio->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_FALSE(Radio->Checked());
    EXPECT_EQ(Middle(), CtlRadioUncheckedFill0);

    Radio->SetAnimatEvents({aeMouseEnter});
    ExpectHoverFade(Radio, CtlRadioUncheckedFill0, CtlRadioUncheckedFill1);
}

} // namespace
