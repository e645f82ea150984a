// The remembered password under a scratch key of the current user: stored protected, never as
// its text; a clear text of an earlier version read once and replaced; data the system cannot
// unprotect (cut short, not protected data at all) reads as no password.
#include "client/RememberedPassword.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <dpapi.h>

#include <algorithm>
#include <string>

namespace {

const wchar_t ScratchKey[] = L"Software\\velmora-tests\\remembered-password";

class RememberedPassword : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, ScratchKey);
        Registry.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(Registry.OpenKey(ScratchKey, true));
    }
    void TearDown() override {
        Registry.CloseKey();
        RegDeleteTreeW(HKEY_CURRENT_USER, ScratchKey);
    }

    std::vector<Byte> Stored() const {
        std::vector<Byte> data(
            static_cast<std::size_t>(std::max(0, Registry.GetDataSize(L"password"))));
        data.resize(static_cast<std::size_t>(
            Registry.ReadBinaryData(L"password", data.data(), data.size())));
        return data;
    }

    TRegistry Registry;
};

// True when the bytes hold the text as UTF-16 or as single bytes.
bool HoldsText(const std::vector<Byte>& data, const std::wstring& text) {
    std::string wide, narrow;
    for (wchar_t c : text) {
        wide += static_cast<char>(c & 0xFF), wide += static_cast<char>(c >> 8);
        narrow += static_cast<char>(c);
    }
    const std::string bytes(data.begin(), data.end());
    return bytes.find(wide) != std::string::npos || bytes.find(narrow) != std::string::npos;
}

} // namespace

TEST_F(RememberedPassword, IsStoredProtectedAndReadsBack) {
    for (const UnicodeString& password :
         {UnicodeString(L"demo123"), UnicodeString(L"密码 with spaces"), UnicodeString()}) {
        WriteRememberedPassword(Registry, L"password", password);
        EXPECT_EQ(Registry.GetDataType(L"password"), rdBinary);
        if (!password.empty()) {
            EXPECT_FALSE(HoldsText(Stored(), password));
        }
        EXPECT_EQ(ReadRememberedPassword(Registry, L"password"), password);
    }
}

TEST_F(RememberedPassword, AClearTextOfAnEarlierVersionIsReadOnceAndReplaced) {
    Registry.WriteString(L"password", L"demo123");
    EXPECT_EQ(ReadRememberedPassword(Registry, L"password"), L"demo123");
    EXPECT_EQ(Registry.GetDataType(L"password"), rdBinary);
    EXPECT_FALSE(HoldsText(Stored(), L"demo123"));
    EXPECT_EQ(ReadRememberedPassword(Registry, L"password"), L"demo123");
}

TEST_F(RememberedPassword, DataThatCannotBeUnprotectedIsNoPassword) {
    EXPECT_EQ(ReadRememberedPassword(Registry, L"password"), L""); // missing
    WriteRememberedPassword(Registry, L"password", L"demo123");
    std::vector<Byte> cut = Stored();
    ASSERT_FALSE(cut.empty());
    cut.resize(cut.size() / 2);
    Registry.WriteBinaryData(L"password", cut.data(), cut.size());
    EXPECT_EQ(ReadRememberedPassword(Registry, L"password"), L"");
    const Byte junk[] = {1, 2, 3};
    Registry.WriteBinaryData(L"password", junk, sizeof(junk));
    EXPECT_EQ(ReadRememberedPassword(Registry, L"password"), L"");
    UnicodeString password = L"unchanged";
    EXPECT_FALSE(UnprotectPassword({}, password));
}

// Protected data is bound to this use: the system's unprotection without the program's
// entropy does not give the text back.
TEST_F(RememberedPassword, ProtectionIsNotPlainSystemProtection) {
    const std::vector<Byte> data = ProtectPassword(L"demo123");
    ASSERT_FALSE(data.empty());
    DATA_BLOB in{static_cast<DWORD>(data.size()), const_cast<BYTE*>(data.data())}, out{};
    const bool plain = CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr,
                                          CRYPTPROTECT_UI_FORBIDDEN, &out);
    if (plain) LocalFree(out.pbData);
    EXPECT_FALSE(plain);
    UnicodeString password;
    EXPECT_TRUE(UnprotectPassword(data, password));
    EXPECT_EQ(password, L"demo123");
}
