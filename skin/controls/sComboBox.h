// The skinned combo boxes (code 3, section "COMBOBOX" set by the constructor). Removing the skin
// re-creates the window, so that the system draws the box plainly again.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sSkinnedWrapper.h"

class TsCustomComboBox : public TsSkinned<TCustomComboBox> {
    CLASS_INFO(TsCustomComboBox, TCustomComboBox)
public:
    explicit TsCustomComboBox(TComponent* AOwner);

protected:
    bool SkinCommandDone(TMessage& Message) override;
};

class TsComboBox : public TsCustomComboBox {
    CLASS_INFO(TsComboBox, TsCustomComboBox)
public:
    using TsCustomComboBox::TsCustomComboBox;
};
