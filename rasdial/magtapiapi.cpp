// The TAPI binder. Unlike the RAS and PDH binders it keeps trying after a failed load, since
// the telephony service may be installed while the program runs.
#include "rasdial/magtapiapi.h"

#include "rasdial/dunsubs1.h"

#define TAPI_ENTRY_POINTS(X)                                                                       \
    X(lineClose) X(lineConfigDialog) X(lineDeallocateCall) X(lineGetCallInfo) X(lineGetDevCaps)    \
    X(lineInitialize) X(lineNegotiateAPIVersion) X(lineOpen) X(lineShutdown) X(lineTranslateDialog) \
    X(lineGetCallStatus) X(lineTranslateAddress) X(lineGetNewCalls) X(lineGetID)                    \
    X(lineGetTranslateCaps) X(lineGetCountry)

#define DEFINE_ENTRY(name) decltype(name) name = nullptr;
TAPI_ENTRY_POINTS(DEFINE_ENTRY)
#undef DEFINE_ENTRY

namespace {

TLibraryHandle TapiLibrary;  // GUI thread only
UnicodeString TapiLibraryName = L"TAPI32.DLL";  // GUI thread only

template <class Function>
void Bind(HMODULE library, Function*& entry, const char* name) {
    entry = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

struct TTapiApiFinaliser {
    ~TTapiApiFinaliser() { TapiApiUnload(); }
} TapiApiFinaliser;

}  // namespace

void SetTapiLibraryName(const wchar_t* name) { TapiLibraryName = name; }

bool TapiApiAvailable() {
    if (TapiLibrary) return true;
    TapiLibrary = TLibraryHandle(TapiLibraryName);
    if (!TapiLibrary) return false;
#define BIND_ENTRY(name) Bind(TapiLibrary.Get(), name, #name);
    TAPI_ENTRY_POINTS(BIND_ENTRY)
#undef BIND_ENTRY
    return true;
}

void TapiApiUnload() noexcept {
#define CLEAR_ENTRY(name) name = nullptr;
    TAPI_ENTRY_POINTS(CLEAR_ENTRY)
#undef CLEAR_ENTRY
    TapiLibrary.Reset();
}
