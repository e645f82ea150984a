// Properties by name: a light reflection table per class, for code that must read or write a
// property of a control whose class it does not know at compile time (skin handlers that reach
// third-party controls only by property names). Declared here, in order:
//
//   TTypeKind          what a property holds
//   EPropertyError     unknown property or element name, wrong kind, read-only, bad value
//   TMethod            an event handler with its event type erased: (object, method) + type
//   TPropInfo          one property: name, kind, element names and type-erased accessors
//   TPropertyTable<T>  builds a class's list of properties from its getters and setters
//   RegisterProperties adds a class's list to the registry
//   PropExists, GetPropInfo, Get/Set{Ord,Enum,Set,Str,Method}Prop, GetObjectProp, IsMethodAssigned
//
// Lookup follows the class chain of CLASS_INFO: a property registered for TControl is found on
// every control; a class may register a property of the same name again, and its own entry wins
// over its ancestors'. A class that hides an ancestor's accessor with one of its own (accessors
// are not virtual) registers the property again, or writes by name reach the ancestor's setter.
// Property and element names are compared without regard to ASCII case.
//
// Kinds: Boolean properties are enumerations with the elements False and True; colours are
// integers (system colours are negative). A set's ordinal value is its bit mask, and its text is
// its element names joined by "," (optionally in brackets; empty items and spaces are skipped on
// reading, so that "[a, b]", "a,b" and ",a,b" are the same set).
//
// Registration and start-up. The registry is created on first use (a function-local static, so
// the order of C++ static initialisation never matters) and then holds the class library's own
// tables, so code and tests of the library find them without doing anything. Libraries built on
// the class library register their classes explicitly with RegisterProperties, from their
// module's initialiser (framework/ModuleInit.h), which runs on the main thread before any window
// exists; a test calls the same routine. Static registration objects are not used: the linker
// drops an object file of a static library that nothing refers to, and its registrations with
// it. Registering is idempotent: an entry is never replaced or removed (a name the class has
// already is kept), so that TPropInfo pointers stay valid for the life of the process.
//
// Threads: the registry is guarded by its own lock; the accessors run on the thread that calls
// them, which for controls must be their GUI thread.
#pragma once

#include "framework/Events.h"
#include "framework/Objects.h"
#include "framework/Sets.h"

#include <concepts>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

enum TTypeKind { tkUnknown, tkInteger, tkEnumeration, tkSet, tkClass, tkMethod, tkString };

class EPropertyError : public Exception {
public:
    using Exception::Exception;
};

// An event handler of any event type, as method properties take and give it. It is made from a
// typed event (or an object and one of its methods) and turned back into one with `As`, which
// accepts only the event type it was made from; an empty handler fits every type. The type is
// the C++ type: an event whose parameter records are declared twice, once on each side, is two
// types, so the records an event passes are declared once where both sides can see them.
class TMethod {
public:
    TMethod() = default;

    template <class R, class... Args> TMethod(const TMethodEvent<R(Args...)>& event) {
        using Event = TMethodEvent<R(Args...)>;
        static_assert(std::is_trivially_copyable_v<Event> && sizeof(Event) == sizeof(FEvent),
                      "events are kept as their bytes");
        if (!event.Assigned()) return;
        FType = &typeid(Event);
        FData = event.Data();
        std::memcpy(FEvent, &event, sizeof(Event));
    }

    template <class Object, class Target, class R, class... Args>
    TMethod(Object* object, R (Target::*method)(Args...))
        : TMethod(TMethodEvent<R(Args...)>(object, method)) {}

    bool Assigned() const noexcept { return FType != nullptr; }
    // The event type it was made from; null when empty.
    const std::type_info* EventType() const noexcept { return FType; }
    // The handler's object (null for plain routines and empty handlers).
    void* Data() const noexcept { return FData; }

    // The handler as an event of type Event; EPropertyError when it was made from another type.
    template <class Event> Event As() const {
        Event event;
        if (!FType) return event;
        if (*FType != typeid(Event)) RaiseTypeMismatch();
        std::memcpy(&event, FEvent, sizeof(Event));
        return event;
    }

    friend bool operator==(const TMethod& a, const TMethod& b) noexcept;

private:
    [[noreturn]] static void RaiseTypeMismatch();

    const std::type_info* FType = nullptr;
    void* FData = nullptr;
    alignas(TNotifyEvent) unsigned char FEvent[sizeof(TNotifyEvent)] = {};
};

