// Filter expressions: which records a filter text keeps, its syntax errors and the pattern
// match, as tables of text, record and result.
#include "data/engine/MemData.h"
#include "data/engine/MemDataFilter.h"
#include "data/engine/MemUtils.h"

#include "framework/FormatSettings.h"
#include "framework/TextEncoding.h"

#include "EngineModules.h"
#include "OneRecordData.h"

#include <cstring>
#include <limits>
#include <map>
#include <vector>

namespace {

struct TPerson {
    const char* Name;
    double Price;
    Integer Qty;
    bool Flag;
    const Integer* Salary; // nil: NULL
    TDateTime When;
};

const Integer Hundred = 100;
const std::vector<TPerson>& People() {
    static const std::vector<TPerson> people = {
        {"John", 12, 0, false, nullptr, EncodeDate(2024, 3, 1)},
        {"Joan", 5, 3, true, &Hundred, EncodeDate(2024, 3, 2)},
        {"Jon", 20, 1, false, &Hundred, EncodeDate(2023, 1, 1)},
        {"Jan", 2, 0, false, nullptr, EncodeDate(2024, 12, 31)},
        {"Mary", 11, -5, false, &Hundred, EncodeDate(2024, 3, 1) + 0.5},
        {"O'Brien", 10, 5, true, nullptr, EncodeDate(2020, 6, 6)},
        {"Jo%", 9.996, 2, false, &Hundred, EncodeDate(2024, 3, 1)},
    };
    return people;
}

class FilterTest : public EngineModulesTest {
protected:
    FilterTest()
        : EngineModulesTest(
              {CLRClassesModule(), MemUtilsModule(), DcParserModule(), MemDataModule()}) {}
    void SetUp() override {
        EngineModulesTest::SetUp();
        Data = new TOneRecordData;
        Data->Add(L"Name", dtString, 20);
        Data->Add(L"Price", dtFloat);
        Data->Add(L"Qty", dtInt32);
        Data->Add(L"Flag", dtBoolean);
        Data->Add(L"Salary", dtInt32);
        Data->Add(L"First Name", dtString, 10);
        Data->Add(L"First.Name", dtString, 10);
        Data->Add(L"When", dtDateTime);
        Data->Layout();
        Data->Open();
    }
    void TearDown() override {
        Data->Free();
        EngineModulesTest::TearDown();
    }
    void Load(const TPerson& p) {
        Byte* rec = Data->Rec();
        Data->InitRecord(rec);
        Data->PutFieldAsVariant(1, rec, Variant(AnsiString(p.Name)));
        Data->PutFieldAsVariant(2, rec, Variant(p.Price));
        Data->PutFieldAsVariant(3, rec, Variant(p.Qty));
        Data->PutFieldAsVariant(4, rec, Variant(p.Flag));
        if (p.Salary) Data->PutFieldAsVariant(5, rec, Variant(*p.Salary));
        Data->PutFieldAsVariant(6, rec, Variant(AnsiString(p.Name)));
        Data->PutFieldAsVariant(7, rec, Variant(AnsiString(p.Name)));
        Data->PutFieldAsVariant(8, rec, Variant::FromDate(p.When));
    }
    // The names of the people the filter keeps, in order.
    std::string Kept(const wchar_t* filter) {
        Data->SetFilterText(filter);
        std::string kept;
        for (const TPerson& p : People()) {
            Load(p);
            if (Data->EvalFilter(Data->Rec()))
                kept += std::string(kept.empty() ? "" : ",") + p.Name;
        }
        return kept;
    }
    TOneRecordData* Data = nullptr;
};

TEST_F(FilterTest, KeepsTheRecordsTheTextSelects) {
    struct Case {
        const wchar_t* Filter;
        const char* Kept;
    } cases[] = {
        {L"Name = 'Jo%'", "John,Joan,Jon,Jo%"},
        {L"Name LIKE 'J_n'", "Jon,Jan"},
        {L"Name NOT LIKE 'J%'", "Mary,O'Brien"},
        {L"Name <> 'J*'", "Mary,O'Brien"},
        {L"Name = 'O''Brien'", "O'Brien"},
        {L"Name = 'john'", ""},
        {L"Salary IS NULL", "John,Jan,O'Brien"},
        {L"Salary IS NOT NULL", "Joan,Jon,Mary,Jo%"},
        {L"Salary > 1", "Joan,Jon,Mary,Jo%"},
        {L"Salary <= 1000", "Joan,Jon,Mary,Jo%"},
        {L"Price > 10 AND NOT (Qty = 0) OR Flag = TRUE", "Joan,Jon,Mary,O'Brien"},
        {L"Price > 10 AND (NOT (Qty = 0) OR Flag = TRUE)", "Jon,Mary"},
        {L"NOT Price >= 10", "Joan,Jan,Jo%"},
        {L"Qty = -5", "Mary"},
        {L"Qty = + 5", "O'Brien"},
        {L"Price < 2.5", "Jan"},
        {L"[First Name] = 'Mary'", "Mary"},
        {L"First.Name = 'Jan'", "Jan"},
        {L"TRUE", "John,Joan,Jon,Jan,Mary,O'Brien,Jo%"},
        {L"FALSE OR Flag = TRUE", "Joan,O'Brien"},
        {L"Flag = FALSE AND Qty = 0", "John,Jan"},
        {L"   ", "John,Joan,Jon,Jan,Mary,O'Brien,Jo%"},
    };
    for (const Case& c : cases) EXPECT_EQ(Kept(c.Filter), c.Kept) << UnicodeToAnsi(c.Filter);
}

TEST_F(FilterTest, OptionsChangeHowTextsAndFloatsCompare) {
    Data->FilterNoPartialCompare = true;
    EXPECT_EQ(Kept(L"Name = 'Jo%'"), "Jo%");
    EXPECT_EQ(Kept(L"Name <> 'Jo%'"), "John,Joan,Jon,Jan,Mary,O'Brien");
    Data->FilterNoPartialCompare = false;
    Data->FilterCaseInsensitive = true;
    EXPECT_EQ(Kept(L"Name = 'john'"), "John");
    EXPECT_EQ(Kept(L"Price = 10"), "O'Brien");
    FilterFloatTolerance = 0.01;
    EXPECT_EQ(Kept(L"Price = 10"), "O'Brien,Jo%");
}

TEST_F(FilterTest, DateFieldsCompareWithDateTexts) {
    const UnicodeString day = DateToStr(EncodeDate(2024, 3, 1), FormatSettings());
    EXPECT_EQ(Kept((L"When = '" + day + L"'").c_str()), "John,Jo%");
    EXPECT_EQ(Kept((L"When > '" + day + L"'").c_str()), "Joan,Jan,Mary");
    Data->SetFilterText(L"When = 'not a date'");
    Load(People()[0]);
    EXPECT_THROW(Data->EvalFilter(Data->Rec()), Exception);
}

TEST_F(FilterTest, SyntaxErrorsAndUnknownFieldsAreRefused) {
    struct Case {
        const wchar_t* Filter;
        const wchar_t* Message;
    } cases[] = {
        {L"Qty = 5 - 3", L"Illegal filter expression"},
        {L"TRUE = Flag", L"Illegal filter expression"},
        {L"Qty = 1 AND", L"Illegal filter expression"},
        {L"(Qty = 1", L"Illegal filter expression"},
        {L"Qty IS 5", L"Illegal filter expression"},
        {L"Qty NOT = 5", L"Illegal filter expression"},
        {L"Qty = -", L"Illegal filter expression"},
        {L"Qty", L"Illegal filter expression"},
        {L"FALSE OR Flag", L"Illegal filter expression"},
        {L"Nobody = 1", L"Field Nobody not found"},
        {L"[No Body] = 1", L"Field No Body not found"},
    };
    for (const Case& c : cases) {
        try {
            Data->SetFilterText(c.Filter);
            ADD_FAILURE() << UnicodeToAnsi(c.Filter);
        } catch (const Exception& e) {
            EXPECT_EQ(UnicodeString(e.Message()), c.Message) << UnicodeToAnsi(c.Filter);
        }
        EXPECT_EQ(Data->FilterText(), L"");
        EXPECT_FALSE(Data->HasFilterExpression());
    }
}

// Number fields against number literals, decided without variants: the same answers as the
// variant comparison gives. Integers compare exactly (beyond a double's 53 bits), a float on
// either side makes it a comparison of doubles, NaN is neither below, above nor equal.
class NumberFilterTest : public EngineModulesTest {
protected:
    NumberFilterTest()
        : EngineModulesTest(
              {CLRClassesModule(), MemUtilsModule(), DcParserModule(), MemDataModule()}) {}
    void SetUp() override {
        EngineModulesTest::SetUp();
        Data = new TOneRecordData;
        for (auto [name, type] : {std::pair{L"I8", dtInt8},
                                  {L"I16", dtInt16},
                                  {L"I32", dtInt32},
                                  {L"U16", dtUInt16},
                                  {L"U32", dtUInt32},
                                  {L"I64", dtInt64},
                                  {L"F", dtFloat},
                                  {L"C", dtCurrency}})
            Data->Add(name, type);
        Data->Layout();
        Data->Open();
    }
    void TearDown() override {
        Data->Free();
        EngineModulesTest::TearDown();
    }
    struct TRow {
        const char* Name;
        Int64 I;  // every integer field that can hold it; I8 holds I % 100
        double F; // F and C
        bool NullInts;
    };
    static const std::vector<TRow>& Rows() {
        static const std::vector<TRow> rows = {
            {"a", 100, 100.0, false},
            {"b", -7, 2.5, false},
            {"c", 9007199254740993, -0.0, false},
            {"d", 4294967295, std::numeric_limits<double>::quiet_NaN(), false},
            {"e", 0, 1e300, true},
        };
        return rows;
    }
    // Values go into the record form directly.
    template <class T> void Put(Word no, T value) {
        Data->SetNull(no, Data->Rec(), false);
        std::memcpy(Data->Rec() + Data->Fields()->Items(no - 1)->Offset(), &value, sizeof value);
    }
    void Load(const TRow& r) {
        Data->InitRecord(Data->Rec());
        auto fits = [&](Int64 low, Int64 high) { return r.I >= low && r.I <= high; };
        if (!r.NullInts) {
            Put(1, std::int8_t(r.I % 100));
            if (fits(-32768, 32767)) Put(2, std::int16_t(r.I));
            if (fits(INT32_MIN, INT32_MAX)) Put(3, Integer(r.I));
            if (fits(0, 65535)) Put(4, Word(r.I));
            if (fits(0, 4294967295)) Put(5, LongWord(r.I));
            Put(6, r.I);
        }
        Put(7, r.F);
        Put(8, r.F);
    }
    std::string Kept(const UnicodeString& filter) {
        Data->SetFilterText(filter);
        std::string kept;
        for (const TRow& r : Rows()) {
            Load(r);
            if (Data->EvalFilter(Data->Rec())) kept += r.Name;
        }
        return kept;
    }
    TOneRecordData* Data = nullptr;
};

TEST_F(NumberFilterTest, IntegersCompareExactlyAndFloatsAsDoubles) {
    struct Case {
        const wchar_t* Filter;
        const char* Kept;
    } cases[] = {
        {L"I32 = 100", "a"},
        {L"I32 <> 100", "bcde"}, // a null is unequal to a number
        {L"I32 > -7.5", "ab"},
        {L"100 <= I32", "a"},
        {L"I8 < 0", "b"},
        {L"I16 >= -7", "ab"},
        {L"U16 > 99", "a"},
        {L"U32 > 4294967294", "d"},
        {L"U32 > -1", "ad"},
        {L"I64 > 9007199254740992", "c"},
        {L"I64 = 9007199254740993", "c"},
        {L"I64 < 9007199254740993", "abd"},
        {L"F < 2.6", "bc"},
        {L"F <> 2.5", "acde"},
        {L"F >= 100", "ae"},
        {L"F = 0", "c"},
        {L"F > -1 AND F < 3", "bc"},
    };
    for (const Case& c : cases) EXPECT_EQ(Kept(c.Filter), c.Kept) << UnicodeToAnsi(c.Filter);
}

// A Currency field reads as the same double as a Float field but takes the variant path: the
// two must agree on every operator and literal, NaN and the float tolerance included.
TEST_F(NumberFilterTest, AFloatFieldAgreesWithTheVariantPath) {
    const wchar_t* const ops[] = {L"=", L"<>", L"<", L">", L"<=", L">="};
    const wchar_t* const literals[] = {L"100", L"2.5", L"-1", L"0", L"100.005", L"-0"};
    for (double tolerance : {0.0, 0.01}) {
        FilterFloatTolerance = tolerance;
        for (const wchar_t* op : ops)
            for (const wchar_t* literal : literals) {
                const UnicodeString tail = UnicodeString(L" ") + op + L" " + literal;
                EXPECT_EQ(Kept(L"F" + tail), Kept(L"C" + tail))
                    << UnicodeToAnsi(tail) << " tolerance " << tolerance;
                EXPECT_EQ(Kept(literal + UnicodeString(L" ") + op + L" F"),
                          Kept(literal + UnicodeString(L" ") + op + L" C"))
                    << UnicodeToAnsi(tail) << " reversed, tolerance " << tolerance;
            }
    }
    FilterFloatTolerance = 0;
}

TEST(FilterPattern, MatchesWildcardsExactly) {
    struct Case {
        const wchar_t *Text, *Pattern;
        bool Matches;
    } cases[] = {
        {L"", L"", true},           {L"a", L"", false},       {L"", L"%", true},
        {L"abc", L"%", true},       {L"abc", L"*", true},     {L"abc", L"a%", true},
        {L"abc", L"%c", true},      {L"abc", L"%b%", true},   {L"abc", L"a_c", true},
        {L"abc", L"a_", false},     {L"ab", L"a__", false},   {L"abc", L"A%", false},
        {L"aXbXc", L"a%b%c", true}, {L"abcbc", L"%bc", true}, {L"abcbd", L"%bc", false},
        {L"", L"_", false},         {L"a", L"%%", true},      {L"ab", L"%a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesPattern(c.Text, c.Pattern), c.Matches)
            << UnicodeToAnsi(c.Text) << " ~ " << UnicodeToAnsi(c.Pattern);
}

} // namespace
