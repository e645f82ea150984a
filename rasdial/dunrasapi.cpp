// The RAS binder: loads the RAS libraries once and binds every entry point the library uses by
// name, by system level, through one TLibraryBinder per library. A missing library or name
// leaves the pointer nil; the operations that need it report 1157 instead of calling it. The
// binder runs on the GUI thread before any dial; the pointers are written once here and only
// read afterwards (also by the RAS notifier thread).
#include "rasdial/dunrasapi.h"

#include "framework/LibraryBinder.h"
#include "rasdial/dunsubs1.h"

// Every bound entry point (see the header).
// clang-format off
#define RAS_ENTRY_POINTS(X) \
    X(RasDialA) \
    X(RasEnumConnectionsA) \
    X(RasEnumEntriesA) \
    X(RasGetConnectStatusA) \
    X(RasGetErrorStringA) \
    X(RasHangUpA) \
    X(RasGetEntryDialParamsA) \
    X(RasSetEntryDialParamsA) \
    X(RasMonitorDlgA) \
    X(RasEditPhonebookEntryA) \
    X(RasCreatePhonebookEntryA) \
    X(RasGetProjectionInfoA) \
    X(RasConnectionNotificationA) \
    X(RasGetSubEntryHandleA) \
    X(RasGetSubEntryPropertiesA) \
    X(RasSetSubEntryPropertiesA) \
    X(RasGetAutodialAddressA) \
    X(RasSetAutodialAddressA) \
    X(RasEnumAutodialAddressesA) \
    X(RasGetAutodialEnableA) \
    X(RasSetAutodialEnableA) \
    X(RasGetAutodialParamA) \
    X(RasSetAutodialParamA) \
    X(RasGetCredentialsA) \
    X(RasSetCredentialsA) \
    X(RasGetConnectionStatistics) \
    X(RasClearConnectionStatistics) \
    X(RasGetLinkStatistics) \
    X(RasClearLinkStatistics) \
    X(RasDeleteSubEntryA) \
    X(RasGetCountryInfoA) \
    X(RasGetEntryPropertiesA) \
    X(RasSetEntryPropertiesA) \
    X(RasRenameEntryA) \
    X(RasDeleteEntryA) \
    X(RasValidateEntryNameA) \
    X(RasEnumDevicesA) \
    X(RasEntryDlgA) \
    X(RasPhonebookDlgA) \
    X(RasDialDlgA)
// clang-format on

#define DEFINE_ENTRY(name) decltype(name) name = nullptr;
RAS_ENTRY_POINTS(DEFINE_ENTRY)
#undef DEFINE_ENTRY

