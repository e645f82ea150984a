#include "DataSetTesting.h"

#include "framework/FormatSettings.h"

#include <cstring>

using DataSetFields = DataSetFixture;

namespace {

bool HasUsLocaleForTimes() {
    return FormatSettings().ShortDateFormat == L"m/d/yyyy" &&
           FormatSettings().LongTimeFormat == L"h:nn:ss ampm";
}

} // namespace

TEST_F(DataSetFields, NativeBuffersFollowTheContract) {
    Fill(1);
    DS->Edit();
    const TDateTime born = EncodeDate(2026, 12, 11);
    DS->FieldByName(L"Born")->SetAsDateTime(born);
    // Native date: the day number counted from 0001-01-01 as 1.
    Integer day = 0;
    ASSERT_TRUE(DS->FieldByName(L"Born")->GetData(&day));
    EXPECT_EQ(day, DateTimeToTimeStamp(born).Date);
    // The field form of a date is a TDateTime.
    TDateTime value = 0;
    ASSERT_TRUE(DS->FieldByName(L"Born")->GetData(&value, false));
    EXPECT_EQ(value, born);
    char name[21];
    ASSERT_TRUE(DS->FieldByName(L"Name")->GetData(name));
    EXPECT_STREQ(name, "N1");
    // Longer text is cut to Size.
    DS->FieldByName(L"Name")->SetAsString(L"abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(DS->FieldByName(L"Name")->AsString(), L"abcdefghijklmnopqrst");
    DS->FieldByName(L"Amount")->Clear();
    EXPECT_TRUE(DS->FieldByName(L"Amount")->IsNull());
    EXPECT_FALSE(DS->FieldByName(L"Amount")->GetData(nullptr));
    EXPECT_TRUE(VarIsNull(DS->FieldByName(L"Amount")->Value()));
    EXPECT_EQ(DS->FieldByName(L"Amount")->AsFloat(), 0);
    DS->Post();
}

TEST_F(DataSetFields, DateTimeAndTimeConvertThroughTheirNativeForms) {
    DS->FieldDefs()->Add(L"At", ftDateTime);
    DS->FieldDefs()->Add(L"When", ftTime);
    Fill(1);
    DS->Edit();
    const TDateTime at = EncodeDate(1850, 6, 1) + EncodeTime(6, 30, 0, 125);
    DS->FieldByName(L"At")->SetAsDateTime(at);
    DS->FieldByName(L"When")->SetAsDateTime(EncodeTime(23, 59, 59, 999));
    double msecs = 0;
    ASSERT_TRUE(DS->FieldByName(L"At")->GetData(&msecs));
    const TTimeStamp stamp = DateTimeToTimeStamp(at);
    EXPECT_EQ(msecs, double(stamp.Date) * MSecsPerDay + stamp.Time);
    EXPECT_EQ(DS->FieldByName(L"At")->AsDateTime(), at);
    Integer ms = 0;
    ASSERT_TRUE(DS->FieldByName(L"When")->GetData(&ms));
    EXPECT_EQ(ms, MSecsPerDay - 1);
    EXPECT_EQ(DS->FieldByName(L"When")->AsSQLTimeStamp().Second, 59);
    DS->Post();
}

namespace {

struct TFieldTypeCase {
    TFieldType Type;
    int Size;
    Variant Input;
    const wchar_t* Text; // AsString of the stored value, in the invariant '.' form
    int DataSize;
};

} // namespace

TEST_F(DataSetFields, EveryFieldClassStoresAndReadsItsType) {
    if (FormatSettings().DecimalSeparator != L'.') GTEST_SKIP() << "texts written with '.'";
    const TFieldTypeCase cases[] = {
        {ftSmallint, 0, Variant(-300), L"-300", 2},
        {ftShortint, 0, Variant(-100), L"-100", 1},
        {ftByte, 0, Variant(200), L"200", 1},
        {ftWord, 0, Variant(60000), L"60000", 2},
        {ftLongWord, 0, Variant(Int64(4000000000)), L"4000000000", 4},
        {ftLargeint, 0, Variant(Int64(-5000000000)), L"-5000000000", 8},
        {ftAutoInc, 0, Variant(7), L"7", 4},
        {ftSingle, 0, Variant(0.1f), L"0.1", 4},
        {ftCurrency, 0, Variant(2.25), L"2.25", 8},
        {ftBCD, 4, Variant(L"12.3456"), L"12.3456", 8},
        {ftFMTBcd, 20, Variant(L"-0.00000000000000000001"), L"-0.00000000000000000001", 34},
        {ftBoolean, 0, Variant(true), L"True", 2},
        {ftWideString, 5, Variant(L"\u4E2D\u6587"), L"\u4E2D\u6587", 12},
        {ftTimeStamp, 0, Variant(TSQLTimeStamp{2026, 12, 11, 10, 30, 0, 0}),
         L"12/11/2026 10:30:00 AM", 16},
        {ftVarBytes, 4, Variant(AnsiString("ab")), L"ab", 6},
        {ftBytes, 3, Variant(AnsiString("xyz")), L"xyz", 3},
    };
    for (const TFieldTypeCase& c : cases) {
        DS->FieldDefs()->Add(L"F" + IntToStr(int(c.Type)), c.Type, c.Size);
    }
    Fill(1);
    DS->Edit();
    for (const TFieldTypeCase& c : cases) {
        TField* field = DS->FieldByName(L"F" + IntToStr(int(c.Type)));
        SCOPED_TRACE(UnicodeToUtf8(UnicodeString(FieldTypeName(c.Type))));
        EXPECT_EQ(field->DataType(), c.Type);
        EXPECT_EQ(field->DataSize(), c.DataSize);
        EXPECT_TRUE(field->IsNull());
        field->SetValue(c.Input);
        EXPECT_FALSE(field->IsNull());
        if (c.Type != ftTimeStamp || HasUsLocaleForTimes()) {
            EXPECT_EQ(UnicodeToUtf8(field->AsString()), UnicodeToUtf8(c.Text));
        }
    }
    DS->Post();
    // The values survive the post and a new read of the record.
    DS->First();
    EXPECT_EQ(DS->FieldByName(L"F" + IntToStr(int(ftLargeint)))->AsLargeInt(), -5000000000);
    EXPECT_EQ(DS->FieldByName(L"F" + IntToStr(int(ftBCD)))->AsCurrency().Value, 123456);
    EXPECT_EQ(BcdToStr(DS->FieldByName(L"F" + IntToStr(int(ftFMTBcd)))->AsBCD()),
              L"-0.00000000000000000001");
    EXPECT_TRUE(DS->FieldByName(L"F" + IntToStr(int(ftBoolean)))->AsBoolean());
}

TEST_F(DataSetFields, ValuesOutsideTheRangeOrTypeAreRefused) {
    DS->FieldDefs()->Add(L"Small", ftSmallint);
    Fill(1);
    DS->Edit();
    try {
        DS->FieldByName(L"Small")->SetAsInteger(40000);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"40000 is not a valid value for field 'Small'. The allowed range "
                               L"is -32768 to 32767");
    }
    auto* id = static_cast<TIntegerField*>(DS->FieldByName(L"ID"));
    id->SetMinValue(1);
    id->SetMaxValue(10);
    EXPECT_THROW(id->SetAsInteger(11), EDatabaseError);
    EXPECT_THROW(id->SetAsString(L"x"), EConvertError);
    DS->FieldByName(L"Name")->SetAsString(L"abc");
    try {
        DS->FieldByName(L"Name")->AsInteger();
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"Cannot access field 'Name' as type Integer");
    }
    DS->FieldByName(L"Name")->SetAsString(L"12");
    EXPECT_EQ(DS->FieldByName(L"Name")->AsInteger(), 12);
    DS->Cancel();
}

