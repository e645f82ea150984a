// TSysTrayIcon: a non-visual component that puts an icon into the taskbar's notification area,
// shows its tip and balloon hints, turns clicks on the icon into restore and popup-menu actions
// and events, hides the application when it is minimised and brings it back, animates the icon
// through an image list and re-adds it when the taskbar is recreated. Not skinned.
//
// States: the icon is absent until Enabled becomes True outside loading (or Loaded runs with
// Enabled True, or a component made in code is constructed enabled) and NIM_ADD succeeds;
// NIM_ADD failing leaves Enabled False. It goes on Enabled False, WM_ENDSESSION ending the
// session, and destruction. The popup menu is open (modal) while FMenuVisible; RestoreApp does
// nothing meanwhile.
//
// The record: one NOTIFYICONDATAW sent with the size the shell understands: up to szInfoTitle
// and dwInfoFlags for shells of version 5 or later, the first-version size (icon and a tip of 63
// characters) for older ones, which know no balloons. Texts longer than their field are cut
// without splitting a surrogate pair. Every call to the shell goes through SysTrayShell(), which
// tests replace to record the exact records.
//
// The component takes Application->OnMinimize and OnRestore over and hands back what it found
// when it is destroyed (unless someone else took them meanwhile). GUI thread only; the hidden
// message window's procedure runs in the message loop.
#pragma once

#include "framework/Components.h"
#include "framework/HiddenWindows.h"
#include "framework/ImageList.h"
#include "framework/ModuleInit.h"
#include "framework/Timers.h"

#include <shellapi.h>

#include <memory>

class TPopupMenu;

enum TSysTrayIconClicks {
    ticNone,
    ticLeftClick,
    ticLeftDblClick,
    ticLeftClickUp,
    ticRightClick,
    ticRightDblClick,
    ticRightClickUp
};
enum TSysBalloonHintIcon { bhiNone, bhiInfo, bhiWarning, bhiError };
// Seconds a balloon shows: 10..30.
using TSysBalloonHintTimeout = int;
using TSysQueryEndSessionEvent = TMethodEvent<void(TObject* Sender, bool& AllowSessionToEnd)>;

// The icon's callback message to the component's window.
constexpr UINT SysTrayCallbackMessage = 9250;
// The texts' limits in characters (without terminator).
constexpr int SysTrayTipLength = 127;
constexpr int SysTrayTipLengthV1 = 63;
constexpr int SysTrayInfoLength = 255;
constexpr int SysTrayInfoTitleLength = 63;

// The shell calls of the tray icon, replaceable by tests.
struct TSysTrayShell {
    BOOL(WINAPI* NotifyIcon)(DWORD Message, PNOTIFYICONDATAW Data);
    // shell32's major version; 0 when the module or its DllGetVersion is missing.
    int (*MajorVersion)();
};
TSysTrayShell& SysTrayShell();
// The registered "TaskbarCreated" message.
UINT TaskbarCreatedMessage();
// `Text` cut to at most `Length` characters, never between the halves of a surrogate pair.
UnicodeString CutText(const UnicodeString& Text, int Length);

// The colour scheme of the desktop theme, by its recorded colour name.
enum TThemeColorScheme { tcsOther, tcsHomestead, tcsMetallic };
// "HOMESTEAD" and "METALLIC" in any case; anything else is tcsOther.
TThemeColorScheme ThemeColorSchemeOf(const UnicodeString& ColorName);
// Set by the family's start-up: the display shows full colour (the screen's NUMCOLORS is -1),
// and the scheme named by "ColorName" of the current user's ThemeManager key under
// Software\Microsoft\Windows\CurrentVersion.
extern bool FullColorDisplay;
extern TThemeColorScheme ThemeColorScheme;
// The family's start-up: the two values above and the "TaskbarCreated" message id.
TModuleEntry SysTrayModule();

class TSysTrayIcon : public TComponent {
    CLASS_INFO(TSysTrayIcon, TComponent)
public:
    explicit TSysTrayIcon(TComponent* AOwner);
    ~TSysTrayIcon() override;
    void AfterConstruction() override;

    // Shell 5+: replaces the balloon; the text is cut to 255 and the title to 63 characters.
    // Raises ERangeError for a timeout outside 10..30 seconds.
    void ShowBalloonHint(const UnicodeString& Title, const UnicodeString& Msg,
                         TSysBalloonHintIcon IconType, TSysBalloonHintTimeout TimeoutSecs);
    void HideBalloonHint();
    bool SupportBalloonHints() const noexcept { return FShell32Ver5; }
    void MinimizeApp();
    void RestoreApp();
    void ShowMenu();
    void SetDefaultIcon();

