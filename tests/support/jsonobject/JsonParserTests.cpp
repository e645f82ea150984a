// The reader's grammar (strict and lenient forms, refused inputs, nesting bound), its error
// kinds, chunked input, and the stream entry.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const UnicodeString Nil = L"<nil>";

UnicodeString TextOf(const TJsonRef& value) { return value ? value->AsJSon(false, false) : Nil; }

UnicodeString Parse(const UnicodeString& text, bool partial = false) {
    return TextOf(TJsonObject::ParseString(text, partial));
}

TJsonTokenizerError ErrorOf(const UnicodeString& text) {
    TJsonTokenizer tok;
    TJsonObject::ParseEx(tok, text.c_str(), -1);
    return tok.err;
}

struct TGrammarCase {
    const wchar_t* text;
    bool partial;
    const wchar_t* expected; // the value written back, or <nil> when the text is refused
};

} // namespace

TEST(JsonParse, GrammarTable) {
    const TGrammarCase cases[] = {
        {L"{\"a\":{\"b\":[1,{\"c\":null}]}}", false, L"{\"a\":{\"b\":[1,{\"c\":null}]}}"},
        {L" [ true , false , null ] ", false, L"[true,false,null]"},
        {L"\"text\"", false, L"\"text\""},
        {L"-7", false, L"-7"},
        {L"1.5", false, L"1.5"},
        // Lenient forms.
        {L"", false, L"\"\""},
        {L"   ", false, L"\"\""},
        {L"[1,2,]", false, L"[1,2]"},
        {L"{\"a\":1,}", false, L"{\"a\":1}"},
        {L"[,1]", false, L"[\"\",1]"},
        {L"[abc, de f]", false, L"[\"abc\",\"de f\"]"},
        {L"{a b: 1}", false, L"{\"a b\":1}"},
        {L"{'k':'v'}", false, L"{\"k\":\"v\"}"},
        {L"nul", false, L"\"nul\""},
        {L"nullx", false, L"\"nullx\""},
        {L"True", false, L"\"True\""},
        {L"null", false, L"null"},
        {L"[nu]", false, L"[\"nu\"]"},
        {L"[truex,falsey]", false, L"[\"truex\",\"falsey\"]"},
        {L"// line\n[1]", false, L"[1]"},
        {L"/* block */ [1 /* inner */, 2]", false, L"[1,2]"},
        {L"/***/ 1", false, L"1"},
        {L"[1] /* still open", false, L"[1]"},
        {L"[1] // to the end", false, L"[1]"},
        {L"1.5.3", false, L"1.5"},
        {L"--1", false, L"0"},
        {L"9223372036854775808", false, L"9223372036854775807"},
        {L"-9223372036854775809", false, L"-9223372036854775808"},
        {L"{\"a\":1} x", true, L"{\"a\":1}"},
        // Refused.
        {L"{\"a\":1} x", false, Nil.c_str()},
        {L"[1 2]", false, Nil.c_str()},
        {L"[1,", false, Nil.c_str()},
        {L"[", false, Nil.c_str()},
        {L"{\"a\" 1}", false, Nil.c_str()},
        {L"{\"a\":1 \"b\":2}", false, Nil.c_str()},
        {L"{,}", false, Nil.c_str()},
        {L"{\"a\":1", false, Nil.c_str()},
        {L"\"abc", false, Nil.c_str()},
        {L"'abc\\", false, Nil.c_str()},
        {L"/x", false, Nil.c_str()},
        {L"/* never closed", false, Nil.c_str()},
        {L"\"\\u12g4\"", false, Nil.c_str()},
        {L"\"\\x4\"", false, Nil.c_str()},
    };
    for (const TGrammarCase& c : cases)
        EXPECT_EQ(Parse(c.text, c.partial), c.expected) << "input: " << std::wstring(c.text);
}

