// Stored skins and their collection.
#include "skin/engine/sStoredSkin.h"

TsStoredSkin::TsStoredSkin(TCollection* Collection)
    : TCollectionItem(Collection), FPackedData(new TMemoryStream()) {}

TsStoredSkin::~TsStoredSkin() { FPackedData->Free(); }

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