// One property. Exactly the accessors of its kind are set; the setter is empty when the
// property is read-only. Accessors take the object as TObject*, which must be of the class the
// property was registered for (or a descendant).
struct TPropInfo {
    UnicodeString Name;
    TTypeKind Kind = tkUnknown;
    // Enumerations: the names of the values, by ordinal; sets: the names of the elements, by bit.
    std::vector<UnicodeString> ElementNames;
    // Method properties: the event type the property holds.
    const std::type_info* EventType = nullptr;

    std::function<Int64(TObject*)> GetOrd;
    std::function<void(TObject*, Int64)> SetOrd;
    std::function<UnicodeString(TObject*)> GetStr;
    std::function<void(TObject*, const UnicodeString&)> SetStr;
    std::function<TObject*(TObject*)> GetObj;
    std::function<TMethod(TObject*)> GetMethod;
    std::function<void(TObject*, const TMethod&)> SetMethod;

    bool Writable() const noexcept {
        return static_cast<bool>(SetOrd) || static_cast<bool>(SetStr) ||
               static_cast<bool>(SetMethod);
    }
};
using PPropInfo = const TPropInfo*;

// ---- building a class's table -------------------------------------------------------------------

namespace typinfo_detail {

template <class V>
concept SetType = requires(V v) {
    { v.Bits() } -> std::same_as<std::uint64_t>;
    V::FromBits(std::uint64_t{});
};
template <class V>
concept MethodEvent = requires(V v) {
    TMethod(v);
};
template <class V>
concept ObjectPointer =
    std::is_pointer_v<V> && std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<V>>>;

template <class V> constexpr TTypeKind KindOf() {
    if constexpr (std::is_same_v<V, bool> || std::is_enum_v<V>)
        return tkEnumeration;
    else if constexpr (SetType<V>)
        return tkSet;
    else if constexpr (std::is_integral_v<V>)
        return tkInteger;
    else if constexpr (std::is_same_v<V, UnicodeString>)
        return tkString;
    else if constexpr (ObjectPointer<V>)
        return tkClass;
    else if constexpr (MethodEvent<V>)
        return tkMethod;
    else
        return tkUnknown;
}

template <class V> Int64 ToOrd(const V& value) {
    if constexpr (SetType<V>)
        return static_cast<Int64>(value.Bits());
    else
        return static_cast<Int64>(value);
}

// An integer outside the property type's range.
[[noreturn]] void RaiseRange(const UnicodeString& name, Int64 value);

template <class V> V FromOrd(const UnicodeString& name, Int64 value) {
    if constexpr (SetType<V>)
        return V::FromBits(static_cast<std::uint64_t>(value));
    else if constexpr (std::is_same_v<V, bool>)
        return value != 0;
    else if constexpr (std::is_enum_v<V>)
        return static_cast<V>(value);
    else {
        if (!std::in_range<V>(value)) RaiseRange(name, value);
        return static_cast<V>(value);
    }
}

using TClassProperties = std::pair<TClass, std::vector<TPropInfo>>;
// The class library's own tables, which the registry takes in when it is made.
std::vector<TClassProperties> FrameworkPropertyTables();

} // namespace typinfo_detail

