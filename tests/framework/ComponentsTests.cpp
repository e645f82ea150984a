#include "framework/Components.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records every notification it receives and forgets its reference when that goes.
class TWatcher : public TComponent {
    CLASS_INFO(TWatcher, TComponent)
public:
    using TComponent::TComponent;
    TComponent* Watched = nullptr;
    std::vector<std::pair<TComponent*, TOperation>> Seen;
    int LoadedCalls = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        Seen.emplace_back(component, operation);
        if (operation == opRemove && component == Watched) Watched = nullptr;
    }
    void Loaded() override {
        TComponent::Loaded();
        ++LoadedCalls;
    }
};

} // namespace

TEST(Components, OwnerFreesWhatItOwns) {
    auto* owner = new TComponent(nullptr);
    auto* first = new TWatcher(owner);
    auto* second = new TWatcher(owner);
    second->SetName(L"second");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent(L"SECOND"), second);
    EXPECT_EQ(first->ComponentIndex(), 0);
    EXPECT_THROW(owner->Components(2), EListError);

    second->Free(); // freed alone: it leaves its owner's list
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->FindComponent(L"second"), nullptr);
    owner->Free(); // frees `first`; a leak or double free shows under the checkers
}

TEST(Components, NamesAreIdentifiersUniqueUnderOneOwner) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName(L"Button1");
    EXPECT_THROW(b->SetName(L"button1"), EComponentError);
    EXPECT_THROW(b->SetName(L"1st"), EComponentError);
    EXPECT_THROW(b->SetName(L"has space"), EComponentError);
    b->SetName(L"Button2");
    EXPECT_EQ(b->Name(), L"Button2");
}

TEST(Components, FreeNotificationClearsAReferenceBeforeTheTargetGoes) {
    TWatcher watcher(nullptr);
    auto* target = new TComponent(nullptr);
    watcher.Watched = target;
    watcher.FreeNotification(target);
    target->Free();
    EXPECT_EQ(watcher.Watched, nullptr);

    // The other direction: the watcher goes first and the target keeps no stale listener.
    auto* lasting = new TComponent(nullptr);
    auto* shortLived = new TWatcher(nullptr);
    shortLived->FreeNotification(lasting);
    shortLived->Free();
    lasting->Free();
}

TEST(Components, OwnerHearsInsertAndRemoveAndPassesThemDown) {
    TWatcher form(nullptr);
    auto* child = new TWatcher(&form);
    auto* other = new TComponent(&form);
    other->Free();
    ASSERT_EQ(form.Seen.size(), 3u);
    EXPECT_EQ(form.Seen[0], std::make_pair(static_cast<TComponent*>(child), opInsert));
    EXPECT_EQ(form.Seen[1], std::make_pair(other, opInsert));
    EXPECT_EQ(form.Seen[2], std::make_pair(other, opRemove));
    // The owned watcher heard its sibling's insertion and removal through its owner.
    ASSERT_EQ(child->Seen.size(), 2u);
    EXPECT_EQ(child->Seen[1].second, opRemove);
}

TEST(Components, LoadingSetsStateAndEndsWithLoaded) {
    TWatcher form(nullptr);
    auto* child = new TWatcher(&form);
    form.BeginLoad();
    EXPECT_TRUE(child->ComponentState().Contains(csLoading));
    form.EndLoad();
    EXPECT_FALSE(child->ComponentState().Contains(csLoading));
    EXPECT_EQ(child->LoadedCalls, 1);
    EXPECT_EQ(form.LoadedCalls, 1);
}

TEST(Components, ClassReferenceCreatesWithOwner) {
    TComponent owner(nullptr);
    TObject* made = CreateInstance(TWatcher::StaticClass(), &owner);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), made);
}
