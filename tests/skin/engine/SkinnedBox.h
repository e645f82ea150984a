// A skinned windowed control of the tests: a skin link of the given section and class code that
// answers the skin commands the common way.
#pragma once

#include "framework/Controls.h"
#include "skin/engine/sCommonData.h"

class TSkinnedBox : public TCustomControl {
public:
    TSkinnedBox(TWinControl* Parent, const UnicodeString& Section, int Code,
                TRect Bounds = TRect(2, 2, 42, 22))
        : TCustomControl(Parent), Link(new TsCommonData(this, true)) {
        Link->COC = Code;
        SetParent(Parent);
        SetBounds(Bounds.left, Bounds.top, Bounds.Width(), Bounds.Height());
        Link->SetSkinSection(Section);
        Link->Loaded();
    }
    ~TSkinnedBox() override { delete Link; }
    TsCommonData* Link;

protected:
    void WndProc(TMessage& Message) override {
        if (HandleSkinnedMessage(Message, Link)) return;
        TCustomControl::WndProc(Message);
    }
};
