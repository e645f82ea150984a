// TsCheckBox: the skinned check box (code 32, section "CHECKBOX", no cache bitmap at once). It
// stops its fade on skin command 16; unskinned it is the class library's check box, whose state
// it keeps, with the read-only mode and pressed flag of TsCheckable. Setting Checked while the
// box is loading changes nothing.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sCheckable.h"

class TsCheckBox : public TsCheckable<TCustomCheckBox> {
    CLASS_INFO(TsCheckBox, TCustomCheckBox)
public:
    explicit TsCheckBox(TComponent* AOwner) : TsCheckable<TCustomCheckBox>(AOwner, 32) {}
    using TCustomCheckBox::Checked;
    void SetChecked(bool value) override {
        if (!ComponentState().Contains(csLoading)) TCustomCheckBox::SetChecked(value);
    }
};
