// TPngImage: PNG pictures for canvases and pictures, decoded by the Windows Imaging Component.
// TPicture knows it for ".png" and recognises its data in streams by the PNG signature.
//
// An image holds the PNG data it was read from and the picture decoded from it: a 32-bit
// bitmap with straight (not premultiplied) alpha, decoded at once when read, so that damaged
// data is reported where it is loaded and never while painting. Saving writes the data read,
// unchanged; the class writes no PNG of its own, so an empty image cannot be saved. Drawing
// blends the picture by its alpha. The images are small (glyphs and icons): the whole data and
// the whole picture are kept in memory.
#pragma once

#include "framework/Graphics.h"

#include <memory>
#include <vector>

class TPngImage : public TGraphic {
    CLASS_INFO(TPngImage, TGraphic)
public:
    TPngImage();
    ~TPngImage() override;

    bool Empty() const override { return !FBitmap; }
    int Width() const override;
    int Height() const override;
    // The decoded picture (32-bit, straight alpha), null while empty; owned by the image.
    TBitmap* Bitmap() const noexcept { return FBitmap.get(); }

    // Takes another TPngImage's data and picture; null empties the image.
    void Assign(TPersistent* source) override;
    // Reads the PNG data from the position to the stream's end; EInvalidGraphic, naming the
    // imaging call that failed and its error code, when the data is no PNG or cannot be
    // decoded. The image is unchanged on failure.
    void LoadFromStream(TStream* stream) override;
    // Writes the data read; EInvalidGraphicOperation for an empty image.
    void SaveToStream(TStream* stream) override;
    void LoadFromFile(const UnicodeString& fileName) override;
    void SaveToFile(const UnicodeString& fileName) override;
    // An RCDATA resource holding a PNG file; EResNotFound when the module has none of that name.
    void LoadFromResourceName(HINSTANCE instance, const UnicodeString& name);

protected:
    // Gives a TBitmap a copy of the picture (32-bit, straight alpha).
    void AssignTo(TPersistent* dest) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    void LoadFromBytes(std::vector<Byte>&& data);
    void SaveNeeded() const;

    std::vector<Byte> FData;                                        // the PNG data read
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FBitmap; // null when empty
};

namespace png_detail {
// The eight bytes every PNG file starts with.
inline constexpr Byte Signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Decodes `data` (a whole PNG file) into `target`, made 32-bit with straight alpha.
// EInvalidGraphic naming the failed call and its error code when it cannot.
void Decode(const std::vector<Byte>& data, TBitmap& target);
} // namespace png_detail
