// TsBoundLabel: the bound caption label of an edit-like skinned control, which can show a
// TsEditLabel beside the control without a label component on the form. In a build without the
// skin engine the bound label is never made active: it creates no label, and FActive records
// only whether an edit label made for it is still alive (the label clears it when freed).
#pragma once

#include "skin/engine/sCommonData.h"

class TsBoundLabel : public TPersistent {
    CLASS_INFO(TsBoundLabel, TPersistent)
public:
    // AOwner is the control the label belongs to; SkinData its skin link (both not owned).
    TsBoundLabel(TControl* AOwner, TsCommonData* SkinData)
        : FOwner(AOwner), FCommonData(SkinData) {}

    TControl* Owner() const noexcept { return FOwner; }
    TsCommonData* SkinData() const noexcept { return FCommonData; }

    // True while the bound label has its edit label.
    bool FActive = false;

private:
    TControl* FOwner;
    TsCommonData* FCommonData;
};
