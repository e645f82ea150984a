// The value's life: construction by type, counted references, destruction, and the process-wide
// count of live values that the module's shutdown checks for leaks.
//
// Freeing a value releases the values it holds, which may be freed in turn: done directly, a
// chain of thousands of nested values would recurse as deep. So a free takes the values out of
// the container it frees itself, and those that die with it wait in the free's own list: any
// depth is freed with constant stack, and without a list per thread to find.
#include "support/jsonobject/JsonNesting.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <new>
#include <vector>

thread_local Integer TJsonNesting::Depth = 0;
thread_local bool TJsonNesting::Exceeded = false;

namespace {

volatile LONG LiveValues = 0; // changed only by Interlocked calls

// At shutdown a value still alive is a leak; it is reported for the debugger and the shutdown
// goes on.
struct TLeakReport {
    ~TLeakReport() {
        if (InterlockedCompareExchange(&LiveValues, 0, 0) != 0)
            OutputDebugStringW(L"Assertion failed: Memory leak (jsonobject)\n");
    }
} LeakReport;

} // namespace

Integer JsonLiveValueCount() noexcept {
    return static_cast<Integer>(InterlockedCompareExchange(&LiveValues, 0, 0));
}

TJsonObject::TJsonObject(TJsonType type, TJsonSlabs* slabs) : FDataType(type) {
    bool inSlab = false;
    if (type == stObject) FO.c_object = TJsonSlabs::Make<TJsonTableString>(slabs, inSlab);
    if (type == stArray) FO.c_array = TJsonSlabs::Make<TJsonArray>(slabs, inSlab);
    FPartInSlab = inSlab;
    InterlockedIncrement(&LiveValues);
}

TJsonObject::~TJsonObject() {
    if (FDataType == stObject) TJsonSlabs::Destroy(FO.c_object, FPartInSlab);
    if (FDataType == stArray) TJsonSlabs::Destroy(FO.c_array, FPartInSlab);
    if (FDataType == stString) FreeText(FO.c_string, FPartInSlab);
    ForgetDataPtr();
    InterlockedDecrement(&LiveValues);
}

TJsonObject* TJsonObject::New(TJsonType type, TJsonSlabs* slabs) {
    bool inSlab = false;
    TJsonObject* value = TJsonSlabs::Make<TJsonObject>(slabs, inSlab, type, slabs);
    value->FInSlab = inSlab;
    return value;
}

void TJsonObject::Destroy() {
    if (FRefCount != 0) throw EJsonInvalidPointer(L"Invalid pointer");
    Dispose(this);
}

void TJsonObject::Dispose(TJsonObject* value) noexcept {
    std::vector<TJsonObject*> doomed; // stays without memory while no container dies
    for (;;) {
        value->ReleaseHeld(doomed);
        TJsonSlabs::Destroy(value, value->FInSlab); // holds nothing any more
        if (doomed.empty()) return;
        value = doomed.back();
        doomed.pop_back();
    }
}

// Every IJsonObject there is is a TJsonObject, whose Release would free a value that dies here
// on the spot, recursing; its count is taken down directly instead.
void TJsonObject::ReleaseHeld(std::vector<TJsonObject*>& doomed) noexcept {
    const auto release = [&doomed](TJsonRef& held) {
        if (IJsonObject* value = held.Detach()) {
            TJsonObject* object = JsonImpl(value);
            if (InterlockedDecrement(&object->FRefCount) == 0) doomed.push_back(object);
        }
    };
    if (FDataType == stArray)
        for (Integer i = 0; i < FO.c_array->FStored; ++i) release(FO.c_array->FArray[i]);
    if (FDataType == stObject) {
        // The entries in any order, straight down the tree: its height is bounded by the AVL
        // balance, so the stack is too.
        const auto walk = [&release](const auto& self, TJsonAvlEntry* entry) -> void {
            for (; entry; entry = entry->FGt) {
                self(self, entry->FLt);
                release(entry->FPtr);
            }
        };
        walk(walk, FO.c_object->FRoot);
    }
}

