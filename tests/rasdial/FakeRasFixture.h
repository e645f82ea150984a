// Test support: binds the dial-up library to one of the simulated RAS libraries built beside
// the tests, on a chosen system level, and unbinds it again afterwards.
#pragma once

#include "rasdial/dunrasapi.h"
#include "rasdial/dunsubs1.h"

#include <gtest/gtest.h>

#include <string>

// The simulated library `fileName` in the folder `relativeDir` (relative to this program).
inline UnicodeString FakeRasPath(const wchar_t* relativeDir, const wchar_t* fileName) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    UnicodeString dir(exe);
    dir.erase(dir.find_last_of(L'\\') + 1);
    return dir + relativeDir + L"\\" + fileName;
}

inline UnicodeString FullFake() { return FakeRasPath(L"" FAKE_RAS_DIR_FULL, L"rasapi32.dll"); }
inline UnicodeString LiteFake() { return FakeRasPath(L"" FAKE_RAS_DIR_LITE, L"rasapi32.dll"); }
inline UnicodeString RnaphFake() { return FakeRasPath(L"" FAKE_RAS_DIR_RNAPH, L"rnaph.dll"); }
inline UnicodeString MissingLibrary() { return FakeRasPath(L".", L"no-such-library.dll"); }

// Selects the libraries and the level for one test; the binder runs on first use.
class TFakeRasBinding {
public:
    explicit TFakeRasBinding(const UnicodeString& rasApi, Byte level = RasLevelVista,
                             Cardinal minor = 1,
                             const UnicodeString& entryFunctions = MissingLibrary())
        : FLevel(RasOSLevel()), FMinor(RasOSMinorVersion()) {
        RasApiUnload();
        SetRasOSLevel(level, minor);
        TRasLibraryNames names;
        names.RasApi = rasApi;
        names.EntryFunctions = entryFunctions;
        names.Dialogs = MissingLibrary();
        SetRasLibraryNames(names);
    }
    TFakeRasBinding(const TFakeRasBinding&) = delete;
    TFakeRasBinding& operator=(const TFakeRasBinding&) = delete;
    ~TFakeRasBinding() {
        RasApiUnload();
        SetRasLibraryNames(TRasLibraryNames{});
        SetRasOSLevel(FLevel, FMinor);
    }

private:
    Byte FLevel;
    Cardinal FMinor;
};

// The simulated library's test exports, reached through its module while it is loaded.
class TFakeRasControl {
public:
    explicit TFakeRasControl(const UnicodeString& path) : FModule(LoadLibraryW(path.c_str())) {}
    TFakeRasControl(const TFakeRasControl&) = delete;
    TFakeRasControl& operator=(const TFakeRasControl&) = delete;
    ~TFakeRasControl() {
        if (FModule) FreeLibrary(FModule);
    }
    // Whether the simulated library is loaded (not a system one that took its place).
    bool Loaded() const { return FModule != nullptr && Export("FakeRasSetScript") != nullptr; }
    // 0, the number of a bad line, or -1 when the simulated library is not there.
    int SetScript(const char* text) const {
        using TSetScript = int(WINAPI*)(const char*);
        const auto set = reinterpret_cast<TSetScript>(Export("FakeRasSetScript"));
        return set ? set(text) : -1;
    }
    std::string LastEntryBytes() const {
        using TGetBytes = DWORD(WINAPI*)(void*, DWORD);
        const auto get = reinterpret_cast<TGetBytes>(Export("FakeRasGetLastEntryBytes"));
        if (!get) return {};
        std::string bytes(get(nullptr, 0), '\0');
        get(bytes.data(), static_cast<DWORD>(bytes.size()));
        return bytes;
    }

private:
    void* Export(const char* name) const {
        return reinterpret_cast<void*>(GetProcAddress(FModule, name));
    }
    HMODULE FModule;
};
