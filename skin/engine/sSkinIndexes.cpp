// Look-ups by section name and key, image sizes, and the indexes resolved once per skin. The
// parent fall-back of the image look-ups follows PARENTCLASS and stops at a section already
// searched, so a cycle ends.
#include "skin/engine/sSkinManager.h"

#include <set>

int MaskStateWidth(const TsMaskData& Mask) {
    return Mask.ImageCount == 0 ? 0 : Mask.R.Width() / Mask.ImageCount;
}

int MaskStateHeight(const TsMaskData& Mask) {
    return Mask.MaskType == -1 ? 0 : Mask.R.Height() / (Mask.MaskType + 1);
}

int TsSkinManager::GetSkinIndex(const UnicodeString& Section) const {
    for (std::size_t i = 0; i < gd.size(); ++i)
        if (gd[i].ClassName == Section) return static_cast<int>(i);
    return -1;
}

bool TsSkinManager::IsValidSkinIndex(int Index) const noexcept {
    return Index >= 0 && static_cast<std::size_t>(Index) < gd.size();
}

bool TsSkinManager::IsValidImgIndex(int Index) const noexcept {
    return Index >= 0 && static_cast<std::size_t>(Index) < ma.size();
}

namespace {

// Searches `Section` and then its parents for the first entry that `matches` accepts.
template <typename Table, typename Matches>
int SearchWithParents(const TsSkinManager& Manager, int SkinIndex, UnicodeString Section,
                      const Table& table, Matches matches) {
    std::set<UnicodeString> searched;
    while (SkinIndex >= 0 && !Section.empty() && Manager.IsValidSkinIndex(SkinIndex)) {
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].ClassName == Section && matches(table[i])) return static_cast<int>(i);
        searched.insert(Section);
        const UnicodeString parent = Manager.gd[SkinIndex].ParentClass;
        if (parent.empty() || parent == Section || searched.count(parent)) return -1;
        SkinIndex = Manager.GetSkinIndex(parent);
        Section = parent;
    }
    return -1;
}

} // namespace

int TsSkinManager::GetMaskIndex(int SkinIndex, const UnicodeString& Section,
                                const UnicodeString& Key) const {
    return SearchWithParents(*this, SkinIndex, Section, ma,
                             [&](const TsMaskData& m) { return m.PropertyName == Key; });
}

int TsSkinManager::GetMaskIndex(const UnicodeString& Section, const UnicodeString& Key) const {
    if (Section.empty()) return -1;
    for (std::size_t i = 0; i < ma.size(); ++i)
        if (ma[i].ClassName == Section && ma[i].PropertyName == Key) return static_cast<int>(i);
    return -1;
}

int TsSkinManager::GetTextureIndex(int SkinIndex, const UnicodeString& Section,
                                   const UnicodeString& Key) const {
    return SearchWithParents(*this, SkinIndex, Section, ma, [&](const TsMaskData& m) {
        return m.PropertyName == Key && m.ImgType == itisaTexture;
    });
}

int TsSkinManager::GetPatternIndex(int SkinIndex, const UnicodeString& Section,
                                   const UnicodeString& Key) const {
    return SearchWithParents(*this, SkinIndex, Section, pa,
                             [&](const TsPatternData& p) { return p.PropertyName == Key; });
}

TSize TsSkinManager::MaskSize(int MaskIndex) const {
    const TsMaskData& m = ma[MaskIndex];
    if (m.Bmp) return TSize(m.Bmp->Width() / 3, m.Bmp->Height() / 2);
    return TSize(MaskStateWidth(m), MaskStateHeight(m));
}

int TsSkinManager::MaskWidthLeft(int MaskIndex) {
    TsMaskData& m = ma[MaskIndex];
    if (m.ImageCount == 0) m.ImageCount = 1;
    return m.WL > 0 ? m.WL : (m.BorderWidth > 0 ? m.BorderWidth : MaskStateWidth(m));
}

int TsSkinManager::MaskWidthRight(int MaskIndex) const {
    const TsMaskData& m = ma[MaskIndex];
    return m.WR > 0 ? m.WR : (m.BorderWidth > 0 ? m.BorderWidth : MaskStateWidth(m));
}

int TsSkinManager::MaskWidthTop(int MaskIndex) const {
    const TsMaskData& m = ma[MaskIndex];
    return m.WT > 0 ? m.WT : (m.BorderWidth > 0 ? m.BorderWidth : MaskStateHeight(m));
}

int TsSkinManager::MaskWidthBottom(int MaskIndex) const {
    const TsMaskData& m = ma[MaskIndex];
    return m.WB > 0 ? m.WB : (m.BorderWidth > 0 ? m.BorderWidth : MaskStateHeight(m));
}

void TsSkinManager::InitMaskIndexes() {
    for (std::size_t i = 0; i < gd.size(); ++i) {
        TsGeneralData& d = gd[i];
        if (d.ClassName == L"GLOBALINFO") continue;
        const int index = static_cast<int>(i);
        d.BorderIndex = GetMaskIndex(index, d.ClassName, L"BORDERSMASK");
        d.ImgTL = GetMaskIndex(index, d.ClassName, L"IMGTOPLEFT");
        d.ImgTR = GetMaskIndex(index, d.ClassName, L"IMGTOPRIGHT");
        d.ImgBL = GetMaskIndex(index, d.ClassName, L"IMGBTMLEFT");
        d.ImgBR = GetMaskIndex(index, d.ClassName, L"IMGBTMRIGHT");
    }
}

