// Value comparisons of the record list: a searched value in comparison form against a stored
// field, by type, with the text, byte and variant rules, and the string comparisons behind
// them (ordinal or the user's locale).
#include "data/engine/MemDataRecordList.h"

#include "data/engine/MemUtils.h"

#include "framework/Conversions.h"
#include "framework/FMTBcd.h"
#include "framework/SQLTimSt.h"
#include "framework/TextEncoding.h"

#include <cstring>

namespace {
template <class T> T Load(const void* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> Integer Sign(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }
template <class S> Integer Ordinal(const S& a, const S& b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
template <class S> void TrimControlTail(S& Text) {
    while (!Text.empty() && unsigned(static_cast<unsigned char>(Text.back())) <= 32 &&
           Text.back() >= 0)
        Text.pop_back();
}
void TrimControlTailW(UnicodeString& Text) {
    while (!Text.empty() && unsigned(Text.back()) <= 32) Text.pop_back();
}

Integer CompareBytes(const Byte* V, Integer n, const Byte* F, Integer m, TCompareOptions Options) {
    if (Options & coPartialCompare) {
        if (n > m) return 1;
        for (Integer start = 0; start <= m - n; ++start)
            if (std::memcmp(V, F + start, std::size_t(n)) == 0) return 0;
        return 1;
    }
    if (Options & coPartialKey) {
        if (n > m) return 1;
        const int c = std::memcmp(V, F, std::size_t(n));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    const int c = std::memcmp(V, F, std::size_t(std::min(n, m)));
    if (c != 0) return c < 0 ? -1 : 1;
    return Sign(n, m);
}

bool IsNumericKind(TVarType t) {
    switch (t) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varFMTBcd: return true;
    default: return false;
    }
}
bool IsByteArray(const Variant& V) { return VarType(V) == (varArray | varByte); }
} // namespace

// --- strings ---

Integer TMemData::CompareAnsiBuf(const char* S1, const char* S2, TCompareOptions Options) {
    if (Options & coOrdinalCompare) {
        const int c = std::strcmp(S1, S2);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return (Options & coCaseInsensitive) ? AnsiCompareTextLocaleZ(S1, S2)
                                         : AnsiCompareStrLocaleZ(S1, S2);
}

Integer TMemData::CompareAnsiStr(const AnsiString& S1, const AnsiString& S2,
                                 TCompareOptions Options) {
    if (Options & coOrdinalCompare) return Ordinal(S1, S2);
    return (Options & coCaseInsensitive) ? AnsiCompareTextLocale(S1, S2)
                                         : AnsiCompareStrLocale(S1, S2);
}

Integer TMemData::CompareWideStrN(const UnicodeString& S1, const UnicodeString& S2,
                                  TCompareOptions Options) {
    if (Options & coOrdinalCompare) return CompareWideStr(S1, S2.substr(0, S1.size()), Options);
    const Integer n = Integer(S1.size());
    return (Options & coCaseInsensitive) ? WideCompareTextLocaleN(S1, S2, n)
                                         : WideCompareStrLocaleN(S1, S2, n);
}

Integer TMemData::CompareWideStr(const UnicodeString& S1, const UnicodeString& S2,
                                 TCompareOptions Options) {
    if (Options & coOrdinalCompare) return Ordinal(S1, S2);
    return (Options & coCaseInsensitive) ? WideCompareTextLocale(S1, S2)
                                         : WideCompareStrLocale(S1, S2);
}

Integer TMemData::CompareAnsiStrEx(const AnsiString& S1, const AnsiString& S2,
                                   TCompareOptions Options) {
    if (Options & coPartialCompare) {
        if (Options & coCaseInsensitive)
            return UnicodeToAnsi(LocaleUpperCase(AnsiToUnicode(S2)))
                               .find(UnicodeToAnsi(LocaleUpperCase(AnsiToUnicode(S1)))) !=
                           AnsiString::npos
                       ? 0
                       : 1;
        return S2.find(S1) != AnsiString::npos ? 0 : 1;
    }
    if (Options & coPartialKey) {
        const std::size_t n = S1.empty() ? S2.size() : S1.size();
        if (S2.size() < n) return 1;
        return CompareAnsiStr(S1, S2.substr(0, n), Options);
    }
    return CompareAnsiStr(S1, S2, Options);
}

Integer TMemData::CompareWideStrEx(const UnicodeString& S1, const UnicodeString& S2,
                                   TCompareOptions Options) {
    if (IsWin9x) return CompareAnsiStrEx(UnicodeToAnsi(S1), UnicodeToAnsi(S2), Options);
    if (Options & coPartialCompare) {
        if (Options & coCaseInsensitive)
            return LocaleUpperCase(S2).find(LocaleUpperCase(S1)) != UnicodeString::npos ? 0 : 1;
        return S2.find(S1) != UnicodeString::npos ? 0 : 1;
    }
    if (Options & coPartialKey) {
        if (S2.size() < S1.size()) return 1;
        return CompareWideStrN(S1, S2, Options);
    }
    return CompareWideStr(S1, S2, Options);
}

// --- values ---

Integer TMemData::TextCompare(const void* ValuePtr, bool WideValue, TFieldDesc* FieldDesc,
                              void* RecBuf, TCompareOptions Options) {
    const Word type = FieldDesc->DataType();
    const Byte* field = static_cast<const Byte*>(RecBuf) + FieldDesc->Offset();
    const bool trim = FieldDesc->Fixed() ? TrimFixedChar : TrimVarChar;
    const bool partial = (Options & (coPartialKey | coPartialCompare)) != 0;
    if (!WideValue && !FieldDesc->HasParent()) {
        const char* value = static_cast<const char*>(ValuePtr);
        if (type == dtString && !partial && !trim)
            return CompareAnsiBuf(value, reinterpret_cast<const char*>(field), Options);
        if (type == dtExtString && !partial)
            return CompareAnsiBuf(value, Load<const char*>(field), Options);
    }
    UnicodeString text;
    switch (type) {
    case dtString:
    case dtWideString:
    case dtExtString:
    case dtExtWideString:
    case dtMemo:
    case dtWideMemo:
    case dtBlob: {
        if (WideValue && IsBlobFieldType(type)) throw EConvertError(L"Cannot convert type");
        Integer valueType = 0;
        bool blank = true, native = true;
        void* buf = GetFieldBuf(RecBuf, FieldDesc, valueType, blank, native);
        const TFieldBufHold hold{buf, native};
        if (valueType == dtWideString)
            text = blank ? UnicodeString() : UnicodeString(static_cast<const wchar_t*>(buf));
        else
            text = blank ? UnicodeString() : AnsiToUnicode(static_cast<const char*>(buf));
        if ((type == dtString || type == dtWideString) && trim) TrimControlTailW(text);
        break;
    }
    case dtFMTBCD:
    case dtGuid:
        if (WideValue) throw EConvertError(L"Cannot convert type");
        [[fallthrough]];
    case dtBCD:
    case dtInt8:
    case dtInt16:
    case dtInt32:
    case dtUInt16:
    case dtUInt32:
    case dtInt64:
    case dtFloat:
    case dtCurrency:
    case dtDate:
    case dtTime:
    case dtDateTime:
    case dtVariant: {
        Variant value;
        GetFieldAsVariant(FieldDesc->FieldNo(), RecBuf, value);
        text = VarToStr(value);
        if (type == dtBCD || type == dtFMTBCD || type == dtGuid) Options |= coCaseInsensitive;
        break;
    }
    default: throw EConvertError(L"Cannot convert type");
    }
    if (WideValue) return CompareWideStrEx(static_cast<const wchar_t*>(ValuePtr), text, Options);
    AnsiString value(static_cast<const char*>(ValuePtr));
    AnsiString stored = UnicodeToAnsi(text);
    if (type == dtString && trim) {
        TrimControlTail(value);
        TrimControlTail(stored);
    }
    return CompareAnsiStrEx(value, stored, Options);
}

Integer TMemData::CompareFieldValue(const void* ValuePtr, Integer ValueType, TFieldDesc* FieldDesc,
                                    void* RecBuf, TCompareOptions Options) {
    switch (ValueType) {
    case dtString:
    case dtGuid: return TextCompare(ValuePtr, false, FieldDesc, RecBuf, Options);
    case dtWideString: return TextCompare(ValuePtr, true, FieldDesc, RecBuf, Options);
    default: break;
    }
    Integer fieldType = 0;
    bool blank = true, native = true;
    void* fieldBuf = GetFieldBuf(RecBuf, FieldDesc, fieldType, blank, native);
    const TFieldBufHold hold{fieldBuf, native};
    const Byte* field = static_cast<const Byte*>(fieldBuf);
    switch (ValueType) {
    case dtInt8: return Sign(Load<std::int8_t>(ValuePtr), Load<std::int8_t>(field));
    case dtInt16: return Sign(Load<std::int16_t>(ValuePtr), Load<std::int16_t>(field));
    case dtInt32: return Sign(Load<Integer>(ValuePtr), Load<Integer>(field));
    case dtUInt16: return Sign(Load<Word>(ValuePtr), Load<Word>(field));
    case dtUInt32: return Sign(Load<LongWord>(ValuePtr), Load<LongWord>(field));
    case dtInt64: return Sign(Load<Int64>(ValuePtr), Load<Int64>(field));
    case dtFloat:
    case dtCurrency:
    case dtDate:
    case dtTime:
    case dtDateTime: return Sign(Load<double>(ValuePtr), Load<double>(field));
    case dtBoolean: {
        const bool a = Load<Byte>(ValuePtr) != 0, b = Load<Word>(field) != 0;
        return a == b ? 0 : (a ? 1 : -1);
    }
    case dtBCD: {
        const Int64 stored = Load<Int64>(static_cast<const Byte*>(RecBuf) + FieldDesc->Offset());
        return Sign(Int64(Round(Load<double>(ValuePtr) * 10000)), stored);
    }
    case dtFMTBCD: {
        const Variant a = VarFMTBcdCreate(Load<TBcd>(ValuePtr)),
                      b = VarFMTBcdCreate(Load<TBcd>(field));
        const TVariantRelationship r = VarCompareValue(a, b);
        return r == vrLessThan ? -1 : (r == vrGreaterThan ? 1 : 0);
    }
    case dtSQLTimeStamp: {
        const TSQLTimeStamp a = Load<TSQLTimeStamp>(ValuePtr), b = Load<TSQLTimeStamp>(field);
        if (a.Year != b.Year) return Sign(a.Year, b.Year);
        for (auto part : {&TSQLTimeStamp::Month, &TSQLTimeStamp::Day, &TSQLTimeStamp::Hour,
                          &TSQLTimeStamp::Minute, &TSQLTimeStamp::Second})
            if (a.*part != b.*part) return Sign(a.*part, b.*part);
        return Sign(a.Fractions, b.Fractions);
    }
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes: {
        const Byte* value = static_cast<const Byte*>(ValuePtr);
        Integer stored = VarBytesCount(field);
        if (FieldDesc->DataType() == dtBytes && native) stored = FieldDesc->Length();
        const Byte* bytes = FieldDesc->DataType() == dtBytes && native ? field : field + 2;
        return CompareBytes(value + 2, VarBytesCount(value), bytes, stored, Options);
    }
    case dtVariant: {
        const Variant& V = Load<TVariantObject*>(ValuePtr)->Value();
        const Variant& F = Load<TVariantObject*>(field)->Value();
        auto byKind = [&] { return VarType(F) >= VarType(V) ? -1 : 1; };
        if (IsByteArray(V) || IsByteArray(F)) {
            if (VarIsNull(F) && VarIsNull(V)) return 0;
            if (VarIsNull(F)) return 1;
            if (VarIsNull(V)) return -1;
            if (!(IsByteArray(V) && IsByteArray(F))) return byKind();
            Variant v = V, f = F;
            const Integer n = VarArrayHighBound(v, 1) - VarArrayLowBound(v, 1) + 1;
            const Integer m = VarArrayHighBound(f, 1) - VarArrayLowBound(f, 1) + 1;
            if (n != m) return Sign(n, m);
            const Byte* a = static_cast<const Byte*>(VarArrayLock(v));
            const Byte* b = static_cast<const Byte*>(VarArrayLock(f));
            const int c = n > 0 ? std::memcmp(a, b, std::size_t(n)) : 0;
            VarArrayUnlock(v);
            VarArrayUnlock(f);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        if (VarType(V) == VarType(F) || (IsNumericKind(VarType(V)) && IsNumericKind(VarType(F)))) {
            const TVariantRelationship r = VarCompareValue(V, F);
            return r == vrLessThan ? -1 : (r == vrGreaterThan ? 1 : 0);
        }
        if (VarIsStr(V) || VarIsStr(F))
            return CompareAnsiStrEx(UnicodeToAnsi(VarToStr(V)), UnicodeToAnsi(VarToStr(F)),
                                    Options);
        return byKind();
    }
    default: throw EAssertionFailed(L"Unknown ValueType = " + IntToStr(Integer(ValueType)));
    }
}
