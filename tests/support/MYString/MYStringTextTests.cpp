// The text operations of `strings`: splitting, substrings, replacing, the apply convention.
#include "support/MYString/MYString.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TComPtr<Istrings> Text(const UnicodeString& text) { return TComPtr<Istrings>(new strings(text)); }

TEST(MYStringText, ConstructorsSetTheText) {
    EXPECT_EQ(TComPtr<Istrings>(new strings())->get_text(), L"");
    EXPECT_EQ(TComPtr<Istrings>(new strings(-42))->get_text(), L"-42");
    EXPECT_EQ(Text(L"abc")->get_text(), L"abc");
}

TEST(MYStringText, SplitSkipsEmptyPiecesButKeepsTheLast) {
    struct Case {
        const wchar_t* text;
        const wchar_t* separator;
        TStringArray5 expected;
    };
    const Case cases[] = {
        {L"a,,b,", L",", {L"a", L"b", L"", L"", L""}},
        {L"1|2|3|4|5|6|7", L"|", {L"1", L"2", L"3", L"4", L"5"}},
        {L"", L",", {L"", L"", L"", L"", L""}},
        {L",,a", L",", {L"a", L"", L"", L"", L""}},
        {L"a,b", L"", {L"a,b", L"", L"", L"", L""}},         // empty separator: the whole text
        {L"x<>y<><>z", L"<>", {L"x", L"y", L"z", L"", L""}}, // separators of several characters
    };
    for (const Case& c : cases) {
        TStringArray5 parts{L"stale", L"stale", L"stale", L"stale", L"stale"};
        auto s = Text(c.text);
        s->split5(parts, c.separator);
        for (std::size_t i = 0; i < parts.size(); ++i)
            EXPECT_EQ(parts[i], c.expected[i]) << c.text << " part " << i;
        EXPECT_EQ(s->get_text(), c.text);
    }
}

TEST(MYStringText, Split10And20FillTheirWholeArray) {
    TStringArray10 ten;
    ten.fill(L"stale");
    Text(L"1.2.3.4|name|x")->split10(ten, L"|");
    EXPECT_EQ(ten[0], L"1.2.3.4");
    EXPECT_EQ(ten[1], L"name");
    EXPECT_EQ(ten[2], L"x");
    for (std::size_t i = 3; i < ten.size(); ++i) EXPECT_EQ(ten[i], L"") << i;

    TStringArray20 twenty;
    twenty.fill(L"stale");
    Text(L"a b c d e f g h i j k l m n o p q r s t u v")->split20(twenty, L" ");
    EXPECT_EQ(twenty[0], L"a");
    EXPECT_EQ(twenty[19], L"t"); // pieces beyond the 20th are dropped
}

TEST(MYStringText, SplitListAndSplitText) {
    auto s = Text(L"a,,b,");
    EXPECT_EQ(s->split_list(L""), nullptr);
    TStringList* list = s->split_list(L",");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(list->Strings(0), L"a");
    EXPECT_EQ(list->Strings(1), L"b");
    EXPECT_EQ(list->Strings(2), L"");
    list->Free();

    TStringList* single = strings::split_text(L"", L",");
    EXPECT_EQ(single->Count(), 1);
    EXPECT_EQ(single->Strings(0), L"");
    single->Free();
}

TEST(MYStringText, SubStrClampsAndCountsFromTheEnd) {
    struct Case {
        const wchar_t* text;
        Integer index, count;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"abc", -1, 1, L"c"},   {L"abc", 0, 1, L""}, {L"abc", -3, 2, L"ab"},
        {L"abc", -5, 2, L"ab"}, // still below 1 after the shift: counts from 1, count kept
        {L"abc", 2, 100, L"bc"}, {L"abc", 4, 1, L""}, {L"abc", 1, 0, L""},
        {L"abc", 2, -1, L""},    {L"", -1, 1, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.text)->sub_str(c.index, c.count), c.expected)
            << c.text << " " << c.index << "," << c.count;

    auto ab = Text(L"ab");
    EXPECT_EQ(ab->right_str(3), L"ab");
    EXPECT_EQ(ab->right_str(1), L"b");
    EXPECT_EQ(ab->left_str(0), L"");
    EXPECT_EQ(ab->left_str(5), L"ab");
}

TEST(MYStringText, PosOf) {
    auto s = Text(L"abcabc");
    EXPECT_EQ(s->pos_of(L"bc", 0), 2);
    EXPECT_EQ(s->pos_of(L"bc", -4), 2);
    EXPECT_EQ(s->pos_of(L"bc", 3), 5);
    EXPECT_EQ(s->pos_of(L"x", 0), 0);
    EXPECT_EQ(s->pos_of(L"", 0), 0);
    EXPECT_EQ(s->pos_of(L"c", 7), 0);
}

