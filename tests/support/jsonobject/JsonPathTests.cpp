// Paths over values: reading, putting, creating, removing, indexes, method calls and templates.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

namespace {

UnicodeString TextOf(const TJsonRef& value) {
    return value ? value->AsJSon(false, false) : UnicodeString(L"<nil>");
}

TJsonRef Doc(const wchar_t* text) {
    TJsonRef value = JsonFromText(text);
    EXPECT_TRUE(value) << std::wstring(text);
    return value;
}

} // namespace

TEST(JsonPath, GetTable) {
    const TJsonRef doc =
        Doc(L"{\"a\":{\"b\":[10,20,{\"c\":\"x\"}],\"i\":1},\"n\":null,\"7\":\"seven\"}");
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"a.b[1]", L"20"},
        {L"a.b[2].c", L"\"x\""},
        {L"a.b[a.i]", L"20"}, // an index can be a path from the context
        {L"a.b", L"[10,20,{\"c\":\"x\"}]"},
        {L"a.b[]", L"{\"c\":\"x\"}"}, // the empty index reads the last element
        {L"n", L"null"},
        {L"7", L"\"seven\""},
        {L"a.missing", L"<nil>"},
        {L"a.b[5]", L"<nil>"},
        {L"a.b[-1]", L"<nil>"},
        {L"a.b['x']", L"<nil>"},
        {L"a.b[nothing]", L"<nil>"},
        {L"a.b[1].c", L"<nil>"},
        {L"missing.c", L"<nil>"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(TextOf(doc->PathGetObject(path)), expected) << std::wstring(path);
}

TEST(JsonPath, TypedGettersConvertAndDefault) {
    const TJsonRef doc = Doc(L"{\"i\":42,\"d\":2.5,\"s\":\"12\",\"b\":true,\"o\":{}}");
    EXPECT_EQ(doc->PathGetInteger(L"i"), 42);
    EXPECT_EQ(doc->PathGetInteger(L"s"), 12);
    EXPECT_EQ(doc->PathGetDouble(L"d"), 2.5);
    EXPECT_EQ(doc->PathGetString(L"i"), L"42");
    EXPECT_TRUE(doc->PathGetBoolean(L"b"));
    EXPECT_FALSE(doc->PathGetBoolean(L"none"));
    EXPECT_EQ(doc->PathGetInteger(L"none"), 0);
    EXPECT_EQ(doc->PathGetString(L"none"), L"");
    EXPECT_EQ(doc->PathGetArray(L"o"), nullptr);
    EXPECT_EQ(doc->PathGetMethod(L"i"), nullptr);
    EXPECT_FALSE(doc->PathGetObject(L"none"));
    ASSERT_TRUE(doc->GetN(L"none"));
    EXPECT_TRUE(doc->GetN(L"none")->IsType(stNull));
}

TEST(JsonPath, PutsCreateTheWay) {
    const TJsonRef doc = TJsonObject::Create(stObject);
    doc->PathPutInteger(L"a.b", 5);
    doc->PathPutString(L"a.s", L"x");
    doc->PathPutBoolean(L"t", true);
    doc->PathPutDouble(L"d", 0.5);
    doc->PutN(L"z", nullptr);
    // Members are written in table order: by descending name hash.
    EXPECT_EQ(TextOf(doc), L"{\"z\":null,\"t\":true,\"d\":0.5,\"a\":{\"s\":\"x\",\"b\":5}}");
    doc->PathPutInteger(L"a.b", 6);
    EXPECT_EQ(doc->PathGetInteger(L"a.b"), 6);
}

TEST(JsonPath, PutIntoArrays) {
    const TJsonRef doc = Doc(L"{\"arr\":[1,2,3]}");
    doc->PathPutInteger(L"arr[1]", 7);
    doc->PathPutInteger(L"arr[]", 4);
    doc->PathPutInteger(L"list[]", 1);
    doc->PathPutInteger(L"list[]", 2);
    doc->PathPutString(L"arr[5]", L"far");
    EXPECT_EQ(TextOf(doc->PathGetObject(L"arr")), L"[1,7,3,4,null,\"far\"]");
    EXPECT_EQ(TextOf(doc->PathGetObject(L"list")), L"[1,2]");
}

TEST(JsonPath, BadIndexesPutNothing) {
    const TJsonRef doc = Doc(L"{\"arr\":[1]}");
    doc->PathPutInteger(L"arr[-1]", 9);
    doc->PathPutInteger(L"arr['x']", 9);
    doc->PathPutInteger(L"arr[missing]", 9); // not the same as arr[]
    doc->PathPutInteger(L"arr[99999999999]", 9);
    doc->PathPutInteger(L"arr[2147483647]", 9);
    EXPECT_EQ(TextOf(doc), L"{\"arr\":[1]}");
}

