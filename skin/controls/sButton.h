// TsButton: the skinned push button (code 93, section "BUTTON"). While a skin is active its
// window is an owner-draw button that builds its image in the cache bitmap (the section's
// background for its state, the border mask of the state, the caption in the section's font
// colours, a dotted focus frame, the disabled look) and copies it to the window, shaped by a
// window region whose corners follow the border mask's transparent pixels; it fades between
// normal, hot and pressed and glows when hot. Without a skin it is the class library's button,
// default style included. Skin command 2 from its manager takes the owner-draw style and the
// window region away again. A skinned left press suspends the application's hints only until
// the fade has started; a release without a remembered skinned press does nothing at all (not
// even OnMouseUp).
//
// Regions: every skinned paint makes a new one (RegionChanged stays set); the window owns the
// one it takes, and a region it does not take (the same shape again, a paint into the fade-in's
// DC) is deleted at once.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sFade.h"
#include "skin/engine/sCommonData.h"

#include <memory>

class TsButton : public TButton {
    CLASS_INFO(TsButton, TButton)
public:
    explicit TsButton(TComponent* AOwner);
    ~TsButton() override;
    void AfterConstruction() override;

    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }
    bool Down() const noexcept { return FDown; }
    void SetDown(bool value);
    int FocusMargin() const noexcept { return FFocusMargin; }
    void SetFocusMargin(int value) noexcept { FFocusMargin = value; }
    bool ShowFocus() const noexcept { return FShowFocus; }
    void SetShowFocus(bool value);
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    TacAnimatEvents AnimatEvents() const noexcept { return FAnimatEvents; }
    void SetAnimatEvents(TacAnimatEvents value) noexcept { FAnimatEvents = value; }
    // 0 normal, 1 hot or default, 2 pressed.
    int CurrentState();
    // Where the caption goes: its measured extent centred, one pixel down and right in state 2.
    virtual TRect CaptionRect();
    // Builds the whole image in the cache bitmap.
    void PrepareCache();

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TsFadeTimer* FadeTimer = nullptr;
    bool RegionChanged = true;
    bool IsFocused = false;

protected:
    void Loaded() override;
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void SetButtonStyle(bool ADefault) override;
    // A TCustomAction's Enabled is taken over even when the button was disabled.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The caption in R of the cache, in the section's font colours (hot unless in state 0).
    virtual void DrawCaption(TRect R, UINT Flags);
    // Caption and focus frame.
    virtual void PaintContent();

private:
    bool AnyStateCommand(TMessage& Message);
    void SkinRemoved();
    void UnskinnedStage(TMessage& Message);
    void SkinnedStage(TMessage& Message);
    void ShowPressedNow();
    void SetOwnerDraw(bool On);
    bool FocusMessage(TMessage& Message);
    bool PaintMessage(TMessage& Message);
    void MouseOverMessage(const TMessage& Message);
    void AfterInherited(const TMessage& Message);
    TSize TextRectSize();
    // Shows the image on DC (null: the window's DC); Printing: not the window's paint cycle, so
    // a repaint the window waits for stays pending.
    void OurPaint(HDC DC, bool Printing = false);
    void ApplyRegion(HDC DC);
    void InvalidateUncoveredCorners(const TRect& Bounds);

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
    bool FMouseClicked = false;
    bool FDown = false;
    int FFocusMargin = 1;
    TsDisabledKind FDisabledKind{dkBlended};
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
    bool FShowFocus = true;
    // The region prepared for the window, not yet taken by it (null: none).
    TOwnedRegion FRegion;
    // The window has taken a region since the skin came.
    bool FRegionApplied = false;
    // The bounds when the region was last applied.
    TRect LastRect{0, 0, 0, 0};
};
