// TsStatusBar: the skinned status bar (code 151, section "STATUSBAR", cache bitmap at once). In
// any state it answers skin commands 1, 2, 3, 6, 7 and 60; removing the skin re-creates its
// window so that the system draws it plainly again. Unskinned (always, in a build without skin)
// the system's status bar paints.
#pragma once

#include "framework/ComCtrls.h"
#include "skin/engine/sCommonData.h"

#include <memory>

class TsStatusBar : public TStatusBar {
    CLASS_INFO(TsStatusBar, TStatusBar)
public:
    explicit TsStatusBar(TComponent* AOwner);
    ~TsStatusBar() override;
    void AfterConstruction() override;
    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }

protected:
    void Loaded() override;
    void WndProc(TMessage& Message) override;

private:
    bool SkinCommandDone(TMessage& Message);

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
};