// A comment still open after the value makes the reader consume the text's NUL. What lies past
// that NUL (here an embedded tail, or the leftover of a string shortened in place) is not text
// following the value and must not decide the result.
TEST(JsonParse, OpenCommentAtTheEndIgnoresWhatLiesPastTheNul) {
    const UnicodeString tail(L"\0x", 2);
    EXPECT_EQ(Parse(L"[1] /* still open" + tail), L"[1]");
    EXPECT_EQ(Parse(L"[1] // to the end" + tail), L"[1]");
    EXPECT_EQ(Parse(L"[1]" + tail), L"[1]");
    UnicodeString shortened = L"[1] /* still openxxxxxxxx";
    shortened.resize(17);
    EXPECT_EQ(Parse(shortened), L"[1]");
}

TEST(JsonParse, ErrorKinds) {
    const std::pair<const wchar_t*, TJsonTokenizerError> cases[] = {
        {L"[1]", teSuccess},
        {L"[1 2]", teParseArray},
        {L"{,}", teParseObjectKeyName},
        {L"{\"a\" 1}", teParseObjectKeySep},
        {L"{\"a\":1 \"b\":2}", teParseObjectValueSep},
        {L"\"\\u12g4\"", teParseString},
        {L"/x", teParseComment},
        {L"\"abc", teParseEof},
        {L"{\"abc", teParseEof},
        {L"/* open", teParseEof},
    };
    for (const auto& [text, error] : cases) EXPECT_EQ(ErrorOf(text), error) << std::wstring(text);
}

TEST(JsonParse, NestingIsBoundedTo32Levels) {
    const auto nested = [](size_t levels, const UnicodeString& inner) {
        return UnicodeString(levels, L'[') + inner + UnicodeString(levels, L']');
    };
    EXPECT_NE(Parse(nested(32, L"")), Nil);
    EXPECT_EQ(ErrorOf(nested(32, L"1")), teDepth);
    EXPECT_EQ(ErrorOf(nested(33, L"")), teDepth);
    EXPECT_EQ(ErrorOf(UnicodeString(31, L'[') + L"{\"a\":{}}" + UnicodeString(31, L']')), teDepth);
    // A hostile depth is refused, not followed down the stack.
    EXPECT_EQ(Parse(nested(200000, L"")), Nil);
    EXPECT_EQ(Parse(UnicodeString(200000, L'{')), Nil);
}

TEST(JsonParse, StringEscapes) {
    const std::pair<const wchar_t*, UnicodeString> cases[] = {
        {L"\"\\u00e9\"", UnicodeString(1, wchar_t(0xE9))},
        {L"\"\\u263A\"", UnicodeString(1, wchar_t(0x263A))},
        {L"\"\\x41\"", L"A"},
        {L"\"\\q\"", L"q"},
        {L"\"\\\"\\\\\\/\\'\"", L"\"\\/'"},
        {L"\"\\b\\f\\n\\r\\t\"", L"\b\f\n\r\t"},
        {L"'it\\'s'", L"it's"},
        {L"{\"\\u0041b\":1}", L"{\"Ab\":1}"},
    };
    for (const auto& [text, expected] : cases) {
        const TJsonRef value = JsonFromText(text);
        ASSERT_TRUE(value) << std::wstring(text);
        EXPECT_EQ(value->AsString(), expected) << std::wstring(text);
    }
}

TEST(JsonParse, LiteralsAndNumbersHaveTheirTypes) {
    EXPECT_EQ(ValueType(JsonFromText(L"null")), stNull);
    EXPECT_TRUE(JsonFromText(L"null")); // a null value, not nil
    EXPECT_EQ(ValueType(JsonFromText(L"true")), stBoolean);
    EXPECT_EQ(ValueType(JsonFromText(L"12")), stInt);
    EXPECT_EQ(ValueType(JsonFromText(L"1e3")), stDouble);
    EXPECT_EQ(JsonFromText(L"1e3")->AsDouble(), 1000.0);
    EXPECT_EQ(ValueType(JsonFromText(L"abc")), stString);
}

