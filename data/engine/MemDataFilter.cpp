// The filter lexer's tables and string scan, and the pattern match of filter texts.
#include "data/engine/MemDataFilter.h"

double FilterFloatTolerance = 0;

const TLexemTable& BoolSymbolLexems() {
    static const TLexemTable table({{L"=", flEqual},
                                    {L">", flMore},
                                    {L"<", flLess},
                                    {L">=", flMoreEqual},
                                    {L"<=", flLessEqual},
                                    {L"<>", flNoEqual},
                                    {L"(", flOpen},
                                    {L")", flClose},
                                    {L"-", flMinus},
                                    {L"+", flPlus},
                                    {L"[", flLeftBracket},
                                    {L"]", flRightBracket}});
    return table;
}

const TLexemTable& BoolKeywordLexems() {
    static const TLexemTable table({{L"AND", flAnd},
                                    {L"FALSE", flFalse},
                                    {L"IS", flIs},
                                    {L"LIKE", flLike},
                                    {L"NOT", flNot},
                                    {L"NULL", flNull},
                                    {L"OR", flOr},
                                    {L"TRUE", flTrue}});
    return table;
}

void TBoolParser::InitParser() {
    TParser::InitParser();
    FSymbolLexems = &BoolSymbolLexems();
    FKeywordLexems = &BoolKeywordLexems();
}

void TBoolParser::SkipToChar(wchar_t c) {
    const Integer first = Pos;
    while (Pos <= TextLength) {
        if (CharAt(Pos) == c) {
            if (c == L'\'' && Pos > first && CharAt(Pos + 1) == L'\'') {
                Pos += 2;
                continue;
            }
            return;
        }
        ++Pos;
    }
}

namespace {
enum TMatch { mMatch, mNoMatch, mTextEnd };

bool IsWildcard(wchar_t c) { return c == L'%' || c == L'*'; }

TMatch Match(const UnicodeString& T, const UnicodeString& P, std::size_t i, std::size_t j) {
    while (j < P.size() && (i < T.size() || IsWildcard(P[j]))) {
        if (!IsWildcard(P[j])) {
            if (T[i] != P[j] && P[j] != L'_') return mNoMatch;
            ++i;
            ++j;
        } else if (j + 1 == P.size()) {
            return mMatch;
        } else {
            const TMatch rest = Match(T, P, i, j + 1);
            if (rest != mNoMatch) return rest;
            if (i >= T.size()) return mTextEnd;
            ++i;
        }
    }
    if (i < T.size()) return mNoMatch;
    return j >= P.size() ? mMatch : mTextEnd;
}
} // namespace

bool MatchesPattern(const UnicodeString& Text, const UnicodeString& Pattern) {
    return Match(Text, Pattern, 0, 0) == mMatch;
}
