// JPEG patterns. A small JPEG (under 90,000 pixels) is more useful as a texture image and
// becomes one; larger ones stay patterns.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"

namespace {

constexpr int TextureLimit = 90000;

bool NamesJpeg(const UnicodeString& UpperValue) {
    return UpperValue.find(L".JPG") != UnicodeString::npos ||
           UpperValue.find(L".JPEG") != UnicodeString::npos;
}

} // namespace

void TsSkinManager::FreeSkinPatterns() {
    while (!pa.empty()) pa.pop_back();
}

// An old-style pattern without an image of its own shares that of another item of its Name; one
// left without any image adds no entry.
void TsSkinManager::LoadStoredPatterns(TsStoredSkin* Stored) {
    TsSkinPatterns* items = Stored->Patterns();
    for (int i = 0; i < items->Count(); ++i) {
        const TsSkinPattern* item = items->Items(i);
        TJPEGImage* image = item->Image();
        for (int j = 0; image->Empty() && j < items->Count(); ++j)
            if (items->Items(j)->Name == item->Name) image = items->Items(j)->Image();
        if (image->Empty()) continue;
        TSkinJpegPtr jpeg(new TJPEGImage());
        jpeg->Assign(image);
        pa.push_back(
            {std::move(jpeg), AnsiUpperCase(item->SectionName), AnsiUpperCase(item->PropertyName)});
    }
}

void TsSkinManager::LoadSkinPatterns() {
    FreeSkinPatterns();
    if (!SkinIni) {
        if (TsStoredSkin* stored = OldStyleSkin()) LoadStoredPatterns(stored);
        return;
    }
    TStringList sections;
    SkinIni->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const UnicodeString section = sections.Strings(i);
        TStringList keys;
        SkinIni->ReadSection(section, &keys);
        for (int k = 0; k < keys.Count(); ++k) {
            const UnicodeString value =
                AnsiUpperCase(SkinIni->ReadString(section, keys.Strings(k), L"-"));
            if (!NamesJpeg(value)) continue;
            auto file = OpenSkinFile(value);
            if (!file || file->Size() == 0) continue;
            TSkinJpegPtr jpeg(new TJPEGImage());
            jpeg->LoadFromStream(file.get());
            if (jpeg->Width() <= 0) continue;
            if (jpeg->Width() * jpeg->Height() < TextureLimit) {
                TsMaskData m;
                m.Bmp.reset(new TBitmap());
                m.Bmp->Assign(jpeg.get());
                m.Bmp->SetPixelFormat(pf24bit);
                m.R = TRect(0, 0, m.Bmp->Width(), m.Bmp->Height());
                m.ClassName = AnsiUpperCase(section);
                m.PropertyName = AnsiUpperCase(keys.Strings(k));
                m.ImgType = itisaTexture;
                m.ImageCount = 1;
                m.Manager = this;
                ma.push_back(std::move(m));
                continue;
            }
            pa.push_back({std::move(jpeg), AnsiUpperCase(section), AnsiUpperCase(keys.Strings(k))});
        }
    }
    MergeCommonPatterns();
}
