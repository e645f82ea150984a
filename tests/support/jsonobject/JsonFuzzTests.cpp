// Random text against the reader and the path evaluator: whatever the input, a call ends with
// a result, and whatever is accepted is a value that writes out as text reading back the same.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Characters that drive the machine into every state, plus a few wide ones.
const UnicodeString Alphabet =
    UnicodeString(L"{}[]():,.'\"\\/*\n -+eE019abnulltruefalsexu") + wchar_t(0xE9) + wchar_t(0x263A);

UnicodeString RandomText(std::mt19937& random, size_t maxLength) {
    UnicodeString text(random() % (maxLength + 1), L' ');
    for (wchar_t& c : text) c = Alphabet[random() % Alphabet.size()];
    return text;
}

} // namespace

TEST(JsonFuzz, AcceptedTextWritesBackStably) {
    std::mt19937 random(4242);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        const UnicodeString text = RandomText(random, 24);
        const TJsonRef value = TJsonObject::ParseString(text, i % 2 == 0);
        if (!value) continue;
        ++accepted;
        const UnicodeString written = value->AsJSon(false, true);
        const TJsonRef again = TJsonObject::ParseString(written, false);
        ASSERT_TRUE(again) << std::wstring(text) << L" wrote " << written;
        EXPECT_EQ(again->AsJSon(false, true), written) << std::wstring(text);
    }
    EXPECT_GT(accepted, 0);
}

TEST(JsonFuzz, RandomPathsLeaveAWritableDocument) {
    std::mt19937 random(777);
    const TJsonRef doc = JsonFromText(L"{\"a\":{\"b\":[1,{\"c\":2},[3]]},\"l\":[],\"s\":\"x\"}");
    ASSERT_TRUE(doc);
    for (int i = 0; i < 20000; ++i) {
        const UnicodeString path = RandomText(random, 12);
        switch (random() % 4) {
        case 0: doc->PathGetObject(path); break;
        case 1: doc->PathPutInteger(path, i); break;
        case 2: doc->Delete(path); break;
        default: doc->ForcePath(path, static_cast<TJsonType>(random() % 7)); break;
        }
    }
    const UnicodeString written = doc->AsJSon(false, true);
    const TJsonRef again = TJsonObject::ParseString(written, false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->AsJSon(false, true), written);
}
