// Member names shared by count, and the reader's cache of the names it made lately. A document
// of a million objects of one shape then holds each of its few names once.
#include "support/jsonobject/jsonobject.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <new>

TJsonName* TJsonName::New(std::wstring_view text, TJsonSlabs* slabs) {
    if (text.size() > (std::numeric_limits<Integer>::max() - sizeof(TJsonName)) / sizeof(wchar_t))
        throw std::bad_alloc();
    const std::size_t bytes = sizeof(TJsonName) + text.size() * sizeof(wchar_t);
    void* carved = slabs ? slabs->Allocate(bytes) : nullptr;
    TJsonName* name = new (carved ? carved : ::operator new(bytes)) TJsonName;
    name->FSize = static_cast<Integer>(text.size());
    name->FInSlab = carved != nullptr;
    std::copy(text.begin(), text.end(), reinterpret_cast<wchar_t*>(name + 1));
    return name;
}

TJsonName* TJsonName::Acquire() noexcept {
    InterlockedIncrement(&FRefs);
    return this;
}

void TJsonName::Release() noexcept {
    if (InterlockedDecrement(&FRefs) != 0) return;
    if (FInSlab)
        TJsonSlabs::Free(this);
    else
        ::operator delete(this);
}

TJsonName* TJsonNameCache::Get(std::wstring_view text, Cardinal hash, TJsonSlabs* slabs) {
    TJsonName*& slot = FSlots[hash % FSlots.size()];
    if (!slot || slot->View() != text) {
        TJsonName* made = TJsonName::New(text, slabs);
        if (slot) slot->Release();
        slot = made;
    }
    return slot->Acquire();
}

void TJsonNameCache::Clear() noexcept {
    for (TJsonName*& slot : FSlots)
        if (slot) std::exchange(slot, nullptr)->Release();
}
