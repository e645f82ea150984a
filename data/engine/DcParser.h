// The lexer of the data engine and the data-access framework.
//
//   TLexemTable  a sorted table of symbol or keyword texts with their codes, looked up with
//                a-z upper-cased (keywords match case-insensitively for ASCII letters only)
//   TParser      splits a text, or a text read block by block from a stream, into lexemes:
//                blanks, "//" and "/* */" comments, quoted strings, identifiers, numbers with
//                the user's decimal separator, table symbols and keywords
//   TSQLParser   the SQL dialect: apostrophe strings, double-quoted identifiers, "--"
//                comments, its own tables and the clause codes the SQL processing asks about
//
// Positions inside the lexer are 1-based "window" positions relative to `Offset`, which stays 0
// in text mode; in stream mode the window is moved forward so that it stays within 32 bits for
// streams of any length. Stream positions count bytes for single-byte code pages and byte pairs
// for UTF-16; for UTF-8 and double-byte code pages they count decoded UTF-16 units, and a
// character split by a 64 KB block boundary is held back and decoded with the next block.
//
// Workload: every SQL text the framework inspects passes through here, often several times
// (macros, parameters, table names), so the scan avoids virtual calls per character: the
// character-class predicates are asked once per ASCII code when the lexer is set up.
//
// The shared tables are built by the module's start-up (DcParserModule) and read-only after.
#pragma once

#include "data/engine/CLRClasses.h"
#include "framework/Streams.h"

#include <vector>

enum TLexemCode : Integer {
    lcEnd = 0,
    lcSymbol = -102,
    lcIdent = -103,
    lcNumber = -105,
    lcString = -106,
    lcBlank = -107,
    lcComment = -108,
};

class TLexemTable {
public:
    struct TEntry {
        UnicodeString Text;
        Integer Code;
    };
    explicit TLexemTable(std::vector<TEntry> entries); // sorts them
    // The entry whose text equals `length` units at `text` (a-z upper-cased first), or nil.
    const TEntry* Find(const wchar_t* text, Integer length) const;
    Integer Count() const { return Integer(FEntries.size()); }
    const TEntry& operator[](Integer index) const { return FEntries[index]; }

private:
    std::vector<TEntry> FEntries;
};

// The shared tables (valid between the module's start-up and shutdown).
const TLexemTable& GenericSymbolLexems();
const TLexemTable& GenericKeywordLexems();
const TLexemTable& SQLSymbolLexems();
const TLexemTable& SQLKeywordLexems();
// Whether the user locale upper-cases a-z as ASCII does (not so in a Turkish locale): then a
// keyword's upper-case form is its table text.
bool LocaleUpperIsAsciiUpper();

class TParser : public TObject {
    CLASS_INFO(TParser, TObject)
public:
    // Text mode. Create through Construct<>, whose AfterConstruction runs InitParser.
    explicit TParser(const UnicodeString& Text);
    // Stream mode from the stream's position; nil means Encoding::Default(). Neither the stream
    // nor the encoding is owned.
    TParser(TStream* Stream, Encoding* AEncoding);
    void AfterConstruction() override { InitParser(); }

    void SetText(const UnicodeString& Text);
    virtual void ToBegin();
    // The next lexeme's code and text: a table's text for a positive code, otherwise the
    // lexeme as scanned. Identifiers that are keywords give the keyword's code.
    virtual Integer GetNext(UnicodeString& Lexem);
    Integer GetNextCode();
    // Scans until Code or the end; answers the last code.
    Integer ToLexem(Integer Code);
    // Scans, without keyword lookup, until a lexeme equals Lexem (a-z upper-cased).
    bool ToLexem(const UnicodeString& Lexem);
    // The next scan reads the last lexeme again.
    void Back();

    // 0-based positions and lines.
    Int64 CurrPos() const { return Pos + Offset - 1; }
    Int64 PrevPos() const { return OldPos - 1; }
    Int64 PrevPrevPos() const { return OldOldPos - 1; }
    Int64 CurrLine() const { return FCurrLine; }
    Int64 PrevLine() const { return FPrevLine; }
    Int64 CurrCol() const { return Pos - FCurrBegLine; }
    Int64 PrevCol() const { return OldPos - FPrevBegLine; }

    bool OmitBlank() const { return FOmitBlank; }
    void SetOmitBlank(bool value) { FOmitBlank = value; }
    bool OmitComment() const { return FOmitComment; }
    void SetOmitComment(bool value) { FOmitComment = value; }
    bool Uppered() const { return FUppered; }
    void SetUppered(bool value) { FUppered = value; }
    bool QuotedString() const { return FQuotedString; }
    void SetQuotedString(bool value) { FQuotedString = value; }
    bool AdvancedStringParsing() const { return FAdvancedStringParsing; }
    void SetAdvancedStringParsing(bool value) { FAdvancedStringParsing = value; }
    const TLexemTable* SymbolLexems() const { return FSymbolLexems; }
    const TLexemTable* KeywordLexems() const { return FKeywordLexems; }

