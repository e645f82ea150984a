// TsAlphaImageList's life, building of the system list from the files, files added and lists
// copied (see acAlphaImageList.h).
#include "skin/engine/acAlphaImageList.h"

#include "skin/engine/acPNG.h"
#include "skin/engine/sGeneralUtils.h"

#include <shellapi.h>

using namespace alpha_image_list_detail;

namespace {

using TOwnedPicture = std::unique_ptr<TPNGGraphic, graphics_detail::TFreeObject>;

// The icon of a PNG file's bytes (read from their start).
TOwnedIcon PngIcon(TStream* Data) {
    TOwnedPicture png(new TPNGGraphic);
    Data->SetPosition(0);
    png->LoadFromStream(Data);
    return TOwnedIcon(png->MakeIcon(false));
}

// The first image of an icon file's bytes, or none when the directory or the entry it names does
// not fit the data.
TOwnedIcon FirstIcon(TMemoryStream* Data) {
    const auto* bytes = static_cast<const Byte*>(Data->Memory());
    const Int64 size = Data->Size();
    constexpr int DirectorySize = 6, EntrySize = 16;
    if (size < DirectorySize + EntrySize || (bytes[4] | bytes[5] << 8) == 0) return TOwnedIcon();
    const Byte* entry = bytes + DirectorySize; // the first image's entry
    auto dword = [](const Byte* p) {
        return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
    };
    const DWORD length = dword(entry + 8), offset = dword(entry + 12);
    if (offset > size || length > size - offset) return TOwnedIcon();
    return TOwnedIcon(CreateIconFromResourceEx(const_cast<Byte*>(bytes + offset), length, TRUE,
                                               0x00030000, 0, 0, LR_DEFAULTCOLOR));
}

} // namespace

TsAlphaImageList::TsAlphaImageList(TComponent* AOwner)
    : TCustomImageList(AOwner), FItems(new TsImgListItems(this)) {}

TsAlphaImageList::TsAlphaImageList(TComponent* AOwner, int Width, int Height)
    : TCustomImageList(AOwner, Width, Height), FItems(new TsImgListItems(this)) {}

TsAlphaImageList::~TsAlphaImageList() = default;

void TsAlphaImageList::AfterConstruction() {
    TCustomImageList::AfterConstruction();
    if (ComponentState().Contains(csLoading)) return;
    CreateListHandle32();
    if (!StdListIsGenerated) GenerateStdList();
}

void TsAlphaImageList::Loaded() {
    TCustomImageList::Loaded();
    CreateListHandle32();
    if (!StdListIsGenerated) {
        GenerateStdList();
        StdListIsGenerated = true;
    }
}

bool TsAlphaImageList::KeepsImageData() const {
    return DoubleData || ComponentState().Contains(csDesigning);
}

void TsAlphaImageList::SetItems(TsImgListItems* Value) { FItems->Assign(Value); }

void TsAlphaImageList::CreateListHandle32() {
    SetColorDepth(cd32Bit);
    SetMasked(true);
    SetBkColor(clNone);
    Handle();
}

bool TsAlphaImageList::AppendIcon(HICON Icon) {
    return Icon && ImageList_ReplaceIcon(Handle(), -1, Icon) >= 0;
}

void TsAlphaImageList::GenerateStdList() {
    if (!HandleAllocated()) return;
    AcChanging = true;
    try {
        ImageList_RemoveAll(Handle());
        for (int i = 0; i < FItems->Count(); ++i) {
            TsImgListItem* item = FItems->Items(i);
            if (item->ImageFormat == ifPNG) {
                AppendIcon(PngIcon(item->ImgData).Get());
            } else {
                AppendIcon(FirstIcon(item->ImgData).Get());
            }
        }
        if (FItems->Count() > 0) {
            StdListIsGenerated = true;
            if (!KeepsImageData()) FItems->Clear(); // the system list is the only copy now
        }
    } catch (...) {
        AcChanging = false;
        throw;
    }
    AcChanging = false;
}

void TsAlphaImageList::AcEndUpdate(bool DoChange) {
    AcChanging = false;
    if (DoChange) Change();
}

void TsAlphaImageList::Change() {
    if (AcChanging) return;
    TCustomImageList::Change();
    if (!HandleAllocated() || !StdListIsGenerated) return;
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) return;
    if (KeepsImageData() && FItems->Count() >= Count()) {
        if (FItems->Count() > Count()) {
            AcChanging = true;
            try {
                GenerateStdList();
            } catch (...) {
                AcChanging = false;
                throw;
            }
            AcChanging = false;
        }
        return;
    }
    MakeImagesOpaque();
}

