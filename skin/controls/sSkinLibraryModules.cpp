// The skin library's start-up list (see sSkinLibraryModules.h).
#include "skin/controls/sSkinLibraryModules.h"

#include "skin/controls/acShellCtrls.h"
#include "skin/controls/sFrameAdapter.h"
#include "skin/controls/sGlyphUtils.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/window/acDials.h"

#include <ole2.h>

TModuleEntry ShellCtrlsModule() {
    return {L"acShellCtrls",
            {},
            [] {
                OleInitialize(nullptr); // first: the shell's objects are COM objects
                CreateDesktopShellFolder();
            },
            [] {
                FreeDesktopShellFolder();
                OleUninitialize();
            }};
}

TModuleList SkinLibraryModules() {
    TModuleEntry glyphs = GlyphUtilsModule();
    glyphs.Uses.push_back(L"acPNG"); // the glyphs are decoded by the engine's PNG reader
    return {SkinConstModule(),  SkinMessagesModule(),       GlowModule(),
            PNGModule(),        ScrollBarFunctionsModule(), std::move(glyphs),
            ShellCtrlsModule(), ThemeFunctionsModule(),     LayeredFunctionsModule(),
            AppIconsModule(),   GradientFunctionsModule(),  SkinManagerModule(),
            DialsModule(),      FrameAdapterModule()};
}
