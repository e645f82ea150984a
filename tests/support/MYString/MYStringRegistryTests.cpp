// The registry operations of `strings4`, under a test key of the current user that each test
// creates and deletes.
#include "support/MYString/MYString.h"

#include <gtest/gtest.h>

namespace {

class MYStringRegistry : public testing::Test {
protected:
    void SetUp() override { FKey = L"Software\\MYStringTests" + IntToStr(GetCurrentProcessId()); }
    void TearDown() override {
        TRegistry reg;
        reg.DeleteKey(L"\\" + FKey);
    }
    // A fresh object on the test key, as the client opens one for each routine.
    TComPtr<Istrings4> Open(const UnicodeString& subKey = {}) {
        TComPtr<Istrings4> s(new strings4());
        s->set_root(HKEY_CURRENT_USER);
        s->open_key(subKey.empty() ? FKey : FKey + L"\\" + subKey, true);
        return s;
    }

    UnicodeString FKey;
};

TEST_F(MYStringRegistry, ValuesOfEveryKindReadBackAsWritten) {
    {
        auto s = Open();
        EXPECT_FALSE(s->set_value_name(L"user")); // answers False although it succeeded
        s->write_str(L"someone");
        s->set_value_name(L"count");
        s->write_int(-12);
        s->set_value_name(L"remember");
        s->write_bool(true);
        s->set_value_name(L"when");
        s->write_date(45000.25);
    }
    auto s = Open();
    s->set_value_name(L"user");
    EXPECT_EQ(s->read_str(false), L"someone");
    EXPECT_EQ(s->get_text(), L"");
    EXPECT_EQ(s->read_str(true), L"someone");
    EXPECT_EQ(s->get_text(), L"someone");
    s->set_value_name(L"count");
    EXPECT_EQ(s->read_int(), -12);
    s->set_value_name(L"remember");
    EXPECT_TRUE(s->read_bool());
    s->set_value_name(L"when");
    EXPECT_DOUBLE_EQ(s->read_date(), 45000.25);
}

TEST_F(MYStringRegistry, MissingValuesReadAsDefaults) {
    auto s = Open();
    s->set_value_name(L"absent");
    EXPECT_EQ(s->read_str(false), L"");
    EXPECT_EQ(s->read_int(), 0);
    EXPECT_FALSE(s->read_bool());
    EXPECT_DOUBLE_EQ(s->read_date(), 0.0);
    EXPECT_EQ(s->read_binary_text(false), L"");
    s->set_value_name(L""); // the default value, not set either
    EXPECT_EQ(s->read_str(false), L"");
}

TEST_F(MYStringRegistry, AValueOfAnotherKindRaises) {
    auto s = Open();
    s->set_value_name(L"number");
    s->write_int(5);
    EXPECT_THROW(s->read_str(false), ERegistryException);
    s->set_value_name(L"text");
    s->write_str(L"5");
    EXPECT_THROW(s->read_int(), ERegistryException);
    EXPECT_EQ(s->read_binary_text(false), L"") << "binary text reads report nothing";
}

TEST_F(MYStringRegistry, OpenKeyDropsOneLeadingBackslashAndAddsThePrefix) {
    TComPtr<Istrings4> s(new strings4());
    s->set_root(HKEY_CURRENT_USER);
    s->open_key(L"\\" + FKey, true);
    EXPECT_EQ(s->full_key(), L"\\" + FKey);
    s->set_value_name(L"v");
    s->write_str(L"rooted");
    EXPECT_TRUE(s->key_exists(L"\\" + FKey));

    s->set_prefix(L"\\" + FKey);
    s->open_key(L"\\child", true);
    EXPECT_EQ(s->full_key(), L"\\" + FKey + L"\\child");
    s->write_str(L"below the prefix");
    EXPECT_TRUE(s->key_exists(L"\\" + FKey + L"\\child"));

    s->open_key(L"", false);
    EXPECT_EQ(s->full_key(), L"\\" + FKey);
    EXPECT_EQ(s->read_str(false), L"rooted");
}

TEST_F(MYStringRegistry, AWriteAfterAFailedOpenRaises) {
    TComPtr<Istrings4> s(new strings4());
    s->set_root(HKEY_CURRENT_USER);
    s->open_key(FKey + L"\\not\\created", false); // reports nothing
    s->set_value_name(L"v");
    EXPECT_THROW(s->write_str(L"x"), ERegistryException);
    EXPECT_EQ(s->read_str(false), L"");
}

TEST_F(MYStringRegistry, BinaryValuesReadAsUtf16UpToTheFirstNulWithinTheFirst256Bytes) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(L"\\" + FKey, true));
        const wchar_t text[] = L"binary text\0after";
        reg.WriteBinaryData(L"short", text, sizeof(text));
        const UnicodeString longText(300, L'w');
        reg.WriteBinaryData(L"long", longText.data(), longText.size() * sizeof(wchar_t));
        reg.WriteBinaryData(L"", L"default", 14);
    }
    auto s = Open();
    s->set_value_name(L"short");
    EXPECT_EQ(s->read_binary_text(true), L"binary text");
    EXPECT_EQ(s->get_text(), L"binary text");
    s->set_value_name(L"long");
    EXPECT_EQ(s->read_binary_text(false), UnicodeString(128, L'w'));
    s->set_value_name(L"");
    EXPECT_EQ(s->read_binary_text(false), L"default");
}

