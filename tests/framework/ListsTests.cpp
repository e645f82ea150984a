#include "framework/ExceptionBoundary.h"
#include "framework/Lists.h"

#include "TestThread.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace {

// Fake pointers: the lists never dereference their items.
void* P(NativeInt n) { return reinterpret_cast<void*>(n); }
NativeInt N(void* p) { return reinterpret_cast<NativeInt>(p); }

std::vector<NativeInt> Contents(const TList& list) {
    std::vector<NativeInt> values;
    for (int i = 0; i < list.Count(); ++i) values.push_back(N(list.Items(i)));
    return values;
}

std::vector<NativeInt> Numbers(const std::vector<void*>& model) {
    std::vector<NativeInt> values;
    for (void* p : model) values.push_back(N(p));
    return values;
}

class TRecordingList : public TList {
public:
    std::vector<std::pair<NativeInt, TListNotification>>* Log = nullptr;

protected:
    void Notify(void* Ptr, TListNotification Action) override { Log->push_back({N(Ptr), Action}); }
};

} // namespace

TEST(Lists, BadIndexesAndSizesRaiseWithTheValue) {
    struct Case {
        const char* name;
        std::function<void(TList&)> operation;
        const wchar_t* error; // null: expected to succeed
    };
    const Case cases[] = {
        {"Items past the end", [](TList& l) { l.Items(3); }, L"List index out of bounds (3)"},
        {"Items negative", [](TList& l) { l.Items(-1); }, L"List index out of bounds (-1)"},
        {"Insert at Count appends", [](TList& l) { l.Insert(3, P(9)); }, nullptr},
        {"Insert past Count", [](TList& l) { l.Insert(4, P(9)); }, L"List index out of bounds (4)"},
        {"Delete past the end", [](TList& l) { l.Delete(3); }, L"List index out of bounds (3)"},
        {"SetItems past the end", [](TList& l) { l.SetItems(5, P(9)); },
         L"List index out of bounds (5)"},
        {"Exchange second index", [](TList& l) { l.Exchange(0, 3); },
         L"List index out of bounds (3)"},
        {"Move to past the end", [](TList& l) { l.Move(0, 3); }, L"List index out of bounds (3)"},
        {"Move from negative", [](TList& l) { l.Move(-2, 0); }, L"List index out of bounds (-2)"},
        {"SetCount negative", [](TList& l) { l.SetCount(-1); }, L"List count out of bounds (-1)"},
        {"SetCapacity below Count", [](TList& l) { l.SetCapacity(2); },
         L"List capacity out of bounds (2)"},
        {"First of empty",
         [](TList& l) {
             l.Clear();
             l.First();
         },
         L"List index out of bounds (0)"},
        {"Last of empty",
         [](TList& l) {
             l.Clear();
             l.Last();
         },
         L"List index out of bounds (-1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TList list;
        for (int i = 1; i <= 3; ++i) list.Add(P(i));
        if (!c.error) {
            EXPECT_NO_THROW(c.operation(list));
            continue;
        }
        try {
            c.operation(list);
            ADD_FAILURE() << "no EListError";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.error);
        }
    }
}

TEST(Lists, FollowsAVectorModelThroughMixedOperations) {
    TList list;
    std::vector<void*> model;
    unsigned seed = 12345;
    auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<unsigned>(bound));
    };
    for (int step = 0; step < 2000; ++step) {
        const int count = static_cast<int>(model.size());
        void* item = next(5) == 0 ? nullptr : P(next(50) + 1);
        switch (next(8)) {
        case 0:
        case 1:
            EXPECT_EQ(list.Add(item), count);
            model.push_back(item);
            break;
        case 2: {
            const int at = next(count + 1);
            list.Insert(at, item);
            model.insert(model.begin() + at, item);
            break;
        }
        case 3:
            if (count == 0) break;
            {
                const int at = next(count);
                list.Delete(at);
                model.erase(model.begin() + at);
            }
            break;
        case 4: {
            const auto found = std::find(model.begin(), model.end(), item);
            const int expected =
                found == model.end() ? -1 : static_cast<int>(found - model.begin());
            EXPECT_EQ(list.Remove(item), expected);
            if (found != model.end()) model.erase(found);
            break;
        }
        case 5:
            if (count < 2) break;
            {
                const int from = next(count), to = next(count);
                list.Move(from, to);
                void* moved = model[static_cast<std::size_t>(from)];
                model.erase(model.begin() + from);
                model.insert(model.begin() + to, moved);
            }
            break;
        case 6:
            if (count < 2) break;
            {
                const int a = next(count), b = next(count);
                list.Exchange(a, b);
                std::swap(model[static_cast<std::size_t>(a)], model[static_cast<std::size_t>(b)]);
            }
            break;
        default:
            if (next(10) == 0) {
                list.Pack();
                model.erase(std::remove(model.begin(), model.end(), nullptr), model.end());
            } else if (count > 0) {
                const int at = next(count);
                list.SetItems(at, item);
                model[static_cast<std::size_t>(at)] = item;
            }
        }
        ASSERT_EQ(Contents(list), Numbers(model)) << "after step " << step;
        ASSERT_GE(list.Capacity(), list.Count());
    }
    // The comparison above can fail: a list that differs in one place does not match.
    ASSERT_FALSE(model.empty());
    model.back() = P(1000);
    EXPECT_NE(Contents(list), Numbers(model));
}

