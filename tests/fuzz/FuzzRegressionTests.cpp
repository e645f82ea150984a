// Inputs that once took seconds to minutes, fed under the driver's time limit: a slow input
// ends the program with its report, as in the mutation loops.
#include "FuzzDriver.h"

#include "support/MYString/MYString.h"
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <array>

// Splitting erased each consumed piece from the front: quadratic in the reply's length, minutes
// for a reply just below the HTTP client's bound.
TEST(FuzzRegression, AServerCheckReplyOfMillionsOfCharactersSplitsInLinearTime) {
    constexpr std::size_t Pieces = 960000; // 7,680,000 characters
    std::wstring reply;
    reply.reserve(Pieces * 8);
    for (std::size_t i = 0; i < Pieces; ++i) reply += L"1.2.3.4-";
    std::array<UnicodeString, 5> fields;
    std::size_t count = 0;
    const std::string what = FeedGuarded("text_split regression", 0, 0, "", [&](const TFuzzInput&) {
        mystring::SplitInto(fields, reply, L"-");
        count = mystring::SplitPieces(reply, L"-").size();
    });
    EXPECT_EQ(what, "");
    EXPECT_EQ(fields[0], L"1.2.3.4");
    EXPECT_EQ(fields[4], L"1.2.3.4");
    EXPECT_EQ(count, Pieces + 1);
}

// 32 names of this kind made 32 arrays of 16,777,216 slots: seconds and gigabytes.
TEST(FuzzRegression, ValidatorRuleNamesWithHugeIndexesAreCheap) {
    std::wstring mapping, members;
    for (int i = 0; i < 32; ++i) {
        const std::wstring field = (i ? L",\"f" : L"\"f") + std::to_wstring(i) + L"\":";
        mapping +=
            field + L"{\"type\":\"str\",\"name\":\"n" + std::to_wstring(i) + L"[16777215]\"}";
        members += field + L"\"x\"";
    }
    const std::wstring rules = L"{\"type\":\"map\",\"mapping\":{" + mapping + L"}}";
    bool valid = false;
    const std::string what =
        FeedGuarded("json_validator regression", 0, 0, "", [&](const TFuzzInput&) {
            valid = JsonFromText(L"{" + members + L"}")->Validate(rules);
        });
    EXPECT_EQ(what, "");
    EXPECT_TRUE(valid);
}
