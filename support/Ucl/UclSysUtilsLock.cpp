// The interface-scoped critical section.
#include "support/Ucl/UclSysUtils.h"

TUclIntfCriticalSection::TUclIntfCriticalSection() noexcept {
    InitializeCriticalSection(&FCriticalSection);
}

TUclIntfCriticalSection::~TUclIntfCriticalSection() { DeleteCriticalSection(&FCriticalSection); }

HRESULT STDMETHODCALLTYPE TUclIntfCriticalSection::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, __uuidof(IUnknown))) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TUclIntfCriticalSection::AddRef() {
    EnterCriticalSection(&FCriticalSection);
    return 1;
}

ULONG STDMETHODCALLTYPE TUclIntfCriticalSection::Release() {
    LeaveCriticalSection(&FCriticalSection);
    return 1;
}
