// The status panel's label: the text it writes is its caption laid out into its box, one line
// of the layout a line of the written text.
#include "client/gui/ColumnLabel.h"
#include "client/gui/FittedText.h"

#include "framework/Graphics.h"

#include <algorithm>

namespace {

// The screen's DC with a font selected for as long as it lives.
class TMeasuringDC {
public:
    explicit TMeasuringDC(TFont* font) : FPrevious(SelectObject(FScreen.Get(), font->Handle())) {}
    ~TMeasuringDC() { SelectObject(FScreen.Get(), FPrevious); }
    TMeasuringDC(const TMeasuringDC&) = delete;
    TMeasuringDC& operator=(const TMeasuringDC&) = delete;
    HDC Get() const { return FScreen.Get(); }

private:
    TScreenDC FScreen;
    HGDIOBJ FPrevious;
};

int LineHeight(HDC dc) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return std::max<int>(metrics.tmHeight, 1);
}

} // namespace

TColumnLabel::TColumnLabel(TComponent* AOwner) : TsLabel(AOwner) {
    SetAutoSize(false);
    SetWordWrap(true);
    // Account texts come from the server: an "&" in them is a character, not an accelerator.
    SetShowAccelChar(false);
}

int TColumnLabel::LineCapacity() {
    TMeasuringDC dc(Font());
    return std::max(Height() / LineHeight(dc.Get()), 1);
}

std::vector<UnicodeString> TColumnLabel::FittedLines() {
    TMeasuringDC dc(Font());
    return FitTextLines(dc.Get(), Caption(), Width(), std::max(Height() / LineHeight(dc.Get()), 1));
}

UnicodeString TColumnLabel::GetLabelText() {
    UnicodeString text;
    for (const UnicodeString& line : FittedLines()) {
        if (!text.empty()) text += L"\r\n";
        text += line;
    }
    return text;
}
