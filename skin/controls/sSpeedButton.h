// TsSpeedButton: the skinned flat button, a class-library speed button (no window) that lays
// out its caption and glyph itself, can carry a drop-down arrow with a popup menu, a separator
// or a divider, fades between states with a TsAnimTimer and falls back to a class-library look
// (themed or classic) when no skin applies. The frame bar's title buttons are speed buttons.
//
// Layout: the glyph rect and the caption rect follow Layout and Alignment with the margin
// M = Margin + 3 (0 for a negative Margin), Spacing S, and the arrow width AW (16 for
// tbsDropDown); a pressed button shifts both by one pixel.
//
// DroppedDownButton is the button whose drop-down menu is open (null otherwise); the skinned
// menu painter reads and clears it. The drop-down state (MenuOpening, DroppedDown,
// DroppedDownButton) is restored when the menu closes, also when a menu handler raises; a
// button that goes away while it is the dropped-down one clears the variable. GUI thread only.
#pragma once

#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "skin/controls/sFade.h"
#include "skin/engine/sCommonData.h"

#include <memory>

using TBmpPaintEvent = TMethodEvent<void(TObject* Sender, TBitmap* Bmp)>;

class TsSpeedButton;
extern TsSpeedButton* DroppedDownButton;

class TsSpeedButton : public TSpeedButton {
    CLASS_INFO(TsSpeedButton, TSpeedButton)
public:
    explicit TsSpeedButton(TComponent* AOwner);
    ~TsSpeedButton() override;
    void AfterConstruction() override;

    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    TsDisabledGlyphKind DisabledGlyphKind() const noexcept { return FDisabledGlyphKind; }
    void SetDisabledGlyphKind(TsDisabledGlyphKind value);
    bool Grayed() const noexcept { return FGrayed; }
    void SetGrayed(bool value);
    // 0..100; values outside are limited.
    int Blend() const noexcept { return FBlend; }
    void SetBlend(int value);
    int TextOffset() const noexcept { return FOffset; }
    void SetTextOffset(int value);
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    bool ShowCaption() const noexcept { return FShowCaption; }
    void SetShowCaption(bool value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    // Unless loading, becoming tbsDropDown widens the button by 16 and leaving it narrows it.
    TToolButtonStyle ButtonStyle() const noexcept { return FButtonStyle; }
    void SetButtonStyle(TToolButtonStyle value);
    bool DrawOverBorder() const noexcept { return FDrawOverBorder; }
    void SetDrawOverBorder(bool value);
    TAlignment TextAlignment() const noexcept { return FTextAlignment; }
    void SetTextAlignment(TAlignment value);
    TacAnimatEvents AnimatEvents() const noexcept { return FAnimatEvents; }
    void SetAnimatEvents(TacAnimatEvents value) { FAnimatEvents = value; }
    bool Reflected() const noexcept { return FReflected; }
    void SetReflected(bool value);

    // An image of Images is shown (list, images and a valid index).
    bool IsImageUsed() const;
    // Repaints from the cache without invalidating.
    void GraphRepaint();
    // Paints the parent's other visible controls whose top-left or bottom-right pixel lies in
    // this button into Target, which shows the button at its origin.
    void PaintOverlappedControls(TCanvas* Target);
    // 0 normal, 1 hot, 2 pressed.
    virtual int CurrentState();
    virtual TRect CaptionRect();
    virtual TRect ImgRect();
    virtual int GlyphWidth();
    virtual int GlyphHeight();
    virtual void TextRectSize(TSize& Size);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TBmpPaintEvent OnPaint;
    // The drop-down menu is open.
    bool DroppedDown = false;
    TsAnimTimer* FadeTimer = nullptr;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // A TCustomAction also gives its list's Images (when it is in a list) and its ImageIndex.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    void WndProc(TMessage& Message) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    virtual void DrawText(TRect R, UINT Flags);
    virtual void DrawCaption();
    virtual void DrawGlyph();
    virtual void PrepareCache();
    virtual void StdPaint(bool PaintButton);

    void StateChanged(bool Half, bool Allowed);
    void StartFading(bool Half);
    void StopFading();

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;

private:
    void UnskinnedStage(TMessage& Message);
    bool AnyStateCommand(TMessage& Message);
    bool SkinnedStage(TMessage& Message);
    void AfterInherited(const TMessage& Message);
    void MouseEnterAction(const TMessage& Message);
    void MouseLeaveAction(const TMessage& Message);
    void DropDown();
    void AfterDropDown();
    void LookChanged();
    void UpdateCaption();
    void HoldImages(TCustomImageList* value);
    void GlyphChanged(TObject* Sender);
    int ArrowWidth() const;
    int MarginM() const;
    TCanvas* TargetCanvas();
    void SyncButtonState();
    void PaintFrame(TRect& R, int State);
    void PaintArrow(const TRect& R, bool Pressed);
    void PaintDivider();
    void EraseThemed(const TRect& R);
    void PaintThemedPart(const TRect& R, int State);
    void PaintOverlapped(TCanvas* Target, TControl* Control);
    TColor TextColor();
    bool Busy() const;

    int FOldNumGlyphs = 0;
    int FOldSpacing = 0;
    bool FStoredDown = false;
    TsDisabledKind FDisabledKind{dkBlended};
    TsDisabledGlyphKind FDisabledGlyphKind{dgBlended};
    bool FGrayed = false;
    int FBlend = 0;
    int FOffset = 0;
    int FImageIndex = -1;
    TCustomImageList* FImages = nullptr;
    bool FShowCaption = true;
    TAlignment FAlignment = taCenter;
    TToolButtonStyle FButtonStyle = tbsButton;
    bool FDrawOverBorder = true;
    TAlignment FTextAlignment = taCenter;
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
    bool FReflected = false;
    TNotifyEvent OldOnChange;
    TButtonLayout OldLayout = blGlyphLeft;
    UnicodeString OldCaption;
};

// Draws the button's glyph in its state on Canvas (null: the cache canvas). Without a glyph and
// without a valid image nothing is drawn.
void DrawBtnGlyph(TsSpeedButton* Button, TCanvas* Canvas);
