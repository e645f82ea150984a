// The dial-up library chosen from the environment. Kept apart from the program's entry, whose
// IP Helper declarations clash with the dial-up library's own RAS declarations.
#include "client/gui/RasLibrarySetting.h"

#include "rasdial/dunrasapi.h"

#include <cstdlib>

void ApplyRasLibrarySetting() {
    const wchar_t* path = _wgetenv(L"VELMORA_RAS_LIBRARY");
    if (!path || !*path) return;
    TRasLibraryNames names;
    names.RasApi = path;
    SetRasLibraryNames(names);
}
