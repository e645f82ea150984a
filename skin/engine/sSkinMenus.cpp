// The menu painter's and the menu options' defaults, and the skin's menu frame width.
#include "skin/engine/sSkinMenus.h"

#include "skin/engine/sSkinManager.h"

TacMenuSupport::TacMenuSupport() : FExtraLineFont(new TFont()) {}

TacMenuSupport::~TacMenuSupport() { FExtraLineFont->Free(); }

TsSkinableMenus::TsSkinableMenus(TComponent* AOwner) : FOwner(AOwner), FCaptionFont(new TFont()) {}

TsSkinableMenus::~TsSkinableMenus() {
    FOwner = nullptr;
    FCaptionFont->Free();
}

int TsSkinableMenus::GetSkinBorderWidth() {
    if (FSkinBorderWidth >= 0) return FSkinBorderWidth;
    auto* manager = dynamic_cast<TsSkinManager*>(FOwner);
    const int mask = manager ? manager->GetMaskIndex(L"MAINMENU", L"BORDERSMASK") : -1;
    if (!manager || !manager->IsValidImgIndex(mask))
        FSkinBorderWidth = 0;
    else
        FSkinBorderWidth = manager->ma[mask].BorderWidth > 0 ? manager->ma[mask].BorderWidth : 3;
    return FSkinBorderWidth;
}
