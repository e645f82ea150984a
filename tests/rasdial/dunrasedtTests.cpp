// The phonebook-entry component against the simulated RAS library: the entry record it writes,
// byte for byte, on the levels that differ; alternate numbers after the record and the buffer
// they must fit into; read-back; credentials; address texts; countries; and a device name in a
// double-byte code page.
#include "rasdial/dunrasedt.h"

#include "RasComponentFixture.h"
#include "framework/TextEncoding.h"

#include <cstring>
#include <memory>

namespace {

class dunrasedt : public RasComponentTest {
protected:
    explicit dunrasedt(Byte level = RasLevelXP) : RasComponentTest(level) {}

    TRasEntryWXP Written() {
        const std::string bytes = FControl.LastEntryBytes();
        TRasEntryWXP entry{};
        std::memcpy(&entry, bytes.data(), std::min(bytes.size(), sizeof(entry)));
        return entry;
    }
};

class dunrasedtW2K : public dunrasedt {
protected:
    dunrasedtW2K() : dunrasedt(RasLevelW2K) {}
};

} // namespace

TEST_F(dunrasedt, PppDefaultWritesTheExpectedRecord) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    edt->DeviceType = "VPN";
    edt->DeviceName = "WAN Miniport (PPTP)";
    edt->LocalPhoneNumber = "vpn.example.test";
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0) << edt->StatusStr.c_str();

    TRasEntryWXP expected{};
    expected.dwSize = 2884;
    expected.dwfOptions = 0x18; // header compression, remote default gateway
    expected.dwCountryID = expected.dwCountryCode = static_cast<DWORD>(edt->DefCountryId());
    std::strcpy(expected.szLocalPhoneNumber, "vpn.example.test");
    expected.dwfNetProtocols = 4;
    expected.dwFramingProtocol = 1;
    std::strcpy(expected.szDeviceType, "VPN");
    std::strcpy(expected.szDeviceName, "WAN Miniport (PPTP)");
    expected.dwDialMode = 1;
    expected.dwIdleDisconnectSeconds = 0xFFFFFFFF;
    expected.dwType = 1;
    expected.dwEncryptionType = 3;
    const std::string bytes = FControl.LastEntryBytes();
    ASSERT_EQ(bytes.size(), sizeof(TRasEntryWXP));
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(&expected), sizeof(expected)));
    const TRasEntryWXP written = Written();
    EXPECT_EQ(written.dwfOptions, 0x18u);
    EXPECT_EQ(written.dwVpnStrategy, 0u);
    EXPECT_EQ(written.dwAlternateOffset, 0u);
}

TEST_F(dunrasedt, FrameSizeOnlyForSlip) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    edt->FrameSize = 1006;
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0);
    EXPECT_EQ(Written().dwFrameSize, 0u);
    edt->FramingProtocol = frameSLIP;
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0);
    EXPECT_EQ(Written().dwFrameSize, 1006u);
    EXPECT_EQ(Written().dwFramingProtocol, 2u);
}

TEST_F(dunrasedt, AlternateNumbersFollowTheRecord) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    edt->AltPhoneNrList()->SetText(L"A\r\n\r\nB\r\n");
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0);
    const std::string bytes = FControl.LastEntryBytes();
    EXPECT_EQ(Written().dwAlternateOffset, 2884u);
    ASSERT_EQ(bytes.size(), 2884u + 5u);
    EXPECT_EQ(bytes.substr(2884), std::string("A\0B\0\0", 5));

    ASSERT_EQ(edt->GetAllEntryProps("Office"), 0);
    EXPECT_EQ(edt->AltPhoneNrList()->Text(), L"A\r\nB\r\n");
}

TEST_F(dunrasedt, AlternateNumbersThatDoNotFitAreRefused) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    // 4096 - 2884 = 1212 bytes after the record; 10 numbers of 128 digits need 1291.
    for (int i = 0; i < 10; ++i) edt->AltPhoneNrList()->Add(UnicodeString(128, L'1'));
    EXPECT_EQ(edt->PutAllEntryProps("Office"), 603);
    EXPECT_EQ(edt->LastError, 603);
    EXPECT_TRUE(FControl.LastEntryBytes().empty()); // nothing was written
    edt->AltPhoneNrList()->Delete(9);               // 1162 bytes fit
    EXPECT_EQ(edt->PutAllEntryProps("Office"), 0);
}

