// The imaging calls behind TPngImage: the Windows Imaging Component's PNG decoder reads the data
// from memory, and a format converter hands the first frame over as 32-bit blue-green-red-alpha
// rows with straight alpha, which is the byte order of a 32-bit DIB row.
//
// COM is entered for the call (apartment-threaded) and left again when this call entered it; a
// thread already in the other apartment kind keeps it, as the imaging factory works in both.
// A failed call is reported with its name and its HRESULT.
#include "framework/PngImage.h"

#include "framework/Conversions.h"
#include "framework/Interfaces.h"
#include "framework/PictureLimits.h"

#include <algorithm>
#include <iterator>

#include <objbase.h>
#include <wincodec.h>

namespace {

class TComScope {
public:
    TComScope() : FEntered(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~TComScope() {
        if (FEntered) ::CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    bool FEntered;
};

void Check(HRESULT result, const wchar_t* call) {
    if (FAILED(result))
        throw EInvalidGraphic(UnicodeString(L"PNG image cannot be decoded: ") + call +
                              L" failed (0x" + IntToHex(static_cast<unsigned long>(result), 8) +
                              L")");
}

TComPtr<IWICImagingFactory> Factory() {
    TComPtr<IWICImagingFactory> factory;
    Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Put())),
          L"CoCreateInstance(WICImagingFactory)");
    return factory;
}

// The first frame of the PNG in `data`, converted to 32-bit BGRA.
TComPtr<IWICBitmapSource> FirstFrame(IWICImagingFactory* factory, const std::vector<Byte>& data) {
    TComPtr<IWICStream> stream;
    Check(factory->CreateStream(stream.Put()), L"IWICImagingFactory::CreateStream");
    Check(stream->InitializeFromMemory(const_cast<Byte*>(data.data()),
                                       static_cast<DWORD>(data.size())),
          L"IWICStream::InitializeFromMemory");
    TComPtr<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, decoder.Put()),
          L"IWICImagingFactory::CreateDecoder");
    Check(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand),
          L"IWICBitmapDecoder::Initialize");
    TComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.Put()), L"IWICBitmapDecoder::GetFrame");
    TComPtr<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.Put()),
          L"IWICImagingFactory::CreateFormatConverter");
    Check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom),
          L"IWICFormatConverter::Initialize");
    return TComPtr<IWICBitmapSource>(converter.Get());
}

void CopyRows(IWICBitmapSource* source, TBitmap& target) {
    UINT width = 0, height = 0;
    Check(source->GetSize(&width, &height), L"IWICBitmapSource::GetSize");
    if (width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF)
        throw EInvalidGraphic(L"PNG image has an unusable size");
    CheckPictureSize(width, height, L"PNG");
    target.SetPixelFormat(pf32bit);
    target.SetSize(static_cast<int>(width), static_cast<int>(height));
    const UINT stride = width * 4;
    for (UINT y = 0; y < height; ++y) {
        const WICRect row{0, static_cast<INT>(y), static_cast<INT>(width), 1};
        Check(source->CopyPixels(&row, stride, stride,
                                 static_cast<BYTE*>(target.ScanLine(static_cast<int>(y)))),
              L"IWICBitmapSource::CopyPixels");
    }
    target.SetAlphaFormat(afDefined);
}

} // namespace

void png_detail::Decode(const std::vector<Byte>& data, TBitmap& target) {
    if (data.size() < sizeof(Signature) ||
        !std::equal(std::begin(Signature), std::end(Signature), data.begin()))
        throw EInvalidGraphic(L"PNG image cannot be decoded: the data has no PNG signature");
    if (data.size() > 0x7FFFFFFF) throw EInvalidGraphic(L"PNG image is too large");
    TComScope com;
    TComPtr<IWICImagingFactory> factory = Factory();
    CopyRows(FirstFrame(factory.Get(), data).Get(), target);
}
