// The client program: the modules start in the order they use each other, the application is
// titled, and the forms are made in their order (the account dialogs hidden). Making the main
// window runs the whole login; when no login succeeds the process ends inside it, and so does
// closing the window later.
//
// VELMORA_ACCOUNT_SERVERS, when set, names the servers to talk to instead of the built-in
// hosts: "primary,backup[,content[,second]]", each "host:port". The run script and the tests
// use it for the local account servers, which listen on ports of their own.
// VELMORA_RAS_LIBRARY can name a simulated dial-up library (RasLibrarySetting.h), and
// VELMORA_ICMP_LIBRARY a scripted ICMP helper library (IcmpLibrarySetting.h).
#include "client/gui/IcmpLibrarySetting.h"
#include "client/gui/LoginForm.h"
#include "client/gui/MainForm.h"
#include "client/gui/RasLibrarySetting.h"
#include "client/gui/SingleLineTestForm.h"

#include "client/AccountDialogs.h"
#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"
#include "client/IpHelperLoader.h"

#include "data/engine/CLRClasses.h"
#include "data/engine/DcParser.h"
#include "data/engine/MemData.h"
#include "data/engine/MemDS.h"
#include "data/engine/MemUtils.h"
#include "framework/ModuleInit.h"
#include "skin/controls/SysTray.h"
#include "skin/controls/sSkinLibraryModules.h"
#include "support/Ucl/UclModules.h"
#include "support/KitThreadPool/KitConsts.h"
#include "support/MYString/MYString.h"
#include "support/NetPing/NetWndControl.h"
#include "support/XtThread/XtThread.h"

#include <cstdlib>

namespace {

void ApplyServerOverride() {
    const wchar_t* setting = _wgetenv(L"VELMORA_ACCOUNT_SERVERS");
    if (!setting || !*setting) return;
    TServiceEndpoints endpoints = BuiltInServiceEndpoints();
    UnicodeString* fields[] = {&endpoints.Primary, &endpoints.Backup, &endpoints.Content,
                               &endpoints.SecondService};
    UnicodeString rest = setting;
    for (UnicodeString* field : fields) {
        const std::size_t comma = rest.find(L',');
        *field = rest.substr(0, comma);
        if (comma == UnicodeString::npos) break;
        rest = rest.substr(comma + 1);
    }
    SetServiceEndpoints(endpoints);
}

// The class library first, then the library units' version records and system helpers, then
// the support libraries (the skin library among them) and the client's own modules.
TModuleList ClientModules() {
    TModuleList modules{FrameworkModule()};
    for (TModuleEntry& entry : UclModules()) modules.push_back(std::move(entry));
    for (TModuleEntry entry : {MYStringModule(), KitConstsModule(), XtThreadModule(),
                               XtDragCursorsModule(), NetWndControlModule(), SysTrayModule()})
        modules.push_back(std::move(entry));
    for (TModuleEntry& entry : SkinLibraryModules()) modules.push_back(std::move(entry));
    for (TModuleEntry entry : {IpHelperLoaderModule(), AppSharedModule(), CLRClassesModule(),
                               MemUtilsModule(), DcParserModule(), MemDataModule(), MemDSModule()})
        modules.push_back(std::move(entry));
    return modules;
}

void RunClient() {
    ApplyServerOverride();
    ApplyRasLibrarySetting();
    ApplyIcmpLibrarySetting();
    Application->SetMainFormOnTaskBar(true);
    Application->SetTitle(L"Velmora网络加速器 v9.0");
    Application->CreateForm(frmmain);
    Application->CreateForm(frmlogin);
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->CreateForm(Form4);
    Application->Run();
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        InitializeModules(ClientModules());
        RunClient();
    } catch (...) {
        if (Application) Application->HandleException(nullptr);
        FinalizeModules();
        return 1;
    }
    FinalizeModules();
    return 0;
}
