// TLibraryBinder: one system library bound at run time by name, for the libraries a program
// must start without (dial-up, telephony, performance data, IP Helper, and the drawing and
// data libraries that older systems lack).
//
// The contract every binder keeps:
//   - success is a Boolean: `Load` answers whether the library is loaded, `Bind` whether the
//     library exports the name. Nothing raises; an entry point that is not bound is nil, and
//     its callers test it before calling.
//   - the library's name is settable until it is loaded, so that tests load a simulated
//     library of our own (tests/fakes/) in its place.
//   - `Unload` clears every entry point bound through the binder and frees the library. The
//     owner calls it at its module's end; the binder's destructor calls it too, for binders
//     that live until the program's static objects go.
//
// A binder is used on one thread (the GUI thread: start-up, the first use, the module's end);
// the entry points it wrote are only read afterwards, from any thread.
#pragma once

#include "framework/Handles.h"
#include "framework/System.h"

#include <windows.h>

#include <utility>
#include <vector>

// Binds an entry point to the export of its own name: `binder.Bind(ENTRY_POINT(RasDialA))`.
#define ENTRY_POINT(entry) entry, #entry

class TLibraryBinder {
public:
    explicit TLibraryBinder(UnicodeString libraryName) : FLibraryName(std::move(libraryName)) {}
    ~TLibraryBinder() { Unload(); }
    TLibraryBinder(const TLibraryBinder&) = delete;
    TLibraryBinder& operator=(const TLibraryBinder&) = delete;

    // A name or a full path; takes effect at the next load.
    const UnicodeString& LibraryName() const noexcept { return FLibraryName; }
    void SetLibraryName(const UnicodeString& name) { FLibraryName = name; }

    // Loads the library unless it is loaded; true when it is. A failed load is tried again on
    // the next call; LoadError() tells what the system reported (0 after a success).
    bool Load();
    bool Loaded() const noexcept { return static_cast<bool>(FLibrary); }
    DWORD LoadError() const noexcept { return FLoadError; }
    // The loaded module (null while none), borrowed from the binder.
    HMODULE Module() const noexcept { return FLibrary.Get(); }

    // Sets `entry` to the library's export `name` (nil when the library is not loaded or lacks
    // it) and remembers it for Unload; true when bound.
    template <class Function> bool Bind(Function*& entry, const char* name) {
        entry = reinterpret_cast<Function*>(Export(name));
        FBound.push_back({&entry, &Clear<Function>});
        return entry != nullptr;
    }

    // Clears the entry points bound so far and frees the library.
    void Unload() noexcept;

private:
    struct TBoundEntry {
        void* Entry;
        void (*ClearEntry)(void* entry) noexcept;
    };
    template <class Function> static void Clear(void* entry) noexcept {
        *static_cast<Function**>(entry) = nullptr;
    }
    // The export as an untyped code address, or null.
    void* Export(const char* name) const noexcept;

    UnicodeString FLibraryName;
    TOwnedLibrary FLibrary;
    DWORD FLoadError = 0;
    std::vector<TBoundEntry> FBound;
};
