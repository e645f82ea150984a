// Loading, binding and unloading for TLibraryBinder (framework/LibraryBinder.h).
#include "framework/LibraryBinder.h"

bool TLibraryBinder::Load() {
    if (FLibrary) return true;
    FLibrary.Reset(::LoadLibraryW(FLibraryName.c_str()));
    FLoadError = FLibrary ? 0 : ::GetLastError();
    return static_cast<bool>(FLibrary);
}

void* TLibraryBinder::Export(const char* name) const noexcept {
    if (!FLibrary) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(FLibrary.Get(), name));
}

void TLibraryBinder::Unload() noexcept {
    for (const TBoundEntry& bound : FBound) bound.ClearEntry(bound.Entry);
    FBound.clear();
    FLibrary.Reset();
}