    UnicodeString CommentBegin;
    UnicodeString CommentEnd;
    UnicodeString DecSeparator;

protected:
    virtual void InitParser();
    virtual bool IsBlankChar(wchar_t c);
    virtual bool IsSymbolChar(wchar_t c);
    virtual bool IsAlphaChar(wchar_t c);
    virtual bool IsDigitChar(wchar_t c);
    virtual bool IsStringQuote(wchar_t c);
    virtual void SkipToCharCountingLines(wchar_t c);
    virtual void SkipToChar(wchar_t c);
    virtual bool IsIdentQuote(wchar_t c);
    virtual bool IsInlineComment(Integer position);

    // The character at a window position; 0 past the end.
    wchar_t CharAt(Integer i) {
        const Integer k = i - FBlockOffset;
        return Cardinal(k) < Cardinal(FBlockSize) ? FCurrentBlock[k] : ReadChar(i);
    }
    bool TextAt(Integer i, const UnicodeString& text);

    Integer Pos = 1;
    Integer TextLength = 0;
    Int64 Offset = 0;
    Int64 StreamLength = 0;
    Int64 OldPos = 1;
    Int64 OldOldPos = 1;
    Int64 FCurrLine = 0;
    Int64 FPrevLine = 0;
    Integer FCurrBegLine = 1;
    Int64 FPrevBegLine = 1;
    bool FOmitBlank = true;
    bool FOmitComment = false;
    bool FUppered = true;
    bool FQuotedString = false;
    bool FAdvancedStringParsing = false;
    bool FAlternativeQuoting = false;
    bool FDollarQuoting = false;
    bool FOmitKeywords = false;
    const TLexemTable* FSymbolLexems = nullptr;
    const TLexemTable* FKeywordLexems = nullptr;

private:
    enum TCharClass : Byte {
        ccBlank = 1,
        ccSymbol = 2,
        ccAlpha = 4,
        ccDigit = 8,
        ccStringQuote = 16,
        ccIdentQuote = 32
    };
    bool Is(wchar_t c, Byte mask) {
        return c < 128 ? (FCharClass[c] & mask) != 0 : SlowIs(c, mask);
    }
    bool SlowIs(wchar_t c, Byte mask);
    void BuildCharClasses();

    Integer Scan();
    void SkipBlanks();
    bool SkipComment();
    void StepCountingLines();
    Integer ScanQuoted(wchar_t c, Integer code);
    Integer ScanDollarLiteral();
    Integer ScanSymbol();
    Integer ScanIdent();
    Integer ScanQLiteral(Integer start);
    Integer ScanNumber();
    [[noreturn]] void UnknownSymbol(wchar_t c);
    void SetLexem(Integer position, Integer length) {
        FLexemPos = position;
        FLexemLength = length;
    }
    bool IsDesired(Integer code);
    UnicodeString Text(Integer position, Integer length);
    void AssignText(UnicodeString& text, Integer position, Integer length);
    const TLexemTable::TEntry* FindAt(const TLexemTable& table, Integer position, Integer length);
    UnicodeString LexemText() {
        return FLexemPos < 0 ? UnicodeString() : Text(FLexemPos, FLexemLength);
    }

    // Stream mode (DcParserStream.cpp).
    wchar_t ReadChar(Integer i);
    bool ReadBlock();
    void KeepNeededBlocks(Integer newBlockOffset);
    UnicodeString DecodeBlock(const std::string& bytes, bool last);
    void Rebase();
    void RewindStream();

    Byte FCharClass[128] = {};
    Integer FLexemPos = -1;
    Integer FLexemLength = 0;
    Integer FSavedPos = -1;
    UnicodeString FLexem;
    UnicodeString FDesiredLexem;
    bool FDesiredLexemFound = false;

    TStream* FStream = nullptr;
    Encoding* FEncoding = nullptr;
    Int64 FStartOffset = 0;
    Int64 FConsumed = 0;  // stream positions decoded so far
    std::string FPending; // bytes of a character the last block split
    bool FStreamEnded = false;
    UnicodeString FCurrentBlock;
    Integer FBlockOffset = 1;
    Integer FBlockSize = 0;
    std::vector<UnicodeString> FStoredBlocks; // oldest first
    std::vector<Integer> FStoredBlockOffsets; // their window positions
    Integer FFirstBlockOffset = 1;
};

class TSQLParser : public TParser {
    CLASS_INFO(TSQLParser, TParser)
public:
    using TParser::TParser;

    bool IsClauseLexem(Integer Code) const { return PosClauseLexem(Code) >= 0; }
    Integer PosClauseLexem(Integer Code) const;
    // -2 when either is no clause code, else the sign of the difference of their indexes.
    Integer CompareClauseLexems(Integer Code1, Integer Code2) const;

    virtual bool IsMacroAllowed(Integer Code) { return Code != lcString; }
    virtual bool IsNumericMacroNameAllowed() { return false; }
    virtual bool IsSelectModifier(Integer Code) { return Code == 100 || Code == 107; }
    virtual bool IsFunctionOrConst(const UnicodeString& UpperedName) {
        return UpperedName == L"NULL";
    }
    virtual bool IsQuasiColumn(const UnicodeString&) { return false; }

protected:
    void InitParser() override;
    bool IsAlphaChar(wchar_t c) override;
    bool IsStringQuote(wchar_t c) override { return c == L'\''; }
    bool IsIdentQuote(wchar_t c) override { return c == L'"'; }
    bool IsInlineComment(Integer position) override;

    std::vector<Integer> FClauses;
};

// The shared symbol, keyword and clause tables.
TModuleEntry DcParserModule();
