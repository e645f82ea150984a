// Number and money texts with the settings' decimal separator. Floats reuse the library's
// shortest-text conversions and swap the separator; money goes through TBcd so that it is read
// and written exactly, never through a binary double.
#include "framework/FormatSettings.h"

#include "framework/Conversions.h"
#include "framework/FMTBcd.h"

namespace {

// The text with the settings' separator written as '.', or false when the text holds a '.'
// that is not the separator (under a comma locale "1.5" is not a number).
bool ToPointText(const UnicodeString& text, wchar_t separator, UnicodeString& result) {
    result = text;
    if (separator == L'.') return true;
    for (wchar_t& c : result) {
        if (c == L'.') return false;
        if (c == separator) c = L'.';
    }
    return true;
}

} // namespace

UnicodeString FloatToStr(double value, const TFormatSettings& settings) {
    UnicodeString text = FloatToStr(value);
    for (wchar_t& c : text)
        if (c == L'.') c = settings.DecimalSeparator;
    return text;
}

bool TryStrToFloat(const UnicodeString& text, double& value, const TFormatSettings& settings) {
    UnicodeString pointText;
    return ToPointText(text, settings.DecimalSeparator, pointText) &&
           TryStrToFloat(pointText, value);
}

double StrToFloat(const UnicodeString& text, const TFormatSettings& settings) {
    double value;
    if (!TryStrToFloat(text, value, settings))
        throw EConvertError(L"'" + text + L"' is not a valid floating point value");
    return value;
}

UnicodeString CurrToStr(Currency value, const TFormatSettings& settings) {
    TBcd bcd;
    CurrToBCD(value, bcd); // always fits: 19 digits at most
    return BcdToStr(bcd, settings.DecimalSeparator);
}

bool TryStrToCurr(const UnicodeString& text, Currency& value, const TFormatSettings& settings) {
    TBcd bcd;
    return TryStrToBcd(text, bcd, settings.DecimalSeparator) && BCDToCurr(bcd, value);
}

Currency StrToCurr(const UnicodeString& text, const TFormatSettings& settings) {
    Currency value;
    if (!TryStrToCurr(text, value, settings))
        throw EConvertError(L"'" + text + L"' is not a valid currency value");
    return value;
}
