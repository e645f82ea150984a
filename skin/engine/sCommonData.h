// The skin link every skinned control owns (`TsCommonData`) and the common handling of the skin
// message and of the window messages that keep the link's state up to date.
//
// The link names the skin section of its control (upper case; empty until `Loaded` picks the
// default for the control class code), the manager (null: the default manager), the indexes the
// manager gave for the section (-1: none), the cache bitmap holding the control's finished image
// and the flags that drive repainting. A control is skinned only while a manager exists and the
// section has a valid index; with no manager (this build has none) every link stays unskinned
// and the controls behave as the class library's.
//
// GUI thread only.
#pragma once

#include "framework/Controls.h"
#include "skin/engine/sSkinManager.h"

#include <memory>

// A parent's background handed to painters for the transparent pixels they draw: Bmp (not
// owned, null for none) with the painted area at X, Y inside it while Ready, else FillColor
// (0xFF00FF: none).
struct TCacheInfo {
    TBitmap* Bmp = nullptr;
    Integer X = 0;
    Integer Y = 0;
    TColor FillColor = 0;
    bool Ready = false;
};

class TsCommonData : public TPersistent {
    CLASS_INFO(TsCommonData, TPersistent)
public:
    // AOwner is the skinned control, or a component that skins one (it then sets
    // FOwnerControl). With CreateCacheBmp the cache bitmap exists at once.
    TsCommonData(TComponent* AOwner, bool CreateCacheBmp);
    ~TsCommonData() override;

    // Picks the default section for COC when none is set, else re-reads the indexes; a skinned
    // control placed on a form tells the form.
    void Loaded();
    // A manager exists, the section index is valid, owner and manager are alive and, when asked,
    // the manager's skin is active.
    bool Skinned(bool CheckSkinActive = false) const;

    TsSkinManager* SkinManager() const noexcept;
    void SetSkinManager(TsSkinManager* value);
    const UnicodeString& SkinSection() const noexcept { return FSkinSection; }
    // Upper-cased; "UNKNOWN" for an empty name.
    void SetSkinSection(const UnicodeString& value);
    bool CustomColor() const noexcept { return FCustomColor; }
    void SetCustomColor(bool value) { FCustomColor = value; }
    bool CustomFont() const noexcept { return FCustomFont; }
    void SetCustomFont(bool value) { FCustomFont = value; }

    // Painting is held back (own flag, or the parent's answer to command 10).
    bool Updating() const;
    void SetUpdating(bool value) noexcept { FUpdating = value; }
    void BeginUpdate();
    void EndUpdate();
    // Marks the image stale and repaints a control that is ready for it.
    void Invalidate();
    void UpdateIndexes();
    // The control must repaint when it moves.
    bool RepaintIfMoved() const;

    TComponent* Owner() const noexcept { return FOwner; }
    TBitmap* CacheBmp() const noexcept { return FCacheBmp.get(); }
    void FreeCacheBmp() noexcept { FCacheBmp.reset(); }
    // Makes the cache bitmap (24-bit, control size) when missing and sizes it to the control.
    void PrepareCacheBmp();

    TControl* FOwnerControl = nullptr;
    int COC = 0;
    int SkinIndex = -1;
    int BorderIndex = -1;
    bool BGChanged = true;
    bool HalfVisible = true;
    bool UrgentPainting = false;
    bool FFocused = false;
    bool FMouseAbove = false;
    int GlowID = -1;
    Word CtrlSkinState = 0; // bit 0: plain background

private:
    bool OwnerDestroying() const;
    void TellOwnerSkinState();

    TComponent* FOwner;
    UnicodeString FSkinSection;
    TsSkinManager* FSkinManager = nullptr;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FCacheBmp;
    bool FUpdating = false;
    bool FCustomColor = false;
    bool FCustomFont = false;
};

// The section a link takes while its own is empty, by control class code; other codes take the
// owner's class name.
UnicodeString DefaultSectionFor(int ControlClassCode, const TComponent* Owner);

// Answers one skin command the common way; True when it set the result.
bool HandleSkinCommand(TMessage& Message, TsCommonData* Data);
// The common handling of any message of a skinned control, before its inherited procedure:
// skin commands through HandleSkinCommand, focus, mouse-over and background flags otherwise.
void HandleSkinnedMessage(TMessage& Message, TsCommonData* Data);
// The background must go through the cache: not a plain section, or the control is hot.
bool BgNeedsCache(const TsCommonData* Data);
// An enabled, live owner that has the focus or the mouse above it.
bool IsHotState(const TsCommonData* Data);
