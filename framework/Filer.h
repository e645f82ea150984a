// Storing an object's properties in a stream and reading them back: the persistence of
// components and collections that keep settings beyond what their constructor gives them
// (command parameters, macro lists, flags).
//
//   TFiler    what an object's DefineProperties sees: DefineProperty / DefineBinaryProperty
//             with a reader, a writer and whether there is anything to write; Ancestor, the
//             object this one is written against (null without one), so that only differences
//             need storing
//   TWriter   writes an object's defined properties (WriteProperties) and typed values
//   TReader   reads them back (ReadProperties) and checks each value's type
//
// An object takes part by overriding TPersistent::DefineProperties(Filer), calling the
// inherited one first. The library has no table of published properties for its data classes,
// so every stored property is a defined one; a collection is stored item by item, each item
// through its own DefineProperties.
//
// The stream format, written and read only by this module (little-endian):
//   properties  { name, value } ... then an empty name; a name is a UTF-8 string without tag
//   value       one tag byte, then by tag: vaNull, vaFalse, vaTrue (nothing); vaInt8, vaInt16,
//               vaInt32, vaInt64 (the integer); vaDouble (8 bytes); vaCurrency (the scaled
//               Int64); vaDate (the TDateTime's 8 bytes); vaString (Int32 count of UTF-8 bytes,
//               the bytes); vaBinary (Int32 count, the bytes); vaEmpty (nothing);
//               vaCollection (per item: vaList, the item's properties; then vaNull)
//   strings     Int32 count of UTF-8 bytes, the bytes (text is kept whole, any language)
// Reading checks every tag: a value of another type than the reader asks for, a property the
// object does not define, or a stream that ends early raises EReadError, and the stream is not
// read further.
//
// Loading a component: the caller brackets ReadProperties with the component's BeginLoad and
// EndLoad, so that settings that depend on one another take effect in Loaded.
#pragma once

#include "framework/Collections.h"
#include "framework/Streams.h"
#include "framework/Variants.h"

#include <functional>

class TReader;
class TWriter;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

enum TValueType : Byte {
    vaNull,
    vaList,
    vaInt8,
    vaInt16,
    vaInt32,
    vaInt64,
    vaDouble,
    vaCurrency,
    vaDate,
    vaString,
    vaFalse,
    vaTrue,
    vaBinary,
    vaCollection,
    vaEmpty
};

class TFiler : public TObject {
    CLASS_INFO(TFiler, TObject)
public:
    explicit TFiler(TStream* Stream) : FStream(Stream) {}

    // A property of the object being filed: `ReadData` reads its value, `WriteData` writes it,
    // and it is written only when `HasData`. Either may be empty (a property only read, kept
    // for streams of an earlier layout, or only written).
    virtual void DefineProperty(const UnicodeString& Name, const TReaderProc& ReadData,
                                const TWriterProc& WriteData, bool HasData) = 0;
    // The same for a block of bytes, which the procedures read from and write to a stream.
    virtual void DefineBinaryProperty(const UnicodeString& Name, const TStreamProc& ReadData,
                                      const TStreamProc& WriteData, bool HasData) = 0;
    // The object the one being written is compared with; null without one (and when reading).
    TPersistent* Ancestor() const noexcept { return FAncestor; }
    void SetAncestor(TPersistent* Value) { FAncestor = Value; }
    TStream* Stream() const noexcept { return FStream; }

protected:
    TStream* FStream;
    TPersistent* FAncestor = nullptr;
};

class TWriter : public TFiler {
    CLASS_INFO(TWriter, TFiler)
public:
    using TFiler::TFiler;

    // The object's defined properties that have data, then the end of the list.
    void WriteProperties(TPersistent* Instance);
    void DefineProperty(const UnicodeString& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const UnicodeString& Name, const TStreamProc& ReadData,
                              const TStreamProc& WriteData, bool HasData) override;

    void WriteInteger(Int64 Value);
    void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
    void WriteFloat(double Value);
    void WriteCurrency(Currency Value);
    void WriteDate(TDateTime Value);
    void WriteString(const UnicodeString& Value);
    // Empty, null, the integer and float kinds, currency, date, Boolean, text and byte arrays
    // (as vaBinary); other kinds raise EWriteError.
    void WriteVariant(const Variant& Value);
    // Each item's defined properties (the ancestor does not apply to items).
    void WriteCollection(TCollection* Value);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }

private:
    void WriteValue(TValueType Value) { FStream->WriteBuffer(&Value, 1); }
    void WriteText(const UnicodeString& Value);
    template <class T> void WriteRaw(T Value) { FStream->WriteBuffer(&Value, sizeof Value); }
};

class TReader : public TFiler {
    CLASS_INFO(TReader, TFiler)
public:
    using TFiler::TFiler;

    // Reads properties until the end of the list; each must be one the object defines.
    void ReadProperties(TPersistent* Instance);
    void DefineProperty(const UnicodeString& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const UnicodeString& Name, const TStreamProc& ReadData,
                              const TStreamProc& WriteData, bool HasData) override;

    // The tag of the next value, without reading it.
    TValueType NextValue();
    Int64 ReadInt64();
    // An integer that must fit 32 bits.
    Integer ReadInteger();
    bool ReadBoolean();
    double ReadFloat();
    Currency ReadCurrency();
    TDateTime ReadDate();
    UnicodeString ReadString();
    Variant ReadVariant();
    // Replaces the collection's items with the items stored.
    void ReadCollection(TCollection* Value);
    void ReadListBegin() { CheckValue(vaList); }
    void ReadListEnd() { CheckValue(vaNull); }
    bool EndOfList() { return NextValue() == vaNull; }

private:
    TValueType ReadValue();
    void CheckValue(TValueType Expected);
    UnicodeString ReadText();
    template <class T> T ReadRaw() {
        T value;
        FStream->ReadBuffer(&value, sizeof value);
        return value;
    }
    [[noreturn]] void InvalidValue();

    // The property being read while the instance defines its properties.
    UnicodeString FPropName;
    bool FPropFound = false;
};
