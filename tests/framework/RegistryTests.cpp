#include "framework/Registry.h"
#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

// Removes a key tree when the scope ends, however the test left it.
struct TTreeRemover {
    HKEY Root;
    UnicodeString Path;
    ~TTreeRemover() { RegDeleteTreeW(Root, Path.c_str()); }
};

// Each test works below a key of its own process and removes it, whatever the outcome.
class Registry : public ::testing::Test {
protected:
    const UnicodeString Top =
        L"Software\\ClassLibraryTests-" + std::to_wstring(GetCurrentProcessId());
    const UnicodeString Root = Top + L"\\Tests";
    const TTreeRemover Cleanup{HKEY_CURRENT_USER, Top};

    void SetUp() override { ASSERT_EQ(RawCreate(HKEY_CURRENT_USER, Root), ERROR_SUCCESS); }

    static LONG RawCreate(HKEY root, const UnicodeString& path) {
        HKEY key = nullptr;
        const LONG error = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr);
        TOwnedRegKey owner(key);
        return error;
    }
    static bool RawKeyExists(HKEY root, const UnicodeString& path) {
        HKEY key = nullptr;
        const LONG error = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
        TOwnedRegKey owner(key);
        return error == ERROR_SUCCESS;
    }
    void RawWrite(const UnicodeString& name, DWORD type, const void* data, DWORD size) const {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Root.c_str(), name.c_str(), type, data, size),
                  ERROR_SUCCESS);
    }
    // The stored kind and bytes of a value of the test key, as the system reports them.
    std::pair<DWORD, std::vector<BYTE>> RawRead(const UnicodeString& name) const {
        DWORD type = REG_NONE, size = 64;
        std::vector<BYTE> data(size);
        const LONG error = RegGetValueW(HKEY_CURRENT_USER, Root.c_str(), name.c_str(),
                                        RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size);
        EXPECT_EQ(error, ERROR_SUCCESS) << "raw read of " << UnicodeToUtf8(name);
        data.resize(error == ERROR_SUCCESS ? size : 0);
        return {type, data};
    }
    // A registry object with the test key open.
    void OpenRoot(TRegistry& reg) const { ASSERT_TRUE(reg.OpenKey(L"\\" + Root, false)); }
};

template <class T> std::vector<BYTE> BytesOf(const T& value) {
    std::vector<BYTE> bytes(sizeof(value));
    std::memcpy(bytes.data(), &value, sizeof(value));
    return bytes;
}

std::vector<BYTE> TextBytes(const UnicodeString& text) {
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

std::vector<UnicodeString> Sorted(std::vector<UnicodeString> names) {
    std::sort(names.begin(), names.end());
    return names;
}

UnicodeString MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ERegistryException& error) {
        return error.Message();
    }
    return L"(nothing raised)";
}

} // namespace

