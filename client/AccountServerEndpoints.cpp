// The hosts the exchanges talk to, and the pages that live on them. The host names come from the
// build (client/CMakeLists.txt: cache variables, defaulting to the local account server's loopback
// addresses); the ports are the service's own. Tests replace the table to reach servers on ports
// of their choosing.
#include "client/AccountServerProtocol.h"

namespace {

constexpr wchar_t AccountServerPort[] = L":16001";
constexpr wchar_t ContentPort[] = L":801";

TServiceEndpoints& Endpoints() {
    static TServiceEndpoints endpoints = BuiltInServiceEndpoints();
    return endpoints;
}

// "host:port" without its port.
UnicodeString HostOf(const UnicodeString& endpoint) {
    return endpoint.substr(0, endpoint.rfind(L':'));
}

} // namespace

TServiceEndpoints BuiltInServiceEndpoints() {
    return {
        UnicodeString(L"" VELMORA_PRIMARY_ACCOUNT_HOST) + AccountServerPort,
        UnicodeString(L"" VELMORA_BACKUP_ACCOUNT_HOST) + AccountServerPort,
        UnicodeString(L"" VELMORA_CONTENT_HOST) + ContentPort,
        UnicodeString(L"" VELMORA_SECOND_SERVICE_HOST),
    };
}

const TServiceEndpoints& ServiceEndpoints() { return Endpoints(); }

TServiceEndpoints SetServiceEndpoints(const TServiceEndpoints& endpoints) {
    TServiceEndpoints previous = Endpoints();
    Endpoints() = endpoints;
    return previous;
}

UnicodeString AccountUrl(const UnicodeString& server, const UnicodeString& path) {
    return L"http://" + server + path;
}

UnicodeString RegistrationPageUrl() {
    return AccountUrl(ServiceEndpoints().Primary, L"/webadmin/useradmin/user_self_new.php");
}

UnicodeString AccountRootUrl() {
    return AccountUrl(ServiceEndpoints().Primary, L"/webadmin/useradmin/");
}

UnicodeString ServiceHomeUrl() { return AccountUrl(HostOf(ServiceEndpoints().Primary), L"/"); }

UnicodeString BannerPageUrl(TBannerPage page) {
    static constexpr const wchar_t* Names[] = {L"top.htm", L"maintop.htm", L"news.htm"};
    return AccountUrl(ServiceEndpoints().Content,
                      UnicodeString(L"/velmoraclient09/") + Names[static_cast<int>(page)]);
}

UnicodeString HelpPageUrl(THelpPage page) {
    static constexpr const wchar_t* Names[] = {L"user.htm", L"gg.htm", L"help.htm", L"qa.htm"};
    return AccountUrl(ServiceEndpoints().SecondService,
                      UnicodeString(L"/Dorrinclient162/") + Names[static_cast<int>(page)]);
}

UnicodeString SecondServiceAccountRootUrl() {
    return AccountUrl(ServiceEndpoints().SecondService, L"/sysadmin/useradmin/");
}