// The properties of class T, listed from its accessors:
//
//     RegisterProperties(TPropertyTable<TControl>()
//         .Add(L"Color", &TControl::Color, &TControl::SetColor)
//         .Add(L"Font", &TControl::Font)                        // no setter: read-only
//         .Add(L"Align", &TControl::Align, &TControl::SetAlign, {L"alNone", L"alTop", ...})
//         .Add(L"OnClick", &TControl::OnClick));                // a field: read and written
//
// A getter is a member function, a member field or a callable taking T*; the property's kind
// follows from the type it answers (bool, enumeration, TSet, integer, UnicodeString, object
// pointer, TMethodEvent). A setter is a member function or callable taking (T*, value); a field
// without setter is written directly. Enumerations (other than bool) and sets need the names
// of their values in ordinal order.
template <class T> class TPropertyTable {
public:
    template <class Getter, class Setter = std::nullptr_t>
    TPropertyTable& Add(const wchar_t* name, Getter get, Setter set = nullptr) {
        return Add(name, get, set, {});
    }

    template <class Getter, class Setter>
    TPropertyTable& Add(const wchar_t* name, Getter get, Setter set,
                        std::initializer_list<const wchar_t*> elementNames) {
        using V = std::decay_t<std::invoke_result_t<Getter, T*>>;
        constexpr TTypeKind kind = typinfo_detail::KindOf<V>();
        static_assert(kind != tkUnknown, "no property kind for this value type");
        TPropInfo info;
        info.Name = name;
        info.Kind = kind;
        info.ElementNames.assign(elementNames.begin(), elementNames.end());
        if constexpr (std::is_same_v<V, bool>) info.ElementNames = {L"False", L"True"};
        Bind<V>(info, get, set);
        FProperties.push_back(std::move(info));
        return *this;
    }

    TClass Class() const noexcept { return T::StaticClass(); }
    std::vector<TPropInfo>& Properties() noexcept { return FProperties; }

private:
    static T* Self(TObject* object) { return static_cast<T*>(object); }

    template <class V, class Getter, class Setter>
    static void Bind(TPropInfo& info, Getter get, Setter set) {
        if constexpr (std::is_same_v<Setter, std::nullptr_t> &&
                      std::is_member_object_pointer_v<Getter>)
            Bind<V>(info, get, [get](T* self, const V& value) { std::invoke(get, self) = value; });
        else
            BindKind<V>(info, get, set);
    }

    template <class V, class Getter, class Setter>
    static void BindKind(TPropInfo& info, Getter get, Setter set) {
        constexpr bool writable = !std::is_same_v<Setter, std::nullptr_t>;
        constexpr TTypeKind kind = typinfo_detail::KindOf<V>();
        if constexpr (kind == tkString) {
            info.GetStr = [get](TObject* o) { return UnicodeString(std::invoke(get, Self(o))); };
            if constexpr (writable)
                info.SetStr = [set](TObject* o, const UnicodeString& v) {
                    std::invoke(set, Self(o), v);
                };
        } else if constexpr (kind == tkClass) {
            static_assert(!writable, "object properties are read-only here");
            info.GetObj = [get](TObject* o) -> TObject* { return std::invoke(get, Self(o)); };
        } else if constexpr (kind == tkMethod) {
            info.EventType = &typeid(V);
            info.GetMethod = [get](TObject* o) { return TMethod(std::invoke(get, Self(o))); };
            if constexpr (writable)
                info.SetMethod = [set](TObject* o, const TMethod& m) {
                    std::invoke(set, Self(o), m.template As<V>());
                };
        } else {
            info.GetOrd = [get](TObject* o) {
                return typinfo_detail::ToOrd(std::invoke(get, Self(o)));
            };
            if constexpr (writable)
                info.SetOrd = [set, name = info.Name](TObject* o, Int64 v) {
                    std::invoke(set, Self(o), typinfo_detail::FromOrd<V>(name, v));
                };
        }
    }

    std::vector<TPropInfo> FProperties;
};

// Adds properties to a class's table. An enumeration or set without element names, or with more
// than 64 for a set, raises EPropertyError; so does a method property without its event type.
void RegisterProperties(TClass AClass, std::vector<TPropInfo> Properties);

// Takes the table's properties (a table is built in one expression and registered at once).
template <class T> void RegisterProperties(TPropertyTable<T>& table) {
    RegisterProperties(table.Class(), std::move(table.Properties()));
}

// ---- access by name
// ------------------------------------------------------------------------------

// Null when the object (or class) is null or has no property of that name.
PPropInfo GetPropInfo(TClass AClass, const UnicodeString& PropName);
PPropInfo GetPropInfo(TObject* Instance, const UnicodeString& PropName);
bool PropExists(TObject* Instance, const UnicodeString& PropName);

// Every routine below raises EPropertyError for a null object, an unknown property, a property
// of a kind the routine does not handle, writing a read-only property, an element name the
// property's type does not have, and a value outside the property's range.

// Integers, enumerations (Boolean included: 0 or 1) and sets (the bit mask).
Int64 GetOrdProp(TObject* Instance, const UnicodeString& PropName);
void SetOrdProp(TObject* Instance, const UnicodeString& PropName, Int64 Value);

// Enumerations by the names of their values.
UnicodeString GetEnumProp(TObject* Instance, const UnicodeString& PropName);
void SetEnumProp(TObject* Instance, const UnicodeString& PropName, const UnicodeString& Value);

// Sets as text: "a,b", or "[a,b]" with Brackets.
UnicodeString GetSetProp(TObject* Instance, const UnicodeString& PropName, bool Brackets = false);
void SetSetProp(TObject* Instance, const UnicodeString& PropName, const UnicodeString& Value);

TObject* GetObjectProp(TObject* Instance, const UnicodeString& PropName);

UnicodeString GetStrProp(TObject* Instance, const UnicodeString& PropName);
void SetStrProp(TObject* Instance, const UnicodeString& PropName, const UnicodeString& Value);

// Method properties. SetMethodProp takes a handler made from the property's own event type, or
// an empty one, which clears the property.
bool IsMethodAssigned(TObject* Instance, const UnicodeString& PropName);
TMethod GetMethodProp(TObject* Instance, const UnicodeString& PropName);
void SetMethodProp(TObject* Instance, const UnicodeString& PropName, const TMethod& Value);
