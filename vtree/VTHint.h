// The tree's node hints and tooltips: the hint data a tree hands to its hint window, and the
// hint window itself, a popup that draws the hint into a buffer and shows it at once, faded in
// over the screen behind it, or slid in. The animation runs from timer messages of the hint
// window, so no message loop runs inside a method of the tree and the tree may be destroyed at
// any time (its hint window goes with it).
//
// Classes here: TVTHintData, TVirtualTreeHintWindow.
#pragma once

#include "framework/Forms.h"
#include "vtree/VTTypes.h"

#include <memory>

class TVirtualTreeWindow;

enum TVTHintMode { hmDefault, hmHint, hmHintAndDefault, hmTooltip };
enum THintAnimationType { hatNone, hatFade, hatSlide, hatSystemDefault };
enum TVTTooltipLineBreakStyle { hlbDefault, hlbForceSingleLine, hlbForceMultiLine };

struct TVTHintData {
    TVirtualTreeWindow* Tree = nullptr;
    PVirtualNode Node = nullptr;
    TColumnIndex Column = NoColumn;
    TRect HintRect;
    // A fixed text (header and tree hints) that takes precedence over the node's.
    UnicodeString DefaultHint;
    UnicodeString HintText;
    TBiDiMode BidiMode = bdLeftToRight;
    TAlignment Alignment = taLeftJustify;
    TVTTooltipLineBreakStyle LineBreakStyle = hlbDefault;
};

// The class library's hint machinery shows it too: the tree's hint query names this class and
// hands the hint data over, and the library's calls come to the tree's own operations.
class TVirtualTreeHintWindow : public THintWindow {
    CLASS_INFO(TVirtualTreeHintWindow, THintWindow)
public:
    explicit TVirtualTreeHintWindow(TComponent* AOwner);
    ~TVirtualTreeHintWindow() override;

    // The size of the hint for Data, at the origin; empty when there is nothing to show.
    TRect CalcHintRect(int MaxWidth, const TVTHintData& Data);
    // Shows the hint at Rect (screen coordinates, kept on the desktop); an empty Rect hides it.
    void ActivateHint(TRect Rect);
    void ReleaseHint();
    TRect CalcHintRect(int MaxWidth, const UnicodeString& AHint, void* AData) override;
    void ActivateHint(TRect Rect, const UnicodeString& AHint) override;
    void ActivateHintData(TRect Rect, const UnicodeString& AHint, void* AData) override;
    void ReleaseHandle() override;
    const TVTHintData& HintData() const noexcept { return FHintData; }
    // True while a fade or slide is still running.
    bool Animating() const noexcept { return FAnimation != hatNone; }
    // The finished hint picture.
    TBitmap* DrawBuffer() const noexcept { return FDrawBuffer.get(); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;

private:
    void BuildBuffer();
    void ShowStep(int Step, bool Final);
    void AnimationTick();
    TFont* HintFont();

    TVTHintData FHintData;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FBackground, FDrawBuffer, FTarget;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FHintFont;
    int FTextHeight = 0;
    THintAnimationType FAnimation = hatNone; // the animation still running
    int FSteps = 0;
    DWORD FStart = 0;
    DWORD FDuration = 0;
};
