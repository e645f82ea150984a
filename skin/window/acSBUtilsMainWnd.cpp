// The handler base: making and attaching a handler, the messages every handler answers alike,
// and freeing it, deferred while a message is dispatched through it.
#include "framework/Application.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sSkinManager.h"
#include "skin/window/acSBUtils.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/window/sSkinProvider.h"

#include <vector>

bool CreatingDialogHandlers = false;

namespace {

UnicodeString WindowTextOf(HWND Wnd) {
    const int length = GetWindowTextLengthW(Wnd);
    if (length <= 0) return UnicodeString();
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
    const int read = GetWindowTextW(Wnd, text.data(), length + 1);
    return UnicodeString(text.data(), read);
}

// Counts a dispatch through the handler; when the outermost one ends and the handler was
// released meanwhile, frees it. Nothing of the handler is touched after that.
class TDispatchScope {
public:
    TDispatchScope(TacMainWnd* Handler, int& Depth, bool& ReleasePending)
        : FHandler(Handler), FDepth(Depth), FReleasePending(ReleasePending) {
        ++FDepth;
    }
    ~TDispatchScope() {
        if (--FDepth == 0 && FReleasePending) FHandler->Free();
    }
    TDispatchScope(const TDispatchScope&) = delete;
    TDispatchScope& operator=(const TDispatchScope&) = delete;

private:
    TacMainWnd* FHandler;
    int& FDepth;
    bool& FReleasePending;
};

} // namespace

TacMainWnd::TacMainWnd(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                       const UnicodeString& SkinSection, bool Repaint)
    : CtrlHandle(AHandle), SkinManager(ASkinManager), FRepaint(Repaint) {
    // Visual styles would paint over the skin; dialogs keep theirs.
    if (SetWindowThemeProc && SkinSection != L"DIALOG") SetWindowThemeProc(AHandle, L" ", L" ");
    if (ASkinData) {
        SkinData = ASkinData;
        if (!SkinManager) SkinManager = ASkinData->SkinManager();
    } else {
        OwnSkinData = true;
        SkinData = new TsCommonData(nullptr, true);
    }
    if (SkinData->SkinSection().empty()) SkinData->SetSkinSection(SkinSection);
    DlgMode = CreatingDialogHandlers;
}

void TacMainWnd::AfterConstruction() {
    SaveStdParams();
    ParamsChanged = false;
    Caption = WindowTextOf(CtrlHandle);
    if (auto* scroll = dynamic_cast<TacScrollWnd*>(this))
        InstallScrollHandler(scroll, CtrlHandle, FRepaint);
    else
        InstallHandler(this, CtrlHandle);
    if (TControl* owner = SkinData->FOwnerControl)
        owner->SetControlStyle(owner->ControlStyle() + TControlStyle{csOpaque});
}

void TacMainWnd::BeforeDestruction() {
    if (Destroyed) return;
    if (SetWindowThemeProc) SetWindowThemeProc(CtrlHandle, nullptr, nullptr);
    TacMainWnd* self = this;
    UninstallHandler(CtrlHandle, false, false, self);
}

TacMainWnd::~TacMainWnd() {
    if (OwnSkinData) delete SkinData;
    SkinData = nullptr;
    SkinManager = nullptr;
}

void ReleaseHandler(TacMainWnd*& Handler) {
    TacMainWnd* doomed = Handler;
    Handler = nullptr;
    if (!doomed) return;
    if (!doomed->Dispatching()) {
        doomed->Free();
        return;
    }
    // Detached at once, so that the window no longer reaches it; freed when the dispatch ends.
    doomed->BeforeDestruction();
    doomed->FReleasePending = true;
}

LRESULT TacMainWnd::CallPrevWndProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM& LParam) {
    if (OldWndProc) {
        TMessage message{Msg, WParam, LParam, 0};
        OldWndProc(message);
        LParam = message.LParam;
        return message.Result;
    }
    if (OldProc) return CallWindowProcW(OldProc, Handle, Msg, WParam, LParam);
    return 0;
}

