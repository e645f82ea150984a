#include "data/engine/DcParser.h"

#include "EngineModules.h"

#include "framework/Streams.h"

#include <windows.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct TLexeme {
    Integer Code;
    UnicodeString Text;
    bool operator==(const TLexeme&) const = default;
};

std::string Narrow(const UnicodeString& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? char(c) : '?';
    return narrow;
}

std::ostream& operator<<(std::ostream& out, const TLexeme& l) {
    return out << "{" << l.Code << ", \"" << Narrow(l.Text) << "\"}";
}

class DcParserTest : public EngineModulesTest {
protected:
    DcParserTest() : EngineModulesTest({CLRClassesModule(), DcParserModule()}) {}

    static std::vector<TLexeme> Lex(TParser& parser) {
        std::vector<TLexeme> lexemes;
        for (;;) {
            UnicodeString text;
            const Integer code = parser.GetNext(text);
            if (code == lcEnd) return lexemes;
            lexemes.push_back({code, text});
        }
    }
    template <class P = TSQLParser>
    static std::vector<TLexeme> Lex(const UnicodeString& text, void (*setup)(P&) = nullptr) {
        TOwned<P> parser(Construct<P>(text));
        parser->DecSeparator = L".";
        if (setup) setup(*parser);
        return Lex(*parser);
    }
};

// Exposes the flags that only derived lexers set.
class TFlaggedParser : public TSQLParser {
public:
    using TSQLParser::TSQLParser;
    void Dollar() { FDollarQuoting = true; }
    void Alternative() { FAlternativeQuoting = true; }
};

