// Reference-counted interfaces for the library's own objects, on the platform's COM model so
// that the same objects can be handed to COM (drag and drop, data objects) as well.
//
//   TGUID, GUIDFromText       interface identifiers, written as "{XXXXXXXX-XXXX-...}" text
//   INTERFACE_ID              declares an interface's identifier and the interface it extends
//   IInterface                the root of our interfaces: COM's IUnknown, same identifier
//   TInterfacedObject         a TObject counting its references; freed when the count drops to 0
//   TImplements<Base, I...>   adds interfaces to a TInterfacedObject descendant
//   TComPtr<I>                a counted reference (AddRef/Release by scope); TInterfacePtr alias
//   Supports                  asks an object for an interface (QueryInterface)
//
// An interface is declared as
//     struct IShape : IInterface {
//         INTERFACE_ID(IShape, IInterface, "{...}")
//         virtual int STDMETHODCALLTYPE Sides() = 0;
//     };
// and implemented as `class TSquare : public TImplements<TInterfacedObject, IShape>`. An object
// answers the identifier of every interface it lists and of each interface those extend, with
// the same table; IUnknown/IInterface is always answered with one and the same pointer, as COM
// identity requires. Methods that COM may call use STDMETHODCALLTYPE (stdcall on i686).
//
// Counting: a new object's count is 0; the first TComPtr takes it to 1, and the Release that
// brings it back to 0 frees the object with Free (so BeforeDestruction runs). The count is
// changed with interlocked operations, so references may be taken and dropped on any thread.
// So a constructor must not take and drop a reference to its own object: that frees it.
#pragma once

#include "framework/Objects.h"

#include <unknwn.h>

#include <cstddef>
#include <type_traits>
#include <utility>

using TGUID = GUID;

namespace interface_id {

consteval unsigned HexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    throw "not a hexadecimal digit in an interface identifier";
}

consteval unsigned long Hex(const char* text, int first, int count) {
    unsigned long value = 0;
    for (int i = first; i < first + count; ++i) value = value * 16 + HexDigit(text[i]);
    return value;
}

} // namespace interface_id

// "{FB4DCBAF-952D-49B3-B174-82C3672AB582}" as a GUID, at compile time; malformed text does not
// compile.
consteval TGUID GUIDFromText(const char (&text)[39]) {
    using interface_id::Hex;
    if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
        text[37] != '}')
        throw "an interface identifier is written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    TGUID guid{};
    guid.Data1 = Hex(text, 1, 8);
    guid.Data2 = static_cast<unsigned short>(Hex(text, 10, 4));
    guid.Data3 = static_cast<unsigned short>(Hex(text, 15, 4));
    guid.Data4[0] = static_cast<unsigned char>(Hex(text, 20, 2));
    guid.Data4[1] = static_cast<unsigned char>(Hex(text, 22, 2));
    for (int i = 0; i < 6; ++i)
        guid.Data4[2 + i] = static_cast<unsigned char>(Hex(text, 25 + 2 * i, 2));
    return guid;
}

// Inside an interface's body: its identifier and the interface it extends (its only base).
#define INTERFACE_ID(Self, Parent, Text)                                                           \
    using InterfaceSelf = Self;                                                                    \
    using InterfaceParent = Parent;                                                                \
    static constexpr TGUID Identifier = GUIDFromText(Text);

template <class I>
concept DeclaredInterface = requires {
    typename I::InterfaceSelf;
};

// The identifier of an interface: ours from INTERFACE_ID, the platform's from its headers.
template <class I> const TGUID& IIDOf() {
    if constexpr (DeclaredInterface<I>) {
        static_assert(std::is_same_v<typename I::InterfaceSelf, I>,
                      "the interface lacks its own INTERFACE_ID and would answer its base's");
        static_assert(std::is_base_of_v<typename I::InterfaceParent, I>,
                      "INTERFACE_ID names a parent the interface does not extend");
        return I::Identifier;
    } else {
        return __uuidof(I);
    }
}

struct IInterface : public IUnknown {
    INTERFACE_ID(IInterface, IUnknown, "{00000000-0000-0000-C000-000000000046}")
};

