// The form provider: the component that skins one form. It replaces the form's window procedure
// with its own, draws the whole non-client area (title bar with icon, caption and buttons,
// borders, menu line) from one off-screen cache painted from the active skin, cuts the skin's
// transparent corners out of the window region, answers the hit tests of its own frame and turns
// clicks on its title buttons into system commands. What it does not take over goes on to the
// form's previous window procedure.
//
// Measures are in window (cache) coordinates. The system metrics they use are read through
// `FormSystemMetrics`, and composition through `DwmIsCompositionEnabledProc`, so that tests can
// give other values.
//
// Not built here (later work, each with a trivial hook): the extended-border window (the cache
// is always the window's size and 24-bit, no shadow), user title buttons,
// the title icon object and added title, the skinned system and main menus (the system's own
// window menu stands in), the show animation, title-button fading and glow, outline moving, the
// title cover and MDI client skinning. Title-button visibility
// and enabling are read from the form's border icons and window style.
//
// GUI thread only. The procedure is reentered by the messages it sends itself (WM_NCPAINT,
// WM_SETREDRAW, WM_SYSCOMMAND).
#pragma once

#include "framework/Forms.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sSkinManager.h"
#include "skin/window/acSBUtils.h"

#include <array>
#include <memory>
#include <vector>

enum TsGripMode { gmNone, gmRightBottom };
enum TsResizeMode { rmStandard, rmBorder };
// Asked by the control adapter before a child control gets its handler: CanBeAdded False leaves
// the control as it is; SkinSection names the section a windowed control is skinned with.
using TAddItemEvent =
    TMethodEvent<void(TComponent* Item, bool& CanBeAdded, UnicodeString& SkinSection)>;
enum TShowAction { saIgnore, saRestore, saMinimize, saMaximize };

// One title-bar button (its glow and fade come later). State: -1 not in use, 0 normal, 1 hot,
// 2 pressed. Rect is in cache
// coordinates; HitCode is the non-client hit code the button answers.
struct TsCaptionButton {
    int State = -1;
    int ImageIndex = -1;
    TRect Rect{0, 0, 0, 0};
    bool HaveAlignment = false;
    DWORD HitCode = 0;
};

// Rectangles cut out of the window region.
using TAOR = std::vector<TRect>;

// ---- geometry shared with the dialog handler and the scroll bars -------------------------

// GetSystemMetrics, or a test's table.
using TSystemMetricsProc = int(WINAPI*)(int);
extern TSystemMetricsProc FormSystemMetrics;
// dwmapi's DwmIsCompositionEnabled, bound by name on first use (null: composition is off);
// tests put their own answer here.
using TDwmIsCompositionEnabledProc = HRESULT(WINAPI*)(BOOL*);
extern TDwmIsCompositionEnabledProc DwmIsCompositionEnabledProc;

// SM_CXFRAME for a sizeable window, SM_CXDLGFRAME for a window with WS_BORDER, else 0.
int WindowBorderWidth(HWND Wnd);
int WindowBorderHeight(HWND Wnd);
// Composition is on (Windows 6.0 and later, DwmIsCompositionEnabled says so).
bool IsDwmComposing();
// Under composition: DWMWA_TRANSITIONS_FORCEDISABLED := Disable; E_NOTIMPL without dwmapi.
HRESULT DisableDwmTransitions(HWND Wnd, bool Disable);
bool IsSizeableWindow(HWND Wnd);
// 1 for heights -100 to 8, 8 for 9 to 16, else 16.
int IconSizeFor(int Height);
// The work area of the monitor the form is on.
void WorkAreaOf(TCustomForm* Form, TRect& R);
int WindowWidthOf(HWND Wnd);
int WindowHeightOf(HWND Wnd);
int ClientWidthOf(HWND Wnd);
int ClientHeightOf(HWND Wnd);

// ---- the control adapter ---------------------------------------------------------------------

// Makes the handler of one kind of class-library control, by the index of the skin manager's
// class-name list that names the control's class. A null entry is a kind whose handler class
// does not exist yet: its controls are left unskinned.
using TAdapterHandlerMaker = TacMainWnd* (*)(TWinControl* Control, TsCommonData* SkinData,
                                             TsSkinManager* Manager);
extern std::array<TAdapterHandlerMaker, ThirdKindCount> AdapterHandlerMakers;

