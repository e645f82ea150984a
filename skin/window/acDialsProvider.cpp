// The provider of one auto-skinned form or system dialog: a form gets its form provider, a
// dialog its dialog handler and a handler for each child window, chosen by the child's class
// name and style.
#include "skin/window/acDials.h"

#include "framework/Conversions.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"

std::array<TDialogHandlerMaker, DialogChildClassCount> DialogHandlerMakers{};

namespace {

// CreatingDialogHandlers is set for as long as the scope lives, whatever ends it.
class TCreatingDialogHandlers {
public:
    TCreatingDialogHandlers() { CreatingDialogHandlers = true; }
    ~TCreatingDialogHandlers() { CreatingDialogHandlers = false; }
    TCreatingDialogHandlers(const TCreatingDialogHandlers&) = delete;
    TCreatingDialogHandlers& operator=(const TCreatingDialogHandlers&) = delete;
};

bool Has(LONG Style, LONG Bits) { return (Style & Bits) == Bits; }

TDialogChildChoice StaticChoice(LONG Style) {
    if (Has(Style, 3) || Has(Style, 0xE)) return {dcIcon, L"CHECKBOX"};
    const LONG kind = Style & 0x1F;
    if (Has(Style, 0xD) || kind == 5 || kind == 6) return {};
    return {dcStatic, L"CHECKBOX"};
}

TDialogChildChoice ButtonChoice(LONG Style) {
    if (Has(Style, 7)) return {dcGroupBox, L"GROUPBOX"};
    if (Has(Style, 3) || Has(Style, 2) || Has(Style, 5) || Has(Style, 9) || Has(Style, 4))
        return {dcCheckBox, L"CHECKBOX"};
    return {dcButton, L"BUTTON"};
}

} // namespace

TDialogChildChoice ChooseDialogChildHandler(const UnicodeString& LowerClass, LONG Style,
                                            bool Visible) {
    const UnicodeString& c = LowerClass;
    if (c == L"static") return StaticChoice(Style);
    if (c == L"#32770") return {dcTransPanel, L"CHECKBOX"};
    if (c == L"tpanel" || c == L"tsilentpaintpanel") return {dcDlgPanel, L"PANEL"};
    if (c == L"button") return ButtonChoice(Style);
    if (c == L"combobox" || c == L"comboboxex32") return {dcComboBox, L"COMBOBOX", true};
    if (c == L"combolbox") return {dcEdit, L"COMBOBOX", true};
    if (c == L"scrollbar") return {dcSizer, L"CHECKBOX"};
    if (c == L"systabcontrol32")
        return Has(Style, 0x2000) ? TDialogChildChoice{}
                                  : TDialogChildChoice{dcTabControl, L"PAGECONTROL"};
    if (c == L"syslistview32") return {dcListView, L"EDIT"};
    if (c == L"msctls_updown32") return {dcSpin, L"SPEEDBUTTON_SMALL"};
    if (c == L"listbox") return {dcEdit, L"EDIT"};
    if (c == L"link window" || c == L"syslink") return {dcLink, L"CHECKBOX"};
    if (c == L"toolbarwindow32") return {dcToolBar, Has(Style, 0x200) ? L"BAR" : L"CHECKBOX"};
    if (c == L"edit")
        return Visible ? TDialogChildChoice{dcEdit, L"EDIT", true}
                       : TDialogChildChoice{dcNone, L"", true};
    if (c == L"systreeview32") return {dcTreeView, L"EDIT"};
    if (c.find(L"shbrowseforfolder") != UnicodeString::npos) return {dcTransPanel, L"CHECKBOX"};
    return {};
}

TacProvider::TacProvider(TComponent* AOwner) : TComponent(AOwner) {}

TacProvider::~TacProvider() {
    RemoveHookProvider(this);
    for (TacMainWnd*& handler : acSkinnedCtrls) ReleaseHandler(handler);
    acSkinnedCtrls.clear();
    TacMainWnd* dialog = ListSW;
    ListSW = nullptr;
    ReleaseHandler(dialog);
}

HWND TacProvider::DialogWindow() const {
    return ListSW && !ListSW->Destroyed ? ListSW->CtrlHandle : nullptr;
}

void TacProvider::InitForm(TCustomForm* Form) {
    sp = Construct<TsSkinProvider>(Form);
    if (IsDwmComposing()) {
        if (!sp->Adapter()) sp->Loaded();
        HWND wnd = Form->Handle();
        SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) | WS_VISIBLE);
        RedrawWindow(wnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
    sp->SetMakeSkinMenu(false);
}

bool TacProvider::InitSkin(HWND aHandle) {
    CtrlHandle = aHandle;
    if (ListSW || !DefaultSkinManager || !DefaultSkinManager->Active()) return true;
    BiDiLeft = (GetWindowLongW(aHandle, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    const UnicodeString className = GetWndClassName(aHandle);
    if (className != L"#32770" && className != L"TMessageForm") return true;
    CreateDialogHandler(aHandle, ListSW);
    ListSW->Provider = this;
    if (DialogPosX != -1 || DialogPosY != -1)
        SetWindowPos(aHandle, nullptr, DialogPosX, DialogPosY, 0, 0,
                     SWP_NOSIZE | SWP_NOREDRAW | SWP_NOOWNERZORDER);
    if (!InitHwndControls(aHandle)) {
        RemoveHookProvider(this);
        return false;
    }
    ListSW->InitParams();
    SendSkinCommand(aHandle, SKCMD_SKINLOADED, reinterpret_cast<LPARAM>(DefaultSkinManager));
    return true;
}

bool TacProvider::InitHwndControls(HWND hWnd) {
    for (HWND child = GetTopWindow(hWnd); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!InitHwndControls(child)) return false;
        if ((GetWindowLongW(child, GWL_STYLE) & WS_CHILD) && !AddControl(child)) return false;
    }
    return true;
}

TacMainWnd* TacProvider::FindCtrlInList(HWND hwnd) const {
    for (TacMainWnd* handler : acSkinnedCtrls)
        if (handler && handler->CtrlHandle == hwnd) return handler;
    return nullptr;
}

bool TacProvider::AddControl(HWND aHwnd) {
    if (!aHwnd) return false;
    if (AskWindow(aHwnd, SKCMD_ISSKINNED)) return true;
    TCreatingDialogHandlers creating;
    const LONG style = GetWindowLongW(aHwnd, GWL_STYLE);
    const TDialogChildChoice choice =
        ChooseDialogChildHandler(LowerCase(GetWndClassName(aHwnd)), style, IsWindowVisible(aHwnd));
    if (choice.ClearPaintLock && ListSW) ListSW->FWMPaintForbidden = false;
    if (choice.Class == dcNone) return true;
    const TDialogHandlerMaker make = DialogHandlerMakers[static_cast<std::size_t>(choice.Class)];
    if (!make) return true;
    TsSkinManager* manager = ListSW ? ListSW->SkinData->SkinManager() : DefaultSkinManager;
    TacMainWnd* handler = make(aHwnd, manager, choice.Section);
    if (!handler) return true;
    acSkinnedCtrls.push_back(handler);
    if (choice.Class != dcDlgPanel)
        GetWndParams(aHwnd, handler->ParentWnd, handler->WndRect, handler->ParentRect,
                     handler->WndSize, handler->WndPos);
    return true;
}
