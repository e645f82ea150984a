// Old-style internal skins: sections read from the stored skin's items instead of an INI text,
// and the sections written back as the INI keys of a skin.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"
#include "skin/engine/sGeneralUtils.h"

namespace {

const TSysCharSet Blank{' '};

// "main left top right bottom": five numbers, else the main colour 0 and no outlines.
TsFontColors FontColorsOf(const UnicodeString& Text) {
    TsFontColors colours{0, -1, -1, -1, -1};
    if (CountWordsStrict(Text, Blank) != 5) return colours;
    TsFontColors read{};
    for (int i = 0; i < 5; ++i) {
        Integer value = 0;
        if (!TryStrToInt(ExtractNthWord(i + 1, Text, Blank), value)) return colours;
        read[static_cast<std::size_t>(i)] = value;
    }
    return read;
}

UnicodeString Flag(bool Value) { return Value ? L"TRUE" : L"FALSE"; }

} // namespace

TsStoredSkin* TsSkinManager::OldStyleSkin() const {
    const int index = FBuiltInSkins->IndexOf(FSkinName);
    return index < 0 ? nullptr : FBuiltInSkins->Items(index);
}

void TsSkinManager::LoadStoredGeneralData(TsStoredSkin* Stored) {
    SkinData.Version = Stored->Version;
    SkinData.Author = Stored->Author;
    SkinData.Description = Stored->Description;
    SkinData.Shadow1Color = Stored->Shadow1Color;
    SkinData.Shadow1Offset = static_cast<SmallInt>(Stored->Shadow1Offset);
    SkinData.Shadow1Blur = static_cast<SmallInt>(Stored->Shadow1Blur);
    SkinData.Shadow1Transparency = static_cast<SmallInt>(Stored->Shadow1Transparency);
    SkinData.BorderColor = Stored->BorderColor;
    CheckVersion();
    gd.clear();
    for (int i = 0; i < Stored->GeneralData()->Count(); ++i) {
        const TsSkinGeneral& item = *Stored->GeneralData()->Items(i);
        TsGeneralData d;
        d.BorderIndex = 0;
        d.ClassName = item.SectionName;
        d.ParentClass = item.ParentClass;
        d.Color = item.Color;
        d.ReservedBoolean = item.ReservedBoolean;
        d.FontColor = FontColorsOf(item.FontColor);
        d.HotFontColor = FontColorsOf(item.HotFontColor);
        d.Transparency = item.Transparency;
        d.GlowCount = item.GlowCount;
        d.GlowMargin = item.GlowMargin;
        d.GradientPercent = item.GradientPercent;
        d.GradientData = item.GradientData;
        if (d.GradientData != L" ") ParseGradientData(d.GradientData, d.GradientArray);
        d.ImagePercent = item.ImagePercent;
        d.ShowFocus = item.ShowFocus;
        d.FadingEnabled = item.FadingEnabled;
        d.FadingIterations = item.FadingIterations;
        d.HotColor = item.HotColor;
        d.HotTransparency = item.HotTransparency;
        d.HotGradientPercent = item.HotGradientPercent;
        d.HotGradientData = item.HotGradientData;
        if (d.HotGradientData != L" ") ParseGradientData(d.HotGradientData, d.HotGradientArray);
        d.HotImagePercent = item.HotImagePercent;
        d.GiveOwnFont = item.GiveOwnFont;
        gd.push_back(std::move(d));
    }
    MergeCommonSections();
    InitMaskIndexes();
}

void TsSkinManager::SaveToIni(int Index, TMemIniFile* Ini) const {
    TsSkinGenerals* items = FBuiltInSkins->Items(Index)->GeneralData();
    for (int i = 0; i < items->Count(); ++i) {
        const TsSkinGeneral& item = *items->Items(i);
        const UnicodeString& s = item.SectionName;
        if (s.empty()) continue;
        auto write = [&](const wchar_t* key, const UnicodeString& value) {
            Ini->WriteString(s, key, value);
        };
        auto writeColours = [&](const UnicodeString& text, const wchar_t* const(&keys)[5]) {
            for (int w = 0; w < 5; ++w) write(keys[w], ExtractNthWord(w + 1, text, Blank));
        };
        write(L"PARENTCLASS", item.ParentClass);
        write(L"COLOR", IntToStr(item.Color));
        write(L"RESERVEDBOOLEAN", Flag(item.ReservedBoolean));
        write(L"GIVEOWNFONT", Flag(item.GiveOwnFont));
        write(L"GLOW", IntToStr(item.GlowCount));
        write(L"GLOWMARGIN", IntToStr(item.GlowMargin));
        writeColours(item.FontColor, {L"FONTCOLOR", L"TCLEFT", L"TCTOP", L"TCRIGHT", L"TCBOTTOM"});
        writeColours(item.HotFontColor,
                     {L"HOTFONTCOLOR", L"HOTTCLEFT", L"HOTTCTOP", L"HOTTCRIGHT", L"HOTTCBOTTOM"});
        write(L"TRANSPARENCY", IntToStr(item.Transparency));
        write(L"GRADIENTPERCENT", IntToStr(item.GradientPercent));
        write(L"IMAGEPERCENT", IntToStr(item.ImagePercent));
        write(L"GRADIENTDATA", item.GradientData);
        write(L"SHOWFOCUS", Flag(item.ShowFocus));
        write(L"FADINGENABLED", Flag(item.FadingEnabled));
        write(L"FADINGITERATIONS", IntToStr(item.FadingIterations));
        write(L"HOTCOLOR", IntToStr(item.HotColor));
        write(L"HOTTRANSPARENCY", IntToStr(item.HotTransparency));
        write(L"HOTGRADIENTPERCENT", IntToStr(item.HotGradientPercent));
        write(L"HOTGRADIENTDATA", item.HotGradientData);
        write(L"HOTIMAGEPERCENT", IntToStr(item.HotImagePercent));
    }
}