TJsonRef TJsonObject::Create(TJsonType type) { return TJsonRef(new TJsonObject(type)); }

TJsonRef TJsonObject::Create(bool value) {
    TJsonObject* o = new TJsonObject(stBoolean);
    o->FO.c_boolean = value;
    return TJsonRef(o);
}

TJsonRef TJsonObject::Create(Int64 value) {
    TJsonObject* o = new TJsonObject(stInt);
    o->FO.c_int = value;
    return TJsonRef(o);
}

TJsonRef TJsonObject::Create(double value) {
    TJsonObject* o = new TJsonObject(stDouble);
    o->FO.c_double = value;
    return TJsonRef(o);
}

TJsonRef TJsonObject::Create(const UnicodeString& value) {
    return CreateString(value.data(), value.size());
}

TJsonRef TJsonObject::CreateString(const wchar_t* text, std::size_t size, TJsonSlabs* slabs) {
    TJsonObject* o = New(stString, slabs);
    TJsonRef held(o); // frees the value when the text cannot be made
    bool inSlab = false;
    o->FO.c_string = NewText(text, size, slabs, inSlab);
    o->FPartInSlab = inSlab;
    return held;
}

// The length sits in front of the characters, which are NUL-terminated.
wchar_t* TJsonObject::NewText(const wchar_t* text, std::size_t size, TJsonSlabs* slabs,
                              bool& inSlab) {
    inSlab = false;
    if (size == 0) return nullptr;
    if (size >
        (std::numeric_limits<std::size_t>::max() - sizeof(std::size_t)) / sizeof(wchar_t) - 1)
        throw std::bad_alloc();
    const std::size_t bytes = sizeof(std::size_t) + (size + 1) * sizeof(wchar_t);
    void* carved = slabs ? slabs->Allocate(bytes) : nullptr;
    inSlab = carved != nullptr;
    auto* block = static_cast<std::size_t*>(carved ? carved : ::operator new(bytes));
    *block = size;
    auto* chars = reinterpret_cast<wchar_t*>(block + 1);
    std::copy(text, text + size, chars);
    chars[size] = 0;
    return chars;
}

void TJsonObject::FreeText(wchar_t* text, bool inSlab) noexcept {
    if (!text) return;
    std::size_t* block = reinterpret_cast<std::size_t*>(text) - 1;
    if (inSlab)
        TJsonSlabs::Free(block);
    else
        ::operator delete(block);
}

std::size_t TJsonObject::StringSize() const noexcept {
    return FO.c_string ? reinterpret_cast<const std::size_t*>(FO.c_string)[-1] : 0;
}

const wchar_t* TJsonObject::StringData() const noexcept { return FO.c_string ? FO.c_string : L""; }

// The new text is made before the old is freed: `text` may be this value's own.
void TJsonObject::SetString(const wchar_t* text, std::size_t size) {
    bool inSlab = false;
    wchar_t* held = NewText(text, size, nullptr, inSlab);
    FreeText(FO.c_string, FPartInSlab);
    FO.c_string = held;
    FPartInSlab = inSlab;
}

TJsonRef TJsonObject::Create(TJsonMethod value) {
    TJsonObject* o = new TJsonObject(stMethod);
    o->FO.c_method = value;
    return TJsonRef(o);
}

HRESULT STDMETHODCALLTYPE TJsonObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IIDOf<IJsonObject>() || iid == IID_IUnknown) {
        *object = static_cast<IJsonObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TJsonObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&FRefCount));
}

ULONG STDMETHODCALLTYPE TJsonObject::Release() {
    const LONG count = InterlockedDecrement(&FRefCount);
    if (count == 0) Dispose(this);
    return static_cast<ULONG>(count);
}

bool ValueIsType(const TJsonRef& value, TJsonType type) { return ValueType(value) == type; }

TJsonType ValueType(const TJsonRef& value) { return value ? value->GetDataType() : stNull; }
