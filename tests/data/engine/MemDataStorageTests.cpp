// The abstract record storage and its value conversions, driven through a one-record storage
// of the test's own that implements the record-level operations plainly.
#include "data/engine/MemData.h"
#include "data/engine/MemUtils.h"

#include "EngineModules.h"
#include "OneRecordData.h"

#include "framework/DateTime.h"

#include <cstring>
#include <vector>

namespace {

class StorageTest : public EngineModulesTest {
protected:
    StorageTest()
        : EngineModulesTest(
              {CLRClassesModule(), MemUtilsModule(), DcParserModule(), MemDataModule()}) {}
    void TearDown() override {
        Data.Free();
        EngineModulesTest::TearDown();
    }
    struct TDataHolder {
        TOneRecordData* Object = new TOneRecordData;
        void Free() {
            if (Object) Object->Free();
            Object = nullptr;
        }
        TOneRecordData* operator->() const { return Object; }
    } Data;
};

// --- state and lifecycle ---

TEST_F(StorageTest, OpeningTwiceOpensOnceAndClosingAClosedStorageStillFreesItsData) {
    Data->Open();
    Data->Open();
    EXPECT_EQ(Data->Opens, 1);
    Data->Close();
    const int frees = Data->Frees;
    Data->Close();
    EXPECT_EQ(Data->Closes, 1);
    EXPECT_EQ(Data->Frees, frees + 1);
    EXPECT_FALSE(Data->IsActive());
}

TEST_F(StorageTest, AFailedOpenLeavesTheStorageClosedWithItsDataFreed) {
    Data->FailOpen = true;
    EXPECT_THROW(Data->Open(), Exception);
    EXPECT_FALSE(Data->IsActive());
    EXPECT_EQ(Data->Frees, 1);
}

TEST_F(StorageTest, AFilterTheStorageCannotParseFailsTheOpenAfterClosingIt) {
    Data->SetFilterText(L"ID > 1"); // closed: stored without parsing
    EXPECT_EQ(Data->FilterText(), L"ID > 1");
    EXPECT_THROW(Data->Open(), Exception);
    EXPECT_FALSE(Data->IsActive());
    EXPECT_EQ(Data->Closes, 1);
    EXPECT_EQ(Data->Frees, 1);
}

TEST_F(StorageTest, ARefusedFilterOnAnOpenStorageKeepsTheOldTextAndFilter) {
    Data->Add(L"ID", dtInt32);
    Data->Layout();
    Data->Open();
    Data->SetFilterText(L"ID > 1");
    const Integer two = 2;
    Data->PutField(1, Data->Rec(), &two);
    for (const wchar_t* bad : {L"ID > 1 AND", L"NAME = 'x'", L"ID = 5 - 3", L"TRUE = ID"}) {
        EXPECT_THROW(Data->SetFilterText(bad), Exception) << bad;
        EXPECT_EQ(Data->FilterText(), L"ID > 1");
        EXPECT_TRUE(Data->EvalFilter(Data->Rec()));
    }
    Data->SetFilterText(L"ID > 2");
    EXPECT_FALSE(Data->EvalFilter(Data->Rec()));
    EXPECT_TRUE(Data->IsActive());
}

TEST_F(StorageTest, UnPrepareClearsSelfMadeFieldsAndInitFieldsLaysOutDescriptors) {
    Data->Add(L"a", dtInt16);
    Data->Add(L"b", dtWideString, 3);
    Data->Add(L"c", dtInt8);
    int changes = 0;
    Data->OnFieldsChanged = [&] { ++changes; };
    Data->Layout();
    EXPECT_EQ(Data->RecordSize(), 15);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(Data->HasComplexFields);
    Data->AutoInitFields = true;
    Data->Prepare();
    Data->UnPrepare();
    EXPECT_EQ(Data->FieldCount(), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(StorageTest, CachedUpdatesHideDeletedRecordsAndTurningThemOffCancels) {
    Data->SetCachedUpdates(true);
    EXPECT_EQ(Data->FilterItemTypes(),
              ItemType(isUnmodified) | ItemType(isUpdated) | ItemType(isAppended));
    EXPECT_FALSE(Data->FilterItemTypes() & ItemType(isDeleted));
    Data->SetFilterItemTypes(0);
    Data->SetCachedUpdates(true); // unchanged: nothing happens
    EXPECT_EQ(Data->FilterItemTypes(), 0);
    Data->SetCachedUpdates(false);
    EXPECT_FALSE(Data->CachedUpdates());
}

TEST_F(StorageTest, BookmarksCompareByOrderWithNilFirstOrLast) {
    TRecBookmark one{0, nullptr, 1}, two{0, nullptr, 2}, none{0, nullptr, -1};
    struct Case {
        const TRecBookmark *A, *B;
        Integer Result;
    } cases[] = {{nullptr, nullptr, 0}, {&one, nullptr, -1}, {nullptr, &one, 1},
                 {&one, &two, -1},      {&two, &one, 1},     {&two, &two, 0}};
    for (const Case& c : cases) EXPECT_EQ(Data->CompareBookmarks(c.A, c.B), c.Result);
    EXPECT_TRUE(Data->BookmarkValid(&one));
    EXPECT_FALSE(Data->BookmarkValid(&none));
    EXPECT_FALSE(Data->BookmarkValid(nullptr));
}

// --- null flags and complex values ---

TEST_F(StorageTest, InitRecordWithoutComplexFieldsKeepsTheBytesAndSetsEveryFlag) {
    Data->Add(L"a", dtInt32);
    Data->Add(L"b", dtString, 3);
    Data->Layout();
    std::memset(Data->Rec(), 0x5A, Data->Stored.size());
    Data->InitRecord(Data->Rec());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Data->Rec()[i], 0x5A);
    EXPECT_EQ(Data->Flag(1), 1);
    EXPECT_EQ(Data->Flag(2), 1);
    Data->Rec()[8] = 2; // only 1 counts as NULL
    EXPECT_FALSE(Data->GetNull(1, Data->Rec()));
}

TEST_F(StorageTest, ABlobWithContentIsNotNullWhateverItsFlagAndSettingNullEmptiesIt) {
    Data->Add(L"m", dtMemo);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Data->CreateComplexFields(Data->Rec(), true);
    auto* blob = static_cast<TBlob*>(Data->GetObject(1, Data->Rec()));
    blob->Write(0, 5, "hello");
    EXPECT_EQ(Data->Flag(1), 1);
    EXPECT_FALSE(Data->GetNull(1, Data->Rec()));
    EXPECT_EQ(Data->Flag(1), 0);
    Data->SetNull(1, Data->Rec(), true);
    EXPECT_EQ(blob->Size(), 0u);
    EXPECT_TRUE(Data->GetNull(1, Data->Rec()));
    Data->FreeComplexFields(Data->Rec(), true);
}

TEST_F(StorageTest, BlobAccessRefusesOtherFieldsAndMissingObjects) {
    Data->Add(L"i", dtInt32);
    Data->Add(L"m", dtBlob);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    EXPECT_THROW(Data->GetObject(1, Data->Rec()), Exception);
    try {
        Data->GetObject(2, Data->Rec());
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(UnicodeString(e.Message()), L"Object for field m(2) = nil");
    }
}

TEST_F(StorageTest, BlobsReadAndWriteThroughTheEightBitViewAndRollBack) {
    Data->Add(L"w", dtWideMemo);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Data->CreateComplexFields(Data->Rec(), true);
    Data->WriteBlob(1, Data->Rec(), 0, 5, "hello");
    EXPECT_FALSE(Data->GetNull(1, Data->Rec()));
    EXPECT_EQ(Data->GetBlobSize(1, Data->Rec(), false, true), 10);
    EXPECT_EQ(Data->GetBlobSize(1, Data->Rec()), 5);
    char text[8] = {};
    EXPECT_EQ(Data->ReadBlob(1, Data->Rec(), 1, 3, text), 3);
    EXPECT_STREQ(text, "ell");
    Variant value;
    Data->GetFieldAsVariant(1, Data->Rec(), value);
    EXPECT_EQ(value.AsString(), L"hello");
    Data->CancelRecord(Data->Rec()); // back to the empty content; the blob itself stays
    EXPECT_EQ(Data->GetBlobSize(1, Data->Rec(), false, true), 0);
    Data->WriteBlob(1, Data->Rec(), 0, 2, "hi");
    Data->TruncateBlob(1, Data->Rec(), 0);
    EXPECT_TRUE(Data->GetNull(1, Data->Rec()));
    Data->FreeComplexFields(Data->Rec(), true);
}

TEST_F(StorageTest, EditRecordGivesTheStoredRecordItsOwnHeapCopies) {
    Data->Add(L"s", dtExtString);
    Data->Add(L"v", dtVariant);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Data->CreateComplexFields(Data->Rec(), false);
    std::vector<Byte> edit(Data->Stored);
    Data->CreateComplexFields(edit.data(), false);
    Data->PutField(1, edit.data(), "text");
    Data->PutFieldAsVariant(2, edit.data(), Variant(7));
    Data->EditRecord(edit.data());
    Variant stored;
    Data->GetFieldAsVariant(2, Data->Rec(), stored);
    void *editText, *storedText;
    std::memcpy(&editText, edit.data(), sizeof editText);
    std::memcpy(&storedText, Data->Rec(), sizeof storedText);
    EXPECT_NE(editText, storedText);
    EXPECT_STREQ(static_cast<char*>(storedText), "text");
    Data->FreeComplexFields(edit.data(), false);
    Data->FreeComplexFields(Data->Rec(), false);
}

TEST_F(StorageTest, AddRefOfAMissingSharedObjectIsAnAssertion) {
    Data->Add(L"v", dtVariant);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    try {
        Data->AddRefComplexFields(Data->Rec());
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(UnicodeString(e.Message()), L"Shared object for v=nil");
    }
    EXPECT_THROW(Data->CopyComplexFields(Data->Rec(), Data->Rec(), true), EAssertionFailed);
}

// --- native values ---

TEST_F(StorageTest, EmptyTextIsNullUnlessEmptyStringsAreEnabled) {
    Data->Add(L"s", dtString, 5);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Data->PutField(1, Data->Rec(), "");
    EXPECT_TRUE(Data->GetNull(1, Data->Rec()));
    Data->EnableEmptyStrings = true;
    Data->PutField(1, Data->Rec(), "");
    EXPECT_FALSE(Data->GetNull(1, Data->Rec()));
    Data->PutField(1, Data->Rec(), nullptr);
    EXPECT_TRUE(Data->GetNull(1, Data->Rec()));
}

TEST_F(StorageTest, FixedTextIsTrimmedOnlyWithTheFixedTrimOption) {
    TFieldDesc* field = Data->Add(L"s", dtString, 4);
    field->SetFixed(true);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Data->PutField(1, Data->Rec(), "ab  ");
    char dest[5];
    bool blank = true;
    Data->GetField(1, Data->Rec(), dest, blank);
    EXPECT_FALSE(blank);
    EXPECT_EQ(std::memcmp(dest, "ab  ", 5), 0);
    Data->TrimFixedChar = true;
    Data->GetField(1, Data->Rec(), dest, blank);
    EXPECT_EQ(std::memcmp(dest, "ab\0\0", 5), 0);
}

class EOLData : public TOneRecordData {
public:
    bool IsConvertEOL() const override { return true; }
};

TEST_F(StorageTest, LineEndConversionTurnsALoneLineFeedIntoAPairAndCutsAtTheLength) {
    Data.Free();
    Data.Object = new EOLData;
    Data->Add(L"s", dtString, 5);
    Data->Add(L"t", dtString, 3);
    Data->Layout();
    Data->PutField(1, Data->Rec(), "A\nB");
    Data->PutField(2, Data->Rec(), "AB\n");
    char dest[6];
    bool blank;
    Data->GetField(1, Data->Rec(), dest, blank);
    EXPECT_STREQ(dest, "A\r\nB");
    Data->GetField(2, Data->Rec(), dest, blank);
    EXPECT_STREQ(dest, "AB\r"); // a pair that does not fit loses its LF
}

TEST_F(StorageTest, FloatsAreRoundedToTheirScale) {
    Data->Add(L"f", dtFloat)->SetScale(2);
    Data->Add(L"g", dtFloat);
    Data->Layout();
    const double value = 2.345678;
    Data->PutField(1, Data->Rec(), &value);
    Data->PutField(2, Data->Rec(), &value);
    double read = 0;
    bool blank;
    Data->GetField(1, Data->Rec(), &read, blank);
    EXPECT_EQ(read, 2.35);
    Data->GetField(2, Data->Rec(), &read, blank);
    EXPECT_EQ(read, value);
}

TEST_F(StorageTest, DatesTravelInTheirNativeForms) {
    Data->Add(L"d", dtDate);
    Data->Add(L"t", dtTime);
    Data->Add(L"dt", dtDateTime);
    Data->Layout();
    const TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 7, 250);
    const TTimeStamp stamp = DateTimeToTimeStamp(when);
    const double msecs = double(stamp.Date) * MSecsPerDay + stamp.Time;
    Data->PutField(1, Data->Rec(), &stamp.Date);
    Data->PutField(2, Data->Rec(), &stamp.Time);
    Data->PutField(3, Data->Rec(), &msecs);
    Integer day = 0, time = 0;
    double back = 0;
    bool blank;
    Data->GetField(1, Data->Rec(), &day, blank);
    Data->GetField(2, Data->Rec(), &time, blank);
    Data->GetField(3, Data->Rec(), &back, blank);
    EXPECT_EQ(day, stamp.Date);
    EXPECT_EQ(time, stamp.Time);
    EXPECT_EQ(back, msecs);
    Variant value;
    Data->GetFieldAsVariant(3, Data->Rec(), value);
    EXPECT_NEAR(value.AsDate(), when, 1e-8);

    double stored = 0;
    const Integer hour = 3600000;
    Data->PutDateToBuf(&stored, nullptr, &hour, dfTime);
    EXPECT_NEAR(stored, EncodeTime(1, 0, 0, 0), 1e-12);
    const Integer badDay = 0;
    EXPECT_THROW(Data->PutDateToBuf(&stored, nullptr, &badDay, dfDate), EConvertError);
}

TEST_F(StorageTest, UnsignedThirtyTwoBitValuesReadAsSixtyFourBits) {
    Data->Add(L"u", dtUInt32);
    Data->Layout();
    const LongWord value = 4000000000u;
    Data->PutField(1, Data->Rec(), &value);
    Int64 read = 0;
    bool blank;
    Data->GetField(1, Data->Rec(), &read, blank);
    EXPECT_EQ(read, 4000000000);
}

// --- variants ---

TEST_F(StorageTest, VariantConversionsAcceptAndRefuseByType) {
    Data->Add(L"i32", dtInt32);
    Data->Add(L"i16", dtInt16);
    Data->Add(L"b", dtBoolean);
    Data->Add(L"i64", dtInt64);
    Data->Add(L"s", dtString, 4);
    Data->Add(L"bcd", dtBCD);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    struct Case {
        Word FieldNo;
        Variant In;
        bool Accepted;
        Variant Out;
    } cases[] = {
        {1, Variant(L"42"), true, Variant(42)},
        {1, Variant(2.0), true, Variant(2)},
        {2, Variant(L"42"), false, Variant()},
        {2, Variant(std::int16_t(-3)), true, Variant(std::int16_t(-3))},
        {3, Variant(1), false, Variant()},
        {3, Variant(true), true, Variant(true)},
        {4, Variant(5), false, Variant()},
        {4, Variant(Int64(1) << 40), true, Variant(Int64(1) << 40)},
        {5, Variant(123456), true, Variant(AnsiString("1234"))},
        {6, Variant(1.5), true, Variant(Currency::FromScaled(15000))},
    };
    for (const Case& c : cases) {
        Data->SetNull(c.FieldNo, Data->Rec(), true);
        if (!c.Accepted) {
            EXPECT_THROW(Data->PutFieldAsVariant(c.FieldNo, Data->Rec(), c.In), EConvertError)
                << c.FieldNo;
            EXPECT_TRUE(Data->GetNull(c.FieldNo, Data->Rec())) << c.FieldNo;
            continue;
        }
        Data->PutFieldAsVariant(c.FieldNo, Data->Rec(), c.In);
        Variant out;
        Data->GetFieldAsVariant(c.FieldNo, Data->Rec(), out);
        EXPECT_EQ(VarType(out), VarType(c.Out)) << c.FieldNo;
        EXPECT_TRUE(VariantsEqual(out, c.Out)) << c.FieldNo;
    }
    Data->PutFieldAsVariant(1, Data->Rec(), Variant::Null());
    Variant out;
    Data->GetFieldAsVariant(1, Data->Rec(), out);
    EXPECT_TRUE(VarIsNull(out));
}

TEST_F(StorageTest, ByteArraysMustFitTheirField) {
    Data->Add(L"b", dtBytes, 4);
    Data->Add(L"vb", dtVarBytes, 4);
    Data->Add(L"xb", dtExtVarBytes, 4);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Variant three = VarArrayCreate(0, 2, varByte);
    for (int i = 0; i < 3; ++i) VarArrayPut(three, Variant(Byte(i + 1)), i);
    try {
        Data->PutFieldAsVariant(1, Data->Rec(), three);
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(UnicodeString(e.Message()), L"Invalid data size");
    }
    EXPECT_THROW(Data->PutFieldAsVariant(2, Data->Rec(), Variant(3)), EAssertionFailed);
    for (Word no : {Word(2), Word(3)}) {
        Data->PutFieldAsVariant(no, Data->Rec(), three);
        Variant out;
        Data->GetFieldAsVariant(no, Data->Rec(), out);
        EXPECT_TRUE(VariantsEqual(out, three)) << no;
    }
    Data->FreeComplexFields(Data->Rec(), false);
}

TEST_F(StorageTest, ABlobFieldHasNoVariantForm) {
    Data->Add(L"b", dtBlob);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Data->CreateComplexFields(Data->Rec(), true);
    Variant out;
    Data->GetFieldAsVariant(1, Data->Rec(), out);
    EXPECT_TRUE(VarIsNull(out));
    Data->WriteBlob(1, Data->Rec(), 0, 3, "abc");
    try {
        Data->GetFieldAsVariant(1, Data->Rec(), out);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(UnicodeString(e.Message()), L"Cannot convert type 13");
    }
    Data->FreeComplexFields(Data->Rec(), true);
}

TEST_F(StorageTest, ComparisonFormsOfIndirectAndScaledValues) {
    Data->Add(L"x", dtExtWideString);
    Data->Add(L"b", dtBytes, 3);
    Data->Add(L"c", dtBCD);
    Data->Layout();
    Data->InitRecord(Data->Rec());
    Data->PutField(1, Data->Rec(), L"wide");
    Data->PutField(2, Data->Rec(), "xyz");
    const Int64 scaled = 12345;
    Data->PutField(3, Data->Rec(), &scaled);
    Integer type = 0;
    bool blank = true, native = false;
    void* buf = Data->GetFieldBuf(Data->Rec(), Data->Fields()->Items(0), type, blank, native);
    EXPECT_EQ(type, dtWideString);
    EXPECT_TRUE(native);
    EXPECT_STREQ(static_cast<wchar_t*>(buf), L"wide");
    buf = Data->GetFieldBuf(Data->Rec(), Data->Fields()->Items(1), type, blank, native);
    EXPECT_FALSE(native);
    EXPECT_EQ(VarBytesCount(buf), 3);
    EXPECT_EQ(std::memcmp(static_cast<Byte*>(buf) + 2, "xyz", 3), 0);
    TData::FreeFieldBuf(buf);
    buf = Data->GetFieldBuf(Data->Rec(), Data->Fields()->Items(2), type, blank, native);
    EXPECT_EQ(type, dtBCD);
    double asDouble;
    std::memcpy(&asDouble, buf, 8);
    EXPECT_DOUBLE_EQ(asDouble, 1.2345);
    TData::FreeFieldBuf(buf);
    Data->FreeComplexFields(Data->Rec(), false);
}

} // namespace
