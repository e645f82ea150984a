// The skin link every skinned control owns (`TsCommonData`), the common handling of the skin
// message and of the window messages that keep the link's state up to date, and the background
// queries between a control and its parent.
//
// The link names the skin section of its control (upper case; empty until `Loaded` picks the
// default for the control class code), the manager (null: the default manager), the indexes the
// manager gave for the section (-1: none), the cache bitmap holding the control's finished image
// and the flags that drive repainting. A control is skinned only while a manager exists and the
// section has a valid index. Every query answers a neutral value (not skinned, 0xFF00FF or the
// button-face colour, index -1) when the manager, the section, the owner or the parent is missing.
//
// GUI thread only. Handlers send commands to parents and children while they run, and a child
// may ask its parent back.
#pragma once

#include "framework/Controls.h"
#include "skin/engine/sSkinManager.h"

#include <memory>

class TsCommonData : public TPersistent {
    CLASS_INFO(TsCommonData, TPersistent)
public:
    // AOwner is the skinned control, or an object that skins one (a form provider, a window
    // handler; it then sets FOwnerControl). With CreateCacheBmp the cache bitmap exists at once.
    TsCommonData(TObject* AOwner, bool CreateCacheBmp);
    ~TsCommonData() override;

    // Picks the default section for COC when none is set, else re-reads the indexes; a skinned
    // windowed control placed on a form tells the form, an edit takes the section's colours.
    void Loaded();
    // A manager exists, the section index is valid, owner and manager are alive and, when asked,
    // the manager's skin is active.
    bool Skinned(bool CheckSkinActive = false) const;

    // The linked manager, or the default manager when none is linked; may be null.
    TsSkinManager* SkinManager() const noexcept;
    // Links Value (the default manager is linked as none) and tells the owner: command 3 when
    // the section is valid for it, else 2.
    void SetSkinManager(TsSkinManager* value);
    const UnicodeString& SkinSection() const noexcept { return FSkinSection; }
    // Upper-cased; "UNKNOWN" for an empty name; the same text again changes nothing.
    void SetSkinSection(const UnicodeString& value);
    // The owner keeps its own background colour / font colour.
    bool CustomColor() const noexcept { return FCustomColor; }
    void SetCustomColor(bool value);
    bool CustomFont() const noexcept { return FCustomFont; }
    void SetCustomFont(bool value);
    // A section picked by COC when the link has none; else the indexes are re-read.
    void SetDefaultSection();

    // Painting is held back: the own flag, or the parent's answer to command 10.
    bool Updating() const;
    void SetUpdating(bool value) noexcept { FUpdating = value; }
    void BeginUpdate();
    void EndUpdate();
    // Marks the image stale and repaints a control that is ready for it.
    void Invalidate();
    void UpdateIndexes();
    // The control must repaint when it moves.
    bool RepaintIfMoved() const;
    // The parent's background has a gradient or an image.
    bool ParentTextured() const;

    TObject* Owner() const noexcept { return FOwnerObject; }
    TBitmap* CacheBmp() const noexcept { return FCacheBmp.get(); }
    // Empties the cache bitmap (0 x 0) when there is one.
    void EmptyCacheBmp();
    void FreeCacheBmp() noexcept { FCacheBmp.reset(); }
    // Make the cache bitmap when missing (24-bit) and size it to the control; InitCacheBmp
    // also forces 24 bits on an existing one.
    void InitCacheBmp();
    void PrepareCacheBmp();

    TControl* FOwnerControl = nullptr;
    int COC = 0;
    int SkinIndex = -1;
    int BorderIndex = -1;
    int Texture = -1;
    int HotTexture = -1;
    // A graphic control being painted through this link (set by the link's users).
    TControl* GraphControl = nullptr;
    bool BGChanged = true;
    bool HalfVisible = true;
    bool UrgentPainting = false;
    bool FFocused = false;
    bool FMouseAbove = false;
    int GlowID = -1;
    // A window region kept for the owner.
    HRGN FRegion = nullptr;
    Word CtrlSkinState = 0; // bit 0: plain background
    Word BGType = 0;        // 4: an image; bits 0..1: the first gradient band's kind

private:
    bool OwnerDestroying() const;
    bool OwnerLoading() const;
    void TellOwnerSkinState();

    TObject* FOwnerObject;
    UnicodeString FSkinSection;
    TsSkinManager* FSkinManager = nullptr;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FCacheBmp;
    bool FUpdating = false;
    bool FCustomColor = false;
    bool FCustomFont = false;
};

