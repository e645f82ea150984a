// Format's template reader. Each specifier is parsed into a TSpec, checked against the type its
// argument carries, turned into text and padded to its width. Every mistake in a template or an
// argument list surfaces as EConvertError naming the specifier, so a bad template fails loudly
// where it is used instead of printing something else.
#include "framework/Format.h"

#include "framework/Conversions.h"

namespace {

constexpr int DefaultFixedDecimals = 2;
constexpr int DefaultSignificantDigits = 15;

struct TSpec {
    size_t Start = 0; // the '%'
    size_t End = 0;   // one past the type character
    bool LeftJustify = false;
    int Width = 0;
    int Precision = -1; // -1: none given
    wchar_t Type = 0;   // lower case
};

UnicodeString SpecText(const UnicodeString& templateText, const TSpec& spec) {
    return templateText.substr(spec.Start, spec.End - spec.Start);
}

[[noreturn]] void RaiseInvalid(const UnicodeString& specText) {
    throw EConvertError(L"Format '" + specText + L"' invalid or incompatible with argument");
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int ReadNumber(const UnicodeString& text, size_t& i) {
    int value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 100000) RaiseInvalid(text); // no sane width or precision is this large
    }
    return value;
}

TSpec ParseSpec(const UnicodeString& text, size_t start) {
    TSpec spec;
    spec.Start = start;
    size_t i = start + 1;
    spec.LeftJustify = i < text.size() && text[i] == L'-';
    if (spec.LeftJustify) ++i;
    spec.Width = ReadNumber(text, i);
    if (i < text.size() && text[i] == L'.') spec.Precision = ReadNumber(text, ++i);
    if (i >= text.size()) RaiseInvalid(text.substr(start));
    spec.Type = text[i] >= L'A' && text[i] <= L'Z' ? static_cast<wchar_t>(text[i] + 32) : text[i];
    spec.End = i + 1;
    if (UnicodeString(L"duxsfneg").find(spec.Type) == UnicodeString::npos)
        RaiseInvalid(SpecText(text, spec));
    return spec;
}

UnicodeString ZeroPadded(UnicodeString digits, int precision) {
    if (static_cast<int>(digits.size()) < precision)
        digits.insert(0, precision - digits.size(), L'0');
    return digits;
}

UnicodeString FormatDecimal(const TFormatArg& arg, int precision) {
    if (!arg.IsSigned()) return ZeroPadded(UIntToStr(arg.AsBits()), precision);
    const Int64 value = arg.AsInteger();
    // The magnitude as unsigned, so that the smallest Int64 has one too.
    const UInt64 magnitude =
        value < 0 ? UInt64{0} - static_cast<UInt64>(value) : static_cast<UInt64>(value);
    return (value < 0 ? L"-" : L"") + ZeroPadded(UIntToStr(magnitude), precision);
}

UnicodeString FormatFloatArg(const TSpec& spec, double value) {
    const bool fixed = spec.Type == L'f' || spec.Type == L'n';
    const int defaultPrecision = fixed ? DefaultFixedDecimals : DefaultSignificantDigits;
    const int precision = spec.Precision < 0 ? defaultPrecision : spec.Precision;
    switch (spec.Type) {
    case L'f': return FormatFixed(value, precision);
    case L'n': return FormatFixed(value, precision, true);
    case L'e': return FormatScientific(value, precision);
    default: return FormatGeneral(value, precision);
    }
}

// %s precision: the most characters shown, none given meaning all.
size_t MaxLength(int precision) { return precision < 0 ? std::wstring_view::npos : precision; }

TFormatArg::TKind KindFor(wchar_t type) {
    switch (type) {
    case L'd':
    case L'u':
    case L'x': return TFormatArg::akInteger;
    case L's': return TFormatArg::akText;
    default: return TFormatArg::akFloat;
    }
}

// The argument's text before padding; the caller has checked that its kind suits the type.
UnicodeString ArgText(const TSpec& spec, const TFormatArg& arg) {
    switch (spec.Type) {
    case L'd': return FormatDecimal(arg, spec.Precision);
    case L'u': return ZeroPadded(UIntToStr(arg.AsBits()), spec.Precision);
    case L'x': return UIntToHex(arg.AsBits(), spec.Precision);
    case L's': return UnicodeString(arg.AsText().substr(0, MaxLength(spec.Precision)));
    default: return FormatFloatArg(spec, arg.AsFloat());
    }
}

UnicodeString Padded(const UnicodeString& text, const TSpec& spec) {
    if (static_cast<int>(text.size()) >= spec.Width) return text;
    const UnicodeString blanks(spec.Width - text.size(), L' ');
    return spec.LeftJustify ? text + blanks : blanks + text;
}

} // namespace

UnicodeString Format(const UnicodeString& templateText, std::initializer_list<TFormatArg> args) {
    UnicodeString result;
    auto next = args.begin();
    size_t i = 0;
    for (size_t percent; (percent = templateText.find(L'%', i)) != UnicodeString::npos;) {
        result.append(templateText, i, percent - i);
        if (percent + 1 < templateText.size() && templateText[percent + 1] == L'%') {
            result += L'%';
            i = percent + 2;
            continue;
        }
        const TSpec spec = ParseSpec(templateText, percent);
        if (next == args.end())
            throw EConvertError(L"No argument for format '" + SpecText(templateText, spec) + L"'");
        const TFormatArg& arg = *next++;
        if (arg.Kind() != KindFor(spec.Type)) RaiseInvalid(SpecText(templateText, spec));
        result += Padded(ArgText(spec, arg), spec);
        i = spec.End;
    }
    return result.append(templateText, i, UnicodeString::npos);
}
