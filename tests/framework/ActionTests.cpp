#include "framework/ActnList.h"
#include "framework/Buttons.h"
#include "framework/ImageList.h"

#include "ControlTesting.h"
#include "EventTesting.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// What an action's handler saw each time it ran.
struct TExecutions {
    int Count = 0;
    TComponent* ActionComponent = nullptr;
    void Execute(TObject* Sender) {
        ++Count;
        ActionComponent = static_cast<TBasicAction*>(Sender)->ActionComponent();
    }
};

TOwned<TAction> MakeAction(const wchar_t* caption) {
    auto action = Make<TAction>();
    action->SetCaption(caption);
    return action;
}

} // namespace

TEST(Actions, ControlTakesOverWhatTheActionShowsAndFollowsIt) {
    auto host = MakeHost();
    auto* button = Place<TSpeedButton>(host.get());
    auto action = MakeAction(L"Connect");
    action->SetEnabled(false);
    action->SetHint(L"Dial the line");
    action->SetVisible(false);

    button->SetAction(action.get());
    EXPECT_EQ(button->Action(), action.get());
    EXPECT_TRUE(button->ControlStyle().Contains(csActionClient));
    EXPECT_EQ(button->Caption(), L"Connect");
    EXPECT_FALSE(button->Enabled());
    EXPECT_EQ(button->Hint(), L"Dial the line");
    EXPECT_FALSE(button->Visible());
    EXPECT_EQ(action->ClientCount(), 1);

    struct Case {
        const char* name;
        std::function<void()> change;
        std::function<bool()> followed;
    };
    const Case cases[] = {
        {"caption", [&] { action->SetCaption(L"Disconnect"); },
         [&] { return button->Caption() == L"Disconnect"; }},
        {"enabled", [&] { action->SetEnabled(true); }, [&] { return button->Enabled(); }},
        {"hint", [&] { action->SetHint(L"Hang up"); },
         [&] { return button->Hint() == L"Hang up"; }},
        {"visible", [&] { action->SetVisible(true); }, [&] { return button->Visible(); }},
    };
    for (const Case& c : cases) {
        c.change();
        EXPECT_TRUE(c.followed()) << c.name;
    }

    button->SetAction(nullptr);
    EXPECT_EQ(button->Action(), nullptr);
    EXPECT_FALSE(button->ControlStyle().Contains(csActionClient));
    EXPECT_EQ(action->ClientCount(), 0);
    action->SetCaption(L"Later");
    EXPECT_EQ(button->Caption(), L"Disconnect") << "an unlinked control keeps what it had";
}

// An action being loaded is taken over only where the control still has its defaults.
TEST(Actions, LoadingActionFillsOnlyWhatTheControlLeftAtItsDefault) {
    struct Case {
        const wchar_t* caption;
        bool enabled;
        const wchar_t* hint;
        bool visible;
        const wchar_t* expectCaption;
        bool expectEnabled;
        const wchar_t* expectHint;
        bool expectVisible;
    };
    const Case cases[] = {
        {L"", true, L"", true, L"Connect", false, L"Dial", false},
        {L"Tool", true, L"", true, L"Connect", false, L"Dial", false}, // the caption is the name
        {L"Own", false, L"Mine", false, L"Own", false, L"Mine", false},
    };
    for (const Case& c : cases) {
        auto host = MakeHost();
        auto* button = Place<TSpeedButton>(host.get());
        button->SetName(L"Tool");
        button->SetCaption(c.caption);
        button->SetEnabled(c.enabled);
        button->SetHint(c.hint);
        button->SetVisible(c.visible);
        auto action = MakeAction(L"Connect");
        action->SetEnabled(false);
        action->SetHint(L"Dial");
        action->SetVisible(false);
        action->BeginLoad();
        button->SetAction(action.get());
        action->EndLoad();
        EXPECT_EQ(button->Caption(), c.expectCaption) << c.caption;
        EXPECT_EQ(button->Enabled(), c.expectEnabled) << c.caption;
        EXPECT_EQ(button->Hint(), c.expectHint) << c.caption;
        EXPECT_EQ(button->Visible(), c.expectVisible) << c.caption;
    }
}

// A control's link passes a value on only while the control shows the action's present one.
TEST(Actions, ControlLinkPassesOnOnlyWhatTheControlStillShares) {
    auto host = MakeHost();
    auto* button = Place<TSpeedButton>(host.get());
    struct Case {
        const char* name;
        bool customAction;
        const wchar_t* controlCaption;
        bool linked;
    };
    const Case cases[] = {
        {"same caption", true, L"Connect", true},
        {"own caption", true, L"Other", false},
        {"no caption to share", false, L"Connect", false},
    };
    for (const Case& c : cases) {
        auto custom = MakeAction(L"Connect");
        auto basic = Make<TBasicAction>();
        TOwned<TControlActionLink> link(new TControlActionLink(button));
        link->SetAction(c.customAction ? static_cast<TBasicAction*>(custom.get()) : basic.get());
        button->SetCaption(c.controlCaption);
        EXPECT_EQ(link->IsCaptionLinked(), c.linked) << c.name;
        link->SetCaption(L"Passed");
        EXPECT_EQ(button->Caption(), c.linked ? L"Passed" : c.controlCaption) << c.name;
    }
}