// A fractional or exponent token is the number the C runtime's wcstod reads from it: the
// runtime is the model, over the ordinary forms, the extremes and the malformed tails.
TEST(JsonParse, DecimalTokensReadAsTheRuntimeReadsThem) {
    const wchar_t* tokens[] = {
        L"0.1",
        L"-0.0",
        L"5.",
        L"1.5e-3",
        L"2E+2",
        L"1e",
        L"1.5.3",
        L"1-2.5",
        L"-.5",
        L"-.",
        L"1.7976931348623157e308",
        L"1e400",
        L"-1e400",
        L"4.9e-324",
        L"1e-400",
        L"2.2250738585072011e-308",
        L"0.30000000000000004",
        L"9007199254740993.0",
        L"123456789012345678901234567890123456789012345678901234567890123456789.5",
        L"0.000000000000000000000000000000000000000000000000000000000000000001e10"};
    for (const wchar_t* token : tokens) {
        const TJsonRef value = JsonFromText(token);
        ASSERT_EQ(ValueType(value), stDouble) << std::wstring(token);
        const double expected = std::wcstod(token, nullptr), read = value->AsDouble();
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0)
            << std::wstring(token) << ": " << read << " against " << expected;
    }
}

TEST(JsonParse, MemberStoredTwiceKeepsTheLaterValue) {
    EXPECT_EQ(Parse(L"{\"a\":1,\"a\":2}"), L"{\"a\":2}");
}

TEST(JsonParse, ChunkedInputContinuesWhereItStopped) {
    TJsonTokenizer tok;
    const UnicodeString first = L"[1,\"a", second = L"b\",3]";
    EXPECT_FALSE(TJsonObject::ParseEx(tok, first.c_str(), static_cast<Integer>(first.size())));
    EXPECT_EQ(tok.err, teContinue);
    const TJsonRef value =
        TJsonObject::ParseEx(tok, second.c_str(), static_cast<Integer>(second.size()));
    EXPECT_EQ(tok.err, teSuccess);
    EXPECT_EQ(TextOf(value), L"[1,\"ab\",3]");
}

TEST(JsonParse, GivenLengthIsNeverPassed) {
    // The text goes on after the given length; the reader must stop there.
    const UnicodeString text = L"[1,2]]]]";
    TJsonTokenizer tok;
    const TJsonRef value = TJsonObject::ParseEx(tok, text.c_str(), 5);
    EXPECT_EQ(tok.err, teSuccess);
    EXPECT_EQ(tok.char_offset, 5);
    EXPECT_EQ(TextOf(value), L"[1,2]");
}

namespace {

UnicodeString ParseBytes(const std::string& bytes, bool partial = false) {
    TMemoryStream stream;
    if (!bytes.empty()) stream.Write(bytes.data(), static_cast<NativeInt>(bytes.size()));
    stream.SetPosition(0);
    return TextOf(TJsonObject::ParseStream(stream, partial));
}

} // namespace

TEST(JsonParseStream, WholeValuesAndTrailingText) {
    EXPECT_EQ(ParseBytes("{}   "), L"{}");
    EXPECT_EQ(ParseBytes("{} x"), Nil);
    EXPECT_EQ(ParseBytes("{} x", true), L"{}");
    EXPECT_EQ(ParseBytes(""), Nil);
    // A value only the end of the stream can finish.
    EXPECT_EQ(ParseBytes("123"), L"123");
    EXPECT_EQ(ParseBytes("[1,2"), Nil);
    EXPECT_EQ(ParseBytes("\"open"), Nil);
}

TEST(JsonParseStream, ValuesSpanningChunksAndTrailingTextAfterAChunkEnd) {
    std::string text = "[";
    for (int i = 0; i < 600; ++i) {
        if (i) text += ',';
        text += std::to_string(i * 7);
    }
    text += "]";
    ASSERT_GT(text.size(), 2048u);
    const TJsonRef value = JsonFromText(UnicodeString(text.begin(), text.end()));
    EXPECT_EQ(ParseBytes(text), TextOf(value));
    // The value ends exactly at the first chunk's end; the text after it is in the next chunk.
    std::string exact(1024, 'a');
    exact.front() = exact.back() = '"';
    EXPECT_EQ(ParseBytes(exact + "  x"), Nil);
    EXPECT_EQ(ParseBytes(exact + "   "), L"\"" + UnicodeString(1022, L'a') + L"\"");
}

