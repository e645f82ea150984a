// Equality and ordering of variants, by the numbered rules of framework/Variants.h. Numbers
// compare exactly unless a float or a date takes part; text against another kind is converted to
// that kind first.
#include "framework/VariantAccess.h"

#include <cmath>

namespace {

using VA = VariantAccess;

TVariantRelationship FromSign(int sign) {
    return sign < 0 ? vrLessThan : sign > 0 ? vrGreaterThan : vrEqual;
}

template <class T> TVariantRelationship Ordered(const T& a, const T& b) {
    return a < b ? vrLessThan : b < a ? vrGreaterThan : vrEqual;
}

int ClearRank(TVarType t) { return t == varNull ? 0 : t == varEmpty ? 1 : 2; }

bool IsFloatOrDate(TVarType t) { return t == varSingle || t == varDouble || t == varDate; }

bool ArraysEqual(const Variant& a, const Variant& b) {
    if (!VarIsArray(a) || !VarIsArray(b)) return false;
    const int low = VarArrayLowBound(a, 1), high = VarArrayHighBound(a, 1);
    if (low != VarArrayLowBound(b, 1) || high != VarArrayHighBound(b, 1)) return false;
    for (int i = low; i <= high; ++i)
        if (!(VarArrayGet(a, i) == VarArrayGet(b, i))) return false;
    return true;
}

TVariantRelationship CompareDoubles(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return vrNotEqual;
    return Ordered(a, b);
}

TVariantRelationship CompareNumbers(const Variant& a, const Variant& b) {
    const TVarType ta = a.VType(), tb = b.VType();
    if (ta == varBoolean && tb == varBoolean) // False before True
        return Ordered(VA::Get<Int64>(a) != 0, VA::Get<Int64>(b) != 0);
    if (ta == varSQLTimeStamp && tb == varSQLTimeStamp)
        return FromSign(SQLTimeStampCompare(VA::Get<TSQLTimeStamp>(a), VA::Get<TSQLTimeStamp>(b)));
    if (IsFloatOrDate(ta) || IsFloatOrDate(tb) || ta == varSQLTimeStamp || tb == varSQLTimeStamp)
        return CompareDoubles(a.AsDate(), b.AsDate());
    if (ta == varUInt64 || tb == varUInt64) {
        if (ta == tb) return Ordered(VA::Get<UInt64>(a), VA::Get<UInt64>(b));
        if (ta != varCurrency && tb != varCurrency && ta != varFMTBcd && tb != varFMTBcd) {
            // One side signed: a negative value is below every unsigned one.
            const bool aUnsigned = ta == varUInt64;
            const Int64 s = VA::Get<Int64>(aUnsigned ? b : a);
            const UInt64 u = VA::Get<UInt64>(aUnsigned ? a : b);
            const TVariantRelationship r = s < 0 ? vrLessThan : Ordered(UInt64(s), u);
            if (!aUnsigned || r == vrEqual) return r;
            return r == vrLessThan ? vrGreaterThan : vrLessThan;
        }
    }
    if (ta == varCurrency || tb == varCurrency || ta == varFMTBcd || tb == varFMTBcd)
        return FromSign(BcdCompare(a.AsBcd(), b.AsBcd()));
    return Ordered(VA::Get<Int64>(a), VA::Get<Int64>(b));
}

// Text against a non-text value: the text as the other side's kind (rule 3).
Variant TextAs(const Variant& text, TVarType other) {
    if (other == varBoolean || other == varSQLTimeStamp || other == varDate || other == varSingle ||
        other == varDouble)
        return VarAsType(text, other == varSingle ? varDouble : other);
    return VarAsType(text, varFMTBcd);
}

bool IsComparableScalar(TVarType t) {
    return IsIntegerKind(t) || IsTextKind(t) || t == varBoolean || t == varCurrency ||
           IsFloatOrDate(t) || t == varFMTBcd || t == varSQLTimeStamp;
}

} // namespace

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
    const TVarType ta = a.VType(), tb = b.VType();
    if (ClearRank(ta) < 2 || ClearRank(tb) < 2) return Ordered(ClearRank(ta), ClearRank(tb));
    if (!IsComparableScalar(ta) || !IsComparableScalar(tb)) {
        if (ta == varByRef && tb == varByRef && VA::Get<void*>(a) == VA::Get<void*>(b))
            return vrEqual;
        return ArraysEqual(a, b) ? vrEqual : vrNotEqual;
    }
    if (IsTextKind(ta) && IsTextKind(tb)) {
        const int c = TextOf(a).compare(TextOf(b));
        return FromSign(c);
    }
    if (IsTextKind(ta)) return CompareNumbers(TextAs(a, tb), b);
    if (IsTextKind(tb)) return CompareNumbers(a, TextAs(b, ta));
    return CompareNumbers(a, b);
}

bool operator==(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }
