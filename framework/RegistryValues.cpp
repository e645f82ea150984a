// TRegistry's values: each read fetches the whole value with its kind and checks the kind
// (and, for fixed-size kinds, the size) before converting, so a value written by another
// program in another form is reported instead of misread. Values are small settings; reading
// one twice (size, then data) costs nothing worth saving. Writes raise on failure: a setting
// that was not stored must not pass silently.
#include "framework/Registry.h"

#include <cstring>
#include <limits>

struct TRegistry::TRawValue {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

namespace {

static_assert(sizeof(double) == 8, "floats and date-times are stored as 8 bytes");

UnicodeString Quoted(const UnicodeString& name) { return L"'" + name + L"'"; }

UnicodeString ApiFailure(const wchar_t* api, LONG error) {
    return UnicodeString(api) + L": " + SysErrorMessage(error) + L" (" + std::to_wstring(error) +
           L")";
}

[[noreturn]] void RaiseInvalidType(const UnicodeString& name) {
    throw ERegistryException(L"Invalid data type for " + Quoted(name));
}

[[noreturn]] void RaiseGetFailed(const UnicodeString& name, const UnicodeString& reason) {
    throw ERegistryException(L"Failed to get data for " + Quoted(name) + L": " + reason);
}

[[noreturn]] void RaiseSetFailed(const UnicodeString& name, const UnicodeString& reason) {
    throw ERegistryException(L"Failed to set data for " + Quoted(name) + L": " + reason);
}

TRegDataType DataTypeOf(DWORD type) {
    switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
    }
}

// Stored text may lack its terminating NUL or carry several: the text ends at the first.
UnicodeString TextOf(const std::vector<BYTE>& data) {
    UnicodeString text((data.size() + 1) / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), data.size());
    text.resize(std::wcslen(text.c_str()));
    return text;
}

} // namespace

bool TRegistry::QueryValue(const UnicodeString& name, DWORD& type, DWORD& size) const {
    if (!FCurrentKey) return false;
    return RegQueryValueExW(FCurrentKey.Get(), name.c_str(), nullptr, &type, nullptr, &size) ==
           ERROR_SUCCESS;
}

// False for a missing value. The value may grow between asking its size and reading it.
bool TRegistry::ReadRaw(const UnicodeString& name, TRawValue& value) const {
    DWORD size = 0;
    if (!QueryValue(name, value.Type, size)) return false;
    for (;;) {
        value.Data.resize(size);
        const LONG error = RegQueryValueExW(FCurrentKey.Get(), name.c_str(), nullptr, &value.Type,
                                            value.Data.data(), &size);
        if (error == ERROR_SUCCESS) break;
        if (error == ERROR_FILE_NOT_FOUND) return false;
        if (error != ERROR_MORE_DATA) RaiseGetFailed(name, ApiFailure(L"RegQueryValueExW", error));
    }
    value.Data.resize(size);
    return true;
}

// The value, which must exist, be of `type` and hold exactly `size` bytes.
TRegistry::TRawValue TRegistry::ReadKnown(const UnicodeString& name, DWORD type,
                                          std::size_t size) const {
    TRawValue value;
    if (!ReadRaw(name, value) || value.Type != type || value.Data.size() != size)
        RaiseInvalidType(name);
    return value;
}

void TRegistry::PutValue(const UnicodeString& name, DWORD type, const void* data,
                         std::size_t size) {
    if (!FCurrentKey) RaiseSetFailed(name, L"no key is open");
    if (size > std::numeric_limits<DWORD>::max()) RaiseSetFailed(name, L"the data is too large");
    const LONG error = RegSetValueExW(FCurrentKey.Get(), name.c_str(), 0, type,
                                      static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    if (error != ERROR_SUCCESS) RaiseSetFailed(name, ApiFailure(L"RegSetValueExW", error));
}

bool TRegistry::ValueExists(const UnicodeString& name) const {
    DWORD type = 0, size = 0;
    return QueryValue(name, type, size);
}

int TRegistry::GetDataSize(const UnicodeString& name) const {
    DWORD type = 0, size = 0;
    return QueryValue(name, type, size) ? static_cast<int>(size) : -1;
}

TRegDataType TRegistry::GetDataType(const UnicodeString& name) const {
    DWORD type = 0, size = 0;
    return QueryValue(name, type, size) ? DataTypeOf(type) : rdUnknown;
}

bool TRegistry::DeleteValue(const UnicodeString& name) {
    return FCurrentKey && RegDeleteValueW(FCurrentKey.Get(), name.c_str()) == ERROR_SUCCESS;
}

UnicodeString TRegistry::ReadString(const UnicodeString& name) const {
    TRawValue value;
    if (!ReadRaw(name, value)) return {};
    if (value.Type != REG_SZ && value.Type != REG_EXPAND_SZ) RaiseInvalidType(name);
    return TextOf(value.Data);
}

void TRegistry::WriteString(const UnicodeString& name, const UnicodeString& value) {
    PutValue(name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void TRegistry::WriteExpandString(const UnicodeString& name, const UnicodeString& value) {
    PutValue(name, REG_EXPAND_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

Integer TRegistry::ReadInteger(const UnicodeString& name) const {
    const TRawValue value = ReadKnown(name, REG_DWORD, sizeof(DWORD));
    Integer result = 0;
    std::memcpy(&result, value.Data.data(), sizeof(result));
    return result;
}

void TRegistry::WriteInteger(const UnicodeString& name, Integer value) {
    PutValue(name, REG_DWORD, &value, sizeof(value));
}

bool TRegistry::ReadBool(const UnicodeString& name) const { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(const UnicodeString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

double TRegistry::ReadFloat(const UnicodeString& name) const {
    const TRawValue value = ReadKnown(name, REG_BINARY, sizeof(double));
    double result = 0;
    std::memcpy(&result, value.Data.data(), sizeof(result));
    return result;
}

void TRegistry::WriteFloat(const UnicodeString& name, double value) {
    PutValue(name, REG_BINARY, &value, sizeof(value));
}

TDateTime TRegistry::ReadDateTime(const UnicodeString& name) const { return ReadFloat(name); }

void TRegistry::WriteDateTime(const UnicodeString& name, TDateTime dateTime) {
    WriteFloat(name, dateTime);
}

int TRegistry::ReadBinaryData(const UnicodeString& name, void* buffer, std::size_t size) const {
    TRawValue value;
    if (!ReadRaw(name, value)) return 0;
    if (value.Type != REG_BINARY) RaiseInvalidType(name);
    if (value.Data.size() > size)
        RaiseGetFailed(name, L"it holds " + std::to_wstring(value.Data.size()) +
                                 L" bytes, the buffer " + std::to_wstring(size));
    if (!value.Data.empty()) std::memcpy(buffer, value.Data.data(), value.Data.size());
    return static_cast<int>(value.Data.size());
}

void TRegistry::WriteBinaryData(const UnicodeString& name, const void* buffer, std::size_t size) {
    PutValue(name, REG_BINARY, buffer, size);
}
