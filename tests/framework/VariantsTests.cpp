#include "framework/Variants.h"

#include "framework/Conversions.h"
#include "framework/FormatSettings.h"
#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A value's text that does not depend on the locale, with its kind checked by the caller.
UnicodeString Show(const Variant& v) {
    switch (v.VType()) {
    case varEmpty: return L"(empty)";
    case varNull: return L"(null)";
    case varBoolean: return v.AsBoolean() ? L"True" : L"False";
    case varSingle:
    case varDouble:
    case varDate: return FloatToStr(v.AsDouble());
    case varCurrency: return CurrToStr(v.AsCurrency(), TFormatSettings{});
    case varFMTBcd: return BcdToStr(v.AsBcd());
    case varSQLTimeStamp: {
        const TSQLTimeStamp t = v.AsSQLTimeStamp();
        wchar_t text[64];
        swprintf(text, 64, L"%04d-%02u-%02u %02u:%02u:%02u.%03u", t.Year, t.Month, t.Day, t.Hour,
                 t.Minute, t.Second, unsigned(t.Fractions));
        return text;
    }
    default: return v.AsString();
    }
}

// The kinds of the conversion matrix's columns.
constexpr TVarType Targets[] = {varByte,   varSmallint, varInteger,     varInt64,   varSingle,
                                varDouble, varCurrency, varDate,        varBoolean, varUString,
                                varString, varFMTBcd,   varSQLTimeStamp};
constexpr int TargetCount = int(std::size(Targets));

struct TConversionRow {
    const wchar_t* Name;
    Variant Source;
    // One cell per target: the result's text, or "!cast" / "!over" for the error expected.
    const wchar_t* Cells[TargetCount];
};

TSQLTimeStamp Stamp(int y, int mo, int d, int h, int mi, int s, int ms) {
    return TSQLTimeStamp{std::int16_t(y), Word(mo), Word(d),     Word(h),
                         Word(mi),        Word(s),  LongWord(ms)};
}

int Referenced; // the object a by-reference variant points to

// The matrix's texts of dates are those of the US locale, the default of the test prefix.
bool HasUsLocale() {
    const TFormatSettings& s = FormatSettings();
    return s.DecimalSeparator == L'.' && s.ShortDateFormat == L"m/d/yyyy" &&
           s.LongTimeFormat == L"h:nn:ss ampm";
}

} // namespace

