// Extra controls of the visual class library, declared in order: Frame3D (the bevel line
// drawing the controls here share), TCustomPanel and TPanel (a container with bevels and a
// caption), TSplitter (a graphic bar that resizes the control it is aligned against),
// TImage (a graphic control showing a picture) and TPaintBox (a graphic control painted by its
// OnPaint event).
//
// Panels paint through their canvas on the library's one paint path (a memory bitmap), so
// nothing flickers; their bevels sit inside the client area and children align inside them.
// The graphic controls paint on their parent's DC with the origin at the control.
#pragma once

#include "framework/Controls.h"

#include <memory>

// Draws `width` nested one-pixel frames just inside `rect`, top and left edges in `topColor`,
// bottom and right in `bottomColor`, and leaves `rect` as the area inside them.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

// ---- panels ------------------------------------------------------------------------------------

// A container: an outer and an inner bevel of BevelWidth each, the area inside filled with
// Color (or showing the parent's background where themes draw it and ParentBackground is set),
// and the caption placed by Alignment and VerticalAlignment. The bevel properties are the
// windowed control's; the panel paints them in its client area instead of the frame.
class TCustomPanel : public TCustomControl {
    CLASS_INFO(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);

    // The base's bevel setters, plus repainting and realigning the children inside.
    void SetBevelInner(TBevelCut value);
    void SetBevelOuter(TBevelCut value);
    void SetBevelWidth(int value);

    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    TVerticalAlignment VerticalAlignment() const noexcept { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment value);
    bool ShowCaption() const noexcept { return FShowCaption; }
    void SetShowCaption(bool value);
    // With themes active, the panel shows what its parent draws behind it instead of Color.
    bool ParentBackground() const noexcept;
    void SetParentBackground(bool value);
    // True: every resize repaints the whole panel; False: only the area uncovered (the window
    // class is registered without the redraw-on-size styles for that reason).
    bool FullRepaint = true;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void Resize() override;

private:
    int BevelSize() const;
    void PaintBackground(TRect& rect);
    void PaintCaption(const TRect& rect);
    void Changed();

    TAlignment FAlignment = taCenter;
    TVerticalAlignment FVerticalAlignment = taVerticalCenter;
    bool FShowCaption = true;
};

class TPanel : public TCustomPanel {
    CLASS_INFO(TPanel, TCustomPanel)
public:
    using TCustomPanel::TCustomPanel;
};

// ---- splitter ----------------------------------------------------------------------------------

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };

using TCanResizeEvent = TMethodEvent<void(TObject* Sender, int& NewSize, bool& Accept)>;

// A graphic bar aligned to a side (alLeft by default). Dragging it with the left button resizes
// the visible control aligned against it on that side, between MinSize and what leaves MinSize
// for the controls aligned across the parent; with AutoSnap a drag below MinSize collapses the
// control to 0. rsUpdate resizes while dragging; rsLine and rsPattern show an inverted line
// (solid or dotted) on the parent and resize when the button is released; rsNone only resizes
// then. OnCanResize may change or refuse each new size; OnMoved follows every resize.
class TSplitter : public TGraphicControl {
    CLASS_INFO(TSplitter, TGraphicControl)
public:
    explicit TSplitter(TComponent* AOwner);
    ~TSplitter() override;

    int MinSize() const noexcept { return FMinSize; }
    void SetMinSize(int value);
    bool AutoSnap = true;
    bool Beveled() const noexcept { return FBeveled; }
    void SetBeveled(bool value);
    TResizeStyle ResizeStyle = rsPattern;

    TCanResizeEvent OnCanResize;
    TNotifyEvent OnMoved;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    class TLineDC;

    bool Vertical() const noexcept { return Align() == alLeft || Align() == alRight; }
    TControl* FindResizedControl();
    int ControlSize() const;
    int MaxSize() const;
    void UpdateSize(int X, int Y);
    bool DoCanResize(int& NewSize);
    void ApplySize();
    void StopSizing();
    void DrawLine();

    int FMinSize = 30;
    bool FBeveled = false;
    TControl* FResized = nullptr; // the control being resized while dragging, else null
    TPoint FDownPos;
    int FMaxSize = 0;
    int FNewSize = 0;
    int FOldSize = 0;
    int FSplit = 0; // the line's offset from the splitter's place
    std::unique_ptr<TLineDC> FLine;
};

// ---- image and paint box -----------------------------------------------------------------------

// Shows Picture: at its own size from the top-left, centred (Center), stretched to the control
// (Stretch), or scaled keeping its aspect (Proportional: stretched, or only shrunk when Stretch
// is off). AutoSize makes the control the picture's size. Transparent draws the picture with
// its transparent colour left out. Canvas draws into the picture's bitmap, making an empty one
// of the control's size first; a picture holding another kind of graphic cannot be drawn on.
class TImage : public TGraphicControl {
    CLASS_INFO(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() const noexcept { return FPicture.get(); }
    void SetPicture(TPicture* value) { FPicture->Assign(value); }
    // The bitmap's canvas; EInvalidOperation when the picture holds something else.
    TCanvas* Canvas();

    bool Stretch() const noexcept { return FStretch; }
    void SetStretch(bool value);
    bool Center() const noexcept { return FCenter; }
    void SetCenter(bool value);
    bool Proportional() const noexcept { return FProportional; }
    void SetProportional(bool value);
    bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool value);
    // Where the picture is drawn, in the control's coordinates.
    TRect DestRect();

protected:
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

private:
    void PictureChanged(TObject* Sender);
    void SetFlag(bool& field, bool value);

    std::unique_ptr<TPicture, graphics_detail::TFreeObject> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FProportional = false;
    bool FTransparent = false;
};

// A graphic control with nothing of its own: OnPaint draws on Canvas, which has the control's
// font and colour.
class TPaintBox : public TGraphicControl {
    CLASS_INFO(TPaintBox, TGraphicControl)
public:
    explicit TPaintBox(TComponent* AOwner);

    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};