// Makes the frame adapter of a class-library frame, owned by the frame, in Section: the
// adapter belongs to the skinned controls, a library above window skinning, whose start-up
// sets this. Null until then: frames are left as they are.
using TFrameAdapterMaker = void (*)(TWinControl* Frame, const UnicodeString& Section);
extern TFrameAdapterMaker FrameAdapterMaker;

// Set while an adapter adds (removes) all its items: re-entry guards, not locks.
extern bool AdapterAddingItems;
extern bool AdapterRemovingItems;

class TacCtrlAdapter;
class TsSkinProvider;
class TSpeedButton;

// Skins a class-library speed button, a graphic control without a window: it takes over the
// button's message method instead of a window procedure. It answers the skin commands and
// follows the mouse; painting the button from the skin is the handler's painting stage, until
// which the button paints itself as before.
class TacSpeedButtonHandler : public TObject {
    CLASS_INFO(TacSpeedButtonHandler, TObject)
public:
    // SkinData is the button's skin link (not owned); it takes SkinSection when it has none.
    TacSpeedButtonHandler(TControl* Btn, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                          const UnicodeString& SkinSection, bool Repaint = true);
    // Gives the button its message method back (once).
    void BeforeDestruction() override;
    virtual void acWndProc(TMessage& Message);
    LRESULT CallPrevWndProc(TControl* Control, UINT Msg, WPARAM WParam, LPARAM& LParam);

    TControl* Ctrl;
    TWndMethod OldWndProc;
    TsSkinManager* SkinManager;
    TsCommonData* SkinData;
    bool Destroyed = false;

private:
    void PassOn(TMessage& Message);
    void RepaintButton();
};

// One hooked speed button: its skin link (owned) and its handler (owned).
class TacGraphItem : public TPersistent {
    CLASS_INFO(TacGraphItem, TPersistent)
public:
    explicit TacGraphItem(TacCtrlAdapter* AAdapter);
    ~TacGraphItem() override;
    void DoHook(TControl* Control);

    TControl* Ctrl = nullptr;
    TsCommonData* SkinData;
    TacCtrlAdapter* Adapter;
    TacSpeedButtonHandler* Handler = nullptr;
};

// One hooked windowed control: its skin link (owned) and its handler (owned).
class TacAdapterItem : public TPersistent {
    CLASS_INFO(TacAdapterItem, TPersistent)
public:
    explicit TacAdapterItem(TacCtrlAdapter* AAdapter);
    ~TacAdapterItem() override;
    // Gives Control its handler by the first class-name list that names its class.
    void DoHook(TWinControl* Control);

    TWinControl* WinCtrl = nullptr;
    TsCommonData* SkinData;
    TacCtrlAdapter* Adapter;
    TacMainWnd* ScrollWnd = nullptr;
};

// The controls of a skinned form that know nothing of skins get handlers through it, by the
// skin manager's class-name lists; labels are made transparent in the skin's font colour.
class TacCtrlAdapter : public TPersistent {
    CLASS_INFO(TacCtrlAdapter, TPersistent)
public:
    explicit TacCtrlAdapter(TsSkinProvider* AProvider);
    ~TacCtrlAdapter() override;

    bool IsControlSupported(TComponent* Control) const;
    // Every supported component owned by, and control placed on, OwnerCtrl (null: the form),
    // and so on down its windowed children.
    void AddAllItems(TWinControl* OwnerCtrl = nullptr);
    void AddNewItem(TWinControl* Ctrl) { AddNewItem(Ctrl, DefaultSection); }
    void AddNewItem(TWinControl* Ctrl, const UnicodeString& SkinSection);
    // A speed button: section "SPEEDBUTTON", "SPEEDBUTTON_SMALL" for a flat one.
    void AddNewItem(TSpeedButton* Ctrl);
    int Count() const noexcept { return static_cast<int>(Items.size()); }
    // Null outside 0..Count-1.
    TacAdapterItem* GetItem(int Index) const;
    int IndexOf(const TWinControl* Ctrl) const;
    // Frees one item (the last one takes its place); nothing for an index out of range.
    void RemoveItem(int Index);
    // Drops the items whose handler is gone or detached (their window was destroyed).
    void CleanItems();
    void RemoveAllItems();
    // The item of a speed button freed meanwhile goes with it (free notification).
    void GraphControlFreed(TComponent* Control);
    // Sends the message to every control with a live handler.
    void WndProc(TMessage& Message);

