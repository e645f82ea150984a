// Test support: binds the IP Helper loader to the simulated library built beside the tests and
// scripts its tables. Every test first makes sure the library bound is the simulated one, so
// that no call can reach the system's routing table.
#pragma once

#include "client/IpHelperLoader.h"

#include <gtest/gtest.h>

#include <string>

inline UnicodeString FakeIpHelperPath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    UnicodeString path(exe);
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"" FAKE_IPHLPAPI;
}

class FakeIpHelper : public ::testing::Test {
protected:
    void SetUp() override {
        UnloadIpHelperApi();
        SetIpHelperLibraryName(FakeIpHelperPath());
        ASSERT_TRUE(LoadIpHelperApi());
        FSetScript = reinterpret_cast<int(WINAPI*)(const char*)>(
            reinterpret_cast<void*>(GetProcAddress(IpHelperLibrary(), "FakeIpHelperSetScript")));
        FCalls = reinterpret_cast<DWORD(WINAPI*)(char*, DWORD)>(
            reinterpret_cast<void*>(GetProcAddress(IpHelperLibrary(), "FakeIpHelperCalls")));
        // Not the simulated library: stop before anything could touch the real routes.
        ASSERT_NE(FSetScript, nullptr) << "the system's IP Helper library was loaded";
        ASSERT_NE(FCalls, nullptr);
    }
    void TearDown() override {
        UnloadIpHelperApi();
        SetIpHelperLibraryName(L"IPHLPAPI.DLL");
    }

    void Script(const char* text) { ASSERT_EQ(FSetScript(text), 0) << text; }
    std::string Calls() const {
        std::string text(FCalls(nullptr, 0) + 1, '\0');
        FCalls(text.data(), static_cast<DWORD>(text.size()));
        text.pop_back();
        return text;
    }

private:
    int(WINAPI* FSetScript)(const char*) = nullptr;
    DWORD(WINAPI* FCalls)(char*, DWORD) = nullptr;
};
