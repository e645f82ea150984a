// The TAPI binder. Unlike the RAS and PDH binders it keeps trying after a failed load, since
// the telephony service may be installed while the program runs.
#include "rasdial/magtapiapi.h"

#include "framework/LibraryBinder.h"

// clang-format off
#define TAPI_ENTRY_POINTS(X) \
    X(lineClose) \
    X(lineConfigDialog) \
    X(lineDeallocateCall) \
    X(lineGetCallInfo) \
    X(lineGetDevCaps) \
    X(lineInitialize) \
    X(lineNegotiateAPIVersion) \
    X(lineOpen) \
    X(lineShutdown) \
    X(lineTranslateDialog) \
    X(lineGetCallStatus) \
    X(lineTranslateAddress) \
    X(lineGetNewCalls) \
    X(lineGetID) \
    X(lineGetTranslateCaps) \
    X(lineGetCountry)
// clang-format on

#define DEFINE_ENTRY(name) decltype(name) name = nullptr;
TAPI_ENTRY_POINTS(DEFINE_ENTRY)
#undef DEFINE_ENTRY

namespace {

TLibraryBinder TapiLibrary(L"TAPI32.DLL"); // GUI thread only

} // namespace

void SetTapiLibraryName(const wchar_t* name) { TapiLibrary.SetLibraryName(name); }

bool TapiApiAvailable() {
    if (TapiLibrary.Loaded()) return true;
    if (!TapiLibrary.Load()) return false;
#define BIND_ENTRY(name) TapiLibrary.Bind(ENTRY_POINT(name));
    TAPI_ENTRY_POINTS(BIND_ENTRY)
#undef BIND_ENTRY
    return true;
}

void TapiApiUnload() noexcept { TapiLibrary.Unload(); }
