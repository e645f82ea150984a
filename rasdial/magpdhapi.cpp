// The PDH binder. It runs at most once per process (until the module end), and only once its
// preconditions hold: a failed precondition leaves it free to run on a later call.
#include "rasdial/magpdhapi.h"

#include "rasdial/dunrasapi.h"
#include "rasdial/dunsubs1.h"

#define PDH_ENTRY_POINTS(X)                                                                        \
    X(PdhOpenQuery) X(PdhAddCounterA) X(PdhEnumObjectsA) X(PdhEnumObjectItemsA) X(PdhGetCounterInfoA) \
    X(PdhGetRawCounterValue) X(PdhGetRawCounterArrayA) X(PdhCollectQueryData) X(PdhCloseQuery)

#define DEFINE_ENTRY(name) decltype(name) name = nullptr;
PDH_ENTRY_POINTS(DEFINE_ENTRY)
#undef DEFINE_ENTRY

namespace {

// Binding state; GUI thread only.
struct TPdhBinding {
    TLibraryHandle Library;
    bool Ran = false;
    UnicodeString Name = L"pdh.dll";
} PdhBinding;

template <class Function>
void Bind(HMODULE library, Function*& entry, const char* name) {
    entry = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

struct TPdhApiFinaliser {
    ~TPdhApiFinaliser() { PdhApiUnload(); }
} PdhApiFinaliser;

}  // namespace

void SetPdhLibraryName(const wchar_t* name) { PdhBinding.Name = name; }

bool PdhApiAvailable() {
    if (PdhBinding.Ran) return PdhOpenQuery != nullptr;
    if (!RasApiAvailable() || RasOSLevel() != RasLevelNT4) return false;
    PdhBinding.Ran = true;
    PdhBinding.Library = TLibraryHandle(PdhBinding.Name);
    if (!PdhBinding.Library) return false;
#define BIND_ENTRY(name) Bind(PdhBinding.Library.Get(), name, #name);
    PDH_ENTRY_POINTS(BIND_ENTRY)
#undef BIND_ENTRY
    return PdhOpenQuery != nullptr;
}

void PdhApiUnload() noexcept {
#define CLEAR_ENTRY(name) name = nullptr;
    PDH_ENTRY_POINTS(CLEAR_ENTRY)
#undef CLEAR_ENTRY
    PdhBinding.Library.Reset();
    PdhBinding.Ran = false;
}