namespace {

// Binding state; GUI thread only. The binders free their libraries when the program's static
// objects go, if RasApiUnload has not run by then.
struct TRasBinding {
    TRasLibraryNames Names;
    TLibraryBinder RasApi{L""};
    TLibraryBinder Rnaph{L""}; // loaded only when RasApi lacks the entry functions
    TLibraryBinder Dialogs{L""};
    bool Ran = false;
    bool EntryFunctions = false;
} RasBinding;

TRasBinding& Binding() { return RasBinding; }

void BindBase(TLibraryBinder& ras) {
    ras.Bind(ENTRY_POINT(RasDialA));
    ras.Bind(ENTRY_POINT(RasEnumConnectionsA));
    ras.Bind(ENTRY_POINT(RasEnumEntriesA));
    ras.Bind(ENTRY_POINT(RasGetConnectStatusA));
    ras.Bind(ENTRY_POINT(RasGetErrorStringA));
    ras.Bind(ENTRY_POINT(RasHangUpA));
    ras.Bind(ENTRY_POINT(RasGetEntryDialParamsA));
    ras.Bind(ENTRY_POINT(RasSetEntryDialParamsA));
    ras.Bind(ENTRY_POINT(RasMonitorDlgA));
    ras.Bind(ENTRY_POINT(RasEditPhonebookEntryA));
    ras.Bind(ENTRY_POINT(RasCreatePhonebookEntryA));
    ras.Bind(ENTRY_POINT(RasGetProjectionInfoA));
}

void BindNT(TLibraryBinder& ras, Byte level) {
    ras.Bind(ENTRY_POINT(RasGetSubEntryHandleA));
    ras.Bind(ENTRY_POINT(RasGetSubEntryPropertiesA));
    ras.Bind(ENTRY_POINT(RasSetSubEntryPropertiesA));
    ras.Bind(ENTRY_POINT(RasGetAutodialAddressA));
    ras.Bind(ENTRY_POINT(RasSetAutodialAddressA));
    ras.Bind(ENTRY_POINT(RasEnumAutodialAddressesA));
    ras.Bind(ENTRY_POINT(RasGetAutodialEnableA));
    ras.Bind(ENTRY_POINT(RasSetAutodialEnableA));
    ras.Bind(ENTRY_POINT(RasGetAutodialParamA));
    ras.Bind(ENTRY_POINT(RasSetAutodialParamA));
    ras.Bind(ENTRY_POINT(RasGetCredentialsA));
    ras.Bind(ENTRY_POINT(RasSetCredentialsA));
    if (level >= RasLevelW2K) {
        ras.Bind(ENTRY_POINT(RasGetConnectionStatistics));
        ras.Bind(ENTRY_POINT(RasClearConnectionStatistics));
        ras.Bind(ENTRY_POINT(RasGetLinkStatistics));
        ras.Bind(ENTRY_POINT(RasClearLinkStatistics));
    }
    if (level >= RasLevelXP) ras.Bind(ENTRY_POINT(RasDeleteSubEntryA));
}

void BindEntryFunctions(TRasBinding& binding) {
    TLibraryBinder* library = &binding.RasApi;
    if (!GetProcAddress(binding.RasApi.Module(), "RasGetCountryInfoA")) {
        binding.Rnaph.SetLibraryName(binding.Names.EntryFunctions);
        binding.Rnaph.Load();
        library = &binding.Rnaph;
    }
    binding.EntryFunctions = library->Loaded();
    if (!binding.EntryFunctions) return;
    library->Bind(ENTRY_POINT(RasGetCountryInfoA));
    library->Bind(ENTRY_POINT(RasGetEntryPropertiesA));
    library->Bind(ENTRY_POINT(RasSetEntryPropertiesA));
    library->Bind(ENTRY_POINT(RasRenameEntryA));
    library->Bind(ENTRY_POINT(RasDeleteEntryA));
    library->Bind(ENTRY_POINT(RasValidateEntryNameA));
    library->Bind(ENTRY_POINT(RasEnumDevicesA));
}

void BindDialogs(TRasBinding& binding) {
    binding.Dialogs.SetLibraryName(binding.Names.Dialogs);
    if (!binding.Dialogs.Load()) return;
    binding.Dialogs.Bind(ENTRY_POINT(RasEntryDlgA));
    binding.Dialogs.Bind(ENTRY_POINT(RasPhonebookDlgA));
    binding.Dialogs.Bind(ENTRY_POINT(RasDialDlgA));
}

} // namespace

void SetRasLibraryNames(const TRasLibraryNames& names) { Binding().Names = names; }

const TRasLibraryNames& RasLibraryNames() { return Binding().Names; }

bool RasApiAvailable() {
    TRasBinding& binding = Binding();
    if (binding.Ran) return RasDialA != nullptr;
    binding.Ran = true;
    binding.EntryFunctions = false;
    binding.RasApi.SetLibraryName(binding.Names.RasApi);
    if (!binding.RasApi.Load()) return false;
    const Byte level = RasOSLevel();
    TLibraryBinder& ras = binding.RasApi;
    BindBase(ras);
    if (level >= RasLevelNT4 || RasOSMinorVersion() >= 10)
        ras.Bind(ENTRY_POINT(RasConnectionNotificationA));
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
    binding.Rnaph.Unload();
    binding.Dialogs.Unload();
    binding.RasApi.Unload();
    binding.Ran = binding.EntryFunctions = false;
}
