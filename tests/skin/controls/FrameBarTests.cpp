#include "skin/controls/sFrameAdapter.h"
#include "skin/controls/sFrameBar.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sSkinnedControl.h"

#include "SkinTesting.h"

#include <string>

namespace {

// A frame that notes the top of every bounds it is given (its visible part is its bottom) in a
// log that outlives it.
class TProbeFrame : public TFrame {
    CLASS_INFO(TProbeFrame, TFrame)
public:
    using TFrame::TFrame;
    std::vector<int>* Tops = nullptr;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override {
        if (Tops) Tops->push_back(ATop);
        TFrame::SetBounds(ALeft, ATop, AWidth, AHeight);
    }
};

// The main window's handlers as the client writes them.
struct TClient {
    TsFrameBar* Bar = nullptr;
    int FrameHeight = 0; // the client's frames are empty: 0 x 0
    std::vector<TObject*> Clicked;
    std::vector<TCustomFrame*> Made;
    std::vector<int> Tops; // of every frame made
    int Destroyed = 0;
    bool Refuse = false;
    bool FailCreate = false;
    void CreateFrame(TObject*, TCustomFrame*& Frame) {
        if (FailCreate) throw Exception(L"no frame");
        auto* frame = Construct<TProbeFrame>(Bar);
        frame->SetBounds(0, 0, FrameHeight, FrameHeight);
        frame->Tops = &Tops;
        Made.push_back(frame);
        Frame = frame;
    }
    void Click(TObject* Sender) {
        Clicked.push_back(Sender);
        auto* button = static_cast<TsTitleButton*>(Sender);
        button->Font()->SetColor(clRed);
        button->Font()->SetStyle({fsBold});
    }
    void FrameDestroy(TObject*, TCustomFrame*&, bool& CanDestroy) {
        ++Destroyed;
        CanDestroy = !Refuse;
    }
};

class FrameBar : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        Form = new TForm(nullptr);
        Form->SetBounds(20, 20, 300, 500);
        Bar = new TsFrameBar(Form);
        Bar->SetParent(Form);
        Bar->SkinData()->SetSkinSection(L"BAR");
        Bar->SetBorderWidth(4);
        Bar->SetTitleHeight(22);
        Bar->SetSpacing(0);
        Bar->SetAutoFrameSize(false);
        Bar->SetAutoScroll(false);
        Bar->SetBorderStyle(bsNone);
        Bar->SetAutoMouseWheel(true);
        Bar->SetBounds(0, 0, 160, 480);
        Client.Bar = Bar;
        Form->Show();
    }
    void TearDown() override {
        Form->Free();
        SkinTest::TearDown();
    }

public:
    void Fill(int count) {
        Bar->Items()->Clear();
        for (int i = 0; i < count; ++i) {
            TsTitleItem* item = Bar->Items()->Add();
            item->OnCreateFrame = TCreateFrameEvent(&Client, &TClient::CreateFrame);
            item->OnClick = TNotifyEvent(&Client, &TClient::Click);
            item->OnFrameDestroy = TFrameDestroyEvent(&Client, &TClient::FrameDestroy);
            item->SetCaption(L"Area " + std::to_wstring(i));
        }
    }

protected:
    std::vector<TsTitleState> States() {
        std::vector<TsTitleState> states;
        for (int i = 0; i < Bar->Items()->Count(); ++i)
            states.push_back(Bar->Items()->Items(i)->State);
        return states;
    }
    TForm* Form = nullptr;
    TsFrameBar* Bar = nullptr;
    TClient Client;
};

TEST_F(FrameBar, ClientFillsTheBarAndClicksATitle) {
    Fill(3);
    ASSERT_EQ(Bar->Items()->Count(), 3);
    EXPECT_EQ(Bar->InnerRect(), TRect(4, 4, 156, Bar->Height() - 4)); // aligned left: full height
    for (int i = 0; i < 3; ++i) {
        TsTitleButton* title = Bar->Items()->Items(i)->TitleButton;
        EXPECT_EQ(title->BoundsRect(), TRect(4, 4 + i * 26, 156, 26 + i * 26)) << i;
        EXPECT_EQ(title->Caption(), L"Area " + std::to_wstring(i));
        EXPECT_EQ(title->TitleItem, Bar->Items()->Items(i));
        EXPECT_EQ(title->Parent(), Bar);
        EXPECT_EQ(title->Alignment(), taLeftJustify);
    }
    EXPECT_EQ(States(), (std::vector<TsTitleState>{stClosed, stClosed, stClosed}));
    EXPECT_TRUE(Client.Made.empty()); // adding never opens or animates

    TsTitleButton* second = Bar->Items()->Items(1)->TitleButton;
    second->Click();
    EXPECT_EQ(Client.Clicked, std::vector<TObject*>{second});
    EXPECT_EQ(second->Font()->Color(), clRed);
    EXPECT_TRUE(second->Font()->Style().Contains(fsBold));
    EXPECT_EQ(States(), (std::vector<TsTitleState>{stClosed, stOpened, stClosed}));
    ASSERT_EQ(Client.Made.size(), 1u);
    EXPECT_EQ(Bar->Items()->Items(1)->Frame, Client.Made[0]);
    EXPECT_TRUE(second->Active);
    EXPECT_FALSE(Bar->Arranging);
}

