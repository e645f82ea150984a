// The RAS binder: loads the RAS libraries once and binds every entry point the library uses by
// name, by system level. A missing library or name leaves the pointer nil; the operations that
// need it report 1157 instead of calling it. The binder runs on the GUI thread before any dial;
// the pointers are written once here and only read afterwards (also by the RAS notifier thread).
#include "rasdial/dunrasapi.h"

#include "rasdial/dunsubs1.h"

// Every bound entry point (see the header).
#define RAS_ENTRY_POINTS(X) \
    X(RasDialA) X(RasEnumConnectionsA) X(RasEnumEntriesA) X(RasGetConnectStatusA) X(RasGetErrorStringA) \
    X(RasHangUpA) X(RasGetEntryDialParamsA) X(RasSetEntryDialParamsA) X(RasMonitorDlgA) \
    X(RasEditPhonebookEntryA) X(RasCreatePhonebookEntryA) X(RasGetProjectionInfoA) X(RasConnectionNotificationA) \
    X(RasGetSubEntryHandleA) X(RasGetSubEntryPropertiesA) X(RasSetSubEntryPropertiesA) \
    X(RasGetAutodialAddressA) X(RasSetAutodialAddressA) X(RasEnumAutodialAddressesA) X(RasGetAutodialEnableA) \
    X(RasSetAutodialEnableA) X(RasGetAutodialParamA) X(RasSetAutodialParamA) X(RasGetCredentialsA) \
    X(RasSetCredentialsA) X(RasGetConnectionStatistics) X(RasClearConnectionStatistics) \
    X(RasGetLinkStatistics) X(RasClearLinkStatistics) X(RasDeleteSubEntryA) X(RasGetCountryInfoA) \
    X(RasGetEntryPropertiesA) X(RasSetEntryPropertiesA) X(RasRenameEntryA) X(RasDeleteEntryA) \
    X(RasValidateEntryNameA) X(RasEnumDevicesA) X(RasEntryDlgA) X(RasPhonebookDlgA) X(RasDialDlgA)

#define DEFINE_ENTRY(name) decltype(name) name = nullptr;
RAS_ENTRY_POINTS(DEFINE_ENTRY)
#undef DEFINE_ENTRY

