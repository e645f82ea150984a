#include "skin/controls/sScrollBox.h"

#include "SkinTesting.h"

namespace {

class ScrollBox : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 300, 200);
        Box = new TsScrollBox(Form);
        Box->SetParent(Form);
        Box->SetAutoScroll(false);
        Box->VertScrollBar()->SetRange(1000);
    }
    void TearDown() override {
        Form->Free();
        SkinTest::TearDown();
    }
    TForm* Form = nullptr;
    TsScrollBox* Box = nullptr;
};

TEST_F(ScrollBox, DefaultsOfTheSkinnedContainer) {
    EXPECT_EQ(Box->Width(), 185);
    EXPECT_EQ(Box->Height(), 41);
    EXPECT_EQ(Box->BorderStyle(), bsSingle);
    EXPECT_TRUE(Box->ControlStyle().Contains(csAcceptsControls));
    EXPECT_FALSE(Box->AutoMouseWheel());
    EXPECT_EQ(Box->SkinData()->SkinSection(), L"PANEL_LOW");
    EXPECT_EQ(Box->SkinData()->COC, 58);
    EXPECT_NE(Box->SkinData()->CacheBmp(), nullptr);
    EXPECT_EQ(Box->FrameWidth(), 2);
    Box->SetBorderWidth(4);
    Box->SetBorderStyle(bsNone);
    EXPECT_EQ(Box->FrameWidth(), 4);
}

TEST_F(ScrollBox, WheelScrollsByIncrementsWithoutAnActiveControl) {
    Box->SetAutoMouseWheel(true);
    Box->VertScrollBar()->SetPosition(100);
    struct Case {
        int delta, position;
    };
    const Case cases[] = {{120, 92}, {60, 92}, {-240, 108}, {-59, 108}};
    for (const Case& c : cases) {
        EXPECT_TRUE(Box->DoMouseWheel({}, c.delta, TPoint(0, 0))) << c.delta;
        EXPECT_EQ(Box->VertScrollBar()->Position(), c.position) << c.delta;
    }
}

TEST_F(ScrollBox, WheelGoesToTheActiveControlFirst) {
    Box->SetAutoMouseWheel(true);
    Box->VertScrollBar()->SetPosition(100);
    auto* active = new TSkinProbe(Form);
    active->SetParent(Form);
    active->SetTabStop(true);
    Form->Show();
    Form->SetActiveControl(active);
    int wheels = 0;
    struct THandler {
        int* Count;
        void Wheel(TObject*, TShiftState, int, TPoint, bool& Handled) {
            ++*Count;
            Handled = true;
        }
    } handler{&wheels};
    active->OnMouseWheel = TMouseWheelEvent(&handler, &THandler::Wheel);
    EXPECT_TRUE(Box->DoMouseWheel({}, 120, TPoint(0, 0)));
    EXPECT_EQ(wheels, 1);
    EXPECT_EQ(Box->VertScrollBar()->Position(), 100);
}

TEST_F(ScrollBox, ScrollByIsBracketedAndMovesTheChildren) {
    auto* child = new TSkinProbe(Form);
    child->SetParent(Box);
    child->SetBounds(5, 5, 10, 10);
    std::vector<std::wstring> log;
    struct TLog {
        std::vector<std::wstring>* Log;
        void Before(TObject*) { Log->push_back(L"before"); }
        void After(TObject*) { Log->push_back(L"after"); }
    } recorder{&log};
    Box->OnBeforeScroll = TNotifyEvent(&recorder, &TLog::Before);
    Box->OnAfterScroll = TNotifyEvent(&recorder, &TLog::After);
    Box->ScrollBy(0, -3);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"before", L"after"}));
    EXPECT_EQ(child->Top(), 2);
}

TEST(UncoveredScrollStrip, OnlyTheStripTheScrollUncovered) {
    struct Case {
        bool horizontal;
        int delta;
        TRect strip;
    };
    const Case cases[] = {{false, -10, TRect(0, 90, 50, 100)},
                          {false, 10, TRect(0, 0, 50, 10)},
                          {true, -10, TRect(40, 0, 50, 100)},
                          {true, 10, TRect(0, 0, 10, 100)}};
    for (const Case& c : cases)
        EXPECT_EQ(UncoveredScrollStrip(c.horizontal, c.delta, 50, 100), c.strip)
            << c.horizontal << " " << c.delta;
}

TEST_F(ScrollBox, SkinCommandsAnsweredUnskinned) {
    Box->HandleNeeded();
    EXPECT_EQ(SendMessageW(Box->Handle(), SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 1);
    EXPECT_EQ(SendMessageW(Box->Handle(), SM_ALPHACMD, SkinWParam(SKCMD_GETAPPLICATION), 0),
              reinterpret_cast<LRESULT>(Application));
    EXPECT_FALSE(Box->SkinData()->Skinned());
}

} // namespace
