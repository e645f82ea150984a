// CommonSections: INI text held by the manager and merged into every skin it loads. Its
// sections add records for sections the skin lacks; its "#" and ".BMP" values add images; its
// JPEG values add patterns.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"
#include "framework/Files.h"
#include "skin/engine/sGeneralUtils.h"

namespace {

// The CommonSections text parsed into sections; frees the section lists it made.
class TCommonText {
public:
    explicit TCommonText(const TStrings* lines) : FSections(true) {
        ParseIniSections(lines, &FSections);
    }
    int Count() const { return FSections.Count(); }
    UnicodeString Name(int i) const { return FSections.Strings(i); }
    const TStrings* Lines(int i) const {
        return static_cast<const TStrings*>(FSections.Objects(i));
    }
    const TStrings* Sections() const { return &FSections; }

private:
    TStringList FSections;
};

UnicodeString FilePath(const UnicodeString& SkinPath, const UnicodeString& Name) {
    return Name.find(L':') != UnicodeString::npos ? Name : SkinPath + Name;
}

} // namespace

void TsSkinManager::MergeCommonSections() {
    TCommonText common(FCommonSections);
    const TStrings* sections = common.Sections();
    for (int i = 0; i < common.Count(); ++i) {
        const UnicodeString s = common.Name(i);
        bool present = false;
        for (const TsGeneralData& d : gd) present = present || d.ClassName == s;
        if (present) continue;
        TsGeneralData d;
        d.ClassName = s;
        d.ParentClass = AnsiUpperCase(ReadIniString(sections, s, L"PARENTCLASS", L"-1"));
        const TsGeneralData* parent = nullptr;
        for (const TsGeneralData& p : gd)
            if (AnsiUpperCase(p.ClassName) == d.ParentClass) {
                parent = &p;
                break;
            }
        const TsGeneralData defaults{};
        const TsGeneralData& base = parent ? *parent : defaults;
        auto integer = [&](const wchar_t* key, Integer inherited, Integer def) {
            const Integer value = ReadIniInteger(sections, s, key, -1);
            if (value != -1) return value;
            return parent ? inherited : def;
        };
        auto text = [&](const wchar_t* key, const UnicodeString& inherited,
                        const UnicodeString& def) {
            const UnicodeString value = ReadIniString(sections, s, key, L"?");
            if (value != L"?") return value;
            return parent ? inherited : def;
        };
        auto boolean = [&](const wchar_t* key, bool inherited) {
            const UnicodeString value = ReadIniString(sections, s, key, L"?");
            if (value != L"?") return AnsiUpperCase(value) == L"TRUE";
            return parent ? inherited : false;
        };
        d.Color = integer(L"COLOR", base.Color, 0xFFFFFF);
        d.ReservedBoolean = boolean(L"RESERVEDBOOLEAN", base.ReservedBoolean);
        d.GiveOwnFont = boolean(L"GIVEOWNFONT", base.GiveOwnFont);
        // GLOW and GLOWMARGIN take the parent's only when the section itself says -1.
        const Integer glow = ReadIniInteger(sections, s, L"GLOW", 0);
        d.GlowCount = glow == -1 && parent ? parent->GlowCount : (glow == -1 ? 0 : glow);
        const Integer margin = ReadIniInteger(sections, s, L"GLOWMARGIN", 0);
        d.GlowMargin = margin == -1 && parent ? parent->GlowMargin : (margin == -1 ? 0 : margin);
        const wchar_t* const fontKeys[] = {L"FONTCOLOR", L"TCLEFT", L"TCTOP", L"TCRIGHT",
                                           L"TCBOTTOM"};
        const wchar_t* const hotKeys[] = {L"HOTFONTCOLOR", L"HOTTCLEFT", L"HOTTCTOP", L"HOTTCRIGHT",
                                          L"HOTTCBOTTOM"};
        for (int c = 0; c < 5; ++c) {
            d.FontColor[c] = integer(fontKeys[c], base.FontColor[c], c == 0 ? 0 : -1);
            d.HotFontColor[c] = integer(hotKeys[c], base.HotFontColor[c], c == 0 ? 0 : -1);
        }
        d.Transparency = integer(L"TRANSPARENCY", base.Transparency, 0);
        d.GradientPercent = integer(L"GRADIENTPERCENT", base.GradientPercent, 0);
        d.ImagePercent = integer(L"IMAGEPERCENT", base.ImagePercent, 0);
        d.GradientData = text(L"GRADIENTDATA", base.GradientData, L" ");
        if (d.GradientData != L" ") ParseGradientData(d.GradientData, d.GradientArray);
        d.ShowFocus = boolean(L"SHOWFOCUS", base.ShowFocus);
        d.FadingEnabled = boolean(L"FADINGENABLED", base.FadingEnabled);
        d.FadingIterations = integer(L"FADINGITERATIONS", base.FadingIterations, 5);
        d.HotColor = integer(L"HOTCOLOR", base.HotColor, 0xFFFFFF);
        d.HotTransparency = integer(L"HOTTRANSPARENCY", base.HotTransparency, 0);
        d.HotGradientPercent = integer(L"HOTGRADIENTPERCENT", base.HotGradientPercent, 0);
        d.HotGradientData = text(L"HOTGRADIENTDATA", base.HotGradientData, L"");
        if (d.HotGradientData != L" ") ParseGradientData(d.HotGradientData, d.HotGradientArray);
        d.HotImagePercent = integer(L"HOTIMAGEPERCENT", base.HotImagePercent, 0);
        gd.push_back(std::move(d));
    }
}

