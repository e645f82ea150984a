// The depth of the value operations that walk into the values a value holds (writing, cloning,
// merging, clearing, packing), counted per thread, so that containers nested deeper than
// TJsonObject::MaxNesting end the walk instead of the stack. Private to the module.
#pragma once

#include "support/jsonobject/jsonobject.h"

// One level of such a walk, for as long as the object lives.
class TJsonNesting {
public:
    TJsonNesting() noexcept { ++Depth; }
    ~TJsonNesting() {
        if (--Depth == 0) Exceeded = false;
    }
    TJsonNesting(const TJsonNesting&) = delete;
    TJsonNesting& operator=(const TJsonNesting&) = delete;

    // True when this level holds a container (an object or an array) beyond the bound; the walk
    // then remembers it was cut short. Scalars end a walk themselves.
    bool TooDeep(TJsonType type) noexcept {
        if (type != stObject && type != stArray) return false;
        if (Depth > TJsonObject::MaxNesting) Exceeded = true;
        return Depth > TJsonObject::MaxNesting;
    }
    // Some level of the walk this level belongs to was beyond the bound.
    static bool WasCut() noexcept { return Exceeded; }

private:
    static thread_local Integer Depth;
    static thread_local bool Exceeded;
};
