// The glyph module of the skinned buttons: the image-list count the glyph painter relies on,
// the icon made from a 32-bit image, the two hooks the skin engine calls into the controls (a
// skin-activation notice and the broadcast filter), and the default glyph list.
//
// The default glyph list holds five 48 x 16 pictures read at the module's start-up from the
// program's RCDATA resources "SF", "SR", "SD", "SE" and "SC" (PNG files, skin/controls/
// sSkinLibrary.rc); it lives until the module's shut-down. Start-up raises EResNotFound when the
// program lacks one of them. GUI thread only: it is built before any window exists.
#pragma once

#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "framework/ModuleInit.h"
#include "skin/engine/acAlphaImageList.h"

// The list's image count, 0 for none.
int ImageListCount(TCustomImageList* List);
// The skin manager's notice that a skin was activated (True) or is about to go (False); the
// controls need nothing from it.
void SkinActivationChanged(bool Active);
// Asked before the children of an unskinned windowed child are walked by a broadcast: every
// such child's children are walked.
bool SkipBroadcastChildren(TControl* Control);
// An icon from an image (a decoded PNG keeps its alpha): a colour bitmap copied from it and an
// all-opaque (black) 1-bit mask of its size; 0 when the system refuses. The caller owns the icon.
HICON PngToIcon(TBitmap* Image);

// The default glyph list, null outside the module's life.
TsAlphaImageList* DefaultGlyphList() noexcept;
// Builds the default glyph list from the five resources of `Instance`: each picture that makes
// an icon is appended, one that does not is skipped. EResNotFound (and no list) when a resource
// is missing; a list built already is replaced.
void CreateDefaultGlyphs(HINSTANCE Instance);
void FreeDefaultGlyphs() noexcept;
// The glyph module: CreateDefaultGlyphs for the program at start-up, FreeDefaultGlyphs at
// shut-down. The program must carry skin/controls/sSkinLibrary.rc.
TModuleEntry GlyphUtilsModule();