namespace {

// Binding state; GUI thread only.
struct TRasBinding {
    TRasLibraryNames Names;
    TLibraryHandle RasApi;
    TLibraryHandle Rnaph;             // loaded only when RasApi lacks the entry functions
    HMODULE EntryLibrary = nullptr;   // borrowed: RasApi or Rnaph
    TLibraryHandle Dialogs;
    bool Ran = false;
    bool EntryFunctions = false;
};

// Declared before the finaliser below, so that it is destroyed after it.
TRasBinding RasBinding;

TRasBinding& Binding() { return RasBinding; }

template <class Function>
void Bind(HMODULE library, Function*& entry, const char* name) {
    entry = library ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                    : nullptr;
}

#define BIND(library, name) Bind(library, name, #name)

void BindBase(HMODULE ras) {
    BIND(ras, RasDialA);
    BIND(ras, RasEnumConnectionsA);
    BIND(ras, RasEnumEntriesA);
    BIND(ras, RasGetConnectStatusA);
    BIND(ras, RasGetErrorStringA);
    BIND(ras, RasHangUpA);
    BIND(ras, RasGetEntryDialParamsA);
    BIND(ras, RasSetEntryDialParamsA);
    BIND(ras, RasMonitorDlgA);
    BIND(ras, RasEditPhonebookEntryA);
    BIND(ras, RasCreatePhonebookEntryA);
    BIND(ras, RasGetProjectionInfoA);
}

void BindNT(HMODULE ras, Byte level) {
    BIND(ras, RasGetSubEntryHandleA);
    BIND(ras, RasGetSubEntryPropertiesA);
    BIND(ras, RasSetSubEntryPropertiesA);
    BIND(ras, RasGetAutodialAddressA);
    BIND(ras, RasSetAutodialAddressA);
    BIND(ras, RasEnumAutodialAddressesA);
    BIND(ras, RasGetAutodialEnableA);
    BIND(ras, RasSetAutodialEnableA);
    BIND(ras, RasGetAutodialParamA);
    BIND(ras, RasSetAutodialParamA);
    BIND(ras, RasGetCredentialsA);
    BIND(ras, RasSetCredentialsA);
    if (level >= RasLevelW2K) {
        BIND(ras, RasGetConnectionStatistics);
        BIND(ras, RasClearConnectionStatistics);
        BIND(ras, RasGetLinkStatistics);
        BIND(ras, RasClearLinkStatistics);
    }
    if (level >= RasLevelXP) BIND(ras, RasDeleteSubEntryA);
}

void BindEntryFunctions(TRasBinding& binding) {
    HMODULE library = binding.RasApi.Get();
    if (!GetProcAddress(library, "RasGetCountryInfoA")) {
        binding.Rnaph = TLibraryHandle(binding.Names.EntryFunctions);
        library = binding.Rnaph.Get();
    }
    binding.EntryLibrary = library;
    binding.EntryFunctions = library != nullptr;
    if (!library) return;
    BIND(library, RasGetCountryInfoA);
    BIND(library, RasGetEntryPropertiesA);
    BIND(library, RasSetEntryPropertiesA);
    BIND(library, RasRenameEntryA);
    BIND(library, RasDeleteEntryA);
    BIND(library, RasValidateEntryNameA);
    BIND(library, RasEnumDevicesA);
}

void BindDialogs(TRasBinding& binding) {
    binding.Dialogs = TLibraryHandle(binding.Names.Dialogs);
    if (!binding.Dialogs) return;
    BIND(binding.Dialogs.Get(), RasEntryDlgA);
    BIND(binding.Dialogs.Get(), RasPhonebookDlgA);
    BIND(binding.Dialogs.Get(), RasDialDlgA);
}

#undef BIND

void ClearEntryPoints() noexcept {
#define CLEAR_ENTRY(name) name = nullptr;
    RAS_ENTRY_POINTS(CLEAR_ENTRY)
#undef CLEAR_ENTRY
}

// Frees the libraries when the program's modules shut down.
struct TRasApiFinaliser {
    ~TRasApiFinaliser() { RasApiUnload(); }
} RasApiFinaliser;

}  // namespace

void SetRasLibraryNames(const TRasLibraryNames& names) { Binding().Names = names; }

const TRasLibraryNames& RasLibraryNames() { return Binding().Names; }

bool RasApiAvailable() {
    TRasBinding& binding = Binding();
    if (binding.Ran) return RasDialA != nullptr;
    binding.Ran = true;
    binding.EntryFunctions = false;
    binding.RasApi = TLibraryHandle(binding.Names.RasApi);
    if (!binding.RasApi) return false;
    const Byte level = RasOSLevel();
    HMODULE ras = binding.RasApi.Get();
    BindBase(ras);
    if (level >= RasLevelNT4 || RasOSMinorVersion() >= 10)
        Bind(ras, RasConnectionNotificationA, "RasConnectionNotificationA");
    if (level >= RasLevelNT4) BindNT(ras, level);
    BindEntryFunctions(binding);
    const bool result = RasDialA != nullptr;
    if (level >= RasLevelNT4) BindDialogs(binding);
    SetupPhonebookPaths();
    return result;
}

bool RasEntryFunctionsAvailable() noexcept { return Binding().EntryFunctions; }

Integer RasEntryPointStatus(const void* entryPoint) {
    return RasApiAvailable() && entryPoint ? 0 : RasErrorLibraryMissing;
}

void RasApiUnload() noexcept {
    TRasBinding& binding = Binding();
    ClearEntryPoints();
    binding.EntryLibrary = nullptr;
    binding.Rnaph.Reset();
    binding.Dialogs.Reset();
    binding.RasApi.Reset();
    binding.Ran = binding.EntryFunctions = false;
}
