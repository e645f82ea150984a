#include "support/KitThreadPool/KitBase64.h"

#include <gtest/gtest.h>

namespace {

AnsiString Decoded(const AnsiString& input) {
    AnsiString output;
    EXPECT_EQ(DecodeBase64(input, output), 0) << input;
    return output;
}

TEST(KitBase64, DecodesGroupsIgnoringSeparatorsAndTrailingCharacters) {
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"QQ==", "A"},
        {"QUJD", "ABC"},
        {"Q U\r\nJ\tD\n", "ABC"},
        {"QUJDRA", "ABC"}, // the incomplete last group gives nothing
        {"QUJDREVG", "ABCDEF"},
        {"IEE=", "A"},  // leading blank and padding zero trimmed
        {"!!**~~", ""}, // nothing of the alphabet left
        {"QQ", ""},     // no complete group at all
        {"SGVsbG8sIHdvcmxk", "Hello, world"},
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded(c.input), c.expected) << c.input;
}

TEST(KitBase64, EmptyInputLeavesOutputUntouched) {
    AnsiString output = "kept";
    EXPECT_EQ(DecodeBase64("", output), 0);
    EXPECT_EQ(output, "kept");
}

TEST(KitBase64, NonEmptyInputReplacesOutput) {
    AnsiString output = "old";
    DecodeBase64("QUJD", output);
    EXPECT_EQ(output, "ABC");
}

TEST(KitBase64, EqualsSignInsideTheTextCountsAsZero) {
    // "QQ==QUJD": the first group decodes to "A\0\0", the zeros stay inside the text.
    EXPECT_EQ(Decoded("QQ==QUJD"), AnsiString("A\0\0ABC", 6));
}

TEST(KitBase64, FilterKeepsOnlyAlphabetAndPadding) {
    EXPECT_EQ(FilterBase64Input("a-b_c d\r\n+/=9\x80Z"), "abcd+/=9Z");
    EXPECT_EQ(FilterBase64Input(""), "");
}

} // namespace
