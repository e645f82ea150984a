// TJPEGImage: JPEG pictures for canvases and pictures, over the IJG 6b interface of the JPEG
// codec the build compiles (libjpeg-turbo without SIMD). TPicture knows it for ".jpg" and
// ".jpeg" and recognises its data in streams.
//
// An image holds the compressed data it was read from and the picture decoded from it (24-bit,
// decoded at once when read, so that damaged data is reported where it is loaded and never
// while painting; data cut short after its headers decodes, the missing part grey, as the codec
// only warns about it). Saving writes the data it was read from unchanged; an image made from a
// bitmap is compressed when it is first saved, at CompressionQuality.
#pragma once

#include "framework/Graphics.h"

#include <memory>
#include <vector>

class TJPEGImage : public TGraphic {
    CLASS_INFO(TJPEGImage, TGraphic)
public:
    TJPEGImage();
    ~TJPEGImage() override;

    bool Empty() const override { return !FBitmap; }
    int Width() const override;
    int Height() const override;
    // True when the data holds one colour component.
    bool Grayscale() const noexcept { return FGrayscale; }
    // 1 (smallest) to 100 (best); 90 by default. Used when a bitmap is compressed.
    int CompressionQuality() const noexcept { return FCompressionQuality; }
    void SetCompressionQuality(int quality);

    // Takes a TJPEGImage (data and picture) or any TBitmap (compressed when saved).
    void Assign(TPersistent* source) override;
    // Reads the JPEG data from the position to the stream's end; EInvalidGraphic, with the
    // codec's reason, when the data cannot be decoded. The image is unchanged on failure.
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override;
    void LoadFromFile(const UnicodeString& fileName) override;
    void SaveToFile(const UnicodeString& fileName) override;

protected:
    // Gives a TBitmap the decoded picture.
    void AssignTo(TPersistent* dest) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    void LoadFromBytes(std::vector<Byte>&& data);
    void CompressNeeded();

    std::vector<Byte> FData; // the compressed picture; empty until a bitmap is compressed
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FBitmap; // null when empty
    bool FGrayscale = false;
    int FCompressionQuality = 90;
};

// The codec, apart from the class so that only its file sees the codec's headers.
namespace jpeg_detail {
// Decodes `data` into `target` (made 24-bit); answers whether the data is greyscale.
// EInvalidGraphic with the codec's message when it cannot.
bool Decode(const std::vector<Byte>& data, TBitmap& target);
// Compresses a 24-bit bitmap.
std::vector<Byte> Encode(TBitmap& source, int quality);
} // namespace jpeg_detail
