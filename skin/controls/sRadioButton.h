// TsRadioButton: the skinned radio button (code 33, section "RADIOBUTTON", no cache bitmap at
// once); it stops its fade on skin command 16. Unskinned it is the class library's radio button
// with the read-only mode and pressed flag of TsCheckable; a click checks it only when CanCheck
// answers True.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sCheckable.h"

class TsRadioButton : public TsCheckable<TRadioButton> {
    CLASS_INFO(TsRadioButton, TRadioButton)
public:
    explicit TsRadioButton(TComponent* AOwner) : TsCheckable<TRadioButton>(AOwner, 33) {}
    // Whether a click may check the button.
    virtual bool CanCheck() { return true; }

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == CN_COMMAND && UserCheckMessage(Message) && !CanCheck()) return;
        TsCheckable<TRadioButton>::WndProc(Message);
    }
};
