// Buttons with glyphs. Declared here: the kinds (TButtonLayout, TButtonState, TBitBtnKind),
// ButtonLayout (where a glyph and a caption go on a button face), TSpeedButton (a graphic
// control: a tool button that can stay down, alone or as one of a group) and TBitBtn (a push
// button drawn by the library, with a glyph and stock kinds).
//
// A glyph bitmap holds up to four images side by side, all of its height: up, disabled, down,
// and down-and-stuck (exclusive). Its bottom-left pixel is the transparent colour. A state
// without its own image shows the up image (the disabled state shows it greyed).
#pragma once

#include "framework/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};

// The glyph's top-left and the caption's bounds in `client`. Margin -1 centres the pair; Spacing
// -1 spreads it evenly; `offset` moves both (a pressed face).
struct TButtonLayoutResult {
    TPoint GlyphPos;
    TRect TextBounds;
};
TButtonLayoutResult ButtonLayout(const TRect& client, TSize glyph, TSize text, TButtonLayout layout,
                                 int margin, int spacing, TPoint offset);

namespace buttons_detail {
// Draws image `index` of `glyph` (cut into `count` images) at (x, y), its bottom-left colour
// transparent; `disabled` draws it greyed (embossed).
void DrawGlyph(HDC dc, TBitmap* glyph, int count, int index, int x, int y, bool disabled);
// Fills `rect` with the half-tone of a stuck-down classic button: face and highlight pixels
// alternating.
void FillHalfTone(HDC dc, const TRect& rect);
// The image a state shows when the glyph has `count` images; -1 for a greyed up image.
int GlyphIndex(TButtonState state, int count);
// Images in a glyph whose images are square, as a new glyph suggests; 1 otherwise.
int ImagesIn(TBitmap* glyph);
// The size of `text` in `font`, as DrawText lays it out.
TSize CaptionSize(HDC dc, TFont* font, const UnicodeString& text);
// Writes `text` centred in `bounds`; disabled text is embossed (highlight under shadow).
void DrawCaption(HDC dc, TFont* font, const UnicodeString& text, TRect bounds, bool enabled);
// The glyph's size: one image of it.
TSize GlyphSize(TBitmap* glyph, int count);
} // namespace buttons_detail

// A tool button without a window. With GroupIndex 0 it springs back; with a GroupIndex it stays
// Down when clicked, and pressing one button of a group (same parent, same GroupIndex) lets the
// others up (CM_BUTTONPRESSED). AllowAllUp lets the down button of a group be clicked up.
// A Flat button shows its frame only while the mouse is over it (MouseInControl).
class TSpeedButton : public TGraphicControl {
    CLASS_INFO(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    bool Down() const noexcept { return FDown; }
    void SetDown(bool value);
    int GroupIndex() const noexcept { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const noexcept { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    bool Flat() const noexcept { return FFlat; }
    void SetFlat(bool value);
    bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool value);
    TBitmap* Glyph() const noexcept { return FGlyph.get(); }
    void SetGlyph(TBitmap* value) { FGlyph->Assign(value); }
    int NumGlyphs() const noexcept { return FNumGlyphs; }
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TButtonLayout value);
    // -1: the glyph and caption centred.
    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value);
    int Spacing() const noexcept { return FSpacing; }
    void SetSpacing(int value);
    // The menu a derived button drops down; held, not owned, and forgotten when it is freed.
    TPopupMenu* DropdownMenu() const noexcept { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* value);
    bool MouseInControl() const noexcept { return FMouseInControl; }
    void Click() override;

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Draws the face: frame (themed or classic), glyph and caption.
    void PaintFace(HDC dc);

    TButtonState FState = bsUp;

private:
    void GlyphChanged(TObject* Sender);
    void UpdateExclusive();
    void CMButtonPressed(TMessage& Message);
    void CMMouseEnter(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void SyncEnabledState();
    bool Inside(int X, int Y);
    bool PaintThemedFrame(HDC dc, TRect& rect);
    void PaintClassicFrame(HDC dc, TRect& rect);
    void PaintContent(HDC dc, const TRect& rect);

    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FGlyph;
    int FNumGlyphs = 1;
    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    bool FTransparent = true;
    bool FDragging = false;
    bool FMouseInControl = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    TPopupMenu* FDropdownMenu = nullptr;
};

// A push button the library draws (BS_OWNERDRAW) with a glyph. Kind gives a stock button: its
// caption and ModalResult, Default for OK and Yes, Cancel for Cancel and No; a Close button
// closes its form.
class TBitBtn : public TButton {
    CLASS_INFO(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    TBitBtnKind Kind() const noexcept { return FKind; }
    void SetKind(TBitBtnKind value);
    TBitmap* Glyph() const noexcept { return FGlyph.get(); }
    void SetGlyph(TBitmap* value) { FGlyph->Assign(value); }
    int NumGlyphs() const noexcept { return FNumGlyphs; }
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value);
    int Spacing() const noexcept { return FSpacing; }
    void SetSpacing(int value);
    void Click() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    void SetButtonStyle(bool ADefault) override;
    // Draws the face into the item's DC.
    virtual void DrawItem(const DRAWITEMSTRUCT& Item);

private:
    void GlyphChanged(TObject* Sender);
    void DrawFrame(HDC dc, TRect& rect, bool pressed, bool isDefault);

    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FGlyph;
    int FNumGlyphs = 1;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FIsFocused = false; // the button is the one Enter clicks
};
