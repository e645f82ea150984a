// Start-up of the kit's constants module: it looks at the application window once, after the
// class library has created it, and keeps its extended style.
#include "support/KitThreadPool/KitConsts.h"

#include "framework/Application.h"

namespace {

LONG_PTR StartupExStyle = 0; // written once at start-up on the main thread

} // namespace

LONG_PTR KitStartupExStyle() { return StartupExStyle; }

TModuleEntry KitConstsModule() {
    return {L"KitConsts",
            {L"Framework"},
            [] {
                StartupExStyle =
                    Application ? GetWindowLongPtrW(Application->Handle(), GWL_EXSTYLE) : 0;
            },
            {}};
}
