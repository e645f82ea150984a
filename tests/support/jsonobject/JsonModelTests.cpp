// The value model: the member table's order and balance, arrays, conversions, comparison,
// clone, merge, clear and pack, reference counting and the live-value counter.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>
#include <vector>

namespace {

UnicodeString TextOf(const TJsonRef& value) {
    return value ? value->AsJSon(false, false) : UnicodeString(L"<nil>");
}

std::vector<UnicodeString> Names(TJsonTableString& table) {
    std::vector<UnicodeString> names;
    const TJsonRef held = table.GetNames();
    TJsonArray& list = *held->AsArray();
    for (Integer i = 0; i < list.Length(); ++i) names.push_back(list.GetElement(i)->AsString());
    return names;
}

// The table order written out plainly: descending hash, then ascending name.
bool ModelBefore(const UnicodeString& a, const UnicodeString& b) {
    const Cardinal ha = TJsonAvlEntry::Hash(a), hb = TJsonAvlEntry::Hash(b);
    return ha != hb ? ha > hb : a < b;
}

} // namespace

TEST(JsonTable, HashOfNames) {
    EXPECT_EQ(TJsonAvlEntry::Hash(L""), 0u);
    EXPECT_EQ(TJsonAvlEntry::Hash(L"a"), 0x9E370062u);
    EXPECT_EQ(TJsonAvlEntry::Hash(L"id"), 0x57EE35CFu);
    EXPECT_EQ(TJsonAvlEntry::Hash(L"name"), 0x2C290125u);
    EXPECT_EQ(TJsonAvlEntry::Hash(L"age"), 0xED3E1730u);
}

TEST(JsonTable, OrderIsByDescendingHashWhateverTheInsertionOrder) {
    std::vector<UnicodeString> names = {L"id", L"name", L"age"};
    std::sort(names.begin(), names.end());
    do {
        TJsonTableString table;
        for (const UnicodeString& n : names) table.Store(n, TJsonObject::Create(n));
        EXPECT_EQ(Names(table), (std::vector<UnicodeString>{L"age", L"id", L"name"}));
    } while (std::next_permutation(names.begin(), names.end()));
    TJsonTableString abc;
    for (const wchar_t* n : {L"a", L"b", L"c"}) abc.Store(n, nullptr);
    EXPECT_EQ(Names(abc), (std::vector<UnicodeString>{L"c", L"b", L"a"}));
}

TEST(JsonTable, CollidingHashesKeepBothMembers) {
    const UnicodeString first = UnicodeString(L"A") + wchar_t(0xC8), second = L"BG";
    ASSERT_EQ(TJsonAvlEntry::Hash(first), TJsonAvlEntry::Hash(second));
    TJsonTableString table;
    table.Store(second, TJsonObject::Create(Int64{2}));
    table.Store(first, TJsonObject::Create(Int64{1}));
    EXPECT_EQ(table.count(), 2);
    EXPECT_EQ(table.Lookup(first)->AsInteger(), 1);
    EXPECT_EQ(table.Lookup(second)->AsInteger(), 2);
    EXPECT_EQ(Names(table), (std::vector<UnicodeString>{first, second})); // ascending name
}

TEST(JsonTable, StoringANameAgainReplacesAndReleases) {
    TJsonTableString table;
    TJsonRef old = TJsonObject::Create(Int64{1});
    table.Store(L"k", old);
    EXPECT_EQ(JsonImpl(old.Get())->RefCount(), 2);
    table.Store(L"k", TJsonObject::Create(Int64{2}));
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(table.Lookup(L"k")->AsInteger(), 2);
    EXPECT_EQ(JsonImpl(old.Get())->RefCount(), 1);
}

