// Ownership of system handles: one move-only owner for every kind of handle the libraries
// create, so that a handle is owned from the statement that creates it and released exactly
// once, whichever way the scope is left.
//
//   TOwnedHandle<Traits>     owns one handle and releases it once (Reset, destruction);
//                            moves, never copies
//   THandleTraits<H, Close>  a handle that is null when there is none, released by `Close`
//   TOwnedBy<H, Close>       TOwnedHandle over those traits: GDI objects, regions, registry
//                            keys, menus, image lists, internet handles, global memory, ...
//   TKernelHandle            a kernel object (CloseHandle); INVALID_HANDLE_VALUE, which some
//                            Create... calls answer on failure, is held as no handle
//   TOwnedLibrary            a loaded module (FreeLibrary)
//
// Traits give `THandle` (the handle type), `Invalid()` (what an owner holding nothing holds),
// `Adopt(h)` (what an owner keeps for `h`: maps a second "none" value onto Invalid()) and
// `Close(h)`, which may use state the traits carry: the window a DC was taken from, a release
// function bound at run time. Owners are named `TOwned...`; a handle that the code uses while
// another owner releases it (a root key, a DC handed to a paint routine) stays a raw handle
// whose field or parameter says it is borrowed.
//
// No windows.h here: headers that keep it away from their users (streams) hold owners too.
#pragma once

#include <cstdint>
#include <utility>

template <class Traits> class TOwnedHandle {
public:
    using THandle = typename Traits::THandle;

    TOwnedHandle() noexcept = default;
    explicit TOwnedHandle(THandle handle, Traits traits = Traits()) noexcept
        : FTraits(std::move(traits)), FHandle(Traits::Adopt(handle)) {}
    TOwnedHandle(TOwnedHandle&& other) noexcept
        : FTraits(other.FTraits), FHandle(other.Release()) {}
    TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release(), other.FTraits);
        return *this;
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;
    ~TOwnedHandle() { Reset(); }

    THandle Get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != Traits::Invalid(); }
    // Gives the handle up without releasing it (to Windows, once Windows has taken it).
    THandle Release() noexcept { return std::exchange(FHandle, Traits::Invalid()); }
    // Releases the handle held, unless it is `handle` itself, and takes `handle`.
    void Reset(THandle handle = Traits::Invalid()) noexcept { Reset(handle, FTraits); }
    void Reset(THandle handle, const Traits& traits) noexcept {
        handle = Traits::Adopt(handle);
        if (*this && FHandle != handle) FTraits.Close(FHandle);
        FTraits = traits;
        FHandle = handle;
    }

private:
    [[no_unique_address]] Traits FTraits{};
    THandle FHandle = Traits::Invalid();
};

// A handle type whose null value means "no handle", released by calling `CloseFunction` on it.
template <class H, auto CloseFunction> struct THandleTraits {
    using THandle = H;
    static constexpr H Invalid() noexcept { return nullptr; }
    static constexpr H Adopt(H handle) noexcept { return handle; }
    static void Close(H handle) noexcept { CloseFunction(handle); }
};

template <class H, auto CloseFunction>
using TOwnedBy = TOwnedHandle<THandleTraits<H, CloseFunction>>;

// Kernel handles are `void*` (HANDLE); INVALID_HANDLE_VALUE is all bits set.
struct TKernelHandleTraits {
    using THandle = void*;
    static constexpr void* Invalid() noexcept { return nullptr; }
    static void* Adopt(void* handle) noexcept {
        return handle == reinterpret_cast<void*>(~std::uintptr_t{0}) ? nullptr : handle;
    }
    static void Close(void* handle) noexcept;
};

using TKernelHandle = TOwnedHandle<TKernelHandleTraits>;

// HMODULE as windows.h declares it (STRICT, which MinGW-w64 defines by default).
struct HINSTANCE__;

namespace handles_detail {
void FreeLoadedModule(HINSTANCE__* module) noexcept;
} // namespace handles_detail

// A module from LoadLibrary (HMODULE).
using TOwnedLibrary = TOwnedBy<HINSTANCE__*, &handles_detail::FreeLoadedModule>;
