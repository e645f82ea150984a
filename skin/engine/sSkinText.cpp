// The two text writers: a section's outline passes and main pass, and a control's text with the
// colours of its own or its transparent parent's section.
#include "skin/engine/sSkinText.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sFramePrimitives.h"

namespace {

constexpr TColor NoOutline = -1;

// One pass: the text in the canvas's font and font colour, on a clear background, into R.
void TextPass(TCanvas* Canvas, const wchar_t* Text, int Length, TRect R, UINT Format) {
    const HDC dc = Canvas->Handle();
    TSavedDC saved(dc);
    SelectObject(dc, Canvas->Font()->Handle());
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Canvas->Font()->Color())));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, Text, Length, &R, Format);
}

// The outline passes of a section's colours (hot ones when Hot), left, top, right, bottom; the
// canvas's font colour ends as the section's main colour.
void OutlinePasses(TCanvas* Canvas, const wchar_t* Text, int Length, const TRect& R, UINT Format,
                   const TsGeneralData& Section, bool Hot) {
    const TsFontColors& colours = Hot ? Section.HotFontColor : Section.FontColor;
    static constexpr POINT shifts[4] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
    for (int k = 1; k <= 4; ++k) {
        Canvas->Font()->SetColor(colours[k]);
        if (colours[k] == NoOutline) continue;
        TRect shifted = R;
        OffsetRect(&shifted, shifts[k - 1].x, shifts[k - 1].y);
        TextPass(Canvas, Text, Length, shifted, Format);
    }
    Canvas->Font()->SetColor(colours[0]);
}

// The faded colour of disabled text: 40 % of the font colour over the background colour.
TColor DisabledColor(TColor FontColor, TColor Background) {
    return BlendColors(ColorToRGB(FontColor), ColorToRGB(Background), 0.4);
}

bool TakesParentFont(const TsCommonData* Data) {
    TControl* owner = Data->FOwnerControl;
    if (!owner || !owner->ParentFont() || !owner->Parent()) return false;
    const bool transparentClass = Data->COC == 32 || Data->COC == 33 || Data->COC == 74;
    return transparentClass || !dynamic_cast<TWinControl*>(owner);
}

// The section whose colours the control's text takes.
int FontSection(const TsCommonData* Data, TsSkinManager* Manager, bool Hot) {
    const int own = Data->SkinIndex;
    if (!Manager || !Manager->IsValidSkinIndex(own) || !TakesParentFont(Data)) return own;
    const TsGeneralData& section = Manager->gd[own];
    const int transparency = Hot ? section.HotTransparency : section.Transparency;
    if (transparency < 1) return own;
    return ParentFontSkinIndex(Data->FOwnerControl, own, Manager);
}

} // namespace

void WriteSkinTextBuf(TCanvas* Canvas, const wchar_t* Text, int Length, bool Enabled,
                      const TRect& R, UINT Format, int SkinIndex, bool Hot,
                      TsSkinManager* SkinManager) {
    TsSkinManager* manager = SkinManager ? SkinManager : DefaultSkinManager;
    if (!manager || !manager->IsValidSkinIndex(SkinIndex)) return;
    Canvas->Brush()->SetStyle(bsClear);
    if (Length <= 0) return;
    const TsGeneralData& section = manager->gd[SkinIndex];
    if (Enabled)
        OutlinePasses(Canvas, Text, Length, R, Format, section, Hot);
    else
        Canvas->Font()->SetColor(DisabledColor(section.FontColor[0], section.Color));
    TextPass(Canvas, Text, Length, R, Format);
}

void WriteSkinText(TCanvas* Canvas, const UnicodeString& Text, bool Enabled, const TRect& R,
                   UINT Format, int SkinIndex, bool Hot, TsSkinManager* SkinManager) {
    WriteSkinTextBuf(Canvas, Text.c_str(), static_cast<int>(Text.size()), Enabled, R, Format,
                     SkinIndex, Hot, SkinManager);
}

void WriteControlTextBuf(TCanvas* Canvas, const wchar_t* Text, int Length, bool Enabled,
                         const TRect& R, UINT Format, TsCommonData* CommonData, bool Hot) {
    if (TControl* owner = CommonData->FOwnerControl) {
        Canvas->SetFont(owner->Font());
        if (Hot && CommonData->SkinSection() == L"WEBBUTTON")
            Canvas->Font()->SetStyle(Canvas->Font()->Style() + TFontStyles{fsUnderline});
    }
    const HDC dc = Canvas->Handle();
    TSavedDC saved(dc);
    IntersectClipRect(dc, R.left, R.top, R.right, R.bottom);
    if (Length <= 0) return;
    TsSkinManager* manager = CommonData->SkinManager();
    const int index = FontSection(CommonData, manager, Hot);
    const bool valid = manager && manager->IsValidSkinIndex(index);
    Canvas->Brush()->SetStyle(bsClear);
    if (Enabled) {
        if (valid && !CommonData->CustomFont())
            OutlinePasses(Canvas, Text, Length, R, Format, manager->gd[index], Hot);
        TextPass(Canvas, Text, Length, R, Format | DT_NOCLIP);
        return;
    }
    if (valid)
        Canvas->Font()->SetColor(
            DisabledColor(manager->gd[index].FontColor[0], manager->GetGlobalColor()));
    TextPass(Canvas, Text, Length, R, Format);
}

void WriteControlText(TCanvas* Canvas, const UnicodeString& Text, bool Enabled, const TRect& R,
                      UINT Format, TsCommonData* CommonData, bool Hot) {
    WriteControlTextBuf(Canvas, Text.c_str(), static_cast<int>(Text.size()), Enabled, R, Format,
                        CommonData, Hot);
}