// Random stores and removals against a sorted list of names: the walk in both directions and
// the nearest-entry searches must agree with the list after every step.
TEST(JsonTable, AgreesWithASortedModelUnderStoresAndRemovals) {
    std::mt19937 random(20261210);
    TJsonTableString table;
    std::vector<UnicodeString> model;
    for (int step = 0; step < 3000; ++step) {
        const UnicodeString name = L"n" + std::to_wstring(random() % 400);
        const auto at = std::lower_bound(model.begin(), model.end(), name, ModelBefore);
        const bool present = at != model.end() && *at == name;
        if (random() % 3 == 0) {
            EXPECT_EQ(static_cast<bool>(table.Delete(name)), present);
            if (present) model.erase(at);
        } else {
            table.Store(name, TJsonObject::Create(name));
            if (!present) model.insert(at, name);
        }
        ASSERT_EQ(table.count(), static_cast<Integer>(model.size())) << "step " << step;
    }
    EXPECT_EQ(Names(table), model);
    std::vector<UnicodeString> backwards;
    TJsonAvlIterator it(&table);
    for (it.Last(); it.GetIter(); it.Prior()) backwards.push_back(it.GetIter()->Name());
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(backwards, model);
    for (const UnicodeString& probe :
         {UnicodeString(L"n17"), UnicodeString(L"zz"), UnicodeString(L"n250")}) {
        const auto next = std::upper_bound(model.begin(), model.end(), probe, ModelBefore);
        TJsonAvlEntry* greater = table.SearchEntry(probe, {stGreater});
        EXPECT_EQ(greater ? greater->Name() : L"-", next == model.end() ? L"-" : *next)
            << std::wstring(probe);
        const auto before = std::lower_bound(model.begin(), model.end(), probe, ModelBefore);
        TJsonAvlEntry* less = table.SearchEntry(probe, {stLess});
        EXPECT_EQ(less ? less->Name() : L"-", before == model.begin() ? L"-" : *(before - 1))
            << std::wstring(probe);
    }
}

TEST(JsonTable, LargeTablesStayWalkable) {
    TJsonTableString table;
    constexpr Integer count = 200000;
    for (Integer i = 0; i < count; ++i) table.Store(std::to_wstring(i), nullptr);
    Integer walked = 0;
    TJsonAvlIterator it(&table);
    while (it.MoveNext()) ++walked;
    EXPECT_EQ(walked, count);
    for (Integer i = 0; i < count; i += 2) table.Delete(std::to_wstring(i));
    EXPECT_EQ(table.count(), count / 2);
    EXPECT_TRUE(table.SearchEntry(L"1", {stEQual}));
    EXPECT_FALSE(table.SearchEntry(L"2", {stEQual}));
}

TEST(JsonTable, PackDropsNilMembersKeepingTheOrder) {
    const TJsonRef doc = JsonFromText(L"{\"a\":1,\"b\":{\"x\":1},\"c\":3}");
    doc->AsObject()->Store(L"d", nullptr);
    doc->PathGetObject(L"b")->AsObject()->Store(L"y", nullptr);
    doc->Pack(false);
    EXPECT_EQ(TextOf(doc), L"{\"c\":3,\"b\":{\"y\":null,\"x\":1},\"a\":1}");
    doc->Pack(true);
    EXPECT_EQ(TextOf(doc), L"{\"c\":3,\"b\":{\"x\":1},\"a\":1}");
}

TEST(JsonArray, GrowsAndMovesElements) {
    TJsonArray array;
    EXPECT_EQ(array.Capacity(), 32);
    array.PutElement(40, TJsonObject::Create(Int64{40}));
    EXPECT_EQ(array.Length(), 41);
    EXPECT_EQ(array.Capacity(), 64);
    EXPECT_FALSE(array.GetElement(39));
    EXPECT_FALSE(array.GetElement(41));
    EXPECT_FALSE(array.GetElement(-1));
    array.Pack();
    EXPECT_EQ(array.Length(), 1);
    array.Insert(0, TJsonObject::Create(Int64{0}));
    array.Insert(5, TJsonObject::Create(Int64{5}));
    array.Insert(-1, TJsonObject::Create(Int64{9}));
    ASSERT_EQ(array.Length(), 6);
    EXPECT_EQ(array.GetElement(1)->AsInteger(), 40);
    EXPECT_EQ(array.Delete(1)->AsInteger(), 40);
    EXPECT_FALSE(array.Delete(7));
    EXPECT_EQ(array.Length(), 5);
    EXPECT_EQ(array.GetElement(4)->AsInteger(), 5);
    array.Clear();
    EXPECT_EQ(array.Length(), 0);
}

