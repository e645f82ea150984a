// Loading and driving the scripted ICMP library for tests.
#include "FakeIcmp.h"

#include <algorithm>

TFakeIcmp::TFakeIcmp()
    : FLibrary(LoadLibraryW(Path().c_str())), FSavedLibraryName(IcmpBinder().LibraryName) {
    if (!FLibrary)
        ADD_FAILURE() << "cannot load the scripted ICMP library, error " << GetLastError();
    IcmpBinder().LibraryName = Path();
    Bind<void(WINAPI*)()>("FakeIcmpReset")();
}

TFakeIcmp::~TFakeIcmp() {
    IcmpBinder().LibraryName = FSavedLibraryName;
    if (FLibrary) FreeLibrary(FLibrary);
}

UnicodeString TFakeIcmp::Path() {
    wchar_t exe[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    UnicodeString path(exe, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    for (const char* c = FAKE_ICMP_RELATIVE_PATH; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
    return path;
}

template <class Function> Function TFakeIcmp::Bind(const char* name) const {
    auto function =
        reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(FLibrary, name)));
    if (!function) throw Exception(L"the scripted ICMP library lacks a function");
    return function;
}

void TFakeIcmp::Script(const char* address, DWORD status, DWORD roundTrip, DWORD lost) const {
    Bind<void(WINAPI*)(ULONG, DWORD, DWORD, DWORD)>("FakeIcmpScript")(inet_addr(address), status,
                                                                      roundTrip, lost);
}

DWORD TFakeIcmp::EchoCount(const char* address) const {
    return Bind<DWORD(WINAPI*)(ULONG)>("FakeIcmpEchoCount")(inet_addr(address));
}

std::vector<Byte> TFakeIcmp::LastRequest(Byte* ttl) const {
    auto last = Bind<DWORD(WINAPI*)(Byte*, DWORD, Byte*)>("FakeIcmpLastRequest");
    std::vector<Byte> data(last(nullptr, 0, nullptr));
    last(data.data(), static_cast<DWORD>(data.size()), ttl);
    return data;
}

LONG TFakeIcmp::OpenHandles() const { return Bind<LONG(WINAPI*)()>("FakeIcmpOpenHandles")(); }

void TFakeIcmp::FailCreate(bool fail) const {
    Bind<void(WINAPI*)(BOOL)>("FakeIcmpFailCreate")(fail);
}
