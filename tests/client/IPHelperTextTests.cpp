#include "client/IPHelper.h"

#include <gtest/gtest.h>

TEST(IPHelperText, CutToken) {
    struct Case {
        const wchar_t* Source;
        const wchar_t* Token;
        const wchar_t* Rest;
    } cases[] = {
        {L"10.0.0.1", L"10", L"0.0.1"},
        {L".5", L"", L"5"},
        {L"last", L"last", L""},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        UnicodeString source = c.Source, token = L"stale";
        CutToken(source, L'.', token);
        EXPECT_EQ(token, c.Token) << c.Source;
        EXPECT_EQ(source, c.Rest) << c.Source;
    }
}

TEST(IPHelperText, CutTokenServesLongTexts) {
    UnicodeString source = UnicodeString(300, L'a') + L"|b", token;
    CutToken(source, L'|', token);
    EXPECT_EQ(token, UnicodeString(300, L'a'));
    EXPECT_EQ(source, L"b");
}

TEST(IPHelperText, MacToText) {
    const Byte mac[8] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0x70};
    EXPECT_EQ(MacToText(mac, 6), L"00-1A-2B-3C-4D-5E");
    EXPECT_EQ(MacToText(mac, 0), L"00-00-00-00-00-00");
    EXPECT_EQ(MacToText(mac, 1), L"00");
    EXPECT_EQ(MacToText(mac, 200), L"00-1A-2B-3C-4D-5E-6F-70"); // never past the 8 bytes
}

TEST(IPHelperText, IpToText) {
    EXPECT_EQ(IpToText(0x0100000A), L" 10.  0.  0.  1");
    EXPECT_EQ(IpToText(0x0101A8C0), L"192.168.  1.  1");
    EXPECT_EQ(IpToText(0), L"  0.  0.  0.  0");
}

TEST(IPHelperText, TextToIp) {
    // "1.2.3.300": 300 is no octet.
    struct Case {
        const wchar_t* Text;
        DWORD Value;
    } cases[] = {
        {L"1.2.3.4", 0x04030201},
        {L"1.x.3.4", 0x04030000},
        {L"1.2.3", 0},
        {L"", 0},
        {L"255.255.255.255", 0xFFFFFFFF},
        {L"192.168.1.1", 0x0101A8C0},
        {L"1.2.3.300", 0},
        {L"1.2.3.4.5", 0x04030201},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToIp(c.Text), c.Value) << c.Text;
}
