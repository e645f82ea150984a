// The PDH binder. It runs at most once per process (until the module end), and only once its
// preconditions hold: a failed precondition leaves it free to run on a later call.
#include "rasdial/magpdhapi.h"

#include "framework/LibraryBinder.h"
#include "rasdial/dunrasapi.h"
#include "rasdial/dunsubs1.h"

// clang-format off
#define PDH_ENTRY_POINTS(X) \
    X(PdhOpenQuery) \
    X(PdhAddCounterA) \
    X(PdhEnumObjectsA) \
    X(PdhEnumObjectItemsA) \
    X(PdhGetCounterInfoA) \
    X(PdhGetRawCounterValue) \
    X(PdhGetRawCounterArrayA) \
    X(PdhCollectQueryData) \
    X(PdhCloseQuery)
// clang-format on

#define DEFINE_ENTRY(name) decltype(name) name = nullptr;
PDH_ENTRY_POINTS(DEFINE_ENTRY)
#undef DEFINE_ENTRY

namespace {

// Binding state; GUI thread only.
struct TPdhBinding {
    TLibraryBinder Library{L"pdh.dll"};
    bool Ran = false;
} PdhBinding;

} // namespace

void SetPdhLibraryName(const wchar_t* name) { PdhBinding.Library.SetLibraryName(name); }

bool PdhApiAvailable() {
    if (PdhBinding.Ran) return PdhOpenQuery != nullptr;
    if (!RasApiAvailable() || RasOSLevel() != RasLevelNT4) return false;
    PdhBinding.Ran = true;
    if (!PdhBinding.Library.Load()) return false;
#define BIND_ENTRY(name) PdhBinding.Library.Bind(ENTRY_POINT(name));
    PDH_ENTRY_POINTS(BIND_ENTRY)
#undef BIND_ENTRY
    return PdhOpenQuery != nullptr;
}

void PdhApiUnload() noexcept {
    PdhBinding.Library.Unload();
    PdhBinding.Ran = false;
}