    UnicodeString DefaultSection;
    std::vector<TacAdapterItem*> Items;
    std::vector<TacGraphItem*> GraphItems;
    TsSkinProvider* Provider;
    // Told when a hooked speed button is freed.
    std::unique_ptr<TComponent> GraphWatch;

private:
    TsSkinManager* Manager() const;
    void SkinLabel(TControl* Label) const;
    // The provider's OnSkinItem answer for Item (True when none is assigned); Section in and out.
    bool MayAdd(TComponent* Item, UnicodeString& Section) const;
};

// ---- the provider --------------------------------------------------------------------------

class TsSkinProvider : public TComponent, public TacFormProviderLink {
    CLASS_INFO(TsSkinProvider, TComponent)
public:
    // Attaches to the first form in the owner chain at run time; a provider the form had before
    // is freed (the newest wins).
    explicit TsSkinProvider(TComponent* AOwner);
    ~TsSkinProvider() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // Attaches the current skin: indexes, system menu style, form colour. Nothing without a
    // manager, a form or its window.
    void PrepareForm();
    // Skinned: takes WS_SYSMENU away (while DrawNonClientArea) and notes it; unskinned: gives
    // it back.
    void CheckSysMenu(bool Skinned);
    // The scroll-bar handler of an AutoScroll form follows the skin.
    void UpdateScrollWnd();
    // Makes the control adapter when there is none and lets it hook the form's controls.
    void CreateAdapter();
    TacCtrlAdapter* Adapter() const noexcept { return FAdapter.get(); }
    // The extended borders are later work: these keep their places.
    void UpdateExtBorders(bool) {}
    void KillAnimations() {}

    // FormColor: the form's Color unskinned or custom, else the section's (hot when active).
    TColor FormColor() const;
    UnicodeString TitleSkinSection() const;
    int TitleSkinIndex() const;

    // ---- properties ----
    bool AllowExtBorders() const noexcept { return FAllowExtBorders; }
    void SetAllowExtBorders(bool Value);
    TAlignment CaptionAlignment() const noexcept { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    bool DrawNonClientArea() const noexcept { return FDrawNonClientArea; }
    void SetDrawNonClientArea(bool Value);
    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }
    TsGripMode GripMode() const noexcept { return FGripMode; }
    void SetGripMode(TsGripMode Value) { FGripMode = Value; }
    bool MakeSkinMenu() const noexcept { return FMakeSkinMenu; }
    void SetMakeSkinMenu(bool Value) { FMakeSkinMenu = Value; }
    const UnicodeString& MenuLineSkin() const noexcept { return FMenuLineSkin; }
    void SetMenuLineSkin(const UnicodeString& Value) { FMenuLineSkin = Value; }
    TsResizeMode ResizeMode() const noexcept { return FResizeMode; }
    void SetResizeMode(TsResizeMode Value) { FResizeMode = Value; }
    bool ScreenSnap() const noexcept { return FScreenSnap; }
    void SetScreenSnap(bool Value) { FScreenSnap = Value; }
    int SnapBuffer() const noexcept { return FSnapBuffer; }
    void SetSnapBuffer(int Value) { FSnapBuffer = Value; }
    bool ShowAppIcon() const noexcept { return FShowAppIcon; }
    void SetShowAppIcon(bool Value);
    const UnicodeString& TitleSkin() const noexcept { return FTitleSkin; }
    void SetTitleSkin(const UnicodeString& Value);
    bool UseGlobalColor() const noexcept { return FUseGlobalColor; }
    void SetUseGlobalColor(bool Value);
    int LinesCount();
    TCustomForm* Form() const noexcept { return FForm; }
    TAddItemEvent OnSkinItem;

    // ---- measures (window and cache coordinates) ----
    bool HasBorder() const;
    bool BigButtons() const;
    int CaptionHeight(bool CheckSkin = true) const;
    int BorderWidth(bool CheckSkin = true) const;
    int BorderHeight(bool CheckSkin = true) const;
    int MenuHeight() const;
    int CaptionWidth() const;
    int OffsetX() const;
    int OffsetY() const;
    int HeaderHeight() const;
    bool IconVisible() const;
    int IconWidth() const;
    int IconHeight() const;
    TRect IconRect() const;
    bool GripVisible() const;
    TPoint GripPos(int MaskIndex) const;
    TPoint WindowOrigin() const;
    TPoint CursorToPoint(int X, int Y) const;
    bool CacheSizeChanged() const;
    // The cut-out rectangles from the key-colour corners of the form's and the title's masks.
    void FillArOR();
    // CaptionWidth x Form.Height at (X, Y) less the cut-outs; the caller owns it.
    HRGN CreateFormRgn(int X, int Y) const;
    void UpdateFormRgn(bool Repaint);
    const TAOR& CutOuts() const noexcept { return ArOR; }

