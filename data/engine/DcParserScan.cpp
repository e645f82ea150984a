// TParser: set-up, character classes and the scan of one lexeme in text and stream mode.
//
// A scan starts right after the previous lexeme: `OldPos` and the previous line/column record
// that point, before blanks and comments are skipped. Window positions are 1-based; `Pos` is the
// next character to read and `TextLength` the last one.
#include "data/engine/DcParser.h"

#include "framework/Conversions.h"

#include <windows.h>

#include <cstdio>

namespace {
constexpr wchar_t CR = 13, LF = 10;

UnicodeString UserDecimalSeparator() {
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) == 0) return L".";
    return buffer;
}

UnicodeString UpperAscii(UnicodeString text) {
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - 32);
    return text;
}
} // namespace

TParser::TParser(const UnicodeString& Text) { SetText(Text); }

TParser::TParser(TStream* Stream, Encoding* AEncoding)
    : FStream(Stream), FEncoding(AEncoding ? AEncoding : Encoding::Default()) {
    FStartOffset = Stream->Position();
}

void TParser::SetText(const UnicodeString& Text) {
    FCurrentBlock = Text;
    FBlockOffset = 1;
    FBlockSize = Integer(Text.size());
    TextLength = FBlockSize;
    ToBegin();
}

void TParser::InitParser() {
    FSymbolLexems = &GenericSymbolLexems();
    FKeywordLexems = &GenericKeywordLexems();
    CommentBegin = L"/*";
    CommentEnd = L"*/";
    DecSeparator = UserDecimalSeparator();
    FOmitBlank = true;
    FUppered = true;
    FQuotedString = false;
    BuildCharClasses();
    ToBegin();
}

void TParser::ToBegin() {
    Pos = OldPos = OldOldPos = 1;
    FCurrBegLine = 1;
    FPrevBegLine = 1;
    FFirstBlockOffset = FBlockOffset = 1;
    FCurrLine = FPrevLine = 0;
    Offset = 0;
    FLexemPos = FSavedPos = -1;
    if (FStream) RewindStream();
}

// --- character classes ---

