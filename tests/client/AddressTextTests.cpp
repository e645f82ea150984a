// The address tests that keep pages and damaged entries from being taken for the service's
// addresses: the client's own address in the server check, a line's decoded address.
#include "client/AddressText.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
    const wchar_t* Text;
    bool Dotted, Line;
};

TEST(AddressText, DottedAddressesAndHostNames) {
    const TCase cases[] = {
        {L"127.0.0.77", true, true},
        {L"0.0.0.0", true, true},
        {L"255.255.255.255", true, true},
        {L"10.64.0.2", true, true},
        {L"256.1.1.1", false, false},
        {L"1.2.3", false, false},
        {L"1.2.3.4.5", false, false},
        {L"1..2.3", false, false},
        {L"1.2.3.", false, false},
        {L"01.2.3.4", true, true},
        {L"1234.1.1.1", false, false},
        {L" 1.2.3.4", false, false},
        {L"1.2.3.4 ", false, false},
        {L"", false, false},
        {L"line.example.net", false, true},
        {L"vpn-7", false, true},
        {L"-vpn.example", false, false},
        {L"vpn-.example", false, false},
        {L"<html>", false, false},
        {L"上海.example", false, false},
        {L"a\xFFFF"
         L"b",
         false, false},
        {L"1.2.3.4x", false, true},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(IsDottedIPv4(c.Text), c.Dotted) << UnicodeString(c.Text).size();
        EXPECT_EQ(IsLineAddress(c.Text), c.Line) << UnicodeString(c.Text).size();
    }
    EXPECT_TRUE(IsLineAddress(UnicodeString(63, L'a') + L".net"));
    EXPECT_FALSE(IsLineAddress(UnicodeString(64, L'a') + L".net"));
}

} // namespace
