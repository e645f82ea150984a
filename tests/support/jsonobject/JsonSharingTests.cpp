// What the values of a document share or keep aside to stay small: member names held once per
// document, and the user's data pointer kept outside the value. Neither may show to a caller.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

// Many objects, each with the same large set of names in a shifted order, so that the reader's
// cache of recent names keeps meeting names it no longer holds or that share a place in it.
UnicodeString ManyShapes(int objects, int names) {
    UnicodeString text = L"[";
    for (int o = 0; o < objects; ++o) {
        text += o ? L",{" : L"{";
        for (int n = 0; n < names; ++n) {
            const int k = (n + o * 7) % names;
            text += (n ? L",\"m" : L"\"m") + std::to_wstring(k) + L"\":" + std::to_wstring(o * k);
        }
        text += L"}";
    }
    return text + L"]";
}

std::map<UnicodeString, Int64> Members(const TJsonRef& object) {
    std::map<UnicodeString, Int64> members;
    TJsonAvlIterator it(object->AsObject());
    while (it.MoveNext()) members[it.Current()->Name()] = it.Current()->Ptr()->AsInteger();
    return members;
}

} // namespace

TEST(JsonSharing, NamesReadBackRightAndAreHeldOnce) {
    constexpr int Objects = 40, Names = 150;
    TJsonRef kept;
    {
        const TJsonRef doc = TJsonObject::ParseString(ManyShapes(Objects, Names), false);
        ASSERT_TRUE(doc);
        for (int o = 0; o < Objects; ++o) {
            std::map<UnicodeString, Int64> model;
            for (int k = 0; k < Names; ++k) model[L"m" + std::to_wstring(k)] = Int64{o} * k;
            EXPECT_EQ(Members(doc->AsArray()->GetElement(o)), model) << "object " << o;
        }
        // Two objects of one shape hold each name once.
        const TJsonRef first = doc->AsArray()->GetElement(0), last = doc->AsArray()->GetElement(39);
        const TJsonAvlEntry* a = first->AsObject()->SearchEntry(L"m5", {stEQual});
        const TJsonAvlEntry* b = last->AsObject()->SearchEntry(L"m5", {stEQual});
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->NameView().data(), b->NameView().data());
        kept = last;
    }
    // A value kept from the document keeps its names; members removed from it take theirs.
    for (int k = 0; k < Names; k += 2) kept->AsObject()->Delete(L"m" + std::to_wstring(k));
    std::map<UnicodeString, Int64> model;
    for (int k = 1; k < Names; k += 2) model[L"m" + std::to_wstring(k)] = Int64{39} * k;
    EXPECT_EQ(Members(kept), model);
    EXPECT_EQ(kept->AsObject()->count(), Names / 2);
}

TEST(JsonSharing, DataPointersStayWithTheirValues) {
    const TJsonRef doc = JsonFromText(L"{\"a\":[1,2,3],\"b\":\"x\"}");
    const TJsonRef made = TJsonObject::Create(Int64{7});
    int marks[4] = {};
    EXPECT_EQ(doc->GetDataPtr(), nullptr);
    doc->SetDataPtr(&marks[0]);
    made->SetDataPtr(&marks[1]);
    doc->PathGetObject(L"a[1]")->SetDataPtr(&marks[2]);
    EXPECT_EQ(doc->GetDataPtr(), &marks[0]);
    EXPECT_EQ(JsonImpl(made.Get())->DataPtr(), &marks[1]);
    EXPECT_EQ(doc->PathGetObject(L"a[1]")->GetDataPtr(), &marks[2]);
    EXPECT_EQ(doc->PathGetObject(L"a[0]")->GetDataPtr(), nullptr);
    EXPECT_EQ(doc->Clone()->GetDataPtr(), nullptr); // the user's, not the value's content
    made->SetDataPtr(&marks[3]);
    EXPECT_EQ(made->GetDataPtr(), &marks[3]);
    made->SetDataPtr(nullptr);
    EXPECT_EQ(made->GetDataPtr(), nullptr);
    EXPECT_EQ(doc->GetDataPtr(), &marks[0]);
}

TEST(JsonSharing, DataPointersOfValuesOnSeveralThreads) {
    constexpr int Threads = 4, Values = 3000;
    std::vector<int> failures(Threads);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([t, &failures] {
            std::vector<TJsonRef> values;
            std::vector<int> marks(Values);
            for (int i = 0; i < Values; ++i) {
                values.push_back(TJsonObject::Create(Int64{i}));
                values.back()->SetDataPtr(&marks[i]);
            }
            for (int i = 0; i < Values; i += 2) values[i] = TJsonObject::Create(Int64{i});
            for (int i = 0; i < Values; ++i)
                failures[t] += values[i]->GetDataPtr() != (i % 2 ? &marks[i] : nullptr);
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < Threads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}
