// Test support: loads the second module (a DLL that links the library too) for one test and
// unloads it afterwards, so that every test meets a freshly started copy.
#pragma once

#include "framework/System.h"

#include <gtest/gtest.h>
#include <windows.h>

inline UnicodeString SecondModulePath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    UnicodeString path(exe);
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"" UCL_SECOND_MODULE;
}

class TSecondModule {
public:
    TSecondModule() : FModule(LoadLibraryW(SecondModulePath().c_str())) {}
    ~TSecondModule() {
        if (FModule) FreeLibrary(FModule);
    }
    TSecondModule(const TSecondModule&) = delete;
    TSecondModule& operator=(const TSecondModule&) = delete;

    HMODULE Handle() const { return FModule; }
    template <class Function> Function* Export(const char* name) const {
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(FModule, name)));
    }

private:
    HMODULE FModule;
};