TEST_F(FrameBar, TitleClicksFollowTheStateTable) {
    struct Case {
        std::vector<TsTitleState> before;
        int click;
        bool allowAllClose, allowAllOpen;
        std::vector<TsTitleState> after;
    };
    const Case cases[] = {
        {{stClosed, stClosed}, 0, false, false, {stOpened, stClosed}},
        {{stOpened, stClosed}, 1, false, false, {stClosed, stOpened}},
        {{stOpened, stClosed}, 0, false, false, {stOpened, stClosed}}, // open title: only OnClick
        {{stOpened, stClosed}, 0, true, false, {stClosed, stClosed}},
        {{stOpened, stClosed}, 1, false, true, {stOpened, stOpened}},
        {{stOpened, stOpened}, 1, true, true, {stOpened, stClosed}},
    };
    Client.FrameHeight = 60;
    for (const Case& c : cases) {
        Fill(2);
        Bar->SetAllowAllOpen(c.allowAllOpen);
        Bar->SetAllowAllClose(c.allowAllClose);
        for (int i = 0; i < 2; ++i)
            if (c.before[i] == stOpened) Bar->Items()->Items(i)->State = stOpened;
        Bar->Rearrange();
        Client.Clicked.clear();
        Bar->Items()->Items(c.click)->TitleButton->Click();
        EXPECT_EQ(Client.Clicked.size(), 1u);
        EXPECT_EQ(States(), c.after)
            << "click " << c.click << " close " << c.allowAllClose << " open " << c.allowAllOpen;
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(Bar->Items()->Items(i)->Frame != nullptr, c.after[i] == stOpened) << i;
    }
}

TEST_F(FrameBar, ThreeAnimatedPassesOpenAndCloseAFrame) {
    Client.FrameHeight = 150;
    Fill(1);
    Bar->Items()->Items(0)->TitleButton->Click();
    ASSERT_EQ(Client.Made.size(), 1u);
    // Y below the title: 4 + 22; the frame's visible part is top + height - Y.
    std::vector<int> shown;
    for (int top : Client.Tops) shown.push_back(top + 150 - 26);
    EXPECT_EQ(shown, (std::vector<int>{0, 50, 100, 150}));
    EXPECT_EQ(Bar->Items()->Items(0)->FrameSize, 150);

    Client.Tops.clear();
    Bar->CloseItem(0, true);
    shown.clear();
    for (int top : Client.Tops) shown.push_back(top + 150 - 26);
    EXPECT_EQ(shown, (std::vector<int>{150, 100, 50}));
    EXPECT_EQ(Client.Destroyed, 1);
    EXPECT_EQ(Bar->Items()->Items(0)->Frame, nullptr);
    EXPECT_EQ(Bar->Items()->Items(0)->State, stClosed);
}

TEST_F(FrameBar, OpenItemOpensAtOnceWhileTheOpenOneClosesInSteps) {
    Client.FrameHeight = 90;
    Fill(2);
    Bar->OpenItem(0, false);
    ASSERT_NE(Bar->Items()->Items(0)->Frame, nullptr);
    EXPECT_EQ(Client.Destroyed, 0);
    Bar->OpenItem(1, true);
    EXPECT_EQ(States(), (std::vector<TsTitleState>{stClosed, stOpened}));
    EXPECT_EQ(Client.Destroyed, 1);
    EXPECT_EQ(Bar->Items()->Items(0)->Frame, nullptr);
    ASSERT_NE(Bar->Items()->Items(1)->Frame, nullptr);
    EXPECT_EQ(Bar->Items()->Items(1)->FrameSize, 90);
    EXPECT_TRUE(Bar->Items()->Items(1)->Frame->Visible());
}