TEST(MYStringText, ReplaceFlags) {
    struct Case {
        const wchar_t* text;
        const wchar_t* from;
        const wchar_t* to;
        TReplaceFlags flags;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"a b c", L" ", L"", {rfReplaceAll}, L"abc"},
        {L"a b c", L" ", L"", {}, L"ab c"},
        {L"aXbxc", L"x", L"-", {rfReplaceAll}, L"aXb-c"},
        {L"aXbxc", L"x", L"-", {rfReplaceAll, rfIgnoreCase}, L"a-b-c"},
        {L"aXbxc", L"x", L"-", {rfIgnoreCase}, L"a-bxc"},
        {L"abc", L"", L"-", {rfReplaceAll}, L"abc"},
    };
    for (const Case& c : cases) {
        auto s = Text(c.text);
        EXPECT_EQ(s->replace(c.from, c.to, c.flags, false), c.expected) << c.text;
        EXPECT_EQ(s->get_text(), c.text);
    }
    auto applied = Text(L"a b c");
    EXPECT_EQ(applied->replace(L" ", L"_", {rfReplaceAll}, true), L"a_b_c");
    EXPECT_EQ(applied->get_text(), L"a_b_c");
}

// The apply convention on every operation that has a flag and depends only on T.
TEST(MYStringText, ApplyFlagDecidesWhetherTheResultIsStored) {
    using TOperation = std::function<UnicodeString(Istrings&, bool)>;
    struct Case {
        const char* name;
        const wchar_t* text;
        TOperation operation;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"lower", L"AbÇ", [](Istrings& s, bool a) { return s.lower(a); }, L"abÇ"},
        {"upper", L"aBé", [](Istrings& s, bool a) { return s.upper(a); }, L"ABé"},
        {"reverse", L"abc", [](Istrings& s, bool a) { return s.reverse(a); }, L"cba"},
        {"append", L"ab", [](Istrings& s, bool a) { return s.append(L"cd", a); }, L"abcd"},
        {"prepend", L"ab", [](Istrings& s, bool a) { return s.prepend(L"cd", a); }, L"cdab"},
        {"wrap", L"ab", [](Istrings& s, bool a) { return s.wrap(L"'", a); }, L"'ab'"},
        {"repeat_text", L"ab", [](Istrings& s, bool a) { return s.repeat_text(3, a); }, L"ababab"},
        {"repeat_text 0", L"ab", [](Istrings& s, bool a) { return s.repeat_text(0, a); }, L""},
        {"trim_text", L" \t a b \r\n", [](Istrings& s, bool a) { return s.trim_text(a); }, L"a b"},
        {"base64_decode", L"QUJD", [](Istrings& s, bool a) { return s.base64_decode(a); }, L"ABC"},
        {"from_ansi", L"x", [](Istrings& s, bool a) { return s.from_ansi("\xE9t\xE9", a); },
         L"\xE9t\xE9"},
    };
    for (const Case& c : cases) {
        auto kept = Text(c.text);
        EXPECT_EQ(c.operation(*kept, false), c.expected) << c.name;
        EXPECT_EQ(kept->get_text(), c.text) << c.name;
        auto stored = Text(c.text);
        EXPECT_EQ(c.operation(*stored, true), c.expected) << c.name;
        EXPECT_EQ(stored->get_text(), c.expected) << c.name;
    }
}

TEST(MYStringText, PrefixAndSuffixTests) {
    auto s = Text(L"a.html");
    EXPECT_TRUE(s->starts_with(L""));
    EXPECT_TRUE(s->starts_with(L"a."));
    EXPECT_FALSE(s->starts_with(L"A."));
    EXPECT_FALSE(s->starts_with(L"a.html.x"));
    EXPECT_FALSE(s->ends_with(L""));
    EXPECT_TRUE(s->ends_with(L"html"));
    EXPECT_FALSE(s->ends_with(L"HTML"));
    EXPECT_FALSE(s->ends_with(L"xa.html"));
    EXPECT_TRUE(Text(L"")->starts_with(L""));
    EXPECT_FALSE(Text(L"")->ends_with(L""));
}

TEST(MYStringText, ChangeSuffixTakesTheFirstMatchingEnding) {
    auto s = Text(L"a.html");
    EXPECT_EQ(s->change_suffix({L".htm", L".html"}, L".txt", false), L"a.txt");
    EXPECT_EQ(s->get_text(), L"a.html");
    EXPECT_EQ(s->change_suffix({}, L".txt", true), L"");
    EXPECT_EQ(s->get_text(), L"a.html");
    EXPECT_EQ(s->change_suffix({L"", L".doc"}, L".txt", true), L"a.html"); // no match: T itself
    EXPECT_EQ(s->get_text(), L"a.html");
    EXPECT_EQ(s->change_suffix({L"l", L".html"}, L"", true), L"a.htm");
    EXPECT_EQ(s->get_text(), L"a.htm");
}

