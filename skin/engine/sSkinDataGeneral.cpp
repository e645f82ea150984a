// The skin's global values and one section record per INI section, with inheritance through
// PARENTCLASS. A chain of parents ends at a section already asked, so a cycle of any length
// (A names B, B names A) reads as a chain without that value and takes the default.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"

#include <set>

namespace {

const wchar_t* const GlobalInfo = L"GLOBALINFO";

// The next section to ask, or empty when the chain ends (no parent, "?", itself, or a section
// already asked: the INI looks names up without regard to case, so the visit list does too).
UnicodeString NextParent(const TsSkinIni& Ini, const UnicodeString& Section,
                         std::set<UnicodeString>& Visited) {
    Visited.insert(AnsiUpperCase(Section));
    const UnicodeString parent = Ini.ReadString(Section, L"PARENTCLASS", L"?");
    if (parent.empty() || parent == L"?" || parent == Section) return {};
    if (Visited.count(AnsiUpperCase(parent))) return {};
    return parent;
}

SmallInt Small(Integer value) { return static_cast<SmallInt>(value); }

} // namespace

Integer TsSkinManager::ReadIniIntInherited(const UnicodeString& Section, const UnicodeString& Key,
                                           Integer Default) const {
    std::set<UnicodeString> visited;
    for (UnicodeString section = Section; !section.empty();
         section = NextParent(*SkinIni, section, visited)) {
        const Integer value = SkinIni->ReadInteger(section, Key, -1);
        if (value != -1) return value;
    }
    return Default;
}

UnicodeString TsSkinManager::ReadIniStrInherited(const UnicodeString& Section,
                                                 const UnicodeString& Key,
                                                 const UnicodeString& Default) const {
    std::set<UnicodeString> visited;
    for (UnicodeString section = Section; !section.empty();
         section = NextParent(*SkinIni, section, visited)) {
        const UnicodeString value = SkinIni->ReadString(section, Key, L"?");
        if (value != L"?") return value;
    }
    return Default;
}

bool TsSkinManager::ReadIniBoolInherited(const UnicodeString& Section,
                                         const UnicodeString& Key) const {
    return AnsiUpperCase(ReadIniStrInherited(Section, Key, L"FALSE")) == L"TRUE";
}