    virtual bool GetAnimate() const;
    virtual void SetAnimate(bool Value);
    bool Enabled() const noexcept { return FEnabled; }
    virtual void SetEnabled(bool Value);
    const UnicodeString& Hint() const noexcept { return FHint; }
    virtual void SetHint(const UnicodeString& Value);
    virtual Cardinal GetInterval() const;
    virtual void SetInterval(Cardinal Value);
    int IconIndex() const noexcept { return FIconIndex; }
    virtual void SetIconIndex(int Value);
    TCustomImageList* Icons() const noexcept { return FIconList; }
    virtual void SetIcons(TCustomImageList* Value);
    TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    TIcon* Icon() const noexcept { return FIcon.get(); }
    bool MenuVisible() const noexcept { return FMenuVisible; }
    HWND MessageWindow() const noexcept { return FMsgWindow.Handle(); }

    bool HideOnMinimize = true;
    bool HideOnStartup = false;
    TSysTrayIconClicks RestoreOn = ticLeftDblClick;
    TSysTrayIconClicks PopupMenuOn = ticRightClickUp;

    TNotifyEvent OnMinimizeApp, OnRestoreApp;
    TNotifyEvent OnLButtonDown, OnLButtonUp, OnLButtonDblClick;
    TNotifyEvent OnRButtonDown, OnRButtonUp, OnRButtonDblClick;
    TNotifyEvent OnBalloonHintHide, OnBalloonHintClose, OnBalloonHintClick;
    TSysQueryEndSessionEvent OnQueryEndSession;
    TNotifyEvent OnEndSession;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual void DoQueryEndSession(bool& Allow) { OnQueryEndSession(this, Allow); }
    virtual void DoEndSession() { OnEndSession(this); }
    virtual void DoLButtonDown() { Clicked(ticLeftClick, OnLButtonDown); }
    virtual void DoLButtonUp() { Clicked(ticLeftClickUp, OnLButtonUp); }
    virtual void DoLButtonDblClick() { Clicked(ticLeftDblClick, OnLButtonDblClick); }
    virtual void DoRButtonDown() { Clicked(ticRightClick, OnRButtonDown); }
    virtual void DoRButtonUp() { Clicked(ticRightClickUp, OnRButtonUp); }
    virtual void DoRButtonDblClick() { Clicked(ticRightDblClick, OnRButtonDblClick); }
    virtual void DoMinimizeApp() { OnMinimizeApp(this); }
    virtual void DoRestoreApp() { OnRestoreApp(this); }

private:
    void FillRecord();
    void ModifyIcon();
    void DeleteIcon();
    void UpdateEnabled();
    bool Notify(DWORD Message);
    void TakeOverApplication();
    void HandBackApplication();
    void ApplicationMinimized(TObject* Sender);
    void ApplicationRestored(TObject* Sender);
    HWND AppWindow() const;
    void HideApp();
    void ShowApp();
    void Clicked(TSysTrayIconClicks Click, const TNotifyEvent& Event);
    void IconCallback(LPARAM Mouse);
    void MsgWndProc(TMessage& Message);
    void TaskbarRecreated();
    void AnimationStep(TObject* Sender);
    void ImagesChanged(TObject* Sender);
    void SetApplicationIcon();
    void PopupMenuRemoved(TComponent* AComponent);
    bool Designing() const { return ComponentState().Contains(csDesigning); }
    bool Loading() const { return ComponentState().Contains(csLoading); }

    NOTIFYICONDATAW FIconData{};
    std::unique_ptr<TIcon, graphics_detail::TFreeObject> FIcon;
    TCustomImageList* FIconList = nullptr;
    std::unique_ptr<TChangeLink, graphics_detail::TFreeObject> FImagesChangeLink;
    TPopupMenu* FPopupMenu = nullptr;
    std::unique_ptr<TTimer, graphics_detail::TFreeObject> FTimer;
    UnicodeString FHint;
    int FIconIndex = 0;
    bool FEnabled = true;
    THiddenWindow FMsgWindow;
    bool FTaskBarRecreated = false;
    bool FMenuVisible = false;
    bool FManualRestore = false;
    bool FManualMinimize = false;
    bool FShell32Ver5 = false;
    bool FHookedApplication = false;
    TNotifyEvent FPreviousOnMinimize;
    TNotifyEvent FPreviousOnRestore;
};
