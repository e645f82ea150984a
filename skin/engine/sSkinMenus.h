// The skin manager's menu painter and its options: the values the skinned popup menus are
// measured and painted with. The manager owns one of each (SkinableMenus, MenuSupport); the
// painting itself joins this module when popup menus are skinned.
#pragma once

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"

#include <vector>

// The kind of a menu item: "-" is a divider, "-text-" a caption, a main menu's top items are the
// menu line.
enum TsMenuItemType { smCaption, smDivider, smNormal, smTopLine };

using TsMenuManagerDrawItemEvent =
    TMethodEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State,
                      TsMenuItemType ItemType)>;

// The extra line of a popup: asked for its section, caption, glyph and visibility.
using TacGetExtraLineData =
    TMethodEvent<void(TMenuItem* FirstItem, UnicodeString& SkinSection, UnicodeString& Caption,
                      TBitmap*& Glyph, bool& LineVisible)>;

class TacMenuSupport : public TPersistent {
    CLASS_INFO(TacMenuSupport, TPersistent)
public:
    TacMenuSupport();
    ~TacMenuSupport() override;

    // The section of the band behind the glyph column; empty: none.
    UnicodeString IcoLineSkin;
    bool UseExtraLine = false;
    int ExtraLineWidth = 32;
    TFont* ExtraLineFont() const noexcept { return FExtraLineFont; }
    void SetExtraLineFont(TFont* Value) { FExtraLineFont->Assign(Value); }

private:
    TFont* FExtraLineFont;
};

class TsSkinableMenus : public TPersistent {
    CLASS_INFO(TsSkinableMenus, TPersistent)
public:
    // AOwner is the skin manager; the menus start unhooked.
    explicit TsSkinableMenus(TComponent* AOwner);
    ~TsSkinableMenus() override;

    int Margin = 2;
    TAlignment Alignment = taLeftJustify;
    int BevelWidth = 0;
    // The popup window's own frame, which item painting copies from the background image.
    int BorderWidth = 3;
    TFont* CaptionFont() const noexcept { return FCaptionFont; }
    void SetCaptionFont(TFont* Value) { FCaptionFont->Assign(Value); }
    // The skin's menu frame: the BorderWidth of "MAINMENU"'s "BORDERSMASK" (3 when not positive,
    // 0 without the mask), computed when first asked after a skin was loaded.
    int GetSkinBorderWidth();
    int Spacing = 6;
    TsMenuManagerDrawItemEvent OnDrawItem;

    // -1: to be computed again (the manager sets it when a skin is applied).
    int FSkinBorderWidth = -1;
    // Rectangles cut out of the popup window's region (key-colour corners of the frame).
    std::vector<TRect> ArOR;
    // The application's menus are hooked to this painter.
    bool FActive = false;
    TComponent* FOwner;
    // Guards the border painting against re-entry.
    bool BorderDrawing = false;

private:
    TFont* FCaptionFont;
};
