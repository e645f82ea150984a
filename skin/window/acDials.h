// The auto-skinning hook: skinning reaches windows on which no skin component was placed. The
// default skin manager installs one WH_CBT hook for the GUI thread (TsSkinManager::InstallHook);
// through it
// - a class-library form gets a form provider when it is activated for the first time,
// - a system dialog (window class "#32770") gets a dialog handler and one window-subclass handler
//   per child control, chosen by the child's class and style,
// - a popup-menu window (window class "#32768") gets a popup-menu handler when it is created.
// `TacProvider` carries one auto-skinned form or dialog; the skin manager's HookProviders list
// keeps every provider the hook makes.
//
// Handlers of the dialog children come from `DialogHandlerMakers`, one slot per handler class;
// an empty slot leaves those children as the system draws them. The dialog and popup-menu
// handlers here carry what the hook relies on (their life, their place in the lists, the
// dialog's styles); their painting is a later stage.
//
// GUI thread only; everything runs inside the hook callback or the handlers' messages.
#pragma once

#include "framework/ModuleInit.h"
#include "skin/window/acSBUtils.h"
#include "skin/window/sSkinProvider.h"

#include <array>
#include <vector>

// ---- the dialog handler ---------------------------------------------------------------------

enum TacBorderStyle {
    acbsDialog,
    acbsSingle,
    acbsNone,
    acbsSizeable,
    acbsToolWindow,
    acbsSizeToolWin
};

class TacProvider;

// Skins one top-level system dialog. Made by the hook with section "DIALOG"; detached when its
// window is destroyed (Destroyed), after which the hook frees its provider and with it this
// handler.
class TacDialogWnd : public TacMainWnd {
    CLASS_INFO(TacDialogWnd, TacMainWnd)
public:
    TacDialogWnd(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                 const UnicodeString& SkinSection, bool Repaint = true);
    // Reads the dialog's styles and the border style they give; called once the children have
    // their handlers.
    void InitParams();

    TacProvider* Provider = nullptr;
    // The dialog's WM_PAINT is only validated (systems from version 6 on): the handler paints
    // the client area itself. Cleared when an edit or combo box child needs its own painting.
    bool FWMPaintForbidden;
    LONG dwStyle = 0;
    LONG dwExStyle = 0;
    TacBorderStyle BorderStyle = acbsSingle;
};

// Frees Handler (deferred while it dispatches a message) and makes a new one for Wnd when the
// default skin manager is active: the old one only when it is detached. Without an active
// manager the handler goes and comctl32's flat scroll bars come back.
void CreateDialogHandler(HWND Wnd, TacDialogWnd*& Handler);

// ---- the popup-menu handlers ------------------------------------------------------------------

// Skins one popup-menu window (section "MAINMENU"). It answers the skin commands itself and
// leaves MnuArray when its window is destroyed, freeing itself once that message has returned.
class TacMnuWnd : public TacMainWnd {
    CLASS_INFO(TacMnuWnd, TacMainWnd)
public:
    using TacMainWnd::TacMainWnd;
    void acWndProc(TMessage& Message) override;

    // The menu painter has drawn the window's border (skin command 14): 1, else 0.
    int RgnChanged = 0;
};

// The popup-menu handlers the hook made, one slot per menu window created since the list was
// last emptied; a slot becomes null when its window is destroyed.
extern std::vector<TacMnuWnd*> MnuArray;
// Empties MnuArray without freeing any handler (each one frees itself with its window).
void ClearMnuArray();

// ---- the dialog children's handlers ---------------------------------------------------------

// The handler classes of a dialog's children.
enum TDialogChildClass {
    dcNone = -1,
    dcIcon,       // TacIconWnd
    dcStatic,     // TacStaticWnd
    dcTransPanel, // TacTransPanelWnd
    dcDlgPanel,   // TacDlgPanelWnd: its skin section is its own choice, its geometry not read
    dcGroupBox,   // TacGroupBoxWnd
    dcCheckBox,   // TacCheckBoxWnd
    dcButton,     // TacBtnWnd
    dcComboBox,   // TacComboBoxWnd
    dcEdit,       // TacEditWnd
    dcSizer,      // TacSizerWnd
    dcTabControl, // TacTabControlWnd
    dcListView,   // TacListViewWnd
    dcSpin,       // TacSpinWnd, whose maker sets its offset lOffset to 2
    dcLink,       // TacLinkWnd
    dcToolBar,    // TacToolBarWnd
    dcTreeView,   // TacTreeViewWnd
    DialogChildClassCount
};

