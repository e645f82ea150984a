// Text fields: 8-bit text in the ANSI code page (TStringField, TGuidField) and UTF-16 text
// (TWideStringField), each NUL-terminated in a buffer of Size characters plus one. Values longer
// than Size are cut to Size characters; fixed-character values lose their trailing blanks when
// read.
#include "framework/DBFields.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

void CheckTextSize(int Value, TDataSet* DataSet) {
    if (Value < 0) DatabaseError(L"Invalid field size", DataSet);
}

// ANSI text to UTF-16: ASCII (the common case, and the same in every ANSI code page) widens
// directly; anything else goes through the code page.
UnicodeString AnsiText(const char* text, std::size_t length) {
    UnicodeString result(length, L'\0');
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return AnsiToUnicode(AnsiString(text, length));
        result[i] = wchar_t(text[i]);
    }
    return result;
}

// A field buffer on the stack for the usual sizes, on the heap beyond.
template <class Char> class TTextBuffer {
public:
    explicit TTextBuffer(std::size_t count) : FHeap(count > Small ? count : 0) {
        FData = count > Small ? FHeap.data() : FLocal;
        std::fill(FData, FData + count, Char(0));
    }
    Char* Data() { return FData; }

private:
    static constexpr std::size_t Small = 256;
    Char FLocal[Small];
    std::vector<Char> FHeap;
    Char* FData;
};

} // namespace

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

void TStringField::CheckSize(int Value) { CheckTextSize(Value, DataSet()); }

UnicodeString TStringField::GetAsString() const {
    const std::size_t size = std::size_t(DataSize());
    TTextBuffer<char> buffer(size);
    if (!GetData(buffer.Data())) return {};
    std::size_t length = strnlen(buffer.Data(), size);
    if (FFixedChar)
        while (length > 0 && buffer.Data()[length - 1] == ' ') --length;
    return AnsiText(buffer.Data(), length);
}

void TStringField::SetAsStringValue(const UnicodeString& Value) {
    AnsiString text = UnicodeToAnsi(Value);
    if (text.size() > std::size_t(Size())) text.resize(std::size_t(Size()));
    std::vector<char> buffer(std::size_t(DataSize()), '\0');
    std::memcpy(buffer.data(), text.data(), text.size());
    SetData(buffer.data());
}

Variant TStringField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsString());
}

void TStringField::SetVariantValue(const Variant& Value) { SetAsStringValue(Value.AsString()); }

TWideStringField::TWideStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftWideString);
    SetSize(20);
}

void TWideStringField::CheckSize(int Value) { CheckTextSize(Value, DataSet()); }

UnicodeString TWideStringField::GetAsString() const {
    const std::size_t size = std::size_t(Size()) + 1;
    TTextBuffer<wchar_t> buffer(size);
    if (!GetData(buffer.Data())) return {};
    UnicodeString text(buffer.Data(), wcsnlen(buffer.Data(), size));
    if (FFixedChar) text.erase(text.find_last_not_of(L' ') + 1);
    return text;
}

void TWideStringField::SetAsStringValue(const UnicodeString& Value) {
    std::vector<wchar_t> buffer(std::size_t(Size()) + 1, L'\0');
    std::wmemcpy(buffer.data(), Value.data(), std::min(Value.size(), std::size_t(Size())));
    SetData(buffer.data());
}

Variant TWideStringField::GetAsVariant() const {
    if (IsNull()) return Null();
    return Variant(GetAsString());
}

void TWideStringField::SetVariantValue(const Variant& Value) { SetAsStringValue(Value.AsString()); }

TGuidField::TGuidField(TComponent* AOwner) : TStringField(AOwner) {
    SetDataType(ftGuid);
    SetSize(38);
}

void TGuidField::CheckSize(int Value) {
    if (Value != 38) DatabaseError(L"Invalid field size", DataSet());
}
