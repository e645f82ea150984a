// TsCheckable<Base>: what the skinned check box and radio button share on top of the skinned
// control pattern: their look settings (Margin, TextIndent, ShowFocus, DisabledKind,
// AnimatEvents, the user glyphs GlyphChecked and GlyphUnChecked), the read-only mode, the
// pressed flag and, while a skin is active, their own painting and handling.
//
// Skinned, the button paints itself wholly from its cache bitmap (the parent's background, its
// section, its caption, its glyph: a user glyph of three states side by side over a mask row, or
// the skin's glyph of its check state), handles the mouse and the space key itself (a release
// after a press on the control changes the check), swallows the window's own check and push
// states (BM_SETCHECK, BM_SETSTATE; BM_GETCHECK answers the kept check) and fades between the
// normal and hot looks. Removing the skin shows the kept check state in the window again and
// gives the system its painting back.
//
// Pressed: set by a left press or a key going down on the control, cleared by the release and
// by the mouse leaving. Read-only: the user cannot change the check (a click, a double click,
// the space key or the accelerator do nothing to it), the button is never hot; code still sets
// the check. Unskinned the class library's button paints and handles the messages.
//
// The members that differ between the two kinds are virtual; the shared ones are defined in
// sCheckablePaint.cpp and sCheckableMessages.cpp for the two bases.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sFade.h"
#include "skin/controls/sSkinnedWrapper.h"

#include <memory>

template <class Base> class TsCheckable : public TsSkinned<Base> {
public:
    TsCheckable(TComponent* AOwner, int ControlClassCode);
    ~TsCheckable() override { StopFade(FadeTimer, this->FCommonData.get()); }

    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value) { SetAndResize(FMargin, value); }
    int TextIndent() const noexcept { return FTextIndent; }
    void SetTextIndent(int value) { SetAndResize(FTextIndent, value); }
    bool ShowFocus() const noexcept { return FShowFocus; }
    void SetShowFocus(bool value) {
        if (value == FShowFocus) return;
        FShowFocus = value;
        this->Invalidate();
    }
    virtual bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) noexcept { FReadOnly = value; }
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value) {
        if (value == FDisabledKind) return;
        FDisabledKind = value;
        this->FCommonData->Invalidate();
    }
    TacAnimatEvents AnimatEvents() const noexcept { return FAnimatEvents; }
    void SetAnimatEvents(TacAnimatEvents value) noexcept { FAnimatEvents = value; }
    TBitmap* GlyphChecked() const noexcept { return FGlyphChecked.get(); }
    void SetGlyphChecked(TBitmap* value);
    TBitmap* GlyphUnChecked() const noexcept { return FGlyphUnChecked.get(); }
    void SetGlyphUnChecked(TBitmap* value);
    // A mouse button or key is down on the control.
    bool Pressed() const noexcept { return FPressed; }

    // Where the glyph goes.
    TRect CheckRect();
    // The whole image in the cache bitmap.
    void PrepareCache();

    TsFadeTimer* FadeTimer = nullptr;

protected:
    void Loaded() override;
    void WndProc(TMessage& Message) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    // A click or an accelerator of the user would change the check.
    virtual bool UserCheckMessage(const TMessage& Message) const;

    // ---- what differs between the check box and the radio button ----------------------------
    // The skin glyph (of section "GLOBALINFO") the check rect is measured on.
    virtual const wchar_t* MeasuredGlyphName() = 0;
    // The skin glyph drawn for the present check; null: none.
    virtual const wchar_t* SkinGlyphName() = 0;
    // The right edge of the caption that starts at Left, TextWidth wide, right of the glyph.
    virtual int CaptionRight(int Left, int TextWidth) = 0;
    // The check as BM_GETCHECK and BM_SETCHECK give it (BST_UNCHECKED, BST_CHECKED or
    // BST_INDETERMINATE).
    virtual WPARAM CheckState() = 0;
    // Draws the glyph of a picture list into R of the cache; False when there is none.
    virtual bool DrawListGlyph(const TRect&) { return false; }
    // The size of a list glyph; (0, 0) without a usable list.
    virtual TSize ListGlyphSize() { return TSize(); }
    // The skin command or message handled in the kind's own way while skinned; True when done.
    virtual bool OwnSkinnedMessage(TMessage&) { return false; }
    // Skin command 3 from the own manager is about to repaint the button.
    virtual void SkinRepainting() {}
    // The space key released after a press.
    virtual void KeyReleased() = 0;
    // The left button released after a press (read-only checked by the caller where it counts).
    virtual void MouseReleased(TMessage& Message) = 0;

    // Shared steps the kinds call back.
    void AdjustSize();
    void FadeTo(TacAnimatEvent Event, bool Half);
    void PaintNow(HDC DC);
    bool SkinActive() const { return this->FCommonData->Skinned(true); }
    bool Designing() const { return this->ComponentState().Contains(csDesigning); }

    bool FPressed = false;

private:
    bool ReadOnlySwallows(const TMessage& Message) const;
    void TrackPressed(UINT Msg);
    bool CommandDone(TMessage& Message);
    bool FocusOrHoverDone(TMessage& Message);
    bool SkinnedDone(TMessage& Message);
    bool PressDone(TMessage& Message);
    TSize GlyphSize();
    TAlignment ControlsAlignment();
    bool HotLook();
    void PaintText();
    void PaintGlyph();
    void DrawUserGlyph(TBitmap* Glyph);
    void OurPaint(HDC DC);
    template <class T> void SetAndResize(T& Field, T Value) {
        if (Value == Field) return;
        Field = Value;
        AdjustSize();
        this->Invalidate();
    }

    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FGlyphChecked;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FGlyphUnChecked;
    int FMargin = 2;
    int FTextIndent = 0;
    bool FShowFocus = true;
    bool FReadOnly = false;
    TsDisabledKind FDisabledKind{dkBlended};
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
};

extern template class TsCheckable<TCustomCheckBox>;
extern template class TsCheckable<TRadioButton>;
