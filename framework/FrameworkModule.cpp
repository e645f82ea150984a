// The class library's module entry: it owns the global application object, so that the
// object exists from the program's start-up to its end and never depends on the order of C++
// static initialisation.
#include "framework/ModuleInit.h"

#include "framework/Application.h"

TModuleEntry FrameworkModule() {
    return {L"Framework", {},
            [] {
                if (Application) throw EInvalidOperation(L"The application object exists already");
                Application = Construct<TApplication>(nullptr);
            },
            [] { FreeAndNil(Application); }};
}