// What a dialog child gets: the handler class and its skin section, and whether the dialog's
// paint lock is cleared (edits and combo boxes paint through the dialog's WM_PAINT).
struct TDialogChildChoice {
    TDialogChildClass Class = dcNone;
    const wchar_t* Section = L"";
    bool ClearPaintLock = false;
};

// The choice for a child of lower-case class LowerClass, style Style and visibility Visible;
// the style tests are bit tests (a "static" of style 0xB is an icon, an owner-drawn "button",
// style 0xB, a check box).
TDialogChildChoice ChooseDialogChildHandler(const UnicodeString& LowerClass, LONG Style,
                                            bool Visible);

// Makes the handler of one class for a dialog child window: no skin link of its own (the
// handler makes one), the skin manager and the section given.
using TDialogHandlerMaker = TacMainWnd* (*)(HWND Wnd, TsSkinManager* Manager,
                                            const UnicodeString& Section);
extern std::array<TDialogHandlerMaker, DialogChildClassCount> DialogHandlerMakers;

// ---- the provider -----------------------------------------------------------------------------

// One auto-skinned form (owned by the form, which frees it) or system dialog (no owner: the
// hook's sweep or the removal of the hook frees it, and its handlers with it).
class TacProvider : public TComponent, public TacHookProvider {
    CLASS_INFO(TacProvider, TComponent)
public:
    explicit TacProvider(TComponent* AOwner);
    ~TacProvider() override;

    // Gives the form its form provider.
    void InitForm(TCustomForm* Form);
    // Skins the dialog aHandle: the dialog handler, then a handler for each child. False, and
    // this provider's slots emptied, when the child walk fails.
    bool InitSkin(HWND aHandle);
    // Every descendant window, grandchildren before their parent, in z-order.
    bool InitHwndControls(HWND hWnd);
    // The handler of one child window by its class and style; always True for a window.
    bool AddControl(HWND aHwnd);
    // The first of the children's handlers attached to hwnd; null when none.
    TacMainWnd* FindCtrlInList(HWND hwnd) const;

    HWND DialogWindow() const override;

    bool BiDiLeft = false;
    // The dialog window; null for a form's provider.
    HWND CtrlHandle = nullptr;
    // The form provider (owned by the form); null for a dialog.
    TsSkinProvider* sp = nullptr;
    // The dialog handler (owned); null for a form.
    TacDialogWnd* ListSW = nullptr;
    // The dialog children's handlers (owned).
    std::vector<TacMainWnd*> acSkinnedCtrls;
};

// Requested screen position of the next skinned dialog; -1 when none.
extern int DialogPosX;
extern int DialogPosY;

// ---- the hook ---------------------------------------------------------------------------------

// The hook procedure: always the next hook's answer, which it asks first; it never cancels.
LRESULT CALLBACK CBTHookProc(int Code, WPARAM WParam, LPARAM LParam);
// Gives the window that is being activated its provider; True when one was made.
bool HandleWindowActivation(HWND Wnd);
// The window's class name (at most 127 characters).
UnicodeString GetWndClassName(HWND Wnd);
// The hook's provider of the dialog Wnd; null when none.
TacProvider* FindHookProvider(HWND Wnd);
// The form whose window is Wnd (an MDI child of an MDI form too), last created first; null when
// none.
TCustomForm* FindFormByHandle(HWND Wnd);
// How many of the hook's dialogs are visible.
int CountVisibleDialogs();
// Some descendant of Wnd has the lower-case class name LowerName.
bool HasChildOfClass(HWND Wnd, const UnicodeString& LowerName);
// Frees the providers of the dialogs whose handler is detached (their window was destroyed).
void SweepDestroyedDialogs();
// Sends the message to each direct child window of Wnd, in z-order.
void BroadcastToChildWindows(HWND Wnd, const TMessage& Message);

// Gives the skin manager the hook procedure at start-up; at the end empties MnuArray and frees
// whatever providers the hook still holds.
TModuleEntry DialsModule();