void TsSkinManager::InitConstantIndexes() {
    TConstantSkinData& c = ConstData;
    auto small = [](int v) { return static_cast<SmallInt>(v); };
    auto image = [&](int skinIndex, const wchar_t* section, const wchar_t* key) {
        return small(GetMaskIndex(skinIndex, section, key));
    };
    c.IndexGLobalInfo = small(GetSkinIndex(L"GLOBALINFO"));
    const int g = c.IndexGLobalInfo;
    const wchar_t* const GI = L"GLOBALINFO";
    c.CheckBoxChecked = image(g, GI, L"BOXCHECKED");
    c.CheckBoxUnChecked = image(g, GI, L"BOXUNCHECKED");
    c.CheckBoxGrayed = image(g, GI, L"BOXGRAYED");
    c.RadioButtonChecked = image(g, GI, L"RADIOCHECKED");
    c.RadioButtonUnChecked = image(g, GI, L"RADIOUNCHECKED");
    c.RadioButtonGrayed = image(g, GI, L"RADIOGRAYED");
    c.SmallCheckBoxChecked = image(g, GI, L"SMALLCHECKED");
    c.SmallCheckBoxUnChecked = image(g, GI, L"SMALLUNCHECKED");
    c.SmallCheckBoxGrayed = image(g, GI, L"SMALLGRAYED");
    c.ExBorder = image(g, GI, L"EXBORDER");

    c.ComboBtnIndex = GetSkinIndex(L"COMBOBTN");
    c.ComboBtnBorder = c.ComboBtnIndex >= 0 ? GetMaskIndex(L"COMBOBTN", L"BORDERSMASK") : -1;
    c.ComboBtnBG = GetTextureIndex(c.ComboBtnIndex, L"COMBOBTN", L"PATTERN");
    c.ComboBtnBGHot = GetTextureIndex(c.ComboBtnIndex, L"COMBOBTN", L"HOTPATTERN");
    c.ComboGlyph = GetSkinIndex(L"COMBOBOX") >= 0 ? GetMaskIndex(L"COMBOBOX", L"GLYPHMASK") : -1;

    struct TSectionSlots {
        const wchar_t* Section;
        SmallInt* Index;
        SmallInt* Border;
        SmallInt* Pattern;
        SmallInt* HotPattern;
        SmallInt* Glyph;
    };
    const TSectionSlots slots[] = {
        {L"TABTOP", &c.IndexTabTop, &c.MaskTabTop, nullptr, nullptr, nullptr},
        {L"TABBOTTOM", &c.IndexTabBottom, &c.MaskTabBottom, nullptr, nullptr, nullptr},
        {L"TABLEFT", &c.IndexTabLeft, &c.MaskTabLeft, nullptr, nullptr, nullptr},
        {L"TABRIGHT", &c.IndexTabRight, &c.MaskTabRight, nullptr, nullptr, nullptr},
        {L"SCROLLBTNTOP", &c.IndexScrollTop, &c.MaskScrollTop, &c.IndexBGScrollTop,
         &c.IndexBGHotScrollTop, &c.MaskArrowTop},
        {L"SCROLLBTNBOTTOM", &c.IndexScrollBottom, &c.MaskScrollBottom, &c.IndexBGScrollBottom,
         &c.IndexBGHotScrollBottom, &c.MaskArrowBottom},
        {L"SCROLLBTNLEFT", &c.IndexScrollLeft, &c.MaskScrollLeft, &c.IndexBGScrollLeft,
         &c.IndexBGHotScrollLeft, &c.MaskArrowLeft},
        {L"SCROLLBTNRIGHT", &c.IndexScrollRight, &c.MaskScrollRight, &c.IndexBGScrollRight,
         &c.IndexBGHotScrollRight, &c.MaskArrowRight},
        {L"SCROLLSLIDERV", &c.IndexSliderVert, &c.MaskSliderVert, &c.ScrollSliderBGVert,
         &c.ScrollSliderBGHotVert, &c.MaskSliderGlyphVert},
        {L"SCROLLSLIDERH", &c.IndexSliderHorz, &c.MaskSliderHorz, &c.ScrollSliderBGHorz,
         &c.ScrollSliderBGHotHorz, &c.MaskSliderGlyphHorz},
        {L"SCROLLBAR1H", &c.IndexScrollBar1H, &c.MaskScrollBar1H, &c.BGScrollBar1H,
         &c.BGHotScrollBar1H, nullptr},
        {L"SCROLLBAR1V", &c.IndexScrollBar1V, &c.MaskScrollBar1V, &c.BGScrollBar1V,
         &c.BGHotScrollBar1V, nullptr},
        {L"SCROLLBAR2H", &c.IndexScrollBar2H, &c.MaskScrollBar2H, &c.BGScrollBar2H,
         &c.BGHotScrollBar2H, nullptr},
        {L"SCROLLBAR2V", &c.IndexScrollBar2V, &c.MaskScrollBar2V, &c.BGScrollBar2V,
         &c.BGHotScrollBar2V, nullptr},
    };
    for (const TSectionSlots& slot : slots) {
        const int index = GetSkinIndex(slot.Section);
        *slot.Index = small(index);
        *slot.Border = image(index, slot.Section, L"BORDERSMASK");
        if (slot.Pattern) *slot.Pattern = image(index, slot.Section, L"PATTERN");
        if (slot.HotPattern) *slot.HotPattern = image(index, slot.Section, L"HOTPATTERN");
        if (slot.Glyph) *slot.Glyph = image(index, slot.Section, L"GLYPHMASK");
    }
    CheckShadows();
}
