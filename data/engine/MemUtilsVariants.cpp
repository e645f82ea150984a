// Variant equality as the data engine decides it (record values, key values, parameters):
// texts exactly, Null only with Null, the empty text only with the empty text, byte arrays
// byte for byte, everything else by the class library's variant equality.
#include "data/engine/MemUtils.h"

#include <cstring>

namespace {
bool IsByteArray(const Variant& v) { return v.VType() == (varArray | varByte); }
bool IsEmptyText(const Variant& v) { return VarIsStr(v) && v.AsString().empty(); }

bool BytesEqual(Variant a, Variant b) {
    const int countA = VarArrayHighBound(a, 1) - VarArrayLowBound(a, 1) + 1;
    const int countB = VarArrayHighBound(b, 1) - VarArrayLowBound(b, 1) + 1;
    if (countA != countB) return false;
    if (countA == 0) return true;
    const bool equal = std::memcmp(VarArrayLock(a), VarArrayLock(b), std::size_t(countA)) == 0;
    VarArrayUnlock(a);
    VarArrayUnlock(b);
    return equal;
}
} // namespace

bool VariantsEqual(const Variant& V1, const Variant& V2) {
    const TVarType t1 = V1.VType(), t2 = V2.VType();
    if ((t1 == varOleStr && (t2 == varOleStr || t2 == varString)) ||
        (t2 == varOleStr && t1 == varString))
        return V1.AsString() == V2.AsString();
    if (VarIsNull(V1) || VarIsNull(V2)) return VarIsNull(V1) && VarIsNull(V2);
    if (IsEmptyText(V1)) return IsEmptyText(V2);
    if (IsEmptyText(V2)) return false;
    if (IsByteArray(V1) && IsByteArray(V2)) return BytesEqual(V1, V2);
    if (IsByteArray(V1) || IsByteArray(V2)) return false; // a byte array equals no other kind
    try {
        return V1 == V2;
    } catch (const EVariantTypeCastError&) {
        return false; // text that is no value of the other kind: not equal
    }
}

UnicodeString VariantToString(const Variant& V) { return VarToStr(V); }
