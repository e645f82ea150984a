// The releases behind the owners of kernel handles and loaded modules (framework/Handles.h),
// kept here so that the header needs no windows.h.
#include "framework/Handles.h"

#include <windows.h>

#include <type_traits>

static_assert(std::is_same_v<HANDLE, TKernelHandleTraits::THandle>);
static_assert(std::is_same_v<HMODULE, TOwnedLibrary::THandle>);

void TKernelHandleTraits::Close(void* handle) noexcept { ::CloseHandle(handle); }

void handles_detail::FreeLoadedModule(HMODULE module) noexcept { ::FreeLibrary(module); }
