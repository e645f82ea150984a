// TCustomForm: construction (plain or built in code), the window's styles from the form's
// properties, and the properties that change the window. A form is a top-level window owned by
// the main form (so that it stays above it and leaves the taskbar to it); the main form and a
// form made while there is none are unowned. An MDI child is a child of its frame's MDI client.
#include "framework/Forms.h"

#include "framework/Application.h"
#include "framework/Menus.h"

TCustomForm::TBuildRequest*& TCustomForm::PendingBuild() noexcept {
    static thread_local TBuildRequest* request = nullptr;
    return request;
}

TCustomForm::TCustomForm(TComponent* AOwner)
    : TScrollingWinControl(AOwner), FIcon(new TIcon), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
    FFormState.Include(fsCreating);
    if (TBuildRequest* request = PendingBuild(); request && !request->Claimed) {
        request->Claimed = true;
        FBuilt = true;
        if (request->AssignReference) request->AssignReference(this);
        BeginLoad();
    }
    if (Screen) Screen->AddForm(this);
    SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    SetControlStyle(ControlStyle() + TControlStyle{csSetCaption});
}

TCustomForm::~TCustomForm() {
    if (!FTornDownForm) TCustomForm::BeforeDestruction();
}

void TCustomForm::AfterConstruction() {
    TScrollingWinControl::AfterConstruction();
    if (FBuilt) EndLoadInCreationOrder();
    FFormState.Exclude(fsCreating);
    DoCreate();
    if (FBuilt && FShowAfterBuild) Show();
}

void TCustomForm::BeforeDestruction() {
    if (FTornDownForm) return;
    FTornDownForm = true;
    OnDestroy(this);
    if (FFormStyle == fsMDIChild && FMenu && Application && Application->MainForm() &&
        Application->MainForm()->Menu())
        Application->MainForm()->Menu()->Unmerge(FMenu);
    if (Screen) Screen->RemoveForm(this);
    if (Application) Application->FormDestroying(this);
    TScrollingWinControl::BeforeDestruction();
}

// Visible set while the form is being built shows it once it is whole.
void TCustomForm::Loaded() {
    TScrollingWinControl::Loaded();
    FShowAfterBuild = Visible();
    if (FShowAfterBuild) SetVisible(false);
}

TCustomForm* GetParentForm(TControl* Control, bool TopForm) {
    TCustomForm* found = nullptr;
    for (TControl* control = Control; control; control = control->Parent()) {
        if (auto* form = dynamic_cast<TCustomForm*>(control)) {
            found = form;
            if (!TopForm) break;
        }
    }
    return found;
}

// ---- window
// ----------------------------------------------------------------------------------------

namespace {

DWORD BorderStyleBits(TFormBorderStyle style, DWORD& exStyle) {
    switch (style) {
    case bsNone: return 0;
    case bsSingle: return WS_CAPTION | WS_BORDER;
    case bsSizeable: return WS_CAPTION | WS_THICKFRAME;
    case bsDialog:
        exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        return WS_CAPTION | DS_MODALFRAME;
    case bsToolWindow: exStyle |= WS_EX_TOOLWINDOW; return WS_CAPTION | WS_BORDER;
    case bsSizeToolWin: exStyle |= WS_EX_TOOLWINDOW; return WS_CAPTION | WS_THICKFRAME;
    }
    return 0;
}

} // namespace

