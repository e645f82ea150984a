// The skin manager's menu painter and its options: the values the skinned popup menus are
// measured and painted with. The manager owns one of each (SkinableMenus, MenuSupport); the
// painting itself joins this module when popup menus are skinned.
#pragma once

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"

#include <functional>
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

// The skinned border of a popup menu whose window was not known when the menu was painted is
// asked for by a message posted to the application window, which the default manager's
// main-window hook answers once the window exists. The message carries handles that are checked
// when it arrives, never a menu item object, which may be freed before then.
// SM_MENUITEMBORDER: WParam the popup's menu handle, LParam the command id of its item that
// asked. SM_MENUWINDOWBORDER: LParam the popup menu window.
constexpr UINT SM_MENUITEMBORDER = 0xBCB3;
constexpr UINT SM_MENUWINDOWBORDER = 0xBCB4;

// Posts SM_MENUITEMBORDER for Item's popup unless one of the two messages is pending already;
// nothing for an item without a parent or without an application window.
void PostMenuBorderRequest(TMenuItem* Item);

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

    // The answers to the two messages: the menu window is found (by the first item's place for an
    // item, checked to be a live popup menu window for a window) and handed to BorderPainter,
    // when the menu and its item still exist. Anything gone or foreign does nothing.
    void ItemBorderRequested(HMENU Menu, UINT ItemId);
    void WindowBorderRequested(HWND Wnd);
    // Draws the border of the popup window Wnd, showing Menu (null when only the window is
    // known), asked for by its item ItemId (0 then); empty until popup menus are painted.
    std::function<void(HWND Wnd, HMENU Menu, UINT ItemId)> BorderPainter;

private:
    TFont* FCaptionFont;
};
