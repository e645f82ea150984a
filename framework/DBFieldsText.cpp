// Text fields: 8-bit text in the ANSI code page (TStringField, TGuidField) and UTF-16 text
// (TWideStringField), each NUL-terminated in a buffer of Size characters plus one. Values longer
// than Size are cut to Size characters; fixed-character values lose their trailing blanks when
// read.
#include "framework/DBFields.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <cstring>
#include <vector>

namespace {

void CheckTextSize(int Value, TDataSet* DataSet) {
    if (Value < 0) DatabaseError(L"Invalid field size", DataSet);
}

} // namespace

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

void TStringField::CheckSize(int Value) { CheckTextSize(Value, DataSet()); }

UnicodeString TStringField::GetAsString() const {
    std::vector<char> buffer(std::size_t(DataSize()), '\0');
    if (!GetData(buffer.data())) return {};
    AnsiString text(buffer.data(), strnlen(buffer.data(), buffer.size()));
    if (FFixedChar) text.erase(text.find_last_not_of(' ') + 1);
    return AnsiToUnicode(text);
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
    std::vector<wchar_t> buffer(std::size_t(Size()) + 1, L'\0');
    if (!GetData(buffer.data())) return {};
    UnicodeString text(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
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

void TWideStringField::SetVariantValue(const Variant& Value) {
    SetAsStringValue(Value.AsString());
}

TGuidField::TGuidField(TComponent* AOwner) : TStringField(AOwner) {
    SetDataType(ftGuid);
    SetSize(38);
}

void TGuidField::CheckSize(int Value) {
    if (Value != 38) DatabaseError(L"Invalid field size", DataSet());
}
