// The skinned labels: transparent text labels that take their font colour from the active skin
// (the section they show through when it gives its own font, else the skin's global font colour)
// and write blended text when disabled. They own no skin link: they ask the default skin manager
// directly and may paint a named section under their text (its font colour then wins). Declared
// here, in order: TsCustomLabel, TsLabel (the published label of the windows) and TsEditLabel
// (the caption label a bound label creates beside an edit). Without an active default manager
// they are the class library's labels, transparent.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/engine/sBoundLabel.h"

class TsCustomLabel : public TCustomLabel {
    CLASS_INFO(TsCustomLabel, TCustomLabel)
public:
    explicit TsCustomLabel(TComponent* AOwner);

    const UnicodeString& SkinSection() const noexcept { return FSkinSection; }
    void SetSkinSection(const UnicodeString& value);
    // The label's own font, its colour first set to the skin's font colour.
    virtual TFont* GetCurrentFont();

protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;
    void DoDrawText(TRect& Rect, UINT Flags) override;
    // The skin's colour may be applied (the label is alive and, for TsLabel, wants it).
    virtual bool TakesSkinColour() const;
    static bool FromDefaultManager(const TMessage& Message);

private:
    int OwnSectionIndex() const;
    void PaintSectionBackground(int Section);

    UnicodeString FSkinSection;
};

class TsLabel : public TsCustomLabel {
    CLASS_INFO(TsLabel, TsCustomLabel)
public:
    explicit TsLabel(TComponent* AOwner);
    bool UseSkinColor() const noexcept { return FUseSkinColor; }
    void SetUseSkinColor(bool value) { FUseSkinColor = value; }
    bool FUseSkinColor = true;

protected:
    void WndProc(TMessage& Message) override;
    bool TakesSkinColour() const override;
};

class TsEditLabel : public TsLabel, public TacSkinColorChoice {
    CLASS_INFO(TsEditLabel, TsLabel)
public:
    using TsLabel::TsLabel;
    // The bound label that made this label no longer has one.
    ~TsEditLabel() override;
    // The label of a bound label: BoundStruct is the bound label that made it (not owned).
    static TsEditLabel* InternalCreate(TComponent* AOwner, TsBoundLabel* BoundStruct);
    bool UseSkinColor() const override { return FUseSkinColor; }
    void SetUseSkinColor(bool Value) override { FUseSkinColor = Value; }
    TsBoundLabel* BoundLabel = nullptr;
};

// The maker the skinned edit-like controls give their bound labels.
TCustomLabel* MakeEditLabel(TComponent* Owner, TsBoundLabel* Bound);
