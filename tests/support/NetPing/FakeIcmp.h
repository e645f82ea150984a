// The scripted ICMP library (tests/fakes/icmp) for the length of a test: loaded by its path
// next to the test program, made the library the components load, and unloaded afterwards so
// that a later test loading "icmp.dll" by name gets the system's library again.
#pragma once

#include "support/NetPing/NetIcmp.h"

#include <gtest/gtest.h>

#include <vector>

class TFakeIcmp {
public:
    TFakeIcmp();
    ~TFakeIcmp();
    TFakeIcmp(const TFakeIcmp&) = delete;
    TFakeIcmp& operator=(const TFakeIcmp&) = delete;

    static UnicodeString Path();
    // Address in dotted text; see FakeIcmpScript in the library.
    void Script(const char* address, DWORD status, DWORD roundTrip, DWORD lost = 0) const;
    DWORD EchoCount(const char* address) const;
    std::vector<Byte> LastRequest(Byte* ttl = nullptr) const;
    LONG OpenHandles() const;
    void FailCreate(bool fail) const;

private:
    template <class Function> Function Bind(const char* name) const;

    HMODULE FLibrary;
    UnicodeString FSavedLibraryName;
};
