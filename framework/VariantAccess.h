// The variant implementation's view of a Variant's kind and payload, shared by the Variants*.cpp
// files only (other code goes through framework/Variants.h). Payload by kind:
//   integer kinds and Boolean (True -1, False 0)  Int64      varUInt64            UInt64
//   varCurrency                                   Int64, the value × 10 000
//   varSingle, varDouble, varDate                 double
//   varOleStr, varUString / varString             UnicodeString / AnsiString
//   varFMTBcd / varSQLTimeStamp / varByRef        TBcd / TSQLTimeStamp / void*
//   varArray | kind                               shared TVarArrayData (copied before a change
//                                                 while another variant shares it)
#pragma once

#include "framework/Variants.h"

struct VariantAccess {
    static Variant Make(TVarType type, Variant::Payload value) {
        Variant v;
        v.FType = type;
        v.FValue = std::move(value);
        return v;
    }
    static const Variant::Payload& Payload(const Variant& v) { return v.FValue; }

    template <class T> static const T& Get(const Variant& v) { return std::get<T>(v.FValue); }

    // The array of an array variant, made unshared first.
    static TVarArrayData& UniqueArray(Variant& v);
    static const TVarArrayData& Array(const Variant& v);
};

// Conversion failures, named by the two kinds.
[[noreturn]] void VarCastError(TVarType from, TVarType to);
[[noreturn]] void VarOverflowError(TVarType from, TVarType to);
[[noreturn]] void VarInvalidOp();

bool IsTextKind(TVarType type) noexcept;
bool IsIntegerKind(TVarType type) noexcept;
// The text of a text kind (8-bit text through the ANSI code page).
UnicodeString TextOf(const Variant& v);
