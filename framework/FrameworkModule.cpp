// The class library's module entry: it owns the global screen and application objects, so that the
// object exists from the program's start-up to its end and never depends on the order of C++
// static initialisation.
#include "framework/ModuleInit.h"

#include "framework/Application.h"
#include "framework/Forms.h"

TModuleEntry FrameworkModule() {
    return {L"Framework",
            {},
            [] {
                if (Application) throw EInvalidOperation(L"The application object exists already");
                static TMouse mouse;
                Mouse = &mouse;
                // The screen outlives the application, whose forms leave the screen's list.
                Screen = Construct<TScreen>(nullptr);
                Application = Construct<TApplication>(nullptr);
            },
            [] {
                FreeAndNil(Application);
                FreeAndNil(Screen);
            }};
}
