// The field classes, one per field type (framework/DB.h has the base `TField` and the native
// buffer of each type). Every class reads and writes its own type directly and converts to the
// other accessors: numbers to and from text (text typed by the user in the user's locale), dates
// to and from text and numbers, and the rest through the variant rules of framework/Variants.h.
// An accessor that makes no sense for the type raises "Cannot access field 'X' as type Y".
//
//   text          TStringField (FixedChar), TWideStringField, TGuidField
//   integers      TSmallintField, TShortintField, TByteField, TIntegerField, TAutoIncField,
//                 TWordField, TLongWordField, TLargeintField
//   floats, money TFloatField, TSingleField, TExtendedField, TCurrencyField, TBCDField,
//                 TFMTBCDField
//   other values  TBooleanField, TDateField, TTimeField, TDateTimeField, TSQLTimeStampField,
//                 TVariantField
//   bytes, blobs  TBytesField, TVarBytesField, TBlobField, TMemoField, TWideMemoField,
//                 TGraphicField
//   structured    TObjectField: TADTField, TArrayField; TDataSetField: TReferenceField
#pragma once

#include "framework/DB.h"

class TStringField : public TField {
    CLASS_INFO(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    int DataSize() const override { return Size() + 1; }
    bool FixedChar() const noexcept { return FFixedChar; }
    void SetFixedChar(bool Value) { FFixedChar = Value; }

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    void CheckSize(int Value) override;

private:
    bool FFixedChar = false;
};

class TWideStringField : public TField {
    CLASS_INFO(TWideStringField, TField)
public:
    explicit TWideStringField(TComponent* AOwner);
    int DataSize() const override { return (Size() + 1) * 2; }
    bool FixedChar() const noexcept { return FFixedChar; }
    void SetFixedChar(bool Value) { FFixedChar = Value; }

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    void CheckSize(int Value) override;

private:
    bool FFixedChar = false;
};

// A GUID as its 38-character text "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
class TGuidField : public TStringField {
    CLASS_INFO(TGuidField, TStringField)
public:
    explicit TGuidField(TComponent* AOwner);

protected:
    void CheckSize(int Value) override;
};

// The integer fields share one implementation over Int64 with the type's range.
class TIntegerField : public TField {
    CLASS_INFO(TIntegerField, TField)
public:
    explicit TIntegerField(TComponent* AOwner);
    int DataSize() const override { return FDataBytes; }
    // 0 and 0: no range beyond the type's own.
    Int64 MinValue() const noexcept { return FMinValue; }
    void SetMinValue(Int64 Value) { FMinValue = Value; }
    Int64 MaxValue() const noexcept { return FMaxValue; }
    void SetMaxValue(Int64 Value) { FMaxValue = Value; }

protected:
    // The native buffer's width and signedness, for the descendants.
    void SetLayout(TFieldType Type, int Bytes, bool Signed);
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer Value) override { SetAsLargeIntValue(Value); }
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 Value) override;
    double GetAsFloat() const override { return double(GetAsLargeInt()); }
    void SetAsFloatValue(double Value) override;
    Currency GetAsCurrency() const override { return Currency::FromInt64(GetAsLargeInt()); }
    bool GetAsBoolean() const override { return GetAsLargeInt() != 0; }
    void SetAsBooleanValue(bool Value) override { SetAsLargeIntValue(Value ? 1 : 0); }
    TBcd GetAsBCD() const override { return IntegerToBcd(GetAsLargeInt()); }

private:
    bool ReadValue(Int64& Value) const;
    Int64 FMinValue = 0, FMaxValue = 0;
    int FDataBytes = 4;
    bool FSigned = true;
};

class TSmallintField : public TIntegerField {
    CLASS_INFO(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner);
};

class TShortintField : public TIntegerField {
    CLASS_INFO(TShortintField, TIntegerField)
public:
    explicit TShortintField(TComponent* AOwner);
};

