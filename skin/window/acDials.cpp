// The auto-skinning hook's procedure: popup-menu windows get their handler when they are made,
// activated forms and system dialogs their provider, and a destroyed window lets the providers
// of closed dialogs go. The module entry gives the skin manager the procedure.
#include "skin/window/acDials.h"

#include "framework/Conversions.h"
#include "framework/ExceptionBoundary.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"

int DialogPosX = -1;
int DialogPosY = -1;

namespace {

constexpr NativeInt NeverHookedTag = -98;

// A popup-menu window being made gets its handler, unless the system composes the desktop
// (menus then keep the system's look).
void HookPopupMenu(HWND Wnd) {
    if (!Wnd || GetWndClassName(Wnd) != L"#32768") return;
    if (IsDwmComposing() || !DefaultSkinManager || !DefaultSkinManager->SkinnedPopups() ||
        AskWindow(Wnd, SKCMD_ISSKINNED))
        return;
    auto* handler = Construct<TacMnuWnd>(Wnd, nullptr, DefaultSkinManager, L"MAINMENU", false);
    handler->CtrlHandle = Wnd;
    MnuArray.push_back(handler);
}

// The form's provider, kept in the hook's list.
TacProvider* ProvideForm(TCustomForm* Form) {
    auto* provider = Construct<TacProvider>(Form);
    AddHookProvider(provider);
    provider->InitForm(Form);
    return provider;
}

} // namespace

UnicodeString GetWndClassName(HWND Wnd) {
    wchar_t name[128];
    const int length = GetClassNameW(Wnd, name, 128);
    return UnicodeString(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

TacProvider* FindHookProvider(HWND Wnd) {
    for (std::size_t i = 0; HookProviders && i < HookProviders->size(); ++i)
        if (auto* provider = dynamic_cast<TacProvider*>((*HookProviders)[i]))
            if (provider->CtrlHandle == Wnd) return provider;
    return nullptr;
}

TCustomForm* FindFormByHandle(HWND Wnd) {
    if (!Screen) return nullptr;
    for (int i = Screen->CustomFormCount() - 1; i >= 0; --i) {
        TCustomForm* form = Screen->CustomForms(i);
        if (!form) continue;
        if (form->HandleAllocated() && form->Handle() == Wnd) return form;
        if (form->FormStyle() != fsMDIForm) continue;
        for (int j = 0; j < form->MDIChildCount(); ++j) {
            TCustomForm* child = form->MDIChildren(j);
            if (child && child->HandleAllocated() && child->Handle() == Wnd) return child;
        }
    }
    return nullptr;
}

int CountVisibleDialogs() {
    int count = 0;
    ForEachShownDialog([&count](HWND) { ++count; });
    return count;
}

bool HasChildOfClass(HWND Wnd, const UnicodeString& LowerName) {
    for (HWND child = GetTopWindow(Wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        if (LowerCase(GetWndClassName(child)) == LowerName || HasChildOfClass(child, LowerName))
            return true;
    return false;
}

void SweepDestroyedDialogs() {
    for (std::size_t i = 0; HookProviders && i < HookProviders->size(); ++i) {
        auto* provider = dynamic_cast<TacProvider*>((*HookProviders)[i]);
        if (!provider || !provider->ListSW || !provider->ListSW->Destroyed) continue;
        (*HookProviders)[i] = nullptr;
        delete provider;
    }
}

void BroadcastToChildWindows(HWND Wnd, const TMessage& Message) {
    // The next sibling is read first: a child may go away while it handles the message.
    for (HWND child = GetTopWindow(Wnd); child;) {
        const HWND next = GetWindow(child, GW_HWNDNEXT);
        SendMessageW(child, Message.Msg, Message.WParam, Message.LParam);
        child = next;
    }
}

bool HandleWindowActivation(HWND Wnd) {
    // Without the hook's list nothing made here could be kept.
    if (!Wnd || !HookProviders || !DefaultSkinManager || AskWindow(Wnd, SKCMD_ISSKINNED) ||
        FindHookProvider(Wnd))
        return false;
    TCustomForm* form = FindFormByHandle(Wnd);
    if (form && form->Tag == NeverHookedTag) return false;
    const UnicodeString className = GetWndClassName(Wnd);
    const TacSkinningRules rules = DefaultSkinManager->SkinningRules();
    if (form) {
        if (className == L"TApplication") return false;
        const bool messageDialog = className == L"TMessageForm";
        if (!rules.Contains(messageDialog ? srStdDialogs : srStdForms)) return false;
        TacProvider* provider = ProvideForm(form);
        if (messageDialog) provider->sp->SetMakeSkinMenu(false);
        if (form->FormStyle() == fsMDIForm)
            for (int i = 0; i < form->MDIChildCount(); ++i) {
                TCustomForm* child = form->MDIChildren(i);
                if (child && child->HandleAllocated() &&
                    !AskWindow(child->Handle(), SKCMD_ISSKINNED))
                    ProvideForm(child);
            }
        return true;
    }
    if (className != L"#32770" || !rules.Contains(srStdDialogs)) return false;
    // A plain dialog opened over a skinned one stays as it is; a file dialog is still skinned.
    if (CountVisibleDialogs() > 0 && !HasChildOfClass(Wnd, L"toolbarwindow32")) return false;
    auto* provider = Construct<TacProvider>(nullptr);
    AddHookProvider(provider);
    if (!provider->InitSkin(Wnd)) delete provider;
    return true;
}

LRESULT CALLBACK CBTHookProc(int Code, WPARAM WParam, LPARAM LParam) {
    const LRESULT result = CallNextHookEx(CBTHookHandle, Code, WParam, LParam);
    GuardBoundary([&] {
        switch (Code) {
        case HCBT_CREATEWND: HookPopupMenu(reinterpret_cast<HWND>(WParam)); break;
        case HCBT_DESTROYWND: SweepDestroyedDialogs(); break;
        case HCBT_ACTIVATE: HandleWindowActivation(reinterpret_cast<HWND>(WParam)); break;
        default: break;
        }
    });
    return result;
}

TModuleEntry DialsModule() {
    return {L"acDials",
            {},
            [] {
                AutoSkinHook = TAutoSkinHook{CBTHookProc, ClearMnuArray};
            },
            [] {
                ClearMnuArray();
                std::unique_ptr<std::vector<TacHookProvider*>> providers = std::move(HookProviders);
                if (providers)
                    for (TacHookProvider* provider : *providers) delete provider;
                MnuArray.shrink_to_fit();
                AutoSkinHook = TAutoSkinHook{};
            }};
}
