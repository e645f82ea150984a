// Forms: top-level windows made of controls, and the scrolling container they are built on.
//
// Building in code. A form class creates its components and sets their properties in its
// constructor. Made with `CreateForm<TFormClass>(owner)` (or `Application->CreateForm`), the
// form is in the loading state while its constructor runs: every component it comes to own is
// created loading (csLoading, csReading), and once the constructor has finished, the form ends
// the loading state and calls `Loaded` on itself and on every component it owns, in creation
// order; then OnCreate runs, then the form shows itself if Visible was set. A form made with a
// plain constructor (`new TForm(owner)`: the classic CreateNew) does not load: OnCreate runs
// after construction (Construct) and no Loaded is called.
#pragma once

#include "framework/Application.h"
#include "framework/Controls.h"

#include <functional>

class TMainMenu;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;
constexpr TModalResult mrClose = mrYesToAll + 1;

class TCustomForm;

// The form a control is on: the outermost one, or with TopForm false the nearest one.
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);

// ---- scrolling container
// -------------------------------------------------------------------------

enum TScrollBarKind { sbHorizontal, sbVertical };

// One scroll bar of a scrolling control: Range is the extent of the scrolled area (0: no scroll
// bar), Position the offset shown. Scrolling moves the children, not the window.
class TControlScrollBar : public TPersistent {
    CLASS_INFO(TControlScrollBar, TPersistent)
public:
    TControlScrollBar(class TScrollingWinControl* AControl, TScrollBarKind AKind);
    TScrollBarKind Kind() const noexcept { return FKind; }
    int Range() const noexcept { return FRange; }
    void SetRange(int value);
    int Increment() const noexcept { return FIncrement; }
    void SetIncrement(int value) { FIncrement = value > 0 ? value : 1; }
    int Position() const noexcept { return FPosition; }
    void SetPosition(int value);
    bool Tracking() const noexcept { return FTracking; }
    void SetTracking(bool value) { FTracking = value; }
    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool value);
    // True when the range exceeds the client extent and the bar is visible.
    bool IsScrollBarVisible();
    // The most Position can be: Range less the client extent, at least 0.
    int MaxPosition();
    void Assign(TPersistent* source) override;

private:
    friend class TScrollingWinControl;
    int ClientExtent();
    void Update();
    void ScrollMessage(TMessage& Message);

    class TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    int FRange = 0;
    int FIncrement = 8;
    int FPosition = 0;
    bool FTracking = false;
    bool FVisible = true;
    bool FUpdating = false;
};

class TScrollingWinControl : public TWinControl {
    CLASS_INFO(TScrollingWinControl, TWinControl)
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;
    TControlScrollBar* HorzScrollBar() const noexcept { return FHorzScrollBar.get(); }
    TControlScrollBar* VertScrollBar() const noexcept { return FVertScrollBar.get(); }
    // With AutoScroll the ranges follow the children's extent.
    bool AutoScroll() const noexcept { return FAutoScroll; }
    void SetAutoScroll(bool value);
    // Moves every child by (DeltaX, DeltaY) and scrolls the window's picture with them.
    void ScrollBy(int DeltaX, int DeltaY);
    // Scrolls so that the child is in view.
    void ScrollInView(TControl* AControl);

protected:
    void Dispatch(TMessage& Message) override;
    void CreateWnd() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void AdjustClientRect(TRect& Rect) override;
    void UpdateScrollBars();

private:
    friend class TControlScrollBar;
    void CalcAutoRange();

    std::unique_ptr<TControlScrollBar, graphics_detail::TFreeObject> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar, graphics_detail::TFreeObject> FVertScrollBar;
    bool FAutoScroll = true;
    bool FUpdatingScrollBars = false;
};

class TScrollBox : public TScrollingWinControl {
    CLASS_INFO(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* AOwner);
};

// A group of controls made in code and placed on forms as one control.
class TCustomFrame : public TScrollingWinControl {
    CLASS_INFO(TCustomFrame, TScrollingWinControl)
public:
    explicit TCustomFrame(TComponent* AOwner);
};

class TFrame : public TCustomFrame {
    CLASS_INFO(TFrame, TCustomFrame)
public:
    using TCustomFrame::TCustomFrame;
};

