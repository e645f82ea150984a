// TsEdit: the skinned edit (code 3, section "EDIT"). While a skin is active it takes the
// section's background and font colours (the hot ones while focused or under the mouse) and
// lets the system write the text of an enabled edit on them, paints its border ring itself from
// the cache bitmap (WM_NCPAINT), and paints a disabled edit wholly from the cache (the section,
// the border, the text, a password as its mask characters, the disabled look). It owns its bound
// caption label. Without a skin it is the class library's edit.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sSkinnedWrapper.h"
#include "skin/engine/sBoundLabel.h"

class TsEdit : public TsSkinned<TEdit> {
    CLASS_INFO(TsEdit, TEdit)
public:
    explicit TsEdit(TComponent* AOwner);
    TsBoundLabel* BoundLabel() const noexcept { return FBoundLabel.get(); }
    // The look of the disabled edit; a change rebuilds its image.
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    // The whole image of the control in the cache bitmap.
    virtual void PrepareCache();
    // The text (or its mask characters) in the cache bitmap.
    virtual void PaintText();
    // The width of the border ring: 0 without a border, 1 flat, 2 three-dimensional.
    int EditBorderWidth() const;

protected:
    void WndProc(TMessage& Message) override;
    bool SkinCommandDone(TMessage& Message) override;
    void SkinnedWndProc(TMessage& Message) override;

private:
    bool PaintMessage(TMessage& Message);
    void AfterInherited(const TMessage& Message);
    void SyncColours();
    // Shows the image on DC (null: the window's DC); Printing: not the window's paint cycle, so
    // a repaint the window waits for stays pending.
    void OurPaint(HDC DC, bool Printing = false);
    void LayCorners();
    void PaintBorder();
    void PrintTo(HDC DC);
    void BoundLabelMessage(const TMessage& Message);

    // Freed before the skin link, which belongs to the base.
    std::unique_ptr<TsBoundLabel, graphics_detail::TFreeObject> FBoundLabel;
    TsDisabledKind FDisabledKind{dkBlended};
};