TEST_F(MYStringRegistry, NamesOfKeysAndValues) {
    Open(L"b\\b1");
    Open(L"a");
    auto s = Open();
    s->set_value_name(L"x");
    s->write_int(1);
    s->set_value_name(L"y");
    s->write_int(2);
    EXPECT_TRUE(s->has_sub_keys());
    EXPECT_TRUE(s->value_exists(L"x"));
    EXPECT_FALSE(s->value_exists(L"z"));

    TStringList list;
    list.Add(L"stale");
    s->key_names(&list);
    list.Sort();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(0), L"a");
    EXPECT_EQ(list.Strings(1), L"b");
    s->value_names(&list);
    list.Sort();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(0), L"x");
    EXPECT_EQ(list.Strings(1), L"y");

    EXPECT_FALSE(Open(L"a")->has_sub_keys());
}

TEST_F(MYStringRegistry, AllKeyNamesWalksDepthFirstWithoutTouchingTheOpenKey) {
    Open(L"a\\a1\\a11");
    Open(L"a\\a2");
    Open(L"b");
    auto s = Open(L"b");
    TStringList list;
    s->all_key_names(&list, FKey, HKEY_CURRENT_USER);
    ASSERT_EQ(list.Count(), 5);
    // Subkeys come in the platform's order, which for these names is alphabetical.
    EXPECT_EQ(list.Strings(0), FKey + L"\\a");
    EXPECT_EQ(list.Strings(1), FKey + L"\\a\\a1");
    EXPECT_EQ(list.Strings(2), FKey + L"\\a\\a1\\a11");
    EXPECT_EQ(list.Strings(3), FKey + L"\\a\\a2");
    EXPECT_EQ(list.Strings(4), FKey + L"\\b");
    EXPECT_EQ(s->full_key(), L"\\" + FKey + L"\\b");

    TStringList none;
    s->all_key_names(&none, FKey + L"\\missing", HKEY_CURRENT_USER);
    EXPECT_EQ(none.Count(), 0);
    EXPECT_THROW(s->all_key_names(nullptr, FKey, HKEY_CURRENT_USER), EAssertionFailed);
}

TEST_F(MYStringRegistry, DeletingValuesAndKeys) {
    Open(L"child\\grandchild");
    auto s = Open();
    s->set_value_name(L"v");
    s->write_str(L"x");
    EXPECT_TRUE(s->delete_value());
    EXPECT_FALSE(s->value_exists(L"v"));
    EXPECT_FALSE(s->delete_value());
    EXPECT_TRUE(s->delete_key(L"\\" + FKey + L"\\child"));
    EXPECT_FALSE(s->key_exists(L"\\" + FKey + L"\\child"));
    EXPECT_FALSE(s->delete_key(L"\\" + FKey + L"\\child"));
}

TEST_F(MYStringRegistry, SaveAndRestoreKeyChangeOnlyThePath) {
    auto s = Open(L"first");
    s->save_key();
    s->open_key(FKey + L"\\second", true);
    s->restore_key();
    EXPECT_EQ(s->full_key(), L"\\" + FKey + L"\\first");
    s->set_value_name(L"v");
    s->write_str(L"x"); // still written to the key that is open
    EXPECT_TRUE(Open(L"second")->value_exists(L"v"));
    EXPECT_FALSE(Open(L"first")->value_exists(L"v"));
}

TEST_F(MYStringRegistry, CloseKeyWithLazyWriteOffStillCloses) {
    auto s = Open();
    s->set_lazy_write(false);
    s->set_value_name(L"v");
    s->write_int(3);
    s->close_key();
    EXPECT_THROW(s->write_int(4), ERegistryException);
    auto again = Open();
    again->set_value_name(L"v");
    EXPECT_EQ(again->read_int(), 3);
}

} // namespace
