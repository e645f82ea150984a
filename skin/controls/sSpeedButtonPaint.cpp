// TsSpeedButton's painting. Unskinned (StdPaint) it draws the class library's look, themed or
// classic, with its own layout of caption and glyph; skinned it builds its image in the cache
// bitmap and copies it (or the fade frame) to its canvas. The skin's section painting comes
// with the skin engine; here the cache holds the parent's colour, caption and glyph.
#include "skin/controls/sSpeedButton.h"

#include "framework/Themes.h"
#include "skin/engine/sVclUtils.h"

TCanvas* TsSpeedButton::TargetCanvas() {
    return FCommonData->Skinned() ? FCommonData->CacheBmp()->Canvas() : Canvas();
}

bool TsSpeedButton::Busy() const {
    const TComponentState state = ComponentState();
    return state.Contains(csDestroying) || state.Contains(csLoading) ||
           ControlState().Contains(csCreating);
}

void TsSpeedButton::Paint() {
    if (!FCommonData->Skinned()) {
        StdPaint(true);
        return;
    }
    if (Width() <= 0 || Height() <= 0) return;
    TBitmap* source = FCommonData->CacheBmp();
    if (FadeTimer && FadeTimer->Enabled() && FadeTimer->TmpBmp()->Width() == Width()) {
        source = FadeTimer->TmpBmp();
    } else {
        FCommonData->BGChanged = CurrentState() > 0 || Down() != FStoredDown ||
                                 FCommonData->BGChanged || FCommonData->HalfVisible;
        FStoredDown = Down();
        FCommonData->HalfVisible = FCommonData->RepaintIfMoved();
        if (NumGlyphs() != FOldNumGlyphs || Spacing() != FOldSpacing) FCommonData->BGChanged = true;
        FOldNumGlyphs = NumGlyphs();
        FOldSpacing = Spacing();
        if (FCommonData->BGChanged && !FCommonData->UrgentPainting) PrepareCache();
    }
    BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), source->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsSpeedButton::GraphRepaint() {
    if (Busy() || !Parent() || !Visible() || !Parent()->HandleAllocated()) return;
    if (!FCommonData->Skinned() || ComponentState().Contains(csDesigning)) {
        Repaint();
        return;
    }
    if (FCommonData->BGChanged) {
        PrepareCache();
        PaintOverlappedControls(FCommonData->CacheBmp()->Canvas());
    }
    TBitmap* source =
        FadeTimer && FadeTimer->Enabled() ? FadeTimer->TmpBmp() : FCommonData->CacheBmp();
    BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), source->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsSpeedButton::PrepareCache() {
    FCommonData->PrepareCacheBmp();
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetColor(Parent() ? Parent()->Color() : Color());
    canvas->FillRect(TRect(0, 0, Width(), Height()));
    if (FButtonStyle != tbsSeparator && FButtonStyle != tbsDivider) {
        DrawCaption();
        DrawGlyph();
    }
    OnPaint(this, FCommonData->CacheBmp());
    FCommonData->BGChanged = false;
}

void TsSpeedButton::DrawCaption() {
    if (!FShowCaption) return;
    TCanvas* canvas = TargetCanvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    const UINT align = FTextAlignment == taLeftJustify
                           ? DT_LEFT
                           : (FTextAlignment == taRightJustify ? DT_RIGHT : DT_CENTER);
    DrawText(CaptionRect(), align | DT_WORDBREAK | DT_EXPANDTABS);
}

void TsSpeedButton::DrawText(TRect R, UINT Flags) {
    Flags = DrawTextBiDiModeFlags(Flags) & ~static_cast<UINT>(DT_SINGLELINE);
    TCanvas* canvas = TargetCanvas();
    HDC dc = canvas->Handle();
    const UnicodeString text = Caption();
    SelectObject(dc, canvas->Font()->Handle()); // the canvas selects it for its own calls only
    SetBkMode(dc, TRANSPARENT);
    if (Enabled()) {
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(TextColor())));
        ::DrawTextW(dc, text.c_str(), -1, &R, Flags);
        return;
    }
    TRect shifted(R.left + 1, R.top + 1, R.right + 1, R.bottom + 1);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
    ::DrawTextW(dc, text.c_str(), -1, &shifted, Flags);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
    ::DrawTextW(dc, text.c_str(), -1, &R, Flags);
}

// Pressed flat buttons of the themed look write their text in the highlight text colour.
TColor TsSpeedButton::TextColor() {
    const bool highlighted = !FCommonData->Skinned() && ThemeServices()->ThemesEnabled() &&
                             Flat() && CurrentState() == 2;
    return highlighted ? clHighlightText : Font()->Color();
}

void TsSpeedButton::DrawGlyph() { DrawBtnGlyph(this, TargetCanvas()); }

// Keeps the class library's button state in step with Enabled (a re-enabled button is up, or
// stuck down in its group).
void TsSpeedButton::SyncButtonState() {
    if (!Enabled())
        FState = bsDisabled;
    else if (FState == bsDisabled)
        FState = Down() && GroupIndex() != 0 ? bsExclusive : bsUp;
}

