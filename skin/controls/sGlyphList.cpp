// The default glyph list of the glyph module: five PNG resources of the program, each decoded by
// the skin engine's reader, made an icon and appended to a 48 x 16 alpha image list. The list is
// built whole before it is published, so a missing resource leaves no half-filled list behind.
#include "skin/controls/sGlyphUtils.h"

#include "framework/Streams.h"
#include "skin/engine/acPNG.h"

#include <commctrl.h>

#include <memory>

namespace {

using TOwnedGlyphList = std::unique_ptr<TsAlphaImageList, graphics_detail::TFreeObject>;

// Set by start-up, freed by shut-down (GUI thread).
TOwnedGlyphList GlyphList;

constexpr const wchar_t* GlyphNames[] = {L"SF", L"SR", L"SD", L"SE", L"SC"};

void AppendGlyph(TsAlphaImageList& List, HINSTANCE Instance, const wchar_t* Name) {
    TResourceStream stream(Instance, Name);
    TPNGGraphic image;
    image.LoadFromStream(&stream);
    TOwnedIcon icon(PngToIcon(&image));
    if (icon) ImageList_ReplaceIcon(List.Handle(), -1, icon.Get()); // the list copies it
}

} // namespace

TsAlphaImageList* DefaultGlyphList() noexcept { return GlyphList.get(); }

void CreateDefaultGlyphs(HINSTANCE Instance) {
    TOwnedGlyphList list(new TsAlphaImageList(nullptr, 48, 16));
    list->AfterConstruction();
    for (const wchar_t* name : GlyphNames) AppendGlyph(*list, Instance, name);
    GlyphList = std::move(list);
}

void FreeDefaultGlyphs() noexcept { GlyphList.reset(); }

TModuleEntry GlyphUtilsModule() {
    return {L"sGlyphUtils",
            {},
            [] { CreateDefaultGlyphs(::GetModuleHandleW(nullptr)); },
            FreeDefaultGlyphs};
}
