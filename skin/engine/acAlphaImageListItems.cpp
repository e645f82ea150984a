// The image files of an alpha image list (see acAlphaImageList.h) and how a file's kind is told.
#include "skin/engine/acAlphaImageList.h"

#include "skin/engine/acPNG.h"

#include <cstring>

TsImgListItem::TsImgListItem(TCollection* Collection)
    : TCollectionItem(Collection), ImgData(new TMemoryStream) {}

TsImgListItem::~TsImgListItem() { ImgData->Free(); }

void TsImgListItem::Assign(TPersistent* Source) {
    auto* item = dynamic_cast<TsImgListItem*>(Source);
    if (!item) return TCollectionItem::Assign(Source);
    ImageFormat = item->ImageFormat;
    PixelFormat = item->PixelFormat;
    ImgData->LoadFromStream(item->ImgData);
}

TsImgListItems::TsImgListItems(TsAlphaImageList* Owner)
    : TCollection(TsImgListItem::StaticClass(), Owner), FOwner(Owner) {}

TsImgListItem* TsImgListItems::Items(int Index) const {
    return static_cast<TsImgListItem*>(TCollection::Items(Index));
}

TsImgListItem* TsImgListItems::Add() { return static_cast<TsImgListItem*>(TCollection::Add()); }

namespace {

// More bytes than Count left in the file and the first Count of them equal Bytes.
bool FileStartsWith(const UnicodeString& FileName, const Byte* Bytes, int Count) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    Byte head[8];
    return stream.Size() > Count && stream.Read(head, Count) == Count &&
           std::memcmp(head, Bytes, Count) == 0;
}

UnicodeString LowerExtension(const UnicodeString& FileName) {
    const auto dot = FileName.find_last_of(L".\\/:");
    if (dot == UnicodeString::npos || FileName[dot] != L'.') return {};
    UnicodeString extension = FileName.substr(dot + 1);
    if (!extension.empty())
        ::CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    return extension;
}

} // namespace

bool DetectImageFormat(const UnicodeString& FileName, TsImageFormat& Format) {
    static constexpr Byte Signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    static constexpr Byte IconStart[2] = {0, 0};
    if (FileStartsWith(FileName, Signature, 8)) return Format = ifPNG, true;
    if (FileStartsWith(FileName, IconStart, 2) && LowerExtension(FileName) == L"ico")
        return Format = ifICO, true;
    return false;
}
