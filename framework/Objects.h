// The root of the class library: `TObject` with run-time class information (`ClassName`,
// `InheritsFrom`, class references that can create instances) and `TPersistent` with the
// assignment protocol.
//
// Class references: every class that others create by reference (component classes, collection
// item classes, providers) declares itself with CLASS_INFO(Self, Base) in its body. A class
// reference is a pointer to a `TMetaClass`; its factory builds an instance with an optional
// owner whose meaning the hierarchy's root gives by `using OwnerType = ...` (a component's
// owner, a collection item's collection). Objects are freed with `Free` (or `FreeAndNil`) so
// that `BeforeDestruction` runs while the most derived object is still whole: a C++ destructor
// cannot dispatch virtually.
#pragma once

#include "framework/Exceptions.h"

#include <concepts>
#include <type_traits>

class TObject;

struct TMetaClass {
    const wchar_t* Name;
    const TMetaClass* Parent;
    // Null for abstract classes and classes without a suitable constructor.
    TObject* (*Factory)(TObject* owner);
};
using TClass = const TMetaClass*;

bool ClassInheritsFrom(TClass klass, TClass ancestor) noexcept;
// Creates an instance through a class reference; raises EAbstractError when the class cannot
// be created and EInvalidOperation when the owner is of the wrong kind.
TObject* CreateInstance(TClass klass, TObject* owner = nullptr);

class TObject {
public:
    virtual ~TObject() = default;
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static TClass StaticClass() noexcept;
    virtual TClass ClassType() const noexcept { return StaticClass(); }
    UnicodeString ClassName() const { return ClassType()->Name; }
    bool InheritsFrom(TClass ancestor) const noexcept {
        return ClassInheritsFrom(ClassType(), ancestor);
    }

    // Run by `Construct` and class-reference factories once the object is fully built.
    virtual void AfterConstruction() {}
    // Run by `Free` before the destructors, while virtual calls still reach the whole object.
    virtual void BeforeDestruction() {}
    void Free() noexcept;
};

template <class T> void FreeAndNil(T*& object) noexcept {
    T* doomed = object;
    object = nullptr;
    if (doomed) doomed->Free();
}

// Creates an object and runs its AfterConstruction, as class-reference factories do.
template <class T, class... Args> T* Construct(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    try {
        object->AfterConstruction();
    } catch (...) {
        object->Free();
        throw;
    }
    return object;
}

namespace class_info {

TObject* OwnerMismatch(TClass klass);

template <class T> TObject* Create(TObject* owner) {
    if constexpr (std::is_abstract_v<T>) {
        return nullptr;
    } else if constexpr (requires { typename T::OwnerType; }) {
        using Owner = typename T::OwnerType;
        if constexpr (std::is_constructible_v<T, Owner*>) {
            auto* typedOwner = dynamic_cast<Owner*>(owner);
            if (owner && !typedOwner) return OwnerMismatch(T::StaticClass());
            return Construct<T>(typedOwner);
        } else {
            return nullptr;
        }
    } else if constexpr (std::is_default_constructible_v<T>) {
        return Construct<T>();
    } else {
        return nullptr;
    }
}

template <class T> constexpr auto FactoryOf() {
    if constexpr (std::is_abstract_v<T>)
        return static_cast<TObject* (*)(TObject*)>(nullptr);
    else
        return &Create<T>;
}

} // namespace class_info

#define CLASS_INFO(Self, Base)                                                                     \
public:                                                                                            \
    static TClass StaticClass() noexcept {                                                         \
        static const TMetaClass meta{L## #Self, Base::StaticClass(), &class_info::Create<Self>};   \
        return &meta;                                                                              \
    }                                                                                              \
    TClass ClassType() const noexcept override { return StaticClass(); }                           \
                                                                                                   \
private:

// Objects that can copy themselves from another of a compatible class. `Assign` asks the source
// to `AssignTo` the destination when the destination does not know the source's class; when
// neither knows the other, it raises EConvertError "Cannot assign a <source> to a <dest>".
class TFiler;

class TPersistent : public TObject {
    CLASS_INFO(TPersistent, TObject)
public:
    virtual void Assign(TPersistent* source);
    // The name shown in messages about this object; components answer their Name.
    virtual UnicodeString GetNamePath() const { return ClassName(); }

protected:
    virtual void AssignTo(TPersistent* dest);
    [[noreturn]] void AssignError(TPersistent* source);
    // The properties the object stores in a stream (framework/Filer.h); none by default.
    // Overrides call the inherited one first.
    virtual void DefineProperties(TFiler*) {}

private:
    friend class TReader;
    friend class TWriter;
};
