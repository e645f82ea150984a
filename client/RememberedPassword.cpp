// Protecting the remembered password with CryptProtectData for the current user. The
// protection is bound to this program's use by a fixed entropy text, so that a program that
// asks the system to unprotect the user's data without it gets nothing.
#include "client/RememberedPassword.h"

#include <windows.h>
#include <dpapi.h>

#include <cstring>

namespace {

constexpr wchar_t Entropy[] = L"vurarer remembered password";

DATA_BLOB EntropyBlob() {
    return {sizeof(Entropy), reinterpret_cast<BYTE*>(const_cast<wchar_t*>(Entropy))};
}

// Owns a blob the system allocated.
struct TSystemBlob : DATA_BLOB {
    TSystemBlob() : DATA_BLOB{0, nullptr} {}
    TSystemBlob(const TSystemBlob&) = delete;
    TSystemBlob& operator=(const TSystemBlob&) = delete;
    ~TSystemBlob() {
        if (pbData) {
            SecureZeroMemory(pbData, cbData);
            LocalFree(pbData);
        }
    }
};

} // namespace

std::vector<Byte> ProtectPassword(const UnicodeString& password) {
    DATA_BLOB clear{static_cast<DWORD>(password.size() * sizeof(wchar_t)),
                    reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password.data()))};
    DATA_BLOB entropy = EntropyBlob();
    TSystemBlob protectedData;
    if (!CryptProtectData(&clear, L"", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &protectedData))
        return {};
    return {protectedData.pbData, protectedData.pbData + protectedData.cbData};
}

bool UnprotectPassword(const std::vector<Byte>& data, UnicodeString& password) {
    if (data.empty()) return false;
    DATA_BLOB protectedData{static_cast<DWORD>(data.size()), const_cast<BYTE*>(data.data())};
    DATA_BLOB entropy = EntropyBlob();
    TSystemBlob clear;
    if (!CryptUnprotectData(&protectedData, nullptr, &entropy, nullptr, nullptr,
                            CRYPTPROTECT_UI_FORBIDDEN, &clear) ||
        clear.cbData % sizeof(wchar_t) != 0)
        return false;
    password.assign(clear.cbData / sizeof(wchar_t), L'\0');
    if (clear.cbData) std::memcpy(password.data(), clear.pbData, clear.cbData);
    return true;
}

UnicodeString ReadRememberedPassword(TRegistry& registry, const UnicodeString& name) {
    switch (registry.GetDataType(name)) {
    case rdString:
    case rdExpandString: {
        const UnicodeString password = registry.ReadString(name);
        WriteRememberedPassword(registry, name, password);
        return password;
    }
    case rdBinary: {
        std::vector<Byte> data(static_cast<std::size_t>(registry.GetDataSize(name)));
        data.resize(
            static_cast<std::size_t>(registry.ReadBinaryData(name, data.data(), data.size())));
        UnicodeString password;
        return UnprotectPassword(data, password) ? password : UnicodeString();
    }
    default: return {};
    }
}

void WriteRememberedPassword(TRegistry& registry, const UnicodeString& name,
                             const UnicodeString& password) {
    const std::vector<Byte> data = ProtectPassword(password);
    if (data.empty()) {
        registry.DeleteValue(name); // no clear text is left behind
        return;
    }
    registry.WriteBinaryData(name, data.data(), data.size());
}