TEST_F(dunrasedt, EntryReadsBackWhatWasWritten) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    edt->SetCanonical("+44 (20) 5551234");
    edt->DNSAddress = "192.168.0.1";
    edt->VpnStrategy = vpnL2tpOnly;
    edt->bReconnectIfDropped = true;
    edt->DnsSuffix = "corp.test";
    edt->RedialCount = 3;
    edt->DeviceType = "VPN";
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0);
    EXPECT_EQ(Written().ipaddrDns.a, 192);
    EXPECT_EQ(Written().dwfOptions2, 0x100u);

    auto reader = std::make_unique<TDunRasEdt>(nullptr);
    ASSERT_EQ(reader->GetAllEntryProps("Office"), 0);
    EXPECT_TRUE(reader->bUseCountryAndAreaCodes);
    EXPECT_EQ(reader->PhoneCanonical, "+44 (20) 5551234");
    EXPECT_EQ(reader->DNSAddress, "192.168.0.1");
    EXPECT_EQ(reader->VpnStrategy, vpnL2tpOnly);
    EXPECT_TRUE(reader->bReconnectIfDropped);
    EXPECT_EQ(reader->DnsSuffix, "corp.test");
    EXPECT_EQ(reader->RedialCount, 3u);
    EXPECT_EQ(reader->DeviceType, "vpn");
    EXPECT_EQ(reader->GetAllEntryProps("Missing"), 623);
    EXPECT_EQ(reader->StatusStr, L"The phonebook entry was not found.");
}

TEST_F(dunrasedtW2K, SecondOptionsAreNeitherWrittenNorRead) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    edt->bReconnectIfDropped = true;
    edt->DnsSuffix = "corp.test";
    edt->TcpWindowSize = 8192;
    edt->RedialCount = 3;
    edt->VpnStrategy = vpnPptpOnly;
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0);
    const std::string bytes = FControl.LastEntryBytes();
    EXPECT_EQ(bytes.size(), 2088u); // the record ends before the second options
    EXPECT_EQ(Written().dwVpnStrategy, 1u);

    edt->bReconnectIfDropped = true;
    ASSERT_EQ(edt->GetAllEntryProps("Office"), 0);
    EXPECT_FALSE(edt->bReconnectIfDropped);
    EXPECT_EQ(edt->DnsSuffix, "");
    EXPECT_EQ(edt->VpnStrategy, vpnPptpOnly);
}

TEST_F(dunrasedt, CredentialsRoundTrip) {
    Script("entry Office\n");
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->UserName = "alice";
    edt->Password = "secret";
    ASSERT_EQ(edt->PutDialProps("Office"), 0);
    edt->Domain = "ignored";
    ASSERT_EQ(edt->GetDialProps("Office"), 0);
    EXPECT_EQ(edt->UserName, "alice");
    EXPECT_EQ(edt->Password, "secret");
    EXPECT_EQ(edt->Domain, ""); // no domain was sent, so none is stored
    EXPECT_EQ(edt->PasswordFlag, 1);
    EXPECT_EQ(edt->PutDialProps("Missing"), 623);
}

TEST_F(dunrasedt, CountryList) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    ASSERT_EQ(edt->GetAllCountryInfo(), 0);
    EXPECT_EQ(edt->CountryList()->Text(),
              L"United States of America (1)\r\nUnited Kingdom (44)\r\nChina (86)\r\n");
    EXPECT_EQ(edt->CountryIdOf(2), 86);
    EXPECT_EQ(edt->CountryCodeOf(1), 44);
}

TEST_F(dunrasedt, MissingLibraryAnswers1157) {
    TFakeRasBinding missing(MissingLibrary());
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    EXPECT_EQ(edt->LastError, 1157);
    EXPECT_EQ(edt->PutAllEntryProps("Office"), 1157);
    EXPECT_EQ(edt->PutDialProps("Office"), 1157);
}

TEST_F(dunrasedt, ConstructionCreatesAMissingPhonebookFile) {
    const UnicodeString file = AnsiToUnicode(PhonebookPaths[1]);
    ASSERT_FALSE(file.empty());
    DeleteFileW(file.c_str());
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    char bytes[8] = {};
    DWORD read = 0;
    ReadFile(handle, bytes, sizeof(bytes), &read, nullptr);
    CloseHandle(handle);
    EXPECT_EQ(std::string(bytes, read), " \r\n");
}

