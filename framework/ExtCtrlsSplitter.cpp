// TSplitter. A drag runs from the left button going down to it coming up (the splitter has the
// mouse captured meanwhile): the control resized is the visible, enabled control just outside
// the splitter's aligned edge, found when the button goes down. Sizes are computed from the
// drag's distance: the new size is clamped to MinSize .. the largest size that leaves MinSize
// to the rest of the parent, then offered to OnCanResize. The line shown by rsLine/rsPattern
// is drawn inverted (PATINVERT) on the parent's DC and drawn again to take it away, so it
// needs no saved pixels; the DC is held from the button going down to it coming up.
#include "framework/ExtCtrls.h"

#include <algorithm>

// The parent window's DC for the drag line, with the pattern brush selected for rsPattern.
class TSplitter::TLineDC {
public:
    TLineDC(HWND wnd, bool pattern)
        : FDC(GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE),
              TWindowDCTraits{wnd}) {
        if (!FDC) RaiseLastOSError(L"GetDCEx");
        if (!pattern) return;
        static constexpr WORD checks[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        TOwnedBitmap bits(CreateBitmap(8, 8, 1, 1, checks));
        FBrush.Reset(bits ? CreatePatternBrush(bits.Get()) : nullptr);
        if (FBrush) FPrevious = SelectObject(FDC.Get(), FBrush.Get());
    }
    ~TLineDC() {
        if (FPrevious) SelectObject(FDC.Get(), FPrevious);
    }
    TLineDC(const TLineDC&) = delete;
    TLineDC& operator=(const TLineDC&) = delete;
    void Invert(const TRect& rect) {
        PatBlt(FDC.Get(), rect.left, rect.top, rect.Width(), rect.Height(), PATINVERT);
    }

private:
    TOwnedWindowDC FDC;
    TOwnedBrush FBrush; // after the DC: deleted once the destructor has deselected it
    HGDIOBJ FPrevious = nullptr;
};

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetAlign(alLeft);
    SetBounds(0, 0, 3, 100);
    SetCursor(crSizeWE);
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
}

TSplitter::~TSplitter() = default;

void TSplitter::SetMinSize(int value) { FMinSize = std::max(value, 1); }

void TSplitter::SetBeveled(bool value) {
    if (value == FBeveled) return;
    FBeveled = value;
    Invalidate();
}

void TSplitter::Paint() {
    TRect rect = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(rect);
    if (!FBeveled) return;
    if (Vertical())
        rect = TRect(rect.left + 1, rect.top, rect.right - 1, rect.bottom);
    else
        rect = TRect(rect.left, rect.top + 1, rect.right, rect.bottom - 1);
    Frame3D(Canvas(), rect, clBtnHighlight, clBtnShadow, 1);
}

namespace {

// A collapsed control still has an edge to be found by: one pixel on the splitter's side.
TRect Widened(TRect bounds, bool beforeSplitter) {
    if (bounds.Width() == 0) {
        if (beforeSplitter)
            --bounds.left;
        else
            ++bounds.right;
    }
    if (bounds.Height() == 0) {
        if (beforeSplitter)
            --bounds.top;
        else
            ++bounds.bottom;
    }
    return bounds;
}

} // namespace

// The control whose edge touches the splitter's aligned side: the point just outside it lies
// in that control's bounds (a control of width or height 0 counts as one pixel wide).
TControl* TSplitter::FindResizedControl() {
    if (!Parent()) return nullptr;
    TPoint point(Left(), Top());
    switch (Align()) {
    case alLeft: --point.x; break;
    case alRight: point.x += Width(); break;
    case alTop: --point.y; break;
    case alBottom: point.y += Height(); break;
    default: return nullptr;
    }
    const bool before = Align() == alLeft || Align() == alTop;
    for (int index = 0; index < Parent()->ControlCount(); ++index) {
        TControl* control = Parent()->Controls(index);
        if (control == this || !control->Visible() || !control->Enabled()) continue;
        if (Widened(control->BoundsRect(), before).Contains(point)) return control;
    }
    return nullptr;
}

