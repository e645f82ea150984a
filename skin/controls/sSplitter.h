// TsSplitter: the skinned splitter (code 75, section "SPLITTER", no cache bitmap at once). It
// keeps the application's hints off for the whole drag and gives them back on release (only
// when it was the one that switched them off), snaps collapsed siblings to itself when AutoSnap
// is on, and draws an optional Glyph centred over its face. Unskinned (always, in a build
// without skin) the class library paints the face.
#pragma once

#include "framework/ExtCtrls.h"
#include "skin/engine/sCommonData.h"

#include <memory>

class TsSplitter : public TSplitter {
    CLASS_INFO(TsSplitter, TSplitter)
public:
    explicit TsSplitter(TComponent* AOwner);
    ~TsSplitter() override;
    void AfterConstruction() override;
    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }
    TBitmap* Glyph() const noexcept { return FGlyph.get(); }
    void SetGlyph(TBitmap* value);
    // A drag is in progress (between mouse down and up).
    bool Sizing() const noexcept { return FSizing; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Loaded() override;
    void Paint() override;
    void WndProc(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool SkinCommandDone(TMessage& Message);
    void SnapCollapsedSiblings();
    void DrawGlyph();

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
    bool FSizing = false;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FGlyph;
};