TEST(Variants, ConversionMatrixCoversEveryKindPair) {
    if (!HasUsLocale()) GTEST_SKIP() << "the matrix's date texts are written for en-US";
    const TConversionRow rows[] = {
        // Byte, Smallint, Integer, Int64, Single, Double, Currency, Date, Boolean, UString,
        // String, FMTBcd, SQLTimeStamp
        {L"Empty",
         Variant(),
         {L"0", L"0", L"0", L"0", L"0", L"0", L"0", L"0", L"False", L"", L"", L"0",
          L"1899-12-30 00:00:00.000"}},
        {L"Null",
         Null(),
         {L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast",
          L"!cast", L"!cast", L"!cast", L"!cast"}},
        {L"Smallint -2",
         Variant(std::int16_t(-2)),
         {L"!over", L"-2", L"-2", L"-2", L"-2", L"-2", L"-2", L"-2", L"True", L"-2", L"-2", L"-2",
          L"1899-12-28 00:00:00.000"}},
        {L"Integer 300",
         Variant(300),
         {L"!over", L"300", L"300", L"300", L"300", L"300", L"300", L"300", L"True", L"300", L"300",
          L"300", L"1900-10-26 00:00:00.000"}},
        {L"Int64 5e9",
         Variant(Int64(5000000000)),
         {L"!over", L"!over", L"!over", L"5000000000", L"5000000000", L"5000000000", L"5000000000",
          L"5000000000", L"True", L"5000000000", L"5000000000", L"5000000000", L"!over"}},
        {L"UInt64 max",
         Variant(std::numeric_limits<UInt64>::max()),
         {L"!over", L"!over", L"!over", L"!over", L"1.8446744073709552E19",
          L"1.8446744073709552E19", L"!over", L"1.8446744073709552E19", L"True",
          L"18446744073709551615", L"18446744073709551615", L"18446744073709551615", L"!over"}},
        {L"Single 1.5",
         Variant(1.5f),
         {L"2", L"2", L"2", L"2", L"1.5", L"1.5", L"1.5", L"1.5", L"True", L"1.5", L"1.5", L"1.5",
          L"1899-12-31 12:00:00.000"}},
        {L"Double 2.5",
         Variant(2.5),
         {L"2", L"2", L"2", L"2", L"2.5", L"2.5", L"2.5", L"2.5", L"True", L"2.5", L"2.5", L"2.5",
          L"1900-01-01 12:00:00.000"}},
        {L"Double -0.5",
         Variant(-0.5),
         {L"0", L"0", L"0", L"0", L"-0.5", L"-0.5", L"-0.5", L"-0.5", L"True", L"-0.5", L"-0.5",
          L"-0.5", L"1899-12-30 12:00:00.000"}},
        {L"Currency 12.3456",
         Variant(Currency::FromScaled(123456)),
         {L"12", L"12", L"12", L"12", L"12.345600128173828", L"12.3456", L"12.3456", L"12.3456",
          L"True", L"12.3456", L"12.3456", L"12.3456", L"1900-01-11 08:17:39.840"}},
        {L"Date 45000.25",
         Variant::FromDate(45000.25),
         {L"!over", L"!over", L"45000", L"45000", L"45000.25", L"45000.25", L"45000.25",
          L"45000.25", L"True", L"3/15/2023 6:00:00 AM", L"3/15/2023 6:00:00 AM", L"45000.25",
          L"2023-03-15 06:00:00.000"}},
        {L"Boolean True",
         Variant(true),
         {L"!over", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"-1", L"True", L"True", L"True",
          L"-1", L"1899-12-29 00:00:00.000"}},
        {L"OleStr 42",
         Variant::FromOleStr(L"42"),
         {L"42", L"42", L"42", L"42", L"42", L"42", L"42", L"42", L"True", L"42", L"42", L"42",
          L"1900-02-10 00:00:00.000"}},
        {L"String abc",
         Variant(AnsiString("abc")),
         {L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast",
          L"abc", L"abc", L"!cast", L"!cast"}},
        {L"FMTBcd -0.5",
         Variant(StrToBcd(L"-0.5")),
         {L"!over", L"-1", L"-1", L"-1", L"-0.5", L"-0.5", L"-0.5", L"-0.5", L"True", L"-0.5",
          L"-0.5", L"-0.5", L"1899-12-30 12:00:00.000"}},
        {L"FMTBcd 20 digits",
         Variant(StrToBcd(L"12345678901234567890")),
         {L"!over", L"!over", L"!over", L"!over", L"1.2345679395506094E19",
          L"1.2345678901234567E19", L"!over", L"1.2345678901234567E19", L"True",
          L"12345678901234567890", L"12345678901234567890", L"12345678901234567890", L"!over"}},
        {L"SQLTimeStamp",
         Variant(Stamp(2026, 12, 11, 10, 30, 0, 250)),
         {L"!over", L"!over", L"46367", L"46367", L"46367.4375", L"46367.43750289352",
          L"46367.4375", L"46367.43750289352", L"True", L"12/11/2026 10:30:00 AM",
          L"12/11/2026 10:30:00 AM", L"46367.43750289352", L"2026-12-11 10:30:00.250"}},
        {L"Array",
         VarArrayOf({1, 2}),
         {L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast",
          L"!cast", L"!cast", L"!cast", L"!cast"}},
        {L"ByRef",
         Variant::ByRef(&Referenced),
         {L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast", L"!cast",
          L"!cast", L"!cast", L"!cast", L"!cast"}},
    };
    for (const TConversionRow& row : rows) {
        for (int i = 0; i < TargetCount; ++i) {
            const UnicodeString cell = row.Cells[i];
            const UnicodeString where =
                UnicodeString(row.Name) + L" -> " + VarTypeAsText(Targets[i]);
            SCOPED_TRACE(UnicodeToUtf8(where));
            if (cell == L"!cast") {
                EXPECT_THROW(VarAsType(row.Source, Targets[i]), EVariantTypeCastError);
            } else if (cell == L"!over") {
                EXPECT_THROW(VarAsType(row.Source, Targets[i]), EVariantOverflowError);
            } else {
                const Variant result = VarAsType(row.Source, Targets[i]);
                EXPECT_EQ(result.VType(), Targets[i]);
                EXPECT_EQ(UnicodeToUtf8(Show(result)), UnicodeToUtf8(cell));
            }
        }
    }
}

TEST(Variants, ConversionErrorsNameBothKinds) {
    try {
        VarAsType(Null(), varInteger);
        FAIL() << "no error";
    } catch (const EVariantTypeCastError& e) {
        EXPECT_EQ(e.Message(), L"Could not convert variant of type (Null) into type (Integer)");
    }
    try {
        VarAsType(Variant(300), varByte);
        FAIL() << "no error";
    } catch (const EVariantOverflowError& e) {
        EXPECT_EQ(e.Message(),
                  L"Arithmetic overflow converting variant of type (Integer) into type (Byte)");
    }
}

