// The interface contract of the toolkit: the four interfaces share one table in a fixed order,
// and every object answers its level's interface and the ones below with that one table.
#include "support/MYString/MYString.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The table slot a pointer to a virtual member names. The toolchain's ABI stores one plus the
// slot's byte offset in the table in the pointer's first word.
template <class F> std::ptrdiff_t Slot(F member) {
    struct {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    } raw;
    static_assert(sizeof(member) == sizeof(raw));
    std::memcpy(&raw, &member, sizeof(raw));
    EXPECT_EQ(raw.pointer % sizeof(void*), 1u) << "not a virtual member";
    return static_cast<std::ptrdiff_t>((raw.pointer - 1) / sizeof(void*));
}

TEST(MYStringInterfaces, OperationsHaveTheirFixedPlaces) {
    // Places 0 to 2 are QueryInterface, AddRef and Release.
    EXPECT_EQ(Slot(&IUnknown::Release), 2);
    struct Case {
        const char* name;
        std::ptrdiff_t slot;
        std::ptrdiff_t expected;
    };
    const Case cases[] = {
        {"save_text", Slot(&Istrings::save_text), 3},
        {"restore_text", Slot(&Istrings::restore_text), 4},
        {"now_text", Slot(&Istrings::now_text), 5},
        {"windows_dir", Slot(&Istrings::windows_dir), 6},
        {"command_file", Slot(&Istrings::command_file), 7},
        {"debug_out", Slot(&Istrings::debug_out), 8},
        {"expand_env", Slot(&Istrings::expand_env), 9},
        {"as_int", Slot(&Istrings::as_int), 10},
        {"as_int64", Slot(&Istrings::as_int64), 11},
        {"sub_str", Slot(&Istrings::sub_str), 12},
        {"left_str", Slot(&Istrings::left_str), 13},
        {"right_str", Slot(&Istrings::right_str), 14},
        {"pos_of", Slot(&Istrings::pos_of), 15},
        {"split5", Slot(&Istrings::split5), 16},
        {"split10", Slot(&Istrings::split10), 17},
        {"split20", Slot(&Istrings::split20), 18},
        {"split_list", Slot(&Istrings::split_list), 19},
        {"get_text", Slot(&Istrings::get_text), 20},
        {"set_text", Slot(&Istrings::set_text), 21},
        {"replace", Slot(&Istrings::replace), 22},
        {"lower", Slot(&Istrings::lower), 23},
        {"upper", Slot(&Istrings::upper), 24},
        {"starts_with", Slot(&Istrings::starts_with), 25},
        {"ends_with", Slot(&Istrings::ends_with), 26},
        {"change_suffix", Slot(&Istrings::change_suffix), 27},
        {"same_as", Slot(&Istrings::same_as), 28},
        {"first_char", Slot(&Istrings::first_char), 29},
        {"prepend", Slot(&Istrings::prepend), 30},
        {"last_char", Slot(&Istrings::last_char), 31},
        {"delete_at", Slot(&Istrings::delete_at), 32},
        {"append", Slot(&Istrings::append), 33},
        {"reverse", Slot(&Istrings::reverse), 34},
        {"set_int", Slot(&Istrings::set_int), 35},
        {"repeat_text", Slot(&Istrings::repeat_text), 36},
        {"random_text", Slot(&Istrings::random_text), 37},
        {"wrap", Slot(&Istrings::wrap), 38},
        {"as_date", Slot(&Istrings::as_date), 39},
        {"http_get", Slot(&Istrings::http_get), 40},
        {"from_ansi", Slot(&Istrings::from_ansi), 41},
        {"from_byte_digits", Slot(&Istrings::from_byte_digits), 42},
        {"is_guid", Slot(&Istrings::is_guid), 43},
        {"trim_text", Slot(&Istrings::trim_text), 44},
        {"len", Slot(&Istrings::len), 45},
        {"file_name", Slot(&Istrings::file_name), 46},
        {"file_ext", Slot(&Istrings::file_ext), 47},
        {"file_path", Slot(&Istrings::file_path), 48},
        {"file_drive", Slot(&Istrings::file_drive), 49},
        {"short_path", Slot(&Istrings::short_path), 50},
        {"file_exists", Slot(&Istrings::file_exists), 51},
        {"base64_decode", Slot(&Istrings::base64_decode), 52},
        {"load_file", Slot(&Istrings2::load_file), 53},
        {"save_file", Slot(&Istrings2::save_file), 54},
        {"load_resource", Slot(&Istrings2::load_resource), 55},
        {"as_json", Slot(&Istrings3::as_json), 56},
        {"set_root", Slot(&Istrings4::set_root), 57},
        {"set_prefix", Slot(&Istrings4::set_prefix), 58},
        {"set_value_name", Slot(&Istrings4::set_value_name), 59},
        {"open_key", Slot(&Istrings4::open_key), 60},
        {"write_int", Slot(&Istrings4::write_int), 61},
        {"write_str", Slot(&Istrings4::write_str), 62},
        {"write_bool", Slot(&Istrings4::write_bool), 63},
        {"write_date", Slot(&Istrings4::write_date), 64},
        {"read_str", Slot(&Istrings4::read_str), 65},
        {"read_binary_text", Slot(&Istrings4::read_binary_text), 66},
        {"read_int", Slot(&Istrings4::read_int), 67},
        {"read_bool", Slot(&Istrings4::read_bool), 68},
        {"read_date", Slot(&Istrings4::read_date), 69},
        {"delete_key", Slot(&Istrings4::delete_key), 70},
        {"delete_value", Slot(&Istrings4::delete_value), 71},
        {"full_key", Slot(&Istrings4::full_key), 72},
        {"close_key", Slot(&Istrings4::close_key), 73},
        {"has_sub_keys", Slot(&Istrings4::has_sub_keys), 74},
        {"key_exists", Slot(&Istrings4::key_exists), 75},
        {"value_exists", Slot(&Istrings4::value_exists), 76},
        {"set_lazy_write", Slot(&Istrings4::set_lazy_write), 77},
        {"key_names", Slot(&Istrings4::key_names), 78},
        {"all_key_names", Slot(&Istrings4::all_key_names), 79},
        {"value_names", Slot(&Istrings4::value_names), 80},
        {"save_key", Slot(&Istrings4::save_key), 81},
        {"restore_key", Slot(&Istrings4::restore_key), 82},
    };
    for (const Case& c : cases) EXPECT_EQ(c.slot, c.expected) << c.name;
}