void TsSpeedButton::StdPaint(bool) {
    SyncButtonState();
    Canvas()->SetFont(Font());
    if (FButtonStyle == tbsSeparator) return;
    if (FButtonStyle == tbsDivider) return PaintDivider();
    const bool pressed = FState == bsDown || FState == bsExclusive;
    TRect face(0, 0, Width() - ArrowWidth(), Height());
    PaintFrame(face, CurrentState());
    if (FButtonStyle == tbsDropDown)
        PaintArrow(TRect(Width() - ArrowWidth(), 0, Width(), Height()), DroppedDown || pressed);
    DrawCaption();
    DrawGlyph();
}

// A vertical line at the middle: the theme's tool-bar separator, 4 pixels wide, or a sunken
// edge 2 pixels wide.
void TsSpeedButton::PaintDivider() {
    const int left = Width() / 2 - 1;
    HDC dc = Canvas()->Handle();
    if (!ThemeServices()->ThemesEnabled()) {
        TRect line(left, 0, left + 2, Height());
        DrawEdge(dc, &line, BDR_SUNKENOUTER, BF_RECT);
        return;
    }
    const TRect line(left, 0, left + 4, Height());
    EraseThemed(line);
    ThemeServices()->DrawElement(dc, {L"TOOLBAR", TP_SEPARATOR, TS_NORMAL}, line);
}

// Under a themed element, which may be partly transparent: the button's colour.
void TsSpeedButton::EraseThemed(const TRect& R) {
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(R);
}

// The theme's element kind for the face and the arrow part: a tool-bar button when flat, a
// push button otherwise; `State` 0 normal, 1 hot, 2 pressed.
void TsSpeedButton::PaintThemedPart(const TRect& R, int State) {
    const int part = Flat() ? static_cast<int>(TP_BUTTON) : static_cast<int>(BP_PUSHBUTTON);
    const int look = !Enabled() ? 4 : (State == 2 ? 3 : (State == 1 ? 2 : 1));
    EraseThemed(R);
    ThemeServices()->DrawElement(Canvas()->Handle(), {Flat() ? L"TOOLBAR" : L"BUTTON", part, look},
                                 R);
}

void TsSpeedButton::PaintFrame(TRect& R, int State) {
    if (ThemeServices()->ThemesEnabled()) return PaintThemedPart(R, State);
    HDC dc = Canvas()->Handle();
    if (Flat()) {
        if (State != 0 || ComponentState().Contains(csDesigning)) {
            DrawEdge(dc, &R, State == 2 ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                     BF_RECT | (Transparent() ? 0 : BF_MIDDLE));
        } else if (!Transparent()) {
            Canvas()->Brush()->SetColor(Color());
            Canvas()->FillRect(R);
        }
        R = TRect(R.left + 1, R.top + 1, R.right - 1, R.bottom - 1);
    } else {
        DrawFrameControl(dc, &R, DFC_BUTTON,
                         DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (State == 2 ? DFCS_PUSHED : 0));
    }
    if (FState == bsExclusive && !(Flat() && FCommonData->FMouseAbove))
        buttons_detail::FillHalfTone(dc, R);
}

// The arrow part, pressed or not, with a small black triangle, 5 x 5 pixels, at its centre.
void TsSpeedButton::PaintArrow(const TRect& R, bool Pressed) {
    TRect part = R;
    if (ThemeServices()->ThemesEnabled())
        PaintThemedPart(part, Pressed ? 2 : (CurrentState() == 1 ? 1 : 0));
    else
        DrawFrameControl(Canvas()->Handle(), &part, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (Pressed ? DFCS_PUSHED : 0));
    int x = R.left + (R.Width() - 5) / 2, y = R.top + (R.Height() - 5) / 2;
    if (Pressed && Flat()) {
        ++x;
        ++y;
    }
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(clBtnText);
    Canvas()->Pen()->SetColor(clBtnText);
    Canvas()->Polygon({TPoint(x, y), TPoint(x + 5, y), TPoint(x + 2, y + 5)});
}

// Paints the other visible controls of the parent that reach into this button (their top-left
// or bottom-right pixel lies inside it) into `Target`, which shows the button at its origin: a
// control over the button stays visible in its cached image.
void TsSpeedButton::PaintOverlappedControls(TCanvas* Target) {
    if (!Parent()) return;
    const TRect bounds = BoundsRect();
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl* control = Parent()->Controls(i);
        const TRect r = control->BoundsRect();
        if (control == this || !control->Visible()) continue;
        if (bounds.Contains(r.TopLeft()) || bounds.Contains(TPoint(r.right - 1, r.bottom - 1)))
            PaintOverlapped(Target, control);
    }
}

void TsSpeedButton::PaintOverlapped(TCanvas* Target, TControl* Control) {
    HDC dc = Target->Handle();
    struct TRestore {
        HDC DC;
        int Saved;
        TCanvas* Target;
        TControl* Control;
        ~TRestore() {
            Control->SetControlState(Control->ControlState() - TControlState{csPaintCopy});
            Target->Unlock();
            RestoreDC(DC, Saved);
        }
    } restore{dc, SaveDC(dc), Target, Control};
    Target->Lock();
    Control->SetControlState(Control->ControlState() + TControlState{csPaintCopy});
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x - (Control->Left() - Left()), origin.y - (Control->Top() - Top()),
                   nullptr);
    IntersectClipRect(dc, 0, 0, Control->Width(), Control->Height());
    Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}
