// TsRadioButton: the skinned radio button (code 33, section "RADIOBUTTON", no cache bitmap at
// once); it stops its fade on skin command 16. Unskinned it is the class library's radio button.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sFade.h"
#include "skin/controls/sSkinnedWrapper.h"

class TsRadioButton : public TsSkinned<TRadioButton> {
    CLASS_INFO(TsRadioButton, TRadioButton)
public:
    explicit TsRadioButton(TComponent* AOwner) : TsSkinned<TRadioButton>(AOwner, 33, false) {}
    ~TsRadioButton() override { StopFade(FadeTimer, FCommonData.get()); }
    TsFadeTimer* FadeTimer = nullptr;

protected:
    bool SkinCommandDone(TMessage& Message) override {
        if (SkinCommand(Message) == SKCMD_STOPFADE) {
            StopFade(FadeTimer, FCommonData.get());
            return true;
        }
        return TsSkinned<TRadioButton>::SkinCommandDone(Message);
    }
};