void TsSkinManager::LoadAllGeneralData() {
    if (!SkinIni) {
        if (TsStoredSkin* stored = OldStyleSkin()) LoadStoredGeneralData(stored);
        return;
    }
    const TsSkinIni& ini = *SkinIni;
    const UnicodeString g = GlobalInfo;
    auto strict = [&](const wchar_t* key, const wchar_t* def) {
        return Small(StrToInt(ini.ReadString(g, key, def)));
    };
    double version = 0;
    SkinData.Version = TryStrToFloat(ini.ReadString(g, L"VERSION", L""), version) ? version : 0;
    SkinData.Author = ini.ReadString(g, L"AUTHOR", L"");
    SkinData.Description = ini.ReadString(g, L"DESCRIPTION", L"");
    SkinData.ExBorderWidth = Small(ini.ReadInteger(g, L"BORDERWIDTH", 4));
    SkinData.ExTitleHeight = Small(ini.ReadInteger(g, L"TITLEHEIGHT", 30));
    SkinData.ExMaxHeight = Small(ini.ReadInteger(g, L"MAXHEIGHT", 0));
    if (SkinData.ExMaxHeight == 0) SkinData.ExMaxHeight = SkinData.ExTitleHeight;
    SkinData.ExContentOffs = Small(ini.ReadInteger(g, L"FORMOFFSET", 8));
    SkinData.ExCenterOffs = Small(ini.ReadInteger(g, L"CENTEROFFSET", 0));
    SkinData.ExDrawMode = Small(ini.ReadInteger(g, L"BORDERMODE", 0));
    SkinData.Shadow1Color = ini.ReadInteger(g, L"SHADOW1COLOR", 0);
    SkinData.Shadow1Offset = strict(L"SHADOW1OFFSET", L"0");
    SkinData.Shadow1Blur = strict(L"SHADOW1BLUR", L"-1");
    SkinData.Shadow1Transparency = strict(L"SHADOW1TRANSPARENCY", L"0");
    SkinData.BISpacing = Small(ini.ReadInteger(g, L"BISPACE", 0));
    SkinData.BIVAlign = Small(ini.ReadInteger(g, L"BIVALIGN", 0));
    SkinData.BIRightMargin = Small(ini.ReadInteger(g, L"BIRIGHT", 0));
    SkinData.BILeftMargin = Small(ini.ReadInteger(g, L"BILEFT", 0));
    SkinData.BorderColor = ini.ReadInteger(g, L"BORDERCOLOR", 0);
    SkinData.BIKeepHUE = Small(ini.ReadInteger(g, L"BIKEEPHUE", 0));
    SkinData.BICloseGlow = strict(L"BICONCLOSEGLOW", L"0");
    SkinData.BICloseGlowMargin = strict(L"BICONCLOSEGLOWMARGIN", L"0");
    SkinData.BIMaxGlow = strict(L"BICONMAXGLOW", L"0");
    SkinData.BIMaxGlowMargin = strict(L"BICONMAXGLOWMARGIN", L"0");
    SkinData.BIMinGlow = strict(L"BICONMINGLOW", L"0");
    SkinData.BIMinGlowMargin = strict(L"BICONMINGLOWMARGIN", L"0");
    CheckVersion();

    gd.clear();
    TStringList sections;
    ini.ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const UnicodeString s = sections.Strings(i);
        TsGeneralData d;
        d.BorderIndex = 0;
        d.ClassName = s;
        d.ParentClass = ini.ReadString(s, L"PARENTCLASS", L"");
        d.Color = ColorToRGB(ReadIniIntInherited(s, L"COLOR", 0xFFFFFF));
        d.ReservedBoolean = ReadIniBoolInherited(s, L"RESERVEDBOOLEAN");
        d.GiveOwnFont = ReadIniBoolInherited(s, L"GIVEOWNFONT");
        d.GlowCount = ReadIniIntInherited(s, L"GLOW", 0);
        d.GlowMargin = ReadIniIntInherited(s, L"GLOWMARGIN", 0);
        const wchar_t* const sides[] = {L"LEFT", L"TOP", L"RIGHT", L"BOTTOM"};
        d.FontColor[0] = ReadIniIntInherited(s, L"FONTCOLOR", 0);
        d.HotFontColor[0] = ReadIniIntInherited(s, L"HOTFONTCOLOR", 0);
        for (int side = 0; side < 4; ++side) {
            d.FontColor[side + 1] = ReadIniIntInherited(s, UnicodeString(L"TC") + sides[side], -1);
            d.HotFontColor[side + 1] =
                ReadIniIntInherited(s, UnicodeString(L"HOTTC") + sides[side], -1);
        }
        d.Transparency = ReadIniIntInherited(s, L"TRANSPARENCY", 0);
        d.GradientPercent = ReadIniIntInherited(s, L"GRADIENTPERCENT", 0);
        d.ImagePercent = ReadIniIntInherited(s, L"IMAGEPERCENT", 0);
        d.GradientData = ReadIniStrInherited(s, L"GRADIENTDATA", L" ");
        if (d.GradientData != L" ") ParseGradientData(d.GradientData, d.GradientArray);
        d.ShowFocus = ReadIniBoolInherited(s, L"SHOWFOCUS");
        d.FadingEnabled = ReadIniBoolInherited(s, L"FADINGENABLED");
        d.FadingIterations = ReadIniIntInherited(s, L"FADINGITERATIONS", 5);
        d.HotColor = ReadIniIntInherited(s, L"HOTCOLOR", 0xFFFFFF);
        d.HotTransparency = ReadIniIntInherited(s, L"HOTTRANSPARENCY", 0);
        d.HotGradientPercent = ReadIniIntInherited(s, L"HOTGRADIENTPERCENT", 0);
        d.HotGradientData = ReadIniStrInherited(s, L"HOTGRADIENTDATA", L"");
        if (d.HotGradientData != L" ") ParseGradientData(d.HotGradientData, d.HotGradientArray);
        d.HotImagePercent = ReadIniIntInherited(s, L"HOTIMAGEPERCENT", 0);
        gd.push_back(std::move(d));
    }
    MergeCommonSections();
    InitMaskIndexes();
}
