// TCustomGroupBox: a container the library paints itself, an etched frame (the theme's group
// box when themes are in use) whose top edge runs through the middle of the caption. The
// children are laid out below the caption, inside the frame.
#include "framework/StdCtrls.h"
#include "framework/Themes.h"

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                     csReplicatable, csParentBackground});
    SetBounds(0, 0, 185, 105);
}

// Measured on a screen DC: the layout is asked for before the window exists.
int TCustomGroupBox::CaptionHeight() {
    TScreenDC screen;
    HGDIOBJ previous = SelectObject(screen.Get(), Font()->Handle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    SelectObject(screen.Get(), previous);
    return metrics.tmHeight;
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    Rect.top += CaptionHeight();
    InflateRect(&Rect, -2, -2);
}

void TCustomGroupBox::Paint() {
    TCanvas* canvas = Canvas();
    const int captionHeight = CaptionHeight();
    TRect frame{0, captionHeight / 2 - 1, Width(), Height()};
    HDC dc = canvas->Handle();
    TThemeServices* themes = ThemeServices();
    if (themes->ThemesEnabled())
        themes->DrawElement(dc, {L"BUTTON", BP_GROUPBOX, Enabled() ? GBS_NORMAL : GBS_DISABLED},
                            frame);
    else
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    const UnicodeString text = Caption();
    if (text.empty()) return;
    canvas->SetFont(Font());
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    TRect caption{8, 0, 8 + canvas->TextWidth(text) + 4, captionHeight};
    canvas->FillRect(caption);
    if (!Enabled()) canvas->Font()->SetColor(clGrayText);
    canvas->TextOut(caption.left + 2, 0, text);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        Realign();
        Invalidate();
        break;
    default: TCustomControl::Dispatch(Message);
    }
}
