// TsCheckBox: the skinned check box (code 32, section "CHECKBOX", no cache bitmap at once), of
// two states or three with AllowGrayed. Skinned it shows the skin's glyph of its state
// ("BOXUNCHECKED", "BOXCHECKED", "BOXGRAYED"), a user glyph, or a picture of an image list
// (Images with ImgChecked and ImgUnchecked: the one picture of the check, in every state), and a
// click or the space key toggles it. Setting Checked while the box is loading changes nothing.
#pragma once

#include "framework/ImageList.h"
#include "framework/StdCtrls.h"
#include "skin/controls/sCheckable.h"

class TsCheckBox : public TsCheckable<TCustomCheckBox> {
    CLASS_INFO(TsCheckBox, TCustomCheckBox)
public:
    explicit TsCheckBox(TComponent* AOwner) : TsCheckable<TCustomCheckBox>(AOwner, 32) {}
    using TCustomCheckBox::Checked;
    void SetChecked(bool value) override;
    // A toggle by the user or by code repaints the box (or fades to its new look).
    void Toggle() override;

    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    int ImgChecked() const noexcept { return FImgChecked; }
    void SetImgChecked(int value);
    int ImgUnchecked() const noexcept { return FImgUnchecked; }
    void SetImgUnchecked(int value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    const wchar_t* MeasuredGlyphName() override { return L"BOXCHECKED"; }
    const wchar_t* SkinGlyphName() override;
    int CaptionRight(int Left, int TextWidth) override { return Left + TextWidth; }
    WPARAM CheckState() override { return static_cast<WPARAM>(State()); }
    bool DrawListGlyph(const TRect& R) override;
    TSize ListGlyphSize() override;
    bool OwnSkinnedMessage(TMessage& Message) override;
    void KeyReleased() override { Toggle(); }
    void MouseReleased(TMessage& Message) override;

private:
    bool ListUsable() const;

    TCustomImageList* FImages = nullptr; // not owned
    int FImgChecked = 0;
    int FImgUnchecked = 0;
};
