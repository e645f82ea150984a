// The glyph module's small routines. The icon routine hands CreateIconIndirect two bitmaps it
// owns for the call only: the system copies them into the icon.
#include "skin/controls/sGlyphUtils.h"

#include <memory>

int ImageListCount(TCustomImageList* List) { return List ? List->Count() : 0; }

void SkinActivationChanged(bool) {}

bool SkipBroadcastChildren(TControl*) { return false; }

HICON PngToIcon(TBitmap* Image) {
    if (!Image || Image->Empty()) return nullptr;
    TOwnedBitmap mask(CreateBitmap(Image->Width(), Image->Height(), 1, 1, nullptr));
    if (!mask) return nullptr;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> colour(new TBitmap);
    colour->Assign(Image);
    {
        TOwnedDC dc(CreateCompatibleDC(nullptr));
        const HGDIOBJ old = SelectObject(dc.Get(), mask.Get());
        PatBlt(dc.Get(), 0, 0, Image->Width(), Image->Height(), BLACKNESS);
        SelectObject(dc.Get(), old);
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.Get();
    info.hbmColor = colour->Handle();
    return CreateIconIndirect(&info);
}
