// The skin library's module entries in the order in which they start (each after the modules it
// uses): the engine's constants, skin message, PNG format and optional system functions, the
// skinned controls' glyph list and shell set-up, the application icons, the gradient function and
// the skin manager's globals, shadow templates and "/acver" switch (skin/engine/sSkinLibrary.h),
// the auto-skinning hook's procedure (skin/window/acDials.h) and the frame adapter's maker for
// the control adapter (sFrameAdapter.h).
// Shut-down runs them backwards. A program that starts them carries skin/controls/
// sSkinLibrary.rc and puts them after the class library's own module.
#pragma once

#include "framework/ModuleInit.h"

// The shell controls' module: OLE for the shell objects and the desktop shell folder.
TModuleEntry ShellCtrlsModule();
TModuleList SkinLibraryModules();