// ---- forms
// ---------------------------------------------------------------------------------------

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = TMethodEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TMethodEvent<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TScrollingWinControl {
    CLASS_INFO(TCustomForm, TScrollingWinControl)
public:
    // A plain form (the classic CreateNew): nothing loads; OnCreate runs in AfterConstruction.
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TFormBorderStyle BorderStyle() const noexcept { return FFormBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const noexcept { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value);
    TFormStyle FormStyle() const noexcept { return FFormStyle; }
    void SetFormStyle(TFormStyle value);
    TPosition Position() const noexcept { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }
    TWindowState WindowState() const noexcept { return FWindowState; }
    void SetWindowState(TWindowState value);
    TFormState FormState() const noexcept { return FFormState; }
    bool KeyPreview() const noexcept { return FKeyPreview; }
    void SetKeyPreview(bool value) { FKeyPreview = value; }
    bool AlphaBlend() const noexcept { return FAlphaBlend; }
    void SetAlphaBlend(bool value);
    Byte AlphaBlendValue() const noexcept { return FAlphaBlendValue; }
    void SetAlphaBlendValue(Byte value);
    TIcon* Icon() const noexcept { return FIcon.get(); }
    void SetIcon(TIcon* value) { FIcon->Assign(value); }
    TMainMenu* Menu() const noexcept { return FMenu; }
    void SetMenu(TMainMenu* value);

    // The control that has (or gets, once the form is active) the focus.
    TWinControl* ActiveControl() const noexcept { return FActiveControl; }
    void SetActiveControl(TWinControl* value);
    // Called as the focus moves to a control of this form.
    void SetFocusedControl(TWinControl* Control);
    // Moves the focus to the next (or previous) tab stop after CurControl.
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    bool Active() const noexcept { return FActive; }
    // A key that is a shortcut of the form's menu runs its item (the message loop asks).
    virtual bool IsShortCut(const TMessage& Message);

    // Showing and closing.
    void Show();
    void Hide() { SetVisible(false); }
    // Shows the form modally (the other forms disabled) until ModalResult is set; answers it.
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const noexcept { return FModalResult; }
    void SetModalResult(TModalResult value) { FModalResult = value; }
    // Asks OnCloseQuery, then OnClose decides: hide, free (Release), minimise or nothing. A
    // modal form sets ModalResult mrCancel instead of hiding.
    void Close();
    bool CloseQuery();
    // Frees the form once the messages pending now have been handled.
    void Release();
    void BringToFront();

    // MDI.
    HWND ClientHandle() const noexcept { return FClientHandle; }
    int MDIChildCount();
    TCustomForm* MDIChildren(int index);
    TCustomForm* ActiveMDIChild();

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnPaint;

    // Building in code: see the top of this file.
    template <class TFormClass, class... Args>
    static TFormClass* Build(TComponent* AOwner, TFormClass** Reference, Args&&... args);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void PaintWindow(HDC dc) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void DoCreate() { OnCreate(this); }
    virtual void DoShow() { OnShow(this); }
    virtual void DoHide() { OnHide(this); }
    virtual void DoClose(TCloseAction& Action) { OnClose(this, Action); }
    virtual void Activate() { OnActivate(this); }
    virtual void Deactivate() { OnDeactivate(this); }
    virtual void Paint() { OnPaint(this); }
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }

private:
    struct TBuildRequest {
        std::function<void(TCustomForm*)> AssignReference;
        bool Claimed = false;
    };
    static TBuildRequest*& PendingBuild() noexcept;

    void CMVisibleChanged();
    void CMDialogKey(TMessage& Message);
    void WMActivate(TMessage& Message);
    void WMSize(TMessage& Message);
    bool WMSysCommand(TMessage& Message);
    void WMMDIActivate(TMessage& Message);
    int ShowCommand() const;
    void ApplyPosition();
    void ApplyAlphaBlend();
    void CreateMDIClient();
    void RunModalLoop();
    void CloseModal();
    void EndModal(const std::vector<HWND>& disabled, HWND previousActive);

    TFormBorderStyle FFormBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    TFormState FFormState;
    bool FKeyPreview = false;
    bool FAlphaBlend = false;
    Byte FAlphaBlendValue = 255;
    std::unique_ptr<TIcon, graphics_detail::TFreeObject> FIcon;
    std::unique_ptr<TControlCanvas, graphics_detail::TFreeObject> FCanvas;
    TMainMenu* FMenu = nullptr;
    TWinControl* FActiveControl = nullptr;
    bool FActive = false;
    bool FBuilt = false;
    bool FShowAfterBuild = false;
    bool FTornDownForm = false;
    bool FPositioned = false;
    TModalResult FModalResult = mrNone;
    HWND FClientHandle = nullptr;
};

class TForm : public TCustomForm {
    CLASS_INFO(TForm, TCustomForm)
public:
    using TCustomForm::Canvas;
    using TCustomForm::TCustomForm;
};

