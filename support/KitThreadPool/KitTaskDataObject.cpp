// The base class of the pool's tasks: no copy, never a duplicate, its address as its info.
#include "support/KitThreadPool/KitThreadPool.h"

TKitTaskDataObject* TKitTaskDataObject::Clone() {
    throw EAbstractError(ClassName() + L" cannot be cloned");
}

bool TKitTaskDataObject::Duplicate(TKitTaskDataObject*, bool) { return false; }

UnicodeString TKitTaskDataObject::Info() {
    static constexpr wchar_t Digits[] = L"0123456789ABCDEF";
    auto address = reinterpret_cast<NativeUInt>(this);
    UnicodeString text(2 * sizeof(address), L'0');
    for (auto digit = text.rbegin(); digit != text.rend(); ++digit, address >>= 4)
        *digit = Digits[address & 0xF];
    return text;
}
