// Words of a text. The loose rule tests codes up to 0x44F by their low byte, as stored skins
// and callers expect; the strict rule takes only 8-bit codes as delimiters.
#include "skin/engine/sGeneralUtils.h"

namespace {

bool IsStrictDelimiter(wchar_t C, const TSysCharSet& Delims) {
    return C <= 0xFF && Delims.Contains(static_cast<Byte>(C));
}

template <typename IsDelim> int WordPos(int N, const UnicodeString& S, IsDelim isDelim) {
    const int length = static_cast<int>(S.size());
    int count = 0;
    int i = 1;
    while (i <= length && count != N) {
        while (i <= length && isDelim(S[i - 1])) ++i;
        if (i <= length) {
            ++count;
            if (count == N) return i;
            while (i <= length && !isDelim(S[i - 1])) ++i;
        }
    }
    return 0;
}

template <typename IsDelim> int WordCount(const UnicodeString& S, IsDelim isDelim) {
    int count = 0;
    bool inWord = false;
    for (wchar_t c : S) {
        const bool delim = isDelim(c);
        if (!delim && !inWord) ++count;
        inWord = !delim;
    }
    return count;
}

} // namespace

bool IsDelimiterChar(wchar_t C, const TSysCharSet& Delims) {
    return C <= 0x44F && Delims.Contains(static_cast<Byte>(C & 0xFF));
}

int NthWordPos(int N, const UnicodeString& S, const TSysCharSet& Delims) {
    return WordPos(N, S, [&](wchar_t c) { return IsDelimiterChar(c, Delims); });
}

int CountWords(const UnicodeString& S, const TSysCharSet& Delims) {
    return WordCount(S, [&](wchar_t c) { return IsDelimiterChar(c, Delims); });
}

int NthWordPosStrict(int N, const UnicodeString& S, const TSysCharSet& Delims) {
    return WordPos(N, S, [&](wchar_t c) { return IsStrictDelimiter(c, Delims); });
}

int CountWordsStrict(const UnicodeString& S, const TSysCharSet& Delims) {
    return WordCount(S, [&](wchar_t c) { return IsStrictDelimiter(c, Delims); });
}

UnicodeString ExtractNthWord(int N, const UnicodeString& S, const TSysCharSet& Delims) {
    const int start = NthWordPosStrict(N, S, Delims);
    if (start == 0) return {};
    std::size_t end = static_cast<std::size_t>(start - 1);
    while (end < S.size() && !IsStrictDelimiter(S[end], Delims)) ++end;
    return S.substr(start - 1, end - (start - 1));
}

UnicodeString StripChar(const UnicodeString& S, wchar_t Ch) {
    UnicodeString result;
    for (wchar_t c : S)
        if (c != Ch) result += c;
    return result;
}

UnicodeString ReplaceAllText(const UnicodeString& S, const UnicodeString& Old,
                             const UnicodeString& New) {
    if (Old.empty()) return S;
    UnicodeString result;
    std::size_t from = 0;
    for (std::size_t at = S.find(Old); at != UnicodeString::npos; at = S.find(Old, from)) {
        result.append(S, from, at - from);
        result += New;
        from = at + Old.size();
    }
    result.append(S, from, UnicodeString::npos);
    return result;
}
