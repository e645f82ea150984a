#include "framework/Collections.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

class TTestItem : public TCollectionItem {
    CLASS_INFO(TTestItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    ~TTestItem() override { ++Freed; }

    static inline int Freed = 0;
    int Value = 0;

    void SetValue(int value) {
        Value = value;
        Changed(false);
    }
    void Assign(TPersistent* source) override {
        if (auto* item = dynamic_cast<TTestItem*>(source)) {
            Value = item->Value;
            return;
        }
        TCollectionItem::Assign(source);
    }
};

class TOtherItem : public TCollectionItem {
    CLASS_INFO(TOtherItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
};

using TNote = std::pair<int, TCollectionNotification>; // item ID, action

class TRecordingCollection : public TCollection {
public:
    explicit TRecordingCollection(TPersistent* owner = nullptr)
        : TCollection(TTestItem::StaticClass(), owner) {}

    TTestItem* Item(int index) const { return static_cast<TTestItem*>(Items(index)); }
    TTestItem* AddItem(int value) {
        auto* item = static_cast<TTestItem*>(Add());
        item->Value = value;
        return item;
    }

    std::vector<TCollectionItem*> Updates;
    std::vector<TNote> Notes;

protected:
    void Update(TCollectionItem* item) override { Updates.push_back(item); }
    void Notify(TCollectionItem* item, TCollectionNotification action) override {
        Notes.push_back({item->ID(), action});
    }
};

std::vector<int> IDs(const TCollection& collection) {
    std::vector<int> ids;
    for (int i = 0; i < collection.Count(); ++i) ids.push_back(collection.Items(i)->ID());
    return ids;
}

std::vector<int> Values(const TRecordingCollection& collection) {
    std::vector<int> values;
    for (int i = 0; i < collection.Count(); ++i) values.push_back(collection.Item(i)->Value);
    return values;
}

} // namespace

TEST(Collections, AddCreatesItemsOfTheItemClass) {
    TPersistent owner;
    TRecordingCollection items(&owner);
    TCollectionItem* item = items.Add();
    EXPECT_EQ(item->ClassName(), L"TTestItem");
    EXPECT_EQ(item->DisplayName(), L"TTestItem");
    EXPECT_EQ(item->Collection(), &items);
    EXPECT_EQ(items.GetOwner(), &owner);
    EXPECT_EQ(items.Notes, (std::vector<TNote>{{0, cnAdded}}));

    EXPECT_THROW({ TCollection persistents(TPersistent::StaticClass()); }, EInvalidOperation);
    EXPECT_THROW({ TCollection nothing(nullptr); }, EInvalidOperation);
}

TEST(Collections, AddInsertDeleteKeepOrderAndNeverReuseIDs) {
    TRecordingCollection items;
    for (int i = 0; i < 3; ++i) items.Add();
    TCollectionItem* inserted = items.Insert(1);
    EXPECT_EQ(IDs(items), (std::vector<int>{0, 3, 1, 2}));
    EXPECT_EQ(inserted->Index(), 1);
    EXPECT_EQ(items.Items(3)->Index(), 3);

    items.Delete(0);
    items.Add();
    EXPECT_EQ(IDs(items), (std::vector<int>{3, 1, 2, 4}));
    EXPECT_EQ(items.FindItemID(1), items.Items(1));
    EXPECT_EQ(items.FindItemID(0), nullptr);
    EXPECT_EQ(items.Insert(4)->Index(), 4); // Count appends

    items.Clear();
    EXPECT_EQ(items.Count(), 0);
    EXPECT_EQ(items.Add()->ID(), 6);
}

TEST(Collections, BadIndexesRaiseListErrors) {
    struct Case {
        const char* name;
        std::function<void(TRecordingCollection&)> operation;
        const wchar_t* error;
    };
    const Case cases[] = {
        {"Items past the end", [](TRecordingCollection& c) { c.Items(2); },
         L"List index out of bounds (2)"},
        {"Items negative", [](TRecordingCollection& c) { c.Items(-1); },
         L"List index out of bounds (-1)"},
        {"Insert past Count", [](TRecordingCollection& c) { c.Insert(3); },
         L"List index out of bounds (3)"},
        {"Delete past the end", [](TRecordingCollection& c) { c.Delete(2); },
         L"List index out of bounds (2)"},
        {"SetIndex past the end", [](TRecordingCollection& c) { c.Items(0)->SetIndex(2); },
         L"List index out of bounds (2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRecordingCollection items;
        items.Add();
        items.Add();
        try {
            c.operation(items);
            ADD_FAILURE() << "no EListError";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.error);
        }
        EXPECT_EQ(IDs(items), (std::vector<int>{0, 1}))
            << "a failed operation changed the collection";
    }
}

TEST(Collections, SetIndexMovesTheItem) {
    TRecordingCollection items;
    for (int i = 0; i < 4; ++i) items.Add();
    items.Items(0)->SetIndex(2);
    EXPECT_EQ(IDs(items), (std::vector<int>{1, 2, 0, 3}));
    items.Items(3)->SetIndex(0);
    EXPECT_EQ(IDs(items), (std::vector<int>{3, 1, 2, 0}));
    items.Updates.clear();
    items.Items(1)->SetIndex(1);
    EXPECT_TRUE(items.Updates.empty()) << "staying in place is not a change";
}

TEST(Collections, UpdateGetsTheItemOrNullAndWaitsForTheOutermostEndUpdate) {
    TRecordingCollection items;
    TTestItem* first = items.AddItem(1);
    EXPECT_EQ(items.Updates, (std::vector<TCollectionItem*>{nullptr})) << "Add changes the whole";

    items.Updates.clear();
    first->SetValue(2);
    first->Changed(true);
    EXPECT_EQ(items.Updates, (std::vector<TCollectionItem*>{first, nullptr}));

    items.Updates.clear();
    items.BeginUpdate();
    items.BeginUpdate();
    first->SetValue(3);
    items.Add();
    items.Delete(1);
    items.EndUpdate();
    EXPECT_TRUE(items.Updates.empty()) << "reported inside the outer BeginUpdate";
    items.EndUpdate();
    EXPECT_EQ(items.Updates, (std::vector<TCollectionItem*>{nullptr}));

    items.Updates.clear();
    items.EndUpdate(); // unmatched: ignored, and later changes are still reported
    first->SetValue(4);
    EXPECT_EQ(items.Updates, (std::vector<TCollectionItem*>{first}));
}

TEST(Collections, FreeingAnItemTakesItOutOfItsCollection) {
    TRecordingCollection items;
    items.Add();
    items.Add();
    items.Add();
    items.Notes.clear();
    const int freedBefore = TTestItem::Freed;

    items.Items(1)->Free();
    EXPECT_EQ(IDs(items), (std::vector<int>{0, 2}));
    items.Delete(0);
    EXPECT_EQ(IDs(items), (std::vector<int>{2}));
    EXPECT_EQ(TTestItem::Freed - freedBefore, 2);
    EXPECT_EQ(items.Notes,
              (std::vector<TNote>{{1, cnExtracting}, {0, cnDeleting}, {0, cnExtracting}}));
}

TEST(Collections, ItemsMoveBetweenCollectionsOfTheirClass) {
    TRecordingCollection from, to;
    TCollectionItem* item = from.Add();
    from.Add();
    to.Add();
    item->SetCollection(&to);
    EXPECT_EQ(IDs(from), (std::vector<int>{1}));
    EXPECT_EQ(item->Collection(), &to);
    EXPECT_EQ(item->Index(), 1);
    EXPECT_EQ(item->ID(), 1) << "a new ID in the new collection";
    EXPECT_EQ(from.Notes.back(), (TNote{0, cnExtracting}));
    EXPECT_EQ(to.Notes.back(), (TNote{1, cnAdded}));

    TCollection others(TOtherItem::StaticClass());
    EXPECT_THROW(item->SetCollection(&others), EInvalidOperation);
    EXPECT_EQ(item->Collection(), &to) << "a refused move leaves the item where it was";

    item->SetCollection(nullptr);
    EXPECT_EQ(to.Count(), 1);
    EXPECT_EQ(item->Index(), -1);
    item->Free();
}

TEST(Collections, ItemsOfAnotherClassAreRefusedWhenConstructed) {
    TRecordingCollection items;
    EXPECT_THROW(Construct<TOtherItem>(&items), EInvalidOperation);
    EXPECT_EQ(items.Count(), 0);
    EXPECT_TRUE(items.Notes.empty());

    auto* made = Construct<TTestItem>(&items);
    EXPECT_EQ(items.Items(0), made);
    EXPECT_EQ(items.Notes, (std::vector<TNote>{{1, cnAdded}}));
}

TEST(Collections, AssignReplacesTheItemsWithCopiesInOneUpdate) {
    TRecordingCollection source, copy;
    for (int value : {5, 6, 7}) source.AddItem(value);
    copy.AddItem(1);
    copy.Updates.clear();

    copy.Assign(&source);
    EXPECT_EQ(Values(copy), (std::vector<int>{5, 6, 7}));
    EXPECT_NE(copy.Items(0), source.Items(0));
    EXPECT_EQ(copy.Items(0)->Collection(), &copy);
    EXPECT_EQ(copy.Updates, (std::vector<TCollectionItem*>{nullptr}));

    copy.Assign(&copy);
    EXPECT_EQ(Values(copy), (std::vector<int>{5, 6, 7})) << "assigning itself keeps the items";

    TPersistent stranger;
    EXPECT_THROW(copy.Assign(&stranger), EConvertError);
}

TEST(Collections, FreeingTheCollectionFreesItsItems) {
    const int freedBefore = TTestItem::Freed;
    auto* items = Construct<TRecordingCollection>();
    for (int i = 0; i < 3; ++i) items->Add();
    TCollectionItem* kept = items->Add();
    kept->SetCollection(nullptr);
    items->Free();
    EXPECT_EQ(TTestItem::Freed - freedBefore, 3);
    kept->Free();
    EXPECT_EQ(TTestItem::Freed - freedBefore, 4);
}
