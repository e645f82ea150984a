// The module's shared encodings and its code-page cache. The cache only grows; any thread may
// ask for a code page, so lookups and additions run under the cache lock.
#include "data/engine/CLRClasses.h"

#include "framework/SyncObjs.h"

#include <windows.h>

#include <memory>

namespace {
struct TEncodings {
    std::unique_ptr<Encoding> Default{new Encoding};
    std::unique_ptr<Encoding> Unicode{new UnicodeEncoding};
    std::unique_ptr<Encoding> UTF8{new UTF8Encoding};
    TCriticalSection CacheLock;
    std::vector<std::unique_ptr<CodePageEncoding>> Cache; // guarded by CacheLock
};

// Set at start-up, cleared at shutdown (main thread only).
TEncodings* Encodings = nullptr;

TEncodings& Shared() {
    Check(Encodings != nullptr, L"The CLRClasses module is not initialised");
    return *Encodings;
}
} // namespace

Encoding* Encoding::Default() { return Shared().Default.get(); }
Encoding* Encoding::Unicode() { return Shared().Unicode.get(); }
Encoding* Encoding::UTF8() { return Shared().UTF8.get(); }

Encoding* Encoding::GetEncoding(Integer codepage) {
    if (codepage == 1200) return Unicode();
    if (codepage == 65001) return UTF8();
    if (Cardinal(codepage) == GetACP()) return Default();
    TEncodings& shared = Shared();
    TLock lock(shared.CacheLock);
    for (const auto& cached : shared.Cache)
        if (cached->CodePage() == codepage) return cached.get();
    shared.Cache.push_back(std::make_unique<CodePageEncoding>(codepage));
    return shared.Cache.back().get();
}

TModuleEntry CLRClassesModule() {
    return {L"CLRClasses",
            {},
            [] { Encodings = new TEncodings; },
            [] {
                delete Encodings;
                Encodings = nullptr;
            }};
}