TEST(JsonArray, RefusesIndexesBeyondItsBound) {
    TJsonArray array;
    array.PutElement(TJsonArray::MaxLength, TJsonObject::Create(Int64{1}));
    array.Insert(TJsonArray::MaxLength + 5, TJsonObject::Create(Int64{1}));
    EXPECT_EQ(array.Length(), 0);
    EXPECT_EQ(array.Capacity(), 32);
}

TEST(JsonValue, ConversionTable) {
    struct TCase {
        const wchar_t* json;
        bool asBoolean;
        Int64 asInteger;
        double asDouble;
        const wchar_t* asString;
    };
    const TCase cases[] = {
        {L"null", false, 0, 0, L"null"},
        {L"true", true, 1, 1, L"true"},
        {L"false", false, 0, 0, L"false"},
        {L"2.5", true, 2, 2.5, L"2.5"},
        {L"3.5", true, 4, 3.5, L"3.5"},
        {L"-2.5", true, -2, -2.5, L"-2.5"},
        {L"0.0", false, 0, 0, L"0."},
        {L"1e3", true, 1000, 1000, L"1000."},
        {L"12", true, 12, 12, L"12"},
        {L"\"12\"", true, 12, 12, L"12"},
        {L"\"12x\"", true, 0, 0, L"12x"},
        {L"\" 12\"", true, 0, 0, L" 12"},
        {L"\"1.5e1\"", true, 0, 15, L"1.5e1"},
        {L"\"inf\"", true, 0, 0, L"inf"},
        {L"\"\"", false, 0, 0, L""},
        {L"[]", true, 0, 0, L"[]"},
        {L"{\"a\":[1]}", true, 0, 0, L"{\"a\":[1]}"},
    };
    for (const TCase& c : cases) {
        const TJsonRef v = JsonFromText(c.json);
        ASSERT_TRUE(v) << std::wstring(c.json);
        EXPECT_EQ(v->AsBoolean(), c.asBoolean) << std::wstring(c.json);
        EXPECT_EQ(v->AsInteger(), c.asInteger) << std::wstring(c.json);
        EXPECT_EQ(v->AsDouble(), c.asDouble) << std::wstring(c.json);
        EXPECT_EQ(v->AsString(), c.asString) << std::wstring(c.json);
    }
    const TJsonRef method = TJsonObject::Create(static_cast<TJsonMethod>(nullptr));
    EXPECT_TRUE(method->AsBoolean());
    EXPECT_EQ(method->AsString(), L"");
    EXPECT_EQ(TJsonObject::Create(1e300)->AsInteger(), INT64_MAX);
}

TEST(JsonValue, PayloadAccessorsAnswerOnlyTheirType) {
    const TJsonRef obj = TJsonObject::Create(stObject), arr = TJsonObject::Create(stArray);
    EXPECT_TRUE(obj->AsObject());
    EXPECT_FALSE(obj->AsArray());
    EXPECT_TRUE(arr->AsArray());
    EXPECT_FALSE(arr->AsObject());
    EXPECT_FALSE(arr->AsMethod());
    EXPECT_TRUE(ValueIsType(nullptr, stNull));
    EXPECT_EQ(ValueType(arr), stArray);
}

TEST(JsonValue, CompareTable) {
    const std::tuple<const wchar_t*, const wchar_t*, TJsonCompareResult> cases[] = {
        {L"1", L"1.0", cpEqu},
        {L"2", L"3", cpLess},
        {L"true", L"1", cpEqu},
        {L"false", L"0.5", cpLess},
        {L"9223372036854775807", L"-9223372036854775807", cpGreat},
        {L"10", L"\"9\"", cpLess}, // as text
        {L"\"b\"", L"\"a\"", cpGreat},
        {L"\"a\"", L"\"a\"", cpEqu},
        {L"\"true\"", L"true", cpEqu},
        {L"null", L"1", cpError},
        {L"1", L"null", cpError},
        {L"{}", L"{}", cpError},
        {L"[1]", L"\"[1]\"", cpError},
    };
    for (const auto& [a, b, expected] : cases)
        EXPECT_EQ(JsonFromText(a)->Compare(JsonFromText(b)), expected)
            << std::wstring(a) << L" " << b;
    EXPECT_EQ(JsonFromText(L"1")->Compare(TJsonRef()), cpError);
    EXPECT_EQ(JsonFromText(L"5")->Compare(UnicodeString(L"5.0")), cpEqu);
}

