// Validation against rule documents: each error kind with the path it is reported at.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using TReports = std::vector<std::pair<TJsonValidateError, UnicodeString>>;

void Collect(void* sender, TJsonValidateError error, const UnicodeString& objpath) {
    static_cast<TReports*>(sender)->emplace_back(error, objpath);
}

struct TValidateCase {
    const wchar_t* value;
    const wchar_t* rules;
    const wchar_t* defs;
    bool valid;
    TReports reports;
};

} // namespace

TEST(JsonValidate, ErrorKindsAndPaths) {
    const wchar_t* point = L"[{\"name\":\"point\",\"type\":\"map\",\"mapping\":{\"x\":{\"type\":"
                           L"\"int\"},\"y\":{\"type\":\"int\"}}}]";
    const TValidateCase cases[] = {
        {L"{\"b\":1}",
         L"{\"type\":\"map\",\"mapping\":{\"a\":{\"type\":\"int\"}}}",
         L"",
         false,
         {{veUnexpectedField, L".b"}, {veFieldNotFound, L".a"}}},
        {L"{\"a\":1}", L"{\"type\":\"map\",\"mapping\":{\"a\":{\"type\":\"int\"}}}", L"", true, {}},
        {L"null", L"{\"type\":\"map\",\"mapping\":{\"a\":{\"type\":\"int\"}}}", L"", true, {}},
        {L"5", L"{\"type\":\"str\"}", L"", false, {{veInvalidDataType, L""}}},
        {L"x", L"{\"type\":\"str\",\"length\":{\"min\":2}}", L"", false, {{veInvalidLength, L""}}},
        {L"xyz", L"{\"type\":\"str\",\"length\":{\"min\":2,\"maxex\":4}}", L"", true, {}},
        {L"10",
         L"{\"type\":\"int\",\"range\":{\"maxex\":10}}",
         L"",
         false,
         {{veInvalidRange, L""}}},
        {L"5",
         L"{\"type\":\"int\",\"range\":{\"min\":6,\"max\":4}}",
         L"",
         false,
         {{veInvalidRange, L""}, {veInvalidRange, L""}}},
        {L"2.5", L"{\"type\":\"number\",\"range\":{\"minex\":2,\"max\":2.5}}", L"", true, {}},
        {L"[\"a\",\"a\"]",
         L"{\"type\":\"seq\",\"sequence\":{\"type\":\"str\",\"unique\":true}}",
         L"",
         false,
         {{veDuplicateEntry, L"[1]"}}},
        {L"[{\"id\":1},{\"id\":2},{\"id\":1}]",
         L"{\"type\":\"seq\",\"sequence\":{\"type\":\"map\",\"mapping\":{\"id\":{\"type\":\"int\","
         L"\"unique\":true}}}}",
         L"",
         false,
         {{veDuplicateEntry, L"[2].id"}}},
        {L"{\"list\":[{\"name\":\"a\"},{\"name\":1}]}",
         L"{\"type\":\"map\",\"mapping\":{\"list\":{\"type\":\"seq\",\"sequence\":{\"type\":"
         L"\"map\","
         L"\"mapping\":{\"name\":{\"type\":\"str\"}}}}}}",
         L"",
         false,
         {{veInvalidDataType, L".list[1].name"}}},
        {L"[1,2,3]",
         L"{\"type\":\"seq\",\"sequence\":{\"type\":\"int\"},\"length\":{\"max\":2}}",
         L"",
         false,
         {{veInvalidLength, L""}}},
        {L"c", L"{\"type\":\"str\",\"enum\":[\"a\",\"b\"]}", L"", false, {{veValueNotInEnum, L""}}},
        {L"b", L"{\"type\":\"str\",\"enum\":[\"a\",\"b\"]}", L"", true, {}},
        {L"{\"x\":1,\"y\":2}", L"{\"inherit\":\"point\"}", point, true, {}},
        {L"{\"x\":1,\"y\":\"s\"}",
         L"{\"inherit\":\"point\"}",
         point,
         false,
         {{veInvalidDataType, L".y"}}},
        {L"{\"x\":1}", L"{\"inherit\":\"point\"}", point, false, {{veFieldNotFound, L".y"}}},
        {L"1", L"[1]", L"", false, {{veRuleMalformated, L""}}},
        {L"1", L"{\"type\":\"int\"}", L"[{\"name\":\"a\"},5]", false, {{veRuleMalformated, L""}}},
        {L"1", L"{\"type\":\"nothing\"}", L"", false, {{veRuleMalformated, L""}}},
        {L"[\"a\"]",
         L"{\"type\":\"seq\",\"sequence\":{\"type\":\"str\",\"unique\":\"yes\"}}",
         L"",
         true,
         {{veRuleMalformated, L"unique"}}},
        {L"{\"a\":1}", L"{\"type\":\"seq\"}", L"", false, {{veRuleMalformated, L""}}},
        {L"x", L"{\"type\":\"str\",\"length\":5}", L"", false, {{veRuleMalformated, L""}}},
        {L"true", L"{\"type\":\"scalar\"}", L"", true, {}},
        {L"true", L"{\"type\":\"text\"}", L"", false, {{veInvalidDataType, L""}}},
        {L"1234",
         L"{\"type\":\"text\",\"length\":{\"max\":3}}",
         L"",
         false,
         {{veInvalidLength, L""}}},
        {L"[1,{}]", L"{\"type\":\"any\"}", L"", true, {}},
        // A rule inheriting from itself ends as a rule without a type.
        {L"1",
         L"{\"inherit\":\"loop\"}",
         L"[{\"name\":\"loop\",\"inherit\":\"loop\"}]",
         false,
         {{veRuleMalformated, L""}}},
    };
    for (const TValidateCase& c : cases) {
        TReports reports;
        const TJsonRef value = JsonFromText(c.value);
        ASSERT_TRUE(value) << std::wstring(c.value);
        EXPECT_EQ(value->Validate(c.rules, c.defs, &reports, Collect), c.valid)
            << std::wstring(c.rules);
        EXPECT_EQ(reports, c.reports) << std::wstring(c.value) << L" against " << c.rules;
    }
}

TEST(JsonValidate, RequiredMemberMissingItsValue) {
    const TJsonRef doc = TJsonObject::Create(stObject);
    doc->AsObject()->Store(L"a", nullptr);
    TReports reports;
    EXPECT_FALSE(doc->Validate(
        L"{\"type\":\"map\",\"mapping\":{\"a\":{\"type\":\"int\",\"required\":true}}}", L"",
        &reports, Collect));
    EXPECT_EQ(reports, (TReports{{veFieldIsRequired, L".a"}}));
}

TEST(JsonValidate, WorksWithoutACallback) {
    EXPECT_FALSE(JsonFromText(L"5")->Validate(L"{\"type\":\"str\"}"));
    EXPECT_TRUE(JsonFromText(L"5")->Validate(L"{\"type\":\"int\"}"));
}
