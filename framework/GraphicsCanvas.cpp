// TCanvas: the DC it borrows, the lazy selection of its font, pen and brush into that DC, and
// its lock. States: without a DC nothing is selected; csHandleValid alone: the DC holds what
// its owner left in it; each of csFontValid, csPenValid, csBrushValid: our object is selected
// and the DC's own object of that kind is kept in FOriginal* until it is put back. A change of
// font, pen or brush puts the original back and clears the state bit; SetHandle puts all
// originals back and forgets them before it takes another DC.
#include "framework/Graphics.h"

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
    FFont->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
    FPen->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
    FBrush->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() { DeselectHandles(); }

HDC TCanvas::Handle() {
    RequiredState({csHandleValid});
    return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == FHandle) return;
    DeselectHandles();
    FHandle = dc;
    FState = dc ? TCanvasState{csHandleValid} : TCanvasState{};
}

void TCanvas::CreateHandle() { throw EInvalidOperation(L"Canvas does not allow drawing"); }

void TCanvas::Lock() {
    FLock.lock();
    ++FLockCount;
}

void TCanvas::Unlock() {
    --FLockCount;
    FLock.unlock();
}

bool TCanvas::TryLock() {
    if (!FLock.try_lock()) return false;
    ++FLockCount;
    return true;
}

void TCanvas::Changing() { OnChanging(this); }

void TCanvas::Changed() { OnChange(this); }

void TCanvas::RequiredState(TCanvasState required) {
    const TCanvasState needed = required - FState;
    if (needed.Empty()) return;
    if (needed.Contains(csHandleValid)) {
        CreateHandle();
        if (!FHandle) throw EInvalidOperation(L"Canvas does not allow drawing");
    }
    if (needed.Contains(csFontValid)) SelectFont();
    if (needed.Contains(csPenValid)) SelectPen();
    if (needed.Contains(csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
    const HGDIOBJ previous = ::SelectObject(FHandle, FFont->Handle());
    if (!FOriginalFont) FOriginalFont = previous;
    ::SetTextColor(FHandle, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
    FState.Include(csFontValid);
}

void TCanvas::SelectPen() {
    const HGDIOBJ previous = ::SelectObject(FHandle, FPen->Handle());
    if (!FOriginalPen) FOriginalPen = previous;
    ::SetROP2(FHandle, FPen->Mode() + R2_BLACK);
    FState.Include(csPenValid);
}

void TCanvas::SelectBrush() {
    const HBRUSH brush = FBrush->Handle();
    ::UnrealizeObject(brush);
    const HGDIOBJ previous = ::SelectObject(FHandle, brush);
    if (!FOriginalBrush) FOriginalBrush = previous;
    ::SetBkColor(FHandle, static_cast<COLORREF>(ColorToRGB(FBrush->Color())));
    ::SetBkMode(FHandle, FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
    FState.Include(csBrushValid);
}

void TCanvas::Deselect(TCanvasStates which, HGDIOBJ original) noexcept {
    if (!FState.Contains(which)) return;
    ::SelectObject(FHandle, original);
    FState.Exclude(which);
}

void TCanvas::FontChanged(TObject*) { Deselect(csFontValid, FOriginalFont); }

void TCanvas::PenChanged(TObject*) { Deselect(csPenValid, FOriginalPen); }

void TCanvas::BrushChanged(TObject*) { Deselect(csBrushValid, FOriginalBrush); }

void TCanvas::DeselectHandles() noexcept {
    if (!FHandle) return;
    Deselect(csFontValid, FOriginalFont);
    Deselect(csPenValid, FOriginalPen);
    Deselect(csBrushValid, FOriginalBrush);
    FOriginalFont = FOriginalPen = FOriginalBrush = nullptr;
}
