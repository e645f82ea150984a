// Reading gradient texts into bands.
#include "skin/engine/sGradient.h"

#include "framework/Conversions.h"
#include "skin/engine/sGeneralUtils.h"

#include <algorithm>

void ParseGradientData(const UnicodeString& Text, TsGradArray& Arr) {
    Arr.clear();
    if (Text.empty()) return;
    const TSysCharSet delims{';'};
    const int bands = CountWordsStrict(Text, delims) / 5;
    Arr.resize(bands);
    auto word = [&](int number) { return StrToInt(ExtractNthWord(number, Text, delims)); };
    for (int k = 0; k < bands; ++k) {
        TsGradPie& pie = Arr[k];
        pie.Color1 = static_cast<TColor>(std::max(0, word(5 * k + 1)));
        pie.Color2 = static_cast<TColor>(std::max(0, word(5 * k + 2)));
        pie.Percent = std::clamp(word(5 * k + 3), 0, 100);
        pie.Mode1 = word(5 * k + 4);
    }
}