TEST(dunrasedtAddress, DottedTexts) {
    struct TCase {
        const char* Text;
        bool Valid;
        Cardinal Value;
    };
    const TCase cases[] = {
        {"192.168.0.1", true, 0x0100A8C0}, {"0.0.0.0", true, 0},          {"1.2.3", false, 0},
        {"10.0.0.256", false, 0},          {"0.0.0.1", false, 0},         {"10.1.2", false, 0},
        {"10.1.2.x", true, 0x0002010A},    {"10..2.3", true, 0x0302000A},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(TDunRasEdt::IsIPStr(c.Text), c.Valid);
        EXPECT_EQ(TDunRasEdt::StrToIP(c.Text), c.Value);
    }
    EXPECT_EQ(TDunRasEdt::IPToStr(0x0100A8C0), "192.168.0.1");
    AnsiString text = "010.001.002.003";
    EXPECT_TRUE(TDunRasEdt::IsFmtIPStr(text));
    EXPECT_EQ(text, "10.1.2.3");
}

// Runs in its own test entry with a Chinese locale (code page 936); elsewhere it is skipped.
TEST_F(dunrasedt, GbkDeviceNameUnderCodePage936) {
    if (GetEnvironmentVariableW(L"RAS_TEST_EXPECT_ACP", nullptr, 0) != 0) {
        ASSERT_EQ(GetACP(), 936u);
    }
    if (GetACP() != 936) GTEST_SKIP() << "needs the system code page 936";
    const AnsiString name = UnicodeToAnsi(L"WAN \u5FAE\u578B\u7AEF\u53E3 (PPTP)");
    EXPECT_EQ(name, "WAN \xCE\xA2\xD0\xCD\xB6\xCB\xBF\xDA (PPTP)"); // the GBK bytes
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    edt->DeviceName = name;
    edt->DeviceType = "vpn";
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0);
    EXPECT_STREQ(Written().szDeviceName, name.c_str());
    ASSERT_EQ(edt->GetAllEntryProps("Office"), 0);
    EXPECT_EQ(edt->DeviceName, name);
    EXPECT_EQ(AnsiToUnicode(edt->DeviceName), L"WAN \u5FAE\u578B\u7AEF\u53E3 (PPTP)");
}

TEST_F(dunrasedt, SubEntriesAreWrittenAndReadBack) {
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->PPPDefault();
    edt->DeviceType = "vpn";
    edt->SubCurTotal = 2;
    edt->SubEntry(1).DeviceName = "WAN Miniport (PPTP)";
    edt->SubEntry(1).LocalPhoneNumber = "111";
    edt->SubEntry(2).DeviceName = "WAN Miniport (L2TP)";
    edt->SubEntry(2).LocalPhoneNumber = "222";
    edt->SubEntry(2).AltPhoneNrList->SetText(L"333\r\n444\r\n");
    ASSERT_EQ(edt->PutAllEntryProps("Office"), 0)
        << std::string(edt->StatusStr.begin(), edt->StatusStr.end());

    auto reader = std::make_unique<TDunRasEdt>(nullptr);
    ASSERT_EQ(reader->GetAllEntryProps("Office"), 0);
    EXPECT_EQ(reader->SubEntries(), 2);
    EXPECT_EQ(reader->SubCurTotal, 2);
    EXPECT_EQ(reader->SubEntry(1).LocalPhoneNumber, "111");
    EXPECT_EQ(reader->SubEntry(2).DeviceName, "WAN Miniport (L2TP)");
    EXPECT_EQ(reader->SubEntry(2).AltPhoneNrList->Text(), L"333\r\n444\r\n");
    EXPECT_EQ(reader->GetSubEntryProps("Office", 5), -1);
}

TEST_F(dunrasedt, SubEntryAlternatesThatDoNotFitAreRefused) {
    Script("entry Office\n");
    auto edt = std::make_unique<TDunRasEdt>(nullptr);
    edt->SubEntry(1).LocalPhoneNumber = "111";
    // 491 - 288 = 203 bytes after the sub-entry record; two numbers of 128 digits need 259.
    edt->SubEntry(1).AltPhoneNrList->Add(UnicodeString(128, L'1'));
    edt->SubEntry(1).AltPhoneNrList->Add(UnicodeString(128, L'2'));
    EXPECT_EQ(edt->PutSubEntryProps("Office", 1), 603);
    edt->SubEntry(1).AltPhoneNrList->Delete(1);
    EXPECT_EQ(edt->PutSubEntryProps("Office", 1), 0);
}
