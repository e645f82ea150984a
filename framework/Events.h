// Event properties: a bound method as an (object, method) pair that can be saved, restored and
// compared, as handlers that chain or swap each other need (`std::function` cannot be
// compared). `TMethodEvent<void(TObject*)>` is a notify event; an unassigned event is empty and
// calling it raises nothing and does nothing.
//
// A member-function pointer is kept as raw bytes beside a typed thunk that knows how to call it:
// two events are equal when object, thunk and bytes are equal, i.e. the same method of the same
// object.
#pragma once

#include <cstring>
#include <type_traits>
#include <utility>

template <class Signature> class TMethodEvent;

template <class R, class... Args> class TMethodEvent<R(Args...)> {
public:
    TMethodEvent() = default;

    template <class Object, class Target>
    TMethodEvent(Object* object, R (Target::*method)(Args...)) {
        static_assert(std::is_base_of_v<Target, Object>, "method must belong to the object");
        static_assert(sizeof(method) <= sizeof(FMethod), "member pointer larger than expected");
        FObject = static_cast<Target*>(object);
        std::memcpy(FMethod, &method, sizeof(method));
        FThunk = &CallMember<Target, R (Target::*)(Args...)>;
    }

    // A plain routine as a handler: no object.
    explicit TMethodEvent(R (*routine)(Args...)) {
        std::memcpy(FMethod, &routine, sizeof(routine));
        FThunk = &CallRoutine;
    }

    explicit operator bool() const noexcept { return FThunk != nullptr; }
    bool Assigned() const noexcept { return FThunk != nullptr; }
    // The bound object, as the handler's owner sees it (null for routines and empty events).
    void* Data() const noexcept { return FObject; }

    R operator()(Args... args) const {
        if (!FThunk) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        return FThunk(FObject, FMethod, std::forward<Args>(args)...);
    }

    friend bool operator==(const TMethodEvent& a, const TMethodEvent& b) noexcept {
        return a.FObject == b.FObject && a.FThunk == b.FThunk &&
               std::memcmp(a.FMethod, b.FMethod, sizeof(a.FMethod)) == 0;
    }

private:
    using Thunk = R (*)(void*, const unsigned char*, Args...);

    template <class Target, class Member>
    static R CallMember(void* object, const unsigned char* bytes, Args... args) {
        Member method;
        std::memcpy(&method, bytes, sizeof(method));
        return (static_cast<Target*>(object)->*method)(std::forward<Args>(args)...);
    }

    static R CallRoutine(void*, const unsigned char* bytes, Args... args) {
        R (*routine)(Args...);
        std::memcpy(&routine, bytes, sizeof(routine));
        return routine(std::forward<Args>(args)...);
    }

    void* FObject = nullptr;
    Thunk FThunk = nullptr;
    alignas(void*) unsigned char FMethod[2 * sizeof(void*)] = {};
};

class TObject;
using TNotifyEvent = TMethodEvent<void(TObject* Sender)>;