TEST(Variants, AccessorsFollowTheSameRules) {
    EXPECT_EQ(Variant(L"  12 ").AsInteger(), 12);
    EXPECT_EQ(Variant(3.5).AsInt64(), 4); // halves to even
    EXPECT_EQ(Variant(Currency::FromScaled(25000)).AsInteger(), 2);
    EXPECT_EQ(Variant(Currency::FromScaled(35000)).AsInteger(), 4);
    EXPECT_EQ(Variant(StrToBcd(L"2.5")).AsInteger(), 3); // BCD: halves away from zero
    EXPECT_TRUE(Variant(L"tRuE").AsBoolean());
    EXPECT_FALSE(Variant(L"0").AsBoolean());
    EXPECT_EQ(Variant(AnsiString("x")).AsString(), L"x");
    EXPECT_EQ(Variant(L"x").AsAnsiString(), "x");
    EXPECT_EQ(Variant(std::numeric_limits<UInt64>::max()).AsUInt64(),
              std::numeric_limits<UInt64>::max());
    EXPECT_THROW(Variant(-1).AsUInt64(), EVariantOverflowError);
    EXPECT_THROW(Variant(L"x").AsDouble(), EVariantTypeCastError);
    EXPECT_EQ(VarToStr(Null()), L"");
    EXPECT_EQ(VarToStrDef(Null(), L"none"), L"none");
    EXPECT_EQ(VarAsType(Variant(), varNull).VType(), varNull);
    EXPECT_THROW(VarAsType(Variant(1), varNull), EVariantTypeCastError);
    int object = 0;
    EXPECT_EQ(Variant::ByRef(&object).AsPointer(), &object);
    EXPECT_THROW(Variant(1).AsPointer(), EVariantTypeCastError);
}

namespace {

struct TCompareCase {
    const wchar_t* Name;
    Variant A;
    Variant B;
    TVariantRelationship Expected;
};

} // namespace

TEST(Variants, CompareValueFollowsTheWrittenRules) {
    int object = 0, other = 0;
    const TCompareCase cases[] = {
        // 1. Empty and Null
        {L"null=null", Null(), Null(), vrEqual},
        {L"empty=empty", Variant(), Variant(), vrEqual},
        {L"null<empty", Null(), Variant(), vrLessThan},
        {L"empty<0", Variant(), Variant(0), vrLessThan},
        {L"text>null", Variant(L""), Null(), vrGreaterThan},
        // 2. texts, ordinal
        {L"a<b", Variant(L"a"), Variant(L"b"), vrLessThan},
        {L"B<a ordinal", Variant(L"B"), Variant(L"a"), vrLessThan},
        {L"ansi=wide", Variant(AnsiString("abc")), Variant::FromOleStr(L"abc"), vrEqual},
        // 3. text against other kinds
        {L"1='1'", Variant(1), Variant(L"1"), vrEqual},
        {L"'10'>9", Variant(L"10"), Variant(9), vrGreaterThan},
        {L"'1.5'>int 1", Variant(L"1.5"), Variant(1), vrGreaterThan},
        {L"'true'=True", Variant(L"true"), Variant(true), vrEqual},
        // 4. numbers across kinds
        {L"int=double", Variant(2), Variant(2.0), vrEqual},
        {L"byte<int64", Variant(Byte(200)), Variant(Int64(201)), vrLessThan},
        {L"-1<uint64", Variant(-1), Variant(UInt64(0)), vrLessThan},
        {L"uint64 max>int64 max", Variant(std::numeric_limits<UInt64>::max()),
         Variant(std::numeric_limits<Int64>::max()), vrGreaterThan},
        {L"currency=bcd", Variant(Currency::FromScaled(15000)), Variant(StrToBcd(L"1.5")), vrEqual},
        {L"bcd exact", Variant(StrToBcd(L"0.30000000000000000001")), Variant(StrToBcd(L"0.3")),
         vrGreaterThan},
        {L"True=-1", Variant(true), Variant(-1), vrEqual},
        {L"False<True", Variant(false), Variant(true), vrLessThan},
        {L"nan", Variant(std::nan("")), Variant(1.0), vrNotEqual},
        {L"date=double", Variant::FromDate(2.5), Variant(2.5), vrEqual},
        // 5. time stamps
        {L"stamps", Variant(TSQLTimeStamp{2026, 1, 2, 0, 0, 0, 0}),
         Variant(TSQLTimeStamp{2026, 1, 1, 23, 0, 0, 0}), vrGreaterThan},
        {L"stamp=date", Variant(TSQLTimeStamp{1899, 12, 31, 12, 0, 0, 0}), Variant::FromDate(1.5),
         vrEqual},
        // 6. arrays and references
        {L"arrays equal", VarArrayOf({1, L"x"}), VarArrayOf({1, L"x"}), vrEqual},
        {L"arrays differ", VarArrayOf({1, 2}), VarArrayOf({1, 3}), vrNotEqual},
        {L"array vs int", VarArrayOf({1}), Variant(1), vrNotEqual},
        {L"same pointer", Variant::ByRef(&object), Variant::ByRef(&object), vrEqual},
        {L"other pointer", Variant::ByRef(&object), Variant::ByRef(&other), vrNotEqual},
    };
    for (const TCompareCase& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(c.Name));
        EXPECT_EQ(VarCompareValue(c.A, c.B), c.Expected);
        EXPECT_EQ(c.A == c.B, c.Expected == vrEqual);
    }
}

