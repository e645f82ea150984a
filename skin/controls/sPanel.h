// TsPanel: the skinned container panel (code 51, section "PANEL", cache bitmap at once). It
// answers skin commands 1, 2, 3, 7 and 60 in any state and passes skin changes to its children;
// OnPaint, when assigned, paints the shown panel instead of the class library.
//
// Skinned, a panel whose section is plain (one colour, maybe a border) paints straight onto the
// screen and keeps no cache bitmap; any other (or a hot one, or during a form animation) builds
// its image in the cache bitmap (the section over the parent's background, the caption, OnPaint)
// and copies it with its children cut out. Children asking for its background (skin command 34)
// get its colour or its cache. Unskinned the class library paints.
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
    // The image in the cache bitmap (nothing for a plain panel).
    void PrepareCache();

    TPaintEvent OnPaint;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Loaded() override;
    void Paint() override;
    void WndProc(TMessage& Message) override;

    // Shows the panel on DC (null: its canvas); with SendUpdated its children hear command 6.
    virtual void OurPaint(HDC DC, bool SendUpdated);
    // The caption centred vertically in R, on ACanvas or, without one, on ADC.
    virtual void WriteText(const TRect& R, TCanvas* ACanvas, HDC ADC);

private:
    bool SkinCommandDone(TMessage& Message);
    void SkinnedWndProc(TMessage& Message);
    bool SkinnedCommand(TMessage& Message);
    bool PaintMessage(TMessage& Message);
    void QueryBackground(TacBackgroundInfo& Info);
    TRect CaptionRect();
    void PaintCached(HDC DC);
    void PaintPlain(HDC DC);
    void PaintOnCanvas(HDC DC, bool SendUpdated);

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
};