TEST(Lists, NotifiesAfterEachChangeButNeverForNull) {
    std::vector<std::pair<NativeInt, TListNotification>> log;
    auto* list = Construct<TRecordingList>();
    list->Log = &log;
    list->Add(P(1));
    list->Add(nullptr);
    list->Insert(0, P(2));   // 2 1 nil
    list->SetItems(1, P(3)); // 2 3 nil: 1 deleted, 3 added
    list->SetItems(1, P(3)); // the same item: nothing
    EXPECT_EQ(list->Extract(P(2)), P(2));
    EXPECT_EQ(list->Extract(P(2)), nullptr);
    list->Add(P(4));
    list->Add(P(5)); // 3 nil 4 5
    list->Remove(P(4));
    list->SetCount(1); // 5 and nil go
    list->Move(0, 0);
    list->Free(); // 3 goes with the list
    const std::vector<std::pair<NativeInt, TListNotification>> expected = {
        {1, lnAdded}, {2, lnAdded}, {1, lnDeleted}, {3, lnAdded},   {2, lnExtracted},
        {4, lnAdded}, {5, lnAdded}, {4, lnDeleted}, {5, lnDeleted}, {3, lnDeleted},
    };
    EXPECT_EQ(log, expected);
}

TEST(Lists, SortIsStableAndLeavesTheListAloneWhenCompareRaises) {
    // Items are 10 * key + original position; the comparison looks at the key only.
    TList list;
    for (NativeInt item : {31, 12, 23, 14, 35, 16, 27}) list.Add(P(item));
    list.Sort([](void* a, void* b) { return static_cast<int>(N(a) / 10 - N(b) / 10); });
    EXPECT_EQ(Contents(list), (std::vector<NativeInt>{12, 14, 16, 23, 27, 31, 35}));

    list.Exchange(0, 6);
    const std::vector<NativeInt> before = Contents(list);
    auto raising = [](void* a, void* b) -> int {
        if (N(a) == 27 || N(b) == 27) throw EConvertError(L"cannot compare");
        return static_cast<int>(N(a) - N(b));
    };
    EXPECT_THROW(list.Sort(raising), EConvertError);
    EXPECT_EQ(Contents(list), before);
}

TEST(Lists, CapacityGrowsAndShrinksWithoutLosingItems) {
    TList list;
    for (int i = 1; i <= 100; ++i) list.Add(P(i));
    EXPECT_GE(list.Capacity(), 100);
    list.SetCapacity(100);
    EXPECT_EQ(list.Capacity(), 100);
    list.SetCount(120);
    EXPECT_EQ(list.Items(119), nullptr);
    EXPECT_EQ(list.Items(99), P(100));
    list.Pack();
    EXPECT_EQ(list.Count(), 100);
    EXPECT_EQ(list.Last(), P(100));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(ThreadLists, TwoThreadsAddingAtOnceLoseNothing) {
    constexpr NativeInt PerThread = 20000;
    TThreadList shared;
    shared.SetDuplicates(dupAccept);
    {
        TTestThread odd([&] {
            for (NativeInt i = 0; i < PerThread; ++i) shared.Add(P(2 * i + 1));
        });
        TTestThread even([&] {
            for (NativeInt i = 0; i < PerThread; ++i) shared.Add(P(2 * i + 2));
        });
    }
    TList* list = shared.LockList();
    std::vector<NativeInt> items = Contents(*list);
    shared.UnlockList();
    std::sort(items.begin(), items.end());
    ASSERT_EQ(items.size(), static_cast<std::size_t>(2 * PerThread));
    for (std::size_t i = 0; i < items.size(); ++i)
        ASSERT_EQ(items[i], static_cast<NativeInt>(i + 1)) << "at " << i;
}

TEST(ThreadLists, LockListKeepsOtherThreadsOutUntilUnlocked) {
    TThreadList shared;
    TList* list = shared.LockList();
    TTestThread adder([&] { shared.Add(P(1)); });
    EXPECT_EQ(adder.Wait(200), static_cast<DWORD>(WAIT_TIMEOUT)) << "Add went through a held lock";
    EXPECT_EQ(list->Count(), 0);
    shared.UnlockList();
    EXPECT_EQ(adder.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
    list = shared.LockList();
    EXPECT_EQ(list->Count(), 1);
    shared.UnlockList();
}

TEST(ThreadLists, DuplicatesPolicy) {
    struct Case {
        TDuplicates policy;
        int count;
        bool raises;
    };
    for (const Case& c :
         {Case{dupIgnore, 1, false}, Case{dupAccept, 2, false}, Case{dupError, 1, true}}) {
        SCOPED_TRACE(static_cast<int>(c.policy));
        TThreadList shared;
        EXPECT_EQ(shared.Duplicates(), dupIgnore);
        shared.SetDuplicates(c.policy);
        shared.Add(P(7));
        if (c.raises)
            EXPECT_THROW(shared.Add(P(7)), EListError);
        else
            EXPECT_NO_THROW(shared.Add(P(7)));
        // The lock was let go even after an error: another thread gets in.
        TTestThread other([&] { shared.Remove(P(8)); });
        EXPECT_EQ(other.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(shared.LockList()->Count(), c.count);
        shared.UnlockList();
        shared.Clear();
        EXPECT_EQ(shared.LockList()->Count(), 0);
        shared.UnlockList();
    }
}
