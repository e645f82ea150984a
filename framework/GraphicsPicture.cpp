// TPicture and the picture-format registry. The registry is process-wide and small (a handful
// of formats, registered at start-up by the modules that bring them); it is a list searched
// in order, guarded by its own mutex because a module may register from any thread. Streams
// carry no file name, so a picture read from a stream is recognised by its first bytes and then
// read by the class registered for that kind's extension.
#include "framework/Graphics.h"

#include "framework/Jpeg.h"
#include "framework/PngImage.h"
#include "framework/Streams.h"

#include <algorithm>
#include <mutex>

namespace {

struct TFileFormat {
    UnicodeString Extension; // lower case, without the dot
    UnicodeString Description;
    TClass GraphicClass;
};

struct TFileFormats {
    std::mutex Lock;
    std::vector<TFileFormat> Formats; // guarded by Lock
};

TFileFormats& Registry() {
    static TFileFormats registry{{},
                                 {{L"bmp", L"Bitmaps", TBitmap::StaticClass()},
                                  {L"ico", L"Icons", TIcon::StaticClass()},
                                  {L"jpg", L"JPEG images", TJPEGImage::StaticClass()},
                                  {L"jpeg", L"JPEG images", TJPEGImage::StaticClass()},
                                  {L"png", L"PNG images", TPngImage::StaticClass()}}};
    return registry;
}

UnicodeString NormalExtension(UnicodeString extension) {
    if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);
    if (!extension.empty())
        ::CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    return extension;
}

// The extension of the kind of picture whose data starts with `head`, or empty.
UnicodeString ExtensionBySignature(const Byte* head, NativeInt length) {
    static constexpr struct {
        Byte Bytes[4];
        NativeInt Length;
        const wchar_t* Extension;
    } signatures[] = {{{'B', 'M'}, 2, L"bmp"},
                      {{0xFF, 0xD8, 0xFF}, 3, L"jpg"},
                      {{0, 0, 1, 0}, 4, L"ico"},
                      {{0x89, 'P', 'N', 'G'}, 4, L"png"}};
    for (const auto& signature : signatures)
        if (length >= signature.Length &&
            std::equal(signature.Bytes, signature.Bytes + signature.Length, head))
            return signature.Extension;
    return {};
}

UnicodeString ExtensionOf(const UnicodeString& fileName) {
    const auto dot = fileName.find_last_of(L".\\/:");
    if (dot == UnicodeString::npos || fileName[dot] != L'.') return {};
    return NormalExtension(fileName.substr(dot + 1));
}

} // namespace

void TPicture::RegisterFileFormat(const UnicodeString& extension, const UnicodeString& description,
                                  TClass graphicClass) {
    if (!graphicClass || !ClassInheritsFrom(graphicClass, TGraphic::StaticClass()))
        throw EInvalidGraphic(L"Only graphic classes can read picture files");
    const UnicodeString normal = NormalExtension(extension);
    if (normal.empty()) throw EInvalidGraphic(L"A picture file format needs an extension");
    TFileFormats& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    for (TFileFormat& format : registry.Formats)
        if (format.Extension == normal) return void(format = {normal, description, graphicClass});
    registry.Formats.push_back({normal, description, graphicClass});
}

void TPicture::UnregisterGraphicClass(TClass graphicClass) {
    TFileFormats& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    std::erase_if(registry.Formats, [graphicClass](const TFileFormat& format) {
        return ClassInheritsFrom(format.GraphicClass, graphicClass);
    });
}

TClass TPicture::GraphicClassFor(const UnicodeString& extension) {
    const UnicodeString normal = NormalExtension(extension);
    TFileFormats& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    const auto found =
        std::find_if(registry.Formats.begin(), registry.Formats.end(),
                     [&normal](const TFileFormat& format) { return format.Extension == normal; });
    return found == registry.Formats.end() ? nullptr : found->GraphicClass;
}

void TPicture::LoadFromFile(const UnicodeString& fileName) {
    const UnicodeString extension = ExtensionOf(fileName);
    const TClass graphicClass = GraphicClassFor(extension);
    if (!graphicClass)
        throw EInvalidGraphic(L"Unknown picture file extension (." + extension + L")");
    std::unique_ptr<TGraphic, graphics_detail::TFreeObject> graphic(
        static_cast<TGraphic*>(CreateInstance(graphicClass)));
    graphic->LoadFromFile(fileName);
    TakeGraphic(graphic.release());
}

void TPicture::LoadFromStream(TStream* stream) {
    Byte head[4] = {};
    const Int64 start = stream->Position();
    const NativeInt length = stream->Read(head, sizeof(head));
    stream->SetPosition(start);
    const UnicodeString extension = ExtensionBySignature(head, length);
    const TClass graphicClass = extension.empty() ? nullptr : GraphicClassFor(extension);
    if (!graphicClass) throw EInvalidGraphic(L"Unknown picture format in the stream");
    std::unique_ptr<TGraphic, graphics_detail::TFreeObject> graphic(
        static_cast<TGraphic*>(CreateInstance(graphicClass)));
    graphic->LoadFromStream(stream);
    TakeGraphic(graphic.release());
}

void TPicture::SaveToStream(TStream* stream) {
    if (FGraphic) FGraphic->SaveToStream(stream);
}

void TPicture::SaveToFile(const UnicodeString& fileName) {
    if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::TakeGraphic(TGraphic* graphic) {
    FGraphic.reset(graphic);
    if (graphic) graphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic) {
    if (graphic == FGraphic.get()) return;
    std::unique_ptr<TGraphic, graphics_detail::TFreeObject> copy;
    if (graphic) {
        copy.reset(static_cast<TGraphic*>(CreateInstance(graphic->ClassType())));
        copy->Assign(graphic);
    }
    TakeGraphic(copy.release());
}

TBitmap* TPicture::Bitmap() {
    if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get())) return bitmap;
    auto* bitmap = new TBitmap;
    TakeGraphic(bitmap);
    return bitmap;
}

void TPicture::Assign(TPersistent* source) {
    if (!source) return SetGraphic(nullptr);
    if (auto* picture = dynamic_cast<TPicture*>(source)) return SetGraphic(picture->Graphic());
    if (auto* graphic = dynamic_cast<TGraphic*>(source)) return SetGraphic(graphic);
    TPersistent::Assign(source);
}

void TPicture::Changed(TObject*) { OnChange(this); }
