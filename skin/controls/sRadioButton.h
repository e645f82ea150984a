// TsRadioButton: the skinned radio button (code 33, section "RADIOBUTTON", no cache bitmap at
// once). Skinned it shows the skin's glyph of its check ("RADIOCHECKED", "RADIOUNCHECKED") or a
// user glyph; a click checks it only when CanCheck answers True (and it is not read-only), the
// space key always; it never unchecks itself.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sCheckable.h"

class TsRadioButton : public TsCheckable<TRadioButton> {
    CLASS_INFO(TsRadioButton, TRadioButton)
public:
    explicit TsRadioButton(TComponent* AOwner) : TsCheckable<TRadioButton>(AOwner, 33) {}
    // Whether a click may check the button.
    virtual bool CanCheck() { return true; }

protected:
    void WndProc(TMessage& Message) override;
    const wchar_t* MeasuredGlyphName() override;
    const wchar_t* SkinGlyphName() override;
    int CaptionRight(int, int) override { return Width() - Margin(); }
    WPARAM CheckState() override { return Checked() ? BST_CHECKED : BST_UNCHECKED; }
    bool OwnSkinnedMessage(TMessage& Message) override;
    void SkinRepainting() override;
    void KeyReleased() override;
    void MouseReleased(TMessage& Message) override;
};
