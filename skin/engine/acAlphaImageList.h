// TsAlphaImageList: an image list that keeps each image's file, PNG or icon, as it was loaded
// ("ImgData" items) beside the system's 32-bit image list, which it builds from those files as
// icons with per-pixel alpha. Glyph painters fetch its pictures at full quality as 32-bit bitmaps
// (GetBitmap32) and blend them with PaintImgListItem / PaintImgListItemDC, which also draw the
// images of ordinary image lists.
//
// Classes: TsImgListItem (one image file), TsImgListItems (their collection), TsAlphaImageList.
//
// While DoubleData is set (the default) the files stay after the system list is built, so the
// list can be rebuilt and GetBitmap32 decodes the PNG itself; cleared, the files are dropped
// after the first build and the system list is the only copy. AcChanging brackets every
// rebuild and assignment, so that change handling does not run inside them. GUI thread only.
#pragma once

#include "framework/Collections.h"
#include "framework/ImageList.h"
#include "framework/Streams.h"

#include <memory>

enum TsImageFormat { ifPNG, ifICO };

class TsImgListItem : public TCollectionItem {
    CLASS_INFO(TsImgListItem, TCollectionItem)
public:
    explicit TsImgListItem(TCollection* Collection);
    ~TsImgListItem() override;
    // Copies ImageFormat, PixelFormat and the bytes of ImgData from another item; anything else
    // goes to the inherited Assign (which refuses it).
    void Assign(TPersistent* Source) override;

    TsImageFormat ImageFormat = ifPNG;
    TPixelFormat PixelFormat = pf32bit;
    // The image file's bytes verbatim (a complete PNG or icon file); owned.
    TMemoryStream* ImgData;
};

class TsAlphaImageList;

class TsImgListItems : public TCollection {
    CLASS_INFO(TsImgListItems, TCollection)
public:
    explicit TsImgListItems(TsAlphaImageList* Owner);
    TsImgListItem* Items(int Index) const;
    TsImgListItem* Add();
    TsAlphaImageList* Owner() const noexcept { return FOwner; }

private:
    TsAlphaImageList* FOwner;
};

class TsAlphaImageList : public TCustomImageList {
    CLASS_INFO(TsAlphaImageList, TCustomImageList)
public:
    explicit TsAlphaImageList(TComponent* AOwner);
    TsAlphaImageList(TComponent* AOwner, int Width, int Height);
    ~TsAlphaImageList() override;

    // Unless loading: makes the system list and builds it from the items.
    void AfterConstruction() override;
    void Loaded() override;
    void Assign(TPersistent* Source) override;
    void AssignTo(TPersistent* Dest) override;

    TsImgListItems* Items() const noexcept { return FItems.get(); }
    // The given collection's items replace this list's.
    void SetItems(TsImgListItems* Value);

    // A system list of the list's size, 32-bit colour with a mask, no background colour.
    void CreateListHandle32();
    // Rebuilds the system list from the items.
    void GenerateStdList();
    // Image Index as a 32-bit bitmap with alpha: a PNG item's own picture (resampled to Image's
    // size when it differs from the list's), else the system list's icon. False for a bad
    // index, a null Image or no system list.
    bool GetBitmap32(int Index, TBitmap* Image);
    // Adds the file's image; an error box when it is neither a PNG nor an icon file.
    void LoadFromFile(const UnicodeString& FileName);
    // Adds the file's image; False when it is no PNG or icon file, or the system list refuses it.
    bool AddImageFromFile(const UnicodeString& FileName);
    // The images of ImgList (its files when this list keeps files, else its icons) replace this
    // list's.
    void CopyImages(TsAlphaImageList* ImgList);
    // Width and height from the icon size of the system list Value (kept when it has none).
    void SetNewDimensions(HIMAGELIST Value);
    void AcBeginUpdate() noexcept { AcChanging = true; }
    void AcEndUpdate(bool DoChange);
    // DoubleData is set or the component is being designed.
    bool KeepsImageData() const;

    // Keep the items' files after the system list is built.
    bool DoubleData = true;

protected:
    void Change() override;

private:
    // Appends an icon to the system list; True when it took it. The icon stays the caller's.
    bool AppendIcon(HICON Icon);
    // Gives every image of the system list whose icon has no alpha at all an opaque alpha
    // except where it shows the key colour.
    void MakeImagesOpaque();

    std::unique_ptr<TsImgListItems, graphics_detail::TFreeObject> FItems;
    bool StdListIsGenerated = false;
    bool AcChanging = false;
};

// The kind of image file FileName is: PNG by its signature (more than 8 bytes), an icon by two
// leading zero bytes and the extension "ico" (any case). False for anything else.
bool DetectImageFormat(const UnicodeString& FileName, TsImageFormat& Format);

// One state of image ImageIndex of ImgList drawn into Bmp at (Left, Top): the list's width is
// NumGlyphs states side by side, and State beyond the last draws the last. Pictures of a
// TsAlphaImageList blend by their alpha (faded by Blend percent, tinted by Colour unless clNone,
// mirrored below when Reflected); other lists draw their image over Bmp's pixels. Size receives
// the state's size. Nothing for an empty Bmp, a list without a system list or a failed fetch.
void PaintImgListItem(TCustomImageList* ImgList, TBitmap* Bmp, int Left, int Top, int ImageIndex,
                      int Blend, TColor Colour, int State, int NumGlyphs, bool Reflected,
                      TSize& Size);
// The same onto a device context at (X, Y), through a 24-bit copy of that area.
void PaintImgListItemDC(TCustomImageList* ImgList, HDC DC, int X, int Y, int ImageIndex, int Blend,
                        TColor Colour, int State, int NumGlyphs, bool Reflected);

namespace alpha_image_list_detail {
// The colour bitmap of Icon as a 32-bit DIB (alpha 0 where the icon has none); False when the
// system gives no colour bitmap. The icon stays the caller's.
bool IconColourBitmap(HICON Icon, TBitmap& Colour);
// Any pixel of a 32-bit bitmap with a non-zero alpha byte.
bool HasAlpha(TBitmap& Bmp);
// A 32-bit bitmap without any alpha gets alpha 255 on every pixel whose 32-bit value differs
// from Key.
void OpaqueExceptKey(TBitmap& Bmp, DWORD Key);
} // namespace alpha_image_list_detail