void TsAlphaImageList::MakeImagesOpaque() {
    for (int i = 0; i < Count(); ++i) {
        const TOwnedIcon icon(ImageList_GetIcon(Handle(), i, ILD_NORMAL));
        TBitmap colour;
        if (!icon || !IconColourBitmap(icon.Get(), colour) || HasAlpha(colour)) continue;
        OpaqueExceptKey(colour, DWORD(TransparentKeyColor));
        ICONINFO info{};
        if (!GetIconInfo(icon.Get(), &info)) continue;
        const TOwnedBitmap mask(info.hbmMask), oldColour(info.hbmColor);
        ICONINFO made{TRUE, 0, 0, mask.Get(), colour.Handle()};
        const TOwnedIcon opaque(CreateIconIndirect(&made));
        if (opaque) ImageList_ReplaceIcon(Handle(), i, opaque.Get());
    }
}

bool TsAlphaImageList::AddImageFromFile(const UnicodeString& FileName) {
    TsImageFormat format;
    if (!HandleAllocated() || !DetectImageFormat(FileName, format)) return false;
    TOwnedIcon icon;
    if (format == ifICO) {
        icon.Reset(ExtractIconW(GetModuleHandleW(nullptr), FileName.c_str(), 0));
    } else {
        TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
        icon = PngIcon(&file);
    }
    if (KeepsImageData()) {
        TsImgListItem* item = FItems->Add();
        item->ImgData->LoadFromFile(FileName);
        item->ImageFormat = format;
        TBitmap colour;
        item->PixelFormat =
            format == ifICO && !(icon && IconColourBitmap(icon.Get(), colour) && HasAlpha(colour))
                ? pf24bit
                : pf32bit;
    }
    const bool added = AppendIcon(icon.Get());
    Change();
    return added;
}

void TsAlphaImageList::LoadFromFile(const UnicodeString& FileName) {
    TsImageFormat format;
    if (!DetectImageFormat(FileName, format)) {
        ShowErrorMessage(L"Cannot load " + FileName + L"\r\nInvalid or unexpected image format.");
        return;
    }
    AddImageFromFile(FileName);
}

void TsAlphaImageList::CopyImages(TsAlphaImageList* ImgList) {
    if (!HandleAllocated() || !ImgList) return;
    ImgList->SetBkColor(clNone);
    if (KeepsImageData()) {
        FItems->Clear();
        for (int i = 0; i < ImgList->FItems->Count(); ++i)
            FItems->Add()->Assign(ImgList->FItems->Items(i));
        GenerateStdList();
        return;
    }
    ImageList_RemoveAll(Handle());
    SetBkColor(clNone);
    for (int i = 0; i < ImgList->Count(); ++i) {
        const TOwnedIcon icon(ImageList_GetIcon(ImgList->Handle(), i, ILD_TRANSPARENT));
        AppendIcon(icon.Get());
    }
}

void TsAlphaImageList::SetNewDimensions(HIMAGELIST Value) {
    int width = 0, height = 0;
    if (!Value || !ImageList_GetIconSize(Value, &width, &height)) return;
    SetWidth(width);
    SetHeight(height);
}

namespace {

// Settings, size, an empty system list and the images of Source copied into Dest.
void CopyList(TsAlphaImageList* Dest, TsAlphaImageList* Source) {
    Dest->AcBeginUpdate();
    try {
        Dest->Clear();
        Dest->SetMasked(Source->Masked());
        Dest->SetImageType(Source->ImageType());
        Dest->SetDrawingStyle(Source->DrawingStyle());
        Dest->SetNewDimensions(Source->HandleAllocated() ? Source->Handle() : nullptr);
        Dest->CreateListHandle32();
        Dest->SetBkColor(Source->BkColor());
        Dest->SetBlendColor(Source->BlendColor());
        Dest->CopyImages(Source);
    } catch (...) {
        Dest->AcEndUpdate(false);
        throw;
    }
    Dest->AcEndUpdate(false);
}

} // namespace

void TsAlphaImageList::Assign(TPersistent* Source) {
    if (!Source) return Clear();
    if (auto* list = dynamic_cast<TsAlphaImageList*>(Source)) return CopyList(this, list);
    TCustomImageList::Assign(Source);
}

void TsAlphaImageList::AssignTo(TPersistent* Dest) {
    if (auto* list = dynamic_cast<TsAlphaImageList*>(Dest)) return CopyList(list, this);
    TCustomImageList::AssignTo(Dest);
}
