#include "client/ServerDecoders.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const wchar_t* input;
    UnicodeString expected;
};

TEST(ServerDecoders, Base64DecodeTextTable) {
    const TextCase cases[] = {
        {L"", L""},           {L"QUJD", L"ABC"},
        {L"QUI=", L"AB"},     {L"QUI", L"AB"},
        {L"QQ==", L"A"},      {L"QQ", L"A"},
        {L"Q", L""},          // a lone last symbol is ignored
        {L"QUJDRA", L"ABCD"}, // two left over give one character
        {L"6Q==", L"\xE9"},   // a byte above 127 is one character of the same code
        {L"/w", L"\xFF"},     {L"AAAA", UnicodeString(3, L'\0')},
        {L"==", L""},
    };
    for (const TextCase& c : cases) EXPECT_EQ(Base64DecodeText(c.input), c.expected) << c.input;
}

TEST(ServerDecoders, SymbolsOutsideTheAlphabet) {
    // Only two trailing "=" are dropped: "QQ===" decodes "QQ=" as a group of three whose "="
    // is an ordinary symbol with the value -1.
    EXPECT_EQ(Base64DecodeText(L"QQ==="), (UnicodeString{L'A', static_cast<wchar_t>(0x0F)}));
    // The last term is not masked: a fourth symbol outside the alphabet gives 0xFFFF.
    EXPECT_EQ(Base64DecodeText(L"QUJ*"), (UnicodeString{L'A', L'B', static_cast<wchar_t>(0xFFFF)}));
    // The first two terms are masked to a byte even for -1.
    EXPECT_EQ(Base64DecodeText(L"**"), UnicodeString(1, static_cast<wchar_t>(0xFF)));
    EXPECT_EQ(Base64DecodeText(L"***"),
              (UnicodeString{static_cast<wchar_t>(0xFF), static_cast<wchar_t>(0xFF)}));
}

TEST(ServerDecoders, SegmentSwapCutsPiecesToTheText) {
    EXPECT_EQ(SegmentSwap(L"abcdefghij", 4), L"efghabcdij");
    EXPECT_EQ(SegmentSwap(L"abcdef", 4), L"efabcd");
    EXPECT_EQ(SegmentSwap(L"abcd", 4), L"abcd");
    EXPECT_EQ(SegmentSwap(L"ab", 4), L"ab");
    EXPECT_EQ(SegmentSwap(L"", 4), L"");
    EXPECT_EQ(SegmentSwap(L"abcdefgh", 4), L"efghabcd");
}

TEST(ServerDecoders, LayeredDecodersOfEmptyAndShortTexts) {
    EXPECT_EQ(DecodeLineAddress(L""), L"");
    EXPECT_EQ(DecodeDialPassword(L""), L"");
    EXPECT_EQ(DecodeDialUser(L""), L"");
    EXPECT_EQ(DecodeLineAddress(L"Q"), L"");
    EXPECT_EQ(DecodeDialPassword(L"Q"), L"");
}

// (plain, encoded) pairs made once with the local account server's encoders
// (tools/account-server/encoders.py: encode_line_address, encode_dial_user,
// encode_dial_password). Their decoding back is the evidence that client and server agree.
TEST(ServerDecoders, RoundTripThroughTheAccountServerEncoders) {
    const TextCase addresses[] = {
        {L"Vk5RSlFYek0weHFUVlJSNA", L"127.0.0.1"},
        {L"ZE5RSlJYek0weHFUVlJSNVRVUkJkVTFxVlRB", L"127.100.200.254"},
        {L"Tk1ic01EVmRWcFRZa2RZMFdWY3hkMkpIVlhWa1IxWjZaRUU", L"line-7.example.test"},
        {L"V1ZF", L"a"},
        {L"ZEpVeVdWUWRWaw", L"ab.cd"},
        {L"Vk9RMFRYUWVVeHFUVk0", L"1.2.3.4"},
    };
    for (const TextCase& c : addresses)
        EXPECT_EQ(DecodeLineAddress(c.input), c.expected) << c.input;

    const TextCase users[] = {
        {L"ZG5CdU9EQXdNUQ", L"vpn8001"},
        {L"ZFE", L"u"},
        {L"VlhQcGNpMDBNZw", L"Us\xE9r-42"},
    };
    for (const TextCase& c : users) EXPECT_EQ(DecodeDialUser(c.input), c.expected) << c.input;

    const TextCase passwords[] = {
        {L"Vm10V1lWWnNXWGRoUjJoc1lrWndVbFp0ZEV0aU1XUnpWMnQwVmxKc1dsWlZiWGhyWVdzeFdHVkVRbFZXVmtwVA",
         L"Kx7#pQ2z"},
        {L"VkZjMWIxZEdWblJhUm1N", L"x"},
        {L"VkZaa2IxWnNiSEpXYld4b1RVaEJNRlp0ZEhkWFJtUllUbFZPVmxKdGVIcFdiR2h2WVRGS2RHVkljRmROYmxKeVdW"
         L"WmtVMDEz",
         L"p\xE4ssw\xF6rd!"},
        {L"V1ZSR2QxUXhXbk5YYkU1T1RXMW9VMVp0ZUhkV1ZscHhVMjA1VGsxV2NGbFplazV2VmpKS1NHVkdiRlZXYkZWNFZr"
         L"ZDRTMk14U25GVmJHaG9UVlp3ZVZkV1ZtRlpWMUpJVld0V1YySkhVbGhhVjNSV1pERlplRmR0ZEZSTlYxSklWbTAx"
         L"VjFkSFNrbFJiR2hhWWtad1MxcFdSUQ",
         L"0123456789abcdefghij"},
    };
    for (const TextCase& c : passwords)
        EXPECT_EQ(DecodeDialPassword(c.input), c.expected) << c.input;
}

} // namespace