class TByteField : public TIntegerField {
    CLASS_INFO(TByteField, TIntegerField)
public:
    explicit TByteField(TComponent* AOwner);
};

class TWordField : public TIntegerField {
    CLASS_INFO(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* AOwner);
};

class TAutoIncField : public TIntegerField {
    CLASS_INFO(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner);
};

class TLongWordField : public TIntegerField {
    CLASS_INFO(TLongWordField, TIntegerField)
public:
    explicit TLongWordField(TComponent* AOwner);
};

class TLargeintField : public TIntegerField {
    CLASS_INFO(TLargeintField, TIntegerField)
public:
    explicit TLargeintField(TComponent* AOwner);
};

// Double-precision values; the descendants change the type (and Single its width).
class TFloatField : public TField {
    CLASS_INFO(TFloatField, TField)
public:
    explicit TFloatField(TComponent* AOwner);
    int DataSize() const override { return FSingle ? 4 : 8; }
    // Significant digits shown (15 by default).
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value < 2 ? 2 : Value > 15 ? 15 : Value; }
    // Both 0: no range.
    double MinValue() const noexcept { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double MaxValue() const noexcept { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }

protected:
    void SetLayout(TFieldType Type, bool Single);
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer Value) override { SetAsFloatValue(Value); }
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 Value) override { SetAsFloatValue(double(Value)); }
    double GetAsFloat() const override;
    void SetAsFloatValue(double Value) override;
    Currency GetAsCurrency() const override { return Currency::FromDouble(GetAsFloat()); }
    void SetAsCurrencyValue(Currency Value) override { SetAsFloatValue(Value.ToDouble()); }
    TBcd GetAsBCD() const override { return DoubleToBcd(GetAsFloat()); }
    void SetAsBCDValue(const TBcd& Value) override { SetAsFloatValue(BcdToDouble(Value)); }

private:
    double FMinValue = 0, FMaxValue = 0;
    int FPrecision = 15;
    bool FSingle = false;
};

class TSingleField : public TFloatField {
    CLASS_INFO(TSingleField, TFloatField)
public:
    explicit TSingleField(TComponent* AOwner);
};

class TExtendedField : public TFloatField {
    CLASS_INFO(TExtendedField, TFloatField)
public:
    explicit TExtendedField(TComponent* AOwner);
};

class TCurrencyField : public TFloatField {
    CLASS_INFO(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);
};

// Money with four places, stored exactly (native: the Currency's scaled Int64). Size is the
// count of decimal places (0..4), Precision the count of digits.
class TBCDField : public TField {
    CLASS_INFO(TBCDField, TField)
public:
    explicit TBCDField(TComponent* AOwner);
    int DataSize() const override { return 8; }
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    Integer GetAsInteger() const override { return Variant(GetAsCurrency()).AsInteger(); }
    Int64 GetAsLargeInt() const override { return Variant(GetAsCurrency()).AsInt64(); }
    double GetAsFloat() const override { return GetAsCurrency().ToDouble(); }
    void SetAsFloatValue(double Value) override { SetAsCurrencyValue(Currency::FromDouble(Value)); }
    Currency GetAsCurrency() const override;
    void SetAsCurrencyValue(Currency Value) override;
    TBcd GetAsBCD() const override;
    void SetAsBCDValue(const TBcd& Value) override;
    void SetAsIntegerValue(Integer Value) override {
        SetAsCurrencyValue(Currency::FromInt64(Value));
    }
    void SetAsLargeIntValue(Int64 Value) override {
        SetAsCurrencyValue(Currency::FromInt64(Value));
    }
    void CheckSize(int Value) override;

private:
    int FPrecision = 0;
};