TEST(MYStringText, FirstAndLastCharacter) {
    auto s = Text(L"abc");
    EXPECT_EQ(s->first_char(false), L"a");
    EXPECT_EQ(s->last_char(false), L"c");
    EXPECT_EQ(s->get_text(), L"abc");
    EXPECT_EQ(s->first_char(true), L"a");
    EXPECT_EQ(s->last_char(true), L"c");
    EXPECT_EQ(s->get_text(), L"b");

    auto empty = Text(L"");
    EXPECT_EQ(empty->last_char(true), L"");
    EXPECT_EQ(empty->first_char(true), L"");
    EXPECT_EQ(empty->get_text(), L"");
}

TEST(MYStringText, DeleteAtAndSetIntAlwaysChangeTheText) {
    auto s = Text(L"abcdef");
    EXPECT_EQ(s->delete_at(2, 2), L"adef");
    EXPECT_EQ(s->delete_at(0, 2), L"adef"); // index outside the text: nothing
    EXPECT_EQ(s->delete_at(4, 10), L"ade");
    EXPECT_EQ(s->get_text(), L"ade");
    EXPECT_EQ(s->set_int(-7), L"-7");
    EXPECT_EQ(s->get_text(), L"-7");
}

TEST(MYStringText, SaveAndRestoreText) {
    auto s = Text(L"first");
    s->save_text();
    s->set_text(L"second");
    s->restore_text();
    EXPECT_EQ(s->get_text(), L"first");
}

TEST(MYStringText, SameAsIgnoresCaseOnlyForFlagOne) {
    auto s = Text(L"Abc");
    EXPECT_TRUE(s->same_as(L"Abc", 0));
    EXPECT_FALSE(s->same_as(L"aBC", 0));
    EXPECT_TRUE(s->same_as(L"aBC", 1));
    EXPECT_FALSE(s->same_as(L"aBC", 2));
}

TEST(MYStringText, NumbersFallBackToZero) {
    EXPECT_EQ(Text(L"123")->as_int(), 123);
    EXPECT_EQ(Text(L"12x")->as_int(), 0);
    EXPECT_EQ(Text(L"")->as_int(), 0);
    EXPECT_EQ(Text(L"99999999999")->as_int(), 0);
    EXPECT_EQ(Text(L"99999999999")->as_int64(), 99999999999LL);
    EXPECT_EQ(Text(L"x")->as_int64(), 0);
    EXPECT_EQ(Text(L"a\x263A")->len(), 2);
}

TEST(MYStringText, RandomTextPicksFromOneToTen) {
    auto s = Text(L"kept");
    const UnicodeString random = s->random_text(3, false);
    EXPECT_GE(random.size(), 3u);
    EXPECT_LE(random.size(), 6u);
    EXPECT_EQ(random.find_first_not_of(L"0123456789"), UnicodeString::npos) << random;
    EXPECT_EQ(s->get_text(), L"kept");
    EXPECT_EQ(s->random_text(0, true), L"");
    EXPECT_EQ(s->get_text(), L"");
}

TEST(MYStringText, BuffersAsText) {
    EXPECT_EQ(Text(L"")->from_ansi("", false), L"");
    EXPECT_EQ(Text(L"")->from_ansi(nullptr, false), L"");
    // "AB" is the bytes 41 00 42 00: two units, so the first two bytes, 65 and 0, give "6" and "0".
    EXPECT_EQ(Text(L"")->from_byte_digits(L"AB", false), L"60");
    EXPECT_EQ(Text(L"")->from_byte_digits(L"\x1234\x0101\x0909", false), L"511");
    EXPECT_EQ(Text(L"")->from_byte_digits(L"", false), L"");
    EXPECT_EQ(Text(L"")->from_byte_digits(nullptr, false), L"");
}

TEST(MYStringText, IsGuid) {
    EXPECT_TRUE(Text(L"{FB4DCBAF-952D-49B3-B174-82C3672AB582}")->is_guid());
    EXPECT_FALSE(Text(L"FB4DCBAF-952D-49B3-B174-82C3672AB582x")->is_guid());
    EXPECT_FALSE(Text(L"{not-a-guid}")->is_guid());
}

TEST(MYStringText, AsDateReadsADateOrGivesTheDefault) {
    EXPECT_DOUBLE_EQ(Text(L"no date here")->as_date(), 25569.0);
    EXPECT_DOUBLE_EQ(Text(L"")->as_date(), 25569.0);
    EXPECT_DOUBLE_EQ(Text(L"2024-05-06 07:08:09")->as_date(),
                     EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9, 0));
}

TEST(MYStringText, NowTextFormatsTheCurrentTime) {
    const UnicodeString before = FormatDateTime(L"yyyy-mm-dd hh:nn", Now());
    auto s = Text(L"");
    const UnicodeString text = s->now_text(L"yyyy-mm-dd hh:nn", true);
    const UnicodeString after = FormatDateTime(L"yyyy-mm-dd hh:nn", Now());
    EXPECT_TRUE(text == before || text == after) << text;
    EXPECT_EQ(s->get_text(), text);
}

} // namespace
