// Internal skins: skins stored with the skin manager in the form that holds it.
//
// A stored skin whose "Data" holds bytes is a packed internal skin: the bytes of a ".asz"
// archive. Forms are built in code rather than streamed, so a form gives its manager an internal
// skin by adding an item and reading "Data" from a resource of the program (an RCDATA holding
// the archive) while the form is loading. A stored skin without bytes is an old-style internal
// skin: its sections, images and patterns are items of three collections, beside a master
// bitmap of its own.
#pragma once

#include "framework/Collections.h"
#include "framework/Graphics.h"
#include "framework/Jpeg.h"
#include "framework/Streams.h"

// One image of an old-style internal skin: a rectangle of the master bitmap, or (with a Name)
// a bitmap of its own in Image.
struct TsSkinImageValues {
    UnicodeString SectionName;
    UnicodeString Name;
    UnicodeString PropertyName;
    Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
    Integer ImageCount = 0;
    Integer MaskType = 0;
    Integer BorderWidth = 0;
    Integer StretchMode = 0;
    Integer ImgType = 0;
    Integer WL = 0, WR = 0, WT = 0, WB = 0;
};

class TsSkinImage : public TCollectionItem, public TsSkinImageValues {
    CLASS_INFO(TsSkinImage, TCollectionItem)
public:
    explicit TsSkinImage(TCollection* Collection);
    ~TsSkinImage() override;
    void Assign(TPersistent* Source) override;

    TBitmap* Image() const noexcept { return FImage; }
    void SetImage(TBitmap* Value) { FImage->Assign(Value); }

private:
    TBitmap* FImage;
};

// One section of an old-style internal skin. The font colours are texts of five blank-separated
// numbers: the main colour, then the outlines left, top, right and bottom.
struct TsSkinGeneralValues {
    UnicodeString SectionName;
    UnicodeString ParentClass;
    TColor Color = 0;
    bool ReservedBoolean = false;
    UnicodeString FontColor;
    UnicodeString HotFontColor;
    Integer Transparency = 0;
    Integer GlowCount = 0;
    Integer GlowMargin = 0;
    Integer GradientPercent = 0;
    UnicodeString GradientData;
    Integer ImagePercent = 0;
    bool ShowFocus = false;
    bool FadingEnabled = false;
    Integer FadingIterations = 0;
    TColor HotColor = 0;
    Integer HotTransparency = 0;
    Integer HotGradientPercent = 0;
    UnicodeString HotGradientData;
    Integer HotImagePercent = 0;
    UnicodeString Name;
    bool GiveOwnFont = false;
};

class TsSkinGeneral : public TCollectionItem, public TsSkinGeneralValues {
    CLASS_INFO(TsSkinGeneral, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    // Copies every value, so that copying a stored skin loses none of its sections.
    void Assign(TPersistent* Source) override;
};

// One JPEG pattern of an old-style internal skin; an empty Image shares the image of another
// item of the same Name.
class TsSkinPattern : public TCollectionItem {
    CLASS_INFO(TsSkinPattern, TCollectionItem)
public:
    explicit TsSkinPattern(TCollection* Collection);
    ~TsSkinPattern() override;
    void Assign(TPersistent* Source) override;

    UnicodeString SectionName;
    TJPEGImage* Image() const noexcept { return FImage; }
    void SetImage(TJPEGImage* Value) { FImage->Assign(Value); }
    UnicodeString Name;
    UnicodeString PropertyName;

private:
    TJPEGImage* FImage;
};

// The three collections of an old-style internal skin, owned by their stored skin.
template <class Item> class TsStoredItems : public TCollection {
public:
    explicit TsStoredItems(TPersistent* AOwner) : TCollection(Item::StaticClass(), AOwner) {}
    Item* Items(int Index) const { return static_cast<Item*>(TCollection::Items(Index)); }
    Item* Add() { return static_cast<Item*>(TCollection::Add()); }
};
using TsSkinImages = TsStoredItems<TsSkinImage>;
using TsSkinGenerals = TsStoredItems<TsSkinGeneral>;
using TsSkinPatterns = TsStoredItems<TsSkinPattern>;

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
    // The old-style skin.
    TsSkinGenerals* GeneralData() const noexcept { return FGeneralData; }
    TsSkinImages* Images() const noexcept { return FImages; }
    TsSkinPatterns* Patterns() const noexcept { return FPatterns; }
    TBitmap* MasterBitmap() const noexcept { return FMasterBitmap; }
    void SetMasterBitmap(TBitmap* Value) { FMasterBitmap->Assign(Value); }

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
    TsSkinGenerals* FGeneralData;
    TsSkinImages* FImages;
    TsSkinPatterns* FPatterns;
    TBitmap* FMasterBitmap;
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