namespace {

class TValidator : public TObject {
public:
    int Calls = 0;
    void Refuse(TField* Sender) {
        ++Calls;
        if (Sender->AsString() != L"ok" && Sender->DataSet()->State() == dsEdit)
            DatabaseError(L"refused");
    }
    void Calc(TDataSet* D) {
        D->FieldByName(L"Double")->SetAsFloat(D->FieldByName(L"Amount")->AsFloat() * 2);
    }
};

} // namespace

TEST_F(DataSetFields, OnValidateSeesTheNewValueAndCanRefuseIt) {
    TValidator* validator = Construct<TValidator>();
    Fill(1);
    TField* name = DS->FieldByName(L"Name");
    name->OnValidate = TFieldNotifyEvent(validator, &TValidator::Refuse);
    DS->Edit();
    // The validator reads the value being stored; a refused value is not stored.
    EXPECT_THROW(name->SetAsString(L"bad"), EDatabaseError);
    EXPECT_EQ(name->AsString(), L"N1");
    name->SetAsString(L"ok");
    EXPECT_EQ(name->AsString(), L"ok");
    DS->Post();
    EXPECT_EQ(validator->Calls, 2);
    validator->Free();
}

TEST_F(DataSetFields, CalculatedAndLookupFieldsLiveInTheCalcArea) {
    TValidator* calc = Construct<TValidator>();
    // Persistent fields: the three data fields used, a calculated and a lookup one.
    DS->FieldDefs()->Add(L"Country", ftInteger);
    for (const wchar_t* name : {L"ID", L"Amount", L"Country"}) {
        TField* f = name == UnicodeString(L"Amount")
                        ? static_cast<TField*>(Construct<TFloatField>(DS))
                        : static_cast<TField*>(Construct<TIntegerField>(DS));
        f->SetFieldName(name);
        f->SetDataSet(DS);
    }
    TFloatField* twice = Construct<TFloatField>(DS);
    twice->SetFieldName(L"Double");
    twice->SetFieldKind(fkCalculated);
    twice->SetDataSet(DS);
    TVectorDataSet* countries = Construct<TVectorDataSet>(nullptr);
    countries->FieldDefs()->Add(L"Code", ftInteger);
    countries->FieldDefs()->Add(L"Title", ftString, 10);
    countries->Open();
    countries->AppendRecord({49, L"Germany"});
    countries->AppendRecord({86, L"China"});
    TStringField* country = Construct<TStringField>(DS);
    country->SetFieldName(L"CountryName");
    country->SetFieldKind(fkLookup);
    country->SetSize(10);
    country->SetKeyFields(L"Country");
    country->SetLookupDataSet(countries);
    country->SetLookupKeyFields(L"Code");
    country->SetLookupResultField(L"Title");
    country->SetDataSet(DS);
    DS->OnCalcFields = TDataSetNotifyEvent(calc, &TValidator::Calc);
    DS->Open();
    EXPECT_FALSE(DS->DefaultFields());
    EXPECT_EQ(DS->CalcFieldsSize(), (8 + 1) + (11 + 1));
    EXPECT_EQ(twice->Offset(), 0);
    EXPECT_EQ(country->Offset(), 9);
    DS->AppendRecord({1, 2.5, 86});
    EXPECT_EQ(twice->AsFloat(), 5.0);
    EXPECT_EQ(country->AsString(), L"China");
    DS->Edit();
    DS->FieldByName(L"Amount")->SetAsFloat(4);
    DS->FieldByName(L"Country")->SetAsInteger(49);
    EXPECT_EQ(twice->AsFloat(), 8.0); // recalculated on each change
    EXPECT_EQ(country->AsString(), L"Germany");
    DS->Post();
    DS->Close();
    EXPECT_EQ(DS->FieldCount(), 5); // persistent fields stay
    countries->Free();
    // The lookup dataset went first: the field forgot it.
    EXPECT_EQ(country->LookupDataSet(), nullptr);
    calc->Free();
}

