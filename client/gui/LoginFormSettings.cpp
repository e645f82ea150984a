// The login settings remembered under HKEY_CURRENT_USER "Software\vurarer". Reading stops
// silently at the first failure (a "savelang" that is not a number leaves the language as the
// form has it); writing likewise, so a registry problem never blocks a login.
//
// The password is kept protected for the current user (client/RememberedPassword.h), never in
// clear; a clear one left by an earlier version is replaced when first read. A login with
// "remember the password" unticked removes the remembered user name and password.
#include "client/gui/LoginForm.h"

#include "client/RememberedPassword.h"

#include "framework/Conversions.h"
#include "framework/Registry.h"

namespace {

bool ReadFlag(TRegistry& registry, const wchar_t* name) {
    return registry.ValueExists(name) && registry.ReadBool(name);
}

UnicodeString ReadText(TRegistry& registry, const wchar_t* name) {
    return registry.ValueExists(name) ? registry.ReadString(name) : UnicodeString();
}

} // namespace

void Tfrmlogin::ReadRememberedSettings() {
    try {
        TRegistry registry;
        registry.SetRootKey(HKEY_CURRENT_USER);
        if (!registry.OpenKey(LoginSettingsKey, true)) return;
        chkpass->SetChecked(ReadFlag(registry, L"savepassword"));
        if (chkpass->Checked()) {
            edt_user->SetText(ReadText(registry, L"username"));
            edt_pass->SetText(ReadRememberedPassword(registry, L"password"));
        }
        chkstatus->SetChecked(ReadFlag(registry, L"saveautodial"));
        if (!registry.ValueExists(L"savelang")) {
            lang->SetItemIndex(0);
            return;
        }
        lang->SetItemIndex(StrToInt(registry.ReadString(L"savelang")));
        langChange(lang);
    } catch (const Exception&) {
    }
}

void Tfrmlogin::RememberSettings() {
    try {
        TRegistry registry;
        registry.SetRootKey(HKEY_CURRENT_USER);
        if (!registry.OpenKey(LoginSettingsKey, true)) return;
        registry.WriteBool(L"savepassword", chkpass->Checked());
        registry.WriteBool(L"saveautodial", chkstatus->Checked());
        registry.WriteString(L"savelang", IntToStr(lang->ItemIndex()));
        if (chkpass->Checked()) {
            registry.WriteString(L"username", edt_user->Text());
            WriteRememberedPassword(registry, L"password", edt_pass->Text());
        } else {
            registry.DeleteValue(L"username");
            registry.DeleteValue(L"password");
        }
    } catch (const Exception&) {
    }
}