void TacMainWnd::PassOn(TMessage& Message) {
    Message.Result = CallPrevWndProc(CtrlHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TacMainWnd::HandlerWndProc(TMessage& Message) {
    TDispatchScope scope(this, FDispatching, FReleasePending);
    acWndProc(Message);
}

bool TacMainWnd::SkinActive() const {
    if (!SkinData) return false;
    TsSkinManager* manager = SkinData->SkinManager();
    return manager && manager->Active();
}

void TacMainWnd::acWndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY: {
        if (SkinData->GlowID >= 0) {
            HideGlowEffect(SkinData->GlowID);
            SkinData->GlowID = -1;
        }
        PassOn(Message);
        if (OldProc || OldWndProc) {
            TacMainWnd* self = this;
            UninstallHandler(CtrlHandle, false, false, self);
        }
        return;
    }
    case WM_UPDATEUISTATE: return;
    case WM_SIZE: SkinData->BGChanged = true; break;
    case WM_SETTEXT:
        PassOn(Message);
        Caption = WindowTextOf(CtrlHandle);
        return;
    case WM_MOUSEMOVE:
        if (DefaultSkinManager && !DefaultSkinManager->ComponentState().Contains(csDesigning) &&
            IsWindowEnabled(CtrlHandle) && DefaultSkinManager->ActiveControl() != CtrlHandle)
            DefaultSkinManager->WriteActiveControl(CtrlHandle);
        break;
    case WM_PRINT:
        Message.Result = SendMessageW(CtrlHandle, WM_PAINT, Message.WParam, Message.LParam);
        return;
    default: break;
    }
    if (SkinActive() && Message.Msg == SM_ALPHACMD && HandleSkinCommand(Message)) return;
    PassOn(Message);
}

// The skin commands a handler answers itself; False for those that are passed on.
bool TacMainWnd::HandleSkinCommand(TMessage& Message) {
    TsSkinManager* manager = SkinData->SkinManager();
    const bool ownManager = reinterpret_cast<TsSkinManager*>(Message.LParam) == manager;
    switch (HIWORD(Message.WParam)) {
    case SKCMD_SKINLOADED:
        if (!ownManager) return false;
        SkinData->UpdateIndexes();
        SkinData->BGChanged = true;
        PassMessageOrBroadcast(nullptr, CtrlHandle, Message);
        PassOn(Message);
        return true;
    case SKCMD_SKINREMOVED:
        if (!ownManager) return false;
        RestoreStdParams();
        PassOn(Message);
        return true;
    case SKCMD_REPAINT:
        if (!ownManager) return false;
        SkinData->UpdateIndexes();
        SkinData->BGChanged = true;
        SkinData->SetUpdating(false);
        SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
        return true;
    case SKCMD_UPDATEDONE: {
        // The link's own flag is read through Updating(), which is that flag for a link
        // without an owner control and adds the parent's answer for one with.
        if (!SkinData->Updating()) return false;
        SkinData->SetUpdating(false);
        const bool stillUpdating = SkinData->Updating();
        SkinData->SetUpdating(stillUpdating);
        if (!stillUpdating)
            RedrawWindow(CtrlHandle, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        return true;
    }
    case SKCMD_ISSKINNED: Message.Result = 1; return true;
    case SKCMD_QUERYUPDATING: Message.Result = SkinData->Updating() ? 1 : 0; return true;
    case SKCMD_QUERYTEXTURED:
        if (!SkinData->FOwnerControl) return false;
        ::HandleSkinCommand(Message, SkinData);
        return true;
    case SKCMD_GETBGCOLOR:
        PassOn(Message);
        if (Message.Result == 0)
            Message.Result = static_cast<LRESULT>(ControlBgColor(SkinData, false, CtrlHandle));
        return true;
    case SKCMD_PREPARECACHE: PrepareHandlerCache(SkinData, CtrlHandle, false); return false;
    case SKCMD_GETBGINFO:
        QueryBgInfo(SkinData, *reinterpret_cast<TacBackgroundInfo*>(Message.LParam), false,
                    CtrlHandle);
        return true;
    case SKCMD_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return true;
    default: return false;
    }
}