// Every interface an object answers is the same table at the same address.
template <class I> void* Query(IUnknown* object) {
    TComPtr<I> found;
    Supports(object, found);
    return found.Get();
}

TEST(MYStringInterfaces, EachLevelAnswersItsInterfaceAndThoseBelowWithOneTable) {
    TComPtr<Istrings4> four(new strings4());
    EXPECT_EQ(Query<Istrings>(four.Get()), four.Get());
    EXPECT_EQ(Query<Istrings2>(four.Get()), four.Get());
    EXPECT_EQ(Query<Istrings3>(four.Get()), four.Get());
    EXPECT_EQ(Query<Istrings4>(four.Get()), four.Get());

    TComPtr<Istrings2> two(new strings2(L"x"));
    EXPECT_EQ(Query<Istrings>(two.Get()), two.Get());
    EXPECT_EQ(Query<Istrings2>(two.Get()), two.Get());
    EXPECT_EQ(Query<Istrings3>(two.Get()), nullptr);
    EXPECT_EQ(Query<Istrings4>(two.Get()), nullptr);

    TComPtr<Istrings> one(new strings(L"x"));
    EXPECT_EQ(Query<Istrings>(one.Get()), one.Get());
    EXPECT_EQ(Query<Istrings2>(one.Get()), nullptr);

    TComPtr<Istrings3> three(new strings3());
    EXPECT_EQ(Query<Istrings3>(three.Get()), three.Get());
    EXPECT_EQ(Query<Istrings4>(three.Get()), nullptr);
}

TEST(MYStringInterfaces, AnOperationReachedThroughALowerInterfaceActsOnTheSameObject) {
    TComPtr<Istrings4> four(new strings4());
    TComPtr<Istrings> base;
    ASSERT_TRUE(Supports(four.Get(), base));
    base->set_text(L"shared");
    EXPECT_EQ(four->get_text(), L"shared");
}

TEST(MYStringInterfaces, ClassesKeepTheirLineage) {
    TComPtr<Istrings4> four(new strings4());
    auto* object = dynamic_cast<TObject*>(four.Get());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->ClassName(), L"strings4");
    EXPECT_TRUE(object->InheritsFrom(strings::StaticClass()));
    EXPECT_TRUE(object->InheritsFrom(strings3::StaticClass()));
    EXPECT_TRUE(object->InheritsFrom(TInterfacedObject::StaticClass()));
}

} // namespace