// Builds a form in code: loading state while it is constructed, Loaded after its properties.
template <class TFormClass, class... Args>
TFormClass* CreateForm(TComponent* AOwner, Args&&... args) {
    return TCustomForm::Build<TFormClass>(AOwner, nullptr, std::forward<Args>(args)...);
}

template <class TFormClass, class... Args>
TFormClass* TCustomForm::Build(TComponent* AOwner, TFormClass** Reference, Args&&... args) {
    TBuildRequest request;
    if (Reference)
        request.AssignReference = [Reference](TCustomForm* form) {
            *Reference = static_cast<TFormClass*>(form);
        };
    TBuildRequest* outer = PendingBuild();
    PendingBuild() = &request;
    struct TRestore {
        TBuildRequest* Outer;
        ~TRestore() { PendingBuild() = Outer; }
    } restore{outer};
    return Construct<TFormClass>(AOwner, std::forward<Args>(args)...);
}

// ---- screen and mouse
// ----------------------------------------------------------------------------

// The forms of the program and the display they are on. `Screen` exists from the class library's
// start-up to its end, around the application object. GUI thread only.
class TScreen : public TComponent {
    CLASS_INFO(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    // Every form that exists, in creation order; Forms counts only TForm descendants.
    int CustomFormCount() const noexcept { return static_cast<int>(FForms.size()); }
    TCustomForm* CustomForms(int index) const;
    int FormCount() const;
    TForm* Forms(int index) const;
    TCustomForm* ActiveCustomForm() const noexcept { return FActiveForm; }
    TForm* ActiveForm() const;
    TWinControl* ActiveControl() const noexcept { return FActiveControl; }

    // The cursor shown everywhere in the program; crDefault lets each control show its own.
    TCursor Cursor() const noexcept { return FCursor; }
    void SetCursor(TCursor value);
    HCURSOR Cursors(TCursor index) const;
    void SetCursors(TCursor index, HCURSOR value);

    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    int PixelsPerInch() const;
    int MonitorCount() const;
    // The bounds and work area of monitor `index` (0 the primary one), in screen coordinates.
    TRect MonitorRect(int index) const;
    TRect MonitorWorkArea(int index) const;
    TRect WorkAreaRect() const { return MonitorWorkArea(0); }
    TRect DesktopRect() const;

    TFont* MenuFont() const noexcept { return FMenuFont.get(); }
    TFont* HintFont() const noexcept { return FHintFont.get(); }
    TFont* IconFont() const noexcept { return FIconFont.get(); }
    // Reads the system's fonts again (after WM_SETTINGCHANGE).
    void ResetFonts();

    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;

    // Kept up to date by the forms.
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void FormActivated(TCustomForm* form);
    void ControlFocused(TCustomForm* form, TWinControl* control);

private:
    void Notification(TComponent* AComponent, TOperation Operation) override;

    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TCursor FCursor = crDefault;
    std::vector<std::pair<TCursor, HCURSOR>> FCustomCursors;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FMenuFont;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FHintFont;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FIconFont;
};

extern TScreen* Screen;

// The mouse as the system sees it.
class TMouse {
public:
    TPoint CursorPos() const;
    void SetCursorPos(TPoint value);
    // The distance the mouse moves before a press becomes a drag.
    int DragThreshold() const { return GetSystemMetrics(SM_CXDRAG); }
    HWND Capture() const { return GetCapture(); }
    void SetCapture(HWND value);
    bool WheelPresent() const { return GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0; }
};

extern TMouse* Mouse;

// ---- the application's forms
// ---------------------------------------------------------------------

template <class TFormClass> void TApplication::CreateForm(TFormClass*& Reference) {
    TFormClass* form = TCustomForm::Build<TFormClass>(this, &Reference);
    if (!FMainForm) FMainForm = form;
}

// ---- hint window
// ----------------------------------------------------------------------------------

// The small topmost window that shows a hint. Subclasses (the virtual tree's hint, skinned
// hints) change its size, placement and painting through the virtuals.
class THintWindow : public TCustomControl {
    CLASS_INFO(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* AOwner);
    // The size the hint text needs, at most MaxWidth wide, at (0, 0).
    virtual TRect CalcHintRect(int MaxWidth, const UnicodeString& AHint, void* AData);
    // Shows the hint at Rect (screen), kept on the desktop, without taking the focus.
    virtual void ActivateHint(TRect Rect, const UnicodeString& AHint);
    virtual void ActivateHintData(TRect Rect, const UnicodeString& AHint, void* AData);
    // True for the messages that end a hint: keys, clicks, and leaving the window.
    virtual bool IsHintMsg(const MSG& Msg);
    // Hides the hint and lets its window go.
    virtual void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& Message) override;
};