    // ---- title buttons ----
    void UpdateIconsIndexes();
    int SysButtonWidth(const TsCaptionButton& Btn) const;
    int ButtonHeight() const;
    int TitleBtnsWidth() const;
    int SysButtonsCount() const;
    // The window hit code at a screen point, the hot button moved to it.
    int HTProcess(TMessage& Message);
    void SetHotHT(int HT, bool Repaint);
    void SetPressedHT(int HT);
    const TsCaptionButton& ButtonMin() const noexcept { return FButtonMin; }
    const TsCaptionButton& ButtonMax() const noexcept { return FButtonMax; }
    const TsCaptionButton& ButtonClose() const noexcept { return FButtonClose; }
    const TsCaptionButton& ButtonHelp() const noexcept { return FButtonHelp; }
    int CurrentHT() const noexcept { return FCurrentHT; }

    // ---- painting ----
    // Brings the non-client cache up to date.
    void PrepareNCCache();
    void PaintAll();
    void PaintForm(HDC DC);
    void PaintClient(HDC DC, bool SendUpdated);
    void EraseClient(HDC DC);
    void RepaintNonClient();
    // The skin's size grip at GripPos of DC (cache coordinates); nothing without the image.
    void PaintGrip(HDC DC);

    // ---- state the tests and neighbours read ----
    bool FormActive() const noexcept { return FFormActive; }
    int LockCount() const noexcept { return FLockCount; }
    bool HaveSysMenu() const noexcept { return FHaveSysMenu; }
    bool RgnChanging() const noexcept { return FRgnChanging; }

    // TacFormProviderLink
    TsCommonData* ProviderSkinData() const override { return FCommonData.get(); }
    void SetFormAnimating(bool Value) override { FormAnimating = Value; }
    bool DrawsNonClientArea() const override { return FDrawNonClientArea; }
    void RefreshFormRegion() override;
    HRGN MakeFormRegion() override;
    // Extended borders come with their own window later; until then a form has none.
    HWND ExtendedBorderWindow() const override { return nullptr; }
    TacExtBorderGeometry ExtendedBorderGeometry() const override { return {}; }
    void RefreshExtendedBorderRegion() override {}
    void UpdateExtendedBorders(Byte) override {}
    TSize PrepareNonClientCache() override;
    TPoint ClientOffset() const override { return TPoint{OffsetX(), OffsetY()}; }

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend struct TProviderMessages;
    // The hook's provider runs Loaded under composition, as a streamed form would.
    friend class TacProvider;

    // The form is being destroyed, or the skin is not active.
    bool IsSkinned() const;
    bool FormShowing() const;
    // Drops the window menu at a screen point and carries out the command chosen. The skinned
    // system menu takes this place later; until then it is the system's own window menu,
    // which the system no longer shows once WS_SYSMENU is taken away.
    void DropSysMenu(int X, int Y);
    bool WaitForSecondClick();
    // Milliseconds a click on the title icon waits for a second one.
    static constexpr DWORD SecondClickWait = 200;
    // A double click on the title icon asked the form to close.
    bool ClosedByIcon = false;
    bool HasTitle() const;
    // The window procedure (its dispatch is in the window procedure's source).
    void NewWndProc(TMessage& Message);
    void PassOn(TMessage& Message) { FOldWndProc(Message); }
    void RestoreUnskinned();
    void SkinLoaded(TMessage& Message);
    void AcWMPaint(TMessage& Message);
    void AcWMEraseBkgnd(TMessage& Message);
    void AcWMNCActivate(TMessage& Message);
    void AcWMSize(TMessage& Message);
    void AcWMParentNotify(TMessage& Message);
    void AcCMControlListChange(TMessage& Message);
    void AcWMPrint(TMessage& Message);
    void AcWMGetMinMaxInfo(TMessage& Message);
    void AcWMNCLButtonDown(TMessage& Message);
    void AcWMNCLButtonUp(TMessage& Message);
    void AcWMNCLButtonDblClk(TMessage& Message);
    void AcWMNCRButtonUp(TMessage& Message);
    void AcWMSysCommand(TMessage& Message);
    void AcWMNCHitTest(TMessage& Message);
    bool HandleSkinCommandAlways(TMessage& Message);
    void HandleSkinCommandSkinned(TMessage& Message);
    void HandleSkinnedWindowMessage(TMessage& Message);

