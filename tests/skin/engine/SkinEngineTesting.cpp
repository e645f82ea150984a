#include "SkinEngineTesting.h"

#include "framework/Conversions.h"

#include <sstream>

UnicodeString GeneratedSkins() {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(SKINGEN_FOLDER, MAX_PATH, full, nullptr);
    UnicodeString path = full;
    if (path.back() != L'\\') path += L'\\';
    return path;
}

UnicodeString FolderSkins() { return GeneratedSkins() + L"folders\\"; }
UnicodeString PackedSkins() { return GeneratedSkins() + L"packed\\"; }
UnicodeString HostileSkins() { return GeneratedSkins() + L"hostile\\"; }

std::wstring BitmapSignature(TBitmap* Bitmap) {
    if (!Bitmap) return L"none";
    std::uint64_t hash = 1469598103934665603ull;
    const int bytes = Bitmap->PixelFormat() == pf32bit ? 4 : 3;
    if (Bitmap->PixelFormat() == pf24bit || Bitmap->PixelFormat() == pf32bit) {
        for (int y = 0; y < Bitmap->Height(); ++y) {
            const auto* row = static_cast<const Byte*>(Bitmap->ScanLine(y));
            for (int x = 0; x < Bitmap->Width() * bytes; ++x)
                hash = (hash ^ row[x]) * 1099511628211ull;
        }
    }
    std::wostringstream out;
    out << Bitmap->Width() << L"x" << Bitmap->Height() << L" pf" << Bitmap->PixelFormat() << L" @"
        << std::hex << hash;
    return out.str();
}

std::wstring TableDump(TsSkinManager& M) {
    std::wostringstream out;
    const TsSkinData& s = M.SkinData;
    out << L"skin active=" << s.Active << L" version=" << s.Version << L" author=" << s.Author
        << L" description=" << s.Description << L" shadow=" << s.Shadow1Color << L","
        << s.Shadow1Offset << L"," << s.Shadow1Blur << L"," << s.Shadow1Transparency << L" ex="
        << s.ExBorderWidth << L"," << s.ExTitleHeight << L"," << s.ExMaxHeight << L","
        << s.ExContentOffs << L"," << s.ExCenterOffs << L"," << s.ExDrawMode << L" border="
        << s.BorderColor << L" bi=" << s.BISpacing << L"," << s.BIVAlign << L"," << s.BIRightMargin
        << L"," << s.BILeftMargin << L"," << s.BIKeepHUE << L" glow=" << s.BICloseGlow << L","
        << s.BICloseGlowMargin << L"," << s.BIMaxGlow << L"," << s.BIMaxGlowMargin << L","
        << s.BIMinGlow << L"," << s.BIMinGlowMargin << L"\n";
    out << L"master " << BitmapSignature(M.MasterBitmap.get()) << L"\n";
    for (const TsGeneralData& d : M.gd) {
        out << L"section " << d.ClassName << L" parent=" << d.ParentClass << L" color=" << d.Color
            << L" font=";
        for (TColor c : d.FontColor) out << c << L",";
        out << L" hotfont=";
        for (TColor c : d.HotFontColor) out << c << L",";
        out << L" own=" << d.GiveOwnFont << L" glow=" << d.GlowCount << L"," << d.GlowMargin
            << L" reserved=" << d.ReservedBoolean << L" transparency=" << d.Transparency
            << L" gradient=" << d.GradientPercent << L"[" << d.GradientData << L"]"
            << d.GradientArray.size() << L" image=" << d.ImagePercent << L" focus=" << d.ShowFocus
            << L" fading=" << d.FadingEnabled << L"," << d.FadingIterations << L" hot="
            << d.HotColor << L"," << d.HotTransparency << L"," << d.HotGradientPercent << L"["
            << d.HotGradientData << L"]" << d.HotGradientArray.size() << L"," << d.HotImagePercent
            << L" images=" << d.BorderIndex << L"," << d.ImgTL << L"," << d.ImgTR << L"," << d.ImgBL
            << L"," << d.ImgBR << L"\n";
    }
    for (const TsMaskData& m : M.ma) {
        out << L"image " << m.ClassName << L"." << m.PropertyName << L" r=" << m.R.left << L","
            << m.R.top << L"," << m.R.right << L"," << m.R.bottom << L" count=" << m.ImageCount
            << L" mask=" << m.MaskType << L" bw=" << m.BorderWidth << L" mode=" << m.DrawMode
            << L" type=" << m.ImgType << L" w=" << m.WL << L"," << m.WT << L"," << m.WR << L","
            << m.WB << L" bmp=" << BitmapSignature(m.Bmp.get()) << L"\n";
    }
    for (const TsPatternData& p : M.pa)
        out << L"pattern " << p.ClassName << L"." << p.PropertyName << L" " << p.Img->Width()
            << L"x" << p.Img->Height() << L"\n";
    const auto* c = reinterpret_cast<const SmallInt*>(&M.ConstData);
    out << L"const";
    for (int i = 0; i < 65; ++i) out << L" " << c[i];
    const TConstantSkinData& k = M.ConstData;
    out << L" " << k.ComboBtnIndex << L" " << k.ComboBtnBorder << L" " << k.ComboBtnBG << L" "
        << k.ComboBtnBGHot << L" " << k.ComboGlyph << L"\n";
    return out.str();
}

void SkinManagerTest::SetUp() {
    FFramework.Initialize();
    Manager = Construct<TsSkinManager>(nullptr);
}

void SkinManagerTest::TearDown() {
    if (Manager) Manager->Free();
    FFramework.Finalize();
}

void SkinManagerTest::Load(const UnicodeString& Directory, const UnicodeString& Name) {
    Manager->WriteSkinDirectory(Directory);
    Manager->WriteSkinName(Name);
}

void SkinManagerTest::LoadFlatWith(const wchar_t* Sections) {
    Load(FolderSkins(), L"TestFlat");
    TStringList common;
    common.SetText(Sections);
    Manager->SetCommonSections(&common);
}

const TsGeneralData& SkinManagerTest::Data(const wchar_t* Name) const {
    const int index = Manager->GetSkinIndex(Name);
    if (index < 0) throw std::runtime_error("no such section");
    return Manager->gd[index];
}

const TsMaskData& SkinManagerTest::Image(const wchar_t* Section, const wchar_t* Key) const {
    const int index = Manager->GetMaskIndex(Section, Key);
    if (index < 0) throw std::runtime_error("no such image");
    return Manager->ma[index];
}
