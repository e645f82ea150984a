// The account server's script paths and their language variants: simplified Chinese (and no
// language yet) uses the plain script, English the "_en" one, traditional Chinese the "_tw" one.
// The menu's line-list refresh knows only the plain and the English script.
#include "client/AccountServerProtocol.h"

#include "client/AppShared.h"

namespace {

constexpr wchar_t ScriptRoot[] = L"/webadmin/useradmin/";

UnicodeString Script(const wchar_t* stem, Integer language) {
    const wchar_t* suffix = language == LangEnglish       ? L"_en"
                            : language == LangTraditional ? L"_tw"
                                                          : L"";
    return ScriptRoot + UnicodeString(stem) + suffix + L".php";
}

} // namespace

UnicodeString ServerCheckPath() { return Script(L"netcheck09", LangNone); }

UnicodeString CredentialCheckPath(Integer language) { return Script(L"usercheck09", language); }

UnicodeString LineListPath(Integer language, TLineListUse use) {
    if (use == TLineListUse::Refresh && language != LangEnglish) language = LangNone;
    return Script(L"vpnlist09", language) + L"?viewstr=" + AccountAccessValue;
}

UnicodeString LineCheckPath() { return Script(L"ipcheck09", LangNone); }

UnicodeString StatusReportPath() { return Script(L"statuscheck09", LangNone); }

UnicodeString ValidityCheckPath(Integer language) { return Script(L"datecheck09", language); }