TEST_F(DataSetFields, FieldDefsNumberFindAndDescribeChildren) {
    TFieldDefs* defs = DS->FieldDefs();
    EXPECT_EQ(defs->Items(2)->FieldNo(), 3);
    EXPECT_EQ(defs->Find(L"amount"), defs->Items(2));
    try {
        defs->Find(L"Nope");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"People: Field 'Nope' not found");
    }
    TFieldDef* address = defs->Add(L"Address", ftADT);
    address->ChildDefs()->Add(L"City", ftString, 30);
    EXPECT_EQ(defs->FindByFullName(L"Address.City")->FullName(), L"Address.City");
    EXPECT_EQ(defs->FindByFullName(L"Address.Zip"), nullptr);
    EXPECT_EQ(DS->FieldDefList().size(), 6u);
    defs->SetUpdated(true);
    defs->Items(1)->SetSize(30);
    EXPECT_FALSE(defs->Updated());
    defs->Update(); // asks the dataset again
    EXPECT_TRUE(defs->Updated());
    DS->IndexDefs()->Add(L"ByName", L"Name", {ixCaseInsensitive});
    EXPECT_EQ(DS->IndexDefs()->FindIndexForFields(L"name")->Name(), L"ByName");
}

TEST_F(DataSetFields, PersistentFieldsMustMatchTheirDefinitions) {
    TStringField* id = Construct<TStringField>(DS);
    id->SetFieldName(L"ID");
    id->SetDataSet(DS);
    try {
        DS->Open();
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(),
                  L"People: Type mismatch for field 'ID', expecting: String actual: Integer");
    }
    EXPECT_FALSE(DS->Active());
    TStringField* twin = Construct<TStringField>(DS);
    twin->SetFieldName(L"id");
    EXPECT_THROW(twin->SetDataSet(DS), EDatabaseError); // a second field of the same name
}

