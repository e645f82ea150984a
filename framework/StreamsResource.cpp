// `TResourceStream`: a read-only view of a resource. The memory belongs to the loaded module and
// stays valid while the module is loaded, so the stream neither copies nor frees it.
#include "framework/Streams.h"

#include <windows.h>

TResourceStream::TResourceStream(void* instance, const UnicodeString& name,
                                 const wchar_t* resourceType) {
    const auto module = static_cast<HMODULE>(instance);
    const HRSRC info = FindResourceW(module, name.c_str(), resourceType ? resourceType : RT_RCDATA);
    const HGLOBAL data = info ? LoadResource(module, info) : nullptr;
    if (!data) throw EResNotFound(L"Resource " + name + L" not found");
    SetPointer(LockResource(data), static_cast<NativeInt>(SizeofResource(module, info)));
}

NativeInt TResourceStream::Write(const void*, NativeInt) {
    throw EStreamError(L"Cannot write to a read-only resource stream");
}

void TResourceStream::SetSize(Int64) {
    throw EStreamError(L"Cannot resize a read-only resource stream");
}
