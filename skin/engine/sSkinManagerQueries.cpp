// Colours and texts the rest of the library asks the manager for.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"

namespace {

constexpr TColor NoColour = static_cast<TColor>(0xFF00FF);

bool IsPlainColour(TColor c) { return c != -1 && c != NoColour && c != 0xFFFFFF; }

} // namespace

const TsGeneralData* TsSkinManager::SectionData(const UnicodeString& Name) const {
    const int index = GetSkinIndex(Name);
    return IsValidSkinIndex(index) ? &gd[index] : nullptr;
}

TColor TsSkinManager::GetGlobalColor() const {
    return IsValidSkinIndex(ConstData.IndexGLobalInfo) ? gd[ConstData.IndexGLobalInfo].Color
                                                       : ColorToRGB(clBtnFace);
}

TColor TsSkinManager::GetGlobalFontColor() const {
    return IsValidSkinIndex(ConstData.IndexGLobalInfo) ? gd[ConstData.IndexGLobalInfo].FontColor[0]
                                                       : NoColour;
}

TColor TsSkinManager::GetActiveEditColor() const {
    return IsValidSkinIndex(ConstData.IndexGLobalInfo) ? gd[ConstData.IndexGLobalInfo].HotColor
                                                       : ColorToRGB(clWindow);
}

TColor TsSkinManager::GetActiveEditFontColor() const {
    const TsGeneralData* edit = SectionData(L"EDIT");
    return edit ? edit->HotFontColor[0] : NoColour;
}

TColor TsSkinManager::GetHighLightColor() const {
    const TsGeneralData* item = SectionData(L"MENUITEM");
    return item && IsPlainColour(item->HotColor) ? item->HotColor : clHighlight;
}

TColor TsSkinManager::GetHighLightFontColor() const {
    const TsGeneralData* item = SectionData(L"MENUITEM");
    if (item && IsPlainColour(item->HotFontColor[0]) && item->HotFontColor[0] != 0 &&
        IsPlainColour(item->HotColor))
        return item->HotFontColor[0];
    return clHighlightText;
}

UnicodeString TsSkinManager::ReadSkinInfo() const {
    return SkinData.Active ? FloatToStr(SkinData.Version) : UnicodeString(L"N/A");
}

void TsSkinManager::GetSkinSections(TStrings* List) const {
    List->Clear();
    if (!SkinData.Active) return;
    for (const TsGeneralData& d : gd) List->Add(d.ClassName);
}