// The section a link takes while its own is empty, by control class code; other codes take the
// owner's class name.
UnicodeString DefaultSectionFor(int ControlClassCode, const TObject* Owner);
// The three sets of control class codes.
bool IsHoverlessClass(int ControlClassCode);
bool IsFocusFrameClass(int ControlClassCode);
bool IsGlowlessClass(int ControlClassCode);

// Answers one skin command the common way; True when it set the result.
bool HandleSkinCommand(TMessage& Message, TsCommonData* Data);
// The common handling of any message of a skinned control, before its inherited procedure:
// skin commands through HandleSkinCommand, focus, mouse-over and background flags otherwise.
// True when the message needs no further handling.
bool HandleSkinnedMessage(TMessage& Message, TsCommonData* Data);
// The background must go through the cache: not a plain section, the control is hot, or a form
// animates.
bool BgNeedsCache(const TsCommonData* Data);
// An enabled, live owner that has the focus, or the mouse above it (unless hover-less).
bool IsHotState(const TsCommonData* Data);
// BGType from the section's image and first gradient band.
void UpdateBgType(TsCommonData* Data);
// The background is not one plain colour.
bool HasComplexBg(const TsCommonData* Data);
// Recomputes bit 0 of CtrlSkinState (containers only); with Recurse also every child's.
void UpdateCtrlSkinState(TsCommonData* Data, bool Recurse);
bool SectionHasTransparency(const TsCommonData* Data);
// The widest side of the section's border mask; 0 without one or with no border in state 0.
int MaxBorderWidth(const TsCommonData* Data);
// The background colour (Hot: the section's hot values); Wnd stands for a window-less owner.
TColor ControlBgColor(const TsCommonData* Data, bool Hot, HWND Wnd);
// The answer to command 34 (Hot: the section's hot values).
void QueryBgInfo(TsCommonData* Data, TacBackgroundInfo& Info, bool Hot, HWND Wnd);
// The section whose font colours a transparent control uses: its parent's, climbing past
// parents more than half transparent, when that section gives its own font; else Default.
int ParentFontSkinIndex(TControl* Control, int Default, TsSkinManager* Manager);
// The parent's background as a cache description.
void ParentCacheInfoOf(const TsCommonData* Data, TCacheInfo& CacheInfo);
void ParentCacheInfoOfWnd(HWND Wnd, TCacheInfo& CacheInfo);

// Copies DstRect of the link's cache bitmap (from SrcRect's top-left) into DC, leaving out the
// places of Ctrl's visible children that overlap DstRect and paint over it themselves: graphic
// and opaque children, and any child while designing (never a skinned splitter, which shows the
// background). Nothing without a cache bitmap. With RepairCorners the cache's border corners are
// first laid again over the parent's background in the normal state.
void BitBltBgExceptControls(TWinControl* Ctrl, TsCommonData* Link, const TRect& SrcRect,
                            const TRect& DstRect, HDC DC, bool RepairCorners = false);
// The same for the visible child windows of Wnd (DC in Wnd's window coordinates). Of a group box
// only its frame is left out: the caption strip (as high as its answer to command 27) and the
// side and bottom strips as wide as the default manager's group-box border; without a default
// manager nothing of it.
void BitBltBgExceptWindows(HWND Wnd, TsCommonData* Link, const TRect& SrcRect, const TRect& DstRect,
                           HDC DC, bool RepairCorners = false);

// ---- background queries ----------------------------------------------------------------------

// Asks Wnd (command 34) for its background; True when it answered. Without an answer: with
// DrawRequested set on entry the window paints itself into Info.DC at Info.R (moved by Offset),
// otherwise Info becomes the skin's global colour.
bool AskWindowBackground(TacBackgroundInfo& Info, HWND Wnd, bool PleaseDraw);
// The same for a control; the colour fallback is the control's answer to command 21 or its
// Color.
bool AskControlBackground(TacBackgroundInfo& Info, TControl* Control, bool PleaseDraw);
void BackgroundToCacheInfo(const TacBackgroundInfo& Info, TCacheInfo& CI);
// Cuts Parent's visible graphic children (skinned splitters excepted) out of DC's clip region,
// Parent's origin being at (OffsetX, OffsetY) of DC, so that a parent painting its background
// leaves them alone.
void ExcludeGraphicChildren(HDC DC, TWinControl* Parent, int OffsetX, int OffsetY);
// The control is a skinned splitter (of the skinned controls' library, known here by class name
// only): splitters show the background through and are never cut out of it.
bool IsSkinnedSplitter(const TControl* Control);
