// Fuzzed reader of SQL text: the data engine's lexer over damaged statements, in text mode and in
// stream mode. An unknown symbol is the lexer's one refusal; anything else leaving it, a crash or
// a scan that never ends is a failure.
#include "FuzzDriver.h"

#include "data/engine/CLRClasses.h"
#include "data/engine/DcParser.h"

#include "framework/ModuleInit.h"

#include <memory>

namespace {

// The lexer's shared tables belong to the engine's modules: started once for the program.
struct TLexerModules {
    TLexerModules() {
        for (const TModuleEntry& module : Modules)
            if (module.Initialize) module.Initialize();
    }
    ~TLexerModules() {
        for (auto module = Modules.rbegin(); module != Modules.rend(); ++module)
            if (module->Finalize) module->Finalize();
    }
    std::vector<TModuleEntry> Modules{CLRClassesModule(), DcParserModule()};
};

std::vector<TFuzzInput> SqlSeeds() {
    static TLexerModules modules;
    return {"SELECT DISTINCT a, \"b\"\"c\", 'it''s' FROM t WHERE x >= :p AND y <> ?1 -- end\r\n",
            "/* a comment */ INSERT INTO [t 1] (a) VALUES (1.5e-3, .5, X'0A', @v);",
            "SELECT * FROM a INTERSECT SELECT * FROM b ORDER BY 1 DESC",
            "UPDATE t SET s = 'line\r\nbreak', n = -12 WHERE id IN (1, 2, 3)",
            "select $$dollar$$ from dual; begin :x := 1; end;"};
}

// Scans to the end; the lexer raises Exception for an unknown symbol and nothing else.
void ScanAll(TParser& parser) {
    parser.SetOmitBlank(false);
    parser.SetQuotedString(true);
    parser.SetAdvancedStringParsing(true);
    try {
        UnicodeString lexem;
        while (parser.GetNext(lexem) != lcEnd) {
        }
    } catch (const Exception&) {
    }
}

void FeedSql(const TFuzzInput& input) {
    {
        std::unique_ptr<TSQLParser, TFuzzFree> parser(Construct<TSQLParser>(AnsiText(input)));
        ScanAll(*parser);
    }
    TMemoryStream stream;
    if (!input.empty()) stream.WriteBuffer(input.data(), static_cast<NativeInt>(input.size()));
    stream.SetPosition(0);
    std::unique_ptr<TSQLParser, TFuzzFree> parser(
        Construct<TSQLParser>(static_cast<TStream*>(&stream), Encoding::UTF8()));
    ScanAll(*parser);
}

const TFuzzRegistration SqlLexer{
    {"sql_lexer",
     SqlSeeds,
     FeedSql,
     1500,
     {"'", "\"", "--", "/*", "*/", "$$", ":", "[", "]", "X'", "\r\n", "SELECT", "\xe4\xb8\xad"}}};

} // namespace
