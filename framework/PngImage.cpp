// TPngImage: keeps the PNG data and the decoded picture together (see PngImage.h); the imaging
// calls are in PngCodec.cpp.
#include "framework/PngImage.h"

#include "framework/Streams.h"

namespace {

using TOwnedBitmapObject = std::unique_ptr<TBitmap, graphics_detail::TFreeObject>;

TOwnedBitmapObject CopyOf(TBitmap* source) {
    if (!source) return nullptr;
    TOwnedBitmapObject copy(new TBitmap);
    copy->Assign(source);
    return copy;
}

} // namespace

TPngImage::TPngImage() = default;
TPngImage::~TPngImage() = default;

int TPngImage::Width() const { return FBitmap ? FBitmap->Width() : 0; }
int TPngImage::Height() const { return FBitmap ? FBitmap->Height() : 0; }

void TPngImage::LoadFromBytes(std::vector<Byte>&& data) {
    TOwnedBitmapObject bitmap(new TBitmap);
    png_detail::Decode(data, *bitmap);
    FData = std::move(data);
    FBitmap = std::move(bitmap);
    Changed();
}

void TPngImage::LoadFromStream(TStream* stream) {
    const Int64 size = stream->Size() - stream->Position();
    if (size > 0x7FFFFFFF) throw EInvalidGraphic(L"PNG image is too large");
    std::vector<Byte> data(static_cast<std::size_t>(size > 0 ? size : 0));
    if (!data.empty()) stream->ReadBuffer(data.data(), NativeInt(data.size()));
    LoadFromBytes(std::move(data));
}

void TPngImage::SaveNeeded() const {
    if (!FBitmap) throw EInvalidGraphicOperation(L"Cannot save an empty PNG image");
}

void TPngImage::SaveToStream(TStream* stream) {
    SaveNeeded();
    stream->WriteBuffer(FData.data(), NativeInt(FData.size()));
}

void TPngImage::LoadFromFile(const UnicodeString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TPngImage::SaveToFile(const UnicodeString& fileName) {
    SaveNeeded(); // before the file is created
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

void TPngImage::LoadFromResourceName(HINSTANCE instance, const UnicodeString& name) {
    TResourceStream resource(instance, name);
    LoadFromStream(&resource);
}

void TPngImage::Assign(TPersistent* source) {
    if (source == this) return;
    if (!source) {
        FBitmap.reset();
        FData.clear();
    } else if (auto* image = dynamic_cast<TPngImage*>(source)) {
        FBitmap = CopyOf(image->FBitmap.get());
        FData = image->FData;
    } else {
        return TGraphic::Assign(source);
    }
    Changed();
}

void TPngImage::AssignTo(TPersistent* dest) {
    auto* bitmap = dynamic_cast<TBitmap*>(dest);
    if (!bitmap) return TGraphic::AssignTo(dest);
    bitmap->Assign(FBitmap.get()); // null empties it
}

void TPngImage::Draw(TCanvas* canvas, const TRect& rect) {
    if (FBitmap) canvas->StretchDraw(rect, FBitmap.get());
}
