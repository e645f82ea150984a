// TsEdit: the skinned edit (code 3, section "EDIT"), the class library's edit on the null skin.
// It owns its bound caption label, which stays inactive until the skin engine makes it show one.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sSkinnedWrapper.h"
#include "skin/engine/sBoundLabel.h"

class TsEdit : public TsSkinned<TEdit> {
    CLASS_INFO(TsEdit, TEdit)
public:
    explicit TsEdit(TComponent* AOwner)
        : TsSkinned<TEdit>(AOwner, 3, true), FBoundLabel(new TsBoundLabel(this, SkinData())) {}
    TsBoundLabel* BoundLabel() const noexcept { return FBoundLabel.get(); }
    // The look of the disabled edit; a change rebuilds its image.
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value) {
        if (value == FDisabledKind) return;
        FDisabledKind = value;
        FCommonData->Invalidate();
    }

private:
    std::unique_ptr<TsBoundLabel, graphics_detail::TFreeObject> FBoundLabel;
    TsDisabledKind FDisabledKind{dkBlended};
};
