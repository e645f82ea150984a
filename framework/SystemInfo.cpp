// Command-line parameters split as the system splits them (CommandLineToArgvW), and the version
// the system reports to this program.
#include "framework/SystemInfo.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace {

std::vector<UnicodeString> CommandLineParameters() {
    std::vector<UnicodeString> parameters;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return parameters;
    for (int i = 1; i < count; ++i) parameters.emplace_back(arguments[i]);
    LocalFree(arguments);
    return parameters;
}

const OSVERSIONINFOW& Version() {
    static const OSVERSIONINFOW version = [] {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
        GetVersionExW(&info);
        return info;
    }();
    return version;
}

} // namespace

Integer ParamCount() { return static_cast<Integer>(CommandLineParameters().size()); }

UnicodeString ParamStr(Integer index) {
    if (index == 0) {
        std::vector<wchar_t> buffer(MAX_PATH);
        for (;;) {
            const DWORD length =
                GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (length == 0) return {};
            if (length < buffer.size()) return UnicodeString(buffer.data(), length);
            buffer.resize(buffer.size() * 2);
        }
    }
    const std::vector<UnicodeString> parameters = CommandLineParameters();
    if (index < 0 || index > static_cast<Integer>(parameters.size())) return {};
    return parameters[index - 1];
}

Integer Win32Platform() { return static_cast<Integer>(Version().dwPlatformId); }
Integer Win32MajorVersion() { return static_cast<Integer>(Version().dwMajorVersion); }
Integer Win32MinorVersion() { return static_cast<Integer>(Version().dwMinorVersion); }
Integer Win32BuildNumber() { return static_cast<Integer>(Version().dwBuildNumber); }
