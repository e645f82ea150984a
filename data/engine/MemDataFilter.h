// Filter expressions of the record storage: the lexer over filter and index texts
// (TBoolParser, with its own symbol and keyword tables), the expression nodes a filter text is
// parsed into, and the text pattern match of LIKE and partial compares.
//
// The symbol and keyword tables are built on first use and read-only after; the float
// tolerance is set by the MemData module's start-up and by the application before it filters,
// never while another thread filters.
#pragma once

#include "data/engine/DcParser.h"
#include "data/engine/MemDataFields.h"

// Lexeme codes of the filter tables.
enum TFilterLexem : Integer {
    flEqual = 1,
    flMore,
    flLess,
    flMoreEqual,
    flLessEqual,
    flNoEqual,
    flOpen,
    flClose,
    flMinus,
    flPlus,
    flLeftBracket,
    flRightBracket,
    flAnd = 13,
    flFalse,
    flIs,
    flLike,
    flNot,
    flNull,
    flOr,
    flTrue,
};

const TLexemTable& BoolSymbolLexems();
const TLexemTable& BoolKeywordLexems();

class TBoolParser : public TParser {
    CLASS_INFO(TBoolParser, TParser)
public:
    using TParser::TParser;

protected:
    void InitParser() override;
    // A doubled apostrophe after another character of the string does not close it.
    void SkipToChar(wchar_t c) override;
};

enum TExpressionType {
    ntEqual,
    ntMore,
    ntLess,
    ntMoreEqual,
    ntLessEqual,
    ntNoEqual,
    ntAnd,
    ntOr,
    ntNot,
    ntField,
    ntValue,
    ntTrue,
    ntFalse,
    ntLike,
    ntNotLike
};

class TExpressionNode : public TObject {
    CLASS_INFO(TExpressionNode, TObject)
public:
    TExpressionNode* NextAlloc = nullptr;
    TExpressionType NodeType = ntValue;
    TExpressionNode* LeftOperand = nullptr;
    TExpressionNode* RightOperand = nullptr;
    TExpressionNode* NextOperand = nullptr;
    TFieldDesc* FieldDesc = nullptr;
    Variant Value;
};

// When above 0, numeric equality where a Float or Currency field takes part holds within it.
extern double FilterFloatTolerance;

// "%" and "*" match any run, "_" any one character; every other character matches itself.
bool MatchesPattern(const UnicodeString& Text, const UnicodeString& Pattern);
