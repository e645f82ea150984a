// The skinned-form list, the redraw lock around skin changes and the broadcasts that carry the
// skin commands to every form and dialog. Receivers may free forms while a broadcast runs: the
// loops walk a copy of their list and visit a form only while it is still listed; dialogs are
// visited by index through their live list.
#include "skin/engine/sCommonData.h"
#include "skin/engine/sVclUtils.h"

#include "framework/Application.h"
#include "framework/SystemInfo.h"

#include <algorithm>

std::vector<TCustomForm*> SkinnedForms;

void AddSkinnedForm(TCustomForm* Form) { SkinnedForms.push_back(Form); }

void RemoveSkinnedForm(TCustomForm* Form) {
    for (TCustomForm*& slot : SkinnedForms) {
        if (slot != Form) continue;
        slot = SkinnedForms.back();
        SkinnedForms.back() = nullptr;
        if (!SkinnedForms.back()) SkinnedForms.pop_back();
    }
}

namespace {

bool Minimized() { return Application && Application->Minimized(); }

// A visible top-level form, neither minimised nor an MDI child, whose provider skins with
// Manager.
TacFormProviderLink* LockableProvider(TCustomForm* Form, TsSkinManager* Manager) {
    if (!Form || !Form->HandleAllocated() || Form->Parent() || !Form->Visible()) return nullptr;
    if (Form->FormStyle() == fsMDIChild || IsIconic(Form->Handle())) return nullptr;
    TacFormProviderLink* provider = FormProviderOf(Form);
    if (!provider || provider->ProviderSkinData()->SkinManager() != Manager) return nullptr;
    return provider;
}

bool Live(const TComponent* Component) {
    const TComponentState state = Component->ComponentState();
    return !state.Contains(csDestroying) && !state.Contains(csLoading);
}

bool StillSkinned(TCustomForm* Form) {
    return std::find(SkinnedForms.begin(), SkinnedForms.end(), Form) != SkinnedForms.end();
}

bool StillOwnedByApplication(TComponent* Component) {
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (Application->Components(i) == Component) return true;
    return false;
}

// The form's window, its children and, for an MDI frame, its client window.
void SendToForm(TCustomForm* Form, TMessage& Message) {
    if (Form->HandleAllocated())
        SendMessageW(Form->Handle(), Message.Msg, Message.WParam, Message.LParam);
    if (!Live(Form)) return;
    PassMessageToChildren(Form, Message);
    if (Form->FormStyle() == fsMDIForm && Form->ClientHandle())
        SendMessageW(Form->ClientHandle(), Message.Msg, Message.WParam, Message.LParam);
}

// A maximised form with extended borders is shown maximised again, so that its window takes the
// maximised place of the new skin, without being seen or taking the activation.
void ShowMaximizedUnseen(TCustomForm* Form) {
    const HWND wnd = Form->Handle();
    SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) & ~WS_VISIBLE);
    const HWND active = GetActiveWindow();
    ShowWindow(wnd, SW_SHOWMAXIMIZED);
    SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) | WS_VISIBLE);
    if (active) SetActiveWindow(active);
}

} // namespace

void LockFormsRedraw(TsSkinManager* Manager) {
    if (Minimized()) return;
    if (Manager == DefaultSkinManager && Manager->AnimEffects()->SkinChanging()->Active)
        FormAnimating = true;
    for (TCustomForm* form : std::vector<TCustomForm*>(SkinnedForms)) {
        if (!StillSkinned(form)) continue;
        if (TacFormProviderLink* provider = LockableProvider(form, Manager)) {
            provider->SetFormAnimating(true);
            SendMessageW(form->Handle(), WM_SETREDRAW, 0, 0);
        }
    }
}

void UnlockFormsRedraw(TsSkinManager* Manager, bool Animate) {
    if (Minimized()) return;
    if (Manager == DefaultSkinManager) FormAnimating = false;
    const TacSkinChanging* changing = Manager->AnimEffects()->SkinChanging();
    for (TCustomForm* form : std::vector<TCustomForm*>(SkinnedForms)) {
        if (!StillSkinned(form)) continue;
        TacFormProviderLink* provider = LockableProvider(form, Manager);
        if (!provider) continue;
        if (!Animate) {
            SendMessageW(form->Handle(), WM_SETREDRAW, 1, 0);
            continue;
        }
        if (changing->Active) FadeInForm(form, provider->DrawsNonClientArea() ? changing->Time : 0);
        const bool borders = provider->ExtendedBorderWindow() != nullptr;
        if (borders && form->WindowState() == wsMaximized) ShowMaximizedUnseen(form);
        SendMessageW(form->Handle(), WM_SETREDRAW, 1, 0);
        provider->SetFormAnimating(false);
        if (provider->DrawsNonClientArea()) {
            if (Win32MajorVersion() < 6) SetWindowRgn(form->Handle(), nullptr, FALSE);
            provider->RefreshFormRegion();
            RedrawWindow(form->Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            if (borders) provider->UpdateExtendedBorders(255);
        } else {
            RedrawWindow(form->Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        }
    }
}

void BroadcastToForms(TMessage& Message) {
    if (Application) {
        std::vector<TComponent*> components;
        for (int i = Application->ComponentCount() - 1; i >= 0; --i)
            components.push_back(Application->Components(i));
        for (TComponent* component : components) {
            if (!StillOwnedByApplication(component)) continue;
            auto* form = dynamic_cast<TCustomForm*>(component);
            if (!form || form->FormStyle() == fsMDIChild || !Live(form)) continue;
            if (form->HandleAllocated() && AskWindow(form->Handle(), SKCMD_ISSKINNED)) continue;
            SendToForm(form, Message);
        }
    }
    BroadcastToSkinnedForms(Message);
}

void BroadcastToSkinnedForms(TMessage& Message) {
    for (TCustomForm* form : std::vector<TCustomForm*>(SkinnedForms))
        if (form && StillSkinned(form) && !form->ComponentState().Contains(csDestroying))
            SendToForm(form, Message);
    ForEachShownDialog([&Message](HWND Dialog) {
        SendMessageW(Dialog, Message.Msg, Message.WParam, Message.LParam);
    });
}
