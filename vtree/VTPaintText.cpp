// The string tree's window: cell texts painted inside the content rectangle less TextMargin on
// both sides, single lines centred vertically and shortened with "..." when they do not fit,
// multi-line nodes word-wrapped; the static text after the normal text; OnPaintText may change
// the font first and OnDrawText may draw the text itself. Disabled nodes and a disabled tree
// use the DisabledColor.
#include "vtree/VTPaintState.h"

namespace {

UINT AlignmentFlag(TAlignment Alignment) {
    switch (Alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

// The canvas selects its font (and text colour) only for its own drawing calls; measuring
// nothing makes it do so before the DC is used directly, unless they are selected already.
HDC PreparedDC(TCanvas* Canvas) {
    if (!Canvas->State().Contains(csFontValid)) Canvas->TextExtent(UnicodeString());
    return Canvas->Handle();
}

int TextExtent(HDC DC, const UnicodeString& Text, std::size_t Length) {
    SIZE size{};
    GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Length), &size);
    return size.cx;
}

} // namespace

TBaseVirtualTree* TVirtualStringTreeWindow::CreateTree() {
    return Construct<TVirtualStringTree>(nullptr);
}

TCustomVirtualStringTree* TVirtualStringTreeWindow::StringTree() const {
    return static_cast<TCustomVirtualStringTree*>(Tree());
}

UnicodeString TVirtualStringTreeWindow::ShortenText(HDC DC, const UnicodeString& S, int Width,
                                                    int EllipsisWidth) {
    if (S.empty() || Width <= 0) return {};
    if (EllipsisWidth == 0) EllipsisWidth = TextExtent(DC, L"...", 3);
    if (Width <= EllipsisWidth) return {};
    std::size_t low = 0, high = S.size() - 1;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (TextExtent(DC, S, middle) + EllipsisWidth <= Width)
            low = middle;
        else
            high = middle - 1;
    }
    return S.substr(0, low) + L"...";
}

void TVirtualStringTreeWindow::DoPaintNode(TVTPaintInfo& PaintInfo) {
    TCustomVirtualStringTree* strings = StringTree();
    const UnicodeString text = strings->CellText(PaintInfo.Node, PaintInfo.Column);
    if (!text.empty()) DrawNormalText(PaintInfo, text);
    if (Alignment() == taCenter || PaintInfo.Node->States.Contains(vsMultiline)) return;
    auto* options = strings->StringTreeOptions();
    if (!options || !options->StringOptions().Contains(toShowStaticText)) return;
    UnicodeString staticText;
    strings->DoGetText(PaintInfo.Node, PaintInfo.Column, ttStatic, staticText);
    if (!staticText.empty()) DrawStaticText(PaintInfo, staticText);
}

void TVirtualStringTreeWindow::DoPaintText(PVirtualNode Node, TCanvas* Canvas, TColumnIndex Column,
                                           TVSTTextType TextType) {
    OnPaintText(this, Canvas, Node, Column, TextType);
}

bool TVirtualStringTreeWindow::TLineHeight::Describes(TFont* Font) const {
    return Font->Name() == Name && Font->Height() == Height && Font->Style() == Style &&
           Font->Charset() == Charset && Font->Pitch() == Pitch && Font->Quality() == Quality;
}

int TVirtualStringTreeWindow::LineHeight(TCanvas* Canvas) {
    TFont* font = Canvas->Font();
    if (!FLineHeight.Describes(font)) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(PreparedDC(Canvas), &metrics);
        FLineHeight = {font->Name(),  font->Height(),  font->Style(),   font->Charset(),
                       font->Pitch(), font->Quality(), metrics.tmHeight};
    }
    return FLineHeight.Value;
}

void TVirtualStringTreeWindow::DoDrawText(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                          const UnicodeString& Text, TRect CellRect,
                                          UINT DrawFormat) {
    bool defaultDraw = true;
    OnDrawText(this, Canvas, Node, Column, Text, CellRect, defaultDraw);
    if (!defaultDraw) return;
    HDC dc = PreparedDC(Canvas);
    if (DrawFormat == (DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT)) {
        // A left-aligned single line (every such cell, shortened or not): the platform's text
        // drawing would measure the text only to find where it starts, which is the
        // rectangle's left edge, and centre it by the font's line height. One clipped output at
        // that place draws the same pixels. Centring is rounded either as (height - line) / 2
        // or as height / 2 - line / 2; the two agree for a line no higher than the rectangle
        // unless the height is even and the line odd, and the platform decides the other cases.
        const int height = CellRect.bottom - CellRect.top, line = LineHeight(Canvas);
        if (line <= height && (height % 2 == 1 || line % 2 == 0)) {
            ExtTextOutW(dc, CellRect.left, CellRect.top + (height - line) / 2, ETO_CLIPPED,
                        &CellRect, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
            return;
        }
    }
    DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &CellRect, DrawFormat);
}

