// TCustomLabel: text drawn on the parent's DC, without a window. All text goes through
// DoDrawText, which measures (DT_CALCRECT) as well as writes, so a derived label that writes
// its text differently sizes itself the same way. AutoSize measures on a screen DC, so that a
// label sizes itself before its parent has a window.
#include "framework/StdCtrls.h"

namespace {

constexpr UINT AlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};

// Writes with the control's font and `color` on the canvas's DC, without a background.
void WriteText(TCanvas* canvas, TFont* font, TColor color, const UnicodeString& text, TRect& rect,
               UINT flags) {
    HDC dc = canvas->Handle();
    HGDIOBJ previous = SelectObject(dc, font->Handle());
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF textColor = SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
    SetTextColor(dc, textColor);
    SetBkMode(dc, mode);
    SelectObject(dc, previous);
}

} // namespace

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csOpaque, csReplicatable});
    SetBounds(0, 0, 65, 17);
    SetAutoSize(true);
}

TCustomLabel::~TCustomLabel() = default;

void TCustomLabel::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    if (!Transparent()) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(rect);
    }
    canvas->Brush()->SetStyle(bsClear);
    const UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | AlignmentFlags[FAlignment];
    if (FLayout != tlTop) {
        TRect measured = rect;
        DoDrawText(measured, flags | DT_CALCRECT);
        const int room = Height() - measured.bottom;
        OffsetRect(&rect, 0, FLayout == tlBottom ? room : room / 2);
    }
    DoDrawText(rect, flags);
}

// A disabled label writes its text embossed: highlight one pixel down-right, shadow on top.
void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    UnicodeString text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&"))) text += L" ";
    if (!FShowAccelChar) Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    if (Enabled() || (Flags & DT_CALCRECT)) {
        WriteText(canvas, Font(), Font()->Color(), text, Rect, Flags);
        return;
    }
    OffsetRect(&Rect, 1, 1);
    WriteText(canvas, Font(), clBtnHighlight, text, Rect, Flags);
    OffsetRect(&Rect, -1, -1);
    WriteText(canvas, Font(), clBtnShadow, text, Rect, Flags);
}

// ---- size --------------------------------------------------------------------------------------

void TCustomLabel::Measure(int& width, int& height) {
    auto* canvas = dynamic_cast<TControlCanvas*>(Canvas());
    TScreenDC screen;
    TRect rect{0, 0, width, height};
    canvas->PaintWith(screen.Get(), [&] {
        DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    });
    width = rect.right;
    height = rect.bottom;
}

bool TCustomLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (ComponentState().Contains(csLoading)) return false;
    Measure(NewWidth, NewHeight);
    return true;
}

// A right-aligned label keeps its right edge where it is.
void TCustomLabel::AdjustBounds() {
    if (ComponentState().Contains(csLoading) || !AutoSize()) return;
    int width = Width();
    int height = Height();
    Measure(width, height);
    int left = Left();
    if ((FAlignment == taRightJustify) != UseRightToLeftAlignment()) left += Width() - width;
    SetBounds(left, Top(), width, height);
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Changed() {
    AdjustBounds();
    Invalidate();
}

// ---- properties --------------------------------------------------------------------------------

void TCustomLabel::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
    if (value == FLayout) return;
    FLayout = value;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
    if (value == Transparent()) return;
    const TControlStyle opaque{csOpaque};
    SetControlStyle(value ? ControlStyle() - opaque : ControlStyle() + opaque);
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
    if (value == FWordWrap) return;
    FWordWrap = value;
    Changed();
}

void TCustomLabel::SetShowAccelChar(bool value) {
    if (value == FShowAccelChar) return;
    FShowAccelChar = value;
    Changed();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
    FFocusControl = value;
    if (value) value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

// ---- messages ----------------------------------------------------------------------------------

void TCustomLabel::Dispatch(TMessage& Message) {
    const bool aboutMe = Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(this);
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED: Changed(); break;
    case CM_DIALOGCHAR:
        if (FFocusControl && Enabled() && FShowAccelChar &&
            IsAccel(static_cast<wchar_t>(Message.WParam), Caption()) && FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            Message.Result = 1;
        }
        break;
    case CM_MOUSEENTER:
        if (aboutMe) OnMouseEnter(this);
        TGraphicControl::Dispatch(Message);
        break;
    case CM_MOUSELEAVE:
        if (aboutMe) OnMouseLeave(this);
        TGraphicControl::Dispatch(Message);
        break;
    default: TGraphicControl::Dispatch(Message);
    }
}
