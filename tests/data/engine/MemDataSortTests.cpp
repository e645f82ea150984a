// Value comparisons of the record list: text options, bytes, and the order of texts in the
// user's locale checked against the system's own comparison function.
#include "data/engine/MemData.h"
#include "data/engine/MemUtils.h"

#include "EngineModules.h"

#include "framework/TextEncoding.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

class CompareTest : public EngineModulesTest {
protected:
    CompareTest()
        : EngineModulesTest(
              {CLRClassesModule(), MemUtilsModule(), DcParserModule(), MemDataModule()}) {}
    void SetUp() override {
        EngineModulesTest::SetUp();
        List = new TMemData;
        for (auto [name, type, length] :
             {std::tuple{L"S", dtString, 20}, std::tuple{L"W", dtWideString, 20},
              std::tuple{L"B", dtVarBytes, 8}, std::tuple{L"ID", dtInt32, 0}}) {
            TFieldDesc* field = Construct<TFieldDesc>();
            field->SetName(name);
            field->SetDataType(type);
            field->SetLength(Word(length));
            field->SetSize(FieldSizeOf(type, Word(length)));
            field->SetFieldNo(Word(List->FieldCount() + 1));
            List->Fields()->Add(field);
        }
        List->AutoInitFields = false;
        List->InitFields();
        List->Open();
        Buf.assign(std::size_t(List->RecordSize()), 0);
        List->InitRecord(Buf.data());
    }
    void TearDown() override {
        List->Free();
        EngineModulesTest::TearDown();
    }
    TFieldDesc* Field(int index) { return List->Fields()->Items(index); }
    TMemData* List = nullptr;
    std::vector<Byte> Buf;
};

TEST_F(CompareTest, TextOptionsDecidePrefixAndSubstringMatches) {
    List->PutField(1, Buf.data(), "ABC");
    List->PutField(2, Buf.data(), L"ABC");
    struct Case {
        const char* Value;
        TCompareOptions Options;
        int Sign;
    } cases[] = {{"AB", coPartialKey, 0},
                 {"BC", coPartialCompare, 0},
                 {"AB", 0, -1},
                 {"ABC", 0, 0},
                 {"ABCD", coPartialKey, 1},
                 {"abc", coCaseInsensitive, 0},
                 {"bc", coPartialCompare | coCaseInsensitive, 0},
                 {"XY", coPartialCompare, 1},
                 {"ABD", coOrdinalCompare, 1}};
    for (const Case& c : cases) {
        const Integer a =
            List->CompareFieldValue(c.Value, dtString, Field(0), Buf.data(), c.Options);
        const UnicodeString wide = AnsiToUnicode(c.Value);
        const Integer w =
            List->CompareFieldValue(wide.c_str(), dtWideString, Field(1), Buf.data(), c.Options);
        EXPECT_EQ((a > 0) - (a < 0), c.Sign) << c.Value << " options " << int(c.Options);
        EXPECT_EQ((w > 0) - (w < 0), c.Sign)
            << c.Value << " options " << int(c.Options) << " (wide)";
    }
}

TEST_F(CompareTest, BytesMatchAsSubstringsPrefixesOrWholeValues) {
    const Byte stored[] = {3, 0, 0, 1, 2};
    List->PutField(3, Buf.data(), stored);
    const Byte value[] = {2, 0, 1, 2};
    EXPECT_EQ(List->CompareFieldValue(value, dtVarBytes, Field(2), Buf.data(), coPartialCompare),
              0);
    EXPECT_EQ(List->CompareFieldValue(value, dtVarBytes, Field(2), Buf.data(), coPartialKey), 1);
    EXPECT_EQ(List->CompareFieldValue(value, dtVarBytes, Field(2), Buf.data(), 0), 1);
    const Byte same[] = {2, 0, 1, 2};
    List->PutField(3, Buf.data(), same);
    EXPECT_EQ(List->CompareFieldValue(value, dtVarBytes, Field(2), Buf.data(), coPartialCompare),
              0);
    const Byte longer[] = {3, 0, 1, 2, 0};
    EXPECT_EQ(List->CompareFieldValue(longer, dtVarBytes, Field(2), Buf.data(), 0), 1);
    EXPECT_THROW(List->CompareFieldValue(value, dtBlob, Field(2), Buf.data(), 0), EAssertionFailed);
}

TEST_F(CompareTest, LocaleTextsSortAsTheSystemComparesThem) {
    const std::vector<UnicodeString> texts = {
        L"b",      L"B",      L"a-b",    L"ab", L"co-op", L"coop", L"Zeta", L"zeta",
        L"éclair", L"eclair", L"Eclair", L"10", L"9",     L"_x",   L"x_",   L""};
    Integer id = 0;
    for (const UnicodeString& text : texts) {
        List->InitRecord(Buf.data());
        ++id;
        List->PutField(4, Buf.data(), &id);
        if (!text.empty()) List->PutField(2, Buf.data(), text.c_str());
        List->AppendRecord(Buf.data());
    }
    std::vector<UnicodeString> expected = texts; // each sort starts from the order before it
    for (const wchar_t* index : {L"W", L"W CIS"}) {
        const DWORD flags = SORT_STRINGSORT | (index[1] ? NORM_IGNORECASE : 0);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](const UnicodeString& a, const UnicodeString& b) {
                             if (a.empty() || b.empty())
                                 return a.empty() && !b.empty(); // NULL first
                             return CompareStringW(LOCALE_USER_DEFAULT, flags, a.c_str(), -1,
                                                   b.c_str(), -1) == CSTR_LESS_THAN;
                         });
        List->SetIndexFieldNames(index);
        std::vector<UnicodeString> sorted;
        List->SetToBegin();
        for (List->GetNextRecord(Buf.data()); !List->Eof(); List->GetNextRecord(Buf.data())) {
            wchar_t text[21] = {};
            bool blank;
            List->GetField(2, Buf.data(), text, blank);
            sorted.push_back(blank ? UnicodeString() : UnicodeString(text));
        }
        EXPECT_EQ(sorted, expected) << UnicodeToAnsi(index);
    }
}

