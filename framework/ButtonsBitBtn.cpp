// TBitBtn: a TButton whose window is owner-drawn (BS_OWNERDRAW); the system asks for every face
// through WM_DRAWITEM, reflected as CN_DRAWITEM. The face is the theme's push button (classic
// frame without themes), with the glyph and the caption laid out like a speed button's. A stock
// Kind sets the caption, ModalResult, Default and Cancel once; they may be changed afterwards.
#include "framework/Buttons.h"
#include "framework/Forms.h"
#include "framework/Themes.h"

namespace {

struct TKindDefaults {
    const wchar_t* Caption;
    TModalResult Result;
};

constexpr TKindDefaults KindDefaults[] = {
    {L"", mrNone},        {L"OK", mrOk},          {L"Cancel", mrCancel}, {L"&Help", mrNone},
    {L"&Yes", mrYes},     {L"&No", mrNo},         {L"&Close", mrNone},   {L"Abort", mrAbort},
    {L"&Retry", mrRetry}, {L"&Ignore", mrIgnore}, {L"&All", mrAll},
};

} // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(new TBitmap) {
    FGlyph->OnChange = TNotifyEvent(this, &TBitBtn::GlyphChanged);
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::CreateParams(TCreateParams& Params) {
    TButton::CreateParams(Params);
    Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetKind(TBitBtnKind value) {
    FKind = value;
    if (value == bkCustom) return;
    const TKindDefaults& defaults = KindDefaults[value];
    SetCaption(defaults.Caption);
    SetModalResult(defaults.Result);
    if (value == bkOK || value == bkYes) SetDefault(true);
    if (value == bkCancel || value == bkNo) SetCancel(true);
}

void TBitBtn::Click() {
    TCustomForm* form = FKind == bkClose ? GetParentForm(this) : nullptr;
    if (form)
        form->Close();
    else
        TButton::Click();
}

void TBitBtn::SetNumGlyphs(int value) {
    const int count = value < 1 || value > 4 ? 1 : value;
    if (count == FNumGlyphs) return;
    FNumGlyphs = count;
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value) {
    if (value == FLayout) return;
    FLayout = value;
    Invalidate();
}

void TBitBtn::SetMargin(int value) {
    if (value == FMargin || value < -1) return;
    FMargin = value;
    Invalidate();
}

void TBitBtn::SetSpacing(int value) {
    if (value == FSpacing) return;
    FSpacing = value;
    Invalidate();
}

void TBitBtn::GlyphChanged(TObject*) {
    SetNumGlyphs(buttons_detail::ImagesIn(FGlyph.get()));
    Invalidate();
}

// The owner-drawn face shows the default state itself.
void TBitBtn::SetButtonStyle(bool ADefault) {
    if (ADefault == FIsFocused) return;
    FIsFocused = ADefault;
    Invalidate();
}

void TBitBtn::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam));
        Message.Result = TRUE;
        break;
    // An owner-drawn button reports a second press as a double click, not as a click.
    case WM_LBUTTONDBLCLK:
        Message.Msg = WM_LBUTTONDOWN;
        TButton::Dispatch(Message);
        break;
    default: TButton::Dispatch(Message);
    }
}

void TBitBtn::DrawFrame(HDC dc, TRect& rect, bool pressed, bool isDefault) {
    TThemeServices* themes = ThemeServices();
    if (themes->ThemesEnabled()) {
        const int state = !Enabled()  ? PBS_DISABLED
                          : pressed   ? PBS_PRESSED
                          : isDefault ? PBS_DEFAULTED
                                      : PBS_NORMAL;
        themes->DrawParentBackground(Handle(), dc, &rect);
        themes->DrawElement(dc, {L"BUTTON", BP_PUSHBUTTON, state}, rect);
        InflateRect(&rect, -3, -3);
        return;
    }
    if (isDefault) {
        FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&rect, -1, -1);
    }
    DrawFrameControl(dc, &rect, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& Item) {
    HDC dc = Item.hDC;
    TRect rect{Item.rcItem.left, Item.rcItem.top, Item.rcItem.right, Item.rcItem.bottom};
    const bool pressed = (Item.itemState & ODS_SELECTED) != 0;
    const bool focused = (Item.itemState & ODS_FOCUS) != 0;
    DrawFrame(dc, rect, pressed, FIsFocused || focused);
    const TButtonState state = !Enabled() ? bsDisabled : pressed ? bsDown : bsUp;
    const UnicodeString caption = Caption();
    const TButtonLayoutResult layout =
        ButtonLayout(rect, buttons_detail::GlyphSize(FGlyph.get(), FNumGlyphs),
                     buttons_detail::CaptionSize(dc, Font(), caption), FLayout, FMargin, FSpacing,
                     pressed ? TPoint{1, 1} : TPoint{0, 0});
    const int index = buttons_detail::GlyphIndex(state, FNumGlyphs);
    buttons_detail::DrawGlyph(dc, FGlyph.get(), FNumGlyphs, index, layout.GlyphPos.x,
                              layout.GlyphPos.y, index < 0);
    buttons_detail::DrawCaption(dc, Font(), caption, layout.TextBounds, Enabled());
    if (focused) {
        InflateRect(&rect, -1, -1);
        DrawFocusRect(dc, &rect);
    }
}
