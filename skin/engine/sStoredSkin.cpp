// Stored skins and their collection.
#include "skin/engine/sStoredSkin.h"

TsSkinImage::TsSkinImage(TCollection* Collection)
    : TCollectionItem(Collection), FImage(new TBitmap()) {}

TsSkinImage::~TsSkinImage() { FImage->Free(); }

void TsSkinImage::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TsSkinImage*>(Source);
    if (!source) return TCollectionItem::Assign(Source);
    FImage->Assign(source->FImage);
    static_cast<TsSkinImageValues&>(*this) = *source;
}

void TsSkinGeneral::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TsSkinGeneral*>(Source);
    if (!source) return TCollectionItem::Assign(Source);
    static_cast<TsSkinGeneralValues&>(*this) = *source;
}

TsSkinPattern::TsSkinPattern(TCollection* Collection)
    : TCollectionItem(Collection), FImage(new TJPEGImage()) {}

TsSkinPattern::~TsSkinPattern() { FImage->Free(); }

void TsSkinPattern::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TsSkinPattern*>(Source);
    if (!source) return TCollectionItem::Assign(Source);
    FImage->Assign(source->FImage);
    SectionName = source->SectionName;
    Name = source->Name;
    PropertyName = source->PropertyName;
}

TsStoredSkin::TsStoredSkin(TCollection* Collection)
    : TCollectionItem(Collection), FGeneralData(new TsSkinGenerals(this)),
      FImages(new TsSkinImages(this)), FPatterns(new TsSkinPatterns(this)),
      FMasterBitmap(new TBitmap()), FPackedData(new TMemoryStream()) {}

TsStoredSkin::~TsStoredSkin() {
    FGeneralData->Free();
    FImages->Free();
    FPatterns->Free();
    FMasterBitmap->Free();
    FPackedData->Free();
}

void TsStoredSkin::SetName(const UnicodeString& Value) {
    if (FName != Value) FName = Value;
}

void TsStoredSkin::LoadDataFromResource(HINSTANCE Instance, const UnicodeString& ResourceName) {
    TResourceStream resource(Instance, ResourceName);
    FPackedData->LoadFromStream(&resource);
}

void TsStoredSkin::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TsStoredSkin*>(Source);
    if (!source) {
        TCollectionItem::Assign(Source);
        return;
    }
    source->FPackedData->SetPosition(0);
    FPackedData->LoadFromStream(source->FPackedData);
    FName = source->FName;
    FGeneralData->Assign(source->FGeneralData);
    FImages->Assign(source->FImages);
    FPatterns->Assign(source->FPatterns);
    FMasterBitmap->Assign(source->FMasterBitmap);
    Shadow1Color = source->Shadow1Color;
    Shadow1Offset = source->Shadow1Offset;
    Shadow1Blur = source->Shadow1Blur;
    Shadow1Transparency = source->Shadow1Transparency;
    BorderColor = source->BorderColor;
    Version = source->Version;
    Author = source->Author;
    Description = source->Description;
}

TsStoredSkins::TsStoredSkins(TPersistent* AOwner)
    : TCollection(TsStoredSkin::StaticClass(), AOwner) {}

int TsStoredSkins::IndexOf(const UnicodeString& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name() == Name) return i;
    return -1;
}
