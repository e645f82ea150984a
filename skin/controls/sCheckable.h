// TsCheckable<Base>: what the skinned check box and radio button share on top of the skinned
// control pattern: their look settings (Margin, TextIndent, ShowFocus, DisabledKind,
// AnimatEvents, the user glyphs GlyphChecked and GlyphUnChecked), the read-only mode and the
// pressed flag.
//
// Pressed: set by a left press or a key going down on the control, cleared by the release.
// Read-only: the user cannot change the check (a click, a double click, the space key or the
// accelerator do nothing to it) and the button is never shown pushed; code still sets it.
// Unskinned (always, in a build without skin) the class library's button paints; the skinned
// painting of the glyphs comes with the skin engine.
#pragma once

#include "skin/controls/sFade.h"
#include "skin/controls/sSkinnedWrapper.h"

#include <memory>

template <class Base> class TsCheckable : public TsSkinned<Base> {
public:
    TsCheckable(TComponent* AOwner, int ControlClassCode)
        : TsSkinned<Base>(AOwner, ControlClassCode, false), FGlyphChecked(new TBitmap),
          FGlyphUnChecked(new TBitmap) {}
    ~TsCheckable() override { StopFade(FadeTimer, this->FCommonData.get()); }

    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value) { SetAndInvalidate(FMargin, value); }
    int TextIndent() const noexcept { return FTextIndent; }
    void SetTextIndent(int value) { SetAndInvalidate(FTextIndent, value); }
    bool ShowFocus() const noexcept { return FShowFocus; }
    void SetShowFocus(bool value) { SetAndInvalidate(FShowFocus, value); }
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
    void SetGlyphChecked(TBitmap* value) {
        FGlyphChecked->Assign(value);
        this->FCommonData->Invalidate();
    }
    TBitmap* GlyphUnChecked() const noexcept { return FGlyphUnChecked.get(); }
    void SetGlyphUnChecked(TBitmap* value) {
        FGlyphUnChecked->Assign(value);
        this->Invalidate();
    }
    // A mouse button or key is down on the control.
    bool Pressed() const noexcept { return FPressed; }

    TsFadeTimer* FadeTimer = nullptr;

protected:
    void WndProc(TMessage& Message) override {
        if (ReadOnly() && ReadOnlySwallows(Message)) return;
        TrackPressed(Message.Msg);
        TsSkinned<Base>::WndProc(Message);
    }

    bool SkinCommandDone(TMessage& Message) override {
        if (SkinCommand(Message) == SKCMD_STOPFADE) {
            StopFade(FadeTimer, this->FCommonData.get());
            return true;
        }
        return TsSkinned<Base>::SkinCommandDone(Message);
    }

    // A click or an accelerator of the user would change the check.
    virtual bool UserCheckMessage(const TMessage& Message) const {
        const WORD code = HIWORD(Message.WParam);
        return (Message.Msg == CN_COMMAND && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) ||
               Message.Msg == CM_DIALOGCHAR;
    }

private:
    bool ReadOnlySwallows(const TMessage& Message) const {
        return UserCheckMessage(Message) || Message.Msg == WM_LBUTTONDBLCLK ||
               (Message.Msg == BM_SETSTATE && FPressed);
    }

    void TrackPressed(UINT Msg) {
        if (Msg == WM_KEYDOWN || Msg == WM_LBUTTONDOWN) FPressed = true;
        if (Msg == WM_KEYUP || Msg == WM_LBUTTONUP || Msg == CM_MOUSELEAVE) FPressed = false;
    }

    template <class T> void SetAndInvalidate(T& Field, T Value) {
        if (Value == Field) return;
        Field = Value;
        this->Invalidate();
    }

    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FGlyphChecked;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FGlyphUnChecked;
    int FMargin = 2;
    int FTextIndent = 0;
    bool FShowFocus = true;
    bool FReadOnly = false;
    bool FPressed = false;
    TsDisabledKind FDisabledKind{dkBlended};
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
};
