// Loading, applying and removing a skin. A load runs against a saved copy of the current skin:
// when reading the new one fails, the copy comes back whole, so the manager is never left with
// half-built tables or SkinLoading set.
#include "skin/engine/sSkinManager.h"

#include "framework/Conversions.h"
#include "framework/Files.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sSkinLibrary.h"

struct TsSkinManager::TSavedSkin {
    UnicodeString SkinName;
    bool Active;
    bool SkinIsPacked;
    TsSkinData SkinData;
    TsMaskArray ma;
    TsPatternArray pa;
    TsGeneralDataArray gd;
    TConstantSkinData ConstData;
    TSkinBitmapPtr MasterBitmap;
};

bool TsSkinManager::PackedSkinExists() const {
    return FileExists(WithTrailingBackslash(FSkinDirectory) + FSkinName + L".asz");
}

void TsSkinManager::WriteSkinName(const UnicodeString& Value) {
    const UnicodeString previousName = FSkinName;
    FSkinName = Value;
    if (!FActive) return;
    OnBeforeChange(this);
    TSavedSkin saved{previousName,  FActive,       SkinIsPacked,
                     SkinData,      std::move(ma), std::move(pa),
                     std::move(gd), ConstData,     std::move(MasterBitmap)};
    ma.clear();
    pa.clear();
    gd.clear();
    ConstData = TConstantSkinData{};
    SkinLoading = true;
    SkinData.Active = false;
    try {
        LoadNamedSkin();
    } catch (...) {
        FreeAndNil(SkinIni);
        FreeAndNil(SkinConvertor);
        FreeSkinPatterns();
        FreeSkinImages();
        FSkinName = saved.SkinName;
        FActive = saved.Active;
        SkinIsPacked = saved.SkinIsPacked;
        SkinData = saved.SkinData;
        ma = std::move(saved.ma);
        pa = std::move(saved.pa);
        gd = std::move(saved.gd);
        ConstData = saved.ConstData;
        MasterBitmap = std::move(saved.MasterBitmap);
        SkinLoading = false;
        throw;
    }
    if (!FActive)
        SendRemoveSkin();
    else
        SendNewSkin(true);
    SkinLoading = false;
    OnAfterChange(this);
}

void TsSkinManager::LoadNamedSkin() {
    SkinIsPacked = PackedSkinExists();
    if (SkinIsPacked)
        ReloadPackedSkin();
    else
        ReloadSkin();
}

void TsSkinManager::WriteActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    if (Value) {
        WriteSkinName(FSkinName);
        return;
    }
    if (!ComponentState().Contains(csLoading)) SendRemoveSkin();
    InitConstantIndexes();
}

void TsSkinManager::WriteIsDefault(bool Value) {
    if (Value || !DefaultSkinManager) {
        FIsDefault = true;
        DefaultSkinManager = this;
        if (FActive) {
            SendNewSkin(true);
            RepaintForms();
        } else {
            SendRemoveSkin();
        }
        return;
    }
    FIsDefault = DefaultSkinManager == this;
}

// Both need layered windows, which the library's start-up found or not.
bool TsSkinManager::ReadExtendedBorders() const {
    return FExtendedBorders && UpdateLayeredWindowProc != nullptr;
}

bool TsSkinManager::ReadAllowGlowing() const {
    return FAllowGlowing && UpdateLayeredWindowProc != nullptr;
}

void TsSkinManager::WriteExtendedBorders(bool Value) {
    if (FExtendedBorders == Value) return;
    FExtendedBorders = Value;
    if (!SkinData.Active) return;
    // The extended-border images come with the skin: read it again as WriteSkinName would.
    WriteSkinName(FSkinName);
}

void TsSkinManager::SetCommonSections(const TStrings* Value) {
    FCommonSections->Clear();
    for (int i = 0; i < Value->Count(); ++i) {
        const UnicodeString line = Value->Strings(i);
        FCommonSections->Add(!line.empty() && line[0] == L';' ? line : StripChar(line, L' '));
    }
    WriteSkinName(FSkinName);
}

void TsSkinManager::CheckVersion() {
    if (SkinData.Version > 255.0)
        MessageBoxW(nullptr,
                    L"This version of the skin have not complete support by used Glazelkit "
                    L"package release.\r\nComponents must be updated up to latest version for "
                    L"using this skin.",
                    L"Skin", MB_OK | MB_ICONWARNING);
}

void TsSkinManager::CheckShadows() {
    if (!FActive || !ReadExtendedBorders()) {
        FormShadowSize = TRect();
        return;
    }
    ShdaTemplate.reset(new TBitmap(0, 0, pf32bit));
    ShdiTemplate.reset(new TBitmap(0, 0, pf32bit));
    if (!IsValidImgIndex(ConstData.ExBorder)) {
        TakeStartUpShadows();
        return;
    }
    const TsMaskData& image = ma[ConstData.ExBorder];
    const int offset = SkinData.ExContentOffs;
    if (SkinData.ExDrawMode != 0)
        FormShadowSize = TRect(offset, offset, offset, offset);
    else
        FormShadowSize =
            TRect(image.WL - offset, image.WT - offset, image.WR - offset, image.WB - offset);
    // The templates are the image's first two states; an image kept in the master bitmap is
    // copied from there.
    TBitmap* source = image.Bmp ? image.Bmp.get() : MasterBitmap.get();
    if (!source) return;
    const int width = MaskStateWidth(image);
    const int height = MaskStateHeight(image);
    const TPoint origin = image.Bmp ? TPoint(0, 0) : TPoint(image.R.left, image.R.top);
    auto copyState = [&](TBitmap* target, int state) {
        target->SetSize(width, height);
        BitBlt(target->Canvas()->Handle(), 0, 0, width, height, source->Canvas()->Handle(),
               origin.x + state * width, origin.y, SRCCOPY);
    };
    copyState(ShdiTemplate.get(), 0);
    copyState(ShdaTemplate.get(), image.ImageCount > 1 ? 1 : 0);
    ClearTransparentWhite(ShdiTemplate.get());
    ClearTransparentWhite(ShdaTemplate.get());
}

// A skin without a shadow image of its own takes the library's shadow pictures, whose borders
// are 11, 7, 11 and 11 pixels wide.
void TsSkinManager::TakeStartUpShadows() {
    if (!ShadowTemplateActive || !ShadowTemplateInactive) return;
    FormShadowSize = TRect(11, 7, 11, 11);
    ShdaTemplate->Assign(ShadowTemplateActive);
    ShdiTemplate->Assign(ShadowTemplateInactive);
    ClearTransparentWhite(ShdiTemplate.get());
    ClearTransparentWhite(ShdaTemplate.get());
}
