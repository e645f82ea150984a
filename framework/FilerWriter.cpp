// TWriter: an object's defined properties and typed values in the format of framework/Filer.h.
#include "framework/Filer.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <limits>

void TWriter::WriteProperties(TPersistent* Instance) {
    Instance->DefineProperties(this);
    WriteText({});
}

void TWriter::DefineProperty(const UnicodeString& Name, const TReaderProc&,
                             const TWriterProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteText(Name);
    WriteData(this);
}

void TWriter::DefineBinaryProperty(const UnicodeString& Name, const TStreamProc&,
                                   const TStreamProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    TMemoryStream* bytes = Construct<TMemoryStream>();
    try {
        WriteData(bytes);
        if (bytes->Size() > std::numeric_limits<Integer>::max())
            throw EWriteError(L"Property " + Name + L" is too large to store");
        WriteText(Name);
        WriteValue(vaBinary);
        WriteRaw(Integer(bytes->Size()));
        if (bytes->Size() > 0) FStream->CopyFrom(bytes, 0);
    } catch (...) {
        bytes->Free();
        throw;
    }
    bytes->Free();
}

void TWriter::WriteInteger(Int64 Value) {
    if (Value >= INT8_MIN && Value <= INT8_MAX) {
        WriteValue(vaInt8);
        WriteRaw(std::int8_t(Value));
    } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
        WriteValue(vaInt16);
        WriteRaw(std::int16_t(Value));
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        WriteValue(vaInt32);
        WriteRaw(std::int32_t(Value));
    } else {
        WriteValue(vaInt64);
        WriteRaw(Value);
    }
}

void TWriter::WriteFloat(double Value) {
    WriteValue(vaDouble);
    WriteRaw(Value);
}

void TWriter::WriteCurrency(Currency Value) {
    WriteValue(vaCurrency);
    WriteRaw(Value.Value);
}

void TWriter::WriteDate(TDateTime Value) {
    WriteValue(vaDate);
    WriteRaw(double(Value));
}

void TWriter::WriteString(const UnicodeString& Value) {
    WriteValue(vaString);
    WriteText(Value);
}

void TWriter::WriteText(const UnicodeString& Value) {
    const std::string bytes = UnicodeToUtf8(Value);
    WriteRaw(Integer(bytes.size()));
    if (!bytes.empty()) FStream->WriteBuffer(bytes.data(), NativeInt(bytes.size()));
}

void TWriter::WriteVariant(const Variant& Value) {
    if (VarType(Value) == (varArray | varByte)) {
        const int count = VarArrayHighBound(Value, 1) - VarArrayLowBound(Value, 1) + 1;
        WriteValue(vaBinary);
        WriteRaw(Integer(count));
        if (count > 0) {
            Variant bytes = Value;
            try {
                FStream->WriteBuffer(VarArrayLock(bytes), count);
            } catch (...) {
                VarArrayUnlock(bytes);
                throw;
            }
            VarArrayUnlock(bytes);
        }
        return;
    }
    const TVarType type = VarType(Value);
    if (type == varEmpty) return WriteValue(vaEmpty);
    if (type == varNull) return WriteValue(vaNull);
    if (type == varBoolean) return WriteBoolean(Value.AsBoolean());
    if (VarIsOrdinal(Value)) return WriteInteger(Value.AsInt64());
    if (type == varCurrency) return WriteCurrency(Value.AsCurrency());
    if (VarIsFloat(Value)) return WriteFloat(Value.AsDouble());
    if (type == varDate) return WriteDate(Value.AsDate());
    if (VarIsStr(Value)) return WriteString(Value.AsString());
    throw EWriteError(L"A value of variant type " + IntToStr(Integer(type)) + L" cannot be stored");
}

void TWriter::WriteCollection(TCollection* Value) {
    WriteValue(vaCollection);
    TPersistent* ancestor = FAncestor;
    FAncestor = nullptr;
    try {
        for (int i = 0; i < Value->Count(); ++i) {
            WriteListBegin();
            WriteProperties(Value->Items(i));
        }
    } catch (...) {
        FAncestor = ancestor;
        throw;
    }
    FAncestor = ancestor;
    WriteListEnd();
}