int TSplitter::ControlSize() const { return Vertical() ? FResized->Width() : FResized->Height(); }

// The parent's extent across the splitter, less MinSize and the sizes of the other controls
// aligned across it.
int TSplitter::MaxSize() const {
    int size = (Vertical() ? Parent()->ClientWidth() : Parent()->ClientHeight()) - FMinSize;
    for (int index = 0; index < Parent()->ControlCount(); ++index) {
        TControl* control = Parent()->Controls(index);
        if (!control->Visible()) continue;
        const TAlign align = control->Align();
        if (Vertical() && (align == alLeft || align == alRight)) size -= control->Width();
        if (!Vertical() && (align == alTop || align == alBottom)) size -= control->Height();
    }
    return size + ControlSize();
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (FResized) StopSizing(); // a drag whose button-up never came (the capture was taken)
    FResized = FindResizedControl();
    if (!FResized) return;
    FDownPos = TPoint(X, Y);
    FMaxSize = MaxSize();
    FOldSize = ControlSize();
    FNewSize = FOldSize;
    FSplit = 0;
    if (ResizeStyle == rsLine || ResizeStyle == rsPattern) {
        FLine = std::make_unique<TLineDC>(Parent()->Handle(), ResizeStyle == rsPattern);
        DrawLine();
    }
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    SetCursor(Vertical() ? crSizeWE : crSizeNS);
    if (!FResized) return;
    if (FLine) DrawLine();
    UpdateSize(X, Y);
    if (FLine) DrawLine();
    if (ResizeStyle == rsUpdate) ApplySize();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FResized) StopSizing();
}

// The size the drag to (X, Y) asks for; the line follows the size actually allowed.
void TSplitter::UpdateSize(int X, int Y) {
    const int moved = Vertical() ? X - FDownPos.x : Y - FDownPos.y;
    const bool growsWithMove = Align() == alLeft || Align() == alTop;
    const int asked = growsWithMove ? FOldSize + moved : FOldSize - moved;
    int size = std::clamp(asked, FMinSize, std::max(FMinSize, FMaxSize));
    if (asked < FMinSize && AutoSnap) size = 0;
    if (!DoCanResize(size)) return;
    FNewSize = size;
    FSplit = growsWithMove ? FNewSize - FOldSize : FOldSize - FNewSize;
}

bool TSplitter::DoCanResize(int& NewSize) {
    bool accept = true;
    OnCanResize(this, NewSize, accept);
    return accept;
}

// The control takes the new size; on the right and bottom it also moves, so the realignment
// it causes waits until both are done.
void TSplitter::ApplySize() {
    if (ControlSize() == FNewSize) return;
    TWinControl* parent = Parent();
    parent->DisableAlign();
    switch (Align()) {
    case alLeft: FResized->SetWidth(FNewSize); break;
    case alTop: FResized->SetHeight(FNewSize); break;
    case alRight:
        FResized->SetBounds(FResized->Left() + FResized->Width() - FNewSize, FResized->Top(),
                            FNewSize, FResized->Height());
        break;
    case alBottom:
        FResized->SetBounds(FResized->Left(), FResized->Top() + FResized->Height() - FNewSize,
                            FResized->Width(), FNewSize);
        break;
    default: break;
    }
    parent->EnableAlign();
    OnMoved(this);
}

void TSplitter::StopSizing() {
    if (FLine) DrawLine();
    FLine.reset();
    ApplySize();
    FResized = nullptr;
}

// Inverts the line at the drag's present place; a second call at the same place removes it.
void TSplitter::DrawLine() {
    TRect line = BoundsRect();
    if (Vertical())
        line = TRect(line.left + FSplit, line.top, line.right + FSplit, line.bottom);
    else
        line = TRect(line.left, line.top + FSplit, line.right, line.bottom + FSplit);
    FLine->Invert(line);
}
