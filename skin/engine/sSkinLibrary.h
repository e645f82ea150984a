// The skin library's start-up and shut-down: the globals it makes, the optional system functions
// it binds by name, the pictures it reads from the program's resources and its one command-line
// switch. Each of the engine's modules that sets something up has a module entry here; the
// skinned controls put them in order, with their own, in SkinLibraryModules
// (skin/controls/sSkinLibraryModules.h), which the program's start-up list takes.
//
// Optional functions are bound by loading their library by name and looking the function up by
// name: a missing library or function leaves the global null, and everything that needs it takes
// its fall-back. The libraries are released, and the globals cleared, at shut-down. Tests swap a
// library's name (OptionalLibrary) before the entry runs to see the fall-backs.
//
// Pictures: the program carries the RCDATA resources "acSHDA" and "acSHDI" (PNG form shadows)
// and "SF", "SR", "SD", "SE", "SC" (default glyphs), drawn by tools/icongen/make_skin_pictures.py
// at build time and named by skin/controls/sSkinLibrary.rc. A missing shadow stops the start-up
// with EResNotFound. GUI thread only.
#pragma once

#include "framework/LibraryBinder.h"
#include "framework/ModuleInit.h"
#include "skin/engine/acPNG.h"

#include <commctrl.h>

#include <memory>
#include <vector>

// The system's width of a horizontal scroll bar's arrow.
extern int HScrollBtnWidth;
// The system reports the NT platform.
extern bool IsWinNT;
// Form shadows for forms whose skin has no shadow image (32-bit PNG pictures); null outside the
// library's life.
extern TPNGGraphic* ShadowTemplateActive;
extern TPNGGraphic* ShadowTemplateInactive;
// The program file's small and large shell icons; null when the shell has none.
extern HICON AppSmallIcon;
extern HICON AppLargeIcon;

// The optional functions bound at start-up (GradientFillProc, sGradient.h, and
// UpdateLayeredWindowProc, sAlphaGraph.h, are bound here too).
using TSetWindowThemeProc = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using TGetScrollBarInfoProc = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
using TFlatSBSwitchProc = BOOL(WINAPI*)(HWND);
extern TSetWindowThemeProc SetWindowThemeProc;
extern TGetScrollBarInfoProc GetScrollBarInfoProc;
extern TFlatSBSwitchProc InitializeFlatSBProc;
extern TFlatSBSwitchProc UninitializeFlatSBProc;

// The libraries the optional functions come from, one binder each.
enum class TOptionalLibrary {
    GradientFill,   // "msimg32.dll": GradientFill
    Theme,          // "uxtheme": SetWindowTheme
    ScrollBars,     // "user32.dll": GetScrollBarInfo
    FlatScrollBars, // "comctl32.dll": InitializeFlatSB, UninitializeFlatSB
    Layered,        // "user32.dll": UpdateLayeredWindow
};
TLibraryBinder& OptionalLibrary(TOptionalLibrary Which);

// Shows the library's banner "Glazelkit v6.48" when one of Params, in lower case, is "/acver";
// once, however often the switch is given.
void CheckVersionSwitch(const std::vector<UnicodeString>& Params);
// The two shadow templates from the RCDATA resources "acSHDA" and "acSHDI" of Instance;
// EResNotFound, and no templates, when either is missing.
void LoadShadowTemplates(HINSTANCE Instance);
void FreeShadowTemplates() noexcept;

// The engine's module entries, in the order in which they start.
TModuleEntry SkinConstModule();          // HScrollBtnWidth
TModuleEntry SkinMessagesModule();       // registers the skin message's name
TModuleEntry GlowModule();               // frees every glow window at the end
TModuleEntry PNGModule();                // the PNG picture format
TModuleEntry ScrollBarFunctionsModule(); // GetScrollBarInfo, the flat scroll-bar switches
TModuleEntry ThemeFunctionsModule();     // SetWindowTheme
TModuleEntry LayeredFunctionsModule();   // UpdateLayeredWindow
TModuleEntry AppIconsModule();           // AppSmallIcon, AppLargeIcon; empties SkinnedForms
TModuleEntry GradientFunctionsModule();  // GradientFill
TModuleEntry SkinManagerModule();        // IsWinNT, the shadow templates, "/acver"
