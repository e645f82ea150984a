// Byte and blob fields. Bytes and VarBytes values are byte arrays (varArray | varByte) kept in
// the native buffer (VarBytes with its 16-bit count first); blob values are read and written
// whole through the dataset's blob stream, memo text as ANSI (TMemoField) or UTF-16
// (TWideMemoField) bytes. A blob written with a null value is emptied.
#include "framework/DBFields.h"

#include "framework/TextEncoding.h"

#include <cstring>

namespace {

Variant BytesToVariant(const std::vector<Byte>& bytes) {
    Variant array = VarArrayCreate(0, int(bytes.size()) - 1, varByte);
    if (!bytes.empty()) {
        std::memcpy(VarArrayLock(array), bytes.data(), bytes.size());
        VarArrayUnlock(array);
    }
    return array;
}

std::vector<Byte> VariantToBytes(const Variant& value) {
    if (VarIsArray(value)) {
        std::vector<Byte> bytes;
        for (int i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i)
            bytes.push_back(Byte(VarArrayGet(value, i).AsInteger()));
        return bytes;
    }
    const AnsiString text = value.AsAnsiString();
    return std::vector<Byte>(text.begin(), text.end());
}

} // namespace

// ---- Bytes, VarBytes

TBytesField::TBytesField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBytes);
    SetSize(16);
}

TVarBytesField::TVarBytesField(TComponent* AOwner) : TBytesField(AOwner) {
    SetDataType(ftVarBytes);
}

void TBytesField::CheckSize(int Value) {
    if (Value < 1 || Value > 65535) DatabaseError(L"Invalid field size", DataSet());
}

std::vector<Byte> TBytesField::AsBytes() const {
    std::vector<Byte> buffer(static_cast<std::size_t>(DataSize()));
    if (!GetData(buffer.data())) return {};
    if (DataType() != ftVarBytes) return buffer;
    Word count;
    std::memcpy(&count, buffer.data(), 2);
    count = std::min<Word>(count, Word(Size()));
    return std::vector<Byte>(buffer.begin() + 2, buffer.begin() + 2 + count);
}

void TBytesField::SetAsBytes(const std::vector<Byte>& Value) {
    std::vector<Byte> buffer(std::size_t(DataSize()), 0);
    const std::size_t count = std::min(Value.size(), std::size_t(Size()));
    if (DataType() == ftVarBytes) {
        const Word count16 = Word(count);
        std::memcpy(buffer.data(), &count16, 2);
        std::memcpy(buffer.data() + 2, Value.data(), count);
    } else {
        std::memcpy(buffer.data(), Value.data(), count);
    }
    SetData(buffer.data());
}

Variant TBytesField::GetAsVariant() const {
    if (IsNull()) return Null();
    return BytesToVariant(AsBytes());
}

void TBytesField::SetVariantValue(const Variant& Value) { SetAsBytes(VariantToBytes(Value)); }

UnicodeString TBytesField::GetAsString() const {
    const std::vector<Byte> bytes = AsBytes();
    return AnsiToUnicode(AnsiString(bytes.begin(), bytes.end()));
}

void TBytesField::SetAsStringValue(const UnicodeString& Value) {
    const AnsiString text = UnicodeToAnsi(Value);
    SetAsBytes(std::vector<Byte>(text.begin(), text.end()));
}

// ---- Blobs

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBlob); }

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftMemo); }

TWideMemoField::TWideMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftWideMemo); }

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftGraphic); }

void TBlobField::SaveToStream(TStream* Stream) const {
    TStream* blob = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
    try {
        if (blob->Size() > 0) Stream->CopyFrom(blob, 0);
    } catch (...) {
        blob->Free();
        throw;
    }
    blob->Free();
}

void TBlobField::LoadFromStream(TStream* Stream) {
    TStream* blob = DataSet()->CreateBlobStream(this, bmWrite);
    try {
        Stream->SetPosition(0);
        if (Stream->Size() > 0) blob->CopyFrom(Stream, 0);
    } catch (...) {
        blob->Free();
        throw;
    }
    blob->Free();
    FModified = true;
}

std::vector<Byte> TBlobField::AsBytes() const {
    TMemoryStream* bytes = Construct<TMemoryStream>();
    std::vector<Byte> result;
    try {
        SaveToStream(bytes);
        result.resize(std::size_t(bytes->Size()));
        bytes->SetPosition(0);
        if (!result.empty()) bytes->ReadBuffer(result.data(), NativeInt(result.size()));
    } catch (...) {
        bytes->Free();
        throw;
    }
    bytes->Free();
    return result;
}

void TBlobField::SetAsBytes(const std::vector<Byte>& Value) {
    TMemoryStream* bytes = Construct<TMemoryStream>();
    try {
        if (!Value.empty()) bytes->WriteBuffer(Value.data(), NativeInt(Value.size()));
        LoadFromStream(bytes);
    } catch (...) {
        bytes->Free();
        throw;
    }
    bytes->Free();
}

Variant TBlobField::GetAsVariant() const {
    if (IsNull()) return Null();
    if (DataType() == ftMemo) return Variant(GetAsString());
    return BytesToVariant(AsBytes());
}

void TBlobField::SetVariantValue(const Variant& Value) {
    if (VarIsArray(Value))
        SetAsBytes(VariantToBytes(Value));
    else
        SetAsStringValue(Value.AsString());
}

UnicodeString TBlobField::GetAsString() const {
    const std::vector<Byte> bytes = AsBytes();
    return AnsiToUnicode(AnsiString(bytes.begin(), bytes.end()));
}

void TBlobField::SetAsStringValue(const UnicodeString& Value) {
    const AnsiString text = UnicodeToAnsi(Value);
    SetAsBytes(std::vector<Byte>(text.begin(), text.end()));
}

Variant TWideMemoField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsString());
}

UnicodeString TWideMemoField::GetAsString() const {
    const std::vector<Byte> bytes = AsBytes();
    UnicodeString text(bytes.size() / 2, L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

void TWideMemoField::SetAsStringValue(const UnicodeString& Value) {
    std::vector<Byte> bytes(Value.size() * 2);
    std::memcpy(bytes.data(), Value.data(), bytes.size());
    SetAsBytes(bytes);
}