class TInterfacedObject : public TObject, public IInterface {
    CLASS_INFO(TInterfacedObject, TObject)
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    int RefCount() const noexcept { return static_cast<int>(FRefCount); }
    // The object's IUnknown: the same pointer whichever interface it is reached through.
    IInterface* Identity() noexcept { return this; }

protected:
    // The pointer to hand out for an interface identifier, or null. Descendants answer their
    // own interfaces and then ask their base (TImplements does this).
    virtual void* GetInterface(REFIID iid);

private:
    friend bool Supports(TInterfacedObject* Instance, REFIID iid, void** Intf);

    volatile LONG FRefCount = 0; // changed only by Interlocked calls
};

namespace interface_id {

// `object` as the interface that iid names, when I is that interface or extends it.
template <class I> void* Find(I* object, REFIID iid) {
    if constexpr (std::is_same_v<I, IInterface> || std::is_same_v<I, IUnknown>) {
        return nullptr; // the object's identity answers these
    } else {
        if (iid == IIDOf<I>()) return object;
        if constexpr (DeclaredInterface<I>)
            return Find<typename I::InterfaceParent>(object, iid);
        else
            return nullptr;
    }
}

} // namespace interface_id

template <class Base, class... Interfaces> class TImplements : public Base, public Interfaces... {
    static_assert(std::is_base_of_v<TInterfacedObject, Base>, "Base must be a TInterfacedObject");

public:
    using Base::Base;

    // One implementation for every IUnknown this object contains.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return TInterfacedObject::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return TInterfacedObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return TInterfacedObject::Release(); }

protected:
    void* GetInterface(REFIID iid) override {
        void* found = nullptr;
        ((found = found ? found : interface_id::Find<Interfaces>(this, iid)), ...);
        return found ? found : Base::GetInterface(iid);
    }
};

template <class I> class TComPtr {
public:
    TComPtr() noexcept = default;
    TComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference to the object.
    TComPtr(I* object) noexcept : FObject(object) { AddRefHeld(); }
    TComPtr(const TComPtr& other) noexcept : FObject(other.FObject) { AddRefHeld(); }
    TComPtr(TComPtr&& other) noexcept : FObject(std::exchange(other.FObject, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, I*> TComPtr(const TComPtr<U>& other)
    noexcept : FObject(other.Get()) { AddRefHeld(); }
    ~TComPtr() { Reset(); }

    TComPtr& operator=(TComPtr other) noexcept {
        std::swap(FObject, other.FObject);
        return *this;
    }

    I* Get() const noexcept { return FObject; }
    I* operator->() const noexcept { return FObject; }
    I& operator*() const noexcept { return *FObject; }
    explicit operator bool() const noexcept { return FObject != nullptr; }

    // Drops the reference held.
    void Reset() noexcept {
        if (I* object = std::exchange(FObject, nullptr)) object->Release();
    }
    // Adopts a reference the caller already holds (no AddRef).
    void Attach(I* object) noexcept {
        Reset();
        FObject = object;
    }
    // Gives the reference held to the caller (no Release).
    I* Detach() noexcept { return std::exchange(FObject, nullptr); }
    // For an out-parameter that returns a new reference: drops the one held first.
    I** Put() noexcept {
        Reset();
        return &FObject;
    }

    friend bool operator==(const TComPtr& a, const TComPtr& b) noexcept {
        return a.FObject == b.FObject;
    }
    friend bool operator==(const TComPtr& a, std::nullptr_t) noexcept {
        return a.FObject == nullptr;
    }

private:
    void AddRefHeld() noexcept {
        if (FObject) FObject->AddRef();
    }

    I* FObject = nullptr;
};

template <class I> using TInterfacePtr = TComPtr<I>;

// Whether the object answers the interface; when it does and Intf is not null, *Intf receives
// a new reference that the caller releases.
bool Supports(IUnknown* Instance, REFIID iid, void** Intf = nullptr);
bool Supports(TInterfacedObject* Instance, REFIID iid, void** Intf = nullptr);
// Any object: only TInterfacedObject descendants answer interfaces.
bool Supports(TObject* Instance, REFIID iid, void** Intf = nullptr);

template <class I, class From> bool Supports(From* Instance, TComPtr<I>& Intf) {
    void* found = nullptr;
    const bool supported = Supports(Instance, IIDOf<I>(), &found);
    Intf.Attach(static_cast<I*>(found));
    return supported;
}

template <class I, class From> bool Supports(const TComPtr<From>& Instance, TComPtr<I>& Intf) {
    return Supports(Instance.Get(), Intf);
}
