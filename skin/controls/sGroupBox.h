// TsGroupBox: the skinned group box (code 74, section "GROUPBOX"); skin changes reach its
// children. Skinned, it paints its section as a frame that starts halfway down its caption strip
// and writes its caption on a small plate (the skin's "CHECKBOX" section over the parent's
// background, or the section CaptionSkin names); the image is rebuilt in the cache bitmap at
// every paint and copied with the child controls cut out. Unskinned it is the class library's
// group box.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sSkinnedWrapper.h"

enum TsGroupCaptionLayout { clTopLeft, clTopCenter, clTopRight };

class TsGroupBox : public TsSkinned<TGroupBox> {
    CLASS_INFO(TsGroupBox, TGroupBox)
public:
    explicit TsGroupBox(TComponent* AOwner);

    TsGroupCaptionLayout CaptionLayout() const noexcept { return FCaptionLayout; }
    void SetCaptionLayout(TsGroupCaptionLayout value);
    // Moves the caption strip and the client area down (up when negative).
    int CaptionYOffset() const noexcept { return FCaptionYOffset; }
    void SetCaptionYOffset(int value);
    const UnicodeString& CaptionSkin() const noexcept { return FCaptionSkin; }
    void SetCaptionSkin(const UnicodeString& value);

    // The caption strip, in the box's coordinates.
    TRect CaptionRect();
    // The whole image in the cache bitmap.
    void PrepareCache();

protected:
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    bool SkinCommandDone(TMessage& Message) override;
    void SkinnedWndProc(TMessage& Message) override;

private:
    int CaptionHeight();
    void WriteText(const TRect& R, const TCacheInfo& CI);
    void PaintToDC(HDC DC);
    bool SkinnedCommand(TMessage& Message);

    TsGroupCaptionLayout FCaptionLayout = clTopLeft;
    int FCaptionYOffset = 0;
    UnicodeString FCaptionSkin;
};
