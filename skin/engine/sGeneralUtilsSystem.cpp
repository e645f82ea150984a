// Paths, the message pump with a deadline, and the system caption font.
#include "skin/engine/sGeneralUtils.h"

#include "framework/Application.h"
#include "framework/Files.h"
#include "framework/SystemInfo.h"

#include <shellapi.h>

UnicodeString WithTrailingBackslash(const UnicodeString& Path) {
    if (Path.empty()) return Path;
    if (Path.back() == L'\\') return Path;
    if (Path.back() == L'/') return Path.substr(0, Path.size() - 1) + L"\\";
    if (Path.size() == 1) return Path + L":\\";
    return Path + L"\\";
}

UnicodeString AppDirectory() { return ExtractFilePath(ParamStr(0)); }

TIcon* FileIconOf(const UnicodeString& FileName, UINT Flags) {
    if (!FileExists(FileName)) return nullptr;
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(FileName.c_str(), 0, &info, sizeof(info), Flags | SHGFI_ICON) ||
        !info.hIcon)
        return nullptr;
    auto* icon = new TIcon();
    icon->SetHandle(info.hIcon);
    if (icon->Empty()) FreeAndNil(icon);
    return icon;
}

void WaitProcessingMessages(unsigned Ms) {
    const DWORD start = GetTickCount();
    do {
        if (Application) Application->ProcessMessages();
    } while (static_cast<DWORD>(GetTickCount() - start) < Ms);
}

namespace {

// The non-client metrics in the size the running Windows knows: without the padded border
// width before version 6.
bool ReadNonClientMetrics(NONCLIENTMETRICSW& metrics) {
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = Win32MajorVersion() >= 6 ? sizeof(NONCLIENTMETRICSW)
                                              : sizeof(NONCLIENTMETRICSW) - sizeof(int);
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
}

} // namespace

int SysCaptionFontHeight() {
    NONCLIENTMETRICSW metrics;
    return ReadNonClientMetrics(metrics) ? metrics.lfCaptionFont.lfHeight : 0;
}

HFONT CreateSysCaptionFont() {
    NONCLIENTMETRICSW metrics;
    return ReadNonClientMetrics(metrics) ? CreateFontIndirectW(&metrics.lfCaptionFont) : nullptr;
}

namespace {

void SystemErrorBox(const UnicodeString& Text) {
    MessageBoxW(GetActiveWindow(), Text.c_str(), L"Error", MB_OK | MB_ICONERROR);
}

} // namespace

TErrorMessageBox ErrorMessageBox = &SystemErrorBox;

void ShowErrorMessage(const UnicodeString& Text) { ErrorMessageBox(Text); }
