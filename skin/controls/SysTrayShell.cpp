// The tray icon's view of the shell: the notify-icon call and shell32's version behind a
// replaceable table, the "TaskbarCreated" message id, and the cutting of texts into the
// record's fixed fields. The record's layout is the platform's; on i686 it is checked against
// the offsets the shell reads.
#include "skin/controls/SysTray.h"

#include <shlwapi.h>

#include <cstddef>

#if !defined(_WIN64)
static_assert(offsetof(NOTIFYICONDATAW, hWnd) == 4);
static_assert(offsetof(NOTIFYICONDATAW, uID) == 8);
static_assert(offsetof(NOTIFYICONDATAW, uFlags) == 12);
static_assert(offsetof(NOTIFYICONDATAW, uCallbackMessage) == 16);
static_assert(offsetof(NOTIFYICONDATAW, hIcon) == 20);
static_assert(offsetof(NOTIFYICONDATAW, szTip) == 24);
static_assert(offsetof(NOTIFYICONDATAW, dwState) == 280);
static_assert(offsetof(NOTIFYICONDATAW, dwStateMask) == 284);
static_assert(offsetof(NOTIFYICONDATAW, szInfo) == 288);
static_assert(offsetof(NOTIFYICONDATAW, uTimeout) == 800);
static_assert(offsetof(NOTIFYICONDATAW, szInfoTitle) == 804);
static_assert(offsetof(NOTIFYICONDATAW, dwInfoFlags) == 932);
static_assert(offsetof(NOTIFYICONDATAW, guidItem) == 936);
static_assert(offsetof(NOTIFYICONDATAW, hBalloonIcon) == 952);
static_assert(sizeof(NOTIFYICONDATAW) == 956);
static_assert(NOTIFYICONDATAW_V2_SIZE == 936);
#endif

namespace {

int Shell32MajorVersion() {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (!shell) return 0;
    auto* getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
    if (!getVersion) return 0;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info); // 20 bytes: size, major, minor, build, platform
    return SUCCEEDED(getVersion(&info)) ? static_cast<int>(info.dwMajorVersion) : 0;
}

} // namespace

TSysTrayShell& SysTrayShell() {
    static TSysTrayShell shell{&Shell_NotifyIconW, &Shell32MajorVersion};
    return shell;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

UnicodeString CutText(const UnicodeString& Text, int Length) {
    if (static_cast<int>(Text.size()) <= Length) return Text;
    std::size_t size = static_cast<std::size_t>(Length);
    if (size > 0 && IS_HIGH_SURROGATE(Text[size - 1])) --size;
    return Text.substr(0, size);
}
