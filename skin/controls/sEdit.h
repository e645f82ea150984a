// TsEdit: the skinned edit (code 3, section "EDIT"), the class library's edit on the null skin.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/controls/sSkinnedWrapper.h"

class TsEdit : public TsSkinned<TEdit> {
    CLASS_INFO(TsEdit, TEdit)
public:
    explicit TsEdit(TComponent* AOwner) : TsSkinned<TEdit>(AOwner, 3, true) {}
};