// Exact decimals of up to 64 digits (native: the 34-byte TBcd). Size is the count of places.
class TFMTBCDField : public TField {
    CLASS_INFO(TFMTBCDField, TField)
public:
    explicit TFMTBCDField(TComponent* AOwner);
    int DataSize() const override { return int(sizeof(TBcd)); }
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    Integer GetAsInteger() const override { return GetAsVariant().AsInteger(); }
    Int64 GetAsLargeInt() const override { return GetAsVariant().AsInt64(); }
    double GetAsFloat() const override { return IsNull() ? 0 : BcdToDouble(GetAsBCD()); }
    void SetAsFloatValue(double Value) override { SetAsBCDValue(DoubleToBcd(Value)); }
    Currency GetAsCurrency() const override;
    void SetAsCurrencyValue(Currency Value) override;
    TBcd GetAsBCD() const override;
    void SetAsBCDValue(const TBcd& Value) override;
    void SetAsIntegerValue(Integer Value) override { SetAsBCDValue(IntegerToBcd(Value)); }
    void SetAsLargeIntValue(Int64 Value) override { SetAsBCDValue(IntegerToBcd(Value)); }
    void CheckSize(int Value) override;

private:
    int FPrecision = 0;
};

class TBooleanField : public TField {
    CLASS_INFO(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    int DataSize() const override { return 2; }
    // "True;False" by default: the texts shown and read for the two values.
    const UnicodeString& DisplayValues() const noexcept { return FDisplayValues; }
    void SetDisplayValues(const UnicodeString& Value);

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool Value) override;
    Integer GetAsInteger() const override { return GetAsBoolean() ? 1 : 0; }
    void SetAsIntegerValue(Integer Value) override { SetAsBooleanValue(Value != 0); }

private:
    UnicodeString FDisplayValues = L"True;False", FTrueText = L"True", FFalseText = L"False";
};

// Date, Time and DateTime: read and written as TDateTime through DataConvert.
class TDateTimeField : public TField {
    CLASS_INFO(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    int DataSize() const override { return DataType() == ftDateTime ? 8 : 4; }
    // A FormatDateTime pattern for the text shown; empty: the locale's (c, ddddd or tt).
    const UnicodeString& DisplayFormat() const noexcept { return FDisplayFormat; }
    void SetDisplayFormat(const UnicodeString& Value) { FDisplayFormat = Value; }

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    double GetAsFloat() const override { return GetAsDateTime(); }
    void SetAsFloatValue(double Value) override { SetAsDateTimeValue(Value); }
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime Value) override;
    TSQLTimeStamp GetAsSQLTimeStamp() const override;
    void SetAsSQLTimeStampValue(const TSQLTimeStamp& Value) override;

private:
    UnicodeString FDisplayFormat;
};

class TDateField : public TDateTimeField {
    CLASS_INFO(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);
};

class TTimeField : public TDateTimeField {
    CLASS_INFO(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);
};

class TSQLTimeStampField : public TField {
    CLASS_INFO(TSQLTimeStampField, TField)
public:
    explicit TSQLTimeStampField(TComponent* AOwner);
    int DataSize() const override { return int(sizeof(TSQLTimeStamp)); }

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime Value) override;
    TSQLTimeStamp GetAsSQLTimeStamp() const override;
    void SetAsSQLTimeStampValue(const TSQLTimeStamp& Value) override;
};

class TVariantField : public TField {
    CLASS_INFO(TVariantField, TField)
public:
    explicit TVariantField(TComponent* AOwner);
    int DataSize() const override { return int(sizeof(Variant)); }

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
};

// Fixed-length bytes (Size of them) and up to Size bytes with a 16-bit count; values are byte
// arrays (varArray | varByte).
class TBytesField : public TField {
    CLASS_INFO(TBytesField, TField)
public:
    explicit TBytesField(TComponent* AOwner);
    int DataSize() const override { return Size(); }
    std::vector<Byte> AsBytes() const;
    void SetAsBytes(const std::vector<Byte>& Value);

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
    void CheckSize(int Value) override;
};