TEST_F(DcParserTest, SqlTokenTables) {
    struct Case {
        const wchar_t* Text;
        std::vector<TLexeme> Expected;
    } cases[] = {
        {L"SELECT a FROM t", {{136, L"SELECT"}, {lcIdent, L"a"}, {111, L"FROM"}, {lcIdent, L"t"}}},
        {L"select a from t", {{136, L"SELECT"}, {lcIdent, L"a"}, {111, L"FROM"}, {lcIdent, L"t"}}},
        {L"SELECT DISTINCT a", {{136, L"SELECT"}, {107, L"DISTINCT"}, {lcIdent, L"a"}}},
        {L"a INTERSECT b", {{lcIdent, L"a"}, {117, L"INTERSECT"}, {lcIdent, L"b"}}},
        {L"'it''s'", {{lcString, L"it"}, {lcString, L"s"}}},
        {L"'open", {{lcString, L"open"}}},
        {L"''", {{lcString, L""}}},
        {L"\"My \"\"Col\"\"\"", {{lcIdent, L"\"My \""}, {lcIdent, L"\"Col\""}, {lcIdent, L"\"\""}}},
        {L"\"select\"", {{lcIdent, L"\"select\""}}},
        {L"a--x", {{lcIdent, L"a"}, {lcComment, L"--x"}}},
        {L"a--", {{lcIdent, L"a"}, {lcComment, L"--"}}},
        {L"a -- c\nb", {{lcIdent, L"a"}, {lcComment, L"-- c"}, {lcIdent, L"b"}}},
        {L"/*/ x", {{lcComment, L"/*/"}, {lcIdent, L"x"}}},
        {L"/* a /* b */ c */",
         {{lcComment, L"/* a /* b */"}, {lcIdent, L"c"}, {1, L"*"}, {6, L"/"}}},
        {L"/* open", {{lcComment, L"/* open"}}},
        {L"1.5", {{lcNumber, L"1.5"}}},
        {L"1.", {{lcNumber, L"1"}, {5, L"."}}},
        {L".5", {{5, L"."}, {lcNumber, L"5"}}},
        {L"1e-3", {{lcNumber, L"1"}, {lcIdent, L"e"}, {lcSymbol, L"-"}, {lcNumber, L"3"}}},
        {L"12.34.5", {{lcNumber, L"12.34"}, {5, L"."}, {lcNumber, L"5"}}},
        {L":a ?1 @x",
         {{3, L":"},
          {lcIdent, L"a"},
          {lcSymbol, L"?"},
          {lcNumber, L"1"},
          {lcSymbol, L"@"},
          {lcIdent, L"x"}}},
        {L"X'0aFF'", {{lcIdent, L"X"}, {lcString, L"0aFF"}}},
        {L"a<>b", {{lcIdent, L"a"}, {lcSymbol, L"<"}, {lcSymbol, L">"}, {lcIdent, L"b"}}},
        {L"t.*,u;", {{lcIdent, L"t"}, {5, L"."}, {1, L"*"}, {4, L","}, {lcIdent, L"u"}, {7, L";"}}},
        {L"#tmp a#b $x y$z",
         {{lcSymbol, L"#"},
          {lcIdent, L"tmp"},
          {lcIdent, L"a#b"},
          {lcSymbol, L"$"},
          {lcIdent, L"x"},
          {lcIdent, L"y$z"}}},
        {L"_a1 \u00e9t\u00e9", {{lcIdent, L"_a1"}, {lcIdent, L"\u00e9t\u00e9"}}},
        {L"[x]", {{lcSymbol, L"["}, {lcIdent, L"x"}, {lcSymbol, L"]"}}},
        {L"q'(x)'", {{lcIdent, L"q"}, {lcString, L"(x)"}}},
        {L"", {}},
        {L" \t\r\n ", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Lex(c.Text), c.Expected) << Narrow(c.Text);
}

TEST_F(DcParserTest, UpperedOffKeepsTheKeywordAsWritten) {
    const auto lexemes = Lex<TSQLParser>(L"select", [](TSQLParser& p) { p.SetUppered(false); });
    EXPECT_EQ(lexemes, (std::vector<TLexeme>{{136, L"select"}}));
}

TEST_F(DcParserTest, BlanksAndCommentsWhenAskedFor) {
    auto blanks = Lex<TSQLParser>(L"a  b", [](TSQLParser& p) { p.SetOmitBlank(false); });
    EXPECT_EQ(blanks, (std::vector<TLexeme>{{lcIdent, L"a"}, {lcBlank, L"  "}, {lcIdent, L"b"}}));
    auto noComments =
        Lex<TSQLParser>(L"a /*x*/ b --y", [](TSQLParser& p) { p.SetOmitComment(true); });
    EXPECT_EQ(noComments, (std::vector<TLexeme>{{lcIdent, L"a"}, {lcIdent, L"b"}}));
    auto quoted = Lex<TSQLParser>(L"'it''s'", [](TSQLParser& p) { p.SetQuotedString(true); });
    EXPECT_EQ(quoted, (std::vector<TLexeme>{{lcString, L"'it'"}, {lcString, L"'s'"}}));
}

TEST_F(DcParserTest, GenericLexerTables) {
    struct Case {
        const wchar_t* Text;
        std::vector<TLexeme> Expected;
    } cases[] = {
        {L"a AND not b Or c",
         {{lcIdent, L"a"},
          {29, L"AND"},
          {30, L"NOT"},
          {lcIdent, L"b"},
          {31, L"OR"},
          {lcIdent, L"c"}}},
        {L"!/:[`", {{1, L"!"}, {15, L"/"}, {16, L":"}, {23, L"["}, {28, L"`"}}},
        {L"{x}", {{lcSymbol, L"{"}, {lcIdent, L"x"}, {lcSymbol, L"}"}}},
        {L"\"a b\" 'c'", {{lcString, L"a b"}, {lcString, L"c"}}},
        {L"x // y\n/* z */", {{lcIdent, L"x"}, {lcComment, L"// y"}, {lcComment, L"/* z */"}}},
        {L"a--b", {{lcIdent, L"a"}, {13, L"-"}, {13, L"-"}, {lcIdent, L"b"}}},
        {L"#", {{3, L"#"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Lex<TParser>(c.Text), c.Expected) << Narrow(c.Text);
}

TEST_F(DcParserTest, DollarQuotingAndQLiterals) {
    auto dollar = [](TFlaggedParser& p) { p.Dollar(); };
    EXPECT_EQ(Lex<TFlaggedParser>(L"$a$x$b$y$a$", dollar),
              (std::vector<TLexeme>{{lcString, L"x$b$y"}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"$$body$$ z", dollar),
              (std::vector<TLexeme>{{lcString, L"body"}, {lcIdent, L"z"}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"$1", dollar),
              (std::vector<TLexeme>{{lcSymbol, L"$"}, {lcNumber, L"1"}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"$t$open", dollar), (std::vector<TLexeme>{{lcString, L"open"}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"$a$x$a$",
                                  [](TFlaggedParser& p) {
                                      p.Dollar();
                                      p.SetQuotedString(true);
                                  }),
              (std::vector<TLexeme>{{lcString, L"$a$x$a$"}}));

    auto alternative = [](TFlaggedParser& p) { p.Alternative(); };
    EXPECT_EQ(Lex<TFlaggedParser>(L"q'(it's)' x", alternative),
              (std::vector<TLexeme>{{lcString, L"it's"}, {lcIdent, L"x"}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"Q'<a>b>'", alternative),
              (std::vector<TLexeme>{{lcString, L"a>b"}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"q'!x!'", alternative),
              (std::vector<TLexeme>{{lcString, L"x"}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"q'()'", alternative), (std::vector<TLexeme>{{lcString, L""}}));
    EXPECT_EQ(Lex<TFlaggedParser>(L"qq'x'", alternative),
              (std::vector<TLexeme>{{lcIdent, L"qq"}, {lcString, L"x"}}));
}

TEST_F(DcParserTest, UnknownSymbolNamesTheCharacterCode) {
    TOwned<TSQLParser> parser(Construct<TSQLParser>(UnicodeString(L"a \x01")));
    EXPECT_EQ(parser->GetNextCode(), lcIdent);
    try {
        parser->GetNextCode();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), UnicodeString(L"Parser: The unknown symbol '\x01'  $0001"));
    }
    EXPECT_EQ(parser->CurrPos(), 2); // left at the character
}

TEST_F(DcParserTest, LinesColumnsAndPositions) {
    TOwned<TSQLParser> parser(Construct<TSQLParser>(UnicodeString(L"a\r\nb /*\n\n*/ c")));
    EXPECT_EQ(parser->GetNextCode(), lcIdent);
    EXPECT_EQ(parser->GetNextCode(), lcIdent); // b
    EXPECT_EQ(parser->CurrLine(), 1);
    EXPECT_EQ(parser->CurrCol() - 1, 0); // b started at column 0
    EXPECT_EQ(parser->PrevPos(), 1);     // the scan started right after a
    EXPECT_EQ(parser->PrevLine(), 0);
    EXPECT_EQ(parser->PrevCol(), 1);
    EXPECT_EQ(parser->GetNextCode(), lcComment);
    EXPECT_EQ(parser->CurrLine(), 3); // two line feeds inside the comment
    UnicodeString c;
    EXPECT_EQ(parser->GetNext(c), lcIdent);
    EXPECT_EQ(c, L"c");
    EXPECT_EQ(parser->CurrPos(), 13);
    EXPECT_EQ(parser->PrevPrevPos(), 4);
}

TEST_F(DcParserTest, BackReadsTheSameLexemeAgain) {
    TOwned<TSQLParser> parser(Construct<TSQLParser>(UnicodeString(L"a\n b c")));
    UnicodeString text;
    parser->GetNext(text);
    parser->GetNext(text);
    EXPECT_EQ(parser->CurrLine(), 1);
    parser->Back();
    EXPECT_EQ(parser->CurrLine(), 0);
    EXPECT_EQ(parser->GetNext(text), lcIdent);
    EXPECT_EQ(text, L"b");
    EXPECT_EQ(parser->CurrLine(), 1); // the line break is not counted twice
}

TEST_F(DcParserTest, ToLexemByCodeAndByText) {
    TOwned<TSQLParser> parser(
        Construct<TSQLParser>(UnicodeString(L"select a, 'from' from t where x = 1")));
    EXPECT_EQ(parser->ToLexem(111), 111);
    UnicodeString text;
    EXPECT_EQ(parser->GetNext(text), lcIdent);
    EXPECT_EQ(text, L"t");
    EXPECT_EQ(parser->ToLexem(200), lcEnd);

    parser->ToBegin();
    EXPECT_TRUE(parser->ToLexem(UnicodeString(L"From"))); // the string 'from' is skipped
    EXPECT_EQ(parser->GetNext(text), lcIdent);
    EXPECT_EQ(text, L"t");
    EXPECT_TRUE(parser->ToLexem(UnicodeString(L"=")));
    EXPECT_FALSE(parser->ToLexem(UnicodeString(L"=")));
    parser->ToBegin();
    EXPECT_TRUE(parser->ToLexem(UnicodeString(L"1")));
    parser->ToBegin();
    EXPECT_FALSE(parser->ToLexem(UnicodeString(L"x y")));
    // Searching leaves keyword lookup as it was.
    parser->ToBegin();
    EXPECT_EQ(parser->GetNextCode(), 136);
}

TEST_F(DcParserTest, AFailedSearchClearsItsTarget) {
    TOwned<TSQLParser> parser(Construct<TSQLParser>(UnicodeString(L"a \x02 select")));
    EXPECT_THROW(parser->ToLexem(UnicodeString(L"select")), Exception);
    parser->ToBegin();
    EXPECT_EQ(parser->GetNextCode(), lcIdent);
    parser->SetText(L"select from");
    EXPECT_EQ(parser->GetNextCode(), 136) << "keywords are looked up again";
    EXPECT_EQ(parser->GetNextCode(), 111);
}

TEST_F(DcParserTest, BackInStreamModeAcrossABlockBoundary) {
    // "x...x yy": the second identifier starts in the second 64 KB block.
    const std::string text = std::string(65534, 'x') + " yy zz";
    TMemoryStream stream;
    stream.WriteBuffer(text.data(), NativeInt(text.size()));
    stream.SetPosition(0);
    TOwned<TSQLParser> parser(Construct<TSQLParser>(static_cast<TStream*>(&stream), nullptr));
    UnicodeString lexem;
    EXPECT_EQ(parser->GetNext(lexem), lcIdent);
    EXPECT_EQ(lexem.size(), 65534u);
    EXPECT_EQ(parser->GetNext(lexem), lcIdent);
    EXPECT_EQ(lexem, L"yy");
    parser->Back();
    EXPECT_EQ(parser->GetNext(lexem), lcIdent);
    EXPECT_EQ(lexem, L"yy");
    EXPECT_EQ(parser->CurrPos(), 65537);
    EXPECT_EQ(parser->GetNext(lexem), lcIdent);
    EXPECT_EQ(lexem, L"zz");
    EXPECT_EQ(parser->GetNextCode(), lcEnd);
}

TEST_F(DcParserTest, ClauseCodesAndPredicates) {
    TOwned<TSQLParser> parser(Construct<TSQLParser>(UnicodeString()));
    EXPECT_EQ(parser->CompareClauseLexems(142, 129), -1);
    EXPECT_EQ(parser->CompareClauseLexems(129, 142), 1);
    EXPECT_EQ(parser->CompareClauseLexems(140, 140), 0);
    EXPECT_EQ(parser->CompareClauseLexems(142, 136), -2);
    EXPECT_TRUE(parser->IsClauseLexem(117));
    EXPECT_EQ(parser->PosClauseLexem(117), 4);
    EXPECT_EQ(parser->PosClauseLexem(136), -1);
    EXPECT_TRUE(parser->IsSelectModifier(107));
    EXPECT_TRUE(parser->IsSelectModifier(100));
    EXPECT_FALSE(parser->IsSelectModifier(136));
    EXPECT_FALSE(parser->IsMacroAllowed(lcString));
    EXPECT_TRUE(parser->IsMacroAllowed(lcIdent));
    EXPECT_TRUE(parser->IsFunctionOrConst(L"NULL"));
    EXPECT_FALSE(parser->IsNumericMacroNameAllowed());
}

TEST_F(DcParserTest, KeywordTableIsSortedWithTheAssignedCodes) {
    const TLexemTable& table = SQLKeywordLexems();
    ASSERT_EQ(table.Count(), 43);
    for (Integer i = 0; i < table.Count(); ++i) {
        EXPECT_EQ(table[i].Code, 100 + i) << "codes follow the sorted order";
        if (i > 0) {
            EXPECT_LT(table[i - 1].Text, table[i].Text);
        }
    }
    EXPECT_EQ(table.Find(L"distinct", 8)->Code, 107);
    EXPECT_EQ(table.Find(L"Intersect", 9)->Code, 117);
    EXPECT_EQ(table.Find(L"SELECTX", 7), nullptr);
    EXPECT_EQ(table.Find(L"SELEC", 5), nullptr);
}

TEST_F(DcParserTest, DecimalSeparatorComesFromTheUserLocale) {
    wchar_t expected[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, expected, 8);
    TOwned<TSQLParser> parser(Construct<TSQLParser>(UnicodeString(L"1,5")));
    EXPECT_EQ(parser->DecSeparator, expected);
    parser->DecSeparator = L",";
    UnicodeString text;
    EXPECT_EQ(parser->GetNext(text), lcNumber);
    EXPECT_EQ(text, L"1,5");
}

} // namespace