    // Title-button visibility and enabling.
    bool CloseVisible() const;
    bool MaxVisible() const;
    bool MinVisible() const;
    bool HelpVisible() const;
    bool MaxEnabled() const;
    bool MinEnabled() const;
    bool RestoreEnabled() const;
    TsCaptionButton* ButtonByHT(int HT);
    int ButtonIndexAt(TPoint P) const;
    bool InScrollBarsCorner(TPoint P) const;
    void TrackNonClientLeave();
    void PaintBorderIcons();
    void PaintButton(TsCaptionButton& Btn, int Index, bool Enabled);
    void RepaintButton(int HT);
    void SaveBtnsBG(bool Full);
    void RestoreBtnsBG();

    // Painting steps.
    void PaintFrameBackground(TBitmap* Cache, const TRect& FrameRect);
    void PaintTitle(TBitmap* Cache, const TRect& FrameRect);
    void PaintTitleIcon(TBitmap* Cache);
    void PaintTitleText(TBitmap* Cache, const TRect& FrameRect);
    void PaintMenuLine(TBitmap* Cache);
    void SaveTitleBG();
    // The form's OnPaint handler on DC, its canvas lent DC with the origin at (X, Y).
    void RunOnPaint(HDC DC, int X, int Y);
    void RepaintTitle(const TRect& R);
    bool IsStatelessMask() const;
    int TitleBottom() const;
    int FormMaskIndex() const;

    TAOR ArOR;
    bool RgnChanged = true;
    int FCurrentHT = 0;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> TempBmp;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> MenuLineBmp;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> TitleBG;
    bool FMakeSkinMenu = false;
    bool FShowAppIcon = true;
    bool FHaveSysMenu = false;
    TAlignment FCaptionAlignment = taLeftJustify;
    TsGripMode FGripMode = gmNone;
    std::unique_ptr<TsCommonData> FCommonData;
    std::unique_ptr<TacCtrlAdapter> FAdapter;
    TsResizeMode FResizeMode = rmStandard;
    bool FirstInitialized = false;
    bool FScreenSnap = false;
    int FSnapBuffer = 10;
    bool FUseGlobalColor = true;
    UnicodeString FTitleSkin;
    UnicodeString FMenuLineSkin;
    bool FDrawNonClientArea = true;
    bool FAllowExtBorders = true;
    int FLockCount = 0;
    bool ClearButtons = false;
    TsCaptionButton FButtonMin, FButtonMax, FButtonClose, FButtonHelp;
    TRect LastClientRect{0, 0, 0, 0};
    int FTitleSkinIndex = -1;
    int FCaptionSkinIndex = -1;
    // A menu loop of the form runs: the region stays as it is.
    bool InMenu = false;
    TShowAction ShowAction = saIgnore;
    TacScrollWnd* ListSW = nullptr;
    bool FRgnChanging = false;
    bool MenuChanged = true;
    TWndMethod FOldWndProc;
    bool FOldWndProcSet = false;
    bool FFormActive = false;
    TCustomForm* FForm = nullptr;
    int FLinesCount = -1;
    // The skinned system menu is later work; PrepareForm marks that it would exist now.
    bool SystemMenuReady = false;
    // False once the provider is gone: read by a handler that pumps messages meanwhile.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// A pending press of a title button waits for its release.
extern bool TitleButtonPressed;

// The DC a message brought, or, without one, a window DC of the form taken for the time of the
// message and always released.
class TFormWindowDC {
public:
    TFormWindowDC(HWND Wnd, HDC Given);
    ~TFormWindowDC();
    TFormWindowDC(const TFormWindowDC&) = delete;
    TFormWindowDC& operator=(const TFormWindowDC&) = delete;
    HDC DC() const noexcept { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
    bool FOwned = false;
};

// The window DCs the provider holds right now: every one it takes is released before the
// message that took it is answered.
int FormWindowDCsHeld();
