// TJPEGImage: keeps the compressed data and the decoded picture together (see Jpeg.h); the codec
// itself is in JpegCodec.cpp.
#include "framework/Jpeg.h"

#include "framework/Streams.h"

namespace {

using TOwnedBitmapObject = std::unique_ptr<TBitmap, graphics_detail::TFreeObject>;

// A copy of `source`, or null for an empty or missing one.
TOwnedBitmapObject CopyOf(TBitmap* source) {
    if (!source || source->Empty()) return nullptr;
    TOwnedBitmapObject copy(new TBitmap);
    copy->Assign(source);
    return copy;
}

} // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const { return FBitmap ? FBitmap->Width() : 0; }
int TJPEGImage::Height() const { return FBitmap ? FBitmap->Height() : 0; }

void TJPEGImage::SetCompressionQuality(int quality) {
    if (quality < 1 || quality > 100)
        throw EInvalidGraphicOperation(L"JPEG quality must lie between 1 and 100");
    FCompressionQuality = quality;
}

void TJPEGImage::LoadFromBytes(std::vector<Byte>&& data) {
    TOwnedBitmapObject bitmap(new TBitmap);
    const bool grayscale = jpeg_detail::Decode(data, *bitmap);
    FData = std::move(data);
    FBitmap = std::move(bitmap);
    FGrayscale = grayscale;
    Changed();
}

void TJPEGImage::LoadFromStream(TStream* stream) {
    const Int64 size = stream->Size() - stream->Position();
    if (size > 0x7FFFFFFF) throw EInvalidGraphic(L"JPEG image is too large");
    std::vector<Byte> data(static_cast<std::size_t>(size > 0 ? size : 0));
    if (!data.empty()) stream->ReadBuffer(data.data(), NativeInt(data.size()));
    LoadFromBytes(std::move(data));
}

void TJPEGImage::CompressNeeded() {
    if (!FBitmap) throw EInvalidGraphicOperation(L"Cannot save an empty JPEG image");
    if (FData.empty()) FData = jpeg_detail::Encode(*FBitmap, FCompressionQuality);
}

void TJPEGImage::SaveToStream(TStream* stream) {
    CompressNeeded();
    stream->WriteBuffer(FData.data(), NativeInt(FData.size()));
}

void TJPEGImage::LoadFromFile(const UnicodeString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TJPEGImage::SaveToFile(const UnicodeString& fileName) {
    CompressNeeded(); // before the file is created
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

void TJPEGImage::Assign(TPersistent* source) {
    if (source == this) return;
    if (auto* image = dynamic_cast<TJPEGImage*>(source)) {
        FBitmap = CopyOf(image->FBitmap.get());
        FData = image->FData;
        FGrayscale = image->FGrayscale;
        FCompressionQuality = image->FCompressionQuality;
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        TOwnedBitmapObject copy = CopyOf(bitmap);
        if (copy) copy->SetPixelFormat(pf24bit);
        FBitmap = std::move(copy);
        FData.clear();
        FGrayscale = false;
    } else {
        return TGraphic::Assign(source);
    }
    Changed();
}

void TJPEGImage::AssignTo(TPersistent* dest) {
    auto* bitmap = dynamic_cast<TBitmap*>(dest);
    if (!bitmap) return TGraphic::AssignTo(dest);
    bitmap->Assign(FBitmap.get()); // null empties it
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect) {
    if (FBitmap) canvas->StretchDraw(rect, FBitmap.get());
}