TEST_F(FrameBar, AutoFrameSizeGivesEveryOpenFrameTheFreeHeight) {
    Client.FrameHeight = 50;
    Bar->SetAutoFrameSize(true);
    EXPECT_FALSE(Bar->AllowAllOpen());
    EXPECT_FALSE(Bar->AutoScroll());
    Fill(2);
    Bar->ExpandAll(false);
    EXPECT_EQ(States(), (std::vector<TsTitleState>{stOpened, stOpened}));
    const TRect r = Bar->InnerRect();
    const int free = r.Height() - (r.top + 2 * (22 + 4 + 4));
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(Bar->Items()->Items(i)->Frame, nullptr);
        EXPECT_EQ(Bar->Items()->Items(i)->Frame->Height(), free) << i;
    }
}

TEST_F(FrameBar, RefusedFrameStaysHiddenWithItsItemClosed) {
    Client.FrameHeight = 80;
    Client.Refuse = true;
    Fill(1);
    Bar->OpenItem(0, false);
    TCustomFrame* frame = Bar->Items()->Items(0)->Frame;
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->Visible());
    Bar->CloseItem(0, false);
    EXPECT_EQ(Bar->Items()->Items(0)->State, stClosed);
    EXPECT_EQ(Bar->Items()->Items(0)->FrameSize, 0);
    EXPECT_EQ(Bar->Items()->Items(0)->Frame, frame);
    EXPECT_FALSE(frame->Visible());
}

TEST_F(FrameBar, WithoutAHandlerTheBarMakesADefaultFrame) {
    Bar->Items()->Add()->SetCaption(L"plain");
    Bar->OpenItem(0, false);
    TCustomFrame* frame = Bar->Items()->Items(0)->Frame;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Height(), 150);
    EXPECT_EQ(frame->Owner(), Bar);
    bool adapter = false, label = false;
    for (int i = 0; i < frame->ComponentCount(); ++i) {
        if (auto* a = dynamic_cast<TsFrameAdapter*>(frame->Components(i))) {
            adapter = true;
            EXPECT_EQ(a->SkinData()->SkinSection(), L"BARPANEL");
        }
        if (auto* l = dynamic_cast<TsLabel*>(frame->Components(i))) {
            label = true;
            EXPECT_EQ(l->Caption(), L"Frame creation\r\nevent has not been defined.");
            EXPECT_EQ(l->Font()->Color(), static_cast<TColor>(255));
        }
    }
    EXPECT_TRUE(adapter);
    EXPECT_TRUE(label);
}

TEST_F(FrameBar, ALayoutThatRaisesGivesTheSwitchesBack) {
    Application->SetShowHint(true);
    Client.FailCreate = true;
    Fill(1);
    EXPECT_THROW(Bar->OpenItem(0, true), Exception);
    EXPECT_FALSE(Bar->Arranging);
    EXPECT_FALSE(FadingSuspended);
    EXPECT_FALSE(MouseEnterSuspended);
    EXPECT_FALSE(HintsSuspended);
    EXPECT_TRUE(Application->ShowHint());
    Client.FailCreate = false;
    Bar->Rearrange(); // the bar still lays out
    EXPECT_NE(Bar->Items()->Items(0)->Frame, nullptr);
}

// The client refreshes its line list from a message that arrives while a title animates: the
// old items and their buttons and frames go only once the layout has finished.
TEST_F(FrameBar, RefreshDuringTheAnimationWaitsForTheLayout) {
    Client.FrameHeight = 90;
    Fill(3);
    struct TRefresh {
        FrameBar* Test;
        HWND Wnd = nullptr;
        int Runs = 0;
        void Proc(TMessage& Message) {
            if (Message.Msg != WM_APP) return DefaultHandler(Message, Wnd);
            ++Runs;
            Test->Fill(2);
        }
    } refresh{this};
    HWND wnd = AllocateHWnd(TWndMethod(&refresh, &TRefresh::Proc));
    refresh.Wnd = wnd;
    PostMessageW(wnd, WM_APP, 0, 0);
    Bar->Items()->Items(0)->TitleButton->Click(); // animates and handles the refresh meanwhile
    PumpUntil([] { return false; }, 100);
    DeallocateHWnd(wnd);
    EXPECT_EQ(refresh.Runs, 1);
    ASSERT_EQ(Bar->Items()->Count(), 2);
    EXPECT_EQ(States(), (std::vector<TsTitleState>{stClosed, stClosed}));
    int titles = 0;
    for (int i = 0; i < Bar->ControlCount(); ++i)
        if (dynamic_cast<TsTitleButton*>(Bar->Controls(i))) ++titles;
    EXPECT_EQ(titles, 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Bar->Items()->Items(i)->TitleButton->BoundsRect(),
                  TRect(4, 4 + i * 26, 156, 26 + i * 26));
}

} // namespace
