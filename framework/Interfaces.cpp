// TInterfacedObject's IUnknown and the Supports queries. QueryInterface is called by COM as well
// as by our code, so it is an exception boundary: an error while looking up an interface is
// reported and answered with E_UNEXPECTED. Release frees through Free, which never throws.
#include "framework/Interfaces.h"

#include "framework/ExceptionBoundary.h"

HRESULT STDMETHODCALLTYPE TInterfacedObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return GuardBoundary(
        [&]() -> HRESULT {
            *object = GetInterface(iid);
            if (!*object) return E_NOINTERFACE;
            AddRef();
            return S_OK;
        },
        static_cast<HRESULT>(E_UNEXPECTED));
}

ULONG STDMETHODCALLTYPE TInterfacedObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&FRefCount));
}

ULONG STDMETHODCALLTYPE TInterfacedObject::Release() {
    const LONG count = InterlockedDecrement(&FRefCount);
    if (count == 0) Free();
    return static_cast<ULONG>(count);
}

void* TInterfacedObject::GetInterface(REFIID iid) {
    return iid == IIDOf<IInterface>() ? Identity() : nullptr;
}

bool Supports(IUnknown* Instance, REFIID iid, void** Intf) {
    void* found = nullptr;
    if (Instance && FAILED(Instance->QueryInterface(iid, &found))) found = nullptr;
    if (Intf)
        *Intf = found;
    else if (found)
        static_cast<IUnknown*>(found)->Release();
    return found != nullptr;
}

bool Supports(TInterfacedObject* Instance, REFIID iid, void** Intf) {
    // Only asked whether it answers: no reference is taken, so an object that nothing holds
    // yet is not freed by the question.
    if (!Intf) return Instance && Instance->GetInterface(iid);
    return Supports(Instance ? Instance->Identity() : nullptr, iid, Intf);
}

bool Supports(TObject* Instance, REFIID iid, void** Intf) {
    return Supports(dynamic_cast<TInterfacedObject*>(Instance), iid, Intf);
}