TEST(JsonPath, PutThroughAScalarChangesNothing) {
    const TJsonRef doc = Doc(L"{\"a\":1}");
    doc->PathPutInteger(L"a.b", 2);
    EXPECT_EQ(TextOf(doc), L"{\"a\":1}");
}

TEST(JsonPath, ForcePathCreatesWithTheGivenType) {
    const TJsonRef doc = TJsonObject::Create(stObject);
    const TJsonRef b = doc->ForcePath(L"a.b", stArray);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->IsType(stArray));
    EXPECT_EQ(TextOf(doc), L"{\"a\":{\"b\":[]}}");
    EXPECT_EQ(doc->ForcePath(L"a.b", stString).Get(), b.Get()); // an existing value stays
    EXPECT_TRUE(doc->ForcePath(L"c[2].d", stInt)->IsType(stInt));
    EXPECT_EQ(TextOf(doc->PathGetObject(L"c")), L"[null,null,{\"d\":0}]");
}

TEST(JsonPath, DeleteHandsBackTheValue) {
    const TJsonRef doc = Doc(L"{\"a\":1,\"arr\":[1,2,3],\"o\":{\"x\":{}}}");
    const TJsonRef a = doc->Delete(L"a");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->AsInteger(), 1);
    EXPECT_EQ(TextOf(doc->Delete(L"arr[0]")), L"1");
    EXPECT_EQ(TextOf(doc->Delete(L"o.x")), L"{}");
    EXPECT_FALSE(doc->Delete(L"none"));
    EXPECT_EQ(TextOf(doc), L"{\"arr\":[2,3],\"o\":{}}");
    const TJsonRef single = Doc(L"{\"a\":1}");
    single->Delete(L"a");
    EXPECT_EQ(TextOf(single), L"{}");
}

TEST(JsonPath, ArrayContextIsIndexedByNumbers) {
    const TJsonRef arr = Doc(L"[5,6,7]");
    EXPECT_EQ(arr->PathGetInteger(L"1"), 6);
    EXPECT_FALSE(arr->PathGetObject(L"9"));
    EXPECT_EQ(TextOf(arr->Delete(L"0")), L"5");
    arr->PathPutInteger(L"2", 8);
    EXPECT_EQ(TextOf(arr), L"[6,7,8]");
}

namespace {

// Answers the sum of its integer arguments (one argument arrives as itself).
void Sum(const TJsonRef& This, const TJsonRef& Params, TJsonRef& Result) {
    Int64 total = This ? This->PathGetInteger(L"base") : 0;
    if (TJsonArray* args = Params ? Params->AsArray() : nullptr)
        for (Integer i = 0; i < args->Length(); ++i) total += args->GetElement(i)->AsInteger();
    else if (Params)
        total += Params->AsInteger();
    Result = TJsonObject::Create(total);
}

void MakeObject(const TJsonRef&, const TJsonRef&, TJsonRef& Result) {
    Result = JsonFromText(L"{\"k\":[3,4]}");
}

} // namespace

TEST(JsonPath, MethodsAreCalledFromPaths) {
    const TJsonRef doc = Doc(L"{\"base\":100}");
    doc->PathPutMethod(L"sum", Sum);
    doc->PathPutMethod(L"make", MakeObject);
    EXPECT_EQ(doc->PathGetMethod(L"sum"), &Sum);
    EXPECT_EQ(doc->PathGetInteger(L"sum(1,2)"), 103);
    EXPECT_EQ(doc->PathGetInteger(L"sum(5)"), 105);
    EXPECT_EQ(doc->PathGetInteger(L"sum()"), 100);
    EXPECT_EQ(doc->PathGetInteger(L"make().k[1]"), 4);
    EXPECT_EQ(doc->call(L"sum", L"[1,2,3]")->AsInteger(), 106);
    EXPECT_EQ(doc->call(L"sum", TJsonObject::Create(Int64{7}))->AsInteger(), 107);
    EXPECT_FALSE(doc->PathGetObject(L"base(1)"));            // not a method
    EXPECT_EQ(doc->AsJSon(false, false), L"{\"base\":100}"); // methods are not written
}

TEST(JsonPath, FormatFillsTemplates) {
    const TJsonRef doc = Doc(L"{\"a\":5,\"b\":{\"c\":\"x\"}}");
    EXPECT_EQ(doc->Format(L"x=%a%", L'%', L'%'), L"x=5");
    EXPECT_EQ(doc->Format(L"<b.c>-<a>!", L'<', L'>'), L"x-5!");
    EXPECT_EQ(doc->Format(L"%none%.", L'%', L'%'), L".");
    EXPECT_EQ(doc->Format(L"a=%a% rest %a", L'%', L'%'), L"a=5 rest ");
}
