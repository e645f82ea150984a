// The connected window's numbers and the dial attempt's names, without a window: kilobytes,
// online time, the traffic totals across the counters' wrap, the entry name and the identifier.
#include "client/gui/DialTexts.h"
#include "client/gui/TrafficCounter.h"

#include "client/AppShared.h"

#include <gtest/gtest.h>

#include <cwctype>

TEST(TrafficCounter, KilobytesRoundToTheNearestWhole) {
    const std::pair<Int64, Int64> cases[] = {
        {0, 0}, {123456, 123}, {1600, 2}, {499, 0}, {5000000000LL, 5000000}};
    for (const auto& [bytes, kilobytes] : cases)
        EXPECT_EQ(TrafficKilobytes(bytes), kilobytes) << bytes;
}

TEST(TrafficCounter, OnlineTimeWrapsAfterADay) {
    const std::pair<UInt64, const wchar_t*> cases[] = {
        {0, L"00:00:00"},
        {59999, L"00:00:59"},
        {3723000, L"01:02:03"},
        {25ULL * 3600 * 1000, L"01:00:00"},
        {(23ULL * 3600 + 59 * 60 + 59) * 1000, L"23:59:59"},
    };
    for (const auto& [ms, text] : cases) EXPECT_EQ(OnlineTimeText(ms), text) << ms;
}

TEST(TrafficCounter, TotalsCarryTheWrapOfTheThirtyTwoBitCounter) {
    TTrafficCounter counter;
    counter.Update(4000000000u);
    counter.Update(4294967000u);
    EXPECT_EQ(counter.Total(), 4294967000LL);
    counter.Update(704u); // wrapped: 296 + 704 more
    EXPECT_EQ(counter.Total(), 4294968000LL);
    EXPECT_GT(counter.Total(), 0);
    counter.Reset();
    counter.Update(10u);
    EXPECT_EQ(counter.Total(), 10);
}

TEST(TrafficCounter, TrafficTextByLanguage) {
    lang_code = LangEnglish;
    EXPECT_EQ(TrafficText(123456, 2600, 61000), L"Data:123KB/3KB  Time:00:01:01");
    lang_code = LangSimplified;
    EXPECT_EQ(TrafficText(0, 1000, 0), L"已加速:0KB/1KB  在线时间:00:00:00");
    lang_code = LangNone;
}

TEST(DialTexts, EntryNameAndIdentifierFollowTheirPatterns) {
    const TDateTime time = EncodeDate(2026, 3, 7) + EncodeTime(9, 5, 4, 7);
    EXPECT_EQ(DialEntryName(time), L"030795407");
    const UnicodeString id = NewUniqueId(time);
    EXPECT_EQ(id.size(), 21u) << id;
    EXPECT_EQ(id.substr(0, 13), L"2026030795407");
    for (wchar_t c : id) EXPECT_TRUE(std::iswdigit(c)) << id;
}

TEST(DialTexts, DeviceNameByProtocolAndLanguage) {
    lang_code = LangEnglish;
    EXPECT_EQ(VpnDeviceName(false), L"WAN Miniport (PPTP)");
    EXPECT_EQ(VpnDeviceName(true), L"WAN Miniport (L2TP)");
    lang_code = LangSimplified;
    EXPECT_EQ(VpnDeviceName(true), L"WAN 微型端口 (L2TP)");
    const TChineseConverter system =
        SetTraditionalConverter([](const UnicodeString& text) { return L"T" + text; });
    lang_code = LangTraditional;
    EXPECT_EQ(VpnDeviceName(false), L"TWAN 微型端口 (PPTP)");
    SetTraditionalConverter(system);
    lang_code = LangNone;
}

TEST(DialTexts, OnlyStatesAbove601UpTo1000AreErrors) {
    EXPECT_FALSE(IsDialError(601));
    EXPECT_TRUE(IsDialError(602));
    EXPECT_TRUE(IsDialError(1000));
    EXPECT_FALSE(IsDialError(1001));
    EXPECT_FALSE(IsDialError(RasConnected));
}

TEST(DialTexts, OtherErrorsAskForAnotherLine) {
    lang_code = LangEnglish;
    for (Integer code : {720, 736, 721, 769})
        EXPECT_EQ(DialErrorText(code), L"Error:" + std::to_wstring(code) +
                                           L" Unable to connect, please replace the line");
    EXPECT_EQ(DialErrorText(633),
              L"Error:633 System fault, please open the client or restart the computer");
    EXPECT_EQ(DialErrorText(930), L"Error:930 cannot be authenticated");
    lang_code = LangNone;
}