bool TParser::IsBlankChar(wchar_t c) { return c == 9 || c == 10 || c == 13 || c == 32; }
bool TParser::IsSymbolChar(wchar_t c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 94) || c == 96 ||
           (c >= 123 && c <= 126);
}
bool TParser::IsAlphaChar(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c >= 128;
}
bool TParser::IsDigitChar(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool TParser::IsStringQuote(wchar_t c) { return c == L'\'' || c == L'"'; }
bool TParser::IsIdentQuote(wchar_t) { return false; }
bool TParser::IsInlineComment(Integer position) {
    return position < TextLength && CharAt(position) == L'/' && CharAt(position + 1) == L'/';
}

// The predicates are asked once per ASCII code here; other codes ask them each time.
void TParser::BuildCharClasses() {
    for (wchar_t c = 0; c < 128; ++c) {
        Byte mask = 0;
        for (Byte bit = 1; bit <= ccIdentQuote; bit <<= 1)
            if (SlowIs(c, bit)) mask |= bit;
        FCharClass[c] = mask;
    }
}

// True when any class of `mask` holds for `c`.
bool TParser::SlowIs(wchar_t c, Byte mask) {
    return ((mask & ccBlank) && IsBlankChar(c)) || ((mask & ccSymbol) && IsSymbolChar(c)) ||
           ((mask & ccAlpha) && IsAlphaChar(c)) || ((mask & ccDigit) && IsDigitChar(c)) ||
           ((mask & ccStringQuote) && IsStringQuote(c)) ||
           ((mask & ccIdentQuote) && IsIdentQuote(c));
}

bool TParser::TextAt(Integer i, const UnicodeString& text) {
    if (text.empty() || i + Integer(text.size()) - 1 > TextLength) return false;
    for (std::size_t k = 0; k < text.size(); ++k)
        if (CharAt(i + Integer(k)) != text[k]) return false;
    return true;
}

UnicodeString TParser::Text(Integer position, Integer length) {
    UnicodeString text;
    AssignText(text, position, length);
    return text;
}

// Into the caller's string, whose buffer is reused: most lexemes then cost no allocation.
void TParser::AssignText(UnicodeString& text, Integer position, Integer length) {
    const Integer k = position - FBlockOffset;
    if (k >= 0 && k + length <= FBlockSize) return void(text.assign(FCurrentBlock, k, length));
    text.resize(length);
    for (Integer n = 0; n < length; ++n) text[n] = CharAt(position + n);
}

const TLexemTable::TEntry* TParser::FindAt(const TLexemTable& table, Integer position,
                                           Integer length) {
    const Integer k = position - FBlockOffset;
    if (k >= 0 && k + length <= FBlockSize) return table.Find(FCurrentBlock.data() + k, length);
    const UnicodeString text = Text(position, length);
    return table.Find(text.data(), length);
}

// --- line counting ---

// Steps over one character; CR LF is one line break, any other CR or LF is one too.
void TParser::StepCountingLines() {
    const wchar_t c = CharAt(Pos);
    ++Pos;
    if (c != CR && c != LF) return;
    if (c == CR && Pos <= TextLength && CharAt(Pos) == LF) ++Pos;
    ++FCurrLine;
    FCurrBegLine = Pos;
}

void TParser::SkipToChar(wchar_t c) {
    if (FStream || FAdvancedStringParsing) return SkipToCharCountingLines(c);
    while (Pos <= TextLength && CharAt(Pos) != c) ++Pos;
}

void TParser::SkipToCharCountingLines(wchar_t c) {
    while (Pos <= TextLength && CharAt(Pos) != c) StepCountingLines();
}

// --- the scan ---

Integer TParser::GetNext(UnicodeString& Lexem) {
    Integer code = Scan();
    if (code > 0)
        Lexem = FLexem;
    else if (FLexemPos < 0)
        Lexem.clear();
    else
        AssignText(Lexem, FLexemPos, FLexemLength);
    if (code != lcIdent || FOmitKeywords || !FKeywordLexems || FLexemLength == 0) return code;
    const TLexemTable::TEntry* keyword = FindAt(*FKeywordLexems, FLexemPos, FLexemLength);
    if (!keyword) return code;
    // A keyword matched: the lexeme is the keyword in some mix of ASCII cases.
    if (FUppered) Lexem = LocaleUpperIsAsciiUpper() ? keyword->Text : AnsiUpperCase(Lexem);
    return keyword->Code;
}

Integer TParser::GetNextCode() {
    UnicodeString ignored;
    return GetNext(ignored);
}

Integer TParser::ToLexem(Integer Code) {
    Integer code;
    do code = GetNextCode();
    while (code != Code && code != lcEnd);
    return code;
}

bool TParser::ToLexem(const UnicodeString& Lexem) {
    struct TRestore { // the target and the flag are cleared on every exit
        TParser& P;
        ~TRestore() {
            P.FDesiredLexem.clear();
            P.FDesiredLexemFound = false;
        }
    } restore{*this};
    FDesiredLexem = UpperAscii(Lexem);
    FDesiredLexemFound = false;
    while (!FDesiredLexemFound && Scan() != lcEnd) {
    }
    return FDesiredLexemFound;
}

void TParser::Back() {
    Pos = Integer(OldPos - Offset);
    FCurrLine = FPrevLine;
    FCurrBegLine = Integer(FPrevBegLine - Offset);
}

void TParser::SkipBlanks() {
    while (Pos <= TextLength && Is(CharAt(Pos), ccBlank)) StepCountingLines();
}

// An inline or block comment at Pos: true with the lexeme set and Pos past it.
bool TParser::SkipComment() {
    const Integer start = Pos;
    if (IsInlineComment(Pos)) {
        while (Pos <= TextLength && CharAt(Pos) != CR && CharAt(Pos) != LF) ++Pos;
    } else if (TextAt(Pos, CommentBegin)) {
        // The search for the end starts at the opening delimiter itself, so "/*/" is complete.
        while (Pos <= TextLength && !TextAt(Pos, CommentEnd)) StepCountingLines();
        if (Pos <= TextLength) Pos += Integer(CommentEnd.size());
    } else {
        return false;
    }
    SetLexem(start, Pos - start);
    return true;
}

Integer TParser::Scan() {
    OldOldPos = OldPos;
    OldPos = Pos + Offset;
    FPrevLine = FCurrLine;
    FPrevBegLine = FCurrBegLine + Offset;
    FLexemPos = -1;
    FLexemLength = 0;
    FSavedPos = Pos;
    for (;;) {
        if (Pos > TextLength) return lcEnd;
        CharAt(Pos);
        if (FStream) Rebase();
        const Integer start = Pos;
        SkipBlanks();
        if (!FOmitBlank && Pos > start) {
            SetLexem(start, Pos - start);
            return lcBlank;
        }
        if (Pos > TextLength) return lcEnd;
        if (!SkipComment()) break;
        if (!FOmitComment) return lcComment;
    }
    const wchar_t c = CharAt(Pos);
    Integer code;
    if (Is(c, ccSymbol)) {
        if (Is(c, ccStringQuote))
            code = ScanQuoted(c, lcString);
        else if (Is(c, ccIdentQuote))
            code = ScanQuoted(c, lcIdent);
        else if (FDollarQuoting && c == L'$' && Pos < TextLength && !Is(CharAt(Pos + 1), ccDigit))
            code = ScanDollarLiteral();
        else
            code = ScanSymbol();
    } else if (Is(c, ccAlpha) || c == L'_') {
        code = ScanIdent();
    } else if (Is(c, ccDigit)) {
        code = ScanNumber();
    } else {
        UnknownSymbol(c);
    }
    if (!FDesiredLexem.empty() && IsDesired(code)) FDesiredLexemFound = true;
    return code;
}

bool TParser::IsDesired(Integer code) {
    if (code > 0) return FLexem == FDesiredLexem;
    if (code == lcSymbol) return FDesiredLexem.size() == 1 && LexemText() == FDesiredLexem;
    if (code == lcNumber) return LexemText() == FDesiredLexem;
    return code == lcIdent && !Is(CharAt(FLexemPos), ccIdentQuote) &&
           UpperAscii(LexemText()) == FDesiredLexem;
}

// A string or a quoted identifier: no escapes, a doubled quote closes the text.
Integer TParser::ScanQuoted(wchar_t c, Integer code) {
    const Integer start = Pos++;
    SkipToChar(c);
    const bool closed = Pos <= TextLength;
    if (closed) ++Pos;
    if (code == lcIdent || FQuotedString)
        SetLexem(start, Pos - start);
    else
        SetLexem(start + 1, Pos - start - 1 - (closed ? 1 : 0));
    return code;
}

// $tag$ ... $tag$: the first later candidate "$...$" equal to the tag closes the literal.
Integer TParser::ScanDollarLiteral() {
    const Integer start = Pos;
    Integer i = Pos + 1;
    while (i <= TextLength && CharAt(i) != L'$') ++i;
    const UnicodeString tag = Text(Pos + 1, i - Pos - 1);
    const Integer contentStart = i + 1;
    Integer candidate = i + 1;
    Integer contentEnd = -1, end = TextLength + 1;
    while (contentEnd < 0) {
        while (candidate <= TextLength && CharAt(candidate) != L'$') ++candidate;
        if (candidate > TextLength) break;
        Integer close = candidate + 1;
        while (close <= TextLength && CharAt(close) != L'$') ++close;
        if (close > TextLength) break;
        if (close - candidate - 1 == Integer(tag.size()) &&
            Text(candidate + 1, Integer(tag.size())) == tag) {
            contentEnd = candidate;
            end = close + 1;
        }
        candidate = close;
    }
    Pos = std::min(end, TextLength + 1);
    if (FQuotedString)
        SetLexem(start, Pos - start);
    else if (contentEnd >= 0)
        SetLexem(contentStart, contentEnd - contentStart);
    else
        SetLexem(contentStart, std::max(0, Pos - contentStart));
    return lcString;
}

// Extends the symbol while the table knows the longer text; the first miss ends the search.
Integer TParser::ScanSymbol() {
    const Integer start = Pos;
    const TLexemTable::TEntry* hit = nullptr;
    Integer length = 1;
    for (;;) {
        const TLexemTable::TEntry* entry =
            FSymbolLexems ? FindAt(*FSymbolLexems, start, length) : nullptr;
        if (!entry) break;
        hit = entry;
        if (start + length > TextLength || !Is(CharAt(start + length), ccSymbol)) break;
        ++length;
    }
    if (!hit) {
        Pos = start + 1;
        SetLexem(start, 1);
        return lcSymbol;
    }
    Pos = start + Integer(hit->Text.size());
    SetLexem(start, Pos - start);
    FLexem = hit->Text;
    return hit->Code;
}

Integer TParser::ScanIdent() {
    const Integer start = Pos++;
    while (Pos <= TextLength) {
        const wchar_t c = CharAt(Pos);
        if (!Is(c, ccAlpha | ccDigit) && c != L'_') break;
        ++Pos;
    }
    const wchar_t first = CharAt(start);
    if (FAlternativeQuoting && Pos == start + 1 && (first == L'q' || first == L'Q') &&
        Pos <= TextLength && Is(CharAt(Pos), ccStringQuote))
        return ScanQLiteral(start);
    SetLexem(start, Pos - start);
    return lcIdent;
}

// q'<open> ... <close>'; the literal ends right after a quote that follows a closer.
Integer TParser::ScanQLiteral(Integer start) {
    const wchar_t quote = CharAt(Pos);
    const wchar_t open = CharAt(Pos + 1);
    const wchar_t close = open == L'('   ? L')'
                          : open == L'<' ? L'>'
                          : open == L'[' ? L']'
                          : open == L'{' ? L'}'
                                         : open;
    Integer i = Pos + 2;
    while (i < TextLength && !(CharAt(i) == close && CharAt(i + 1) == quote)) ++i;
    Pos = i < TextLength ? i + 2 : TextLength + 1;
    const Integer length = Pos - start;
    if (FQuotedString)
        SetLexem(start, length);
    else
        SetLexem(start + 3, std::max(0, length - 5));
    return lcString;
}

// Digits, then the decimal separator and digits; no sign and no exponent.
Integer TParser::ScanNumber() {
    const Integer start = Pos;
    while (Pos <= TextLength && Is(CharAt(Pos), ccDigit)) ++Pos;
    const Integer separator = Integer(DecSeparator.size());
    if (TextAt(Pos, DecSeparator) && Pos + separator <= TextLength &&
        Is(CharAt(Pos + separator), ccDigit)) {
        Pos += separator;
        while (Pos <= TextLength && Is(CharAt(Pos), ccDigit)) ++Pos;
    }
    SetLexem(start, Pos - start);
    return lcNumber;
}

void TParser::UnknownSymbol(wchar_t c) {
    wchar_t code[8];
    std::swprintf(code, 8, L"%04X", unsigned(c));
    throw Exception(UnicodeString(L"Parser: The unknown symbol '") + c + L"'  $" + code);
}