TEST_F(Registry, ValuesAreStoredInTheirKindAndReadBack) {
    const UnicodeString text = L"h\u00e9llo \u4e16\u754c";
    const BYTE blob[] = {0, 1, 0xFF, 0, 7};
    {
        TRegistry writer;
        OpenRoot(writer);
        writer.WriteString(L"text", text);
        writer.WriteString(L"empty", L"");
        writer.WriteString(L"", L"default");
        writer.WriteExpandString(L"expand", L"%TEMP%\\x");
        writer.WriteInteger(L"negative", -5);
        writer.WriteBool(L"yes", true);
        writer.WriteBool(L"no", false);
        writer.WriteFloat(L"float", 3.25);
        writer.WriteDateTime(L"date", 45000.75);
        writer.WriteBinaryData(L"blob", blob, sizeof(blob));
    }
    EXPECT_EQ(RawRead(L"text"), std::make_pair(DWORD(REG_SZ), TextBytes(text)));
    EXPECT_EQ(RawRead(L"expand"), std::make_pair(DWORD(REG_EXPAND_SZ), TextBytes(L"%TEMP%\\x")));
    EXPECT_EQ(RawRead(L"negative"), std::make_pair(DWORD(REG_DWORD), BytesOf(DWORD(0xFFFFFFFB))));
    EXPECT_EQ(RawRead(L"yes"), std::make_pair(DWORD(REG_DWORD), BytesOf(DWORD(1))));
    EXPECT_EQ(RawRead(L"no"), std::make_pair(DWORD(REG_DWORD), BytesOf(DWORD(0))));
    EXPECT_EQ(RawRead(L"float"), std::make_pair(DWORD(REG_BINARY), BytesOf(3.25)));
    EXPECT_EQ(RawRead(L"date"), std::make_pair(DWORD(REG_BINARY), BytesOf(45000.75)));

    TRegistry reader;
    OpenRoot(reader);
    EXPECT_EQ(reader.ReadString(L"text"), text);
    EXPECT_EQ(reader.GetDataType(L"text"), rdString);
    EXPECT_EQ(reader.GetDataSize(L"text"), int((text.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(reader.ReadString(L"empty"), L"");
    EXPECT_TRUE(reader.ValueExists(L"empty"));
    EXPECT_EQ(reader.ReadString(L""), L"default");
    EXPECT_EQ(reader.ReadString(L"expand"), L"%TEMP%\\x");
    EXPECT_EQ(reader.GetDataType(L"expand"), rdExpandString);
    EXPECT_EQ(reader.ReadInteger(L"negative"), -5);
    EXPECT_EQ(reader.GetDataType(L"negative"), rdInteger);
    EXPECT_TRUE(reader.ReadBool(L"yes"));
    EXPECT_FALSE(reader.ReadBool(L"no"));
    EXPECT_EQ(reader.ReadFloat(L"float"), 3.25);
    EXPECT_EQ(reader.ReadDateTime(L"date"), 45000.75);
    EXPECT_EQ(reader.GetDataType(L"date"), rdBinary);
    BYTE back[8] = {};
    EXPECT_EQ(reader.ReadBinaryData(L"blob", back, sizeof(back)), int(sizeof(blob)));
    EXPECT_EQ(std::vector<BYTE>(back, back + sizeof(blob)),
              std::vector<BYTE>(blob, blob + sizeof(blob)));
    EXPECT_EQ(reader.GetDataSize(L"blob"), int(sizeof(blob)));
}

TEST_F(Registry, ReadsValuesOtherProgramsWrote) {
    const DWORD seven = 7;
    RawWrite(L"seven", REG_DWORD, &seven, sizeof(seven));
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    RawWrite(L"unterminated", REG_SZ, unterminated, sizeof(unterminated));
    const wchar_t twoNuls[] = L"ab\0cd";
    RawWrite(L"twoNuls", REG_SZ, twoNuls, sizeof(twoNuls));
    const wchar_t multi[] = L"one\0two\0";
    RawWrite(L"multi", REG_MULTI_SZ, multi, sizeof(multi));

    TRegistry reg;
    OpenRoot(reg);
    EXPECT_TRUE(reg.ReadBool(L"seven"));
    EXPECT_EQ(reg.ReadString(L"unterminated"), L"abc");
    EXPECT_EQ(reg.ReadString(L"twoNuls"), L"ab");
    EXPECT_EQ(reg.GetDataType(L"multi"), rdUnknown);
    EXPECT_TRUE(reg.ValueExists(L"multi"));
}

TEST_F(Registry, ReadingAnotherKindRaisesNamingTheValue) {
    const DWORD four = 4;
    RawWrite(L"dword", REG_DWORD, &four, sizeof(four));
    RawWrite(L"text", REG_SZ, L"12", 3 * sizeof(wchar_t));
    RawWrite(L"fourBytes", REG_BINARY, &four, sizeof(four));
    RawWrite(L"multi", REG_MULTI_SZ, L"a\0", 3 * sizeof(wchar_t));
    TRegistry reg;
    OpenRoot(reg);
    BYTE buffer[16];
    struct Case {
        const wchar_t* Read;
        const wchar_t* Value;
        std::function<void()> Action;
    };
    const Case cases[] = {
        {L"ReadString", L"dword", [&] { reg.ReadString(L"dword"); }},
        {L"ReadString", L"multi", [&] { reg.ReadString(L"multi"); }},
        {L"ReadInteger", L"text", [&] { reg.ReadInteger(L"text"); }},
        {L"ReadInteger", L"fourBytes", [&] { reg.ReadInteger(L"fourBytes"); }},
        {L"ReadBool", L"text", [&] { reg.ReadBool(L"text"); }},
        {L"ReadFloat", L"dword", [&] { reg.ReadFloat(L"dword"); }},
        {L"ReadFloat", L"fourBytes", [&] { reg.ReadFloat(L"fourBytes"); }},
        {L"ReadDateTime", L"text", [&] { reg.ReadDateTime(L"text"); }},
        {L"ReadBinaryData", L"text", [&] { reg.ReadBinaryData(L"text", buffer, sizeof(buffer)); }},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageOf(c.Action), UnicodeString(L"Invalid data type for '") + c.Value + L"'")
            << UnicodeToUtf8(c.Read) << " of " << UnicodeToUtf8(c.Value);
}

TEST_F(Registry, MissingValuesReadAsEmptyOrRaise) {
    TRegistry reg;
    OpenRoot(reg);
    EXPECT_EQ(reg.ReadString(L"absent"), L"");
    BYTE buffer[4];
    EXPECT_EQ(reg.ReadBinaryData(L"absent", buffer, sizeof(buffer)), 0);
    EXPECT_FALSE(reg.ValueExists(L"absent"));
    EXPECT_EQ(reg.GetDataSize(L"absent"), -1);
    EXPECT_EQ(reg.GetDataType(L"absent"), rdUnknown);
    EXPECT_FALSE(reg.DeleteValue(L"absent"));
    // Numbers have no natural empty value: callers with a default ask ValueExists first.
    const std::function<void()> reads[] = {
        [&] { reg.ReadInteger(L"absent"); }, [&] { reg.ReadBool(L"absent"); },
        [&] { reg.ReadFloat(L"absent"); }, [&] { reg.ReadDateTime(L"absent"); }};
    for (const auto& read : reads) EXPECT_EQ(MessageOf(read), L"Invalid data type for 'absent'");
}

TEST_F(Registry, BinaryDataLargerThanTheBufferRaises) {
    const BYTE data[6] = {1, 2, 3, 4, 5, 6};
    RawWrite(L"six", REG_BINARY, data, sizeof(data));
    TRegistry reg;
    OpenRoot(reg);
    BYTE small[5] = {};
    EXPECT_EQ(MessageOf([&] {
                  reg.ReadBinaryData(L"six", small, sizeof(small));
              }).rfind(L"Failed to get data for 'six'", 0),
              0u);
    BYTE exact[6] = {};
    EXPECT_EQ(reg.ReadBinaryData(L"six", exact, sizeof(exact)), 6);
    EXPECT_EQ(exact[5], 6);
}

TEST_F(Registry, DeleteValueRemovesOnlyThatValue) {
    TRegistry reg;
    OpenRoot(reg);
    reg.WriteInteger(L"gone", 1);
    reg.WriteInteger(L"kept", 2);
    EXPECT_TRUE(reg.DeleteValue(L"gone"));
    EXPECT_FALSE(reg.ValueExists(L"gone"));
    EXPECT_EQ(reg.ReadInteger(L"kept"), 2);
}

TEST_F(Registry, FailedWritesRaise) {
    TRegistry reg;
    const auto noKey = MessageOf([&] { reg.WriteString(L"x", L"y"); });
    EXPECT_EQ(noKey.rfind(L"Failed to set data for 'x'", 0), 0u) << UnicodeToUtf8(noKey);

    ASSERT_TRUE(reg.OpenKeyReadOnly(L"\\" + Root));
    const auto denied = MessageOf([&] { reg.WriteInteger(L"n", 1); });
    EXPECT_EQ(denied.rfind(L"Failed to set data for 'n'", 0), 0u) << UnicodeToUtf8(denied);
    EXPECT_NE(denied.find(L"RegSetValueExW"), UnicodeString::npos) << UnicodeToUtf8(denied);
    EXPECT_FALSE(reg.ValueExists(L"n"));
}

TEST_F(Registry, RelativeAndRootedPaths) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(L"\\" + Root + L"\\A", true));
    EXPECT_EQ(reg.CurrentPath(), Root + L"\\A");

    ASSERT_TRUE(reg.OpenKey(L"B", true));
    EXPECT_EQ(reg.CurrentPath(), Root + L"\\A\\B");
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\A\\B"));

    ASSERT_TRUE(reg.OpenKey(L"\\" + Root + L"\\C\\", true));
    EXPECT_EQ(reg.CurrentPath(), Root + L"\\C");
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\C"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\A\\B\\" + Root));

    // Without an open key a relative path starts at the root key.
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    ASSERT_TRUE(reg.OpenKey(Root + L"\\A", false));
    EXPECT_EQ(reg.CurrentPath(), Root + L"\\A");
    EXPECT_TRUE(reg.KeyExists(L"B"));
    EXPECT_FALSE(reg.KeyExists(L"C"));
    EXPECT_TRUE(reg.KeyExists(L"\\" + Root + L"\\C"));
}

