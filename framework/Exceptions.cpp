#include "framework/Exceptions.h"

#include "framework/TextEncoding.h"

#include <windows.h>

Exception::Exception(UnicodeString message, int helpContext)
    : FMessage(std::move(message)), FNarrow(UnicodeToUtf8(FMessage)), FHelpContext(helpContext) {}

void Exception::SetMessage(UnicodeString message) {
    FMessage = std::move(message);
    FNarrow = UnicodeToUtf8(FMessage);
}

namespace {

UnicodeString OSErrorText(unsigned long errorCode, const UnicodeString& context) {
    UnicodeString text = context.empty() ? UnicodeString() : context + L": ";
    // Some calls fail without giving a reason (a window creation the display driver refused
    // leaves the last error as it was): the system's text for 0 would call the failure a success.
    if (errorCode == ERROR_SUCCESS) return text + L"A call to an OS function failed";
    text += SysErrorMessage(errorCode);
    return text + L" (" + std::to_wstring(errorCode) + L")";
}

} // namespace

EOSError::EOSError(unsigned long errorCode, const UnicodeString& context)
    : Exception(OSErrorText(errorCode, context)), FErrorCode(errorCode) {}

UnicodeString SysErrorMessage(unsigned long errorCode) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UnicodeString text(buffer ? buffer : L"", length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

void RaiseLastOSError(const UnicodeString& context) { RaiseOSError(GetLastError(), context); }

void RaiseOSError(unsigned long errorCode, const UnicodeString& context) {
    throw EOSError(errorCode, context);
}

void Abort() { throw EAbort(L"Operation aborted"); }

void Check(bool condition, const wchar_t* message) {
    if (!condition) throw EAssertionFailed(message);
}