TEST_F(DataSetFields, BlobFieldsGoThroughTheBlobStream) {
    DS->FieldDefs()->Add(L"Notes", ftMemo);
    DS->FieldDefs()->Add(L"Wide", ftWideMemo);
    DS->FieldDefs()->Add(L"Data", ftBlob);
    Fill(1);
    auto* notes = static_cast<TBlobField*>(DS->FieldByName(L"Notes"));
    TField* wide = DS->FieldByName(L"Wide");
    auto* data = static_cast<TBlobField*>(DS->FieldByName(L"Data"));
    EXPECT_TRUE(notes->IsBlob());
    EXPECT_EQ(notes->DataSize(), 0);
    EXPECT_TRUE(notes->IsNull());
    EXPECT_THROW(notes->SetAsString(L"outside an edit"), EDatabaseError);
    DS->Edit();
    notes->SetAsString(L"line one\r\nline two");
    wide->SetAsString(L"\u4E2D\u6587 text");
    data->SetAsBytes({0, 1, 2, 0, 255});
    EXPECT_TRUE(data->Modified());
    DS->Post();
    DS->First();
    EXPECT_EQ(notes->AsString(), L"line one\r\nline two");
    EXPECT_EQ(VarType(notes->Value()), varUString);
    EXPECT_EQ(UnicodeToUtf8(wide->AsString()), UnicodeToUtf8(L"\u4E2D\u6587 text"));
    EXPECT_EQ(data->AsBytes(), (std::vector<Byte>{0, 1, 2, 0, 255}));
    const Variant bytes = data->Value();
    EXPECT_EQ(VarType(bytes), varArray | varByte);
    EXPECT_EQ(VarArrayHighBound(bytes, 1), 4);
    DS->Edit();
    data->Clear();
    DS->Post();
    EXPECT_TRUE(data->IsNull());
    EXPECT_TRUE(data->AsBytes().empty());
}