TEST_F(Registry, FailedOpenCreatesNothingAndKeepsTheOpenKey) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKeyReadOnly(L"\\" + Root + L"\\Missing"));
    EXPECT_EQ(reg.CurrentKey(), nullptr);

    OpenRoot(reg);
    HKEY open = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenKey(L"Missing", false));
    EXPECT_FALSE(reg.OpenKeyReadOnly(L"Missing"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\Missing"));
    EXPECT_EQ(reg.CurrentKey(), open);
    EXPECT_EQ(reg.CurrentPath(), Root);
}

TEST_F(Registry, CreateKeyLeavesTheOpenKeyAlone) {
    TRegistry reg;
    OpenRoot(reg);
    HKEY open = reg.CurrentKey();
    EXPECT_TRUE(reg.CreateKey(L"X\\Y\\Z"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\X\\Y\\Z"));
    EXPECT_EQ(reg.CurrentKey(), open);
    EXPECT_EQ(reg.CurrentPath(), Root);
}

TEST_F(Registry, SetRootKeyClosesTheOpenKey) {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    OpenRoot(reg);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), L"");
    EXPECT_FALSE(reg.KeyExists(L"\\" + Root));
}

TEST_F(Registry, DeleteKeyRemovesTheWholeSubtree) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(L"\\" + Root + L"\\Tree\\Branch\\Leaf", true));
    reg.WriteString(L"v", L"w");
    ASSERT_TRUE(reg.OpenKey(L"\\" + Root + L"\\Tree", false));
    reg.WriteInteger(L"n", 1);
    ASSERT_TRUE(reg.CreateKey(L"\\" + Root + L"\\Sibling"));
    reg.CloseKey();

    EXPECT_TRUE(reg.DeleteKey(L"\\" + Root + L"\\Tree"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\Tree"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\Sibling"));
    EXPECT_FALSE(reg.DeleteKey(L"\\" + Root + L"\\Tree"));

    OpenRoot(reg);
    EXPECT_TRUE(reg.DeleteKey(L"Sibling"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\Sibling"));
}

TEST_F(Registry, DeleteKeyRefusesAnEmptyPath) {
    TRegistry reg;
    OpenRoot(reg);
    reg.WriteInteger(L"n", 1);
    ASSERT_TRUE(reg.CreateKey(L"Child"));
    EXPECT_FALSE(reg.DeleteKey(L""));
    EXPECT_FALSE(reg.DeleteKey(L"\\"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Root + L"\\Child"));
    EXPECT_TRUE(reg.ValueExists(L"n"));
}

TEST_F(Registry, ListsSubkeysAndValues) {
    TRegistry reg;
    std::vector<UnicodeString> names{L"stale"};
    reg.GetKeyNames(names);
    EXPECT_TRUE(names.empty());

    OpenRoot(reg);
    EXPECT_FALSE(reg.HasSubKeys());
    for (const wchar_t* key : {L"one", L"two", L"three\\deeper"}) ASSERT_TRUE(reg.CreateKey(key));
    reg.WriteString(L"alpha", L"a");
    reg.WriteInteger(L"beta", 2);
    reg.WriteString(L"", L"default");

    EXPECT_TRUE(reg.HasSubKeys());
    reg.GetKeyNames(names);
    EXPECT_EQ(Sorted(names), (std::vector<UnicodeString>{L"one", L"three", L"two"}));
    reg.GetValueNames(names);
    EXPECT_EQ(Sorted(names), (std::vector<UnicodeString>{L"", L"alpha", L"beta"}));
}

TEST_F(Registry, LocalMachineKeysOpenFromTheRoot) {
    const UnicodeString path =
        L"\\SOFTWARE\\ClassLibraryTests-" + std::to_wstring(GetCurrentProcessId());
    const TTreeRemover cleanup{HKEY_LOCAL_MACHINE, path.substr(1)};
    {
        TRegistry writer;
        writer.SetRootKey(HKEY_LOCAL_MACHINE);
        writer.SetLazyWrite(false);
        ASSERT_TRUE(writer.OpenKey(L"\\SOFTWARE\\", false));
        EXPECT_EQ(writer.CurrentPath(), L"SOFTWARE");
        ASSERT_TRUE(writer.OpenKey(path + L"\\Parameters", true));
        writer.WriteInteger(L"ProhibitIpSec", 1);
    }
    TRegistry reader;
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reader.OpenKeyReadOnly(path + L"\\Parameters\\"));
    EXPECT_EQ(reader.ReadInteger(L"ProhibitIpSec"), 1);
    reader.CloseKey();
    EXPECT_TRUE(reader.DeleteKey(path));
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, path.substr(1)));
}

TEST_F(Registry, KeyOwnerClosesOnceAndMoves) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &raw), ERROR_SUCCESS);
    TOwnedRegKey first(raw);
    {
        TOwnedRegKey second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
        EXPECT_EQ(RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
}
