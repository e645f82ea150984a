// Image lists: TCustomImageList and TImageList over the system's HIMAGELIST, and TChangeLink,
// through which controls that show a list's images learn that they changed.
//
// The system's list is made when first needed, with the present Width, Height, ColorDepth,
// Masked and AllocBy. The system cannot change the image size, colour depth or masking of a
// list that holds images, so changing one of these once the list exists empties it (as the
// system does for the size); set them before adding images.
//
// Every change of the images or of a property that changes how they look calls Change: the
// list's OnChange, then every registered change link's OnChange. A link and its list may be
// freed in either order.
#pragma once

#include "framework/Components.h"
#include "framework/Graphics.h"

#include <commctrl.h>

#include <vector>

class TCustomImageList;

// How Draw blends an image: with the focus (25%) or selection (50%) blend of BlendColor, as it
// is, or transparently.
enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
// Draw the image or its mask.
enum TImageType { itImage, itMask };
// Colour depth of the stored images; cd32Bit keeps per-pixel alpha.
enum TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };

class TChangeLink : public TObject {
    CLASS_INFO(TChangeLink, TObject)
public:
    ~TChangeLink() override;
    // The list this link is registered with, or null.
    TCustomImageList* Sender() const noexcept { return FSender; }
    // Fires OnChange.
    virtual void Change();

    TNotifyEvent OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
    CLASS_INFO(TCustomImageList, TComponent)
public:
    // 16 x 16, masked, 32 bits per pixel, growing by 4 images.
    explicit TCustomImageList(TComponent* owner);
    TCustomImageList(TComponent* owner, int width, int height);
    ~TCustomImageList() override;

    HIMAGELIST Handle();
    bool HandleAllocated() const noexcept { return static_cast<bool>(FHandle); }

    int Width() const noexcept { return FWidth; }
    void SetWidth(int width);
    int Height() const noexcept { return FHeight; }
    void SetHeight(int height);
    int Count() const;
    // The colour behind images drawn with dsNormal; clNone draws them transparently.
    TColor BkColor() const noexcept { return FBkColor; }
    void SetBkColor(TColor color);
    // The colour dsFocus and dsSelected blend with: clNone blends with what lies under the
    // image, clDefault with the system's highlight colour.
    TColor BlendColor() const noexcept { return FBlendColor; }
    void SetBlendColor(TColor color);
    TDrawingStyle DrawingStyle() const noexcept { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle style);
    TImageType ImageType() const noexcept { return FImageType; }
    void SetImageType(TImageType type);
    bool Masked() const noexcept { return FMasked; }
    void SetMasked(bool masked);
    // How many images the system's list grows by; applies to a list made after the change.
    int AllocBy() const noexcept { return FAllocBy; }
    void SetAllocBy(int count);
    TColorDepth ColorDepth() const noexcept { return FColorDepth; }
    void SetColorDepth(TColorDepth depth);

    // Add answer the index of the first image added: a bitmap wider than Width adds one image
    // per Width pixels. The list copies the pixels; the bitmaps stay the caller's (their
    // canvases let go of their DCs, as the system selects the bitmaps into one of its own).
    int Add(TBitmap* image, TBitmap* mask);
    // The pixels of `maskColor` become transparent.
    int AddMasked(TBitmap* image, TColor maskColor);
    int AddIcon(TIcon* icon);
    void Replace(int index, TBitmap* image, TBitmap* mask);
    void Delete(int index);
    void Clear();

    // Draws with DrawingStyle and ImageType; a disabled image is drawn greyed (desaturated).
    // An index outside the list draws nothing (-1 is the usual "no image").
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
              bool enabled = true);
    // Makes `image` Width x Height (keeping its pixel format), fills it with BkColor (black
    // for clNone) and draws the image over it.
    void GetBitmap(int index, TBitmap* image);
    // The image and its mask as an icon.
    void GetIcon(int index, TIcon* icon);

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    using TOwnedImageList = TOwnedBy<HIMAGELIST, &::ImageList_Destroy>;

    void CheckIndex(int index) const;
    UINT CreateFlags() const;
    // Drops the system's list (and its images); the next use makes a new one.
    void ResetHandle();

    TOwnedImageList FHandle;
    int FWidth = 16;
    int FHeight = 16;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    TImageType FImageType = itImage;
    bool FMasked = true;
    int FAllocBy = 4;
    TColorDepth FColorDepth = cd32Bit;
    std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
    CLASS_INFO(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;
};