void TCustomForm::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_POPUP | WS_VISIBLE | WS_TABSTOP);
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    Params.Style |= WS_CLIPCHILDREN | BorderStyleBits(FFormBorderStyle, Params.ExStyle);
    if (FFormBorderStyle == bsNone) Params.Style |= WS_POPUP;
    const bool dialogLike = FFormBorderStyle == bsDialog || FFormBorderStyle == bsToolWindow ||
                            FFormBorderStyle == bsSizeToolWin;
    if (FFormBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
        Params.Style |= WS_SYSMENU;
        if (!dialogLike && FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
        if (!dialogLike && FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
        if (dialogLike && FBorderIcons.Contains(biHelp)) Params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
    if (FAlphaBlend) Params.ExStyle |= WS_EX_LAYERED;
    Params.WndParent = nullptr;
    if (FFormStyle == fsMDIChild) {
        TCustomForm* frame = Application ? Application->MainForm() : nullptr;
        if (!frame || frame->FormStyle() != fsMDIForm)
            throw EInvalidOperation(L"Cannot create form. No MDI forms are currently active");
        frame->HandleNeeded();
        Params.ExStyle |= WS_EX_MDICHILD;
        Params.Style |= WS_CHILD | WS_CLIPSIBLINGS;
        Params.WndParent = frame->ClientHandle();
    } else if (ParentWindow()) {
        Params.Style = (Params.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
        Params.WndParent = ParentWindow();
    } else if (Application && Application->MainForm() && Application->MainForm() != this) {
        Params.WndParent = Application->MainForm()->Handle();
    }
    if (Position() == poDefault || Position() == poDefaultPosOnly)
        Params.X = Params.Y = CW_USEDEFAULT;
    Params.WindowClass.hbrBackground = nullptr;
    Params.WindowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
}

void TCustomForm::CreateWnd() {
    TScrollingWinControl::CreateWnd();
    if (FFormStyle == fsMDIForm) CreateMDIClient();
    if (!FIcon->Empty())
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
    if (FAlphaBlend) ApplyAlphaBlend();
    if (FMenu && FFormStyle != fsMDIChild) FMenu->SetWindowHandle(Handle());
}

void TCustomForm::CreateMDIClient() {
    CLIENTCREATESTRUCT client{};
    client.idFirstChild = 0xFF00;
    RECT area;
    GetClientRect(Handle(), &area);
    FClientHandle = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0,
        area.right, area.bottom, Handle(), nullptr, GetModuleHandleW(nullptr), &client);
    if (!FClientHandle) RaiseLastOSError(L"CreateWindowEx");
}

// The system would destroy the menu bar with the window: the menu takes it back first.
void TCustomForm::DestroyWnd() {
    if (FMenu && FMenu->WindowHandle() == Handle()) FMenu->SetWindowHandle(nullptr);
    FClientHandle = nullptr; // a child of the form's window: it goes with it
    TScrollingWinControl::DestroyWnd();
}

void TCustomForm::SetMenu(TMainMenu* value) {
    if (value == FMenu) return;
    if (FMenu) {
        if (HandleAllocated() && FMenu->WindowHandle() == Handle()) FMenu->SetWindowHandle(nullptr);
        FMenu->RemoveFreeNotification(this);
    }
    FMenu = value;
    if (!value) return;
    value->FreeNotification(this);
    if (HandleAllocated() && FFormStyle != fsMDIChild) value->SetWindowHandle(Handle());
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TScrollingWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FMenu) FMenu = nullptr;
    if (AComponent == FActiveControl) FActiveControl = nullptr;
}

bool TCustomForm::IsShortCut(const TMessage& Message) {
    return FMenu && FMenu->IsShortCut(Message);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
    if (value == FFormBorderStyle) return;
    FFormBorderStyle = value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
    if (value == FBorderIcons) return;
    FBorderIcons = value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
    if (value == FFormStyle) return;
    FFormStyle = value;
    RecreateWnd();
}

void TCustomForm::SetAlphaBlend(bool value) {
    if (value == FAlphaBlend) return;
    FAlphaBlend = value;
    if (HandleAllocated()) ApplyAlphaBlend();
}

void TCustomForm::SetAlphaBlendValue(Byte value) {
    FAlphaBlendValue = value;
    if (FAlphaBlend && HandleAllocated()) ApplyAlphaBlend();
}

void TCustomForm::ApplyAlphaBlend() {
    const HWND wnd = Handle();
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (FAlphaBlend) {
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        if (!SetLayeredWindowAttributes(wnd, 0, FAlphaBlendValue, LWA_ALPHA))
            RaiseLastOSError(L"SetLayeredWindowAttributes");
    } else {
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    }
}

void TCustomForm::SetActiveControl(TWinControl* value) {
    if (value == FActiveControl) return;
    if (value && (value == this || GetParentForm(value) != this || !value->CanFocus()))
        throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
    FActiveControl = value;
    if (value && FActive && HandleAllocated()) value->SetFocus();
}

void TCustomForm::PaintWindow(HDC dc) {
    FCanvas->PaintWith(dc, [this] { Paint(); });
    TScrollingWinControl::PaintWindow(dc);
}
