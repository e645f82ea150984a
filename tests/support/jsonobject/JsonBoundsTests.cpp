// The bounds that keep hostile paths and rule documents from exhausting the stack or memory:
// the number of steps in a path, how far past an array's end a path writes, and the nesting
// that writing, cloning and freeing walk.
#include "support/jsonobject/jsonobject.h"

#include "framework/Conversions.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// "a.a. … .a" with `steps` names.
UnicodeString DottedPath(int steps) {
    UnicodeString path = L"a";
    for (int i = 1; i < steps; ++i) path += L".a";
    return path;
}

// A chain of `depth` objects, each the only member "a" of the one before; the innermost is
// handed back in `innermost`. Built 32 levels at a time, as the path bound allows.
TJsonRef Chain(int depth, TJsonRef& innermost) {
    const TJsonRef root = TJsonObject::Create(stObject);
    innermost = root;
    for (int built = 1; built < depth;) {
        const int steps = std::min(TJsonTokenizer::MaxDepth, depth - built);
        innermost = innermost->ForcePath(DottedPath(steps));
        if (!innermost) return nullptr;
        built += steps;
    }
    return root;
}

} // namespace

TEST(JsonBounds, PathsTakeAtMostAsManyStepsAsTheReaderNests) {
    const TJsonRef doc = TJsonObject::Create(stObject);
    EXPECT_TRUE(doc->ForcePath(DottedPath(TJsonTokenizer::MaxDepth)));
    const UnicodeString written = doc->AsJSon();
    for (const int steps : {TJsonTokenizer::MaxDepth + 1, 5000}) {
        EXPECT_FALSE(doc->ForcePath(L"b." + DottedPath(steps - 1))) << steps;
        doc->PathPutInteger(L"c." + DottedPath(steps - 1), 1);
        doc->PathPutObject(L"d[0]." + DottedPath(steps - 1), TJsonObject::Create(stObject));
        EXPECT_FALSE(doc->PathGetObject(DottedPath(steps))) << steps;
        EXPECT_EQ(doc->AsJSon(), written) << steps;
    }
}

TEST(JsonBounds, PathsWriteOnlyALittlePastAnArraysEnd) {
    const TJsonRef doc = JsonFromText(L"{\"arr\":[1]}");
    const Integer reach = TJsonArray::MaxPathGrowth;
    doc->PathPutInteger(L"arr[" + IntToStr(reach) + L"]", 2); // the last slot within reach
    TJsonArray* arr = doc->PathGetArray(L"arr");
    ASSERT_TRUE(arr);
    EXPECT_EQ(arr->Length(), reach + 1);
    for (const UnicodeString& index : {IntToStr(2 * reach + 1), UnicodeString(L"16777215")}) {
        doc->PathPutInteger(L"arr[" + index + L"]", 3);
        EXPECT_FALSE(doc->ForcePath(L"arr[" + index + L"].x")) << index;
        doc->PathPutInteger(L"new[" + index + L"]", 3);
        EXPECT_EQ(arr->Length(), reach + 1) << index;
        EXPECT_LT(arr->Capacity(), 4 * reach) << index;
        EXPECT_EQ(doc->PathGetArray(L"new")->Length(), 0) << index; // the way stays, empty
    }
    const TJsonRef list = JsonFromText(L"[1,2]"); // the array context takes bare numbers
    list->PathPutInteger(L"16777215", 9);
    EXPECT_EQ(list->AsJSon(), L"[1,2]");
    list->PathPutInteger(L"3", 9);
    EXPECT_EQ(list->AsJSon(), L"[1,2,null,9]");
}

// 32 names of this kind once made 32 arrays of 16,777,216 slots.
TEST(JsonBounds, ValidatorRuleNamesCannotAskForHugeArrays) {
    UnicodeString mapping;
    for (int i = 0; i < 32; ++i) {
        if (i) mapping += L",";
        mapping += L"\"m" + IntToStr(i) + L"\":{\"type\":\"int\",\"name\":\"n" + IntToStr(i) +
                   L"[16777215]\"}";
    }
    const UnicodeString rules = L"{\"type\":\"map\",\"mapping\":{" + mapping + L"}}";
    UnicodeString members;
    for (int i = 0; i < 32; ++i) members += (i ? L",\"m" : L"\"m") + IntToStr(i) + L"\":1";
    const TJsonRef value = JsonFromText(L"{" + members + L"}");
    EXPECT_TRUE(value->Validate(rules));
    EXPECT_FALSE(value->Validate(L"{\"type\":\"str\",\"name\":\"x[16777215]\"}"));
}

TEST(JsonBounds, ValidatorRuleNamesThatAreLongPathsAreRefused) {
    const UnicodeString rules = L"{\"type\":\"map\",\"name\":\"" + DottedPath(5000) +
                                L"\",\"mapping\":{\"a\":{\"type\":\"int\"}}}";
    const TJsonRef value = JsonFromText(L"{\"a\":1}");
    EXPECT_TRUE(value->Validate(rules));
    EXPECT_FALSE(JsonFromText(L"{\"a\":\"x\"}")->Validate(rules));
}

TEST(JsonBounds, WritingAndCloningStopAtTheNestingBound) {
    TJsonRef innermost;
    const TJsonRef fits = Chain(TJsonObject::MaxNesting, innermost);
    ASSERT_TRUE(fits);
    innermost->PathPutInteger(L"end", 1);
    const UnicodeString text = fits->AsJSon();
    EXPECT_EQ(text.size(), (sizeof("{\"a\":}") - 1) * (TJsonObject::MaxNesting - 1) + 9);
    EXPECT_EQ(fits->CalcSize(), static_cast<Integer>(text.size()));
    const TJsonRef copy = fits->Clone();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->AsJSon(), text);

    innermost->PathPutObject(L"deeper", TJsonObject::Create(stObject)); // one level too deep
    EXPECT_EQ(fits->AsJSon(), L"");
    EXPECT_EQ(fits->CalcSize(), -1);
    EXPECT_FALSE(fits->Clone());
    fits->Merge(copy); // stops at the bound instead of the stack
    fits->Clear(true);
    EXPECT_EQ(fits->AsJSon(), L"{}");
}

TEST(JsonBounds, FreeingAChainOfAnyDepthTakesNoStackPerLevel) {
    const Integer live = JsonLiveValueCount();
    {
        TJsonRef innermost;
        const TJsonRef deep = Chain(200000, innermost);
        ASSERT_TRUE(deep);
        EXPECT_EQ(deep->AsJSon(), L""); // too deep to write: a refusal, not a crash
        EXPECT_EQ(deep->CalcSize(), -1);
        EXPECT_FALSE(deep->Clone());
        EXPECT_EQ(JsonLiveValueCount(), live + 200000);
    }
    EXPECT_EQ(JsonLiveValueCount(), live);
}