TEST(JsonValue, CloneIsDeepAndKeepsNilMembers) {
    EXPECT_FALSE(TJsonObject::Create(stNull)->Clone());
    const TJsonRef doc = JsonFromText(L"{\"a\":[1,{\"b\":\"x\"}],\"s\":\"t\"}");
    doc->AsObject()->Store(L"nil", nullptr);
    const TJsonRef copy = doc->Clone();
    EXPECT_EQ(TextOf(copy), TextOf(doc));
    EXPECT_TRUE(copy->AsObject()->SearchEntry(L"nil", {stEQual}));
    EXPECT_NE(copy->PathGetObject(L"a[1]").Get(), doc->PathGetObject(L"a[1]").Get());
    copy->PathPutString(L"a[1].b", L"changed");
    EXPECT_EQ(doc->PathGetString(L"a[1].b"), L"x");
}

TEST(JsonValue, CloneOfAValueInsideItselfEnds) {
    const TJsonRef loop = JsonFromText(L"{\"a\":1}");
    loop->AsObject()->Store(L"self", loop);
    const TJsonRef copy = loop->Clone();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->PathGetInteger(L"a"), 1);
    EXPECT_TRUE(copy->AsObject()->SearchEntry(L"self", {stEQual}));
    EXPECT_FALSE(copy->PathGetObject(L"self"));
    loop->AsObject()->Delete(L"self"); // break the cycle so the value can go
}

TEST(JsonValue, MergeCombinesSameTypes) {
    const TJsonRef target = JsonFromText(L"{\"a\":{\"x\":1,\"y\":2},\"n\":1,\"l\":[1,2,3]}");
    target->Merge(
        UnicodeString(L"{\"a\":{\"y\":20,\"z\":30},\"n\":\"text\",\"l\":[10,\"s\"],\"new\":true}"));
    EXPECT_EQ(target->PathGetInteger(L"a.x"), 1);
    EXPECT_EQ(target->PathGetInteger(L"a.y"), 20);
    EXPECT_EQ(target->PathGetInteger(L"a.z"), 30);
    EXPECT_EQ(target->PathGetString(L"n"), L"text"); // different types: replaced
    EXPECT_EQ(TextOf(target->PathGetObject(L"l")), L"[10,\"s\",3]");
    EXPECT_TRUE(target->PathGetBoolean(L"new"));

    const TJsonRef text = TJsonObject::Create(UnicodeString(L"keep"));
    text->Merge(TJsonObject::Create(Int64{5}));
    EXPECT_EQ(text->AsString(), L"keep");

    const TJsonRef shared = JsonFromText(L"{\"o\":{}}");
    const TJsonRef byRef = TJsonObject::Create(stObject), byCopy = TJsonObject::Create(stObject);
    byRef->Merge(shared, true);
    byCopy->Merge(shared, false);
    EXPECT_EQ(byRef->PathGetObject(L"o").Get(), shared->PathGetObject(L"o").Get());
    EXPECT_NE(byCopy->PathGetObject(L"o").Get(), shared->PathGetObject(L"o").Get());
}

TEST(JsonValue, ClearEmptiesThePayload) {
    const TJsonRef doc = JsonFromText(L"{\"a\":{\"b\":1},\"s\":\"x\"}");
    const TJsonRef inner = doc->PathGetObject(L"a");
    doc->Clear(true);
    EXPECT_EQ(TextOf(doc), L"{}");
    EXPECT_EQ(TextOf(inner), L"{}"); // all: members were cleared before release
    const TJsonRef s = TJsonObject::Create(UnicodeString(L"x"));
    s->Clear();
    EXPECT_EQ(s->AsString(), L"");
}

