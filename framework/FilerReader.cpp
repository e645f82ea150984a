// TReader: reading back what TWriter stored, checking each tag before its value.
#include "framework/Filer.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <limits>
#include <string>

void TReader::ReadProperties(TPersistent* Instance) {
    // A property's value may hold properties of its own (collection items).
    const UnicodeString outerName = FPropName;
    const bool outerFound = FPropFound;
    try {
        for (;;) {
            FPropName = ReadText();
            if (FPropName.empty()) break;
            FPropFound = false;
            const UnicodeString name = FPropName;
            Instance->DefineProperties(this);
            if (!FPropFound)
                throw EReadError(L"Error reading " + Instance->ClassName() + L"." + name +
                                 L": the property does not exist");
        }
    } catch (...) {
        FPropName = outerName;
        FPropFound = outerFound;
        throw;
    }
    FPropName = outerName;
    FPropFound = outerFound;
}

void TReader::DefineProperty(const UnicodeString& Name, const TReaderProc& ReadData,
                             const TWriterProc&, bool) {
    if (FPropFound || !ReadData || !SameText(Name, FPropName)) return;
    FPropFound = true;
    ReadData(this);
}

void TReader::DefineBinaryProperty(const UnicodeString& Name, const TStreamProc& ReadData,
                                   const TStreamProc&, bool) {
    if (FPropFound || !ReadData || !SameText(Name, FPropName)) return;
    FPropFound = true;
    CheckValue(vaBinary);
    const Integer count = ReadRaw<Integer>();
    if (count < 0 || count > FStream->Size() - FStream->Position()) InvalidValue();
    TMemoryStream* bytes = Construct<TMemoryStream>();
    try {
        if (count > 0) bytes->CopyFrom(FStream, count);
        bytes->SetPosition(0);
        ReadData(bytes);
    } catch (...) {
        bytes->Free();
        throw;
    }
    bytes->Free();
}

void TReader::InvalidValue() { throw EReadError(L"Invalid property value"); }

TValueType TReader::ReadValue() {
    const Byte tag = ReadRaw<Byte>();
    if (tag > vaEmpty) InvalidValue();
    return TValueType(tag);
}

TValueType TReader::NextValue() {
    const TValueType tag = ReadValue();
    FStream->Seek(-1, soCurrent);
    return tag;
}

void TReader::CheckValue(TValueType Expected) {
    if (ReadValue() != Expected) InvalidValue();
}

UnicodeString TReader::ReadText() {
    const Integer count = ReadRaw<Integer>();
    if (count < 0 || count > FStream->Size() - FStream->Position()) InvalidValue();
    std::string bytes(std::size_t(count), '\0');
    if (count > 0) FStream->ReadBuffer(bytes.data(), count);
    return Utf8ToUnicode(bytes);
}

Int64 TReader::ReadInt64() {
    switch (ReadValue()) {
    case vaInt8: return ReadRaw<std::int8_t>();
    case vaInt16: return ReadRaw<std::int16_t>();
    case vaInt32: return ReadRaw<std::int32_t>();
    case vaInt64: return ReadRaw<Int64>();
    default: InvalidValue();
    }
}

Integer TReader::ReadInteger() {
    const Int64 value = ReadInt64();
    if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
        InvalidValue();
    return Integer(value);
}

bool TReader::ReadBoolean() {
    switch (ReadValue()) {
    case vaFalse: return false;
    case vaTrue: return true;
    default: InvalidValue();
    }
}

double TReader::ReadFloat() {
    if (NextValue() != vaDouble) return double(ReadInt64());
    ReadValue();
    return ReadRaw<double>();
}

Currency TReader::ReadCurrency() {
    CheckValue(vaCurrency);
    return Currency::FromScaled(ReadRaw<Int64>());
}

TDateTime TReader::ReadDate() {
    CheckValue(vaDate);
    return TDateTime(ReadRaw<double>());
}

UnicodeString TReader::ReadString() {
    CheckValue(vaString);
    return ReadText();
}

Variant TReader::ReadVariant() {
    switch (NextValue()) {
    case vaEmpty: ReadValue(); return Unassigned();
    case vaNull: ReadValue(); return Null();
    case vaInt8:
    case vaInt16:
    case vaInt32: return Variant(ReadInteger());
    case vaInt64: return Variant(ReadInt64());
    case vaDouble: return Variant(ReadFloat());
    case vaCurrency: return Variant(ReadCurrency());
    case vaDate: return Variant::FromDate(ReadDate());
    case vaFalse:
    case vaTrue: return Variant(ReadBoolean());
    case vaString: return Variant(ReadString());
    case vaBinary: {
        ReadValue();
        const Integer count = ReadRaw<Integer>();
        if (count < 0 || count > FStream->Size() - FStream->Position()) InvalidValue();
        Variant bytes = VarArrayCreate(0, count - 1, varByte);
        if (count > 0) {
            void* data = VarArrayLock(bytes);
            try {
                FStream->ReadBuffer(data, count);
            } catch (...) {
                VarArrayUnlock(bytes);
                throw;
            }
            VarArrayUnlock(bytes);
        }
        return bytes;
    }
    default: InvalidValue();
    }
}

void TReader::ReadCollection(TCollection* Value) {
    CheckValue(vaCollection);
    Value->BeginUpdate();
    try {
        Value->Clear();
        while (!EndOfList()) {
            ReadListBegin();
            ReadProperties(Value->Add());
        }
        ReadListEnd();
    } catch (...) {
        Value->EndUpdate();
        throw;
    }
    Value->EndUpdate();
}
