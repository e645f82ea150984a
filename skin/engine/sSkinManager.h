// The skin manager as the skinned controls see it, and the process-wide state of skinning.
//
// This build carries no skin engine: no manager ever holds an active skin, `DefaultSkinManager`
// stays null and every query answers "no skin" (no section, no fading, the default button
// events). The declarations are those the controls call, so that their skinned branches are
// written against the real interface and stay unreachable until a manager exists.
#pragma once

#include "framework/Components.h"
#include "framework/Graphics.h"
#include "skin/engine/sConst.h"

class TsSkinManager : public TComponent {
    CLASS_INFO(TsSkinManager, TComponent)
public:
    using TComponent::TComponent;

    // The skin data is loaded and active.
    bool SkinActive() const noexcept { return false; }
    // The manager is switched on and names a skin.
    bool Active() const noexcept { return false; }
    // The index of a section, -1 when the skin has none of that name.
    int GetSkinIndex(const UnicodeString& Name) const;
    bool IsValidSkinIndex(int Index) const noexcept;
    // The button events that fade when a control defers to the manager (aeGlobalDef).
    TacBtnEvents ButtonEvents() const noexcept { return FButtonEvents; }
    void SetButtonEvents(TacBtnEvents value) noexcept { FButtonEvents = value; }
    // Section values of the fade: whether the section fades and in how many frames.
    bool FadingEnabled(int SkinIndex) const noexcept;
    int FadingIterations(int SkinIndex) const noexcept;
    // The font colour of controls without a section of their own; 0xFF00FF when unknown.
    TColor GlobalFontColor() const noexcept { return static_cast<TColor>(0xFF00FF); }

private:
    TacBtnEvents FButtonEvents{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp};
};

// The manager every control uses that names none of its own; null while none exists.
extern TsSkinManager* DefaultSkinManager;
// A form fade-in or skin-change animation runs; controls then paint only into AnimationDC.
extern bool FormAnimating;
extern HDC AnimationDC;
// A skin is being loaded.
extern bool SkinLoading;