TEST(Actions, FreeingEitherSideLeavesNoDanglingLink) {
    struct Case {
        const char* name;
        bool inList; // freed through its action list rather than alone
    };
    for (Case c : {Case{"action freed alone", false}, Case{"action freed by its list", true}}) {
        auto host = MakeHost();
        auto* button = Place<TSpeedButton>(host.get());
        auto* list = new TActionList(nullptr);
        auto* action = new TAction(nullptr);
        action->SetCaption(L"Connect");
        action->SetActionList(list);
        button->SetAction(action);
        if (c.inList)
            list->Free();
        else
            action->Free();
        EXPECT_EQ(button->Action(), nullptr) << c.name;
        EXPECT_FALSE(button->ControlStyle().Contains(csActionClient)) << c.name;
        EXPECT_EQ(button->Caption(), L"Connect") << c.name << ": the control keeps what it took";
        button->Click(); // must not reach the freed action
        if (!c.inList) {
            EXPECT_EQ(list->ActionCount(), 0) << "a freed action leaves its list";
            list->Free();
        }
    }

    auto action = MakeAction(L"Connect");
    {
        auto host = MakeHost();
        auto* first = Place<TSpeedButton>(host.get());
        auto* second = Place<TSpeedButton>(host.get());
        first->SetAction(action.get());
        second->SetAction(action.get());
        EXPECT_EQ(action->ClientCount(), 2);
        first->Free();
        EXPECT_EQ(action->ClientCount(), 1);
    }
    EXPECT_EQ(action->ClientCount(), 0) << "the freed controls left the action";
    action->SetCaption(L"Disconnect"); // tells no freed client
}

TEST(Actions, ClickExecutesTheActionUnlessOnClickHasAHandlerOfItsOwn) {
    enum TOnClick { None, ActionsHandler, OwnHandler };
    struct Case {
        const char* name;
        TOnClick onClick;
        bool enabled;
        int executions, ownClicks;
    };
    const Case cases[] = {
        {"no OnClick", None, true, 1, 0},
        {"OnClick is the action's handler", ActionsHandler, true, 1, 0},
        {"OnClick of its own", OwnHandler, true, 0, 1},
        {"disabled action", None, false, 0, 0},
    };
    for (const Case& c : cases) {
        auto host = MakeHost();
        auto* button = Place<TSpeedButton>(host.get());
        TExecutions executions;
        int ownClicks = 0;
        TLambdaHandler<void(TObject*)> own([&](TObject*) { ++ownClicks; });
        auto action = MakeAction(L"Connect");
        action->OnExecute = TNotifyEvent(&executions, &TExecutions::Execute);
        button->SetAction(action.get());
        if (c.onClick == ActionsHandler) button->OnClick = action->OnExecute;
        if (c.onClick == OwnHandler) button->OnClick = own.Event();
        action->SetEnabled(c.enabled);
        button->Click();
        EXPECT_EQ(executions.Count, c.executions) << c.name;
        EXPECT_EQ(ownClicks, c.ownClicks) << c.name;
        if (c.executions > 0) {
            EXPECT_EQ(executions.ActionComponent, button) << c.name;
        }
        EXPECT_EQ(action->ActionComponent(), nullptr) << c.name << ": only while executing";
    }
}

TEST(Actions, ExecuteAndUpdateAnswerWhetherAHandlerRan) {
    struct Case {
        const char* name;
        bool custom, withHandlers, enabled, executed;
    };
    const Case cases[] = {
        {"basic action without handlers", false, false, true, false},
        {"basic action with handlers", false, true, true, true},
        {"enabled action", true, true, true, true},
        {"disabled action", true, true, false, false},
    };
    for (const Case& c : cases) {
        TOwned<TBasicAction> action(c.custom ? new TAction(nullptr) : new TBasicAction(nullptr));
        TExecutions executions;
        int updates = 0;
        TLambdaHandler<void(TObject*)> update([&](TObject*) { ++updates; });
        if (c.withHandlers) {
            action->OnExecute = TNotifyEvent(&executions, &TExecutions::Execute);
            action->OnUpdate = update.Event();
        }
        if (c.custom) static_cast<TAction*>(action.get())->SetEnabled(c.enabled);
        EXPECT_EQ(action->Update(), c.withHandlers) << c.name;
        EXPECT_EQ(action->Execute(), c.executed) << c.name;
        EXPECT_EQ(executions.Count, c.executed ? 1 : 0) << c.name;
    }

    // An action disabled by its update does not execute.
    auto action = MakeAction(L"Connect");
    TExecutions executions;
    TLambdaHandler<void(TObject*)> disable(
        [&](TObject* Sender) { static_cast<TAction*>(Sender)->SetEnabled(false); });
    action->OnExecute = TNotifyEvent(&executions, &TExecutions::Execute);
    action->OnUpdate = disable.Event();
    EXPECT_FALSE(action->Execute());
    EXPECT_EQ(executions.Count, 0);
}

TEST(Actions, ListHoldsItsActionsAndForgetsFreedImages) {
    auto list = Make<TActionList>();
    auto* images = new TImageList(nullptr);
    list->SetImages(images);
    auto* first = new TAction(nullptr);
    auto* second = new TAction(nullptr);
    first->SetActionList(list.get());
    second->SetActionList(list.get());
    ASSERT_EQ(list->ActionCount(), 2);
    EXPECT_EQ(list->Actions(0), first);
    EXPECT_EQ(list->Actions(1), second);
    EXPECT_EQ(first->ActionList(), list.get());
    EXPECT_THROW(list->Actions(2), EListError);
    EXPECT_THROW(list->Actions(-1), EListError);

    second->SetActionList(nullptr);
    EXPECT_EQ(list->ActionCount(), 1);
    second->Free();

    EXPECT_EQ(list->Images(), images);
    images->Free();
    EXPECT_EQ(list->Images(), nullptr);
}
