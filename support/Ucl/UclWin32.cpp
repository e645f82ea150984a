// EUclWin32Error: the last error is captured by the constructor's first statement, so that
// nothing the constructor does (allocating, loading a text) can replace it.
#include "support/Ucl/UclWin32.h"

#include "support/Ucl/UclUnitVersioning.h"

#include <windows.h>

UnicodeString Win32ErrorMessage(unsigned long lastError, const UnicodeString& text) {
    return L"Win32 error: " + SysErrorMessage(lastError) + L" (" + std::to_wstring(lastError) +
           L")\r\n" + text;
}

EUclWin32Error::EUclWin32Error(const UnicodeString& text) : EUclWin32Error(GetLastError(), text) {}

EUclWin32Error::EUclWin32Error(unsigned long lastError, const UnicodeString& text)
    : EUclError(Win32ErrorMessage(lastError, text)), FLastError(lastError),
      FLastErrorMsg(SysErrorMessage(lastError)) {}

EUclWin32Error EUclWin32Error::CreateFmt(const UnicodeString& format,
                                         std::initializer_list<TFormatArg> args) {
    const unsigned long lastError = GetLastError();
    return EUclWin32Error(lastError, Format(format, args));
}

EUclWin32Error EUclWin32Error::CreateRes(unsigned resourceId) {
    const unsigned long lastError = GetLastError();
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), resourceId, reinterpret_cast<LPWSTR>(&text), 0);
    return EUclWin32Error(lastError, length > 0 ? UnicodeString(text, length) : UnicodeString());
}

TModuleEntry UclWin32Module() { return UnitVersionedModule(L"UclWin32", nullptr, nullptr); }
