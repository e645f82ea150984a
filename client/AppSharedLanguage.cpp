// The language rule of the client's texts and the conversions between the Chinese scripts.
// Every text exists as an English and a simplified Chinese text; traditional Chinese is made
// from the simplified one at the moment it is shown, by the system's locale mapping.
#include "client/AppShared.h"

#include <atomic>

namespace {

std::atomic<TChineseConverter> TraditionalConverter{&ToTraditionalChinese};

UnicodeString MapChinese(const UnicodeString& text, DWORD mapping) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    UnicodeString mapped(text.size(), L'\0');
    const int written =
        LCMapStringW(LOCALE_USER_DEFAULT, mapping, text.data(), length, mapped.data(), length);
    return written == length ? mapped : text;
}

} // namespace

UnicodeString ToTraditionalChinese(const UnicodeString& text) {
    return MapChinese(text, LCMAP_TRADITIONAL_CHINESE);
}

UnicodeString ToSimplifiedChinese(const UnicodeString& text) {
    return MapChinese(text, LCMAP_SIMPLIFIED_CHINESE);
}

TChineseConverter SetTraditionalConverter(TChineseConverter converter) {
    return TraditionalConverter.exchange(converter ? converter : &ToTraditionalChinese);
}

UnicodeString LangText(const UnicodeString& english, const UnicodeString& chinese) {
    switch (lang_code) {
    case LangEnglish: return english;
    case LangTraditional: return TraditionalConverter.load()(chinese);
    default: return chinese;
    }
}

Integer DetectSystemLanguage(LANGID language) {
    switch (language) {
    case 1028: return 2;
    case 1033: return 0;
    case 2052: return 1;
    default: return 3;
    }
}

Integer DetectSystemLanguage() { return DetectSystemLanguage(GetSystemDefaultLangID()); }
