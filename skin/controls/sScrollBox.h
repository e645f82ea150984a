// TsScrollBox: the skinned scrolling container, the base of the frame bar.
//
// It follows the skinned control pattern: a skin link (code 58, section "PANEL_LOW", cache
// bitmap at once) and a window procedure in stages. In any state it answers skin commands 1, 2,
// 3, 6, 7, 18, 51, 52 and 60 and fires OnMouseEnter / OnMouseLeave; commands 51 and 52 bracket
// every scroll step (ScrollBy) with OnBeforeScroll / OnAfterScroll and keep redrawing to the
// uncovered strip. Unskinned (always, in a build without skin) the class library paints.
// With AutoMouseWheel the wheel goes to the owning form's active control first and scrolls the
// box only when that control leaves it.
//
// The class library's scroll bars call the base class's ScrollBy, which is not virtual: a
// scroll step made through the scroll bar itself is not bracketed by 51 and 52.
#pragma once

#include "framework/Forms.h"
#include "skin/engine/sCommonData.h"
#include "skin/window/acSBUtils.h"

#include <memory>

using TsPaintEvent = TMethodEvent<void(TBitmap* ControlBmp)>;

// The strip a scroll of `Delta` pixels uncovered (Delta = remembered - new position), in a
// control of the given size; horizontal when `Horizontal`.
TRect UncoveredScrollStrip(bool Horizontal, int Delta, int Width, int Height);

class TsScrollBox : public TScrollingWinControl {
    CLASS_INFO(TsScrollBox, TScrollingWinControl)
public:
    explicit TsScrollBox(TComponent* AOwner);
    ~TsScrollBox() override;
    void AfterConstruction() override;
    void SetParent(TWinControl* AParent) override;

    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }
    bool AutoMouseWheel() const noexcept { return FAutoMouseWheel; }
    void SetAutoMouseWheel(bool value) noexcept { FAutoMouseWheel = value; }
    // Brackets the scroll with skin commands 51 and 52 to the own window.
    void ScrollBy(int DeltaX, int DeltaY);
    // The mouse-wheel handling the form provider calls for a wheel its form left unhandled.
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    // Border width plus the single border's two pixels: where the client image starts.
    int FrameWidth() const;

    TsPaintEvent OnPaint;
    TNotifyEvent OnBeforeScroll;
    TNotifyEvent OnAfterScroll;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Loaded() override;
    void WndProc(TMessage& Message) override;
    void PaintWindow(HDC) override {}
    // Stage A: the commands answered in any state; True when the message is finished.
    bool AnyStateCommand(TMessage& Message);
    // Stage C: the skinned handling.
    void SkinnedWndProc(TMessage& Message);

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
    TacScrollWnd* ListSW = nullptr;
    bool FAutoFrameSize = false;

private:
    bool SkinLoadedOrRemoved(TMessage& Message);
    void SkinRemoved();
    void SkinRepaint();
    void UpdateDone(TMessage& Message);
    void ScrollStart(const TMessage& Message);
    void ScrollEnd(const TMessage& Message);
    void FireMouseEvents(const TMessage& Message);
    TControlScrollBar* ScrolledBar(const TMessage& Message) const;
    void RedrawAll(UINT ExtraFlags);

    std::unique_ptr<TControlCanvas, graphics_detail::TFreeObject> FCanvas;
    bool FAutoMouseWheel = false;
};
