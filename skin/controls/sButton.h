// TsButton: the skinned push button (code 93, section "BUTTON"). While a skin is active its
// window is an owner-draw button that paints itself from the cache, shaped by a window region,
// and fades between normal, hot and pressed; without a skin (always, in a build without skin) it
// is the class library's button, default style included. Skin command 2 from its manager takes
// the owner-draw style and the window region away again. A skinned left press suspends the
// application's hints only until the fade has started; a release without a remembered skinned
// press does nothing at all (not even OnMouseUp).
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

private:
    bool AnyStateCommand(TMessage& Message);
    void SkinRemoved();
    void UnskinnedStage(TMessage& Message);
    void SkinnedStage(TMessage& Message);
    void AfterInherited(const TMessage& Message);
    void SetOwnerDraw(bool On);

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
    bool FMouseClicked = false;
    bool FDown = false;
    int FFocusMargin = 1;
    TsDisabledKind FDisabledKind{dkBlended};
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
    bool FShowFocus = true;
};
