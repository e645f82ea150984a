// `Format`: fills a template's specifiers from typed arguments. The arguments carry their type,
// so a specifier that does not suit its argument, or a missing argument, raises EConvertError
// instead of reading garbage; the template never reaches the C runtime's printf.
//
// A specifier is "%" ["-"] [width] ["." precision] type, and "%%" writes one "%":
//   d      decimal integer; precision = minimum digits, padded with zeros after the sign
//   u      unsigned decimal; a negative argument is read as its two's complement
//   x, X   upper-case hexadecimal of the two's complement; precision as for d
//   s      text; precision = maximum characters
//   f      fixed-point number; precision = decimals (2 by default)
//   n      as f, with "," between groups of three digits
//   e      scientific "-d.ddd...E+ddd"; precision = significant digits (15 by default)
//   g      the shorter of fixed and scientific; precision = significant digits (15 by default)
// Width pads with blanks on the left, or on the right after "-". Arguments left over are
// ignored. A specifier that cannot be read raises EConvertError as a mismatch does.
#pragma once

#include "framework/Exceptions.h"
#include "framework/System.h"

#include <concepts>
#include <initializer_list>
#include <string_view>
#include <type_traits>

// One argument of Format. It only views text, so it lives as long as the call it is passed to.
class TFormatArg {
public:
    enum TKind { akInteger, akFloat, akText };

    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, wchar_t> && !std::same_as<T, char>)
        TFormatArg(T value)
        : FKind(akInteger), FSigned(std::is_signed_v<T>), FInteger(static_cast<Int64>(value)),
          FBits(static_cast<UInt64>(static_cast<std::make_unsigned_t<T>>(value))) {}
    TFormatArg(double value) : FKind(akFloat), FFloat(value) {}
    TFormatArg(const wchar_t* text) : FKind(akText), FText(text ? text : L"") {}
    TFormatArg(const UnicodeString& text) : FKind(akText), FText(text) {}
    TFormatArg(wchar_t c) : FKind(akText), FChar(c), FText(&FChar, 1) {}
    TFormatArg(const TFormatArg&) = delete;
    TFormatArg& operator=(const TFormatArg&) = delete;

    TKind Kind() const { return FKind; }
    bool IsSigned() const { return FSigned; }
    Int64 AsInteger() const { return FInteger; }
    // The integer's bits in its own width, as %u and %x show it.
    UInt64 AsBits() const { return FBits; }
    double AsFloat() const { return FFloat; }
    std::wstring_view AsText() const { return FText; }

private:
    TKind FKind;
    bool FSigned = false;
    Int64 FInteger = 0;
    UInt64 FBits = 0;
    double FFloat = 0;
    wchar_t FChar = 0;
    std::wstring_view FText;
};

UnicodeString Format(const UnicodeString& templateText, std::initializer_list<TFormatArg> args);

// The number layouts behind %f, %n, %e and %g. The value is first taken to 18 significant
// digits and then rounded half away from zero, so 0.125 shows as "0.13" with two decimals.
// NaN and the infinities are "NAN", "INF" and "-INF" in every layout.
UnicodeString FormatFixed(double value, int decimals, bool grouped = false);
// "-d.ddd...E+ddd" with `digits` significant digits (1 to 18).
UnicodeString FormatScientific(double value, int digits);
// Fixed notation while at most `digits` digits stand before the point and the value is not
// below 0.00001, else "d.dddE-ddd" (no "+"); at most `digits` significant digits (1 to 18),
// trailing zeros dropped.
UnicodeString FormatGeneral(double value, int digits);