void TsSkinManager::MergeCommonImages() {
    TCommonText common(FCommonSections);
    for (int i = 0; i < common.Count(); ++i) {
        const UnicodeString section = common.Name(i);
        if (AnsiUpperCase(section) == L"GLOBALINFO") continue;
        const TStrings* lines = common.Lines(i);
        for (int k = 0; k < lines->Count(); ++k) {
            const UnicodeString key = lines->Names(k);
            UnicodeString value = ReadIniString(common.Sections(), section, key, L"-");
            const bool hash = value.find(L'#') != UnicodeString::npos;
            if (MasterBitmap && hash) {
                if (value != L"#") AddImage(section, key, value);
                continue;
            }
            value = AnsiUpperCase(value);
            if (value.find(L".BMP") == UnicodeString::npos) continue;
            const UnicodeString path = FilePath(SkinData.SkinPath, value);
            if (!FileExists(path)) continue;
            TsMaskData m;
            m.Bmp.reset(new TBitmap());
            m.Bmp->LoadFromFile(path);
            m.Bmp->SetPixelFormat(pf24bit);
            if (m.Bmp->Width() == 0) continue;
            m.ClassName = AnsiUpperCase(section);
            m.PropertyName = AnsiUpperCase(key);
            m.Manager = this;
            ma.push_back(std::move(m));
        }
    }
}

void TsSkinManager::MergeCommonPatterns() {
    TCommonText common(FCommonSections);
    for (int i = 0; i < common.Count(); ++i) {
        const UnicodeString section = common.Name(i);
        const TStrings* lines = common.Lines(i);
        for (int k = 0; k < lines->Count(); ++k) {
            const UnicodeString key = lines->Names(k);
            const UnicodeString value =
                AnsiUpperCase(ReadIniString(common.Sections(), section, key, L"-"));
            if (value.find(L".JPG") == UnicodeString::npos &&
                value.find(L".JPEG") == UnicodeString::npos)
                continue;
            const UnicodeString path = FilePath(SkinData.SkinPath, value);
            if (!FileExists(path)) continue;
            TSkinJpegPtr jpeg(new TJPEGImage());
            jpeg->LoadFromFile(path);
            if (jpeg->Width() <= 0) continue;
            pa.push_back({std::move(jpeg), AnsiUpperCase(section), AnsiUpperCase(key)});
        }
    }
}
