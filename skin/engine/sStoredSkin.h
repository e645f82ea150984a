// Internal skins: skins stored with the skin manager in the form that holds it.
//
// A stored skin whose "Data" holds bytes is a packed internal skin: the bytes of a ".asz"
// archive. Forms are built in code rather than streamed, so a form gives its manager an internal
// skin by adding an item and reading "Data" from a resource of the program (an RCDATA holding
// the archive) while the form is loading.
#pragma once

#include "framework/Collections.h"
#include "framework/Graphics.h"
#include "framework/Streams.h"

class TsStoredSkin : public TCollectionItem {
    CLASS_INFO(TsStoredSkin, TCollectionItem)
public:
    explicit TsStoredSkin(TCollection* Collection);
    ~TsStoredSkin() override;

    const UnicodeString& Name() const noexcept { return FName; }
    void SetName(const UnicodeString& Value);
    // The binary property "Data": the packed archive bytes (empty for no packed skin).
    TMemoryStream* PackedData() const noexcept { return FPackedData; }
    // "Data" := the bytes of the RCDATA resource `ResourceName` of `Instance`; EResNotFound when
    // the module has none.
    void LoadDataFromResource(HINSTANCE Instance, const UnicodeString& ResourceName);

    TColor Shadow1Color = 0;
    Integer Shadow1Offset = 0;
    Integer Shadow1Blur = -1;
    Integer Shadow1Transparency = 0;
    TColor BorderColor = static_cast<TColor>(0xFF00FF);
    double Version = 0;
    UnicodeString Author;
    UnicodeString Description;

    // Copies another stored skin's bytes, name and values.
    void Assign(TPersistent* Source) override;

private:
    UnicodeString FName;
    TMemoryStream* FPackedData;
};

class TsStoredSkins : public TCollection {
    CLASS_INFO(TsStoredSkins, TCollection)
public:
    explicit TsStoredSkins(TPersistent* AOwner);

    TsStoredSkin* Items(int Index) const {
        return static_cast<TsStoredSkin*>(TCollection::Items(Index));
    }
    TsStoredSkin* Add() { return static_cast<TsStoredSkin*>(TCollection::Add()); }
    // The first item whose Name equals Name exactly; -1 when none.
    int IndexOf(const UnicodeString& Name) const;
    // Assigning a whole collection does nothing: internal skins are given item by item.
    void Assign(TPersistent*) override {}
};