TEST(Variants, ComparingTextThatDoesNotConvertRaises) {
    EXPECT_THROW(VarCompareValue(Variant(L"abc"), Variant(1)), EVariantTypeCastError);
    EXPECT_THROW((void)(Variant(true) == Variant(L"maybe")), EVariantTypeCastError);
}

TEST(Variants, KindPredicates) {
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_TRUE(VarIsEmpty(Unassigned()));
    EXPECT_TRUE(VarIsClear(Null()));
    EXPECT_FALSE(VarIsClear(Variant(0)));
    EXPECT_TRUE(VarIsStr(Variant(AnsiString("a"))));
    EXPECT_TRUE(VarIsOrdinal(Variant(true)));
    EXPECT_TRUE(VarIsFloat(Variant(Currency{})));
    EXPECT_TRUE(VarIsNumeric(Variant(Byte(1))));
    EXPECT_FALSE(VarIsNumeric(Variant::FromDate(1)));
    EXPECT_TRUE(VarIsFMTBcd(VarFMTBcdCreate(IntegerToBcd(1))));
    EXPECT_EQ(VarType(VarSQLTimeStampCreate(TSQLTimeStamp{})), VarSQLTimeStamp());
    EXPECT_EQ(VarTypeAsText(varArray | varByte), L"Array Byte");
}

TEST(Variants, ByteArraysKeepTheirBytesTogether) {
    Variant bytes = VarArrayCreate(0, 3, varByte);
    EXPECT_EQ(VarType(bytes), varArray | varByte);
    EXPECT_EQ(VarArrayDimCount(bytes), 1);
    EXPECT_EQ(VarArrayHighBound(bytes, 1), 3);
    auto* data = static_cast<Byte*>(VarArrayLock(bytes));
    data[0] = 1, data[3] = 0xFF;
    VarArrayUnlock(bytes);
    EXPECT_EQ(VarArrayGet(bytes, 3).AsInteger(), 255);
    EXPECT_THROW(VarArrayPut(bytes, Variant(256), 1), EVariantOverflowError);
    EXPECT_THROW(VarArrayGet(bytes, 4), EVariantBadIndexError);
    EXPECT_THROW(VarArrayUnlock(bytes), EVariantError);
    VarArrayLock(bytes);
    EXPECT_THROW(VarArrayRedim(bytes, 7), EVariantError);
    VarArrayUnlock(bytes);
    VarArrayRedim(bytes, 7);
    EXPECT_EQ(VarArrayHighBound(bytes, 1), 7);
    EXPECT_EQ(VarArrayGet(bytes, 0).AsInteger(), 1);
    EXPECT_EQ(VarArrayGet(bytes, 7).AsInteger(), 0);
}

TEST(Variants, ArrayCopiesAreValues) {
    Variant a = VarArrayCreate(1, 2, varInteger);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayGet(a, 1).VType(), varInteger);
    VarArrayPut(a, Variant(L"7"), 1); // converted to the element kind
    Variant b = a;
    VarArrayPut(b, Variant(8), 1);
    EXPECT_EQ(VarArrayGet(a, 1).AsInteger(), 7);
    EXPECT_EQ(VarArrayGet(b, 1).AsInteger(), 8);
    EXPECT_EQ(VarArrayGet(a, 1).VType(), varInteger);
    EXPECT_THROW(VarArrayCreate(0, -2, varInteger), EVariantError);
    EXPECT_THROW(VarArrayCreate(0, 1, varNull), EVariantError);
    EXPECT_THROW(VarArrayLowBound(a, 2), EVariantBadIndexError);
    EXPECT_THROW(VarArrayLowBound(Variant(1), 1), EVariantInvalidOpError);
    EXPECT_EQ(VarArrayHighBound(VarArrayCreate(0, -1, varVariant), 1), -1);
}