void TVirtualStringTreeWindow::PrepareTextFont(TVTPaintInfo& PaintInfo) {
    TCanvas* canvas = PaintInfo.Canvas;
    UseFont(canvas, Font());
    PVirtualNode node = PaintInfo.Node;
    if (HasPaint(toHotTrack) && node == Tree()->HotNode()) {
        if (!(UseThemes() && HasPaint(toUseExplorerTheme)))
            canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsUnderline});
        canvas->Font()->SetColor(Colors()->HotColor());
    }
    const bool inFocusColumn =
        PaintInfo.Column == Tree()->FocusedColumn() || HasSelection(toFullRowSelect);
    if (!PaintInfo.PaintOptions.Contains(poDrawSelection) || !inFocusColumn) return;
    const bool selected = node->States.Contains(vsSelected);
    const bool explorer = UseThemes() && HasPaint(toUseExplorerTheme);
    if (node == Tree()->DropTargetNode()) {
        const bool onNode = Tree()->LastDropMode == dmOnNode;
        if (onNode || (selected && !explorer)) canvas->Font()->SetColor(clHighlightText);
    } else if (selected && !explorer && (IsFocused() || HasPaint(toPopupMode))) {
        canvas->Font()->SetColor(clHighlightText);
    }
}

void TVirtualStringTreeWindow::UseDisabledColour(TVTPaintInfo& PaintInfo) {
    if (PaintInfo.Node->States.Contains(vsDisabled) || !Enabled())
        PaintInfo.Canvas->Font()->SetColor(Colors()->DisabledColor());
}

void TVirtualStringTreeWindow::DrawNormalText(TVTPaintInfo& PaintInfo, const UnicodeString& Text) {
    TCanvas* canvas = PaintInfo.Canvas;
    PrepareTextFont(PaintInfo);
    TRect r = PaintInfo.ContentRect;
    const int margin = Tree()->TextMargin;
    r.left += margin;
    r.right -= margin;
    canvas->SetTextFlags(0);
    const bool rightToLeft = PaintInfo.BidiMode != bdLeftToRight;
    UnicodeString shortened;
    const UnicodeString* text = &Text; // the shortened one when it does not fit
    UINT format = DT_NOPREFIX | (rightToLeft ? DT_RTLREADING : 0);
    if (PaintInfo.Node->States.Contains(vsMultiline)) {
        DoPaintText(PaintInfo.Node, canvas, PaintInfo.Column, ttNormal);
        UseDisabledColour(PaintInfo);
        format |=
            AlignmentFlag(PaintInfo.Alignment) | DT_WORDBREAK | DT_END_ELLIPSIS | DT_EDITCONTROL;
    } else {
        int ellipsis = EllipsisWidth();
        if (PaintTextChangesFont(PaintInfo.Node, canvas, PaintInfo.Column)) {
            ellipsis = 0;
            PaintInfo.NodeWidth = 2 * margin + canvas->TextWidth(Text);
        }
        UseDisabledColour(PaintInfo);
        format |= DT_SINGLELINE | DT_VCENTER;
        if (PaintInfo.Column < 0) {
            format |= AlignmentFlag(PaintInfo.Alignment);
        } else if (r.Width() < PaintInfo.NodeWidth - 2 * margin) {
            shortened = ShortenText(PreparedDC(canvas), Text, r.Width(), ellipsis);
            text = &shortened;
            if (PaintInfo.Alignment == taRightJustify) format |= DT_RIGHT;
        } else {
            format |= AlignmentFlag(PaintInfo.Alignment);
        }
    }
    SetBkMode(PreparedDC(canvas), (canvas->TextFlags() & ETO_OPAQUE) ? OPAQUE : TRANSPARENT);
    DoDrawText(canvas, PaintInfo.Node, PaintInfo.Column, *text, r, format);
}

// The canvas's font reports its changes to the canvas through OnChange: while OnPaintText runs
// they pass through us first, so that a handler that changes the font is noticed.
bool TVirtualStringTreeWindow::PaintTextChangesFont(PVirtualNode Node, TCanvas* Canvas,
                                                    TColumnIndex Column) {
    struct TRedirect {
        TFont* Font;
        TNotifyEvent Previous;
        ~TRedirect() { Font->OnChange = Previous; }
    } redirect{Canvas->Font(), Canvas->Font()->OnChange};
    FCanvasFontChange = redirect.Previous;
    FFontChanged = false;
    redirect.Font->OnChange = TNotifyEvent(this, &TVirtualStringTreeWindow::CanvasFontChanged);
    DoPaintText(Node, Canvas, Column, ttNormal);
    return FFontChanged;
}

void TVirtualStringTreeWindow::CanvasFontChanged(TObject* Sender) {
    FFontChanged = true;
    FCanvasFontChange(Sender);
}

void TVirtualStringTreeWindow::DrawStaticText(TVTPaintInfo& PaintInfo, const UnicodeString& Text) {
    TCanvas* canvas = PaintInfo.Canvas;
    UseFont(canvas, Font());
    PVirtualNode node = PaintInfo.Node;
    const bool selected = node->States.Contains(vsSelected);
    const bool dropTarget = node == Tree()->DropTargetNode();
    if (HasSelection(toFullRowSelect) &&
        (dropTarget ? Tree()->LastDropMode == dmOnNode || selected
                    : selected && (IsFocused() || HasPaint(toPopupMode))))
        canvas->Font()->SetColor(clHighlightText);
    canvas->SetTextFlags(0);
    DoPaintText(node, canvas, PaintInfo.Column, ttStatic);
    UseDisabledColour(PaintInfo);
    TRect r = PaintInfo.ContentRect;
    if (PaintInfo.Alignment == taRightJustify)
        r.right = PaintInfo.ContentRect.right - PaintInfo.NodeWidth - Tree()->TextMargin;
    else
        r.left = PaintInfo.ContentRect.left + PaintInfo.NodeWidth + Tree()->TextMargin;
    HDC dc = PreparedDC(canvas);
    SetBkMode(dc, (canvas->TextFlags() & ETO_OPAQUE) ? OPAQUE : TRANSPARENT);
    DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
