// The start-up of the tray icon's component family: whether the display shows full colour, the
// colour scheme of the desktop theme, and the "TaskbarCreated" message id. Both results are read
// once, before any window exists, and only read afterwards (GUI thread).
#include "skin/controls/SysTray.h"

#include "framework/Conversions.h"
#include "framework/Graphics.h"
#include "framework/Registry.h"

bool FullColorDisplay = false;
TThemeColorScheme ThemeColorScheme = tcsOther;

namespace {

bool ScreenHasFullColor() {
    TScreenDC screen;
    return GetDeviceCaps(screen.Get(), NUMCOLORS) == -1;
}

// The theme's colour name, empty when the user has none recorded.
UnicodeString ThemeColorName() {
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly(L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager") ||
        registry.GetDataType(L"ColorName") != rdString)
        return {};
    return registry.ReadString(L"ColorName");
}

} // namespace

TThemeColorScheme ThemeColorSchemeOf(const UnicodeString& ColorName) {
    const UnicodeString name = AnsiUpperCase(ColorName);
    if (name == L"HOMESTEAD") return tcsHomestead;
    if (name == L"METALLIC") return tcsMetallic;
    return tcsOther;
}

TModuleEntry SysTrayModule() {
    return {L"SysTray",
            {},
            [] {
                FullColorDisplay = ScreenHasFullColor();
                ThemeColorScheme = ThemeColorSchemeOf(ThemeColorName());
                TaskbarCreatedMessage();
            },
            {}};
}