TEST(JsonValue, CountsItsReferences) {
    const TJsonRef value = TJsonObject::Create(stObject);
    TJsonObject* impl = JsonImpl(value.Get());
    EXPECT_EQ(impl->RefCount(), 1);
    {
        TJsonRef again = value;
        EXPECT_EQ(impl->RefCount(), 2);
        TComPtr<IUnknown> unknown;
        EXPECT_EQ(value->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.Put())),
                  S_OK);
        EXPECT_EQ(impl->RefCount(), 3);
    }
    EXPECT_EQ(impl->RefCount(), 1);
    void* other = nullptr;
    EXPECT_EQ(value->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
}

TEST(JsonValue, DestroyingAReferencedValueIsRefused) {
    const TJsonRef value = TJsonObject::Create(Int64{1});
    try {
        JsonImpl(value.Get())->Destroy();
        FAIL() << "no exception";
    } catch (const EJsonInvalidPointer& e) {
        EXPECT_EQ(e.Message(), L"Invalid pointer");
    }
    EXPECT_EQ(value->AsInteger(), 1);
}

TEST(JsonValue, LiveCounterFollowsValues) {
    const Integer before = JsonLiveValueCount();
    {
        const TJsonRef doc = JsonFromText(L"[1,2,{\"a\":3}]");
        EXPECT_EQ(JsonLiveValueCount(), before + 5);
    }
    EXPECT_EQ(JsonLiveValueCount(), before);
}

// Many threads create and drop values at once; a counter changed without interlocked
// operations loses updates and ends away from where it started.
TEST(JsonValue, LiveCounterIsExactUnderThreads) {
    const Integer before = JsonLiveValueCount();
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 20000; ++i) TJsonObject::Create(Int64{i});
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(JsonLiveValueCount(), before);
}

TEST(JsonValue, SharedReferencesAcrossThreads) {
    const TJsonRef shared = TJsonObject::Create(stObject);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&shared] {
            for (int i = 0; i < 20000; ++i) TJsonRef copy = shared;
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(JsonImpl(shared.Get())->RefCount(), 1);
}

TEST(JsonEnumeration, WalksMembersAndElements) {
    const TJsonRef obj = JsonFromText(L"{\"a\":1,\"b\":2,\"c\":3}");
    std::vector<Int64> seen;
    std::unique_ptr<TJsonEnumerator> members(obj->GetEnumerator());
    while (members->MoveNext()) seen.push_back(members->Current()->AsInteger());
    EXPECT_EQ(seen, (std::vector<Int64>{3, 2, 1}));

    seen.clear();
    const TJsonRef arr = JsonFromText(L"[4,5]");
    std::unique_ptr<TJsonEnumerator> elements(arr->GetEnumerator());
    while (elements->MoveNext()) seen.push_back(elements->Current()->AsInteger());
    EXPECT_EQ(seen, (std::vector<Int64>{4, 5}));
    EXPECT_FALSE(elements->Current());

    std::unique_ptr<TJsonEnumerator> scalar(TJsonObject::Create(Int64{1})->GetEnumerator());
    EXPECT_FALSE(scalar->MoveNext());
}

TEST(JsonEnumeration, MemberRecordWalk) {
    // The walked value is a temporary: the record must keep it alive.
    TJsonObjectIter f;
    std::vector<UnicodeString> keys;
    for (bool more = FirstMember(JsonFromText(L"{\"x\":1,\"y\":null}"), f); more;
         more = NextMember(f))
        keys.push_back(f.key + L"=" + f.val->AsString());
    CloseMembers(f);
    EXPECT_EQ(keys, (std::vector<UnicodeString>{L"y=null", L"x=1"}));
    EXPECT_FALSE(f.val);
    EXPECT_FALSE(FirstMember(JsonFromText(L"[1]"), f));
    EXPECT_FALSE(FirstMember(JsonFromText(L"{}"), f));
    CloseMembers(f);
}
