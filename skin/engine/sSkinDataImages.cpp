// The image table and the master bitmap. Image values come in six forms (see AddImage); the
// fixed-position forms are length-checked before their positions are read, a state count or
// mask row count of 0 never divides, and image types are clamped to the five known ones.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"
#include "skin/engine/acPNG.h"
#include "skin/engine/sGeneralUtils.h"

#include <algorithm>

namespace {

// Number of Count digits at 1-based position Pos of Value, strictly converted.
Integer Field(const UnicodeString& Value, int Pos, int Count) {
    return StrToInt(
        Value.substr(static_cast<std::size_t>(Pos - 1), static_cast<std::size_t>(Count)));
}

SmallInt Small(Integer value) { return static_cast<SmallInt>(value); }

// Side widths from the image's size: a third of a state's width and of a row's height.
void ComputeWidths(TsMaskData& m) {
    const int states = std::max<int>(m.ImageCount, 1);
    const int rows = std::max<int>(m.MaskType + 1, 1);
    m.WL = m.WR = Small(m.R.Width() / (states * 3));
    m.WT = m.WB = Small(m.R.Height() / (rows * 3));
}

void WidthsFromBorder(TsMaskData& m) {
    if (m.BorderWidth != 0)
        m.WL = m.WT = m.WR = m.WB = m.BorderWidth;
    else
        ComputeWidths(m);
}

// The items inside the parentheses of a "#" value: "(l,t,r,b)(count,mask[,bw[,mode]])".
std::vector<std::vector<Integer>> HashGroups(const UnicodeString& Value) {
    std::vector<std::vector<Integer>> groups;
    std::size_t open = Value.find(L'(');
    while (open != UnicodeString::npos) {
        const std::size_t close = Value.find(L')', open);
        if (close == UnicodeString::npos) break;
        const UnicodeString inner = Value.substr(open + 1, close - open - 1);
        const TSysCharSet delims{' ', ','};
        std::vector<Integer> items;
        for (int n = 1, count = CountWordsStrict(inner, delims); n <= count; ++n)
            items.push_back(StrToInt(ExtractNthWord(n, inner, delims)));
        groups.push_back(std::move(items));
        open = Value.find(L'(', close);
    }
    return groups;
}

} // namespace

void TsSkinManager::FreeSkinImages() {
    while (!ma.empty()) ma.pop_back();
    MasterBitmap.reset();
}

void TsSkinManager::LoadSkinImages() {
    FreeSkinImages();
    if (!SkinIni) {
        if (TsStoredSkin* stored = OldStyleSkin()) LoadStoredImages(stored);
        return;
    }
    MasterBitmap.reset(new TBitmap());
    const UnicodeString masterName = SkinIni->ReadString(L"GLOBALINFO", L"MASTERBITMAP", L"");
    if (!masterName.empty()) {
        if (auto file = OpenSkinFile(masterName); file && file->Size() > 0)
            MasterBitmap->LoadFromStream(file.get());
    }
    MasterBitmap->SetPixelFormat(pf24bit);
    MasterBitmap->SetTransparentColor(static_cast<TColor>(0xFF00FF));

    TStringList sections;
    SkinIni->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const UnicodeString section = sections.Strings(i);
        TStringList keys;
        SkinIni->ReadSection(section, &keys);
        for (int k = 0; k < keys.Count(); ++k) {
            const UnicodeString key = keys.Strings(k);
            if (section == L"GLOBALINFO" && AnsiUpperCase(key) == L"MASTERBITMAP") continue;
            const UnicodeString value = SkinIni->ReadString(section, key, L"");
            if (!value.empty()) AddImage(section, key, value);
        }
    }
    MergeCommonImages();
}

// An old-style internal skin's images are ready-made: only counts of 0 and unset widths are
// filled in.
void TsSkinManager::LoadStoredImages(TsStoredSkin* Stored) {
    MasterBitmap.reset(new TBitmap());
    MasterBitmap->Assign(Stored->MasterBitmap());
    MasterBitmap->SetPixelFormat(pf24bit);
    MasterBitmap->SetTransparentColor(static_cast<TColor>(0xFF00FF));
    for (int i = 0; i < Stored->Images()->Count(); ++i) {
        const TsSkinImage* item = Stored->Images()->Items(i);
        TsMaskData m;
        if (!item->Name.empty()) {
            m.Bmp.reset(new TBitmap());
            m.Bmp->Assign(item->Image());
            m.Bmp->SetPixelFormat(pf24bit);
            m.R = TRect(0, 0, m.Bmp->Width(), m.Bmp->Height());
        } else {
            m.R = TRect(item->Left, item->Top, item->Right, item->Bottom);
        }
        m.PropertyName = AnsiUpperCase(item->PropertyName);
        m.ClassName = AnsiUpperCase(item->SectionName);
        m.Manager = this;
        m.ImageCount = Small(item->ImageCount);
        m.MaskType = Small(item->MaskType);
        m.BorderWidth = Small(item->BorderWidth);
        m.ImgType = static_cast<TacImgType>(std::clamp<Integer>(item->ImgType, 0, 4));
        m.DrawMode = Small(item->StretchMode);
        if (m.ImageCount == 0) {
            m.ImageCount = 3;
            m.MaskType = 1;
        }
        m.WL = Small(item->WL);
        m.WT = Small(item->WT);
        m.WR = Small(item->WR);
        m.WB = Small(item->WB);
        if (m.WL == 0 && m.WT == 0 && m.WR == 0 && m.WB == 0) WidthsFromBorder(m);
        ma.push_back(std::move(m));
    }
}

