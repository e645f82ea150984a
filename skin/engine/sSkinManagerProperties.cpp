// The skin manager's published properties, registered for access by name in the order a form
// gives them (streaming order). Registered once, when the first manager is made.
#include "skin/engine/sSkinManager.h"

#include "framework/TypInfo.h"

void TsSkinManager::RegisterPublishedProperties() {
    static const bool registered = [] {
        using M = TsSkinManager;
        RegisterProperties(
            TPropertyTable<M>()
                .Add(L"ExtendedBorders", &M::ReadExtendedBorders, &M::WriteExtendedBorders)
                .Add(L"SkinnedPopups", &M::SkinnedPopups, &M::WriteSkinnedPopups)
                .Add(L"AllowGlowing", &M::ReadAllowGlowing, &M::SetAllowGlowing)
                .Add(L"AnimEffects", &M::AnimEffects)
                .Add(L"IsDefault", &M::ReadIsDefault, &M::WriteIsDefault)
                .Add(L"Active", &M::Active, &M::WriteActive)
                .Add(L"CommonSections", &M::CommonSections)
                .Add(L"Saturation", &M::Saturation)
                .Add(L"HueOffset", &M::HueOffset)
                .Add(L"InternalSkins", &M::InternalSkins)
                .Add(L"MenuSupport", &M::MenuSupport)
                .Add(L"SkinDirectory", &M::SkinDirectory, &M::WriteSkinDirectory)
                .Add(L"SkinName", &M::SkinName, &M::WriteSkinName)
                // A stored SkinInfo or Version is ignored when read back.
                .Add(L"SkinInfo", &M::ReadSkinInfo, [](M*, const UnicodeString&) {})
                .Add(L"SkinningRules", &M::SkinningRules, &M::WriteSkinningRules,
                     {L"srStdForms", L"srStdDialogs", L"srThirdParty"})
                .Add(L"ThirdParty", &M::ThirdParty)
                .Add(L"Version", &M::ReadVersion, [](M*, const UnicodeString&) {})
                .Add(L"OnAfterChange", &M::OnAfterChange)
                .Add(L"OnBeforeChange", &M::OnBeforeChange)
                .Add(L"OnGetMenuExtraLineData", &M::OnGetMenuExtraLineData));
        RegisterProperties(TPropertyTable<TacMenuSupport>()
                               .Add(L"IcoLineSkin", &TacMenuSupport::IcoLineSkin)
                               .Add(L"UseExtraLine", &TacMenuSupport::UseExtraLine)
                               .Add(L"ExtraLineWidth", &TacMenuSupport::ExtraLineWidth)
                               .Add(L"ExtraLineFont", &TacMenuSupport::ExtraLineFont));
        RegisterProperties(TPropertyTable<TsSkinableMenus>()
                               .Add(L"Margin", &TsSkinableMenus::Margin)
                               .Add(L"Alignment", &TsSkinableMenus::Alignment, nullptr,
                                    {L"taLeftJustify", L"taRightJustify", L"taCenter"})
                               .Add(L"BevelWidth", &TsSkinableMenus::BevelWidth)
                               .Add(L"BorderWidth", &TsSkinableMenus::BorderWidth)
                               .Add(L"CaptionFont", &TsSkinableMenus::CaptionFont)
                               .Add(L"SkinBorderWidth", &TsSkinableMenus::GetSkinBorderWidth)
                               .Add(L"Spacing", &TsSkinableMenus::Spacing)
                               .Add(L"OnDrawItem", &TsSkinableMenus::OnDrawItem));
        return true;
    }();
    (void)registered;
}