class TVarBytesField : public TBytesField {
    CLASS_INFO(TVarBytesField, TBytesField)
public:
    explicit TVarBytesField(TComponent* AOwner);
    int DataSize() const override { return Size() + 2; }
};

// Blobs are read and written whole through the dataset's blob stream.
class TBlobField : public TField {
    CLASS_INFO(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    bool IsBlob() const override { return true; }
    bool Modified() const noexcept { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    std::vector<Byte> AsBytes() const;
    void SetAsBytes(const std::vector<Byte>& Value);
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream) const;

protected:
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;

private:
    bool FModified = false;
};

// 8-bit text in the ANSI code page.
class TMemoField : public TBlobField {
    CLASS_INFO(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);
};

// UTF-16 text.
class TWideMemoField : public TBlobField {
    CLASS_INFO(TWideMemoField, TBlobField)
public:
    explicit TWideMemoField(TComponent* AOwner);

protected:
    Variant GetAsVariant() const override;
    UnicodeString GetAsString() const override;
    void SetAsStringValue(const UnicodeString& Value) override;
};

class TGraphicField : public TBlobField {
    CLASS_INFO(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

// A structured column whose values are its child fields: an object (ADT) with one child per
// attribute, or an array with one child per element (one for the element type with sparse
// arrays). It has no native buffer of its own: its value is a variant array of its children's
// values, it is null when every child is null, and its text is "(a, b, c)". Children are made
// from the child definitions and freed with the field.
class TObjectField : public TField {
    CLASS_INFO(TObjectField, TField)
public:
    explicit TObjectField(TComponent* AOwner);
    void BeforeDestruction() override;

    TFields* Fields() const noexcept { return FFields; }
    int FieldCount() const noexcept { return FFields->Count(); }
    // The value of the child at Index.
    Variant FieldValues(int Index) const;
    void SetFieldValues(int Index, const Variant& Value);
    // The name of the column's structured type at the source (set under an object view).
    const UnicodeString& ObjectType() const noexcept { return FObjectType; }
    void SetObjectType(const UnicodeString& Value) { FObjectType = Value; }

protected:
    bool GetIsNull() const override;
    Variant GetAsVariant() const override;
    void SetVariantValue(const Variant& Value) override;
    UnicodeString GetAsString() const override;

private:
    TFields* FFields;
    UnicodeString FObjectType;
};

class TADTField : public TObjectField {
    CLASS_INFO(TADTField, TObjectField)
public:
    explicit TADTField(TComponent* AOwner);
};

// Size is the declared element count.
class TArrayField : public TObjectField {
    CLASS_INFO(TArrayField, TObjectField)
public:
    explicit TArrayField(TComponent* AOwner);

protected:
    void CheckSize(int Value) override;
};

// A column holding a nested dataset (a table in a row). The nested dataset attaches itself with
// its SetDataSetField; the field has no scalar value.
class TDataSetField : public TField {
    CLASS_INFO(TDataSetField, TField)
public:
    explicit TDataSetField(TComponent* AOwner);
    void BeforeDestruction() override;
    TDataSet* NestedDataSet() const noexcept { return FNestedDataSet; }
    bool IncludeObjectField() const noexcept { return FIncludeObjectField; }
    void SetIncludeObjectField(bool Value);

private:
    friend class TDataSet;
    TDataSet* FNestedDataSet = nullptr;
    bool FIncludeObjectField = false;
};

// A reference to a row of another table (an object reference at the source); Size is the
// reference's byte length.
class TReferenceField : public TDataSetField {
    CLASS_INFO(TReferenceField, TDataSetField)
public:
    explicit TReferenceField(TComponent* AOwner);
    const UnicodeString& ReferenceTableName() const noexcept { return FReferenceTableName; }
    void SetReferenceTableName(const UnicodeString& Value) { FReferenceTableName = Value; }

protected:
    void CheckSize(int) override {}

private:
    UnicodeString FReferenceTableName;
};
