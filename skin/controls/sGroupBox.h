// TsGroupBox: the skinned group box (code 74, section "GROUPBOX"); skin changes reach its
// children. Unskinned it is the class library's group box.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sSkinnedWrapper.h"

class TsGroupBox : public TsSkinned<TGroupBox> {
    CLASS_INFO(TsGroupBox, TGroupBox)
public:
    explicit TsGroupBox(TComponent* AOwner) : TsSkinned<TGroupBox>(AOwner, 74, true) {}

protected:
    bool SkinCommandDone(TMessage& Message) override {
        const WORD command = SkinCommand(Message);
        if (command == SKCMD_SKINLOADED || command == SKCMD_SKINREMOVED || command == SKCMD_REPAINT)
            PassMessageToChildren(this, Message);
        return TsSkinned<TGroupBox>::SkinCommandDone(Message);
    }
};
