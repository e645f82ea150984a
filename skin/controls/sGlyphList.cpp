// The default glyph list of the glyph module: five PNG resources of the program, each made an
// icon and appended to a 48 x 16 list. The list is built whole before it is published, so a
// missing resource leaves no half-filled list behind.
#include "skin/controls/sGlyphUtils.h"

#include <commctrl.h>

#include <memory>

namespace {

using TOwnedGlyphList = std::unique_ptr<TsAlphaImageList, graphics_detail::TFreeObject>;

// Set by start-up, freed by shut-down (GUI thread).
TOwnedGlyphList GlyphList;

constexpr const wchar_t* GlyphNames[] = {L"SF", L"SR", L"SD", L"SE", L"SC"};

void AppendGlyph(TsAlphaImageList& List, HINSTANCE Instance, const wchar_t* Name) {
    TPngImage image;
    image.LoadFromResourceName(Instance, Name);
    TOwnedIcon icon(PngToIcon(&image));
    if (icon) ImageList_ReplaceIcon(List.Handle(), -1, icon.Get()); // the list copies it
}

} // namespace

HICON PngToIcon(TPngImage* Png) {
    if (!Png || Png->Empty()) return nullptr;
    TBitmap colour;
    colour.Assign(Png);
    return PngToIcon(&colour);
}

TsAlphaImageList* DefaultGlyphList() noexcept { return GlyphList.get(); }

void CreateDefaultGlyphs(HINSTANCE Instance) {
    TOwnedGlyphList list(new TsAlphaImageList(nullptr, 48, 16));
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
