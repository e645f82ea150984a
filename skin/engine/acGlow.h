// Glow windows: the soft halo shown around a hot skinned control whose section has a glow, or
// around a title-bar button. Each glow is a borderless, click-through (it answers WM_NCHITTEST
// with HTTRANSPARENT), layered top-level window carrying a 32-bit per-pixel-alpha image painted
// from the section's glow mask, handed to the bound UpdateLayeredWindow once; it is never
// repainted.
//
// A glow id is an index into GlowEffects. Hiding a glow frees it and leaves its slot empty, so
// the ids of other glows stay valid; the list only grows until ClearGlowEffects empties it (on a
// skin change or removal, when a control's mouse leaves, and at shutdown). GUI thread only.
#pragma once

#include "framework/Forms.h"

#include <vector>

class TsSkinManager;
class TsCommonData;

class TacGlowEffect : public TObject {
    CLASS_INFO(TacGlowEffect, TObject)
public:
    explicit TacGlowEffect(TsSkinManager* Manager) : SkinManager(Manager) {}
    ~TacGlowEffect() override;
    // Builds the window over R (a control's rectangle on the screen) cropped to RealRect (its
    // visible part, in R's own coordinates) and shows it without activation; a glow of a control
    // in a stay-on-top window WndHandle stays on top as well. Nothing when already shown.
    void Show(const TRect& R, const TRect& RealRect, HWND WndHandle);
    // A new black, fully transparent 32-bit AlphaBmp with the glow mask painted over it.
    virtual void CreateAlphaBmp(int Width, int Height);
    int IntBorderWidth() const noexcept { return 2; }

    TsSkinManager* SkinManager;
    int MaskIndex = -1;
    // How far the glow is pulled in from the mask's outer border.
    int Margin = 0;
    TForm* Wnd = nullptr;
    // The window's image, alive only while the window is being shown.
    TBitmap* AlphaBmp = nullptr;
    TWndMethod OldWndProc;

private:
    void NewWndProc(TMessage& Message);
};

extern std::vector<TacGlowEffect*> GlowEffects;
// Source-over with per-pixel alpha and constant alpha 255.
extern BLENDFUNCTION GlowBlendFunction;

// Shows a glow of the mask Name + "0" of SkinSection around R (see TacGlowEffect::Show) and
// answers its id; -1, with nothing made, when layered windows are unavailable, no manager
// exists or the section has no such mask. SkinManager null: the default manager. The glow's own
// image carries its transparency.
int ShowGlowEffect(const TRect& R, const TRect& RealRect, const UnicodeString& SkinSection,
                   const UnicodeString& Name, int Margin, HWND WndHandle,
                   TsSkinManager* SkinManager);
// Frees the glow Id; ids out of range and freed glows are ignored.
void HideGlowEffect(int Id);
// Frees every glow and empties the list.
void ClearGlowEffects();

// Shows the glow of a link's control while the mouse is over it (with no button held down on
// it), or hides it when the mouse left, a button is held or Hide is set. Nothing unless the
// manager allows glowing and the section has a glow. A link without an owner control glows
// around Wnd (none without it).
void RefreshControlGlow(TsCommonData* Data, bool Hide, HWND Wnd = nullptr);