TEST(JsonParseStream, EveryByteIsOneCharacter) {
    TStringStream stream(RawByteString("\"caf\xE9\""));
    const TJsonRef value = TJsonObject::ParseStream(stream);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->AsString(), UnicodeString(L"caf") + wchar_t(0xE9));
}

TEST(JsonParseFile, MissingFileGivesNil) {
    EXPECT_FALSE(TJsonObject::ParseFile(L"Z:\\no\\such\\dir\\file.json"));
}

namespace {

// What the state machine alone makes of a whole text, taken as ParseString takes it.
UnicodeString ParseCharacterByCharacter(const UnicodeString& text, bool partial) {
    TJsonTokenizer tok;
    const TJsonRef value = TJsonObject::ParseEx(tok, text.c_str(), -1);
    if (tok.err != teSuccess) return Nil;
    const wchar_t* const stop = text.c_str() + tok.char_offset;
    const bool consumedEnd = tok.char_offset > 0 && stop[-1] == 0;
    if (!partial && !consumedEnd && *stop != 0) return Nil;
    return TextOf(value);
}

UnicodeString Nested(int depth, const UnicodeString& inner) {
    return UnicodeString(static_cast<std::size_t>(depth), L'[') + inner +
           UnicodeString(static_cast<std::size_t>(depth), L']');
}

} // namespace

// Plain JSON takes a way of its own through a whole text; it must come to what the state
// machine makes of the same text, also where the text turns out not to be plain after all.
TEST(JsonParse, WholeTextsReadAsCharacterByCharacter) {
    const UnicodeString texts[] = {
        L"{\"id\":12,\"name\":\"caf\\u00e9 \\\"q\\\" \\x41\\q\\/\",\"tags\":[\"a\",\"\\u03b2\"],"
        L"\"deep\":{\"x\":[1,2.5,-0.125e2,1E+3,true,false,null,{}],\"y\":[]},\"\":\"\"}",
        L" \t\r\n\b\f[ 1 , \"\u6771\u4eac \U0001F600\" ]\n",
        L"{\"a\":1,\"a\":2,\"b\":{\"a\":3}}",
        L"0",
        L"-0",
        L"-7",
        L"1e5",
        L"1.5e-3",
        L"123456789012345678901234",
        L"-9223372036854775809",
        L"[1e999]",
        L"[0.1000000000000000055511151231257827021181583404541015625]",
        L"01",
        L"1.",
        L".5",
        L"-",
        L"1e",
        L"+1",
        L"[1-2]",
        L"[0x10]",
        L"[1 2]",
        L"true",
        L"truex",
        L"[true1]",
        L"[nul]",
        L"True",
        L"[null:1]",
        L"[true.]",
        L"[1,]",
        L"{\"a\":1,}",
        L"[,1]",
        L"[1,,2]",
        L"{,}",
        L"{\"a\" 1}",
        L"{\"a\":}",
        L"['single']",
        L"{unquoted:1}",
        L"{'a':1}",
        L"[\"\\u12G4\"]",
        L"[\"\\xZ1\"]",
        L"[1,/*c*/2]",
        L"{} // trailing",
        L"{} /",
        L"{} x",
        L"[1] ]",
        L"\"text\"tail",
        L"",
        L"   ",
        L"[",
        L"{\"a\":[1,{\"b\":",
        L"[\"open",
        UnicodeString(L"[1,\0 2]", 7),
        UnicodeString(L"[\"a\0b\"]", 7),
        Nested(31, L"1"),
        Nested(32, L"1"),
        Nested(33, L"1"),
        Nested(32, L""),
        Nested(33, L""),
        L"{\"a\":" + Nested(30, L"{\"b\":1}") + L"}",
        L"{\"a\":" + Nested(31, L"{\"b\":1}") + L"}",
    };
    for (const UnicodeString& text : texts)
        for (const bool partial : {false, true})
            EXPECT_EQ(Parse(text, partial), ParseCharacterByCharacter(text, partial))
                << "text \"" << text << "\", partial " << partial;
}
