// Value comparisons of the record list: text options, bytes, and the order of texts in the
// user's locale checked against the system's own comparison function.
#include "data/engine/MemData.h"
#include "data/engine/MemUtils.h"

#include "EngineModules.h"

#include "framework/TextEncoding.h"

#include <windows.h>

#include <algorithm>
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

} // namespace
