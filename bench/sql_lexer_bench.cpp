// The SQL lexer on 10 MB of mixed SQL (the test corpus repeated), lexemes per second, against a
// plain scan over the same text that only classifies each character. The lexer does far more
// per character (lexeme texts, keyword lookup, line counting), so the goal is a ratio (scan
// time / lexer time) of at least 0.3.
#include "data/engine/DcParser.h"

#include "bench/BenchTiming.h"
#include "tests/data/engine/SqlCorpus.h"

#include <array>

namespace {

UnicodeString MixedSql(std::size_t size) {
    UnicodeString text;
    while (text.size() < size)
        for (const std::wstring& statement : SqlCorpus())
            if (statement.find(L"unterminated") == std::wstring::npos) text += statement + L";\r\n";
    return text;
}

std::size_t LexAll(const UnicodeString& text) {
    TSQLParser* parser = Construct<TSQLParser>(text);
    parser->SetOmitComment(true);
    std::size_t count = 0;
    UnicodeString lexem;
    while (parser->GetNext(lexem) != lcEnd) ++count;
    parser->Free();
    return count;
}

// Classifies every character, one at a time as a lexer's loop does, as blank, symbol, letter,
// digit or other, and counts the changes of class so that the work cannot be left out. The
// compiler may not turn it into vector code: no lexer can work on many characters at once.
__attribute__((optimize("no-tree-vectorize"))) std::size_t PlainScan(const UnicodeString& text) {
    static const auto classes = [] {
        std::array<unsigned char, 128> table{};
        for (int c = 0; c < 128; ++c)
            table[c] = c == 9 || c == 10 || c == 13 || c == 32 ? 1
                       : (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
                               (c >= 123 && c <= 126)
                           ? 2
                       : (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? 3
                       : c >= '0' && c <= '9'                             ? 4
                                                                          : 0;
        return table;
    }();
    std::size_t changes = 0;
    unsigned char last = 0;
    for (wchar_t c : text) {
        const unsigned char cls = c < 128 ? classes[c] : 3;
        changes += cls != last;
        last = cls;
    }
    return changes;
}

} // namespace

int main() {
    CLRClassesModule().Initialize();
    DcParserModule().Initialize();
    const UnicodeString text = MixedSql(10u << 20);
    // Volatile: the timed work must happen between the clock readings, not after them.
    volatile std::size_t lexemes = 0, changes = 0;
    const double coldLexer = BestSeconds(1, [&] { lexemes = LexAll(text); });
    const double coldScan = BestSeconds(1, [&] { changes = PlainScan(text); });
    const double lexer = BestSeconds(5, [&] { lexemes = LexAll(text); });
    const double scan = BestSeconds(5, [&] { changes = PlainScan(text); });
    std::printf("%zu characters, %zu lexemes (%zu class changes)\n", text.size(),
                std::size_t(lexemes), std::size_t(changes));
    std::printf("lexer: %.1f M lexemes/s warm, %.1f M lexemes/s cold\n",
                double(lexemes) / lexer / 1e6, double(lexemes) / coldLexer / 1e6);
    PrintRatio("lex 10 MB of SQL, cold (goal >= 0.3)", coldLexer, coldScan);
    PrintRatio("lex 10 MB of SQL, warm (goal >= 0.3)", lexer, scan);
    return 0;
}
