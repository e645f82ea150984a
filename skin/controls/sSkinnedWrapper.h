// TsSkinned<Base>: the skinned control pattern over a windowed class-library control, shared
// by the edit, combo box, check box, radio button and group box. It owns the skin link (with
// the class's control code), forwards construction and loading to it, answers skin commands 7
// and 60 in any state, fires OnMouseEnter / OnMouseLeave, lets the class finish its own skin
// commands (SkinCommandDone) and, while skinned, runs the common bookkeeping before the class
// library's procedure (SkinnedWndProc, where each control paints itself). Unskinned the class
// library's control runs unchanged.
#pragma once

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

#include <memory>

template <class Base> class TsSkinned : public Base {
public:
    TsSkinned(TComponent* AOwner, int ControlClassCode, bool CreateCacheBmp)
        : Base(AOwner), FCommonData(new TsCommonData(this, CreateCacheBmp)) {
        FCommonData->COC = ControlClassCode;
    }
    void AfterConstruction() override {
        Base::AfterConstruction();
        FCommonData->Loaded();
    }
    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Loaded() override {
        Base::Loaded();
        FCommonData->Loaded();
    }

    void WndProc(TMessage& Message) override {
        if (AnswerAnyStateCommand(Message) || SkinCommandDone(Message)) return;
        const bool self = MouseMessageForSelf(Message, this) && MouseEventsAllowed(this);
        if (self && Message.Msg == CM_MOUSEENTER) OnMouseEnter(this);
        if (ControlReadyToPaint(this) && FCommonData->Skinned())
            SkinnedWndProc(Message);
        else
            Base::WndProc(Message);
        if (self && Message.Msg == CM_MOUSELEAVE) OnMouseLeave(this);
    }

    // Commands 1, 2 and 3 from the own manager: the common handling and a repaint; others go
    // on. A class with more to do overrides this and calls it.
    virtual bool SkinCommandDone(TMessage& Message) {
        const WORD command = SkinCommand(Message);
        if (command == SKCMD_UPDATEDONE && FCommonData->Updating()) {
            FCommonData->SetUpdating(false);
            this->Invalidate();
            return true;
        }
        if (command != SKCMD_SKINLOADED && command != SKCMD_SKINREMOVED && command != SKCMD_REPAINT)
            return false;
        if (!FromOwnManager(Message, FCommonData.get())) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        if (!this->ComponentState().Contains(csDestroying)) this->Invalidate();
        return true;
    }

    virtual void SkinnedWndProc(TMessage& Message) {
        if (Message.Msg == SM_ALPHACMD) {
            HandleSkinCommand(Message, FCommonData.get());
            return;
        }
        HandleSkinnedMessage(Message, FCommonData.get());
        Base::WndProc(Message);
    }

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
};
