// TGraphicsObject and TFont. A font keeps its description (name, height, style...) and makes
// the HFONT from it when first asked; every change drops that handle, but only after OnChange
// has run, so a canvas that holds the font selected can put its DC's own font back first.
#include "framework/Graphics.h"

#include <algorithm>

void TGraphicsObject::Changed() { OnChange(this); }

namespace {

constexpr BYTE QualityCodes[] = {
    DEFAULT_QUALITY,           DRAFT_QUALITY,       PROOF_QUALITY,
    NONANTIALIASED_QUALITY,    ANTIALIASED_QUALITY, CLEARTYPE_QUALITY,
    CLEARTYPE_NATURAL_QUALITY,
};
constexpr BYTE PitchCodes[] = {DEFAULT_PITCH, VARIABLE_PITCH, FIXED_PITCH};

TFontQuality QualityOf(BYTE code) {
    const auto found = std::find(std::begin(QualityCodes), std::end(QualityCodes), code);
    if (found == std::end(QualityCodes)) return fqDefault;
    return static_cast<TFontQuality>(found - std::begin(QualityCodes));
}

TFontPitch PitchOf(BYTE code) {
    switch (code & 3) {
    case VARIABLE_PITCH: return fpVariable;
    case FIXED_PITCH: return fpFixed;
    default: return fpDefault;
    }
}

} // namespace

TFont::TFont() : FPixelsPerInch(ScreenPixelsPerInch()), FHeight(-MulDiv(8, FPixelsPerInch, 72)) {}

void TFont::DescriptionChanged() {
    TOwnedFont previous = std::move(FHandle);
    Changed();
}

HFONT TFont::Handle() {
    if (!FHandle) {
        const LOGFONTW font = MakeLogFont();
        FHandle.Reset(::CreateFontIndirectW(&font));
        if (!FHandle) RaiseLastOSError(L"CreateFontIndirect");
    }
    return FHandle.Get();
}

LOGFONTW TFont::MakeLogFont() const {
    LOGFONTW font{};
    font.lfHeight = FHeight;
    font.lfEscapement = FOrientation;
    font.lfOrientation = FOrientation;
    font.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = FStyle.Contains(fsItalic);
    font.lfUnderline = FStyle.Contains(fsUnderline);
    font.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    font.lfCharSet = FCharset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = QualityCodes[FQuality];
    font.lfPitchAndFamily = PitchCodes[FPitch];
    FName.copy(font.lfFaceName, LF_FACESIZE - 1);
    return font;
}

void TFont::SetHandle(HFONT font) {
    LOGFONTW description{};
    if (font && ::GetObjectW(font, sizeof(description), &description) != sizeof(description))
        RaiseLastOSError(L"GetObject of a font");
    TOwnedFont previous = std::move(FHandle);
    FHandle.Reset(font);
    if (font) Describe(description);
    Changed();
}

void TFont::Describe(const LOGFONTW& font) {
    FName = font.lfFaceName;
    FHeight = font.lfHeight;
    FOrientation = font.lfEscapement;
    FStyle = {};
    if (font.lfWeight >= FW_BOLD) FStyle.Include(fsBold);
    if (font.lfItalic) FStyle.Include(fsItalic);
    if (font.lfUnderline) FStyle.Include(fsUnderline);
    if (font.lfStrikeOut) FStyle.Include(fsStrikeOut);
    FCharset = font.lfCharSet;
    FQuality = QualityOf(font.lfQuality);
    FPitch = PitchOf(font.lfPitchAndFamily);
}

void TFont::SetName(const UnicodeString& name) {
    if (name.empty() || name == FName) return;
    FName = name;
    DescriptionChanged();
}

void TFont::SetHeight(int height) {
    if (height == FHeight) return;
    FHeight = height;
    DescriptionChanged();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, FPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles style) {
    if (style == FStyle) return;
    FStyle = style;
    DescriptionChanged();
}

void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}

void TFont::SetCharset(TFontCharset charset) {
    if (charset == FCharset) return;
    FCharset = charset;
    DescriptionChanged();
}

void TFont::SetQuality(TFontQuality quality) {
    if (quality == FQuality) return;
    FQuality = quality;
    DescriptionChanged();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == FPitch) return;
    FPitch = pitch;
    DescriptionChanged();
}

void TFont::SetOrientation(int orientation) {
    if (orientation == FOrientation) return;
    FOrientation = orientation;
    DescriptionChanged();
}

// The height in pixels stays; the size in points follows the new resolution.
void TFont::SetPixelsPerInch(int pixelsPerInch) {
    if (pixelsPerInch <= 0) throw EInvalidOperation(L"Pixels per inch must be positive");
    FPixelsPerInch = pixelsPerInch;
}

void TFont::Assign(TPersistent* source) {
    auto* font = dynamic_cast<TFont*>(source);
    if (!font) return TGraphicsObject::Assign(source);
    if (font == this) return;
    FName = font->FName;
    FHeight = MulDiv(font->FHeight, FPixelsPerInch, font->FPixelsPerInch);
    FStyle = font->FStyle;
    FColor = font->FColor;
    FCharset = font->FCharset;
    FQuality = font->FQuality;
    FPitch = font->FPitch;
    FOrientation = font->FOrientation;
    DescriptionChanged();
}
