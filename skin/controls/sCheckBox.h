// TsCheckBox: the skinned check box (code 32, section "CHECKBOX", no cache bitmap at once). It
// stops its fade on skin command 16; unskinned it is the class library's check box, whose state
// it keeps.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sFade.h"
#include "skin/controls/sSkinnedWrapper.h"

class TsCheckBox : public TsSkinned<TCustomCheckBox> {
    CLASS_INFO(TsCheckBox, TCustomCheckBox)
public:
    explicit TsCheckBox(TComponent* AOwner) : TsSkinned<TCustomCheckBox>(AOwner, 32, false) {}
    ~TsCheckBox() override { StopFade(FadeTimer, FCommonData.get()); }
    using TCustomCheckBox::Checked;
    using TCustomCheckBox::SetChecked;
    TsFadeTimer* FadeTimer = nullptr;

protected:
    bool SkinCommandDone(TMessage& Message) override {
        if (SkinCommand(Message) == SKCMD_STOPFADE) {
            StopFade(FadeTimer, FCommonData.get());
            return true;
        }
        return TsSkinned<TCustomCheckBox>::SkinCommandDone(Message);
    }
};
