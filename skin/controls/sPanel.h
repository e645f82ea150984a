// TsPanel: the skinned container panel (code 51, section "PANEL", cache bitmap at once). It
// answers skin commands 1, 2, 3, 7 and 60 in any state and passes skin changes to its children;
// OnPaint, when assigned, paints the shown panel instead of the class library. Unskinned
// (always, in a build without skin) the class library paints; the skinned painting from the
// cache comes with the skin engine.
#pragma once

#include "framework/ExtCtrls.h"
#include "skin/engine/sCommonData.h"

#include <memory>

using TPaintEvent = TMethodEvent<void(TObject* Sender, TCanvas* Canvas)>;

class TsPanel : public TPanel {
    CLASS_INFO(TsPanel, TPanel)
public:
    explicit TsPanel(TComponent* AOwner);
    ~TsPanel() override;
    void AfterConstruction() override;
    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }

    TPaintEvent OnPaint;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Loaded() override;
    void Paint() override;
    void WndProc(TMessage& Message) override;

private:
    bool SkinCommandDone(TMessage& Message);
    void SkinnedWndProc(TMessage& Message);

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
};
