// TsBoundLabel: the bound caption label of an edit-like skinned control, which shows a label
// beside the control without a label component on the form. Made active, it creates its label
// (through the maker the control gives it: the skinned controls' edit label) on the control's
// parent, names it after the control, makes the control its focus control and keeps it placed
// beside the control by Layout, Indent and MaxWidth; made inactive, it frees the label. A font
// given while there is no label is kept for the next label, and the font a label was given
// is kept when it goes, so that switching the label off and on loses nothing.
//
// The label is owned by the control (as a component) and may be freed by its parent first: it
// tells the bound label when it goes (LabelGone), and the bound label frees only a label that
// is still alive. GUI thread only.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/engine/sCommonData.h"

enum TsCaptionLayout { sclLeft, sclTopLeft, sclTopCenter, sclTopRight };

// What the label of a bound label offers beyond the class library's label.
class TacSkinColorChoice {
public:
    // The label takes its font colour from the skin.
    virtual bool UseSkinColor() const = 0;
    virtual void SetUseSkinColor(bool Value) = 0;

protected:
    ~TacSkinColorChoice() = default;
};

class TsBoundLabel;
// Makes the label of Bound, owned by Owner; the label tells Bound when it goes.
using TBoundLabelMaker = TCustomLabel* (*)(TComponent* Owner, TsBoundLabel* Bound);

class TsBoundLabel : public TPersistent {
    CLASS_INFO(TsBoundLabel, TPersistent)
public:
    // AOwner is the control the label belongs to, SkinData its skin link (both not owned);
    // Maker makes the label (null: none is ever made).
    TsBoundLabel(TControl* AOwner, TsCommonData* SkinData, TBoundLabelMaker Maker = nullptr);
    ~TsBoundLabel() override;

    TControl* Owner() const noexcept { return FOwner; }
    TsCommonData* SkinData() const noexcept { return FCommonData; }
    // The label while active, else null.
    TCustomLabel* TheLabel() const noexcept { return FActive ? FTheLabel : nullptr; }

    bool Active() const noexcept { return FActive; }
    void SetActive(bool Value);
    const UnicodeString& Caption() const noexcept { return FText; }
    void SetCaption(const UnicodeString& Value);
    int Indent() const noexcept { return FIndent; }
    void SetIndent(int Value);
    int MaxWidth() const noexcept { return FMaxWidth; }
    void SetMaxWidth(int Value);
    TsCaptionLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TsCaptionLayout Value);
    // The label's font while there is one, else the font kept for it.
    TFont* Font() const;
    void SetFont(TFont* Value);
    // The label's own choice; True without a label.
    bool UseSkinColor() const;
    void SetUseSkinColor(bool Value);

    // Places the label beside the control (only an existing, visible label).
    void AlignLabel();
    // The label is being freed: the bound label no longer has it.
    void LabelGone() noexcept;

    // True while the bound label has its label.
    bool FActive = false;

private:
    void CreateLabel();
    void SetLabelAlignment();
    void KeptFontChanged(TObject*) noexcept { FFontGiven = true; }

    TControl* FOwner;
    TsCommonData* FCommonData;
    TBoundLabelMaker FMaker;
    int FMaxWidth = 0;
    UnicodeString FText;
    TsCaptionLayout FLayout = sclLeft;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FFont;
    // FFont was changed: the next label takes it instead of its parent's font.
    bool FFontGiven = false;
    int FIndent = 0;
    TCustomLabel* FTheLabel = nullptr;
};