// Two lists with the same records and the same history: one sorted by up to three number
// columns (the key rows), the other by the same columns and a text column whose values are
// all equal, which takes the record comparison. Both must come out in the same order, ties
// kept in their previous order, nulls first ascending and last descending.
class SortKeysTest : public EngineModulesTest {
protected:
    SortKeysTest()
        : EngineModulesTest(
              {CLRClassesModule(), MemUtilsModule(), DcParserModule(), MemDataModule()}) {}
    TMemData* MakeList() {
        auto* list = new TMemData;
        for (auto [name, type] : {std::pair{L"ID", dtInt32},
                                  {L"I8", dtInt8},
                                  {L"I16", dtInt16},
                                  {L"U16", dtUInt16},
                                  {L"U32", dtUInt32},
                                  {L"I64", dtInt64},
                                  {L"F", dtFloat},
                                  {L"M", dtCurrency},
                                  {L"D", dtDate},
                                  {L"T", dtDateTime},
                                  {L"S", dtString}}) {
            TFieldDesc* field = Construct<TFieldDesc>();
            field->SetName(name);
            field->SetDataType(type);
            field->SetLength(type == dtString ? 4 : 0);
            field->SetSize(FieldSizeOf(type, field->Length()));
            field->SetFieldNo(Word(list->FieldCount() + 1));
            list->Fields()->Add(field);
        }
        list->AutoInitFields = false;
        list->InitFields();
        list->Open();
        return list;
    }
    template <class T> static void Put(TMemData* list, Byte* rec, Word no, T value) {
        list->SetNull(no, rec, false);
        std::memcpy(rec + list->Fields()->Items(no - 1)->Offset(), &value, sizeof value);
    }
    static std::vector<Integer> Walk(TMemData* list, std::vector<Byte>& buf) {
        std::vector<Integer> ids;
        list->SetToBegin();
        for (list->GetNextRecord(buf.data()); !list->Eof(); list->GetNextRecord(buf.data())) {
            Integer id;
            bool blank;
            list->GetField(1, buf.data(), &id, blank);
            ids.push_back(id);
        }
        return ids;
    }
};

TEST_F(SortKeysTest, NumberKeysOrderAsTheRecordComparison) {
    TOwned<TMemData> keyed(MakeList()), compared(MakeList());
    std::vector<Byte> buf(std::size_t(keyed->RecordSize())), prev(buf.size());
    std::mt19937 random(11);
    for (Integer id = 1; id <= 3000; ++id) {
        keyed->InitRecord(buf.data());
        Byte* rec = buf.data();
        Put(keyed.Object, rec, 1, id);
        auto small = [&] { return Integer(random() % 7) - 3; };
        auto present = [&] { return random() % 10 != 0; };
        if (present()) Put(keyed.Object, rec, 2, std::int8_t(small()));
        if (present()) Put(keyed.Object, rec, 3, std::int16_t(small() * 1000));
        if (present()) Put(keyed.Object, rec, 4, Word(small() + 65000));
        if (present()) Put(keyed.Object, rec, 5, LongWord(4294967290u + LongWord(small() + 3)));
        if (present()) Put(keyed.Object, rec, 6, Int64(small()) * 4000000000000000000);
        if (present()) Put(keyed.Object, rec, 7, small() * 0.25);
        if (present()) Put(keyed.Object, rec, 8, small() * 0.01);
        if (present()) Put(keyed.Object, rec, 9, double(45000 + small()));
        if (present()) Put(keyed.Object, rec, 10, 45000 + small() / 8.0);
        keyed->PutField(11, rec, "same");
        keyed->AppendRecord(rec);
        compared->AppendRecord(rec);
    }
    for (const wchar_t* index : {L"I8", L"I16 DESC", L"U16; I64", L"U32 DESC; F", L"M; D; T",
                                 L"F DESC; I8 DESC; I64", L"T; U32", L"ID DESC"}) {
        keyed->SetIndexFieldNames(index);
        compared->SetIndexFieldNames(UnicodeString(index) + L"; S");
        const std::vector<Integer> order = Walk(keyed.Object, buf);
        ASSERT_EQ(order, Walk(compared.Object, buf)) << UnicodeToAnsi(index);
        keyed->SetToBegin();
        keyed->GetNextRecord(prev.data());
        for (keyed->GetNextRecord(buf.data()); !keyed->Eof(); keyed->GetNextRecord(buf.data())) {
            ASSERT_LE(keyed->CompareRecords(prev.data(), buf.data()), 0) << UnicodeToAnsi(index);
            prev = buf;
        }
    }
}

} // namespace