void TsSkinManager::AddImage(const UnicodeString& Section, const UnicodeString& Key,
                             const UnicodeString& Value) {
    TsMaskData m;
    m.ClassName = Section;
    m.PropertyName = Key;
    m.Manager = this;
    const wchar_t first = Value[0];
    const int length = static_cast<int>(Value.size());

    if (first == L'@') {
        if (length < 24) return;
        m.R =
            TRect(Field(Value, 2, 4), Field(Value, 7, 4), Field(Value, 12, 4), Field(Value, 17, 4));
        m.ImageCount = Small(Field(Value, 22, 1));
        m.MaskType = Small(Field(Value, 24, 1));
        m.ImgType = itisaGlyph;
    } else if (first == L'^') {
        if (length < 48) return;
        m.R =
            TRect(Field(Value, 2, 4), Field(Value, 7, 4), Field(Value, 12, 4), Field(Value, 17, 4));
        m.WL = Small(Field(Value, 22, 4));
        m.WT = Small(Field(Value, 27, 4));
        m.WR = Small(Field(Value, 32, 4));
        m.WB = Small(Field(Value, 37, 4));
        m.ImageCount = Small(Field(Value, 42, 1));
        m.MaskType = Small(Field(Value, 44, 1));
        m.DrawMode = Small(Field(Value, 46, 1));
        m.BorderWidth = Small(Field(Value, 48, 1));
        m.ImgType = itisaBorder;
        if (m.WL == 0 && m.WT == 0 && m.WR == 0 && m.WB == 0) WidthsFromBorder(m);
    } else if (first == L'~') {
        if (length < 23) return;
        m.R =
            TRect(Field(Value, 2, 4), Field(Value, 7, 4), Field(Value, 12, 4), Field(Value, 17, 4));
        m.ImageCount = 1;
        m.DrawMode = Small(Field(Value, 22, 2));
        m.MaskType = length >= 25 ? Small(Field(Value, 25, 1)) : SmallInt(0);
        m.ImgType = itisaTexture;
    } else if (first == L'!') {
        const TSysCharSet delims{'!'};
        const UnicodeString fileName = ExtractNthWord(1, Value, delims);
        const bool png = fileName.find(L".PNG") != UnicodeString::npos;
        if (!png && fileName.find(L".BMP") == UnicodeString::npos) return;
        m.ImageCount = Small(StrToInt(ExtractNthWord(2, Value, delims)));
        m.MaskType = Small(StrToInt(ExtractNthWord(3, Value, delims)));
        m.ImgType = static_cast<TacImgType>(
            std::clamp<Integer>(StrToInt(ExtractNthWord(4, Value, delims)), 0, 4));
        m.DrawMode = 4;
        auto file = OpenSkinFile(fileName);
        if (!file || file->Size() == 0) return;
        m.Bmp.reset(new TBitmap());
        if (png) {
            TPNGGraphic image;
            image.LoadFromStream(file.get());
            m.Bmp->Assign(&image);
            ClearTransparentWhite(m.Bmp.get());
        } else {
            m.Bmp->LoadFromStream(file.get());
            if (m.ImgType != itisaTexture) m.Bmp->SetPixelFormat(pf24bit);
        }
        if (m.Bmp->Width() == 0) return;
        m.R = TRect(0, 0, m.Bmp->Width(), m.Bmp->Height());
        if (CountWordsStrict(Value, delims) > 4) {
            m.WL = Small(StrToInt(ExtractNthWord(5, Value, delims)));
            m.WT = Small(StrToInt(ExtractNthWord(6, Value, delims)));
            m.WR = Small(StrToInt(ExtractNthWord(7, Value, delims)));
            m.WB = Small(StrToInt(ExtractNthWord(8, Value, delims)));
        } else {
            ComputeWidths(m);
        }
    } else if (Value.find(L'#') == UnicodeString::npos) {
        const UnicodeString fileName = AnsiUpperCase(Value);
        if (fileName.find(L".BMP") == UnicodeString::npos) return;
        auto file = OpenSkinFile(fileName);
        if (!file || file->Size() == 0) return;
        m.Bmp.reset(new TBitmap());
        m.Bmp->LoadFromStream(file.get());
        m.Bmp->SetPixelFormat(pf24bit);
        if (m.Bmp->Width() == 0) return;
        m.ClassName = AnsiUpperCase(Section);
        m.PropertyName = AnsiUpperCase(Key);
        m.MaskType = 1;
        m.ImageCount = 3;
        m.R = TRect(0, 0, m.Bmp->Width(), m.Bmp->Height());
        ComputeWidths(m);
    } else if (Value == L"#") {
        return;
    } else {
        const auto groups = HashGroups(Value);
        if (groups.size() < 2 || groups[0].size() < 4 || groups[1].size() < 2) return;
        m.ClassName = AnsiUpperCase(Section);
        m.PropertyName = AnsiUpperCase(Key);
        m.R = TRect(groups[0][0], groups[0][1], groups[0][2], groups[0][3]);
        m.ImageCount = Small(std::max<Integer>(groups[1][0], 1));
        m.MaskType = Small(std::max<Integer>(groups[1][1], 0));
        m.BorderWidth = Small(groups[1].size() > 2 ? std::max<Integer>(groups[1][2], 0) : 0);
        m.DrawMode = Small(groups[1].size() > 3 ? groups[1][3] : 1);
        m.ImgType = itisaBorder;
        WidthsFromBorder(m);
    }
    ma.push_back(std::move(m));
}
