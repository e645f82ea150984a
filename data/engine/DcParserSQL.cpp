// TSQLParser: the SQL dialect of the lexer and the clause codes that the framework's SQL
// processing compares (WHERE before GROUP before HAVING ... before ORDER).
#include "data/engine/DcParser.h"

void TSQLParser::InitParser() {
    TParser::InitParser();
    FSymbolLexems = &SQLSymbolLexems();
    FKeywordLexems = &SQLKeywordLexems();
    FClauses = {142, 113, 114, 140, 117, 124, 129};
}

// "#" and "$" continue an identifier; they cannot start one, as they are symbol characters.
bool TSQLParser::IsAlphaChar(wchar_t c) {
    return TParser::IsAlphaChar(c) || c == L'#' || c == L'$';
}

bool TSQLParser::IsInlineComment(Integer position) {
    return position < TextLength && CharAt(position) == L'-' && CharAt(position + 1) == L'-';
}

Integer TSQLParser::PosClauseLexem(Integer Code) const {
    for (std::size_t i = 0; i < FClauses.size(); ++i)
        if (FClauses[i] == Code) return Integer(i);
    return -1;
}

Integer TSQLParser::CompareClauseLexems(Integer Code1, Integer Code2) const {
    const Integer a = PosClauseLexem(Code1), b = PosClauseLexem(Code2);
    if (a < 0 || b < 0) return -2;
    return a > b ? 1 : a < b ? -1 : 0;
}
